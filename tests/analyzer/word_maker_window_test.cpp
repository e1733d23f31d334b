// The article word maker as the user reaches it: the settings dialog's 文章学习造词器 opens the
// word-maker window, whose 造词 button learns words from the race text (the box emptied first) or
// from the text in its box, on the program's own conversion and word making.

#include <gtest/gtest.h>

#include <string>

#include "analyzer/analyzer_window.h"
#include "analyzer/word_frequency.h"
#include "analyzer/word_maker.h"

#include "../app/program_fixture.h"

namespace yz::testing {
namespace {

using Lines = std::vector<std::u16string>;

class WordMakerWindowTest : public ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    writeTables();
    // Two letters a character: the typing conversion finds no character under a longer code.
    writeLines(u"内置文件\\单字全码.txt",
               {u"aa,啊", u"ni,你", u"hk,好", u"wo,我", u"de,的", u"zi,在", u"zi,字"});
    writeLines(u"内置文件\\两码词库.txt",
               {u"aa,啊 156.726", u"de,的 1 得 5", u"hk,好 2", u"ni,你 1 尼 5", u"nihk,你好 10",
                u"wo,我 1", u"wode,我的 5", u"zi,在 3 字 4"});
    writeLines(u"内置文件\\单字字库.txt",
               {u"aa,啊 100.001", u"de,的 1 得 5", u"hk,好 2", u"ni,你 1", u"wo,我 1", u"zi,在 3 字 4"});
    start();
    platform().settle();
  }

  // Opens the window through the settings dialog, as the user does.
  SimForm* openWordMaker() {
    app().loader.dialog.show();
    SimForm* dialog = dialogForm(platform());
    if (dialog == nullptr) return nullptr;
    dialog->fire(formEvent(FormEventKind::Click, u"Command25"));
    platform().settle();
    for (SimForm* f : platform().forms()) {
      if (f->control(u"Command1")) return f;
    }
    return nullptr;
  }
  // A click; `settle` false runs only the click itself (no input pass afterwards).
  void click(SimForm* form, std::u16string_view control, bool settle = true) {
    form->fire(formEvent(FormEventKind::Click, control));
    if (settle) platform().settle();
    else platform().doEvents();
  }
  // The user lexicon in memory as "code,line" texts.
  Lines userLexicon() {
    Lines out;
    const LexiconTable& user = app().lex.userLexicon;
    for (std::int32_t i = 1; i <= user.last; ++i) {
      out.push_back(std::u16string(user.codes[static_cast<std::size_t>(i)]) + u"," +
                    std::u16string(user.lines[static_cast<std::size_t>(i)]));
    }
    return out;
  }
};

TEST_F(WordMakerWindowTest, TheDialogButtonOpensTheWordMaker) {
  SimForm* form = openWordMaker();
  ASSERT_NE(form, nullptr);
  EXPECT_FALSE(app().loader.dialog.visible());
  EXPECT_TRUE(form->view().visible);
  EXPECT_EQ(form->view().title, u"中文造词器: 支持细胞造词、整句造词、动态造词、文章造词及词频调整！");
  EXPECT_EQ(form->view().bounds.width(), 10725);
  EXPECT_EQ(form->view().bounds.height(), 2300);
  EXPECT_EQ(form->control(u"Text1")->text,
            u"    本中文造词器利用砚舟平台内置的智能造词算法进行造词。\r\n造词器可对文本框中句子进行自动造词，"
            u"在清空文本框内容后，可自动学习“两码整句赛文.txt”文章内容，自动提取新词并统计词频。");
  EXPECT_EQ(form->control(u"Command1")->text, u"造词");
  // 清空 lies inside the shorter window, above its caption's and borders' share of the height.
  const int frameTwips = 600;
  EXPECT_LE(form->control(u"Command4")->bounds.bottom + frameTwips, form->view().bounds.height());
  EXPECT_EQ(app().race.raceMode, 0);  // opened as word maker, the race cell is left alone
}

