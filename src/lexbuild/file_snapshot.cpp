#include "lexbuild/file_snapshot.h"

#include "lexicon/files.h"

namespace yz {

namespace {

std::u16string copyPath(std::u16string_view path) { return std::u16string(path) + std::u16string(kSnapshotCopySuffix); }

void removeCopies(const ProgramFolder& files, const std::vector<std::u16string_view>& paths) {
  for (std::u16string_view path : paths) {
    if (files.exists(copyPath(path))) files.remove(copyPath(path));
  }
}

}  // namespace

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

FileSnapshot::FileSnapshot(const ProgramFolder& files, const std::vector<std::u16string_view>& paths,
                           std::u16string_view journal)
    : FileSnapshot(files, paths) {
  journal_ = std::u16string(journal);
  std::string flags;
  bool ok = true;
  for (const Entry& e : entries_) {
    if (e.existed && e.bytes) ok = ok && files_.writeBytes(copyPath(e.path), *e.bytes);
    flags += !e.existed ? "0\r\n" : e.bytes ? "1\r\n" : "2\r\n";
  }
  // The journal comes last: a start that finds it finds every copy it names.
  kept_ = ok && files_.writeBytes(journal_, flags);
  if (!kept_) removeCopies(files_, paths);
}

FileSnapshot::~FileSnapshot() { release(); }

void FileSnapshot::release() {
  if (!kept_) return;
  // The journal goes first: copies without it are only removed, never put back.
  if (!files_.remove(journal_)) return;
  kept_ = false;
  for (const Entry& e : entries_) {
    if (files_.exists(copyPath(e.path))) files_.remove(copyPath(e.path));
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

FileSnapshot::Recovery FileSnapshot::recover(const ProgramFolder& files, std::u16string_view journal,
                                             const std::vector<std::u16string_view>& paths) {
  const std::optional<std::string> flags = files.readBytes(journal, 64 * paths.size() + 64);
  if (!flags) {
    removeCopies(files, paths);
    return Recovery::None;
  }
  std::vector<char> marks;
  for (char c : *flags) {
    if (c == '0' || c == '1' || c == '2') marks.push_back(c);
  }
  if (marks.size() != paths.size()) {
    // Not a journal this program wrote: nothing can be put back by it.
    if (files.remove(journal)) removeCopies(files, paths);
    return Recovery::Failed;
  }
  bool ok = true;
  for (std::size_t i = 0; ok && i < paths.size(); ++i) {
    if (marks[i] == '1') {
      ok = files.copy(copyPath(paths[i]), paths[i]);
    } else if (marks[i] == '0' && files.exists(paths[i])) {
      ok = files.remove(paths[i]);
    }
  }
  if (!ok) return Recovery::Failed;
  if (files.remove(journal)) removeCopies(files, paths);
  return Recovery::Restored;
}

}  // namespace yz
