#include <gtest/gtest.h>

#include <fstream>

#include "app/load.h"
#include "lexicon/user_store.h"
#include "program_fixture.h"

namespace yz {
namespace {

using testing::ProgramFolderTest;
using testing::dataDir;
using testing::dialogForm;
using testing::formEvent;

constexpr std::u16string_view kPairs[][2] = {{u"设置记录.ini", u"用户diy文件\\设置记录.ini"},
                                             {u"界面皮肤.ini", u"用户diy文件\\界面皮肤.ini"}};

class CommitTest : public ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    writeTables();
    writeLines(u"用户diy文件\\用户词库.txt", {u"wowo,我我 3"});
    start();
  }
  void expectBothFoldersAlike() {
    for (const auto& [program, user] : kPairs) {
      ASSERT_TRUE(bytes(program)) << toUtf8(program);
      EXPECT_EQ(bytes(program), bytes(user)) << toUtf8(program);
    }
  }
  std::u16string line(std::u16string_view file, std::size_t n) {
    auto all = lines(file);
    return n <= all.size() ? all[n - 1] : u"";
  }
};

TEST_F(CommitTest, DefaultSettingsWriteTheGoldenFile) {
  const auto golden = dataDir().parent_path() / "tests" / "app" / "golden" / "default_settings.txt";
  std::ifstream in(golden, std::ios::binary);
  ASSERT_TRUE(in) << golden;
  const std::string utf8((std::istreambuf_iterator<char>(in)), {});
  const std::u16string golden16 = fromUtf8(utf8);
  std::u16string expected;
  for (auto l : splitLines(golden16)) (expected += l) += u"\r\n";
  EXPECT_EQ(settingsRecordText(Settings{}, SettingsCopy::Program), expected);
}

TEST_F(CommitTest, CsqidWritesBothFoldersAndTheUserLexicon) {
  app().settings.hxgu = u"7";
  app().lex.userLexicon.codes.push(u"zzzz");
  app().lex.userLexicon.lines.push(u"在在 3");
  ++app().lex.userLexicon.last;
  writeLines(kRaceScratchPath, {u"赛文"});
  app().lifecycle->csqid();
  expectBothFoldersAlike();
  EXPECT_EQ(line(u"设置记录.ini", 83), u"候选个数=7");
  EXPECT_EQ(line(u"设置记录.ini", 27), u"52顶=1");
  EXPECT_NE(text(kUserLexiconPath).find(u"zzzz,在在 3"), std::u16string::npos);
  EXPECT_FALSE(exists(kRaceScratchPath));
  EXPECT_FALSE(platform().timerEnabled(app().pass.timer1));  // the reload starts it again
}

TEST_F(CommitTest, FairRaceKeepsTheUserLexiconFile) {
  const auto before = bytes(kUserLexiconPath);
  app().race.gpsd = 1;
  app().lex.userLexicon.codes.push(u"zzzz");
  app().lex.userLexicon.lines.push(u"在在 3");
  ++app().lex.userLexicon.last;
  app().lifecycle->csqid();
  EXPECT_EQ(bytes(kUserLexiconPath), before);
  expectBothFoldersAlike();
  app().lifecycle->ended();
  EXPECT_EQ(bytes(kUserLexiconPath), before);
  expectBothFoldersAlike();
}

TEST_F(CommitTest, SaveAndLeaveWritesTheUserFolderAndGivesTheKeyboardBack) {
  app().loader.dialog.show();
  app().input.hook.removeKeyboardHook();  // the platform switched off meanwhile
  app().settings.dqsj = u"shij";
  app().win.returnProcessId = 0;
  app().loader.bcuv_Click();
  expectBothFoldersAlike();
  EXPECT_EQ(line(u"设置记录.ini", 27), u"句末选重上屏=1");
  EXPECT_EQ(line(u"用户diy文件\\设置记录.ini", 78), u"当前时间=shij");
  EXPECT_FALSE(app().loader.dialog.visible());
  EXPECT_TRUE(app().loader.dialog.loaded());
  EXPECT_TRUE(platform().keyboardHookInstalled());
  EXPECT_EQ(app().comp.platformMode, 1);
  EXPECT_TRUE(platform().timerEnabled(app().pass.timer2));
}

TEST_F(CommitTest, TheCloseBoxAfterAnAlphabetBoxGivesTheHookBackAndKeepsTheStore) {
  app().loader.showSettings();
  SimForm* form = dialogForm(platform());
  ASSERT_NE(form, nullptr);
  form->fire(formEvent(FormEventKind::Click, u"dzmu"));
  form->fire(formEvent(FormEventKind::Click, u"mayrji"));
  platform().settle();
  EXPECT_FALSE(platform().keyboardHookInstalled());
  form->fire(formEvent(FormEventKind::KeyPress, u"", u"_"));
  platform().settle();
  EXPECT_EQ(app().settings.mayrji, u"abcdefghijklmnopqrstuvwxyz_");
  form->fire(formEvent(FormEventKind::Close, u""));
  platform().settle();
  EXPECT_TRUE(platform().keyboardHookInstalled());
  EXPECT_FALSE(app().loader.dialog.visible());
  EXPECT_TRUE(app().loader.dialog.loaded());
  expectBothFoldersAlike();
  EXPECT_EQ(line(u"设置记录.ini", 85), u"编码码元集=abcdefghijklmnopqrstuvwxyz_ ");
}

