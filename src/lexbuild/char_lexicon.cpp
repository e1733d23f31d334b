#include "lexbuild/char_lexicon.h"

#include <cstdio>

#include "lexicon/files.h"
#include "lexicon/gbk.h"
#include "lexicon/quicksort.h"
#include "lexicon/text_file.h"
#include "platform/platform.h"

namespace yz {
namespace {

// One scratch line of the second form: key\weight,word weight.
void pushKeyLine(std::vector<std::u16string>& out, std::u16string_view key, std::u16string_view word,
                 std::u16string_view weight) {
  std::u16string line;
  line.reserve(key.size() + 2 * weight.size() + word.size() + 3);
  line.append(key).append(u"\\").append(weight).append(u",").append(word).append(u" ").append(weight);
  out.push_back(std::move(line));
}

// A scratch line in the one sort form key\weight,entry, or "" when it has neither form.
std::u16string sortForm(std::u16string_view line) {
  std::size_t comma = line.find(u',');
  if (comma == std::u16string_view::npos || comma == 0) return {};
  std::u16string_view head = line.substr(0, comma);
  std::u16string_view entry = line.substr(comma + 1);
  std::u16string out;
  out.reserve(line.size() + 1);
  std::size_t slash = head.find(u'\\');
  if (slash != std::u16string_view::npos) {
    out.append(head).append(u",").append(entry);
  } else {
    out.append(head.substr(0, 1)).append(u"\\").append(head.substr(1)).append(u",").append(entry);
  }
  return out;
}

}  // namespace

std::u16string oneLetterScratchLine(std::u16string_view code, std::u16string_view character,
                                    double weight) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.15g", weight);
  std::u16string w;
  for (const char* p = buf; *p; ++p) w.push_back(static_cast<char16_t>(*p));
  std::u16string line(code);
  line.append(w).append(u",").append(character).append(u" ").append(w);
  return line;
}

std::vector<std::u16string> charKeyLines(const LexiconTable& mainLexicon, const CharTable& charAuxCodes,
                                         const GbkTable& gbk, bool vxbf) {
  std::vector<std::u16string> out;
  std::vector<std::u16string_view> items;
  std::u16string key;
  for (std::int32_t i = 1; i <= mainLexicon.last && static_cast<std::size_t>(i) < mainLexicon.codes.size();
       ++i) {
    std::u16string_view code = mainLexicon.codes[static_cast<std::size_t>(i)];
    if (code.size() != 2) continue;
    items = splitFields(mainLexicon.lines[static_cast<std::size_t>(i)], u' ');
    bool first = true;
    for (std::size_t p = 0; p + 1 < items.size(); p += 2) {
      std::u16string_view word = items[p];
      std::u16string_view weight = items[p + 1];
      if (word.empty() || weight.empty()) continue;
      if (first) {
        // The first word of the code under the code's first letter: key weight,word weight.
        std::u16string line(code.substr(0, 1));
        line.append(weight).append(u",").append(word).append(u" ").append(weight);
        out.push_back(std::move(line));
        first = false;
      }
      const std::u16string_view aux = charAuxCodes[static_cast<std::size_t>(gbk.charIndex(word[0]))];
      pushKeyLine(out, code, word, weight);
      if (aux.empty()) continue;
      char16_t lastAux = aux.back();
      if (vxbf) {
        key.assign(code).push_back(lastAux);
        pushKeyLine(out, key, word, weight);
      }
      for (std::size_t k = 1; k <= aux.size(); ++k) {
        key.assign(code).append(aux, 0, k);
        pushKeyLine(out, key, word, weight);
        if (vxbf && k < aux.size()) {
          key.push_back(lastAux);
          pushKeyLine(out, key, word, weight);
        }
      }
    }
  }
  return out;
}

std::vector<std::u16string> mergeCharKeyLines(
    std::vector<std::u16string> scratch, const std::function<void()>& pump,
    const std::function<void(const std::vector<std::u16string>&)>& sorted) {
  // Every line in the form key\weight,entry: the lines of one key then stand together after the
  // sort, in the order of their weight texts, and a repeated pair is a repeated line.
  std::size_t kept = 0;
  for (auto& line : scratch) {
    std::u16string normal = sortForm(line);
    if (!normal.empty()) scratch[kept++] = std::move(normal);
  }
  scratch.resize(kept);
  scratch.shrink_to_fit();
  if (scratch.empty()) return {};
  QuickSort(scratch, 0, static_cast<int>(scratch.size()) - 1, pump);
  if (sorted) sorted(scratch);

  std::vector<std::u16string> groups;
  std::u16string_view groupKey;
  std::u16string group;
  const std::u16string* previous = nullptr;
  for (const auto& line : scratch) {
    std::u16string_view view(line);
    std::u16string_view key = view.substr(0, view.find(u'\\'));
    std::u16string_view entry = view.substr(view.find(u',') + 1);
    if (previous != nullptr && key == groupKey) {
      if (line == *previous) continue;
      group.append(u" ").append(entry);
    } else {
      if (previous != nullptr) groups.push_back(std::move(group));
      groupKey = key;
      group.assign(key).append(u",").append(entry);
    }
    previous = &line;
  }
  groups.push_back(std::move(group));
  QuickSort(groups, 0, static_cast<int>(groups.size()) - 1, pump);
  return groups;
}

CharLexiconResult regenerateCharLexicon(const ProgramFolder& files, const Platform& platform,
                                        const LexiconState& lex, const GbkTable& gbk, bool vxbf,
                                        const std::function<void()>& pump) {
  std::vector<std::u16string> scratch;
  if (auto oneLetter = readGbkLines(files, platform, kCharScratchPath)) scratch = std::move(*oneLetter);
  std::vector<std::u16string> keyLines = charKeyLines(lex.mainLexicon, lex.charAuxCodes, gbk, vxbf);
  scratch.reserve(scratch.size() + keyLines.size());
  for (auto& line : keyLines) scratch.push_back(std::move(line));
  keyLines = {};
  // The sorted lines stay for a look until the load removes them (through a temporary file; a
  // failed write only costs the look).
  std::vector<std::u16string> merged =
      mergeCharKeyLines(std::move(scratch), pump, [&files, &platform](const std::vector<std::u16string>& lines) {
        // A one-letter key is written without its backslash, as "dzmb.ls" holds it.
        std::vector<std::u16string> shown;
        shown.reserve(lines.size());
        for (const auto& line : lines) {
          shown.push_back(line.size() > 1 && line[1] == u'\\' ? line.substr(0, 1) + line.substr(2) : line);
        }
        writeGbkLines(files, platform, kSortedScratchPath, shown);
      });
  CharLexiconResult result;
  result.ok = writeGbkLines(files, platform, kCharLexiconPath, merged);
  result.lines = static_cast<std::int32_t>(merged.size());
  return result;
}

}  // namespace yz
