#pragma once
// The composition: everything between the first code letter and the commit or clear that ends it.
// The hook, the input pass, instant modify, the commit and the resets hand work to one another
// through these cells rather than through calls.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace yz {

inline constexpr int kMaxSegments = 100;  // fixed segments a composition can hold

// What one part leaves for the next input pass or for a routine it calls.
enum PendingCommand : std::int32_t {
  kPendingNone = 0,
  kPendingCommitSentence = 1,   // commit text7
  kPendingPasteScreenshot = 2,  // paste after the F8/F10 screenshot
  kPendingEnter = 3,            // Enter with a code typed
  kPendingLongPress = 4,        // long press of a letter: enter instant modify
  kPendingPause = 5,            // pause a running analysis
  kPendingStop = 6,             // stop a running analysis
  kPendingWordMaking = 7,       // segment the code along a known text
  kPendingFullPage = 9,         // full candidate page with auxiliary hints
  kPendingCommitText = 10,      // commit pendingText
  kPendingLearnMarked = 11,     // hand-over to the learning around marked differences
};

struct CompositionState {
  // Mode cells.
  std::int32_t platformMode = 1;        // 1 this platform handles keys, -1 system input method
  std::int32_t hookActive = -1;         // 1 hook installed, -1 removed
  std::int16_t chinesePunctuation = -1; // -1 Chinese input, 0 English
  std::int32_t capsLockState = -1;      // 1 on, -1 off
  std::int32_t modifyKeyCode = 0;       // custom instant-modify key; -1 = capture the next key
  std::int32_t switchKeyCode = 0;       // custom switch key; -1 = capture the next key
  std::int32_t modifyMode = 0;          // 1 while instant modify is on
  std::int32_t doubleQuoteToggle = 1;   // 1: next " opens, -1: closes
  std::int32_t singleQuoteToggle = 1;   // 1: next ' opens, -1: closes
  std::uint64_t hookHandle = 0;         // 0 when no hook is installed

  // Hand-over cells.
  std::int32_t pendingCommand = kPendingNone;  // what the next pass must do: a kPending* value
  // The screenshot key took the hook away and its paste, which puts it back, has not run yet.
  // Kept apart from pendingCommand, which a select key typed meanwhile overwrites.
  bool screenshotPasteDue = false;
  std::u16string pendingText;  // text a kPendingCommitText hand-over commits
  // Keys typed after Space or Enter asked for a commit that no pass has served yet: the start
  // of the next code, which the commit's reset puts into the code line. A space in it is a Space
  // typed after such letters: the code before it is committed in turn, the rest waits for that.
  std::u16string typedAhead;
  std::uint32_t codeEdits = 0;  // counts the edits of the code line by keys, which passes compare

  // Change tracking.
  std::u16string lastCode;       // code line as the last pass left it
  std::int32_t lastCaretPos = 0; // caret in the code line as the last pass left it

  // Fixed segments of the shown sentence (element 0 of both arrays is 0).
  std::int32_t segmentCount = 0;  // fixed segments so far
  // Element k: the length of the code line (segmentCodeEnds) and of the sentence
  // (segmentTextEnds) where fixed segment k ends.
  std::array<std::int32_t, kMaxSegments + 1> segmentCodeEnds{};
  std::array<std::int32_t, kMaxSegments + 1> segmentTextEnds{};

  // Instant modify and key state.
  std::u16string modifySentence;  // instant modify: the sentence being corrected
  std::u16string modifyListText;  // instant modify: the candidate list as Tab or Ctrl caught it
  std::u16string lastPromptText = u"输入";  // prompt line (form1.Text2) as last shown
  std::u16string xbzm;            // full-width position letters
  std::u16string codeBeforeKey;   // code line before the key being handled
  std::vector<std::u16string> pairList;            // instant modify: the items of the list shown
  std::int32_t resumeModify = 0;    // 1: a hotkey asked to go back into instant modify
  std::int32_t longPressDone = 0;   // 1 once the held letter's long press was taken, until its release
  std::int32_t longPressArmed = 0;  // 1: a pending long press may enter instant modify
  std::int16_t grabPending = 0;     // 1: the text selected in the target (F7) waits for its pass
  std::int16_t sendingPasteKeys = 0;  // -1 while the commit sends its paste keys

  // Commit record.
  std::u16string lastCommitCode;  // code line of the last commit (the undo command restores it)
  std::u16string lastCommitText;  // text of the last commit (the undo command takes it back)
  std::uint64_t lastCommitWindow = 0;  // the window the last commit went to (undo goes only there)
  std::u16string a0;       // last character typed into the code
  std::u16string cnuhwf;   // texts chosen while 上文动态造词 is ticked, concatenated
  std::u16string enuhwf;   // initials of their codes, in step with cnuhwf

  void clearSegments() {
    segmentCount = 0;
    segmentCodeEnds.fill(0);
    segmentTextEnds.fill(0);
  }
};

}  // namespace yz
