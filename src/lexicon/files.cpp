#include "lexicon/files.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include "lexicon/utf.h"

namespace yz {

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

std::optional<std::string> ProgramFolder::readBytes(std::u16string_view relative) const {
  std::ifstream in(path(relative), std::ios::binary | std::ios::ate);
  if (!in) return std::nullopt;
  auto size = in.tellg();
  if (size < 0) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(size), '\0');
  in.seekg(0);
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!in) return std::nullopt;
  return bytes;
}

bool ProgramFolder::writeBytes(std::u16string_view relative, std::string_view bytes) const {
  std::filesystem::path target = path(relative);
  std::filesystem::path temp = target;
  temp += ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      out.close();
      std::error_code ignored;
      std::filesystem::remove(temp, ignored);
      return false;
    }
  }
  std::error_code ec;
  std::filesystem::rename(temp, target, ec);
  if (ec) {
    std::filesystem::remove(temp, ec);
    return false;
  }
  return true;
}

bool ProgramFolder::remove(std::u16string_view relative) const {
  std::error_code ec;
  return std::filesystem::remove(path(relative), ec);
}

bool ProgramFolder::copy(std::u16string_view from, std::u16string_view to) const {
  auto bytes = readBytes(from);
  return bytes && writeBytes(to, *bytes);
}

std::vector<std::u16string_view> splitLines(std::u16string_view text) {
  std::vector<std::u16string_view> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(u'\n', start);
    if (end == std::u16string_view::npos) end = text.size();
    std::size_t stop = end;
    if (stop > start && text[stop - 1] == u'\r') --stop;
    lines.push_back(text.substr(start, stop - start));
    start = end + 1;
  }
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
