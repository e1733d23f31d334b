#include "conversion/split.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "conversion/text_steps.h"

namespace yz {

using namespace conversion_text;

float SplitSearch::transformedWeight(float w, std::int32_t chars) const {
  if (w >= 0) return w;
  if (c_.comp.modifyMode == 0) return static_cast<float>(w * chars * chars);
  // In instant modify the weight's decimal text loses every "-10" to "1": -105 reads 15.
  char buf[32];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, w);
  std::u16string text;
  for (const char* p = buf; p < end;) {
    if (end - p >= 3 && p[0] == '-' && p[1] == '1' && p[2] == '0') {
      text += u'1';
      p += 3;
    } else {
      text += static_cast<char16_t>(*p++);
    }
  }
  return weightValue(text);
}

SplitSearch::Greedy SplitSearch::ycpd(std::u16string bmma1) {
  ConversionState& conv = c_.conv;
  LookupCells& cells = c_.lex.cells;
  Greedy g;
  std::u16string remaining = std::move(bmma1);
  if (remaining.empty()) return g;
  for (bool first = true;; first = false) {
    seg_.bmui(remaining, conv.tailCode, conv.tailText);
    const std::int32_t C = len(conv.tailCode);
    const std::int32_t L = len(conv.tailText);
    cells.zicipn = transformedWeight(cells.zicipn, L);
    if (conv.tailText.empty()) {
      g.hjzils.clear();
      return g;
    }
    g.ffcigeuu = static_cast<float>(g.ffcigeuu - 400.0 * conv.qmhbir * (C / 2.0 - L));
    if (L == 1) g.ffcigeuu = static_cast<float>(g.ffcigeuu + 1000.0);
    c_.pass.sysyff.clear();
    if (C == 1) cells.zicipn = kWeightFirstLetter;
    if (c_.race.raceMode == 0 && cells.zicipn < 90) cells.zicipn = static_cast<float>(-1000.0 * L);
    const double sign = (c_.settings.ilmvj && C >= 2 * L) ? 1.0 : -1.0;
    const double excess = static_cast<double>(C - 2 * L);
    g.ffcigeuu = static_cast<float>(g.ffcigeuu + 100.0 - 144.0 * L + cells.zicipn +
                                    sign * 100.0 * excess * excess);
    if (L == 2 && C == 6 && !c_.lookups.ybci(right(conv.tailCode, 4)).empty())
      g.ffcigeuu = static_cast<float>(g.ffcigeuu + 200.0);
    if (L == 1) g.ffcigeuu = static_cast<float>(g.ffcigeuu + 100.0);
    g.hjziqb += u' ';
    g.hjziqb += conv.tailText;
    g.bmmals += u' ';
    g.bmmals += conv.tailCode;
    if (C == 1 && conv.qmhbir == 0) g.hjzils.clear();
    if (first) g.hjzils = conv.tailText;
    if (C >= len(remaining)) return g;
    remaining.erase(0, static_cast<std::size_t>(C));
    if (remaining.size() == 1 && c_.settings.gjxm == 1) return g;
    g.ffcigeuu = static_cast<float>(g.ffcigeuu + 100.0);
  }
}

double SplitSearch::cutScore(float s1, float s2, std::int32_t chars) {
  const float costs = s1 + s2;
  const double score = static_cast<double>(costs) + 1.0 / chars;
  return std::floor(score * 100000 + 0.5) / 100000;
}

double SplitSearch::cutScore(const Greedy& first, const Greedy& rest) {
  return cutScore(first.ffcigeuu, rest.ffcigeuu,
                  charsWithoutSpaces(first.hjziqb) + charsWithoutSpaces(rest.hjziqb));
}

void SplitSearch::Search::take(double score, std::int32_t k, const Greedy& first, const Greedy& rest,
                               ConversionState& conv) {
  best = score;
  hzstr3 = first.hjziqb;
  i4 = k;
  conv.qrbu = first.hjziqb + rest.hjziqb;
  bmstr4 = first.bmmals;
}

bool SplitSearch::convertPart(std::u16string_view code, std::int32_t qmhbir, Greedy& out) {
  ConversionState& conv = c_.conv;
  conv.qmhbir = qmhbir;
  out = ycpd(std::u16string(code));
  return !out.hjzils.empty();
}

