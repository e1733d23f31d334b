#pragma once
// The bytes of a set of program-folder files taken before a command replaces several of them,
// so that a step that fails half way can put every one back as it was.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace yz {

class ProgramFolder;

class FileSnapshot {
 public:
  FileSnapshot(const ProgramFolder& files, const std::vector<std::u16string_view>& paths);

  // Puts every file back byte for byte, and removes those that did not exist. A file that
  // existed but could not be read is left alone. False when a file could not be put back.
  bool restore() const;

 private:
  struct Entry {
    std::u16string path;
    bool existed = false;
    std::optional<std::string> bytes;
  };
  const ProgramFolder& files_;
  std::vector<Entry> entries_;
};

}  // namespace yz
