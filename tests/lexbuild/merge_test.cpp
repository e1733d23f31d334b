// The merge of the user lexicon into the system lexicon.

#include <gtest/gtest.h>

#include "lexbuild/image_writer.h"
#include "lexbuild/merge.h"
#include "lexbuild_test_util.h"
#include "lexicon/image_loader.h"
#include "lexicon/number_text.h"
#include "state/window_state.h"
#include "../support/make_table.h"

namespace yz {
namespace {

using testing_support::BuildFolder;
using testing_support::makeTable;

class UserMerge : public ::testing::Test {
 protected:
  LexiconMergeResult merge(bool yhcvh = false) {
    return mergeUserLexicon(f.files(), f.sim, lex, yhcvh, [] { return 0.5f; }, [] {});
  }
  BuildFolder f;
  LexiconState lex;
};

TEST_F(UserMerge, WeightsCountsAndOrder) {
  f.writeGbk(kMainLexiconPath, u"old\r\n");
  lex.mainLexicon = makeTable({{u"ab", u"啊 152 阿 160"}, {u"abcd", u"阿爸 101"}, {u"de", u"的 120"}});
  lex.userLexicon = makeTable({{u"ab", u"爱 49.9 碍 50 安 80 按 085 阿 170"},
                               {u"bb", u"爸 200"},
                               {u"", u"空 90"},
                               {u"de", u"得 120.5 地"}});
  LexiconMergeResult r = merge();
  ASSERT_TRUE(r.ok) << toUtf8(r.reportText);
  // 49.9 out, 50 in; 80 sorts as "080" (before 100) and is written back as 80; "085" sorts as
  // "0085" and stays "085"; the repeated 阿 keeps its lighter built-in pair; a code only the user
  // has becomes its own record.
  EXPECT_EQ(toUtf8(f.readGbk(kMainLexiconPath)),
            "ab,按 085 碍 50 安 80 啊 152 阿 160\r\n"
            "abcd,阿爸 101\r\n"
            "bb,爸 200\r\n"
            "de,的 120 得 120.5\r\n");
  EXPECT_EQ(r.records, 4);
  EXPECT_EQ(r.reportText,
            u"已将用户词库合并到主词库，重新生成系统词库,计4词条，处理共耗时0秒！\r\n\r\n现在用你熟悉的方案打字吧！");
}

TEST_F(UserMerge, UserWordsBehindWithTheOption) {
  lex.mainLexicon = makeTable({{u"ab", u"啊 152"}});
  lex.userLexicon = makeTable({{u"ab", u"啊 80 爱 90"}});
  ASSERT_TRUE(merge(true).ok);
  // 80 + 313 + 0.5 and 90 + 313 + 0.5: behind the built-in word; the repeated 啊 keeps 152.
  EXPECT_EQ(toUtf8(f.readGbk(kMainLexiconPath)), "ab,啊 152 爱 403.5\r\n");
}

// A merged lexicon larger than the start reads is never written: the start would fall back to
// the built-in lexicon and every word of the old file would be gone from typing.
TEST_F(UserMerge, AResultTheStartWouldNotReadKeepsTheOldLexicon) {
  f.writeGbk(kMainLexiconPath, u"ab,啊 1\r\n");
  lex.mainLexicon = makeTable({{u"ab", u"啊 152"}});
  lex.userLexicon = makeTable({{u"ab", u"爱 90"}, {u"bb", u"爸 200"}});
  const LexiconMergeResult r = mergeUserLexicon(f.files(), f.sim, lex, false, [] { return 0.5f; }, [] {}, 20);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.reportText, u"合并后的系统词库有28字节，超过启动时能读入的上限20字节，原词库保持不变！");
  EXPECT_EQ(toUtf8(f.readGbk(kMainLexiconPath)), "ab,啊 1\r\n");
  EXPECT_TRUE(mergeUserLexicon(f.files(), f.sim, lex, false, [] { return 0.5f; }, [] {}, 28).ok);
}

TEST_F(UserMerge, NothingToMergeKeepsTheOldLexiconAndImage) {
  f.writeGbk(kMainLexiconPath, u"ab,啊 1\r\n");
  ASSERT_TRUE(writeLexiconImage(f.files(), f.sim).ok);
  const std::string image = *f.files().readBytes(kLexiconImagePath);
  lex.userLexicon = makeTable({{u"ab", u"爱 10"}});
  LexiconMergeResult r = merge();
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.emptyInputFlag, 1);
  EXPECT_EQ(f.readGbk(kMainLexiconPath), u"ab,啊 1\r\n");
  EXPECT_EQ(*f.files().readBytes(kLexiconImagePath), image);
}

