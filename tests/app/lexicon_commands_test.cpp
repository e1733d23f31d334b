// The settings dialog's lexicon commands on a whole program: scheme switches, the merge, the
// format tools, the image button and the import, with their failures.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <map>

#include "app/load.h"
#include "lexbuild/import.h"
#include "lexbuild/ready_made.h"
#include "lexbuild/scheme_switch.h"
#include "lexicon/gbk.h"
#include "lexicon/image_loader.h"
#include "lexicon/user_store.h"
#include "program_fixture.h"

namespace yz {
namespace {

using testing::dialogForm;
using testing::formEvent;
using testing::ProgramFolderTest;

std::string utf8(std::u16string_view s) { return toUtf8(s); }

// A shape scheme's full codes of the fixture's characters.
constexpr std::u16string_view kShapeCodes =
    u"wqiy,你\r\nvbg,好\r\ntrnt,我\r\nwun,们\r\nrrr,的\r\n";

class LexiconCommandsTest : public ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    writeTables();
    // Resource 105: full-pinyin keys and their words.
    std::ofstream out(resources_ / "105.txt", std::ios::binary);
    std::string bytes = SimPlatform().toGbk(
        u"ni,你 100.5 尼 110\r\nhao,好 100\r\nni'hao,你好 100\r\nwo,我 100\r\nwo'men,我们 100\r\n"
        u"men,们 100\r\nde,的 100\r\n");
    bytes.push_back('\0');
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }

