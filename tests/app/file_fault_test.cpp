// Start-up files that are damaged, in another encoding, oversized, outdated or unwritable: the
// user's file is byte for byte as it was afterwards (or converted as the message says), the start
// goes on where it can, and the user is told once.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>

#include "app/load.h"
#include "lexbuild/char_lexicon.h"
#include "lexicon/image_loader.h"
#include "lexicon/user_store.h"
#include "program_fixture.h"

namespace yz {
namespace {

using testing::ProgramFolderTest;

std::string utf8(const std::vector<std::u16string>& messages) {
  std::string out;
  for (const auto& m : messages) out += toUtf8(m) + "\n";
  return out;
}

std::string utf16le(std::u16string_view text, bool bom) {
  std::string out = bom ? std::string("\xFF\xFE") : std::string();
  for (char16_t c : text) {
    out.push_back(static_cast<char>(c & 0xFF));
    out.push_back(static_cast<char>(c >> 8));
  }
  return out;
}

std::string utf16be(std::u16string_view text) {
  std::string out("\xFE\xFF");
  for (char16_t c : text) {
    out.push_back(static_cast<char>(c >> 8));
    out.push_back(static_cast<char>(c & 0xFF));
  }
  return out;
}

class FileFaultTest : public ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    writeTables();
  }
  void writeRaw(std::u16string_view relative, const std::string& raw) {
    ASSERT_TRUE(folder().writeBytes(relative, raw));
  }
  // Whether the user lexicon in memory holds a word under a code.
  bool userHas(std::u16string_view code, std::u16string_view word) {
    const LexiconTable& user = app().lex.userLexicon;
    for (std::int32_t i = 1; i <= user.last; ++i) {
      const auto k = static_cast<std::size_t>(i);
      if (user.codes[k] == code && user.lines[k].find(word) != std::u16string_view::npos) return true;
    }
    return false;
  }
  // What typing a script and Space commits into the target program.
  std::u16string typed(std::u16string_view keys) {
    session->type(std::u16string(keys) + u" space");
    return session->target.text;
  }
};

// --- the user lexicon in another encoding ---

struct EncodingCase {
  const char* name;
  std::string (*encode)(std::u16string_view);
  std::u16string_view copy;  // where the original is kept
  std::u16string_view encodingName;
};

const std::u16string kUserWords = u"wowo,我我 3\r\nnihk,你好 10 拟好 20\r\n";

class UserLexiconEncodingTest : public FileFaultTest,
                                public ::testing::WithParamInterface<EncodingCase> {};

