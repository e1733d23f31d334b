#include <gtest/gtest.h>

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

TEST(App, SubsystemsNotBuiltYetDoNothing) {
  SimSession session;
  EXPECT_NO_THROW(session.app->learning->yhck(u"砚舟"));
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
