#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <random>
#include <set>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "lexicon/utf.h"
#include "main/sim_driver.h"
#include "../support/fixed_cloud.h"
#include "../support/make_table.h"

namespace yz {
namespace {

// A small main lexicon and the single characters of its two-letter codes.
void fillLexicon(App& app) {
  const std::vector<std::pair<std::u16string, std::u16string>> main = {
      {u"hk", u"好 080 号 090"}, {u"ma", u"吗 080 妈 090"}, {u"mf", u"们 080 门 090"},
      {u"ni", u"你 080 尼 090"}, {u"nihk", u"你好 080"},     {u"wo", u"我 080 窝 090"},
      {u"womf", u"我们 080"},
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
    // The start-up found no lexicon files in the program folder and ended the program; the rig
    // fills the lexicon in and runs on, so the program is not ending (its modal loops run).
    session.platform.quitRequested = false;
    if (!session.platform.keyboardHookInstalled()) session.app->input.hook.installKeyboardHook();
  }
  std::vector<SimStep> type(std::u16string_view script) { return session.type(script); }
  // Types a script one key at a time, `keyMs` apart on the clock, as a fast typist does: a key
  // name ("space", "enter", ...) is one key, any other token one key per character.
  std::u16string typeSpaced(std::u16string_view script, std::uint32_t keyMs) {
    SimPlatform& sim = session.platform;
    std::size_t pos = 0;
    while (pos < script.size()) {
      std::size_t end = std::min(script.find(u' ', pos), script.size());
      const std::u16string_view token = script.substr(pos, end - pos);
      const bool named = token == u"space" || token == u"enter" || token == u"backspace" ||
                         token == u"esc";
      for (std::size_t i = 0; i < (named ? 1 : token.size()); ++i) {
        sim.typeKeys(named ? token : token.substr(i, 1));
        sim.advance(keyMs);
      }
      pos = end + 1;
    }
    sim.settle();
    return session.target.text;
  }
  App& app() { return *session.app; }
  SimSession session;
};

// Online, with 输入准确度优先 and a sound code, behind a cloud that always gives `answer`; the
// program's own web services come back when it ends.
struct OnlineAccuracyFirst {
  OnlineAccuracyFirst(PassRig& rig, std::u16string answer)
      : app(rig.app()), cloud(app.web), kept(app.webServices) {
    cloud.answer = std::move(answer);
    app.webServices = &cloud;
    rig.session.platform.connected = true;
    app.settings.lidyx = false;
    app.settings.vqdyx = true;
    app.settings.ymur = true;
  }
  ~OnlineAccuracyFirst() { app.webServices = kept; }
  App& app;
  testing_support::FixedCloud cloud;
  WebServices* const kept;
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

// Under 输入准确度优先 with a sound code, a word whose lookup weight is 90 or more is known too
// weakly and takes the cloud sentence's characters; a stronger word keeps its own.
TEST(InputPass, WeakWordsTakeTheCloudsCharacters) {
  PassRig rig;
  App& app = rig.app();
  const std::vector<std::pair<std::u16string, std::u16string>> words = {
      {u"dajx", u"大家 091"}, {u"nihk", u"你好 090"}, {u"womf", u"我们 089"}};
  app.lex.mainLexicon = testing_support::makeTable(words);
  app.lex.charLexicon = testing_support::makeTable(words);
  OnlineAccuracyFirst online(rig, u"甲乙丙丁戊己");
  rig.type(u"womfnihkdajx");
  EXPECT_EQ(toUtf8(app.win.boxes.text7.text), "我们丙丁戊己");
}

// During a race the sentence's words outlive the pass: a new key converts the last five words
// again and keeps the ones before them as they stand, their codes cut from the front.
TEST(InputPass, NewKeyKeepsTheWordsBeforeTheLastFive) {
  struct Case {
    std::u16string script;
    std::string sentence;
  };
  const std::vector<Case> cases = {
      // Seven words and a letter: the first two stay as the table holds them (甲, 乙).
      {u"n i w o n i w o n i w o n i n", "甲乙你我你我你你"},
      // Five words and a letter: nothing stays.
      {u"n i w o n i w o n i n", "你我你我你你"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sentence);
    PassRig rig;
    App& app = rig.app();
    app.race.raceMode = 1;
    rig.type(c.script);
    // The table holds a word for every two letters; two are marked to show which stay.
    app.conv.wordTable[1].text = u"甲";
    app.conv.wordTable[2].text = u"乙";
    rig.type(u"i");
    EXPECT_EQ(toUtf8(app.win.boxes.text7.text), c.sentence);
  }
}

// Under 输入准确度优先 a conversion that leaves a negative weight closes the code so far as a fixed
// segment. The weight the check reads is the single-character lexicon's for the whole code line
// (the lookups leave the main lexicon's slot 0 filled), so this lexicon gives such lines
// negative weights.
TEST(InputPass, NegativeWeightFixesASegmentUnderAccuracyFirst) {
  PassRig rig;
  App& app = rig.app();
  app.lex.mainLexicon = testing_support::makeTable({{u"ni", u"你 -5"}, {u"wo", u"我 -5"}});
  app.lex.charLexicon = testing_support::makeTable(
      {{u"ni", u"你 -5"}, {u"niwo", u"你 -5"}, {u"niwowoni", u"你 -5"}, {u"wo", u"我 -5"},
       {u"woni", u"我 -5"}});
  OnlineAccuracyFirst online(rig, u"甲乙");
  app.settings.iqlx = 1;
  rig.type(u"n i w");
  EXPECT_EQ(app.comp.segmentCount, 0);
  rig.type(u"o");
  EXPECT_EQ(app.comp.segmentCount, 1);
  EXPECT_EQ(app.comp.segmentCodeEnds[1], 4);
  rig.type(u"w o n i");
  EXPECT_EQ(app.comp.segmentCount, 2);
  EXPECT_EQ(app.comp.segmentCodeEnds[2], 8);
}

// Letters cut from the code line's box (selected and deleted there), so that the code still ends
// with the tail word's code: the pass drops the segments the code no longer reaches, the last
// and the one before when the code falls short of that one's end too.
TEST(InputPass, ShorterCodeDropsTheSegmentsItNoLongerReaches) {
  struct Case {
    std::u16string code;
    std::int32_t segmentsLeft;
  };
  for (const Case& c : {Case{u"womfwomf", 1}, Case{u"womf", 0}}) {
    SCOPED_TRACE(toUtf8(c.code));
    PassRig rig;
    App& app = rig.app();
    rig.type(u"w o m f w o m f w o m f");
    ASSERT_EQ(toUtf8(app.conv.tailCode), "womf");
    // Two fixed segments, ending after the eighth and the tenth letter.
    app.comp.segmentCount = 2;
    app.comp.segmentCodeEnds[1] = 8;
    app.comp.segmentCodeEnds[2] = 10;
    app.comp.segmentTextEnds[1] = 4;
    app.comp.segmentTextEnds[2] = 5;
    app.win.boxes.Text1.text = c.code;
    app.win.boxes.Text1.selStart = static_cast<std::int32_t>(c.code.size());
    app.comp.lastCaretPos = app.win.boxes.Text1.selStart;
    rig.session.platform.setTimer(app.pass.timer1, kInputTimerIntervalMs, true);
    rig.session.platform.advance(kInputTimerIntervalMs);
    rig.session.platform.settle();
    EXPECT_EQ(app.win.boxes.rtext1.text, c.code);
    EXPECT_EQ(app.comp.segmentCount, c.segmentsLeft);
  }
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
  // The tail word and its candidates are the left half's.
  EXPECT_EQ(toUtf8(app.conv.tailCode), "nihk");
  EXPECT_EQ(toUtf8(app.conv.tailText), "你好");
  EXPECT_EQ(toUtf8(app.conv.endzf), "你好 080");
}

// Keys typed faster than the input timer ticks: a key that commits the sentence commits the
// conversion of every letter typed before it.
TEST(InputPass, KeysTenMillisecondsApartCommitWholeSentences) {
  struct Case {
    std::u16string script;
    std::string target;
    bool enterCommitsSentence = false;
  };
  const std::vector<Case> cases = {
      {u"womf space", "我们"},
      {u"nihkwomf space", "你好我们"},
      {u"nihkma?", "你好吗？"},
      {u"womf ,", "我们，"},
      {u"nihk enter", "你好", true},
      {u"nihk space womf space", "你好我们"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(toUtf8(c.script));
    PassRig rig;
    rig.app().settings.hiup = c.enterCommitsSentence ? 1 : 0;
    EXPECT_EQ(toUtf8(rig.typeSpaced(c.script, 10)), c.target);
    EXPECT_TRUE(rig.app().win.boxes.Text1.text.empty()) << toUtf8(rig.app().win.boxes.Text1.text);
  }
}

// A commit that waits long (a slow pass) while the next sentence and its Space are typed: the
// letters start the next code and the Space commits that code in turn; a third Space typed with
// nothing ahead of it adds no commit.
TEST(InputPass, SpacesTypedWhileACommitWaitsCommitTheirOwnSentences) {
  struct Case {
    std::u16string script;
    std::string target;
    std::string left;  // the code line afterwards
  };
  const std::vector<Case> cases = {
      {u"nihk space womf space", "你好我们", ""},
      {u"nihk space womf space nihk space", "你好我们你好", ""},
      {u"nihk space womf space space", "你好我们", ""},
      {u"nihk space womf space ni", "你好我们", "ni"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(toUtf8(c.script));
    PassRig rig;
    SimPlatform& sim = rig.session.platform;
    sim.typeKeys(c.script);  // every key arrives before a pass serves the first Space
    sim.settle();
    EXPECT_EQ(toUtf8(rig.session.target.text), c.target);
    EXPECT_EQ(toUtf8(rig.app().win.boxes.Text1.text), c.left);
  }
}

// Shift held for a mark typed right after a code gives the shifted mark's Chinese form.
TEST(InputPass, ShiftedMarksAfterACode) {
  struct Case {
    std::u16string mark;  // typed with Shift by the simulated keyboard
    std::string target;
    std::string code;     // what the code line took
  };
  const std::vector<Case> cases = {
      {u"?", "你好吗？", "nihkma?"}, {u"!", "你好吗！", "nihkma!"}, {u"<", "你好吗《", "nihkma<"},
      {u"$", "你好吗￥", "nihkma$"}, {u"(", "你好吗（", "nihkma("},
      {u"/", "你好吗÷", "nihkma/"},  // unshifted, with its own Chinese form
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(toUtf8(c.mark));
    PassRig rig;
    rig.type(u"nihkma");
    rig.session.platform.typeKeys(c.mark);
    rig.session.platform.doEvents();  // the hook takes the keys; no pass yet
    EXPECT_EQ(toUtf8(rig.app().win.boxes.Text1.text), c.code);
    rig.session.platform.settle();
    EXPECT_EQ(toUtf8(rig.session.target.text), c.target);
  }
}

// A mark that closes a segment starts the sentence's words afresh and commits: the next keys
// convert on their own, and the pass that took a key records the code line and its caret as it
// leaves them.
TEST(InputPass, AClosingMarkStartsTheWordsAfresh) {
  struct Case {
    std::u16string_view keys;
    std::string sentence;  // text7 after the keys
    std::string code;      // the code line the last pass recorded
    std::string target;
  };
  const Case cases[] = {
      {u"ni ,", "", "", "你，"},
      {u"ni , wo", "我", "wo", "你，"},
      {u"nihk ma . womf", "我们", "womf", "你好吗。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(toUtf8(c.keys));
    PassRig rig;
    rig.type(c.keys);
    const App& a = rig.app();
    EXPECT_EQ(toUtf8(a.win.boxes.text7.text), c.sentence);
    EXPECT_EQ(toUtf8(a.comp.lastCode), c.code);
    EXPECT_EQ(a.comp.lastCaretPos, a.win.boxes.Text1.selStart);
    EXPECT_EQ(toUtf8(rig.session.target.text), c.target);
  }
}

// After a commit the target takes the text and its caret moves on: the next composition's window
// opens below the caret where the new text goes, moved clear of the caret line.
TEST(InputPass, CandidateWindowOpensBelowTheCaretOfEachComposition) {
  PassRig rig;
  App& app = rig.app();
  app.settings.gbgs = 1;
  app.windowUi.followCaret();  // as the pass at the end of the start-up does
  SimWindow& target = rig.session.target;
  // The first layout of a composition may see one letter or, typed fast, several.
  struct Composition {
    int x;                    // where the caret stands when it starts
    std::u16string_view first, rest;
  };
  for (const auto& [x, first, rest] : {Composition{100, u"n", u"i space"},
                                       Composition{160, u"nih", u"k space"},
                                       Composition{220, u"wo", u"space"}}) {
    SCOPED_TRACE(x);
    rig.session.platform.typeKeys(first);
    rig.session.platform.settle();
    const Rect shown = app.windowUi.window.view().bounds;
    EXPECT_EQ(shown.left, (x + 1) * 15);
    EXPECT_EQ(shown.top, (100 + 5) * 15 + 350) << "below the caret line";
    rig.type(rest);
    // The notepad takes the text only after the pass ended: its caret moves meanwhile.
    target.caretRect = {x + 60, 100, x + 61, 116};
  }
}

// The gates and mirrors at the head of the pass, the pending commands the hook leaves and the
// marks of a code, one row each: settings before, keys, what the pass made of them.
TEST(InputPass, GatesMirrorsAndPendingCommands) {
  struct Row {
    const char* what;
    std::function<void(App&)> before;
    std::u16string script;
    std::function<void(App&, SimSession&)> check;
  };
  const auto none = [](App&) {};
  const std::vector<Row> rows = {
      {"候选个数 7 becomes the page size", [](App& a) { a.settings.hxgu = u"7"; }, u"ni",
       [](App& a, SimSession&) { EXPECT_EQ(a.mirror.pageSize, 7); }},
      {"候选个数 12 is cut to 10, the page size stays", [](App& a) { a.settings.hxgu = u"12"; }, u"ni",
       [](App& a, SimSession&) {
         EXPECT_EQ(a.mirror.pageSize, 5);
         EXPECT_EQ(a.settings.hxgu, u"10");
       }},
      {"候选个数 10, the full page's value, leaves the page size", [](App& a) { a.settings.hxgu = u"10"; },
       u"ni", [](App& a, SimSession&) { EXPECT_EQ(a.mirror.pageSize, 5); }},
      {"候选个数 0 is raised to 1", [](App& a) { a.settings.hxgu = u"0"; }, u"ni",
       [](App& a, SimSession&) { EXPECT_EQ(a.settings.hxgu, u"1"); }},
      {"超前联想起始码数 below 2 becomes 2", [](App& a) { a.settings.iqlxms = u"1"; }, u"ni",
       [](App& a, SimSession&) {
         EXPECT_EQ(a.pass.associationStartLen, 2);
         EXPECT_EQ(a.settings.iqlxms, u"2");
       }},
      {"超前联想起始码数 12", [](App& a) { a.settings.iqlxms = u"12"; }, u"ni",
       [](App& a, SimSession&) { EXPECT_EQ(a.pass.associationStartLen, 12); }},
      {"word length 3到 is 3 to 7", [](App& a) { a.settings.wordLengthRange = u"3到"; }, u"ni",
       [](App& a, SimSession&) {
         EXPECT_EQ(a.conv.wordMinLen, 3);
         EXPECT_EQ(a.conv.wordMaxLen, 7);
       }},
      {"word length 到5 is 2 to 5", [](App& a) { a.settings.wordLengthRange = u"到5"; }, u"ni",
       [](App& a, SimSession&) {
         EXPECT_EQ(a.conv.wordMinLen, 2);
         EXPECT_EQ(a.conv.wordMaxLen, 5);
       }},
      {"word length without 到 keeps the window",
       [](App& a) {
         a.conv.wordMinLen = 3;
         a.settings.wordLengthRange = u"4";
       },
       u"ni",
       [](App& a, SimSession&) {
         EXPECT_EQ(a.conv.wordMinLen, 3);
         EXPECT_EQ(a.conv.wordMaxLen, 7);
       }},
      {"自动横竖: a short result lists vertically", [](App& a) { a.settings.zdhu = 1; }, u"nihk wo",
       [](App& a, SimSession&) {
         EXPECT_TRUE(a.settings.uphx);
         EXPECT_FALSE(a.settings.hphx);
       }},
      {"自动横竖: ten characters list horizontally",
       [](App& a) {
         a.settings.zdhu = 1;
         a.settings.uphx = true;
         a.settings.hphx = false;
       },
       u"nihknihknihknihknihk wo",
       [](App& a, SimSession&) {
         EXPECT_TRUE(a.settings.hphx);
         EXPECT_FALSE(a.settings.uphx);
       }},
      {"English input commits the letters as typed", none, u"lctrl nihk",
       [](App&, SimSession& s) { EXPECT_EQ(toUtf8(s.target.text), "nihk"); }},
      {"English input: marks keep their ASCII form", none, u"lctrl , .",
       [](App&, SimSession& s) { EXPECT_EQ(toUtf8(s.target.text), ",."); }},
      {"pending 10: marks without a code commit their Chinese form", none, u", .",
       [](App&, SimSession& s) { EXPECT_EQ(toUtf8(s.target.text), "，。"); }},
      {"pending 2: the screenshot key's paste, and the hook comes back", none, u"ni f8",
       [](App& a, SimSession& s) {
         EXPECT_TRUE(s.platform.keyboardHookInstalled());
         EXPECT_EQ(a.comp.pendingCommand, kPendingNone);
         bool pasted = false;
         for (const SimKeyRecord& k : s.platform.sentKeys) pasted = pasted || k.vk == 86;
         EXPECT_TRUE(pasted);
       }},
      {"pending 9: Tab shows the full candidate page", none, u"ni tab",
       [](App& a, SimSession&) {
         EXPECT_EQ(a.comp.pendingCommand, kPendingNone);
         EXPECT_NE(a.win.boxes.hxl.text.find(u"尼"), std::u16string::npos) << toUtf8(a.win.boxes.hxl.text);
       }},
      {"quote marks without a code open and close", none, u"' ' \" \"",
       [](App&, SimSession& s) { EXPECT_EQ(toUtf8(s.target.text), "‘’“”"); }},
      {"a quote mark in a code is a quick-select key", none, u"nihk ' space",
       [](App&, SimSession& s) { EXPECT_EQ(toUtf8(s.target.text), "你好 "); }},
      {"a quick-select key commits its pick with 句末选重上屏", none, u"nihk ; wo space",
       [](App&, SimSession& s) { EXPECT_EQ(toUtf8(s.target.text), "你好我"); }},
      // The quick-select keys name list positions (the list of ni: "1;你 2'尼"): ;'[]\ the first
      // five, then the digits 1 to 0; a position beyond the list makes the key punctuation.
      {"; picks the first candidate", none, u"ni ;",
       [](App&, SimSession& s) { EXPECT_EQ(toUtf8(s.target.text), "你"); }},
      {"' picks the second candidate", none, u"ni '",
       [](App&, SimSession& s) { EXPECT_EQ(toUtf8(s.target.text), "尼"); }},
      {"1 picks the first candidate", none, u"ni 1",
       [](App&, SimSession& s) { EXPECT_EQ(toUtf8(s.target.text), "你"); }},
      {"2 picks the second candidate", none, u"ni 2",
       [](App&, SimSession& s) { EXPECT_EQ(toUtf8(s.target.text), "尼"); }},
      {"[ beyond the list is punctuation", none, u"ni [",
       [](App& a, SimSession& s) {
         EXPECT_EQ(toUtf8(s.target.text), "");
         EXPECT_EQ(toUtf8(a.win.boxes.text7.text), "你［");
       }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    PassRig rig;
    row.before(rig.app());
    rig.type(row.script);
    row.check(rig.app(), rig.session);
  }
}

constexpr int kModifierKeys[] = {160, 161, 162, 163, 164, 165, 91, 92};
constexpr int kAltDownFlag = 0x20;

// F8 with a code: the screenshot key takes the hook away, the next pass pastes and brings it
// back, and the paste's own Ctrl+V never becomes a code letter.
TEST(InputPass, ScreenshotKeyGivesTheHookBack) {
  for (std::u16string script : {u"ni f8", u"t 4 f8", u"f8"}) {
    SCOPED_TRACE(toUtf8(script));
    PassRig rig;
    rig.app().windowUi.followCaret();  // the notepad is the target
    rig.type(script);
    EXPECT_TRUE(rig.session.platform.keyboardHookInstalled());
    EXPECT_EQ(rig.app().comp.pendingCommand, kPendingNone);
    EXPECT_TRUE(rig.app().win.boxes.Text1.text.empty()) << toUtf8(rig.app().win.boxes.Text1.text);
    rig.session.target.text.clear();
    EXPECT_EQ(toUtf8(rig.typeSpaced(u"womf space", 30)), "我们");
  }
}

// A text box of another form of the program (the word maker's text) is a place to type into like
// any other: the sentence lands in that box and the focus stays there.
TEST(InputPass, ASentenceTypedIntoABoxOfTheProgramStaysThere) {
  PassRig rig;
  SimPlatform& sim = rig.session.platform;
  rig.app().windowUi.followCaret();  // the notepad is the target
  SimWindow& form = sim.addWindow(u"词组制作", u"YzForm");
  form.processId = SimPlatform::kOwnProcessId;
  SimWindow& box = sim.addWindow(u"", u"Edit");
  box.processId = SimPlatform::kOwnProcessId;
  box.parent = form.id;
  sim.focus(box.id);
  rig.typeSpaced(u"nihk space", 30);
  EXPECT_EQ(toUtf8(box.text), "你好");
  EXPECT_EQ(toUtf8(rig.session.target.text), "");
  EXPECT_EQ(sim.focusedWindow(sim.foregroundWindow()), box.id);
  EXPECT_EQ(rig.app().win.targetProcessId, SimPlatform::kOwnProcessId)
      << "the keys that bring the target forward keep the program in front";
}

// The switch key to the system input method and back brings the target forward again: with a box
// of the program's own forms as the target, that box, not the program's first window.
TEST(InputPass, SwitchKeyGivesTheFocusBackToTheBoxOfTheProgramTypedInto) {
  PassRig rig;
  SimPlatform& sim = rig.session.platform;
  SimWindow& bar = sim.addWindow(u"状态栏", u"YzForm");
  bar.processId = SimPlatform::kOwnProcessId;
  SimWindow& form = sim.addWindow(u"词组制作", u"YzForm");
  form.processId = SimPlatform::kOwnProcessId;
  SimWindow& box = sim.addWindow(u"", u"Edit");
  box.processId = SimPlatform::kOwnProcessId;
  box.parent = form.id;
  sim.focus(box.id);
  rig.typeSpaced(u"nihk space", 30);
  ASSERT_EQ(toUtf8(box.text), "你好");
  for (const int platformMode : {-1, 1}) {
    SCOPED_TRACE(platformMode);
    sim.focus(bar.id);  // a click on the status bar, say
    rig.type(u"backquote");
    EXPECT_EQ(rig.app().comp.platformMode, platformMode);
    EXPECT_EQ(sim.focusedWindow(sim.foregroundWindow()), box.id);
  }
  rig.typeSpaced(u"womf space", 30);
  EXPECT_EQ(toUtf8(box.text), "你好我们");
}

// Held-key flags follow the keys: a release the hook hears as a system key-up, or never hears,
// leaves no flag behind.
TEST(InputPass, HeldKeyFlagsClearWhenTheirKeysAreUp) {
  struct Case {
    const char* what;
    std::function<void(SimPlatform&)> keys;
  };
  const std::vector<Case> cases = {
      {"Alt+Shift, Shift released first",
       [](SimPlatform& sim) {
         sim.queueKey(164, false);
         sim.queueKey(160, false, kAltDownFlag);
         sim.queueKey(160, true, kAltDownFlag);
         sim.queueKey(164, true);
       }},
      {"Ctrl released while Alt is held",
       [](SimPlatform& sim) {
         sim.queueKey(162, false);
         sim.queueKey(164, false);
         sim.queueKey(162, true, kAltDownFlag);
         sim.queueKey(164, true);
       }},
      {"Ctrl+Alt+Del: the releases never reach the hook",
       [&](SimPlatform& sim) {
         sim.queueKey(162, false);
         sim.queueKey(164, false);
         sim.queueKey(46, false, kAltDownFlag);
         sim.settle();
         // The secure desktop takes the releases: the keys are up, the hook heard nothing.
         sim.removeKeyboardHook();
         sim.queueKey(46, true);
         sim.queueKey(164, true);
         sim.queueKey(162, true);
         sim.settle();
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PassRig rig;
    rig.app().windowUi.followCaret();
    c.keys(rig.session.platform);
    rig.session.platform.settle();
    if (!rig.session.platform.keyboardHookInstalled()) rig.app().input.hook.installKeyboardHook();
    rig.session.target.text.clear();
    EXPECT_EQ(toUtf8(rig.typeSpaced(u"womf space", 30)), "我们");
  }
}

// A key whose press reached the target program always gets its release there too, whichever way
// the hook routed it: here an earlier Shift press was withheld and its release came as a system
// key-up, then the caret inside the code lets the next Shift press through.
TEST(InputPass, NoKeyStaysDownInTheTarget) {
  PassRig rig;
  SimPlatform& sim = rig.session.platform;
  sim.queueKey(164, false);
  sim.queueKey(161, false, kAltDownFlag);
  sim.queueKey(161, true, kAltDownFlag);
  sim.queueKey(164, true);
  sim.settle();
  rig.type(u"nihk");
  rig.app().win.boxes.Text1.selStart = 2;  // the user clicked into the code
  sim.queueKey(161, false);
  sim.doEvents();
  rig.app().win.boxes.Text1.selStart = 4;
  sim.queueKey(161, true);
  sim.settle();
  for (int vk : kModifierKeys) EXPECT_FALSE(sim.targetKeyDown(vk)) << vk;
}

// After keys queued at their moments: waits until the desktop rests (or the instant-modify loop
// waits for a key) and looks as the user does: the hook is in, no modifier is down in the target,
// and a code or instant modify on the screen is left with Esc. Then Caps Lock off, Chinese input,
// and `womf` + Space typed; returns what that committed.
std::u16string restThenTypeWomf(PassRig& rig) {
  App& app = rig.app();
  SimPlatform& sim = rig.session.platform;
  sim.typeScript({u"", u""}, [&](std::size_t next) {
    if (next != 0) return;
    EXPECT_TRUE(sim.keyboardHookInstalled());
    for (int vk : kModifierKeys) EXPECT_FALSE(sim.targetKeyDown(vk)) << vk;
    if (!app.win.boxes.Text1.text.empty() || app.passRunner.instantModify().running()) {
      sim.queueKey(27, false);
      sim.queueKey(27, true);
    }
  });
  sim.settle();
  EXPECT_FALSE(sim.quitRequested) << "Esc did not end the instant-modify loop";
  if (sim.isKeyToggled(20)) rig.type(u"capslock");
  if (app.win.languageLabel == u"\r\n英") rig.type(u"lctrl");
  EXPECT_TRUE(app.win.boxes.Text1.text.empty()) << toUtf8(app.win.boxes.Text1.text);
  rig.session.target.text.clear();
  return rig.typeSpaced(u"womf space", 30);
}

// Key sequences found by the storms below, each of which once left typing broken.
TEST(InputPass, KeySequencesThatOnceStoppedTyping) {
  struct Key {
    std::uint32_t atMs;
    int vk;
    bool up;
    int flags = 0;
  };
  struct Case {
    const char* what;
    std::vector<Key> keys;
    // Before the keys: a scheme, a clipboard. The storm itself then commits nothing.
    std::function<void(App&, SimPlatform&)> before = nullptr;
  };
  const std::vector<Case> cases = {
      // The right Shift goes down inside the screenshot key's waits and is held back; it comes up
      // while the hook is away. It used to count as held for good: WOMF.
      {"Win, F8, right Shift pressed during the screenshot",
       {{0, 91, false}, {30, 119, false}, {30, 119, true}, {60, 161, false}, {90, 91, true},
        {90, 161, true}}},
      // A held k asks for instant modify; Esc clears the code before a pass serves it. It used to
      // open instant modify on the empty composition, which took the next letters unseen.
      {"a long press, then Esc",
       {{0, 'N', false}, {0, 'N', true}, {30, 'I', false}, {30, 'I', true}, {60, 'H', false},
        {60, 'H', true}, {90, 'K', false}, {90, 'K', true}, {120, 'K', false}, {150, 'K', false},
        {160, 'K', true}, {400, 27, false}, {400, 27, true}}},
      {"a storm that left instant modify on with nothing in it",
       {{0, 120, false}, {0, 120, false}, {0, 120, true}, {75, 53, false}, {108, 53, false}, {141, 53, false}, {174, 53, false}, {207, 53, false}, {240, 53, false}, {273, 53, false}, {306, 53, false}, {339, 53, false}, {372, 53, false}, {405, 53, false}, {438, 53, false}, {471, 53, false}, {504, 53, false}, {537, 53, false}, {570, 53, false}, {603, 53, false}, {636, 53, false}, {669, 53, false}, {702, 53, false}, {717, 53, true}, {723, 37, false}, {723, 37, true}, {758, 81, false}, {758, 81, true}, {805, 92, false}, {881, 92, true}, {886, 160, false}, {957, 53, false}, {957, 53, true}, {994, 84, false}, {994, 84, true}, {1054, 83, false}, {1054, 83, true}, {1060, 79, false}, {1060, 79, true}, {1115, 165, false}, {1148, 221, false, kAltDownFlag}, {1148, 221, false, kAltDownFlag}, {1148, 221, true, kAltDownFlag}, {1222, 120, false, kAltDownFlag}, {1222, 120, true, kAltDownFlag}, {1282, 51, false, kAltDownFlag}, {1315, 51, false, kAltDownFlag}, {1348, 51, false, kAltDownFlag}, {1381, 51, false, kAltDownFlag}, {1414, 51, false, kAltDownFlag}, {1447, 51, false, kAltDownFlag}, {1480, 51, false, kAltDownFlag}, {1513, 51, false, kAltDownFlag}, {1546, 51, false, kAltDownFlag}, {1579, 51, false, kAltDownFlag}, {1612, 51, false, kAltDownFlag}, {1645, 51, false, kAltDownFlag}, {1678, 51, false, kAltDownFlag}, {1711, 51, false, kAltDownFlag}, {1744, 51, false, kAltDownFlag}, {1777, 51, false, kAltDownFlag}, {1810, 51, false, kAltDownFlag}, {1843, 51, false, kAltDownFlag}, {1876, 51, false, kAltDownFlag}, {1909, 51, false, kAltDownFlag}, {1942, 51, false, kAltDownFlag}, {1952, 51, true, kAltDownFlag}, {2003, 80, true, kAltDownFlag}, {2007, 186, false, kAltDownFlag}, {2007, 186, false, kAltDownFlag}, {2007, 186, true, kAltDownFlag}, {2011, 78, false, kAltDownFlag}, {2011, 78, true, kAltDownFlag}, {2037, 186, false, kAltDownFlag}, {2037, 186, true, kAltDownFlag}, {2048, 90, false, kAltDownFlag}, {2048, 90, true, kAltDownFlag}, {2084, 27, false, kAltDownFlag}, {2094, 220, false, kAltDownFlag}, {2104, 27, true, kAltDownFlag}, {2114, 220, true, kAltDownFlag}, {2085, 66, false, kAltDownFlag}, {2085, 66, true, kAltDownFlag}, {2154, 78, false, kAltDownFlag}, {2154, 78, true, kAltDownFlag}, {2200, 82, false, kAltDownFlag}, {2200, 82, true, kAltDownFlag}, {2231, 165, true, kAltDownFlag}, {2271, 165, false}, {2309, 65, true, kAltDownFlag}, {2356, 88, false, kAltDownFlag}, {2356, 88, true, kAltDownFlag}, {2362, 84, false, kAltDownFlag}, {2362, 84, true, kAltDownFlag}, {2390, 91, false, kAltDownFlag}, {2441, 51, false, kAltDownFlag}, {2441, 51, true, kAltDownFlag}, {2487, 163, false, kAltDownFlag}, {2549, 65, false, kAltDownFlag}, {2549, 65, false, kAltDownFlag}, {2549, 65, true, kAltDownFlag}, {2560, 65, false, kAltDownFlag}, {2560, 65, true, kAltDownFlag}, {2596, 53, false, kAltDownFlag}, {2596, 53, true, kAltDownFlag}, {2643, 27, false, kAltDownFlag}, {2643, 27, false, kAltDownFlag}, {2643, 27, true, kAltDownFlag}, {2654, 74, false, kAltDownFlag}, {2654, 74, true, kAltDownFlag}, {2669, 186, false, kAltDownFlag}, {2669, 186, true, kAltDownFlag}, {2672, 89, false, kAltDownFlag}, {2672, 89, false, kAltDownFlag}, {2672, 89, true, kAltDownFlag}, {2702, 121, false, kAltDownFlag}, {2703, 51, false, kAltDownFlag}, {2723, 51, true, kAltDownFlag}, {2713, 91, true}, {2713, 160, true}, {2713, 163, true}, {2713, 165, true}}},
      // A select key inside the screenshot key's waits: the paste that puts the hook back must
      // still run.
      {"w o F8 2",
       {{0, 87, false}, {20, 87, true}, {40, 79, false}, {60, 79, true}, {80, 119, false},
        {100, 119, true}, {110, 50, false}, {130, 50, true}}},
      {"u F10 2",
       {{0, 85, false}, {30, 85, true}, {60, 121, false}, {70, 121, true}, {90, 50, false},
        {110, 50, true}}},
      // F7 grabs a selection that is not there: the code line empties, and the sentence shown
      // before it used to lead the next commit.
      {"q and 9 held across a Down arrow and F7",
       {{256, 81, false}, {261, 57, false}, {2478, 40, false}, {2522, 40, true}, {2515, 118, false},
        {2532, 81, true}, {2532, 57, true}, {2532, 118, true}}},
      // F7 with nothing selected loads the clipboard's text into the code line; a text whose code
      // is no code (no letters for it) used to stay there, and was committed by itself.
      {"F7 held with a character of no code on the clipboard",
       {{0, 118, false}, {200, 118, true}, {400, 'O', false}, {420, 'O', true}, {600, 27, false},
        {620, 27, true}},
       [](App& app, SimPlatform& sim) {
         app.settings.ymur = false;
         app.settings.xmur = true;
         sim.setClipboardText(u"赢");
       }},
      // A text whose code is letters: the code box used to keep the text with its caret at the
      // length of the code, inside the text, so every letter went past the program.
      {"F7 held with full-width letters on the clipboard",
       {{0, 118, false}, {200, 118, true}, {400, 'O', false}, {420, 'O', true}, {600, 27, false},
        {620, 27, true}},
       [](App& app, SimPlatform& sim) {
         app.settings.ymur = false;
         app.settings.xmur = true;
         sim.setClipboardText(u"ＡＢ");
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PassRig rig;
    rig.app().windowUi.followCaret();
    SimPlatform& sim = rig.session.platform;
    if (c.before) c.before(rig.app(), sim);
    const std::uint32_t start = sim.clockMs();
    for (const Key& k : c.keys) sim.queueKeyAt(start + k.atMs, k.vk, k.up, k.flags);
    if (c.before) {
      sim.settle();
      EXPECT_EQ(toUtf8(rig.session.target.text), "");
    }
    EXPECT_EQ(toUtf8(restThenTypeWomf(rig)), "我们");
  }
}

// Random key storms through the hook: afterwards the hook is in, no modifier is down in the
// target, and typing goes on as before. The keys arrive at their moments whatever the program
// does, inside the instant-modify loop too.
TEST(InputPass, KeyStormsLeaveTheKeyboardWorking) {
  std::vector<int> keys;
  for (int k = 'A'; k <= 'Z'; ++k) keys.push_back(k);
  for (int k = '0'; k <= '9'; ++k) keys.push_back(k);
  for (int k : {186, 187, 188, 189, 190, 191, 219, 220, 221, 222, 8, 27, 13, 32, 9, 20, 117, 118,
                119, 120, 121, 37, 38, 39, 40, 46}) {
    keys.push_back(k);
  }
  const int selectLabels[] = {186, 222, 219, 221, 220};  // the five candidate labels
  // One session through all storms, as one user's day.
  PassRig rig;
  App& app = rig.app();
  SimPlatform& sim = rig.session.platform;
  app.windowUi.followCaret();
  constexpr int kStorms = 300;
  for (int storm = 0; storm < kStorms; ++storm) {
    SCOPED_TRACE(storm);
    std::mt19937 random(static_cast<std::uint32_t>(storm));
    auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    // What F7 finds when nothing is selected: the clipboard, Chinese or not.
    const char16_t* const clipboards[] = {u"", u"赢", u"ＡＢ", u"我们\r\nok"};
    sim.setClipboardText(clipboards[pick(std::size(clipboards))]);
    std::set<int> held;
    const auto altFlag = [&] { return held.count(164) || held.count(165) ? kAltDownFlag : 0; };
    std::uint32_t at = sim.clockMs();
    const std::size_t events = 10 + pick(40);
    for (std::size_t e = 0; e < events; ++e) {
      if (pick(4) == 0) {
        const int mod = kModifierKeys[pick(std::size(kModifierKeys))];
        const bool up = held.count(mod) > 0;
        sim.queueKeyAt(at, mod, up, altFlag());
        if (up) held.erase(mod);
        else held.insert(mod);
      } else if (const std::size_t kind = pick(16); kind == 0) {
        // A screenshot key with a select key on its heels.
        sim.queueKeyAt(at, pick(2) == 0 ? 119 : 121, false, altFlag());
        at += static_cast<std::uint32_t>(pick(30));
        const int select = pick(2) == 0 ? '1' + static_cast<int>(pick(9)) : selectLabels[pick(5)];
        sim.queueKeyAt(at, select, false, altFlag());
        sim.queueKeyAt(at + 20, select, true, altFlag());
      } else if (kind == 1) {
        // A long press: the key repeats until it comes up.
        const int key = keys[pick(keys.size())];
        const std::uint32_t until = at + 300 + static_cast<std::uint32_t>(pick(400));
        for (std::uint32_t t = at; t < until; t += 33) sim.queueKeyAt(t, key, false, altFlag());
        sim.queueKeyAt(until, key, true, altFlag());
        at = until;
      } else if (kind == 2) {
        sim.queueKeyAt(at, keys[pick(keys.size())], true, altFlag());  // a stray key-up
      } else if (kind == 3) {
        // Overlapping presses: the second key goes down before the first comes up.
        const int first = keys[pick(keys.size())];
        const int second = keys[pick(keys.size())];
        sim.queueKeyAt(at, first, false, altFlag());
        sim.queueKeyAt(at + 10, second, false, altFlag());
        sim.queueKeyAt(at + 20, first, true, altFlag());
        sim.queueKeyAt(at + 30, second, true, altFlag());
      } else {
        const int key = keys[pick(keys.size())];
        sim.queueKeyAt(at, key, false, altFlag());
        if (pick(6) == 0) sim.queueKeyAt(at, key, false, altFlag());  // auto-repeat
        sim.queueKeyAt(at, key, true, altFlag());
      }
      at += static_cast<std::uint32_t>(pick(80));
    }
    for (int mod : held) sim.queueKeyAt(at, mod, true);
    ASSERT_EQ(toUtf8(restThenTypeWomf(rig)), "我们");
    ASSERT_FALSE(HasFailure());
  }
}

}  // namespace
}  // namespace yz