// Notepad's "Unicode" and "UTF-8": every word is read, the file is saved as GBK, and the original
// bytes are kept beside it once; a second start reads the GBK file without a word of its own.
TEST_P(UserLexiconEncodingTest, ReadInItsEncodingSavedAsGbkOriginalKept) {
  const EncodingCase& c = GetParam();
  const std::string original = c.encode(kUserWords);
  writeRaw(kUserLexiconPath, original);
  start();
  EXPECT_EQ(messages(), std::vector<std::u16string>{
                            u"用户diy文件\\用户词库.txt 是 " + std::u16string(c.encodingName) +
                            u" 编码，已按原编码读入并改存为 GBK 编码；原文件保留为 " + std::u16string(c.copy) + u"。"})
      << utf8(messages());
  EXPECT_TRUE(userHas(u"wowo", u"我我"));
  EXPECT_TRUE(userHas(u"nihk", u"拟好"));
  EXPECT_EQ(bytes(c.copy), original);
  EXPECT_EQ(text(kUserLexiconPath), u"nihk,你好 010 拟好 020\r\nwowo,我我 03\r\n");

  session.reset();
  start();
  EXPECT_TRUE(messages().empty()) << utf8(messages());
  EXPECT_TRUE(userHas(u"nihk", u"你好"));
  EXPECT_EQ(bytes(c.copy), original);
  EXPECT_EQ(text(kUserLexiconPath), u"nihk,你好 010 拟好 020\r\nwowo,我我 03\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, UserLexiconEncodingTest,
    ::testing::Values(
        EncodingCase{"utf16le", [](std::u16string_view t) { return utf16le(t, true); },
                     u"用户diy文件\\用户词库-UTF16原文件.txt", u"UTF-16"},
        EncodingCase{"utf16be", [](std::u16string_view t) { return utf16be(t); },
                     u"用户diy文件\\用户词库-UTF16原文件.txt", u"UTF-16"},
        // Without its mark, told by the NUL bytes of its ASCII characters.
        EncodingCase{"utf16leNoMark", [](std::u16string_view t) { return utf16le(t, false); },
                     u"用户diy文件\\用户词库-UTF16原文件.txt", u"UTF-16"},
        EncodingCase{"utf8bom", [](std::u16string_view t) { return "\xEF\xBB\xBF" + toUtf8(t); },
                     u"用户diy文件\\用户词库-UTF8原文件.txt", u"UTF-8"},
        EncodingCase{"utf8", [](std::u16string_view t) { return toUtf8(t); },
                     u"用户diy文件\\用户词库-UTF8原文件.txt", u"UTF-8"}),
    [](const auto& info) { return std::string(info.param.name); });

// A copy kept at an earlier start is never replaced by another original.
TEST_F(FileFaultTest, AnEarlierOriginalCopyIsKept) {
  writeRaw(u"用户diy文件\\用户词库-UTF8原文件.txt", "earlier");
  const std::string original = toUtf8(kUserWords);
  writeRaw(kUserLexiconPath, original);
  start();
  EXPECT_EQ(bytes(u"用户diy文件\\用户词库-UTF8原文件.txt"), "earlier");
  EXPECT_EQ(bytes(u"用户diy文件\\用户词库-UTF8原文件2.txt"), original);
  EXPECT_TRUE(userHas(u"wowo", u"我我"));
}

// Bytes that are neither GBK nor UTF: the file is never written over, through the start, a
// settings commit and the exit, and the start says so once.
TEST_F(FileFaultTest, AUserLexiconNotReadCleanlyIsNeverWrittenOver) {
  for (const std::string& raw :
       {std::string("wowo,\xCE\xD2\xCE\xD2 3\r\nnihk,\x81\x20 10\r\n"),  // a lead byte without its trail
        std::string("wowo,\xCE\xD2\xCE\xD2 3\r\n\xFF\xFF\r\n")}) {
    SCOPED_TRACE(raw.size());
    writeRaw(kUserLexiconPath, raw);
    start();
    app().lifecycle->csqid();
    app().lifecycle->ended();
    EXPECT_EQ(bytes(kUserLexiconPath), raw);
    ASSERT_EQ(messages().size(), 1u) << utf8(messages());
    EXPECT_EQ(messages()[0], u"用户diy文件\\用户词库.txt 不是 GBK 编码，有些字无法正确读出。为免丢词，程序不会改写它，"
                             u"本次新造的词也不会保存。请把它另存为 ANSI（GBK）编码后重新启动。");
    session.reset();
  }
}

// --- saving the user lexicon ---

// A full disk: the old file stays, the start says once why the words were not saved, and the
// next save that works writes them.
TEST_F(FileFaultTest, AFailedSaveIsToldOnceWithItsReason) {
  writeLines(kUserLexiconPath, {u"wowo,我我 03"});
  const auto before = bytes(kUserLexiconPath);
  faults->failFile(kUserLexiconPath, WriteFaults::Step::Write, std::make_error_code(std::errc::no_space_on_device));
  start();
  EXPECT_EQ(messages(), std::vector<std::u16string>{
                            u"用户词库没能保存到 用户diy文件\\用户词库.txt：磁盘空间不足。原来的文件没有改动，新造的词还没有存下。"})
      << utf8(messages());
  app().lifecycle->csqid();
  EXPECT_EQ(messages().size(), 1u);  // once
  EXPECT_EQ(bytes(kUserLexiconPath), before);

  faults->clearFile(kUserLexiconPath);
  app().lex.userLexicon.codes.push(u"zizi");
  app().lex.userLexicon.lines.push(u"在在 3");
  ++app().lex.userLexicon.last;
  app().lifecycle->csqid();
  EXPECT_EQ(messages().size(), 1u);
  EXPECT_EQ(text(kUserLexiconPath), u"wowo,我我 03\r\nzizi,在在 3\r\n");
}

// Temporary files a kill left behind go at the next start; other files of the folders stay.
TEST_F(FileFaultTest, StaleTemporaryFilesAreRemovedAtStart) {
  writeRaw(std::u16string(kUserLexiconPath) + u".tmp", std::string(4096, 'x'));
  writeRaw(std::u16string(kMainLexiconPath) + u".4711-0.tmp", "aa,");
  writeRaw(u"设置记录.ini.tmp", "");
  writeRaw(u"用户diy文件\\笔记.tmp", "mine");
  start();
  EXPECT_FALSE(exists(std::u16string(kUserLexiconPath) + u".tmp"));
  EXPECT_FALSE(exists(std::u16string(kMainLexiconPath) + u".4711-0.tmp"));
  EXPECT_FALSE(exists(u"设置记录.ini.tmp"));
  EXPECT_EQ(bytes(u"用户diy文件\\笔记.tmp"), "mine");
}

// --- table files the user saved in an editor ---

// The system lexicon and the privileged codes are read in the encoding their bytes show; bytes of
// no known encoding are refused with a message, never read as junk.
TEST_F(FileFaultTest, TableFilesAreReadInTheirOwnEncoding) {
  struct Case {
    const char* name;
    std::function<std::string(std::u16string_view)> encode;
    bool refused;
  };
  const std::vector<Case> cases = {
      {"utf8", [](std::u16string_view t) { return toUtf8(t); }, false},
      {"utf8bom", [](std::u16string_view t) { return "\xEF\xBB\xBF" + toUtf8(t); }, false},
      {"utf16", [](std::u16string_view t) { return utf16le(t, true); }, false},
      {"utf16be", [](std::u16string_view t) { return utf16be(t); }, false},
      {"unclean", [](std::u16string_view t) { return toUtf8(t) + "\xFF"; }, true},
  };
  const std::u16string lexicon = u"aa,啊 156.726\r\nde,的 1 得 5\r\nni,你 1 尼 5\r\nwo,我 1\r\n";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    session.reset();
    Settings s;
    s.zrspbt = 1;
    writeSettings(u"设置记录.ini", s);
    writeRaw(kMainLexiconPath, c.encode(lexicon));
    writeRaw(kPrivilegedCodesPath, c.encode(u"ni_,你\r\n"));
    start();
    const PrivilegedCodeTable& t = app().lex.privileged;
    if (c.refused) {
      EXPECT_EQ(t.tqgu, 0);
      const std::vector<std::u16string>& m = messages();
      EXPECT_TRUE(std::any_of(m.begin(), m.end(), [](const std::u16string& x) {
        return x.starts_with(u"用户diy文件\\特权码表.txt 不是 GBK、UTF-8 或 UTF-16 编码");
      })) << utf8(m);
      EXPECT_TRUE(std::any_of(m.begin(), m.end(), [](const std::u16string& x) {
        return x.starts_with(u"内置文件\\两码词库.txt 不是 GBK、UTF-8 或 UTF-16 编码");
      })) << utf8(m);
      continue;
    }
    EXPECT_TRUE(messages().empty()) << utf8(messages());
    ASSERT_EQ(t.tqgu, 1);
    EXPECT_EQ(t.privilegedWords[1], u"你");
    EXPECT_EQ(app().lex.mainLexicon.lines[4], u"我 1");
    EXPECT_EQ(typed(u"wo"), u"我");
  }
}

