#include "lexicon/user_lookup.h"

#include <gtest/gtest.h>

#include "lexicon/utf.h"
#include "lexicon_test_util.h"

namespace yz {
namespace {

using testing_support::makeTable;

class UserLookupTest : public testing::Test {
 protected:
  LexiconState lex_;
  Settings settings_;
  CompositionState comp_;
  PassState pass_;
  WindowState win_;
  RaceState race_;
  UserLookup lookup_{lex_, settings_, comp_, pass_, win_, race_};
  LookupCells& cells_ = lex_.cells;

  void users(const std::vector<std::pair<std::u16string, std::u16string>>& entries) {
    lex_.userLexicon = makeTable(entries);
  }
  void chars(const std::vector<std::pair<std::u16string, std::u16string>>& entries) {
    lex_.charLexicon = makeTable(entries);
  }
  // Association on, as the end-word candidates are built, for codes from 4 letters on.
  void associationOn(std::u16string codeLine) {
    settings_.iqlx = 1;
    pass_.hbxrlj = true;
    pass_.associationStartLen = 4;
    win_.boxes.rtext1.text = std::move(codeLine);
  }
  std::u16string user(std::u16string code, std::int32_t& k12) {
    std::u16string cnir = u"stale";
    lookup_.hziryhck(std::move(code), cnir, k12);
    return cnir;
  }
};

TEST_F(UserLookupTest, EmptyUserLexicon) {
  std::int32_t k12 = -1;
  EXPECT_EQ(user(u"ab", k12), u"");
  EXPECT_EQ(cells_.zicipn, kWeightNotFound);
  EXPECT_EQ(cells_.userInsertIndex, 1);
  EXPECT_EQ(cells_.userHitIndex, 0);
}

TEST_F(UserLookupTest, ExactSearchAndInsertPositions) {
  users({{u"bb", u"北 085"}, {u"dd", u"等 090 的 120"}, {u"ff", u"发 070"}, {u"hh", u"好 100"}});
  struct Case {
    std::u16string code;
    std::u16string cnir;
    float weight;
    std::int32_t hit, insert, k12;
  } cases[] = {
      {u"aa", u"", 400, 0, 1, 0},       // before every user code
      {u"zz", u"", 400, 0, 5, 5},       // after every user code
      {u"bb", u"北 085", 85, 1, 0, -1},  // the first entry
      {u"hh", u"好 100", 100, 4, 0, 4},  // the last entry, found without the loop
      {u"dd", u"等 090 的 120", 90, 2, 0, 2},
      {u"ff", u"发 070", 70, 3, 0, 3},
      {u"cc", u"", 400, 0, 2, -1},      // between two codes: the next greater one
      {u"ee", u"", 400, 0, 3, -1},
      {u"gg", u"", 400, 0, 4, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(toUtf8(c.code));
    std::int32_t k12 = -1;
    EXPECT_EQ(user(c.code, k12), c.cnir);
    EXPECT_EQ(cells_.zicipn, c.weight);
    EXPECT_EQ(cells_.userHitIndex, c.hit);
    EXPECT_EQ(cells_.userInsertIndex, c.insert);
    if (c.k12 >= 0) {
      EXPECT_EQ(k12, c.k12);
    }
  }
}

TEST_F(UserLookupTest, DeletedWordCountsAsNoEntryAndStopsAssociation) {
  users({{u"zhgo", u"中国 085 *# 090"}, {u"zhgoren", u"中国人 080"}});
  associationOn(u"zhgo");
  std::int32_t k12 = 0;
  EXPECT_EQ(user(u"zhgo", k12), u"");
  EXPECT_EQ(cells_.zicipn, kWeightNotFound);
  EXPECT_EQ(cells_.userHitIndex, 0);
}

TEST_F(UserLookupTest, SentenceConversionGivesUserHitIndexAsK12) {
  users({{u"bb", u"北 085"}, {u"dd", u"等 090"}, {u"ff", u"发 070"}});
  std::u16string cnir;
  lookup_.hziryhck(u"ee", cnir, cells_.userHitIndex);
  EXPECT_EQ(cells_.userHitIndex, 0);  // a miss clears the probe written through k12
  lookup_.hziryhck(u"dd", cnir, cells_.userHitIndex);
  EXPECT_EQ(cells_.userHitIndex, 2);
}

TEST_F(UserLookupTest, AssociationNeedsLengthAndTheEndOfTheCodeLine) {
  users({{u"abcd", u"甲 085"}, {u"abcdef", u"甲乙 085"}});
  associationOn(u"xxabc");
  std::int32_t k12 = 0;
  EXPECT_EQ(user(u"abc", k12), u"");  // shorter than associationStartLen
  win_.boxes.rtext1.text = u"abcdxx";
  EXPECT_EQ(user(u"abcd", k12), u"甲 085");  // not the end of the code line
  win_.boxes.rtext1.text = u"xxabcd";
  // Landing on the last entry lists its line first.
  EXPECT_EQ(user(u"abcd", k12), u"甲乙 085 甲 085");
}

TEST_F(UserLookupTest, AssociationCollectsTheRunAroundTheLandingEntry) {
  users({{u"aaaa", u"一 085"},
         {u"bbcc", u"乙 085"},
         {u"bbccdd", u"乙丙 085"},
         {u"bbccee", u"乙丁 7"},
         {u"bbccff", u"乙戊 085"},
         {u"zzzz", u"子 085"}});
  associationOn(u"bbcc");
  std::int32_t k12 = 0;
  // The exact hit's line, then the other lines of the run in index order, each once.
  EXPECT_EQ(user(u"bbcc", k12), u"乙 085 乙丙 085 乙丁 7 乙戊 085");
  EXPECT_EQ(k12, 6);
  // A prefix of several entries without an exact entry.
  win_.boxes.rtext1.text = u"bbccd";
  pass_.associationStartLen = 5;
  EXPECT_EQ(user(u"bbccd", k12), u"乙丙 085");
  EXPECT_EQ(cells_.zicipn, kWeightNotFound);  // the exact search's miss weight stays
}

TEST_F(UserLookupTest, AnEntryMarkedSevenIsNoLandingEntry) {
  // The only continuation of bbcc holds " 7": no landing entry, nothing associated.
  users({{u"aaaa", u"一 085"}, {u"bbccdd", u"乙丙 7"}, {u"zzzz", u"子 085"}});
  associationOn(u"bbcc");
  std::int32_t k12 = 0;
  EXPECT_EQ(user(u"bbcc", k12), u"");
  EXPECT_EQ(cells_.zicipn, kWeightNotFound);
  EXPECT_EQ(k12, 3);
  // Beside an entry that can serve, it is collected with the run.
  users({{u"aaaa", u"一 085"}, {u"bbccdd", u"乙丙 7"}, {u"bbccee", u"乙丁 085"}, {u"zzzz", u"子 085"}});
  EXPECT_EQ(user(u"bbcc", k12), u"乙丙 7 乙丁 085");
}

TEST_F(UserLookupTest, AssociationLandingOnTheLastEntryListsItFirst) {
  users({{u"aaaa", u"一 085"}, {u"bbccdd", u"乙丙 085"}, {u"bbccee", u"乙丁 080"}});
  associationOn(u"bbcc");
  std::int32_t k12 = 0;
  EXPECT_EQ(user(u"bbcc", k12), u"乙丁 080 乙丙 085");
  EXPECT_EQ(cells_.zicipn, kWeightAssociation);
  EXPECT_EQ(k12, 3);
}

TEST_F(UserLookupTest, EarlierTextWordComesFirstWithWeight200) {
  users({{u"aaaa", u"一 085"}, {u"bbccdd", u"乙丙 085"}, {u"zzzz", u"子 085"}});
  associationOn(u"bbcc");
  settings_.qjzc = 1;
  comp_.cnuhwf = u"我们不错吧";
  comp_.enuhwf = u"wmbcb";
  std::int32_t k12 = 0;
  // No landing entry: the earlier-text word alone.
  EXPECT_EQ(user(u"bcbx", k12), u"");
  win_.boxes.rtext1.text = u"mbcb";
  EXPECT_EQ(user(u"mbcb", k12), u"们不错吧 200");
  EXPECT_EQ(cells_.zicipn, kWeightAssociation);
  EXPECT_EQ(win_.loopCounter, 2);
  // With a landing entry it goes in front of the collected lines, one space apart.
  comp_.cnuhwf = u"比才";
  comp_.enuhwf = u"bbcc";
  win_.boxes.rtext1.text = u"bbcc";
  EXPECT_EQ(user(u"bbcc", k12), u"比才 200 乙丙 085");
}

TEST_F(UserLookupTest, NoAssociationDuringARaceRun) {
  users({{u"abcd", u"甲 085"}, {u"abcdef", u"甲乙 085"}});
  associationOn(u"abcd");
  race_.raceMode = 1;
  std::int32_t k12 = 0;
  EXPECT_EQ(user(u"abcd", k12), u"甲 085");
}

class CharLookupTest : public UserLookupTest {
 protected:
  void SetUp() override {
    chars({{u"a", u"啊 10 阿 20"},
           {u"aa", u"阿 30"},
           {u"b", u"不 5"},
           {u"bb", u"爸 3500"},
           {u"q", u"去 3200"},
           {u"zz", u"在 40"}});
    settings_.zrhx.borderStyle = 1;
  }
  std::u16string character(std::u16string code, float& weight) {
    std::u16string cnir = u"stale";
    lookup_.hzirdzck(std::move(code), cnir, weight);
    return cnir;
  }
};

TEST_F(CharLookupTest, HitsFallbackAndMisses) {
  struct Case {
    std::u16string code;
    float weightIn;
    std::u16string cnir;
    float weight;
    std::int32_t hit;
  } cases[] = {
      {u"aa", 400, u"阿", 30, 2},
      {u"a", 400, u"啊", 10, 1},    // the first entry
      {u"zz", 400, u"在", 40, 6},   // the last entry
      {u"ab", 400, u"啊", 800, 1},  // first letter only
      {u"zx", 400, u"", 400, 0},    // neither the code nor its first letter
      {u"x", 400, u"", 400, 0},     // a one-letter code without an entry
      {u"", 400, u"", 400, 0},
      // A stale incoming weight does not stick: a hit reports its own, a miss 400.
      {u"aa", 800, u"阿", 30, 2},
      {u"x", 800, u"", 400, 0},
      {u"x", 123, u"", 400, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(toUtf8(c.code));
    float weight = c.weightIn;
    EXPECT_EQ(character(c.code, weight), c.cnir);
    EXPECT_EQ(weight, c.weight);
    EXPECT_EQ(cells_.charHitIndex, c.hit);
    EXPECT_EQ(cells_.lastFoundIndex, 0);
  }
}

TEST_F(CharLookupTest, RareCharactersInALongCodeLine) {
  float weight = 0;
  win_.boxes.rtext1.text = u"bbcd";
  EXPECT_EQ(character(u"bb", weight), u"爸");  // code line under 5 letters
  EXPECT_EQ(weight, 3500);
  win_.boxes.rtext1.text = u"bbcde";
  EXPECT_EQ(character(u"bb", weight), u"");
  EXPECT_EQ(cells_.charHitIndex, 0);
  EXPECT_EQ(character(u"q", weight), u"去");  // a one-letter code reports 200
  EXPECT_EQ(weight, kWeightAssociation);
  EXPECT_EQ(character(u"qx", weight), u"去");  // the first-letter fallback keeps 800
  EXPECT_EQ(weight, kWeightFirstLetter);
}

TEST_F(CharLookupTest, OtherLayoutsTakeLettersFromTheTypedCodeAtTheCodesOwnPlace) {
  settings_.zrhx.borderStyle = 0;
  chars({{u"aa", u"阿 30"}, {u"aak", u"啊 10"}, {u"aax", u"嗄 50"}});
  struct Case {
    const char* what;
    std::u16string line;   // the code line, in 自然双拼
    std::u16string typed;  // the keys as typed
    std::u16string cnir;
  } cases[] = {
      {"whole line", u"aax", u"ttk", u"啊"},
      {"first word", u"aaxbbcc", u"ttkbbcc", u"啊"},
      {"middle word", u"bbaaxcc", u"bbttkcc", u"啊"},
      {"last word", u"bbccaax", u"bbccttk", u"啊"},
      {"three letters: first", u"aaxbbxccx", u"ttkbbxccx", u"啊"},
      {"three letters: middle", u"bbxaaxccx", u"bbxttkccx", u"啊"},
      {"three letters: last", u"bbxccxaax", u"bbxccxttk", u"啊"},
      // Typed in 自然双拼 itself: the line is the typed code, so a later word keeps its letters.
      {"untranslated middle word", u"womfaaxcc", u"womfaaxcc", u"嗄"},
      {"untranslated last word", u"wopmfraax", u"wopmfraax", u"嗄"},
      {"not in the line", u"bbcc", u"ttkk", u"啊"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    win_.boxes.rtext1.text = c.line;
    win_.boxes.Text1.text = c.typed;
    float weight = 0;
    EXPECT_EQ(character(u"aax", weight), c.cnir);
  }
  win_.boxes.rtext1.text = u"aax";
  win_.boxes.Text1.text = u"ttk";
  comp_.modifyMode = 1;
  float weight = 0;
  EXPECT_EQ(character(u"aax", weight), u"嗄");
}

TEST_F(CharLookupTest, LongCodesUnderShapeSentencesFindNothing) {
  chars({{u"aakk", u"阿 30"}});
  settings_.gjxm = 1;
  float weight = 0;
  EXPECT_EQ(character(u"aakk", weight), u"");
  settings_.gjxm = 0;
  EXPECT_EQ(character(u"aakk", weight), u"阿");
}

}  // namespace
}  // namespace yz
