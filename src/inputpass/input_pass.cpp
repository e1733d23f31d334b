// The frame of the input pass: the gates at its head in their fixed order, the per-pass mirrors
// of the settings, and the order of the sections.

#include <charconv>
#include <exception>
#include <cmath>
#include <optional>
#include <string>

#include "conversion/text_steps.h"
#include "inputpass/candidates.h"
#include "inputpass/input_pass.h"
#include "inputpass/inline_commands.h"
#include "inputpass/layout_normalize.h"

namespace yz {
namespace {

using namespace conversion_text;

constexpr std::u16string_view kDefaultPageSize = u"5";

// The value of a whole decimal text; nullopt for an empty or non-numeric text.
std::optional<double> number(std::u16string_view text) {
  std::string ascii;
  for (char16_t ch : trimSpaces(text)) {
    if (ch > 0x7F) return std::nullopt;
    ascii.push_back(static_cast<char>(ch));
  }
  if (ascii.empty()) return std::nullopt;
  double value = 0;
  const auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
  if (error != std::errc() || end != ascii.data() + ascii.size()) return std::nullopt;
  return value;
}

// The leading number of a text (0 without one).
double leadingNumber(std::u16string_view text) {
  std::string ascii;
  for (char16_t ch : trimSpaces(text)) {
    if (!((ch >= u'0' && ch <= u'9') || ch == u'.' || (ch == u'-' && ascii.empty()))) break;
    ascii.push_back(static_cast<char>(ch));
  }
  double value = 0;
  std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
  return value;
}

}  // namespace

void InputPass::Timer1_Timer() {
  // The instant-modify loop pumps messages and turns the timer on in every cycle: a tick served
  // inside it runs no pass, which would enter the loop again inside itself.
  if (instantModify_.running()) return;
  Step step = Step::restartPass;
  bool ending = false;  // a section failed and the pass goes straight to its end
  while (step != Step::leave) {
    try {
      step = run(step);
    } catch (const std::exception& e) {
      // A failing section must not leave the pass half done: the pass still records what it saw,
      // stops the timers of an empty code and pumps.
      const std::string what = e.what();
      c_.platform.log(u"input pass: " + std::u16string(what.begin(), what.end()));
      if (ending) break;
      ending = true;
      step = Step::endPass;
    }
  }
  // A pass that left before serving the paste of a screenshot key (the key took the hook away)
  // serves it now: the keyboard never stays without the hook. The key may have come inside a
  // commit or word learning that then cleared the pending command.
  if (c_.comp.pendingCommand == kPendingPasteScreenshot || c_.comp.screenshotPasteDue) {
    try {
      pasteScreenshot();
    } catch (const std::exception& e) {
      const std::string what = e.what();
      c_.platform.log(u"input pass: " + std::u16string(what.begin(), what.end()));
      c_.input.hook.installKeyboardHook();
    }
  }
  restoreAlgorithmChoice();
}

void InputPass::restoreAlgorithmChoice() {
  std::optional<PassState::AlgorithmChoice>& stored = c_.pass.offlineChoice;
  if (!stored) return;
  Settings& s = c_.settings;
  // Unless the user chose anew during the pass (a command code, the settings dialog).
  if (s.lidyx && !s.vqdyx) {
    s.lidyx = stored->lidyx;
    s.vqdyx = stored->vqdyx;
  }
  if (s.gjxm == 0) s.gjxm = stored->gjxm;
  stored.reset();
}

// Runs from a join point to the next one that a section jumps to; the tails fall through.
InputPass::Step InputPass::run(Step step) {
  switch (step) {
    case Step::restartPass: return gates();
    case Step::takeNewKey: return takeNewKey();
    case Step::checkCaretChar: return checkCaretChar();
    case Step::prepareReconversion: return prepareReconversion();
    case Step::convertSentence: return convertSentence();
    case Step::finishPick:
      CandidatePick(c_).finishPick();
      return Step::refreshCodeBox;
    case Step::startCandidates: return startCandidates(true);
    case Step::keepCandidates: return startCandidates(false);
    case Step::refreshCandidateList:
      CandidateDisplay(c_).refreshCandidateList();
      return AutoCommit(c_).run(false) ? Step::restartPass : Step::showSentence;
    case Step::showSentence:
      c_.win.boxes.rText7.text = c_.win.boxes.text7.text;
      [[fallthrough]];
    case Step::refreshWindow:
      c_.ui.zdus();
      if (fluencyFirst()) c_.web.cloudText = c_.pass.hjziir;
      [[fallthrough]];
    case Step::resetWordState:
      c_.pass.hjzils1.clear();
      c_.conv.wordCounter = 0;
      c_.comp.lastCode = c_.pass.rtexys;
      [[fallthrough]];
    case Step::enterInstantModify:
      if (c_.comp.modifyMode == 1) instantModify_.enterInstantModify();
      [[fallthrough]];
    case Step::refreshPrompt: return refreshPrompt();
    case Step::refreshCodeBox: return refreshCodeBox();
    case Step::dispatchPendingCommand: return dispatchPendingCommand();
    case Step::endPass: return endPass();
    case Step::leave: return Step::leave;
  }
  return Step::leave;
}

bool InputPass::fluencyFirst() const { return c_.settings.lidyx || !c_.settings.ymur; }
bool InputPass::accurateMode() const { return c_.settings.ymur && c_.settings.vqdyx; }

void InputPass::setTimer1(bool enabled) {
  if (c_.pass.timer1 >= 0) c_.platform.setTimer(c_.pass.timer1, kTimer1IntervalMs, enabled);
}

void InputPass::commit(std::u16string text) { c_.input.committer.qqdz(text); }

void InputPass::rebuildQuickSelectKeys() {
  std::u16string& keys = c_.pass.quickSelectKeys;
  keys.clear();
  if (c_.settings.bdkx == 1) keys = c_.settings.kjhxj;
  if (c_.settings.uzkx == 1) keys += kDigitKeys;
}

InputPass::Step InputPass::gates() {
  Settings& s = c_.settings;
  CandidateBoxes& b = c_.win.boxes;
  if (c_.comp.modifyMode == 1) return Step::enterInstantModify;
  // An empty or non-numeric 候选个数 counts as the default page size.
  std::optional<double> pageSize = number(s.hxgu);
  if (!pageSize) {
    s.hxgu = std::u16string(kDefaultPageSize);
    pageSize = 5;
  }
  if (*pageSize != c_.mirror.pageSize && *pageSize < 10) {
    c_.mirror.pageSize = static_cast<std::int16_t>(roundHalfEven(*pageSize));
  }
  if (s.izcmu) s.lidyx = true, s.vqdyx = false;
  c_.ui.window.form.rtext1.visible = false;
  c_.ui.window.form.Text1.visible = true;
  b.rtext1.text = b.Text1.text;
  editsAtStart_ = c_.comp.codeEdits;
  codeLookedAt_ = false;

  // English input: the typed letters go out as they are.
  if (c_.win.languageLabel == u"\r\n英" && c_.comp.platformMode == 1 &&
      c_.comp.pendingText.empty()) {
    c_.ui.followCaret();
    if (!c_.win.boxes.Text1.text.empty()) commit(c_.win.boxes.Text1.text);
    c_.comp.pendingCommand = kPendingNone;
    return Step::endPass;
  }
  if (c_.comp.pendingCommand == kPendingCommitText) {
    c_.ui.followCaret();
    commit(c_.comp.pendingText);
    c_.comp.pendingText.clear();
    c_.comp.pendingCommand = kPendingNone;
    return Step::endPass;
  }
  normalizeCodeLine(c_);

  setTimer1(false);
  if (c_.win.punctuationLabel == u"\r\n. ," && c_.comp.pendingText.empty()) {
    b.rtext1.text = b.Text1.text;
    if (!b.rtext1.text.empty()) {
      commit(b.rtext1.text);
      setTimer1(false);  // the commit turned it on; nothing is left for a pass
    }
    return Step::leave;
  }
  if (b.rtext1.text.empty() && c_.comp.pendingText.empty()) c_.input.composition.escjm();
  if (!c_.platform.isConnected()) {
    // Offline, this pass runs fluency first; the user's choice comes back when it ends.
    if (!c_.pass.offlineChoice) c_.pass.offlineChoice = PassState::AlgorithmChoice{s.lidyx, s.vqdyx, s.gjxm};
    s.lidyx = true, s.vqdyx = false;
    s.gjxm = 0;
  }
  if (s.smvj) s.lidyx = true, s.vqdyx = false;
  if (s.ymur) s.gjxm = 0;
  if (!s.ilmvj) s.gjxm = 0;
  if (!s.ymur) s.qrpn.borderStyle = 0;
  s.kxup = 1;
  if (c_.comp.pendingCommand == kPendingCommitSentence) {
    // The sentence committed is the one of every letter typed before the space.
    if (!convertedUpTo(b.rtext1.text)) catchUp(b.rtext1.text);
    // Keys typed before any pass ran: the commit needs the target program first.
    if (c_.win.targetProcessId == 0) c_.ui.followCaret();
    commit(c_.win.boxes.text7.text);
  }
  rebuildQuickSelectKeys();

  mirrors();
  if (inlineCommands(c_, leadingNumber(c_.settings.fcuj)) == InlineOutcome::finishPick) {
    // The pause fix settled the sentence on the code line as it stands: a later Space commits
    // that sentence and does not convert the code again.
    codeLookedAt_ = true;
    return Step::finishPick;
  }

  if (s.izcmu || !s.ymur) s.lidyx = true, s.vqdyx = false;
  if (b.rtext1.text == u" ") b.rtext1.text.clear();
  if (!number(s.hxgu)) s.hxgu = std::u16string(kDefaultPageSize);
  if (const double n = *number(s.hxgu); n > 10) s.hxgu = u"10";
  else if (n < 1) s.hxgu = u"1";
  if (s.idqi == 1) s.lidyx = true, s.vqdyx = false;
  if (fluencyFirst()) c_.pass.skipUnchangedFlag = 1;
  if (s.zdhu == 1) {
    const std::size_t n = b.rtext2.text.size();
    if (n >= 10) s.hphx = true, s.uphx = false;
    else if (n >= 1) s.uphx = true, s.hphx = false;
  }
  return editTracking();
}

bool InputPass::convertedUpTo(std::u16string_view code) const {
  const std::optional<std::u16string>& seen = c_.pass.typedCodeSeen;
  return code.empty() || c_.comp.modifyMode != 0 || (seen && code == std::u16string_view(*seen));
}

void InputPass::catchUp(std::u16string code) {
  // Letters only: a code ending in a mark has its own step, which edits the typed code.
  if (catchingUp_ || code.empty() || c_.pass.codeChars.find(code.back()) == std::u16string::npos) {
    return;
  }
  CandidateBoxes& b = c_.win.boxes;
  PassState& p = c_.pass;
  const std::u16string line = b.rtext1.text;
  const std::u16string bmstr = p.bmstr;
  const std::u16string rtexys = p.rtexys;
  const std::int32_t pending = c_.comp.pendingCommand;
  catchingUp_ = true;
  b.rtext1.text = std::move(code);
  // However the sections end, the pass gets its own code line and its own working values back.
  struct Restore {
    InputPass& pass;
    const std::u16string& line;
    const std::u16string& bmstr;
    const std::u16string& rtexys;
    std::int32_t pending;
    ~Restore() {
      pass.catchingUp_ = false;
      pass.c_.win.boxes.rtext1.text = line;
      pass.c_.pass.bmstr = bmstr;
      pass.c_.pass.rtexys = rtexys;
      pass.c_.comp.pendingCommand = pending;
    }
  } restore{*this, line, bmstr, rtexys, pending};
  Step step = editTracking();
  bool converted = false;
  for (;;) {
    switch (step) {
      case Step::takeNewKey:
      case Step::checkCaretChar:
      case Step::prepareReconversion:
      case Step::convertSentence:
      case Step::finishPick:
      case Step::startCandidates:
      case Step::refreshCandidateList:
        converted = converted || step == Step::convertSentence;
        step = run(step);
        continue;
      default:
        break;
    }
    break;
  }
  if (converted) {
    // What the tails of a pass do to the texts: the sentence shown, the per-word markers.
    b.rText7.text = b.text7.text;
    if (fluencyFirst()) {
      c_.web.cloudText = p.hjziir;
      b.text7.text = b.rtext2.text;
    }
    p.tex70 = b.text7.text;
    p.hjzils1.clear();
    c_.conv.wordCounter = 0;
  }
  c_.comp.lastCode = p.rtexys;
  c_.conv.bmstruhci = p.rtexys;
  c_.comp.lastCaretPos = len(b.rtext1.text);
  p.typedCodeSeen = b.rtext1.text;
}

// The per-pass mirrors of the settings: the code-key set, the association start and the
// word-length window.
void InputPass::mirrors() {
  Settings& s = c_.settings;
  PassState& p = c_.pass;
  publishCodeChars(p, s.mayrji, s.fumayrji);
  std::int32_t association = roundHalfEven(leadingNumber(s.iqlxms));
  if (association < 2) {
    association = 2;
    s.iqlxms = u"2";
  }
  p.associationStartLen = association;
  const std::u16string& range = s.wordLengthRange;
  const std::size_t to = range.find(u'到');
  if (to != std::u16string::npos) {
    std::u16string low = range.substr(0, to), high = range.substr(to + 1);
    if (high.find(u'到') != std::u16string::npos) high = high.substr(0, high.find(u'到'));
    if (low.empty()) low = u"2";
    if (high.empty()) high = u"7";
    const auto lo = number(low), hi = number(high);
    if (lo && hi) {
      c_.conv.wordMinLen = roundHalfEven(*lo);
      c_.conv.wordMaxLen = roundHalfEven(*hi);
    }
  }
}

}  // namespace yz