TEST_F(UserMerge, ImageFollowsTheMergedLexicon) {
  f.writeGbk(kMainLexiconPath, u"ab,啊 1\r\n");
  ASSERT_TRUE(writeLexiconImage(f.files(), f.sim).ok);
  lex.mainLexicon = makeTable({{u"ab", u"啊 100"}});
  lex.userLexicon = makeTable({{u"cd", u"从 100"}});
  f.writeGbk(u"用户词库.txt", u"x");
  f.writeGbk(u"两码词库.txt", u"x");
  ASSERT_TRUE(merge().ok);
  LexiconTable loaded;
  loaded.reset();
  ASSERT_TRUE(duqudaciku(f.files(), loaded).ok);
  EXPECT_EQ(loaded.last, 2);
  EXPECT_FALSE(f.files().exists(u"用户词库.txt"));
  EXPECT_FALSE(f.files().exists(u"两码词库.txt"));
}

TEST_F(UserMerge, FailedWriteLeavesTheFileByteForByte) {
  f.writeGbk(kMainLexiconPath, u"ab,啊 1\r\n");
  const std::string old = *f.files().readBytes(kMainLexiconPath);
  f.faults->failFile(kMainLexiconPath, WriteFaults::Step::Open, std::make_error_code(std::errc::is_a_directory));
  lex.userLexicon = makeTable({{u"cd", u"从 100"}});
  LexiconMergeResult r = merge();
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(*f.files().readBytes(kMainLexiconPath), old);
}

// A privileged entry (do-not-save) is merged with its mark after its last weight: weight 1
// becomes 166 and enters; the same line unmarked stays out.
TEST_F(UserMerge, APrivilegedEntryMergesWithItsMark) {
  lex.mainLexicon = makeTable({{u"hc", u"好 120"}});
  lex.userLexicon = makeTable({{u"ab", u"阿 1 啊 1"}, {u"hc", u"郝 1"}, {u"hd", u"号 1"}});
  lex.userLexicon.doNotSave = {0, 1, 1, 0};
  ASSERT_TRUE(merge().ok);
  EXPECT_EQ(toUtf8(f.readGbk(kMainLexiconPath)), "ab,啊 166\r\nhc,好 120 郝 166\r\n");

  // Merged into one entry with a user word of its code, it carries the mark on its own weight.
  lex.userLexicon = makeTable({{u"hc", u"号 085 郝 1"}});
  lex.userLexicon.doNotSavePairs = {{u"hc", u"郝"}};
  ASSERT_TRUE(merge().ok);
  EXPECT_EQ(toUtf8(f.readGbk(kMainLexiconPath)), "hc,号 085 好 120 郝 166\r\n");
}

