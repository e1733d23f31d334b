#pragma once
// Older main-lexicon lookups that found their range through an index keyed by a code's first two
// letters. That index was never filled, so every range here is the whole main lexicon (index 1 to
// the last index); the codes are sorted, so the searches find the same entries. Nothing in the
// program calls these.

#include <cstdint>
#include <string>
#include <string_view>

#include "state/lexicon_state.h"

namespace yz {

// The range to search for a code: k1 = 1, k2 = the main lexicon's last index.
void k1k2(const LexiconState& lex, std::u16string_view str4, std::int32_t& k1, std::int32_t& k2);

// Initials lookup: the candidate lines of every main-lexicon code whose key (its 1st, 3rd, 5th …
// letters and then its last letter) equals str4, in lexicon order, each preceded by a space.
// Leaves `lastFoundIndex` at the end of the scan.
void hzirjp(LexiconState& lex, std::u16string_view str4, std::u16string& cnir);

// Binary search of str4 among the main-lexicon codes: `lookupWord` = its candidate line and k12 =
// the line's last weight; k12 = 400 and `lookupWord` empty when the code has fewer than 2 or more
// than 8 letters or is absent.
void hzircipn(LexiconState& lex, std::u16string_view str4, std::int32_t& k12);

}  // namespace yz
