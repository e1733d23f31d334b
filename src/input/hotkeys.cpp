// Hotkeys, mode switches, key capture and the key-up rules of the keyboard hook.

#include <string>

#include "input/hook.h"

namespace yz {
namespace {

constexpr int kScreenshotWaitMs = 20;
constexpr int kScreenshotWaitModifyMs = 50;
constexpr int kPrintScreenScanCode = 1;

std::u16string decimal(int n) {
  std::string s = std::to_string(n);
  return std::u16string(s.begin(), s.end());
}

// A full-width character in its narrow form.
char16_t narrow(char16_t ch) {
  if (ch >= 0xFF01 && ch <= 0xFF5E) return static_cast<char16_t>(ch - 0xFEE0);
  if (ch == 0x3000) return u' ';
  return ch;
}

}  // namespace

bool KeyboardHook::platformLabelActive() const { return c_.win.platformLabel == u"\r\n砚舟"; }

bool KeyboardHook::isSwitchKey(int key) const {
  // The caption of 切换输入法自定义键值 holds the captured key; any other caption matches no key.
  const std::u16string& caption = c_.settings.qhjv;
  if (caption.empty() || caption.size() > 3) return false;
  int value = 0;
  for (char16_t ch : caption) {
    if (ch < u'0' || ch > u'9') return false;
    value = value * 10 + (ch - u'0');
  }
  return value == key;
}

HookAnswer KeyboardHook::backQuoteSwitch() {
  CompositionState& comp = c_.comp;
  comp.platformMode = -comp.platformMode;
  const bool platform = comp.platformMode == 1;
  c_.win.platformLabel = platform ? u"\r\n砚舟" : u"\r\n系统";
  c_.window->statusChanged();
  c_.reactivateTarget();
  c_.setTimer1(platform);
  return HookAnswer::Withhold;
}

void KeyboardHook::captureKey(int key) {
  if (c_.comp.modifyKeyCode == -1) {
    c_.settings.ugjv = decimal(key);
    c_.comp.modifyKeyCode = key;
  }
  if (c_.comp.switchKeyCode == -1) {
    c_.settings.qhjv = decimal(key);
    c_.comp.switchKeyCode = key;
  }
}

HookAnswer KeyboardHook::enterModifyFromCode(int key) {
  CompositionState& comp = c_.comp;
  CandidateBoxes& b = c_.win.boxes;
  if (key == vk::kTab) {
    comp.pendingCommand = kPendingFullPage;
    c_.hook.fullPageShown = 1;
    c_.settings.hxgu = u"10";
    c_.settings.hphx = true;
    c_.settings.uphx = false;
  }
  composition_.tejm(kTejmModify);
  comp.modifyMode = 1;
  if (key == vk::kTab || key == vk::kLControl) comp.modifyListText = b.hxl.text;
  if (key == vk::kTab && !comp.modifyListText.empty()) {
    b.Text2.text = std::u16string(1, narrow(comp.modifyListText.back()));
  }
  if (key == vk::kTab || key == vk::kLControl) b.Text1.text = b.rtext1.text;
  return HookAnswer::Withhold;
}

HookAnswer KeyboardHook::fullPageInModify() {
  c_.settings.hxgu = u"10";
  c_.settings.hphx = true;
  c_.settings.uphx = false;
  if (c_.hook.fullPageShown == 1) return HookAnswer::Withhold;
  c_.comp.pendingCommand = kPendingFullPage;
  c_.hook.fullPageShown = 1;
  c_.comp.lastPromptText.clear();
  composition_.tejm(kTejmModify);
  return HookAnswer::Withhold;
}

HookAnswer KeyboardHook::screenshot() {
  c_.win.returnProcessId = c_.win.targetProcessId;
  const bool inModify = c_.comp.modifyMode == 1;
  if (inModify) {
    c_.comp.modifyMode = 0;
    c_.comp.resumeModify = 1;
  }
  c_.win.form1.visible = true;
  if (inModify) c_.win.form1.hasFocus = true;
  committer_.delay(kScreenshotWaitMs);
  // Print Screen, pressed and released; both pass through this hook inside the pump.
  c_.platform.sendKeyEvent(vk::kSnapshot, kPrintScreenScanCode, false);
  c_.platform.sendKeyEvent(vk::kSnapshot, kPrintScreenScanCode, true);
  c_.platform.doEvents();
  committer_.delay(inModify ? kScreenshotWaitModifyMs : kScreenshotWaitMs);
  c_.comp.pendingCommand = kPendingPasteScreenshot;
  c_.comp.screenshotPasteDue = true;
  // A pass that ran inside the waits above may have stopped the timer: the paste needs one more.
  c_.setTimer1(true);
  removeKeyboardHook();
  if (c_.win.returnProcessId != 0) c_.platform.activateProcess(c_.win.returnProcessId);
  c_.comp.modifyMode = 0;
  return HookAnswer::Withhold;
}

HookAnswer KeyboardHook::keyUp(int key) {
  CompositionState& comp = c_.comp;
  HookState& hook = c_.hook;
  std::u16string& code = c_.win.boxes.Text1.text;
  const std::u16string& qsk = c_.pass.quickSelectKeys;
  auto has = [&](char16_t ch) { return qsk.find(ch) != std::u16string::npos; };

  // A lone tap of the left Ctrl key switches Chinese and English input.
  if (key == vk::kLControl && code.empty() && hook.lastKeyCode == vk::kLControl &&
      platformLabelActive()) {
    const bool toEnglish = comp.chinesePunctuation == -1;
    comp.chinesePunctuation = toEnglish ? 0 : -1;
    c_.win.punctuationLabel = toEnglish ? u"\r\n. ," : u"\r\n。，";
    c_.win.languageLabel = toEnglish ? u"\r\n英" : u"\r\n中";
    c_.window->statusChanged();
    c_.setTimer1(true);
  }
  // Shift and Space as quick-select keys "L", "R" and "_".
  if (comp.modifyMode == 0) {
    if (!code.empty()) {
      for (auto [mark, shift] : {std::pair{u'L', vk::kLShift}, std::pair{u'R', vk::kRShift}}) {
        if (has(mark) && hook.lastKeyCode == shift) {
          appendToCode(std::u16string(1, mark));
          hook.shiftHeld = 0;
          hook.lastKeyCode = key;
          return HookAnswer::Pass;
        }
      }
      if (has(u'_') && key == vk::kSpace) {
        appendToCode(u"_");
        hook.lastKeyCode = key;
        return HookAnswer::Withhold;
      }
    }
  } else {
    TextBoxState& line = c_.win.boxes.Text2;
    for (auto [mark, shift] : {std::pair{u'L', vk::kLShift}, std::pair{u'R', vk::kRShift}}) {
      if (has(mark) && key == shift) {
        line.text.push_back(mark);
        line.selStart = static_cast<std::int32_t>(line.text.size());
        hook.shiftHeld = 0;
        hook.lastKeyCode = key;
        return HookAnswer::Pass;
      }
    }
    if (has(u'_') && key == vk::kSpace) {
      line.text.push_back(u'_');
      line.selStart = static_cast<std::int32_t>(line.text.size());
      hook.lastKeyCode = key;
      return HookAnswer::Withhold;
    }
  }
  // The back-quote typed into a code arrives on its release.
  if (key == vk::kBackQuote && !code.empty()) {
    appendToCode(u"`");
    hook.lastKeyCode = key;
    return HookAnswer::Withhold;
  }
  if (key == vk::kLControl || key == vk::kRControl) hook.ctrlHeld = 0;
  if (key == vk::kLWin || key == vk::kRWin) hook.winHeld = 0;
  bool withhold = false;
  if ((key == vk::kLShift || key == vk::kRShift || isSwitchKey(key)) && platformLabelActive()) {
    hook.shiftHeld = 0;
    // Only a release whose press was withheld: the target never saw that key go down.
    if (key >= 0 && key < 256) {
      withhold = hook.withheldPresses.test(static_cast<std::size_t>(key));
      hook.withheldPresses.reset(static_cast<std::size_t>(key));
    }
  }
  if (key == vk::kLMenu || key == vk::kRMenu) {
    hook.altHeld = 0;
    comp.pendingCommand = kPendingFullPage;
  }
  hook.lastKeyCode = key;
  return withhold ? HookAnswer::Withhold : HookAnswer::Pass;
}

}  // namespace yz
