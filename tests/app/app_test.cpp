#include <gtest/gtest.h>

#include <algorithm>

#include "main/sim_driver.h"

namespace yz {
namespace {

TEST(App, StartsWithTheDefaultState) {
  SimSession session;
  App& app = *session.app;
  EXPECT_EQ(app.settings.hxgu, u"5");
  EXPECT_TRUE(app.settings.ilmvj);
  EXPECT_EQ(app.comp.pendingCommand, kPendingNone);
  EXPECT_EQ(app.win.boxes.Text2.text, u"输入");
  EXPECT_EQ(app.conv.wordMaxLen, 7);
  EXPECT_FALSE(session.platform.timerEnabled(app.pass.timer1));
  EXPECT_EQ(app.gbk.charIndex(u'啊'), 20319);
}

// A subsystem that is not built yet does nothing when asked, and says so once in the log.
TEST(App, SubsystemsNotBuiltYetDoNothingAndSaySo) {
  SimPlatform platform;
  WebCells web;
  NotBuiltServices notBuilt(platform, web);
  web.cloudText = u"旧";
  EXPECT_EQ(notBuilt.xymaypu(u"砚舟"), -1);
  EXPECT_EQ(notBuilt.xymaypu(u"砚舟"), -1);
  notBuilt.yuu();
  EXPECT_EQ(web.cloudText, u"");
  EXPECT_NO_THROW(notBuilt.yhck(u"砚舟"));
  const auto& log = platform.logLines;
  EXPECT_EQ(std::count(log.begin(), log.end(), u"not built yet, skipped: xymaypu"), 1);
  EXPECT_EQ(std::count(log.begin(), log.end(), u"not built yet, skipped: yuu"), 1);
}

TEST(SimSession, TypesKeysIntoTheTargetProgram) {
  SimSession session;
  // Without its tables the program ends at start and never takes the keyboard: keys reach the
  // target as typed.
  EXPECT_TRUE(session.platform.quitRequested);
  EXPECT_FALSE(session.platform.keyboardHookInstalled());
  auto steps = session.type(u"ab space cd");
  ASSERT_EQ(steps.size(), 3u);
  EXPECT_EQ(steps.back().targetText, u"ab cd");
  EXPECT_NE(SimSession::describe(steps.back()).find("target: ab cd"), std::string::npos);
}

}  // namespace
}  // namespace yz
