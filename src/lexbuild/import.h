#pragma once
// Import of another input method's word list 第三方词库\第三方词库.txt (GBK, CR LF, one entry a
// line) as the system lexicon, the single-character lexicon and the single-character full codes.
// Line forms: "code,word weight ..." (a coded entry with its own weights), "code,word" (a coded
// word; the import gives it a weight), "word weight" and "word" (coded by the encoder).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace yz {

class Platform;
class ProgramFolder;

inline constexpr std::u16string_view kThirdPartySourcePath = u"第三方词库\\第三方词库.txt";
inline constexpr std::u16string_view kThirdPartyLexiconPath = u"第三方词库\\两码词库.txt";
inline constexpr std::u16string_view kThirdPartyCharLexiconPath = u"第三方词库\\单字字库.txt";
inline constexpr std::u16string_view kThirdPartyFullCodesPath = u"第三方词库\\单字全码.txt";
// The most entries the import makes.
inline constexpr std::size_t kThirdPartyMaxEntries = 6000010;

struct ThirdPartyImportOptions {
  // The code of a word under the input kind in force (`citcbmma`).
  std::function<std::u16string(std::u16string_view word)> encode;
  // The asking variant (`importThirdPartyLexicon`): a line without a comma is taken as word and
  // weight, coded without the characters that have no full code, and a word of four or more
  // characters gets two short codes more.
  bool asked = false;
  std::function<bool(char16_t)> hasFullCode;  // the asking variant only
  std::function<float()> rnd;                 // 0 <= r < 1
  std::function<void()> pump;
  std::size_t maxEntries = kThirdPartyMaxEntries;
};

struct ThirdPartyImport {
  std::vector<std::u16string> lexiconLines;      // 两码词库.txt: one "code,list" a code, ascending
  std::vector<std::u16string> charLexiconLines;  // 单字字库.txt
  std::vector<std::u16string> fullCodeLines;     // 单字全码.txt: "code,char", in input order
  std::int32_t entries = 0;            // entries made from the lines
  std::int32_t skippedEmptyCodes = 0;  // lines without a code, or whose word could not be coded
  bool truncated = false;              // the input held more entries than the import takes
};

// The entries of the input text merged by code (the user-lexicon rebuild `yhckbm`) and the three
// output files' lines. Pumps messages (through the sort).
ThirdPartyImport importThirdPartyText(std::u16string_view text, const ThirdPartyImportOptions& options);

// The single-character lexicon's form of a merged four-letter entry: its list without the pairs
// of words of two or more characters, blanks collapsed and trimmed; empty when fewer than three
// characters remain.
std::u16string fourLetterCharList(std::u16string_view list);

}  // namespace yz
