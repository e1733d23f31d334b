#pragma once
// The ready-made lexicons that the switch to 五笔86 restores instead of regenerating:
// 内置文件\两码词库五笔86默认.txt and 内置文件\单字字库五笔86默认.txt, made from
// 内置文件\单字全码五笔86.txt and resource 105 by the program's own shape regeneration and
// single-character lexicon build.

#include <cstdint>
#include <string>

namespace yz {

class GbkTable;
class Platform;
class ProgramFolder;

struct ReadyMadeResult {
  bool ok = false;
  std::int32_t lexiconLines = 0;
  std::int32_t charLines = 0;
  std::int32_t skippedWords = 0;  // words with a character that has no 五笔86 code
  std::u16string error;
};

// Makes both files. The system lexicon files it works in (内置文件\两码词库.txt, 单字字库.txt and
// the lexicon image) are put back as they were. Shows the regeneration's message box.
ReadyMadeResult makeWubi86Lexicons(const ProgramFolder& files, Platform& platform, const GbkTable& gbk);

}  // namespace yz
