#include "lexicon/image_loader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>

#include "lexicon/files.h"
#include "lexicon/utf.h"
#include "lexicon_test_util.h"
#include "platform/sim/sim_platform.h"

namespace yz {
namespace {

using testing_support::makeTable;
using testing_support::TempProgramFolder;

std::span<const std::byte> asBytes(const std::string& s) {
  return {reinterpret_cast<const std::byte*>(s.data()), s.size()};
}

void putInt32(std::string& s, std::size_t at, std::int32_t v) {
  auto u = static_cast<std::uint32_t>(v);
  for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((u >> (8 * i)) & 0xFF);
}

const std::string kTwoRecords = encodeLexiconImage(
    makeTable({{u"aa", u"啊 308 阿 372"}, {u"ab", u"把 100"}}));

bool isInside(const LexiconTable& t, std::u16string_view text) {
  const char16_t* begin = t.buffer->data();
  return text.data() >= begin && text.data() + text.size() <= begin + t.buffer->size();
}

TEST(LexiconImage, OneRecordYieldsEntryOne) {
  std::string image = encodeLexiconImage(makeTable({{u"aa", u"啊 308"}}));
  LexiconTable t;
  t.reset();
  auto r = readLexiconImage(asBytes(image), t);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.lexiconImageCount, 1);
  EXPECT_EQ(t.last, 1);
  EXPECT_EQ(t.codes[1], u"aa");
  EXPECT_EQ(t.lines[1], u"啊 308");
  EXPECT_TRUE(t.codes[0].empty());
  EXPECT_TRUE(isInside(t, t.codes[1]));  // viewed in place, not copied
  EXPECT_TRUE(isInside(t, t.lines[1]));
}

TEST(LexiconImage, EmptyCandidateListAndTheNextRecordAfterIt) {
  std::string image = encodeLexiconImage(makeTable({{u"aa", u""}, {u"ab", u"把 1"}}));
  // The second record's code length sits 6 bytes after the list's length field.
  std::size_t listLength = 4 + 4 + 4 + 2;
  EXPECT_EQ(image.substr(listLength + 6, 4), std::string("\x04\0\0\0", 4));
  LexiconTable t;
  ASSERT_TRUE(readLexiconImage(asBytes(image), t).ok);
  EXPECT_EQ(t.lines[1], u"");
  EXPECT_EQ(t.codes[2], u"ab");
  EXPECT_EQ(t.lines[2], u"把 1");
}

TEST(LexiconImage, SlotWritesAfterLoadOwnTheirText) {
  LexiconTable t;
  ASSERT_TRUE(readLexiconImage(asBytes(kTwoRecords), t).ok);
  t.lines.set(0, u"scratch line of the code lookup");
  t.lines.set(2, u"命令结果 100");
  EXPECT_EQ(t.lines[0], u"scratch line of the code lookup");
  EXPECT_EQ(t.lines[2], u"命令结果 100");
  EXPECT_FALSE(isInside(t, t.lines[2]));
  EXPECT_EQ(t.lines[1], u"啊 308 阿 372");
  EXPECT_EQ(t.codes[2], u"ab");
}

TEST(LexiconImage, ReloadReplacesTableAndBufferTogether) {
  TempProgramFolder dir;
  ProgramFolder files(dir.root());
  ASSERT_TRUE(files.writeBytes(kLexiconImagePath, kTwoRecords));
  LexiconTable t;
  t.reset();
  ASSERT_TRUE(duqudaciku(files, t).ok);
  std::weak_ptr<const TextBuffer> old = t.buffer;
  t.lines.set(1, u"written 1");

  ASSERT_TRUE(files.writeBytes(kLexiconImagePath,
                               encodeLexiconImage(makeTable({{u"ba", u"八 1"}}))));
  auto r = duqudaciku(files, t);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_TRUE(old.expired());  // nothing refers into the old buffer any more
  EXPECT_EQ(t.last, 1);
  EXPECT_EQ(t.codes[1], u"ba");
  EXPECT_EQ(t.lines[1], u"八 1");
  EXPECT_EQ(t.codes.size(), 2u);
}

// The load sequence's path: the texts are viewed where the platform mapped the file. The table is
// the one a read gives; an image renamed over the mapped one (as every writer of it does) leaves
// the loaded texts intact; an altered or stale image is rejected as it is when read.
TEST(LexiconImage, MappedImageLoadsAsTheReadOne) {
  TempProgramFolder dir;
  ProgramFolder files(dir.root());
  SimPlatform sim;
  ASSERT_TRUE(files.writeBytes(kLexiconImagePath, kTwoRecords));
  LexiconTable mapped;
  auto r = duqudaciku(files, sim, mapped);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(encodeLexiconImage(mapped), kTwoRecords);
  EXPECT_TRUE(isInside(mapped, mapped.lines[1]));

  ASSERT_TRUE(files.writeBytes(kLexiconImagePath, encodeLexiconImage(makeTable({{u"ba", u"八 1"}}))));
  EXPECT_EQ(mapped.codes[2], u"ab");
  EXPECT_EQ(mapped.lines[1], u"啊 308 阿 372");

  std::string altered = kTwoRecords;
  altered[10] ^= 1;
  ASSERT_TRUE(files.writeBytes(kLexiconImagePath, altered));
  r = duqudaciku(files, sim, mapped);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(mapped.codes[2], u"ab");

  std::filesystem::create_directories(files.path(u"内置文件"));
  ASSERT_TRUE(files.writeBytes(kMainLexiconPath, "aa,x 1\r\n"));
  ASSERT_TRUE(files.writeBytes(kLexiconImagePath, kTwoRecords));  // sealed for no text lexicon
  r = duqudaciku(files, sim, mapped);
  EXPECT_FALSE(r.ok);
  EXPECT_TRUE(r.stale);
  ASSERT_TRUE(files.remove(kLexiconImagePath));
  EXPECT_FALSE(duqudaciku(files, sim, mapped).ok);
  EXPECT_EQ(mapped.lines[2], u"把 100");
}

TEST(LexiconImage, SpareReadersReadTheImageIntoTablesOfTheirOwn) {
  TempProgramFolder dir;
  ProgramFolder files(dir.root());
  for (auto reader : {&duqudaciku1, &duqudaciku2, &duqudaciku3}) EXPECT_FALSE(reader(files).ok);
  ASSERT_TRUE(files.writeBytes(kLexiconImagePath, kTwoRecords));
  for (auto reader : {&duqudaciku1, &duqudaciku2, &duqudaciku3}) {
    const LexiconImageResult r = reader(files);
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.lexiconImageCount, 2);
  }
}

