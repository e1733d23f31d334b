#include "conversion/segment.h"

#include <algorithm>

#include "conversion/text_steps.h"

namespace yz {

using namespace conversion_text;

void Segmentation::bmuib(std::u16string_view bmstr, std::u16string& bmb, std::u16string& hzb,
                         std::int32_t blen) {
  c_.platform.doEvents();
  // Handlers may have run: everything below is read from the state afresh.
  const Settings& s = c_.settings;
  ConversionState& conv = c_.conv;
  LookupCells& cells = c_.lex.cells;
  const std::int32_t codeLen = len(bmstr);

  std::int32_t limit = codeLen;
  std::int32_t step = (s.gjxm == 1 || c_.race.raceMode == 1) ? 2 : 1;
  if (s.ilmvj) limit = std::min(limit, 2 * conv.wordMaxLen);
  if (s.smvj) {
    step = 3;
    limit = std::min(limit, 3 * conv.wordMaxLen);
  }
  conv.loopCounter2 = limit;

  for (; conv.loopCounter2 >= blen; conv.loopCounter2 -= step) {
    if (s.smvj && conv.loopCounter2 % 3 != 0) continue;
    if (step == 2 && codeLen % 2 == 1) ++conv.loopCounter2;

    std::u16string_view head = left(bmstr, conv.loopCounter2);
    if (len(head) > 1 && len(head) % 2 == 1 && s.ilmvj &&
        !endsWith(c_.win.boxes.rtext1.text, head)) {
      head.remove_suffix(1);
      --conv.loopCounter2;
    }

    c_.lookups.hzirvck(head, cells.lookupWord, cells.zicipn);
    if (cells.lookupWord.empty()) {
      if (s.izcmu) {
        hzb.clear();
        bmb = bmstr;
        return;
      }
      continue;
    }

    std::u16string_view candCode = head;  // views bmstr
    std::u16string candText = cells.lookupWord;
    float candWeight = cells.zicipn;
    bool accept = conv.loopCounter2 == limit;
    if (!accept) {
      if (c_.comp.pendingCommand == kPendingWordMaking) cells.userHitIndex = 0;
      bool skipToNotAccepted =
          cells.charHitIndex == 0 && cells.mainHitIndex == 0 && cells.userHitIndex == 0 &&
          !s.izcmu && !s.dgvj;
      if (!skipToNotAccepted) {
        if (len(head) > 4 && cells.charHitIndex != 0 && (s.huvj || s.ilmvj)) continue;
        if (cells.mainHitIndex == 0 && cells.userHitIndex == 0 && cells.charHitIndex != 0) {
          std::u16string_view line = c_.lex.charLexicon.lines[cells.charHitIndex];
          cells.lookupWord = std::u16string(element(line, 0));
          cells.zicipn = weightValue(element(line, 1));
          candText = cells.lookupWord;
          candWeight = cells.zicipn;
        }
        bool lengthFails = false;
        if (c_.comp.pendingCommand == kPendingWordMaking) {
          if (codeLen % 2 == 1) {
            hzb.clear();
            return;
          }
          float w = 0;
          if (!knownTextWeight(bmstr, len(head), w)) {
            lengthFails = true;
          } else {
            cells.zicipn = w;
            candWeight = w;
          }
        }
        if (!lengthFails) {
          if (s.ilmvj) {
            accept = true;
          } else {
            const std::int32_t L = conv.loopCounter2;
            if (len(head) == 5 && L == limit - 1) {
              if (!c_.lookups.ybci(right(bmstr, 2)).empty() &&
                  !c_.lookups.ybci(left(head, 4)).empty()) {
                candCode = left(head, 4);
                candText = cells.lookupWord;
                candWeight = cells.zicipn;
              }
            }
            if (len(head) == 6 && L == limit - 1) {
              if (!c_.lookups.ybci(right(bmstr, 3)).empty() &&
                  !c_.lookups.ybci(left(head, 4)).empty()) {
                candCode = left(head, 4);
                candText = cells.lookupWord;
                candWeight = cells.zicipn;
              }
              if (!c_.lookups.ybci(right(bmstr, 2)).empty() &&
                  !c_.lookups.ybci(left(candCode, 5)).empty()) {
                candCode = left(candCode, 5);
                candText = cells.lookupWord;
                candWeight = cells.zicipn;
              }
            }
            conv.wzma = 1;
            const std::u16string_view rest = from(bmstr, len(candCode) + 1);
            if (igjux(rest)) {
              accept = true;
              if (len(conv.bmstrb) == 1 && !rest.empty()) {
                candCode = rest;
                candText = cells.lookupWord;
                candWeight = 200;
              }
            }
          }
        }
        if (lengthFails) continue;
      }
      if (!accept) {
        if (c_.comp.modifyMode != 1 && (s.izcmu || s.dgvj)) {
          hzb.clear();
          return;
        }
        continue;
      }
    }
    bmb.assign(candCode);
    hzb = std::move(candText);
    cells.zicipn = candWeight;
    return;
  }
  bmb.clear();
  hzb.clear();
}

bool Segmentation::knownTextWeight(std::u16string_view bmstr, std::int32_t headLetters,
                                   float& weight) {
  const RaceState& race = c_.race;
  const LookupCells& cells = c_.lex.cells;
  // The first occurrence at an odd position (1-based); none at all counts as no match.
  std::size_t at = race.raceCode.find(bmstr);
  while (at != std::u16string::npos && at % 2 == 1) at = race.raceCode.find(bmstr, at + 1);
  if (at == std::u16string::npos) return false;
  const std::int32_t p = static_cast<std::int32_t>(at) + 1;
  std::u16string w(mid(race.raceCommittedText, (p + 1) / 2, (headLetters + 1) / 2));
  std::u16string all(c_.lex.mainLineAt(cells.mainHitIndex));
  all += u' ';
  if (cells.charHitIndex > 0 && cells.charHitIndex < static_cast<std::int32_t>(c_.lex.charLexicon.lines.size()))
    all += c_.lex.charLexicon.lines[cells.charHitIndex];
  all += u' ';
  if (cells.userHitIndex > 0 && cells.userHitIndex < static_cast<std::int32_t>(c_.lex.userLexicon.lines.size()))
    all += c_.lex.userLexicon.lines[cells.userHitIndex];
  std::size_t wAt = all.find(w);
  if (wAt == std::u16string::npos) return false;
  std::u16string_view after = std::u16string_view(all).substr(wAt + w.size());
  if (!after.empty()) after.remove_prefix(1);
  weight = weightValue(after.substr(0, after.find(u' ')));
  return true;
}

void Segmentation::bmui(std::u16string_view bmstr, std::u16string& outCode, std::u16string& outText) {
  ConversionState& conv = c_.conv;
  LookupCells& cells = c_.lex.cells;
  outCode.clear();
  outText.clear();
  conv.bmstrb = bmstr;
  cells.fybci = 0;

  std::u16string c0, t0;
  bmuib(bmstr, c0, t0, 1);
  const float w0 = cells.zicipn;
  if (t0.empty()) {
    cells.zicipn = kWeightNotFound;
    return;
  }
  if (len(t0) == 1) {
    outCode = std::move(c0);
    outText = std::move(t0);
    return;
  }

  const Settings& s = c_.settings;
  if (!s.izcmu && w0 >= 90) {
    std::u16string scratch;
    if (len(c0) > 7) {
      c_.lookups.hziryhck(std::u16string(right(c0, 6)), scratch, cells.lastFoundIndex);
      if (cells.zicipn < 90) {
        c0.resize(c0.size() - 6);
        t0.resize(t0.size() >= 3 ? t0.size() - 3 : 0);
      }
    }
    if (len(c0) > 5) {
      c_.lookups.hziryhck(std::u16string(right(c0, 4)), scratch, cells.lastFoundIndex);
      if (cells.zicipn < 90) {
        c0.resize(c0.size() - 4);
        t0.resize(t0.size() >= 2 ? t0.size() - 2 : 0);
      }
    }
    cells.zicipn = w0;
  }
  if (c0 == bmstr || s.smvj) {
    outCode = std::move(c0);
    outText = std::move(t0);
    return;
  }

  // The alternatives of this choice; a choice nested inside the pump takes the next set.
  if (alternativesByDepth_.size() <= alternativesDepth_)
    alternativesByDepth_.push_back(std::make_unique<Alternatives>());
  Alternatives& alt = *alternativesByDepth_[alternativesDepth_];
  struct DepthGuard {
    std::size_t& depth;
    ~DepthGuard() { --depth; }
  } depthGuard{++alternativesDepth_};
  auto put = [&alt](std::size_t i, std::u16string_view code, std::u16string_view text, float weight,
                    std::int32_t start) {
    if (alt.size() <= i) alt.resize(i + 1);
    Alternative& a = alt[i];
    a.code.assign(code);
    a.text.assign(text);
    a.weight = weight;
    a.start = start;
  };
  put(0, c0, t0, w0, 1);
  std::int32_t n = 0;
  std::int32_t min2 = 2 * len(t0);
  const std::int32_t c0Len = len(c0);
  const std::int32_t step = ((s.dgvj || s.ilmvj) && right(bmstr, c0Len) != std::u16string_view(c0)) ? 2 : 1;
  for (std::int32_t k = 3; k <= c0Len - 1 && n < kMaxAlternatives; k += step) {
    conv.wzma = 0;
    if (!igjux(left(bmstr, k - 1))) continue;
    std::u16string code, text;
    bmuib(from(bmstr, k), code, text, min2);
    if (text.empty() || len(text) < min2 / 2) continue;
    if (len(text) >= len(alt[n].text)) min2 = 2 * len(text);

    if (c_.settings.idqi == 1 && c_.comp.modifyMode == 0 && len(t0) > 2 && len(text) > 2) {
      std::u16string_view shared = from(t0, roundHalfEven((k + 1) / 2.0));
      if (std::u16string_view(text).substr(0, shared.size()) == shared) {
        std::u16string fusedCode = c0;
        fusedCode += from(code, roundHalfEven(c0Len + 2 - k));
        std::u16string fusedText = t0;
        fusedText += from(text, roundHalfEven(len(t0) - (k - 1) / 2.0 + 1));
        conv.loopCounter2 = len(fusedCode);
        // The result is in place before the word is learned: learning codes it by the tail code.
        outCode = std::move(fusedCode);
        outText = std::move(fusedText);
        conv.icjq = 1;
        c_.lookups.forgetRepeats();  // the user lexicon changes
        if (c_.learning) c_.learning->zdzyhc(outText);
        c_.conv.icjq = 0;
        return;
      }
    }
    ++n;
    put(static_cast<std::size_t>(n), code, text, cells.zicipn, k);
  }
  if (n == 0) {
    outCode = std::move(c0);
    outText = std::move(t0);
    cells.zicipn = w0;
    return;
  }

  while (true) {
    const std::int32_t choice = choose(alt, n);
    if (choice == 0 || choice == 2) {
      outCode = std::move(c0);
      outText = std::move(t0);
      c_.lex.cells.zicipn = w0;
      return;
    }
    if (choice == 1) {
      outCode = std::u16string(left(bmstr, alt[1].start - 1));
      std::u16string word = c_.lookups.ybci(outCode);
      outText = word.empty() ? std::u16string(left(t0, roundHalfEven(len(outCode) / 2.0))) : word;
      return;
    }
    n = choice - 2;
  }
}

std::int32_t Segmentation::choose(const Alternatives& alt, std::int32_t n) {
  std::int32_t best = 0;
  for (std::int32_t i = 1; i <= n; ++i) {
    const Alternative& a = alt[i];
    const Alternative& b = alt[best];
    // Weights compare as numbers.
    bool beats = len(a.code) > len(b.code) || len(a.text) > len(b.text) ||
                 (len(a.code) == len(b.code) && a.weight < b.weight);
    if (beats && c_.settings.gjxm == 1 && c_.comp.modifyMode == 0 && len(a.text) > 2) {
      const float hits = c_.webServices.xymaypu(a.text);
      beats = hits >= c_.webServices.xymaypu(alt[0].text);
    }
    if (beats) best = i;
  }
  return best;
}

}  // namespace yz
