// The split search for shape codes: fewer cuts, a cut away from the longest match counts only when
// the phrase of its first two words is common on the web, and the words of the last result stay
// as shown once the code line grows long.

#include <algorithm>
#include <vector>

#include "conversion/split.h"
#include "conversion/text_steps.h"

namespace yz {

using namespace conversion_text;

namespace {

// Words 1 and 2 of both parts' texts (word 0 is the empty text before the leading space).
struct CutWords {
  std::u16string first;
  std::u16string second;
  std::u16string phrase() const { return first + second; }
};

CutWords cutWords(std::u16string_view texts) {
  return {std::u16string(element(texts, 1)), std::u16string(element(texts, 2))};
}

}  // namespace

void SplitSearch::fizhyp(std::u16string bmstr3, std::u16string& hzstr3, std::int32_t i3,
                         std::int32_t& i4, std::u16string& bmstr4) {
  const std::u16string b = std::move(bmstr3);
  const std::int32_t a = i3;
  hzstr3.clear();
  Search search{hzstr3, i4, bmstr4};
  Greedy first, rest, cut1First, cut1Rest;
  bool cut1Converted = false;

  bool done = false;
  if (len(left(b, a)) >= 2 && convertCut(b, a, true, cut1First, cut1Rest)) {
    cut1Converted = true;
    fillCutTable(cut1First.bmmals, cut1Rest.bmmals);
    const std::u16string texts = cut1First.hjziqb + cut1Rest.hjziqb;
    // The memory: the words of the last result but its last one, when there are any.
    const std::u16string& memory = c_.conv.qrbuir;
    const std::size_t lastSpace = memory.rfind(u' ');
    const std::u16string h = lastSpace == std::u16string::npos ? std::u16string() : memory.substr(0, lastSpace);
    if (!h.empty() && len(c_.pass.rtexys) > 8 && texts.find(h) != std::u16string::npos) {
      hzstr3 = std::u16string(left(c_.win.boxes.rtext2.text, len(withoutSpaces(h))));
      i4 = 2 * len(hzstr3);
      c_.conv.qrbu = texts;
      bmstr4 = std::u16string(left(c_.pass.rtexys, i4));
      done = true;
    } else {
      const double score = cutScore(cut1First, cut1Rest);
      if (c_.settings.izcmu) {
        search.take(score, a, cut1First, cut1Rest, c_.conv);
        done = true;
      } else {
        if (score < search.best) search.take(score, a, cut1First, cut1Rest, c_.conv);
        if (a > 7) {
          done = true;
        } else if (c_.webServices.xymaypu(cutWords(texts).phrase()) < 5) {
          search.best = kNoScore;
        }
      }
    }
  }

  if (!done) {
    struct Cut {
      std::int32_t k;
      bool shorter;            // tried only when k >= 2; the longer cuts when their first part has 2 letters
      bool firstWordTwoChars;  // word 1 needs two characters too
      float minHits;
    };
    const Cut cuts[] = {{a - 2, true, false, 3}, {a + 2, false, false, 3},
                        {a - 4, true, true, 5}, {a + 4, false, false, 5}};
    bool cut2Converted = false;
    for (std::size_t i = 0; i < std::size(cuts); ++i) {
      const Cut& cut = cuts[i];
      if (cut.shorter ? cut.k < 2 : len(left(b, cut.k)) < 2) continue;
      if (!convertCut(b, cut.k, false, first, rest)) continue;
      if (i == 0) cut2Converted = true;
      const CutWords words = cutWords(first.hjziqb + rest.hjziqb);
      if (len(words.second) < 2 || (cut.firstWordTwoChars && len(words.first) < 2)) continue;
      if (c_.webServices.xymaypu(words.phrase()) < cut.minHits) continue;
      double score = cutScore(first, rest);
      if (i == 2 && len(b) == 8 && a == 6 && cut2Converted) score += 200;
      if (score < search.best) search.take(score, cut.k, first, rest, c_.conv);
    }
  }

  // The longest-match cut lost its place and nothing replaced it: try the other candidates of its
  // code by hit count.
  if (cut1Converted && search.best == kNoScore && hzstr3 == cut1First.hjziqb) {
    LookupCells& cells = c_.lex.cells;
    c_.lookups.hzirvck(left(b, a), cells.lookupWord, cells.zicipn);
    const std::u16string line(c_.lex.mainLineAt(cells.mainHitIndex));
    std::vector<std::u16string_view> items;
    splitSpaces(line, items);
    // A line is "code,word weight word weight …": the next words stand at items 2, 4 and 6.
    const std::int32_t lastItem = std::min(static_cast<std::int32_t>(items.size()) - 1, 6);
    if (lastItem != 1) {
      const std::u16string r(trimSpaces(cut1Rest.hjziqb));
      const std::u16string_view follower = firstWord(r);
      for (std::int32_t k = 2; k <= lastItem; k += 2) {
        if (static_cast<std::size_t>(k) >= items.size()) break;
        const std::u16string candidate(items[static_cast<std::size_t>(k)]);
        if (c_.webServices.xymaypu(candidate + std::u16string(follower)) > 5) {
          hzstr3 = candidate;
          break;
        }
      }
    }
  }

  if (!hzstr3.empty()) {
    clearCutTable();
    if (c_.pass.rtexys == b) c_.conv.qrbuir = c_.conv.qrbu;
  } else {
    i4 = i3;
  }
}

}  // namespace yz
