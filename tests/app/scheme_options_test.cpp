// The layout, auxiliary-code and 全拼 labels of the settings dialog on a whole program, and typing
// in another shuangpin layout.

#include <gtest/gtest.h>

#include "app/load.h"
#include "lexbuild/layout_table.h"
#include "program_fixture.h"

namespace yz {
namespace {

using testing::dialogForm;
using testing::formEvent;
using testing::ProgramFolderTest;

class SchemeOptionsTest : public ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    writeTables();
  }
  void openAndClick(std::u16string_view control) {
    app().loader.showSettings();
    SimForm* form = dialogForm(platform());
    ASSERT_NE(form, nullptr);
    form->fire(formEvent(FormEventKind::Click, control));
    platform().settle();
  }
  // Types a script into the notepad and gives back what it holds afterwards.
  std::u16string typed(std::u16string_view script) {
    session->target.text.clear();
    session->target.caret = 0;
    const auto steps = session->type(script);
    return steps.empty() ? u"" : steps.back().targetText;
  }
  int messagesContaining(std::u16string_view part) const {
    int n = 0;
    for (const auto& m : session->platform.messageBoxes) n += m.text.find(part) != std::u16string::npos;
    return n;
  }
};

TEST_F(SchemeOptionsTest, XiaoheSentenceCommitsWhatItsZiranCodesCommit) {
  start();
  const std::u16string ziran = typed(u"nihkwo space");
  ASSERT_EQ(toUtf8(ziran), "你好我");
  openAndClick(u"xhhx");
  EXPECT_TRUE(app().settings.xhhx.marked());
  EXPECT_FALSE(app().settings.zrhx.marked());
  EXPECT_EQ(app().lex.layoutTable.at(u'h', u'c'), u"hk");
  // The switch committed the settings: a new start loads the layout again.
  EXPECT_NE(text(kSettingsFile).find(u"小鹤鹤形=1"), std::u16string::npos);
  EXPECT_EQ(typed(u"nihcwo space"), ziran);

  // The code line shows 自然双拼 while the typed keys stay in the visible code box.
  session->type(u"nihc");
  EXPECT_EQ(toUtf8(app().win.boxes.Text1.text), "nihc");
  EXPECT_EQ(toUtf8(app().win.boxes.rtext1.text), "nihk");
  session->type(u"esc");

  // 自然双拼 again: the table keeps the 小鹤 pairs but is no longer consulted.
  openAndClick(u"zrhx");
  EXPECT_TRUE(app().settings.zrhx.marked());
  EXPECT_EQ(app().lex.layoutTable.at(u'h', u'c'), u"hk");
  EXPECT_EQ(typed(u"nihkwo space"), ziran);
  EXPECT_TRUE(messages().empty());
}

TEST_F(SchemeOptionsTest, MarkTypedInsideAXiaoheCode) {
  start();
  openAndClick(u"xhhx");
  // 你好，我: the comma ends the first part of the sentence.
  EXPECT_EQ(toUtf8(typed(u"nihc , wo space")), "你好，我");
}

TEST_F(SchemeOptionsTest, XiaoheLoadedAtStart) {
  Settings s;
  s.zrhx.borderStyle = 0;
  s.vxbf.borderStyle = 0;
  s.xhhx.borderStyle = 1;
  writeSettings(kSettingsFile, s);
  start();
  EXPECT_EQ(app().lex.layoutTable.at(u'h', u'c'), u"hk");
  EXPECT_EQ(toUtf8(typed(u"nihc space")), "你好");
  // Command codes are typed as written: 小鹤 would read "vx" as 自然双拼 "vw".
  session->type(u"xzvx");
  EXPECT_TRUE(app().loader.stopped());
}

TEST_F(SchemeOptionsTest, UserDefinedLayoutComesFromTheUsersSyllableFile) {
  writeLines(u"用户diy文件\\qp2sp自定义.txt", {u"ni,nq", u"hao,hx", u"wo,wo"});
  start();
  openAndClick(u"zdypf");
  EXPECT_TRUE(app().settings.zdypf.marked());
  EXPECT_EQ(lines(kCustomLayoutPath), (std::vector<std::u16string>{u"hx,hk", u"nq,ni", u"wo,wo"}));
  EXPECT_EQ(toUtf8(typed(u"nqhxwo space")), "你好我");
}

