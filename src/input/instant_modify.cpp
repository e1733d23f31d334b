// The instant-modify loop: the entry from the input pass, the cycle over the edit line, the
// pending commands served inside the loop and the way back to idle.

#include "input/instant_modify.h"

#include <algorithm>

#include "conversion/sentence.h"
#include "conversion/text_steps.h"

namespace yz {
namespace {

using namespace conversion_text;

constexpr std::u16string_view kIdlePrompt = u"瞬改";
constexpr std::u16string_view kInputPrompt = u"输入";
constexpr std::u16string_view kDigitKeys = u"1234567890";
constexpr int kCycleWaitMs = 10;
constexpr int kEnterCommitWaitMs = 20;
constexpr int kPasteWaitMs = 10;
constexpr int kVkControl = 17;
constexpr int kVkV = 86;

// The full-width form of an ASCII letter or mark; other characters as they are.
char16_t fullWidth(char16_t ch) {
  return ch >= u'!' && ch <= u'~' ? static_cast<char16_t>(ch + 0xFEE0) : ch;
}

// "_" to "z": the letters of the code alphabet as the loop tests them.
bool inCodeRange(char16_t ch) { return ch >= 95 && ch <= 122; }

// Leaves the loop's nesting count right however the loop ends.
struct Nesting {
  Nesting(int& depth, int& deepest) : depth_(depth) { deepest = std::max(deepest, ++depth_); }
  ~Nesting() { --depth_; }
  int& depth_;
};

}  // namespace

std::u16string doubleByteChars(std::u16string_view text, const GbkTable& gbk) {
  std::u16string out;
  for (char16_t ch : text) {
    if (gbk.codeOf(ch) > 0xFF) out.push_back(ch);
  }
  return out;
}

std::u16string InstantModify::iphjzi(std::u16string_view text) const {
  return doubleByteChars(text, c_.gbk);
}

void InstantModify::fjyi(std::u16string& code) {
  conversion_.fjyi(code, c_.pass.hjziir, c_.conv.endzf);
}

void InstantModify::enterInstantModify() {
  CandidateBoxes& b = c_.win.boxes;
  CompositionState& cm = c_.comp;
  PassState& p = c_.pass;
  const std::u16string& endzf = c_.conv.endzf;
  if (endzf.size() > 2 && endzf.find(u' ') == 2 && c_.settings.izcmu) {
    p.resultBeforeTail = endzf.substr(0, 2);
  }
  p.rtex1 = b.rtext1.text;
  b.rtext1.text = p.resultBeforeTail;
  // The code box holds converted text now; writing it puts its caret at the start.
  b.Text1 = {p.resultBeforeTail, 0};
  p.quickSelectKeys = c_.settings.kjhxj;
  if (c_.settings.uzkx == 1) p.quickSelectKeys += kDigitKeys;
  if (!c_.conv.tailText.empty()) {
    p.resultBeforeTail = b.rtext2.text;
    cm.modifySentence = b.text7.text;
  }
  c_.window->zdus();
  cm.modifyListText = b.hxl.text;
  listAtEntry_ = cm.modifyListText;
  if (p.rtex1.size() == 2) {
    // One character: its position is chosen in advance.
    b.Text2.text = u"a";
    b.Text2.selStart = 1;
  }
  upgliuli();
}

void InstantModify::upgliuli() {
  Nesting nesting(depth_, deepest_);
  CandidateBoxes& b = c_.win.boxes;
  CompositionState& cm = c_.comp;
  placed_.clear();
  for (;;) {
    if (c_.platform.quitting()) return;  // the program ends: the loop gives the pump back
    if (b.text7.text.empty() || cm.modifyMode == 0) {
      cm.modifyMode = 0;
      return;
    }
    std::u16string seen;
    const Next next = readEditLine(seen);
    if (next == Next::leaveLoop) return;
    cm.lastPromptText = next == Next::nextStep ? seen : b.Text2.text;
    if (servePendingCommand() == Next::leaveLoop) return;
    c_.setTimer1(true);
    c_.platform.doEvents();
    committer_.delay(kCycleWaitMs);
  }
}

// Steps 2 to 7. `seen` receives the edit line as the cycle found it; nextStep tells the caller
// that the edit line was reset from it (lastPromptText then takes `seen`), endCycle that the
// edit line as left stands.
InstantModify::Next InstantModify::readEditLine(std::u16string& seen) {
  CandidateBoxes& b = c_.win.boxes;
  CompositionState& cm = c_.comp;
  PassState& p = c_.pass;
  TextBoxState& line = b.Text2;
  seen = line.text;
  if (line.text == cm.lastPromptText || line.text == kIdlePrompt) return Next::endCycle;
  if (line.text.empty()) {
    line.text = kIdlePrompt;
    line.selStart = 0;
    b.Text5.text = std::u16string(trimSpaces(listAtEntry_));
    b.hxl.text = b.Text5.text;
    c_.window->zdus();
    return Next::nextStep;
  }
  if (listAtEntry_.find(fullWidth(line.text.front())) == std::u16string::npos) {
    // The first character is no position letter.
    line.text = kIdlePrompt;
    line.selStart = 0;
    return Next::nextStep;
  }
  if (p.rtex1.empty()) {
    p.hjzi0.clear();
    c_.conv.hzixb.clear();
    p.hjziir.clear();
    c_.conv.wordIndex = 0;
    c_.conv.eraseWordTable();
    cm.modifyMode = 0;
    line.text = kInputPrompt;
    return Next::leaveLoop;
  }

  const std::u16string& keys = p.quickSelectKeys;
  auto size = [&] { return static_cast<std::int32_t>(line.text.size()); };
  std::int32_t caret = std::clamp(line.selStart, 1, size());
  char16_t ch = line.text[static_cast<std::size_t>(caret - 1)];
  if (ch >= u'1' && ch <= u'5' && c_.settings.uzkx == 1 && static_cast<std::size_t>(ch - u'0') <= keys.size()) {
    // "1" to "5" act as the five punctuation select keys.
    ch = keys[static_cast<std::size_t>(ch - u'1')];
    line.text.back() = ch;
  }
  const bool selectKey = keys.find(ch) != std::u16string::npos;
  if (ch != u' ' && !inCodeRange(ch) && !selectKey) {
    line.text.erase(static_cast<std::size_t>(caret - 1), 1);
    line.selStart = size();
    return Next::endCycle;
  }
  if (line.text.size() == 3 && line.text.substr(1) == kIdlePrompt) {
    line.text.resize(1);
    line.selStart = 1;
  }
  const char16_t last = line.text.back();
  bool listShown = false;
  switch (size()) {
    case 1: {
      const Next next = positionStage();
      if (next == Next::leaveLoop) return next;
      // An emptied edit line: the next cycle shows the position letters again.
      if (next == Next::endCycle) return Next::nextStep;
      listShown = true;
      break;
    }
    case 4:
      labelPick();
      return Next::endCycle;
    default:
      if (keys.find(last) != std::u16string::npos || !inCodeRange(last)) {
        selectStage();
        return Next::endCycle;
      }
      if (filterStage() != Next::nextStep) return Next::endCycle;
      listShown = true;
  }
  if (listShown && cm.pairList.size() == 1) {
    backToIdle();
  }
  return Next::endCycle;
}

void InstantModify::backToIdle() {
  CandidateBoxes& b = c_.win.boxes;
  b.Text2.text = kIdlePrompt;
  b.Text2.selStart = 0;
  b.Text5.text = std::u16string(trimSpaces(listAtEntry_));
  b.hxl.text = b.Text5.text;
  c_.window->zdus();
}

InstantModify::Next InstantModify::servePendingCommand() {
  CandidateBoxes& b = c_.win.boxes;
  CompositionState& cm = c_.comp;
  const std::int32_t command = cm.pendingCommand;
  if (command == kPendingCommitSentence) {
    // Committed while instant modify is still on, so word learning follows.
    std::u16string sentence = b.text7.text;
    committer_.qqdz(sentence);
    cm.modifyMode = 0;
    b.rtext1.text.clear();
    return Next::leaveLoop;
  }
  if ((command == kPendingPasteScreenshot || cm.screenshotPasteDue) && c_.win.targetProcessId != 0) {
    Platform& pf = c_.platform;
    pf.activateProcess(c_.win.returnProcessId);
    committer_.delay(kPasteWaitMs);
    cm.pendingCommand = kPendingNone;
    cm.screenshotPasteDue = false;
    pf.sendKeyEvent(kVkControl, pf.scanCodeOf(kVkControl), false);
    pf.sendKeyEvent(kVkV, pf.scanCodeOf(kVkV), false);
    pf.sendKeyEvent(kVkV, pf.scanCodeOf(kVkV), true);
    pf.sendKeyEvent(kVkControl, pf.scanCodeOf(kVkControl), true);
    hook_.installKeyboardHook();
    composition_.escjm();
    if (cm.resumeModify == 1) {
      cm.modifyMode = 1;
      cm.resumeModify = 0;
    }
  }
  if (cm.pendingCommand == kPendingEnter) {
    b.text7.text = b.rtext1.text;
    c_.platform.sleepMs(kEnterCommitWaitMs);
    std::u16string text = b.Text1.text;
    committer_.qqdz(text);
  }
  if (cm.pendingCommand == kPendingLongPress) {
    // The held letter chooses the first character whose code holds it.
    const char16_t letter = static_cast<char16_t>(c_.hook.lastKeyCode + 32);
    const std::size_t at = c_.pass.buy.find(letter);
    const std::int32_t p = at == std::u16string::npos ? 0 : static_cast<std::int32_t>(at) + 1;
    b.Text2.text = std::u16string(1, static_cast<char16_t>(96 + (p + 1) / 2));
    b.Text2.selStart = 1;
    cm.pendingCommand = kPendingNone;
  }
  if (cm.pendingCommand == kPendingFullPage) {
    fullPage();
    c_.window->zdus();
    cm.pendingCommand = kPendingNone;
  }
  return Next::nextStep;
}

}  // namespace yz
