#pragma once
// The low-level keyboard hook: every key of every program comes here first and is passed on,
// withheld, or turned into an edit of the code line, a pending command or a hotkey action. The
// hook converts nothing itself; the input pass on the next timer tick does the work.

#include <optional>
#include <string_view>

#include "input/commit.h"
#include "input/input_context.h"
#include "input/reset.h"

namespace yz {

class UserLookup;

class KeyboardHook {
 public:
  KeyboardHook(const InputContext& ctx, Composition& composition, Committer& committer,
               UserLookup& userLookup)
      : c_(ctx), composition_(composition), committer_(committer), userLookup_(userLookup) {}

  // Installs the system-wide keyboard hook and enters platform mode; a refused installation
  // leaves the state as it was and tells the user.
  void installKeyboardHook();
  // Removes the hook and enters system mode.
  void removeKeyboardHook();
  // The hook procedure: the answer for one key event. Pumps messages (screenshot keys).
  HookAnswer keyboardHookProc(const KeyEvent& event);

 private:
  using Answer = std::optional<HookAnswer>;  // empty: the rule did not end the event

  // The routing of one event; keyboardHookProc adds what holds on every path.
  HookAnswer route(const KeyEvent& event);  // Pumps messages (screenshot keys).
  void refreshHeldFlags();
  void releaseHeldFlag(int key);
  HookAnswer keyDown(int key);  // Pumps messages (screenshot keys).
  HookAnswer fallThrough(int key);
  // Code-line editing.
  HookAnswer letter(int key);
  HookAnswer digit(int key);
  HookAnswer backspace();
  Answer spaceKey();
  void appendToCode(std::u16string_view text);
  // Hotkeys and key-up rules.
  HookAnswer backQuoteSwitch();
  HookAnswer keyUp(int key);
  void captureKey(int key);
  HookAnswer enterModifyFromCode(int key);
  HookAnswer fullPageInModify();
  HookAnswer screenshot();  // Pumps messages.
  bool platformLabelActive() const;
  bool isSwitchKey(int key) const;
  // Punctuation and capitals typed without a code.
  Answer unshiftedMark(int key);
  Answer shiftedMark(int key);
  void queueText(std::u16string_view text);
  Answer punctuationInCode(int key);
  // The character a punctuation key appends to a code (by Shift); 0 for other keys.
  char16_t markInCode(int key) const;
  Answer typeAhead(int key);
  // Whether a digit or punctuation key is typed with Shift: the hook took the Shift with an
  // empty code, or a Shift key is down now (a Shift pressed while a code is typed sets no flag).
  bool shifted() const;
  // Instant-modify line keys and Delete.
  HookAnswer modifyLineKey(int key);  // Pumps messages (F10).
  HookAnswer deleteKey();

  const InputContext& c_;
  Composition& composition_;
  Committer& committer_;
  UserLookup& userLookup_;
};

// Virtual-key codes the hook tests.
namespace vk {
inline constexpr int kBack = 8, kTab = 9, kReturn = 13, kShift = 16, kControl = 17, kCapital = 20, kEscape = 27,
                     kSpace = 32, kSnapshot = 44, kDelete = 46, kLWin = 91, kRWin = 92, kF6 = 117,
                     kF8 = 119, kF9 = 120, kF10 = 121, kLShift = 160, kRShift = 161,
                     kLControl = 162, kRControl = 163, kLMenu = 164, kRMenu = 165,
                     kBackQuote = 192;
}  // namespace vk

}  // namespace yz
