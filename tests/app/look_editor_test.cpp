// The look editor of the settings dialog: library skins applied by position, the colour and font
// buttons per bar, and the live preview over the look page.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "app/load.h"
#include "app/look_editor.h"
#include "app/skin_library.h"
#include "lexicon/utf.h"
#include "program_fixture.h"

namespace yz {
namespace {

using testing::ProgramFolderTest;
using testing::formEvent;

class LookEditorTest : public ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    writeTables();
  }
  void open() {
    start();
    app().loader.showSettings();
    form = testing::dialogForm(platform());
    ASSERT_NE(form, nullptr);
    click(u"urjm");
  }
  void click(std::u16string_view control) {
    form->fire(formEvent(FormEventKind::Click, std::u16string(control)));
    platform().settle();
  }
  CandidateForm& window() { return app().windowUi.window.form; }
  SimForm* form = nullptr;
};

TEST_F(LookEditorTest, ALibrarySkinAppliesItsLinesByPositionAndPreviews) {
  // Keys misspelt on purpose: the lines count by position. Line 6 is not a number.
  writeLines(u"界面皮肤库\\界面皮肤 10- [金字].ini",
             {u"a=255", u"b=65280", u"c=-2147483644", u"d=16777215", u"e=8421504", u"f=word",
              u"g=9", u"h=14", u"i=11", u"j=黑体", u"k=楷体", u"l=微软雅黑", u"m=1"});
  open();
  click(u"xznvpf");
  EXPECT_TRUE(form->control(u"jnzi")->visible);
  click(u"jnzi");
  EXPECT_EQ(app().lookEditor.pathArgument, u"界面皮肤库\\界面皮肤 10- [金字].ini");
  const Settings& s = app().settings;
  EXPECT_EQ(s.Text6.backColour, 255);
  EXPECT_EQ(s.Text4.backColour, 65280);
  EXPECT_EQ(s.Text5.backColour, -2147483644);  // a system colour stays one
  EXPECT_EQ(s.Text6.foreColour, 16777215);
  EXPECT_EQ(s.Text4.foreColour, 8421504);
  EXPECT_EQ(s.Text5.foreColour, Settings{}.Text5.foreColour);  // "word" leaves it
  EXPECT_EQ(s.Text6.fontSize, 9);
  EXPECT_EQ(s.Text4.fontSize, 14);
  EXPECT_EQ(s.Text5.fontSize, 11);
  EXPECT_EQ(s.Text6.fontName, u"黑体");
  EXPECT_EQ(s.Text5.fontName, u"微软雅黑");
  // The window's boxes carry the look, the window's background that of the list.
  EXPECT_EQ(window().rText7.backColour, 65280);
  EXPECT_EQ(window().rText7.foreColour, 8421504);
  EXPECT_EQ(window().hxl.backColour, -2147483644);
  EXPECT_EQ(window().backColour, -2147483644);
  EXPECT_EQ(window().rText7.font.size, 14);  // the layout gives the sentence line text7's size
  // The preview: over the look page, with the sample text, the input pass off.
  // A library skin's preview stands beside the skin panel, which covers the help text's corner.
  const Rect dialog = app().loader.dialog.bounds();
  const Rect help = form->control(u"Text3")->bounds;
  const Rect panel = form->control(u"Pic1")->bounds;
  EXPECT_EQ(panel.left, help.left);
  EXPECT_EQ(panel.top, help.top);
  EXPECT_EQ(window().left, dialog.left + help.left + 1500);
  EXPECT_EQ(window().top, dialog.top + help.top + 1000);
  EXPECT_GT(window().left - dialog.left, panel.right);
  EXPECT_TRUE(app().windowUi.window.view().visible);
  EXPECT_EQ(app().win.boxes.rtext1.text, u"你的输入界面设置效果");
  EXPECT_EQ(app().win.boxes.rText7.text, u"你的输入界面设置效果");
  EXPECT_EQ(app().win.boxes.hxl.text, u"你的输入界面设置效果");
  EXPECT_FALSE(form->control(u"Text3")->visible);
  EXPECT_FALSE(platform().timerEnabled(app().pass.timer1));
  EXPECT_EQ(app().pass.lookChanged, -1);
  // The preview box shows the skin.
  EXPECT_EQ(form->control(u"Text4")->backColour, 65280u);
}