// --- the single-character lexicon ---

struct CharLexiconCase {
  const char* name;
  std::string raw;
  std::u16string_view damage;  // how the message names what is wrong
};

class CharLexiconDamageTest : public FileFaultTest,
                              public ::testing::WithParamInterface<CharLexiconCase> {};

// A damaged or empty 单字字库.txt is regenerated from the system lexicon, a damaged one kept
// aside first, and typing works.
TEST_P(CharLexiconDamageTest, IsRegeneratedAndKeptAside) {
  const CharLexiconCase& c = GetParam();
  writeRaw(kCharLexiconPath, c.raw);
  start();
  std::u16string expected = u"内置文件\\单字字库.txt " + std::u16string(c.damage) + u"，已重新生成";
  if (!c.raw.empty()) expected += u"；原文件另存为 内置文件\\单字字库-损坏.txt";
  EXPECT_EQ(messages(), std::vector<std::u16string>{expected + u"。"}) << utf8(messages());
  EXPECT_NE(text(kCharLexiconPath).find(u"wo,我 1\r\n"), std::u16string::npos);
  EXPECT_EQ(charLexiconDamage(text(kCharLexiconPath)), u"");
  if (c.raw.empty()) {
    EXPECT_FALSE(exists(kDamagedCharLexiconCopy));
  } else {
    EXPECT_EQ(bytes(kDamagedCharLexiconCopy), c.raw);
  }
  EXPECT_EQ(typed(u"wo"), u"我");
}

