#pragma once
// UTF-8 <-> UTF-16 for the edges that speak UTF-8 (the command line, test output, URLs).

#include <string>
#include <string_view>

namespace yz {

std::string toUtf8(std::u16string_view text);
// Malformed sequences become U+FFFD.
std::u16string fromUtf8(std::string_view text);

}  // namespace yz
