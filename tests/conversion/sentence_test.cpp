#include <gtest/gtest.h>

#include "conversion_fixture.h"

namespace yz::testing_support {
namespace {

class SentenceTest : public ConversionTest {
 protected:
  SentenceTest() {
    setLexicons({{u"abcd", u"甲乙 100"}, {u"ef", u"丙 100"}, {u"gh", u"丁 100"}, {u"juxu", u"居需 100"}},
                {{u"a", u"啊 100 阿 200 呵 300 吖 400 锕 500"},
                 {u"ef", u"丙 100 并 200 病 300 柄 3500 饼 400"},
                 {u"efa", u"戌 100"}});
  }
};

TEST_F(SentenceTest, EmptyCodeGivesNothing) {
  std::u16string endzf = u"old";
  EXPECT_EQ(convert(u"", &endzf), u"");
  EXPECT_EQ(endzf, u"");
  EXPECT_EQ(conv.wordIndex, 0);
}

TEST_F(SentenceTest, ConvertsPieceByPieceIntoTheWordTable) {
  std::u16string code = u"abcdefgh", sentence, endzf;
  win.boxes.rtext1.text = code;
  conv.j0 = 1;
  engine.sentence.fjyi(code, sentence, endzf);
  EXPECT_EQ(sentence, u"甲乙丙丁");
  EXPECT_EQ(code, u"gh");  // the code from the start of the last piece
  EXPECT_EQ(conv.wordIndex, 3);
  EXPECT_EQ(conv.wordCounter, 3);
  EXPECT_EQ(conv.hzixb, u" 甲乙 丙 丁");
  const SentenceWord expected[] = {{u"abcd", u"甲乙"}, {u"ef", u"丙"}, {u"gh", u"丁"}};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(conv.wordTable[i + 1].code, expected[i].code) << i;
    EXPECT_EQ(conv.wordTable[i + 1].text, expected[i].text) << i;
  }
  EXPECT_TRUE(conv.wordTable[0].code.empty());
  EXPECT_EQ(conv.xb0, 3);
  EXPECT_EQ(conv.qmhbir, 1);
  EXPECT_EQ(conv.tailCode, u"gh");
  EXPECT_EQ(conv.cutTableLast, -1);
}

TEST_F(SentenceTest, ReconversionOfTheTailKeepsTheRowsInFront) {
  conv.wordTable[1] = {u"zz", u"某"};
  conv.j0 = 1;
  conv.wordCounter = 0;
  std::u16string code = u"efgh", sentence, endzf;
  conv.j0 = 2;
  win.boxes.rtext1.text = u"zzefgh";
  engine.sentence.fjyi(code, sentence, endzf);
  EXPECT_EQ(sentence, u"丙丁");
  EXPECT_EQ(conv.wordTable[1].text, u"某");
  EXPECT_EQ(conv.wordTable[2].text, u"丙");
  EXPECT_EQ(conv.wordTable[3].text, u"丁");
  EXPECT_EQ(conv.wordIndex, 3);
}

TEST_F(SentenceTest, ZiranLayoutReadsVAfterJQXYAsU) {
  struct Case {
    std::u16string code;
    bool marked;
    std::u16string normalised;
  } cases[] = {
      {u"jvxv", true, u"juxu"},
      {u"vjvj", true, u"vjvj"},
      {u"ajva", true, u"ajva"},  // the jv straddles two units
      {u"jvxv", false, u"jvxv"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.marked));
    settings.zrhx.borderStyle = c.marked ? 1 : 0;
    std::u16string code = c.code, sentence, endzf;
    win.boxes.rtext1.text = c.code;
    conv.j0 = 1;
    conv.wordCounter = 0;
    engine.sentence.fjyi(code, sentence, endzf);
    EXPECT_EQ(code, c.normalised);
    EXPECT_EQ(sentence, c.normalised == u"juxu" ? u"居需" : u"");
  }
}

TEST_F(SentenceTest, CharactersThatAreNoCodeKeysPassThroughWithoutARow) {
  EXPECT_EQ(convert(u"1aef"), u"1a丙");
  EXPECT_EQ(conv.wordIndex, 1);
  EXPECT_EQ(conv.wordTable[1].code, u"ef");
}