bool SplitSearch::convertCut(std::u16string_view b, std::int32_t k, bool addRule300, Greedy& first,
                             Greedy& rest) {
  if (!convertPart(left(b, k), 0, first)) return false;
  // A six-letter match that is one two-character word, followed by a word: weigh the cut up.
  if (addRule300 && k == 6 && len(trimSpaces(first.hjziqb)) == 2 &&
      !c_.lookups.ybci(mid(b, 5, 4)).empty())
    first.ffcigeuu = static_cast<float>(first.ffcigeuu + 300.0);
  return convertPart(from(b, k + 1), 1, rest);
}

void SplitSearch::fillCutTable(std::u16string_view codes1, std::u16string_view codes2) {
  ConversionState& conv = c_.conv;
  std::u16string all(codes1);
  all += codes2;
  std::vector<std::u16string_view> p, q;
  splitSpaces(trimSpaces(all), p);
  splitSpaces(trimSpaces(codes1), q);
  const std::int32_t n = static_cast<std::int32_t>(p.size()) - 1;
  const std::int32_t m = static_cast<std::int32_t>(q.size()) - 1;
  auto append = [&](std::int32_t slot, const std::vector<std::u16string_view>& pieces, std::int32_t k) {
    if (slot >= kCutTableSlots) return;
    std::u16string& cutting = conv.cutTable[slot];
    for (std::size_t j = static_cast<std::size_t>(k); j < pieces.size(); ++j) {
      cutting += u' ';
      cutting += pieces[j];
    }
    conv.cutTableFilled = std::max(conv.cutTableFilled, slot + 1);
  };
  for (std::int32_t k = 0; k <= n; ++k) append(k, p, k);
  for (std::int32_t k = 0; k <= m; ++k) append(n + 1 + k, q, k);
  conv.cutTableLast = std::min(n + 1 + m, kCutTableSlots - 1);
}

void SplitSearch::clearCutTable() {
  ConversionState& conv = c_.conv;
  for (std::int32_t i = 0; i < conv.cutTableFilled; ++i) conv.cutTable[i].clear();
  conv.cutTableFilled = 0;
  conv.cutTableLast = -1;
}

void SplitSearch::fizh(std::u16string bmstr3, std::u16string& hzstr3, std::int32_t i3,
                       std::int32_t& i4, std::u16string& bmstr4) {
  const std::u16string b = std::move(bmstr3);
  const std::int32_t a = i3;
  hzstr3.clear();
  Search search{hzstr3, i4, bmstr4};
  Greedy first, rest;

  if (c_.settings.smvj) {
    // One cut only, scored with what both parts reached, a part that fails included; both
    // parts without a character give nothing to score.
    convertPart(left(b, a), 0, first);
    convertPart(from(b, a + 1), 1, rest);
    fillCutTable(first.bmmals, rest.bmmals);
    if (charsWithoutSpaces(first.hjziqb) + charsWithoutSpaces(rest.hjziqb) > 0) {
      const double score = cutScore(first, rest);
      if (score < search.best) search.take(score, a, first, rest, c_.conv);
    }
  } else {
    bool done = false;
    if (len(left(b, a)) >= 2 && convertCut(b, a, true, first, rest)) {
      fillCutTable(first.bmmals, rest.bmmals);
      search.take(cutScore(first, rest), a, first, rest, c_.conv);
      done = (len(from(b, a + 1)) == 1 && a > 5) || c_.settings.izcmu;
    }
    if (!done) {
      struct Cut {
        std::int32_t k;
        bool shorter;  // tried only when k >= 2; the longer cuts when their first part has 2 letters
      };
      const Cut cuts[] = {{a - 1, true}, {a + 1, false}, {a - 2, true}, {a + 2, false},
                          {a + 3, false}, {a - 4, true}, {a - 3, true}, {a + 4, false}};
      bool cut4Converted = false;
      for (std::size_t i = 0; i < std::size(cuts); ++i) {
        const std::int32_t k = cuts[i].k;
        if (cuts[i].shorter ? k < 2 : len(left(b, k)) < 2) continue;
        if (!convertCut(b, k, false, first, rest)) continue;
        double score = cutScore(first, rest);
        if (i == 2) cut4Converted = true;
        // A 2 + 6 cut of an eight-letter code beside a converting 4 + 4 cut.
        if (i == 5 && len(b) == 8 && a == 6 && cut4Converted) score += 200;
        if (score < search.best) search.take(score, k, first, rest, c_.conv);
      }
    }
  }

  if (!hzstr3.empty())
    clearCutTable();
  else
    i4 = i3;
}

}  // namespace yz
