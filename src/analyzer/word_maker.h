#pragma once
// The article word maker: learns words from an article (file mode, the race text cut into
// segments of at most 25 characters) or from the word-maker window's text box (box mode, one
// segment). Each segment is coded, converted normally and once more for word making, cut at the
// second conversion's word ends, compared word by word, and words are made around the pieces that
// differ. File mode appends every made word as a "word,1" line to the result file and ends with
// the word-frequency statistics; box mode lists the words in the text box and learns them.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "analyzer/race_text.h"
#include "state/conversion_state.h"
#include "state/service_cells.h"

namespace yz {

class LearningServices;
class Platform;
class ProgramFolder;

inline constexpr std::u16string_view kRaceSegmentPath = u"赛文资料\\两码整句赛文纯汉字.txt";
inline constexpr std::u16string_view kRaceReportPath = u"赛文资料\\两码整句赛文成绩榜.txt";
inline constexpr std::u16string_view kUserLexiconDiyPath = u"用户diy文件\\用户词库.txt";
inline constexpr std::size_t kSegmentMaxChars = 25;

// What the word maker needs of the sentence conversion; the window wires it to the conversion,
// the word-aligned comparison and the word making around marked stretches.
class WordMakerEngine {
 public:
  virtual ~WordMakerEngine() = default;
  // `citcvuyn`: the shuangpin code string of a text, for the cutting conversion.
  virtual std::u16string cuttingCode(std::u16string_view text) = 0;
  // `citcbmma`: the text's code for the current scheme.
  virtual std::u16string segmentCode(std::u16string_view text) = 0;
  // `fjyi` of a code with `wordCounter` reset: the sentence; the words 1..`wordCounter` of
  // `wordTable` hold its word texts. `pendingCommand` 7 asks for the word-making re-conversion.
  virtual std::u16string convert(std::u16string_view code) = 0;
  // `cowu` then `iyzczc`: compares the segment's pieces with the conversion's pieces (both joined
  // by single spaces), leaving the marked forms in `raceMarkedText` and `raceResultPieces`, and
  // gives back the words made around the differing stretches.
  virtual std::vector<std::u16string> compareAndMakeWords() = 0;
};

// The text boxes and caption of the word-maker window the run writes.
struct WordMakerView {
  std::u16string text1;    // source text of box mode; display of the current segment
  std::u16string text3;    // progress in percent
  std::u16string caption;
};

struct WordMakerContext {
  RaceState& race;
  ConversionState& conversion;
  std::int32_t& pendingCommand;
  WordMakerView& view;
  WordMakerEngine& engine;
  LearningServices& learning;
  const ProgramFolder& files;
  Platform& platform;
  // Whether a character has a full code (its `charFullCodes` entry is not empty).
  std::function<bool(char16_t)> hasFullCode;
  std::function<void()> pump;                  // one message-pump pass
  std::function<void(bool on)> setInputTimer;  // the main window's input timer
};

// The character classification: digits, spaces and characters without a full code become ",".
std::u16string classifyCharacters(std::u16string_view line, const std::function<bool(char16_t)>& hasFullCode);

// The maximal runs of codable characters of an article line.
std::vector<std::u16string> codablePieces(std::u16string_view line,
                                          const std::function<bool(char16_t)>& hasFullCode);

// Cuts a piece into segments of at most 25 characters at the word ends of its conversion; the
// rest is kept whole when it has at least `wordMinLen` characters. Always ends: a first word
// longer than 25 characters cuts at 25.
std::vector<std::u16string> cutPiece(WordMakerContext& ctx, std::u16string piece);

// Processes one segment and returns the words kept (within `wordMinLen`..`wordMaxLen`).
std::vector<std::u16string> processSegment(WordMakerContext& ctx, const std::u16string& segment);

// The button 造词 of the word-maker window: file mode when `view.text1` is empty, else box mode.
// False when a file could not be read or written (the run then stops; nothing is lost).
bool makeWordsFromArticle(WordMakerContext& ctx);

}  // namespace yz
