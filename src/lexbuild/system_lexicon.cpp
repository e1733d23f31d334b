#include "lexbuild/system_lexicon.h"

#include <algorithm>
#include <memory>

#include "lexbuild/char_lexicon.h"
#include "lexicon/files.h"
#include "lexicon/image_loader.h"
#include "lexicon/quicksort.h"
#include "lexicon/syllables.h"
#include "lexicon/text_file.h"
#include "platform/platform.h"

namespace yz {
namespace {

constexpr int kInputTimerMs = 50;
constexpr int kSecondTimerMs = 160;
constexpr char16_t kCodeEnd = u'\x01';

// Files a regeneration leaves behind: the single-character lexicon of the old scheme, the program
// folder's own copy of the system lexicon, and scratch files of an interrupted rebuild.
constexpr std::u16string_view kObsoleteFiles[] = {
    kCharLexiconPath, u"两码词库.txt", kKeyScratchPath, kSortedScratchPath, kNewLexiconScratchPath};

// A code that would break the "code,list" line or the sort line.
bool writableCode(std::u16string_view code) {
  return code.find_first_of(u", \r\n\x01") == std::u16string_view::npos;
}

void pushSortLine(std::vector<std::u16string>& out, std::u16string_view code, std::u16string_view word,
                  std::u16string_view weight) {
  std::u16string line;
  line.reserve(code.size() + 2 * weight.size() + word.size() + 3);
  line.append(code).push_back(kCodeEnd);
  line.append(weight).append(u",").append(word).append(u" ").append(weight);
  out.push_back(std::move(line));
}


// A scratch file of key lines in the form the file shows: code and weight without the separator
// the sort uses. A failed write only costs the look at it.
void writeScratchLines(const ProgramFolder& files, const Platform& platform, std::u16string_view path,
                       const std::vector<std::u16string>& lines) {
  std::u16string text;
  std::size_t total = 0;
  for (const auto& line : lines) total += line.size() + 2;
  text.reserve(total);
  for (const auto& line : lines) {
    for (char16_t c : line) {
      if (c != kCodeEnd) text.push_back(c);
    }
    text += u"\r\n";
  }
  files.writeBytes(path, platform.toGbk(text));
}

// Resource 105 written again as text: each line as key, "," and list, without the NUL padding.
// GBK trail bytes are 0x40 or above, so CR, LF and "," are found byte by byte.
std::string defaultCopyBytes(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find("\r\n", start);
    std::string_view line = bytes.substr(start, end == std::string_view::npos ? end : end - start);
    start = end == std::string_view::npos ? bytes.size() : end + 2;
    if (end == std::string_view::npos && line.find_first_not_of('\0') == std::string_view::npos) break;
    std::size_t comma = line.find(',');
    if (comma == std::string_view::npos) {
      out.append(line).append(",");
    } else {
      std::size_t next = line.find(',', comma + 1);
      out.append(line.substr(0, next));
    }
    out.append("\r\n");
  }
  return out;
}

std::u16string decimal(std::int64_t n) {
  std::u16string text;
  for (char c : std::to_string(n)) text.push_back(static_cast<char16_t>(c));
  return text;
}

void setTimers(RegenerationContext& ctx, bool input, bool second) {
  if (ctx.pass.timer1 >= 0) ctx.platform.setTimer(ctx.pass.timer1, kInputTimerMs, input);
  if (ctx.pass.timer2 >= 0) ctx.platform.setTimer(ctx.pass.timer2, kSecondTimerMs, second);
}

void finish(RegenerationContext& ctx, RegenerationResult& result, std::uint32_t startSecond) {
  result.seconds = static_cast<std::int64_t>(ctx.platform.clockMs() / 1000 - startSecond);
  if (result.ok) {
    result.reportText = u"已根据你的单字全码重新生成系统词库,计" + decimal(result.lines) + u"词条，处理共耗时" +
                        decimal(result.seconds) + u"秒！\r\n\r\n重启输入法后用你熟悉的方案打字吧！";
    if (result.skippedWords > 0) {
      result.reportText += u"\r\n（另有" + decimal(result.skippedWords) + u"个词编码不全，未收入词库。）";
    }
  }
  ctx.platform.messageBox(result.reportText, u"", MessageBoxKind::Ok);
  setTimers(ctx, true, false);
}

// Points a fresh main lexicon at the records of the lexicon text in `buffer`.
LexiconTable tableFromText(std::shared_ptr<const TextBuffer> buffer, std::int32_t records) {
  LexiconTable table;
  table.reset();
  table.codes.reserve(static_cast<std::size_t>(records) + 1);
  table.lines.reserve(static_cast<std::size_t>(records) + 1);
  std::u16string_view text = buffer->view();
  std::int32_t n = 0;
  for (std::u16string_view line : splitLines(text)) {
    std::size_t comma = line.find(u',');
    if (comma == std::u16string_view::npos) continue;
    table.codes.pushView(line.substr(0, comma));
    table.lines.pushView(line.substr(comma + 1));
    ++n;
  }
  table.last = n;
  table.buffer = std::move(buffer);
  return table;
}

// Reads a two-field syllable file into a table from index 0, at most 501 lines; `codeFirst` when
// the file holds the code first. False, leaving the table alone, when the file cannot be read.
bool readSyllableFile(const RegenerationContext& ctx, std::u16string_view path, SyllableTable& table,
                      bool codeFirst) {
  auto lines = readGbkLines(ctx.files, ctx.platform, path);
  if (!lines) return false;
  std::size_t n = std::min(lines->size(), kSyllableSlots);
  for (std::size_t i = 0; i < n; ++i) {
    auto fields = splitFields((*lines)[i], u',');
    std::u16string_view first = fields[0];
    std::u16string_view second = fields.size() > 1 ? fields[1] : std::u16string_view{};
    table.syllables[i] = codeFirst ? second : first;
    table.codes[i] = codeFirst ? first : second;
  }
  table.last = static_cast<std::int32_t>(n) - 1;
  return true;
}

}  // namespace

