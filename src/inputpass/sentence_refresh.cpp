// Sentence refresh: the changed tail of the code converted again behind the words that stay,
// and, for sound codes under 输入准确度优先, finished stretches fixed as segments and merged with
// the cloud sentence.

#include "conversion/text_steps.h"
#include "inputpass/input_pass.h"

namespace yz {
namespace {

using namespace conversion_text;

// Words before the last five of the sentence stay as they are.
constexpr std::int32_t kWordsConvertedAgain = 5;
// A word whose lookup weight reaches this is weak enough for the cloud's characters.
constexpr float kCloudWeight = 90;

}  // namespace

void InputPass::fjyi(std::u16string code) {
  c_.conversion.fjyi(code, c_.pass.hjziir, c_.conv.endzf);
}

InputPass::Step InputPass::checkCaretChar() {
  const PassState& p = c_.pass;
  std::int32_t at = p.undoPending == -1 ? len(p.bmstr) : len(c_.win.boxes.rtext1.text);
  if (at == 0) at = 1;
  if (p.bmstr.empty() || at > len(p.bmstr)) return Step::refreshPrompt;
  return Step::prepareReconversion;
}

InputPass::Step InputPass::prepareReconversion() {
  CompositionState& cm = c_.comp;
  PassState& p = c_.pass;
  const std::u16string& code = c_.win.boxes.rtext1.text;
  if (cm.modifyMode == 1) return Step::enterInstantModify;
  cm.modifyMode = 0;
  c_.conv.wordCounter = 0;
  c_.conv.hzixb.clear();
  auto ends = [&](std::int32_t k) {
    return k >= 0 && k <= kMaxSegments ? cm.segmentCodeEnds[static_cast<std::size_t>(k)] : 0;
  };
  if (cm.segmentCount > 0) {
    p.bmstr = from(code, (p.yqf == -1 ? ends(cm.segmentCount) : ends(cm.segmentCount - 1)) + 1);
  } else if (p.undoPending != -1) {
    p.bmstr = code;
  }
  const std::int32_t c = caret();
  const std::int32_t before = cm.segmentCount > 0 ? ends(cm.segmentCount - 1) : ends(cm.segmentCount);
  p.codeLeftOfCaret = left(p.bmstr, c - before);
  p.codeRightOfCaret = from(code, c + 1);
  cm.lastCaretPos = len(code);
  return Step::convertSentence;
}

InputPass::Step InputPass::convertSentence() {
  CandidateBoxes& b = c_.win.boxes;
  CompositionState& cm = c_.comp;
  ConversionState& cv = c_.conv;
  PassState& p = c_.pass;
  cm.lastCode = b.rtext1.text;
  cm.lastCaretPos = len(b.rtext1.text);

  // Keep the words before the last five.
  std::int32_t keptLetters = 0;
  p.hjzi0.clear();
  if (cv.xbia > 1) {
    cv.wordIndex = cv.wordIndex - cv.xbia + 1;
    cv.xbia = 0;
  }
  cv.j0 = std::clamp(cv.wordIndex - (kWordsConvertedAgain - 1), 1, kMaxSentenceWords);
  for (std::int32_t k = 1; k < cv.j0; ++k) {
    const SentenceWord& word = cv.wordTable[static_cast<std::size_t>(k)];
    keptLetters += len(word.code);
    p.hjzi0 += word.text;
    cv.hzixb += u" " + word.text;
  }
  p.codeLeftOfCaret = from(p.codeLeftOfCaret, keptLetters + 1);

  std::u16string leftText;
  if (!p.codeLeftOfCaret.empty()) {
    cv.tailFixed = 0;
    fjyi(p.codeLeftOfCaret);
    if (p.undoPending == -1) {
      p.tex70 = b.text7.text;
      return Step::startCandidates;
    }
    if (p.hjziir.empty()) p.hjzils1 = kNoSentence;
    leftText = p.hjzi0 + p.hjziir;
  }
  std::u16string rightText;
  if (!p.codeRightOfCaret.empty()) {
    cv.wordCounter = 0;
    fjyi(p.codeRightOfCaret);
    trimInPlace(cv.endzf);
    // A one-character sentence gives way to the first word of the end list.
    const std::u16string_view first = firstWord(cv.endzf);
    if (p.hjziir.size() == 1 && !first.empty()) p.hjziir = first;
    if (p.hjziir.empty()) p.hjzils1 = kNoSentence;
    rightText = p.hjziir;
  }
  p.hjziir = std::u16string(trimSpaces(leftText + rightText));
  if (!(c_.settings.izcmu && p.hjziir.empty())) b.text7.text = p.hjziir;
  b.rText7.text = p.hjziir;
  p.tex70 = p.hjziir;
  if (p.hjzils1 == kNoSentence) {
    cm.lastCode = b.rtext1.text;
    p.hjzils1.clear();
  }
  if (cm.segmentCount < 1 || p.yqf == -1) {
    b.rtext2.text = p.hjziir;
  } else {
    b.rtext2.text = left(b.rtext2.text, cm.segmentTextEnds[static_cast<std::size_t>(
                                            std::clamp(cm.segmentCount - 1, 0, kMaxSegments))]);
  }
  if (!cv.tailText.empty()) {
    p.resultBeforeTail = b.rtext2.text;
    b.text7.text = p.resultBeforeTail;
  }
  if (!accurateMode()) return Step::startCandidates;
  if (c_.lex.cells.zicipn < 0) fixSegment();
  cloudMerge();
  return Step::startCandidates;
}

// A finished stretch of the code becomes a fixed segment, its text taken from the cloud.
void InputPass::fixSegment() {
  CandidateBoxes& b = c_.win.boxes;
  CompositionState& cm = c_.comp;
  ConversionState& cv = c_.conv;
  PassState& p = c_.pass;
  if (cm.segmentCount + 2 > kMaxSegments) return;  // no room for another segment
  ++cm.segmentCount;
  p.yqf = -1;
  if (cm.segmentCount <= 0) return;
  auto slot = [&](std::int32_t k) { return static_cast<std::size_t>(std::max(k, 0)); };
  const std::int32_t codeLength = len(b.rtext1.text);
  if (codeLength - len(cv.tailCode) + 1 < cm.segmentCodeEnds[slot(cm.segmentCount - 1)]) {
    --cm.segmentCount;
    cm.segmentCodeEnds[slot(cm.segmentCount)] = codeLength;
    cm.segmentTextEnds[slot(cm.segmentCount)] = len(b.rtext2.text);
  }
  std::u16string prefix;
  if (cm.segmentCount != 1) {
    p.hjziir = from(p.resultBeforeTail, cm.segmentTextEnds[slot(cm.segmentCount)] + 1);
    prefix = left(b.text7.text, cm.segmentTextEnds[slot(cm.segmentCount)]);
  }
  const std::u16string segment(left(p.hjziir, len(p.hjziir) - len(cv.tailText)));
  c_.input.context.citcbmma(segment, c_.web.up, c_.web.pinyinQuery);
  c_.webServices->yuu();
  // Without a cloud text the segment keeps its local text.
  const std::u16string& cloud = c_.web.cloudText.empty() ? segment : c_.web.cloudText;
  p.tex70 = prefix + cloud + cv.tailText;
  b.text7.text = p.tex70;
  p.resultBeforeTail = b.rtext2.text;
  p.rtex1 = b.rtext1.text;
  p.rtex2 = p.resultBeforeTail;
  p.tex7 = b.text7.text;
  cm.segmentCodeEnds[slot(cm.segmentCount)] = codeLength;
  cm.segmentTextEnds[slot(cm.segmentCount)] =
      cm.segmentCount == 1 ? len(b.rtext2.text) : len(p.rtex2);
}

// The words the local lexicon knows only weakly take the cloud sentence's characters.
void InputPass::cloudMerge() {
  CandidateBoxes& b = c_.win.boxes;
  CompositionState& cm = c_.comp;
  ConversionState& cv = c_.conv;
  PassState& p = c_.pass;
  const auto fixedEnd = [&] {
    return cm.segmentTextEnds[static_cast<std::size_t>(std::clamp(cm.segmentCount, 0, kMaxSegments))];
  };
  if (cm.segmentCount > 0) {
    cv.wordCounter = 0;
    cv.wordIndex = 0;
    fjyi(std::u16string(from(b.rtext1.text, cm.segmentCodeEnds[static_cast<std::size_t>(
                                                std::min(cm.segmentCount, kMaxSegments))] + 1)));
  }
  c_.input.context.citcbmma(p.hjziir, c_.web.up, c_.web.pinyinQuery);
  if (p.hjziir == u"乲") {
    c_.web.up = u"cl";
    c_.web.pinyinQuery = u"cai";
  }
  c_.webServices->yuu();
  const std::u16string cloud = c_.web.cloudText;
  if (!cloud.empty()) {
    std::u16string merged;
    std::int32_t q = 1;
    for (std::int32_t k = 1; k <= std::min(cv.wordIndex, kMaxSentenceWords); ++k) {
      const SentenceWord word = cv.wordTable[static_cast<std::size_t>(k)];
      const std::int32_t chars = len(word.text);
      c_.lookup.hzirvck(word.code, c_.lex.cells.lookupWord, c_.lex.cells.zicipn);
      if (c_.lex.cells.zicipn >= kCloudWeight && len(word.code) == 2 * chars) {
        merged += mid(cloud, q, chars);
      } else {
        merged += word.text;
      }
      q += chars;
    }
    p.tex70 = cm.segmentCount < 1 ? merged : std::u16string(left(b.text7.text, fixedEnd())) + merged;
  }
  b.text7.text = p.tex70;
}

}  // namespace yz
