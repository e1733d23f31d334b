#include "analyzer/word_maker_engine.h"

#include <gtest/gtest.h>

namespace yz {
namespace {

TEST(RoutineWordMakerEngine, ComparesPiecesMarksThemAndHandsBackTheMadeWords) {
  RaceState race;
  std::int16_t grab = 0;
  std::u16string seenMarked;
  RoutineWordMakerEngine engine(race, grab,
                                {[](std::u16string_view t) { return u"c:" + std::u16string(t); },
                                 [](std::u16string_view t) { return u"b:" + std::u16string(t); },
                                 [](std::u16string_view c) { return u"s:" + std::u16string(c); },
                                 [&](std::u16string& b00, std::vector<std::u16string>& made) {
                                   seenMarked = b00;
                                   b00 = race.raceMarkedText;
                                   made.push_back(u"天气");
                                 }});
  EXPECT_EQ(engine.cuttingCode(u"今天"), u"c:今天");
  EXPECT_EQ(engine.segmentCode(u"今天"), u"b:今天");
  EXPECT_EQ(engine.convert(u"jntm"), u"s:jntm");

  race.raceSentence = u"今天天气";
  race.raceCommittedPieces = u"今天 天气";
  race.raceResultPieces = u"今天 天器";
  std::vector<std::u16string> made = engine.compareAndMakeWords();
  EXPECT_EQ(race.raceMarkedText, u"今天[天气]");
  EXPECT_EQ(race.raceResultPieces, u"今天(天器)");
  EXPECT_EQ(seenMarked, u"今天[天气]");
  EXPECT_EQ(made, std::vector<std::u16string>{u"天气"});
  EXPECT_EQ(race.raceCommittedPieces, u"今天[天气]");
  EXPECT_EQ(race.raceErrorCount, 1);  // 气 against 器
  EXPECT_EQ(race.raceCharCount, 4);
}

TEST(RoutineWordMakerEngine, MissingRoutinesDoNothing) {
  RaceState race;
  std::int16_t grab = 0;
  RoutineWordMakerEngine engine(race, grab, {});
  EXPECT_EQ(engine.convert(u"ab"), u"");
  race.raceSentence = u"好";
  race.raceCommittedPieces = u"好";
  race.raceResultPieces = u"号";
  EXPECT_TRUE(engine.compareAndMakeWords().empty());
}

}  // namespace
}  // namespace yz