// Before the file is replaced the table takes a copy of the image: it reads the same texts, none
// of them in the mapping, whether its slots still read through the index or were written since.
TEST(LexiconImage, AHeldImageReadsItsOwnCopy) {
  TempProgramFolder dir;
  ProgramFolder files(dir.root());
  SimPlatform sim;
  ASSERT_TRUE(files.writeBytes(kLexiconImagePath, kTwoRecords));
  for (const bool written : {false, true}) {
    SCOPED_TRACE(written);
    LexiconTable t;
    ASSERT_TRUE(duqudaciku(files, sim, t).ok);
    if (written) t.lines.set(1, u"啊 1");
    const std::shared_ptr<const TextBuffer> mapped = t.buffer;
    holdLexiconImageInMemory(t);
    ASSERT_TRUE(t.buffer->owned());
    EXPECT_EQ(t.codes[2], u"ab");
    EXPECT_EQ(t.lines[2], u"把 100");
    EXPECT_EQ(t.lines[1], written ? u"啊 1" : u"啊 308 阿 372");
    EXPECT_TRUE(isInside(t, t.codes[1]));
    EXPECT_TRUE(isInside(t, t.lines[2]));
    EXPECT_EQ(encodeLexiconImage(t) == kTwoRecords, !written);
  }
}