TEST_F(CommitTest, ClosingDuringARaceWritesNothing) {
  const auto before = bytes(u"设置记录.ini");
  app().race.raceMode = 1;
  app().settings.hxgu = u"9";
  app().win.boxes.rtext1.text = u"ni";
  app().loader.Form_QueryUnload(0);
  EXPECT_EQ(bytes(u"设置记录.ini"), before);
  EXPECT_EQ(app().win.boxes.rtext1.text, u"");  // the code line is cleared all the same
}

TEST_F(CommitTest, ExitSavesEverythingAndEndsTheMessageLoop) {
  for (std::u16string_view scratch : {kRaceScratchPath, std::u16string_view(u"第三方两码词库.txt"),
                                      std::u16string_view(u"用户diy文件\\yhckx.vx"),
                                      kSortedScratchPath}) {
    writeLines(scratch, {u"x"});
  }
  app().settings.hxgu = u"6";
  app().lifecycle->ended();
  expectBothFoldersAlike();
  EXPECT_EQ(line(u"设置记录.ini", 83), u"候选个数=6");
  EXPECT_NE(text(kUserLexiconPath).find(u"wowo,我我 03"), std::u16string::npos);
  EXPECT_FALSE(exists(kRaceScratchPath));
  EXPECT_FALSE(exists(u"第三方两码词库.txt"));
  EXPECT_FALSE(exists(u"用户diy文件\\yhckx.vx"));
  EXPECT_FALSE(exists(kSortedScratchPath));
  EXPECT_FALSE(platform().keyboardHookInstalled());
  EXPECT_FALSE(platform().timerEnabled(app().pass.timer1));
  EXPECT_TRUE(platform().quitRequested);
  EXPECT_FALSE(app().loader.dialog.loaded());
}

// Every file the exit or a commit writes, made unwritable in turn (a folder where its temporary
// file would go): no user file is cut short or lost, and the keyboard always goes back.
class WriteFaultTest : public CommitTest, public ::testing::WithParamInterface<const char16_t*> {};

TEST_P(WriteFaultTest, NoFileIsLostAndTheHookGoes) {
  const std::u16string blocked = GetParam();
  app().lifecycle->csqid();  // both folders hold a good pair
  std::map<std::u16string, std::optional<std::string>> before;
  const std::vector<std::u16string> files = {u"设置记录.ini", u"界面皮肤.ini", u"用户diy文件\\设置记录.ini",
                                             u"用户diy文件\\界面皮肤.ini", std::u16string(kUserLexiconPath)};
  for (const auto& f : files) before[f] = bytes(f);
  faults->failFile(blocked, WriteFaults::Step::Open, std::make_error_code(std::errc::is_a_directory));
  app().settings.hxgu = u"4";
  app().lifecycle->csqid();
  app().loader.bcuv_Click();
  app().lifecycle->ended();
  for (const auto& f : files) {
    auto now = bytes(f);
    ASSERT_TRUE(now) << toUtf8(f);
    if (f == blocked) {
      EXPECT_EQ(now, before[f]) << toUtf8(f);
    }
    if (f.ends_with(u"设置记录.ini")) {
      EXPECT_EQ(lines(f).size(), 96u) << toUtf8(f);
    }
  }
  EXPECT_FALSE(platform().keyboardHookInstalled());
  EXPECT_TRUE(platform().quitRequested);
}

// A settings file that cannot be written says why (a full disk, a read-only file), and the old
// file stays whole.
TEST_F(CommitTest, ASettingsWriteFailureSaysWhy) {
  app().lifecycle->csqid();
  const auto before = bytes(u"设置记录.ini");
  struct Case {
    const char* what;
    WriteFaults::Step step;
    std::errc error;
    const char16_t* reason;
  };
  const Case cases[] = {
      {"a full disk", WriteFaults::Step::Write, std::errc::no_space_on_device,
       u"设置没能保存到“设置记录.ini”：磁盘空间不足。原来的文件没有改动"},
      {"a folder in the way", WriteFaults::Step::Open, std::errc::is_a_directory,
       u"设置没能保存到“设置记录.ini”：同名的文件夹占住了位置。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    faults->failFile(u"设置记录.ini", c.step, std::make_error_code(c.error));
    platform().messageBoxes.clear();
    app().settings.hxgu = u"4";
    app().lifecycle->csqid();
    bool told = false;
    for (const auto& m : platform().messageBoxes) told = told || m.text.find(c.reason) != std::u16string::npos;
    EXPECT_TRUE(told);
    EXPECT_EQ(bytes(u"设置记录.ini"), before);
    faults->clearFile(u"设置记录.ini");
  }
}

INSTANTIATE_TEST_SUITE_P(EachFile, WriteFaultTest,
                         ::testing::Values(u"设置记录.ini", u"界面皮肤.ini", u"用户diy文件\\设置记录.ini",
                                           u"用户diy文件\\界面皮肤.ini", u"用户diy文件\\用户词库.txt"));

}  // namespace
}  // namespace yz
