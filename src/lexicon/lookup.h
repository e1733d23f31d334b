#pragma once
// The code lookup: the best word, its weight and the merged candidate line of a code, over the
// user, main and single-character lexicons, with the built-in command codes, the auxiliary-code
// interpretations and association; and the two wrappers over it.
//
// Results go to the lookup cells (LookupCells) and to slot 0 of the main lexicon. Every lookup,
// nested ones included, overwrites them: read what you need right after the call.

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "state/composition_state.h"
#include "state/conversion_state.h"
#include "state/lexicon_state.h"
#include "state/pass_state.h"
#include "state/service_cells.h"
#include "state/settings.h"
#include "state/window_state.h"

namespace yz {

class GbkTable;
class Platform;
class UserLookup;

class CodeLookup {
 public:
  CodeLookup(LexiconState& lex, const Settings& settings, const CompositionState& comp,
             const ConversionState& conv, PassState& pass, const WindowState& win,
             const RaceState& race, const GbkTable& gbk, Platform& platform, UserLookup& user);

  // Looks a code up: best word into `cnir`, its weight into `zicipn`; fills the lookup cells.
  // `cnir` and `zicipn` may be cells themselves (lookupWord, cnir3, zicipn): they are written in
  // the order the steps give, so a nested lookup writing the same cell is seen. The code is read
  // before any cell is written, so it may view a cell.
  void hzirvck(std::u16string_view str4, std::u16string& cnir, float& zicipn);

  // Spare exact lookup: the whole main-lexicon line of a code of any length into `cnir`; sets
  // mainHitIndex and writes `zicipn` only when the code is absent (400). Nothing calls it.
  void hzirvck1(std::u16string_view str4, std::u16string& cnir, float& zicipn);

  // Spare three-letter lookup: the first candidate whose auxiliary letters match a code of 3, 6,
  // 9 or 12 letters into `cnir`, its weight into `zicipn`; `cnir` empty when none matches. Reads
  // no setting, asks no user lexicon. Nothing calls it.
  void hzirsmvck(std::u16string_view code, std::u16string& cnir, float& zicipn);

  // Best word of a code: runs the code lookup into lookupWord and zicipn and returns lookupWord.
  std::u16string ybci(std::u16string_view strx);

  // The lexicon line a code selects, by the code's length (a user hit winning); empty for none.
  std::u16string ybcib(std::u16string_view strx);

  // From `beginRepeats` to the matching `endRepeats` (they nest), the outcome of each code
  // looked up is kept, and a code asked again is answered with it without a search: the
  // conversion of one code line asks for the same few codes a dozen times each. What is kept is
  // dropped whenever a handler has run (keys, timers), a condition the lookup reads has changed,
  // or `forgetRepeats` is called (a word was learned). A lookup that ran a command code or
  // touched the pass's cells is never kept.
  void beginRepeats();
  void endRepeats();
  void forgetRepeats() { repeats_.clear(); }

 private:
  // What a lookup reads besides its code and the lexicons' texts, and could change between two
  // lookups of one conversion.
  struct RepeatConditions {
    std::uint64_t handlersRun = 0;
    std::int32_t pendingCommand = 0, modifyMode = 0, raceMode = 0, gpsd = 0, wordMaxLen = 0;
    std::int32_t associationStartLen = 0, jsq1 = 0;
    bool hbxrlj = false;
    std::int32_t mainLast = 0, userLast = 0, charLast = 0;
    const void* mainText = nullptr;
    const void* userText = nullptr;
    const void* charText = nullptr;
    friend bool operator==(const RepeatConditions&, const RepeatConditions&) = default;
  };
  // The cells a kept lookup is answered again only if they hold what they held before it.
  struct CellsBefore {
    float zicipn = 0;
    std::int32_t lastFoundIndex = 0, fybci = 0, fybcib = 0;
  };
  // One kept lookup: the cells and outputs before and after it.
  struct KeptLookup {
    CellsBefore before;
    LookupCells after;
    float zicipnBefore = 0, zicipnAfter = 0;
    std::u16string cnir;
    std::u16string mainCode0, mainLine0;  // slot 0 of the main lexicon after it
    std::int32_t loopCounter = 0;
    bool wroteLookupWord = false;  // a nested `ybci` ran
    bool wroteCnir3 = false;       // a nested `ybcib` ran
  };
  RepeatConditions repeatConditions() const;
  // Answers from a kept lookup; false when none fits and the lookup must run.
  bool repeat(const std::u16string& key, std::u16string& cnir, float& zicipn);
  // A lookup is kept per code, per state of the wrappers' flags, which the lookup reads, and per
  // choice of cells as its outputs.
  const std::u16string& repeatKey(std::u16string_view code, const std::u16string& cnir,
                                  const float& zicipn);
  void lookUp(std::u16string code, std::u16string& cnir, float& zicipn);

