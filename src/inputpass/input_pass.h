#pragma once
// The input pass: on each tick of the input timer, one run over the composition. It compares the
// code line with what the last pass saw, re-converts the changed tail of the sentence, shows it,
// serves the commands the hook left and ends by pumping messages. The run is one routine whose
// sections hand over at named join points (`Step`).

#include <cstdint>
#include <string>

#include "conversion/lexicon_lookups.h"
#include "conversion/sentence.h"
#include "input/input.h"
#include "input/instant_modify.h"
#include "lexicon/lookup.h"
#include "platform/platform.h"
#include "state/composition_state.h"
#include "state/conversion_state.h"
#include "state/lexicon_state.h"
#include "state/pass_state.h"
#include "state/service_cells.h"
#include "state/services.h"
#include "state/settings.h"
#include "state/window_state.h"
#include "ui/window_ui.h"

namespace yz {

struct PassContext {
  Platform& platform;
  Settings& settings;
  SettingsMirror& mirror;
  CompositionState& comp;
  ConversionState& conv;
  PassState& pass;
  WindowState& win;
  LexiconState& lex;
  WebCells& web;
  WebServices* const& webServices;
  Input& input;
  SentenceConversion& conversion;
  CodeLookup& lookup;
  WindowUi& ui;
};

// The word state starts afresh behind a closed segment or a pick: the prompt says "输入", instant
// modify is off and the sentence's words are forgotten. (The record of the code line and its
// caret is left to the end of the pass, which writes it before any later step reads it.)
inline void startWordStateAfresh(const PassContext& c) {
  c.win.boxes.Text2.text = u"输入";
  c.comp.modifyMode = 0;
  c.comp.lastPromptText = u"输入";
  c.pass.hjzi0.clear();
  c.conv.hzixb.clear();
  c.conv.wordIndex = 0;
  // Emptied although later conversions write their rows before reading them: the cloud step
  // reads row 1 when a conversion after this found no word.
  c.conv.eraseWordTable();
}

inline constexpr std::u16string_view kNoSentence = u"不成句2";
inline constexpr std::u16string_view kDigitKeys = u"1234567890";

class InputPass final : public InputPassServices {
 public:
  explicit InputPass(const PassContext& ctx)
      : c_(ctx),
        instantModify_(c_.input.context, c_.input.composition, c_.input.committer, c_.input.hook,
                       c_.input.userLookup, c_.lookup, c_.conversion) {}

  // One input pass, run again from the top after each automatic commit. Pumps messages.
  void Timer1_Timer() override;

  // The state and services the pass works on.
  const PassContext& context() const { return c_; }
  // The instant-modify loop the pass enters while `modifyMode` is 1.
  InstantModify& instantModify() { return instantModify_; }

 private:
  // The join points of the pass.
  enum class Step {
    restartPass, takeNewKey, checkCaretChar, prepareReconversion, convertSentence, finishPick,
    startCandidates, keepCandidates, refreshCandidateList, showSentence, refreshWindow, resetWordState,
    enterInstantModify, refreshPrompt, refreshCodeBox, dispatchPendingCommand, endPass,
    leave,  // leave the handler at once, without endPass
  };

  Step run(Step step);
  // Gives the user's algorithm choice back after a pass that ran offline.
  void restoreAlgorithmChoice();
  // Gates and mirrors up to edit tracking.
  Step gates();
  void mirrors();
  void rebuildQuickSelectKeys();
  // Edit tracking.
  Step editTracking();
  Step caretMoved();
  Step generalCase();
  // New-key classification.
  Step takeNewKey();
  Step punctuationStep(std::u16string newKey);
  // Sentence refresh.
  Step checkCaretChar();
  Step prepareReconversion();
  Step convertSentence();
  void fixSegment();
  void cloudMerge();
  // The candidates of the tail word: built (after a conversion the list is emptied first; after
  // a caret move it is kept when nothing applies), shown, and the automatic commit rules.
  Step startCandidates(bool emptyList);
  // A quick-select key that names candidate position `pickIndex` (0 the first; -1 none): the pick,
  // or punctuation beyond the list.
  Step quickSelectRoad(std::u16string newKey, std::int32_t pickIndex);
  // Text that punctuation closed stays in front of the converted segment.
  void keepFixedSegments();
  // Tails of the pass.
  Step refreshPrompt();
  Step refreshCodeBox();
  Step dispatchPendingCommand();
  void fullPageList();
  void pasteScreenshot();
  Step endPass();

  // Converts a code with the sentence conversion into hjziir and endzf. Pumps messages.
  void fjyi(std::u16string code);
  // Brings the sentence up to date with a code line that earlier passes did not see whole (keys
  // typed faster than the timer ticks), before a key that commits the sentence is served: the
  // sections convert `code` as a pass of its own would, without laying out, dispatching or
  // pumping, and record it as the code the last pass saw.
  void catchUp(std::u16string code);
  bool convertedUpTo(std::u16string_view code) const;
  void commit(std::u16string text);
  void setTimer1(bool enabled);
  bool fluencyFirst() const;
  bool accurateMode() const;
  // The edit position; during a catch-up, the end of the code being caught up with.
  std::int32_t caret() const {
    return catchingUp_ ? static_cast<std::int32_t>(c_.win.boxes.rtext1.text.size())
                       : c_.win.boxes.Text1.selStart;
  }

  PassContext c_;
  bool catchingUp_ = false;
  std::uint32_t editsAtStart_ = 0;  // the code line's edit count when the pass took its copy
  bool codeLookedAt_ = false;       // this pass reached edit tracking
  InstantModify instantModify_;
};

}  // namespace yz
