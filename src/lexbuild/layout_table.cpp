#include "lexbuild/layout_table.h"

#include <vector>

#include "lexbuild/scheme_switch.h"

namespace yz {
namespace {

bool isKey(char16_t ch) { return ch >= u'a' && ch <= u'z'; }

bool allKeys(std::u16string_view text) {
  for (char16_t ch : text) {
    if (!isKey(ch)) return false;
  }
  return true;
}

}  // namespace

std::u16string_view layoutPairPath(std::u16string_view label) {
  if (label == u"gbup") return kGuobiaoLayoutPath;
  if (label == u"xhhx") return kXiaoheLayoutPath;
  if (label == u"zdypf") return kCustomLayoutPath;
  return {};
}

std::u16string_view markedLayout(const Settings& s) {
  if (s.gbup.marked()) return u"gbup";
  if (s.xhhx.marked()) return u"xhhx";
  if (s.zdypf.marked()) return u"zdypf";
  return {};
}

std::int32_t sptosp(std::u16string_view pairFileText, LayoutTable& table) {
  table.clear();
  const std::vector<std::u16string> fields = charCodeFields(pairFileText);
  std::int32_t taken = 0;
  for (std::size_t f = 0; f + 1 < fields.size(); f += 2) {
    const std::u16string& layoutCode = fields[f];
    const std::u16string& ziranCode = fields[f + 1];
    if (layoutCode.empty() || !isKey(layoutCode.front()) || !isKey(layoutCode.back())) continue;
    if (ziranCode.size() != 2 || !allKeys(ziranCode)) continue;
    auto& row = table.cells[static_cast<std::size_t>(layoutCode.front() - u'a')];
    row[kLoneKeyColumn] = ziranCode.substr(0, 1);
    row[static_cast<std::size_t>(layoutCode.back() - u'a')] = ziranCode;
    ++taken;
  }
  return taken;
}

}  // namespace yz
