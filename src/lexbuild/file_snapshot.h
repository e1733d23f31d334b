#pragma once
// The bytes of a set of program-folder files taken before a command replaces several of them,
// so that a step that fails half way can put every one back as it was. A snapshot may be kept
// on the disk as well, so that a command killed half way is undone at the next start.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace yz {

class ProgramFolder;

// The suffix of a file's copy kept beside it by a snapshot on the disk.
inline constexpr std::u16string_view kSnapshotCopySuffix = u".切换前";

class FileSnapshot {
 public:
  FileSnapshot(const ProgramFolder& files, const std::vector<std::u16string_view>& paths);
  // Kept on the disk too: each file is copied beside itself (name + `kSnapshotCopySuffix`), and
  // then the file `journal` is written, one line a path ("1" it existed, "0" it did not, "2" it
  // could not be read). From then on a start that finds the journal puts the files back
  // (`recover`). The journal and the copies go with the snapshot. When the copies cannot be
  // written the snapshot is kept in memory only.
  FileSnapshot(const ProgramFolder& files, const std::vector<std::u16string_view>& paths,
               std::u16string_view journal);
  ~FileSnapshot();
  FileSnapshot(const FileSnapshot&) = delete;
  FileSnapshot& operator=(const FileSnapshot&) = delete;

  // Puts every file back byte for byte, and removes those that did not exist. A file that
  // existed but could not be read is left alone. False when a file could not be put back.
  bool restore() const;
  // Whether the snapshot is on the disk.
  bool kept() const { return kept_; }
  // The command is done: the journal and the copies go now (a reload after it must not find
  // them); the bytes in memory stay for `restore`.
  void release();

  enum class Recovery { None, Restored, Failed };
  // At start: when `journal` exists (a command was killed while its snapshot was kept), puts
  // `paths` (the list the snapshot was taken of) back from their copies, then removes the journal
  // and the copies; a journal that cannot be carried out stays for the next start. Copies left
  // without a journal are removed.
  static Recovery recover(const ProgramFolder& files, std::u16string_view journal,
                          const std::vector<std::u16string_view>& paths);

 private:
  struct Entry {
    std::u16string path;
    bool existed = false;
    std::optional<std::string> bytes;
  };
  const ProgramFolder& files_;
  std::vector<Entry> entries_;
  std::u16string journal_;
  bool kept_ = false;
};

}  // namespace yz
