// The race-text analyzer: cutting, scoring, the result board and summary, the window's controls.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "analyzer/analyzer_window.h"
#include "analyzer/race_scoring.h"
#include "ui/status_bar.h"

#include "../app/program_fixture.h"

namespace yz::testing {
namespace {

class AnalyzerTest : public ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    writeTables();
    // A three-character word whose last character differs from the race text's 你好字.
    writeLines(u"内置文件\\两码词库.txt",
               {u"aa,啊 156.726", u"de,的 1 得 5", u"hk,好 2", u"ni,你 1 尼 5", u"nihk,你好 10",
                u"nihkzi,你好在 " + threeCharWeight(), u"wo,我 1", u"zi,在 3 字 4"});
    start();
    platform().settle();
    window = session->analyzer.get();
  }
  virtual std::u16string threeCharWeight() const { return u"10"; }
  ScoringContext scoring() { return ScoringContext{app().lex, app().gbk, app().input.userLookup, 2}; }

  bool shown(std::u16string_view part) const {
    for (const auto& m : session->platform.messageBoxes) {
      if (m.text.find(part) != std::u16string::npos) return true;
    }
    return false;
  }

  AnalyzerWindow* window = nullptr;
};

TEST(RacePieces, CutAtCharactersWithoutCodeAndKeepTwoToTwentyFive) {
  const auto codable = [](char16_t ch) { return ch != u'，' && ch != u'x'; };
  using V = std::vector<std::u16string>;
  EXPECT_EQ(cutRacePieces(u"甲乙，丙", codable), V{u"甲乙"});
  EXPECT_EQ(cutRacePieces(u"，x，", codable), V{});
  EXPECT_EQ(cutRacePieces(std::u16string(25, u'甲'), codable), V{std::u16string(25, u'甲')});
  EXPECT_EQ(cutRacePieces(std::u16string(26, u'甲') + u"，乙丙", codable), V{u"乙丙"});
  EXPECT_EQ(cutRacePieces(u"", codable), V{});
  // Codable signs without a Chinese character are no piece.
  EXPECT_EQ(cutRacePieces(u"ＡＢＣ，１２，甲Ａ", codable), V{u"甲Ａ"});
}

TEST(RaceNumbers, PlainDecimalWithAtMostTwoDecimals) {
  EXPECT_EQ(boardNumber(0), u"0");
  EXPECT_EQ(boardNumber(0.25), u"0.25");
  EXPECT_EQ(boardNumber(9.9), u"9.9");
  EXPECT_EQ(boardNumber(33.33), u"33.33");
  EXPECT_EQ(boardNumber(0.01), u"0.01");
  EXPECT_EQ(boardNumber(100), u"100");
  // 10 differences over 100 characters: the divisor carries one character more.
  RaceTotals t;
  t.charTotal = 100;
  t.diffTotal = 10;
  EXPECT_DOUBLE_EQ(raceSummary(t, 0, 0, u"“砚舟平台”", false, false).overallRate, 9.9);
}

TEST(RaceSummary, WordingVariants) {
  RaceTotals t;
  t.firstPiece = u"甲乙";
  t.charTotal = 99;
  struct Case {
    std::int64_t diffs;
    bool three, fair;
    std::u16string line1;
  };
  const std::u16string tail = u"。 比赛结果存放于《甲乙》";
  const Case cases[] = {
      {5, false, false,
       u"    两码整句赛文结束, 《甲乙》总汉字数 99 个，“砚舟平台”整句识别与原文有差异的汉字共5个，总体差异率  5%！瞬改后平均码长 0" +
           tail + u"两码整句赛文成绩榜中！"},
      {0, false, false,
       u"       两码整句赛文结束, 《甲乙》总汉字数 99 个，“砚舟平台”整句识别与原文有差异的汉字共0个，总体差异率  0%！瞬改后平均码长 0" +
           tail + u"两码整句赛文成绩榜中！"},
      {5, false, true,
       u"    两码整句赛文结束, 《甲乙》总汉字数  99 个，“砚舟平台”整句识别与原文有差异的汉字总共 5个，总体差异率  5%！瞬改后平均码长 0" +
           tail + u"两码整句赛文成绩榜中！"},
      {0, true, true,
       u"       三码整句赛文结束, 《甲乙》总汉字数  99 个，“砚舟平台”整句识别与原文有差异的汉字共 0个，总体差异率  0%！瞬改后平均码长 0" +
           tail + u"三码整句赛文成绩榜中！"},
  };
  for (const Case& c : cases) {
    t.diffTotal = c.diffs;
    const RaceSummary s = raceSummary(t, 0, 2500, u"“砚舟平台”", c.three, c.fair);
    EXPECT_EQ(s.text, c.line1 + u"\r\n    比赛共耗时  2  秒，打字速度为：2970字/分钟！");
  }
  EXPECT_EQ(boardFileName(u"“系统输入法”", u"甲乙", true), u"赛文资料\\“系统输入法”《甲乙》三码整句赛文成绩榜.txt");
}

TEST(RaceDelays, ButtonSequences) {
  std::vector<int> faster;
  for (int ms = 50, i = 0; i < 10; ++i) faster.push_back(ms = fasterKeyDelay(ms));
  EXPECT_EQ(faster, (std::vector<int>{30, 18, 11, 7, 4, 2, 1, 1, 1, 1}));
  std::vector<int> slower;
  for (int ms = 50, i = 0; i < 4; ++i) slower.push_back(ms = slowerKeyDelay(ms));
  EXPECT_EQ(slower, (std::vector<int>{100, 200, 300, 300}));
  std::vector<int> longer;
  for (int ms = 200, i = 0; i < 8; ++i) longer.push_back(ms = longerCommitDelay(ms));
  EXPECT_EQ(longer, (std::vector<int>{250, 312, 390, 488, 610, 762, 952, 1000}));
  EXPECT_EQ(longerCommitDelay(0), 6);
  EXPECT_EQ(shorterCommitDelay(3), 0);
  EXPECT_EQ(shorterCommitDelay(200), 160);
}

