#include <gtest/gtest.h>

#include "conversion_fixture.h"

namespace yz::testing_support {
namespace {

class SegmentTest : public ConversionTest {
 protected:
  std::pair<std::u16string, std::u16string> prefix(const std::u16string& code, std::int32_t blen = 1) {
    std::u16string bmb = u"unset", hzb;
    engine.segmentation.bmuib(code, bmb, hzb, blen);
    return {bmb, hzb};
  }
  std::pair<std::u16string, std::u16string> segment(const std::u16string& code) {
    std::u16string c, t;
    engine.segmentation.bmui(code, c, t);
    return {c, t};
  }
};

TEST_F(SegmentTest, TwoLetterModeTriesAtMostTwiceTheLongestWord) {
  setLexicons({{u"ab", u"子 100"}});
  const std::u16string code = u"abcdefghijklmnopqrst";
  win.boxes.rtext1.text = code;
  EXPECT_EQ(prefix(code), (std::pair<std::u16string, std::u16string>{u"ab", u"子"}));
  ASSERT_FALSE(lookups.asked.empty());
  EXPECT_EQ(lookups.asked.front(), code.substr(0, 14));
}

TEST_F(SegmentTest, OddHeadsInsideTheCodeLoseTheirLastLetter) {
  setLexicons({{u"abc", u"甲 100"}, {u"ab", u"子 100"}});
  win.boxes.rtext1.text = u"abcd";
  prefix(u"abcd");
  EXPECT_EQ(lookups.asked, (std::vector<std::u16string>{u"abcd", u"ab"}));
  // A head that reaches the end of the code line keeps its odd letter.
  lookups.asked.clear();
  win.boxes.rtext1.text = u"abc";
  EXPECT_EQ(prefix(u"abc").second, u"甲");
}

TEST_F(SegmentTest, ThreeLetterModeTriesMultiplesOfThree) {
  settings.ilmvj = false;
  settings.smvj = true;
  setLexicons({});
  prefix(u"abcdef");
  EXPECT_EQ(lookups.asked, (std::vector<std::u16string>{u"abcdef", u"abc"}));
}

TEST_F(SegmentTest, WordModeWithoutAWholeEntryGivesTheWholeCode) {
  settings.ilmvj = false;
  settings.izcmu = true;
  setLexicons({{u"ab", u"子 100"}});
  EXPECT_EQ(prefix(u"abcd"), (std::pair<std::u16string, std::u16string>{u"abcd", u""}));
}

TEST_F(SegmentTest, NoPrefixGivesEmptyCodeAndText) {
  setLexicons({{u"ab", u"子 100"}});
  win.boxes.rtext1.text = u"cdef";
  EXPECT_EQ(prefix(u"cdef"), (std::pair<std::u16string, std::u16string>{u"", u""}));
  EXPECT_EQ(segment(u"cdef").second, u"");
  EXPECT_EQ(lex.cells.zicipn, kWeightNotFound);
}

TEST_F(SegmentTest, WordMakingTakesTheWeightOfTheKnownText) {
  setLexicons({{u"abcd", u"甲乙 100 申乙 090"}, {u"ef", u"丙 100"}});
  comp.pendingCommand = kPendingWordMaking;
  race.raceCode = u"xabcdefxabcdef";  // the occurrence at letter 2 is passed over, 9 counts
  race.raceCommittedText = u"一二三四申乙丙";
  win.boxes.rtext1.text = u"abcdef";
  EXPECT_EQ(prefix(u"abcdef").first, u"abcd");
  EXPECT_EQ(lex.cells.zicipn, 90);
  // A code at no odd position of the race code matches nothing.
  race.raceCode = u"xabcdef";
  EXPECT_EQ(prefix(u"abcdef").second, u"");
}

TEST_F(SegmentTest, OneCharacterFirstMatchHasNoAlternatives) {
  setLexicons({{u"ab", u"子 100"}, {u"cdef", u"丑寅 100"}});
  win.boxes.rtext1.text = u"abcdef";
  EXPECT_EQ(segment(u"abcdef"), (std::pair<std::u16string, std::u16string>{u"ab", u"子"}));
}

TEST_F(SegmentTest, UserWordAtTheEndOfALongMatchIsLeftForTheNextSegment) {
  struct Case {
    std::u16string userCode;
    std::pair<std::u16string, std::u16string> result;
  } cases[] = {
      {u"cdefgh", {u"ab", u"甲"}},         // last three characters
      {u"efgh", {u"abcd", u"甲乙"}},       // last two characters
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.userCode.size()));
    setLexicons({{u"abcdefgh", u"甲乙丙丁 100"}}, {}, {{c.userCode, u"某某 085"}});
    win.boxes.rtext1.text = u"abcdefgh";
    EXPECT_EQ(segment(u"abcdefgh"), c.result);
  }
}

