#pragma once
// Removal of repeated word-and-weight pairs from a candidate list.

#include <string>
#include <string_view>

namespace yz {

// Removes repeated words from a word list: words each followed by a weight, all separated by
// single blanks. Each pair stays where it first stands; a later pair with the same word and the
// same weight goes. A final word without a weight stays.
std::u16string quisfu(std::u16string_view list);

}  // namespace yz
