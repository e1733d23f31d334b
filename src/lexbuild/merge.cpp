#include "lexbuild/merge.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cmath>
#include <optional>

#include "lexbuild/image_writer.h"
#include "lexbuild/system_lexicon.h"
#include "lexicon/files.h"
#include "lexicon/image_loader.h"
#include "lexicon/number_text.h"
#include "lexicon/quicksort.h"
#include "lexicon/text_file.h"
#include "platform/platform.h"
#include "state/window_state.h"

namespace yz {
namespace {

constexpr char16_t kCodeEnd = u'\x01';

// Files the merge leaves behind: the program folder's own copies of the lexicons and scratch
// files of an interrupted rebuild.
constexpr std::u16string_view kObsoleteFiles[] = {u"用户词库.txt", u"两码词库.txt", kKeyScratchPath,
                                                  kSortedScratchPath, kNewLexiconScratchPath};

bool writableCode(std::u16string_view code) {
  return !code.empty() && code.find_first_of(u", \r\n\x01") == std::u16string_view::npos;
}

// The numeric value of a whole weight text; nullopt when it is not a number.
std::optional<double> weightValue(std::u16string_view text) {
  std::string ascii;
  for (char16_t c : text) {
    if (c > 0x7F) return std::nullopt;
    ascii.push_back(static_cast<char>(c));
  }
  double v = 0;
  auto [end, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), v);
  if (ec != std::errc() || end != ascii.data() + ascii.size() || ascii.empty()) return std::nullopt;
  return v;
}

void pushLine(std::vector<std::u16string>& out, std::u16string_view code, std::u16string_view sortWeight,
              std::u16string_view word, std::u16string_view weight) {
  std::u16string line;
  line.reserve(code.size() + sortWeight.size() + word.size() + weight.size() + 3);
  line.append(code).push_back(kCodeEnd);
  line.append(sortWeight).append(u",").append(word).append(u" ").append(weight);
  out.push_back(std::move(line));
}

std::u16string decimal(std::int64_t n) {
  std::u16string text;
  for (char c : std::to_string(n)) text.push_back(static_cast<char16_t>(c));
  return text;
}

}  // namespace

std::vector<std::u16string> userMergeSortLines(const LexiconTable& mainLexicon,
                                               const LexiconTable& userLexicon, bool yhcvh,
                                               const std::function<float()>& rnd) {
  std::vector<std::u16string> out;
  out.reserve(static_cast<std::size_t>(mainLexicon.last) * 2 + static_cast<std::size_t>(userLexicon.last) + 16);
  std::vector<std::u16string_view> items;
  for (std::int32_t k = 1; k <= mainLexicon.last; ++k) {
    std::u16string_view code = mainLexicon.codes[static_cast<std::size_t>(k)];
    if (!writableCode(code)) continue;
    items = splitFields(mainLexicon.lines[static_cast<std::size_t>(k)], u' ');
    for (std::size_t p = 0; p + 1 < items.size(); p += 2) {
      if (items[p].empty() || items[p + 1].empty()) continue;
      pushLine(out, code, items[p + 1], items[p], items[p + 1]);
    }
  }
  std::u16string sortWeight, weight, marked, pairMarked;
  for (std::int32_t k = 0; k <= userLexicon.last; ++k) {
    std::u16string_view code = userLexicon.codes[static_cast<std::size_t>(k)];
    std::u16string_view line = userLexicon.lines[static_cast<std::size_t>(k)];
    if (userLexicon.isDoNotSave(static_cast<std::size_t>(k))) {
      // A privileged entry carries its mark on its last weight: "郝 1" merges as "郝 166".
      marked.assign(line).append(kDoNotSave);
      line = marked;
    }
    items = splitFields(line, u' ');
    for (std::size_t p = 0; p + 1 < items.size(); p += 2) {
      std::u16string_view word = items[p];
      std::u16string_view weightItem = items[p + 1];
      if (userLexicon.isDoNotSavePair(code, word)) {
        // A privileged word inside an entry of the user's own words carries the mark itself.
        pairMarked.assign(weightItem).append(kDoNotSave);
        weightItem = pairMarked;
      }
      const std::optional<double> value = weightValue(weightItem);
      if (!value || *value < 50) continue;
      if (!writableCode(code) || word.empty()) continue;
      if (yhcvh) {
        sortWeight = singleText(static_cast<float>(*value + 313 + rnd()));
        weight = sortWeight;
      } else if (*value < 100) {
        // Sorts before the built-in weights from 100 on; written back as it stood.
        weight.assign(weightItem);
        sortWeight = u"0" + weight;
      } else {
        weight.assign(weightItem);
        sortWeight = weight;
      }
      pushLine(out, code, sortWeight, word, weight);
    }
  }
  return out;
}

