#include <gtest/gtest.h>

#include <algorithm>

#include "app/load.h"
#include "lexicon/image_loader.h"
#include "lexicon/user_store.h"
#include "program_fixture.h"

namespace yz {
namespace {

using testing::ProgramFolderTest;

std::string utf8(std::u16string_view s) { return toUtf8(s); }

bool hasMessage(const std::vector<std::u16string>& messages, std::u16string_view text) {
  return std::find(messages.begin(), messages.end(), text) != messages.end();
}

using LoadTest = ProgramFolderTest;

TEST_F(LoadTest, StartLoadsEveryTableAndHandsTheKeyboardToThePlatform) {
  writeTables();
  start();
  App& a = app();
  EXPECT_TRUE(messages().empty()) << utf8(messages().front());
  EXPECT_FALSE(platform().quitRequested);
  EXPECT_TRUE(platform().keyboardHookInstalled());
  EXPECT_EQ(a.comp.hookActive, 1);
  // Pair files, syllables and the per-character tables.
  EXPECT_TRUE(exists(u"内置文件\\qp2sp.txt"));
  EXPECT_GT(a.lex.syllablesByPinyin.last, 300);
  a.lex.readCharInfo();
  EXPECT_EQ(a.lex.charPinyin[static_cast<std::size_t>(a.gbk.charIndex(u'你'))], u"ni");
  // The lexicons.
  EXPECT_EQ(a.lex.mainLexicon.last, 7);
  EXPECT_EQ(a.lex.mainLexicon.codes[5], u"nihk");
  EXPECT_EQ(a.lex.charLexicon.last, 5);
  EXPECT_EQ(a.lex.charFullCodes[static_cast<std::size_t>(a.gbk.charIndex(u'你'))], u"nide");
  // Scratch files gone, the user lexicon file written, the code-key set published.
  EXPECT_FALSE(exists(u"dzmb.ls"));
  EXPECT_TRUE(exists(u"用户diy文件\\用户词库.txt"));
  EXPECT_EQ(a.pass.codeChars, u"abcdefghijklmnopqrstuvwxyz");
  EXPECT_EQ(a.win.languageLabel, u"\r\n中");
  EXPECT_FALSE(a.loader.dialog.visible());
  EXPECT_TRUE(a.loader.dialog.loaded());
}

TEST_F(LoadTest, AskedBeforeASecondCopyAndCancelEndsIt) {
  writeTables();
  start();
  EXPECT_TRUE(messages().empty());  // the running copy alone is not a second copy
  platform().processes.push_back(u"VEXIM2_XX.EXE");
  platform().messageBoxAnswers.push_back(MessageBoxAnswer::Cancel);
  app().lifecycle->Form_Load();
  ASSERT_EQ(platform().messageBoxes.size(), 1u);
  EXPECT_EQ(platform().messageBoxes[0].text, u"砚舟Vexim程序已经启动，你要另外再启动一个Vexim吗？");
  EXPECT_EQ(platform().messageBoxes[0].title, u"砚舟Vexim输入法");
  EXPECT_TRUE(platform().quitRequested);
  EXPECT_TRUE(app().loader.stopped());
}

TEST_F(LoadTest, AReloadKeepsItsOneHookAndStartsTheUserLexiconAfresh) {
  writeTables();
  writeLines(u"用户diy文件\\用户词库.txt", {u"wowo,我我 3"});
  start();
  const auto users = app().lex.userLexicon.last;
  platform().processes.push_back(u"Vexim2_xx.exe");  // OK to the question: the reload goes on
  platform().refuseHook = true;  // a second installation would fail loudly
  app().win.boxes.Text1.text = u"ni";
  app().lifecycle->Form_Load();
  EXPECT_TRUE(platform().timerEnabled(app().pass.timer1));  // the input pass may run again
  EXPECT_EQ(messages(), std::vector<std::u16string>{u"砚舟Vexim程序已经启动，你要另外再启动一个Vexim吗？"});
  EXPECT_TRUE(platform().keyboardHookInstalled());
  EXPECT_EQ(app().lex.userLexicon.last, users);
  EXPECT_EQ(app().win.boxes.Text1.text, u"");
  EXPECT_EQ(app().windowUi.window.form.left, 1920 * 15 / 2);
}

struct SourceCase {
  const char* name;
  std::size_t programBytes;  // 0: no program-folder file
  bool userFile;
  std::size_t userBytes;     // 0: the whole user file
  int qjzc;                  // what line 1 leaves
  bool complaint;
  bool programJunk = false;  // the program-folder file holds bytes but no settings line
};
// A case shows as its name, so the test's name is the same in every run.
void PrintTo(const SourceCase& c, std::ostream* os) { *os << c.name; }

class SettingsSourceTest : public ProgramFolderTest, public ::testing::WithParamInterface<SourceCase> {};

TEST_P(SettingsSourceTest, ProgramCopyWhenLongEnoughElseTheUserCopy) {
  const SourceCase& c = GetParam();
  writeTables();
  Settings program;
  program.qjzc = 1;
  Settings user;
  user.dzzc = 1;
  user.hxgu = u"8";
  if (c.programBytes) {
    SimPlatform codec;
    std::string record = c.programJunk ? std::string(c.programBytes, 'x')
                                       : codec.toGbk(settingsRecordText(program, SettingsCopy::Program))
                                             .substr(0, c.programBytes);
    ASSERT_TRUE(folder().writeBytes(u"设置记录.ini", record));
  }
  if (c.userFile) {
    SimPlatform codec;
    std::string record = codec.toGbk(settingsRecordText(user, SettingsCopy::User));
    if (c.userBytes) record = record.substr(0, c.userBytes);
    ASSERT_TRUE(folder().writeBytes(u"用户diy文件\\设置记录.ini", record));
  }
  start();
  const Settings& s = app().settings;
  EXPECT_EQ(s.qjzc, c.qjzc);
  EXPECT_EQ(hasMessage(messages(), u"你的设置文件不正常，将恢复为默认设置"), c.complaint);
  if (c.userFile && !c.userBytes && c.qjzc == 0) {
    EXPECT_EQ(s.dzzc, 1);
    EXPECT_EQ(app().mirror.pageSize, 8);
  }
  if (c.userBytes) {
    // A short file is told and read all the same: the lines it lacks keep their values.
    EXPECT_EQ(s.dzzc, 1);
    EXPECT_EQ(s.hxgu, u"5");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsSourceTest,
    ::testing::Values(SourceCase{"program1000", 1000, true, 0, 1, false},
                      SourceCase{"program999", 999, true, 0, 0, false},
                      SourceCase{"noProgram", 0, true, 0, 0, false},
                      SourceCase{"shortUser", 0, true, 999, 0, true},
                      SourceCase{"programWithoutRecord", 5000, true, 0, 0, false, true},
                      SourceCase{"none", 0, false, 0, 0, false}),
    [](const auto& info) { return std::string(info.param.name); });

// A settings file with a line too many, of random bytes or in UTF-16: the start reads what it
// can, typing converts and the exit code ends the program.
TEST_F(LoadTest, ADamagedSettingsFileNeverStopsTypingOrTheExitCode) {
  struct Case {
    const char* name;
    std::string bytes;
    bool read;  // whether its settings (候选个数 8) came in
    bool told;
  };
  Settings s;
  s.hxgu = u"8";
  SimPlatform codec;
  const std::u16string record = settingsRecordText(s, SettingsCopy::Program);
  std::string utf16 = "\xFF\xFE";
  for (char16_t c : record) {
    utf16.push_back(static_cast<char>(c & 0xFF));
    utf16.push_back(static_cast<char>(c >> 8));
  }
  std::string random(3000, '\0');
  std::uint32_t seed = 12345;
  for (char& b : random) b = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 24);
  const Case cases[] = {
      {"blank first line", "\r\n" + codec.toGbk(record), true, false},
      {"random bytes", random, false, true},
      {"UTF-16", utf16, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    writeTables();
    ASSERT_TRUE(folder().writeBytes(u"设置记录.ini", c.bytes));
    start();
    EXPECT_EQ(app().mirror.pageSize, c.read ? 8 : 5);
    EXPECT_EQ(!messages().empty(), c.told) << (messages().empty() ? "" : utf8(messages().front()));
    session->type(u"nihk space");
    EXPECT_EQ(utf8(session->target.text), "你好");
    session->type(u"xzvx");
    EXPECT_TRUE(app().loader.stopped());
    session.reset();
    // Written again at the exit, the file reads as it should at the next start.
    start();
    EXPECT_TRUE(messages().empty()) << utf8(messages().front());
    EXPECT_EQ(app().mirror.pageSize, c.read ? 8 : 5);
    session.reset();
    std::filesystem::remove_all(root_);
    SetUp();
  }
}

TEST_F(LoadTest, SchemeLabelsDecideTheInputKindAndOfflineForcesFluencyInEffectOnly) {
  writeTables();
  Settings s;
  s.wbjb.borderStyle = 1;  // 五笔98: 形码输入 whatever line 6 says
  selectOption(s, s.vqdyx);
  s.uhxj = 1;
  writeSettings(u"设置记录.ini", s);
  start();  // the simulated desktop starts offline
  const Settings& in = app().settings;
  EXPECT_TRUE(in.xmur);
  EXPECT_FALSE(in.ymur);
  EXPECT_TRUE(in.lidyx);
  EXPECT_FALSE(in.vqdyx);
  EXPECT_EQ(in.gjxm, 0);
  EXPECT_EQ(in.uhxj, 0);
  // A save keeps the user's choice of algorithm; it is the one in effect once online.
  app().lifecycle->csqid();
  auto written = lines(u"设置记录.ini");
  ASSERT_EQ(written.size(), 96u);
  EXPECT_EQ(written[8], u"流畅度优先=False");
  platform().connected = true;
  app().lifecycle->Form_Load();
  EXPECT_TRUE(app().settings.vqdyx);
  EXPECT_EQ(app().settings.gjxm, 1);
}

TEST_F(LoadTest, BadLexiconLinesAreReportedInOneMessage) {
  writeTables();
  std::u16string lexicon = u"aa,啊 156.726\r\n";
  for (int i = 0; i < 12; ++i) lexicon += u"ab,啊\r\nac,啊 x1\r\n";
  lexicon += u"zz,在 1\r\n";
  write(u"内置文件\\两码词库.txt", lexicon);
  start();
  EXPECT_EQ(messages(), std::vector<std::u16string>{
                            u"词库中第 2、3、4、5、6、7、8、9、10、11 等共 24 行有误？请检查！"});
  EXPECT_EQ(app().lex.mainLexicon.last, 2);
  EXPECT_EQ(app().lex.mainLexicon.codes[2], u"zz");
  EXPECT_FALSE(app().loader.stopped());
}

TEST_F(LoadTest, ATruncatedImageFallsBackToTheTextLexicon) {
  writeTables();
  LexiconTable table;
  table.reset();
  for (const auto& [code, line] : {std::pair{u"aa", u"啊 1"}, std::pair{u"bb", u"不 1"}}) {
    table.codes.push(code);
    table.lines.push(line);
    ++table.last;
  }
  const std::string image = encodeLexiconImage(table, *folder().stamp(kMainLexiconPath));
  // Cut inside the last record.
  ASSERT_TRUE(folder().writeBytes(
      kLexiconImagePath, image.substr(0, lexiconImageRecordsEnd(std::as_bytes(std::span(image.data(), image.size()))) - 5)));
  start();
  EXPECT_EQ(messages(), std::vector<std::u16string>{
                            u"内置文件\\初始化后两码词库.txt 已损坏，本次改用 内置文件\\两码词库.txt，并已重新生成它。"});
  EXPECT_EQ(app().lex.mainLexicon.last, 7);  // the text lexicon
  // The image made again from the text serves the next start.
  session.reset();
  start();
  EXPECT_TRUE(messages().empty());
  EXPECT_EQ(app().lex.mainLexicon.last, 7);
  EXPECT_EQ(bytes(kLexiconImagePath), encodeLexiconImage(app().lex.mainLexicon,
                                                         *folder().stamp(kMainLexiconPath)));
}

TEST_F(LoadTest, AnImageIsPreferredToTheText) {
  writeTables();
  LexiconTable table;
  table.reset();
  table.codes.push(u"aa");
  table.lines.push(u"啊 1");
  table.last = 1;
  ASSERT_TRUE(folder().writeBytes(kLexiconImagePath,
                                  encodeLexiconImage(table, *folder().stamp(kMainLexiconPath))));
  start();
  EXPECT_EQ(app().lex.mainLexicon.last, 1);
}

// Once a sentence is committed, the pages of the mapped image that its lookups read go back to the
// system: never while a code is typed, and not again before the next key.
TEST_F(LoadTest, TheImagePagesGoBackOnceASentenceIsCommitted) {
  writeTables();
  start();
  const std::string image = encodeLexiconImage(app().lex.mainLexicon, *folder().stamp(kMainLexiconPath));
  session.reset();
  ASSERT_TRUE(folder().writeBytes(kLexiconImagePath, image));
  start();
  ASSERT_TRUE(app().lex.mainLexicon.buffer && app().lex.mainLexicon.buffer->file());  // the mapped image
  platform().advance(1000);  // the image's check has run, giving back what it read
  auto& released = *platform().releasedStretches;
  released.clear();
  for (const char16_t* key : {u"n", u"i", u"h", u"k"}) {
    session->type(key);
    platform().advance(150);
  }
  platform().advance(1000);
  EXPECT_TRUE(released.empty());
  session->type(u"space");
  platform().advance(150);
  EXPECT_EQ(session->target.text, u"你好");
  EXPECT_EQ(released, (std::vector<std::pair<std::size_t, std::size_t>>{{0, image.size()}}));
  platform().advance(1000);
  EXPECT_EQ(released.size(), 1u);
}

struct FatalCase {
  const char* name;
  std::u16string_view fullCodes;  // empty: no file
  std::u16string_view message;
};
void PrintTo(const FatalCase& c, std::ostream* os) { *os << c.name; }

class FatalLoadTest : public ProgramFolderTest, public ::testing::WithParamInterface<FatalCase> {};

TEST_P(FatalLoadTest, EndsAfterItsMessage) {
  writeTables();
  std::filesystem::remove(root_ / std::filesystem::path(u8"内置文件/单字全码.txt"));
  if (!GetParam().fullCodes.empty()) write(u"内置文件\\单字全码.txt", GetParam().fullCodes);
  start();
  EXPECT_EQ(messages(), std::vector<std::u16string>{std::u16string(GetParam().message)});
  EXPECT_TRUE(platform().quitRequested);
  EXPECT_FALSE(platform().keyboardHookInstalled());
  EXPECT_FALSE(platform().timerEnabled(app().pass.timer1));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FatalLoadTest,
    ::testing::Values(
        FatalCase{"missing", u"",
                  u"找不到内置文件\\单字全码.txt,你是否仅安装了主程序而没有配套的词库文件？请检查！"},
        FatalCase{"doubleByteCode", u"aa,啊\r\n啊a,的\r\n", u"内置文件\\单字全码.txt啊a  的是否有误？请检查！"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LoadTest, WithoutTheMasterSyllableFileTheStartEndsAtOnce) {
  start();
  EXPECT_EQ(messages().size(), 1u);
  EXPECT_TRUE(platform().quitRequested);
  EXPECT_FALSE(platform().keyboardHookInstalled());
  EXPECT_FALSE(exists(u"用户diy文件\\用户词库.txt"));
}

TEST_F(LoadTest, FullCodesKeepTheLongestAndShapeCodesFillTheAuxiliaryTable) {
  writeTables();
  write(u"内置文件\\单字全码.txt", u"aaa,啊\r\naab,啊\r\nni d,你\r\nnizz,你\r\n");
  Settings s;
  s.xmur = true;
  s.ymur = false;
  writeSettings(u"设置记录.ini", s);
  start();
  const LexiconState& lex = app().lex;
  const auto a = static_cast<std::size_t>(app().gbk.charIndex(u'啊'));
  const auto ni = static_cast<std::size_t>(app().gbk.charIndex(u'你'));
  EXPECT_EQ(lex.charFullCodes[a], u"aaa");
  EXPECT_EQ(lex.charFullCodes[ni], u"nizz");
  EXPECT_EQ(lex.charAuxCodes[a], u"b");   // the last code longer than two letters
  EXPECT_EQ(lex.charAuxCodes[ni], u"zz");
}

// The user lexicon file's four line forms, rebuilt and written back.
TEST_F(LoadTest, UserLexiconLinesInTheirFourForms) {
  writeTables();
  writeLines(u"用户diy文件\\用户词库.txt",
             {u"aa,啊 12", u"zz,在", u"我 12", u"你", u",的 3", u"", u"龘 5"});
  start();
  const LexiconTable& user = app().lex.userLexicon;
  std::map<std::u16string, std::u16string> entries;
  for (std::int32_t i = 1; i <= user.last; ++i) {
    entries[std::u16string(user.codes[static_cast<std::size_t>(i)])] =
        std::u16string(user.lines[static_cast<std::size_t>(i)]);
  }
  ASSERT_EQ(entries.size(), 4u) << utf8(text(u"用户diy文件\\用户词库.txt"));
  // The rebuild writes every weight below 100 with one leading "0".
  EXPECT_EQ(entries[u"aa"], u"啊 012");
  EXPECT_EQ(entries[u"wo"], u"我 012");
  for (const auto& [code, word] : {std::pair{u"zz", u"在 0"}, std::pair{u"ni", u"你 0"}}) {
    const std::u16string line = entries[code];
    ASSERT_GT(line.size(), 4u) << utf8(code);
    EXPECT_EQ(line.substr(0, 3), word);
    const double weight = std::stod(utf8(line.substr(2)));
    EXPECT_GE(weight, 80);
    EXPECT_LE(weight, 90);
  }
  // The same file gives the same weights in every run.
  const std::u16string written = text(u"用户diy文件\\用户词库.txt");
  session.reset();
  start();
  EXPECT_EQ(text(u"用户diy文件\\用户词库.txt"), written);
}

TEST_F(LoadTest, PrivilegedCodesLiveInMemoryOnly) {
  writeTables();
  Settings s;
  s.zrspbt = 1;
  writeSettings(u"设置记录.ini", s);
  writeLines(u"用户diy文件\\特权码表.txt", {u"d_,的,*", u"wo,我", u"1"});
  start();
  const PrivilegedCodeTable& t = app().lex.privileged;
  ASSERT_EQ(t.tqgu, 2);
  EXPECT_EQ(t.privilegedFlags[1], u"de");
  EXPECT_EQ(t.privilegedFlags[2], u"1");  // a record may run over two lines
  EXPECT_EQ(t.yjjmcn, u"的");
  EXPECT_EQ(app().lex.userLexicon.last, 2);
  EXPECT_EQ(app().lex.userLexicon.lines[1], u"的 01");
  EXPECT_EQ(text(u"用户diy文件\\用户词库.txt"), u"");
  app().lifecycle->Form_Load();
  EXPECT_EQ(app().lex.userLexicon.last, 2);  // a reload does not add them twice
}

// Under full pinyin a privileged code is the code of the cloud's text for its letters; without
// an answer only the character set aside is left of it.
TEST_F(LoadTest, AFullPinyinPrivilegedCodeWithoutACloudAnswerKeepsItsLastCharacter) {
  writeTables();
  Settings s;
  s.zrspbt = 1;
  s.qrpn.borderStyle = 1;
  writeSettings(u"设置记录.ini", s);
  writeLines(u"用户diy文件\\特权码表.txt", {u"de_,的,*"});
  start();
  EXPECT_EQ(app().loader.skippedPrivilegedCodes(), 0);
  ASSERT_EQ(app().lex.userLexicon.last, 1);
  EXPECT_EQ(app().lex.userLexicon.codes[1], u"_");
  EXPECT_EQ(app().lex.privileged.privilegedFlags[1], u"de");
}

// Under 小鹤双拼 a privileged code is written in 小鹤 and translated pair by pair; a pair without
// an entry and the last character outside a to z stay as written.
TEST_F(LoadTest, PrivilegedCodesAreTranslatedFromTheLayoutInUse) {
  writeTables();
  Settings s;
  s.zrspbt = 1;
  s.zrhx.borderStyle = 0;
  s.vxbf.borderStyle = 0;
  s.xhhx.borderStyle = 1;
  writeSettings(u"设置记录.ini", s);
  writeLines(u"用户diy文件\\特权码表.txt", {u"hc,郝,*", u"nihc_,你好,1", u"hc;,号,2"});
  start();
  const PrivilegedCodeTable& table = app().lex.privileged;
  ASSERT_EQ(table.tqgu, 3);
  EXPECT_EQ(table.privilegedCodes[1], u"hk");
  EXPECT_EQ(table.privilegedCodes[2], u"nihk_");
  EXPECT_EQ(table.privilegedCodes[3], u"hk;");
  const auto steps = session->type(u"hc");
  // 郝 is the first candidate, before the lexicon's 好.
  const std::u16string list = steps.back().boxes.hxl.text;
  EXPECT_NE(list.find(u'郝'), std::u16string::npos) << toUtf8(list);
  EXPECT_LT(list.find(u'郝'), list.find(u'好')) << toUtf8(list);
}

// A supplied two-code lexicon is the user lexicon; the load writes nothing, the exit saves it
// with the words learned into 用户词库.txt, whose earlier text is kept once beside it, and the
// next start finds those words again.
TEST_F(LoadTest, ASuppliedTwoCodeLexiconKeepsTheWordsLearnedWithIt) {
  writeTables();
  writeLines(u"用户diy文件\\用户两码词库.txt", {u"aa,啊 3", u"ni,你 2"});
  writeLines(u"用户diy文件\\用户词库.txt", {u"wowo,我我 3"});
  const auto before = bytes(u"用户diy文件\\用户词库.txt");
  start();
  EXPECT_EQ(app().lex.userLexicon.last, 2);
  EXPECT_EQ(app().lex.userLexicon.codes[1], u"aa");
  EXPECT_EQ(messages().size(), 1u);
  EXPECT_EQ(bytes(u"用户diy文件\\用户词库.txt"), before);
  EXPECT_EQ(bytes(kUserLexiconBeforeSuppliedPath), before);
  app().wordLearning.zdzyhc(u"你好");
  app().lifecycle->ended();
  session.reset();

  start();
  EXPECT_TRUE(messages().empty()) << utf8(messages().front());
  const LexiconTable& user = app().lex.userLexicon;
  std::vector<std::u16string> codes;
  for (std::int32_t i = 1; i <= user.last; ++i) codes.emplace_back(user.codes[static_cast<std::size_t>(i)]);
  EXPECT_EQ(codes, (std::vector<std::u16string>{u"aa", u"ni", u"nihk"}));
  EXPECT_EQ(bytes(kUserLexiconBeforeSuppliedPath), before);
  session.reset();
}

TEST_F(LoadTest, AnEmptyAlphabetBoxPublishesTheLettersAndTheAuxiliarySet) {
  writeTables();
  Settings s;
  s.mayrji = u"";
  s.fumayrji = u"0123";
  writeSettings(u"设置记录.ini", s);
  start();
  EXPECT_EQ(app().pass.codeChars, u"abcdefghijklmnopqrstuvwxyz0123");
}

}  // namespace
}  // namespace yz


namespace yz {
namespace {

TEST_F(LoadTest, AMissingSingleCharacterLexiconIsRegeneratedAndCommittedOnce) {
  writeTables();
  std::filesystem::remove(root_ / std::filesystem::path(u8"内置文件/单字字库.txt"));
  writeLines(u"用户diy文件\\用户词库.txt", {u"wowo,我我 3"});
  start();
  EXPECT_TRUE(messages().empty());
  const std::u16string regenerated = text(u"内置文件\\单字字库.txt");
  EXPECT_NE(regenerated.find(u"a,啊 100.001"), std::u16string::npos) << toUtf8(regenerated);
  EXPECT_NE(regenerated.find(u"ni,你 1"), std::u16string::npos);
  EXPECT_GT(app().lex.charLexicon.last, 0);
  // The settings were committed into both folders; the user lexicon file kept its words.
  EXPECT_EQ(bytes(u"设置记录.ini"), bytes(u"用户diy文件\\设置记录.ini"));
  EXPECT_NE(text(u"用户diy文件\\用户词库.txt").find(u"wowo,我我 03"), std::u16string::npos);
  EXPECT_FALSE(exists(u"dzmb.ls"));
  EXPECT_FALSE(exists(u"用户diy文件\\两码词排序后.txt"));
  EXPECT_FALSE(app().mirror.auxSchemeChanged);
}

}  // namespace
}  // namespace yz
