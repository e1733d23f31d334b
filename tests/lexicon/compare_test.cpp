#include <gtest/gtest.h>

#include "lexicon/compare.h"
#include "lexicon/gbk.h"
#include "platform/sim/sim_platform.h"

namespace yz {
namespace {

TEST(CompareOrder, CodesAndSortKeys) {
  struct Case {
    std::u16string_view before, after;
  };
  const Case cases[] = {
      {u"ab", u"ab+"},         {u"ab+085", u"ab+100"}, {u"ab,", u"ab0"},
      {u"abz", u"ab中"},       {u"aB", u"ab"},         {u" ", u"'"},
      {u"'", u"+"},            {u"+", u","},           {u",", u"0"},
      {u"9", u";"},            {u";", u"\\"},          {u"\\", u"_"},
      {u"_", u"a"},            {u"z", u"啊"},
  };
  for (const auto& c : cases) {
    EXPECT_LT(compareText(c.before, c.after), 0);
    EXPECT_GT(compareText(c.after, c.before), 0);
    EXPECT_TRUE(sortsBefore(c.before, c.after));
  }
  EXPECT_EQ(compareText(u"ab", u"ab"), 0);
  EXPECT_NE(compareText(u"aB", u"ab"), 0);
}

TEST(GbkTable, CharacterIndexes) {
  SimPlatform sim;
  GbkTable gbk(sim);
  struct Case {
    char16_t ch;
    int index;
  };
  const Case cases[] = {
      {u'啊', 20319},   // B0 A1
      {u'a', 97},
      {u'€', 128},      // the euro sign is byte 0x80 in this code page
      {u'?', 63},
      {u'\u0E01', 63},  // Thai: no GBK code counts as "?"
      {u'齄', 65536 - 0xF7FE},  // last GB2312 character, F7 FE
  };
  for (const auto& c : cases) {
    EXPECT_EQ(gbk.charIndex(c.ch), c.index) << static_cast<int>(c.ch);
  }
  EXPECT_EQ(gbk.ansiMessageValue(u'啊'), 0xA1B0);
  EXPECT_EQ(gbk.ansiMessageValue(u'a'), 0x61);
}

TEST(GbkTable, IndexStaysWithinTable) {
  SimPlatform sim;
  GbkTable gbk(sim);
  for (char32_t c = 0; c <= 0xFFFF; ++c) {
    int index = gbk.charIndex(static_cast<char16_t>(c));
    ASSERT_GE(index, 0);
    ASSERT_LE(index, 32768);
  }
}

}  // namespace
}  // namespace yz
