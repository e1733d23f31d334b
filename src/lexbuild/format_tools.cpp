#include "lexbuild/format_tools.h"

#include "lexicon/files.h"
#include "lexicon/gbk.h"
#include "lexicon/text_file.h"

namespace yz {

std::vector<std::u16string> singleToMultiLine(std::u16string_view text) {
  std::vector<std::u16string> out;
  for (std::u16string_view line : splitLines(text)) {
    const std::size_t comma = line.find(u',');
    if (comma == std::u16string_view::npos) continue;
    const std::u16string_view code = line.substr(0, comma);
    for (std::u16string_view item : splitFields(line.substr(comma + 1), u' ')) {
      std::u16string l(code);
      l.push_back(u',');
      l.append(item);
      out.push_back(std::move(l));
    }
  }
  return out;
}

std::optional<std::vector<std::u16string>> multiToSingleLine(std::u16string_view text) {
  std::vector<std::u16string> out;
  std::u16string_view current;
  std::u16string list;
  bool open = false;
  for (std::u16string_view line : splitLines(text)) {
    const std::size_t comma = line.find(u',');
    if (comma == std::u16string_view::npos) continue;
    const std::u16string_view code = line.substr(0, comma);
    const std::u16string_view word = line.substr(comma + 1);
    if (open && code == current) {
      list.push_back(u' ');
      list.append(word);
      continue;
    }
    if (open) out.push_back(std::u16string(current) + u"," + list);
    current = code;
    list.assign(word);
    open = true;
  }
  if (!open) return std::nullopt;
  out.push_back(std::u16string(current) + u"," + list);
  return out;
}

UserWordCodes userWordCodes(std::u16string_view text, const EncoderContext& encoder) {
  UserWordCodes result;
  std::u16string code, pinyin, out;
  for (std::u16string_view line : splitLines(text)) {
    if (line.find(u',') != std::u16string_view::npos) continue;
    if (line.size() != 2 && line.size() != 3) continue;
    code.clear();
    citcvuyn(encoder, line, code, pinyin);
    if (code.size() != 2 * line.size()) continue;
    out.clear();
    for (std::size_t k = 0; k < line.size(); ++k) {
      out.append(code, 2 * k, 2);
      const std::u16string_view aux =
          encoder.lex.charAuxCodes[static_cast<std::size_t>(encoder.gbk.charIndex(line[k]))];
      if (!aux.empty()) out.push_back(aux[0]);
    }
    out.push_back(u',');
    out.append(line);
    result.lines.push_back(out);
    ++result.count;
  }
  return result;
}

}  // namespace yz
