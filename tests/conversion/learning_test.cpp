// Word learning on the conversion's state records: the word-aligned comparison, the learning
// around marked differences, the insertion into the user lexicon and the whole learning pass.

#include <map>
#include <set>

#include "conversion/learning.h"
#include "conversion/word_compare.h"
#include "lexicon/number_text.h"
#include "conversion_fixture.h"
#include "lexicon/utf.h"

namespace yz::testing_support {
namespace {

TEST(WordCompare, MarksDifferingWordsAndCountsTheirCharacters) {
  struct Case {
    std::u16string ref, conv, sentence;
    std::u16string markedRef, markedConv;
    std::int32_t differing, chars;
    float rate;
  } cases[] = {
      {u"我们 是 中国人", u"我们 时 中国人", u"我们是中国人", u"我们[是]中国人", u"我们(时)中国人", 1, 6, 16.67f},
      {u"我们 是", u"我们 是", u"我们是", u"我们是", u"我们是", 0, 3, 0},
      // The reference word is longer: its missing characters differ, the conversion's extra ones not.
      {u"中国人 好", u"中过 好", u"中国人好", u"[中国人]好", u"(中过)好", 2, 4, 50},
      {u"好 中国", u"好 中国人民", u"好中国", u"好[中国]", u"好(中国人民)", 0, 3, 0},
      // A conversion shorter than the commit: its missing words count as empty.
      {u"我们 是 中国人", u"我们 是", u"我们是中国人", u"我们是[中国人]", u"我们是()", 3, 6, 50},
  };
  for (const Case& c : cases) {
    std::u16string ref = c.ref, conv = c.conv;
    std::int16_t grab = 0;
    const WordComparison r = cowu(ref, conv, c.sentence, grab);
    EXPECT_EQ(ref, c.markedRef) << toUtf8(c.ref);
    EXPECT_EQ(conv, c.markedConv) << toUtf8(c.ref);
    EXPECT_EQ(r.cowuuu, c.differing) << toUtf8(c.ref);
    EXPECT_EQ(r.hzs, c.chars) << toUtf8(c.ref);
    EXPECT_FLOAT_EQ(r.cowulv, c.rate) << toUtf8(c.ref);
  }
}

TEST(WordCompare, AGrabbedTextIsOneDifference) {
  std::u16string ref = u"ab cd", conv = u"ab cd";
  std::int16_t grab = 1;
  const WordComparison r = cowu(ref, conv, u"", grab);
  EXPECT_EQ(ref, u"[abcd]");
  EXPECT_EQ(conv, u"(abcd)");
  EXPECT_EQ(r.hzs, 4);
  EXPECT_EQ(r.cowuuu, 4);
  EXPECT_FLOAT_EQ(r.cowulv, 100);
  EXPECT_EQ(grab, 0);
}

TEST(WordLengthWindow, ReadsTheSettingText) {
  struct Case {
    std::u16string text;
    std::int32_t min, max;
  } cases[] = {{u"2到7", 2, 7}, {u"3到5", 3, 5}, {u"3到0", 2, 7}, {u"3到x", 2, 7}, {u"x到4", 0, 4}, {u"", 2, 7}};
  for (const Case& c : cases) {
    std::int32_t lo = -1, hi = -1;
    wordLengthWindow(c.text, lo, hi);
    EXPECT_EQ(lo, c.min) << toUtf8(c.text);
    EXPECT_EQ(hi, c.max) << toUtf8(c.text);
  }
}

// Two-letter codes of the characters the tests use.
const std::map<char16_t, std::u16string> kCharCodes = {
    {u'我', u"wo"}, {u'们', u"mf"}, {u'今', u"jn"}, {u'天', u"tm"}, {u'去', u"qu"}, {u'公', u"gs"},
    {u'园', u"yr"}, {u'金', u"jn"}, {u'田', u"tm"}, {u'中', u"vs"}, {u'国', u"go"}, {u'人', u"rf"},
    {u'是', u"ui"}, {u'时', u"ui"}, {u'了', u"le"}, {u'吗', u"ma"}};

class LearningTest : public ConversionTest {
 protected:
  LearningTest() {
    settings.ilmvj = true;
    for (const auto& [ch, code] : kCharCodes) lex.charFullCodes.set(gbk.charIndex(ch), code);
  }

