#pragma once
// The one comparison order of lexicons, sorts and binary searches: UTF-16 code units compared as
// unsigned 16-bit values, a proper prefix first, no case folding. For the characters of codes:
// space < ' < + < , < 0-9 < ; < \ < _ < a-z < every Chinese character.

#include <string_view>

namespace yz {

// Negative, 0 or positive as `a` sorts before, equal to or after `b`.
inline int compareText(std::u16string_view a, std::u16string_view b) { return a.compare(b); }

inline bool sortsBefore(std::u16string_view a, std::u16string_view b) { return a < b; }

}  // namespace yz
