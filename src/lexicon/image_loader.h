#pragma once
// The main lexicon's two load paths: the binary image 内置文件\初始化后两码词库.txt, whose texts the
// table uses where they lie in one buffer, and the GBK text file of `LexiconLine`s.
//
// Image layout (little-endian): a signed 32-bit record count N >= 1, then N records of two
// strings, the code and its candidate list, each a signed 32-bit byte length B (even, without the
// terminator), B bytes of UTF-16LE text and the terminator 00 00. No padding. After the records
// the index, N uint32 offsets, that of each record's first length word; then the search top, the
// codes that the top of the main lexicon's binary search compares, kept in one place so that a
// search reads the records only near the code it looks for: for each node 1..T-1 of the search
// tree (node 1 the first middle, 2n and 2n + 1 the middles of its halves; T at most
// `kSearchTopNodes`), three uint32 (the record compared there, 0 where the tree has no such
// node; the offset of its code's text from the end of this table; the text's byte length), the
// codes' UTF-16LE texts one after another, then T and the section's byte size as uint32; then a
// seal of 32 bytes:
//
//   "VXIM"   4 bytes
//   3        int32, the seal's version (2: the same without the search top; 1: without the index)
//   size     uint64, byte size of the text lexicon the image was made from
//   time     int64, that file's modification time (whole seconds since 1970)
//   sum      uint64, checksum of every byte before it (xxHash64-style, seed 0)
//
// The checksum finds altered bytes; the stamp of the text lexicon finds an image that a newer
// text lexicon has outdated (a regeneration cut off by a kill, a lexicon copied in by hand).
//
// An image without a seal, the count and the records alone, is read too: every record is walked
// and checked before the table uses it, bytes after the last record (left by a longer image the
// file once held) are not read, and beside a text lexicon it counts only when it is not older.
//
// A start reads only what the first lookups need: it checks the seal, the count, and that the
// records, the index and the search top fit the file, and the table reads each entry through the
// index and each node through the search top, checking its bounds at every read (one out of
// bounds reads empty and marks the image damaged). The full check, every record against its index
// entry, the code order, the search top against the tree and the records, and the checksum, is
// run a stretch at a time after the start (`LexiconImageCheck`); the image is let go when it fails.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "lexicon/files.h"
#include "state/lexicon_state.h"