// A start checks only what makes the image safe to read; what else is wrong with it, the later
// full check finds, a stretch at a time.
TEST(LexiconImage, AStartLeavesTheFullCheckForLater) {
  TempProgramFolder dir;
  ProgramFolder files(dir.root());
  SimPlatform sim;
  std::string altered = kTwoRecords;
  altered[10] ^= 1;  // "aa" becomes "ca": out of order, and the checksum fails
  struct Case {
    const char* name;
    std::string image;
    bool sound;
  };
  const Case cases[] = {{"sound", kTwoRecords, true}, {"altered", altered, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(files.writeBytes(kLexiconImagePath, c.image));
    LexiconTable t;
    std::unique_ptr<LexiconImageCheck> check;
    const auto r = duqudaciku(files, sim, t, &check);
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_NE(check, nullptr);
    EXPECT_EQ(t.last, 2);
    EXPECT_EQ(t.lines[2], u"把 100");
    int steps = 1;
    while (!check->step(8)) ++steps;
    EXPECT_GT(steps, 1);  // a stretch at a time
    EXPECT_EQ(check->result().ok, c.sound) << check->result().error;
    EXPECT_EQ(check->step(8), true);
  }
}

TEST(LexiconImage, MissingImageLeavesTheTableAsItWas) {
  TempProgramFolder dir;
  ProgramFolder files(dir.root());
  LexiconTable t = makeTable({{u"aa", u"啊 1"}});
  EXPECT_FALSE(duqudaciku(files, t).ok);
  EXPECT_EQ(t.last, 1);
  EXPECT_EQ(t.lines[1], u"啊 1");
}

// Every malformed image is rejected whole, reads nothing outside its bytes (run under the
// sanitizers) and leaves the table as it was.
TEST(LexiconImage, MalformedImagesAreRejectedWhole) {
  struct Case {
    const char* name;
    std::string image;
  };
  // Each case carries a valid checksum, so the walk over the records is what rejects it.
  auto with = [](std::size_t at, std::int32_t v) {
    std::string s = kTwoRecords;
    putInt32(s, at, v);
    resealLexiconImage(s);
    return s;
  };
  auto sealed = [](std::string s) {
    resealLexiconImage(s);
    return s;
  };
  const std::size_t indexAt = lexiconImageRecordsEnd(asBytes(kTwoRecords));
  const std::string records = kTwoRecords.substr(0, indexAt);
  const std::string index = kTwoRecords.substr(indexAt, 2 * 4);
  const std::size_t sealAt = kTwoRecords.size() - kLexiconImageSealBytes;
  const std::string top = kTwoRecords.substr(indexAt + index.size(), sealAt - indexAt - index.size());
  const std::string seal = kTwoRecords.substr(sealAt);
  std::size_t secondCode = 4 + (4 + 4 + 2) + (4 + 2 * 9 + 2);
  std::string oddLength = with(4, 3);
  std::string noTerminator = kTwoRecords;
  noTerminator[4 + 4 + 4] = 'x';
  resealLexiconImage(noTerminator);
  std::string altered = kTwoRecords;
  altered[4 + 4 + 2] ^= 0x01;  // "aa" becomes "ca": a sound image but for its checksum
  std::string outOfOrder = encodeLexiconImage(makeTable({{u"ab", u"把 1"}, {u"aa", u"啊 1"}}));
  const Case cases[] = {
      {"empty file", ""},
      {"shorter than the count", std::string("\x01\0", 2)},
      {"count 0", with(0, 0)},
      {"negative count", with(0, -1)},
      {"count larger than the file", with(0, 3)},
      {"huge count", with(0, 0x7FFFFFFF)},
      {"code length past the end", with(4, 1000)},
      {"negative code length", with(4, -2)},
      {"most negative length", with(4, INT32_MIN)},
      {"list length past the end", with(4 + 4 + 4 + 2, 0x7FFFFFFE)},
      {"negative list length", with(secondCode, -4)},
      {"odd length", oddLength},
      {"missing terminator", noTerminator},
      {"truncated in the last text", sealed(records.substr(0, records.size() - 3) + index + top + seal)},
      {"truncated in a length", sealed(records.substr(0, secondCode + 2) + index + top + seal)},
      {"trailing bytes", sealed(records + std::string(2, '\0') + index + top + seal)},
      {"first index entry elsewhere", with(indexAt, 6)},
      {"index entry inside a record", with(indexAt + 4, static_cast<std::int32_t>(secondCode) - 2)},
      {"index entry past the records", with(indexAt + 4, static_cast<std::int32_t>(indexAt))},
      {"index entry odd", with(indexAt + 4, static_cast<std::int32_t>(secondCode) + 1)},
      {"no index", sealed(records + top + seal)},
      {"no search top", sealed(records + index + seal)},
      {"search top larger than the image", with(sealAt - 4, 0x7FFFFFF0)},
      {"search top smaller than its end", with(sealAt - 4, 4)},
      {"search top of too many nodes", with(sealAt - 8, static_cast<std::int32_t>(kSearchTopNodes) + 1)},
      {"search top's node table past its end", with(sealAt - 8, 2)},
      {"codes out of order", outOfOrder},
      {"altered byte", altered},
      {"seal of a later version", with(sealAt + 4, 4)},
      {"seal of the version before the search top", with(sealAt + 4, 2)},
      {"seal of the version before the index", sealed(records + index + top + seal.substr(0, 4) + std::string("\1\0\0\0", 4) + seal.substr(8))},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(checkLexiconImage(asBytes(c.image)).ok);
    LexiconTable t = makeTable({{u"zz", u"在 1"}});
    auto r = readLexiconImage(asBytes(c.image), t);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
    EXPECT_EQ(t.last, 1);
    EXPECT_EQ(t.codes[1], u"zz");
    EXPECT_EQ(t.buffer, nullptr);
    // Opened with a start's checks only, every entry reads inside the image, or empty, the
    // image then counting as damaged.
    LexiconTable opened;
    if (!openLexiconImage(asBytes(c.image), opened).ok) continue;
    bool empty = false;
    for (std::int32_t k = 1; k <= opened.last; ++k) {
      for (const TextColumn* column : {&opened.codes, &opened.lines}) {
        const std::u16string_view text = (*column)[static_cast<std::size_t>(k)];
        if (text.data() == nullptr) empty = true;
        else EXPECT_TRUE(isInside(opened, text));
      }
    }
    EXPECT_EQ(opened.codes.records()->damaged(), empty);
  }
}

// The search top holds the codes the main lexicon's search compares first: a start reads a node's
// code there, bounds-checked at each read, and the full check holds the nodes against the tree
// of the records and their codes.
TEST(LexiconImage, TheSearchTopHoldsTheTreesCodesAndIsCheckedAsTheRecordsAre) {
  const std::string image = encodeLexiconImage(makeTable({{u"aa", u"啊 1"}, {u"ab", u"把 1"}, {u"ac", u"擦 1"},
                                                          {u"ad", u"的 1"}, {u"ae", u"额 1"}, {u"af", u"发 1"},
                                                          {u"ag", u"个 1"}}));
  // Seven records: node 1 compares record 4, its halves record 2 and 5, then 3 (node 5) and 6 (node 7).
  const std::pair<std::size_t, std::size_t> nodes[] = {{1, 4}, {2, 2}, {3, 5}, {5, 3}, {7, 6}};
  const std::size_t topAt = lexiconImageRecordsEnd(asBytes(image)) + 4 * 7;
  LexiconTable t;
  ASSERT_TRUE(openLexiconImage(asBytes(image), t).ok);
  ASSERT_TRUE(checkLexiconImage(asBytes(image)).ok) << checkLexiconImage(asBytes(image)).error;
  const ImageRecords& records = *t.codes.records();
  for (const auto& [node, k] : nodes) {
    SCOPED_TRACE(node);
    const std::u16string_view code = records.searchCode(node, k);
    EXPECT_EQ(code, t.codes[k]);
    EXPECT_GE(reinterpret_cast<const char*>(code.data()), reinterpret_cast<const char*>(t.buffer->data()) + topAt);
  }
  EXPECT_EQ(records.searchCode(1, 3), u"ac");  // not the node's record: the record's own code
  EXPECT_EQ(records.searchCode(4, 1), u"aa");  // a node the tree does not have
  EXPECT_FALSE(records.damaged());

  struct Case {
    const char* name;
    std::size_t at;       // the word of node 1's entry changed: record, text offset
    std::int32_t value;
    std::u16string_view read;  // what the search reads at node 1 then
    bool damaged;
  };
  const Case cases[] = {
      {"another record", topAt, 3, u"ad", false},
      {"text out of bounds", topAt + 4, 0x7FFFFFF0, u"", true},
      {"odd text offset", topAt + 4, 1, u"", true},
      {"text past the texts' end", topAt + 4, 4 * 5 - 2, u"", true},  // five codes of two letters
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string changed = image;
    putInt32(changed, c.at, c.value);
    resealLexiconImage(changed);
    LexiconTable opened;
    ASSERT_TRUE(openLexiconImage(asBytes(changed), opened).ok);
    EXPECT_EQ(opened.codes.records()->searchCode(1, 4), c.read);
    EXPECT_EQ(opened.codes.records()->damaged(), c.damaged);
    EXPECT_FALSE(checkLexiconImage(asBytes(changed)).ok);
  }
  // A node's code altered inside its bounds: read as it is, found by the full check.
  std::string altered = image;
  altered[topAt + 12 * 7] = 'x';  // node 1's code "ad" becomes "xd"
  resealLexiconImage(altered);
  LexiconTable opened;
  ASSERT_TRUE(openLexiconImage(asBytes(altered), opened).ok);
  EXPECT_EQ(opened.codes.records()->searchCode(1, 4), u"xd");
  const LexiconImageResult r = checkLexiconImage(asBytes(altered));
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.error.find("search top"), std::string::npos) << r.error;
}

