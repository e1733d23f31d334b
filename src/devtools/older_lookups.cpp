#include "devtools/older_lookups.h"

#include <charconv>
#include <string>

namespace yz {

namespace {

// The leading integer of a weight field ("120", "-10", "85.5" → 85); 0 when it has none.
std::int32_t leadingInteger(std::u16string_view field) {
  std::string digits;
  for (char16_t c : field) {
    if ((c >= u'0' && c <= u'9') || (digits.empty() && c == u'-')) {
      digits.push_back(static_cast<char>(c));
    } else {
      break;
    }
  }
  std::int32_t value = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), value);
  return value;
}

}  // namespace

void k1k2(const LexiconState& lex, std::u16string_view, std::int32_t& k1, std::int32_t& k2) {
  k1 = 1;
  k2 = lex.mainLexicon.last;
}

void hzirjp(LexiconState& lex, std::u16string_view str4, std::u16string& cnir) {
  cnir.clear();
  std::int32_t k1 = 0;
  std::int32_t k2 = 0;
  k1k2(lex, str4, k1, k2);
  for (std::int32_t i = k1; i <= k2; ++i) {
    lex.cells.lastFoundIndex = i;
    std::u16string_view code = lex.mainCodeAt(i);
    if (code.empty()) continue;
    std::u16string key;
    for (std::size_t p = 0; p < code.size(); p += 2) key.push_back(code[p]);
    key.push_back(code.back());
    if (key == str4) {
      cnir += u' ';
      cnir += lex.mainLineAt(i);
    }
  }
}

void hzircipn(LexiconState& lex, std::u16string_view str4, std::int32_t& k12) {
  auto notFound = [&] {
    k12 = 400;
    lex.cells.lookupWord.clear();
  };
  if (str4.size() < 2 || str4.size() > 8) return notFound();
  std::int32_t k1 = 0;
  std::int32_t k2 = 0;
  k1k2(lex, str4, k1, k2);
  if (k2 < k1) return notFound();
  std::int32_t found = 0;
  if (lex.mainCodeAt(k1) == str4) {
    found = k1;
  } else if (lex.mainCodeAt(k2) == str4) {
    found = k2;
  } else {
    // Halves the range each pass, so it ends after about log2(k2 − k1) passes.
    while (found == 0) {
      if (k2 - k1 <= 1) return notFound();
      std::int32_t m = k1 + (k2 - k1) / 2;
      k12 = m;
      std::u16string_view code = lex.mainCodeAt(m);
      if (code == str4) {
        found = m;
      } else if (str4 < code) {
        k2 = m;
      } else {
        k1 = m;
      }
    }
  }
  lex.cells.lastFoundIndex = found;
  lex.cells.lookupWord = std::u16string(lex.mainLineAt(found));
  const std::u16string& line = lex.cells.lookupWord;
  if (!line.empty()) {
    std::size_t space = line.rfind(u' ');
    k12 = leadingInteger(space == std::u16string::npos ? std::u16string_view(line)
                                                       : std::u16string_view(line).substr(space + 1));
  }
}

}  // namespace yz