TEST_F(AnalyzerTest, DifferenceMarksAndRates) {
  struct Case {
    std::u16string reference, recognised, markedReference, markedResult;
    int count;
    float rate;
  };
  const Case cases[] = {
      {u"甲乙丙丁", u"甲乙戊己", u"甲乙[丙丁]", u"甲乙(戊己)", 2, 50},
      {u"甲乙丙丁", u"甲乙", u"甲乙[丙丁]", u"甲乙()", 2, 50},
      {u"甲乙丙", u"甲乙丙丁戊", u"甲乙丙", u"甲乙丙", 0, 0},
      {u"甲乙丙", u"甲戊丙", u"甲[乙]丙", u"甲(戊)丙", 1, 33.33f},
      {u"甲乙丙", u"戊乙己", u"[甲]乙[丙]", u"(戊)乙(己)", 2, 66.67f},
      {u"甲乙丙丁", u"乙丙丁", u"[甲乙丙丁]", u"(乙丙丁)", 4, 100},
  };
  for (const Case& c : cases) {
    std::u16string ref = c.reference, res = c.recognised;
    std::int32_t count = -1, chars = -1;
    float rate = -1;
    double keys = 0;
    cowusd(scoring(), u"", ref, res, count, rate, chars, keys);
    EXPECT_EQ(ref, c.markedReference);
    EXPECT_EQ(res, c.markedResult);
    EXPECT_EQ(count, c.count);
    EXPECT_FLOAT_EQ(rate, c.rate);
    EXPECT_EQ(chars, static_cast<int>(c.reference.size()));
  }
}

TEST_F(AnalyzerTest, CorrectionPriceByTheStageThatFindsTheCharacter) {
  // 得 is the second candidate of "de": two keys, and one for the sentence.
  std::u16string ref = u"得", res = u"的";
  std::int32_t count = 0, chars = 0;
  float rate = 0;
  double keys = 0;
  cowusd(scoring(), u"de", ref, res, count, rate, chars, keys);
  EXPECT_DOUBLE_EQ(keys, 3);
  // A character no stage finds costs only the sentence key.
  ref = u"字";
  res = u"在";
  keys = 0;
  cowusd(scoring(), u"zi", ref, res, count, rate, chars, keys);
  EXPECT_DOUBLE_EQ(keys, 1);
}

TEST_F(AnalyzerTest, RunThroughThePlatformWritesTheBoardAndSummary) {
  writeLines(u"赛文资料\\两码整句赛文.txt", {u"你好，你好字", u"", u"好，，，"});
  platform().messageBoxAnswers.push_back(MessageBoxAnswer::No);
  window->open();
  window->Label4_Click();

  EXPECT_EQ(lines(u"赛文资料\\两码整句赛文纯汉字.txt"), (std::vector<std::u16string>{u"你好", u"你好字"}));
  const std::u16string boardName = u"赛文资料\\“砚舟平台”《你好》两码整句赛文成绩榜.txt";
  ASSERT_TRUE(exists(boardName));
  EXPECT_FALSE(exists(u"赛文资料\\两码整句赛文成绩榜.txt"));
  // 字 shares its code with 在, which comes first: one difference in five characters; ten code
  // letters and one correction key (字 is in no single-character line) over 5 + 1 characters.
  const std::u16string rate = boardNumber(std::floor(1.0 / 6 * 10000 + 0.5) / 100);
  const std::u16string avg = boardNumber(std::floor(11.0 / 6 * 100 + 0.5) / 100);
  EXPECT_EQ(rate, u"16.67");
  EXPECT_EQ(avg, u"1.83");
  const std::vector<std::u16string> expected{
      u"原文句子：你好[字]",
      u"识别结果：你好(在)",
      u"自动编码：nihkzi",
      u"识别差异：1个, 差异率33.33%",
      u"",
      u"    两码整句赛文结束, 《你好》总汉字数 5 个，“砚舟平台”整句识别与原文有差异的汉字共1个，总体差异率  " + rate +
          u"%！瞬改后平均码长 " + avg + u"。 比赛结果存放于《你好》两码整句赛文成绩榜中！",
      u"    比赛共耗时  0.01  秒，打字速度为：30000字/分钟！"};
  EXPECT_EQ(lines(boardName), expected);
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0], expected[5] + u"\r\n" + expected[6] +
                               u"\r\n\r\n       你要继续通过赛打分析器来分析你的整句输入效果吗？");
  EXPECT_EQ(window->controls.text2, u"100%");
  EXPECT_EQ(app().race.raceCorrectionKeys, 0);
  EXPECT_EQ(app().race.raceMode, 0);
  EXPECT_EQ(app().race.raceKeyDelay, 50);
  EXPECT_FALSE(window->visible());
}

