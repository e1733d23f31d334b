#pragma once
// Regeneration of the single-character lexicon 内置文件\单字字库.txt from the main lexicon and the
// auxiliary codes. It maps one-letter codes, two-letter codes and two-letter codes followed by
// auxiliary letters of a word's first character to the characters (and first words) they stand for.
//
// Scratch key lines of "dzmb.ls" (GBK, CR LF), two forms:
//   key weight,word weight       the key is one letter: the one-letter full codes that the load
//                                writes, and the first word of every two-letter code
//   key\weight,word weight       the key is a two-letter code, or such a code followed by
//                                auxiliary letters of the word's first character
// A line's merge key and its entry (word, blank, weight) are taken from these fields.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "lexicon/files.h"
#include "state/lexicon_state.h"

namespace yz {

class GbkTable;
class Platform;
class ProgramFolder;

inline constexpr std::u16string_view kCharLexiconPath = u"内置文件\\单字字库.txt";
inline constexpr std::u16string_view kCharScratchPath = u"dzmb.ls";
// The sorted scratch lines of a rebuild, kept for a look while it runs.

// A scratch line of the first form for a one-letter full code: the running weight (100.001,
// 100.002, ...) written with up to 15 significant digits and no trailing zeros.
std::u16string oneLetterScratchLine(std::u16string_view code, std::u16string_view character,
                                    double weight);

// The scratch lines of the main lexicon's two-letter codes (entries 1..last), in entry order.
// `vxbf` is the 声韵辅数 scheme's mark: it adds the keys that end in the last auxiliary letter.
std::vector<std::u16string> charKeyLines(const LexiconTable& mainLexicon, const CharTable& charAuxCodes,
                                         const GbkTable& gbk, bool vxbf);

// Sorts the scratch lines and merges them into one "key,list" line per key, ascending; within a
// key the entries keep the order of their weight texts and a repeated word-and-weight pair is
// dropped. Lines of neither form (no comma) are skipped. `sorted` (when given) sees the lines once
// they are sorted. Pumps messages (through the sort).
std::vector<std::u16string> mergeCharKeyLines(
    std::vector<std::u16string> scratch, const std::function<void()>& pump,
    const std::function<void(const std::vector<std::u16string>&)>& sorted = {});

struct CharLexiconResult {
  bool ok = false;             // the file was written
  std::int32_t lines = 0;      // lines of the new 内置文件\单字字库.txt
};

// Regenerates 内置文件\单字字库.txt from the one-letter lines the load has written into "dzmb.ls"
// (read when present) and the key lines of the main lexicon; the file is replaced whole. It does
// not load the result (the load sequence does) and leaves "dzmb.ls" and the sorted lines
// (用户diy文件\两码词排序后.txt) for the load to delete.
// Pumps messages (through the sorts).
CharLexiconResult regenerateCharLexicon(const ProgramFolder& files, const Platform& platform,
                                        const LexiconState& lex, const GbkTable& gbk, bool vxbf,
                                        const std::function<void()>& pump);

}  // namespace yz
