#pragma once
// The candidates of the sentence's last word: the list built from the tail code and the end list
// of the conversion, its auxiliary-code filter, the labelled display, the pick of a candidate with
// a quick-select key and the automatic commit rules of the word mode.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "inputpass/input_pass.h"

namespace yz {

class GbkTable;

// --- the auxiliary-code filter ------------------------------------------------------------------

// The six shapes of a tail that carries auxiliary letters, by characters and typed letters.
enum class AuxVariant {
  A,   // two characters, one letter
  B1,  // two characters, two letters
  B2,  // three characters, two letters after a two-character word's code
  C,   // two characters, three letters
  D,   // three characters, one letter
  E,   // three characters, two letters
};

// What the filter reads of the settings and tables.
struct AuxFilterTables {
  const CharTable& charAuxCodes;
  const GbkTable& gbk;
  std::int32_t auxOrder = 1;      // 0 首末字辅助, 1 末首字辅助码, 2 自由辅助
  bool unordered = false;         // 辅码乱序取: compare the letter string as a whole
  std::u16string_view fumayr;     // auxiliary code elements
};

// Appends to `wordCandidates`, as " word weight", each word of the candidate line whose characters'
// auxiliary codes match the typed letters under the variant's rule.
void filterByAuxCode(AuxVariant variant, std::u16string_view line, std::u16string_view typed,
                     const AuxFilterTables& tables, std::u16string& wordCandidates);

// --- the candidate lines --------------------------------------------------------------------------

// Step 2.1 of the display: the first word in front with the weight "200", then the pairs whose
// word differs from it and is not listed yet. `pairs` alternates words and weights.
std::u16string withFirstWordInFront(const std::vector<std::u16string_view>& pairs);

// The auxiliary-code hint of a candidate: the letters shown after it.
std::u16string candidateHint(std::u16string_view word, CharTable& charAuxCodes, const GbkTable& gbk);

// One page of candidates, labelled: `labelled` (" label word" per candidate, what a pick reads),
// `plain` (" label word hint") and `numbered` (" number label word hint", the tenth numbered 0,
// trimmed).
struct CandidateLines {
  std::u16string labelled, plain, numbered;
  std::u16string firstWord;  // the first shown candidate
};
CandidateLines labelCandidates(const std::vector<std::u16string_view>& pairs, std::int32_t pageSize,
                               bool punctuationLabels, std::u16string_view quickSelectKeys,
                               const std::function<std::u16string(std::u16string_view)>& hint);

// A line shown one item a row: at most `pageSize` items, each row the indent, the item and CR LF.
// `rows` is the number of rows.
std::u16string verticalRows(std::u16string_view line, std::int32_t pageSize, std::int32_t indent,
                            std::int32_t& rows);

// The indent of a vertical list kept at the end of the sentence: `d` is the local result's length
// less the line's first item's length less 2.
std::int32_t verticalIndent(std::int32_t d, bool numberedLine);

// The value of 候选个数: its leading whole number, 1 to 10.
std::int32_t candidatesPerPage(std::u16string_view hxgu);

// --- the sections of the pass ---------------------------------------------------------------------

// The tail candidates: builds the candidate list of the sentence's last word into `tex5`.
class TailCandidates {
 public:
  explicit TailCandidates(const PassContext& ctx) : c_(ctx) {}
  // `emptyList`: the entry after a conversion empties the list first; the entry after a caret
  // move keeps the previous list when no case applies. False in race mode: no list is built.
  bool startCandidates(bool emptyList);

 private:
  // The candidate line of a code (single-character, main or user lexicon by its length).
  std::u16string line(std::u16string_view code);
  // The filter cases: the collected words of `slice`'s line filtered by the typed letters.
  std::u16string collect(AuxVariant variant, std::u16string_view slice, std::u16string_view typed,
                         const std::u16string* wholeCodeWords);
  AuxFilterTables auxTables() const;

  PassContext c_;
};

// The candidate display: de-duplicates `tex5`, puts the front items in, labels one page and
// writes the two candidate boxes; then the first-candidate fill.
class CandidateDisplay {
 public:
  explicit CandidateDisplay(const PassContext& ctx) : c_(ctx) {}
  // Builds the lines; true for the horizontal layout, whose boxes are written here.
  bool show();
  // The boxes of the vertical layout (and of race mode, with both lines empty).
  void refreshCandidateList();

 private:
  void cleanList(std::u16string& list, std::vector<std::u16string_view>& pairs);
  void firstCandidateFill(bool vertical);

  PassContext c_;
  std::u16string plain_, numbered_, firstWord_;
};

// The pick of a candidate named by a quick-select key, and finishPick, where the pause fix joins.
class CandidatePick {
 public:
  explicit CandidatePick(const PassContext& ctx) : c_(ctx) {}
  // Puts item `pickIndex` (0 the first, below items.size()) of `items` (label and word) into the
  // sentence, then finishPick.
  void pick(const std::vector<std::u16string>& items, std::size_t pickIndex);
  void finishPick();

 private:
  PassContext c_;
};

// The automatic commit rules of the word mode (空码上屏, 候选唯一上屏).
class AutoCommit {
 public:
  explicit AutoCommit(const PassContext& ctx) : c_(ctx) {}
  // True when text was committed and the pass starts over. `horizontal`: the copy after the
  // horizontal layout, else the one after refreshCandidateList.
  bool run(bool horizontal);
  // Whether the typed code can still grow into a longer main-lexicon code, scanning from `start`.
  bool canGrow(std::int32_t start) const;

 private:
  bool emptyCodeCommit();
  PassContext c_;
};

}  // namespace yz