// The race text is read in its own encoding; bytes of no known encoding and an oversized file
// are refused with a message, and nothing is raced or learned.
TEST_F(AnalyzerTest, RaceTextInEveryEncodingAndRefusedBytes) {
  const std::u16string race = u"你好，你好字\r\n";
  std::string le, be;
  for (char16_t ch : race) {
    le += {static_cast<char>(ch & 0xFF), static_cast<char>(ch >> 8)};
    be += {static_cast<char>(ch >> 8), static_cast<char>(ch & 0xFF)};
  }
  std::string big(kRaceTextLimit + 1, 'a');
  struct Case {
    const char* what;
    std::string bytes;
    std::vector<std::u16string> pieces;
    const char16_t* message;
  };
  const Case cases[] = {
      {"GBK", platform().toGbk(race), {u"你好", u"你好字"}, nullptr},
      {"UTF-8", toUtf8(race), {u"你好", u"你好字"}, nullptr},
      {"UTF-8 with its mark", "\xEF\xBB\xBF" + toUtf8(race), {u"你好", u"你好字"}, nullptr},
      {"UTF-16 with its mark", "\xFF\xFE" + le, {u"你好", u"你好字"}, nullptr},
      {"UTF-16 without a mark", le, {u"你好", u"你好字"}, nullptr},
      {"UTF-16 big-endian without a mark", be, {u"你好", u"你好字"}, nullptr},
      {"binary", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\xD6\xD0\xFF\x01", 20), {},
       u"赛文资料\\两码整句赛文.txt 不是 GBK、UTF-8 或 UTF-16 编码"},
      {"oversized", big, {}, u"字节，赛文最多读入 1048576 字节，这次没有比赛。"},
  };
  const std::string userFile = bytes(u"用户diy文件\\用户词库.txt").value_or("");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(folder().writeBytes(u"赛文资料\\两码整句赛文.txt", c.bytes));
    platform().messageBoxAnswers.push_back(MessageBoxAnswer::No);
    window->open();
    window->Label4_Click();
    EXPECT_EQ(lines(u"赛文资料\\两码整句赛文纯汉字.txt"), c.pieces);
    if (c.message) {
      EXPECT_TRUE(shown(c.message));
      EXPECT_EQ(bytes(u"用户diy文件\\用户词库.txt").value_or(""), userFile);
    }
  }
}

TEST_F(AnalyzerTest, ExactRunWritesOnlyTheSummaryWithTheBelowOneWording) {
  writeLines(u"赛文资料\\两码整句赛文.txt", {u"你好"});
  app().race.gpsd = 1;
  platform().messageBoxAnswers.push_back(MessageBoxAnswer::No);
  window->open();
  window->Label4_Click();
  const auto board = lines(u"赛文资料\\“  砚舟平台”《你好》两码整句赛文成绩榜.txt");
  ASSERT_EQ(board.size(), 2u);
  EXPECT_EQ(board[0], u"       两码整句赛文结束, 《你好》总汉字数  2 个，“  砚舟平台”整句识别与原文有差异的汉字共 0个，"
                      u"总体差异率  0%！瞬改后平均码长 1.33。 比赛结果存放于《你好》两码整句赛文成绩榜中！");
}

TEST_F(AnalyzerTest, StopBeforeTheFirstPieceGivesEmptyTotals) {
  writeLines(u"赛文资料\\两码整句赛文.txt", {u"你好", u"我的"});
  app().comp.pendingCommand = kPendingStop;
  app().race.raceMethodLabel = u"“砚舟平台”";
  window->analyzer.sdq();
  EXPECT_TRUE(exists(u"赛文资料\\“砚舟平台”《》两码整句赛文成绩榜.txt"));
  EXPECT_EQ(app().comp.pendingCommand, 0);
  EXPECT_EQ(window->analyzer.totals.charTotal, 0);
}

TEST_F(AnalyzerTest, PauseIdlesUntilContinueAndStartIsRefusedDuringARun) {
  writeLines(u"赛文资料\\两码整句赛文.txt", {u"你好", u"你好"});
  platform().messageBoxAnswers.push_back(MessageBoxAnswer::No);
  window->open();
  app().comp.pendingCommand = kPendingPause;
  int idleTurns = 0;
  // The pause holds the run at its first test; a click on 继续 lets it go on; a click on 开打吧！
  // meanwhile starts nothing.
  Platform::TimerId t = platform().createTimer([&] {
    if (++idleTurns == 3) {
      window->Label4_Click();
      window->Command3_Click();
    }
  });
  platform().setTimer(t, 20, true);
  window->Label4_Click();
  platform().setTimer(t, 20, false);
  EXPECT_GE(idleTurns, 3);
  EXPECT_EQ(window->analyzer.totals.charTotal, 4);
  EXPECT_EQ(messages().size(), 1u);
}

// The system input method's road: the platform's hook is gone, the analyzer types each code as
// key events, and an input method standing in for the system's commits what it recognised into
// the window's text box on Space.
TEST_F(AnalyzerTest, RunThroughTheSystemInputMethodTypesTheCodes) {
  writeLines(u"赛文资料\\两码整句赛文.txt", {u"你好，我的字"});
  app().input.hook.removeKeyboardHook();
  ASSERT_EQ(app().win.platformLabel, kSystemCaption);
  const std::map<std::u16string, std::u16string> echo{{u"nihk", u"你好"}, {u"wodezi", u"我的在"}};
  std::u16string typed;
  std::vector<std::u16string> codes;
  platform().installKeyboardHook([&](const KeyEvent& e) {
    if (!e.down) return HookAnswer::Withhold;
    if (e.vkCode >= 'A' && e.vkCode <= 'Z') typed += static_cast<char16_t>(e.vkCode - 'A' + 'a');
    if (e.vkCode == 32) {
      codes.push_back(typed);
      auto it = echo.find(typed);
      for (SimForm* f : platform().forms()) {
        if (f->control(u"Label4")) {
          f->fire(formEvent(FormEventKind::Change, u"Text1", it == echo.end() ? u"" : it->second));
        }
      }
      typed.clear();
    }
    return HookAnswer::Withhold;
  });
  platform().messageBoxAnswers.push_back(MessageBoxAnswer::No);
  window->open();
  window->Label4_Click();
  EXPECT_EQ(codes, (std::vector<std::u16string>{u"nihk", u"wodezi"}));
  const auto board = lines(u"赛文资料\\“系统输入法”《你好》两码整句赛文成绩榜.txt");
  ASSERT_EQ(board.size(), 7u);
  EXPECT_EQ(board[0], u"原文句子：我的[字]");
  EXPECT_EQ(board[1], u"识别结果：我的(在)");
  // Each letter waits twice the key interval, each commit the commit delay plus 15 ms a letter
  // before Space and the key interval and commit delay after it: 10 letters, 2 commits.
  const int ms = 10 * 2 * 50 + 2 * (200 + 50 + 200) + 15 * 10;
  EXPECT_NE(board[6].find(u"比赛共耗时  " + boardNumber(ms / 1000) + u"  秒"), std::u16string::npos) << ms;
}

