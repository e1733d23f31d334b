#include "lexicon/syllables.h"

#include <gtest/gtest.h>

#include "lexicon/files.h"
#include "lexicon/text_file.h"
#include "lexicon_test_util.h"
#include "platform/sim/sim_platform.h"

namespace yz {
namespace {

using testing_support::TempProgramFolder;
using Lines = std::vector<std::u16string>;

const Lines kPairs = {u"a,aa",  u"ai,ai",  u"en,en",  u"jue,jt", u"jve,jt",
                      u"lue,lt", u"lve,lt", u"ng,en", u"zhuang,vd", u"zuo,zo"};

LexiconState tables() {
  LexiconState lex;
  fillSyllableTables(lex, kPairs, [] {});
  return lex;
}

TEST(Syllables, FillKeepsFileOrderAndSortsTheCodeCopy) {
  LexiconState lex = tables();
  EXPECT_EQ(lex.syllablesByPinyin.last, 9);
  EXPECT_EQ(lex.syllablesByPinyin.syllables[4], u"jve");
  EXPECT_EQ(lex.syllablesByCode.last, 9);
  EXPECT_EQ(lex.syllablesByCode.codes[0], u"aa");
  EXPECT_EQ(lex.syllablesByCode.codes[9], u"zo");
  for (std::int32_t i = 0; i <= lex.syllablesByCode.last; ++i) {
    EXPECT_EQ(lex.syllablesByCode.syllables[i].find(u"ve"), std::u16string::npos);
    if (i > 0) {
      EXPECT_LE(lex.syllablesByCode.codes[i - 1], lex.syllablesByCode.codes[i]);
    }
  }
}

TEST(Syllables, SptoqpCases) {
  LexiconState lex = tables();
  struct Case {
    std::u16string sp, qp;
  } cases[] = {
      {u"", u""},
      {u"aa", u"a"},            // first code of the table
      {u"zo", u"zuo"},          // last code of the table
      {u"aajtzo", u"a'jue'zuo"},
      {u"ltvd", u"lue'zhuang"},
      {u"aaz", u"a'z"},         // odd length: the last letter stays
      {u"qqaa", u"qq'a"},       // a code the table lacks stays as typed
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.sp.begin(), c.sp.end()));
    std::u16string qp = u"stale";
    std::int32_t loopCounter = -5;
    sptoqp(lex, c.sp, qp, loopCounter);
    EXPECT_EQ(qp, c.qp);
    EXPECT_EQ(loopCounter, static_cast<std::int32_t>(c.sp.size()));
  }
  std::u16string qp;
  std::int32_t loopCounter = 0;
  sptoqp(lex, u"en", qp, loopCounter);
  EXPECT_TRUE(qp == u"en" || qp == u"ng");
}

TEST(Syllables, QptospCases) {
  LexiconState lex = tables();
  struct Case {
    std::u16string qp, sp;
    std::int32_t last;
  } cases[] = {
      {u"", u"", -1},
      {u"a", u"aa", 0},
      {u"zuo", u"zo", 0},
      {u"a'jve'zuo", u"aajtzo", 2},
      {u"zhuang'lue", u"vdlt", 1},
      {u"xyz'qq", u"", 1},       // only syllables the table lacks
      {u"a'xyz'ai", u"aaai", 2},  // a missing syllable is dropped
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.qp.begin(), c.qp.end()));
    std::u16string sp = u"stale";
    std::vector<std::u16string> splitList{u"old"};
    std::int32_t loopCounter = 99;
    qptosp(lex, c.qp, sp, splitList, loopCounter);
    EXPECT_EQ(sp, c.sp);
    EXPECT_EQ(loopCounter, c.last);
    EXPECT_EQ(static_cast<std::int32_t>(splitList.size()) - 1, c.last);
  }
}

TEST(Syllables, EverySyllableRoundTrips) {
  LexiconState lex = tables();
  for (const auto& line : kPairs) {
    std::u16string pinyin = line.substr(0, line.find(u','));
    SCOPED_TRACE(std::string(pinyin.begin(), pinyin.end()));
    std::u16string sp, qp;
    std::vector<std::u16string> list;
    std::int32_t counter = 0;
    qptosp(lex, pinyin, sp, list, counter);
    sptoqp(lex, sp, qp, counter);
    std::u16string again;
    qptosp(lex, qp, again, list, counter);
    EXPECT_EQ(again, sp);
  }
}

