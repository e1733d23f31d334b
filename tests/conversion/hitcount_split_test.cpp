#include <gtest/gtest.h>

#include "conversion_fixture.h"

namespace yz::testing_support {
namespace {

// "abcdef": the longest-match cut abcd + ef (甲乙 丙), or ab + cdef (子 丑寅).
class HitCountSplitTest : public ConversionTest {
 protected:
  HitCountSplitTest() {
    settings.ilmvj = false;
    settings.xmur = true;
    settings.gjxm = 1;
    setLexicons({{u"abcd", u"甲乙 100 甲已 200 甲以 300"},
                 {u"ef", u"丙 100"},
                 {u"ab", u"子 100"},
                 {u"cdef", u"丑寅 100"}});
    win.boxes.rtext1.text = u"abcdef";
    pass.rtexys = u"abcdef";
  }
  std::u16string split(const std::u16string& code = u"abcdef", std::int32_t a = 4) {
    std::u16string texts, codes;
    i4 = -1;
    engine.split.fizhyp(code, texts, a, i4, codes);
    this->codes = codes;
    return texts;
  }
  std::int32_t i4 = 0;
  std::u16string codes;
};

TEST_F(HitCountSplitTest, ACommonLongestMatchStays) {
  web.hits[u"甲乙丙"] = 5;
  EXPECT_EQ(split(), u" 甲乙");
  EXPECT_EQ(i4, 4);
  EXPECT_EQ(conv.qrbuir, u" 甲乙 丙");  // the search began at the start of the code line
}

TEST_F(HitCountSplitTest, ARareLongestMatchGivesWayToACommonCut) {
  web.hits[u"甲乙丙"] = 4;
  web.hits[u"子丑寅"] = 3;
  EXPECT_EQ(split(), u" 子");
  EXPECT_EQ(i4, 2);
  EXPECT_EQ(codes, u" ab");
}

TEST_F(HitCountSplitTest, CandidateFallbackNeedsMoreThanFiveHits) {
  struct Case {
    float hits;
    std::u16string result;
  } cases[] = {{6, u"甲已"}, {5, u" 甲乙"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.hits));
    web.hits = {{u"甲乙丙", 4}, {u"子丑寅", 2}, {u"甲已丙", c.hits}};
    EXPECT_EQ(split(), c.result);
    EXPECT_EQ(i4, 4);  // the length of the longest-match cut
  }
}

TEST_F(HitCountSplitTest, TheCutFourLettersShorterNeedsTwoWordsOfTwoCharacters) {
  // "abcdefgh" with a six-letter longest match: abcdef + gh (甲乙丙 丁) scores 924.25; abcd + efgh
  // converts but is rare; ab + cdefgh scores 820.2 with a word of two characters for ab, and
  // carries 200 more beside the converting abcd + efgh.
  struct Case {
    const char* name;
    std::u16string abWord;
    float cut1Hits;
    std::u16string texts;
    std::int32_t i4;
  } cases[] = {
      {"two hundred more than the longest-match cut", u"子丑 870", 5, u" 甲乙丙", 6},
      {"a first word of one character drops the cut", u"子 100", 4, u" 甲乙丙", 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    setLexicons({{u"abcdef", u"甲乙丙 100"}, {u"gh", u"丁 100"}, {u"abcd", u"戊己 100"}, {u"efgh", u"庚辛 100"},
                 {u"ab", c.abWord}, {u"cdefgh", u"寅卯辰 870"}});
    win.boxes.rtext1.text = pass.rtexys = u"abcdefgh";
    conv.qrbuir.clear();
    web.asked.clear();
    web.hits = {{u"甲乙丙丁", c.cut1Hits}, {u"戊己庚辛", 0}, {u"子丑寅卯辰", 5}, {u"子寅卯辰", 9}};
    EXPECT_EQ(split(u"abcdefgh", 6), c.texts);
    EXPECT_EQ(i4, c.i4);
    EXPECT_EQ(std::count(web.asked.begin(), web.asked.end(), u"子寅卯辰"), 0);
  }
}

TEST_F(HitCountSplitTest, WithoutAnAnswerTheLongestMatchIsReturned) {
  web.unknown = -1;
  EXPECT_EQ(split(), u" 甲乙");
}

TEST_F(HitCountSplitTest, ALongMatchAsksNoHitCount) {
  setLexicons({{u"abcdefgh", u"甲乙丙丁 100"}, {u"ij", u"戊 100"}});
  pass.rtexys = u"abcdefghij";
  EXPECT_EQ(split(u"abcdefghij", 8), u" 甲乙丙丁");
  EXPECT_TRUE(web.asked.empty());
}

TEST_F(HitCountSplitTest, WordModeAsksNoHitCount) {
  settings.izcmu = true;
  EXPECT_EQ(split(), u" 甲乙");
  EXPECT_TRUE(web.asked.empty());
}

TEST_F(HitCountSplitTest, AOneCharacterSecondWordIsDroppedWithoutARequest) {
  setLexicons({{u"abcd", u"甲乙 100"}, {u"ef", u"丙 100"}, {u"ab", u"子 100"}, {u"cd", u"丑 100"}});
  web.hits[u"甲乙丙"] = 0;
  split();
  EXPECT_EQ(web.asked, std::vector<std::u16string>{u"甲乙丙"});
}

TEST_F(HitCountSplitTest, TheMemoryKeepsTheShownWords) {
  setLexicons({{u"wome", u"我们 100"}, {u"ui", u"是 100"}, {u"vsgo", u"中国 100"}, {u"x", u"下 100"}});
  pass.rtexys = u"womeuivsgox";
  win.boxes.rtext1.text = pass.rtexys;
  win.boxes.rtext2.text = u"我们是中国";
  conv.qrbuir = u" 我们 是 中国";
  EXPECT_EQ(split(u"womeuivsgo", 4), u"我们是");
  EXPECT_EQ(i4, 6);
  EXPECT_EQ(codes, u"womeui");
  // This search began after the start of the code line: the memory stays.
  EXPECT_EQ(conv.qrbuir, u" 我们 是 中国");
}

TEST_F(HitCountSplitTest, AnEmptyMemoryDoesNotSwallowTheSentence) {
  setLexicons({{u"wome", u"我们 100"}, {u"ui", u"是 100"}, {u"vsgo", u"中国 100"}});
  pass.rtexys = u"womeuivsgo";
  win.boxes.rtext1.text = pass.rtexys;
  web.hits[u"我们是"] = 9;
  EXPECT_EQ(split(u"womeuivsgo", 4), u" 我们");
  EXPECT_EQ(conv.qrbuir, u" 我们 是 中国");
}

}  // namespace
}  // namespace yz::testing_support
