// The inline commands of the input pass on the simulated desktop: the undo command, the F7
// selection grab with the reverse lookup, and the pause fix of the tail word.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "lexicon/utf.h"
#include "main/sim_driver.h"

namespace yz {
namespace {

constexpr int kVkBack = 8;
constexpr int kVkF7 = 0x76;

struct InlineRig {
  InlineRig() {
    const std::vector<std::pair<std::u16string, std::u16string>> main = {
        {u"hk", u"好 080"}, {u"mf", u"们 080"}, {u"ni", u"你 080"},
        {u"nihk", u"你好 080"}, {u"wo", u"我 080"}, {u"womf", u"我们 080"},
    };
    App& app = *session.app;
    for (LexiconTable* table : {&app.lex.mainLexicon, &app.lex.charLexicon}) {
      table->reset();
      for (const auto& [code, line] : main) {
        if (table == &app.lex.charLexicon && code.size() != 2) continue;
        table->codes.push(code);
        table->lines.push(line);
        ++table->last;
      }
    }
    app.lex.userLexicon.reset();
    if (!session.platform.keyboardHookInstalled()) app.input.hook.installKeyboardHook();
  }
  App& app() { return *session.app; }
  SimPlatform& platform() { return session.platform; }
  int backspacesSent() const {
    return static_cast<int>(std::count_if(session.platform.sentKeys.begin(), session.platform.sentKeys.end(),
                                          [](const SimKeyRecord& k) { return k.vk == kVkBack && !k.up; }));
  }
  // One input pass now, as the timer would run it.
  void pass() {
    platform().setTimer(app().pass.timer1, kInputTimerIntervalMs, true);
    platform().advance(kInputTimerIntervalMs);
    platform().settle();
  }
  SimSession session;
};

TEST(InlineCommands, UndoTakesTheLastCommitBackOnce) {
  InlineRig rig;
  rig.session.type(u"nihk space");
  ASSERT_EQ(toUtf8(rig.session.target.text), "你好");
  rig.session.type(u"fuku");
  EXPECT_EQ(toUtf8(rig.session.target.text), "");
  EXPECT_EQ(rig.backspacesSent(), 2);
  EXPECT_EQ(toUtf8(rig.app().win.boxes.rtext1.text), "nihk");  // the code is back in the code line
  EXPECT_EQ(toUtf8(rig.app().win.boxes.Text1.text), "nihk");
  EXPECT_EQ(toUtf8(rig.app().win.boxes.text7.text), "你好");  // and its sentence, not an older one
  rig.session.type(u"space");
  EXPECT_EQ(toUtf8(rig.session.target.text), "你好");

  // The undone commit was committed again; a second undo takes that one, and a third finds
  // nothing to take.
  rig.session.type(u"fuku");
  EXPECT_EQ(rig.backspacesSent(), 4);
  rig.session.type(u"esc");
  rig.session.type(u"fuku");
  EXPECT_EQ(rig.backspacesSent(), 4);
  EXPECT_EQ(toUtf8(rig.session.target.text), "");
  EXPECT_TRUE(rig.app().win.boxes.rtext1.text.empty());
}

TEST(InlineCommands, UndoSendsNothingIntoAnotherWindow) {
  InlineRig rig;
  rig.session.type(u"nihk space");
  SimWindow& other = rig.platform().addWindow(u"其他", u"Edit");
  other.text = u"别动";
  other.caret = 2;
  rig.platform().focus(other.id);
  rig.session.type(u"fuku");
  EXPECT_EQ(rig.backspacesSent(), 0);
  EXPECT_EQ(toUtf8(other.text), "别动");
  EXPECT_EQ(toUtf8(rig.session.target.text), "你好");
}

TEST(InlineCommands, F7GrabsTheSelectionIntoTheCodeLine) {
  InlineRig rig;
  rig.session.target.text = u"我们你好";
  rig.session.target.caret = 0;
  rig.session.target.selectionLength = 2;
  rig.platform().queueKey(kVkF7, false);
  rig.platform().settle();
  rig.platform().advance(kInputTimerIntervalMs);
  rig.platform().settle();
  rig.platform().queueKey(kVkF7, true);
  rig.platform().settle();
  EXPECT_EQ(toUtf8(rig.platform().clipboardText()), "我们");
  rig.session.type(u"space");
  // The grabbed text is committed at the caret (before the selection, which was only copied).
  EXPECT_EQ(toUtf8(rig.session.target.text), "我们我们你好");
  EXPECT_EQ(rig.app().comp.grabPending, 0);
}

TEST(InlineCommands, ReverseLookupOfAChineseTextOnly) {
  InlineRig rig;
  rig.app().win.boxes.Text1 = {u"你好", 2};
  rig.pass();
  EXPECT_EQ(toUtf8(rig.app().win.boxes.text7.text), "你好");
  rig.session.type(u"space");
  EXPECT_EQ(toUtf8(rig.session.target.text), "你好");

  // A code line that starts with a Latin letter is no Chinese text.
  rig.app().win.boxes.text7.text.clear();
  rig.app().win.boxes.Text1 = {u"w你", 2};
  rig.pass();
  EXPECT_NE(toUtf8(rig.app().win.boxes.text7.text), "w你");
}

TEST(InlineCommands, PauseFixNeedsMoreThanTheDelayAfterAnAuxiliaryLetter) {
  InlineRig rig;
  App& app = rig.app();
  app.settings.fcuj = u"1.5";
  rig.session.type(u"nihk");
  auto run = [&](std::uint32_t pauseMs, std::u16string code, std::u16string text) {
    app.conv.tailCode = std::move(code);
    app.conv.tailText = std::move(text);
    app.conv.tailFixed = 0;
    app.pass.lastNewKeyTime = rig.platform().clockMs() - pauseMs;
    app.passRunner.Timer1_Timer();
    return app.conv.tailFixed == 1;
  };
  const std::int32_t segments = app.comp.segmentCount;
  EXPECT_FALSE(run(1500, u"nihkx", u"你好"));  // exactly the delay
  EXPECT_FALSE(run(1600, u"nihk", u"你好"));   // no auxiliary letter
  EXPECT_FALSE(run(1600, u"nihkwomfx", u"你好我们"));
  EXPECT_EQ(app.comp.segmentCount, segments);
  EXPECT_TRUE(run(1501, u"nihkx", u"你好"));
  EXPECT_EQ(app.comp.segmentCount, segments + 1);
  EXPECT_TRUE(app.conv.tailCode.empty());
  app.settings.fcuj = u"0";  // off
  EXPECT_FALSE(run(100000, u"nix", u"你"));
  app.settings.fcuj = u"1000000";  // the design value: never in practice
  EXPECT_FALSE(run(100000, u"nix", u"你"));
}

// The pause is measured on the one millisecond clock that wraps at 2^32 (about 49.7 days of
// uptime): a key typed past 2^31, or a pause across 2^31 or 2^32, is timed like any other.
TEST(InlineCommands, PauseFixTimesThePauseNearTheClockHalvesAndItsWrap) {
  for (const std::uint32_t start : {0x7FFFFC00u, 0x80001000u, 0xFFFFFC00u}) {
    for (const auto& [pauseMs, fixes] : {std::pair{1000u, false}, std::pair{1600u, true}}) {
      SCOPED_TRACE(testing::Message() << start << " + " << pauseMs);
      InlineRig rig;
      App& app = rig.app();
      app.settings.fcuj = u"1.5";
      rig.platform().setClock(start);
      rig.session.type(u"nihk");
      const std::uint32_t typed = app.pass.lastNewKeyTime;
      EXPECT_LT(typed - start, 1000u);  // stored as the clock gives it
      // One pass `pauseMs` after the last key, with a qualifying tail.
      app.conv.tailCode = u"nihkx";
      app.conv.tailText = u"你好";
      app.conv.tailFixed = 0;
      rig.platform().advance(pauseMs - (rig.platform().clockMs() - typed));
      app.passRunner.Timer1_Timer();
      EXPECT_EQ(app.conv.tailFixed == 1, fixes);
    }
  }
}

}  // namespace
}  // namespace yz
