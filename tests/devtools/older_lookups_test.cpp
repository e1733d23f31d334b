#include "devtools/older_lookups.h"

#include <gtest/gtest.h>

#include "../support/make_table.h"

namespace yz {
namespace {

LexiconState lexicon() {
  LexiconState lex;
  lex.mainLexicon = testing_support::makeTable({
      {u"bjjk", u"北京 90 背景 120"},
      {u"bjjm", u"边界 100"},
      {u"uhrf", u"上海 88"},
      {u"zgrf", u"中国 80 中国人 95.5"},
      {u"zgyu", u"中国语 130"},
  });
  return lex;
}

TEST(OlderLookups, RangeIsTheWholeLexicon) {
  LexiconState lex = lexicon();
  std::int32_t k1 = -1, k2 = -1;
  k1k2(lex, u"zz", k1, k2);
  EXPECT_EQ(k1, 1);
  EXPECT_EQ(k2, 5);
}

TEST(OlderLookups, WeightLookupByBinarySearch) {
  struct Case {
    std::u16string code;
    std::int32_t k12;
    std::u16string line;
  };
  const Case cases[] = {
      {u"bjjk", 120, u"北京 90 背景 120"},  // the first index
      {u"zgyu", 130, u"中国语 130"},        // the last index
      {u"uhrf", 88, u"上海 88"},            // found in the middle
      {u"zgrf", 95, u"中国 80 中国人 95.5"},
      {u"bjjl", 400, u""},                  // absent
      {u"zzzz", 400, u""},                  // sorts after every code
      {u"b", 400, u""},                     // too short
      {u"abcdefghi", 400, u""},             // too long
  };
  for (const auto& c : cases) {
    LexiconState lex = lexicon();
    lex.cells.lookupWord = u"stale";
    std::int32_t k12 = 0;
    hzircipn(lex, c.code, k12);
    EXPECT_EQ(k12, c.k12) << std::string(c.code.begin(), c.code.end());
    EXPECT_EQ(lex.cells.lookupWord, c.line);
  }
}

TEST(OlderLookups, EmptyLexiconFindsNothing) {
  LexiconState lex;
  std::int32_t k12 = 0;
  hzircipn(lex, u"bjjk", k12);
  EXPECT_EQ(k12, 400);
  std::u16string cnir = u"x";
  hzirjp(lex, u"bjk", cnir);
  EXPECT_EQ(cnir, u"");
}

TEST(OlderLookups, InitialsLookupCollectsMatchingLines) {
  LexiconState lex = lexicon();
  std::u16string cnir;
  hzirjp(lex, u"bjk", cnir);
  EXPECT_EQ(cnir, u" 北京 90 背景 120");
  hzirjp(lex, u"zrf", cnir);
  EXPECT_EQ(cnir, u" 中国 80 中国人 95.5");
  hzirjp(lex, u"bjx", cnir);
  EXPECT_EQ(cnir, u"");
}

}  // namespace
}  // namespace yz