// 独霸焦点 gives the text box the focus before each commit, so what the system input method
// commits into the focused window lands in the box; without it the commit goes to the program
// that had the focus and the box stays empty.
TEST_F(AnalyzerTest, TheBoxHoldingTheFocusTakesTheSystemInputMethodsCommit) {
  writeLines(u"赛文资料\\两码整句赛文.txt", {u"你好"});
  app().input.hook.removeKeyboardHook();
  const WindowId notepad = platform().foregroundWindow();
  for (int dbjd : {1, 0}) {
    SCOPED_TRACE(dbjd);
    platform().focus(notepad);
    // The stand-in input method commits 你好 on Space into whatever has the focus.
    platform().installKeyboardHook([&](const KeyEvent& e) {
      if (!e.down || e.vkCode != 32) return HookAnswer::Withhold;
      const WindowId focus = platform().foregroundWindow();
      if (SimWindow* w = platform().window(focus)) w->text += u"你好";
      for (SimForm* f : platform().forms()) {
        if (f->id() == focus) f->fire(formEvent(FormEventKind::Change, f->focusedControl(), u"你好"));
      }
      return HookAnswer::Withhold;
    });
    platform().messageBoxAnswers.push_back(MessageBoxAnswer::No);
    window->open();
    window->controls.dbjd = dbjd;
    window->Label4_Click();
    const auto board = lines(u"赛文资料\\“系统输入法”《你好》两码整句赛文成绩榜.txt");
    ASSERT_FALSE(board.empty());
    EXPECT_EQ(board[0].starts_with(u"原文句子"), dbjd == 0);
  }
}

// The fair-race rebuild reads each line form of the user lexicon file on its own terms, and the
// privileged codes always come in with weight 1.
TEST_F(AnalyzerTest, FairRaceRebuildReadsEveryLineForm) {
  writeLines(u"用户diy文件\\用户词库.txt",
             {u"abab,你好", u"cdcd,你好 5", u"你好我的 3", u"你甲好 7", u"我的", u""});
  writeLines(u"用户diy文件\\特权码表.txt", {u"zz,我,*"});
  app().settings.zrspbt = 0;  // read all the same
  app().loader.rebuildUserLexicon();
  std::map<std::u16string, std::vector<std::u16string>> entries;
  const LexiconTable& user = app().lex.userLexicon;
  for (std::int32_t i = 1; i <= user.last; ++i) {
    entries[std::u16string(user.codes[static_cast<std::size_t>(i)])].emplace_back(user.lines[static_cast<std::size_t>(i)]);
  }
  // Word and weight of a candidate text "word weight"; the weight as a number.
  const auto weightOf = [&](std::u16string_view code) {
    const std::u16string& line = entries.at(std::u16string(code)).at(0);
    return std::stod(toUtf8(line.substr(line.find(u' ') + 1)));
  };
  EXPECT_EQ(entries[u"abab"].at(0).substr(0, 3), u"你好 ");
  EXPECT_GE(weightOf(u"abab"), 100);
  EXPECT_LT(weightOf(u"abab"), 110);
  // The merge writes weights below 100 with a leading 0.
  EXPECT_EQ(entries[u"cdcd"], (std::vector<std::u16string>{u"你好 05"}));
  EXPECT_EQ(entries[u"nihkwode"], (std::vector<std::u16string>{u"你好我的 03"}));
  // An eight-letter code: also under three initials and the code's last two letters, and under
  // all four initials, each with a weight of 140 to 150.
  for (std::u16string_view code : {u"nhwde", u"nhwd"}) {
    SCOPED_TRACE(toUtf8(code));
    ASSERT_EQ(entries.count(std::u16string(code)), 1u);
    EXPECT_EQ(entries[std::u16string(code)].at(0).substr(0, 5), u"你好我的 ");
    EXPECT_GE(weightOf(code), 140);
    EXPECT_LT(weightOf(code), 150);
  }
  // A character without a full code is left out of the code, not the word.
  ASSERT_EQ(entries.count(u"nihk"), 1u);
  EXPECT_EQ(entries[u"nihk"].at(0), u"你甲好 07");
  EXPECT_GE(weightOf(u"wode"), 100);
  EXPECT_LT(weightOf(u"wode"), 110);
  EXPECT_EQ(entries[u"zz"], (std::vector<std::u16string>{u"我 01"}));
  EXPECT_EQ(app().lex.privileged.privilegedFlags.at(1), u"wo");
}

