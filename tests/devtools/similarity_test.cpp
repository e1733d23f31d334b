#include "devtools/similarity.h"

#include <gtest/gtest.h>

#include "platform/sim/sim_platform.h"

namespace yz {
namespace {

TEST(Similarity, TableOfPairs) {
  struct Case {
    std::u16string a, b;
    double value;
    std::u16string text;
  };
  const Case cases[] = {
      {u"abc", u"abc", 1.0, u"1.000"},
      {u"abc", u"abd", 1.0 - 1.0 / 3, u"0.667"},
      {u"输入法", u"输入", 1.0 - 1.0 / 3, u"0.667"},
      {u"abcdef", u"azced", 0.5, u"0.500"},
      {u"", u"abcd", 0.0, u"0.000"},
      {u"xyz", u"", 0.0, u"0.000"},
      {u"ab", u"cd", 0.0, u"0.000"},
      // Two empty texts are equal rather than a division by zero.
      {u"", u"", 1.0, u"1.000"},
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(xsd(c.a, c.b), c.value);
    EXPECT_EQ(GetLevenshteinDistince(c.a, c.b), c.text);
  }
}

TEST(Similarity, LongTextsBeyondSixteenBits) {
  std::u16string a(40000, u'a');
  // One substitution and 39,998 deletions.
  EXPECT_DOUBLE_EQ(xsd(a, u"ab"), 1.0 - 39999.0 / 40000);
  EXPECT_EQ(GetLevenshteinDistince(u"ab", a), u"0.000");
}

TEST(Similarity, Min3AndVersionNotice) {
  EXPECT_EQ(min3(1, 1, 2), 1);
  EXPECT_EQ(min3(3, 2, 2), 2);
  EXPECT_EQ(min3(5, 4, -1), -1);
  SimPlatform platform;
  platform.defaultMessageBoxAnswer = MessageBoxAnswer::Ok;
  showVersionDate(platform);
  ASSERT_EQ(platform.messageBoxes.size(), 1u);
  EXPECT_EQ(platform.messageBoxes[0].text, u"砚舟输入法+词库工具β测试0.16版\r\n二〇一九年六月初十");
}

}  // namespace
}  // namespace yz
