#include "lexicon/user_store.h"

#include <algorithm>
#include <set>
#include <vector>

#include "lexicon/files.h"
#include "lexicon/gbk.h"
#include "lexicon/quicksort.h"
#include "platform/platform.h"

namespace yz {
namespace {

// Glued after a key line that came from a do-not-save entry. It sorts before every character of
// the lines, and only an identical line is a prefix of a key line, so the order is unchanged
// except that of two equal lines the unmarked one comes first.
constexpr char16_t kMarkGlue = u'\x01';

bool beginsWithDigit(std::u16string_view s) { return !s.empty() && s[0] >= u'0' && s[0] <= u'9'; }

// Whether a weight text reads below 100 (its integer part, the fraction cannot lift it to 100).
bool below100(std::u16string_view weight) {
  long value = 0;
  for (char16_t c : weight) {
    if (c < u'0' || c > u'9') break;
    value = value * 10 + (c - u'0');
    if (value >= 100) return false;
  }
  return true;
}

}  // namespace

void markUserEntriesDoNotSave(LexiconTable& user) {
  user.doNotSave.assign(static_cast<std::size_t>(user.last) + 1, 1);
  user.doNotSave[0] = 0;
}

UserRebuildResult yhckbm(LexiconTable& user, const std::function<void()>& pump) {
  UserRebuildResult result;
  // Key lines "code+weight,word weight", one per pair of word and weight.
  std::vector<std::u16string> keys;
  keys.reserve(100000);
  for (std::int32_t i = 1; i <= user.last; ++i) {
    std::u16string_view code = user.codes[static_cast<std::size_t>(i)];
    if (code.empty()) continue;
    std::u16string_view list = user.lines[static_cast<std::size_t>(i)];
    const bool entryMark = user.isDoNotSave(static_cast<std::size_t>(i));
    std::size_t pos = 0;
    while (pos <= list.size()) {
      std::size_t wordEnd = list.find(u' ', pos);
      if (wordEnd == std::u16string_view::npos) break;  // a word without its weight
      std::size_t weightEnd = list.find(u' ', wordEnd + 1);
      if (weightEnd == std::u16string_view::npos) weightEnd = list.size();
      std::u16string_view word = list.substr(pos, wordEnd - pos);
      std::u16string_view weightText = list.substr(wordEnd + 1, weightEnd - wordEnd - 1);
      pos = weightEnd + 1;
      if (!beginsWithDigit(weightText)) continue;
      const bool mark = entryMark || user.isDoNotSavePair(code, word);
      std::u16string weight(weightText);
      if (weight[0] != u'0' && below100(weight)) weight.insert(0, 1, u'0');
      std::u16string key(code);
      key += u'+';
      key += weight;
      key += u',';
      key += word;
      key += u' ';
      key += weight;
      if (mark) key += kMarkGlue;
      keys.push_back(std::move(key));
    }
  }

  struct Merged {
    std::u16string code, list;
    bool mark;  // every line of the entry is do-not-save
    std::vector<std::u16string_view> markedWords, ownWords;  // words of marked and of other lines
  };
  std::vector<Merged> merged;
  if (keys.empty()) {
    result.emptyInputFlag = 1;
  } else {
    QuickSort(keys, 0, static_cast<int>(keys.size()) - 1, pump);
    for (const auto& key : keys) {
      std::u16string_view line = key;
      bool mark = !line.empty() && line.back() == kMarkGlue;
      if (mark) line.remove_suffix(1);
      std::u16string_view code = line.substr(0, line.find(u'+'));
      std::u16string_view pair = line.substr(line.find(u',') + 1);
      std::u16string_view word = pair.substr(0, pair.find(u' '));
      if (merged.empty() || merged.back().code != code) {
        merged.push_back({std::u16string(code), std::u16string(pair), mark, {}, {}});
        (mark ? merged.back().markedWords : merged.back().ownWords).push_back(word);
        continue;
      }
      Merged& group = merged.back();
      group.mark = group.mark && mark;
      (mark ? group.markedWords : group.ownWords).push_back(word);
      if (group.list.find(word) != std::u16string::npos) continue;  // a word once per code
      group.list += u' ';
      group.list += pair;
    }
  }

  const std::size_t count = merged.size();
  user.codes.resize(count + 1);
  user.lines.resize(count + 1);
  user.doNotSave.assign(count + 1, 0);
  // A privileged word merged with the user's own words keeps its mark on its own.
  std::set<std::pair<std::u16string, std::u16string>> pairs;
  for (const Merged& group : merged) {
    if (group.mark) continue;
    for (std::u16string_view word : group.markedWords) {
      if (std::find(group.ownWords.begin(), group.ownWords.end(), word) == group.ownWords.end()) {
        pairs.emplace(group.code, std::u16string(word));
      }
    }
  }
  for (std::size_t m = 1; m <= count; ++m) {
    user.codes.set(m, merged[m - 1].code);
    user.lines.set(m, merged[m - 1].list);
    user.doNotSave[m] = merged[m - 1].mark ? 1 : 0;
  }
  user.doNotSavePairs = std::move(pairs);
  user.last = static_cast<std::int32_t>(count);
  return result;
}

UserWriteResult jlyhck(const LexiconTable& user, const ProgramFolder& files,
                       const Platform& platform, const GbkTable& gbk,
                       const std::function<void()>& escjm) {
  UserWriteResult result;
  std::u16string text;
  const auto count = static_cast<std::size_t>(std::max(user.last, 0));
  for (std::size_t i = 0; i <= count && i < user.codes.size() && i < user.lines.size(); ++i) {
    std::u16string_view code = user.codes[i];
    std::u16string_view list = user.lines[i];
    if (list.empty()) continue;
    if (static_cast<std::int16_t>(gbk.codeOf(list[0])) >= 1) continue;  // not a double-byte character
    if (list.find(u" 7") != std::u16string_view::npos) continue;
    if (user.isDoNotSave(i)) continue;
    if (!code.empty() && code[0] == u';') continue;
    // The privileged words of an entry stay out; the user's own words of its code are written.
    std::u16string own;
    if (!user.doNotSavePairs.empty()) {
      std::size_t pos = 0;
      while (pos < list.size()) {
        std::size_t wordEnd = list.find(u' ', pos);
        if (wordEnd == std::u16string_view::npos) wordEnd = list.size();
        std::size_t pairEnd = wordEnd < list.size() ? list.find(u' ', wordEnd + 1) : list.size();
        if (pairEnd == std::u16string_view::npos) pairEnd = list.size();
        if (!user.isDoNotSavePair(code, list.substr(pos, wordEnd - pos))) {
          if (!own.empty()) own += u' ';
          own += list.substr(pos, pairEnd - pos);
        }
        pos = pairEnd + 1;
      }
      if (own.empty()) continue;
      list = own;
    }
    text += code;
    text += u',';
    text += list;
    text += u"\r\n";
    ++result.linesWritten;
  }
  result.ok = files.writeBytes(kUserLexiconPath, platform.toGbk(text), &result.why);
  if (!result.ok) {
    result.error = "用户词库 could not be written; the previous file is kept";
    result.linesWritten = 0;
  }
  if (escjm) escjm();
  return result;
}

UserWriteResult dlyh(const LexiconTable& user, const ProgramFolder& files, Platform& platform,
                     WindowState& win, const std::function<void()>& ended) {
  auto secondOfDay = [&] {
    const LocalTime t = platform.localTime();
    return t.hour * 3600 + t.minute * 60 + t.second;
  };
  const int start = secondOfDay();
  UserWriteResult result;
  std::u16string text;
  const auto count = static_cast<std::size_t>(std::max(user.last, 0));
  for (std::size_t i = 1; i <= count && i < user.codes.size() && i < user.lines.size(); ++i) {
    text += user.codes[i];
    text += u',';
    text += user.lines[i];
    text += u"\r\n";
    ++result.linesWritten;
  }
  result.ok = files.writeBytes(kUserTwoCodeLexiconPath, platform.toGbk(text), &result.why);
  if (!result.ok) {
    result.error = "用户两码词库 could not be written; the previous file is kept";
    result.linesWritten = 0;
  }
  for (std::u16string_view scratch : {kKeyScratchPath, kSortedScratchPath}) {
    if (files.exists(scratch)) files.remove(scratch);
  }
  win.form1.topMost = false;
  const int seconds = secondOfDay() - start;
  const std::string n = std::to_string(user.last);
  const std::string secs = std::to_string(seconds < 0 ? seconds + 86400 : seconds);
  platform.messageBox(u"已将用户词库重新生成用户两码词库,计" + std::u16string(n.begin(), n.end()) +
                          u"词条，处理共耗时" + std::u16string(secs.begin(), secs.end()) + u"秒！",
                      u"砚舟Vexim输入法", MessageBoxKind::Ok);
  if (ended) ended();
  return result;
}

}  // namespace yz
