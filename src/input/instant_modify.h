#pragma once
// Instant modify (瞬改): correcting a converted sentence in place before it is committed. The
// input pass enters a modal loop that pumps messages itself while the keyboard hook writes the
// keys typed into the edit line `form1.Text2`; each cycle reads the edit line and runs one stage:
// a position letter (ａ, ｂ, …) chooses a character and lists the words that end there, one or
// two auxiliary letters narrow the list, a select key or a label letter puts a word in. Space or
// Enter commits the corrected sentence, Esc leaves without a commit.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "input/commit.h"
#include "input/hook.h"
#include "input/input_context.h"
#include "input/reset.h"

namespace yz {

class CodeLookup;
class SentenceConversion;
class UserLookup;

class InstantModify {
 public:
  InstantModify(const InputContext& ctx, Composition& composition, Committer& committer,
                KeyboardHook& hook, UserLookup& userLookup, CodeLookup& lookup,
                SentenceConversion& conversion)
      : c_(ctx), composition_(composition), committer_(committer), hook_(hook),
        userLookup_(userLookup), lookup_(lookup), conversion_(conversion) {}

  // The input pass's entry while `modifyMode` is 1: sets the window up for instant modify and
  // runs the loop until it commits or leaves. Pumps messages.
  void enterInstantModify();
  // The instant-modify loop. Pumps messages.
  void upgliuli();

  // Whether the loop runs; the input pass runs no pass meanwhile (its ticks would enter the loop
  // again inside itself).
  bool running() const { return depth_ > 0; }
  // The deepest nesting of the loop seen so far (1 when it was never entered inside itself).
  int deepestNesting() const { return deepest_; }

 private:
  enum class Next { nextStep, endCycle, leaveLoop };

  // Steps 2 to 7 of a cycle: the edit line read and its stage run.
  Next readEditLine(std::u16string& seen);
  // Step 9: the pending commands the hook left; leaveLoop after a space commit.
  Next servePendingCommand();
  // The stages.
  Next positionStage();
  void selectStage();
  Next filterStage();
  void labelPick();
  void fullPage();

  // The single-character lexicon line of a character's code (through the user lookup, so a
  // user's single character counts); empty when there is none.
  std::u16string charLineOf(std::u16string_view code);
  // The edit line back to "瞬改" and the position letters shown again.
  void backToIdle();
  // Puts `w` in place of the characters that end at the chosen position.
  void replaceAt(std::u16string_view w);
  // Shows the list `tex5` (at most 40 characters, or five rows with 竖排候选); `minIndent` is the
  // smallest indent value that indents the rows.
  void showList(std::int32_t minIndent);
  // The auxiliary-code letters shown after a word.
  std::u16string hint(std::u16string_view w) const;
  std::u16string_view auxCode(char16_t ch) const;
  // The double-byte characters of a text.
  std::u16string iphjzi(std::u16string_view text) const;
  // Converts a code with the sentence conversion into `hjziir` and `endzf`; the code comes back
  // as the conversion normalized it. Pumps messages.
  void fjyi(std::u16string& code);

  const InputContext& c_;
  Composition& composition_;
  Committer& committer_;
  KeyboardHook& hook_;
  UserLookup& userLookup_;
  CodeLookup& lookup_;
  SentenceConversion& conversion_;
  std::u16string placed_;  // the word placed last in this call of the loop
  std::u16string listAtEntry_;  // the candidate list as the last entry into instant modify found it
  std::array<std::u16string, 10> slotWords_;  // the word behind each number of the list shown last
  int depth_ = 0;
  int deepest_ = 0;
};

// `iphjzi` over a GBK table: the characters of a text that take two bytes in GBK, in order.
std::u16string doubleByteChars(std::u16string_view text, const GbkTable& gbk);

}  // namespace yz
