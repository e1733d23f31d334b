// Dragging the candidate window with the left button and zooming its lines with the right.

#include <gtest/gtest.h>

#include "lexicon/utf.h"
#include "ui_fixture.h"

namespace yz {
namespace {

class CandidateMouseTest : public ::testing::Test {
 protected:
  CandidateMouse& mouse() { return rig.ui.mouse; }
  UiRig rig;
};

TEST_F(CandidateMouseTest, TheLeftButtonMovesTheWindowByTheOffsetFromTheGrabPoint) {
  struct Case {
    std::u16string_view pressOn;  // empty: no press before the move
    std::u16string_view moveOn;
    int dx, dy;  // the window's move
  };
  const Case cases[] = {
      {u"rtext1", u"rtext1", 60, 30},  // press at (200, 100), move at (260, 130)
      {u"text7", u"hxl", 60, 30},      // one grab point for every box
      {u"Text5", u"rtext2", 60, 30},
      {u"", u"hxl", 260, 130},         // no press yet: grab point 0, 0
  };
  for (const Case& c : cases) {
    UiRig fresh;
    CandidateMouse& m = fresh.ui.mouse;
    if (!c.pressOn.empty()) m.mouseDown(c.pressOn, 200, 100);
    const int left = fresh.form().left, top = fresh.form().top;
    m.mouseMove(c.moveOn, 1, 260, 130);
    EXPECT_EQ(fresh.form().left - left, c.dx) << toUtf8(c.moveOn);
    EXPECT_EQ(fresh.form().top - top, c.dy) << toUtf8(c.moveOn);
  }
}

TEST_F(CandidateMouseTest, TheRightButtonStepsEveryLineByOnePointWithinBounds) {
  rig.show(u"wo", u"我", u"1.我");
  rig.ui.zdus();
  CandidateForm& f = rig.form();
  const double sentence = f.text7.font.size, list = f.Text5.font.size;
  const double preview = rig.settings.Text4.fontSize;
  const std::uint32_t before = rig.sim.clockMs();
  mouse().mouseDown(u"hxl", 300, 50);
  mouse().mouseMove(u"hxl", 2, 400, 50);  // right of the grab point: up
  EXPECT_EQ(f.text7.font.size, sentence + 1);
  EXPECT_EQ(f.Text5.font.size, list + 1);
  EXPECT_EQ(f.rText7.font.size, sentence + 1);  // the layout gives the lines text7's size
  EXPECT_EQ(f.Text1.font.size, sentence + 1);
  EXPECT_EQ(f.hxl.font.size, list + 1);
  EXPECT_EQ(rig.settings.Text4.fontSize, preview + 1);
  EXPECT_GE(rig.sim.clockMs() - before, 100u);  // the zoom waits 100 ms
  mouse().mouseMove(u"hxl", 2, 300, 50);  // not to the right: down
  mouse().mouseMove(u"hxl", 2, 300, 50);
  EXPECT_EQ(f.text7.font.size, sentence - 1);

  // Sizes never leave 6..72 points.
  for (int i = 0; i < 100; ++i) mouse().stepFontSize(-1);
  EXPECT_EQ(f.text7.font.size, 6);
  EXPECT_EQ(f.hxl.font.size, 6);
  EXPECT_EQ(rig.settings.Text5.fontSize, 6);
  for (int i = 0; i < 100; ++i) mouse().stepFontSize(1);
  EXPECT_EQ(f.text7.font.size, 72);
  EXPECT_EQ(rig.settings.Text4.fontSize, 72);
}

TEST_F(CandidateMouseTest, OtherButtonsAndBoxesDoNothing) {
  CandidateForm& f = rig.form();
  const int left = f.left;
  const double size = f.text7.font.size;
  mouse().mouseMove(u"rtext2", 2, 400, 0);  // no zoom on rtext2
  mouse().mouseMove(u"hxl", 3, 400, 0);     // both buttons
  mouse().mouseMove(u"rText7", 1, 400, 0);  // no handler
  mouse().mouseMove(u"Text5", 1, 400, 0);
  EXPECT_EQ(f.left, left);
  EXPECT_EQ(f.text7.font.size, size);
}

TEST_F(CandidateMouseTest, TheRealisedWindowReportsDragsOfTheList) {
  rig.show(u"wo", u"我", u"1.我");
  rig.ui.zdus();
  rig.ui.window.showTopMost();
  SimForm* form = nullptr;
  for (SimForm* f : rig.sim.forms()) {
    if (f->control(u"hxl")) form = f;
  }
  ASSERT_NE(form, nullptr);
  EXPECT_TRUE(form->view().border);
  const Rect list = form->control(u"hxl")->bounds;
  const int left = rig.form().left;
  FormEvent e;
  e.kind = FormEventKind::MouseDown;
  e.control = u"hxl";
  e.point = Point{list.left + 100, list.top + 50};
  e.button = 1;
  form->fire(e);
  e.kind = FormEventKind::MouseMove;
  e.point.x += 300;
  form->fire(e);
  rig.sim.settle();
  EXPECT_EQ(rig.form().left, left + 300);
  EXPECT_EQ(form->view().bounds.left, left + 300);
}

}  // namespace
}  // namespace yz
