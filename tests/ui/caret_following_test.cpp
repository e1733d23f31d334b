#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "ui_fixture.h"

namespace yz {
namespace {

constexpr int kTwips = 15;

Point placedAt(UiRig& rig) {
  return {rig.form().left / kTwips, rig.form().top / kTwips};
}

TEST(CaretFollowing, PlacesTheWindowBelowTheCaretOnTheScreen) {
  struct Case {
    Point caret;
    bool vertical;
    Point window;
  };
  const std::vector<Case> cases = {
      {{300, 200}, false, {301, 205}},
      {{1700, 1000}, false, {1522, 985}},  // x held at 1920 - 399, y at 1080 - 100
      {{1700, 1000}, true, {1522, 865}},   // a vertical list keeps 220 pixels free
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caret.x);
    UiRig rig;
    rig.settings.gbgs = 1;
    rig.settings.uphx = c.vertical;
    rig.settings.hphx = !c.vertical;
    rig.target.caretRect = {c.caret.x, c.caret.y, c.caret.x + 1, c.caret.y + 16};
    rig.ui.followCaret();
    EXPECT_EQ(placedAt(rig), c.window);
    EXPECT_TRUE(rig.win.form1.visible);
    EXPECT_EQ(rig.win.h, rig.target.id);
    EXPECT_EQ(rig.win.targetProcessId, rig.target.processId);
    EXPECT_EQ(rig.win.targetWindowClass, u"Edit");
  }
}

TEST(CaretFollowing, DuringACompositionOnlyRecordsTheTarget) {
  UiRig rig;
  rig.settings.gbgs = 1;
  rig.show(u"ni", u"你", u"1.你");
  const Point before = placedAt(rig);
  rig.target.caretRect = {300, 200, 301, 216};
  rig.ui.followCaret();
  EXPECT_EQ(placedAt(rig), before);
  EXPECT_EQ(rig.win.targetProcessId, rig.target.processId);
  EXPECT_EQ(rig.win.targetWindowClass, u"Edit");
}

TEST(CaretFollowing, SidewaysCaretMoveSwitchesFollowingBackOn) {
  UiRig rig;
  rig.target.caretRect = {300, 200, 301, 216};
  rig.ui.followCaret();  // remembers the caret's offset
  rig.settings.gbgs = 0;
  rig.form().left = 0;
  rig.ui.followCaret();
  EXPECT_EQ(rig.settings.gbgs, 0);
  EXPECT_EQ(rig.form().left, 0) << "caret unmoved: the window stays";
  rig.target.caretRect = {340, 200, 341, 216};
  rig.ui.followCaret();
  EXPECT_EQ(rig.settings.gbgs, 1);
  EXPECT_EQ(placedAt(rig), (Point{341, 205}));
}

TEST(CaretFollowing, FocusInTheCandidateWindowCommitsToTheRecordedTarget) {
  UiRig rig;
  rig.settings.gbgs = 1;
  rig.ui.followCaret();  // records the notepad as the target
  rig.show(u"nihk", u"你好", u"1.你好");
  rig.sim.focus(rig.ui.window.id());
  rig.ui.followCaret();
  EXPECT_EQ(rig.settings.gbgs, 0);
  EXPECT_EQ(rig.committed, std::vector<std::u16string>{u"你好"});
  EXPECT_EQ(rig.resets, 1);
  EXPECT_EQ(rig.win.boxes.rtext1.text, u"nihk");
  EXPECT_EQ(rig.comp.lastCode, u"nih");
  EXPECT_EQ(rig.win.h, rig.target.id) << "the commit never goes into the platform's own window";
  EXPECT_TRUE(rig.win.form1.visible);
  EXPECT_EQ(rig.win.form1.width, 0);
}

// The left button's state decides whether a focus in the candidate window commits: newly pressed
// or up with no press since commit; held, or released after a press nobody has looked at yet, not.
TEST(CaretFollowing, FocusInTheCandidateWindowCommitsByTheButtonState) {
  struct Case {
    const char* name;
    bool press;
    bool lookedAtSince;  // the state was read once after the press
    bool release;
    bool commits;
  };
  const std::vector<Case> cases = {
      {"newly pressed", true, false, false, true},
      {"held", true, true, false, false},
      {"released after a press", true, false, true, false},
      {"up", true, true, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UiRig rig;
    rig.settings.gbgs = 1;
    rig.ui.followCaret();
    rig.show(u"nihk", u"你好", u"1.你好");
    rig.sim.focus(rig.ui.window.id());
    if (c.press) rig.sim.setLeftButton(true);
    if (c.lookedAtSince) (void)rig.sim.asyncKeyState(kVkLButton);
    if (c.release) rig.sim.setLeftButton(false);
    rig.ui.followCaret();
    EXPECT_EQ(rig.settings.gbgs, 0);
    EXPECT_EQ(rig.committed.size(), c.commits ? 1u : 0u);
    EXPECT_EQ(rig.resets, c.commits ? 1 : 0);
  }
}

// The focus in the code line's edit box (a window of the platform's own process that is not one of
// its forms): the program typed into stays the target, so a commit never lands in the code line;
// once the composition is over, that program gets the focus back.
TEST(CaretFollowing, FocusInTheCodeLineKeepsTheTarget) {
  UiRig rig;
  rig.settings.gbgs = 1;
  rig.ui.followCaret();  // records the notepad
  SimWindow& own = rig.sim.addWindow(u"砚舟", u"Edit");
  own.processId = SimPlatform::kOwnProcessId;
  own.parent = rig.ui.window.id();
  rig.show(u"nihk", u"你好", u"1.你好");
  rig.sim.focus(own.id);
  const Point before = placedAt(rig);
  rig.ui.followCaret();
  EXPECT_EQ(rig.win.targetProcessId, rig.target.processId);
  EXPECT_EQ(rig.win.h, rig.target.id);
  EXPECT_EQ(rig.win.targetWindowClass, u"Edit");
  EXPECT_EQ(placedAt(rig), before);
  EXPECT_EQ(rig.settings.gbgs, 1);
  EXPECT_TRUE(rig.committed.empty());
  EXPECT_EQ(rig.sim.focusedWindow(rig.sim.foregroundWindow()), own.id)
      << "the code line keeps the focus while there is code";
  rig.show(u"", u"", u"");
  rig.ui.followCaret();
  EXPECT_EQ(rig.sim.foregroundWindow(), rig.target.id);
}

// A click on the desktop gives the focus to a window of a process with no program window to
// bring forward: the program typed into stays the target, and so the one the settings dialog
// gives the keyboard back to.
TEST(CaretFollowing, TheDesktopIsNeverTheTarget) {
  UiRig rig;
  rig.settings.gbgs = 1;
  rig.ui.followCaret();  // records the notepad
  const Point before = placedAt(rig);
  SimWindow& desktop = rig.sim.addWindow(u"", u"#32769");
  desktop.processId = rig.target.processId + 1;
  desktop.activatable = false;
  desktop.caretRect = {500, 400, 501, 416};
  rig.sim.focus(desktop.id);
  rig.ui.followCaret();
  EXPECT_EQ(rig.win.targetProcessId, rig.target.processId);
  EXPECT_EQ(rig.win.h, rig.target.id);
  EXPECT_EQ(rig.win.targetWindowClass, u"Edit");
  EXPECT_EQ(placedAt(rig), before);
}

// Every form of the program is its own window: a focus in the settings dialog commits the shown
// sentence to the recorded target and turns caret following off, as in the candidate window.
TEST(CaretFollowing, FocusInAnotherFormOfTheProgramIsAnOwnWindow) {
  UiRig rig;
  rig.settings.gbgs = 1;
  rig.ui.followCaret();
  SimWindow& dialog = rig.sim.addWindow(u"设置", u"YzForm");
  dialog.processId = SimPlatform::kOwnProcessId;
  rig.ui.caret.isProgramWindow = [&](WindowId w) { return w == dialog.id; };
  rig.show(u"nihk", u"你好", u"1.你好");
  rig.sim.focus(dialog.id);
  rig.ui.followCaret();
  EXPECT_EQ(rig.settings.gbgs, 0);
  EXPECT_EQ(rig.committed, std::vector<std::u16string>{u"你好"});
  EXPECT_EQ(rig.win.h, rig.target.id);
}

// A click into the code line's box hands its text and caret to the composition, and the next
// pass is asked for; the same text and caret again ask for nothing. The box shows the caret.
TEST(CaretFollowing, CodeLineEditsReachTheComposition) {
  UiRig rig;
  int passes = 0;
  rig.ui.calls.codeLineEdited = [&] { ++passes; };
  rig.show(u"nihk", u"你好", u"1.你好");
  rig.ui.window.zdus();
  rig.ui.window.realise();
  auto caretShown = [&] {
    for (const ControlView& c : rig.ui.window.view().controls) {
      if (c.name == u"Text1") return c.caret;
    }
    return -2;
  };
  EXPECT_EQ(caretShown(), 4);
  const std::uint32_t edits = rig.comp.codeEdits;
  FormEvent e;
  e.kind = FormEventKind::Change;
  e.control = u"Text1";
  e.text = u"nihk";
  e.value = 2;
  rig.ui.window.onEvent(e);
  EXPECT_EQ(rig.win.boxes.Text1.selStart, 2);
  EXPECT_EQ(rig.comp.codeEdits, edits + 1);
  EXPECT_EQ(passes, 1);
  rig.ui.window.onEvent(e);
  EXPECT_EQ(passes, 1);
  e.text = u"niwhk";
  e.value = 3;
  rig.ui.window.onEvent(e);
  EXPECT_EQ(rig.win.boxes.Text1.text, u"niwhk");
  EXPECT_EQ(passes, 2);
  rig.ui.window.realise();
  EXPECT_EQ(caretShown(), 3);
}

TEST(CaretFollowing, AccessibilityTargetTakesTheCaret20PixelsLower) {
  UiRig rig;
  rig.settings.gbgs = 1;
  SimWindow& qq = rig.sim.addWindow(u"聊天", u"TXGuiFoundation");
  qq.reportsCaret = false;
  qq.caretRect = {500, 400, 501, 416};
  rig.sim.focus(qq.id);
  rig.ui.followCaret();
  EXPECT_EQ(placedAt(rig), (Point{501, 425}));
}

TEST(CaretFollowing, WindowWithoutACaretGetsTheWindowOrigin) {
  UiRig rig;
  rig.settings.gbgs = 1;
  rig.target.reportsCaret = false;
  rig.target.rect = {40, 60, 840, 660};
  rig.ui.followCaret();
  EXPECT_EQ(placedAt(rig), (Point{41, 65}));
}

TEST(CaretFollowing, BrowserFrameGetsOneClickBackPerComposition) {
  UiRig rig;
  rig.settings.gbgs = 1;
  SimWindow& browser = rig.sim.addWindow(u"浏览器", u"360se6_Frame");
  rig.sim.focus(browser.id);
  rig.sim.setLeftButton(true);
  rig.ui.followCaret();
  EXPECT_TRUE(rig.sim.sentClicks.empty()) << "a press nobody looked at yet is no held button";
  rig.ui.followCaret();
  EXPECT_FALSE(rig.ui.window.view().noActivate) << "the candidate window took the focus";
  rig.ui.followCaret();
  EXPECT_EQ(rig.delays, std::vector<int>{500});
  EXPECT_EQ(rig.sim.sentClicks.size(), 1u);
  EXPECT_EQ(rig.win.tim0, 1);
}

// The window's own settings procedure hides the window, marks the dialog as opened from the
// platform's own windows and shows the dialog; the help text is one box of seven lines.
TEST(CandidateWindowProcedures, SettingsDialogAndHelpText) {
  UiRig rig;
  int shown = 0;
  rig.ui.calls.showSettings = [&] { ++shown; };
  rig.win.externalTarget = -1;
  rig.ui.window.showTopMost();
  rig.ui.openSettingsDialog();
  EXPECT_FALSE(rig.win.form1.visible);
  EXPECT_EQ(rig.win.externalTarget, 0);
  EXPECT_EQ(shown, 1);

  rig.sim.defaultMessageBoxAnswer = MessageBoxAnswer::Ok;
  rig.ui.showHelpText();
  ASSERT_EQ(rig.sim.messageBoxes.size(), 1u);
  const std::u16string& text = rig.sim.messageBoxes[0].text;
  EXPECT_EQ(std::count(text.begin(), text.end(), u'\n'), 6);
  EXPECT_EQ(text.substr(0, 2), u"1、");
  rig.ui.doNothing();
}

}  // namespace
}  // namespace yz
