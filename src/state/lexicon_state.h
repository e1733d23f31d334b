#pragma once
// The lexicons, the per-character and syllable tables, and the cells in which lookups leave
// their results.
//
// Comparison order: texts compare code unit by code unit as unsigned UTF-16 values, a proper
// prefix first; no case folding, no locale. `operator<` on std::u16string(_view) is exactly that.
// Every sort and every binary search of the lexicons uses it.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "state/layout_table.h"
#include "state/text_column.h"

namespace yz {

// Lines of a lexicon text file: "code,word weight word weight ...". Weights: lower is better.
// Weights with a fixed meaning across lookups:
inline constexpr float kWeightNotFound = 400;
inline constexpr float kWeightAssociation = 200;  // association hit, or a word from earlier text
inline constexpr float kWeightCommand = 100;      // result of a built-in command code
inline constexpr float kWeightLongUserCode = 42;  // user word for a code > 3 * wordMaxLen
inline constexpr float kWeightFirstLetter = 800;  // single character through its first letter only
inline constexpr float kWeightRare = 3000;        // rare-character threshold

// Markers inside candidate lists.
inline constexpr std::u16string_view kDeletedWord = u"*#";  // stands in place of a deleted word
inline constexpr std::u16string_view kDoNotSave = u"66";    // appended to entries read before the user file

// An in-memory lexicon: codes in ascending order and the candidate list of each code.
// Entries occupy indexes 1..last; index 0 holds no entry (the code lookup uses slot 0 of the main
// lexicon as scratch for the candidate line it builds).
struct LexiconTable {
  TextColumn codes;       // the code of each entry, ascending
  TextColumn lines;       // the whole text line of each entry
  std::int32_t last = 0;  // index of the last entry; 0 when empty
  // The image buffer that image-loaded slots view into; replaced together with the slots.
  std::shared_ptr<const TextBuffer> buffer;
  // Per entry, 1 when the entry must not be written back to the user lexicon file (it came from
  // the privileged code table or a supplied lexicon); indexes beyond its size read 0. Kept apart
  // from the text, so no weight is mistaken for a mark.
  std::vector<std::uint8_t> doNotSave;
  // The (code, word) pairs that must not be written back although their entry may be: a
  // privileged word merged into one entry with the user's own words of its code.
  std::set<std::pair<std::u16string, std::u16string>> doNotSavePairs;

  bool isDoNotSave(std::size_t i) const { return i < doNotSave.size() && doNotSave[i] != 0; }
  bool isDoNotSavePair(std::u16string_view code, std::u16string_view word) const {
    return !doNotSavePairs.empty() && doNotSavePairs.contains({std::u16string(code), std::u16string(word)});
  }

  // Empties the table and leaves slot 0 in place.
  void reset() {
    codes.clear();
    lines.clear();
    buffer.reset();
    doNotSave.clear();
    doNotSavePairs.clear();
    codes.resize(1);
    lines.resize(1);
    last = 0;
  }

  // Inserts an entry of its own before index i (1..last + 1), moving the later entries and their
  // marks up by one.
  void insertEntry(std::size_t i, std::u16string_view code, std::u16string_view line) {
    codes.insert(i, code);
    lines.insert(i, line);
    if (i < doNotSave.size()) doNotSave.insert(doNotSave.begin() + static_cast<std::ptrdiff_t>(i), 0);
    ++last;
  }
};

// A per-character table: one text per GBK character slot, indexed by `gbkCharIndex` (0..32768).
// The texts lie in one arena, each slot holding where its text starts and its length: a table
// costs nothing until its first text and eight bytes a slot after. A rewritten text takes the old
// one's place when it fits and is appended otherwise; the arena is packed once the texts left
// behind outweigh the live ones. A view read from the table lasts until the table next changes.
inline constexpr std::size_t kCharTableSlots = 32769;
class CharTable {
 public:
  std::size_t size() const { return kCharTableSlots; }
  std::u16string_view operator[](std::size_t i) const {
    if (i >= slots_.size()) return {};
    const Slot s = slots_[i];
    return {arena_.data() + s.at, s.length};
  }
  // Gives slot i (below kCharTableSlots) the text.
  void set(std::size_t i, std::u16string_view text);
  // Empties every slot.
  void clear() {
    slots_.clear();
    arena_.clear();
    live_ = 0;
  }