TEST_F(SentenceTest, TheTableStopsAtTheFortiethWord) {
  std::u16string code;
  for (int i = 0; i < 41; ++i) code += u"ef";
  const std::u16string sentence = convert(code);
  EXPECT_EQ(sentence, std::u16string(40, u'丙'));
  EXPECT_EQ(conv.wordIndex, 40);
  EXPECT_EQ(conv.xb0, 40);
  EXPECT_EQ(conv.wordTable[40].text, u"丙");
}

TEST_F(SentenceTest, SingleCharacterPairsOfTheEndList) {
  struct Case {
    std::u16string code;
    std::u16string endList;
  } cases[] = {
      // A one-letter tail takes at most three pairs.
      {u"a", u"啊 100 阿 200 呵 300 吖 400 锕 500 啊 100 阿 200 呵 300"},
      // A rare character after the third pair ends the pairs.
      {u"ef", u"丙 100 并 200 病 300 柄 3500 饼 400 丙 100 并 200 病 300"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.code.size()));
    // Only the single-character lexicon holds these codes here.
    setLexicons({}, {{u"a", u"啊 100 阿 200 呵 300 吖 400 锕 500"},
                     {u"ef", u"丙 100 并 200 病 300 柄 3500 饼 400"}});
    std::u16string endzf;
    convert(c.code, &endzf);
    EXPECT_EQ(endzf, c.endList);
  }
}

TEST_F(SentenceTest, EndListOfAMainWordPutsItsFirstPairInFront) {
  setLexicons({{u"abcd", u"甲乙 100 甲已 200"}}, {{u"ab", u"子 100"}});
  std::u16string endzf;
  convert(u"abcd", &endzf);
  // Rule 6 puts the main line; no single-character line stands for a four-letter code.
  EXPECT_EQ(endzf, u"甲乙 100 甲已 200");
}

