#include "analyzer/word_frequency.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "lexicon/files.h"
#include "lexicon/text_file.h"
#include "platform/sim/sim_platform.h"
#include "../support/test_folder.h"

namespace yz {
namespace {

using Lines = std::vector<std::u16string>;

class WordFrequencyTest : public testing::Test {
 protected:
  testing_support::TestFolder temp_{"yz-wordfreq-"};
  ProgramFolder files_{temp_.path()};
  SimPlatform platform_;
  void SetUp() override { std::filesystem::create_directories(files_.path(u"赛文资料")); }
  Lines read(std::u16string_view path) { return readGbkLines(files_, platform_, path).value_or(Lines{u"<missing>"}); }
  void run(const Lines& result) {
    ASSERT_TRUE(writeGbkLines(files_, platform_, kWordMakerResultPath, result));
    ASSERT_TRUE(wvzccipn(files_, platform_, [] {}));
  }
};

TEST_F(WordFrequencyTest, SumsAndWeightsInSortOrder) {
  run({u"北京,1", u"上海,1", u"北京,1", u"北京,3"});
  EXPECT_EQ(read(kWordMakerResultPath), (Lines{u"上海,1", u"北京,5"}));
  EXPECT_EQ(read(kWordFrequencyPath), (Lines{u"上海 110", u"北京 70"}));
  // A second run changes nothing.
  ASSERT_TRUE(wvzccipn(files_, platform_, [] {}));
  EXPECT_EQ(read(kWordMakerResultPath), (Lines{u"上海,1", u"北京,5"}));
  EXPECT_EQ(read(kWordFrequencyPath), (Lines{u"上海 110", u"北京 70"}));
}

TEST_F(WordFrequencyTest, WeightFallsByTenAWordWithoutABound) {
  const std::pair<double, double> cases[] = {{0, 120}, {1, 110}, {2, 100}, {11, 10}, {12, 0}, {15, -30}};
  for (auto [count, weight] : cases) EXPECT_EQ(wordWeight(count), weight) << count;
  run({u"你好,12", u"世界,15", u"中国,3"});
  EXPECT_EQ(read(kWordFrequencyPath), (Lines{u"世界 -30", u"中国 90", u"你好 0"}));
}

TEST_F(WordFrequencyTest, OddLinesAndEmptyFile) {
  // A word without a count counts 0; a count that starts with no digit too; a prefix word stays
  // apart from the longer word; empty lines are no words.
  run({u"北京人,2", u"北京", u"北京,x", u"", u"北京,1.5"});
  EXPECT_EQ(read(kWordMakerResultPath), (Lines{u"北京,1.5", u"北京人,2"}));
  EXPECT_EQ(read(kWordFrequencyPath), (Lines{u"北京 105", u"北京人 100"}));
  run({});
  EXPECT_EQ(read(kWordMakerResultPath), Lines{});
  EXPECT_EQ(read(kWordFrequencyPath), Lines{});
  // No result file at all: both files come out empty.
  files_.remove(kWordMakerResultPath);
  ASSERT_TRUE(wvzccipn(files_, platform_, [] {}));
  EXPECT_EQ(read(kWordMakerResultPath), Lines{});
  EXPECT_EQ(read(kWordFrequencyPath), Lines{});
}

}  // namespace
}  // namespace yz
