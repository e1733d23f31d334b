#pragma once
// A try-out of regular expressions (std::regex, ECMAScript grammar) and a developer dump of the
// cloud service's first choices for a lexicon. Nothing in the program calls them.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "state/lexicon_state.h"

namespace yz {

class Platform;
class WebServices;
struct WebCells;

// True when the pattern p matches somewhere in s, case respected; false for a malformed pattern.
bool bTest(std::u16string_view s, std::u16string_view p);

// Every match of the pattern (case ignored) as "Match found at position N. Match Value is 'V'."
// lines (CR LF after each), or "String Matching Failed".
std::u16string TestRegExp(std::u16string_view myPattern, std::u16string_view myString);

// The four texts of the demo, each shown in a message box when a platform is given.
std::vector<std::u16string> regExpDemo(Platform* platform);

// Asks `ask` (the cloud query: full pinyin → its first choice, "" on failure) for the first word of
// every lexicon line whose code has two letters per character of a word of two or more characters,
// until the same non-empty answer comes twice (at most `maxQueries` asks a word), and returns the
// settled answers that differ from the word. `wait` runs between queries (10 ms).
std::vector<std::u16string> dumpCloudFirstChoices(
    const std::vector<std::u16string>& lexiconLines, const SyllableTable& syllables,
    const std::function<std::u16string(const std::u16string& pinyin)>& ask,
    const std::function<void(int ms)>& wait, int maxQueries = 10);

// The cloud query `yuu` as the dump's `ask`: sets `pinyinQuery` and gives back `cloudText`.
std::function<std::u16string(const std::u16string& pinyin)> askThroughCloudQuery(WebServices& web,
                                                                                WebCells& cells);

}  // namespace yz
