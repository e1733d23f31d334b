// The status bar: its place, the captions other parts read as state, the switches, the settings
// picture, the exit button and dragging.

#include <gtest/gtest.h>

#include "app/load.h"
#include "program_fixture.h"

namespace yz {
namespace {

using testing::ProgramFolderTest;

class StatusBarTest : public ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    writeTables();
    start();
    bar = formWith(u"Label3");
    ASSERT_NE(bar, nullptr);
    const Rect screen = platform().screenRect();
    sw = screen.width() * platform().twipsPerPixel();
    sh = screen.height() * platform().twipsPerPixel();
  }
  SimForm* formWith(std::u16string_view control) {
    for (SimForm* f : platform().forms()) {
      if (f->control(control)) return f;
    }
    return nullptr;
  }
  // Fires a mouse event at a point inside a control (twips from its corner).
  void mouse(FormEventKind kind, std::u16string_view control, int x, int y, int button = 1) {
    const ControlView* c = bar->control(control);
    ASSERT_NE(c, nullptr);
    FormEvent e;
    e.kind = kind;
    e.control = control;
    e.point = Point{c->bounds.left + x, c->bounds.top + y};
    e.button = button;
    bar->fire(e);
    platform().settle();
  }
  void click(std::u16string_view control) {
    mouse(FormEventKind::MouseDown, control, 100, 300);
    mouse(FormEventKind::Click, control, 100, 300);
  }
  // Press, move the pointer by (dx, dy) with the left button, release.
  void drag(std::u16string_view control, int dx, int dy) {
    mouse(FormEventKind::MouseDown, control, 100, 300);
    mouse(FormEventKind::MouseMove, control, 100 + dx, 300 + dy);
    mouse(FormEventKind::MouseUp, control, 100, 300);
    mouse(FormEventKind::Click, control, 100, 300);
  }
  std::u16string caption(std::u16string_view control) { return bar->control(control)->text; }
  StatusBar& model() { return app().windowUi.statusBar; }

  SimForm* bar = nullptr;
  int sw = 0;
  int sh = 0;
};

TEST_F(StatusBarTest, StandsAtTheLowerRightTopmostWithTheStartCaptions) {
  const FormView& v = bar->view();
  EXPECT_EQ(v.bounds, (Rect{sw - 2550, sh - 1100, sw, sh - 1100 + 495}));
  EXPECT_TRUE(v.visible);
  EXPECT_TRUE(v.topMost);
  EXPECT_TRUE(v.border);
  EXPECT_TRUE(v.title.empty());
  EXPECT_EQ(caption(u"Label1"), u"\r\n砚舟");
  EXPECT_EQ(caption(u"Label3"), u"\r\n×");
  EXPECT_EQ(caption(u"Label4"), u"\r\n。，");
  EXPECT_EQ(caption(u"Label5"), u"\r\n中");
  // The labels say what a click does when the pointer rests on them; the picture says nothing.
  EXPECT_EQ(bar->control(u"Label5")->toolTip, u"中英切换");
  EXPECT_EQ(bar->control(u"Label4")->toolTip, u"中/英文标点切换");
  EXPECT_EQ(bar->control(u"Label1")->toolTip, u"在砚舟平台与系统输入法之间切换");
  EXPECT_EQ(bar->control(u"Label3")->toolTip, u"退出砚舟平台");
  EXPECT_TRUE(bar->control(u"Label2")->toolTip.empty());
  // The start window is gone once the load is through.
  EXPECT_FALSE(app().windowUi.window.view().visible);
  EXPECT_TRUE(app().win.boxes.rtext1.text.empty());
}

