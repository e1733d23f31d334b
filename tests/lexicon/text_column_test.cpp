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

TEST(LexiconState, TablesStartWithAnEmptySlotZero) {
  LexiconState lex;
  for (const LexiconTable* t : {&lex.mainLexicon, &lex.userLexicon, &lex.charLexicon}) {
    EXPECT_EQ(t->last, 0);
    ASSERT_EQ(t->codes.size(), 1u);
    EXPECT_TRUE(t->codes[0].empty());
  }
  EXPECT_EQ(lex.charPinyin.slots.size(), 32769u);
  EXPECT_EQ(lex.cells.zicipn, 400.0f);
}

}  // namespace
}  // namespace yz
