#pragma once
// Files of the program folder. Paths are written as the system names them, relative to the
// program folder with "\" separators (内置文件\两码词库.txt); `ProgramFolder` maps them onto the
// file system. Text files are GBK with CR LF; a file the system rewrites is written to a
// temporary file beside it and renamed over it, so a crash never leaves it half written.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace yz {

class Platform;

class ProgramFolder {
 public:
  explicit ProgramFolder(std::filesystem::path root) : root_(std::move(root)) {}

  const std::filesystem::path& root() const { return root_; }
  // The path of a file named relative to the program folder.
  std::filesystem::path path(std::u16string_view relative) const;
  bool exists(std::u16string_view relative) const;
  std::optional<std::uintmax_t> size(std::u16string_view relative) const;
  // The whole file, or nullopt when it cannot be read.
  std::optional<std::string> readBytes(std::u16string_view relative) const;
  // Writes the whole file through a temporary file and a rename; false on failure, and then the
  // old file is untouched.
  bool writeBytes(std::u16string_view relative, std::string_view bytes) const;
  bool remove(std::u16string_view relative) const;
  bool copy(std::u16string_view from, std::u16string_view to) const;

 private:
  std::filesystem::path root_;
};

// Splits a text at CR LF (a lone LF ends a line too); a last line without a line end counts; a
// final line end does not start an empty line.
std::vector<std::u16string_view> splitLines(std::u16string_view text);

// Joins lines with CR LF after each.
std::u16string joinLines(const std::vector<std::u16string>& lines);

}  // namespace yz
