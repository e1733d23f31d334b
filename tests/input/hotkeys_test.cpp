// Hotkeys, mode switches, key capture and key-up rules of the keyboard hook.

#include <gtest/gtest.h>

#include "input_rig.h"

namespace yz {
namespace {

TEST(Hotkeys, LoneLeftCtrlTapSwitchesChineseAndEnglish) {
  Rig rig;
  rig.type(u"lctrl");
  EXPECT_EQ(rig.app.comp.chinesePunctuation, 0);
  EXPECT_EQ(rig.app.win.punctuationLabel, u"\r\n. ,");
  EXPECT_EQ(rig.app.win.languageLabel, u"\r\n英");
  rig.type(u"lctrl");
  EXPECT_EQ(rig.app.comp.chinesePunctuation, -1);
  EXPECT_EQ(rig.app.win.punctuationLabel, u"\r\n。，");
  EXPECT_EQ(rig.app.win.languageLabel, u"\r\n中");

  // Ctrl+C, and a tap while a code is typed (it enters instant modify instead), switch nothing.
  rig.type(u"lctrl+c");
  EXPECT_EQ(rig.app.comp.chinesePunctuation, -1);
  rig.app.settings.lctr = false;
  rig.type(u"ni lctrl");
  EXPECT_EQ(rig.app.comp.chinesePunctuation, -1);
}

TEST(Hotkeys, TabWithACodeOpensTheFullPageInInstantModify) {
  Rig rig;
  rig.compose(u"nihkwo", u"你好我");
  rig.app.win.boxes.hxl.text = u"1.我 2.窝";
  rig.type(u"tab");
  EXPECT_EQ(rig.answers(), "-1 0");
  App& app = rig.app;
  EXPECT_EQ(app.comp.pendingCommand, kPendingFullPage);
  EXPECT_EQ(app.comp.modifyMode, 1);
  EXPECT_EQ(app.hookState.fullPageShown, 1);
  EXPECT_EQ(app.settings.hxgu, u"10");
  EXPECT_TRUE(app.settings.hphx);
  EXPECT_FALSE(app.settings.uphx);
  EXPECT_EQ(toUtf8(app.win.boxes.Text5.text), "ａｂｃ");
  EXPECT_EQ(app.win.boxes.Text2.text, u"c");
  EXPECT_EQ(app.win.boxes.Text1.text, u"nihkwo");

  // A second full-page key while the page is up is swallowed without effect.
  app.comp.pendingCommand = 0;
  rig.sim.hookAnswers.clear();
  rig.type(u"f9 tab alt");
  EXPECT_EQ(rig.answers(), "-1 0 -1 0 -1 0");
  EXPECT_EQ(app.comp.pendingCommand, kPendingFullPage);  // only the Alt release asks again
}

TEST(Hotkeys, LeftCtrlAndTheCustomKeyEnterInstantModifyOnlyWhenChosen) {
  {
    Rig rig;
    rig.compose(u"nihk", u"你好");
    rig.type(u"lctrl");
    EXPECT_EQ(rig.app.comp.modifyMode, 1);
    EXPECT_EQ(rig.app.win.boxes.Text2.text, u"瞬改");
  }
  {
    Rig rig;
    rig.app.settings.lctr = false;
    rig.compose(u"nihk", u"你好");
    rig.type(u"lctrl");
    EXPECT_EQ(rig.app.comp.modifyMode, 0);
  }
  {
    // The settings dialog arms the capture; the next key that gets that far is recorded.
    Rig rig;
    rig.app.comp.modifyKeyCode = -1;
    rig.type(u"f2");
    EXPECT_EQ(rig.app.comp.modifyKeyCode, 113);
    EXPECT_EQ(rig.app.settings.ugjv, u"113");
    rig.compose(u"nihk", u"你好");
    rig.type(u"f2");
    EXPECT_EQ(rig.app.comp.modifyMode, 0);  // 自定义键值 not chosen
    rig.app.settings.ugzdy = true;
    rig.sim.hookAnswers.clear();
    rig.type(u"f2");
    EXPECT_EQ(rig.answers(), "-1 0");
    EXPECT_EQ(rig.app.comp.modifyMode, 1);
  }
}

TEST(Hotkeys, ScreenshotKeyPressesPrintScreenAndHandsTheKeyboardOver) {
  Rig rig;
  rig.aimAtTarget();
  rig.type(u"f8");
  ASSERT_EQ(rig.sim.sentKeys.size(), 2u);
  EXPECT_EQ(rig.sim.sentKeys[0].vk, 44);
  EXPECT_FALSE(rig.sim.sentKeys[0].up);
  EXPECT_TRUE(rig.sim.sentKeys[1].up);  // the release is sent too
  // Inside the hook's own waits the F8 release and the synthesized Print Screen ran through the
  // hook before the F8 press was answered; the program's own keys go to the next hook untouched.
  EXPECT_EQ(rig.answers(), "0 next next -1");
  EXPECT_EQ(rig.app.comp.pendingCommand, kPendingPasteScreenshot);
  EXPECT_FALSE(rig.sim.keyboardHookInstalled());
  EXPECT_EQ(rig.app.comp.hookActive, -1);
  EXPECT_EQ(rig.app.win.returnProcessId, rig.target.processId);
  EXPECT_TRUE(rig.app.win.form1.visible);
}

TEST(Hotkeys, ScreenshotInInstantModifyResumesItAfterThePaste) {
  Rig rig;
  rig.compose(u"nihk", u"你好");
  rig.type(u"lctrl");
  ASSERT_EQ(rig.app.comp.modifyMode, 1);
  rig.type(u"f10");
  EXPECT_EQ(rig.app.comp.modifyMode, 0);
  EXPECT_EQ(rig.app.comp.resumeModify, 1);
  EXPECT_EQ(rig.app.comp.pendingCommand, kPendingPasteScreenshot);
}

TEST(Hotkeys, ShiftIsWithheldOnlyWhileThePlatformLabelShowsActive) {
  // The settings dialog captures a key: the label lacks its line break and Shift goes through.
  Rig rig;
  rig.app.win.platformLabel = u"砚舟";
  rig.type(u"lshift");
  EXPECT_EQ(rig.answers(), "next 0");
  EXPECT_EQ(rig.app.hookState.shiftHeld, 1);  // not cleared by that release

  // The captured switch key is withheld like Shift.
  Rig other;
  other.app.settings.qhjv = u"113";
  other.type(u"lshift+f2");
  EXPECT_EQ(other.answers(), "-1 -1 -1 -1");
}

TEST(Hotkeys, ShiftReleasesBecomeQuickSelectKeys) {
  Rig rig;
  rig.app.pass.quickSelectKeys = u"LR;'";
  rig.type(u"ni lshift rshift");
  EXPECT_EQ(rig.code(), "niLR");
  EXPECT_EQ(rig.answers(), "-1 0 -1 0 next 0 next 0");
}

}  // namespace
}  // namespace yz