TEST_F(StatusBarTest, KeyboardOwnerStatesFollowTheHookAndTheCaption) {
  struct Step {
    const char* action;
    int hookActive, platformMode;
    std::u16string_view caption;
    bool hookInstalled;
  };
  const Step steps[] = {
      {"click", -1, -1, u"\r\n系统", false},      // platform -> hook removed
      {"click", 1, 1, u"\r\n砚舟", true},         // hook removed -> platform
      {"backquote", 1, -1, u"\r\n系统", true},    // platform -> system via hook
      {"click", -1, -1, u"\r\n系统", false},      // system via hook -> hook removed
      {"click", 1, 1, u"\r\n砚舟", true},
  };
  for (const Step& s : steps) {
    if (std::string(s.action) == "click") {
      click(u"Label1");
    } else {
      platform().typeKeys(u"backquote");
      platform().settle();
    }
    EXPECT_EQ(app().comp.hookActive, s.hookActive) << s.action;
    EXPECT_EQ(app().comp.platformMode, s.platformMode) << s.action;
    EXPECT_EQ(app().win.platformLabel, s.caption) << s.action;
    EXPECT_EQ(caption(u"Label1"), s.caption) << s.action;  // the bar shows what the hook wrote
    EXPECT_EQ(platform().keyboardHookInstalled(), s.hookInstalled) << s.action;
  }
}

TEST_F(StatusBarTest, InstallingZeroesTheCountersAndStartsBothTimersRemovingStopsTheInputTimer) {
  // Straight to the handlers: a pump would let the input pass run and stop its own timer.
  app().hookState.keyDownCount = 7;
  platform().setTimer(app().pass.timer2, 160, false);
  model().mouseDown(u"Label1", 10, 10);
  model().click(u"Label1");
  EXPECT_FALSE(platform().timerEnabled(app().pass.timer1));
  EXPECT_EQ(app().hookState.keyDownCount, 7);
  model().click(u"Label1");
  EXPECT_TRUE(platform().timerEnabled(app().pass.timer1));
  EXPECT_TRUE(platform().timerEnabled(app().pass.timer2));
  EXPECT_EQ(app().hookState.keyDownCount, 0);
}

TEST_F(StatusBarTest, BothInputModeLabelsToggleChineseAndEnglishTogether) {
  for (std::u16string_view label : {u"Label5", u"Label4"}) {
    click(label);
    EXPECT_EQ(caption(u"Label5"), u"\r\n英");
    EXPECT_EQ(caption(u"Label4"), u"\r\n. ,");
    EXPECT_EQ(app().comp.chinesePunctuation, 0);
    click(label);
    EXPECT_EQ(caption(u"Label5"), u"\r\n中");
    EXPECT_EQ(caption(u"Label4"), u"\r\n。，");
    EXPECT_EQ(app().comp.chinesePunctuation, -1);
  }
  // The hook's lone left-Ctrl tap writes the same captions, and the bar shows them.
  platform().typeKeys(u"lctrl");
  platform().settle();
  EXPECT_EQ(caption(u"Label5"), u"\r\n英");
}

TEST_F(StatusBarTest, AMoveOfFiftyTwipsIsAClickAndFiftyOneADrag) {
  struct Case {
    int dx, dy;
    bool switched;
  };
  for (const Case c : {Case{50, 0, true}, Case{0, -50, true}, Case{51, 0, false},
                       Case{0, -51, false}, Case{-51, 0, false}}) {
    model().left = model().top = 5000;  // away from the limits
    const float left = model().left, top = model().top;
    const std::int16_t before = app().comp.chinesePunctuation;
    drag(u"Label5", c.dx, c.dy);
    EXPECT_EQ(app().comp.chinesePunctuation != before, c.switched) << c.dx << "," << c.dy;
    EXPECT_EQ(model().left, left + c.dx);  // the grabbed point follows the pointer
    EXPECT_EQ(model().top, top + c.dy);
  }
}

