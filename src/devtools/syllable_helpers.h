#pragma once
// Candidate-list and syllable helpers nothing in the program calls: cutting list items to a length,
// and full pinyin to 自然双拼 codes by longest leading syllables.

#include <cstdint>
#include <string>
#include <string_view>

#include "state/lexicon_state.h"

namespace yz {

// Cuts every item of a space-separated list to its first hjziih characters, after lowering hjziih
// while the first item's hjziih-th character is a single-byte (ASCII) character; hjziih comes back
// as the length used (never below 0).
std::u16string quuuzi(std::u16string_view strx, std::int32_t& hjziih);

// The 自然双拼 code of the leading syllable of a full-pinyin text ("" when none); a leading "an" or
// "en" that no syllable follows reads as "aa" / "ee".
std::u16string qrpn(const SyllableTable& syllables, std::u16string_view strx);

// Full pinyin to 自然双拼 codes, longest leading syllable first, with a shorter split for a
// syllable ending in g or n when both halves are syllables; other characters pass through marked.
std::u16string udpn(const SyllableTable& syllables, std::u16string_view strx);

}  // namespace yz