// The seal names the text lexicon the image was made from: an image beside another text (a
// regeneration cut off by a kill, a lexicon copied in by hand) is not used; without a text
// lexicon to compare with, it is.
TEST(LexiconImage, AnImageOfAnotherTextLexiconIsStale) {
  TempProgramFolder dir;
  ProgramFolder files(dir.root());
  std::filesystem::create_directories(files.path(u"内置文件"));
  ASSERT_TRUE(files.writeBytes(kMainLexiconPath, "aa,x 1\r\n"));
  const LexiconSourceStamp made = *files.stamp(kMainLexiconPath);
  ASSERT_TRUE(files.writeBytes(kLexiconImagePath, encodeLexiconImage(makeTable({{u"aa", u"啊 1"}}), made)));
  LexiconTable t = makeTable({{u"zz", u"在 1"}});
  auto r = duqudaciku(files, t);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.source, made);

  ASSERT_TRUE(files.writeBytes(kMainLexiconPath, "aa,x 1\r\nbb,y 2\r\n"));  // a new text
  t = makeTable({{u"zz", u"在 1"}});
  r = duqudaciku(files, t);
  EXPECT_FALSE(r.ok);
  EXPECT_TRUE(r.stale);
  EXPECT_EQ(t.codes[1], u"zz");

  ASSERT_TRUE(files.remove(kMainLexiconPath));
  EXPECT_TRUE(duqudaciku(files, t).ok);
}

