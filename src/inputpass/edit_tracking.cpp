// Edit tracking (what happened to the code line since the last pass) and the classification of
// a key typed at the end of the code, with the Chinese forms of punctuation.

#include <array>
#include <utility>

#include "conversion/text_steps.h"
#include "inputpass/input_pass.h"

namespace yz {
namespace {

using namespace conversion_text;

// Chinese forms of punctuation keys, in the order they are compared.
constexpr std::array<std::pair<char16_t, char16_t>, 24> kChinesePunctuation{{
    {u';', u'；'}, {u',', u'，'}, {u'?', u'？'}, {u'!', u'！'}, {u'/', u'÷'}, {u'<', u'《'},
    {u'>', u'》'}, {u'\\', u'、'}, {u'$', u'￥'}, {u'%', u'％'}, {u'@', u'＠'}, {u'#', u'＃'},
    {u'&', u'＆'}, {u'(', u'（'}, {u')', u'）'}, {u'+', u'＋'}, {u'{', u'｛'}, {u'}', u'｝'},
    {u'[', u'［'}, {u']', u'］'}, {u'|', u'｜'}, {u'^', u'＾'}, {u'.', u'。'}, {u'*', u'×'},
}};

// InStr semantics: the empty key is found in any non-empty text.
bool occursIn(std::u16string_view key, std::u16string_view text) {
  if (key.empty()) return !text.empty();
  return text.find(key) != std::u16string_view::npos;
}

// Segments need room for one more end and the bound that a caret move writes behind them.
bool segmentTableFull(const CompositionState& comp) { return comp.segmentCount + 2 > kMaxSegments; }

}  // namespace

InputPass::Step InputPass::editTracking() {
  codeLookedAt_ = true;
  CandidateBoxes& b = c_.win.boxes;
  PassState& p = c_.pass;
  ConversionState& cv = c_.conv;
  const std::u16string& code = b.rtext1.text;
  p.bmstr = code;
  p.rtexys = code;
  if (p.bmstr == c_.comp.lastCode && cv.tailFixed == 1 && c_.settings.gjxm == 0 &&
      c_.comp.modifyMode == 0) {
    return Step::dispatchPendingCommand;
  }
  const bool endsWithTail = right(p.bmstr, len(cv.tailCode)) == std::u16string_view(cv.tailCode);
  if ((!endsWithTail && !(p.bmstr.size() > 0 && p.bmstr.back() == u' ')) || cv.tailCode.empty() ||
      b.rText7.text.size() == 1) {
    // A typed command code runs as soon as its last letter arrives; a command clears the code.
    c_.input.commands.mlvti(p.bmstr);
    if (b.rtext1.text.empty()) return Step::dispatchPendingCommand;
    p.rtexys = code;
    return Step::takeNewKey;
  }
  if (p.bmstr == c_.comp.lastCode && caret() == c_.comp.lastCaretPos) {
    return c_.comp.modifyMode == 0 ? Step::dispatchPendingCommand : Step::enterInstantModify;
  }
  if ((p.bmstr != c_.comp.lastCode && caret() != len(code)) || caret() != c_.comp.lastCaretPos) {
    return caretMoved();
  }
  return generalCase();
}

// The caret moved inside the code: only the caret's segment is converted again, as two halves.
InputPass::Step InputPass::caretMoved() {
  CandidateBoxes& b = c_.win.boxes;
  PassState& p = c_.pass;
  ConversionState& cv = c_.conv;
  CompositionState& cm = c_.comp;
  p.rtexys = b.rtext1.text;
  const std::int32_t caretPos = caret();
  p.gbh = caretPos - 1;
  if (caretPos == len(b.rtext1.text) && !cv.tailText.empty()) {
    p.resultBeforeTail = b.rtext2.text;
    p.rtex2 = b.rtext2.text;
    p.tex7 = b.text7.text;
  }
  forgetSentenceWords(p, cv);
  // The bounds of the search; a full table has no room for them and takes the last segment.
  const std::int32_t count = std::min(cm.segmentCount, kMaxSegments - 1);
  cm.segmentCodeEnds[0] = 0;
  cm.segmentTextEnds[0] = 0;
  cm.segmentCodeEnds[static_cast<std::size_t>(count + 1)] = len(b.rtext1.text) + 2;
  cm.segmentTextEnds[static_cast<std::size_t>(count + 1)] = len(b.text7.text) + 1;
  std::int32_t k = count;
  for (std::int32_t i = 0; i <= count; ++i) {
    if (cm.segmentCodeEnds[static_cast<std::size_t>(i)] <= caretPos &&
        caretPos < cm.segmentCodeEnds[static_cast<std::size_t>(i + 1)]) {
      k = i;
      break;
    }
  }
  const std::int32_t start = cm.segmentCodeEnds[static_cast<std::size_t>(k)];
  const std::int32_t end = cm.segmentCodeEnds[static_cast<std::size_t>(k + 1)];
  p.bmstr = std::u16string(mid(b.rtext1.text, start + 1, end - start - 2));
  p.codeLeftOfCaret = std::u16string(left(p.bmstr, caretPos - start));
  p.codeRightOfCaret = std::u16string(from(p.bmstr, len(p.codeLeftOfCaret) + 1));
  cm.lastCaretPos = len(b.rtext1.text);
  if (c_.mirror.fullPinyinMode != 1) cm.lastCode = b.rtext1.text;
  cv.j0 = 1;
  if (cv.xbia > 1) cv.xbia = 0;
  trimInPlace(p.codeLeftOfCaret);

  std::u16string leftText, leftEnd, leftTailCode, leftTailText;
  if (!p.codeLeftOfCaret.empty()) {
    fjyi(p.codeLeftOfCaret);
    if (cm.grabPending == 1) p.hjziir = b.text7.text;
    if (p.hjziir.empty()) p.hjzils1 = kNoSentence;
    leftText = p.hjziir;
    leftEnd = std::u16string(trimSpaces(cv.endzf));
    leftTailCode = cv.tailCode;
    leftTailText = cv.tailText;
  }
  std::u16string rightText;
  if (!p.codeRightOfCaret.empty()) {
    cv.wordCounter = 0;
    fjyi(p.codeRightOfCaret);
    if (p.hjziir.empty()) p.hjzils1 = kNoSentence;
    rightText = p.hjziir;
  }
  p.hjziir = std::u16string(trimSpaces(leftText + rightText));
  b.text7.text = p.hjziir;
  if (!leftText.empty()) {
    cv.tailCode = leftTailCode;
    cv.tailText = leftTailText;
    cv.endzf = leftEnd;
  }
  cm.lastCaretPos = caret();
  b.rtext2.text = b.text7.text;
  if (cm.modifyMode == 0) b.hxl.text.clear();
  if (p.lookChanged == -1 || cm.grabPending == 1 || c_.mirror.fullPinyinMode == 1) {
    p.tex70 = b.text7.text;
    cm.grabPending = 0;
    return Step::keepCandidates;
  }
  return Step::refreshWindow;
}

// The code changed with the caret at its end.
InputPass::Step InputPass::generalCase() {
  CandidateBoxes& b = c_.win.boxes;
  PassState& p = c_.pass;
  ConversionState& cv = c_.conv;
  CompositionState& cm = c_.comp;
  p.rtexys = b.rtext1.text;
  cm.a0 = std::u16string(right(p.bmstr, 1));
  p.bmstr = b.rtext1.text;
  if (p.bmstr.size() == 1) c_.web.cloudText.clear();
  c_.input.commands.mlvti(p.bmstr);
  if (cm.modifyMode == 1) return Step::checkCaretChar;
  if (len(p.bmstr) < len(cm.lastCode) || cm.pendingCommand == kPendingLongPress) {
    auto ends = [&](std::int32_t k) { return cm.segmentCodeEnds[static_cast<std::size_t>(k)]; };
    if (cm.segmentCount > 0 && len(p.bmstr) <= ends(cm.segmentCount)) {
      --cm.segmentCount;
      if (cm.segmentCount > 0 && len(p.bmstr) < ends(cm.segmentCount)) --cm.segmentCount;
      const auto textEnd = cm.segmentTextEnds[static_cast<std::size_t>(cm.segmentCount)];
      p.rtex1 = std::u16string(left(b.rtext1.text, ends(cm.segmentCount)));
      p.rtex2 = std::u16string(left(b.rtext2.text, textEnd));
      p.tex7 = std::u16string(left(b.text7.text, textEnd));
    }
    if (!p.bmstr.empty() && p.bmstr.back() == u' ') p.bmstr = left(b.rtext1.text, len(b.rtext1.text) - 1);
    cm.modifyMode = 0;
    p.hjzi0.clear();
    cv.hzixb.clear();
    cv.wordIndex = 0;
    cv.eraseWordTable();
    return Step::prepareReconversion;
  }
  if (b.rtext1.text.ends_with(u"__")) cm.pendingCommand = kPendingCommitSentence;
  if (len(p.bmstr) > len(cm.lastCode) && caret() == len(b.rtext1.text)) return Step::takeNewKey;
  return Step::refreshPrompt;
}

InputPass::Step InputPass::takeNewKey() {
  PassState& p = c_.pass;
  CompositionState& cm = c_.comp;
  p.lastNewKeyTime = c_.platform.clockMs();
  c_.win.externalTarget = -1;
  if (!catchingUp_) c_.platform.doEvents();  // a catch-up neither pumps nor catches up again
  // A mark typed right behind letters that no pass has converted yet: the letters are converted
  // first, so that the sentence the mark closes (or commits) holds them.
  if (!catchingUp_ && p.undoPending != -1 && !p.bmstr.empty() &&
      !occursIn(right(p.bmstr, 1), p.codeChars)) {
    const std::u16string before(left(c_.win.boxes.rtext1.text, len(c_.win.boxes.rtext1.text) - 1));
    if (!convertedUpTo(before)) catchUp(before);
  }
  CandidateBoxes& b = c_.win.boxes;  // re-read after the pump
  if (p.undoPending == -1) {
    // Keep the last run of letters only.
    auto letter = [](char16_t ch) { return ch >= u'a' && ch <= u'z'; };
    for (std::int32_t i = len(p.bmstr) - 2; i >= 1; --i) {
      const auto at = static_cast<std::size_t>(i);
      if (!letter(p.bmstr[at - 1]) && letter(p.bmstr[at])) {
        p.bmstr = p.bmstr.substr(at);
        while (!p.bmstr.empty() && !letter(p.bmstr.back())) p.bmstr.pop_back();
        break;
      }
    }
  }
  p.skipUnchangedFlag = 0;
  c_.conv.qmhbir = 1;
  std::u16string newKey(right(p.bmstr, 1));
  if (newKey == u" ") return Step::endPass;
  cm.a0 = newKey;
  cm.xbzm.clear();
  cm.modifyListText.clear();
  if (b.rtext1.text == u";") return Step::checkCaretChar;
  const bool codeKey = occursIn(newKey, p.codeChars);
  if (!codeKey) {
    if (!p.rtexys.empty()) p.rtexys.pop_back();
    p.yqf = -1;
  }
  // The punctuation part of the quick-select keys, ahead of the digits.
  const std::u16string quickSelectPunctuation = c_.settings.bdkx == 1 ? c_.settings.kjhxj : u"";
  p.quickSelectKeys = quickSelectPunctuation;
  if (c_.settings.uzkx == 1) p.quickSelectKeys += kDigitKeys;

  if (!codeKey && !b.hxl.text.empty()) {
    cm.pendingCommand = kPendingNone;
    const bool commitsOnKey = c_.settings.kxup == 1 || c_.settings.qrpn.marked();
    const bool quickKey = occursIn(newKey, p.quickSelectKeys);
    if (commitsOnKey && !quickKey) cm.pendingCommand = kPendingCommitSentence;
    const std::size_t at = newKey.empty() ? 0 : p.quickSelectKeys.find(newKey);
    const std::int32_t position = at == std::u16string::npos ? 0 : static_cast<std::int32_t>(at) + 1;
    std::int32_t pick = position - len(quickSelectPunctuation) - 1;
    if (pick < 0) pick += len(quickSelectPunctuation);
    return quickSelectRoad(newKey, pick);
  }
  if (occursIn(newKey, p.quickSelectKeys) && newKey == u"_") {
    b.rtext1.text = p.rtexys;
    return Step::refreshCodeBox;
  }
  if (codeKey) return Step::checkCaretChar;
  return punctuationStep(newKey);
}

// A key outside the code alphabet closes the segment: its Chinese form is appended to the
// sentence, and typed alone it is committed at once.
InputPass::Step InputPass::punctuationStep(std::u16string newKey) {
  CandidateBoxes& b = c_.win.boxes;
  PassState& p = c_.pass;
  CompositionState& cm = c_.comp;
  if (segmentTableFull(cm)) {
    // No room for another segment: the key is refused.
    if (!b.Text1.text.empty()) b.Text1.text.pop_back();
    b.Text1.selStart = len(b.Text1.text);
    b.rtext1.text = b.Text1.text;
    cm.lastCode = b.rtext1.text;
    cm.lastCaretPos = len(b.rtext1.text);
    return Step::refreshCodeBox;
  }
  ++cm.segmentCount;
  const std::u16string typed = newKey;
  if (cm.chinesePunctuation == -1 && newKey.size() == 1) {
    const char16_t key = newKey[0];
    for (const auto& [ascii, chinese] : kChinesePunctuation) {
      if (key == ascii) newKey = std::u16string(1, chinese);
    }
    if (key == u'"') {
      newKey = cm.doubleQuoteToggle == 1 ? u"“" : u"”";
      cm.doubleQuoteToggle = -cm.doubleQuoteToggle;
    } else if (key == u'\'') {
      newKey = cm.singleQuoteToggle == 1 ? u"‘" : u"’";
      cm.singleQuoteToggle = -cm.singleQuoteToggle;
    }
  }
  cm.a0 = newKey;
  if (c_.settings.kxup == 1 || c_.settings.qrpn.marked()) newKey.clear();
  if (cm.longPressDone == 0) {
    std::u16string code(left(b.rtext1.text, len(b.rtext1.text) - 1));
    b.rtext1.text = code + typed + u" ";
    b.Text1.text = b.rtext1.text;
    b.Text1.selStart = len(b.rtext1.text);
    newKey = cm.a0;
  }
  b.rtext2.text += newKey;
  p.resultBeforeTail = b.rtext2.text;
  p.rtex1 = b.rtext1.text;
  p.rtex2 = b.rtext2.text;
  if (std::u16string_view(right(b.text7.text, 1)) != newKey) p.tex7 = b.text7.text + newKey;
  p.tex70 = p.tex7;
  if (b.rtext1.text.size() == 2) {
    commit(b.rtext2.text);
    return Step::refreshCodeBox;
  }
  const auto slot = static_cast<std::size_t>(cm.segmentCount);
  cm.segmentCodeEnds[slot] = len(b.rtext1.text);
  cm.segmentTextEnds[slot] = len(b.rtext2.text);
  b.text7.text = p.tex7;
  startWordStateAfresh(c_);
  return Step::refreshCodeBox;
}

}  // namespace yz