TEST_F(AnalyzerTest, SettingsDialogButtonOpensTheWindow) {
  const WindowId notepad = platform().foregroundWindow();
  app().loader.dialog.show();
  SimForm* dialog = dialogForm(platform());
  ASSERT_NE(dialog, nullptr);
  dialog->fire(formEvent(FormEventKind::Click, u"Command29"));
  platform().settle();
  EXPECT_FALSE(app().loader.dialog.visible());
  EXPECT_EQ(app().race.raceMode, 1);
  SimForm* form = nullptr;
  for (SimForm* f : platform().forms()) {
    if (f->control(u"Label4")) form = f;
  }
  ASSERT_NE(form, nullptr);
  EXPECT_TRUE(form->view().visible);
  EXPECT_EQ(form->control(u"Label5")->text, u"键速 20击/秒");
  EXPECT_EQ(form->control(u"Text1")->text, analyzerHelpText());
  // The key speed buttons act through the window.
  form->fire(formEvent(FormEventKind::Click, u"Label1"));
  platform().settle();
  EXPECT_EQ(app().race.raceKeyDelay, 30);
  EXPECT_EQ(form->control(u"Label5")->text, u"键速 33击/秒");
  form->fire(formEvent(FormEventKind::Click, u"Label5"));
  platform().settle();
  EXPECT_EQ(form->control(u"Label5")->text, u"键速 33.3击/秒");
  // Each of the window's buttons leaves the keyboard focus in the text box, where the system
  // input method commits.
  for (std::u16string_view button : {u"Label1", u"Label2", u"Label5", u"Label6", u"Label7", u"Command3", u"Command4"}) {
    SCOPED_TRACE(toUtf8(button));
    platform().focus(notepad);
    form->fire(formEvent(FormEventKind::Click, button));
    platform().settle();
    EXPECT_EQ(platform().foregroundWindow(), form->id());
    EXPECT_EQ(form->focusedControl(), u"Text1");
  }
}

TEST_F(AnalyzerTest, FairRaceRebuildsTheUserLexiconFromItsFileAfterTheRun) {
  writeLines(u"赛文资料\\两码整句赛文.txt", {u"你好"});
  writeLines(u"用户diy文件\\用户词库.txt", {u"abab,你好 1"});
  const auto hasCode = [&](std::u16string_view code) {
    const LexiconTable& user = app().lex.userLexicon;
    for (std::int32_t i = 1; i <= user.last; ++i) {
      if (user.codes[static_cast<std::size_t>(i)] == code) return true;
    }
    return false;
  };
  ASSERT_FALSE(hasCode(u"abab"));
  app().race.gpsd = 1;
  platform().messageBoxAnswers.push_back(MessageBoxAnswer::No);
  window->open();
  window->Label4_Click();
  EXPECT_TRUE(hasCode(u"abab"));
  EXPECT_EQ(bytes(u"用户diy文件\\用户词库.txt"), std::optional<std::string>("abab,\xC4\xE3\xBA\xC3 1\r\n"));
}

// With 音码输入 and accuracy first, the cloud services' sentence replaces the words of weight 90 or
// more: the piece's word 你好在 (weight 95) becomes the cloud's 你好字.
class CloudCheckTest : public AnalyzerTest {
 protected:
  std::u16string threeCharWeight() const override { return u"95"; }
};

// Under 纯三码整句 a result of one character for every three code letters fits the code; when it
// does not fit the piece, the piece is typed three times whole and a fourth time cut to its first
// 15 characters, and that cut piece is what is scored.
TEST_F(AnalyzerTest, AResultThatFitsTheCodeButNotThePieceIsTypedAgainAndCutToFifteen) {
  const std::u16string piece = u"你好我的你好我的你好我的你好我的你好";  // 18 characters, 36 letters
  writeLines(u"赛文资料\\两码整句赛文.txt", {piece});
  app().settings.smvj = true;
  app().input.hook.removeKeyboardHook();
  int spaces = 0;
  platform().installKeyboardHook([&](const KeyEvent& e) {
    if (e.down && e.vkCode == 32) {
      ++spaces;
      for (SimForm* f : platform().forms()) {
        if (f->control(u"Label4")) {
          f->fire(formEvent(FormEventKind::Change, u"Text1", std::u16string(12, u'啊')));
        }
      }
    }
    return HookAnswer::Withhold;
  });
  app().race.raceMethodLabel = u"“系统输入法”";
  window->open();
  window->analyzer.sdq();
  EXPECT_EQ(spaces, 4);
  EXPECT_EQ(window->analyzer.totals.processedChars, 15);
  EXPECT_EQ(app().race.raceSentence, piece.substr(0, 15));
}

// A pause asked for while a piece is converted drops that piece after its comparison: its
// characters and differences are not counted and it gets no block; the run idles until 继续 and
// goes on with the next piece.
TEST_F(AnalyzerTest, APauseDuringAConversionDropsThatPiece) {
  writeLines(u"赛文资料\\两码整句赛文.txt", {u"你好，我的"});
  app().input.hook.removeKeyboardHook();
  int spaces = 0;
  std::uint32_t pausedAt = 0;
  platform().installKeyboardHook([&](const KeyEvent& e) {
    if (e.down && e.vkCode == 32) {
      if (++spaces == 1) {
        app().comp.pendingCommand = kPendingPause;  // 暂停/停止 answered Yes
        pausedAt = platform().clockMs();
      }
      for (SimForm* f : platform().forms()) {
        if (f->control(u"Label4")) f->fire(formEvent(FormEventKind::Change, u"Text1", u"啊啊"));
      }
    }
    return HookAnswer::Withhold;
  });
  // 继续 is clicked once the run has idled a while, well after the piece's last wait.
  int idleTurns = 0;
  Platform::TimerId t = platform().createTimer([&] {
    if (app().comp.pendingCommand != kPendingPause || platform().clockMs() - pausedAt < 1000) return;
    if (++idleTurns == 3) window->Command3_Click();
  });
  platform().setTimer(t, 20, true);
  app().race.raceMethodLabel = u"“系统输入法”";
  window->open();
  window->analyzer.sdq();
  platform().setTimer(t, 20, false);
  EXPECT_EQ(spaces, 2);
  EXPECT_EQ(idleTurns, 3);
  EXPECT_EQ(window->analyzer.totals.charTotal, 2);
  EXPECT_EQ(window->analyzer.totals.diffTotal, 2);
  const auto board = lines(u"赛文资料\\“系统输入法”《你好》两码整句赛文成绩榜.txt");
  ASSERT_FALSE(board.empty());
  EXPECT_EQ(board[0], u"原文句子：[我的]");
}

