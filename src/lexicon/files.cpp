#include "lexicon/files.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#include <process.h>
#else
#include <unistd.h>
#endif

#include "lexicon/utf.h"

namespace yz {

void WriteFaults::failNth(Step step, int n, std::error_code error) {
  nth_[step] = n;
  nthError_[step] = error;
}

void WriteFaults::failFile(std::u16string_view relative, Step step, std::error_code error) {
  byFile_[{std::u16string(relative), step}] = error;
}

void WriteFaults::clearFile(std::u16string_view relative) {
  std::erase_if(byFile_, [relative](const auto& entry) { return entry.first.first == relative; });
}

void WriteFaults::killAfter(int changes) { killAfter_ = changes < 0 ? 0 : changes; }

std::error_code WriteFaults::check(Step step, std::u16string_view relative) {
  if (killed()) return std::make_error_code(std::errc::io_error);
  if (auto it = byFile_.find({std::u16string(relative), step}); it != byFile_.end()) return it->second;
  if (auto it = nth_.find(step); it != nth_.end() && it->second > 0 && --it->second == 0) {
    return nthError_[step];
  }
  return {};
}

void WriteFaults::changed(std::u16string_view relative) {
  ++changes_;
  changed_.emplace_back(relative);
  if (killAfter_ > 0) --killAfter_;
}

std::error_code ProgramFolder::fault(WriteFaults::Step step, std::u16string_view relative) const {
  return faults_ ? faults_->check(step, relative) : std::error_code();
}

void ProgramFolder::changed(std::u16string_view relative) const {
  if (faults_) faults_->changed(relative);
}

std::filesystem::path ProgramFolder::path(std::u16string_view relative) const {
  std::u16string name(relative);
  for (auto& c : name) {
    if (c == u'\\') c = u'/';
  }
  std::string utf8 = toUtf8(name);
  return root_ / std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

bool ProgramFolder::exists(std::u16string_view relative) const {
  std::error_code ec;
  return std::filesystem::is_regular_file(path(relative), ec);
}

std::optional<std::uintmax_t> ProgramFolder::size(std::u16string_view relative) const {
  std::error_code ec;
  auto n = std::filesystem::file_size(path(relative), ec);
  if (ec) return std::nullopt;
  return n;
}

std::optional<std::string> ProgramFolder::readBytes(std::u16string_view relative,
                                                    std::uintmax_t limit, ReadFailure* why) const {
  auto fail = [why](ReadFailure failure) -> std::optional<std::string> {
    if (why != nullptr) *why = failure;
    return std::nullopt;
  };
  if (why != nullptr) *why = ReadFailure::None;
  const std::filesystem::path file = path(relative);
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(file, ec);
  if (!std::filesystem::exists(status)) return fail(ReadFailure::Missing);
  // A folder or a device in the file's place is sized by nothing sensible: it is not read.
  if (!std::filesystem::is_regular_file(status)) return fail(ReadFailure::NotRegular);
  const std::uintmax_t size = std::filesystem::file_size(file, ec);
  if (ec) return fail(ReadFailure::Unreadable);
  if (size > limit || size > kAnyFileLimit) return fail(ReadFailure::TooLarge);
  std::ifstream in(file, std::ios::binary);
  if (!in) return fail(ReadFailure::Unreadable);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (in.bad()) return fail(ReadFailure::Unreadable);
  // A file that shrank since it was sized gives what it still holds.
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  return bytes;
}

namespace {

std::error_code lastError() { return {errno != 0 ? errno : EIO, std::generic_category()}; }

// Creates a temporary file beside `target` that no other writer has: named after the target, the
// process id and the first number whose file does not exist yet, and created only if it still
// does not (so a second writer or a leftover of a killed run is never opened over). nullptr
// with errno set when no such file can be made.
std::FILE* createTemporary(const std::filesystem::path& target, std::filesystem::path& temp) {
#ifdef _WIN32
  const int pid = _getpid();
#else
  const int pid = static_cast<int>(::getpid());
#endif
  for (int n = 0; n < 1000; ++n) {
    temp = target;
    std::string suffix = ".";
    suffix += std::to_string(pid);
    suffix += '-';
    suffix += std::to_string(n);
    suffix += ".tmp";
    temp += suffix;
    errno = 0;
#ifdef _WIN32
    const int fd = _wopen(temp.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
#endif
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return nullptr;
    }
#ifdef _WIN32
    std::FILE* out = _fdopen(fd, "wb");
#else
    std::FILE* out = ::fdopen(fd, "wb");
#endif
    if (out == nullptr) {
      const int saved = errno;
#ifdef _WIN32
      _close(fd);
#else
      ::close(fd);
#endif
      std::error_code ignored;
      std::filesystem::remove(temp, ignored);
      errno = saved;
    }
    return out;
  }
  errno = EEXIST;
  return nullptr;
}

// Hands what the file holds to the disk, so that a power loss after the rename cannot leave an
// empty file in place of the old one.
int syncToDisk(std::FILE* out) {
#ifdef _WIN32
  return _commit(_fileno(out));
#else
  return fsync(fileno(out));
#endif
}

// Hands a rename inside the folder to the disk, where the system lets a folder be synced (not
// on Windows, whose file system journals the rename itself).
void syncFolder([[maybe_unused]] const std::filesystem::path& folder) {
#ifndef _WIN32
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
#endif
}

}  // namespace

bool ProgramFolder::writeBytes(std::u16string_view relative, std::string_view bytes,
                               std::error_code* why) const {
  std::filesystem::path target = path(relative);
  // A link (a user lexicon kept in another folder) is written through: the file it names is
  // replaced, and the link stays a link.
  std::error_code linkError;
  if (std::filesystem::is_symlink(target, linkError)) {
    std::filesystem::path named = std::filesystem::weakly_canonical(target, linkError);
    if (!linkError) target = std::move(named);
  }
  using Step = WriteFaults::Step;
  std::filesystem::path temp;
  std::error_code failure = fault(Step::Open, relative);
  errno = 0;
  std::FILE* out = failure ? nullptr : createTemporary(target, temp);
  if (out != nullptr) {
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    ok = ok && std::fflush(out) == 0;
    if (!ok) failure = lastError();
    if (ok) failure = fault(Step::Write, relative);
    ok = ok && !failure;
    if (ok && syncToDisk(out) != 0) failure = lastError();
    if (ok && !failure) failure = fault(Step::Sync, relative);
    ok = ok && !failure;
    errno = 0;
    if (std::fclose(out) != 0 && ok) {
      ok = false;
      failure = lastError();
    }
    if (ok) failure = fault(Step::Rename, relative);
    if (!failure) std::filesystem::rename(temp, target, failure);
    if (!failure) {
      changed(relative);
      syncFolder(target.parent_path());
    } else {
      std::error_code ignored;
      std::filesystem::remove(temp, ignored);
    }
  } else if (!failure) {
    failure = lastError();
  }
  if (why != nullptr) *why = failure;
  return !failure;
}

bool ProgramFolder::refreshBytes(std::u16string_view relative, std::string_view bytes,
                                 std::error_code* why) const {
  if (size(relative) == bytes.size()) {
    if (const auto present = readBytes(relative, bytes.size()); present && *present == bytes) {
      if (why != nullptr) why->clear();
      return true;
    }
  }
  return writeBytes(relative, bytes, why);
}

namespace {

// The writer's own pattern only: a file name with one of the program's extensions, then either
// ".PID-N.tmp" or (older versions) ".tmp".
bool isWriterTemporary(const std::filesystem::path& file) {
  if (file.extension() != ".tmp") return false;
  std::filesystem::path inner = file.stem();
  // ".PID-N": digits, one dash, digits.
  const std::string unique = inner.extension().string();
  const std::size_t dash = unique.find('-');
  const auto digits = [&unique](std::size_t from, std::size_t to) {
    return to > from && unique.find_first_not_of("0123456789", from) >= to;
  };
  if (dash != std::string::npos && digits(1, dash) && digits(dash + 1, unique.size())) inner = inner.stem();
  const std::filesystem::path ext = inner.extension();
  return ext == ".txt" || ext == ".ini" || ext == ".ls" || ext == ".vx";
}

}  // namespace

int ProgramFolder::removeStaleTemporaries() const {
  int removed = 0;
  for (const char8_t* folder : {u8"", u8"内置文件", u8"用户diy文件", u8"界面皮肤库"}) {
    std::error_code ec;
    std::filesystem::directory_iterator it(root_ / std::filesystem::path(folder), ec);
    for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
      const std::filesystem::path& file = it->path();
      if (!isWriterTemporary(file)) continue;
      std::error_code ignored;
      if (it->is_regular_file(ignored) && std::filesystem::remove(file, ignored)) ++removed;
    }
  }
  return removed;
}

std::optional<ProgramFolder::Stamp> ProgramFolder::stamp(std::u16string_view relative) const {
  const std::filesystem::path file = path(relative);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return std::nullopt;
  Stamp s;
  s.size = std::filesystem::file_size(file, ec);
  if (ec) return std::nullopt;
  const auto time = std::filesystem::last_write_time(file, ec);
  if (ec) return std::nullopt;
  // Whole seconds since 1970, whatever the file clock's own epoch and tick: a stamp written on one
  // system (vexim-lexgen on Linux) compares equal on another (the program under Windows or Wine,
  // whose runtime reads file times to the second).
  s.modified = std::chrono::floor<std::chrono::seconds>(std::chrono::file_clock::to_sys(time))
                   .time_since_epoch()
                   .count();
  return s;
}

std::u16string writeFailureReason(const std::error_code& why) {
  if (why == std::errc::no_space_on_device) return u"磁盘空间不足";
  if (why == std::errc::permission_denied || why == std::errc::operation_not_permitted ||
      why == std::errc::read_only_file_system) {
    return u"没有写入权限（文件或文件夹是只读的）";
  }
  if (why == std::errc::no_such_file_or_directory) return u"文件夹不存在";
  if (why == std::errc::is_a_directory) return u"同名的文件夹占住了位置";
  if (why == std::errc::device_or_resource_busy || why == std::errc::text_file_busy) {
    return u"文件正被别的程序占用";
  }
  if (why == std::errc::file_too_large) return u"文件太大";
  return u"系统错误：" + fromUtf8(why.message());
}

bool ProgramFolder::remove(std::u16string_view relative) const {
  if (faults_ && faults_->killed()) return false;
  std::error_code ec;
  const bool removed = std::filesystem::remove(path(relative), ec);
  if (removed) changed(relative);
  return removed;
}

bool ProgramFolder::copy(std::u16string_view from, std::u16string_view to) const {
  auto bytes = readBytes(from);
  return bytes && refreshBytes(to, *bytes);
}

std::vector<std::u16string_view> splitLines(std::u16string_view text) {
  std::vector<std::u16string_view> lines;
  forEachLine(text, [&lines](std::u16string_view line) {
    lines.push_back(line);
    return true;
  });
  return lines;
}

std::u16string joinLines(const std::vector<std::u16string>& lines) {
  std::size_t total = 0;
  for (const auto& l : lines) total += l.size() + 2;
  std::u16string out;
  out.reserve(total);
  for (const auto& l : lines) {
    out += l;
    out += u"\r\n";
  }
  return out;
}

}  // namespace yz
