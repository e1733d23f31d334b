#pragma once
// The user lexicon store: the rebuild into one entry per code, and the writer of
// 用户diy文件\用户词库.txt.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <system_error>

#include "state/lexicon_state.h"
#include "state/window_state.h"

namespace yz {

class GbkTable;
class Platform;
class ProgramFolder;

inline constexpr std::u16string_view kUserLexiconPath = u"用户diy文件\\用户词库.txt";

struct UserRebuildResult {
  std::int32_t emptyInputFlag = 0;  // 1 when the table held no word at all
};

// Rebuilds the user lexicon in place: one entry per code in code order, each code's words
// lightest weight first, every word once (with the weight that sorts first), every weight below
// 100 written with one leading "0". Entries without a code and pairs without a weight, or whose
// weight does not begin with a digit, are dropped. A merged entry is do-not-save only when every
// line that went into it was. Pumps messages (through the sort); the table is replaced after the
// sort with what it held when the rebuild began.
UserRebuildResult yhckbm(LexiconTable& user, const std::function<void()>& pump);

// Marks every present user entry (1..last) do-not-save: the entries read before the user file
// (the privileged code table, a supplied lexicon) are never written back.
void markUserEntriesDoNotSave(LexiconTable& user);

struct UserWriteResult {
  bool ok = false;
  std::int32_t linesWritten = 0;
  std::string error;  // why the file could not be written; the old file is then untouched
  std::error_code why;  // the system's reason of a failed write
};

// Writes the user lexicon file from entries 0..last, through a temporary file and a rename,
// leaving out: an empty line; a line whose first character is not a double-byte GBK character
// (which drops the deleted-word marker "*#"); a line holding " 7"; a do-not-save entry; a code
// beginning with ";". Then resets the composition through `escjm` (also after a failed write).
UserWriteResult jlyhck(const LexiconTable& user, const ProgramFolder& files,
                       const Platform& platform, const GbkTable& gbk,
                       const std::function<void()>& escjm);

inline constexpr std::u16string_view kUserTwoCodeLexiconPath = u"用户diy文件\\用户两码词库.txt";

// Writes entries 1..last, unfiltered, as 用户diy文件\用户两码词库.txt, removes the rebuild's scratch
// files, takes the main window out of the top-most order, reports the count and the seconds it
// took in a message box, then runs the exit sequence `ended`. Nothing calls it.
UserWriteResult dlyh(const LexiconTable& user, const ProgramFolder& files, Platform& platform,
                     WindowState& win, const std::function<void()>& ended);

}  // namespace yz
