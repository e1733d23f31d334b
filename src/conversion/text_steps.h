#pragma once
// Small text steps of the conversion routines, on 1-based positions where the routines count so.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "lexicon/lookup_text.h"

namespace yz::conversion_text {

// The candidate-list steps shared with the code lookup.
using lookup_text::collapseDoubleSpaces;
using lookup_text::element;
using lookup_text::endsWith;
using lookup_text::firstWord;
using lookup_text::splitSpaces;
using lookup_text::trimInPlace;
using lookup_text::trimSpaces;
using lookup_text::weightValue;

inline std::int32_t len(std::u16string_view s) { return static_cast<std::int32_t>(s.size()); }

// The first n characters (all when n reaches past the end, none for n <= 0).
inline std::u16string_view left(std::u16string_view s, std::int32_t n) {
  return n <= 0 ? std::u16string_view{} : s.substr(0, static_cast<std::size_t>(n));
}

// The last n characters.
inline std::u16string_view right(std::u16string_view s, std::int32_t n) {
  if (n <= 0) return {};
  if (static_cast<std::size_t>(n) >= s.size()) return s;
  return s.substr(s.size() - static_cast<std::size_t>(n));
}

// The text from the 1-based position `start` on (empty past the end).
inline std::u16string_view from(std::u16string_view s, std::int32_t start) {
  if (start < 1) start = 1;
  if (static_cast<std::size_t>(start) > s.size()) return {};
  return s.substr(static_cast<std::size_t>(start) - 1);
}

// `count` characters from the 1-based position `start`.
inline std::u16string_view mid(std::u16string_view s, std::int32_t start, std::int32_t count) {
  return left(from(s, start), count);
}

// A real number rounded to a whole one, a half to the even one.
inline std::int32_t roundHalfEven(double x) { return static_cast<std::int32_t>(std::nearbyint(x)); }

// The text without any space.
inline std::u16string withoutSpaces(std::u16string_view s) {
  std::u16string out;
  out.reserve(s.size());
  for (char16_t c : s)
    if (c != u' ') out.push_back(c);
  return out;
}

// True when the text, its spaces removed, equals `plain`.
inline bool equalsWithoutSpaces(std::u16string_view s, std::u16string_view plain) {
  std::size_t j = 0;
  for (char16_t c : s) {
    if (c == u' ') continue;
    if (j == plain.size() || plain[j] != c) return false;
    ++j;
  }
  return j == plain.size();
}

// Characters other than spaces.
inline std::int32_t charsWithoutSpaces(std::u16string_view s) {
  std::int32_t n = 0;
  for (char16_t c : s) n += c != u' ';
  return n;
}

inline bool startsWith(std::u16string_view s, std::u16string_view head) {
  return s.substr(0, head.size()) == head;
}

}  // namespace yz::conversion_text