// The records of an image, without its index and seal.
std::string recordsOf(const std::string& image) {
  return image.substr(0, lexiconImageRecordsEnd(asBytes(image)));
}

// An image of the count and the records alone is read: bytes after the last record, left by a
// longer image written over, are never looked at, and every record is checked before use.
TEST(LexiconImage, AnImageWithoutASealIsReadWhenItsRecordsAreSound) {
  const std::string bare = recordsOf(kTwoRecords);
  const std::string longer = recordsOf(encodeLexiconImage(makeTable({{u"aa", u"啊 1"}, {u"ab", u"把 1"},
                                                                      {u"ac", u"擦 1"}})));
  const std::string overLonger = bare + longer.substr(bare.size() < longer.size() ? bare.size() : 0);
  TempProgramFolder dir;
  ProgramFolder files(dir.root());
  SimPlatform sim;
  for (const std::string& image : {bare, overLonger, bare + std::string(5, 'x')}) {
    SCOPED_TRACE(image.size());
    auto check = [](const LexiconImageResult& r, const LexiconTable& t) {
      ASSERT_TRUE(r.ok) << r.error;
      EXPECT_TRUE(r.unsealed);
      EXPECT_EQ(r.lexiconImageCount, 2);
      EXPECT_EQ(recordsOf(encodeLexiconImage(t)), recordsOf(kTwoRecords));
      EXPECT_TRUE(isInside(t, t.lines[2]));
    };
    EXPECT_TRUE(checkLexiconImage(asBytes(image)).ok);
    LexiconTable t;
    check(readLexiconImage(asBytes(image), t), t);
    LexiconTable opened;
    check(openLexiconImage(asBytes(image), opened), opened);
    ASSERT_TRUE(files.writeBytes(kLexiconImagePath, image));
    LexiconTable read;
    check(duqudaciku(files, read), read);
    LexiconTable mapped;
    std::unique_ptr<LexiconImageCheck> later;
    check(duqudaciku(files, sim, mapped, &later), mapped);
    EXPECT_EQ(later, nullptr);  // checked whole already
  }

  // Damage is found before use, as in a sealed image.
  auto with = [&bare](std::size_t at, std::int32_t v) {
    std::string s = bare;
    putInt32(s, at, v);
    return s;
  };
  const std::size_t secondCode = 4 + (4 + 4 + 2) + (4 + 2 * 9 + 2);
  std::string noTerminator = bare;
  noTerminator[4 + 4 + 4] = 'x';
  const std::string damaged[] = {
      bare.substr(0, bare.size() - 1),
      bare.substr(0, secondCode + 2),
      with(0, 3),
      with(0, 0x7FFFFFFF),
      with(0, 0),
      with(4, 1000),
      with(4, -2),
      with(4, 3),
      with(secondCode, 0x7FFFFFFE),
      noTerminator,
      recordsOf(encodeLexiconImage(makeTable({{u"ab", u"把 1"}, {u"aa", u"啊 1"}}))),
  };
  for (const std::string& image : damaged) {
    SCOPED_TRACE(image.size());
    EXPECT_FALSE(checkLexiconImage(asBytes(image)).ok);
    LexiconTable t = makeTable({{u"zz", u"在 1"}});
    const LexiconImageResult r = readLexiconImage(asBytes(image), t);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.stale);
    EXPECT_EQ(t.codes[1], u"zz");
    EXPECT_FALSE(openLexiconImage(asBytes(image), t).ok);
    EXPECT_EQ(t.codes[1], u"zz");
    ASSERT_TRUE(files.writeBytes(kLexiconImagePath, image));
    EXPECT_FALSE(duqudaciku(files, sim, t).ok);
    EXPECT_EQ(t.codes[1], u"zz");
  }
}

