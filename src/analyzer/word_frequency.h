#pragma once
// Word-frequency statistics of the article word maker: the result file's "word,count" lines summed
// per word, and a frequency file of "word weight" lines ready for the user lexicon.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace yz {

class Platform;
class ProgramFolder;

inline constexpr std::u16string_view kWordMakerResultPath = u"赛文资料\\两码整句造词结果.txt";
inline constexpr std::u16string_view kWordFrequencyPath = u"赛文资料\\两码整句造词词频结果.txt";

// A lighter weight ranks a word earlier: 120 − 10 per time the word was made, without a bound (a
// word made 12 times weighs 0, one made 15 times −30).
double wordWeight(double count);

// One group of the statistics: a word and its summed count.
struct WordCount {
  std::u16string word;
  double count = 0;
};

// Sums the counts of equal words of "word,count" lines (sorted ascending first); the groups in the
// sorted order. The count is the decimal number the second field starts with (0 without one);
// empty lines are skipped. Pumps messages (through the sort).
std::vector<WordCount> sumWordCounts(std::vector<std::u16string> lines,
                                     const std::function<void()>& pump);

// Rewrites the result file with one "word,sum" line per word and writes the frequency file with
// "word weight" lines in the same order. A missing result file gives two empty files. False when a
// file could not be written (the old one is then kept). Pumps messages.
bool wvzccipn(const ProgramFolder& files, const Platform& platform, const std::function<void()>& pump);

// Shortest decimal text of a number ("3", "1005", "50.0001", "-10").
std::u16string decimalText(double value);

}  // namespace yz
