#pragma once
// Small text steps of the conversion routines, on 1-based positions where the routines count so.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace yz::conversion_text {

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

inline bool endsWith(std::u16string_view s, std::u16string_view tail) {
  return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

inline bool startsWith(std::u16string_view s, std::u16string_view head) {
  return s.substr(0, head.size()) == head;
}

// Drops the spaces at both ends.
inline std::u16string_view trimSpaces(std::u16string_view s) {
  const std::size_t b = s.find_first_not_of(u' ');
  if (b == std::u16string_view::npos) return {};
  return s.substr(b, s.find_last_not_of(u' ') - b + 1);
}

inline void trimInPlace(std::u16string& s) {
  const std::u16string_view t = trimSpaces(s);
  if (t.size() != s.size()) s = std::u16string(t);
}

// The text before the first space (all of it when there is none).
inline std::u16string_view firstWord(std::u16string_view s) { return s.substr(0, s.find(u' ')); }

// Element n of the text cut at single spaces; empty when the text has fewer elements.
inline std::u16string_view element(std::u16string_view s, std::size_t n) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t sp = s.find(u' ', start);
    if (sp == std::u16string_view::npos) return {};
    start = sp + 1;
  }
  const std::size_t end = s.find(u' ', start);
  return s.substr(start, end == std::u16string_view::npos ? std::u16string_view::npos : end - start);
}

// Cuts the text at single spaces into `out` (cleared first); views into `s`.
inline void splitSpaces(std::u16string_view s, std::vector<std::u16string_view>& out) {
  out.clear();
  std::size_t start = 0;
  while (true) {
    const std::size_t sp = s.find(u' ', start);
    if (sp == std::u16string_view::npos) {
      out.push_back(s.substr(start));
      return;
    }
    out.push_back(s.substr(start, sp - start));
    start = sp + 1;
  }
}

// The number a weight text begins with (sign, digits, a point and its fraction); 0 for none.
inline float weightValue(std::u16string_view s) {
  std::size_t i = 0;
  while (i < s.size() && s[i] == u' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == u'-' || s[i] == u'+')) negative = s[i++] == u'-';
  double value = 0;
  while (i < s.size() && s[i] >= u'0' && s[i] <= u'9') value = value * 10 + (s[i++] - u'0');
  if (i < s.size() && s[i] == u'.') {
    double scale = 0.1;
    for (++i; i < s.size() && s[i] >= u'0' && s[i] <= u'9'; ++i, scale /= 10) value += (s[i] - u'0') * scale;
  }
  return static_cast<float>(negative ? -value : value);
}

// Replaces each pair of spaces by one, left to right in one pass.
inline void collapseDoubleSpaces(std::u16string& s) {
  if (s.find(u"  ") == std::u16string::npos) return;
  std::u16string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    out.push_back(s[i]);
    if (s[i] == u' ' && i + 1 < s.size() && s[i + 1] == u' ') ++i;
  }
  s = std::move(out);
}

}  // namespace yz::conversion_text
