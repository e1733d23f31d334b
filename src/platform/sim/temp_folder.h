#pragma once
// A folder of its own under the system's temporary directory for one test, benchmark or
// vexim-sim run, removed with everything in it when the object goes. The folder is made by
// mkdtemp, so two runs on one machine, even of the same test at the same moment, never share one.

#include <filesystem>
#include <string_view>

namespace yz {

// Copies a folder with everything in it, keeping each file's modification time (what `cp -a`
// keeps, and the lexicon image's seal compares: a copy whose times were new would find its image
// outdated by its own text lexicon).
void copyFolderKeepingTimes(const std::filesystem::path& from, const std::filesystem::path& to);

class TempFolder {
 public:
  // `prefix` starts the folder's name ("yz-lex-" + a random suffix); throws when none can be made.
  explicit TempFolder(std::string_view prefix);
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace yz
