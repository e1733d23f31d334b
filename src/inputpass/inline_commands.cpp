#include "inputpass/inline_commands.h"

#include <algorithm>

#include "conversion/text_steps.h"

namespace yz {
namespace {

using namespace conversion_text;

constexpr int kVkF7 = 0x76;
constexpr int kVkBack = 8;
constexpr int kVkControl = 17;
constexpr int kVkC = 67;
constexpr int kGrabKeyPauseMs = 100;

// Ctrl+C in the target program: the hook lets the four events by, and each is delivered before
// the next one.
void copySelection(const PassContext& c) {
  Platform& p = c.platform;
  c.comp.sendingPasteKeys = -1;
  for (const auto& [vk, up] : {std::pair{kVkControl, false}, std::pair{kVkC, false},
                               std::pair{kVkC, true}, std::pair{kVkControl, true}}) {
    p.sendKeyEvent(vk, p.scanCodeOf(vk), up);
    p.doEvents();
    p.sleepMs(kGrabKeyPauseMs);
  }
  c.comp.sendingPasteKeys = 0;
}

void grabSelection(const PassContext& c) {
  c.win.boxes.rtext1.text = c.settings.fuku;
  c.comp.grabPending = 1;
  copySelection(c);
  std::u16string text;
  try {
    text = c.platform.clipboardText();
  } catch (const PlatformError&) {
    return;  // no clipboard: nothing to learn; the undo step finds it empty too
  }
  if (c.input.context.learning != nullptr) c.input.context.learning->yhck(text);
}

// The tail word's code has one letter more than two a character: an auxiliary letter ended it.
bool tailHasAuxLetter(const ConversionState& cv) {
  const std::int32_t letters = len(cv.tailCode);
  const std::int32_t chars = len(cv.tailText);
  return (letters == 3 && chars == 1) || (letters == 5 && chars == 2) || (letters == 7 && chars == 3);
}

bool pauseFix(const PassContext& c, double tailFixDelay) {
  PassState& p = c.pass;
  ConversionState& cv = c.conv;
  CompositionState& cm = c.comp;
  CandidateBoxes& b = c.win.boxes;
  if (tailFixDelay == 0) return false;
  // The clock wraps every 2^32 ms; the unsigned difference is the pause across a wrap too.
  const double ksxmuijm = static_cast<double>(c.platform.clockMs() - p.lastNewKeyTime) / 1000;  // the pause, s
  if (!tailHasAuxLetter(cv) || !(ksxmuijm > tailFixDelay)) return false;
  if (cm.segmentCount + 2 > kMaxSegments) return false;  // no room for another segment
  p.resultBeforeTail = b.text7.text;
  p.rtex1 = b.rtext1.text;
  p.rtex2 = p.resultBeforeTail;
  p.tex7 = b.text7.text;
  p.tex70 = p.tex7;
  b.rtext2.text = p.tex7;
  cv.tailFixed = 1;
  ++cm.segmentCount;
  cv.tailCode.clear();
  cv.tailText.clear();
  return true;
}

// Takes the last commit back: Backspaces for its characters into the window that received it,
// and its code into the code line. One undo a commit.
void undoLastCommit(const PassContext& c) {
  PassState& p = c.pass;
  CompositionState& cm = c.comp;
  CandidateBoxes& b = c.win.boxes;
  Platform& pf = c.platform;
  const std::u16string text(trimSpaces(cm.lastCommitText));
  WindowId active = 0;
  try {
    active = pf.focusedWindow(pf.foregroundWindow());
  } catch (const PlatformError&) {
  }
  if (text.empty() || active == 0 || active != cm.lastCommitWindow) {
    // Nothing to take back here: the command only leaves the code line.
    p.undoText.clear();
    b.rtext1.text.clear();
    b.Text1 = {};
    return;
  }
  p.undoText = text;
  b.rtext1.text = cm.lastCommitCode;
  p.bmstr = b.rtext1.text;
  b.Text1.text = b.rtext1.text;
  b.Text1.selStart = len(b.rtext1.text);
  cm.sendingPasteKeys = -1;
  for (std::size_t i = 0; i < text.size(); ++i) {
    pf.sendKeyEvent(kVkBack, pf.scanCodeOf(kVkBack), false);
    pf.sendKeyEvent(kVkBack, pf.scanCodeOf(kVkBack), true);
  }
  pf.doEvents();  // the keys are processed before the pass goes on
  cm.sendingPasteKeys = 0;
  cm.lastCommitText.clear();
  cm.lastCommitCode.clear();
  cm.lastCommitWindow = 0;
}

// The first line of the grabbed text, trimmed of blanks.
std::u16string firstLine(std::u16string_view text) {
  text = trimSpaces(text);
  const std::size_t end = text.find(u"\r\n");
  return std::u16string(end == std::u16string_view::npos ? text : text.substr(0, end));
}

}  // namespace

InlineOutcome inlineCommands(const PassContext& c, double tailFixDelay) {
  PassState& p = c.pass;
  CompositionState& cm = c.comp;
  CandidateBoxes& b = c.win.boxes;

  // A grab lives for its own pass; edit tracking clears it on the road that reads it, and any
  // later pass does here, so a later undo command is not taken for a grab.
  cm.grabPending = 0;
  const std::int16_t f7 = c.platform.asyncKeyState(kVkF7);
  if (f7 == kKeyStateNewlyPressed || f7 == kKeyStateHeld) grabSelection(c);
  if (pauseFix(c, tailFixDelay)) return InlineOutcome::finishPick;

  if (b.rtext1.text.empty()) {
    p.undoText.clear();
    p.tex7.clear();
    p.tex70.clear();
    return InlineOutcome::goOn;
  }
  if (!c.settings.fuku.empty() && b.rtext1.text == c.settings.fuku) {
    p.undoPending = -1;
    if (cm.grabPending == 0) {
      undoLastCommit(c);
    } else {
      std::u16string grabbed;
      try {
        grabbed = firstLine(c.platform.clipboardText());
      } catch (const PlatformError&) {
      }
      b.rtext1.text = grabbed;
      // The grabbed text stands in the code box as if it had been pasted there.
      b.Text1.text = grabbed;
      b.Text1.selStart = len(grabbed);
      if (grabbed.empty()) {
        // Nothing was selected: the composition ends as Esc ends it, so the sentence shown
        // before the grab never joins a later commit.
        c.input.composition.escjm();
        return InlineOutcome::goOn;
      }
    }
  }

  if (b.rtext1.text.empty()) {
    p.tex7.clear();
    p.tex70.clear();
    return InlineOutcome::goOn;
  }
  if (c.input.context.isDoubleByte(b.rtext1.text[0]) && cm.modifyMode == 0) {
    // A Chinese text in the code line becomes the sentence, and its code the code line.
    b.rtext2.text = b.rtext1.text;
    b.text7.text = b.rtext2.text;
    p.tex70 = b.text7.text;
    std::u16string code, pinyin;
    c.input.context.citcbmma(b.rtext2.text, code, pinyin);
    p.buy = std::u16string(trimSpaces(code));
    // A character without a code stands for itself in a shape code: such a result is no code.
    if (std::any_of(p.buy.begin(), p.buy.end(),
                    [&](char16_t ch) { return c.input.context.isDoubleByte(ch); })) {
      p.buy.clear();
    }
    b.rtext1.text = p.buy;
    // The code box shows the code, so the next pass reads the code and not the text again, and
    // the caret stands at its end; a text without a code stays as it is, the sentence to commit.
    if (!p.buy.empty()) b.Text1.text = p.buy;
    b.Text1.selStart = len(p.buy);
    b.rText7.text = b.text7.text;
  }
  return InlineOutcome::goOn;
}

}  // namespace yz