// A system input method that commits nothing: the result's length does not fit the code, so the
// piece is scored as it is after one attempt, not typed again.
TEST_F(AnalyzerTest, AResultThatDoesNotFitTheCodeIsScoredAtOnce) {
  writeLines(u"赛文资料\\两码整句赛文.txt", {u"你好"});
  app().input.hook.removeKeyboardHook();
  int spaces = 0;
  platform().installKeyboardHook([&](const KeyEvent& e) {
    if (e.down && e.vkCode == 32) ++spaces;
    return HookAnswer::Withhold;
  });
  app().race.raceMethodLabel = u"“系统输入法”";
  window->open();
  window->analyzer.sdq();
  EXPECT_EQ(spaces, 1);
  EXPECT_EQ(window->analyzer.totals.diffTotal, 2);
}

// The cloud candidate of the wrong length sends the check on to the input-tools service; a
// candidate of the wrong length from there too gives way to the platform's own result.
TEST_F(CloudCheckTest, TheInputToolsServiceAnswersWhenTheCloudCandidateDoesNotFit) {
  writeLines(u"赛文资料\\两码整句赛文.txt", {u"你好字"});
  app().settings.lidyx = false;
  std::string tools;
  platform().httpHandler = [&](std::u16string_view url) {
    if (url.find(u"/py?") != std::u16string_view::npos) {
      return HttpReply{true, 200, u"text/html; charset=utf-8", "{\"0\":[[[\"\xE4\xBD\xA0\xE5\xA5\xBD\",6]]]}"};
    }
    return HttpReply{true, 200, u"application/json; charset=utf-8", tools};
  };
  app().race.raceMethodLabel = u"“砚舟平台”";
  struct Case {
    std::string toolsAnswer;
    int diffs;
  };
  for (const Case& c : {Case{"\xE4\xBD\xA0\xE5\xA5\xBD\xE5\xAD\x97", 0},
                        Case{"\xE4\xBD\xA0\xE5\xA5\xBD\xE5\xAD\x97\xE5\x95\x8A", 1}}) {
    tools = "[\"SUCCESS\",[[\"nihaozi\",[\"" + c.toolsAnswer + "\"],[]]]";
    window->analyzer.sdq();
    EXPECT_EQ(window->analyzer.totals.diffTotal, c.diffs) << c.toolsAnswer.size();
  }
}

TEST_F(CloudCheckTest, WordsOfHighWeightTakeTheCloudSentence) {
  writeLines(u"赛文资料\\两码整句赛文.txt", {u"你好字"});
  app().settings.lidyx = false;
  platform().httpReplies[u"http://olime.baidu.com/py?rn=0&pn=20&py=ni'hao'zi"] =
      HttpReply{true, 200, u"text/html; charset=utf-8", "{\"0\":[[[\"\xE4\xBD\xA0\xE5\xA5\xBD\xE5\xAD\x97\",6]]]}"};
  app().race.raceMethodLabel = u"“砚舟平台”";
  window->analyzer.sdq();
  ASSERT_EQ(platform().httpRequests.size(), 1u);
  EXPECT_EQ(window->analyzer.totals.diffTotal, 0);
  EXPECT_EQ(window->analyzer.totals.charTotal, 3);
  // Fluency first asks nobody and keeps the platform's word.
  app().settings.lidyx = true;
  window->analyzer.sdq();
  EXPECT_EQ(platform().httpRequests.size(), 1u);
  EXPECT_EQ(window->analyzer.totals.diffTotal, 1);
}

// A stop that comes while a piece is being converted is seen after its comparison: the piece's
// code letters count, its characters and differences do not, and the summary is still written.
TEST_F(AnalyzerTest, StopDuringAConversionEndsTheRunAfterItsComparison) {
  writeLines(u"赛文资料\\两码整句赛文.txt", {u"你好，你好字"});
  app().input.hook.removeKeyboardHook();
  platform().installKeyboardHook([&](const KeyEvent& e) {
    if (e.down && e.vkCode == 32) {
      app().comp.pendingCommand = kPendingStop;  // 暂停/停止 answered No meanwhile
      for (SimForm* f : platform().forms()) {
        if (f->control(u"Label4")) f->fire(formEvent(FormEventKind::Change, u"Text1", u"你好"));
      }
    }
    return HookAnswer::Withhold;
  });
  app().race.raceMethodLabel = u"“系统输入法”";
  window->open();
  window->analyzer.sdq();
  EXPECT_EQ(window->analyzer.totals.codeLetters, 4);
  EXPECT_EQ(window->analyzer.totals.charTotal, 0);
  EXPECT_EQ(app().comp.pendingCommand, 0);
  EXPECT_TRUE(exists(u"赛文资料\\“系统输入法”《你好》两码整句赛文成绩榜.txt"));
}

// Records the sentences handed to word learning.
struct RecordingLearning final : LearningServices {
  void yhck(std::u16string_view) override {}
  void iyzc(std::u16string& marked) override { learned.push_back(marked); }
  std::vector<std::u16string> learned;
};

