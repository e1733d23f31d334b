#pragma once
// Shuangpin layouts other than 自然双拼: their pair files ("layout code,自然双拼 code", GBK, CR LF,
// written from the master syllable file at every start) and the `LayoutTable` filled from one.

#include <cstdint>
#include <string>
#include <string_view>

#include "state/layout_table.h"
#include "state/settings.h"

namespace yz {

inline constexpr std::u16string_view kGuobiaoLayoutPath = u"内置文件\\国标双拼2自然双拼.txt";
inline constexpr std::u16string_view kXiaoheLayoutPath = u"内置文件\\小鹤双拼2自然双拼.txt";
inline constexpr std::u16string_view kCustomLayoutPath = u"用户diy文件\\自定义双拼2自然双拼.txt";

// The pair file of a layout label (gbup, xhhx, zdypf); empty for any other label, 自然双拼 included.
std::u16string_view layoutPairPath(std::u16string_view label);

// The layout label marked in the settings (gbup, xhhx, zdypf, in this order); empty when none
// of them is: then the typed code is 自然双拼 already.
std::u16string_view markedLayout(const Settings& settings);

// `sptosp`: empties the table and fills it from a pair file's text. The fields are read as a
// stream and paired in file order; a record whose layout code does not begin and end with a
// letter a-z, or whose 自然双拼 code is not two letters a-z, is skipped. A later record
// overwrites an earlier one in the same cell, the lone-key cell of a key included. Returns the
// number of records taken.
std::int32_t sptosp(std::u16string_view pairFileText, LayoutTable& table);

}  // namespace yz