// 字 shares its code zi with 在, which comes first: the conversion writes 你好在 for 你好字, and
// the word maker makes 你好字 around the differing 字.
TEST_F(WordMakerWindowTest, FileModeMakesWordsShowsProgressAndSumsThem) {
  std::u16string longRun;
  for (int i = 0; i < 30; ++i) longRun += u"你好";
  writeLines(u"赛文资料\\两码整句赛文.txt", {u"你好，你好字", u"", u"我的字123你好字", u"好", longRun});
  writeLines(u"赛文资料\\两码整句造词结果.txt", {u"我的,2"});
  writeLines(u"赛文资料\\两码整句赛文成绩榜.txt", {u"an old board"});
  const std::optional<std::string> userFile = bytes(u"用户diy文件\\用户词库.txt");
  const Lines userBefore = userLexicon();

  SimForm* form = openWordMaker();
  ASSERT_NE(form, nullptr);
  Lines progress;
  form->onShow = [&](const FormView&) {
    const ControlView* box = form->control(u"Text3");
    if (box == nullptr || box->text.empty()) return;
    if (progress.empty() || progress.back() != box->text) progress.push_back(box->text);
  };
  click(form, u"Command4");  // 清空: file mode
  click(form, u"Command1", false);

  // Pieces of two or more codable characters; the 60-character run cut at word ends within 25.
  const Lines segments = lines(u"赛文资料\\两码整句赛文纯汉字.txt");
  ASSERT_EQ(segments.size(), 7u);
  EXPECT_EQ((Lines{segments.begin(), segments.begin() + 4}), (Lines{u"你好", u"你好字", u"我的字", u"你好字"}));
  EXPECT_EQ(segments[4] + segments[5] + segments[6], longRun);
  for (const auto& s : segments) EXPECT_LE(s.size(), kSegmentMaxChars) << toUtf8(s);

  // Made words are summed with the counts of earlier runs.
  EXPECT_EQ(lines(u"赛文资料\\两码整句造词结果.txt"), (Lines{u"你好字,2", u"我的,2", u"我的字,1"}));
  EXPECT_EQ(lines(u"赛文资料\\两码整句造词词频结果.txt"),
            (Lines{u"你好字 100", u"我的 100", u"我的字 110"}));
  EXPECT_EQ(text(u"赛文资料\\两码整句赛文成绩榜.txt"), u"");
  // Neither the user lexicon file nor the user lexicon in memory learned anything.
  EXPECT_EQ(bytes(u"用户diy文件\\用户词库.txt"), userFile);
  EXPECT_EQ(userLexicon(), userBefore);

  // Progress in whole percent of the characters written, ending at 100%.
  ASSERT_GE(progress.size(), 3u);
  EXPECT_EQ(progress.front(), u"2%");
  EXPECT_EQ(progress.back(), u"100%");
  EXPECT_EQ(form->control(u"Text1")->text.substr(0, 12), u"      文章学习造词");
  EXPECT_EQ(form->view().title, u"文章学习造词器：通过大量文章语料学习，快速生成自己的词库！");
  EXPECT_EQ(app().race.raceMode, 0);
  EXPECT_EQ(app().race.wordMakerMode, 1);
  EXPECT_TRUE(platform().timerEnabled(app().pass.timer1));
}

TEST_F(WordMakerWindowTest, ASecondRunMakesTheSameWordsAndTypingGoesOn) {
  writeLines(u"赛文资料\\两码整句赛文.txt", {u"你好字，我的字"});
  SimForm* form = openWordMaker();
  ASSERT_NE(form, nullptr);
  click(form, u"Command4");
  click(form, u"Command1");
  EXPECT_EQ(lines(u"赛文资料\\两码整句造词结果.txt"), (Lines{u"你好字,1", u"我的字,1"}));

  // A press with the closing text in the box works on that text in box mode: no file changes.
  const auto result = bytes(u"赛文资料\\两码整句造词结果.txt");
  const auto frequencies = bytes(u"赛文资料\\两码整句造词词频结果.txt");
  click(form, u"Command1");
  EXPECT_EQ(bytes(u"赛文资料\\两码整句造词结果.txt"), result);
  EXPECT_EQ(bytes(u"赛文资料\\两码整句造词词频结果.txt"), frequencies);

  // The same article again: the same words, so every count doubles and the order stays.
  click(form, u"Command4");
  click(form, u"Command1");
  EXPECT_EQ(lines(u"赛文资料\\两码整句造词结果.txt"), (Lines{u"你好字,2", u"我的字,2"}));
  EXPECT_EQ(lines(u"赛文资料\\两码整句造词词频结果.txt"), (Lines{u"你好字 100", u"我的字 100"}));

  // Typing goes on as before the runs, once the user is back in the program typed into (the
  // window's buttons leave the focus in its text box).
  platform().focus(session->target.id);
  const auto steps = session->type(u"nihk space");
  EXPECT_EQ(session->target.text, u"你好");
}

