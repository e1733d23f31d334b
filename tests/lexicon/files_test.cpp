#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <unistd.h>

#include "lexicon/files.h"
#include "lexicon/text_encoding.h"
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

// A file regenerated at every start is written only when its bytes change: the same bytes leave
// the file itself (and its time) alone, other bytes replace it, a missing file is made.
TEST_F(ProgramFolderTest, RefreshWritesOnlyChangedBytes) {
  ProgramFolder folder(root_);
  const std::filesystem::path file = folder.path(u"qp2sp.txt");
  ASSERT_TRUE(folder.refreshBytes(u"qp2sp.txt", "a,aa\r\n"));
  const auto past = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
  std::filesystem::last_write_time(file, past);
  ASSERT_TRUE(folder.refreshBytes(u"qp2sp.txt", "a,aa\r\n"));
  EXPECT_EQ(std::filesystem::last_write_time(file), past);
  ASSERT_TRUE(folder.refreshBytes(u"qp2sp.txt", "a,ab\r\n"));
  EXPECT_NE(std::filesystem::last_write_time(file), past);
  EXPECT_EQ(folder.readBytes(u"qp2sp.txt"), "a,ab\r\n");
  ASSERT_TRUE(folder.copy(u"qp2sp.txt", u"copy.txt"));
  EXPECT_EQ(folder.readBytes(u"copy.txt"), "a,ab\r\n");
}

TEST_F(ProgramFolderTest, FailedWriteKeepsTheOldFile) {
  ProgramFolder folder(root_);
  ASSERT_TRUE(folder.writeBytes(u"设置记录.ini", "old"));
  // A folder that does not exist cannot take the temporary file.
  EXPECT_FALSE(folder.writeBytes(u"missing\\设置记录.ini", "new"));
  EXPECT_EQ(folder.readBytes(u"设置记录.ini"), "old");
  EXPECT_EQ(folder.readBytes(u"missing\\none.txt"), std::nullopt);
}

// Only a regular file is read, and one beyond the caller's bound is refused unread.
TEST_F(ProgramFolderTest, ReadsOnlyRegularFilesWithinTheirBound) {
  ProgramFolder folder(root_);
  std::filesystem::create_directories(folder.path(u"界面皮肤.ini"));
  ReadFailure why = ReadFailure::None;
  EXPECT_EQ(folder.readBytes(u"界面皮肤.ini", kAnyFileLimit, &why), std::nullopt);
  EXPECT_EQ(why, ReadFailure::NotRegular);
  EXPECT_EQ(folder.readBytes(u"none.txt", kAnyFileLimit, &why), std::nullopt);
  EXPECT_EQ(why, ReadFailure::Missing);
  ASSERT_TRUE(folder.writeBytes(u"big.txt", std::string(100, 'x')));
  EXPECT_EQ(folder.readBytes(u"big.txt", 99, &why), std::nullopt);
  EXPECT_EQ(why, ReadFailure::TooLarge);
  EXPECT_EQ(folder.readBytes(u"big.txt", 100, &why), std::string(100, 'x'));
  EXPECT_EQ(why, ReadFailure::None);
}

// A failed write says why, in the user's words, and leaves no temporary file.
TEST_F(ProgramFolderTest, AFailedWriteSaysWhy) {
  ProgramFolder folder(root_);
  std::error_code why;
  EXPECT_FALSE(folder.writeBytes(u"missing\\设置记录.ini", "new", &why));
  EXPECT_EQ(writeFailureReason(why), u"文件夹不存在");
}

// A write that fails at any of its steps leaves the old file and no temporary file, and says the
// step's reason.
TEST_F(ProgramFolderTest, AWriteFailingAtAnyStepKeepsTheOldFile) {
  using Step = WriteFaults::Step;
  ProgramFolder folder(root_);
  ASSERT_TRUE(folder.writeBytes(u"用户词库.txt", "old"));
  auto faults = std::make_shared<WriteFaults>();
  folder.setWriteFaults(faults);
  for (Step step : {Step::Open, Step::Write, Step::Sync, Step::Rename}) {
    SCOPED_TRACE(static_cast<int>(step));
    faults->failNth(step, 2, std::make_error_code(std::errc::no_space_on_device));
    ASSERT_TRUE(folder.writeBytes(u"其他.txt", "other"));  // the first one goes through
    std::error_code why;
    EXPECT_FALSE(folder.writeBytes(u"用户词库.txt", "new", &why));
    EXPECT_EQ(writeFailureReason(why), u"磁盘空间不足");
    EXPECT_EQ(folder.readBytes(u"用户词库.txt"), "old");
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(root_)) ++files;
    EXPECT_EQ(files, 2);
    EXPECT_TRUE(folder.writeBytes(u"用户词库.txt", "old"));  // a fault fails one step only
  }
  faults->failFile(u"用户词库.txt", Step::Rename, std::make_error_code(std::errc::permission_denied));
  EXPECT_FALSE(folder.writeBytes(u"用户词库.txt", "new"));
  EXPECT_TRUE(folder.writeBytes(u"其他.txt", "new"));
  faults->clearFile(u"用户词库.txt");
  EXPECT_TRUE(folder.writeBytes(u"用户词库.txt", "new"));
}