// Without a seal to name its text lexicon, an image older than the text lexicon beside it is
// outdated; one as new or newer is used.
TEST(LexiconImage, AnImageWithoutASealOlderThanTheTextIsStale) {
  TempProgramFolder dir;
  ProgramFolder files(dir.root());
  SimPlatform sim;
  std::filesystem::create_directories(files.path(u"内置文件"));
  ASSERT_TRUE(files.writeBytes(kMainLexiconPath, "aa,x 1\r\n"));
  const auto textTime = std::filesystem::last_write_time(files.path(kMainLexiconPath));
  const std::string bare = recordsOf(kTwoRecords);
  ASSERT_TRUE(files.writeBytes(kLexiconImagePath, bare));
  const std::string tiny = recordsOf(encodeLexiconImage(makeTable({{u"a", u""}})));
  ASSERT_LT(tiny.size(), 4 + kLexiconImageSealBytes);
  for (const std::string& image : {bare, tiny}) {
    ASSERT_TRUE(files.writeBytes(kLexiconImagePath, image));
    struct Case {
      int seconds;  // the image's time against the text's
      bool used;
    };
    for (const Case c : {Case{-1, false}, Case{-3600, false}, Case{0, true}, Case{1, true}}) {
      SCOPED_TRACE(std::to_string(image.size()) + " " + std::to_string(c.seconds));
      std::filesystem::last_write_time(files.path(kLexiconImagePath), textTime + std::chrono::seconds(c.seconds));
      for (const bool mapped : {false, true}) {
        LexiconTable t = makeTable({{u"zz", u"在 1"}});
        const LexiconImageResult r = mapped ? duqudaciku(files, sim, t) : duqudaciku(files, t);
        EXPECT_EQ(r.ok, c.used) << r.error;
        EXPECT_EQ(r.stale, !c.used);
        EXPECT_EQ(t.codes[1] == u"zz", !c.used);
      }
    }
  }
}

