#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "lexicon/utf.h"
#include "ui_fixture.h"

namespace yz {
namespace {

// On the simulated desktop a 12-point line is 300 twips high and a 10.5-point line 263; an ASCII
// character is 10 twips wide per point, a Chinese character 20. The sentence box has 12 points
// (the default skin), the candidate box 10.5.
constexpr int kCodeHeight = 300;
constexpr int kListLine = 263;

std::u16string repeat(char16_t c, std::size_t n) { return std::u16string(n, c); }

TEST(Layout, EmptyCodeLineHidesTheWindow) {
  UiRig rig;
  rig.win.form1 = {4000, 1000, true, true, false};
  rig.show(u"", u"", u"");
  rig.ui.zdus();
  EXPECT_EQ(rig.win.form1.width, 0);
  EXPECT_FALSE(rig.win.form1.visible);
  EXPECT_FALSE(rig.ui.window.view().visible);
}

TEST(Layout, ShortLinesGiveTheMinimumWidthAndStackedHeights) {
  struct Case {
    const char* name;
    bool vertical;
    std::u16string list;
    int loopCounter;
    int hxlHeight;
    int windowHeight;
  };
  const std::vector<Case> cases = {
      // code line + sentence box (+25) + list (+25) + 90
      {"horizontal", false, u"1.你好", 0, kListLine + 25, kCodeHeight + 325 + kListLine + 25 + 90},
      // code line + one sentence line of 365 + three list lines + 90
      {"vertical", true, u"1.你好\r\n2.拟好\r\n3.泥嚎", 2, 3 * kListLine + 25,
       kCodeHeight + 365 + 3 * kListLine + 25 + 90},
      // code line and sentence lines less 15
      // An empty list equals the (empty) position letters, so it takes the sentence font.
      {"horizontal, empty list", false, u"", 0, kCodeHeight + 25, kCodeHeight + 365 - 15},
      {"vertical, empty list", true, u"", -1, 25, kCodeHeight + 365 - 15},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UiRig rig;
    rig.settings.uphx = c.vertical;
    rig.settings.hphx = !c.vertical;
    rig.win.loopCounter = c.loopCounter;
    rig.show(u"nihk", u"你好", c.list);
    rig.ui.zdus();
    const CandidateForm& f = rig.form();
    EXPECT_EQ(rig.win.form1.width, 5265);  // 5000 + 255 + 10
    EXPECT_EQ(f.hxl.height, c.hxlHeight);
    EXPECT_EQ(rig.win.form1.height, c.windowHeight);
    EXPECT_EQ(f.rtext1.height, kCodeHeight);
    EXPECT_EQ(f.rText7.top, kCodeHeight + 25);
    EXPECT_EQ(f.hxl.top, f.rText7.top + f.rText7.height + 25);
    EXPECT_EQ(f.Text2.top, f.hxl.top + 50);
    EXPECT_EQ(f.Text2.left, 5255);  // all but 10 twips of the prompt lie beyond the edge
    EXPECT_EQ(f.hxl.width, 5165);
    EXPECT_EQ(f.rText7.width, 5525);
  }
}

TEST(Layout, WideSentenceSetsTheWidth) {
  UiRig rig;
  rig.show(u"nihk", repeat(u'好', 25), u"1.好");  // 25 characters of 240 twips
  rig.ui.zdus();
  EXPECT_EQ(rig.win.form1.width, 6000 + 255 + 10);
  EXPECT_EQ(rig.form().Text2.left, 6255);
}

TEST(Layout, InstantModifyHasNoMinimumAndWidensForThePrompt) {
  UiRig rig;
  rig.comp.modifyMode = 1;
  rig.comp.xbzm = u"ａｂ";
  rig.show(u"你好", u"你好", u"ａｂ");
  rig.win.boxes.Text2.text = u"瞬改";
  rig.ui.zdus();
  // The list shows the position letters, so it takes the sentence font: 2 x 240 twips.
  EXPECT_EQ(rig.form().hxl.font.size, 12);
  EXPECT_EQ(rig.win.form1.width, 480 + 255 + 495);
  EXPECT_EQ(rig.form().Text2.left, 480 + 255);
  EXPECT_EQ(rig.win.form1.height, kCodeHeight + 365 + kCodeHeight + 90);
}

TEST(Layout, SentenceWrapsAt26Characters) {
  struct Case {
    std::size_t length;
    std::u16string shown;
  };
  const std::u16string a = repeat(u'甲', 26);
  const std::vector<Case> cases = {
      {26, a},
      {27, a + u"\r\n" + u"甲"},
      {52, a + u"\r\n" + a + u"\r\n"},
      // Only the first 100 characters are shown: four lines.
      {130, a + u"\r\n" + a + u"\r\n" + a + u"\r\n" + repeat(u'甲', 22)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    UiRig rig;
    rig.show(u"ab", repeat(u'甲', c.length), u"1.甲");
    rig.ui.zdus();
    EXPECT_EQ(rig.win.boxes.rText7.text, c.shown);
    EXPECT_EQ(rig.win.boxes.text7.text.size(), c.length) << "the sentence Space commits stays whole";
  }
}

TEST(Layout, VerticalListCountsEverySentenceLine) {
  UiRig rig;
  rig.settings.uphx = true;
  rig.settings.hphx = false;
  rig.show(u"ab", repeat(u'甲', 52), u"1.甲");
  rig.ui.zdus();
  const int lineHeight = rig.form().hxl.height;  // loopCounter 0: one list line
  EXPECT_EQ(rig.win.form1.height, kCodeHeight + 3 * 365 + lineHeight + 90);
}

TEST(Layout, LongListIsCutOutsideInstantModifyOnly) {
  for (int modify : {0, 1}) {
    SCOPED_TRACE(modify);
    UiRig rig;
    rig.comp.modifyMode = modify;
    rig.show(u"ab", u"甲", repeat(u'x', 120));
    rig.ui.zdus();
    EXPECT_EQ(rig.win.boxes.hxl.text.size(), modify ? 120u : 100u);
  }
}

TEST(Layout, FirstLettersMoveTheWindowDownOnce) {
  struct Case {
    const char* name;
    int gbgs;
    std::u16string targetClass;
    std::vector<std::u16string> codes;
    int shift;
  };
  const std::vector<Case> cases = {
      {"one letter, then more", 1, u"Edit", {u"a", u"ab", u"abc"}, 350},
      {"first layout at two", 1, u"Edit", {u"ab", u"abc"}, 350},
      {"first layout at three, typed fast", 1, u"Edit", {u"abc", u"abcd"}, 350},
      {"caret following off", 0, u"Edit", {u"a", u"ab"}, 0},
      {"accessibility target", 1, u"TXGuiFoundation", {u"a", u"ab"}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UiRig rig;
    rig.settings.gbgs = c.gbgs;
    rig.win.targetWindowClass = c.targetClass;
    const int top = rig.form().top;
    for (const auto& code : c.codes) {
      rig.show(code, u"甲", u"1.甲");
      rig.ui.zdus();
    }
    EXPECT_EQ(rig.form().top - top, c.shift);
    EXPECT_TRUE(rig.win.rhkl);
  }
}

TEST(Layout, ResetWithoutCommitLeavesTheShiftDone) {
  UiRig rig;
  rig.settings.gbgs = 1;
  rig.show(u"a", u"甲", u"1.甲");
  rig.ui.zdus();
  rig.show(u"", u"", u"");
  rig.ui.zdus();
  const int top = rig.form().top;
  rig.show(u"b", u"乙", u"1.乙");
  rig.ui.zdus();
  EXPECT_EQ(rig.form().top, top);
}

TEST(Layout, SplitCodeDisplay) {
  UiRig rig;
  rig.settings.jlbm = 1;
  rig.conv.wordTable[1] = {u"ab", u"甲"};
  rig.conv.wordTable[2] = {u"cd", u"乙"};
  rig.conv.wordIndex = 2;
  rig.show(u"abcd", u"甲乙", u"1.乙");
  rig.ui.zdus();
  EXPECT_EQ(rig.win.boxes.Text1.text, u"ab_cd");

  // The split of an earlier segment is kept in front: from the last place of the first word's code
  // on, it is replaced only when more than four characters of it follow there.
  for (const auto& [remembered, shown] : std::vector<std::pair<std::u16string, std::u16string>>{
           {u"zz_ab_c", u"zz_ab_cab_cd_ef"}, {u"zz_ab_cd", u"zz_ab_cd_ef"}}) {
    UiRig kept;
    kept.settings.jlbm = 1;
    kept.conv.wordTable[1] = {u"ab", u"甲"};
    kept.conv.wordTable[2] = {u"cd", u"乙"};
    kept.conv.wordTable[3] = {u"ef", u"丙"};
    kept.conv.wordIndex = 3;
    kept.win.lastSegmentDisplay = remembered;
    kept.show(u"abcdef", u"甲乙丙", u"1.丙");
    kept.ui.zdus();
    EXPECT_EQ(toUtf8(kept.win.boxes.Text1.text), toUtf8(shown));
  }

  UiRig shortForm;
  shortForm.settings.jlbm = 1;
  shortForm.pass.vumayr = u"abcdefghijklmnopqrstuvwxzy";
  shortForm.show(u"abcdefgh", u"甲乙丙丁", u"1.丁");
  shortForm.ui.zdus();
  EXPECT_EQ(shortForm.win.boxes.Text1.text, u" cdefg");
}

TEST(Layout, FontsFollowTheSentenceBox) {
  UiRig rig;
  rig.settings.Text4.fontSize = 14;
  rig.ui.window.applyLook();
  rig.show(u"ab", u"甲", u"1.甲");
  rig.ui.zdus();
  const CandidateForm& f = rig.form();
  for (const BoxLook* box : {&f.text7, &f.rText7, &f.rtext1, &f.Text1}) {
    EXPECT_EQ(box->font.name, u"Consolas");
    EXPECT_EQ(box->font.size, 14);
  }
  EXPECT_EQ(f.hxl.font.name, u"Consolas");
  EXPECT_EQ(f.hxl.font.size, 10.5);
  EXPECT_EQ(f.hxl.backColour, rig.settings.Text5.backColour);
  EXPECT_EQ(f.backColour, rig.settings.Text5.backColour);
}

TEST(Layout, NativeWindowShowsThreeLinesTopMostWithoutActivation) {
  UiRig rig;
  rig.show(u"nihk", u"你好", u"1.你好 2.拟好");
  rig.win.form1.visible = true;
  rig.win.form1.topMost = true;
  rig.ui.zdus();
  ASSERT_EQ(rig.sim.forms().size(), 1u);
  const FormView& v = rig.sim.forms()[0]->view();
  EXPECT_TRUE(v.visible);
  EXPECT_TRUE(v.topMost);
  EXPECT_TRUE(v.noActivate);
  EXPECT_EQ(v.bounds.width(), 5265);
  std::vector<std::string> shown;
  for (const ControlView& c : v.controls) {
    if (c.visible && c.bounds.top < v.bounds.height() && c.bounds.left < v.bounds.width()) {
      shown.push_back(toUtf8(c.name) + "=" + toUtf8(c.text));
    }
  }
  EXPECT_EQ(shown, (std::vector<std::string>{"Text1=nihk", "rText7=你好", "hxl=1.你好 2.拟好",
                                             "Text2=输入"}));
}

}  // namespace
}  // namespace yz
