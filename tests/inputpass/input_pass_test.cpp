#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "lexicon/utf.h"
#include "main/sim_driver.h"

namespace yz {
namespace {

// A small main lexicon and the single characters of its two-letter codes.
void fillLexicon(App& app) {
  const std::vector<std::pair<std::u16string, std::u16string>> main = {
      {u"hk", u"好 080 号 090"}, {u"mf", u"们 080 门 090"}, {u"ni", u"你 080 尼 090"},
      {u"nihk", u"你好 080"},     {u"wo", u"我 080 窝 090"}, {u"womf", u"我们 080"},
  };
  auto fill = [](LexiconTable& table, const auto& entries, bool singleOnly) {
    table.reset();
    for (const auto& [code, line] : entries) {
      if (singleOnly && code.size() != 2) continue;
      table.codes.push(code);
      table.lines.push(line);
      ++table.last;
    }
  };
  fill(app.lex.mainLexicon, main, false);
  fill(app.lex.charLexicon, main, true);
  app.lex.userLexicon.reset();
}

struct PassRig {
  PassRig() {
    fillLexicon(*session.app);
    if (!session.platform.keyboardHookInstalled()) session.app->input.hook.installKeyboardHook();
  }
  std::vector<SimStep> type(std::u16string_view script) { return session.type(script); }
  SimSession session;
};

TEST(InputPass, KeyScriptsCommitTextAndShowTheWindow) {
  struct Case {
    std::u16string script;
    std::string target;  // committed into the notepad
    bool windowShown;    // after the last step
  };
  const std::vector<Case> cases = {
      {u"nihk space", "你好", false},
      {u"nihkwomf space", "你好我们", false},
      {u"nihk enter", "nihk", false},
      {u",", "，", false},
      {u"nihk , womf space", "你好，我们", false},
      {u"nihkwo backspace backspace space", "你好", false},
      {u"ni backspace backspace", "", false},
      {u"nihk", "", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(toUtf8(c.script));
    PassRig rig;
    const auto steps = rig.type(c.script);
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ(toUtf8(steps.back().targetText), c.target);
    EXPECT_EQ(steps.back().window.visible, c.windowShown);
  }
}

TEST(InputPass, SentenceLineShowsTheConvertedCode) {
  PassRig rig;
  const auto steps = rig.type(u"nihk womf");
  const std::string shown = SimSession::describe(steps.back());
  EXPECT_NE(shown.find("sentence: 你好我们"), std::string::npos) << shown;
  EXPECT_NE(shown.find("code:     nihkwomf"), std::string::npos) << shown;
}

TEST(InputPass, EnterCommitsTheSentenceWhenAsked) {
  PassRig rig;
  rig.session.app->settings.hiup = 1;
  EXPECT_EQ(toUtf8(rig.type(u"nihk enter").back().targetText), "你好");
}

// Command codes typed one letter at a time run when their last letter arrives.
TEST(InputPass, TypedCommandCodesRunAndClearTheCode) {
  PassRig rig;
  App& app = *rig.session.app;
  rig.type(u"j u b f");
  ASSERT_EQ(rig.session.platform.startedPrograms.size(), 1u);
  EXPECT_EQ(rig.session.platform.startedPrograms[0].substr(rig.session.platform.startedPrograms[0].size() - 11),
            u"notepad.exe");
  EXPECT_TRUE(app.win.boxes.rtext1.text.empty());
  EXPECT_TRUE(app.win.boxes.Text1.text.empty());
  rig.type(u"h u v j");
  EXPECT_TRUE(app.settings.huvj);
  EXPECT_FALSE(app.settings.ilmvj);
  EXPECT_TRUE(app.win.boxes.rtext1.text.empty());
  EXPECT_EQ(toUtf8(rig.session.target.text), "");
}

TEST(InputPass, CaretMoveReconvertsItsSegment) {
  PassRig rig;
  rig.type(u"nihkwomf");
  App& app = *rig.session.app;
  // The user clicks into the code line between the two words.
  app.win.boxes.Text1.selStart = 4;
  rig.session.platform.setTimer(app.pass.timer1, kInputTimerIntervalMs, true);
  rig.session.platform.advance(kInputTimerIntervalMs);
  rig.session.platform.settle();
  EXPECT_EQ(toUtf8(app.win.boxes.text7.text), "你好我们");
  EXPECT_EQ(toUtf8(app.pass.codeLeftOfCaret), "nihk");
  EXPECT_EQ(toUtf8(app.pass.codeRightOfCaret), "womf");
}

}  // namespace
}  // namespace yz