TEST_F(AnalyzerTest, MismatchesAreLearnedUnlessTheRaceIsFair) {
  writeLines(u"赛文资料\\两码整句赛文.txt", {u"你好，你好字"});
  RecordingLearning learning;
  app().learning = &learning;
  app().race.raceMethodLabel = u"“砚舟平台”";
  window->analyzer.sdq();
  EXPECT_EQ(learning.learned, (std::vector<std::u16string>{u"你好[字]"}));
  learning.learned.clear();
  app().race.gpsd = 1;
  window->analyzer.sdq();
  EXPECT_TRUE(learning.learned.empty());
}

TEST_F(AnalyzerTest, BatchTestCutsLongRunsAtWordBoundaries) {
  // Forty characters recognised as twenty two-character words: the word that would take the
  // sum past 25 starts at 25, so the cut falls after 24.
  std::u16string line;
  for (int i = 0; i < 20; ++i) line += u"你好";
  platform().setClipboardText(line + u"\r\n好，你好字\r\n");
  RecordingLearning learning;
  app().learning = &learning;
  window->analyzer.pmqwzc();
  const auto pieces = lines(u"赛文资料\\两码整句赛文纯汉字.txt");
  ASSERT_EQ(pieces.size(), 3u);
  EXPECT_EQ(pieces[0].size(), 24u);
  EXPECT_EQ(pieces[1].size(), 16u);
  EXPECT_EQ(pieces[0] + pieces[1], line);
  EXPECT_EQ(pieces[2], u"你好字");
  EXPECT_EQ(learning.learned, (std::vector<std::u16string>{u"你好[字]"}));
}

// The batch test asks the input-tools service for each piece when accuracy comes first; a word of
// weight 90 or more takes the candidate's characters, so the piece is no mismatch and nothing is
// learned. Fluency first asks nobody and learns the platform's mistake.
TEST_F(CloudCheckTest, BatchTestMergesTheInputToolsCandidate) {
  platform().setClipboardText(u"你好字");
  std::vector<std::u16string> asked;
  platform().httpHandler = [&](std::u16string_view url) {
    asked.emplace_back(url);
    // The third comma field less three characters in front and two behind is 你好字.
    return HttpReply{true, 200, u"application/json; charset=utf-8",
                     "[\"SUCCESS\",[[\"nihaozi\", [\"\xE4\xBD\xA0\xE5\xA5\xBD\xE5\xAD\x97\"],[]]]"};
  };
  RecordingLearning learning;
  app().learning = &learning;
  app().settings.lidyx = false;
  window->analyzer.pmqwzc();
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_NE(asked[0].find(u"/inputtools/request?ime=pinyin&text="), std::u16string::npos);
  EXPECT_TRUE(learning.learned.empty());
  app().settings.lidyx = true;
  window->analyzer.pmqwzc();
  EXPECT_EQ(asked.size(), 1u);
  EXPECT_EQ(learning.learned, (std::vector<std::u16string>{u"你好[字]"}));
}

TEST_F(AnalyzerTest, BatchTestOfAnEmptyClipboardCutsNothing) {
  platform().setClipboardText(u"");
  RecordingLearning learning;
  app().learning = &learning;
  window->analyzer.pmqwzc();
  EXPECT_EQ(text(u"赛文资料\\两码整句赛文纯汉字.txt"), u"");
  EXPECT_TRUE(learning.learned.empty());
}

}  // namespace
}  // namespace yz::testing