TEST_F(StatusBarTest, DragLimitsAtTheRightAndTheBottom) {
  // Passing over a label without a button pulls the bar back inside its right limit.
  struct Case {
    std::u16string_view label;
    float left;
    float expected;
  };
  for (const Case c : {Case{u"Label4", sw - 2400.f, sw - 2500.f},
                       Case{u"Label1", sw - 2400.f, sw - 2400.f},
                       Case{u"Label2", sw - 1000.f, sw - 1800.f},
                       Case{u"Label5", 100.f, 100.f}}) {
    model().left = c.left;
    mouse(FormEventKind::MouseMove, c.label, 10, 10, 0);
    EXPECT_EQ(model().left, c.expected) << toUtf8(c.label);
  }
  model().left = 1000;
  model().top = static_cast<float>(sh - 1100);
  mouse(FormEventKind::MouseDown, u"Label1", 100, 100);
  mouse(FormEventKind::MouseMove, u"Label1", 100, 300);  // to SH - 900
  EXPECT_EQ(model().top, sh - 930.f);
  EXPECT_EQ(bar->view().bounds.top, sh - 930);
}

TEST_F(StatusBarTest, TheSettingsPictureOpensTheDialogAndADragByItDoesNot) {
  app().win.targetProcessId = 4321;
  drag(u"Label2", 0, -200);
  EXPECT_EQ(app().win.returnProcessId, 4321u);
  EXPECT_FALSE(app().loader.dialog.visible());

  click(u"Label2");
  EXPECT_TRUE(app().loader.dialog.visible());
  EXPECT_EQ(app().win.externalTarget, 0);
  const Rect at = app().loader.dialog.bounds();
  EXPECT_EQ(at, (Rect{sw / 4, sh / 7, sw / 4 + 12330, sh / 7 + 8040}));
}

TEST_F(StatusBarTest, TheSettingsPictureReadsTheSavedSettingsAndSkinAgain) {
  Settings saved;
  saved.dzzc = 1;
  saved.Text5.backColour = 255;
  writeSettings(u"设置记录.ini", saved);
  write(u"界面皮肤.ini", skinRecordText(saved));
  app().settings.dzzc = 0;
  click(u"Label2");
  EXPECT_EQ(app().settings.dzzc, 1);
  EXPECT_EQ(app().settings.Text5.backColour, 255);
  EXPECT_EQ(app().windowUi.window.form.hxl.backColour, 255);
  EXPECT_EQ(app().windowUi.window.form.backColour, 255);
}

// A reload (after a scheme switch, say) shows the start window while the tables load and puts the
// bar back in its corner with the start captions.
TEST_F(StatusBarTest, AReloadShowsTheStartWindowAndResetsTheBar) {
  drag(u"Label1", -400, -300);
  click(u"Label5");
  ASSERT_EQ(caption(u"Label5"), u"\r\n英");
  // A damaged lexicon line: its message comes while the tables load.
  write(u"内置文件\\两码词库.txt", u"aa,啊 156.726\r\nab,啊\r\n");
  bool shownWhileLoading = false;
  std::u16string codeLine;
  platform().onMessageBox = [&](const SimMessageBox&) {
    const FormView& v = app().windowUi.window.view();
    shownWhileLoading = v.visible;
    for (const ControlView& c : v.controls) {
      if (c.name == u"Text1") codeLine = c.text;
    }
  };
  app().lifecycle->Form_Load();
  platform().settle();
  EXPECT_TRUE(shownWhileLoading);
  EXPECT_EQ(codeLine, u"启动中……");
  EXPECT_FALSE(app().windowUi.window.view().visible);
  EXPECT_EQ(bar->view().bounds.left, sw - 2550);
  EXPECT_EQ(bar->view().bounds.top, sh - 1100);
  EXPECT_EQ(caption(u"Label5"), u"\r\n中");
  EXPECT_EQ(app().comp.chinesePunctuation, -1);
}

TEST_F(StatusBarTest, TheExitButtonEndsTheProgramAtOnce) {
  click(u"Label3");
  EXPECT_TRUE(app().loader.stopped());
  EXPECT_TRUE(platform().quitRequested);
  EXPECT_FALSE(bar->view().visible);
}

}  // namespace
}  // namespace yz
