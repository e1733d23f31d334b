#pragma once
// Word-aligned comparison of a reference text with a converted text cut at the same word
// boundaries: marks the words that differ and counts the differing characters.

#include <cstdint>
#include <string>
#include <string_view>

namespace yz {

struct WordComparison {
  std::int32_t cowuuu = 0;  // differing characters
  float cowulv = 0;         // difference rate in percent, two decimals
  std::int32_t hzs = 0;     // characters compared against
};

// `b00` (the reference) and `hjziir` (the conversion) hold words separated by single spaces; both
// come back without spaces, each differing word enclosed in "[" "]" (reference) and "(" ")"
// (conversion). A word the conversion lacks counts as empty. `raceSentence` is the sentence
// compared, whose length is the character count. A grabbed text (`grabPending` 1) has nothing to
// compare with: it is one difference as a whole, and `grabPending` goes back to 0.
WordComparison cowu(std::u16string& b00, std::u16string& hjziir, std::u16string_view raceSentence,
                    std::int16_t& grabPending);

// Difference rate in percent of `differing` characters among `total`, rounded to two decimals;
// 0 for no characters.
float differenceRate(std::int32_t differing, std::int32_t total);

}  // namespace yz