TEST_F(SegmentTest, AlternativeWeightsCompareAsNumbers) {
  // The first match weighs 85, the alternative at letter 3 weighs 120: the first match stays.
  setLexicons({{u"abcdefgh", u"甲乙丙丁 085"}, {u"cdefghij", u"乙丙丁戊 120"}, {u"ab", u"子 100"}});
  win.boxes.rtext1.text = u"abcdefghijkl";
  EXPECT_EQ(segment(u"abcdefghijkl"),
            (std::pair<std::u16string, std::u16string>{u"abcdefgh", u"甲乙丙丁"}));
}

TEST_F(SegmentTest, ALongerAlternativeCutsTheFirstMatchShort) {
  setLexicons({{u"abcd", u"甲乙 100"}, {u"cdefgh", u"乙丙丁 100"}, {u"ab", u"子 100"}});
  win.boxes.rtext1.text = u"abcdefgh";
  EXPECT_EQ(segment(u"abcdefgh"), (std::pair<std::u16string, std::u16string>{u"ab", u"子"}));
}

TEST_F(SegmentTest, TheChoiceAmongAlternativesOfEqualLength) {
  // "abcdefghijkl": the first match abcdefgh (甲乙丙丁), alternatives of eight letters at letter 3
  // (cdefghij) and letter 5 (efghijkl). A lighter alternative beats the entry in front of it;
  // only the first alternative cuts the match short, before itself.
  struct Case {
    const char* name;
    std::u16string weight3, weight5;
    std::pair<std::u16string, std::u16string> result;
  } cases[] = {
      {"neither is lighter", u"300", u"300", {u"abcdefgh", u"甲乙丙丁"}},
      {"the first is lighter", u"050", u"300", {u"ab", u"子"}},
      {"only the second is lighter", u"300", u"050", {u"abcdefgh", u"甲乙丙丁"}},
  };
  settings.ilmvj = false;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    setLexicons({{u"abcdefgh", u"甲乙丙丁 100"}, {u"ijkl", u"戊己 100"}, {u"ab", u"子 100"},
                 {u"abcd", u"子丑 100"}, {u"kl", u"庚 100"}, {u"cdefghij", u"丑寅卯辰 " + c.weight3},
                 {u"efghijkl", u"寅卯辰巳 " + c.weight5}});
    win.boxes.rtext1.text = u"abcdefghijkl";
    EXPECT_EQ(segment(u"abcdefghijkl"), c.result);
  }
}

TEST_F(SegmentTest, AChoiceBeyondTheSecondAlternativeIsMadeAgainAmongTheEarlierOnes) {
  // "abcdefghijklmn": the first match abcdefgh and three alternatives of eight letters, each
  // lighter than the one before. The third wins; the choice is then made again over the first
  // alternative alone, which beats the first match and cuts it short.
  settings.ilmvj = false;
  setLexicons({{u"abcdefgh", u"甲乙丙丁 100"}, {u"ijkl", u"戊己 100"}, {u"mn", u"庚 100"}, {u"ab", u"子 100"},
               {u"abcd", u"子丑 100"}, {u"abcdef", u"子丑寅 100"}, {u"klmn", u"辛壬 100"},
               {u"cdefghij", u"丑寅卯辰 080"}, {u"efghijkl", u"寅卯辰巳 060"}, {u"ghijklmn", u"卯辰巳午 040"}});
  win.boxes.rtext1.text = u"abcdefghijklmn";
  EXPECT_EQ(segment(u"abcdefghijklmn"), (std::pair<std::u16string, std::u16string>{u"ab", u"子"}));
}

TEST_F(SegmentTest, ASixLetterHeadOneLetterShortOfTheCodeLooksAhead) {
  // "abcdefg" in a later segment, where the last letter alone could follow abcdef: a word for the
  // last three letters cuts the head to four letters, one for the last two to five.
  struct Case {
    const char* name;
    std::vector<std::pair<std::u16string, std::u16string>> more;
    std::u16string code;
  } cases[] = {
      {"no word for the last letters", {}, u"abcdef"},
      {"a word for the last three letters", {{u"abcd", u"甲乙 100"}, {u"efg", u"丙 100"}}, u"abcd"},
      {"a word for the last two letters", {{u"abcde", u"甲乙 100"}, {u"fg", u"丁 100"}}, u"abcde"},
  };
  settings.ilmvj = false;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::pair<std::u16string, std::u16string>> mainEntries = {{u"abcdef", u"甲乙丙 100"}};
    mainEntries.insert(mainEntries.end(), c.more.begin(), c.more.end());
    setLexicons(mainEntries, {{u"g", u"戊 100"}});
    win.boxes.rtext1.text = u"xxabcdefg";
    conv.qmhbir = 1;
    EXPECT_EQ(prefix(u"abcdefg").first, c.code);
  }
}

