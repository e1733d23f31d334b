#include "input/commit.h"

#include <cstdint>
#include <string>

namespace yz {
namespace {

constexpr int kVkControl = 17;
constexpr int kVkV = 86;
constexpr int kClipboardSettleMs = 10;
constexpr int kLearningWaitMs = 10;

void replaceAll(std::u16string& s, char16_t from, std::u16string_view to) {
  for (std::size_t at = s.find(from); at != std::u16string::npos; at = s.find(from, at + to.size())) {
    s.replace(at, 1, to);
  }
}

}  // namespace

bool Committer::chosen(const std::u16string& str4) const {
  if (str4.empty() || str4.size() == 1) return false;
  if (c_.comp.modifyMode != 0) return true;
  const std::u16string& a0 = c_.comp.a0;
  const std::u16string& keys = c_.pass.quickSelectKeys;
  // No last key (a click, a command) counts as a quick-select key while there are any.
  if (a0.empty()) return !keys.empty();
  return keys.find(a0) != std::u16string::npos;
}

void Committer::prepareChosen(std::u16string& str4) {
  const std::string pageSize = std::to_string(c_.mirror.pageSize);
  c_.settings.hxgu.assign(pageSize.begin(), pageSize.end());
  c_.settings.uphx = c_.mirror.verticalListSetting != 0;
  c_.settings.hphx = c_.mirror.verticalListSetting == 0;
  replaceAll(str4, u'`', u"\r\n");
  c_.pass.rtexys.clear();
  c_.win.boxes.rtext1.text.clear();
  c_.win.lastSegmentDisplay.clear();
  c_.win.segmentDisplayParity = 0;
  c_.win.tim0 = 0;
  // The running context record of 上文动态造词: the texts and the initials of their codes.
  if (str4.find(u'*') == std::u16string::npos && c_.settings.qjzc == 1) {
    c_.comp.cnuhwf += str4;
    c_.comp.enuhwf += initialsOf(str4);
  }
  // A text ending in "*" keeps its asterisks and its characters.
  if (str4.back() != u'*') {
    replaceAll(str4, u'*', u"\r\n");
    str4 = c_.platform.fromGbk(c_.platform.toGbk(str4));
  }
}

// One initial for every character of the text, so that the record's text and initials stay
// aligned: the first letter of each character's code. A text that does not encode as a whole at
// a fixed number of letters a character (letters, marks among the characters) is encoded one
// character at a time; a character without a code stands for itself.
std::u16string Committer::initialsOf(const std::u16string& text) {
  std::u16string bm;
  c_.citcbmma(text, bm, c_.web.pinyinQuery);
  std::u16string initials;
  const std::size_t per = text.empty() ? 0 : bm.size() / text.size();
  if ((per == 2 || per == 3) && bm.size() == per * text.size() &&
      bm.find(u' ') == std::u16string::npos) {
    for (std::size_t i = 0; i < bm.size(); i += per) initials.push_back(bm[i]);
    return initials;
  }
  for (char16_t ch : text) {
    c_.citcbmma(std::u16string(1, ch), bm, c_.web.pinyinQuery);
    const bool coded = !bm.empty() && bm[0] >= u'a' && bm[0] <= u'z';
    initials.push_back(coded ? bm[0] : (ch >= u'A' && ch <= u'Z' ? static_cast<char16_t>(ch - u'A' + u'a') : ch));
  }
  return initials;
}

bool Committer::putOnClipboard(std::u16string_view text) {
  try {
    c_.platform.clearClipboard();
    c_.platform.setClipboardText(text);
  } catch (const PlatformError&) {
    return false;
  }
  return true;
}

void Committer::sendPasteKeys() {
  Platform& p = c_.platform;
  c_.comp.sendingPasteKeys = -1;
  p.sendKeyEvent(kVkControl, p.scanCodeOf(kVkControl), false);
  p.sendKeyEvent(kVkV, p.scanCodeOf(kVkV), false);
  p.sendKeyEvent(kVkV, p.scanCodeOf(kVkV), true);
  p.sendKeyEvent(kVkControl, p.scanCodeOf(kVkControl), true);
  // The four events pass through the hook while the flag lets them by.
  p.doEvents();
  c_.comp.sendingPasteKeys = 0;
}

void Committer::resetAfterCommit() {
  c_.comp.a0.clear();
  c_.win.rhkl = false;  // the next composition's first letters move the window clear of the caret
  c_.race.raceMode = 0;
  composition_.clearCompositionCells();
  c_.conv.eraseWordTable();
  c_.pass.tex70 = c_.pass.tex7;
  c_.win.boxes.Text5.text.clear();
  c_.win.boxes.Text1 = {};
  takeUpTypedAhead();
  c_.conv.qrbuir.clear();
  c_.pass.maxHitIndex = 0;
  c_.pass.rtexys.clear();
  c_.pass.jsq1 = 0;
}

// Keys typed while the commit waited for its pass join the code line; a Space among them asks
// for the commit of the code before it, and the keys after it wait for that commit.
void Committer::takeUpTypedAhead() {
  std::u16string& ahead = c_.comp.typedAhead;
  if (ahead.empty()) return;
  const std::size_t space = ahead.find(u' ');
  c_.win.boxes.Text1.text += ahead.substr(0, space);
  ahead.erase(0, space == std::u16string::npos ? ahead.size() : space + 1);
  if (space != std::u16string::npos && !c_.win.boxes.Text1.text.empty()) {
    c_.comp.pendingCommand = kPendingCommitSentence;
  }
  c_.caretToEnd();
}

void Committer::finish() {
  c_.setTimer1(true);
  if (c_.win.boxes.Text1.text.empty()) {
    // Shown top-most where it stands, not activated, at size 0 x 0 until the next layout.
    c_.win.form1.width = 0;
    c_.win.form1.height = 0;
    c_.win.form1.visible = true;
    c_.win.form1.topMost = true;
  }
  c_.win.externalTarget = -1;
}

void Committer::qqdz(std::u16string& str4) {
  const bool learn = chosen(str4);
  if (learn) prepareChosen(str4);
  c_.comp.pendingCommand = kPendingNone;
  if (c_.win.targetProcessId == 0 && c_.win.externalTarget == -1) {
    composition_.escjm();
    return;
  }
  if (str4.empty()) {
    // Nothing to deliver: the clipboard and the composition stay as they are.
    c_.comp.lastCommitCode = c_.win.boxes.rtext1.text;
    c_.comp.lastCommitText.clear();
    takeUpTypedAhead();
    finish();
    return;
  }
  // The caller's text may be a box that the reset below empties or a key edits during a wait.
  const std::u16string text = str4;
  const bool viaClipboard = c_.settings.jtb == 1;
  const bool delivered = viaClipboard ? putOnClipboard(text) : subPostString(c_.win.h, text);
  if (!delivered) {
    finish();
    return;
  }
  c_.comp.lastCommitCode = c_.win.boxes.rtext1.text;
  c_.comp.lastCommitText = text;
  c_.comp.lastCommitWindow = c_.win.h;
  c_.win.form1.width = 0;
  c_.win.form1.height = 0;
  // Word learning gets the composition as the commit ended it.
  CommittedComposition before;
  if (learn) {
    before = {c_.comp.modifyMode, c_.pass.bmstr, c_.win.boxes.text7.text, c_.comp.lastCode};
  }
  // The text is out: whatever fails after this point, the composition is reset and the input
  // timer runs again, so the same text is never delivered twice. The reset comes first, so keys
  // typed during the waits below, learning included, start a new code.
  AfterDelivery after(*this);
  after.reset();
  if (viaClipboard) {
    delay(kClipboardSettleMs);
    delay(kClipboardSettleMs);
    sendPasteKeys();
  }
  if (learn) {
    delay(kLearningWaitMs);
    c_.learning->yhck(text, before);
  }
}

Committer::AfterDelivery::~AfterDelivery() {
  try {
    reset();
    committer_.finish();
  } catch (...) {
    // Nothing here depends on the platform but the timer; a failure there must not end the program.
  }
}

void Committer::AfterDelivery::reset() {
  if (resetDone_) return;
  resetDone_ = true;
  committer_.resetAfterCommit();
}

bool Committer::subPostString(WindowId hwnd, std::u16string_view strP) {
  for (char16_t ch : strP) {
    if (!c_.platform.postChar(hwnd, ch)) return false;
  }
  return true;
}

void Committer::delay(int t) {
  const std::uint32_t start = c_.platform.clockMs();
  do {
    c_.platform.doEvents();
    c_.platform.sleepMs(1);
  } while (c_.platform.clockMs() - start < static_cast<std::uint32_t>(t < 0 ? 0 : t));
}

}  // namespace yz