LexiconMergeResult mergeUserLexicon(const ProgramFolder& files, Platform& platform,
                                    const LexiconState& lex, bool yhcvh,
                                    const std::function<float()>& rnd,
                                    const std::function<void()>& pump,
                                    std::uintmax_t largestReadable) {
  LexiconMergeResult result;
  const std::uint32_t startSecond = platform.clockMs() / 1000;
  std::vector<std::u16string> lines = userMergeSortLines(lex.mainLexicon, lex.userLexicon, yhcvh, rnd);
  if (lines.empty()) {
    result.emptyInputFlag = 1;
    result.reportText = u"主词库和用户词库中都没有可合并的词条，系统词库保持不变！";
    return result;
  }
  std::int32_t records = 0;
  const std::vector<char16_t> merged = mergeWithScratchFiles(files, platform, std::move(lines), records, pump);
  const std::string bytes = platform.toGbk(std::u16string_view(merged.data(), merged.size()));
  if (bytes.size() > largestReadable) {
    removeMergeScratchFiles(files);
    result.reportText = u"合并后的系统词库有" + decimal(static_cast<std::int64_t>(bytes.size())) +
                        u"字节，超过启动时能读入的上限" + decimal(static_cast<std::int64_t>(largestReadable)) +
                        u"字节，原词库保持不变！";
    return result;
  }
  if (records == 0 || !files.writeBytes(kMainLexiconPath, bytes)) {
    removeMergeScratchFiles(files);
    result.reportText = u"系统词库文件写不进去，原词库保持不变！";
    return result;
  }
  result.ok = true;
  result.records = records;
  for (std::u16string_view path : kObsoleteFiles) {
    if (files.exists(path)) files.remove(path);
  }
  // The start-up prefers the image: it must show the merged lexicon, or be gone.
  ImageWriteResult image = refreshLexiconImage(files, platform);
  result.imageRefreshed = image.ok || image.removedStale;
  result.seconds = static_cast<std::int64_t>(platform.clockMs() / 1000 - startSecond);
  result.reportText = u"已将用户词库合并到主词库，重新生成系统词库,计" + decimal(records) +
                      u"词条，处理共耗时" + decimal(result.seconds) +
                      u"秒！\r\n\r\n现在用你熟悉的方案打字吧！";
  return result;
}

namespace {

constexpr std::u16string_view kTidyLexiconPath = u"两码词库.txt";
constexpr std::u16string_view kTidyUserPath = u"用户词库.txt";
constexpr std::u16string_view kTidyScatterPath = u"两码词库打散.txt";
// Records are grouped by half their key's length, rounded: groups 1 to 30.
constexpr std::size_t kTidyGroups = 30;

// The decimals of (100 + k) / 100 as text, its first character left out: "" for 0, ".01" for 1,
// ".1" for 10.
std::u16string positionDecimals(std::size_t k) {
  const std::size_t n = 100 + k;
  std::u16string text = decimal(static_cast<std::int64_t>(n / 100));
  if (const std::size_t cents = n % 100; cents != 0) {
    text += u'.';
    text += static_cast<char16_t>(u'0' + cents / 10);
    if (cents % 10 != 0) text += static_cast<char16_t>(u'0' + cents % 10);
  }
  return text.substr(1);
}

}  // namespace

