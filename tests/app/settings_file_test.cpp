#include <gtest/gtest.h>

#include <filesystem>

#include "app/settings_file.h"
#include "lexicon/files.h"
#include "platform/sim/sim_platform.h"
#include "../support/test_folder.h"

namespace yz {
namespace {

std::vector<std::u16string> linesOf(std::u16string_view text) {
  std::vector<std::u16string> out;
  for (auto l : splitLines(text)) out.emplace_back(l);
  return out;
}

// A default record with some lines replaced (1-based line number → whole line).
std::u16string recordWith(std::initializer_list<std::pair<int, std::u16string>> changes) {
  auto lines = linesOf(settingsRecordText(Settings{}, SettingsCopy::Program));
  for (const auto& [n, line] : changes) lines[static_cast<std::size_t>(n - 1)] = line;
  return joinLines(lines);
}

TEST(SettingsRecord, DefaultsWriteNinetySixLines) {
  auto program = linesOf(settingsRecordText(Settings{}, SettingsCopy::Program));
  auto user = linesOf(settingsRecordText(Settings{}, SettingsCopy::User));
  ASSERT_EQ(program.size(), 96u);
  EXPECT_EQ(program[0], u"全句造词=0");
  EXPECT_EQ(program[5], u"音码输入=True");
  EXPECT_EQ(program[15], u"自造词词长范围=2到7");
  EXPECT_EQ(program[26], u"52顶=1");
  EXPECT_EQ(user[26], u"句末选重上屏=1");
  EXPECT_EQ(program[46], u"快捷候选键=;'[]\\");
  EXPECT_EQ(program[50], u"瞬改自定义键值=按键码");
  EXPECT_EQ(program[84], u"编码码元集=abcdefghijklmnopqrstuvwxyz ");
  EXPECT_EQ(program[95], u"偏旁辅助码=0");
  for (std::size_t i = 0; i < program.size(); ++i) {
    if (i != 26) {
      EXPECT_EQ(program[i], user[i]);
    }
  }
}

TEST(SettingsRecord, RoundTripKeepsEveryControl) {
  Settings s;
  s.qjzc = 1;
  s.ilmvj = false;
  s.smvj = true;
  s.auxOrder = {true, false, false};
  s.zrhx.borderStyle = 1;
  s.wordLengthRange = u"3到9";
  s.dqsj = u"ti=me";  // an equals sign in a value survives
  s.mayrji = u"abcdefghijklmnopqrstuvwxyz_";
  s.fumayrji = u"0123456789";
  s.hxgu = u"7";
  s.jjfvm.borderStyle = 1;
  Settings back;
  CompositionState comp;
  inuvjl(settingsRecordText(s, SettingsCopy::User), back, comp);
  EXPECT_EQ(settingsRecordText(back, SettingsCopy::Program), settingsRecordText(s, SettingsCopy::Program));
  EXPECT_TRUE(back.smvj);
  EXPECT_FALSE(back.ilmvj);
  EXPECT_EQ(back.dqsj, u"ti=me");
}

TEST(SettingsRecord, ReaderRules) {
  struct Case {
    const char* what;
    std::u16string record;
    std::function<void(const Settings&, const CompositionState&)> check;
  };
  const Case cases[] = {
      {"line 12 is always ticked", recordWith({{12, u"快选键上屏=0"}}),
       [](const Settings& s, const CompositionState&) { EXPECT_EQ(s.kxup, 1); }},
      {"short word-length window", recordWith({{16, u"自造词词长范围=25"}}),
       [](const Settings& s, const CompositionState&) { EXPECT_EQ(s.wordLengthRange, u"2到7"); }},
      {"window without 到", recordWith({{16, u"自造词词长范围=3-9"}}),
       [](const Settings& s, const CompositionState&) { EXPECT_EQ(s.wordLengthRange, u"2到7"); }},
      {"placeholder key code keeps the cell", recordWith({{51, u"瞬改自定义键值=按键码"}}),
       [](const Settings& s, const CompositionState& c) {
         EXPECT_EQ(s.ugjv, u"按键码");
         EXPECT_EQ(c.modifyKeyCode, 0);
       }},
      {"captured key code", recordWith({{51, u"瞬改自定义键值=162"}, {53, u"切换输入法自定义键值=192"}}),
       [](const Settings& s, const CompositionState& c) {
         EXPECT_EQ(s.ugjv, u"162");
         EXPECT_EQ(c.modifyKeyCode, 162);
         EXPECT_EQ(c.switchKeyCode, 192);
       }},
      {"main set only keeps the auxiliary set", recordWith({{85, u"编码码元集=abc"}}),
       [](const Settings& s, const CompositionState&) {
         EXPECT_EQ(s.mayrji, u"abc");
         EXPECT_EQ(s.fumayrji, u"kept");
       }},
      {"keys are not compared", recordWith({{3, u"whatever=1"}}),
       [](const Settings& s, const CompositionState&) { EXPECT_EQ(s.dzzc, 1); }},
      {"later option of a group wins", recordWith({{25, u"纯两码整句=True"}, {90, u"三码整句=True"}}),
       [](const Settings& s, const CompositionState&) {
         EXPECT_TRUE(s.smvj);
         EXPECT_FALSE(s.ilmvj);
       }},
      {"values that do not convert are skipped",
       recordWith({{1, u"全句造词=x"}, {2, u"智能造词=7"}, {30, u"声韵辅数=2"}, {4, u"混输整句模式=maybe"}}),
       [](const Settings& s, const CompositionState&) {
         EXPECT_EQ(s.qjzc, 0);
         EXPECT_EQ(s.fczc, 1);
         EXPECT_EQ(s.vxbf.borderStyle, 0);
         EXPECT_FALSE(s.huvj);
       }},
      {"a field ends at a comma", recordWith({{1, u"  全句造词=1,junk"}}),
       [](const Settings& s, const CompositionState&) { EXPECT_EQ(s.qjzc, 1); }},
      {"a truncated file keeps the rest", u"全句造词=1\r\n智能造词=0\r\n",
       [](const Settings& s, const CompositionState&) {
         EXPECT_EQ(s.qjzc, 1);
         EXPECT_EQ(s.fczc, 0);
         EXPECT_EQ(s.hxgu, u"5");
         EXPECT_EQ(s.wordLengthRange, u"2到7");
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Settings s;
    s.fumayrji = u"kept";
    CompositionState comp;
    inuvjl(c.record, s, comp);
    c.check(s, comp);
  }
}

// A value a line does not allow leaves its control as it is (the value of an earlier read, a
// reload); "nan" and "inf" are no numbers, and no number but 0 and 1 is a check box or a border.
TEST(SettingsRecord, ValuesALineDoesNotAllowLeaveTheControl) {
  Settings s;
  s.gbgs = 1;
  s.qrpn.borderStyle = 1;
  s.Text6.backColour = 255;
  CompositionState comp;
  inuvjl(recordWith({{8, u"光标跟随=-1"},
                     {20, u"竖排候选=inf"},
                     {21, u"横排候选=False"},
                     {90, u"三码整句=nan"},
                     {91, u"全拼=-1"},
                     {4, u"混输整句模式=nan"}}),
         s, comp);
  EXPECT_EQ(s.gbgs, 1);
  EXPECT_FALSE(s.uphx);
  EXPECT_FALSE(s.hphx);
  EXPECT_FALSE(s.smvj);
  EXPECT_TRUE(s.ilmvj);
  EXPECT_FALSE(s.huvj);
  EXPECT_EQ(s.qrpn.borderStyle, 1);
  // An option reads any number but 0 as chosen.
  inuvjl(recordWith({{20, u"竖排候选=-1"}, {21, u"横排候选=0"}, {4, u"混输整句模式=2"}, {25, u"纯两码整句=False"}}),
         s, comp);
  EXPECT_TRUE(s.uphx);
  EXPECT_TRUE(s.huvj);
  // A skin value that is no number leaves its box alone.
  readSkinRecord(u"编码栏背景色=nan\r\n", s);
  EXPECT_EQ(s.Text6.backColour, 255);
}

// A line added or lost moves the lines after it; each is found by its key, the second line of
// the key that two lines carry included.
TEST(SettingsRecord, MovedLinesAreFoundByTheirKeys) {
  Settings written;
  written.qjzc = 1;
  written.lidyx = false;
  written.vqdyx = true;
  written.liyx = u"lcyx";
  written.xzvx = u"tuiu";
  written.jumoxris = 0;
  written.jjfvm.borderStyle = 1;
  auto lines = linesOf(settingsRecordText(written, SettingsCopy::User));
  struct Case {
    const char* what;
    std::vector<std::u16string> lines;
  };
  std::vector<std::u16string> blankFirst = lines;
  blankFirst.insert(blankFirst.begin(), u"");
  std::vector<std::u16string> lost = lines;
  lost.erase(lost.begin() + 40);  // line 41 gone
  const Case cases[] = {{"blank first line", blankFirst}, {"a line lost", lost}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Settings s;
    CompositionState comp;
    ASSERT_TRUE(inuvjl(joinLines(c.lines), s, comp));
    EXPECT_EQ(s.qjzc, 1);
    EXPECT_TRUE(s.ymur);
    EXPECT_EQ(s.xzvx, u"tuiu");
    EXPECT_EQ(s.jumoxris, 0);
    EXPECT_EQ(s.jjfvm.borderStyle, 1);
    EXPECT_FALSE(s.lidyx);
    EXPECT_EQ(s.liyx, u"lcyx");
  }
}

TEST(SettingsRecord, TextWithoutAnyKeyIsNoRecord) {
  Settings s;
  s.hxgu = u"7";
  CompositionState comp;
  EXPECT_FALSE(inuvjl(u"\u9396\u6d93=1\r\n\u00ff\u00fe\r\nxzvx\r\n", s, comp));
  EXPECT_FALSE(inuvjl(u"", s, comp));
  EXPECT_EQ(s.hxgu, u"7");
  EXPECT_EQ(s.xzvx, u"xzvx");
}

TEST(SkinRecord, WritesAndReadsTwelveValues) {
  Settings s;
  auto lines = linesOf(skinRecordText(s));
  ASSERT_EQ(lines.size(), 12u);
  EXPECT_EQ(lines[2], u"候选字词栏背景色=-2147483644");
  EXPECT_EQ(lines[6], u"编码栏字号=10.5");
  EXPECT_EQ(lines[7], u"整句栏结果字号=12");
  EXPECT_EQ(lines[10], u"整句栏结果字体=楷体");

  s.Text6 = {255, -2147483640, 9, u"黑体", false};
  Settings back;
  readSkinRecord(skinRecordText(s), back);
  EXPECT_EQ(back.Text6.backColour, 255);
  EXPECT_EQ(back.Text6.foreColour, -2147483640);
  EXPECT_EQ(back.Text6.fontSize, 9);
  EXPECT_EQ(back.Text6.fontName, u"黑体");

  Settings bad;
  readSkinRecord(u"编码栏背景色=red\r\n整句栏结果背景色=1\r\n", bad);
  EXPECT_EQ(bad.Text6.backColour, 16777215);
  EXPECT_EQ(bad.Text4.backColour, 1);
}

TEST(SettingsFiles, WritersPutBothRecordsInTheirFolder) {
  testing_support::TestFolder root("yz-settings-");
  ProgramFolder files(root.path());
  SimPlatform sim;
  Settings s;
  EXPECT_TRUE(uvjl(files, sim, s));
  EXPECT_FALSE(uvjly(files, sim, s));  // no 用户diy文件 folder yet
  std::filesystem::create_directories(files.path(u"用户diy文件"));
  EXPECT_TRUE(uvjly(files, sim, s));
  auto bytes = files.readBytes(u"用户diy文件\\设置记录.ini");
  ASSERT_TRUE(bytes);
  EXPECT_EQ(sim.fromGbk(*bytes), settingsRecordText(s, SettingsCopy::User));
  EXPECT_TRUE(files.exists(u"界面皮肤.ini"));
}

}  // namespace
}  // namespace yz
