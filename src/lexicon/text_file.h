#pragma once
// GBK text files of the program folder as lines (CR LF), and the comma fields of a line.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace yz {

class Platform;
class ProgramFolder;

// The lines of a GBK text file; nullopt when it cannot be read.
std::optional<std::vector<std::u16string>> readGbkLines(const ProgramFolder& files,
                                                        const Platform& platform,
                                                        std::u16string_view relative);

// Writes lines as GBK with CR LF after each, through a temporary file and a rename; false when
// the file could not be written (the old file is then untouched).
bool writeGbkLines(const ProgramFolder& files, const Platform& platform,
                   std::u16string_view relative, const std::vector<std::u16string>& lines);
// The same, leaving a file that holds exactly these lines already as it is.
bool refreshGbkLines(const ProgramFolder& files, const Platform& platform,
                     std::u16string_view relative, const std::vector<std::u16string>& lines);

// The fields of a line cut at every `separator` (n separators give n + 1 fields).
std::vector<std::u16string_view> splitFields(std::u16string_view line, char16_t separator);

}  // namespace yz