LexiconTidyResult tidyLexicon(const ProgramFolder& files, Platform& platform, WindowState& win,
                              const std::function<void()>& pump, const std::function<void()>& ended) {
  LexiconTidyResult result;
  win.boxes.rtext2.text = u"50万条规模的词库整理需20秒左右时间，请稍候···";
  win.boxes.Text5.text = u"    喝口茶，做一个深呼吸吧！";
  const std::uint32_t startMs = platform.clockMs();
  if (pump) pump();

  std::vector<std::u16string> scatter;
  if (auto lines = readGbkLines(files, platform, kTidyLexiconPath)) {
    for (const std::u16string& line : *lines) {
      const std::size_t comma = line.find(u',');
      if (comma == std::u16string::npos) continue;
      const std::u16string_view code = std::u16string_view(line).substr(0, comma);
      const std::vector<std::u16string_view> items = splitFields(std::u16string_view(line).substr(comma + 1), u' ');
      for (std::size_t k = 0; k + 2 < items.size(); ++k) {
        scatter.push_back(std::u16string(code) + positionDecimals(k) + u"," + std::u16string(items[k]));
      }
    }
  }
  if (auto lines = readGbkLines(files, platform, kTidyUserPath)) {
    for (const std::u16string& line : *lines) {
      const std::size_t comma = line.find(u',');
      if (comma == std::u16string::npos) continue;
      scatter.push_back(line.substr(0, comma) + u"1.009" + line.substr(comma));
    }
  }
  std::erase_if(scatter, [](const std::u16string& line) { return line.empty(); });
  if (!scatter.empty()) {
    writeGbkLines(files, platform, kTidyScatterPath, scatter);
    QuickSort(scatter, 0, static_cast<int>(scatter.size()) - 1, pump ? pump : [] {});
    writeGbkLines(files, platform, kTidyScatterPath, scatter);
  }

  // Records of one key each, the words joined by blanks, in groups by the key's length.
  std::vector<std::vector<std::u16string>> groups(kTidyGroups + 1);
  std::u16string key, record;
  std::vector<std::u16string_view> words;
  auto closeRecord = [&] {
    if (record.empty()) return;
    // A key of no length or of more than 59 characters joins the nearest group, never dropped.
    const std::size_t group = std::clamp<std::size_t>((key.size() + 1) / 2, 1, kTidyGroups);
    groups[group].push_back(std::move(record));
    record.clear();
  };
  for (const std::u16string& line : scatter) {
    const std::size_t comma = line.find(u',');
    const std::u16string_view lineKey = std::u16string_view(line).substr(0, comma);
    const std::u16string_view word =
        comma == std::u16string::npos ? std::u16string_view() : std::u16string_view(line).substr(comma + 1);
    if (record.empty() || lineKey != key) {
      closeRecord();
      key.assign(lineKey);
      record = key + u"," + std::u16string(word);
      words.assign(1, word);
      continue;
    }
    if (std::find(words.begin(), words.end(), word) != words.end()) continue;
    words.push_back(word);
    record += u' ';
    record += word;
  }
  closeRecord();
  std::vector<std::u16string> tidied;
  for (std::size_t g = 1; g <= kTidyGroups; ++g) {
    for (std::u16string& r : groups[g]) tidied.push_back(std::move(r));
  }

  // The user file is emptied only once both files are backed up.
  const auto backUp = [&files](std::u16string_view from, std::u16string_view to) {
    if (!files.exists(from)) return true;
    const std::optional<std::string> bytes = files.readBytes(from);
    return bytes && files.writeBytes(to, *bytes);
  };
  result.ok = !tidied.empty() && backUp(kTidyLexiconPath, u"两码词库备份.txt") &&
              backUp(kTidyUserPath, u"用户词库备份.txt") && files.writeBytes(kTidyUserPath, "") &&
              writeGbkLines(files, platform, kTidyLexiconPath, tidied);
  if (files.exists(kTidyScatterPath)) files.remove(kTidyScatterPath);
  result.records = result.ok ? static_cast<std::int32_t>(tidied.size()) : 0;
  result.seconds = static_cast<std::int64_t>((platform.clockMs() - startMs) / 1000);
  result.reportText = u"词库整理完毕," + decimal(result.records) + u"条词库处理共耗时" +
                      decimal(result.seconds) + u"秒！";
  win.form1.topMost = false;
  platform.messageBox(result.reportText, u"", MessageBoxKind::Ok);
  if (ended) ended();
  return result;
}

}  // namespace yz
