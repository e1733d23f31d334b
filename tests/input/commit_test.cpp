// Committing into the target program: posted characters, the clipboard path, the rules of a
// chosen text and the wait routine.

#include <gtest/gtest.h>

#include "input_rig.h"

namespace yz {
namespace {

void commit(Rig& rig, std::u16string text) { rig.app.input.committer.qqdz(text); }

TEST(Commit, PostsGbkBytesToAnAnsiTargetAndUtf16ToAUnicodeTarget) {
  for (bool unicode : {false, true}) {
    SCOPED_TRACE(unicode ? "unicode" : "ansi");
    Rig rig;
    rig.target.unicode = unicode;
    rig.aimAtTarget();
    rig.compose(u"a", u"啊");
    commit(rig, u"啊a");
    ASSERT_EQ(rig.sim.postedChars.size(), 2u);
    EXPECT_EQ(rig.sim.postedChars[0].window, rig.target.id);
    EXPECT_EQ(rig.sim.postedChars[0].value, unicode ? 0x554A : 0xA1B0);  // B0 low, A1 high
    EXPECT_EQ(rig.sim.postedChars[1].value, 0x61);
    EXPECT_EQ(toUtf8(rig.target.text), "啊a");
    // Recorded for the undo code, and the composition is over.
    EXPECT_EQ(rig.app.comp.lastCommitCode, u"a");
    EXPECT_EQ(rig.app.comp.lastCommitText, u"啊a");
    EXPECT_EQ(rig.code(), "");
    EXPECT_EQ(rig.app.win.boxes.text7.text, u"");
    EXPECT_EQ(rig.app.comp.pendingCommand, 0);
    EXPECT_TRUE(rig.sim.timerEnabled(rig.app.pass.timer1));
    EXPECT_TRUE(rig.learning.learned.empty());  // Space and Enter commits learn nothing
  }
}

TEST(Commit, ClipboardPathPastesWithCtrlV) {
  Rig rig;
  rig.aimAtTarget();
  rig.app.settings.jtb = 1;
  rig.compose(u"nihk", u"你好");
  commit(rig, u"你好");
  EXPECT_EQ(toUtf8(rig.sim.clipboardText()), "你好");
  ASSERT_EQ(rig.sim.sentKeys.size(), 4u);
  const int ctrl = rig.sim.scanCodeOf(17), v = rig.sim.scanCodeOf(86);
  EXPECT_EQ(rig.sim.sentKeys[0].vk, 17);
  EXPECT_EQ(rig.sim.sentKeys[0].scanCode, ctrl);
  EXPECT_EQ(rig.sim.sentKeys[1].vk, 86);
  EXPECT_EQ(rig.sim.sentKeys[1].scanCode, v);
  EXPECT_TRUE(rig.sim.sentKeys[2].up);
  EXPECT_TRUE(rig.sim.sentKeys[3].up);
  // The hook let the synthesized keys through, so the target pasted.
  EXPECT_EQ(toUtf8(rig.target.text), "你好");
  EXPECT_TRUE(rig.sim.postedChars.empty());
  EXPECT_EQ(rig.app.comp.sendingPasteKeys, 0);
  EXPECT_EQ(rig.code(), "");
}

TEST(Commit, KeysTypedDuringTheClipboardWaitsStartANewCode) {
  Rig rig;
  rig.aimAtTarget();
  rig.app.settings.jtb = 1;
  rig.compose(u"nihk", u"你好");
  rig.sim.typeKeys(u"wo");  // typed while the commit waits
  commit(rig, u"你好");
  EXPECT_EQ(rig.code(), "wo");
  EXPECT_EQ(toUtf8(rig.target.text), "你好");
}

struct ChosenCase {
  const char* name;
  const char16_t* a0;
  int modifyMode;
  const char16_t* text;
  const char* delivered;
  bool learned;
  const char16_t* quickSelectKeys = u";'[]\\1234567890";
};

const ChosenCase kChosenCases[] = {
    {"back-quote by quick-select key", u";", 0, u"ab`cd", "ab\r\ncd", true},
    {"back-quote by Space", u"k", 0, u"ab`cd", "ab`cd", false},
    {"asterisk inside", u";", 0, u"ab*cd", "ab\r\ncd", true},
    {"asterisk last", u";", 0, u"a*b*", "a*b*", true},
    {"from instant modify", u"", 1, u"你们`好", "你们\r\n好", true},
    {"outside GBK", u";", 0, u"āĀ", "ā?", true},
    {"one character", u";", 0, u"`", "`", false},
    {"empty a0", u"", 0, u"ab`", "ab\r\n", true},
    {"empty a0 without quick-select keys", u"", 0, u"ab`", "ab`", false, u""},
};

TEST(Commit, ChosenTextsBreakLinesAndGoToWordLearning) {
  for (const ChosenCase& c : kChosenCases) {
    SCOPED_TRACE(c.name);
    Rig rig;
    rig.aimAtTarget();
    rig.app.pass.quickSelectKeys = c.quickSelectKeys;
    rig.app.comp.a0 = c.a0;
    rig.app.comp.modifyMode = c.modifyMode;
    rig.app.settings.hxgu = u"10";
    rig.compose(u"abcd", c.text);
    commit(rig, c.text);
    EXPECT_EQ(toUtf8(rig.target.text), c.delivered);
    ASSERT_EQ(rig.learning.learned.size(), c.learned ? 1u : 0u);
    if (c.learned) {
      EXPECT_EQ(toUtf8(rig.learning.learned[0]), c.delivered);
      EXPECT_EQ(rig.app.comp.lastCommitCode, u"");  // the code of a chosen text is not kept
      EXPECT_EQ(rig.app.settings.hxgu, u"5");
    } else {
      EXPECT_EQ(rig.app.comp.lastCommitCode, u"abcd");
      EXPECT_EQ(rig.app.settings.hxgu, u"10");
    }
    EXPECT_EQ(rig.app.comp.a0, u"");
  }
}

TEST(Commit, KeysTypedBeforeLearningStartANewCodeThatLearningLeavesAlone) {
  Rig rig;
  rig.aimAtTarget();
  rig.app.comp.modifyMode = 1;
  rig.compose(u"nihk w", u"你好我");
  rig.app.comp.segmentCount = 1;
  rig.app.comp.segmentTextEnds[1] = 2;
  rig.sim.typeKeys(u"n");  // handled inside the wait before learning, after the reset
  rig.app.input.committer.qqdz(rig.app.win.boxes.text7.text);
  ASSERT_EQ(rig.learning.learned.size(), 1u);
  EXPECT_EQ(toUtf8(rig.learning.learned[0]), "你好我");
  EXPECT_EQ(toUtf8(rig.target.text), "你好我");
  EXPECT_EQ(rig.code(), "n");  // the new code survives the end of the commit
}

TEST(Commit, ContextRecordKeepsChosenTextsAndTheirInitials) {
  Rig rig;
  rig.aimAtTarget();
  App& app = rig.app;
  app.settings.qjzc = 1;
  app.settings.ymur = false;
  app.settings.xmur = true;
  app.lex.charFullCodes.set(app.gbk.charIndex(u'你'), u"wqiy");
  app.lex.charFullCodes.set(app.gbk.charIndex(u'好'), u"vbg");
  app.comp.modifyMode = 1;
  commit(rig, u"你好");
  EXPECT_EQ(app.comp.cnuhwf, u"你好");
  EXPECT_EQ(app.comp.enuhwf, u"wv");
}

TEST(Commit, NoTargetResetsWithoutDelivering) {
  Rig rig;
  rig.compose(u"nihk", u"你好");
  commit(rig, u"你好");
  EXPECT_TRUE(rig.sim.postedChars.empty());
  EXPECT_EQ(rig.code(), "");
  EXPECT_EQ(rig.app.comp.lastCommitText, u"");
}

TEST(Commit, EmptyTextDeliversNothingAndKeepsClipboardAndComposition) {
  Rig rig;
  rig.aimAtTarget();
  rig.app.settings.jtb = 1;
  rig.sim.setClipboardText(u"剪贴板");
  rig.compose(u"nihk", u"");
  rig.app.comp.pendingCommand = kPendingCommitSentence;
  rig.app.win.externalTarget = 0;
  commit(rig, u"");
  EXPECT_EQ(toUtf8(rig.sim.clipboardText()), "剪贴板");
  EXPECT_TRUE(rig.sim.sentKeys.empty());
  EXPECT_EQ(rig.code(), "nihk");
  EXPECT_EQ(rig.app.comp.pendingCommand, 0);
  EXPECT_EQ(rig.app.win.externalTarget, -1);
  EXPECT_TRUE(rig.sim.timerEnabled(rig.app.pass.timer1));
}

TEST(Commit, FailedPostKeepsTheComposition) {
  Rig rig;
  rig.aimAtTarget();
  rig.app.win.h = 0xDEAD;  // the target window has gone
  rig.compose(u"nihk", u"你好");
  commit(rig, u"你好");
  EXPECT_EQ(rig.code(), "nihk");
  EXPECT_EQ(rig.app.win.boxes.text7.text, u"你好");
  EXPECT_EQ(rig.app.comp.lastCommitText, u"");
}

TEST(Commit, LongTextsArePostedWhole) {
  Rig rig;
  rig.aimAtTarget();
  std::u16string text(40000, u'好');
  commit(rig, text);
  EXPECT_EQ(rig.sim.postedChars.size(), 40000u);
  EXPECT_EQ(rig.app.comp.lastCommitText.size(), 40000u);
}

TEST(Delay, PumpsAtLeastOnceAndWaitsItsTime) {
  Rig rig;
  rig.sim.typeKeys(u"n");
  const std::uint32_t start = rig.sim.clockMs();
  rig.app.input.committer.delay(0);
  EXPECT_EQ(rig.code(), "n");  // the queued key ran inside the wait
  rig.app.input.committer.delay(20);
  EXPECT_GE(rig.sim.clockMs() - start, 20u);
}

}  // namespace
}  // namespace yz
