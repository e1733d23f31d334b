#include <gtest/gtest.h>

#include "state/lexicon_state.h"

namespace yz {
namespace {

TEST(TextColumn, ViewsSharedTextAndOwnsWrittenSlots) {
  const std::u16string buffer = u"abcdef";
  TextColumn column;
  column.resize(3);
  column.setView(1, std::u16string_view(buffer).substr(0, 2));
  column.setView(2, std::u16string_view(buffer).substr(2, 4));
  EXPECT_EQ(column[1], u"ab");
  EXPECT_EQ(column[1].data(), buffer.data());  // no copy
  column.set(0, u"scratch");
  column.set(0, u"a longer scratch line that does not fit a small buffer");
  column.set(2, u"own");
  EXPECT_EQ(column[0], u"a longer scratch line that does not fit a small buffer");
  EXPECT_EQ(column[2], u"own");
  EXPECT_EQ(column[1], u"ab");
}

TEST(TextColumn, InsertAndEraseKeepOwnedTexts) {
  TextColumn column;
  column.push(u"");
  column.push(u"ab");
  column.push(u"cd");
  column.insert(2, u"ac");
  column.set(1, u"aa");
  column.erase(3);
  ASSERT_EQ(column.size(), 3u);
  EXPECT_EQ(column[1], u"aa");
  EXPECT_EQ(column[2], u"ac");
  column.resize(1);
  column.push(u"zz");
  EXPECT_EQ(column[1], u"zz");
}

TEST(CharTable, SetOverwriteCopyAndClear) {
  CharTable table;
  EXPECT_EQ(table.size(), kCharTableSlots);
  EXPECT_TRUE(table[0].empty());
  EXPECT_TRUE(table[kCharTableSlots - 1].empty());
  table.set(1, u"abc");
  table.set(kCharTableSlots - 1, u"last");
  table.set(2, u"de");
  table.set(1, u"x");            // shorter
  table.set(2, u"a longer one");  // longer
  table.set(3, table[2]);        // a text read from the table itself
  EXPECT_EQ(table[1], u"x");
  EXPECT_EQ(table[2], u"a longer one");
  EXPECT_EQ(table[3], u"a longer one");
  EXPECT_EQ(table[kCharTableSlots - 1], u"last");
  EXPECT_TRUE(table[4].empty());

  const CharTable copy = table;
  table.set(1, u"changed");
  EXPECT_EQ(copy[1], u"x");
  EXPECT_EQ(table[1], u"changed");

  // Rewriting the same slots over and over keeps every other text.
  for (int round = 0; round < 3000; ++round) {
    table.set(5, round % 2 ? u"odd" : u"an even round");
    table.set(6, std::u16string(static_cast<std::size_t>(round % 7), u'q'));
  }
  EXPECT_EQ(table[5], u"odd");
  EXPECT_EQ(table[6], u"qqq");  // 2999 % 7 == 3
  EXPECT_EQ(table[2], u"a longer one");
  EXPECT_EQ(table[kCharTableSlots - 1], u"last");

  table.clear();
  for (std::size_t i : {std::size_t{1}, std::size_t{2}, std::size_t{5}, kCharTableSlots - 1}) {
    EXPECT_TRUE(table[i].empty()) << i;
  }
  table.set(7, u"again");
  EXPECT_EQ(table[7], u"again");
  EXPECT_EQ(copy[2], u"a longer one");
}

TEST(LexiconState, TablesStartWithAnEmptySlotZero) {
  LexiconState lex;
  for (const LexiconTable* t : {&lex.mainLexicon, &lex.userLexicon, &lex.charLexicon}) {
    EXPECT_EQ(t->last, 0);
    ASSERT_EQ(t->codes.size(), 1u);
    EXPECT_TRUE(t->codes[0].empty());
  }
  EXPECT_EQ(lex.charPinyin.size(), 32769u);
  EXPECT_EQ(lex.cells.zicipn, 400.0f);
}

}  // namespace
}  // namespace yz