  std::u16string codeOf(std::u16string_view text) const {
    std::u16string code;
    for (char16_t ch : text) {
      auto it = kCharCodes.find(ch);
      if (it == kCharCodes.end()) return {};
      code += it->second;
    }
    return code;
  }

  // Every word of the user lexicon with its weight.
  std::map<std::u16string, std::u16string> userWords() const {
    std::map<std::u16string, std::u16string> out;
    const LexiconTable& u = lex.userLexicon;
    for (std::int32_t i = 1; i <= u.last; ++i) {
      std::vector<std::u16string_view> parts;
      conversion_text::splitSpaces(u.lines[static_cast<std::size_t>(i)], parts);
      for (std::size_t p = 0; p + 1 < parts.size(); p += 2) out[std::u16string(parts[p])] = std::u16string(parts[p + 1]);
    }
    return out;
  }
  std::set<std::u16string> learnedWords() const {
    std::set<std::u16string> out;
    for (const auto& [w, weight] : userWords()) out.insert(w);
    return out;
  }
  void expectSorted() const {
    const LexiconTable& u = lex.userLexicon;
    for (std::int32_t i = 2; i <= u.last; ++i) EXPECT_LT(u.codes[i - 1], u.codes[i]);
    for (std::int32_t i = 1; i <= u.last; ++i) EXPECT_FALSE(u.codes[i].empty()) << i;
  }