class RecordingLearner final : public FusedWordLearning {
 public:
  explicit RecordingLearner(const ConversionState& conv) : conv_(conv) {}
  void zdzyhc(std::u16string str4) override {
    learned.push_back(str4);
    icjqSeen = conv_.icjq;
  }
  std::vector<std::u16string> learned;
  std::int32_t icjqSeen = 0;

 private:
  const ConversionState& conv_;
};

TEST_F(SegmentTest, OverlappingWordsFuseAndAreLearned) {
  RecordingLearner learner(conv);
  ConversionEngine withLearning{ConversionContext{settings, lex, conv, comp, pass, win, race, webCells,
                                                  sim, web, lookups, &learner}};
  settings.idqi = 1;
  setLexicons({{u"abcdef", u"甲乙丙 100"}, {u"efghij", u"丙丁戊 100"}});
  win.boxes.rtext1.text = u"abcdefghij";
  std::u16string code, text;
  withLearning.segmentation.bmui(u"abcdefghij", code, text);
  EXPECT_EQ(code, u"abcdefghij");
  EXPECT_EQ(text, u"甲乙丙丁戊");
  EXPECT_EQ(conv.loopCounter2, 10);
  EXPECT_EQ(learner.learned, std::vector<std::u16string>{u"甲乙丙丁戊"});
  EXPECT_EQ(learner.icjqSeen, 1);
  EXPECT_EQ(conv.icjq, 0);
}

class SegmentabilityTest : public SegmentTest {
 protected:
  SegmentabilityTest() {
    settings.ilmvj = false;
    setLexicons({{u"abc", u"甲 100"}, {u"def", u"乙 100"}, {u"gh", u"丙 100"}, {u"wxyz", u"丁戊 100"}},
                {{u"a", u"啊 100"}});
  }
  bool test(std::u16string_view code, std::int32_t qmhbir, std::int32_t wzma) {
    conv.qmhbir = qmhbir;
    conv.wzma = wzma;
    return engine.segmentation.igjux(code);
  }
};

TEST_F(SegmentabilityTest, SentenceModesAndAnalyzerRunsPassWithoutALookup) {
  struct Case {
    bool ilmvj, dgvj;
    std::int32_t raceMode;
  } cases[] = {{true, false, 0}, {false, true, 0}, {false, false, 1}};
  for (const Case& c : cases) {
    settings.ilmvj = c.ilmvj;
    settings.dgvj = c.dgvj;
    race.raceMode = c.raceMode;
    EXPECT_TRUE(test(u"zzzzzzz", 0, 0));
  }
  EXPECT_TRUE(lookups.asked.empty());
}

TEST_F(SegmentabilityTest, Cases) {
  struct Case {
    const char* name;
    std::u16string code;
    std::int32_t qmhbir, wzma;
    bool result;
  } cases[] = {
      {"six letters as 3 + 3", u"abcdef", 0, 0, true},
      {"six letters that cannot be cut", u"abcdez", 0, 0, false},
      {"four letters, first three an entry, as a rest", u"abcz", 1, 1, true},
      {"the same as a head", u"abcz", 0, 0, false},
      {"the same as a head after the first segment", u"abcz", 1, 0, false},
      {"one letter as a rest", u"a", 1, 1, true},
      {"one letter in the first segment", u"a", 0, 1, false},
      {"one letter as a head", u"a", 1, 0, false},
      {"one letter the single-character lexicon lacks", u"z", 1, 1, false},
      {"3 + 2 and an auxiliary letter as a rest", u"abcghz", 1, 1, true},
      {"the same as a head", u"abcghz", 0, 0, false},
      {"eight letters as 3 + 3 + 2", u"abcdefgh", 0, 0, true},
      {"six letters as 2 + 4", u"ghwxyz", 0, 0, true},
      {"six letters as 4 + 2", u"wxyzgh", 0, 0, true},
      {"empty", u"", 0, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(test(c.code, c.qmhbir, c.wzma), c.result);
  }
}

TEST_F(SegmentabilityTest, ACuttingOfTheCutTableProvesACodeWithoutALookup) {
  engine.split.fillCutTable(u" zzz yyy", u" xx");
  EXPECT_TRUE(test(u"zzzyyyxx", 0, 0));  // spelled out by a cutting
  EXPECT_TRUE(test(u"zzzyyy", 0, 0));
  engine.split.clearCutTable();
  engine.split.fillCutTable(u" zzzzzz yyy", u" xx");
  EXPECT_TRUE(test(u"zzzzzz", 0, 0));  // the first piece of a cutting
  EXPECT_TRUE(lookups.asked.empty());
  EXPECT_FALSE(test(u"zzzzzzyy", 0, 0));
}

}  // namespace
}  // namespace yz::testing_support
