#include <gtest/gtest.h>

#include "lookup_fixture.h"

namespace yz::lookup_testing {
namespace {

void expectOutcome(const Outcome& got, const Outcome& want) {
  EXPECT_EQ(got.word, want.word);
  EXPECT_FLOAT_EQ(got.weight, want.weight);
  EXPECT_EQ(got.mainHit, want.mainHit);
  EXPECT_EQ(got.userHit, want.userHit);
  EXPECT_EQ(got.charHit, want.charHit);
  EXPECT_EQ(got.slot0, want.slot0);
  EXPECT_EQ(got.candidates, want.candidates);
}

// The main path: user, main and single-character lexicons by the code's length and the mode.
TEST_F(LookupWorld, MainPathPriorities) {
  struct Case {
    const char* name;
    Mode mode;
    std::u16string_view code;
    Outcome want;  // word, weight, main/user/char hit, slot 0 line, user candidates
    int modifyMode = 0;
    int raceMode = 0;
    int gpsd = 0;
    int pendingCommand = 0;
    int wordMaxLen = 7;
  };
  const Case cases[] = {
      {"main line in the middle", Mode::TopCode, u"vsgo", {"中国", 50, "vsgo", "-", "-", "", "", "", ""}},
      {"first main code (instant modify searches two letters)", Mode::TopCode, u"aa",
       {"啊", 90, "aa", "-", "aa", "", "", "", ""}, 1},
      {"last main code", Mode::TopCode, u"zzzy", {"最最", 100, "zzzy", "-", "-", "", "", "", ""}},
      {"odd length is never searched in the main lexicon", Mode::TopCode, u"uix",
       {"", 400, "-", "-", "-", "", "", "", ""}},
      {"user and main line of one code: the user's first word", Mode::TopCode, u"bafa",
       {"拔伐", 85, "bafa", "bafa", "-", "拔伐 085", "拔伐 085", "", ""}},
      {"one letter: the single character, though the user has the code", Mode::TopCode, u"s",
       {"是", 90, "-", "s", "s", "", "所 090", "", ""}},
      {"纯两码整句, two letters in the user lexicon", Mode::TwoCode, u"ba",
       {"吧", 90, "-", "ba", "ba", "吧 090", "吧 090", "", ""}},
      {"纯两码整句, two letters not in the user lexicon", Mode::TwoCode, u"da",
       {"大", 400, "-", "-", "da", "", "", "", ""}},
      {"混输整句, two letters in the user lexicon", Mode::Mixed, u"ba",
       {"吧", 90, "-", "ba", "ba", "吧 090", "吧 090", "", ""}},
      {"user word of a code longer than three word lengths", Mode::TopCode, u"dajxhfde",
       {"大家好的", 42, "-", "dajxhfde", "-", "大家好的 070", "大家好的 070", "", ""}, 0, 0, 0, 0, 2},
      {"long code not in the user lexicon", Mode::TopCode, u"dajxhfdx",
       {"", 400, "-", "-", "-", "", "", "", ""}, 0, 0, 0, 0, 2},
      {"fair race: no user lexicon, two letters in the main lexicon", Mode::TwoCode, u"ba",
       {"八", 100, "ba", "-", "-", "", "", "", ""}, 0, 1, 1},
      {"word making looks the code up as plain letters", Mode::WordMode, u"vsgozw",
       {"", 400, "-", "-", "-", "", "", "", ""}, 0, 0, 0, kPendingWordMaking},
      {"the same code otherwise reads auxiliary letters", Mode::WordMode, u"vsgozw",
       {"中国", 50, "vsgo", "-", "-", "", "", "", ""}},
      {"a deleted user word leaves the main line", Mode::TopCode, u"hfxx",
       {"好像", 80, "hfxx", "-", "-", "", "", "", ""}},
  };
  settings.auxOrder = {true, false, false};  // 首末字辅助优先
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    setMode(c.mode);
    comp.modifyMode = c.modifyMode;
    race.raceMode = c.raceMode;
    race.gpsd = c.gpsd;
    comp.pendingCommand = c.pendingCommand;
    conv.wordMaxLen = c.wordMaxLen;
    type(c.code);
    expectOutcome(look(c.code), c.want);
    EXPECT_EQ(lex.cells.fybci, 0);
    EXPECT_EQ(lex.cells.fybcib, 0);
  }
}

TEST_F(LookupWorld, SemicolonCodeLineGivesFullWidthSemicolon) {
  setMode(Mode::TopCode);
  type(u";");
  Outcome got = look(u";");
  EXPECT_EQ(got.word, "；");
  // Only the code line decides: the same code typed under another code line finds nothing.
  win.boxes.rtext1.text = u"a;";
  EXPECT_EQ(look(u";").word, "");
}

// A caller with a weight cell of its own keeps the single character's 800 (first letter only);
// through zicipn the user lookup's 400 replaces it.
TEST_F(LookupWorld, FirstLetterWeightReachesOwnWeightCell) {
  setMode(Mode::TopCode);
  type(u"bz");
  std::u16string word;
  float weight = 0;
  lookup.hzirvck(u"bz", word, weight);
  EXPECT_EQ(u8(word), "不");
  EXPECT_FLOAT_EQ(weight, 800);
  EXPECT_EQ(look(u"bz").weight, 400);
}

TEST_F(LookupWorld, AssociationOnAndOff) {
  struct Case {
    const char* name;
    Mode mode;
    std::u16string_view code;
    std::string word;
    float weight;
    std::string slot0;
    int startLen = 4;
    bool hbxrlj = false;
    int modifyMode = 0;
    int raceMode = 0;
    std::u16string_view codeLine = {};  // empty: the code itself
  };
  const std::string bafaMerged = "拔伐 085 办法 080 八发 300 拔伐 085";
  const std::string bafaAssociated = bafaMerged + " 办法集 120 办法界 700 办法是 100";
  const Case cases[] = {
      {"the run of longer codes joins the line, each line once", Mode::TopCode, u"bafa", "拔伐", 85,
       bafaAssociated},
      {"纯两码整句 while the pass builds end-word candidates", Mode::TwoCode, u"bafa", "拔伐", 85,
       bafaAssociated, 4, true},
      {"纯两码整句 otherwise: no association", Mode::TwoCode, u"bafa", "拔伐", 85, bafaMerged},
      {"instant modify: no association", Mode::TopCode, u"bafa", "拔伐", 85, bafaMerged, 4, false, 1},
      {"race run: no association", Mode::TopCode, u"bafa", "拔伐", 85, bafaMerged, 4, false, 0, 1},
      {"code not at the end of the code line", Mode::TopCode, u"bafa", "拔伐", 85, bafaMerged, 4,
       false, 0, 0, u"bafaxx"},
      {"shorter than the start length: the merged line is the word", Mode::WordMode, u"bafa",
       bafaMerged, 85, "拔伐 085", 12},
      {"after the last main code: the merged words stand", Mode::TopCode, u"zzzz", "咋咋", 85,
       "咋咋 085 咋咋 085"},
      {"odd length searches the main lexicon from its first entry", Mode::TopCode, u"vsh", "中华", 60,
       "中华 060 终 150 中华 060 中华人 070 众华人 300", 3},
  };
  settings.iqlx = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    setMode(c.mode);
    pass.associationStartLen = c.startLen;
    pass.hbxrlj = c.hbxrlj;
    comp.modifyMode = c.modifyMode;
    race.raceMode = c.raceMode;
    type(c.code);
    if (!c.codeLine.empty()) win.boxes.rtext1.text = c.codeLine;
    Outcome got = look(c.code);
    EXPECT_EQ(got.word, c.word);
    EXPECT_FLOAT_EQ(got.weight, c.weight);
    EXPECT_EQ(got.slot0, c.slot0);
  }
}