TEST_F(SchemeOptionsTest, GuobiaoWithoutPairFileSaysSoOnceAndChangesNothing) {
  start();
  openAndClick(u"gbup");
  EXPECT_EQ(messagesContaining(u"找不到国标双拼的键位对照表"), 1);
  EXPECT_FALSE(app().settings.gbup.marked());
  EXPECT_EQ(toUtf8(typed(u"nihk space")), "你好");

  // A pair file the user supplies survives the start (the master has no 国标 column) and works.
  writeLines(kGuobiaoLayoutPath, {u"nf,ni", u"hw,hk"});
  session.reset();
  start();
  EXPECT_EQ(toUtf8(text(kGuobiaoLayoutPath)), "nf,ni\r\nhw,hk\r\n");
  openAndClick(u"gbup");
  EXPECT_TRUE(app().settings.gbup.marked());
  EXPECT_EQ(toUtf8(typed(u"nfhw space")), "你好");

  // The file goes: the next start tells once, and keys are taken as 自然双拼.
  folder().remove(kGuobiaoLayoutPath);
  session.reset();
  start();
  EXPECT_EQ(messagesContaining(u"找不到国标双拼的键位对照表"), 1);
  app().lifecycle->Form_Load();
  EXPECT_EQ(messagesContaining(u"找不到国标双拼的键位对照表"), 1);
  EXPECT_EQ(toUtf8(typed(u"nihk space")), "你好");
}

TEST_F(SchemeOptionsTest, AuxiliaryTableSwitchMarksAnExistingTableAndRegenerates) {
  writeLines(u"内置文件\\自然码辅助码.txt", {u"你,r", u"好,n"});
  start();
  openAndClick(u"zrmfvm");
  EXPECT_TRUE(app().settings.zrmfvm.marked());
  EXPECT_FALSE(app().mirror.auxSchemeChanged);  // the reload regenerated and cleared it
  EXPECT_EQ(app().lex.charAuxCodes[app().gbk.charIndex(u'你')], u"r");
  EXPECT_NE(text(kSettingsFile).find(u"自然码辅助码=1"), std::u16string::npos);

  // No file: no auxiliary label stays marked, and the reload still runs.
  openAndClick(u"diyfvm");
  for (auto* label : {&app().settings.zrmfvm, &app().settings.hxfvm, &app().settings.diyfvm,
                      &app().settings.wbhfvm, &app().settings.jjfvm}) {
    EXPECT_FALSE(label->marked());
  }
  EXPECT_FALSE(app().mirror.auxSchemeChanged);
}

// A layout or auxiliary-table switch closes the dialog and gives the keyboard back to the program
// the dialog was opened from: the next sentence lands there.
TEST_F(SchemeOptionsTest, SwitchesGiveTheFocusBackToTheTarget) {
  writeLines(u"内置文件\\自然码辅助码.txt", {u"你,r", u"好,n"});
  start();
  for (std::u16string_view label : {u"zrmfvm", u"xhhx"}) {
    SCOPED_TRACE(toUtf8(label));
    ASSERT_EQ(typed(u"ni space"), u"你");  // records the notepad as the target
    app().win.returnProcessId = app().win.targetProcessId;  // as the status bar opens the dialog
    app().loader.showSettings();
    SimForm* form = dialogForm(platform());
    ASSERT_NE(form, nullptr);
    platform().focus(form->id());
    form->fire(formEvent(FormEventKind::Click, label));
    platform().settle();
    EXPECT_EQ(platform().foregroundWindow(), session->target.id);
    EXPECT_EQ(typed(u"nihk space"), u"你好");
  }
}

TEST_F(SchemeOptionsTest, FullPinyinLabelTogglesUnderTheSoundKind) {
  start();
  openAndClick(u"qrpn");
  EXPECT_TRUE(app().settings.qrpn.marked());
  EXPECT_EQ(app().mirror.fullPinyinMode, 1);
  openAndClick(u"qrpn");
  EXPECT_FALSE(app().settings.qrpn.marked());
  EXPECT_EQ(app().mirror.fullPinyinMode, 0);
}

// Under a shape scheme a layout label brings the sound-code files back first, and refuses
// without them.
TEST_F(SchemeOptionsTest, LayoutLabelUnderAShapeSchemeRestoresTheSoundFiles) {
  start();
  Settings& s = app().settings;
  s.ymur = false;
  s.xmur = true;
  openAndClick(u"xhhx");
  EXPECT_EQ(messagesContaining(u"找不到内置文件\\两码词库默认.txt"), 1);
  EXPECT_FALSE(s.xhhx.marked());
  EXPECT_TRUE(s.xmur);

  writeLines(u"内置文件\\两码词库默认.txt", {u"hk,好 2", u"ni,你 1", u"nihk,你好 10"});
  writeLines(u"内置文件\\单字字库默认.txt", {u"hk,好 2", u"ni,你 1"});
  writeLines(u"内置文件\\单字全码默认.txt", {u"ni,你", u"hk,好"});
  openAndClick(u"xhhx");
  EXPECT_TRUE(s.xhhx.marked());
  EXPECT_TRUE(s.ymur);
  EXPECT_EQ(bytes(u"内置文件\\两码词库.txt"), bytes(u"内置文件\\两码词库默认.txt"));
  EXPECT_EQ(toUtf8(typed(u"nihc space")), "你好");
}

}  // namespace
}  // namespace yz

