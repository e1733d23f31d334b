#pragma once
// The race text 赛文资料\两码整句赛文.txt as the analyzer and the article word maker read it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace yz {

class Platform;
class ProgramFolder;

inline constexpr std::u16string_view kRaceTextPath = u"赛文资料\\两码整句赛文.txt";
inline constexpr std::uintmax_t kRaceTextLimit = std::uintmax_t{1} << 20;  // bytes a race reads

// The race text in its own encoding (GBK, UTF-8 or UTF-16, with or without a byte-order mark).
// Nothing when it cannot be read; a message, and nothing, when it is larger than kRaceTextLimit
// or in no known encoding: such bytes would be raced and learned as junk.
std::optional<std::u16string> readRaceText(const ProgramFolder& files, Platform& platform);

}  // namespace yz
