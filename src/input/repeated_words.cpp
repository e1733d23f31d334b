#include "input/repeated_words.h"

#include <algorithm>
#include <functional>
#include <string_view>
#include <unordered_set>
#include <utility>
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
  // The word-and-weight pairs kept so far: looked through in a short list, hashed in a long one.
  using Pair = std::pair<std::u16string_view, std::u16string_view>;
  struct PairHash {
    std::size_t operator()(const std::pair<std::u16string_view, std::u16string_view>& p) const noexcept {
      const std::hash<std::u16string_view> h;
      return h(p.first) * 31 + h(p.second);
    }
  };
  constexpr std::size_t kShortList = 32;  // items
  const bool longList = items.size() > kShortList;
  std::vector<Pair> seenShort;
  std::unordered_set<Pair, PairHash> seenLong;
  if (longList) seenLong.reserve(items.size() / 2 + 1);
  auto firstTime = [&](const Pair& pair) {
    if (longList) return seenLong.insert(pair).second;
    if (std::find(seenShort.begin(), seenShort.end(), pair) != seenShort.end()) return false;
    seenShort.push_back(pair);
    return true;
  };
  std::u16string cc;
  cc.reserve(list.size());
  for (std::size_t i = 0; i < items.size(); i += 2) {
    if (i + 1 < items.size()) {
      if (!firstTime(Pair(items[i], items[i + 1]))) continue;
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