namespace yz::testing {
namespace {

// A race run converts the race text piece by piece, single characters included, as the
// conversion outside a race does.
TEST_F(AnalyzerTest, RaceModeConvertsSentencesOfWordsAndSingleCharacters) {
  struct Case {
    std::u16string code, sentence;
  } cases[] = {
      {u"nihkwode", u"你好我的"},
      {u"wode", u"我的"},
      {u"nihkzi", u"你好在"},
      {u"wonihk", u"我你好"},
  };
  {
    const int raceMode = 1;
    for (const Case& c : cases) {
      SCOPED_TRACE(::testing::PrintToString(c.code) + " race " + std::to_string(raceMode));
      app().race.raceMode = raceMode;
      app().conv.j0 = 1;
      app().conv.wordCounter = 0;
      app().conv.eraseWordTable();
      app().win.boxes.rtext1.text = c.code;
      std::u16string code = c.code, sentence, endzf;
      app().conversion.sentence.fjyi(code, sentence, endzf);
      EXPECT_EQ(sentence, c.sentence);
    }
  }
}

// The mismatches of a race sentence become user words: the wrong 字 lies in the recognised
// 你好在, so the whole piece 你好字 is learned, never the bare character.
TEST_F(AnalyzerTest, MismatchesBecomeUserWordsOfTheRecognisedPieces) {
  const auto userWords = [&] {
    std::vector<std::u16string> words;
    const LexiconTable& user = app().lex.userLexicon;
    for (std::int32_t i = 1; i <= user.last; ++i) {
      const std::u16string_view line = user.lines[static_cast<std::size_t>(i)];
      std::size_t start = 0;
      while (start < line.size()) {
        std::size_t end = line.find(u' ', start);
        if (end == std::u16string_view::npos) end = line.size();
        std::u16string word(line.substr(start, end - start));
        if (!word.empty() && word[0] > 0x7F) words.push_back(word);
        start = end + 1;
      }
    }
    return words;
  };
  ASSERT_TRUE(userWords().empty());
  writeLines(u"赛文资料\\两码整句赛文.txt", {u"你好，你好字"});
  app().race.raceMethodLabel = u"“砚舟平台”";
  window->analyzer.sdq();
  const std::vector<std::u16string> words = userWords();
  EXPECT_NE(std::find(words.begin(), words.end(), u"你好字"), words.end());
  EXPECT_EQ(std::find(words.begin(), words.end(), u"字"), words.end());

  // Called directly in a race: a group inside the first of two pieces widens to that piece.
  app().race.raceMode = 1;
  app().race.raceSentence = u"你好我的";
  app().conv.wordCounter = 2;
  app().conv.wordTable[1] = {u"nihk", u"你好"};
  app().conv.wordTable[2] = {u"wode", u"我的"};
  std::u16string marked = u"你[好]我的";
  app().learning->iyzc(marked);
  const std::vector<std::u16string> after = userWords();
  EXPECT_NE(std::find(after.begin(), after.end(), u"你好"), after.end());
  EXPECT_EQ(std::find(after.begin(), after.end(), u"好"), after.end());
  EXPECT_EQ(app().comp.pendingCommand, 0);
}

// The words of the user lexicon, in its order.
std::vector<std::u16string> userWordsOf(App& app) {
  std::vector<std::u16string> words;
  const LexiconTable& user = app.lex.userLexicon;
  for (std::int32_t i = 1; i <= user.last; ++i) {
    const std::u16string_view line = user.lines[static_cast<std::size_t>(i)];
    std::size_t start = 0;
    while (start < line.size()) {
      std::size_t end = line.find(u' ', start);
      if (end == std::u16string_view::npos) end = line.size();
      std::u16string word(line.substr(start, end - start));
      if (!word.empty() && word[0] > 0x7F) words.push_back(word);
      start = end + 1;
    }
  }
  std::sort(words.begin(), words.end());
  return words;
}

using Words = std::vector<std::u16string>;

// The learning step called directly on a sentence whose recognised words the test sets: what it
// makes of each marked group.
TEST_F(AnalyzerTest, LearningTakesTheRecognisedPiecesAroundEachGroup) {
  struct Case {
    const char* name;
    int raceMode;
    std::u16string sentence, marked;
    std::vector<SentenceWord> words;
    Words learned;
  };
  const Case cases[] = {
      // A group of three characters across two recognised words learns both words together.
      {"two-word span", 1, u"你好我的字", u"你[好我的]字",
       {{u"nihk", u"你好"}, {u"wodezi", u"我的字"}}, {u"你好我的字"}},
      // A one-character piece between two others learns it with each neighbour.
      {"short piece between two", 1, u"你好在我的", u"你好[在]我的",
       {{u"nihk", u"你好"}, {u"zi", u"在"}, {u"wode", u"我的"}}, {u"你好在", u"在我的"}},
      // Outside a race the group itself is learned first, then widened from the reference.
      {"outside a race", 0, u"你好我的", u"你[好我]的",
       {{u"nihk", u"你好"}, {u"wode", u"我的"}}, {u"你好我", u"好我"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(userWordsOf(app()).empty());
    app().race.raceMode = c.raceMode;
    app().comp.pendingCommand = 0;
    app().race.raceSentence = c.sentence;
    app().conv.eraseWordTable();
    app().conv.wordCounter = static_cast<std::int32_t>(c.words.size());
    for (std::size_t i = 0; i < c.words.size(); ++i) app().conv.wordTable[i + 1] = c.words[i];
    std::u16string marked = c.marked;
    app().learning->iyzc(marked);
    EXPECT_EQ(userWordsOf(app()), c.learned);
    EXPECT_EQ(marked, c.marked);
    EXPECT_EQ(app().comp.pendingCommand, 0);
    app().lex.userLexicon.reset();
  }
}

// A two-word span shorter than the shortest word made is not learned itself; when the main
// lexicon holds it behind another word of its code, it widens by its shorter neighbour, and that
// is learned.
TEST_F(AnalyzerTest, LearningWidensASpanTheLexiconHoldsBehindAnotherWord) {
  LexiconTable& main = app().lex.mainLexicon;
  std::size_t at = 1;
  while (at <= static_cast<std::size_t>(main.last) && main.codes[at] < std::u16string_view(u"nihkwode")) ++at;
  main.insertEntry(at, u"nihkwode", u"你好我得 10 你好我的 20");
  app().conv.wordMinLen = 5;
  app().conv.wordMaxLen = 7;
  app().race.raceMode = 1;
  app().comp.pendingCommand = 0;
  app().race.raceSentence = u"在你好我的字";
  app().conv.eraseWordTable();
  const SentenceWord words[] = {{u"zi", u"在"}, {u"nihk", u"你好"}, {u"wode", u"我的"}, {u"zi", u"字"}};
  app().conv.wordCounter = 4;
  for (std::size_t i = 0; i < 4; ++i) app().conv.wordTable[i + 1] = words[i];
  std::u16string marked = u"在你[好我的]字";
  app().learning->iyzc(marked);
  EXPECT_EQ(userWordsOf(app()), Words{u"在你好我的"});
}

// The article word maker hands its pieces over: the marked text replaces the argument, the
// pieces are its tokens, and the hand-over stays set.
TEST_F(AnalyzerTest, LearningTakesTheWordMakersHandOver) {
  app().comp.pendingCommand = kPendingLearnMarked;
  app().race.raceCommittedPieces = u"你好 我的";
  app().race.raceMarkedText = u"你[好]我的";
  std::u16string marked = u"other";
  app().learning->iyzc(marked);
  EXPECT_EQ(marked, u"你[好]我的");
  EXPECT_EQ(app().comp.pendingCommand, kPendingLearnMarked);
  EXPECT_EQ(userWordsOf(app()), Words{u"你好"});
}

}  // namespace
}  // namespace yz::testing
