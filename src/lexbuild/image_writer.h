#pragma once
// The writer of the binary lexicon image 内置文件\初始化后两码词库.txt, made from the system lexicon
// 内置文件\两码词库.txt so that the start-up takes the main lexicon without parsing text. The layout
// is the one the image loader reads (lexicon/image_loader.h):
//
//   N                  int32 LE, the number of records (at least 1)
//   N records          code, then candidate list; each: int32 LE byte length B, B bytes of
//                      UTF-16LE text, 00 00
//   seal               32 bytes: the size and modification time of the text lexicon the image
//                      was made from, and a checksum of the image (see lexicon/image_loader.h)
//
// A source line "code,list" is one record: the code is the text before the first comma, the list
// the rest of the line (further commas stay in it). A line without a comma is no record and is
// skipped; a last line without CR LF counts. The image is always written as a fresh file.

#include <cstdint>
#include <string>
#include <string_view>

#include "lexicon/image_loader.h"

namespace yz {

class Platform;

struct LexiconImageBytes {
  std::string bytes;              // the image; empty when the text holds no record
  std::int32_t records = 0;
  std::int32_t skippedLines = 0;  // non-empty lines without a comma
};

// The image of a decoded lexicon text, records in line order, sealed with the stamp of the file
// the text came from.
LexiconImageBytes buildLexiconImage(std::u16string_view text, const LexiconSourceStamp& source = {});

struct ImageWriteResult {
  bool ok = false;                // an image was written
  std::int32_t records = 0;
  std::int32_t skippedLines = 0;
  bool removedStale = false;      // an old image was removed because no new one could be made
};

// Writes the image from 内置文件\两码词库.txt (GBK). When the source is missing or holds no record,
// or the image cannot be written, no image is left behind: an older one would outlive the text
// lexicon it was made from, and the start-up prefers the image.
ImageWriteResult writeLexiconImage(const ProgramFolder& files, const Platform& platform);

// Called by everything that replaces 内置文件\两码词库.txt: when an image exists it is rebuilt from
// the new text lexicon (or removed when that fails); without an image nothing is done.
ImageWriteResult refreshLexiconImage(const ProgramFolder& files, const Platform& platform);

// The maintenance command "初始化两码词库": writes the image, reports the time taken in a message box
// ("词库初始化耗时  t  秒") and ends the program at once through `Platform::quit` (the exit sequence
// does not run).
ImageWriteResult iuuihw(const ProgramFolder& files, Platform& platform);

// The seconds of a millisecond count as the message shows them: up to three decimals, no trailing
// zeros (3500 gives "3.5", 2000 gives "2").
std::u16string secondsText(std::uint32_t ms);

}  // namespace yz
