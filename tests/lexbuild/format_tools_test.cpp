// The single-line / multi-line lexicon converters.

#include <gtest/gtest.h>

#include "lexbuild/format_tools.h"
#include "lexicon/utf.h"

namespace yz {
namespace {

std::string joined(const std::vector<std::u16string>& lines) {
  std::string out;
  for (const auto& l : lines) out += toUtf8(l) + "|";
  return out;
}

TEST(FormatTools, SingleLineToMultiLine) {
  EXPECT_EQ(joined(singleToMultiLine(u"ab,甲 乙\r\ncd,丙 \r\nno comma\r\n")), "ab,甲|ab,乙|cd,丙|cd,|");
}

TEST(FormatTools, MultiLineToSingleLine) {
  struct Case {
    std::u16string_view text;
    const char* single;
  } cases[] = {
      {u"ab,甲\r\nab,乙\r\ncd,丙\r\n", "ab,甲 乙|cd,丙|"},
      {u"ab,甲\r\ncd,丙\r\nab,乙\r\n", "ab,甲|cd,丙|ab,乙|"},  // separate runs stay apart
      {u"ab,甲", "ab,甲|"},
  };
  for (const Case& c : cases) {
    auto lines = multiToSingleLine(c.text);
    ASSERT_TRUE(lines.has_value());
    EXPECT_EQ(joined(*lines), c.single);
  }
  EXPECT_FALSE(multiToSingleLine(u"").has_value());
  EXPECT_FALSE(multiToSingleLine(u"\r\nno comma\r\n").has_value());
  // Back and forth gives the single-line file again.
  auto back = multiToSingleLine(u"ab,甲\r\nab,乙\r\n");
  EXPECT_EQ(joined(singleToMultiLine(u"ab,甲 乙\r\n")), "ab,甲|ab,乙|");
  EXPECT_EQ(joined(*back), "ab,甲 乙|");
}

}  // namespace
}  // namespace yz
