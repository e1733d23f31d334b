#include "devtools/regex_demo.h"

#include <gtest/gtest.h>

#include "lexicon/syllables.h"
#include "platform/sim/sim_platform.h"
#include "state/service_cells.h"
#include "state/services.h"

namespace yz {
namespace {

TEST(RegexDemo, TestAndMatchList) {
  EXPECT_FALSE(bTest(u"abc", u"B"));
  EXPECT_TRUE(bTest(u"abc", u"b"));
  EXPECT_TRUE(bTest(u"中国人", u"国"));
  EXPECT_FALSE(bTest(u"abc", u"(("));  // a malformed pattern matches nothing
  EXPECT_EQ(TestRegExp(u"b", u"aBcb"),
            u"Match found at position 1. Match Value is 'B'.\r\nMatch found at position 3. Match Value is 'b'.\r\n");
  EXPECT_EQ(TestRegExp(u"q", u"aBcb"), u"String Matching Failed");
  EXPECT_EQ(TestRegExp(u"[", u"aBcb"), u"String Matching Failed");
}

TEST(RegexDemo, FourMessageBoxes) {
  SimPlatform platform;
  platform.defaultMessageBoxAnswer = MessageBoxAnswer::Ok;
  std::vector<std::u16string> texts = regExpDemo(&platform);
  ASSERT_EQ(platform.messageBoxes.size(), 4u);
  EXPECT_EQ(platform.messageBoxes[0].text,
            u"Match found at position 1. Match Value is 'S'.\r\n"
            u"Match found at position 5. Match Value is 's'.\r\n"
            u"Match found at position 9. Match Value is 'S'.\r\n"
            u"Match found at position 17. Match Value is 's'.\r\n");
  EXPECT_EQ(texts[1], u"False");
  EXPECT_EQ(texts[2], u"False");
  EXPECT_EQ(texts[3], u"False");
}

TEST(RegexDemo, CloudDumpWritesSettledDifferingAnswers) {
  LexiconState lex;
  fillSyllableTables(lex, {u"bei,bw", u"jing,jk", u"ren,rf", u"zhong,vs", u"guo,go"}, [] {});
  const std::vector<std::u16string> lexicon = {
      u"bwjk,北京 90",           // the service agrees: nothing written
      u"vsgo,钟国 80 中国 90",   // settled differing answer: written alone
      u"rf,人 10",               // one character: skipped
      u"vsgorf,中国 50",         // code not twice the word's length: skipped
      u"bwrf,背人 80",           // the service never settles: bounded, nothing written
  };
  std::vector<std::u16string> asked;
  int flips = 0;
  auto ask = [&](const std::u16string& pinyin) -> std::u16string {
    asked.push_back(pinyin);
    if (pinyin == u"beijing") return u"北京";
    if (pinyin == u"zhongguo") return u"中国";
    return ++flips % 2 ? u"a" : u"b";
  };
  int waits = 0;
  std::vector<std::u16string> out =
      dumpCloudFirstChoices(lexicon, lex.syllablesByPinyin, ask, [&](int ms) { waits += ms; }, 10);
  EXPECT_EQ(out, std::vector<std::u16string>{u"中国"});
  EXPECT_EQ(std::count(asked.begin(), asked.end(), u"beijing"), 2);
  EXPECT_EQ(std::count(asked.begin(), asked.end(), u"beiren"), 10);
  EXPECT_GT(waits, 0);
}

TEST(RegexDemo, CloudDumpThroughTheCloudQuery) {
  struct Web : WebServices {
    WebCells* cells = nullptr;
    float xymaypu(std::u16string_view) override { return 0; }
    float xymaypu1(std::u16string_view, std::u16string_view) override { return 0; }
    void yuuqp() override {}
    void yuu() override { cells->cloudText = cells->pinyinQuery == u"beijing" ? u"背景" : u""; }
  } web;
  WebCells cells;
  web.cells = &cells;
  LexiconState lex;
  fillSyllableTables(lex, {u"bei,bw", u"jing,jk"}, [] {});
  EXPECT_EQ(dumpCloudFirstChoices({u"bwjk,北京 90"}, lex.syllablesByPinyin, askThroughCloudQuery(web, cells),
                                  [](int) {}),
            std::vector<std::u16string>{u"背景"});
  EXPECT_EQ(cells.pinyinQuery, u"beijing");
}

}  // namespace
}  // namespace yz
