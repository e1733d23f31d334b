#include "analyzer/word_frequency.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unordered_map>

#include "lexicon/files.h"
#include "lexicon/quicksort.h"
#include "lexicon/text_file.h"
#include "platform/platform.h"

namespace yz {

namespace {

// The decimal number a field starts with (sign, digits, one point); 0 when it starts with none.
double leadingNumber(std::u16string_view field) {
  std::string text;
  bool point = false;
  for (char16_t c : field) {
    if (c >= u'0' && c <= u'9') {
      text.push_back(static_cast<char>(c));
    } else if ((c == u'-' || c == u'+') && text.empty()) {
      text.push_back(static_cast<char>(c));
    } else if (c == u'.' && !point) {
      point = true;
      text.push_back('.');
    } else {
      break;
    }
  }
  return text.empty() ? 0 : std::strtod(text.c_str(), nullptr);
}

}  // namespace

double wordWeight(double count) { return 120 - 10 * count; }

std::u16string decimalText(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.15g", value);
  std::string s = text;
  if (s == "-0") s = "0";
  return std::u16string(s.begin(), s.end());
}

std::vector<WordCount> sumWordCounts(std::vector<std::u16string> lines,
                                     const std::function<void()>& pump) {
  std::erase_if(lines, [](const std::u16string& line) { return line.empty(); });
  if (!lines.empty()) QuickSort(lines, 0, static_cast<int>(lines.size()) - 1, pump);
  std::vector<WordCount> groups;
  // Lines of one word stand together after the sort; the map also joins a word whose lines a
  // word with a character below the comma in code order has split apart.
  std::unordered_map<std::u16string, std::size_t> groupOf;
  for (const auto& line : lines) {
    std::vector<std::u16string_view> fields = splitFields(line, u',');
    std::u16string word(fields[0]);
    double count = fields.size() > 1 ? leadingNumber(fields[1]) : 0;
    auto [it, added] = groupOf.try_emplace(word, groups.size());
    if (added) {
      groups.push_back({word, count});
    } else {
      groups[it->second].count += count;
    }
  }
  return groups;
}

bool wvzccipn(const ProgramFolder& files, const Platform& platform, const std::function<void()>& pump) {
  std::vector<std::u16string> lines =
      readGbkLines(files, platform, kWordMakerResultPath).value_or(std::vector<std::u16string>{});
  std::vector<WordCount> groups = sumWordCounts(std::move(lines), pump);
  std::vector<std::u16string> summed;
  std::vector<std::u16string> frequencies;
  summed.reserve(groups.size());
  frequencies.reserve(groups.size());
  for (const auto& g : groups) {
    summed.push_back(g.word + u"," + decimalText(g.count));
    frequencies.push_back(g.word + u" " + decimalText(wordWeight(g.count)));
  }
  bool resultWritten = writeGbkLines(files, platform, kWordMakerResultPath, summed);
  bool frequencyWritten = writeGbkLines(files, platform, kWordFrequencyPath, frequencies);
  return resultWritten && frequencyWritten;
}

}  // namespace yz
