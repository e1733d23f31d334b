// The candidate pick: a quick-select key puts the candidate it names into the sentence in place of
// the stretch it stands for; finishPick shows the sentence, commits it under 句末选重上屏 and
// closes the segment.

#include <algorithm>
#include <optional>

#include "conversion/text_steps.h"
#include "inputpass/candidates.h"
#include "lexicon/gbk.h"

namespace yz {
namespace {

using namespace conversion_text;

// The last 1-based position of `needle` in `hay`; 0 when absent or when `needle` is empty.
std::int32_t lastPosition(std::u16string_view hay, std::u16string_view needle) {
  if (needle.empty()) return 0;
  const std::size_t at = hay.rfind(needle);
  return at == std::u16string_view::npos ? 0 : static_cast<std::int32_t>(at) + 1;
}

// The text without its last `n` characters, then `word`; nothing when it has fewer than `n`.
std::optional<std::u16string> replaceEnd(std::u16string_view text, double n, std::u16string_view word) {
  const std::int32_t keep = roundHalfEven(static_cast<double>(len(text)) - n);
  if (keep < 0) return std::nullopt;
  return std::u16string(left(text, keep)) + std::u16string(word);
}

void assignIf(std::u16string& target, const std::optional<std::u16string>& value) {
  if (value) target = *value;
}

bool occursIn(std::u16string_view key, std::u16string_view text) {
  if (key.empty()) return !text.empty();
  return text.find(key) != std::u16string_view::npos;
}

}  // namespace

// The quick-select road of key classification once the key named a candidate position: the key
// closes the segment and comes off the code; a position beyond the list makes it punctuation.
InputPass::Step InputPass::quickSelectRoad(std::u16string newKey, std::int32_t pickIndex) {
  PassState& p = c_.pass;
  if (pickIndex == -1) return punctuationStep(newKey);
  CompositionState& cm = c_.comp;
  CandidateBoxes& b = c_.win.boxes;
  auto slot = [&] { return static_cast<std::size_t>(std::clamp(cm.segmentCount, 0, kMaxSegments)); };
  if (cm.segmentCodeEnds[slot()] < len(b.rtext1.text) - 1 && cm.segmentCount + 2 <= kMaxSegments) {
    ++cm.segmentCount;
  }
  if (!b.rtext1.text.empty()) b.rtext1.text.pop_back();
  b.Text1.selStart = len(b.rtext1.text);
  cm.segmentCodeEnds[slot()] = len(b.rtext1.text);
  cm.segmentTextEnds[slot()] = len(b.rtext2.text);
  if (!b.Text1.text.empty()) b.Text1.text.pop_back();
  b.Text1.selStart = std::min(b.Text1.selStart, len(b.Text1.text));

  std::vector<std::u16string> items;
  const std::u16string_view shown = trimSpaces(p.tex5);
  if (!shown.empty()) {
    std::vector<std::u16string_view> views;
    splitSpaces(shown, views);
    items.assign(views.begin(), views.end());
  }
  if (pickIndex > static_cast<std::int32_t>(items.size()) - 1) {
    newKey = cm.a0;
    b.rtext1.text += newKey;
    b.Text1.selStart = len(b.rtext1.text);
    return punctuationStep(newKey);
  }
  CandidatePick(c_).pick(items, static_cast<std::size_t>(pickIndex));
  return Step::refreshCodeBox;
}

void CandidatePick::pick(const std::vector<std::u16string>& items, std::size_t pickIndex) {
  PassState& p = c_.pass;
  CandidateBoxes& b = c_.win.boxes;
  ConversionState& cv = c_.conv;
  const Settings& s = c_.settings;
  const std::u16string P(from(items[pickIndex], 2));
  const std::u16string& code = b.rtext1.text;
  std::u16string pinyin;

  // Where the picked word's code stands in the sentence's code.
  std::u16string S, up;
  c_.input.context.citcbmma(b.text7.text, S, pinyin);
  c_.input.context.citcbmma(P, up, pinyin);
  if (S.size() == 2 && S != up) up = S;  // a one-character sentence is replaced whole
  std::int32_t k3 = lastPosition(S, up);
  if (up == c_.comp.lastCode) k3 = 1;
  if (k3 == 0) {
    auto wordCode = [&](std::int32_t i) -> std::u16string_view {
      return i >= 0 && i <= kMaxSentenceWords ? std::u16string_view(cv.wordTable[static_cast<std::size_t>(i)].code)
                                              : std::u16string_view{};
    };
    const std::u16string_view lastWord = wordCode(cv.wordIndex);
    if (!lastWord.empty() && std::u16string_view(up).starts_with(lastWord)) {
      k3 = lastPosition(S, lastWord);
    } else {
      k3 = lastPosition(S, wordCode(cv.wordIndex - 1));
    }
  }
  std::u16string V(from(b.text7.text, roundHalfEven((k3 + 1) / 2.0)));
  if (k3 == 0 || V.empty()) V = P;
  const std::u16string& tailCode = cv.tailCode;
  if (!tailCode.empty() && (tailCode == s.dqrq || tailCode == s.dqsj || tailCode == s.dqxq)) {
    V = c_.lex.cells.lookupWord;
  }

  const bool endsWithTail = right(code, len(tailCode)) == std::u16string_view(tailCode);
  const std::u16string T = cv.tailText;
  const std::u16string_view bmstr = p.bmstr;

  // A single character typed by its full code.
  const bool fullCode =
      V.size() == 1 && bmstr.size() >= 5 &&
      !c_.lex.charFullCodes[static_cast<std::size_t>(c_.input.context.gbk.charIndex(V[0]))].empty() &&
      c_.lex.charFullCodes[static_cast<std::size_t>(c_.input.context.gbk.charIndex(V[0]))] ==
          bmstr.substr(bmstr.size() - 5, 4);
  if (fullCode) {
    double r = tailCode.empty() ? 0 : 4.0 * len(T) / len(tailCode);
    if (r > 2) r = 2;
    if (r == 0) r = 1;
    if (pickIndex == 0 && T.size() == 2 && !c_.lookup.ybci(bmstr.substr(bmstr.size() - 3, 2)).empty()) r = 2;
    if ((s.ilmvj || s.dgvj) && !endsWithTail) {
      assignIf(b.rtext2.text, replaceEnd(b.rtext2.text, r, P));
      assignIf(p.tex7, replaceEnd(b.text7.text, r, P));
      p.tex70 = p.tex7;
    }
    if (endsWithTail || s.huvj) {
      assignIf(b.rtext2.text, replaceEnd(b.rtext2.text, 1, P));
      assignIf(p.tex7, replaceEnd(b.text7.text, 1, P));
      p.tex70 = p.tex7;
    }
    if (!T.empty()) {
      p.resultBeforeTail = b.rtext2.text;
      p.rtex1 = code;
      p.rtex2 = p.resultBeforeTail;
    }
    finishPick();
    return;
  }

  // The four replace cases.
  const std::u16string R = b.rtext2.text;
  const std::u16string& sysyff = p.sysyff;
  const bool typedTail = endsWithTail || s.huvj;
  int replaceCase = 4;
  if (T.size() == 3 && typedTail) replaceCase = 1;
  else if (typedTail || (c_.lex.cells.lookupWord != P && sysyff.empty())) replaceCase = 2;
  else if (sysyff == P) replaceCase = 3;
  switch (replaceCase) {
    case 1: assignIf(b.rtext2.text, replaceEnd(R, len(V), P)); break;
    case 2:
      if (len(R) - len(P) < 1) {
        b.rtext2.text = P;
        p.resultBeforeTail = P;
      } else {
        assignIf(b.rtext2.text, replaceEnd(R, len(V), P));
      }
      break;
    case 3: assignIf(b.rtext2.text, replaceEnd(R, len(T) + 1, P)); break;
    default: assignIf(b.rtext2.text, replaceEnd(R, P.size() < V.size() ? len(T) : len(V), P)); break;
  }
  if (!T.empty()) {
    p.resultBeforeTail = b.rtext2.text;
    p.rtex1 = code;
    p.rtex2 = p.resultBeforeTail;
  }
  if (len(code) > 4) {
    const std::u16string N = b.text7.text;
    switch (replaceCase) {
      case 1:
      case 2: p.tex7 = len(N) - len(V) > 0 ? std::u16string(left(N, len(N) - len(V))) + P : P; break;
      case 3: assignIf(p.tex7, replaceEnd(N, len(T) + 1, P)); break;
      default: assignIf(p.tex7, replaceEnd(N, P.size() < V.size() ? len(T) : len(V), P)); break;
    }
  } else {
    p.tex7 = p.resultBeforeTail;
  }
  p.tex70 = p.tex7;
  finishPick();
}

void CandidatePick::finishPick() {
  PassState& p = c_.pass;
  CompositionState& cm = c_.comp;
  CandidateBoxes& b = c_.win.boxes;
  b.text7.text = p.tex70;
  if (c_.settings.jumoxris == 1 && !occursIn(cm.a0, p.vumayr)) {
    cm.pendingCommand = kPendingCommitSentence;
    p.rtexys.clear();
  }
  if (cm.pendingCommand == kPendingCommitSentence) {
    std::u16string sentence = b.text7.text;
    c_.input.committer.qqdz(sentence);
  }
  p.sysyff.clear();
  const auto slot = static_cast<std::size_t>(std::clamp(cm.segmentCount, 0, kMaxSegments));
  cm.segmentCodeEnds[slot] = len(b.rtext1.text);
  cm.segmentTextEnds[slot] = len(b.rtext2.text);
  if (occursIn(cm.a0, p.quickSelectKeys)) {
    b.rtext1.text = p.rtexys;
    c_.ui.zdus();
    return;
  }
  // As after the pause fix: the word state starts afresh.
  if (c_.lex.mainLexicon.lines.size() > 0) c_.lex.mainLexicon.lines.set(0, u"");
  startWordStateAfresh(c_);
  b.Text5.text.clear();
  if (c_.conv.tailFixed == 0) b.hxl.text.clear();
  c_.ui.zdus();
}

}  // namespace yz
