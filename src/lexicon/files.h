#pragma once
// Files of the program folder. Paths are written as the system names them, relative to the
// program folder with "\" separators (内置文件\两码词库.txt); `ProgramFolder` maps them onto the
// file system. Text files are GBK with CR LF; a file the system rewrites is written to a
// temporary file beside it and renamed over it, so a crash never leaves it half written.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace yz {

// Scratch files of the lexicon rebuilds in the user's folder: the key lines, the sorted lines and
// the merged lexicon. Written while a rebuild runs, removed at its end and by the next start.
inline constexpr std::u16string_view kKeyScratchPath = u"用户diy文件\\yhckx.vx";
inline constexpr std::u16string_view kSortedScratchPath = u"用户diy文件\\两码词排序后.txt";
inline constexpr std::u16string_view kNewLexiconScratchPath = u"用户diy文件\\两码词库新.txt";

class Platform;

// No file of the program comes near this; a larger one is not read at all.
inline constexpr std::uintmax_t kAnyFileLimit = std::uintmax_t{512} << 20;

// Why a file was not read.
enum class ReadFailure {
  None,
  Missing,     // no such file
  NotRegular,  // a folder or a device in its place: nothing read
  TooLarge,    // larger than the caller's limit
  Unreadable,  // it exists but could not be read
};

// Faults laid on the file layer on purpose, by tests and fault runs: every step of a write and
// every change of the folder asks it first. A program folder without one never fails on purpose.
class WriteFaults {
 public:
  enum class Step { Open, Write, Sync, Rename };

  // The `n`th step of this kind from now on (1: the next one) fails with `error`.
  void failNth(Step step, int n, std::error_code error);
  // Every write of this file (named as the program folder names it) fails at `step` with `error`.
  void failFile(std::u16string_view relative, Step step, std::error_code error);
  // Writes of this file work again.
  void clearFile(std::u16string_view relative);
  // After `changes` more completed changes of the folder (a file renamed into place or removed),
  // the folder stays as a program killed at that moment leaves it: nothing changes any more and
  // every later write or removal fails.
  void killAfter(int changes);
  bool killed() const { return killAfter_ == 0; }
  // The completed changes of the folder so far, and the files they wrote or removed, in order.
  int changes() const { return changes_; }
  const std::vector<std::u16string>& changed() const { return changed_; }

  // Called by the file layer: the error a step of a write of `relative` takes, none to go on.
  std::error_code check(Step step, std::u16string_view relative);
  // Called by the file layer after each completed change of a file.
  void changed(std::u16string_view relative);

 private:
  std::map<Step, int> nth_;  // steps still to pass before the planned failure, per kind
  std::map<Step, std::error_code> nthError_;
  std::map<std::pair<std::u16string, Step>, std::error_code> byFile_;
  int killAfter_ = -1;  // changes still allowed; -1: no kill planned
  int changes_ = 0;
  std::vector<std::u16string> changed_;
};

class ProgramFolder {
 public:
  explicit ProgramFolder(std::filesystem::path root) : root_(std::move(root)) {}

  // Lays faults on this folder and on its copies made from now on; nullptr removes them.
  void setWriteFaults(std::shared_ptr<WriteFaults> faults) { faults_ = std::move(faults); }

  const std::filesystem::path& root() const { return root_; }
  // The path of a file named relative to the program folder.
  std::filesystem::path path(std::u16string_view relative) const;
  bool exists(std::u16string_view relative) const;
  std::optional<std::uintmax_t> size(std::u16string_view relative) const;
  // The whole file, or nullopt when it cannot be read. Only a regular file is read; one larger
  // than `limit` bytes is refused unread, and `why` (when given) says what went wrong.
  std::optional<std::string> readBytes(std::u16string_view relative,
                                       std::uintmax_t limit = kAnyFileLimit,
                                       ReadFailure* why = nullptr) const;
  // Writes the whole file through a temporary file beside it, flushed to the disk, then renamed
  // over it; false on failure, and then the old file is untouched, no temporary file is left
  // and `why` (when given) holds the system's reason. The temporary file has a name no other
  // writer uses (the process id and a number, created only where no file is), so two writers or
  // a leftover never share it.
  bool writeBytes(std::u16string_view relative, std::string_view bytes,
                  std::error_code* why = nullptr) const;
  // Writes the file as `writeBytes` does unless it holds exactly these bytes already (a file
  // regenerated at every start from an unchanged source is then left as it is).
  bool refreshBytes(std::u16string_view relative, std::string_view bytes,
                    std::error_code* why = nullptr) const;
  // Removes the temporary files ("name.ext.PID-N.tmp", or "name.ext.tmp" of older versions) that
  // a write cut off by a kill left in the program folder and its subfolders 内置文件, 用户diy文件
  // and 界面皮肤库; the number removed.
  int removeStaleTemporaries() const;
  // The size and modification time of a regular file, nullopt for anything else.
  struct Stamp {
    std::uint64_t size = 0;
    std::int64_t modified = 0;  // whole seconds since 1970
    friend bool operator==(const Stamp&, const Stamp&) = default;
  };
  std::optional<Stamp> stamp(std::u16string_view relative) const;
  bool remove(std::u16string_view relative) const;
  // Copies a file over another; a target that holds the same bytes already is left alone.
  bool copy(std::u16string_view from, std::u16string_view to) const;

 private:
  // The write faults asked before a step (nullptr: none), and a change done.
  std::error_code fault(WriteFaults::Step step, std::u16string_view relative) const;
  void changed(std::u16string_view relative) const;

  std::filesystem::path root_;
  std::shared_ptr<WriteFaults> faults_;
};

// The reason of a failed write in the user's words ("磁盘空间不足" ...).
std::u16string writeFailureReason(const std::error_code& why);

// Splits a text at CR LF (a lone LF ends a line too); a last line without a line end counts; a
// final line end does not start an empty line.
std::vector<std::u16string_view> splitLines(std::u16string_view text);
// Calls `onLine` with each line of `text` as `splitLines` splits it, without holding them all;
// stops when `onLine` returns false.
template <typename OnLine>
void forEachLine(std::u16string_view text, OnLine onLine) {
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(u'\n', start);
    if (end == std::u16string_view::npos) end = text.size();
    std::size_t stop = end;
    if (stop > start && text[stop - 1] == u'\r') --stop;
    if (!onLine(text.substr(start, stop - start))) return;
    start = end + 1;
  }
}

// Joins lines with CR LF after each.
std::u16string joinLines(const std::vector<std::u16string>& lines);

}  // namespace yz
