// Typed command codes and the F6 switch.

#include <gtest/gtest.h>

#include "input_rig.h"

namespace yz {
namespace {

TEST(CommandCodes, StartProgramsFromTheSystemFolderAndClear) {
  Rig rig;
  rig.compose(u"jubf", u"");
  rig.app.input.commands.mlvti(u"jubf");
  ASSERT_EQ(rig.sim.startedPrograms.size(), 1u);
  EXPECT_EQ(rig.sim.startedPrograms[0], u"C:\\Windows\\system32\\notepad.exe");
  EXPECT_EQ(rig.app.win.boxes.rtext1.text, u"");

  rig.app.input.commands.mlvti(u"jub");  // a prefix starts nothing
  rig.app.settings.jsq = u"calc";
  rig.app.input.commands.mlvti(u"jsqi");
  EXPECT_EQ(rig.sim.startedPrograms.size(), 1u);
  rig.app.input.commands.mlvti(u"calc");
  ASSERT_EQ(rig.sim.startedPrograms.size(), 2u);
  EXPECT_EQ(rig.sim.startedPrograms[1], u"C:\\Windows\\system32\\calc.exe");
}

TEST(CommandCodes, SwitchModesPrintAndExit) {
  Rig rig;
  Settings& s = rig.app.settings;
  rig.app.input.commands.mlvti(u"huvj");
  EXPECT_TRUE(s.huvj);
  EXPECT_FALSE(s.ilmvj);
  rig.app.input.commands.mlvti(u"lmvj");
  EXPECT_TRUE(s.ilmvj);
  EXPECT_FALSE(s.huvj);
  rig.app.input.commands.mlvti(u"vqyx");
  EXPECT_TRUE(s.vqdyx);
  EXPECT_FALSE(s.lidyx);
  rig.app.input.commands.mlvti(u"liyx");
  EXPECT_TRUE(s.lidyx);
  EXPECT_FALSE(s.vqdyx);
  rig.app.input.commands.mlvti(u"dywd");
  ASSERT_EQ(rig.sim.sentKeyStrings.size(), 1u);
  EXPECT_EQ(rig.sim.sentKeyStrings[0], u"^p");
  EXPECT_EQ(rig.life.endedCalls, 0);
  rig.app.input.commands.mlvti(u"xzvx");
  EXPECT_EQ(rig.life.endedCalls, 1);
}

TEST(CommandCodes, BoxesWithEqualTextsAllRun) {
  Rig rig;
  rig.app.settings.jub = u"kk";
  rig.app.settings.jsq = u"kk";
  rig.app.input.commands.mlvti(u"kk");
  ASSERT_EQ(rig.sim.startedPrograms.size(), 2u);
  EXPECT_EQ(rig.sim.startedPrograms[0], u"C:\\Windows\\system32\\notepad.exe");
  EXPECT_EQ(rig.sim.startedPrograms[1], u"C:\\Windows\\system32\\calc.exe");
}

TEST(F6, TurnsThePlatformOffAndOn) {
  Rig rig;
  App& app = rig.app;
  app.input.commands.Form_KeyDown(116);  // F5: nothing
  EXPECT_EQ(app.comp.hookActive, 1);
  app.input.commands.Form_KeyDown(117);
  EXPECT_EQ(app.comp.hookActive, -1);
  EXPECT_EQ(app.comp.platformMode, -1);
  EXPECT_FALSE(rig.sim.keyboardHookInstalled());
  EXPECT_FALSE(rig.sim.timerEnabled(app.pass.timer1));
  rig.type(u"n");
  EXPECT_EQ(toUtf8(rig.target.text), "n");

  app.input.commands.Form_KeyDown(117);
  EXPECT_EQ(app.comp.hookActive, 1);
  EXPECT_EQ(app.comp.platformMode, 1);
  EXPECT_TRUE(rig.sim.timerEnabled(app.pass.timer1));
  EXPECT_TRUE(rig.sim.timerEnabled(app.pass.timer2));
  rig.type(u"n");
  EXPECT_EQ(rig.code(), "n");
}

}  // namespace
}  // namespace yz
