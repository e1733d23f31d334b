#include "lexbuild/merge.h"

#include <charconv>
#include <cstdint>
#include <cmath>
#include <optional>

#include "lexbuild/image_writer.h"
#include "lexbuild/system_lexicon.h"
#include "lexicon/files.h"
#include "lexicon/image_loader.h"
#include "lexicon/number_text.h"
#include "lexicon/text_file.h"
#include "platform/platform.h"

namespace yz {
namespace {

constexpr char16_t kCodeEnd = u'\x01';

// Files the merge leaves behind: the program folder's own copies of the lexicons and scratch
// files of an interrupted rebuild.
constexpr std::u16string_view kObsoleteFiles[] = {u"用户词库.txt", u"两码词库.txt",
                                                  u"用户diy文件\\yhckx.vx",
                                                  u"用户diy文件\\两码词排序后.txt",
                                                  u"用户diy文件\\两码词库新.txt"};

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
  std::u16string sortWeight, weight;
  for (std::int32_t k = 0; k <= userLexicon.last; ++k) {
    std::u16string_view code = userLexicon.codes[static_cast<std::size_t>(k)];
    items = splitFields(userLexicon.lines[static_cast<std::size_t>(k)], u' ');
    for (std::size_t p = 0; p + 1 < items.size(); p += 2) {
      std::u16string_view word = items[p];
      const std::optional<double> value = weightValue(items[p + 1]);
      if (!value || *value < 50) continue;
      if (!writableCode(code) || word.empty()) continue;
      if (yhcvh) {
        sortWeight = singleText(static_cast<float>(*value + 313 + rnd()));
        weight = sortWeight;
      } else if (*value < 100) {
        // Sorts before the built-in weights from 100 on; written back as it stood.
        weight.assign(items[p + 1]);
        sortWeight = u"0" + weight;
      } else {
        weight.assign(items[p + 1]);
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
  const std::vector<char16_t> merged = mergeRegenerationLines(std::move(lines), records, pump);
  const std::string bytes = platform.toGbk(std::u16string_view(merged.data(), merged.size()));
  if (bytes.size() > largestReadable) {
    result.reportText = u"合并后的系统词库有" + decimal(static_cast<std::int64_t>(bytes.size())) +
                        u"字节，超过启动时能读入的上限" + decimal(static_cast<std::int64_t>(largestReadable)) +
                        u"字节，原词库保持不变！";
    return result;
  }
  if (records == 0 || !files.writeBytes(kMainLexiconPath, bytes)) {
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

}  // namespace yz
