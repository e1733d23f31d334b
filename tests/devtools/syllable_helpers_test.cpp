#include "devtools/syllable_helpers.h"

#include <gtest/gtest.h>

#include "lexicon/syllables.h"

namespace yz {
namespace {

SyllableTable syllables() {
  LexiconState lex;
  fillSyllableTables(lex,
                     {u"a,aa", u"ai,ai", u"an,an", u"fan,fj", u"fang,fh", u"gai,gl", u"gang,gh",
                      u"ni,ni", u"xian,xm", u"xiang,xd"},
                     [] {});
  return lex.syllablesByPinyin;
}

TEST(SyllableHelpers, FullPinyinToCodes) {
  const SyllableTable table = syllables();
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"xiang", u"xd"},     {u"xian", u"xm"},  {u"xianggang", u"xdgh"}, {u"fangan", u"fhan"},
      {u"fangai", u"fjgl"},  {u"ni3", u"ni'3'"}, {u"3ni", u"3 ni"},       {u"", u""},
      {u"a", u"'a'"},        {u"vni", u"'v'ni"}, {u"vvni", u"'vv'ni"},
  };
  for (const auto& [in, out] : cases) {
    EXPECT_EQ(udpn(table, in), out) << std::string(in.begin(), in.end());
  }
}

TEST(SyllableHelpers, LeadingSyllableCode) {
  const SyllableTable table = syllables();
  EXPECT_EQ(qrpn(table, u"an"), u"aa");
  EXPECT_EQ(qrpn(table, u"ana"), u"an");
  EXPECT_EQ(qrpn(table, u"xyz"), u"");
  EXPECT_EQ(qrpn(table, u"xiangang"), u"xd");
  EXPECT_EQ(qrpn(SyllableTable{}, u"ni"), u"");
}

TEST(SyllableHelpers, ListItemsCutToLength) {
  struct Case {
    std::u16string list;
    std::int32_t n, nOut;
    std::u16string out;
  };
  const Case cases[] = {
      {u"中国人 123 中国 45", 2, 2, u"中国 12 中国 45"},
      {u"中国人 123 中国 45", 5, 5, u"中国人 123 中国 45"},
      {u"中国a 12", 3, 2, u"中国 12"},
      // No double-byte character at all: the length stops at 0 instead of running below it.
      {u"abc de", 2, 0, u" "},
  };
  for (const auto& c : cases) {
    std::int32_t n = c.n;
    EXPECT_EQ(quuuzi(c.list, n), c.out);
    EXPECT_EQ(n, c.nOut);
  }
}

}  // namespace
}  // namespace yz
