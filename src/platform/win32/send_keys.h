#pragma once
// The keystroke-string syntax of SendKeys, parsed into key strokes: "+" Shift, "^" Ctrl, "%" Alt
// before a key or a parenthesised group, "~" Enter, "{NAME}" or "{NAME n}" for named keys and
// for the literal characters + ^ % ~ ( ) { }. Everything else is a character to type.

#include <string_view>
#include <vector>

namespace yz::win32 {

struct KeyStroke {
  enum class Kind { Down, Up, Char };
  Kind kind = Kind::Char;
  int vk = 0;         // Down and Up: the virtual key
  char16_t ch = 0;    // Char: the character, typed with whatever keys produce it
  friend bool operator==(const KeyStroke&, const KeyStroke&) = default;
};

// Throws PlatformError on a malformed string (an unknown key name, an unclosed brace or group).
std::vector<KeyStroke> parseSendKeys(std::u16string_view keys);

}  // namespace yz::win32
