#pragma once
// The merge of the user lexicon into the system lexicon ("词库合并"): every pair of the main
// lexicon and every user pair of weight 50 or more, sorted and merged by code into a new
// 内置文件\两码词库.txt. The user lexicon itself stays as it is.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "state/lexicon_state.h"

namespace yz {

class Platform;
class ProgramFolder;

// The sort lines of the merge, in the form of the regeneration (lexbuild/system_lexicon.h): the
// main pairs as they stand; the user pairs of weight 50 or more, a weight below 100 sorting with
// one more leading "0" (80 as "080", so before every built-in weight from 100 on) and written
// back without it. With `yhcvh` (用户词置后) a user weight becomes weight + 313 + rnd(), sorting
// behind the built-in words. Pairs without a code, word or numeric weight are left out. The line
// of a do-not-save entry (a privileged code) is read with its mark "66" after its last weight.
std::vector<std::u16string> userMergeSortLines(const LexiconTable& mainLexicon,
                                               const LexiconTable& userLexicon, bool yhcvh,
                                               const std::function<float()>& rnd);

struct LexiconMergeResult {
  bool ok = false;                  // the new system lexicon was written
  std::int32_t records = 0;         // its lines
  std::int32_t emptyInputFlag = 0;  // 1 when there was no pair at all (nothing written)
  std::int64_t seconds = 0;
  bool imageRefreshed = false;      // the lexicon image was rebuilt (or removed) with it
  std::u16string reportText;        // the closing message
};

// `ckhb` without its messages: merges, replaces 内置文件\两码词库.txt (through a temporary file),
// deletes 用户词库.txt and 两码词库.txt of the program folder itself and stale scratch files, and
// rebuilds the lexicon image when there is one. With no pair to write, or when the file cannot be
// written, the old system lexicon stays byte for byte and the report says so. Pumps messages
// (through the sort). A result of more than `largestReadable` bytes, which the start would not
// read, is not written either.
LexiconMergeResult mergeUserLexicon(const ProgramFolder& files, Platform& platform,
                                    const LexiconState& lex, bool yhcvh,
                                    const std::function<float()>& rnd,
                                    const std::function<void()>& pump,
                                    std::uintmax_t largestReadable = UINTMAX_MAX);

struct WindowState;

struct LexiconTidyResult {
  bool ok = false;             // 两码词库.txt was rewritten
  std::int32_t records = 0;    // its lines
  std::int64_t seconds = 0;
  std::u16string reportText;   // the closing message
};

// "词库整理", an older tool that nothing calls, on 两码词库.txt and 用户词库.txt of the program
// folder itself. Each item k (0 up to the third from last) of a line "code,items" becomes the
// line "code<decimals of (100 + k) / 100>,item", each line "code,word" of the user file the line
// "code1.009,word"; these scatter lines (两码词库打散.txt while it runs) are sorted, lines of one
// key merged into one record (a word once), and the records written to 两码词库.txt grouped by
// the length of their key, the shortest first. Both files are backed up first (两码词库备份.txt,
// 用户词库备份.txt) and 用户词库.txt is emptied; when a backup or the new file cannot be written,
// or there is nothing to tidy, both stay as they were. Shows its progress in `win`'s rtext2 and
// Text5, takes the main window out of the top-most band, reports in a message box and then runs
// `ended`. Pumps messages.
LexiconTidyResult tidyLexicon(const ProgramFolder& files, Platform& platform, WindowState& win,
                              const std::function<void()>& pump, const std::function<void()>& ended);

}  // namespace yz