std::vector<QuanpinEntry> splitQuanpinLexicon(std::u16string_view text) {
  std::vector<std::u16string_view> lines = splitLines(text);
  if (!lines.empty() && lines.back().find_first_not_of(u'\0') == std::u16string_view::npos) {
    lines.pop_back();
  }
  std::vector<QuanpinEntry> entries;
  entries.reserve(lines.size());
  for (std::u16string_view line : lines) {
    std::size_t comma = line.find(u',');
    if (comma == std::u16string_view::npos) continue;
    std::u16string_view rest = line.substr(comma + 1);
    entries.push_back({line.substr(0, comma), rest.substr(0, rest.find(u','))});
  }
  return entries;
}

std::vector<std::u16string> regenerationSortLines(const std::vector<QuanpinEntry>& entries,
                                                  const WordCoder& coder, bool smvj,
                                                  std::u16string_view yjjmcn,
                                                  std::u16string_view yjjmen, std::int32_t& skipped) {
  std::vector<std::u16string> out;
  out.reserve(entries.size() * 3 / 2);
  std::vector<std::u16string_view> items;
  std::u16string entryCode, code, twoLetters, shortCode;
  for (const QuanpinEntry& entry : entries) {
    if (coder.perEntry) entryCode = coder.perEntry(entry.key);
    items = splitFields(entry.list, u' ');
    for (std::size_t p = 0; p + 1 < items.size(); p += 2) {
      std::u16string_view word = items[p];
      std::u16string_view weight = items[p + 1];
      if (word.empty() || weight.empty()) continue;
      code = coder.perEntry ? entryCode : coder.perWord(word);
      std::size_t n = word.size();
      bool writeCode = true;
      if (code.size() == 2 * n) {
        twoLetters = code;
      } else if (smvj && code.size() == 3 * n) {
        // Three letters a character: the word goes under the first two of each three only.
        writeCode = false;
        twoLetters.clear();
        for (std::size_t k = 0; k < n; ++k) twoLetters.append(code, 3 * k, 2);
      } else {
        ++skipped;
        continue;
      }
      if (!writableCode(twoLetters)) {
        ++skipped;
        continue;
      }
      shortCode.clear();
      for (std::size_t k = 0; k < n; ++k) {
        std::size_t q = yjjmcn.find(word[k]);
        if (q != std::u16string_view::npos && 2 * q + 2 <= yjjmen.size()) {
          shortCode.append(yjjmen.substr(2 * q, 2));
        } else {
          shortCode.append(twoLetters, 2 * k, 2);
        }
      }
      if (writeCode) pushSortLine(out, twoLetters, word, weight);
      if ((!writeCode || shortCode != twoLetters) && writableCode(shortCode)) {
        pushSortLine(out, shortCode, word, weight);
      }
    }
  }
  return out;
}

std::vector<char16_t> mergeRegenerationLines(
    std::vector<std::u16string> lines, std::int32_t& records, const std::function<void()>& pump,
    const std::function<void(const std::vector<std::u16string>&)>& sorted) {
  records = 0;
  std::vector<char16_t> out;
  if (lines.empty()) return out;
  QuickSort(lines, 0, static_cast<int>(lines.size()) - 1, pump);
  if (sorted) sorted(lines);
  std::size_t total = 0;
  for (const auto& line : lines) total += line.size();
  out.reserve(total * 3 / 4 + 64);
  auto append = [&out](std::u16string_view text) { out.insert(out.end(), text.begin(), text.end()); };

  std::u16string_view current;
  std::vector<std::u16string_view> words;  // the words of the current code
  for (const auto& stored : lines) {
    std::u16string_view line(stored);
    std::size_t end = line.find(kCodeEnd);
    std::size_t comma = line.find(u',', end);
    if (end == std::u16string_view::npos || comma == std::u16string_view::npos) continue;
    std::u16string_view code = line.substr(0, end);
    std::u16string_view pair = line.substr(comma + 1);
    std::u16string_view word = pair.substr(0, pair.find(u' '));
    if (records > 0 && code == current) {
      bool repeated = false;
      for (std::u16string_view w : words) repeated = repeated || w == word;
      if (repeated) continue;
      out.push_back(u' ');
      append(pair);
      words.push_back(word);
    } else {
      if (records > 0) append(u"\r\n");
      append(code);
      out.push_back(u',');
      append(pair);
      current = code;
      words.assign(1, word);
      ++records;
    }
  }
  if (records > 0) append(u"\r\n");
  return out;
}