  // Every file of the program folder with its bytes (the temporary folders a test blocks writes
  // with are no files).
  std::map<std::string, std::string> folderFiles() const {
    std::map<std::string, std::string> out;
    for (const auto& e : std::filesystem::recursive_directory_iterator(root_)) {
      if (!e.is_regular_file()) continue;
      std::ifstream in(e.path(), std::ios::binary);
      out[e.path().lexically_relative(root_).string()] =
          std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return out;
  }

  // Puts the program folder back to exactly these files.
  void restoreFolder(const std::map<std::string, std::string>& files) {
    for (const auto& e : std::filesystem::recursive_directory_iterator(root_)) {
      if (e.is_regular_file() && !files.contains(e.path().lexically_relative(root_).string())) {
        std::filesystem::remove(e.path());
      }
    }
    for (const auto& [name, bytes] : files) {
      std::ofstream(root_ / name, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
  }

  // Makes every write of a program-folder file fail: its temporary file cannot be created.
  void blockWrite(std::u16string_view relative) {
    faults->failFile(relative, WriteFaults::Step::Open, std::make_error_code(std::errc::is_a_directory));
  }
  void unblockWrite(std::u16string_view relative) { faults->clearFile(relative); }

  void click(std::u16string_view control) {
    SimForm* form = dialogForm(platform());
    ASSERT_NE(form, nullptr);
    form->fire(formEvent(FormEventKind::Click, control));
    platform().settle();
  }
  // Opens the dialog and clicks one of its controls.
  void openAndClick(std::u16string_view control) {
    app().loader.showSettings();
    click(control);
  }

  bool asked(std::u16string_view text) const {
    for (const auto& m : session->platform.messageBoxes) {
      if (m.text == text) return true;
    }
    return false;
  }
  bool shown(std::u16string_view part) const {
    for (const auto& m : session->platform.messageBoxes) {
      if (m.text.find(part) != std::u16string::npos) return true;
    }
    return false;
  }

  std::u16string typed(std::u16string_view script) {
    auto steps = session->type(script);
    return steps.empty() ? std::u16string() : steps.back().targetText;
  }
};

// Every member of the scheme table: the question, the kind, the alphabets, the label, the files
// copied, the regenerated lexicon and the algorithm choice, after the reload.
TEST_F(LexiconCommandsTest, EverySchemeOfTheTable) {
  struct Row {
    std::u16string_view label;
    bool fromDialog;  // a label of the dialog, or a procedure nothing calls
    std::u16string_view fullCodeFile;
    std::u16string_view fullCodes;
    std::u16string_view syllableFile;  // a fixture copied over qp2sp.txt; empty: the shipped one
    std::u16string_view syllables;
    bool shape, sound;
    std::string lexiconLine;  // a line the new system lexicon holds
    bool lidyx;
    std::u16string_view mayrji;
  } rows[] = {
      {u"ubfm", true, u"内置文件\\单字全码声笔飞码.txt", u"ni_,你\r\nhk,好\r\nwo,我\r\nmf,们\r\nde,的\r\n", u"", u"",
       false, false, "", true, u"abcdefghijklmnopqrstuvwxyz"},
      {u"wbjb", true, u"内置文件\\单字全码五笔98.txt", kShapeCodes, u"", u"", true, false, "wqvb,你好 100", true,
       u"abcdefghijklmnopqrstuvwxyz"},
      {u"zdyxym", true, u"内置文件\\单字全码自声鹤形.txt", u"nix,你\r\nhkz,好\r\nwo,我\r\nmf,们\r\nde,的\r\n", u"",
       u"", false, false, "", true, u"abcdefghijklmnopqrstuvwxyz"},
      {u"zdyyxm", true, u"用户diy文件\\单字全码自定义音形码.txt", u"nix,你\r\nhkz,好\r\n", u"", u"", false, false, "",
       true, u"abcdefghijklmnopqrstuvwxyz"},
      {u"xdwb", true, u"内置文件\\单字全码五笔86.txt", kShapeCodes, u"", u"", true, false, "wqvb,你好 100", true,
       u"abcdefghijklmnopqrstuvwxyz"},
      {u"zdyxm", true, u"用户diy文件\\单字全码自定义形码.txt", kShapeCodes, u"", u"", true, false, "trwu,我们 100",
       true, u"abcdefghijklmnopqrstuvwxyz"},
      {u"zm", true, u"内置文件\\单字全码郑码.txt", kShapeCodes, u"", u"", true, false, "wq,你 100.5", true,
       u"abcdefghijklmnopqrstuvwxyz"},
      {u"vxbf", true, u"内置文件\\单字全码砚舟鹤形数.txt", u"nide,你\r\n", u"", u"", false, true, "nihk,你好 100",
       false, u"abcdefghijklmnopqrstuvwxyz_"},
      {u"xhhx", false, u"内置文件\\单字全码小鹤鹤形.txt", u"nide,你\r\n", u"", u"", false, true, "nihc,你好 100",
       false, u"abcdefghijklmnopqrstuvwxyz"},
      {u"gbup", false, u"内置文件\\单字全码国标双拼.txt", u"", u"内置文件\\qp2sp国标.txt",
       u"ni,ni\r\nhao,hy\r\nwo,wo\r\nmen,mf\r\nde,de\r\n", false, true, "nihy,你好 100", false,
       u"abcdefghijklmnopqrstuvwxyz"},
      {u"zdypf", false, u"用户diy文件\\单字全码自定义双拼.txt", u"nide,你\r\n", u"用户diy文件\\qp2sp自定义.txt",
       u"ni,nj\r\nhao,hk\r\nwo,wo\r\nmen,mf\r\nde,de\r\n", false, true, "njhk,你好 100", false,
       u"abcdefghijklmnopqrstuvwxyz"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(utf8(r.label));
    session.reset();
    start();
    write(r.fullCodeFile, r.fullCodes);
    if (!r.syllableFile.empty()) write(r.syllableFile, r.syllables);
    const std::string source = *bytes(r.fullCodeFile);
    platform().messageBoxes.clear();
    platform().connected = true;  // offline the load itself puts fluency first
    const std::u16string mayrjiBefore = app().settings.mayrji;
    if (r.fromDialog) {
      openAndClick(r.label);
    } else {
      app().lexiconCommands.switchScheme(r.label);
      platform().settle();
    }
    const SchemeMember& m = *schemeMember(r.label);
    EXPECT_TRUE(asked(m.question));
    EXPECT_EQ(platform().messageBoxes.front().title, u"砚舟Vexim输入法");
    EXPECT_TRUE(shown(u"已根据你的单字全码重新生成系统词库")) << utf8(messages().back());
    const Settings& s = app().settings;
    EXPECT_EQ(s.xmur, r.shape);
    EXPECT_EQ(s.ymur, r.sound);
    EXPECT_EQ(s.yxmur, !r.shape && !r.sound);
    EXPECT_EQ(s.lidyx, r.lidyx);
    EXPECT_EQ(utf8(s.mayrji), utf8(m.mainAlphabet ? *m.mainAlphabet : mayrjiBefore));
    for (std::u16string_view other : schemeLabels()) {
      EXPECT_EQ(schemeLabel(app().settings, other)->marked(), other == r.label) << utf8(other);
    }
    EXPECT_EQ(*bytes(u"内置文件\\单字全码.txt"), source);
    const std::string lexicon = utf8(text(u"内置文件\\两码词库.txt"));
    if (!r.lexiconLine.empty()) {
      EXPECT_NE(lexicon.find(r.lexiconLine + "\r\n"), std::string::npos) << lexicon;
    }
    EXPECT_NE(lexicon.find("你好"), std::string::npos);
    // The reload ran: the settings files hold the scheme, the single-character lexicon was made anew.
    EXPECT_TRUE(exists(u"内置文件\\单字字库.txt"));
    EXPECT_EQ(*bytes(kSettingsFile), *bytes(kUserSettingsFile));
    EXPECT_FALSE(app().loader.dialog.visible());
    EXPECT_TRUE(app().loader.dialog.enabled());
    EXPECT_EQ(app().loader.dialog.caption(u"Text8"),
              u"边框标出的是正在使用的方案。点选方案后砚舟会重新生成词库并重新载入。");
  }
}

TEST_F(LexiconCommandsTest, CancelChangesNothing) {
  start();
  write(u"内置文件\\单字全码五笔98.txt", kShapeCodes);
  const auto before = folderFiles();
  const std::u16string settingsBefore = settingsRecordText(app().settings, SettingsCopy::Program);
  platform().messageBoxAnswers.push_back(MessageBoxAnswer::Cancel);
  openAndClick(u"wbjb");
  EXPECT_TRUE(asked(u"你要改用五笔98吗？"));
  EXPECT_EQ(folderFiles(), before);
  EXPECT_EQ(settingsRecordText(app().settings, SettingsCopy::Program), settingsBefore);
  EXPECT_FALSE(app().loader.dialog.visible());
  EXPECT_EQ(app().lex.charFullCodes[static_cast<std::size_t>(app().gbk.charIndex(u'你'))], u"nide");
}

TEST_F(LexiconCommandsTest, MissingSchemeTableIsNamedAndNothingChanges) {
  start();
  const auto before = folderFiles();
  for (std::u16string_view label : {u"ubfm", u"zdyxym"}) {
    platform().messageBoxes.clear();
    openAndClick(label);
    ASSERT_EQ(platform().messageBoxes.size(), 2u);
    const std::u16string& said = platform().messageBoxes[1].text;
    EXPECT_NE(said.find(schemeMember(label)->fullCodeSource), std::u16string::npos) << utf8(said);
    EXPECT_NE(said.find(u"编码,汉字"), std::u16string::npos);
    EXPECT_EQ(folderFiles(), before);
    EXPECT_FALSE(schemeLabel(app().settings, label)->marked());
  }
}

TEST_F(LexiconCommandsTest, SwappedFieldsAreReported) {
  start();
  write(u"内置文件\\单字全码郑码.txt", u"你,wq\r\nvbg,好\r\n");
  openAndClick(u"zm");
  EXPECT_TRUE(asked(u"内置文件\\单字全码.txt你  wq是否有误？请检查！"));
}

TEST_F(LexiconCommandsTest, MarkedShuangpinLabelEndsFullPinyin) {
  start();
  write(u"内置文件\\单字全码砚舟鹤形数.txt", u"nide,你\r\n");
  app().settings.vxbf.borderStyle = 1;
  app().settings.qrpn.borderStyle = 1;
  platform().messageBoxAnswers.push_back(MessageBoxAnswer::Cancel);
  openAndClick(u"vxbf");
  EXPECT_FALSE(app().settings.qrpn.marked());  // cleared whatever the answer
  EXPECT_TRUE(app().settings.vxbf.marked());
}

TEST_F(LexiconCommandsTest, FailedRegenerationLeavesEveryFileAndTyping) {
  start();
  write(u"内置文件\\单字全码五笔98.txt", kShapeCodes);
  EXPECT_EQ(utf8(typed(u"nihk space")), "你好");
  blockWrite(u"内置文件\\两码词库.txt");
  const auto before = folderFiles();
  const std::u16string settingsBefore = settingsRecordText(app().settings, SettingsCopy::Program);
  openAndClick(u"wbjb");
  EXPECT_TRUE(shown(u"原词库保持不变"));
  EXPECT_EQ(folderFiles(), before);
  EXPECT_EQ(settingsRecordText(app().settings, SettingsCopy::Program), settingsBefore);
  EXPECT_EQ(app().lex.charFullCodes[static_cast<std::size_t>(app().gbk.charIndex(u'你'))], u"nide");
  EXPECT_TRUE(app().loader.dialog.enabled());
  EXPECT_FALSE(platform().quitRequested);
  unblockWrite(u"内置文件\\两码词库.txt");
  EXPECT_EQ(utf8(typed(u"nihk space")), "你好你好");
}

// A switch killed after any of its changes to the folder: the next start finds settings and
// lexicon of one scheme, says so, types, and no user file is lost.
TEST_F(LexiconCommandsTest, ASwitchKilledAtAnyFileStepStartsOnOneScheme) {
  write(u"内置文件\\单字全码五笔98.txt", kShapeCodes);
  writeLines(u"用户diy文件\\用户词库.txt", {u"wowo,我我 03"});
  start();
  session.reset();
  const auto before = folderFiles();
  const std::string oldLexicon = before.at(folder().path(u"内置文件\\两码词库.txt").lexically_relative(root_).string());
  // The whole switch: the changes it makes and the lexicon it leaves.
  start();
  const int first = faults->changes();
  openAndClick(u"wbjb");
  const int steps = faults->changes() - first;
  ASSERT_TRUE(app().settings.wbjb.marked());
  const std::optional<std::string> newLexicon = bytes(u"内置文件\\两码词库.txt");
  ASSERT_NE(newLexicon, oldLexicon);
  ASSERT_GT(steps, 5);
  session.reset();

  int undone = 0;  // kills the next start had to undo
  for (int k = 0; k < steps; ++k) {
    SCOPED_TRACE(k);
    restoreFolder(before);
    faults = std::make_shared<WriteFaults>();
    start();
    faults->killAfter(k);
    openAndClick(u"wbjb");
    ASSERT_TRUE(faults->killed());
    session.reset();  // the program is gone; the folder is as the kill left it
    const bool halfWay = exists(kSchemeSwitchJournal);
    undone += halfWay ? 1 : 0;

    faults = std::make_shared<WriteFaults>();
    start();
    EXPECT_EQ(shown(u"上次切换方案没有完成，已恢复切换前的方案、设置和词库。"), halfWay);
    const bool onNew = app().settings.wbjb.marked();
    EXPECT_EQ(bytes(u"内置文件\\两码词库.txt"), onNew ? newLexicon : oldLexicon);
    EXPECT_EQ(static_cast<bool>(app().settings.xmur), onNew);
    EXPECT_EQ(bytes(u"用户diy文件\\用户词库.txt"), "wowo,\xCE\xD2\xCE\xD2 03\r\n");
    EXPECT_FALSE(exists(kSchemeSwitchJournal));
    if (!onNew) {
      EXPECT_EQ(utf8(typed(u"nihk space")), "你好");
      const auto now = folderFiles();
      for (const auto& [name, content] : before) EXPECT_EQ(now.contains(name) ? now.at(name) : "<none>", content) << name;
      for (const auto& [name, content] : now) EXPECT_TRUE(before.contains(name)) << name;
    }
    session.reset();
  }
  EXPECT_GT(undone, steps / 3);
}

TEST_F(LexiconCommandsTest, FailedCopyLeavesEveryFile) {
  start();
  write(u"内置文件\\单字全码郑码.txt", kShapeCodes);
  blockWrite(u"内置文件\\单字全码.txt");
  const auto before = folderFiles();
  openAndClick(u"zm");
  EXPECT_TRUE(shown(u"当前方案和词库都没有改动"));
  EXPECT_EQ(folderFiles(), before);
  EXPECT_FALSE(app().settings.zm.marked());
}

// A shape file with one line the start refuses (a code led by a Chinese character): the switch puts
// every file back, says why, and the program still starts and types.
TEST_F(LexiconCommandsTest, ASwitchTheStartWouldRefuseLeavesEveryFile) {
  start();
  write(u"内置文件\\单字全码郑码.txt", std::u16string(u"中a,中\r\n") + std::u16string(kShapeCodes));
  const auto before = folderFiles();
  openAndClick(u"zm");
  EXPECT_TRUE(shown(u"新方案的单字全码无法使用：内置文件\\单字全码.txt中a  中是否有误？请检查！"));
  EXPECT_EQ(folderFiles(), before);
  EXPECT_FALSE(app().settings.zm.marked());
  EXPECT_FALSE(platform().quitRequested);
  session.reset();
  start();
  EXPECT_FALSE(platform().quitRequested);
  EXPECT_EQ(utf8(typed(u"nihk space")), "你好");
}

// Ready-made files and imports are held to what the start takes, as a switch is: a full-code
// file with a line the start refuses (a code led by a Chinese character) is put back whole.
TEST_F(LexiconCommandsTest, ReadyMadeFilesTheStartWouldRefuseAreAllPutBack) {
  struct Case {
    const char* what;
    std::function<void()> prepare;
    const char16_t* label;
    const char16_t* message;
  };
  const Case cases[] = {
      {"五笔86",
       [this] {
         write(u"内置文件\\单字全码五笔86.txt", std::u16string(u"中a,中\r\n") + std::u16string(kShapeCodes));
         writeLines(u"内置文件\\两码词库五笔86默认.txt", {u"wq,你 1"});
         writeLines(u"内置文件\\单字字库五笔86默认.txt", {u"wq,你 1"});
       },
       u"wbbl", u"五笔86的单字全码无法使用：内置文件\\单字全码.txt中a  中是否有误？请检查！"},
      {"the sound files a layout puts back after a shape scheme",
       [this] {
         app().settings.ymur = false;
         app().settings.xmur = true;
         writeLines(u"内置文件\\两码词库默认.txt", {u"ni,你 1"});
         writeLines(u"内置文件\\单字字库默认.txt", {u"ni,你 1"});
         writeLines(u"内置文件\\单字全码默认.txt", {u"中a,中", u"ni,你"});
       },
       u"xhhx", u"音码的单字全码无法使用：内置文件\\单字全码.txt中a  中是否有误？请检查！"},
      {"an import",
       [this] {
         writeLines(u"第三方词库\\第三方词库.txt", {u"中a,中", u"wq,你", u"wqvb,你好 1"});
       },
       u"xyma", u"导入的词库的单字全码无法使用：内置文件\\单字全码.txt中a  中是否有误？请检查！"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    session.reset();
    start();
    c.prepare();
    const auto before = folderFiles();
    const bool ymur = app().settings.ymur;
    openAndClick(c.label);
    EXPECT_TRUE(shown(c.message));
    auto after = folderFiles();
    for (const auto& [path, content] : before) {
      if (path.find("第三方词库") == std::string::npos) {
        EXPECT_EQ(after[path], content) << path;
      }
    }
    EXPECT_EQ(app().settings.ymur, ymur);
    EXPECT_FALSE(platform().quitRequested);
    session.reset();
    start();
    EXPECT_FALSE(platform().quitRequested);
    EXPECT_EQ(utf8(typed(u"nihk space")), "你好");
  }
}

// 五笔86 restores ready-made files: no question, no regeneration; the 五笔 codes type at once.
TEST_F(LexiconCommandsTest, Wubi86RestoresItsFilesAndTypesShapeCodes) {
  start();
  write(u"内置文件\\单字全码五笔86.txt", kShapeCodes);
  writeLines(u"内置文件\\两码词库五笔86默认.txt",
             {u"tr,我 1", u"trwu,我们 1", u"vb,好 1", u"wq,你 1", u"wqvb,你好 1", u"wu,们 1"});
  writeLines(u"内置文件\\单字字库五笔86默认.txt", {u"tr,我 1", u"vb,好 1", u"wq,你 1", u"wu,们 1"});
  // An image of the old lexicon would outlive the restore: it is rebuilt.
  write(kLexiconImagePath, u"");
  openAndClick(u"wbbl");
  EXPECT_FALSE(shown(u"吗？"));
  EXPECT_FALSE(shown(u"重新生成系统词库"));
  EXPECT_EQ(*bytes(u"内置文件\\两码词库.txt"), *bytes(u"内置文件\\两码词库五笔86默认.txt"));
  EXPECT_EQ(*bytes(u"内置文件\\单字字库.txt"), *bytes(u"内置文件\\单字字库五笔86默认.txt"));
  EXPECT_EQ(*bytes(u"内置文件\\单字全码.txt"), *bytes(u"内置文件\\单字全码五笔86.txt"));
  LexiconTable image;
  image.reset();
  ASSERT_TRUE(duqudaciku(folder(), image).ok);
  EXPECT_EQ(image.last, 6);
  const Settings& s = app().settings;
  EXPECT_TRUE(s.wbbl.marked());
  EXPECT_FALSE(s.vxbf.marked());
  EXPECT_TRUE(s.xmur);
  EXPECT_TRUE(s.lidyx);
  EXPECT_EQ(utf8(typed(u"wqvbtrwu space")), "你好我们");
}

TEST_F(LexiconCommandsTest, KeysTypedDuringASwitchAreHeldAndGivenBack) {
  start();
  write(u"内置文件\\单字全码五笔98.txt", kShapeCodes);
  // The user types while the switch works (here: while its report is up); the dialog shows the
  // progress and takes no clicks.
  std::u16string progress;
  bool enabled = true;
  platform().onMessageBox = [&](const SimMessageBox& box) {
    if (box.text.find(u"重新生成系统词库") == std::u16string::npos) return;
    platform().typeKeys(u"wqvb space");
    progress = app().loader.dialog.caption(u"Text8");
    enabled = app().loader.dialog.enabled();
  };
  openAndClick(u"wbjb");
  platform().onMessageBox = nullptr;
  platform().settle();
  EXPECT_EQ(utf8(session->target.text), "你好");
  EXPECT_NE(progress.find(u"系统将重新按五笔98生成词库"), std::u16string::npos) << utf8(progress);
  EXPECT_NE(progress.find(u"正在生成系统词库"), std::u16string::npos) << utf8(progress);
  EXPECT_FALSE(enabled);
}

// ----- merge -----

TEST_F(LexiconCommandsTest, MergeWritesTheSystemLexiconAndEnds) {
  writeLines(u"用户diy文件\\用户词库.txt", {u"nihk,拟好 080", u"xy,新 49", u"zz,在在 120"});
  start();
  const std::string userFile = *bytes(u"用户diy文件\\用户词库.txt");
  // Keys typed while the merge works reach the program typed into once it has ended.
  platform().onMessageBox = [this](const SimMessageBox& box) {
    if (box.text.starts_with(u"已将用户词库合并")) platform().typeKeys(u"ab");
  };
  openAndClick(u"Command4");
  platform().onMessageBox = nullptr;
  EXPECT_EQ(utf8(session->target.text), "ab");
  EXPECT_TRUE(asked(u"用户词库中的词条将被合并到主词库，合并耗时约1分钟左右，请耐心等候！"));
  EXPECT_TRUE(shown(u"已将用户词库合并到主词库，重新生成系统词库,计8词条"));
  EXPECT_TRUE(platform().quitRequested);
  EXPECT_FALSE(platform().keyboardHookInstalled());
  const std::string lexicon = utf8(text(u"内置文件\\两码词库.txt"));
  EXPECT_NE(lexicon.find("nihk,拟好 080 你好 10\r\n"), std::string::npos) << lexicon;
  EXPECT_NE(lexicon.find("zz,在在 120\r\n"), std::string::npos) << lexicon;
  EXPECT_EQ(lexicon.find("新"), std::string::npos);
  EXPECT_EQ(*bytes(u"用户diy文件\\用户词库.txt"), userFile);
}

TEST_F(LexiconCommandsTest, FailedMergeKeepsTheLexiconAndThePrograms) {
  start();
  blockWrite(u"内置文件\\两码词库.txt");
  const auto before = folderFiles();
  openAndClick(u"Command4");
  EXPECT_TRUE(shown(u"原词库保持不变"));
  EXPECT_EQ(folderFiles(), before);
  EXPECT_FALSE(platform().quitRequested);
  EXPECT_EQ(utf8(typed(u"nihk space")), "你好");
}

// ----- format tools and the image -----

TEST_F(LexiconCommandsTest, FormatToolsConvertAndEnd) {
  start();
  writeLines(u"内置文件\\单行词库.txt", {u"ab,甲 乙", u"cd,丙"});
  platform().messageBoxAnswers.push_back(MessageBoxAnswer::Cancel);
  openAndClick(u"Command12");
  EXPECT_FALSE(exists(u"内置文件\\多行词库.txt"));
  EXPECT_FALSE(app().loader.dialog.visible());
  EXPECT_FALSE(platform().quitRequested);
  openAndClick(u"Command12");
  EXPECT_EQ(utf8(text(u"内置文件\\多行词库.txt")), "ab,甲\r\nab,乙\r\ncd,丙\r\n");
  EXPECT_TRUE(asked(u"已经将当前目录中“单行词库.txt”文件，改成多行格式文件“多行词库.txt”，请到当前目录中收货吧！"));
  EXPECT_TRUE(platform().quitRequested);
  EXPECT_FALSE(platform().keyboardHookInstalled());
}

TEST_F(LexiconCommandsTest, MultiLineToSingleLineAndMissingInput) {
  start();
  openAndClick(u"Command13");
  EXPECT_TRUE(shown(u"没有可转换的内容"));
  EXPECT_FALSE(platform().quitRequested);
  EXPECT_TRUE(app().loader.dialog.visible());
  writeLines(u"内置文件\\多行词库.txt", {u"ab,甲", u"ab,乙", u"cd,丙"});
  click(u"Command13");
  EXPECT_EQ(utf8(text(u"内置文件\\单行词库.txt")), "ab,甲 乙\r\ncd,丙\r\n");
  EXPECT_TRUE(platform().quitRequested);
}

TEST_F(LexiconCommandsTest, ImageButtonWritesTheImageAndEnds) {
  start();
  openAndClick(u"Command18");
  EXPECT_TRUE(shown(u"词库初始化耗时  "));
  LexiconTable image;
  image.reset();
  ASSERT_TRUE(duqudaciku(folder(), image).ok);
  EXPECT_EQ(image.last, 7);
  EXPECT_TRUE(platform().quitRequested);
}

TEST_F(LexiconCommandsTest, UserWordsWithCodes) {
  writeLines(u"用户词库.txt", {u"你好", u"我们的", u"我", u"nihk,你好", u"你好我们"});
  writeLines(u"内置文件\\自然码辅助码.txt", {u"你,r", u"好,n", u"我,g"});
  Settings s;
  s.zrmfvm.borderStyle = 1;
  writeSettings(kSettingsFile, s);
  start();
  app().lexiconCommands.yhckfvm();
  EXPECT_EQ(utf8(text(u"用户词库+辅助码.txt")), "nirhkn,你好\r\nwogmfde,我们的\r\n");
  EXPECT_TRUE(shown(u"生成“用户词库+辅助码”文件,计2词条"));
  EXPECT_TRUE(platform().quitRequested);
}

// ----- import -----

TEST_F(LexiconCommandsTest, ImportReplacesTheBuiltInFilesAndEnds) {
  writeLines(u"第三方词库\\第三方词库.txt", {u"wq,你", u"wqvb,你好 1", u"我们", u"", u"好"});
  start();
  write(kLexiconImagePath, u"");  // an image of the old lexicon is rebuilt from the new one
  const std::string userFile = *bytes(u"用户diy文件\\用户词库.txt");
  openAndClick(u"xyma");
  LexiconTable image;
  image.reset();
  ASSERT_TRUE(duqudaciku(folder(), image).ok);
  EXPECT_EQ(image.codes[1], u"hk");
  EXPECT_TRUE(shown(u"将你习惯的第三方输入法词库转换成Vexim格式的系统词库"));
  EXPECT_TRUE(shown(u"现在重启输入法，你就可用你熟悉的词库打字啦！"));
  EXPECT_TRUE(platform().quitRequested);
  EXPECT_EQ(*bytes(u"内置文件\\两码词库.txt"), *bytes(u"第三方词库\\两码词库.txt"));
  EXPECT_EQ(*bytes(u"内置文件\\单字字库.txt"), *bytes(u"第三方词库\\单字字库.txt"));
  EXPECT_EQ(*bytes(u"内置文件\\单字全码.txt"), *bytes(u"第三方词库\\单字全码.txt"));
  // 形码: words without a code are coded by their full codes (the fixture's: 我 wo, 们 none, 好 hk).
  const std::string lexicon = utf8(text(u"内置文件\\两码词库.txt"));
  EXPECT_NE(lexicon.find("wqvb,你好 01\r\n"), std::string::npos) << lexicon;
  EXPECT_NE(lexicon.find("hk,好 "), std::string::npos) << lexicon;
  EXPECT_EQ(lexicon.find("我们"), std::string::npos) << lexicon;  // 们 has no full code
  // The kind and the label are saved; the user lexicon file is left as it was.
  Settings saved;
  CompositionState comp;
  inuvjl(text(kSettingsFile), saved, comp);
  EXPECT_TRUE(saved.xyma.marked());
  EXPECT_TRUE(saved.xmur);
  EXPECT_EQ(*bytes(u"用户diy文件\\用户词库.txt"), userFile);
}

// A word list saved as UTF-16 (Notepad's "Unicode") is imported as written; bytes of no known
// encoding are refused and the built-in files stay as they were.
TEST_F(LexiconCommandsTest, ImportReadsItsFileInItsOwnEncoding) {
  std::string utf16("\xFF\xFE");
  for (char16_t ch : std::u16string_view(u"wq,你\r\nwqvb,你好 1\r\n")) {
    utf16.push_back(static_cast<char>(ch & 0xFF));
    utf16.push_back(static_cast<char>(ch >> 8));
  }
  ASSERT_TRUE(folder().writeBytes(u"第三方词库\\第三方词库.txt", utf16));
  start();
  openAndClick(u"xyma");
  EXPECT_TRUE(platform().quitRequested);
  const std::string lexicon = utf8(text(u"内置文件\\两码词库.txt"));
  EXPECT_NE(lexicon.find("wqvb,你好 01\r\n"), std::string::npos) << lexicon;

  session.reset();
  ASSERT_TRUE(folder().writeBytes(u"第三方词库\\第三方词库.txt", std::string("wq,\xFF\x00\x81\r\n", 7)));
  start();
  const auto before = folderFiles();
  openAndClick(u"xyma");
  EXPECT_TRUE(shown(u"第三方词库\\第三方词库.txt 不是 GBK、UTF-8 或 UTF-16 编码"));
  EXPECT_FALSE(platform().quitRequested);
  EXPECT_EQ(folderFiles(), before);
}

TEST_F(LexiconCommandsTest, ImportWithoutItsFileTouchesNothing) {
  start();
  const auto before = folderFiles();
  const std::u16string settingsBefore = settingsRecordText(app().settings, SettingsCopy::Program);
  openAndClick(u"ynma");
  EXPECT_TRUE(shown(u"找不到第三方词库\\第三方词库.txt"));
  EXPECT_EQ(folderFiles(), before);
  EXPECT_EQ(settingsRecordText(app().settings, SettingsCopy::Program), settingsBefore);
  EXPECT_FALSE(platform().quitRequested);
  EXPECT_EQ(utf8(typed(u"nihk space")), "你好");
}

TEST_F(LexiconCommandsTest, FailedImportCopyPutsTheBuiltInFilesBack) {
  writeLines(u"第三方词库\\第三方词库.txt", {u"wq,你", u"wqvb,你好 1"});
  start();
  blockWrite(u"内置文件\\两码词库.txt");
  const auto before = folderFiles();
  openAndClick(u"ynxyma");
  EXPECT_TRUE(shown(u"内置文件中的词库没有改动"));
  auto after = folderFiles();
  for (const auto& [path, content] : before) {
    if (path.find("第三方词库") == std::string::npos) {
      EXPECT_EQ(after[path], content) << path;
    }
  }
  EXPECT_FALSE(platform().quitRequested);
  EXPECT_FALSE(app().settings.ynxyma.marked());
  EXPECT_EQ(utf8(typed(u"nihk space")), "你好");
}

TEST_F(LexiconCommandsTest, AskedImportTakesTheKindFromTheAnswer) {
  writeLines(u"第三方词库\\第三方词库.txt", {u"你好 3"});
  start();
  platform().inputBoxAnswers.push_back(u"1");
  app().lexiconCommands.importThirdPartyLexicon();
  EXPECT_TRUE(platform().quitRequested);
  Settings saved;
  CompositionState comp;
  inuvjl(text(kSettingsFile), saved, comp);
  EXPECT_TRUE(saved.ynma.marked());
  EXPECT_TRUE(saved.ymur);
  EXPECT_EQ(utf8(text(u"内置文件\\两码词库.txt")), "nihk,你好 03\r\n");
}

}  // namespace
}  // namespace yz

namespace yz {
namespace {

using testing::dataDir;
using testing::dialogForm;
using testing::formEvent;
using testing::ProgramFolderTest;

// The built-in tables as shipped: the switch to 五笔86 restores the lexicons that the build made
// with the program's own regeneration, and 五笔 codes type whole sentences.
class ShippedTablesTest : public ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    const auto data = dataDir();
    if (!std::filesystem::exists(data / "resources" / "105.txt")) GTEST_SKIP() << "no built-in tables";
    for (const auto& e : std::filesystem::directory_iterator(data / std::filesystem::path(u8"内置文件"))) {
      std::filesystem::copy_file(e.path(), root_ / std::filesystem::path(u8"内置文件") / e.path().filename());
    }
    for (int id = 101; id <= 105; ++id) {
      const std::string name = std::to_string(id) + ".txt";
      std::filesystem::copy_file(data / "resources" / name, resources_ / name);
    }
    ASSERT_TRUE(folder().copy(u"内置文件\\单字全码默认.txt", u"内置文件\\单字全码.txt"));
    SimPlatform sim;
    sim.resourceDir = resources_;
    sim.defaultMessageBoxAnswer = MessageBoxAnswer::Ok;
    GbkTable gbk(sim);
    const ReadyMadeResult made = makeWubi86Lexicons(folder(), sim, gbk);
    ASSERT_TRUE(made.ok) << toUtf8(made.error);
    EXPECT_FALSE(exists(u"内置文件\\两码词库.txt"));  // the files it worked in are as they were
  }
};

TEST_F(ShippedTablesTest, SwitchToWubi86ThenTypeASentence) {
  start();
  ASSERT_FALSE(platform().quitRequested);
  app().loader.showSettings();
  SimForm* form = dialogForm(platform());
  ASSERT_NE(form, nullptr);
  form->fire(formEvent(FormEventKind::Click, u"wbbl"));
  platform().settle();
  EXPECT_TRUE(app().settings.wbbl.marked());
  EXPECT_TRUE(app().settings.xmur);
  // 我们 trwu, 的 rq, 生活 tgit; 他们 wbwu, 在 dh, 学习 ipnu.
  EXPECT_EQ(toUtf8(session->type(u"trwurqtgit space").back().targetText), "我们的生活");
  EXPECT_EQ(toUtf8(session->type(u"wbwudhipnu space").back().targetText), "我们的生活他们在学习");
}

}  // namespace
}  // namespace yz