TEST_F(LookEditorTest, SlotElevenHoldsTheSkinOfTheLastStart) {
  Settings saved;
  saved.Text4.backColour = 12345;
  writeSettings(u"设置记录.ini", saved);
  write(u"界面皮肤.ini", skinRecordText(saved));
  open();
  EXPECT_EQ(text(u"界面皮肤库\\界面皮肤 11- [默认].ini"), skinRecordText(saved));
  app().settings.Text4.backColour = 1;
  click(u"xznvpf");
  click(u"morf");
  EXPECT_EQ(app().settings.Text4.backColour, 12345);
}

TEST_F(LookEditorTest, AMissingLibrarySkinChangesNothingAndSaysSo) {
  open();
  const Settings before = app().settings;
  click(u"xznvpf");
  click(u"ljka");
  EXPECT_FALSE(messages().empty());
  EXPECT_EQ(app().settings.Text5.backColour, before.Text5.backColour);
  EXPECT_EQ(app().pass.lookChanged, 0);
  EXPECT_FALSE(app().loader.stopped());
}

TEST_F(LookEditorTest, BackgroundColourGoesToTheChosenBar) {
  open();
  // At start the sentence bar is chosen; the window's own background stays.
  const std::int32_t windowBack = window().backColour;
  platform().colourAnswers.push_back(Colour{0x00FF00});
  click(u"Command22");
  EXPECT_EQ(app().settings.Text4.backColour, 0x00FF00);
  EXPECT_EQ(window().text7.backColour, 0x00FF00);
  EXPECT_EQ(window().rText7.backColour, 0x00FF00);
  EXPECT_EQ(window().backColour, windowBack);
  const Rect dialog = app().loader.dialog.bounds();
  const Rect help = app().loader.dialog.control(u"Text3")->bounds;
  EXPECT_EQ(window().left, dialog.left + help.left + 1000);
  EXPECT_EQ(window().top, dialog.top + help.top + 1000);
  EXPECT_EQ(app().pass.lookChanged, 0);

  click(u"Option4");
  platform().colourAnswers.push_back(Colour{0x0000FF});
  click(u"Command22");
  EXPECT_EQ(app().settings.Text5.backColour, 0x0000FF);
  EXPECT_EQ(window().hxl.backColour, 0x0000FF);
  EXPECT_EQ(window().backColour, 0x0000FF);

  // Cancelled: no colour changes, the preview still shows.
  platform().colourAnswers.push_back(std::nullopt);
  click(u"Command22");
  EXPECT_EQ(app().settings.Text5.backColour, 0x0000FF);
  EXPECT_TRUE(app().windowUi.window.view().visible);

  // The dialog fails: the message, and the look stays.
  click(u"Command22");
  EXPECT_EQ(messages().back(), u"请选择“基本颜色”或者先点选“规定自定义颜色”！");
}