  int repeatDepth_ = 0;
  std::uint64_t ybciRuns_ = 0, ybcibRuns_ = 0;
  RepeatConditions keptUnder_;
  // Hashes a repeat key (a code, up to a whole code line) four code units at a time.
  struct KeyHash {
    std::size_t operator()(std::u16string_view key) const noexcept {
      constexpr std::uint64_t kMul = 0x9E3779B97F4A7C15ull;
      std::uint64_t h = key.size() * kMul;
      std::size_t i = 0;
      for (; i + 4 <= key.size(); i += 4) {
        std::uint64_t chunk;
        std::memcpy(&chunk, key.data() + i, sizeof chunk);
        h = (h ^ chunk) * kMul;
        h ^= h >> 32;
      }
      for (; i < key.size(); ++i) h = (h ^ key[i]) * kMul;
      return static_cast<std::size_t>(h ^ (h >> 29));
    }
  };
  std::unordered_map<std::u16string, KeptLookup, KeyHash> repeats_;
  std::u16string keyScratch_;

  // The code the main-lexicon search compares at node `node` of its search tree (1 the first
  // middle, 2n and 2n + 1 the middles of its halves), entry k. Every search passes the top of the
  // tree, whose entries lie all over the lexicon: an image keeps their codes apart, in one place,
  // so a search reads the image only there and near the code it looks for.
  static std::u16string_view searchCode(const LexiconTable& main, std::size_t node, std::int32_t k);


  // Where the gate of the auxiliary interpretations sends the lookup.
  enum class Next { SingleChar, UserStep, Done };

  // Command codes on the whole typed code; true when one produced the result.
  bool commandStep(std::u16string& cnir, float& zicipn);
  void launchRule();

  Next gate(std::u16string& code, std::u16string& cnir, float& zicipn);
  // The 纯三码整句 path; true when it ended the lookup.
  bool threeLetterPath(const std::u16string& code, std::u16string& cnir, float& zicipn);
  // The auxiliary-letter match of the three-letter path, without its user-lexicon fallback.
  bool threeLetterMatch(const std::u16string& code, std::u16string& cnir, float& zicipn);
  // The two-letter chain of steps 8, 7, 6 and 5; true when it ended the lookup. Otherwise `code`
  // is the code the lookup goes on with.
  bool twoLetterChain(std::u16string& code, std::u16string& cnir, float& zicipn);
  bool chainStep8(std::u16string& code, std::u16string& cnir, float& zicipn);
  void chainStep7(std::u16string& code, std::u16string& cnir, float& zicipn);
  void chainStep6(std::u16string& code, std::u16string& cnir, float& zicipn);
  bool chainStep5(std::u16string& code, std::u16string& cnir, float& zicipn);
  // Puts the code box's letters after the plain part, in 字词模式 with 音码输入.
  void lettersFromCodeBox(std::u16string& code) const;

  // Main-lexicon bisection over 1..last (step 6).
  void mainSearch(const std::u16string& code, std::u16string& cnir, float& zicipn);
  void merge(const std::u16string& code, std::u16string& cnir, bool haveCharWord);
  // Association in the main lexicon; true when it ended the lookup.
  bool association(const std::u16string& code, std::u16string& cnir, float& zicipn);
  void rangeWalk(const std::u16string& code, std::int32_t hit, std::u16string& cnir);
  void finalStep(const std::u16string& code, std::u16string& cnir, float& zicipn,
                 bool haveCharWord, const std::u16string& charWord, float charWeight);

  // The prefix list of the auxiliary steps: the main line at lastFoundIndex and the user line at
  // userHitIndex as the nested lookup left them, cut into words (even) and weights (odd).
  void buildPrefixList();
  // Records an accepted word: the first fills cnir, every one joins endzf0.
  void record(std::u16string_view word, std::u16string_view weight, std::u16string& cnir,
              float& zicipn);
  void clearHitIndexes();

  // Auxiliary letters of a character, and their first letter (0 for none).
  std::u16string_view auxOf(char16_t ch) const;
  char16_t firstAux(char16_t ch) const;
  bool isAuxElement(char16_t ch) const;

  std::u16string_view userLine(std::int32_t i) const;
  std::u16string_view charLine(std::int32_t i) const;

  LexiconState& lex_;
  LookupCells& cells_;
  const Settings& settings_;
  const CompositionState& comp_;
  const ConversionState& conv_;
  PassState& pass_;
  const WindowState& win_;
  const RaceState& race_;
  const GbkTable& gbk_;
  Platform& platform_;
  UserLookup& user_;

  // Scratch of the prefix list; rebuilt right after each nested lookup.
  std::u16string prefixText_;
  std::vector<std::u16string_view> prefixItems_;
};

}  // namespace yz
