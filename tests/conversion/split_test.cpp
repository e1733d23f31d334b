#include <gtest/gtest.h>

#include "conversion_fixture.h"
#include "lexicon/utf.h"

namespace yz::testing_support {
namespace {

class SplitTest : public ConversionTest {
 protected:
  SplitTest() {
    setLexicons({{u"abcd", u"甲乙 100"},
                 {u"ef", u"丙 100"},
                 {u"ghij", u"丁戊 085"},
                 {u"klmnop", u"己庚 100"}},
                {{u"a", u"啊 100"}});
  }
  SplitSearch::Greedy greedy(const std::u16string& code) { return engine.split.ycpd(code); }
};

TEST_F(SplitTest, GreedyCostsOfTheWorkedSegments) {
  struct Case {
    const char* name;
    std::u16string code;
    bool ilmvj;
    std::int32_t qmhbir;
    float cost;
  } cases[] = {
      {"four-letter word, first part", u"abcd", true, 0, -88},
      {"four-letter word, rest", u"abcd", true, 1, -88},
      {"four-letter word, other mode", u"abcd", false, 0, -88},
      {"one character", u"ef", true, 0, 1156},
      {"one character, rest, other mode", u"ef", false, 1, 1156},
      {"word then character", u"abcdef", true, 0, 1168},
      {"word then character, other mode", u"abcdef", false, 1, 1168},
      {"preferred weight 85", u"ghij", true, 0, -2188},
      {"six letters, first part", u"klmnop", true, 0, 312},
      {"six letters, rest", u"klmnop", true, 1, -88},
      {"six letters, first part, other mode", u"klmnop", false, 0, -488},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    settings.ilmvj = c.ilmvj;
    conv.qmhbir = c.qmhbir;
    const SplitSearch::Greedy g = greedy(c.code);
    EXPECT_EQ(g.ffcigeuu, c.cost);
    EXPECT_FALSE(g.hjzils.empty());
  }
}

TEST_F(SplitTest, GreedyCostRecordsTextsAndCodes) {
  const SplitSearch::Greedy g = greedy(u"abcdef");
  EXPECT_EQ(g.hjzils, u"甲乙");
  EXPECT_EQ(g.hjziqb, u" 甲乙 丙");
  EXPECT_EQ(g.bmmals, u" abcd ef");
}

TEST_F(SplitTest, EmptyCodeFailsWithNothing) {
  const SplitSearch::Greedy g = greedy(u"");
  EXPECT_TRUE(g.hjzils.empty());
  EXPECT_TRUE(g.hjziqb.empty());
  EXPECT_TRUE(g.bmmals.empty());
}

TEST_F(SplitTest, OneLetterSegmentAfterTheFirstFailsOnlyInAFirstPart) {
  conv.qmhbir = 0;
  SplitSearch::Greedy g = greedy(u"efa");
  EXPECT_TRUE(g.hjzils.empty());
  EXPECT_EQ(g.hjziqb, u" 丙 啊");
  conv.qmhbir = 1;
  EXPECT_EQ(greedy(u"efa").hjzils, u"丙");
}

TEST_F(SplitTest, ShapeModeLeavesATrailingLetterUnconverted) {
  settings.gjxm = 1;
  conv.qmhbir = 0;
  const SplitSearch::Greedy g = greedy(u"efa");
  EXPECT_EQ(g.hjzils, u"丙");
  EXPECT_EQ(g.hjziqb, u" 丙");
  EXPECT_EQ(g.bmmals, u" ef");
}

TEST_F(SplitTest, NegativeWeights) {
  // Outside instant modify a negative weight is multiplied by the square of the characters; in
  // instant modify its decimal text loses every "-10" to "1".
  struct Case {
    std::int32_t modifyMode;
    std::u16string weight;
    float transformed;
  } cases[] = {
      {0, u"-5", -20}, {1, u"-105", 15}, {1, u"-100", 10}, {1, u"-10", 1}, {1, u"-5", -5},
  };
  race.raceMode = 1;  // the weight then enters the cost as the step left it
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.transformed));
    setLexicons({{u"abcd", u"甲乙 " + c.weight}});
    comp.modifyMode = c.modifyMode;
    EXPECT_EQ(greedy(u"abcd").ffcigeuu, 100 - 288 + c.transformed);
  }
}

