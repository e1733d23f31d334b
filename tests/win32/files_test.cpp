// The program folder's file layer as the Windows build runs it: Chinese names, the write through a
// temporary file flushed to the disk and renamed over the old file, and file stamps that compare
// equal with the ones a Linux build wrote (whole seconds since 1970).

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "lexicon/files.h"

namespace yz {
namespace {

class FolderOnWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = std::filesystem::path(::testing::TempDir()) /
            ("yz-files-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::filesystem::create_directories(root_ / std::filesystem::path(u8"用户diy文件"));
  }
  void TearDown() override { std::filesystem::remove_all(root_); }
  std::filesystem::path root_;
};

TEST_F(FolderOnWindows, RewritesAChineseNamedFileAndLeavesNoTemporary) {
  ProgramFolder folder(root_);
  ASSERT_TRUE(folder.writeBytes(u"用户diy文件\\用户词库.txt", "old\r\n"));
  ASSERT_TRUE(folder.writeBytes(u"用户diy文件\\用户词库.txt", "new\r\n"));
  EXPECT_EQ(folder.readBytes(u"用户diy文件\\用户词库.txt"), "new\r\n");
  int files = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder.path(u"用户diy文件"))) ++files;
  EXPECT_EQ(files, 1);  // no temporary file is left beside it
  std::error_code why;
  EXPECT_FALSE(folder.writeBytes(u"没有的文件夹\\设置记录.ini", "x", &why));
  EXPECT_TRUE(why);
  ReadFailure failure = ReadFailure::None;
  EXPECT_EQ(folder.readBytes(u"用户diy文件", kAnyFileLimit, &failure), std::nullopt);
  EXPECT_EQ(failure, ReadFailure::NotRegular);
}

TEST_F(FolderOnWindows, StampsInSecondsSince1970) {
  ProgramFolder folder(root_);
  ASSERT_TRUE(folder.writeBytes(u"用户diy文件\\两码词库.txt", "aa,x 1\r\n"));
  const auto when = std::chrono::sys_time<std::chrono::microseconds>(
      std::chrono::microseconds(1577836800123456));  // 2020-01-01 00:00:00.123456 UTC
  std::filesystem::last_write_time(folder.path(u"用户diy文件\\两码词库.txt"),
                                   std::chrono::file_clock::from_sys(when));
  const auto stamp = folder.stamp(u"用户diy文件\\两码词库.txt");
  ASSERT_TRUE(stamp);
  EXPECT_EQ(stamp->size, 8u);
  EXPECT_EQ(stamp->modified, 1577836800);  // to the second, on every system
}

}  // namespace
}  // namespace yz