 private:
  struct Slot {
    std::uint32_t at = 0;      // where the slot's text starts in the arena
    std::uint32_t length = 0;  // its length in code units
  };
  void pack();  // drops the texts no slot reads any more

  std::vector<Slot> slots_;  // none until the first text is set, then kCharTableSlots
  std::u16string arena_;  // every slot's text, one after another
  std::size_t live_ = 0;  // characters of the arena that slots still read
};

// Full-pinyin syllables paired with their 自然双拼 codes, at most 501 pairs (indexes 0..500).
inline constexpr std::size_t kSyllableSlots = 501;
struct SyllableTable {
  std::array<std::u16string, kSyllableSlots> syllables;  // full-pinyin syllable of each pair
  std::array<std::u16string, kSyllableSlots> codes;      // its two-letter 自然双拼 code
  std::int32_t last = -1;                                // index of the last pair; -1 = none
};

// Where lookups leave their results. Overwritten by every lookup, nested ones included: read what
// you need right after the call. (A cell added here is also given back by CodeLookup::repeat.)
struct LookupCells {
  std::u16string lookupWord;        // best word / character / user candidate list of the last lookup
  std::u16string wordCandidates;    // candidate-list output of the user lookup; the end-word list
  float zicipn = kWeightNotFound;   // weight of the last lookup result
  std::int32_t mainHitIndex = 0;    // main-lexicon line the code lookup chose; 0 = none
  std::int32_t userHitIndex = 0;    // user-lexicon line found
  std::int32_t userInsertIndex = 0; // where a code absent from the user lexicon belongs
  std::int32_t charHitIndex = 0;    // single-character line found
  std::int32_t lastFoundIndex = 0;  // index output of the user lookup for most callers
  std::int32_t fybci = 0;           // 1 while `ybcib` runs the code lookup
  std::int32_t fybcib = 0;          // 1 while `ybcib` runs: long codes look up single characters
  std::u16string endzf0;            // candidate list the last code lookup accumulated
  std::u16string cnir3;             // best word of the last `ybcib` lookup
};

// Resource 103 by line, kept as its decoded text and where each line starts (four bytes a line,
// where a word column and a reading column took sixteen). Line k (1..n) reads "word,reading...";
// index 0 and n + 1 read empty, as do the indexes beyond.
// Only encoding a text reads the table: it can be given a source that decodes the text the first
// time a line is asked for, and a start that never encodes a text never holds it.
class PolyphoneTable {
 public:
  // Takes the decoded text and finds its lines (split at CR LF exactly).
  void assign(std::shared_ptr<const std::u16string> text);
  // Takes a source of the decoded text, read when a line or the size is first asked for.
  void assignLater(std::function<std::u16string()> source);
  // n + 2, or 1 before any text was given.
  std::size_t size() const {
    decodeNow();
    return lineStarts_.empty() ? 1 : lineStarts_.size() + 1;
  }
  std::u16string_view line(std::size_t k) const {
    decodeNow();
    if (k == 0 || k >= lineStarts_.size()) return {};
    const std::uint32_t start = lineStarts_[k - 1];
    return std::u16string_view(*text_).substr(start, lineStarts_[k] - 2 - start);
  }
  // The text before the line's first comma (the whole line without one).
  std::u16string_view word(std::size_t k) const {
    const std::u16string_view l = line(k);
    return l.substr(0, l.find(u','));
  }
  // The text between the line's first and second commas ("" without a comma).
  std::u16string_view reading(std::size_t k) const {
    const std::u16string_view l = line(k);
    const std::size_t comma = l.find(u',');
    if (comma == std::u16string_view::npos) return {};
    const std::u16string_view rest = l.substr(comma + 1);
    return rest.substr(0, rest.find(u','));
  }