class PairFiles : public testing::Test {
 protected:
  TempProgramFolder dir_;
  ProgramFolder files_{dir_.root()};
  SimPlatform sim_;
  Lines read(std::u16string_view path) { return readGbkLines(files_, sim_, path).value_or(Lines{u"<missing>"}); }
  void write(std::u16string_view path, const Lines& lines) {
    ASSERT_TRUE(writeGbkLines(files_, sim_, path, lines));
  }
};

TEST_F(PairFiles, QptouptoupWritesTheSixFilesAndTheCopy) {
  write(kSyllableMasterPath, {u"a,aa,aa,", u"bad,line", u"zhuang,vd,vd,vd"});
  ASSERT_TRUE(qptouptoup(files_, sim_));
  EXPECT_EQ(read(u"内置文件\\qp2sp小鹤.txt"), (Lines{u"a,aa", u"zhuang,vd"}));
  EXPECT_EQ(read(u"内置文件\\qp2sp自然.txt"), (Lines{u"a,aa", u"zhuang,vd"}));
  EXPECT_EQ(read(u"内置文件\\qp2sp国标.txt"), (Lines{u"a,", u"zhuang,vd"}));
  EXPECT_EQ(read(u"内置文件\\小鹤双拼2自然双拼.txt"), (Lines{u"aa,aa", u"vd,vd"}));
  EXPECT_EQ(read(u"内置文件\\国标双拼2自然双拼.txt"), (Lines{u",aa", u"vd,vd"}));
  EXPECT_EQ(read(u"内置文件\\sp2qp自然.txt"), (Lines{u"aa,a", u"vd,zhuang"}));
  EXPECT_EQ(read(kSyllablePairPath), read(kZiranmaPairPath));
}

TEST_F(PairFiles, QptouptoupWithoutMasterWritesNothing) {
  write(kSyllablePairPath, {u"a,aa"});
  EXPECT_FALSE(qptouptoup(files_, sim_));
  EXPECT_EQ(read(kSyllablePairPath), (Lines{u"a,aa"}));
  EXPECT_FALSE(files_.exists(kZiranmaPairPath));
}

TEST_F(PairFiles, Zdyup2zrupSkipsTheFirstLineAndKeepsDuplicates) {
  write(kZiranmaPairPath, {u"a,aa", u"ai,ai", u"zhuang,vd", u"zuo,zo"});
  write(kCustomLayoutSourcePath, {u"zuo,zu", u"a,xa", u"zhuang,zl", u"zuo,zx"});
  ASSERT_TRUE(zdyup2zrup(files_, sim_));
  // "a" is the first line of qp2sp自然.txt and takes no part; "ai" is not in the user file.
  EXPECT_EQ(read(kCustomLayoutPairPath), (Lines{u"zl,vd", u"zu,zo", u"zx,zo"}));
}

TEST_F(PairFiles, Zdyup2zrupKeepsTheOldFileOnBadInput) {
  write(kZiranmaPairPath, {u"a,aa", u"ai,ai"});
  write(kCustomLayoutPairPath, {u"old,line"});
  EXPECT_FALSE(zdyup2zrup(files_, sim_));  // no user file
  Lines tooLong(502, u"ai,xx");
  write(kCustomLayoutSourcePath, tooLong);
  EXPECT_FALSE(zdyup2zrup(files_, sim_));
  EXPECT_EQ(read(kCustomLayoutPairPath), (Lines{u"old,line"}));
}

TEST_F(PairFiles, Zrmfvm2xhfvmListsMissingCharacters) {
  write(u"内置文件\\自然码辅助码.txt", {u"啊,kk", u"阿,ek", u"把,ba"});
  write(u"用户diy文件\\鹤形辅助码.txt", {u"阿,ek"});
  ASSERT_TRUE(zrmfvm2xhfvm(files_, sim_));
  EXPECT_EQ(read(u"用户diy文件\\鹤形辅助码缺少.txt"), (Lines{u"啊,kk", u"把,ba"}));
}

}  // namespace
}  // namespace yz
