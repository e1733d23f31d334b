#include "platform/sim/temp_folder.h"

#include <stdlib.h>

#include <cerrno>
#include <string>
#include <system_error>

namespace yz {

void copyFolderKeepingTimes(const std::filesystem::path& from, const std::filesystem::path& to) {
  namespace fs = std::filesystem;
  fs::copy(from, to, fs::copy_options::recursive);
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(from)) {
    if (!entry.is_regular_file()) continue;
    fs::last_write_time(to / fs::relative(entry.path(), from), entry.last_write_time());
  }
}

TempFolder::TempFolder(std::string_view prefix) {
  // Only letters, digits and '-' from the prefix: it becomes part of a file name.
  std::string name;
  for (char c : prefix) {
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
    name.push_back(plain ? c : '-');
  }
  if (name.size() > 80) name.resize(80);
  std::string pattern = (std::filesystem::temp_directory_path() / (name + "XXXXXX")).string();
  if (mkdtemp(pattern.data()) == nullptr) {
    throw std::system_error(errno, std::generic_category(), "cannot make a temporary folder " + pattern);
  }
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace yz
