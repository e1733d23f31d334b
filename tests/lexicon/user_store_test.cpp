#include "lexicon/user_store.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "lexicon/files.h"
#include "lexicon/gbk.h"
#include "lexicon/text_file.h"
#include "lexicon/utf.h"
#include "lexicon_test_util.h"
#include "platform/sim/sim_platform.h"

namespace yz {
namespace {

using testing_support::makeTable;
using testing_support::TempProgramFolder;
using Entries = std::vector<std::pair<std::u16string, std::u16string>>;

Entries entriesOf(const LexiconTable& t) {
  Entries out;
  for (std::int32_t i = 1; i <= t.last; ++i) {
    out.emplace_back(t.codes[static_cast<std::size_t>(i)], t.lines[static_cast<std::size_t>(i)]);
  }
  return out;
}

std::string show(const Entries& entries) {
  std::u16string s;
  for (const auto& [c, l] : entries) s += c + u"," + l + u"|";
  return toUtf8(s);
}

TEST(UserRebuild, Cases) {
  struct Case {
    const char* name;
    Entries in, out;
  } cases[] = {
      {"merge one code, lightest first", {{u"ab", u"啊 120"}, {u"ab", u"中 85"}}, {{u"ab", u"中 085 啊 120"}}},
      {"a repeated word keeps the weight that sorts first",
       {{u"ab", u"中 120"}, {u"ab", u"中 085"}}, {{u"ab", u"中 085"}}},
      {"a word inside a word of its code is dropped",
       {{u"zg", u"中国 085"}, {u"zg", u"中 090 国 095"}}, {{u"zg", u"中国 085"}}},
      {"a word without weight disappears", {{u"ab", u"中"}, {u"cd", u"的 12"}}, {{u"cd", u"的 012"}}},
      {"leading zero rules", {{u"ab", u"甲 085 乙 5 丙 100 丁 99.5"}},
       {{u"ab", u"乙 05 甲 085 丁 099.5 丙 100"}}},  // text order of the weights
      {"codes in order, a code before the longer ones it begins",
       {{u"abc", u"丙 1"}, {u"ab", u"乙 1"}, {u"a", u"甲 1"}},
       {{u"a", u"甲 01"}, {u"ab", u"乙 01"}, {u"abc", u"丙 01"}}},
      {"empty codes and non-numeric weights drop out",
       {{u"", u"空 10"}, {u"ab", u"甲 x 乙 20"}}, {{u"ab", u"乙 020"}}},
      {"markers pass as words and weights", {{u"ab", u"*# 085 中 1266"}},
       {{u"ab", u"*# 085 中 1266"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LexiconTable t = makeTable(c.in);
    auto r = yhckbm(t, [] {});
    EXPECT_EQ(r.emptyInputFlag, 0);
    EXPECT_EQ(show(entriesOf(t)), show(c.out));
  }
}

TEST(UserRebuild, EmptyTable) {
  LexiconTable t = makeTable({{u"ab", u"中"}});
  EXPECT_EQ(yhckbm(t, [] {}).emptyInputFlag, 1);
  EXPECT_EQ(t.last, 0);
}

TEST(UserRebuild, DoNotSaveOnlyWhenEveryLineOfTheEntryWasMarked) {
  LexiconTable t = makeTable({{u"ab", u"特 010"}, {u"cd", u"权 010"}});
  markUserEntriesDoNotSave(t);
  t.insertEntry(3, u"cd", u"的 085");
  t.insertEntry(4, u"ef", u"额 084.2166");
  ASSERT_EQ(t.last, 4);
  int pumps = 0;
  yhckbm(t, [&] { ++pumps; });
  EXPECT_EQ(show(entriesOf(t)), "ab,特 010|cd,权 010 的 085|ef,额 084.2166|");
  EXPECT_TRUE(t.isDoNotSave(1));
  EXPECT_FALSE(t.isDoNotSave(2));  // holds a word from the user file
  EXPECT_FALSE(t.isDoNotSave(3));
}

class UserWriter : public testing::Test {
 protected:
  TempProgramFolder dir_;
  ProgramFolder files_{dir_.root()};
  SimPlatform sim_;
  GbkTable gbk_{sim_};
  int resets_ = 0;
  std::function<void()> escjm_ = [this] { ++resets_; };

  std::vector<std::u16string> written() {
    return readGbkLines(files_, sim_, kUserLexiconPath).value_or(std::vector<std::u16string>{u"<missing>"});
  }
};

TEST_F(UserWriter, Filters) {
  LexiconTable t = makeTable({
      {u"ab", u"中 085"},
      {u"ac", u"*# 085 中 090"},     // the deleted-word marker first
      {u"ad", u"a 085"},             // not a double-byte character first
      {u"ae", u"中 085 云 7"},       // a cloud weight
      {u"af", u"中 720"},            // a weight 7xx
      {u";a", u"中 085"},            // a code beginning with ";"
      {u"ag", u""},
      {u"ah", u"额 084.2166"},       // a learned weight that ends in 66 is kept
      {u"ai", u"特 1266"},           // marked do-not-save below
  });
  t.lines.set(0, u"");
  t.doNotSave.assign(10, 0);
  t.doNotSave[9] = 1;
  auto r = jlyhck(t, files_, sim_, gbk_, escjm_);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.linesWritten, 2);
  EXPECT_EQ(written(), (std::vector<std::u16string>{u"ab,中 085", u"ah,额 084.2166"}));
  EXPECT_EQ(resets_, 1);
}

// A privileged word merged with the user's own words of its code keeps its mark through every
// later rebuild: the file gets the user's words of the code and never the privileged one.
TEST_F(UserWriter, APrivilegedWordMergedWithUserWordsStaysOutOfTheFile) {
  struct Case {
    const char16_t* userLine;
    const char16_t* written;  // the line of code hc in the file; empty: none
  } cases[] = {
      {u"好 085", u"hc,好 085"},
      {u"好 200", u"hc,好 200"},         // the privileged word no longer last
      {u"郝 120", u"hc,郝 01"},          // the user's own word as well: written
      {u"好 085 号 090", u"hc,好 085 号 090"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(toUtf8(c.userLine));
    LexiconTable t = makeTable({{u"hc", u"郝 1"}, {u"wo", u"我 1"}});
    yhckbm(t, [] {});
    markUserEntriesDoNotSave(t);
    t.insertEntry(static_cast<std::size_t>(t.last) + 1, u"hc", c.userLine);
    for (int rebuild = 0; rebuild < 2; ++rebuild) {
      yhckbm(t, [] {});
      ASSERT_TRUE(jlyhck(t, files_, sim_, gbk_, escjm_).ok);
      EXPECT_EQ(written(), std::vector<std::u16string>{c.written});
    }
    EXPECT_NE(t.lines[1].find(u"郝"), std::u16string::npos);  // still typed from memory
  }
}

TEST_F(UserWriter, EmptyTableWritesAnEmptyFile) {
  LexiconTable t = makeTable({});
  ASSERT_TRUE(jlyhck(t, files_, sim_, gbk_, escjm_).ok);
  EXPECT_EQ(files_.readBytes(kUserLexiconPath), "");
}

TEST_F(UserWriter, FailedWriteKeepsTheOldFileAndIsReported) {
  ASSERT_TRUE(files_.writeBytes(kUserLexiconPath, "old,line\r\n"));
  auto faults = std::make_shared<WriteFaults>();
  faults->failFile(kUserLexiconPath, WriteFaults::Step::Open, std::make_error_code(std::errc::is_a_directory));
  files_.setWriteFaults(faults);
  auto r = jlyhck(makeTable({{u"ab", u"中 085"}}), files_, sim_, gbk_, escjm_);
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(r.error.empty());
  EXPECT_EQ(files_.readBytes(kUserLexiconPath), "old,line\r\n");
  EXPECT_EQ(resets_, 1);
}

TEST_F(UserWriter, TwoCodeLexiconWritesEveryEntryReportsAndEnds) {
  LexiconTable t = makeTable({{u"ab", u"中 085"}, {u"ac", u"*# 085"}, {u"ae", u"中 085 云 7"}, {u";a", u"中 1266"}});
  t.lines.set(0, u"零 000");  // index 0 holds no entry
  ASSERT_TRUE(files_.writeBytes(kUserTwoCodeLexiconPath, "old,line\r\n"));
  ASSERT_TRUE(files_.writeBytes(u"用户diy文件\\yhckx.vx", "x"));
  ASSERT_TRUE(files_.writeBytes(u"用户diy文件\\两码词排序后.txt", "x"));
  sim_.defaultMessageBoxAnswer = MessageBoxAnswer::Ok;
  WindowState win;
  win.form1.topMost = true;
  int ends = 0;
  auto r = dlyh(t, files_, sim_, win, [&] { ++ends; });
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(readGbkLines(files_, sim_, kUserTwoCodeLexiconPath).value_or(std::vector<std::u16string>{}),
            (std::vector<std::u16string>{u"ab,中 085", u"ac,*# 085", u"ae,中 085 云 7", u";a,中 1266"}));
  EXPECT_FALSE(files_.exists(u"用户diy文件\\yhckx.vx"));
  EXPECT_FALSE(files_.exists(u"用户diy文件\\两码词排序后.txt"));
  EXPECT_FALSE(win.form1.topMost);
  ASSERT_EQ(sim_.messageBoxes.size(), 1u);
  EXPECT_EQ(sim_.messageBoxes[0].text, u"已将用户词库重新生成用户两码词库,计4词条，处理共耗时0秒！");
  EXPECT_EQ(ends, 1);
}

}  // namespace
}  // namespace yz