// The temporary file is the writer's own: a leftover of a killed run, or of an older version at
// the plain ".tmp" name, neither stops a write nor is written into.
TEST_F(ProgramFolderTest, TheTemporaryFileIsNeverALeftover) {
  ProgramFolder folder(root_);
  std::filesystem::create_directories(folder.path(u"两码词库.txt.tmp"));
  ASSERT_TRUE(folder.writeBytes(u"两码词库.txt", "aa,x 1\r\n"));
  std::filesystem::path leftover;
  for (const auto& e : std::filesystem::directory_iterator(root_)) {
    if (e.path() != folder.path(u"两码词库.txt") && e.path() != folder.path(u"两码词库.txt.tmp")) leftover = e.path();
  }
  EXPECT_TRUE(leftover.empty()) << leftover;
  // Every name this process would pick first is taken by someone else's file.
  for (int n = 0; n < 3; ++n) {
    std::ofstream(folder.path(u"两码词库.txt").concat("." + std::to_string(getpid()) + "-" + std::to_string(n) + ".tmp"))
        << "theirs";
  }
  ASSERT_TRUE(folder.writeBytes(u"两码词库.txt", "bb,y 2\r\n"));
  EXPECT_EQ(folder.readBytes(u"两码词库.txt"), "bb,y 2\r\n");
  for (int n = 0; n < 3; ++n) {
    std::ifstream in(folder.path(u"两码词库.txt").concat("." + std::to_string(getpid()) + "-" + std::to_string(n) + ".tmp"));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "theirs");
  }
  EXPECT_TRUE(std::filesystem::is_directory(folder.path(u"两码词库.txt.tmp")));
}

// A file kept elsewhere through a link is written where the link points; the link stays.
TEST_F(ProgramFolderTest, ALinkIsWrittenThrough) {
  ProgramFolder folder(root_);
  std::filesystem::create_directories(root_ / "elsewhere");
  const std::filesystem::path kept = root_ / "elsewhere" / "words.txt";
  std::ofstream(kept) << "old";
  std::error_code linked;
  std::filesystem::create_symlink(kept, folder.path(u"用户词库.txt"), linked);
  if (linked) GTEST_SKIP() << "no symbolic links here";
  ASSERT_TRUE(folder.writeBytes(u"用户词库.txt", "new"));
  EXPECT_TRUE(std::filesystem::is_symlink(folder.path(u"用户词库.txt")));
  EXPECT_EQ(folder.readBytes(u"用户词库.txt"), "new");
  std::ifstream in(kept);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "new");
}

// A stamp is the size and the modification time in whole seconds since 1970, so an image made
// on one system pairs with its text lexicon on another.
TEST_F(ProgramFolderTest, StampsInSecondsSince1970) {
  ProgramFolder folder(root_);
  ASSERT_TRUE(folder.writeBytes(u"两码词库.txt", "aa,x 1\r\n"));
  const auto when = std::chrono::sys_time<std::chrono::microseconds>(
      std::chrono::microseconds(1577836800123456));  // 2020-01-01 00:00:00.123456 UTC
  std::filesystem::last_write_time(folder.path(u"两码词库.txt"), std::chrono::file_clock::from_sys(when));
  const auto stamp = folder.stamp(u"两码词库.txt");
  ASSERT_TRUE(stamp);
  EXPECT_EQ(stamp->size, 8u);
  EXPECT_EQ(stamp->modified, 1577836800);  // to the second, on every system
  EXPECT_EQ(folder.stamp(u"none.txt"), std::nullopt);
}

