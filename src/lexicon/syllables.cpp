#include "lexicon/syllables.h"

#include <algorithm>
#include <optional>

#include "lexicon/files.h"
#include "lexicon/quicksort.h"
#include "lexicon/text_file.h"

namespace yz {
namespace {

using Pairs = std::vector<std::pair<std::u16string, std::u16string>>;

// The first two comma fields of each line, at most 501 lines; nullopt when the file cannot be
// read or is longer.
std::optional<Pairs> readPairFile(const ProgramFolder& files, const Platform& platform,
                                  std::u16string_view relative) {
  auto lines = readGbkLines(files, platform, relative);
  if (!lines || lines->size() > kSyllableSlots) return std::nullopt;
  Pairs pairs;
  for (const auto& line : *lines) {
    auto fields = splitFields(line, u',');
    pairs.emplace_back(fields[0], fields.size() > 1 ? fields[1] : std::u16string_view{});
  }
  return pairs;
}

// The bracketing binary search over keys[0..last]: both ends first, then halving; -1 on a miss.
int searchSyllables(const std::array<std::u16string, kSyllableSlots>& keys, std::int32_t last,
                    std::u16string_view key) {
  if (last < 0) return -1;
  int lo = 0;
  int hi = last;
  if (keys[lo] == key) return lo;
  if (keys[hi] == key) return hi;
  while (hi - lo > 1) {
    int mid = (lo + hi) / 2;
    if (keys[mid] == key) return mid;
    if (key < std::u16string_view(keys[mid])) {
      hi = mid;
    } else {
      lo = mid;
    }
  }
  return -1;
}

std::u16string replaceAll(std::u16string text, std::u16string_view from, std::u16string_view to) {
  for (std::size_t pos = text.find(from); pos != std::u16string::npos;
       pos = text.find(from, pos + to.size())) {
    text.replace(pos, from.size(), to);
  }
  return text;
}

}  // namespace

bool qptouptoup(const ProgramFolder& files, const Platform& platform) {
  auto master = readGbkLines(files, platform, kSyllableMasterPath);
  if (!master) return false;
  std::vector<std::u16string> xh, zr, gb, xhToZr, gbToZr, zrToQp;
  bool guobiaoCodes = false;  // the 国标 column holds a code somewhere
  auto pair = [](std::u16string_view a, std::u16string_view b) {
    std::u16string line(a);
    line += u',';
    line += b;
    return line;
  };
  for (const auto& line : *master) {
    auto f = splitFields(line, u',');
    if (f.size() != 4) continue;
    xh.push_back(pair(f[0], f[1]));
    zr.push_back(pair(f[0], f[2]));
    gb.push_back(pair(f[0], f[3]));
    xhToZr.push_back(pair(f[1], f[2]));
    gbToZr.push_back(pair(f[3], f[2]));
    guobiaoCodes = guobiaoCodes || !f[3].empty();
    zrToQp.push_back(pair(f[2], f[0]));
  }
  bool ok = refreshGbkLines(files, platform, u"内置文件\\qp2sp小鹤.txt", xh);
  ok = refreshGbkLines(files, platform, kZiranmaPairPath, zr) && ok;
  // A master file without 国标 codes leaves the 国标 files alone: a pair file the user put there
  // is the layout.
  if (guobiaoCodes) ok = refreshGbkLines(files, platform, u"内置文件\\qp2sp国标.txt", gb) && ok;
  ok = refreshGbkLines(files, platform, u"内置文件\\小鹤双拼2自然双拼.txt", xhToZr) && ok;
  if (guobiaoCodes) ok = refreshGbkLines(files, platform, u"内置文件\\国标双拼2自然双拼.txt", gbToZr) && ok;
  ok = refreshGbkLines(files, platform, u"内置文件\\sp2qp自然.txt", zrToQp) && ok;
  return files.copy(kZiranmaPairPath, kSyllablePairPath) && ok;
}

bool zdyup2zrup(const ProgramFolder& files, const Platform& platform) {
  auto ziranma = readPairFile(files, platform, kZiranmaPairPath);
  if (!ziranma) return false;
  auto custom = readPairFile(files, platform, kCustomLayoutSourcePath);
  if (!custom) return false;
  std::vector<std::u16string> out;
  for (std::size_t i = 1; i < ziranma->size(); ++i) {
    for (const auto& [pinyin, code] : *custom) {
      if (pinyin == (*ziranma)[i].first) out.push_back(code + u"," + (*ziranma)[i].second);
    }
  }
  return refreshGbkLines(files, platform, kCustomLayoutPairPath, out);
}

bool zrmfvm2xhfvm(const ProgramFolder& files, const Platform& platform) {
  auto ziranma = readPairFile(files, platform, u"内置文件\\自然码辅助码.txt");
  if (!ziranma) return false;
  auto hexing = readPairFile(files, platform, u"用户diy文件\\鹤形辅助码.txt");
  if (!hexing) return false;
  std::vector<std::u16string> out;
  for (const auto& [character, code] : *ziranma) {
    bool listed = false;
    for (const auto& other : *hexing) listed = listed || other.first == character;
    if (!listed) out.push_back(character + u"," + code);
  }
  return writeGbkLines(files, platform, u"用户diy文件\\鹤形辅助码缺少.txt", out);
}

void fillSyllableTables(LexiconState& lex, const std::vector<std::u16string>& lines,
                        const std::function<void()>& pump) {
  std::size_t n = std::min(lines.size(), kSyllableSlots);
  std::vector<std::u16string> byCode;
  for (std::size_t i = 0; i < n; ++i) {
    auto f = splitFields(lines[i], u',');
    std::u16string_view syllable = f[0];
    std::u16string_view code = f.size() > 1 ? f[1] : std::u16string_view{};
    lex.syllablesByPinyin.syllables[i] = syllable;
    lex.syllablesByPinyin.codes[i] = code;
    // Sorted as "code,syllable" lines.
    byCode.push_back(std::u16string(code) + u"," + replaceAll(std::u16string(syllable), u"ve", u"ue"));
  }
  lex.syllablesByPinyin.last = static_cast<std::int32_t>(n) - 1;
  QuickSort(byCode, 0, static_cast<int>(byCode.size()) - 1, pump);
  for (std::size_t i = 0; i < n; ++i) {
    std::size_t comma = byCode[i].find(u',');
    lex.syllablesByCode.codes[i] = byCode[i].substr(0, comma);
    lex.syllablesByCode.syllables[i] = byCode[i].substr(comma + 1);
  }
  lex.syllablesByCode.last = static_cast<std::int32_t>(n) - 1;
}

void sptoqp(const LexiconState& lex, std::u16string_view spir, std::u16string& qpir,
            std::int32_t& loopCounter) {
  const SyllableTable& table = lex.syllablesByCode;
  std::u16string out;
  for (std::size_t i = 0; i < spir.size(); i += 2) {
    std::u16string_view piece = spir.substr(i, 2);
    int hit = searchSyllables(table.codes, table.last, piece);
    out += u'\'';
    out += hit >= 0 ? std::u16string_view(table.syllables[static_cast<std::size_t>(hit)]) : piece;
  }
  qpir = out.empty() ? out : out.substr(1);
  loopCounter = static_cast<std::int32_t>(spir.size());
}

void qptosp(const LexiconState& lex, std::u16string_view qpir, std::u16string& spir,
            std::vector<std::u16string>& splitList, std::int32_t& loopCounter) {
  const SyllableTable& table = lex.syllablesByPinyin;
  splitList.clear();
  if (!qpir.empty()) {
    for (std::u16string_view s : splitFields(qpir, u'\'')) splitList.emplace_back(s);
  }
  std::u16string out;
  for (const auto& syllable : splitList) {
    int hit = searchSyllables(table.syllables, table.last, syllable);
    if (hit >= 0) out += table.codes[static_cast<std::size_t>(hit)];
  }
  spir = out;
  loopCounter = static_cast<std::int32_t>(splitList.size()) - 1;
}

}  // namespace yz