// A cut through the records is refused; a cut behind them leaves records whole, read as an image
// without a seal.
TEST(LexiconImage, EveryTruncationThroughTheRecordsIsRejected) {
  const std::size_t recordsEnd = recordsOf(kTwoRecords).size();
  for (std::size_t n = 0; n < kTwoRecords.size(); ++n) {
    SCOPED_TRACE(n);
    std::string cut = kTwoRecords.substr(0, n);
    LexiconTable t;
    EXPECT_EQ(readLexiconImage(asBytes(cut), t).ok, n >= recordsEnd);
    EXPECT_EQ(checkLexiconImage(asBytes(cut)).ok, n >= recordsEnd);
    if (n >= recordsEnd) {
      EXPECT_EQ(encodeLexiconImage(t), kTwoRecords);
    }
  }
}

TEST(LexiconText, ParsesLinesAndReportsBadOnes) {
  LexiconTable t;
  auto r = parseLexiconText(u"aa,啊 308 阿 372\r\nab,把 x\r\nac\r\nad,的\r\nae,额 5\r\n", t);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.badLines, (std::vector<std::int32_t>{2, 3, 4}));
  ASSERT_EQ(t.last, 2);
  EXPECT_EQ(t.codes[1], u"aa");
  EXPECT_EQ(t.lines[1], u"啊 308 阿 372");
  EXPECT_EQ(t.codes[2], u"ae");
  EXPECT_EQ(t.lines[2], u"额 5");
}

TEST(LexiconText, TextAndImageLoadsAgree) {
  TempProgramFolder dir;
  ProgramFolder files(dir.root());
  SimPlatform sim;
  ASSERT_TRUE(files.writeBytes(kMainLexiconPath, sim.toGbk(u"aa,啊 308 阿 372\r\nab,把 100\r\n")));
  LexiconTable text, image;
  ASSERT_TRUE(loadLexiconText(files, sim, kMainLexiconPath, text).ok);
  ASSERT_TRUE(readLexiconImage(asBytes(encodeLexiconImage(text)), image).ok);
  EXPECT_EQ(encodeLexiconImage(image), kTwoRecords);
  EXPECT_FALSE(loadLexiconText(files, sim, u"内置文件\\none.txt", text).ok);
  EXPECT_EQ(text.last, 2);
}

}  // namespace
}  // namespace yz