namespace yz {

class Platform;

// The one location of the image, for its writer and its reader.
inline constexpr std::u16string_view kLexiconImagePath = u"内置文件\\初始化后两码词库.txt";
inline constexpr std::u16string_view kMainLexiconPath = u"内置文件\\两码词库.txt";

// The text lexicon an image was made from: its size and modification time.
using LexiconSourceStamp = ProgramFolder::Stamp;

inline constexpr std::size_t kLexiconImageSealBytes = 32;
// No real image comes near this; a larger file is refused unread.
inline constexpr std::uintmax_t kLexiconImageLimit = std::uintmax_t{256} << 20;

struct LexiconImageResult {
  bool ok = false;
  std::int32_t lexiconImageCount = 0;  // records of an accepted image
  LexiconSourceStamp source;           // the seal's stamp of the text lexicon
  bool stale = false;                  // sound, but made from another text lexicon than the present
                                       // one, or by an older version of the seal
  bool unsealed = false;               // accepted without a seal: its records walked whole
  std::string error;                   // why the image was rejected
};

// The checksum the seal carries, over the bytes given.
std::uint64_t lexiconImageChecksum(std::span<const std::byte> bytes);
// Writes the checksum of an image that ends in a seal again (tests and the fuzz target alter
// images on purpose); an image shorter than a seal is left alone.
void resealLexiconImage(std::string& image);
// Appends the seal for `source` to the records of an image.
void sealLexiconImage(std::string& image, const LexiconSourceStamp& source);

// Where the records of an image with a seal end (its index and search top follow them); 0 when
// its seal or their bounds are not sound.
std::size_t lexiconImageRecordsEnd(std::span<const std::byte> bytes);

// Checks the seal, walks the records, checking every count, length, terminator, index entry,
// the code order and the search top's nodes, and checks the checksum; builds nothing.
LexiconImageResult checkLexiconImage(std::span<const std::byte> bytes);

// Builds `table` from an image in memory (one copy into the table's own buffer) once the whole
// image is checked. On failure the table is left exactly as it was.
LexiconImageResult readLexiconImage(std::span<const std::byte> bytes, LexiconTable& table);
// The same with the checks of a start only: the table may read damaged entries, empty.
LexiconImageResult openLexiconImage(std::span<const std::byte> bytes, LexiconTable& table);

class FileBytes;

// The full check of an image that a start has read with its start checks only, done a stretch
// at a time; it keeps the image's bytes alive until it is dropped.
class LexiconImageCheck {
 public:
  LexiconImageCheck(std::shared_ptr<const FileBytes> image, std::size_t recordsEnd, std::size_t count,
                    const SearchTop& top, const LexiconSourceStamp& source);
  ~LexiconImageCheck();
  // Checks about `bytes` more bytes, giving back to the system the pages it is done with; true
  // once the check has finished and `result()` tells its outcome.
  bool step(std::size_t bytes);
  const LexiconImageResult& result() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// Reads the image file with one read into one buffer and points every main-lexicon slot at its
// text inside it. A missing, unreadable, oversized or malformed image is rejected whole, and so
// is a stale one (its seal names another text lexicon than the 内置文件\两码词库.txt present, or,
// without a seal, it is older than that file; the seal is read first, so a stale image costs no
// full read): the main lexicon and its buffer stay
// as they were, and the caller may load the text lexicon instead.
LexiconImageResult duqudaciku(const ProgramFolder& files, LexiconTable& mainLexicon);
// The same through the platform's read-only mapping of the file (the load sequence): the slots
// read the mapped text, and only the pages the checks and lookups read come into memory. With
// `check`, only the start checks run before the table reads the image, and `check` receives the
// full check, still to be run; without it the image is checked whole first.
LexiconImageResult duqudaciku(const ProgramFolder& files, const Platform& platform,
                              LexiconTable& mainLexicon,
                              std::unique_ptr<LexiconImageCheck>* check = nullptr);

// Gives a table that reads a mapped image a copy of the image's bytes of its own, so that the file
// can be replaced (Windows refuses to replace a mapped file); a table that does not read a mapped
// file is left alone.
void holdLexiconImageInMemory(LexiconTable& table);

// Gives the system back the memory of the mapped image a table reads: the pages stay valid and
// come back from the file when a lookup next reads them. Does nothing to a table that reads no
// mapped image.
void releaseLexiconImagePages(const LexiconTable& table);

// Spare readers: each reads the image as `duqudaciku` does into tables of its own and drops them
// when it ends; the result tells what they read. Nothing calls them.
LexiconImageResult duqudaciku1(const ProgramFolder& files);
LexiconImageResult duqudaciku2(const ProgramFolder& files);
LexiconImageResult duqudaciku3(const ProgramFolder& files);

// The image of entries 1..last of a table, in their order, sealed with the stamp of the text
// lexicon it stands for (what the image writer stores).
std::string encodeLexiconImage(const LexiconTable& table, const LexiconSourceStamp& source = {});

struct TextLexiconResult {
  bool ok = false;                       // false only when the file cannot be read
  std::vector<std::int32_t> badLines;    // 1-based numbers of skipped lines
};

// Fills `table` from lexicon text already decoded: one line "code,word weight ..." per entry,
// entries 1..N. A line whose first weight does not begin with a digit is skipped and its number
// reported (the caller shows "词库中第 n 行有误？请检查！"). The text is copied once into the
// table's buffer and the slots view it.
TextLexiconResult parseLexiconText(std::u16string_view text, LexiconTable& table);

// Reads a GBK lexicon file of the program folder and parses it; the table is replaced only when
// the file could be read.
TextLexiconResult loadLexiconText(const ProgramFolder& files, const Platform& platform,
                                  std::u16string_view relative, LexiconTable& table);

}  // namespace yz
