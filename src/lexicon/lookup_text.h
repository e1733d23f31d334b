#pragma once
// Small text steps of the code lookup on candidate lists ("word weight word weight ..."): the
// words and weights are read straight out of the line, without copies.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace yz::lookup_text {

// Drops the spaces at both ends (only spaces, as the lexicon files separate with them).
inline std::u16string_view trimSpaces(std::u16string_view s) {
  std::size_t b = s.find_first_not_of(u' ');
  if (b == std::u16string_view::npos) return {};
  std::size_t e = s.find_last_not_of(u' ');
  return s.substr(b, e - b + 1);
}

inline void trimInPlace(std::u16string& s) {
  std::u16string_view t = trimSpaces(s);
  if (t.size() == s.size()) return;
  s = std::u16string(t);
}

// The text before the first space (all of it when there is none).
inline std::u16string_view firstWord(std::u16string_view s) { return s.substr(0, s.find(u' ')); }

// Element `n` of the text cut at single spaces (consecutive spaces give empty elements); empty when
// the text has fewer elements.
inline std::u16string_view element(std::u16string_view s, std::size_t n) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < n; ++i) {
    std::size_t sp = s.find(u' ', start);
    if (sp == std::u16string_view::npos) return {};
    start = sp + 1;
  }
  std::size_t end = s.find(u' ', start);
  return s.substr(start, end == std::u16string_view::npos ? std::u16string_view::npos : end - start);
}

// Cuts the text at single spaces into `out` (cleared first).
inline void splitSpaces(std::u16string_view s, std::vector<std::u16string_view>& out) {
  out.clear();
  std::size_t start = 0;
  while (true) {
    std::size_t sp = s.find(u' ', start);
    if (sp == std::u16string_view::npos) {
      out.push_back(s.substr(start));
      return;
    }
    out.push_back(s.substr(start, sp - start));
    start = sp + 1;
  }
}

// The number a weight text begins with (digits, one optional point and its fraction); 0 when it
// begins with none. "084.53621" reads 84.53621, "1266" 1266.
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

// Replaces each pair of spaces by one, left to right in one pass (three spaces leave two).
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

// `count` characters from the 1-based position `start`, as far as the text reaches.
inline std::u16string_view midText(std::u16string_view s, std::size_t start, std::size_t count) {
  if (start < 1 || start > s.size()) return {};
  return s.substr(start - 1, count);
}

inline bool endsWith(std::u16string_view s, std::u16string_view tail) {
  return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

}  // namespace yz::lookup_text
