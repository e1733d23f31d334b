#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "lexicon/files.h"
#include "lexicon/utf.h"
#include "platform/sim/sim_platform.h"
#include "../support/test_folder.h"

namespace yz {
namespace {

class ProgramFolderTest : public testing::Test {
 protected:
  testing_support::TestFolder temp_{"yz-files-"};
  std::filesystem::path root_ = temp_.path();
};

TEST_F(ProgramFolderTest, BackslashPathsAndAtomicRewrite) {
  ProgramFolder folder(root_);
  std::filesystem::create_directories(folder.path(u"内置文件"));
  EXPECT_FALSE(folder.exists(u"内置文件\\两码词库.txt"));
  ASSERT_TRUE(folder.writeBytes(u"内置文件\\两码词库.txt", "aa,x 1\r\n"));
  ASSERT_TRUE(folder.writeBytes(u"内置文件\\两码词库.txt", "bb,y 2\r\n"));
  EXPECT_EQ(folder.readBytes(u"内置文件\\两码词库.txt"), "bb,y 2\r\n");
  EXPECT_EQ(folder.size(u"内置文件\\两码词库.txt"), 8u);
  // No temporary file is left beside it.
  int files = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder.path(u"内置文件"))) ++files;
  EXPECT_EQ(files, 1);
}

TEST_F(ProgramFolderTest, FailedWriteKeepsTheOldFile) {
  ProgramFolder folder(root_);
  ASSERT_TRUE(folder.writeBytes(u"设置记录.ini", "old"));
  // A folder that does not exist cannot take the temporary file.
  EXPECT_FALSE(folder.writeBytes(u"missing\\设置记录.ini", "new"));
  EXPECT_EQ(folder.readBytes(u"设置记录.ini"), "old");
  EXPECT_EQ(folder.readBytes(u"missing\\none.txt"), std::nullopt);
}

TEST(Lines, SplitAtLineEnds) {
  using V = std::vector<std::u16string_view>;
  EXPECT_EQ(splitLines(u"a\r\nb\r\n"), (V{u"a", u"b"}));
  EXPECT_EQ(splitLines(u"a\r\nb"), (V{u"a", u"b"}));
  EXPECT_EQ(splitLines(u"a\nb\r\n\r\nc"), (V{u"a", u"b", u"", u"c"}));
  EXPECT_EQ(splitLines(u""), V{});
  EXPECT_EQ(joinLines({u"a", u"b"}), u"a\r\nb\r\n");
}

TEST(Utf8, RoundTripAndMalformedInput) {
  std::u16string text = u"砚舟 a€\U0001F600";
  EXPECT_EQ(fromUtf8(toUtf8(text)), text);
  EXPECT_EQ(fromUtf8("a\xff" "b"), u"a\uFFFDb");
  EXPECT_EQ(fromUtf8("\xe4\xb8"), u"\uFFFD\uFFFD");  // truncated sequence
}

}  // namespace
}  // namespace yz
