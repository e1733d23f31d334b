#pragma once
// Regeneration of the system lexicon 内置文件\两码词库.txt for the coding scheme in use, from the
// built-in full-pinyin lexicon (resource 105, "key,word weight word weight ..." with keys such as
// "zhong'guo"). Every word is coded, written as a sort line under its code (and under a second code
// where the first-level short codes give another one), the lines are sorted, the words of one code
// merged into one line, and the result replaces the system lexicon file and the main lexicon.
//
// Sort line: code, U+0001, weight, ",", word, " ", weight. Sorting whole lines keeps every code's
// lines together in code order (U+0001 sorts below every code character), and within a code orders
// them by the text of the weight, then by the word.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "state/lexicon_state.h"
#include "state/pass_state.h"
#include "state/settings.h"

namespace yz {

class Platform;
class ProgramFolder;

inline constexpr int kQuanpinLexiconResource = 105;
inline constexpr std::u16string_view kDefaultLexiconCopyPath = u"内置文件\\默认词库.txt";
inline constexpr std::u16string_view kSp2qpPath = u"内置文件\\sp2qp自然.txt";

// What a regeneration reads and writes.
struct RegenerationContext {
  Platform& platform;
  const ProgramFolder& files;
  LexiconState& lex;          // the main lexicon is replaced; `bmvh` refills the syllable tables
  PassState& pass;            // timer1 and timer2
  const Settings& settings;   // smvj (纯三码整句)
  std::u16string_view yjjmcn; // characters that have a first-level short code
  std::u16string_view yjjmen; // their two-letter short codes, in the same order
  std::function<void()> pump;
};

// How a regeneration codes the words: one code per resource entry from its pinyin key, or one code
// per word.
struct WordCoder {
  std::function<std::u16string(std::u16string_view key)> perEntry;
  std::function<std::u16string(std::u16string_view word)> perWord;
};

struct RegenerationResult {
  bool ok = false;                  // a new lexicon was written and loaded
  std::int32_t lines = 0;           // records of the new lexicon
  std::int32_t skippedWords = 0;    // words whose code has the wrong length or breaks the line form
  std::int32_t emptyInputFlag = 0;  // 1 when no word could be coded (the old lexicon is kept)
  std::int64_t seconds = 0;
  std::u16string reportText;
};

// One resource entry: the pinyin key and its candidate list.
struct QuanpinEntry {
  std::u16string_view key;
  std::u16string_view list;
};

// The entries of resource 105's decoded text, in resource order. The NUL padding after the last
// line end is no entry; a line without a comma is none either.
std::vector<QuanpinEntry> splitQuanpinLexicon(std::u16string_view text);

// The sort lines of the entries (see above). A code must have two letters a character; under
// 纯三码整句 a code of three letters a character is cut to the first two of each three and
// written under its short-code form only. Other words are counted in `skipped` and left out.
std::vector<std::u16string> regenerationSortLines(const std::vector<QuanpinEntry>& entries,
                                                  const WordCoder& coder, bool smvj,
                                                  std::u16string_view yjjmcn,
                                                  std::u16string_view yjjmen, std::int32_t& skipped);

// Sorts the lines and merges the words of one code into "code,list" records: within a code the
// words follow their weight texts, and a repeated word keeps only its first (lightest) pair. The
// result is the lexicon text, CR LF after each record. `sorted` (when given) sees the lines once
// they are sorted. Pumps messages (through the sort).
std::vector<char16_t> mergeRegenerationLines(
    std::vector<std::u16string> lines, std::int32_t& records, const std::function<void()>& pump,
    const std::function<void(const std::vector<std::u16string>&)>& sorted = {});

// `mergeRegenerationLines` keeping its scratch files in 用户diy文件 for a user or a tool to look
// at while the rebuild runs: the key lines (yhckx.vx), the same sorted (两码词排序后.txt) and the
// merged lexicon (两码词库新.txt), in the form of the files (no sort separator). Each is written
// through a temporary file and never read back; a failed write costs only the look.
std::vector<char16_t> mergeWithScratchFiles(const ProgramFolder& files, const Platform& platform,
                                            std::vector<std::u16string> lines, std::int32_t& records,
                                            const std::function<void()>& pump);
// Removes the three scratch files.
void removeMergeScratchFiles(const ProgramFolder& files);

// The steps all three regenerations share: stop both timers; code and merge resource 105; replace
// 内置文件\两码词库.txt and the main lexicon; delete 内置文件\单字字库.txt (the next load builds it for
// the new scheme), the program folder's own 两码词库.txt and stale scratch files; rebuild the lexicon
// image when there is one; report in a message box; enable the input timer again. While it runs
// it leaves its key lines, the same sorted and the merged lexicon in 用户diy文件 (yhckx.vx,
// 两码词排序后.txt, 两码词库新.txt) for a look; they go at its end. When nothing
// could be coded or written, the old lexicon stays on disk and in memory and the message says so.
// `writeDefaultCopy` also writes resource 105 as 内置文件\默认词库.txt. Hiding and showing the
// settings dialog and its help text are the caller's. Pumps messages.
RegenerationResult regenerateSystemLexicon(RegenerationContext& ctx, const WordCoder& coder,
                                           bool writeDefaultCopy);

// The sound regeneration: every word under the shuangpin code of its pinyin key, through the
// layout of 内置文件\qp2sp.txt. Pumps messages.
RegenerationResult bmvh(RegenerationContext& ctx);

}  // namespace yz