INSTANTIATE_TEST_SUITE_P(
    Variants, CharLexiconDamageTest,
    ::testing::Values(
        CharLexiconCase{"empty", "", u"是空的"},
        CharLexiconCase{"blank_lines", "\r\n\r\n", u"是空的"},
        CharLexiconCase{"binary", std::string("\x01\x02\x00\x80\xFF,\x81", 7), u"已损坏（第 1 行有误）"},
        CharLexiconCase{"no_comma", "a,x 1\r\nde x 1\r\n", u"已损坏（第 2 行有误）"},
        CharLexiconCase{"empty_list", "a,x 1\r\nde,\r\nwo,x 1\r\n", u"已损坏（第 2 行有误）"},
        CharLexiconCase{"out_of_order", "wo,x 1\r\nde,x 1\r\n", u"已损坏（第 2 行次序错乱）"},
        CharLexiconCase{"cut_in_a_line", "a,x 1\r\nde,", u"已损坏（第 2 行有误）"},
        // Cut inside its last weight (head -c): every line still looks sound.
        CharLexiconCase{"cut_in_the_last_weight", "a,x 1\r\nwo,x 1", u"已损坏（第 2 行不完整）"},
        CharLexiconCase{"utf16", utf16le(u"a,啊 1\r\nwo,我 1\r\n", true), u"已损坏（第 1 行有误）"}),
    [](const auto& info) { return std::string(info.param.name); });

// --- the lexicon image ---

// An image left beside a newer text lexicon (a regeneration killed between writing the text and
// the image, or a lexicon copied in by hand) is not used: the text and a single-character lexicon
// made from it pair up, and the image is made again without a word.
TEST_F(FileFaultTest, AnOutdatedImageIsIgnoredAndRenewed) {
  LexiconTable old;
  old.reset();
  old.codes.push(u"wo");
  old.lines.push(u"窝 1");
  old.last = 1;
  writeLines(kMainLexiconPath, {u"wo,窝 1"});
  writeRaw(kLexiconImagePath, encodeLexiconImage(old, *folder().stamp(kMainLexiconPath)));
  // The regeneration then replaced the text, removed the single-character lexicon and was killed.
  writeLines(kMainLexiconPath, {u"aa,啊 156.726", u"de,的 1 得 5", u"ni,你 1 尼 5", u"wo,我 1"});
  const auto textBefore = bytes(kMainLexiconPath);
  std::filesystem::remove(folder().path(kCharLexiconPath));
  start();
  EXPECT_EQ(bytes(kMainLexiconPath), textBefore);
  EXPECT_TRUE(messages().empty()) << utf8(messages());
  EXPECT_EQ(app().lex.mainLexicon.last, 4);
  EXPECT_NE(text(kCharLexiconPath).find(u"wo,我 1"), std::u16string::npos);
  EXPECT_EQ(text(kCharLexiconPath).find(u"窝"), std::u16string::npos);
  EXPECT_EQ(typed(u"wo"), u"我");
  LexiconTable renewed;
  ASSERT_TRUE(duqudaciku(folder(), renewed).ok);
  EXPECT_EQ(renewed.last, 4);
}