TEST(CutScore, RoundsToFiveDecimals) {
  EXPECT_DOUBLE_EQ(SplitSearch::cutScore(-88, 1156, 3), 1068.33333);
  EXPECT_DOUBLE_EQ(SplitSearch::cutScore(-88, -88, 4), -175.75);
  EXPECT_DOUBLE_EQ(SplitSearch::cutScore(0, 0, 7), 0.14286);
}

TEST_F(SplitTest, CutTableHoldsEveryTailOfTheCut) {
  engine.split.fillCutTable(u" ab cd", u" ef");
  EXPECT_EQ(conv.cutTableLast, 4);
  const std::u16string expected[] = {u" ab cd ef", u" cd ef", u" ef", u" ab cd", u" cd"};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(conv.cutTable[i], expected[i]) << i;
  EXPECT_TRUE(conv.cutTable[5].empty());
  engine.split.clearCutTable();
  EXPECT_EQ(conv.cutTableLast, -1);
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(conv.cutTable[i].empty());
}

class SplitSearchTest : public SplitTest {
 protected:
  // "abcdef": the longest match abcd + ef, or ab + cdef.
  void lexicon(const char16_t* cdefWeight) {
    setLexicons({{u"abcd", u"甲乙 100"},
                 {u"ef", u"丙 100"},
                 {u"ab", u"子 100"},
                 {u"cdef", std::u16string(u"丑寅 ") + cdefWeight}});
    win.boxes.rtext1.text = u"abcdef";
  }
  std::u16string split(std::int32_t a = 4) {
    std::u16string texts, codes;
    std::int32_t i4 = -1;
    engine.split.fizh(u"abcdef", texts, a, i4, codes);
    i4_ = i4;
    codes_ = codes;
    return texts;
  }
  std::int32_t i4_ = 0;
  std::u16string codes_;
};

TEST_F(SplitSearchTest, EqualScoresKeepTheCutTriedFirst) {
  lexicon(u"100");  // both cuts score 1068.33333
  EXPECT_EQ(split(), u" 甲乙");
  EXPECT_EQ(i4_, 4);
  EXPECT_EQ(codes_, u" abcd");
  EXPECT_EQ(conv.qrbu, u" 甲乙 丙");
  EXPECT_EQ(conv.cutTableLast, -1);
}

TEST_F(SplitSearchTest, ALowerScoreReplacesTheLongestMatch) {
  lexicon(u"099");
  EXPECT_EQ(split(), u" 子");
  EXPECT_EQ(i4_, 2);
  EXPECT_EQ(codes_, u" ab");
}

TEST_F(SplitSearchTest, WordModeScoresOnlyTheLongestMatchCut) {
  lexicon(u"099");
  settings.ilmvj = false;
  settings.izcmu = true;
  EXPECT_EQ(split(), u" 甲乙");
}

TEST_F(SplitSearchTest, ThreeLetterModeTakesItsOneCutThoughARestFails) {
  lexicon(u"100");
  settings.ilmvj = false;
  settings.smvj = true;
  // Three-letter parts find nothing in a two-letter lexicon: no character, no score.
  EXPECT_EQ(split(3), u"");
  EXPECT_EQ(i4_, 3);

  setLexicons({{u"abcdef", u"甲乙 100"}, {u"ghi", u"丙 100"}});
  win.boxes.rtext1.text = u"abcdefxyz";
  std::u16string texts, codes;
  std::int32_t i4 = -1;
  engine.split.fizh(u"abcdefxyz", texts, 6, i4, codes);  // "xyz" finds nothing
  EXPECT_EQ(texts, u" 甲乙");
  EXPECT_EQ(i4, 6);
  EXPECT_EQ(codes, u" abcdef");
}

