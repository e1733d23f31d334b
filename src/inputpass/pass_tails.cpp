// The last stretches of the input pass: the candidate line, the prompt and sentence lines, the
// pending commands and the end of the pass.

#include "conversion/text_steps.h"
#include "inputpass/input_pass.h"

namespace yz {
namespace {

using namespace conversion_text;

constexpr int kVkControl = 17;
constexpr int kVkV = 86;
constexpr int kPasteDelayMs = 10;

}  // namespace

InputPass::Step InputPass::refreshPrompt() {
  CandidateBoxes& b = c_.win.boxes;
  PassState& p = c_.pass;
  if (!b.Text2.text.empty()) b.Text2.text = withoutSpaces(b.Text2.text);
  if (fluencyFirst()) {
    b.text7.text = b.rtext2.text;
    p.tex70 = b.text7.text;
    b.rText7.text = b.text7.text;
  } else if (accurateMode()) {
    p.tex70 = b.text7.text;
    b.rText7.text = b.text7.text;
  }
  return refreshCodeBox();
}

InputPass::Step InputPass::refreshCodeBox() {
  CandidateBoxes& b = c_.win.boxes;
  PassState& p = c_.pass;
  if (b.rtext1.text.empty()) {
    p.tex7.clear();
    p.tex70.clear();
    c_.win.form1.width = 0;
  }
  if (len(b.rtext1.text) == c_.comp.lastCaretPos && p.undoPending != -1) b.text7.text = p.tex70;
  p.undoPending = 0;
  return dispatchPendingCommand();
}

InputPass::Step InputPass::dispatchPendingCommand() {
  CompositionState& cm = c_.comp;
  c_.ui.followCaret();
  if (cm.pendingCommand == kPendingCommitSentence) {
    // Letters typed while this pass pumped, then Space: they belong to the sentence.
    if (cm.codeEdits != editsAtStart_) catchUp(c_.win.boxes.Text1.text);
    commit(c_.win.boxes.text7.text);
  }
  if (cm.pendingCommand == kPendingPasteScreenshot) pasteScreenshot();
  if (cm.pendingCommand == kPendingEnter) {
    commit(c_.settings.hiup == 0 ? c_.win.boxes.Text1.text : c_.win.boxes.text7.text);
  }
  if (cm.pendingCommand == kPendingLongPress && cm.longPressArmed == 1) {
    if (c_.win.boxes.Text1.text.empty()) {
      // The code the key was held in is gone (Esc, Backspace): there is nothing to modify, and
      // instant modify on an empty composition would take the next keys unseen.
      cm.pendingCommand = kPendingNone;
    } else {
      c_.input.composition.tejm(kTejmModify);
      setTimer1(true);  // the next pass enters instant modify
    }
  }
  if (cm.pendingCommand == kPendingFullPage) fullPageList();
  cm.longPressArmed = 1;
  if (!c_.pass.undoText.empty()) c_.win.boxes.text7.text = c_.pass.undoText;
  return endPass();
}

// The paste after a screenshot key. The key removed the hook: it always comes back, and the
// capture is pasted only when a target is known. Pumps messages.
void InputPass::pasteScreenshot() {
  CompositionState& cm = c_.comp;
  c_.input.committer.delay(kPasteDelayMs);
  cm.pendingCommand = kPendingNone;
  cm.screenshotPasteDue = false;
  if (c_.win.targetProcessId != 0) {
    Platform& pf = c_.platform;
    pf.sendKeyEvent(kVkControl, pf.scanCodeOf(kVkControl), false);
    pf.sendKeyEvent(kVkV, pf.scanCodeOf(kVkV), false);
    pf.sendKeyEvent(kVkV, pf.scanCodeOf(kVkV), true);
    pf.sendKeyEvent(kVkControl, pf.scanCodeOf(kVkControl), true);
  }
  c_.input.composition.escjm();
  c_.input.hook.installKeyboardHook();
  if (cm.resumeModify == 1) {
    // Instant modify on an empty composition would take the next letters unseen.
    if (!c_.win.boxes.Text1.text.empty()) cm.modifyMode = 1;
    cm.resumeModify = 0;
  }
}

// The full candidate page: every candidate with its auxiliary-code hint, 候选个数 a line.
void InputPass::fullPageList() {
  std::vector<std::u16string_view> pairList;
  splitSpaces(c_.pass.tex5f9, pairList);
  const std::int32_t perLine = std::max(1, roundHalfEven(std::max(0.0, [&] {
    std::int32_t n = 0;
    for (char16_t ch : c_.settings.hxgu) {
      if (ch < u'0' || ch > u'9') break;
      n = n * 10 + (ch - u'0');
    }
    return static_cast<double>(n);
  }())));
  auto aux = [&](char16_t ch) {
    return c_.lex.charAuxCodes[c_.input.context.gbk.charIndex(ch)];
  };
  std::u16string page;
  for (std::size_t i = 0; i < pairList.size(); i += 2) {
    const std::u16string_view w = pairList[i];
    std::u16string hint;
    if (w.size() == 1) {
      hint = aux(w[0]);
    } else if (w.size() > 1) {
      hint = std::u16string(left(aux(w.back()), 1)) + std::u16string(left(aux(w.front()), 1));
    }
    if (i > 0 && i % static_cast<std::size_t>(perLine) == 0) page += u"\r\n";
    page += u' ';
    page += w;
    page += hint;
  }
  c_.win.boxes.hxl.text = page;
  c_.ui.zdus();
  c_.comp.pendingCommand = kPendingNone;
}

InputPass::Step InputPass::endPass() {
  CandidateBoxes& b = c_.win.boxes;
  c_.comp.lastCode = c_.pass.rtexys;
  c_.conv.bmstruhci = c_.pass.rtexys;
  c_.comp.lastCaretPos = b.Text1.selStart;
  // Keys typed while this pass ran (inside its pumps) are not in its sentence, nor is a code that
  // the pass did not look at.
  if (codeLookedAt_ && c_.comp.codeEdits == editsAtStart_) c_.pass.typedCodeSeen = b.Text1.text;
  else c_.pass.typedCodeSeen.reset();
  b.rText7.text = b.text7.text;
  if (c_.settings.gjxm == 1 && c_.comp.modifyMode == 0) {
    c_.conv.wordCounter = 0;
    c_.conv.wordIndex = 0;
  }
  c_.settings.qrpn.borderStyle = c_.mirror.fullPinyinMode;
  // A command that a key stored while this pass pumped, or instant modify entered for the next
  // pass, keeps the timer.
  const std::int32_t pending = c_.comp.pendingCommand;
  const bool commandWaits = pending == kPendingCommitSentence || pending == kPendingEnter ||
                            pending == kPendingCommitText || pending == kPendingPasteScreenshot ||
                            c_.comp.modifyMode == 1;
  if (b.Text1.text.empty() && !commandWaits) {
    setTimer1(false);
    if (c_.pass.timer2 >= 0) c_.platform.setTimer(c_.pass.timer2, kTimer2IntervalMs, false);
  }
  c_.ui.window.realise();
  c_.platform.doEvents();
  return Step::leave;
}

}  // namespace yz
