#include "lexbuild/image_writer.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <span>

#include "lexbuild_test_util.h"
#include "lexicon/image_loader.h"

namespace yz {
namespace {

using testing_support::BuildFolder;

std::span<const std::byte> asBytes(const std::string& s) {
  return {reinterpret_cast<const std::byte*>(s.data()), s.size()};
}

// The records of an image as (code, list) pairs, read back by the loader.
std::vector<std::pair<std::string, std::string>> records(const std::string& image) {
  LexiconTable table;
  table.reset();
  LexiconImageResult r = readLexiconImage(asBytes(image), table);
  EXPECT_TRUE(r.ok) << r.error;
  std::vector<std::pair<std::string, std::string>> out;
  for (std::int32_t k = 1; k <= table.last; ++k) {
    out.emplace_back(toUtf8(table.codes[static_cast<std::size_t>(k)]),
                     toUtf8(table.lines[static_cast<std::size_t>(k)]));
  }
  return out;
}

TEST(LexiconImageWriter, RecordsFollowTheLinesOfTheText) {
  struct Case {
    const char16_t* text;
    std::vector<std::pair<std::string, std::string>> records;
    int skipped;
  } cases[] = {
      {u"aa,啊 156.726\r\nab,吧 120\r\nac,从 130\r\n",
       {{"aa", "啊 156.726"}, {"ab", "吧 120"}, {"ac", "从 130"}}, 0},
      // Only the first comma separates code and list.
      {u"ab,甲 1,乙 2\r\n", {{"ab", "甲 1,乙 2"}}, 0},
      // An empty list is a record with an empty list.
      {u"ab,\r\nac,从 130\r\n", {{"ab", ""}, {"ac", "从 130"}}, 0},
      // A line without a comma is no record and is not glued to the next line.
      {u"ab,吧 120\r\nbroken line\r\nac,从 130\r\n", {{"ab", "吧 120"}, {"ac", "从 130"}}, 1},
      // A last line without CR LF is read to its end.
      {u"ab,吧 120\r\nac,从 130", {{"ab", "吧 120"}, {"ac", "从 130"}}, 0},
      // Text after the last line end without a comma is no record.
      {u"ab,吧 120\r\ntail", {{"ab", "吧 120"}}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(toUtf8(c.text));
    LexiconImageBytes image = buildLexiconImage(c.text);
    EXPECT_EQ(image.records, static_cast<std::int32_t>(c.records.size()));
    EXPECT_EQ(image.skippedLines, c.skipped);
    EXPECT_EQ(records(image.bytes), c.records);
  }
}

TEST(LexiconImageWriter, StoresUtf16LengthsInBytes) {
  LexiconImageBytes image = buildLexiconImage(u"ab,中 1\r\n");
  const unsigned char expected[] = {
      1, 0, 0, 0,                                // N
      4, 0, 0, 0, 'a', 0, 'b', 0, 0, 0,          // code "ab": 4 bytes
      6, 0, 0, 0, 0x2D, 0x4E, ' ', 0, '1', 0, 0, 0,  // list "中 1": 6 bytes
  };
  ASSERT_EQ(image.bytes.size(), sizeof expected + 4 + 8 + kLexiconImageSealBytes);
  EXPECT_EQ(image.bytes.substr(0, sizeof expected),
            std::string(reinterpret_cast<const char*>(expected), sizeof expected));
  EXPECT_EQ(image.bytes.substr(sizeof expected, 4), std::string("\4\0\0\0", 4));  // the index: record 1 at 4
  // The search top of a tree of one record: no nodes, only its node count and size.
  EXPECT_EQ(image.bytes.substr(sizeof expected + 4, 8), std::string("\1\0\0\0\x08\0\0\0", 8));
  EXPECT_EQ(image.bytes.substr(sizeof expected + 12, 4), "VXIM");  // the seal follows
}

TEST(LexiconImageWriter, TextWithoutRecordsGivesNoImage) {
  for (const char16_t* text : {u"", u"\r\n", u"no comma here"}) {
    SCOPED_TRACE(toUtf8(text));
    LexiconImageBytes image = buildLexiconImage(text);
    EXPECT_EQ(image.records, 0);
    EXPECT_TRUE(image.bytes.empty());
  }
}

TEST(LexiconImageWriter, WritesAFreshFileOverALongerOne) {
  BuildFolder f;
  f.writeGbk(kMainLexiconPath, u"aa,啊 1\r\nab,吧 2\r\nac,从 3\r\nad,的 4\r\n");
  ASSERT_TRUE(writeLexiconImage(f.files(), f.sim).ok);
  f.writeGbk(kMainLexiconPath, u"aa,啊 1\r\n");
  ImageWriteResult r = writeLexiconImage(f.files(), f.sim);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.records, 1);
  LexiconTable table;
  table.reset();
  LexiconImageResult loaded = duqudaciku(f.files(), table);
  ASSERT_TRUE(loaded.ok) << loaded.error;  // no tail of the older image follows
  EXPECT_EQ(table.last, 1);
}

TEST(LexiconImageWriter, NoSourceLeavesNoImage) {
  BuildFolder f;
  f.writeGbk(kMainLexiconPath, u"aa,啊 1\r\n");
  ASSERT_TRUE(writeLexiconImage(f.files(), f.sim).ok);
  struct Case {
    const char* name;
    const char16_t* source;  // nullptr: the file is missing
  } cases[] = {{"missing", nullptr}, {"empty", u""}, {"no record", u"garbage\r\n"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(f.files().writeBytes(kLexiconImagePath, "old image"));
    if (c.source == nullptr) {
      f.files().remove(kMainLexiconPath);
    } else {
      f.writeGbk(kMainLexiconPath, c.source);
    }
    ImageWriteResult r = writeLexiconImage(f.files(), f.sim);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.removedStale);
    EXPECT_FALSE(f.files().exists(kLexiconImagePath));
  }
}

TEST(LexiconImageWriter, RefreshRebuildsOnlyAnExistingImage) {
  BuildFolder f;
  f.writeGbk(kMainLexiconPath, u"aa,啊 1\r\n");
  EXPECT_FALSE(refreshLexiconImage(f.files(), f.sim).ok);
  EXPECT_FALSE(f.files().exists(kLexiconImagePath));

  ASSERT_TRUE(writeLexiconImage(f.files(), f.sim).ok);
  f.writeGbk(kMainLexiconPath, u"aa,啊 1\r\nab,吧 2\r\n");
  EXPECT_TRUE(refreshLexiconImage(f.files(), f.sim).ok);
  LexiconTable table;
  table.reset();
  ASSERT_TRUE(duqudaciku(f.files(), table).ok);
  EXPECT_EQ(table.last, 2);
}

TEST(LexiconImageWriter, CommandReportsItsTimeAndEndsTheProgram) {
  BuildFolder f;
  f.writeGbk(kMainLexiconPath, u"aa,啊 1\r\n");
  ImageWriteResult r = iuuihw(f.files(), f.sim);
  EXPECT_TRUE(r.ok);
  ASSERT_EQ(f.sim.messageBoxes.size(), 1u);
  EXPECT_EQ(toUtf8(f.sim.messageBoxes[0].text), "词库初始化耗时  0  秒");
  EXPECT_TRUE(f.sim.quitRequested);
}

TEST(LexiconImageWriter, SecondsText) {
  struct Case {
    std::uint32_t ms;
    const char* text;
  } cases[] = {{0, "0"}, {3500, "3.5"}, {2000, "2"}, {1234, "1.234"}, {10, "0.01"}, {61020, "61.02"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ms);
    EXPECT_EQ(toUtf8(secondsText(c.ms)), c.text);
  }
}

}  // namespace
}  // namespace yz