TEST_F(LookEditorTest, FontAndTextColourComeFromTheFontDialog) {
  open();
  click(u"Option1");
  platform().fontAnswers.push_back(FontChoice{FontSpec{u"黑体", 10.5, false}, 0x123456});
  click(u"Command23");
  EXPECT_EQ(app().settings.Text6.fontName, u"黑体");
  EXPECT_EQ(app().settings.Text6.fontSize, 10);  // 10.5 points are applied as 10
  EXPECT_NE(app().settings.Text6.foreColour, 0x123456);
  EXPECT_EQ(app().pass.lookChanged, -1);

  platform().fontAnswers.push_back(FontChoice{FontSpec{u"宋体", 20, false}, 0x123456});
  click(u"Command2");
  EXPECT_EQ(app().settings.Text6.foreColour, 0x123456);
  EXPECT_EQ(window().Text1.foreColour, 0x123456);
  EXPECT_EQ(app().settings.Text6.fontName, u"黑体");  // the face is not used here

  platform().fontAnswers.push_back(std::nullopt);
  click(u"Command2");
  EXPECT_EQ(app().settings.Text6.foreColour, 0x123456);

  click(u"Command23");  // no dialog at all
  EXPECT_EQ(messages().back(), u"你的系统缺少字体控件！");
}

// The font dialog opens at Times New Roman, 12 points, each time; italic, underline and
// strike-out as the user left them when it last closed with OK (a cancel keeps them).
TEST_F(LookEditorTest, TheFontDialogKeepsItsEffectsBetweenCalls) {
  open();
  FontSpec effects{u"楷体", 14, false, true, true, false};
  platform().fontAnswers.push_back(FontChoice{effects, 0});
  click(u"Command23");
  platform().fontAnswers.push_back(std::nullopt);
  click(u"Command2");
  effects = FontSpec{u"宋体", 20, false, false, false, true};
  platform().fontAnswers.push_back(FontChoice{effects, 0});
  click(u"Command23");
  platform().fontAnswers.push_back(std::nullopt);
  click(u"Command23");
  const std::vector<FontSpec> opened = {
      FontSpec{u"Times New Roman", 12, false, false, false, false},
      FontSpec{u"Times New Roman", 12, false, true, true, false},
      FontSpec{u"Times New Roman", 12, false, true, true, false},
      FontSpec{u"Times New Roman", 12, false, false, false, true},
  };
  ASSERT_EQ(platform().fontDialogs.size(), opened.size());
  for (std::size_t i = 0; i < opened.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(platform().fontDialogs[i], opened[i]);
  }
}

// The library the project ships: each label finds its file, and every line of it applies.
TEST_F(LookEditorTest, EveryShippedSkinAppliesWhole) {
  auto local = [](std::u16string_view relative) {
    std::string path = toUtf8(relative);
    std::replace(path.begin(), path.end(), '\\', '/');
    return std::filesystem::path(path);
  };
  for (const SkinLabel& label : kSkinLabels) {
    std::filesystem::copy_file(testing::dataDir() / local(label.file), root_ / local(label.file),
                               std::filesystem::copy_options::overwrite_existing);
  }
  open();
  click(u"xznvpf");
  for (const SkinLabel& label : kSkinLabels) {
    if (label.name == u"morf") continue;  // slot 11 is the program's own
    app().settings.Text4 = SkinBox{1, 1, 1, u"x", true};
    app().settings.Text5 = SkinBox{1, 1, 1, u"x", false};
    click(label.name);
    const std::u16string written = skinRecordText(app().settings);
    EXPECT_EQ(written, text(label.file)) << toUtf8(label.name);
  }
  EXPECT_TRUE(messages().empty());
}

// A click finds its control by name: two controls of one name would answer for each other (a
// key caption applying a skin, say).
TEST_F(LookEditorTest, EveryDialogControlHasItsOwnName) {
  open();
  std::set<std::u16string> names;
  for (const DialogControl& c : app().loader.dialog.controls()) {
    EXPECT_TRUE(names.insert(c.name).second) << toUtf8(c.name);
  }
}

TEST(WholePoints, HalvesGoToTheEvenNeighbour) {
  const std::pair<int, int> cases[] = {{105, 10}, {115, 12}, {125, 12}, {120, 12}, {104, 10},
                                       {106, 11}, {720, 72}};
  for (auto [tenths, points] : cases) EXPECT_EQ(wholePoints(tenths), points) << tenths;
}

}  // namespace
}  // namespace yz