// A code that no lexicon holds but that longer main codes begin with: the words of the run are
// the result, not the weight that stood for "nothing found".
TEST_F(LookupWorld, AssociationForACodeWithoutEntryGivesTheRunsWords) {
  settings.iqlx = 1;
  setMode(Mode::TopCode);
  pass.associationStartLen = 4;
  type(u"bafaj");
  lex.cells.fybci = 1;  // a plain lookup: no auxiliary reading of the fifth letter
  Outcome got = look(u"bafaj");
  EXPECT_EQ(got.word, "办法集");
  EXPECT_FLOAT_EQ(got.weight, 120);
  lex.cells.fybci = 0;
}

// A main entry whose line holds " 7" is gathered with a run but never lands the search.
TEST_F(LookupWorld, AssociationDoesNotLandOnALineMarkedSeven) {
  settings.iqlx = 1;
  setMode(Mode::TopCode);
  pass.associationStartLen = 4;
  std::vector<Entry> mainLines = kMainLines;
  mainLines.push_back({u"xmzdjm", u"小组界 700"});
  fillTable(lex.mainLexicon, mainLines);
  type(u"xmzdj");
  lex.cells.fybci = 1;  // a plain lookup: no auxiliary reading of the fifth letter
  Outcome got = look(u"xmzdj");
  EXPECT_EQ(got.word, "");
  EXPECT_FLOAT_EQ(got.weight, 400);
  lex.cells.fybci = 0;
}

