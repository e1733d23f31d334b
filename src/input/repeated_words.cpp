#include "input/repeated_words.h"

#include <algorithm>
#include <vector>

namespace yz {

// Pairs are compared whole, at pair boundaries: a pair is never cut out of the middle of a longer
// word that ends with the same text.
std::u16string quisfu(std::u16string_view list) {
  std::vector<std::u16string_view> items;
  std::size_t start = 0;
  while (true) {
    const std::size_t sp = list.find(u' ', start);
    items.push_back(list.substr(start, sp == std::u16string_view::npos ? sp : sp - start));
    if (sp == std::u16string_view::npos) break;
    start = sp + 1;
  }
  std::vector<std::u16string_view> seen;  // word and weight, one after the other
  std::u16string cc;
  cc.reserve(list.size());
  for (std::size_t i = 0; i < items.size(); i += 2) {
    if (i + 1 < items.size()) {
      bool repeated = false;
      for (std::size_t j = 0; j < seen.size() && !repeated; j += 2) {
        repeated = seen[j] == items[i] && seen[j + 1] == items[i + 1];
      }
      if (repeated) continue;
      seen.push_back(items[i]);
      seen.push_back(items[i + 1]);
      if (!cc.empty()) cc += u' ';
      cc += items[i];
      cc += u' ';
      cc += items[i + 1];
    } else {
      if (!cc.empty()) cc += u' ';
      cc += items[i];
    }
  }
  return cc;
}

}  // namespace yz
