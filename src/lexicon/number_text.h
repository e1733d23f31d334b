#pragma once
// Numbers as the lexicon files write them.

#include <string>

namespace yz {

// A single-precision number as the runtime writes it: up to seven significant digits, no trailing
// zeros (393.7055, 135, 0.5).
std::u16string singleText(float value);

}  // namespace yz