// 重码时词频优先: a four-letter code whose single character weighs less than its word.
TEST_F(LookupWorld, FrequencyFirstAmongHomonymsTakesTheLighterCharacter) {
  struct Case {
    const char* name;
    Mode mode;
    std::u16string_view code;
    std::u16string_view charLine;
    int cpyx;
    std::string word;
    float weight;
    std::u16string_view codeLine;
    int startLen = 12;
  } cases[] = {
      // 混输整句: association stays off, and the rule holds wherever the code stands.
      {"the lighter character", Mode::Mixed, u"dede", u"德 030", 1, "德", 30, u"dedexx"},
      {"off", Mode::Mixed, u"dede", u"德 030", 0, "得得", 300, u"dedexx"},
      {"a heavier character", Mode::Mixed, u"dede", u"德 500", 1, "得得", 300, u"dedexx"},
      {"a code of three letters", Mode::TopCode, u"vsh", u"终 010", 1, "中华", 60, u"vsh", 3},
  };
  settings.iqlx = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    setMode(c.mode);
    pass.associationStartLen = c.startLen;
    std::vector<Entry> charLines;
    for (const Entry& e : kCharLines) {
      if (e.code != c.code) charLines.push_back(e);
    }
    charLines.push_back({c.code, c.charLine});
    fillTable(lex.charLexicon, charLines);
    settings.cpyx = c.cpyx;
    type(c.code);
    win.boxes.rtext1.text = c.codeLine;
    Outcome got = look(c.code);
    EXPECT_EQ(got.word, c.word);
    EXPECT_FLOAT_EQ(got.weight, c.weight);
  }
}

// With association on, the final step moves a two-character second word before a lone character.
TEST_F(LookupWorld, AssociationSettingPutsWordBeforeLoneCharacter) {
  setMode(Mode::TwoCode);
  type(u"gego");
  EXPECT_EQ(look(u"gego").word, "个");
  settings.iqlx = 1;
  Outcome got = look(u"gego");
  EXPECT_EQ(got.word, "各国");
  EXPECT_FLOAT_EQ(got.weight, 90);
  EXPECT_EQ(got.slot0, "各国 090 个 050 各国 090 个 050");
  EXPECT_EQ(got.endzf0, got.slot0);
}

TEST_F(LookupWorld, LineSelectedByYbcib) {
  struct Case {
    const char* name;
    std::u16string_view code;
    std::string line;
    int modifyMode = 0;
  };
  const Case cases[] = {
      {"two letters: the single-character line", u"da", "大 100 打 200"},
      {"two letters with a main line: the main line wins", u"aa", "啊 090 阿 200", 1},
      {"three letters: the single-character line", u"baj", "把 150"},
      {"three letters found only in the main lexicon: nothing", u"uix", ""},
      {"four letters: the main line", u"vsgo", "中国 050 种果 300"},
      {"a user hit wins", u"bafa", "拔伐 085"},
  };
  setMode(Mode::TopCode);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    comp.modifyMode = c.modifyMode;
    type(c.code);
    EXPECT_EQ(u8(lookup.ybcib(c.code)), c.line);
    EXPECT_EQ(lex.cells.fybci, 0);
    EXPECT_EQ(lex.cells.fybcib, 0);
  }
  // The empty code runs no lookup and leaves the guards as they were.
  lex.cells.fybci = 5;
  lex.cells.lookupWord = u"keep";
  EXPECT_EQ(lookup.ybcib(u""), u"");
  EXPECT_EQ(lex.cells.fybci, 5);
}

}  // namespace
}  // namespace yz::lookup_testing

namespace yz::lookup_testing {
namespace {

class KeptLookups : public LookupWorld {
 protected:
  // Everything a lookup leaves, the wrappers' cells included.
  std::string trace(const std::u16string& out, float weight) const {
    const Outcome o = outcome();
    const LookupCells& c = lex.cells;
    return o.word + "|" + std::to_string(o.weight) + "|" + o.mainHit + "|" + o.userHit + "|" + o.charHit +
           "|" + o.slot0 + "|" + o.candidates + "|" + o.endzf0 + "|" + o.sysyff + "|" + toUtf8(c.cnir3) +
           "|" + std::to_string(c.lastFoundIndex) + "|" + std::to_string(c.fybci) + std::to_string(c.fybcib) +
           "|" + toUtf8(out) + "|" + std::to_string(weight) + "|" + toUtf8(lex.mainLexicon.codes[0]);
  }

