#include "lexbuild/file_snapshot.h"

#include "lexicon/files.h"

namespace yz {

FileSnapshot::FileSnapshot(const ProgramFolder& files, const std::vector<std::u16string_view>& paths)
    : files_(files) {
  entries_.reserve(paths.size());
  for (std::u16string_view path : paths) {
    Entry e;
    e.path = std::u16string(path);
    e.existed = files.exists(path);
    if (e.existed) e.bytes = files.readBytes(path);
    entries_.push_back(std::move(e));
  }
}

bool FileSnapshot::restore() const {
  bool ok = true;
  for (const Entry& e : entries_) {
    if (!e.existed) {
      if (files_.exists(e.path)) ok = files_.remove(e.path) && ok;
    } else if (e.bytes) {
      auto now = files_.readBytes(e.path);
      if (!now || *now != *e.bytes) ok = files_.writeBytes(e.path, *e.bytes) && ok;
    }
  }
  return ok;
}

}  // namespace yz