TEST_F(SentenceTest, EndListPutsTheFirstPairsOfTheMainAndUserLinesInFront) {
  struct Case {
    const char* name;
    std::vector<std::pair<std::u16string, std::u16string>> user;
    std::u16string sentence, endList, tailText;
  } cases[] = {
      {"main line", {}, u"甲乙", u"甲乙 100 丙 100 并 200 甲乙 100 甲已 200", u"甲乙"},
      {"user and main line",
       {{u"ef", u"仔仔 085 子子 090"}},
       u"仔仔",
       u"甲乙 100 仔仔 085 丙 100 并 200 仔仔 085 子子 090 甲乙 100 甲已 200",
       u"甲乙"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    setLexicons({{u"ef", u"甲乙 100 甲已 200"}}, {{u"ef", u"丙 100 并 200"}}, c.user);
    std::u16string endzf;
    EXPECT_EQ(convert(u"ef", &endzf), c.sentence);
    EXPECT_EQ(endzf, c.endList);
    EXPECT_EQ(conv.tailText, c.tailText);
  }
}

// Shape codes with 高阶形码整句: a later word of four letters is chosen among the first three
// words of its line by how often the web finds it after the word before it.
class ShapeRerankTest : public ConversionTest {
 protected:
  ShapeRerankTest() {
    settings.ilmvj = false;
    settings.xmur = true;
    settings.gjxm = 1;
    setLexicons({{u"wome", u"我们 100"}, {u"abcd", u"甲乙 100 甲已 200 甲以 300"}, {u"ef", u"丙 100 并 200"}});
  }
};

TEST_F(ShapeRerankTest, HitCountsAfterThePreviousWordChooseTheWord) {
  struct Case {
    const char* name;
    std::u16string code;
    std::map<std::u16string, float, std::less<>> hits;
    std::u16string sentence;
    bool shapeInput = true;
  } cases[] = {
      {"twice the phrase's hits, the highest wins", u"womeabcd",
       {{u"我们甲乙", 5}, {u"我们甲已", 7}, {u"我们甲以", 6}}, u"我们甲已"},
      {"more than 10 hits ends the search", u"womeabcd",
       {{u"我们甲乙", 5}, {u"我们甲已", 11}, {u"我们甲以", 30}}, u"我们甲已"},
      {"equal scores keep the earlier word", u"womeabcd",
       {{u"我们甲乙", 5}, {u"我们甲已", 5}, {u"我们甲以", 5}}, u"我们甲乙"},
      {"a code of two letters takes its line's first word", u"womeef",
       {{u"我们丙", 5}, {u"我们并", 20}}, u"我们丙"},
      {"only for shape input", u"womeabcd",
       {{u"我们甲乙", 5}, {u"我们甲已", 30}}, u"我们甲乙", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    settings.xmur = c.shapeInput;
    web.hits = c.hits;
    pass.rtexys = c.code;
    conv.qrbuir.clear();
    EXPECT_EQ(convert(c.code), c.sentence);
    EXPECT_EQ(conv.wordIndex, 2);
  }
}

TEST_F(ShapeRerankTest, ShapeSentencesAreSplitByHitCounts) {
  // "abcdef": abcd + ef (甲乙 丙) and ab + cdef (子 丑寅) score alike; the phrase 甲乙丙 is rare
  // on the web and 子丑寅 common enough, so the shape sentence takes the second cut.
  setLexicons({{u"abcd", u"甲乙 100"}, {u"ef", u"丙 100"}, {u"ab", u"子 100"}, {u"cdef", u"丑寅 100"}});
  web.hits = {{u"甲乙丙", 4}, {u"子丑寅", 3}};
  pass.rtexys = u"abcdef";
  EXPECT_EQ(convert(u"abcdef"), u"子丑寅");
  // In instant modify the plain split search keeps the longest match.
  comp.modifyMode = 1;
  EXPECT_EQ(convert(u"abcdef"), u"甲乙丙");
}

class PositioningTest : public SentenceTest {
 protected:
  PositioningTest() {
    settings.gjxm = 1;
    win.boxes.text7.text = u"甲乙丙";
  }
};

TEST_F(PositioningTest, ANewThreeLetterTailReplacesTheLastCharacter) {
  conv.bmstruhci = u"abcdef";
  std::u16string endzf;
  EXPECT_EQ(convert(u"abcdefa", &endzf), u"甲乙戌");
  EXPECT_EQ(conv.qrbuir, u"甲乙 戌");
  EXPECT_EQ(conv.tailCode, u"efa");
  EXPECT_EQ(conv.tailText, u"戌");
  EXPECT_EQ(conv.tailFixed, 1);
  EXPECT_EQ(endzf, u"戌 100");
  EXPECT_EQ(conv.wordIndex, 0);  // no row is written on this path
}

TEST_F(PositioningTest, AnUnchangedCodeTakesTheLastLetterAlone) {
  conv.bmstruhci = u"abcdefa";
  EXPECT_EQ(convert(u"abcdefa"), u"甲乙啊");
  EXPECT_EQ(conv.qrbuir, u"甲乙 啊");
  EXPECT_EQ(conv.tailFixed, 1);
}

TEST_F(SentenceTest, KeysQueuedDuringTheSegmentationRunInsideItAndChangeNothing) {
  const std::u16string quiet = convert(u"abcdefgh");
  const auto quietTable = conv.wordTable;

  int keys = 0;
  ASSERT_TRUE(sim.installKeyboardHook([&](const KeyEvent&) {
    // What a handler may leave behind: an edited code box and overwritten lookup cells.
    ++keys;
    win.boxes.Text1.text += u'x';
    lex.cells.lookupWord = u"乱";
    lex.cells.zicipn = -7;
    lex.cells.mainHitIndex = 1;
    lex.cells.charHitIndex = 2;
    return HookAnswer::Withhold;
  }));
  sim.typeKeys(u"xyz");
  const std::u16string busy = convert(u"abcdefgh");
  EXPECT_GT(keys, 0);
  EXPECT_EQ(busy, quiet);
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(conv.wordTable[i].text, quietTable[i].text) << i;
}

}  // namespace
}  // namespace yz::testing_support
