#pragma once
// The translation of another shuangpin layout onto 自然双拼, key pair by key pair.

#include <array>
#include <string>

namespace yz {

// Rows: the first key of a layout code, 'a'..'z' as 0..25. Columns 0..25: its last key the same
// way, the cell holding the whole 自然双拼 code of that pair; column 27: the first letter of the
// 自然双拼 code that a lone first key stands for. Column 26 is unused. "" means no translation.
inline constexpr int kLayoutRows = 26;     // first keys a..z
inline constexpr int kLayoutColumns = 28;  // last keys a..z, the unused column, the lone-key column
inline constexpr int kLoneKeyColumn = 27;  // the cell of a first key typed alone

struct LayoutTable {
  std::array<std::array<std::u16string, kLayoutColumns>, kLayoutRows> cells;  // as described above

  void clear() {
    for (auto& row : cells) {
      for (auto& cell : row) cell.clear();
    }
  }
  // The cell of a pair of letters 'a'..'z' (`second` == 0: the lone-key cell); "" otherwise.
  const std::u16string& at(char16_t first, char16_t second) const {
    static const std::u16string kNone;  // the empty cell handed out for letters outside a..z
    if (first < u'a' || first > u'z') return kNone;
    const auto& row = cells[static_cast<std::size_t>(first - u'a')];
    if (second == 0) return row[kLoneKeyColumn];
    if (second < u'a' || second > u'z') return kNone;
    return row[static_cast<std::size_t>(second - u'a')];
  }
};

}  // namespace yz

namespace yz {

// What the input pass remembers of the typed code between passes while another layout is
// translated. The typed code keeps the keys as typed, except where the pass wrote its 自然双拼 code
// line back into it (a mark typed inside the code closes the segment that way): that front part
// is 自然双拼 already and must not be translated twice.
struct LayoutStepMemory {
  std::u16string typed;     // the typed code the last layout step saw
  std::u16string result;    // the code line it made of it
  std::size_t ziranLength = 0;  // length of the front of `typed` that is 自然双拼 already
};

}  // namespace yz