  // Runs a mix of lookups, plain and through both wrappers, with codes asked again, and traces
  // every cell after each.
  std::vector<std::string> run(bool kept) {
    const std::u16string_view codes[] = {u"vsgo", u"bafa", u"vsgorf", u"vsgo", u"s", u"bafa", u"ba",
                                         u"vsgozw", u"vsgo", u"dajxhfde", u"ba", u"vsgozw", u"uix",
                                         u"vsgorf", u"s", u"hfxx", u"hfxx", u"vsgozwd", u"vsgozwd",
                                         // a kept plain lookup again once `ybcib` changed its cell
                                         u"bafa", u"vsgorf", u"ba", u"bafa"};
    std::vector<std::string> out;
    lex.cells = LookupCells{};  // both runs start alike
    pass.sysyff.clear();
    if (kept) lookup.beginRepeats();
    int n = 0;
    for (std::u16string_view code : codes) {
      std::u16string word;
      float weight = 7;
      switch (n++ % 3) {
        case 0: lookup.hzirvck(std::u16string(code), word, weight); break;
        case 1: word = lookup.ybci(code); break;
        default: word = lookup.ybcib(code); break;
      }
      out.push_back(trace(word, weight));
    }
    if (kept) lookup.endRepeats();
    return out;
  }
};

// Keeping the outcomes of repeated codes changes nothing a lookup leaves, in every mode.
TEST_F(KeptLookups, AnswerExactlyAsTheLookupWould) {
  for (Mode mode : {Mode::TwoCode, Mode::Mixed, Mode::TopCode, Mode::WordMode, Mode::ThreeCode}) {
    SCOPED_TRACE(static_cast<int>(mode));
    setMode(mode);
    settings.iqlx = 1;  // association on
    type(u"vsgozwd");
    const std::vector<std::string> plain = run(false);
    const std::vector<std::string> kept = run(true);
    ASSERT_EQ(kept.size(), plain.size());
    for (std::size_t i = 0; i < kept.size(); ++i) EXPECT_EQ(kept[i], plain[i]) << "lookup " << i;
  }
}

// A word learned, a key handled or a mode changed between two lookups of one code: the second
// is looked up afresh.
TEST_F(KeptLookups, ForgottenWhenTheWorldChanges) {
  setMode(Mode::TopCode);
  type(u"vsgo");
  lookup.beginRepeats();
  EXPECT_EQ(look(u"vsgo").word, "中国");
  lex.userLexicon.insertEntry(8, u"vsgo", u"中锅 010");  // before vsk
  EXPECT_EQ(look(u"vsgo").word, "中锅");

  lex.userLexicon.lines.set(8, u"钟国 010");
  sim.setTimer(sim.createTimer([] {}), 1, true);
  sim.advance(5);  // a handler ran
  EXPECT_EQ(look(u"vsgo").word, "钟国");

  // Word making reads the code as plain letters; afterwards it is read as before.
  setMode(Mode::WordMode);
  comp.pendingCommand = kPendingWordMaking;
  type(u"vsgozw");
  EXPECT_EQ(look(u"vsgozw").word, "");
  comp.pendingCommand = 0;
  const std::string kept = look(u"vsgozw").word;
  lookup.endRepeats();
  EXPECT_EQ(kept, look(u"vsgozw").word);
}

// The spare exact lookup: the whole main line for a code of any length, no other lexicon.
TEST_F(LookupWorld, SpareExactLookupGivesTheWholeMainLine) {
  struct Case {
    std::u16string_view code;
    std::string line;
    float weight;  // 7 = left as it was
    std::string mainHit;
  } cases[] = {
      {u"vsgo", "中国 050 种果 300", 7, "vsgo"},
      {u"vsgorf", "中国人 040", 7, "vsgorf"},
      {u"vsk", "", 400, "-"},  // a user code only
      {u"qqqq", "", 400, "-"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(u8(c.code));
    lex.cells.mainHitIndex = 3;
    std::u16string cnir = u"stale";
    float weight = 7;
    lookup.hzirvck1(c.code, cnir, weight);
    EXPECT_EQ(u8(cnir), c.line);
    EXPECT_FLOAT_EQ(weight, c.weight);
    EXPECT_EQ(hitCode(lex.mainLexicon, lex.cells.mainHitIndex), c.mainHit);
  }
}

}  // namespace
}  // namespace yz::lookup_testing
