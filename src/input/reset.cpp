#include "input/reset.h"

#include <algorithm>
#include <string>

namespace yz {
namespace {

// n / 2 rounded to the nearest integer, halves to the even neighbour.
int halfRoundedEven(int n) {
  int q = n / 2;
  if (n % 2 != 0 && q % 2 != 0) ++q;
  return q;
}

std::u16string decimal(int n) {
  std::string s = std::to_string(n);
  return std::u16string(s.begin(), s.end());
}

constexpr std::size_t kPositionLetters = 26;

}  // namespace

void Composition::restoreListSettings() {
  c_.settings.hxgu = decimal(c_.mirror.pageSize);
  c_.settings.uphx = c_.mirror.verticalListSetting != 0;
  c_.settings.hphx = c_.mirror.verticalListSetting == 0;
}

void Composition::clearCompositionCells() {
  CandidateBoxes& b = c_.win.boxes;
  PassState& p = c_.pass;
  b.rtext1.text.clear();
  b.rtext2.text.clear();
  c_.comp.modifyMode = 0;
  b.Text2.text = u"输入";
  c_.comp.lastPromptText = u"输入";
  p.hjzi0.clear();
  c_.conv.hzixb.clear();
  c_.conv.wordCounter = 0;
  c_.conv.wordIndex = 0;
  p.rtex2.clear();
  p.rtex1.clear();
  p.tex5.clear();
  p.tex7.clear();
  c_.comp.clearSegments();
  c_.web.sentenceWaitMs = 0;
  b.text7.text.clear();
  b.hxl.text.clear();
  c_.comp.lastCode.clear();
  p.resultBeforeTail.clear();
  c_.comp.lastCaretPos = 0;
  p.bmstr.clear();
  p.typedCodeSeen.reset();
}

void Composition::escjm() {
  restoreListSettings();
  c_.win.lastSegmentDisplay.clear();
  c_.win.segmentDisplayParity = 0;
  c_.win.tim0 = 0;
  c_.pass.jsq1 = 0;
  clearCompositionCells();
  c_.win.boxes.Text1 = {};
  c_.comp.typedAhead.clear();
  c_.pass.tex70.clear();
  c_.win.boxes.Text5.text.clear();
  c_.conv.tailCode.clear();
  c_.pass.codeRightOfCaret.clear();
  c_.comp.modifyListText.clear();
  c_.pass.maxHitIndex = 0;
  c_.conv.endzf.clear();
  c_.window->zdus();
}

void Composition::tejm(int keyCode) {
  const std::u16string& shown = c_.win.boxes.rtext1.text;
  if (!shown.empty() && c_.isDoubleByte(shown.front())) return;
  if (keyCode == kTejmModify) {
    enterModify();
  } else if (keyCode == kTejmClear) {
    clear();
  }
}

void Composition::clear() {
  c_.conv.qmhbir = 1;
  clearCompositionCells();
  c_.conv.eraseWordTable();
  c_.pass.tex70 = c_.pass.tex7;
  c_.comp.doubleQuoteToggle = 1;
  c_.comp.singleQuoteToggle = 1;
  c_.win.boxes.Text5.text = c_.comp.xbzm;
  c_.conv.tailCode.clear();
  c_.window->zdus();
}

void Composition::enterModify() {
  CompositionState& comp = c_.comp;
  CandidateBoxes& b = c_.win.boxes;
  if (comp.modifyMode != 0) return;
  comp.modifyMode = 1;
  b.Text2.text = u"瞬改";

  // The code of the sentence: as typed when it has two letters a character, else encoded.
  std::u16string buy = b.rtext1.text;
  if (b.rtext1.text.size() != 2 * b.rtext2.text.size()) {
    std::u16string bm;
    c_.citcbmma(b.rtext2.text, bm, c_.web.pinyinQuery);
    if (bm.empty() || !c_.isDoubleByte(bm.front())) buy = bm;
    b.rtext1.text = buy;
  }
  const int gbh = static_cast<int>(buy.size());
  b.Text1.selStart = std::min(gbh, static_cast<int>(b.Text1.text.size()));
  c_.pass.gbh = gbh;
  c_.pass.buy = buy;
  c_.pass.rtex1 = buy;
  comp.codeBeforeKey = buy;
  comp.lastCode = buy;
  c_.pass.bmstr = buy;
  comp.lastCaretPos = gbh;
  c_.pass.rtex2 = b.rtext2.text;

  // Segments: each space of the code closes one.
  int k = 0;
  std::u16string_view rest = comp.codeBeforeKey;
  for (auto p = rest.find(u' '); p != std::u16string_view::npos && k < kMaxSegments - 1;
       p = rest.find(u' ')) {
    ++k;
    comp.segmentCodeEnds[k] = comp.segmentCodeEnds[k - 1] + static_cast<int>(p) + 1;
    comp.segmentTextEnds[k] = halfRoundedEven(comp.segmentCodeEnds[k]);
    rest.remove_prefix(p + 1);
  }
  comp.codeBeforeKey = std::u16string(rest);
  comp.segmentCount = k;
  comp.segmentCodeEnds[k + 1] = gbh + 2;
  comp.segmentTextEnds[k + 1] = static_cast<int>(b.rtext2.text.size()) + 1;

  // Position letters ａ, ｂ, ... one per character, at most 26.
  const int n = halfRoundedEven(gbh);
  for (int i = 0; i < n && static_cast<std::size_t>(i) < kPositionLetters; ++i) {
    const char16_t letter = static_cast<char16_t>(u'ａ' + i);
    comp.xbzm.push_back(letter);
    comp.modifyListText.push_back(letter);
  }
  b.Text5.text = comp.xbzm;
  b.hxl.text = b.Text5.text;
  c_.window->zdus();
}

}  // namespace yz