// Only the writer's own temporaries ("name.ext.PID-N.tmp", "name.ext.tmp") are taken for stale
// ones.
TEST_F(ProgramFolderTest, StaleTemporariesOfTheWriterOnly) {
  ProgramFolder folder(root_);
  std::filesystem::create_directories(folder.path(u"内置文件"));
  for (std::u16string_view name :
       {u"内置文件\\两码词库.txt.tmp", u"dzmb.ls.tmp", u"设置记录.ini.tmp", u"内置文件\\单字字库.txt.4711-0.tmp",
        u"yhckx.vx.12-345.tmp", u"mine.tmp", u"内置文件\\notes.doc.tmp", u"notes.doc.12-3.tmp", u"a.txt.x-1.tmp",
        u"a.txt.1-.tmp", u"a.txt.1-2-3.tmp"}) {
    ASSERT_TRUE(folder.writeBytes(name, "x"));
  }
  EXPECT_EQ(folder.removeStaleTemporaries(), 5);
  EXPECT_TRUE(folder.exists(u"a.txt.x-1.tmp"));
  EXPECT_TRUE(folder.exists(u"a.txt.1-2-3.tmp"));
  EXPECT_TRUE(folder.exists(u"mine.tmp"));
  EXPECT_TRUE(folder.exists(u"内置文件\\notes.doc.tmp"));
  EXPECT_FALSE(folder.exists(u"dzmb.ls.tmp"));
}

TEST(TextEncoding, FoundByMarkOrByValidUtf8) {
  SimPlatform sim;
  const std::string gbk = sim.toGbk(u"中国,我们 1\r\n");
  const std::string utf8 = toUtf8(u"中国,我们 1\r\n");
  EXPECT_EQ(decodeUserText(gbk, sim).encoding, TextEncoding::Gbk);
  EXPECT_EQ(decodeUserText(gbk, sim).text, u"中国,我们 1\r\n");
  EXPECT_EQ(decodeUserText(utf8, sim).encoding, TextEncoding::Utf8);  // pairs up as GBK, too
  EXPECT_TRUE(isCleanGbk(utf8));
  EXPECT_EQ(decodeUserText(utf8, sim).text, u"中国,我们 1\r\n");
  EXPECT_EQ(decodeUserText("\xEF\xBB\xBF" "ab", sim).text, u"ab");
  EXPECT_EQ(decodeUserText(std::string("\xFF\xFE" "a\0", 4), sim).text, u"a");
  EXPECT_EQ(decodeUserText(std::string("\xFE\xFF\0" "a", 4), sim).text, u"a");
  EXPECT_EQ(decodeUserText("ascii only", sim).encoding, TextEncoding::Gbk);
  for (const std::string& unclean : {std::string("a\0b", 3), std::string("\x81"), std::string("\x81 "),
                                     std::string("\xFF\xFF")}) {
    EXPECT_EQ(decodeUserText(unclean, sim).encoding, TextEncoding::Unclean);
  }
  // UTF-16 without its mark, told by the NUL bytes of its ASCII characters; 一 (U+4E00) puts a
  // NUL on the other side of its pair.
  std::string le, be;
  for (char16_t ch : std::u16string_view(u"一中,我们 1\r\n")) {
    le += {static_cast<char>(ch & 0xFF), static_cast<char>(ch >> 8)};
    be += {static_cast<char>(ch >> 8), static_cast<char>(ch & 0xFF)};
  }
  EXPECT_EQ(decodeUserText(le, sim).encoding, TextEncoding::Utf16LE);
  EXPECT_EQ(decodeUserText(le, sim).text, u"一中,我们 1\r\n");
  EXPECT_EQ(decodeUserText(be, sim).encoding, TextEncoding::Utf16BE);
  EXPECT_EQ(decodeUserText(be, sim).text, u"一中,我们 1\r\n");
  // Binary bytes with NULs: control characters, a NUL character, an odd length.
  for (const std::string& binary : {std::string("\x01\0\x02\0", 4), std::string("ab\0\0", 4),
                                    le.substr(1), std::string("\x7F\0a\0", 4)}) {
    EXPECT_EQ(decodeUserText(binary, sim).encoding, TextEncoding::Unclean);
  }
  EXPECT_FALSE(isUtf8BeyondAscii("\xED\xA0\x80"));  // a surrogate
  EXPECT_FALSE(isUtf8BeyondAscii("\xE0\x80\xAF"));  // an overlong form
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