std::vector<char16_t> mergeWithScratchFiles(const ProgramFolder& files, const Platform& platform,
                                            std::vector<std::u16string> lines, std::int32_t& records,
                                            const std::function<void()>& pump) {
  writeScratchLines(files, platform, kKeyScratchPath, lines);
  std::vector<char16_t> merged =
      mergeRegenerationLines(std::move(lines), records, pump, [&](const std::vector<std::u16string>& sorted) {
        writeScratchLines(files, platform, kSortedScratchPath, sorted);
      });
  files.writeBytes(kNewLexiconScratchPath, platform.toGbk(std::u16string_view(merged.data(), merged.size())));
  return merged;
}

void removeMergeScratchFiles(const ProgramFolder& files) {
  for (std::u16string_view path : {kKeyScratchPath, kSortedScratchPath, kNewLexiconScratchPath}) {
    if (files.exists(path)) files.remove(path);
  }
}

RegenerationResult regenerateSystemLexicon(RegenerationContext& ctx, const WordCoder& coder,
                                           bool writeDefaultCopy) {
  RegenerationResult result;
  setTimers(ctx, false, false);
  std::uint32_t startSecond = ctx.platform.clockMs() / 1000;

  std::vector<std::u16string> lines;
  {
    std::u16string text;
    if (std::optional<std::string> bytes = ctx.platform.resource(kQuanpinLexiconResource)) {
      if (writeDefaultCopy) ctx.files.writeBytes(kDefaultLexiconCopyPath, defaultCopyBytes(*bytes));
      text = ctx.platform.fromGbk(*bytes);
    }
    std::vector<QuanpinEntry> entries = splitQuanpinLexicon(text);
    lines = regenerationSortLines(entries, coder, ctx.settings.smvj, ctx.yjjmcn, ctx.yjjmen,
                                  result.skippedWords);
  }
  if (lines.empty()) {
    result.emptyInputFlag = 1;
    result.reportText = u"没有一个词得到编码，系统词库未重新生成，原词库保持不变！";
    finish(ctx, result, startSecond);
    return result;
  }

  std::int32_t records = 0;
  std::shared_ptr<const TextBuffer> text;
  {
    const std::vector<char16_t> merged =
        mergeWithScratchFiles(ctx.files, ctx.platform, std::move(lines), records, ctx.pump);
    text = std::make_shared<const TextBuffer>(std::u16string_view(merged.data(), merged.size()));
  }
  // The single-character lexicon is derived from the system lexicon: it goes before the new text
  // replaces the old, so a kill in between never leaves it beside a text of another scheme (the
  // next load regenerates it from whichever text is there).
  if (ctx.files.exists(kCharLexiconPath)) ctx.files.remove(kCharLexiconPath);
  if (!ctx.files.writeBytes(kMainLexiconPath, ctx.platform.toGbk(text->view()))) {
    removeMergeScratchFiles(ctx.files);
    result.reportText = u"系统词库文件写不进去，原词库保持不变！";
    finish(ctx, result, startSecond);
    return result;
  }
  ctx.lex.mainLexicon = tableFromText(std::move(text), records);
  result.ok = true;
  result.lines = ctx.lex.mainLexicon.last;

  for (std::u16string_view path : kObsoleteFiles) {
    if (ctx.files.exists(path)) ctx.files.remove(path);
  }
  // The start-up prefers the image: an image of the old lexicon must not outlive it. Its seal
  // names the new text, so one cut off before this point is stale and ignored.
  if (ctx.files.exists(kLexiconImagePath)) {
    const std::optional<LexiconSourceStamp> stamp = ctx.files.stamp(kMainLexiconPath);
    if (!stamp || !ctx.files.writeBytes(kLexiconImagePath,
                                        encodeLexiconImage(ctx.lex.mainLexicon, *stamp))) {
      ctx.files.remove(kLexiconImagePath);
    }
  }
  finish(ctx, result, startSecond);
  return result;
}

RegenerationResult bmvh(RegenerationContext& ctx) {
  readSyllableFile(ctx, kSyllablePairPath, ctx.lex.syllablesByPinyin, false);
  readSyllableFile(ctx, kSp2qpPath, ctx.lex.syllablesByCode, true);
  WordCoder coder;
  coder.perEntry = [&ctx](std::u16string_view key) {
    std::u16string code;
    std::vector<std::u16string> splitList;
    std::int32_t loopCounter = 0;
    qptosp(ctx.lex, key, code, splitList, loopCounter);
    return code;
  };
  return regenerateSystemLexicon(ctx, coder, true);
}

}  // namespace yz