  GbkTable gbk{sim};
  LearningState state;
  int saves = 0;
  bool saveWorks = true;
  // The conversion that learning drives, whose segmentation learns its fused words.
  ConversionEngine learningEngine{
      ConversionContext{settings, lex, conv, comp, pass, win, race, webCells, sim, web, lookups, &learning}};
  WordLearning learning{
      ConversionContext{settings, lex, conv, comp, pass, win, race, webCells, sim, web, lookups},
      learningEngine.sentence, gbk, state,
      LearningCalls{[this](std::u16string_view text, std::u16string& bm, std::u16string&) { bm = codeOf(text); },
                    nullptr,
                    [this] {
                      ++saves;
                      return saveWorks;
                    }}};
};

TEST_F(LearningTest, NewCodesGoInSortedOrderWithWeightsFromTheUnseededGenerator) {
  setLexicons({}, {}, {{u"a", u"啊 085"}, {u"zz", u"在 085"}});
  learning.zdzyhc(u"今天");
  learning.zdzyhc(u"我们");
  learning.zdzyhc(u"公园");
  expectSorted();
  ASSERT_EQ(lex.userLexicon.last, 5);
  // Appended after the last code: 80 to 90; inserted inside: 80 to 90 as well (not fused).
  LearningState fresh;
  const auto words = userWords();
  for (const char16_t* w : {u"今天", u"我们", u"公园"}) {
    const std::u16string weight = words.at(w);
    ASSERT_EQ(weight[0], u'0');
    const float value = std::stof(toUtf8(weight));
    EXPECT_GE(value, 80);
    EXPECT_LE(value, 90);
    EXPECT_EQ(weight, u"0" + singleText(fresh.rnd() * 10 + 80)) << toUtf8(w);  // the same sequence every run
  }
}

TEST_F(LearningTest, AKnownWordMovesToTheFrontOrStays) {
  setLexicons({}, {}, {{u"jntm", u"金田 050 今天 060 天天 070"}});
  learning.zdzyhc(u"金田");  // first already: nothing changes, no number drawn
  EXPECT_EQ(lex.userLexicon.lines[1], u"金田 050 今天 060 天天 070");
  EXPECT_EQ(state.rndSeed, LearningState{}.rndSeed);
  learning.zdzyhc(u"今天");
  const std::u16string line(lex.userLexicon.lines[1]);
  EXPECT_TRUE(line.starts_with(u"今天 08")) << toUtf8(line);
  EXPECT_TRUE(line.ends_with(u" 金田 050 天天 070")) << toUtf8(line);
  EXPECT_EQ(lex.userLexicon.last, 1);
}

TEST_F(LearningTest, ACodeWithADeletedWordGetsTheNewWordInItsOwnLine) {
  // The lookup reports the marker's code as absent; learning must not insert a second entry at
  // index 0 and leave a gap.
  setLexicons({}, {}, {{u"aa", u"啊 085"}, {u"jntm", u"*# 085"}, {u"zz", u"在 085"}});
  learning.zdzyhc(u"今天");
  ASSERT_EQ(lex.userLexicon.last, 3);
  EXPECT_EQ(lex.userLexicon.codes[1], u"aa");
  EXPECT_EQ(lex.userLexicon.codes[2], u"jntm");
  EXPECT_TRUE(std::u16string_view(lex.userLexicon.lines[2]).starts_with(u"今天 08"));
  EXPECT_EQ(std::u16string_view(lex.userLexicon.lines[2]).find(u"*#"), std::u16string_view::npos);
  expectSorted();
}

TEST_F(LearningTest, TheTableGrowsOnEveryInsertAndFusedWordsWeighSeventyToEighty) {
  setLexicons({}, {}, {{u"aa", u"啊 085"}});
  for (int i = 0; i < 300; ++i) {
    const char16_t first = static_cast<char16_t>(u'a' + i % 26);
    const char16_t second = static_cast<char16_t>(u'a' + i / 26);
    conv.tailCode = std::u16string{u'b', first, second};
    conv.icjq = 1;
    learning.zdzyhc(std::u16string{u'中', u'国'} + std::u16string(1, static_cast<char16_t>(0x4E00 + i)));
  }
  conv.icjq = 0;
  EXPECT_EQ(lex.userLexicon.last, 301);
  expectSorted();
  int fused = 0;
  for (std::int32_t i = 2; i <= lex.userLexicon.last; ++i) {
    const std::u16string_view line = lex.userLexicon.lines[i];
    const float weight = std::stof(toUtf8(line.substr(line.find(u' ') + 1)));
    EXPECT_GE(weight, 70);
    EXPECT_LE(weight, 90);
    fused += weight < 80;
  }
  EXPECT_GT(fused, 0);
}

TEST_F(LearningTest, TheWindowDropsWordsOutsideItWhileTheSentenceIsLongEnough) {
  setLexicons({}, {}, {});
  conv.wordMinLen = 3;
  conv.wordMaxLen = 5;
  win.boxes.text7.text = u"我们今天";
  learning.zdzyhc(u"今天");
  EXPECT_EQ(lex.userLexicon.last, 0);
  win.boxes.text7.text = u"今天";
  race.raceSentence = u"今天";
  learning.zdzyhc(u"今天");  // both texts shorter than the window: learned anyway
  EXPECT_EQ(lex.userLexicon.last, 1);
}

TEST_F(LearningTest, AMarkedWordIsLearnedWithItsNeighbours) {
  struct Case {
    std::u16string marked;
    std::set<std::u16string> learned;
  } cases[] = {
      {u"我们[今天]去公园", {u"我们今天", u"今天去", u"今天去公园"}},
      // Two marked stretches in a row are taken together.
      {u"我们[今天][去]公园", {u"今天去", u"今天去公园"}},
      {u"我们今天去公园", {}},
  };
  for (const Case& c : cases) {
    setLexicons({}, {}, {});
    conv.wordMinLen = 3;
    conv.wordMaxLen = 7;
    win.boxes.text7.text = u"我们今天去公园";
    race.raceSentence = race.raceCommittedText = u"我们今天去公园";
    race.raceCommittedPieces = u"我们 今天 去 公园";
    race.raceMarkedText = c.marked;
    comp.pendingCommand = kPendingLearnMarked;
    std::u16string b00 = race.raceCommittedPieces;
    learning.iyzczc(b00);
    EXPECT_EQ(learnedWords(), c.learned) << toUtf8(c.marked);
  }
}

TEST_F(LearningTest, AMarkedFirstWordGrowsByTheOneCharacterWordsAfterIt) {
  struct Case {
    std::u16string pieces;
    std::set<std::u16string> learned;
  } cases[] = {
      {u"今天 去 了 吗 公园", {u"今天去了", u"今天去了吗"}},
      {u"今天 去 了 公园 吗", {u"今天去了"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(toUtf8(c.pieces));
    setLexicons({}, {}, {});
    conv.wordMinLen = 4;
    conv.wordMaxLen = 7;
    std::u16string text = c.pieces;
    std::erase(text, u' ');
    win.boxes.text7.text = race.raceSentence = race.raceCommittedText = text;
    race.raceCommittedPieces = c.pieces;
    race.raceMarkedText = u"[今天]" + text.substr(2);
    comp.pendingCommand = kPendingLearnMarked;
    std::u16string b00 = race.raceCommittedPieces;
    learning.iyzczc(b00);
    EXPECT_EQ(learnedWords(), c.learned);
  }
}

class LearningPassTest : public LearningTest {
 protected:
  LearningPassTest() {
    setLexicons({{u"womf", u"我们 10"}, {u"jntm", u"金田 10 今天 20"}, {u"qu", u"去 10"}, {u"gsyr", u"公园 10"}},
                {{u"wo", u"我 1"}, {u"mf", u"们 1"}, {u"jn", u"金 1 今 2"}, {u"tm", u"田 1 天 2"},
                 {u"qu", u"去 1"}, {u"gs", u"公 1"}, {u"yr", u"园 1"}});
  }
};

TEST_F(LearningPassTest, AChosenSentenceTeachesTheWordTheEngineGotWrong) {
  const std::u16string code = u"womfjntmqugsyr";
  ASSERT_EQ(convert(code), u"我们金田去公园");
  learning.yhck(u"我们今天去公园");
  EXPECT_EQ(saves, 1);
  EXPECT_EQ(race.raceMarkedText, u"我们[今天]去公园");
  EXPECT_FLOAT_EQ(race.raceErrorRate, 28.57f);
  EXPECT_TRUE(learnedWords().contains(u"今天"));
  EXPECT_FALSE(learnedWords().contains(u"公园"));  // words the engine got right are not learned
  EXPECT_EQ(comp.pendingCommand, kPendingNone);
  EXPECT_EQ(convert(code), u"我们今天去公园");
}

TEST_F(LearningPassTest, ASentenceTheEngineGotRightTeachesNothingButTheFileIsRewritten) {
  learning.yhck(u"我们金田去公园");
  EXPECT_EQ(lex.userLexicon.last, 0);
  EXPECT_EQ(saves, 1);
  settings.fczc = 0;
  learning.yhck(u"我们今天去公园");
  EXPECT_EQ(lex.userLexicon.last, 0);
  EXPECT_EQ(saves, 2);
  learning.yhck(u"我");  // one character: no learning, no rewrite
  EXPECT_EQ(saves, 2);
}

TEST_F(LearningPassTest, AFailedWriteKeepsTheWordsAndIsReportedOnce) {
  sim.defaultMessageBoxAnswer = MessageBoxAnswer::Ok;
  saveWorks = false;
  learning.yhck(u"我们今天去公园");
  learning.yhck(u"我们今天去公园");
  EXPECT_TRUE(learnedWords().contains(u"今天"));
  EXPECT_EQ(saves, 2);
  ASSERT_EQ(sim.messageBoxes.size(), 1u);
  EXPECT_EQ(sim.messageBoxes[0].text, kUserLexiconWriteFailed);
  saveWorks = true;
  learning.yhck(u"我们今天去公园");
  saveWorks = false;
  learning.yhck(u"我们今天去公园");
  EXPECT_EQ(sim.messageBoxes.size(), 2u);  // a new failure after a good write is reported again
}

TEST_F(LearningPassTest, FusedWordsAreLearnedWithTheirFusedCode) {
  settings.ilmvj = false;
  settings.idqi = 1;
  setLexicons({{u"vsgorf", u"中国人 10"}, {u"rfmn", u"人民 10"}, {u"rfmnkd", u"人民考点 10"}},
              {{u"vs", u"中 1"}, {u"go", u"国 1"}, {u"rf", u"人 1"}, {u"mn", u"民 1"}, {u"kd", u"考 1"}},
              {{u"zz", u"在 085"}});  // a code after it: inserted, not appended, so the fused weight
  learningEngine.segmentation.bmui(u"vsgorfmnkd", conv.tailCode, conv.tailText);  // as the conversion calls it
  ASSERT_EQ(conv.tailText, u"中国人民考点");
  ASSERT_EQ(lex.userLexicon.last, 2);
  EXPECT_EQ(lex.userLexicon.codes[1], u"vsgorfmnkd");
  const std::u16string_view line = lex.userLexicon.lines[1];
  EXPECT_TRUE(line.starts_with(u"中国人民考点 07")) << toUtf8(line);
}

}  // namespace
}  // namespace yz::testing_support
