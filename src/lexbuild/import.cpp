#include "lexbuild/import.h"

#include "lexbuild/merge.h"
#include "lexicon/files.h"
#include "lexicon/number_text.h"
#include "lexicon/text_file.h"
#include "lexicon/user_store.h"
#include "state/lexicon_state.h"

namespace yz {
namespace {

// The weight the import gives a coded word without one: 100 + 10r for a one-letter code,
// 135 + 10r otherwise; the next word of the same code one more than the last.
struct GivenWeights {
  std::u16string previousCode;
  float last = 0;
  float next(std::u16string_view code, const std::function<float()>& rnd) {
    if (code != previousCode) {
      last = (code.size() == 1 ? 100.0f : 135.0f) + 10.0f * rnd();
      previousCode.assign(code);
    } else {
      last += 1.0f;
    }
    return last;
  }
};

// A code the encoder made: not empty, and without the blank or comma that a character without a
// code leaves in it.
bool usableCode(std::u16string_view code) {
  return !code.empty() && code.find_first_of(u" ,") == std::u16string_view::npos;
}

}  // namespace

std::u16string fourLetterCharList(std::u16string_view list) {
  std::vector<std::u16string_view> items = splitFields(list, u' ');
  for (std::size_t p = 0; p + 1 < items.size(); p += 2) {
    if (items[p].size() > 1) {
      items[p] = {};
      items[p + 1] = {};
    }
  }
  std::u16string out;
  for (std::u16string_view item : items) {
    if (item.empty()) continue;
    if (!out.empty()) out.push_back(u' ');
    out.append(item);
  }
  return out.size() >= 3 ? out : std::u16string();
}

ThirdPartyImport importThirdPartyText(std::u16string_view text, const ThirdPartyImportOptions& options) {
  ThirdPartyImport result;
  LexiconTable work;  // the import's own table: the user lexicon in memory stays untouched
  work.reset();
  GivenWeights given;
  auto add = [&](std::u16string_view code, std::u16string_view list) {
    if (static_cast<std::size_t>(result.entries) >= options.maxEntries) {
      result.truncated = true;
      return false;
    }
    work.codes.push(code);
    work.lines.push(list);
    ++result.entries;
    return true;
  };
  auto noteChar = [&](std::u16string_view code, std::u16string_view word) {
    if (word.size() == 1) result.fullCodeLines.push_back(std::u16string(code) + u"," + std::u16string(word));
  };

  std::u16string line, code, list, filtered;
  for (std::u16string_view raw : splitLines(text)) {
    if (raw.empty()) continue;
    if (result.truncated) break;
    line.assign(raw);
    std::size_t comma = line.find(u',');
    if (comma == std::u16string::npos && options.asked) {
      const std::size_t blank = line.find(u' ');
      const std::u16string_view word = std::u16string_view(line).substr(0, blank);
      const std::u16string weight =
          blank == std::u16string::npos ? singleText(100.0f + 10.0f * options.rnd()) : line.substr(blank + 1);
      filtered.clear();
      for (char16_t ch : word) {
        if (options.hasFullCode && options.hasFullCode(ch)) filtered.push_back(ch);
      }
      code = filtered.empty() ? std::u16string() : options.encode(filtered);
      if (!usableCode(code)) {
        ++result.skippedEmptyCodes;
        continue;
      }
      if (!add(code, std::u16string(word) + u" " + weight)) break;
      if (code.size() > 7) {
        const std::u16string shortWeight = std::u16string(word) + u" ";
        std::u16string first3;
        for (std::size_t k = 0; k < 6 && k < code.size(); k += 2) first3.push_back(code[k]);
        const std::u16string a = first3 + code.substr(code.size() - 2);
        std::u16string b;
        for (std::size_t k = 0; k < code.size(); k += 2) b.push_back(code[k]);
        if (!add(a, shortWeight + singleText(140.0f + 10.0f * options.rnd()))) break;
        if (!add(b, shortWeight + singleText(140.0f + 10.0f * options.rnd()))) break;
      }
      continue;
    }
    if (comma == std::u16string::npos) {
      const std::u16string_view word = std::u16string_view(line).substr(0, line.find(u' '));
      code = options.encode(word);
      if (!usableCode(code)) {
        ++result.skippedEmptyCodes;
        continue;
      }
      line = code + u"," + line;
      comma = line.find(u',');
    }
    code = line.substr(0, comma);
    const std::u16string_view rest = std::u16string_view(line).substr(comma + 1);
    if (code.empty()) {
      ++result.skippedEmptyCodes;
      continue;
    }
    if (line.find(u' ') != std::u16string::npos) {
      if (!add(code, rest)) break;
      noteChar(code, rest.substr(0, rest.find(u' ')));
    } else {
      list.assign(rest);
      list.push_back(u' ');
      list += singleText(given.next(code, options.rnd));
      if (!add(code, list)) break;
      noteChar(code, rest);
    }
  }
  work.last = result.entries;
  if (work.last > 0) yhckbm(work, options.pump ? options.pump : [] {});

  for (std::int32_t i = 1; i <= work.last; ++i) {
    const std::u16string_view c = work.codes[static_cast<std::size_t>(i)];
    const std::u16string_view l = work.lines[static_cast<std::size_t>(i)];
    if (c.empty()) continue;
    std::u16string record = std::u16string(c) + u"," + std::u16string(l);
    if (c.size() < 4) {
      result.charLexiconLines.push_back(record);
    } else if (c.size() == 4) {
      std::u16string chars = fourLetterCharList(l);
      if (!chars.empty()) result.charLexiconLines.push_back(std::u16string(c) + u"," + chars);
    }
    result.lexiconLines.push_back(std::move(record));
  }
  return result;
}

}  // namespace yz
