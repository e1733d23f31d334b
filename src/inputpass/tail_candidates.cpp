// The tail candidates: the candidate list of the sentence's last word, by the number of its
// characters (L) and of its code letters (C). A code with more letters than its word needs carries
// auxiliary letters at its end; the words of its word part are filtered by them.

#include <algorithm>
#include <initializer_list>

#include "conversion/text_steps.h"
#include "inputpass/candidates.h"

namespace yz {
namespace {

using namespace conversion_text;

// Joins pieces with one space between consecutive pieces; empty pieces keep their spaces.
std::u16string join(std::initializer_list<std::u16string_view> pieces) {
  std::u16string out;
  bool first = true;
  for (std::u16string_view piece : pieces) {
    if (!first) out += u' ';
    out += piece;
    first = false;
  }
  return out;
}

}  // namespace

std::u16string TailCandidates::line(std::u16string_view code) {
  return c_.lookup.ybcib(code);
}

AuxFilterTables TailCandidates::auxTables() const {
  const auto& order = c_.settings.auxOrder;
  const std::int32_t chosen = order[0] ? 0 : order[2] ? 2 : 1;
  return AuxFilterTables{c_.lex.charAuxCodes, c_.input.context.gbk, chosen, c_.settings.fmwx == 1,
                         c_.pass.fumayr};
}

// The filter step: the line of the word part, trimmed; when it has words, those matching the typed
// letters are collected (behind the whole-code step's words where it ran). Without words the
// collected words are what the lookups left.
std::u16string TailCandidates::collect(AuxVariant variant, std::u16string_view slice,
                                       std::u16string_view typed,
                                       const std::u16string* wholeCodeWords) {
  const std::u16string words(trimSpaces(line(slice)));
  std::u16string collected = wholeCodeWords ? *wholeCodeWords : c_.lex.cells.wordCandidates;
  if (!words.empty()) {
    if (!wholeCodeWords) collected.clear();
    filterByAuxCode(variant, words, typed, auxTables(), collected);
  }
  return collected;
}

bool TailCandidates::startCandidates(bool emptyList) {
  PassState& p = c_.pass;
  ConversionState& cv = c_.conv;
  LookupCells& cells = c_.lex.cells;
  if (emptyList) p.tex5.clear();
  if (cells.mainHitIndex != 0) p.maxHitIndex = cells.mainHitIndex;
  if (c_.input.context.race.raceMode == 1) return false;
  p.hbxrlj = true;
  forgetSentenceWords(p, cv);

  const Settings& s = c_.settings;
  const std::u16string code = cv.tailCode;
  const std::u16string& endzf = cv.endzf;
  const std::int32_t L = len(cv.tailText), C = len(code);
  const bool wordMode = s.izcmu;
  const bool twoLetterOrTopUp = s.ilmvj || s.dgvj;
  auto first = [&](std::int32_t n) { return std::u16string(left(code, n)); };
  auto last = [&](std::int32_t n) { return std::u16string(right(code, n)); };
  std::u16string& list = p.tex5;
  std::u16string unusedWord;
  float unusedWeight = 0;

  if (L == 1) {
    if (C <= 2) {
      c_.input.userLookup.hzirdzck(std::u16string(right(c_.win.boxes.rtext1.text, 4)), unusedWord,
                                   unusedWeight);
      // The single-character line at the hit, scratch in lookupWord.
      const TextColumn& charLines = c_.lex.charLexicon.lines;
      const auto hit = static_cast<std::size_t>(std::max(cells.charHitIndex, 0));
      cells.lookupWord = std::u16string(hit < charLines.size() ? charLines[hit] : std::u16string_view{});
      list = join({trimSpaces(endzf), cells.lookupWord});
    } else if (C == 3 || C == 4) {
      list = endzf;
    }
    trimInPlace(list);
  }

  if (L == 2 || C == 4) {
    if (C == 4) {
      c_.input.userLookup.hzirdzck(code, unusedWord, unusedWeight);
      if (cells.charHitIndex != 0) {
        if (!wordMode) list = join({endzf, line(last(2))});
      } else {
        list = endzf;
        if (s.ilmvj || s.huvj) {
          const std::u16string whole = line(code);
          list = join({whole, endzf, line(last(2))});
        }
      }
      trimInPlace(list);
    } else if (C == 5) {
      const std::u16string collected = collect(AuxVariant::A, first(4), last(1), nullptr);
      if (!wordMode) list = join({collected, line(last(3))});
      trimInPlace(list);
      // The list the lookup made just before accumulated.
      if (list.empty()) list = cells.endzf0;
      if (endzf.size() < cells.endzf0.size()) list = endzf;
      cells.wordCandidates = collected;
    } else if (C == 6 || C == 7) {
      // The whole-code step, then the filter step over the first four letters.
      std::u16string whole(trimSpaces(line(code)));
      std::u16string wholeWords = cells.wordCandidates;
      if (!whole.empty()) wholeWords += u" " + whole;
      if (C == 7) trimInPlace(wholeWords);
      const std::u16string collected =
          collect(C == 6 ? AuxVariant::B1 : AuxVariant::C, first(4), last(C == 6 ? 2 : 3), &wholeWords);
      if (twoLetterOrTopUp) {
        if (!wordMode) list = join({collected, endzf, line(last(2))});
      } else {
        list = C == 6 ? cells.endzf0 : collected;
      }
      if (C == 6) trimInPlace(list);
      cells.wordCandidates = collected;
    }
  }

  if (L == 3 && C >= 6 && C <= 8) {
    const AuxVariant variant = C == 6 ? AuxVariant::B2 : C == 7 ? AuxVariant::D : AuxVariant::E;
    const std::u16string collected =
        collect(variant, first(C == 6 ? 4 : 6), last(C == 7 ? 1 : 2), nullptr);
    if (!wordMode) {
      if (C == 6) {
        const std::u16string last4 = line(last(4));
        list = join({collected, endzf, last4, line(last(2))});
      } else {
        list = join({collected, endzf, line(last(2))});
      }
    }
    cells.wordCandidates = collected;
  }

  if (L > 3) {
    if (!wordMode) {
      const std::u16string last6 = line(last(6));
      const std::u16string last4 = line(last(4));
      list = join({endzf, last6, last4, line(last(2))});
    }
    collapseDoubleSpaces(list);
  }
  return true;
}

// The tail candidates, their display and the automatic commit, one after the other; race mode
// builds no list and shows none.
InputPass::Step InputPass::startCandidates(bool emptyList) {
  keepFixedSegments();
  CandidateDisplay display(c_);
  if (TailCandidates(c_).startCandidates(emptyList) && display.show()) {
    return AutoCommit(c_).run(true) ? Step::restartPass : Step::showSentence;
  }
  display.refreshCandidateList();
  return AutoCommit(c_).run(false) ? Step::restartPass : Step::showSentence;
}

void InputPass::keepFixedSegments() {
  CandidateBoxes& b = c_.win.boxes;
  const PassState& p = c_.pass;
  const CompositionState& cm = c_.comp;
  if (cm.segmentCount <= 0 || p.yqf != -1 || accurateMode()) return;
  const auto end = cm.segmentTextEnds[static_cast<std::size_t>(std::min(cm.segmentCount, kMaxSegments))];
  const std::u16string fixed(left(p.rtex2, end));
  if (!std::u16string_view(b.rtext2.text).starts_with(fixed)) b.rtext2.text = fixed + b.rtext2.text;
  if (!std::u16string_view(b.text7.text).starts_with(fixed)) b.text7.text = fixed + b.text7.text;
}

}  // namespace yz