TEST_F(WordMakerWindowTest, BoxModeListsTheWordsAndLearnsThem) {
  SimForm* form = openWordMaker();
  ASSERT_NE(form, nullptr);
  writeLines(u"赛文资料\\两码整句造词结果.txt", {u"我的,2"});
  const auto result = bytes(u"赛文资料\\两码整句造词结果.txt");
  form->fire(formEvent(FormEventKind::Change, u"Text1", u"你好 字123\r\n我的"));
  platform().settle();
  // The box shows what was typed at once: the next character typed is added to it.
  EXPECT_EQ(form->control(u"Text1")->text, u"你好 字123\r\n我的");
  click(form, u"Command1");
  EXPECT_EQ(app().race.raceSentence, u"你好字我的");
  const std::u16string shown = form->control(u"Text1")->text;
  EXPECT_EQ(shown.substr(0, shown.find(u"  ")), u"你好[字]我的\r\n你好(在)我的\r\n");
  EXPECT_NE(shown.find(u"  你好字"), std::u16string::npos) << toUtf8(shown);
  bool learned = false;
  for (const auto& line : userLexicon()) {
    learned = learned || line.find(u"你好字") != std::u16string::npos;
  }
  EXPECT_TRUE(learned);
  // Box mode writes no result line.
  EXPECT_EQ(bytes(u"赛文资料\\两码整句造词结果.txt"), result);
  EXPECT_EQ(app().race.showMadeWords, -1);
}

TEST_F(WordMakerWindowTest, AMissingArticleGivesTypingItsTimerBack) {
  SimForm* form = openWordMaker();
  ASSERT_NE(form, nullptr);
  click(form, u"Command4");
  click(form, u"Command1", false);
  EXPECT_FALSE(exists(u"赛文资料\\两码整句造词词频结果.txt"));
  EXPECT_EQ(app().race.raceMode, 0);
  EXPECT_TRUE(platform().timerEnabled(app().pass.timer1));
}

}  // namespace
}  // namespace yz::testing

namespace yz::testing {
namespace {

// Without 纯两码整句 and with a long word-length window a lexicon word may be longer than a
// segment: the cutting still ends, with a cut at 25 characters where no word end lies within them.
TEST_F(WordMakerWindowTest, CuttingEndsOnAWordLongerThanASegment) {
  std::u16string longCode, longWord;
  for (int i = 0; i < 15; ++i) {
    longCode += u"nihk";
    longWord += u"你好";
  }
  writeLines(u"内置文件\\两码词库.txt",
             {u"aa,啊 156.726", u"de,的 1 得 5", u"hk,好 2", u"ni,你 1 尼 5", u"nihk,你好 10",
              longCode + u"," + longWord + u" 10", u"wo,我 1", u"wode,我的 5", u"zi,在 3 字 4"});
  session.reset();
  start();
  platform().settle();
  app().settings.ilmvj = false;
  app().settings.wordLengthRange = u"2到40";  // codes of long words are looked up too
  writeLines(u"赛文资料\\两码整句赛文.txt", {longWord + u"我的"});
  SimForm* form = openWordMaker();
  ASSERT_NE(form, nullptr);
  click(form, u"Command4");
  click(form, u"Command1");
  const Lines segments = lines(u"赛文资料\\两码整句赛文纯汉字.txt");
  ASSERT_FALSE(segments.empty());
  std::u16string joined;
  for (const auto& s : segments) {
    EXPECT_LE(s.size(), kSegmentMaxChars) << toUtf8(s);
    joined += s;
  }
  EXPECT_EQ(joined, longWord + u"我的");
  EXPECT_EQ(segments[0].size(), kSegmentMaxChars);
  EXPECT_EQ(form->control(u"Text3")->text, u"100%");
}

}  // namespace
}  // namespace yz::testing