// An empty or unreadable text lexicon never replaces a sound image made from an earlier one: the
// image is used, left as it is, and the start says why.
TEST_F(FileFaultTest, AnEmptyOrUnreadableTextLexiconLeavesASoundImageInPlace) {
  for (const bool unclean : {false, true}) {
    SCOPED_TRACE(unclean);
    start();
    writeRaw(kLexiconImagePath, encodeLexiconImage(app().lex.mainLexicon, *folder().stamp(kMainLexiconPath)));
    session.reset();
    const auto image = bytes(kLexiconImagePath);
    std::filesystem::remove(folder().path(kMainLexiconPath));
    writeRaw(kMainLexiconPath, unclean ? std::string("wo,\xFF\xFF 1\r\n") : std::string());
    start();
    std::vector<std::u16string> expected;
    if (unclean) {
      expected.push_back(u"内置文件\\两码词库.txt 不是 GBK、UTF-8 或 UTF-16 编码，有些字无法正确读出，没有使用它。"
                         u"请把它另存为 ANSI（GBK）编码后重新启动。");
    }
    expected.push_back(u"内置文件\\两码词库.txt " + std::u16string(unclean ? u"读不出" : u"中没有一条词") +
                       u"，本次沿用 内置文件\\初始化后两码词库.txt 中的词库，没有改动它。");
    EXPECT_EQ(messages(), expected) << utf8(messages());
    EXPECT_EQ(bytes(kLexiconImagePath), image);
    EXPECT_EQ(typed(u"wo"), u"我");
    session.reset();
    writeLines(kMainLexiconPath, {u"aa,啊 156.726", u"de,的 1 得 5", u"ni,你 1 尼 5", u"wo,我 1"});
  }
}