// The older tidy tool: items 0 up to the third from last of each line, keyed by code and place,
// the user lines keyed code & "1.009", sorted, one record per key (a word once), written grouped
// by half the key's length; both files backed up, the user file emptied.
TEST(LexiconTidy, ScattersSortsMergesAndGroupsByKeyLength) {
  BuildFolder f;
  const std::u16string longCode(70, u'q');
  const std::u16string lexicon = u"ab,甲 乙 丙 x y\r\nab,丁 甲 x y\r\nabcd,戊 x y\r\nzz,孤 1\r\n" + longCode +
                                 u",长 x y\r\n\r\n无逗号\r\n";
  f.writeGbk(u"两码词库.txt", lexicon);
  f.writeGbk(u"用户词库.txt", u"ab,己\r\n无逗号\r\nab,己\r\n");
  WindowState win;
  win.form1.topMost = true;
  int ended = 0;
  int pumps = 0;
  const LexiconTidyResult r = tidyLexicon(f.files(), f.sim, win, [&pumps] { ++pumps; }, [&ended] { ++ended; });
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(toUtf8(f.readGbk(u"两码词库.txt")),
            "ab,丁 甲\r\nabcd,戊\r\nab.01,乙 甲\r\nab.02,丙\r\nab1.009,己\r\n" + toUtf8(longCode) + ",长\r\n");
  EXPECT_EQ(r.records, 6);
  EXPECT_EQ(f.readGbk(u"两码词库备份.txt"), lexicon);
  EXPECT_EQ(f.readGbk(u"用户词库备份.txt"), u"ab,己\r\n无逗号\r\nab,己\r\n");
  EXPECT_EQ(f.readGbk(u"用户词库.txt"), u"");
  EXPECT_FALSE(f.files().exists(u"两码词库打散.txt"));
  EXPECT_EQ(win.boxes.rtext2.text, u"50万条规模的词库整理需20秒左右时间，请稍候···");
  EXPECT_EQ(win.boxes.Text5.text, u"    喝口茶，做一个深呼吸吧！");
  EXPECT_FALSE(win.form1.topMost);
  EXPECT_GT(pumps, 0);
  EXPECT_EQ(ended, 1);
  ASSERT_EQ(f.sim.messageBoxes.size(), 1u);
  EXPECT_EQ(f.sim.messageBoxes[0].text, u"词库整理完毕,6条词库处理共耗时0秒！");
}

// Item 10 is keyed ".1" and groups with the four-letter keys, before the ".01" to ".09" ones.
TEST(LexiconTidy, TheTenthItemIsKeyedPointOne) {
  BuildFolder f;
  f.writeGbk(u"两码词库.txt", u"ac,〇 一 二 三 四 五 六 七 八 九 十 x y\r\n");
  WindowState win;
  ASSERT_TRUE(tidyLexicon(f.files(), f.sim, win, {}, {}).ok);
  EXPECT_EQ(toUtf8(f.readGbk(u"两码词库.txt")),
            "ac,〇\r\nac.1,十\r\nac.01,一\r\nac.02,二\r\nac.03,三\r\nac.04,四\r\nac.05,五\r\nac.06,六\r\n"
            "ac.07,七\r\nac.08,八\r\nac.09,九\r\n");
}

// Nothing to tidy, or a backup that cannot be written: both files stay as they were.
TEST(LexiconTidy, LeavesTheFilesWhenItCannotFinish) {
  BuildFolder f;
  WindowState win;
  LexiconTidyResult r = tidyLexicon(f.files(), f.sim, win, {}, {});
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(f.files().exists(u"两码词库.txt"));
  EXPECT_FALSE(f.files().exists(u"用户词库.txt"));
  EXPECT_EQ(f.sim.messageBoxes.back().text, u"词库整理完毕,0条词库处理共耗时0秒！");

  f.writeGbk(u"两码词库.txt", u"ab,甲 x y\r\n");
  f.writeGbk(u"用户词库.txt", u"ab,己\r\n");
  f.faults->failFile(u"用户词库备份.txt", WriteFaults::Step::Open, std::make_error_code(std::errc::is_a_directory));
  r = tidyLexicon(f.files(), f.sim, win, {}, {});
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(f.readGbk(u"两码词库.txt"), u"ab,甲 x y\r\n");
  EXPECT_EQ(f.readGbk(u"用户词库.txt"), u"ab,己\r\n");
  EXPECT_FALSE(f.files().exists(u"两码词库打散.txt"));
}

TEST(SingleText, SevenSignificantDigits) {
  EXPECT_EQ(singleText(393.70554f), u"393.7055");
  EXPECT_EQ(singleText(135.0f), u"135");
  EXPECT_EQ(singleText(0.5f), u"0.5");
}

}  // namespace
}  // namespace yz