 private:
  void decodeNow() const {
    if (source_) decodeSource();
  }
  void decodeSource() const;  // reads the source once and forgets it
  void findLines() const;     // fills lineStarts_ from text_

  // Filled from the source when first read, hence mutable.
  mutable std::shared_ptr<const std::u16string> text_;
  // Start of line k at k - 1; then the end of the text plus two, as if a line followed.
  mutable std::vector<std::uint32_t> lineStarts_;
  mutable std::function<std::u16string()> source_;  // the text not decoded yet, or empty
};

// A privileged code record of 用户diy文件\特权码表.txt.
struct PrivilegedCodeTable {
  std::vector<std::u16string> privilegedCodes{u""};  // slot 0 unused
  std::vector<std::u16string> privilegedWords{u""};  // the word of each record
  std::vector<std::u16string> privilegedFlags{u""};  // its flag; "1" ends the records race codes take
  std::int32_t tqgu = 0;  // records read
  std::u16string yjjmcn;  // words of the first-level short codes (codes ending in "_"); only grows
};

struct LexiconState {
  LexiconTable mainLexicon;   // the built-in lexicon (its image or its text file): words by code
  LexiconTable userLexicon;   // the user's lexicon file: words the user made or the learning added
  LexiconTable charLexicon;   // the single-character lexicon: characters by code

  CharTable charFullCodes;    // full code from 内置文件\单字全码.txt (the longest)
  CharTable charAuxCodes;     // auxiliary-code letters of the chosen table
  // Line of resource 102 per character slot, viewing its decoded text, and the default pinyin
  // read from it. Only annotating a text reads them, so the start leaves them to a source that
  // fills them when `readCharInfo` is first called; read them through it.
  mutable CharTable charPinyin;  // default pinyin
  mutable TextColumn charInfoLines{kCharTableSlots};  // line of resource 102 per character slot
  mutable std::shared_ptr<const std::u16string> charInfoText;  // decoded resource 102 the lines view
  mutable std::function<std::u16string()> charInfoSource;  // resource 102 decoded; empty once read
  // Fills charInfoLines and charPinyin from charInfoSource, the first time only.
  void readCharInfo() const;

  SyllableTable syllablesByPinyin;  // in the order of qp2sp.txt
  SyllableTable syllablesByCode;    // sorted by code, "ve" written "ue"
  LayoutTable layoutTable;          // the marked shuangpin layout onto 自然双拼

  // Resources 103 (polyphonic words and their readings) and 104.
  PolyphoneTable polyphones;
  std::vector<std::u16string> commonWords{u""};  // resource 104 by line (slot 0 unused)

  PrivilegedCodeTable privileged;  // 用户diy文件\特权码表.txt as read at start
  LookupCells cells;               // what the last lookup found

  // The result line of a built-in command code (time, date, weekday) with the typed command as its
  // code: a slot of its own at index `commandSlot()`, one past the main lexicon's last entry, so no
  // entry is overwritten. The code lookup empties it when it starts.
  std::u16string commandCode;  // the typed command code
  std::u16string commandLine;  // its result line
  std::int32_t commandSlot() const { return mainLexicon.last + 1; }
  // The main lexicon's code and line at an index (0..last, or the command slot); empty elsewhere.
  // Read hit indexes such as `mainHitIndex` through these.
  std::u16string_view mainCodeAt(std::int32_t i) const {
    if (i == commandSlot()) return commandCode;
    return i >= 0 && static_cast<std::size_t>(i) < mainLexicon.codes.size() ? mainLexicon.codes[i]
                                                                            : std::u16string_view{};
  }
  std::u16string_view mainLineAt(std::int32_t i) const {
    if (i == commandSlot()) return commandLine;
    return i >= 0 && static_cast<std::size_t>(i) < mainLexicon.lines.size() ? mainLexicon.lines[i]
                                                                            : std::u16string_view{};
  }

  LexiconState() {
    mainLexicon.reset();
    userLexicon.reset();
    charLexicon.reset();
  }
};

}  // namespace yz
