#include "lexicon/number_text.h"

#include <charconv>
#include <system_error>

namespace yz {

std::u16string singleText(float value) {
  char buffer[32];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 7);
  if (ec != std::errc()) return u"0";
  return std::u16string(buffer, end);
}

}  // namespace yz