TEST_F(SplitSearchTest, ASixLetterWordBeforeAFourLetterWordWeighsItsCutUp) {
  // Cut 1 (klmnop + qr) scores 1468.33333, or 1768.33333 with the 300 for the word that letters
  // 5 to 8 (opqr) would make; cut 4 (klmn + opqr) scores 1600.25 and wins only through the 300.
  setLexicons({{u"klmnop", u"己庚 100"}, {u"qr", u"丙 100"}, {u"klmn", u"甲乙 500"}, {u"opqr", u"丁戊 1476"}});
  win.boxes.rtext1.text = u"klmnopqr";
  std::u16string texts, codes;
  std::int32_t i4 = -1;
  engine.split.fizh(u"klmnopqr", texts, 6, i4, codes);
  EXPECT_EQ(texts, u" 甲乙");
  EXPECT_EQ(i4, 4);
}

TEST_F(SplitSearchTest, ASingleLetterRestAfterALongMatchEndsTheSearch) {
  // Cut 1 (klmnop + q) scores 1468.33333; cut 4 (klmn + opq) would score 768.33333. After a
  // match of more than five letters a one-letter rest ends the search with cut 1.
  settings.ilmvj = false;
  struct Case {
    std::u16string code;
    std::int32_t a;
    std::u16string texts;
  } cases[] = {
      {u"klmnopq", 6, u" 己庚"},
      {u"klmnoq", 5, u" 甲乙"},  // a match of five letters: the other cuts are tried
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(toUtf8(c.code));
    setLexicons({{u"klmnop", u"己庚 100"}, {u"klmno", u"己庚 100"}, {u"klmn", u"甲乙 100"}},
                {{u"q", u"丙 100"}, {u"opq", u"丁 100"}, {u"oq", u"丁 100"}});
    win.boxes.rtext1.text = c.code;
    std::u16string texts, codes;
    std::int32_t i4 = -1;
    engine.split.fizh(c.code, texts, c.a, i4, codes);
    EXPECT_EQ(texts, c.texts);
  }
}

TEST_F(SplitSearchTest, ATwoLetterCutOfAnEightLetterCodeWeighsTwoHundredMore) {
  // abcdef + gh scores 924.25; ab + cdefgh 919.25, and 1119.25 with the 200 that it carries
  // beside a converting abcd + efgh (1004.25).
  setLexicons({{u"abcdef", u"甲乙丙 100"}, {u"gh", u"丁 100"}, {u"abcd", u"戊己 690"},
               {u"efgh", u"庚辛 690"}, {u"ab", u"子 100"}, {u"cdefgh", u"丑寅卯 095"}});
  win.boxes.rtext1.text = u"abcdefgh";
  std::u16string texts, codes;
  std::int32_t i4 = -1;
  engine.split.fizh(u"abcdefgh", texts, 6, i4, codes);
  EXPECT_EQ(texts, u" 甲乙丙");
  EXPECT_EQ(i4, 6);

  // Without a converting abcd + efgh the two-letter cut wins.
  setLexicons({{u"abcdef", u"甲乙丙 100"}, {u"gh", u"丁 100"}, {u"ab", u"子 100"}, {u"cdefgh", u"丑寅卯 095"}});
  engine.split.fizh(u"abcdefgh", texts, 6, i4, codes);
  EXPECT_EQ(texts, u" 子");
  EXPECT_EQ(i4, 2);
}

TEST_F(SplitSearchTest, OfTwoCutsWithEqualScoresTheOneTriedFirstWins) {
  // abc + def and abcde + f both score 1768.33333, below abcd + ef (1868.33333): the cut one
  // letter shorter than the longest match is tried before the one a letter longer.
  settings.ilmvj = false;
  setLexicons({{u"abcd", u"庚辛 500"}, {u"ef", u"壬 500"}, {u"abc", u"甲乙 650"}, {u"def", u"丙 650"},
               {u"abcde", u"丁戊 100"}, {u"f", u"己 100"}});
  win.boxes.rtext1.text = u"abcdef";
  EXPECT_EQ(split(), u" 甲乙");
  EXPECT_EQ(i4_, 3);
}

TEST_F(SplitSearchTest, NothingConvertsGivesNoText) {
  setLexicons({{u"abcd", u"甲乙 100"}});
  EXPECT_EQ(split(), u"");
  EXPECT_EQ(i4_, 4);
}

}  // namespace
}  // namespace yz::testing_support
