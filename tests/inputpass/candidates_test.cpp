// The candidates of the sentence's last word on a small lexicon: the list by code and text
// lengths, its display, picks with quick-select keys and the automatic commit rules.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "inputpass/candidates.h"
#include "lexicon/utf.h"
#include "main/sim_driver.h"
#include "../support/fixed_cloud.h"
#include "../support/make_table.h"

namespace yz {
namespace {

using Entries = std::vector<std::pair<std::u16string, std::u16string>>;

const Entries kMain = {
    {u"de", u"的 080 得 090"},         {u"hk", u"好 080 号 090"},
    {u"ji", u"及 080 机 090"},         {u"ma", u"吗 080 嘛 090"},
    {u"mf", u"们 080 门 090"},         {u"ni", u"你 080 尼 090"},
    {u"nihk", u"你好 080 拟好 085"},   {u"nihkma", u"你好吗 080 你好嘛 085"},
    {u"sk", u"色 080"},                {u"ui", u"是 080 时 090"},
    {u"uiji", u"世纪 080 实际 085 时机 090"},
    {u"wo", u"我 080 窝 090"},         {u"womf", u"我们 080"},
};
const Entries kChars = {
    {u"de", u"的 080 得 090"}, {u"hk", u"好 080 号 090"}, {u"ji", u"及 080 机 090"},
    {u"ma", u"吗 080 嘛 090"}, {u"mf", u"们 080 门 090"}, {u"ni", u"你 080 尼 090"},
    {u"sk", u"色 080"},        {u"ui", u"是 080 时 090"}, {u"wo", u"我 080 窝 090"},
    {u"wosk", u"我 050"},
};

struct Rig {
  explicit Rig(const Entries& main = kMain) {
    App& a = app();
    a.lex.mainLexicon = testing_support::makeTable(main);
    a.lex.charLexicon = testing_support::makeTable(kChars);
    a.lex.userLexicon.reset();
    for (const auto& [ch, code] : std::vector<std::pair<char16_t, std::u16string>>{
             {u'你', u"rx"}, {u'拟', u"tk"}, {u'好', u"nz"}, {u'吗', u"kk"}, {u'嘛', u"mm"}}) {
      a.lex.charAuxCodes.set(static_cast<std::size_t>(a.gbk.charIndex(ch)), code);
    }
    if (!session.platform.keyboardHookInstalled()) a.input.hook.installKeyboardHook();
  }
  App& app() { return *session.app; }
  const PassContext& ctx() { return app().passRunner.context(); }
  std::vector<SimStep> type(std::u16string_view script) { return session.type(script); }
  std::string target() { return toUtf8(session.target.text); }
  std::string box(const TextBoxState& b) { return toUtf8(b.text); }
  SimSession session;
};

// The list by L (characters of the tail text) and C (letters of the tail code).
TEST(TailCandidates, ListByTextAndCodeLengths) {
  enum Mode { TwoLetter, Mixed, TopUp, WordMode };
  struct Case {
    const char* what;
    std::u16string code, text, endzf;
    Mode mode;
    std::string list;
    int auxOrder = 1;
    bool emptyList = true;
  };
  const std::vector<Case> cases = {
      {"1.1 end list and the character line", u"wo", u"我", u" 我 080 窝 090 ", TwoLetter,
       "我 080 窝 090 我 080 窝 090"},
      {"1.2 the end list", u"wos", u"我", u" 我 080 ", TwoLetter, "我 080"},
      {"2.1 a character with two auxiliary letters", u"wosk", u"我", u"我 050", TwoLetter, "我 050 色 080"},
      {"2.1 the same under the word mode", u"wosk", u"我", u"我 050", WordMode, "我 050"},
      {"2.1 a word: its line in front", u"nihk", u"你好", u"你好 080", TwoLetter,
       "你好 080 拟好 085 你好 080 好 080 号 090"},
      {"2.1 a word, 顶功整句", u"nihk", u"你好", u"你好 080", TopUp, "你好 080"},
      {"2.2 variant A", u"nihkr", u"你好", u"你好 080", TwoLetter, "你好 080"},
      {"2.3 variant B1", u"nihknr", u"你好", u"你好 080", TwoLetter, "你好 080 你好 080"},
      {"2.3 under 混输整句: the lookup's accumulated list", u"nihknr", u"你好", u"你好 080", Mixed, ""},
      {"2.4 variant C under 混输整句: the collected words alone", u"nihknrx", u"你好", u"你好 080", Mixed,
       " 你好 080"},
      {"2.4 variant C, 首末字辅助: two letters for the first character", u"nihkrxn", u"你好", u"你好 080",
       Mixed, " 你好 080", 0},
      {"3.1 variant B2", u"nihknr", u"你好吗", u"你好吗 080", TwoLetter, " 你好 080 你好吗 080  "},
      {"3.2 variant D", u"nihkmam", u"你好嘛", u"你好吗 080", TwoLetter, " 你好嘛 085 你好吗 080 "},
      {"3.3 variant E", u"nihkmamr", u"你好嘛", u"你好吗 080", TwoLetter, " 你好嘛 085 你好吗 080 "},
      {"4 four characters: doubled spaces go", u"womfnihk", u"我们你好", u"你好 080", TwoLetter,
       "你好 080 你好 080 拟好 085 好 080 号 090"},
      {"4 under the word mode: nothing but the spaces", u"womfnihk", u"我们你好", u"你好 080",
       WordMode, ""},
      {"no text: the list stays after a caret move", u"xx", u"", u"", TwoLetter, "old", 1, false},
      {"no text: emptied after a conversion", u"xx", u"", u"", TwoLetter, ""},
      {"three characters, five letters: nothing", u"nihkr", u"你好吗", u"你好吗 080", TwoLetter, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Rig rig;
    App& app = rig.app();
    app.settings.ilmvj = c.mode == TwoLetter;
    app.settings.huvj = c.mode == Mixed;
    app.settings.dgvj = c.mode == TopUp;
    app.settings.izcmu = c.mode == WordMode;
    app.settings.auxOrder = {c.auxOrder == 0, c.auxOrder == 1, c.auxOrder == 2};
    app.conv.tailCode = c.code;
    app.conv.tailText = c.text;
    app.conv.endzf = c.endzf;
    app.win.boxes.rtext1.text = app.win.boxes.Text1.text = c.code;
    app.pass.tex5 = u"old";
    EXPECT_TRUE(TailCandidates(rig.ctx()).startCandidates(c.emptyList));
    EXPECT_EQ(toUtf8(app.pass.tex5), c.list);
    EXPECT_TRUE(app.pass.hbxrlj);
  }
}

TEST(TailCandidates, RaceModeBuildsNothingButKeepsTheScanStart) {
  Rig rig;
  App& app = rig.app();
  app.race.raceMode = 1;
  app.conv.tailCode = u"wo";
  app.conv.tailText = u"我";
  app.conv.wordIndex = 3;
  app.lex.cells.mainHitIndex = 7;
  app.pass.tex5 = u"old";
  EXPECT_FALSE(TailCandidates(rig.ctx()).startCandidates(true));
  EXPECT_EQ(app.pass.tex5, u"");
  EXPECT_EQ(app.pass.maxHitIndex, 7);
  EXPECT_EQ(app.conv.wordIndex, 3);
}

TEST(CandidateDisplay, RepeatedWordsGoAndTheFullListIsKept) {
  Rig rig;
  App& app = rig.app();
  app.pass.quickSelectKeys = u";'[]\\1234567890";
  app.pass.tex5 = u"我 100 你 90 我 80 他 70";
  app.pass.hjziir = u"我";
  EXPECT_TRUE(CandidateDisplay(rig.ctx()).show());
  EXPECT_EQ(rig.box(app.win.boxes.hxl), "1;我 2'你rx 3[他");
  EXPECT_EQ(rig.box(app.win.boxes.Text5), ";我 '你rx [他");
  EXPECT_EQ(toUtf8(app.pass.tex5), " ;我 '你 [他");
  EXPECT_EQ(toUtf8(app.pass.tex5f9), "我 200 你 90 他 70");
  EXPECT_FALSE(app.pass.hbxrlj);

  // One pair: shown, and the full list stays as it was.
  app.pass.tex5 = u"好 080";
  CandidateDisplay(rig.ctx()).show();
  EXPECT_EQ(rig.box(app.win.boxes.hxl), "1;好nz");
  EXPECT_EQ(toUtf8(app.pass.tex5f9), "我 200 你 90 他 70");
}

TEST(CandidateDisplay, VerticalRowsFollowTheSentenceEnd) {
  Rig rig;
  App& app = rig.app();
  app.settings.hphx = false;
  app.settings.uphx = true;
  app.settings.jmgs = 1;
  app.win.boxes.rtext2.text = u"我们的世纪好啊";  // 7 characters
  app.pass.quickSelectKeys = u";'[]\\1234567890";
  app.pass.tex5 = u"我 100 你 90 他 70";
  app.pass.hjziir = u"x";
  CandidateDisplay display(rig.ctx());
  EXPECT_FALSE(display.show());
  display.refreshCandidateList();
  // The numbered line's first item "1;我": d = 7 - (3 - 2) = 6, indent 6 + 3.
  const std::string pad9(9, ' '), pad8(8, ' ');
  EXPECT_EQ(rig.box(app.win.boxes.hxl), pad9 + "1;我\r\n" + pad9 + "2'你rx\r\n" + pad9 + "3[他\r\n");
  EXPECT_EQ(rig.box(app.win.boxes.Text5), pad8 + ";我\r\n" + pad8 + "'你rx\r\n" + pad8 + "[他\r\n");
  EXPECT_EQ(app.win.loopCounter, 2);

  app.pass.tex5.clear();
  app.conv.endzf.clear();
  CandidateDisplay empty(rig.ctx());
  empty.show();
  empty.refreshCandidateList();
  EXPECT_EQ(rig.box(app.win.boxes.hxl), "");
  EXPECT_EQ(app.win.loopCounter, -1);
}

TEST(CandidateDisplay, FirstCandidateFillsAnEmptySentence) {
  for (const int tailFixed : {0, 1}) {
    SCOPED_TRACE(tailFixed);
    Rig rig;
    App& app = rig.app();
    app.pass.hjziir.clear();
    app.pass.tex7 = u"我们";
    app.pass.rtex2 = u"我们";
    app.conv.tailFixed = tailFixed;
    app.pass.tex5 = u"是 080";
    CandidateDisplay(rig.ctx()).show();
    EXPECT_EQ(toUtf8(app.pass.hjziir), "是");
    EXPECT_EQ(rig.box(app.win.boxes.text7), tailFixed == 0 ? "我们是" : "");
    EXPECT_EQ(toUtf8(app.conv.tailText), tailFixed == 0 ? "是" : "");
  }
}

// A sentence whose last word is not its code's first word, corrected with a quick-select key.
TEST(CandidatePick, LabelPutsTheCandidateIntoTheSentence) {
  struct Case {
    std::u16string script;
    int commitOnPick;  // 句末选重上屏
    std::string shownAfterPick, target;
  };
  const std::vector<Case> cases = {
      {u"womfdeuiji 2 space", 0, "我们的实际", "我们的实际"},
      {u"womfdeuiji ' space", 0, "我们的实际", "我们的实际"},
      {u"womfdeuiji 3 space", 0, "我们的时机", "我们的时机"},
      {u"womfdeuiji ; space", 0, "我们的世纪", "我们的世纪"},
      {u"womfdeuiji 2", 1, "", "我们的实际"},
      // A one-character sentence is replaced whole.
      {u"wo 2 space", 0, "窝", "窝"},
      // Typing goes on behind the picked word.
      {u"womfdeuiji 2 wo space", 0, "我们的实际", "我们的实际我"},
      {u"womfdeuiji 5 space", 0, "我们的世机", "我们的世机"},
      // The last select key ahead of the digits names the fifth candidate too.
      {u"womfdeuiji \\ space", 0, "我们的世机", "我们的世机"},
      // Backspace into the picked word's code opens it again.
      {u"womfdeuiji 2 backspace i space", 0, "我们的实际", "我们的世纪"},
      // A digit beyond the list is typed as it is.
      {u"wo 5 space", 0, "我5", "我5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(toUtf8(c.script));
    Rig rig;
    rig.app().settings.jumoxris = c.commitOnPick;
    const auto steps = rig.type(c.script);
    ASSERT_GE(steps.size(), 2u);
    EXPECT_EQ(toUtf8(steps[1].boxes.text7.text), c.shownAfterPick);
    EXPECT_EQ(rig.target(), c.target);
  }
}

// A word the auxiliary-code lookup accepted, picked while the code line goes on past the tail
// word, takes the place of the tail and of the character before it.
TEST(CandidatePick, AuxiliaryAcceptedWordReplacesTheTailAndOneCharacterMore) {
  Rig rig;
  App& app = rig.app();
  CandidateBoxes& b = app.win.boxes;
  app.settings.jumoxris = 0;
  b.rtext1.text = u"womfdeuiji";
  b.rtext2.text = b.text7.text = u"我们的实际";
  app.conv.tailText = u"实际";
  app.conv.tailCode = u"de";  // the code line does not end with it
  app.pass.sysyff = app.lex.cells.lookupWord = u"世纪";
  CandidatePick(rig.ctx()).pick({u";世纪"}, 0);
  EXPECT_EQ(rig.box(b.rtext2), "我们世纪");
  EXPECT_EQ(rig.box(b.text7), "我们世纪");
}

TEST(CandidatePick, ListShowsTheTailWordsCandidates) {
  Rig rig;
  const auto steps = rig.type(u"womfdeuiji");
  EXPECT_EQ(toUtf8(steps.back().boxes.text7.text), "我们的世纪");
  EXPECT_EQ(toUtf8(steps.back().boxes.hxl.text), "1;世纪 2'实际 3[时机 4]及 5\\机");
}

// 多候选句 under 输入准确度优先 with a sound code: the cloud's sentence for the shown sentence's
// code goes in front of the list, unless it is the shown sentence itself.
TEST(CandidateDisplay, CloudSentenceGoesInFrontWithSeveralSentences) {
  struct Case {
    int dhxj;
    std::u16string answer;
    std::string list;
  };
  for (const Case& c : {Case{1, u"拟好", "1;拟好nt 2'我 3[你rx"}, Case{1, u"你好", "1;我 2'你rx 3[他"},
                        Case{0, u"拟好", "1;我 2'你rx 3[他"}}) {
    SCOPED_TRACE(c.dhxj);
    SCOPED_TRACE(toUtf8(c.answer));
    Rig rig;
    App& app = rig.app();
    testing_support::FixedCloud cloud(app.web);
    cloud.answer = c.answer;
    WebServices* const kept = app.webServices;
    app.webServices = &cloud;
    app.settings.dhxj = c.dhxj;
    app.settings.vqdyx = true;
    app.settings.ymur = true;
    app.pass.quickSelectKeys = u";'[]\\1234567890";
    app.pass.tex5 = u"我 100 你 90 他 70";
    app.win.boxes.text7.text = u"你好";
    CandidateDisplay(rig.ctx()).show();
    EXPECT_EQ(rig.box(app.win.boxes.hxl).substr(0, c.list.size()), c.list);
    app.webServices = kept;
  }
}

// Tab opens the full candidate page: every candidate of the de-duplicated list, five a line
// (the hook sets 候选个数 to 10 for it), each with its hint.
TEST(CandidateDisplay, TabShowsTheFullPage) {
  Rig rig;
  const auto steps = rig.type(u"nihk tab");
  EXPECT_EQ(toUtf8(steps[0].boxes.hxl.text), "1;你好nr 2'拟好nt 3[好nz 4]号");
  EXPECT_EQ(toUtf8(rig.app().pass.tex5f9), "你好 200 拟好 085 好 080 号 090");
  EXPECT_EQ(toUtf8(steps[1].boxes.hxl.text), " 你好nr 拟好nt 好nz 号");
}

// The word mode's automatic commits and the pass that starts over on the rest of the code.
TEST(AutoCommit, EmptyCodeAndSingleCandidateCommitAndRestart) {
  struct Case {
    const char* what;
    int kmup, wyup;
    bool wordMode;
    std::u16string script;
    std::string target, code;
  };
  const std::vector<Case> cases = {
      {"空码上屏: the sentence before the last letter goes out, the letter stays", 1, 0, true,
       u"nihkv", "你好", "v"},
      {"空码上屏 in a sentence mode: nothing", 1, 0, false, u"nihkv", "", "nihkv"},
      {"空码上屏, no word in front: nothing goes, the code stays", 1, 0, true, u"zqzqz", "", "zqzqz"},
      {"候选唯一上屏: one candidate, no longer code", 0, 1, true, u"womf", "我们", ""},
      {"候选唯一上屏, the code can grow: nothing", 0, 1, true, u"nihk", "", "nihk"},
      {"候选唯一上屏 after a commit: the rest is typed on", 0, 1, true, u"womfni", "我们", "ni"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Rig rig;
    App& app = rig.app();
    app.settings.izcmu = c.wordMode;
    app.settings.ilmvj = !c.wordMode;
    app.settings.kmup = c.kmup;
    app.settings.wyup = c.wyup;
    for (char16_t ch : c.script) rig.type(std::u16string(1, ch));
    EXPECT_EQ(rig.target(), c.target);
    EXPECT_EQ(rig.box(app.win.boxes.Text1), c.code);
  }
}

TEST(AutoCommit, PassStartsOverWithinTheTick) {
  Rig rig;
  App& app = rig.app();
  app.settings.izcmu = true;
  app.settings.ilmvj = false;
  app.settings.kmup = 1;
  rig.type(u"n i h k");
  // One more letter, and one run of the pass: it commits 你好 and converts the rest at once.
  app.win.boxes.Text1.text = u"nihkv";
  app.win.boxes.Text1.selStart = 5;
  app.passRunner.Timer1_Timer();
  EXPECT_EQ(rig.target(), "你好");
  EXPECT_EQ(rig.box(app.win.boxes.rtext1), "v");
  EXPECT_EQ(toUtf8(app.comp.lastCode), "v");
}

TEST(AutoCommit, ExtensionScanStopsAtTheLastEntry) {
  // "womf" is the last entry: nothing after it to grow into.
  Rig rig;
  App& app = rig.app();
  AutoCommit rules(rig.ctx());
  app.win.boxes.rtext1.text = u"womf";
  app.pass.bmstr = u"womf";
  const std::int32_t last = app.lex.mainLexicon.last;
  EXPECT_FALSE(rules.canGrow(last));
  EXPECT_FALSE(rules.canGrow(last + 1));
  EXPECT_FALSE(rules.canGrow(0));
  // "nihk" grows into "nihkma", the entry after it.
  app.win.boxes.rtext1.text = u"nihk";
  app.pass.bmstr = u"nihk";
  EXPECT_TRUE(rules.canGrow(7));
  // From "ni", whose codes run on into "nihk...".
  EXPECT_TRUE(rules.canGrow(6));
}

}  // namespace
}  // namespace yz
