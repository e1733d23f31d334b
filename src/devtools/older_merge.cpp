#include "devtools/older_merge.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>

#include "lexicon/files.h"
#include "lexicon/text_file.h"
#include "platform/platform.h"

namespace yz {

namespace {

std::u16string randomWeight(const std::function<float()>& random) {
  float w = 80.0f + 10.0f * random();
  char text[32];
  std::snprintf(text, sizeof text, "0%.7g", static_cast<double>(w));
  return std::u16string(text, text + std::char_traits<char>::length(text));
}

std::u16string decimal(long long n) {
  std::string s = std::to_string(n);
  return std::u16string(s.begin(), s.end());
}

// The main-lexicon index of a code by binary search over the whole lexicon; 0 when absent.
std::int32_t findCode(const LexiconTable& table, std::u16string_view code) {
  std::int32_t lo = 1;
  std::int32_t hi = table.last;
  if (hi < lo) return 0;
  if (table.codes[static_cast<std::size_t>(lo)] == code) return lo;
  if (table.codes[static_cast<std::size_t>(hi)] == code) return hi;
  while (hi - lo > 1) {
    std::int32_t mid = lo + (hi - lo) / 2;
    std::u16string_view at = table.codes[static_cast<std::size_t>(mid)];
    if (at == code) return mid;
    (code < at ? hi : lo) = mid;
  }
  return 0;
}

}  // namespace

std::vector<std::u16string> vyfvm(const std::vector<std::u16string>& userLines,
                                  const std::function<std::u16string(std::u16string_view)>& codeOf,
                                  const std::function<float()>& random) {
  std::vector<std::u16string> out;
  for (const auto& line : userLines) {
    if (line.empty()) continue;
    if (line.find(u',') != std::u16string::npos) {
      out.push_back(line);
      continue;
    }
    std::u16string code = codeOf(line);
    if (code.empty()) continue;  // nothing to file it under
    out.push_back(code + u"," + line + u" " + randomWeight(random));
    if (code.size() >= 8) {
      std::u16string text = line;
      std::u16string shortCode{code[0], code[2], code[4]};
      char16_t beforeLast = code[code.size() - 2];
      if (beforeLast >= 95 && beforeLast <= 122) {
        shortCode += code.substr(code.size() - 2);
      } else {
        shortCode += code.substr(code.size() - 4, 2);
        text.pop_back();
      }
      out.push_back(shortCode + u"," + text + u" " + randomWeight(random));
    }
  }
  return out;
}

std::u16string putEntryFirst(std::u16string_view list, std::u16string_view entry, std::size_t k) {
  std::u16string_view word = entry.substr(0, k);
  std::u16string rest(list);
  std::size_t p = word.empty() ? std::u16string::npos : rest.find(word);
  if (p != std::u16string::npos) {
    std::size_t q = rest.find(u' ', p + k + 1);
    if (q == std::u16string::npos) q = rest.size();
    rest = rest.substr(0, p) + (q < rest.size() ? rest.substr(q + 1) : u"");
  }
  while (!rest.empty() && rest.back() == u' ') rest.pop_back();
  return rest.empty() ? std::u16string(entry) : std::u16string(entry) + u" " + rest;
}

std::vector<std::u16string> irct(const LexiconTable& mainLexicon, const std::vector<std::u16string>& scratchLines) {
  std::vector<std::u16string> lists(static_cast<std::size_t>(std::max(0, mainLexicon.last)) + 1);
  for (std::int32_t i = 1; i <= mainLexicon.last; ++i) lists[static_cast<std::size_t>(i)] = std::u16string(mainLexicon.lines[static_cast<std::size_t>(i)]);
  std::map<std::u16string, std::u16string> newCodes;  // sorted by code
  std::vector<std::u16string> sortedScratch = scratchLines;
  std::stable_sort(sortedScratch.begin(), sortedScratch.end());
  for (const auto& line : scratchLines) {
    std::size_t comma = line.find(u',');
    if (comma == std::u16string::npos || comma == 0) continue;
    std::u16string code = line.substr(0, comma);
    std::u16string_view entry = std::u16string_view(line).substr(comma + 1);
    std::size_t k = code.size() / 2;
    if (std::int32_t h = findCode(mainLexicon, code); h > 0) {
      lists[static_cast<std::size_t>(h)] = putEntryFirst(lists[static_cast<std::size_t>(h)], entry, k);
    }
  }
  // New codes: their entries in sorted order, each further entry combined as with an existing list.
  for (const auto& line : sortedScratch) {
    std::size_t comma = line.find(u',');
    if (comma == std::u16string::npos || comma == 0) continue;
    std::u16string code = line.substr(0, comma);
    if (findCode(mainLexicon, code) > 0) continue;
    std::u16string_view entry = std::u16string_view(line).substr(comma + 1);
    auto [it, added] = newCodes.try_emplace(code, entry);
    if (!added) it->second = putEntryFirst(it->second, entry, code.size() / 2);
  }
  std::vector<std::u16string> out;
  for (const auto& [code, text] : newCodes) out.push_back(code + u"," + text);
  for (std::int32_t i = 1; i <= mainLexicon.last; ++i) {
    out.push_back(std::u16string(mainLexicon.codes[static_cast<std::size_t>(i)]) + u"," + lists[static_cast<std::size_t>(i)]);
  }
  std::sort(out.begin(), out.end());
  return out;
}

bool irctFiles(const ProgramFolder& files, Platform& platform, const LexiconTable& mainLexicon,
               const std::function<std::u16string(std::u16string_view)>& codeOf,
               const std::function<float()>& random) {
  std::uint32_t start = platform.clockMs();
  auto user = readGbkLines(files, platform, kOlderUserLexiconPath);
  if (!user) return false;
  std::vector<std::u16string> scratch = vyfvm(*user, codeOf, random);
  if (!writeGbkLines(files, platform, kMergeScratchPath, scratch)) return false;
  std::vector<std::u16string> merged = irct(mainLexicon, scratch);
  if (!writeGbkLines(files, platform, kMergedLexiconPath, merged)) return false;
  std::uint32_t seconds = (platform.clockMs() - start) / 1000;
  platform.messageBox(u"已将用户词条插入系统词库," + decimal(static_cast<long long>(merged.size())) + u"词条，处理共耗时" +
                          decimal(seconds) + u"秒！\r\n\r\n新词库数据存放于“用户diy文件\\两码词库新.txt”中，请自行复制到“两码词库.txt”中，覆盖原来的系统词库！",
                      u"", MessageBoxKind::Ok);
  return true;
}

}  // namespace yz
