#include "input/hook.h"

#include <algorithm>

namespace yz {
namespace {

constexpr std::uint32_t kLongPressMs = 70;
constexpr std::size_t kMaxShownSentence = 25;  // rText7 longer than this refuses letters
constexpr char16_t kShiftedDigits[] = u")!@#$%^&*(";

}  // namespace

// ----- installation -----

void KeyboardHook::installKeyboardHook() {
  if (c_.comp.hookHandle == 0 || !c_.platform.keyboardHookInstalled()) {
    const bool installed =
        c_.platform.installKeyboardHook([this](const KeyEvent& e) { return keyboardHookProc(e); });
    if (!installed) {
      c_.platform.messageBox(u"键盘钩子安装失败，砚舟现在无法接管键盘，请稍后再试。", u"砚舟",
                             MessageBoxKind::Ok);
      return;
    }
    c_.comp.hookHandle = 1;
  }
  c_.win.platformLabel = u"\r\n砚舟";
  c_.comp.hookActive = 1;
  c_.comp.platformMode = 1;
  c_.pass.skipUnchangedFlag = 0;
  c_.comp.capsLockState = -1;
  c_.window->statusChanged();
}

void KeyboardHook::removeKeyboardHook() {
  c_.platform.removeKeyboardHook();
  c_.comp.hookHandle = 0;
  // Releases go past a removed hook: a key whose press it withheld would count as held for good.
  // The platform's key state tells the held keys from here on.
  c_.hook.withheldPresses.reset();
  c_.hook.passedPresses.reset();
  c_.win.platformLabel = u"\r\n系统";
  c_.comp.hookActive = -1;
  c_.comp.platformMode = -1;
  c_.window->statusChanged();
}

// ----- routing -----

HookAnswer KeyboardHook::keyboardHookProc(const KeyEvent& event) {
  // Keys the program synthesizes itself (the paste's Ctrl+V, Print Screen) are not typing; keys
  // that other programs inject (an on-screen keyboard, automation) are.
  if ((event.flags & kKeySentByProgram) != 0) return HookAnswer::CallNext;
  const int key = event.vkCode;
  if (key < 0 || key > 255) return route(event);
  const auto bit = static_cast<std::size_t>(key);
  if (event.down) {
    c_.hook.withheldPresses.reset(bit);
    refreshHeldFlags();
  }
  HookAnswer answer = route(event);
  HookState& hook = c_.hook;
  if (event.down) {
    if (answer != HookAnswer::Withhold) hook.passedPresses.set(bit);
  } else {
    // The target never keeps a key down: a release follows its press wherever that went.
    if (answer == HookAnswer::Withhold && hook.passedPresses.test(bit)) answer = HookAnswer::CallNext;
    hook.passedPresses.reset(bit);
    hook.withheldPresses.reset(bit);
  }
  return answer;
}

// A held-key flag whose keys are both up now (their release went elsewhere: a system key-up,
// Ctrl+Alt+Del, a locked screen) is cleared; a key whose press the hook withheld counts as held.
void KeyboardHook::refreshHeldFlags() {
  HookState& hook = c_.hook;
  auto refresh = [&](std::int32_t& flag, int left, int right) {
    if (flag != 1) return;
    for (int k : {left, right}) {
      if (hook.withheldPresses.test(static_cast<std::size_t>(k)) || c_.platform.isKeyDown(k)) return;
    }
    flag = 0;
  };
  refresh(hook.shiftHeld, vk::kLShift, vk::kRShift);
  refresh(hook.ctrlHeld, vk::kLControl, vk::kRControl);
  refresh(hook.winHeld, vk::kLWin, vk::kRWin);
  refresh(hook.altHeld, vk::kLMenu, vk::kRMenu);
}

void KeyboardHook::releaseHeldFlag(int key) {
  HookState& hook = c_.hook;
  if (key == vk::kLShift || key == vk::kRShift) hook.shiftHeld = 0;
  if (key == vk::kLControl || key == vk::kRControl) hook.ctrlHeld = 0;
  if (key == vk::kLWin || key == vk::kRWin) hook.winHeld = 0;
  if (key == vk::kLMenu || key == vk::kRMenu) hook.altHeld = 0;
}

HookAnswer KeyboardHook::route(const KeyEvent& event) {
  const int key = event.vkCode;
  const TextBoxState& code = c_.win.boxes.Text1;
  const auto len = static_cast<std::int32_t>(code.text.size());
  if (code.selStart != 0 && code.selStart != len) {
    // The caret stands inside the code: the keys edit it where the focus is.
    if (key == vk::kEscape) {
      c_.caretToEnd();
      c_.reactivateTarget();
      return HookAnswer::Withhold;
    }
    if (key != vk::kSpace && key != vk::kReturn) return HookAnswer::Pass;
  }
  if (!event.down) {
    // A release with Alt held is a system key-up, which the hook leaves to the next hook; the
    // key is up all the same.
    if ((event.flags & kKeyAltDown) != 0) {
      releaseHeldFlag(key);
      return HookAnswer::CallNext;
    }
    return keyUp(key);
  }
  return keyDown(key);
}

HookAnswer KeyboardHook::keyDown(int key) {
  CompositionState& comp = c_.comp;
  HookState& hook = c_.hook;
  const std::u16string& code = c_.win.boxes.Text1.text;

  // Follow typing in English input: hands off.
  if (c_.settings.gdms && c_.win.languageLabel == u"\r\n英") return HookAnswer::Pass;
  c_.setTimer1(true);
  if (code.empty()) {
    c_.win.form1.width = 0;
    c_.win.form1.height = 0;
    c_.win.form1.visible = true;
    c_.win.form1.topMost = true;
  }
  if (comp.platformMode == -1 && key != vk::kBackQuote) return HookAnswer::Pass;

  if (code.empty()) {
    if (Answer a = unshiftedMark(key)) return *a;
    if (key == vk::kBackQuote) return backQuoteSwitch();
    c_.settings.qrpn.borderStyle = c_.mirror.fullPinyinMode;
    // A mark queued for the next pass stays until the pass commits it.
    if (comp.pendingCommand != kPendingCommitText) comp.pendingText.clear();
    if (key == vk::kLShift || key == vk::kRShift) hook.shiftHeld = 1;
    if (key == vk::kLControl || key == vk::kRControl) hook.ctrlHeld = 1;
    if (key == vk::kLWin || key == vk::kRWin) hook.winHeld = 1;
    if (key == vk::kLMenu || key == vk::kRMenu) hook.altHeld = 1;
    if (Answer a = shiftedMark(key)) return *a;
  }
  const std::u16string& qsk = c_.pass.quickSelectKeys;
  if (qsk.find(u'_') != std::u16string::npos && !code.empty() && key == vk::kSpace) {
    hook.lastKeyCode = vk::kSpace;  // the release appends "_"
    return HookAnswer::Withhold;
  }
  if (comp.platformMode == -1) {
    hook.lastKeyCode = key;
    return HookAnswer::Pass;
  }
  if (comp.sendingPasteKeys == -1) return HookAnswer::Pass;
  if (comp.modifyMode != 0) return modifyLineKey(key);
  if (!code.empty() &&
      (comp.pendingCommand == kPendingCommitSentence || comp.pendingCommand == kPendingEnter)) {
    if (Answer a = typeAhead(key)) return *a;
  }
  if (key >= 'A' && key <= 'Z' && hook.ctrlHeld != 1 && hook.winHeld != 1 && hook.altHeld != 1) {
    return letter(key);
  }
  if (key >= '0' && key <= '9') return digit(key);
  captureKey(key);
  if (key == vk::kTab && !code.empty()) return enterModifyFromCode(key);
  if (key == vk::kF8 || key == vk::kF10) return screenshot();
  if (key == vk::kBack && !code.empty()) return backspace();
  if (key == vk::kEscape) {
    if (code.empty()) return HookAnswer::Pass;
    composition_.escjm();
    return HookAnswer::Withhold;
  }
  if (key == vk::kDelete) return deleteKey();
  if (key == vk::kLControl && !code.empty() && c_.settings.lctr) return enterModifyFromCode(key);
  if (key == comp.modifyKeyCode && !code.empty() && c_.settings.ugzdy) {
    return enterModifyFromCode(key);
  }
  if (!code.empty()) {
    if (Answer a = punctuationInCode(key)) return *a;
  }
  if (key == vk::kSpace) {
    if (Answer a = spaceKey()) return *a;
  }
  if (key == vk::kReturn && !code.empty()) {
    comp.pendingCommand = kPendingEnter;
    return HookAnswer::Withhold;
  }
  hook.lastKeyCode = key;
  return fallThrough(key);
}

HookAnswer KeyboardHook::fallThrough(int key) {
  // A Shift (or the captured switch key) pressed with an empty code is kept from the target
  // program while the platform is active; its release follows it.
  const bool shiftLike = key == vk::kLShift || key == vk::kRShift || isSwitchKey(key);
  if (shiftLike && platformLabelActive() && c_.hook.shiftHeld == 1) {
    if (key >= 0 && key < 256) c_.hook.withheldPresses.set(static_cast<std::size_t>(key));
    return HookAnswer::Withhold;
  }
  return HookAnswer::CallNext;
}

// ----- code-line editing -----

void KeyboardHook::appendToCode(std::u16string_view text) {
  c_.win.boxes.Text1.text += text;
  c_.caretToEnd();
}

HookAnswer KeyboardHook::letter(int key) {
  CompositionState& comp = c_.comp;
  HookState& hook = c_.hook;
  TextBoxState& code = c_.win.boxes.Text1;
  const bool capsOn = c_.platform.isKeyToggled(vk::kCapital) && !c_.platform.isKeyDown(vk::kCapital);
  comp.capsLockState = capsOn ? 1 : -1;
  const bool upper = (hook.shiftHeld == 1 && comp.capsLockState == -1) ||
                     (hook.shiftHeld == 0 && comp.capsLockState == 1);
  if (upper) {
    if (code.text.empty()) return HookAnswer::Pass;
    appendToCode(std::u16string(1, static_cast<char16_t>(key)));
    hook.lastKeyCode = key;
    return HookAnswer::Withhold;
  }
  comp.codeBeforeKey = code.text;
  const std::uint32_t now = c_.platform.clockMs();
  if (now - hook.lastLetterTime < kLongPressMs && key == hook.lastKeyCode &&
      comp.codeBeforeKey.size() > 3) {
    // A held key: its first press and first repeat leave, and instant modify is asked for.
    if (comp.longPressDone == 0) {
      code.text = comp.codeBeforeKey.substr(0, comp.codeBeforeKey.size() - 2);
      comp.longPressDone = 1;
      comp.pendingCommand = kPendingLongPress;
      comp.longPressArmed = 0;
    }
    c_.caretToEnd();
    hook.lastKeyCode = key;
    hook.lastLetterTime = now;
    return HookAnswer::Withhold;
  }
  if (c_.win.boxes.rText7.text.size() > kMaxShownSentence) {
    hook.lastKeyCode = key;
    hook.lastLetterTime = now;
    return HookAnswer::Withhold;
  }
  code.text = comp.codeBeforeKey + static_cast<char16_t>(key - 'A' + 'a');
  comp.longPressDone = 0;
  c_.caretToEnd();
  hook.lastKeyCode = key;
  hook.lastLetterTime = now;
  return HookAnswer::Withhold;
}

// The code waits for its commit: letters, digits and marks start the next code.
KeyboardHook::Answer KeyboardHook::typeAhead(int key) {
  HookState& hook = c_.hook;
  char16_t typed = 0;
  if (key >= 'A' && key <= 'Z' && hook.ctrlHeld != 1 && hook.winHeld != 1 && hook.altHeld != 1) {
    typed = static_cast<char16_t>(key - 'A' + 'a');
    hook.lastLetterTime = c_.platform.clockMs();
  } else if (key >= '0' && key <= '9') {
    typed = shifted() ? kShiftedDigits[key - '0'] : static_cast<char16_t>(key);
  } else if (key == vk::kSpace) {
    // Space after letters typed ahead commits them in turn; with nothing ahead it is the same
    // commit once more, and where Space is a code element the code line takes it.
    const std::u16string& ahead = c_.comp.typedAhead;
    if (ahead.empty() || ahead.back() == u' ' ||
        c_.pass.codeChars.find(u'_') != std::u16string::npos) {
      return std::nullopt;
    }
    typed = u' ';
  } else {
    typed = markInCode(key);
  }
  if (typed == 0) return std::nullopt;
  c_.comp.typedAhead.push_back(typed);
  hook.lastKeyCode = key;
  return HookAnswer::Withhold;
}

HookAnswer KeyboardHook::digit(int key) {
  const char16_t d = static_cast<char16_t>(key);
  if (c_.pass.codeChars.find(d) == std::u16string::npos && c_.win.boxes.Text1.text.empty()) {
    c_.hook.lastKeyCode = key;
    return HookAnswer::Pass;
  }
  appendToCode(std::u16string(1, shifted() ? kShiftedDigits[key - '0'] : d));
  return HookAnswer::Withhold;
}

HookAnswer KeyboardHook::backspace() {
  CompositionState& comp = c_.comp;
  std::u16string& code = c_.win.boxes.Text1.text;
  if (code.back() == u' ') {
    // A segment boundary goes with the character before it.
    code.erase(code.size() >= 2 ? code.size() - 2 : 0);
    if (comp.segmentCount > 0) --comp.segmentCount;
  } else {
    code.pop_back();
  }
  // A segment that a candidate pick closed ends without a space: Backspace over its end opens it
  // again, and its code is converted anew.
  while (comp.segmentCount > 0 &&
         static_cast<std::int32_t>(code.size()) < comp.segmentCodeEnds[static_cast<std::size_t>(
                                                      std::min(comp.segmentCount, kMaxSegments))]) {
    --comp.segmentCount;
  }
  if (!code.empty() && code.back() == u' ') {
    std::u16string& sentence = c_.win.boxes.text7.text;
    const auto end = static_cast<std::size_t>(comp.segmentTextEnds[comp.segmentCount]);
    if (end < sentence.size()) sentence.resize(end);
    c_.win.boxes.hxl.text.clear();
    comp.lastCode = code;
    comp.lastCaretPos = static_cast<std::int32_t>(code.size());
    c_.window->zdus();
  }
  c_.caretToEnd();
  return HookAnswer::Withhold;
}

KeyboardHook::Answer KeyboardHook::spaceKey() {
  const std::u16string& chars = c_.pass.codeChars;
  const bool underscoreFirst = !chars.empty() && chars.front() == u'_';
  if (c_.win.boxes.Text1.text.empty() && !underscoreFirst) return std::nullopt;
  if (c_.conv.lastItemOneLetter == 0 && !underscoreFirst) {
    c_.comp.pendingCommand = kPendingCommitSentence;
    return HookAnswer::Withhold;
  }
  if (chars.find(u'_') != std::u16string::npos) {
    // A space becomes the code element "_".
    appendToCode(u"_");
    c_.hook.lastKeyCode = vk::kSpace;
    return HookAnswer::Withhold;
  }
  c_.comp.pendingCommand = kPendingCommitSentence;
  return HookAnswer::Withhold;
}

}  // namespace yz
