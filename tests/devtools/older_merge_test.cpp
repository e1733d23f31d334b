#include "devtools/older_merge.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "lexicon/files.h"
#include "lexicon/text_file.h"
#include "platform/sim/sim_platform.h"
#include "../support/make_table.h"
#include "../support/test_folder.h"

namespace yz {
namespace {

using Lines = std::vector<std::u16string>;

std::u16string codeOf(std::u16string_view text) {
  if (text == u"中华人民") return u"vshrrfmn";
  if (text == u"你好") return u"nihk";
  return u"";
}

TEST(OlderMerge, ScratchEntriesFromTheUserLexicon) {
  float r = 0.527634f;
  Lines out = vyfvm({u"ab,啊 088", u"中华人民", u"你好", u"", u"无码"}, codeOf, [&] { return r; });
  EXPECT_EQ(out, (Lines{u"ab,啊 088", u"vshrrfmn,中华人民 085.27634", u"vhrmn,中华人民 085.27634",
                        u"nihk,你好 085.27634"}));
}

TEST(OlderMerge, EntryMovesToTheFront) {
  EXPECT_EQ(putEntryFirst(u"中国 80 中国人 95.5", u"中国 50", 2), u"中国 50 中国人 95.5");
  EXPECT_EQ(putEntryFirst(u"北京 90 背景 120", u"背景 60", 2), u"背景 60 北京 90");
  EXPECT_EQ(putEntryFirst(u"北京 90", u"背景 60", 2), u"背景 60 北京 90");
  EXPECT_EQ(putEntryFirst(u"", u"背景 60", 2), u"背景 60");
}

TEST(OlderMerge, MergedLexicon) {
  LexiconTable main = testing_support::makeTable({{u"bjjk", u"北京 90 背景 120"}, {u"zgrf", u"中国 80"}});
  Lines merged = irct(main, {u"bjjk,背景 60", u"aaaa,啊啊 1", u"aaaa,阿阿 2", u"zz,在 5"});
  EXPECT_EQ(merged, (Lines{u"aaaa,阿阿 2 啊啊 1", u"bjjk,背景 60 北京 90", u"zgrf,中国 80", u"zz,在 5"}));
  // The main lexicon itself is untouched.
  EXPECT_EQ(main.lines[1], u"北京 90 背景 120");
  // With no new codes the output is the main lexicon, each entry once.
  EXPECT_EQ(irct(main, {}), (Lines{u"bjjk,北京 90 背景 120", u"zgrf,中国 80"}));
  EXPECT_EQ(irct(LexiconTable{}, {u"ab,x 1"}), Lines{u"ab,x 1"});
}

TEST(OlderMerge, FilesAndClosingMessage) {
  testing_support::TestFolder temp("yz-merge-");
  ProgramFolder files(temp.path());
  std::filesystem::create_directories(files.path(u"用户diy文件"));
  SimPlatform platform;
  platform.defaultMessageBoxAnswer = MessageBoxAnswer::Ok;
  LexiconTable main = testing_support::makeTable({{u"zgrf", u"中国 80"}});
  EXPECT_FALSE(irctFiles(files, platform, main, codeOf, [] { return 0.5f; }));
  ASSERT_TRUE(writeGbkLines(files, platform, kOlderUserLexiconPath, {u"你好"}));
  ASSERT_TRUE(irctFiles(files, platform, main, codeOf, [] { return 0.5f; }));
  EXPECT_EQ(readGbkLines(files, platform, kMergedLexiconPath), (Lines{u"nihk,你好 085", u"zgrf,中国 80"}));
  ASSERT_EQ(platform.messageBoxes.size(), 1u);
  EXPECT_EQ(platform.messageBoxes[0].text.substr(0, 16), u"已将用户词条插入系统词库,2词条");
}

}  // namespace
}  // namespace yz
