#include "lexicon/text_file.h"

#include "lexicon/files.h"
#include "platform/platform.h"

namespace yz {

std::optional<std::vector<std::u16string>> readGbkLines(const ProgramFolder& files,
                                                        const Platform& platform,
                                                        std::u16string_view relative) {
  auto bytes = files.readBytes(relative);
  if (!bytes) return std::nullopt;
  std::u16string text = platform.fromGbk(*bytes);
  std::vector<std::u16string> lines;
  for (std::u16string_view line : splitLines(text)) lines.emplace_back(line);
  return lines;
}

bool writeGbkLines(const ProgramFolder& files, const Platform& platform,
                   std::u16string_view relative, const std::vector<std::u16string>& lines) {
  return files.writeBytes(relative, platform.toGbk(joinLines(lines)));
}

bool refreshGbkLines(const ProgramFolder& files, const Platform& platform,
                     std::u16string_view relative, const std::vector<std::u16string>& lines) {
  return files.refreshBytes(relative, platform.toGbk(joinLines(lines)));
}

std::vector<std::u16string_view> splitFields(std::u16string_view line, char16_t separator) {
  std::vector<std::u16string_view> fields;
  std::size_t start = 0;
  while (true) {
    std::size_t end = line.find(separator, start);
    if (end == std::u16string_view::npos) {
      fields.push_back(line.substr(start));
      return fields;
    }
    fields.push_back(line.substr(start, end - start));
    start = end + 1;
  }
}

}  // namespace yz
