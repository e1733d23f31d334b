#include "devtools/similarity.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/platform.h"

namespace yz {

namespace {

// Levenshtein edit distance; one row of the table at a time (lengths are not limited to 16 bits).
std::size_t editDistance(std::u16string_view a, std::u16string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      std::size_t above = row[j];
      std::size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
      row[j] = static_cast<std::size_t>(min3(static_cast<double>(diagonal + cost),
                                             static_cast<double>(above + 1),
                                             static_cast<double>(row[j - 1] + 1)));
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace

void showVersionDate(Platform& platform) {
  platform.messageBox(u"砚舟输入法+词库工具β测试0.16版\r\n二〇一九年六月初十", u"", MessageBoxKind::Ok);
}

double min3(double X1, double x2, double x3) { return std::min({X1, x2, x3}); }

double xsd(std::u16string_view s1, std::u16string_view s2) {
  std::size_t longer = std::max(s1.size(), s2.size());
  if (longer == 0) return 1.0;
  return 1.0 - static_cast<double>(editDistance(s1, s2)) / static_cast<double>(longer);
}

std::u16string GetLevenshteinDistince(std::u16string_view str1, std::u16string_view str2) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", xsd(str1, str2));
  return std::u16string(text, text + std::char_traits<char>::length(text));
}

}  // namespace yz
