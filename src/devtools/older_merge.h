#pragma once
// The older merge of the user's words into the system lexicon, which nothing in the program calls:
// the user lexicon turned into scratch entries (bare words given a code and a weight), merged into
// a copy of the main lexicon's lists, and written whole as a new lexicon for the user to copy over
// the system lexicon by hand.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "state/lexicon_state.h"

namespace yz {

class Platform;
class ProgramFolder;

inline constexpr std::u16string_view kOlderUserLexiconPath = u"用户词库.txt";
inline constexpr std::u16string_view kMergeScratchPath = u"用户diy文件\\yhckx.vx";
inline constexpr std::u16string_view kMergedLexiconPath = u"用户diy文件\\两码词库新.txt";

// User lexicon lines to scratch lines: a line with a comma unchanged; a bare text as "code,text
// weight" (`codeOf` its shuangpin code, the weight "0" and 80 + 10 × `random()`), and for a code of
// eight letters or more a second line under its short code.
std::vector<std::u16string> vyfvm(const std::vector<std::u16string>& userLines,
                                  const std::function<std::u16string(std::u16string_view)>& codeOf,
                                  const std::function<float()>& random);

// Puts one entry text in front of a candidate list, taking its word (the first k characters) out
// of the list with its weight.
std::u16string putEntryFirst(std::u16string_view list, std::u16string_view entry, std::size_t k);

// The merged lexicon lines, sorted: every main-lexicon entry with the scratch entries of its code
// in front, and one line per new code. The main lexicon itself is left as it is.
std::vector<std::u16string> irct(const LexiconTable& mainLexicon, const std::vector<std::u16string>& scratchLines);

// The whole run between the program folder's files; shows the closing message with the number of
// lines written and the seconds taken. False when a file could not be read or written.
bool irctFiles(const ProgramFolder& files, Platform& platform, const LexiconTable& mainLexicon,
               const std::function<std::u16string(std::u16string_view)>& codeOf,
               const std::function<float()>& random);

}  // namespace yz
