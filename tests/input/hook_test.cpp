// Key routing and code-line editing of the keyboard hook, driven through the simulated desktop.

#include <gtest/gtest.h>

#include "input_rig.h"

namespace yz {
namespace {

struct KeyCase {
  const char16_t* keys;
  const char* answers;  // per key event, down and up
  const char* code;
  int pendingCommand;
  const char* pendingText;
  const char* target = "";
};

const KeyCase kKeyCases[] = {
    // Letters, digits and punctuation build the code.
    {u"ni", "-1 0 -1 0", "ni", 0, ""},
    {u"ni1", "-1 0 -1 0 -1 0", "ni1", 0, ""},
    {u"ni;", "-1 0 -1 0 -1 0", "ni;", 0, ""},
    {u"nih backspace", "-1 0 -1 0 -1 0 -1 0", "ni", 0, ""},
    // Shift with a code reaches the target, its release too; the mark is appended shifted.
    {u"ni:", "-1 0 -1 0 next -1 0 0", "ni:", 0, ""},
    // The back-quote's press reached the target, so its release does too; the code takes "`".
    {u"ni backquote", "-1 0 -1 0 next next", "ni`", 0, "", "`"},
    {u"ni space", "-1 0 -1 0 -1 0", "ni", 1, ""},
    {u"ni enter", "-1 0 -1 0 -1 0", "ni", 3, ""},
    {u"ni esc", "-1 0 -1 0 -1 0", "", 0, ""},
    // A held letter: the quick repeat takes the press and its first repeat and asks for
    // instant modify; further repeats are dropped while the code keeps more than 3 letters.
    {u"nihkwk wait:100 k k k", "-1 0 -1 0 -1 0 -1 0 -1 0 -1 0 -1 0 -1 0 -1 0", "nihkw", 4, ""},
    {u"nihk wait:100 k k k", "-1 0 -1 0 -1 0 -1 0 -1 0 -1 0 -1 0", "nihk", 4, ""},
    {u"nih k", "-1 0 -1 0 -1 0 -1 0", "nihk", 0, ""},
    // Without a code: marks are queued for the next pass in their Chinese forms.
    {u",", "-1 0", "", 10, "，"},
    {u"<", "-1 -1 0 -1", "", 10, "《"},
    {u"_", "-1 -1 0 -1", "", 10, "——"},
    {u"A", "-1 -1 0 -1", "", 10, "A"},
    // The shifted quote flips the single quotes too: the third key opens again.
    {u"' \" '", "-1 0 -1 -1 0 -1 -1 0", "", 10, "‘“‘"},
    {u"' ' \" \"", "-1 0 -1 0 -1 -1 0 -1 -1 -1 0 -1", "", 10, "‘’“”"},
    {u", ni", "-1 0 -1 0 -1 0", "ni", 10, "，"},
    {u"lctrl . ^", "next 0 -1 0 -1 -1 0 -1", "", 10, ".^"},
    {u"- =", "next 0 next 0", "", 0, "", "-="},
    {u"1", "0 0", "", 0, "", "1"},
    {u"space", "next 0", "", 0, "", " "},
    {u"esc", "0 0", "", 0, ""},
    {u"alt", "next 0", "", 9, ""},
    // Caps Lock: a capital passes with an empty code and is appended to a code.
    {u"capslock a capslock ni capslock a", "next 0 0 0 next 0 -1 0 -1 0 next 0 -1 0", "niA", 0, "",
     "A"},
    // The back-quote switches to the system input method and back.
    {u"backquote n backquote", "-1 0 0 0 -1 0", "", 0, "", "n"},
};

TEST(KeyboardHook, KeySequencesGiveAnswersCodeAndPendingCommands) {
  for (const KeyCase& c : kKeyCases) {
    SCOPED_TRACE(toUtf8(c.keys));
    Rig rig;
    rig.type(c.keys);
    EXPECT_EQ(rig.answers(), c.answers);
    EXPECT_EQ(rig.code(), c.code);
    EXPECT_EQ(rig.app.comp.pendingCommand, c.pendingCommand);
    EXPECT_EQ(rig.pendingText(), c.pendingText);
    EXPECT_EQ(toUtf8(rig.target.text), c.target);
  }
}

TEST(KeyboardHook, KeysOtherProgramsInjectAreTypingAndTheProgramsOwnPass) {
  Rig rig;
  for (int vk : {'N', 'I'}) {  // an on-screen keyboard
    rig.sim.queueKey(vk, false, kKeyInjected);
    rig.sim.queueKey(vk, true, kKeyInjected);
  }
  rig.sim.doEvents();
  EXPECT_EQ(rig.answers(), "-1 0 -1 0");
  EXPECT_EQ(rig.code(), "ni");

  rig.sim.hookAnswers.clear();
  rig.sim.sendKeyEvent('H', rig.sim.scanCodeOf('H'), false);  // the program's own key
  rig.sim.sendKeyEvent('H', rig.sim.scanCodeOf('H'), true);
  rig.sim.doEvents();
  EXPECT_EQ(rig.answers(), "next next");
  EXPECT_EQ(rig.code(), "ni");
}

TEST(KeyboardHook, EveryKeyDownSwitchesTheInputTimerOn) {
  Rig rig;
  ASSERT_FALSE(rig.sim.timerEnabled(rig.app.pass.timer1));
  rig.sim.typeKeys(u"n");
  rig.sim.doEvents();
  EXPECT_TRUE(rig.sim.timerEnabled(rig.app.pass.timer1));
  EXPECT_TRUE(rig.app.win.form1.visible);
  EXPECT_TRUE(rig.app.win.form1.topMost);
}

TEST(KeyboardHook, FollowTypingInEnglishPassesEveryKey) {
  Rig rig;
  rig.type(u"lctrl");
  rig.app.settings.gdms = true;
  rig.sim.setTimer(rig.app.pass.timer1, kTimer1IntervalMs, false);
  rig.sim.hookAnswers.clear();
  rig.type(u"ni,");
  EXPECT_EQ(rig.answers(), "0 0 0 0 0 0");
  EXPECT_EQ(toUtf8(rig.target.text), "ni,");
  EXPECT_FALSE(rig.sim.timerEnabled(rig.app.pass.timer1));
}

TEST(KeyboardHook, CaretInsideTheCodeLetsKeysThroughButSpaceAndEscape) {
  Rig rig;
  rig.type(u"nihk");
  rig.app.win.boxes.Text1.selStart = 2;
  rig.sim.hookAnswers.clear();
  rig.type(u"a 1");
  EXPECT_EQ(rig.answers(), "0 0 0 0");
  EXPECT_EQ(rig.code(), "nihk");

  rig.type(u"space");
  EXPECT_EQ(rig.app.comp.pendingCommand, kPendingCommitSentence);

  rig.app.win.boxes.Text1.selStart = 1;
  rig.aimAtTarget();
  rig.sim.focus(0);
  rig.sim.hookAnswers.clear();
  rig.type(u"esc");
  EXPECT_EQ(rig.answers(), "-1 0");
  EXPECT_EQ(rig.app.win.boxes.Text1.selStart, 4);
  EXPECT_EQ(rig.app.comp.lastCaretPos, 4);
  EXPECT_EQ(rig.code(), "nihk");
  EXPECT_EQ(rig.sim.foregroundWindow(), rig.target.id);  // the target program is active again
}

TEST(KeyboardHook, LongSentenceRefusesLettersButNotDigitsOrMarks) {
  Rig rig;
  rig.compose(u"nihk", std::u16string(26, u'好'));
  rig.type(u"a 1 ;");
  EXPECT_EQ(rig.code(), "nihk1;");
  EXPECT_EQ(rig.answers(), "-1 0 -1 0 -1 0");
}

TEST(KeyboardHook, BackspaceOverSegmentBoundaries) {
  Rig rig;
  // The code ends with a segment space: the space and the letter before it go.
  rig.compose(u"nihk ", u"你好");
  rig.app.comp.segmentCount = 1;
  rig.type(u"backspace");
  EXPECT_EQ(rig.code(), "nih");
  EXPECT_EQ(rig.app.comp.segmentCount, 0);

  // One letter after a boundary: the sentence is cut back to the end of the last segment.
  rig.compose(u"nihk w", u"你好我");
  rig.app.comp.segmentCount = 1;
  rig.app.comp.segmentTextEnds[1] = 2;
  rig.app.win.boxes.hxl.text = u"1.我 2.窝";
  rig.type(u"backspace");
  EXPECT_EQ(rig.code(), "nihk ");
  EXPECT_EQ(toUtf8(rig.app.win.boxes.text7.text), "你好");
  EXPECT_EQ(rig.app.win.boxes.hxl.text, u"");
  EXPECT_EQ(rig.app.comp.lastCode, u"nihk ");
  EXPECT_EQ(rig.app.comp.lastCaretPos, 5);
  EXPECT_EQ(rig.window.zdusCalls, 1);  // laid out again only when the cut happened

  // A space for which no segment is recorded: nothing is read below the first segment.
  for (const char16_t* code : {u"a ", u" ", u"a b "}) {
    SCOPED_TRACE(toUtf8(code));
    rig.compose(code, u"");
    rig.app.comp.clearSegments();
    rig.type(u"backspace");
    EXPECT_EQ(rig.app.comp.segmentCount, 0);
  }
  EXPECT_EQ(rig.code(), "a ");
}

TEST(KeyboardHook, UnderscoreAmongTheCodeKeysTakesSpaces) {
  Rig rig;
  rig.app.pass.codeChars = u"_abcdefghijklmnopqrstuvwxyz";
  rig.type(u"space ni space");
  EXPECT_EQ(rig.code(), "_ni_");
  EXPECT_EQ(rig.app.comp.pendingCommand, 0);

  // After a one-letter last item a space becomes "_" too.
  Rig other;
  other.app.pass.codeChars = u"abcdefghijklmnopqrstuvwxyz_";
  other.app.conv.lastItemOneLetter = 1;
  other.type(u"n space");
  EXPECT_EQ(other.code(), "n_");
}

TEST(KeyboardHook, UnderscoreQuickKeyAppendsOnTheSpaceRelease) {
  Rig rig;
  rig.app.pass.quickSelectKeys = u"_;'";
  rig.type(u"ni space");
  EXPECT_EQ(rig.answers(), "-1 0 -1 0 -1 -1");
  EXPECT_EQ(rig.code(), "ni_");
  EXPECT_EQ(rig.app.comp.pendingCommand, 0);
}

TEST(KeyboardHook, InstallTwiceKeepsOneHookAndRemoveTwiceStaysRemoved) {
  Rig rig;
  KeyboardHook& hook = rig.app.input.hook;
  hook.installKeyboardHook();
  hook.installKeyboardHook();
  rig.type(u"n");
  EXPECT_EQ(rig.sim.hookAnswers.size(), 2u);  // each event handled once
  EXPECT_EQ(rig.code(), "n");

  rig.app.comp.platformMode = -1;  // system mode with the hook kept
  hook.installKeyboardHook();
  EXPECT_EQ(rig.app.comp.platformMode, 1);
  EXPECT_EQ(rig.app.comp.capsLockState, -1);

  hook.removeKeyboardHook();
  hook.removeKeyboardHook();
  EXPECT_FALSE(rig.sim.keyboardHookInstalled());
  EXPECT_EQ(rig.app.comp.hookHandle, 0u);
  EXPECT_EQ(rig.app.comp.hookActive, -1);
  EXPECT_EQ(rig.app.comp.platformMode, -1);
  EXPECT_EQ(rig.app.win.platformLabel, u"\r\n系统");
}

TEST(KeyboardHook, RefusedInstallationKeepsSystemModeTellsTheUserAndIsRetried) {
  Rig rig;
  KeyboardHook& hook = rig.app.input.hook;
  hook.removeKeyboardHook();
  rig.sim.refuseHook = true;
  hook.installKeyboardHook();
  EXPECT_EQ(rig.app.comp.hookActive, -1);
  EXPECT_EQ(rig.app.comp.platformMode, -1);
  EXPECT_EQ(rig.app.win.platformLabel, u"\r\n系统");
  ASSERT_EQ(rig.sim.messageBoxes.size(), 1u);

  rig.sim.refuseHook = false;
  hook.installKeyboardHook();
  EXPECT_TRUE(rig.sim.keyboardHookInstalled());
  EXPECT_EQ(rig.app.comp.hookActive, 1);
  EXPECT_EQ(rig.app.win.platformLabel, u"\r\n砚舟");
}

}  // namespace
}  // namespace yz