// An image of an older version (records and a seal without the index), or one without a seal
// that is older than the text lexicon, is renewed without a word; an image without a seal as new
// as the text is used as it stands, bytes after its records and all.
TEST_F(FileFaultTest, AnImageWithoutASealIsUsedUnlessOutdated) {
  start();
  const std::string image = encodeLexiconImage(app().lex.mainLexicon, *folder().stamp(kMainLexiconPath));
  const std::size_t recordsEnd = lexiconImageRecordsEnd(std::as_bytes(std::span(image.data(), image.size())));
  std::string olderSeal = image.substr(0, recordsEnd) + image.substr(image.size() - kLexiconImageSealBytes);
  olderSeal[recordsEnd + 4] = 1;  // the seal's version
  resealLexiconImage(olderSeal);
  const std::string bare = image.substr(0, recordsEnd);
  // One fewer record written over the bare image, which leaves its tail.
  std::string shorter = bare;
  shorter[0] = static_cast<char>(app().lex.mainLexicon.last - 1);
  session.reset();
  const auto textTime = std::filesystem::last_write_time(folder().path(kMainLexiconPath));
  struct Case {
    const char* name;
    std::string image;
    int seconds;  // the image's time against the text's
    bool used;
  };
  const Case cases[] = {{"older seal", olderSeal, 5, false},
                        {"bare, older than the text", bare, -5, false},
                        {"bare", bare, 5, true},
                        {"bare, written over a longer one", shorter, 0, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    writeRaw(kLexiconImagePath, c.image);
    std::filesystem::last_write_time(folder().path(kLexiconImagePath), textTime + std::chrono::seconds(c.seconds));
    start();
    EXPECT_TRUE(messages().empty()) << utf8(messages());
    EXPECT_EQ(bytes(kLexiconImagePath) == c.image, c.used);
    EXPECT_EQ(app().lex.mainLexicon.last, static_cast<std::int32_t>(static_cast<unsigned char>(c.image[0])));
    EXPECT_EQ(typed(u"wo"), u"我");
    platform().advance(1000);
    EXPECT_TRUE(messages().empty()) << utf8(messages());
    LexiconTable renewed;
    EXPECT_TRUE(duqudaciku(folder(), renewed).ok);
    session.reset();
  }
}

// Altered bytes that leave the image safe to read: the start uses it, the check after the start
// finds the checksum failed, and from then on the text lexicon is used and the image made again.
TEST_F(FileFaultTest, AnAlteredImageFallsBackToTheText) {
  start();
  std::string image = encodeLexiconImage(app().lex.mainLexicon, *folder().stamp(kMainLexiconPath));
  session.reset();
  const std::size_t firstList = 4 + 4 + 2 * 2 + 2 + 4;  // "aa", then the list's first unit
  image[firstList] = static_cast<char>(0x4A);           // 啊 (0x554A) becomes another character
  image[firstList + 1] = static_cast<char>(0x4E);
  writeRaw(kLexiconImagePath, image);
  const auto textBefore = bytes(kMainLexiconPath);
  start();
  EXPECT_TRUE(messages().empty());
  EXPECT_EQ(app().lex.mainLexicon.lines[1], u"\u4E4A 156.726");  // the altered character
  platform().advance(1000);
  EXPECT_EQ(bytes(kMainLexiconPath), textBefore);
  EXPECT_EQ(messages(), std::vector<std::u16string>{
                            u"内置文件\\初始化后两码词库.txt 已损坏，本次改用 内置文件\\两码词库.txt，并已重新生成它。"})
      << utf8(messages());
  EXPECT_EQ(app().lex.mainLexicon.lines[1], u"啊 156.726");
}

// --- what is not a file, and what is far too large ---

TEST_F(FileFaultTest, AFolderInPlaceOfAFileIsNothingRead) {
  Settings s;
  s.hxgu = u"7";
  writeSettings(u"设置记录.ini", s);
  std::filesystem::create_directory(folder().path(u"界面皮肤.ini"));
  std::filesystem::create_directory(resources_ / "101.txt");
  start();
  EXPECT_FALSE(app().loader.stopped());
  EXPECT_EQ(app().settings.hxgu, u"7");
  EXPECT_EQ(app().settings.Text6.fontName, Settings{}.Text6.fontName);
  EXPECT_EQ(typed(u"wo"), u"我");
}

// A settings value its line does not allow takes the line's default, and the start says which
// lines; the file itself is not touched by reading it.
TEST_F(FileFaultTest, SettingsValuesALineDoesNotAllowLeaveTheirControls) {
  const std::u16string defaults = settingsRecordText(Settings{}, SettingsCopy::Program);
  std::vector<std::u16string> record;
  for (auto l : splitLines(defaults)) record.emplace_back(l);
  record[5] = u"音码输入=-1";
  record[19] = u"竖排候选=inf";
  record[28] = u"特权码表=nan";
  std::u16string text;
  for (const auto& l : record) (text += l) += u"\r\n";
  write(u"设置记录.ini", text);
  const auto before = bytes(u"设置记录.ini");
  start();
  EXPECT_TRUE(messages().empty()) << utf8(messages());
  EXPECT_TRUE(app().settings.ymur);
  EXPECT_FALSE(app().settings.uphx);
  EXPECT_EQ(app().settings.zrspbt, 0);
  EXPECT_EQ(bytes(u"设置记录.ini"), before);
}

TEST_F(FileFaultTest, AnOversizedUserLexiconIsRefusedAndKept) {
  std::string huge(kUserLexiconLimit + 1, 'a');
  writeRaw(kUserLexiconPath, huge);
  start();
  EXPECT_EQ(messages(), std::vector<std::u16string>{
                            u"用户diy文件\\用户词库.txt 有 16 MB，远远超出正常大小，没有读入。程序不会改写它，"
                            u"本次新造的词也不会保存。"})
      << utf8(messages());
  app().lifecycle->ended();
  EXPECT_EQ(bytes(kUserLexiconPath), huge);
}

TEST_F(FileFaultTest, AnOversizedSyllableMasterEndsTheStartWithAMessage) {
  writeRaw(u"内置文件\\全拼-小鹤-自然-国标.txt", std::string(kSmallTableLimit + (1 << 20), 'a'));
  start();
  EXPECT_EQ(messages(), std::vector<std::u16string>{
                            u"内置文件\\全拼-小鹤-自然-国标.txt 有 5 MB，远远超出正常大小，没有读入。程序无法启动。"})
      << utf8(messages());
  EXPECT_TRUE(app().loader.stopped());
}

}  // namespace
}  // namespace yz
