#pragma once
// Cells of the keyboard hook: the held modifier keys and the last key it handled.

#include <bitset>
#include <cstdint>

namespace yz {

struct HookState {
  // Set by a key-down of their key while the code is empty; cleared by the key-up rules.
  std::int32_t shiftHeld = 0;  // 1: Shift is down
  std::int32_t ctrlHeld = 0;   // 1: Ctrl is down
  std::int32_t winHeld = 0;    // 1: a Windows key is down
  std::int32_t altHeld = 0;    // 1: Alt is down
  std::int32_t lastKeyCode = 0;       // the key the hook handled last
  std::uint32_t lastLetterTime = 0;   // clock at the last letter handled on the code line
  std::int32_t fullPageShown = 0;     // 1 while the full candidate page is up
  // Typing counters, zeroed when the status bar gives the keyboard back to this platform.
  double typingTimeMs = 0;          // time spent typing, ms
  std::int32_t keyDownCount = 0;    // key presses
  std::int32_t typedCharCount = 0;  // characters committed
  // Keys whose press the hook withheld; only their releases are withheld too.
  std::bitset<256> withheldPresses;
  // Keys a press of which reached the target since their last release: their release always does.
  std::bitset<256> passedPresses;
};

}  // namespace yz
