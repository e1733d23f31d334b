// Instant modify on a small lexicon, driven as a user types: the entries, the position letters,
// the auxiliary-letter filter, the select key and label picks, the full page, and leaving with
// Esc or committing with Space.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "input/instant_modify.h"
#include "lexicon/utf.h"
#include "main/sim_driver.h"
#include "../support/make_table.h"

namespace yz {
namespace {

using Entries = std::vector<std::pair<std::u16string, std::u16string>>;

const Entries kMain = {
    {u"de", u"的 080 得 090 地 095"},  {u"ji", u"及 080 机 090 纪 095 级 096 即 097 极 098 集 099"},
    {u"mf", u"们 080 门 090"},          {u"ui", u"是 080 时 090 事 095"},
    {u"uiji", u"世纪 080 实际 085 时机 090 事迹 095"},
    {u"wo", u"我 080 窝 090"},          {u"womf", u"我们 080"},
};
const Entries kChars = {
    {u"de", u"的 080 得 090 地 095"},
    {u"ji", u"及 080 机 090 纪 095 级 096 即 097 极 098 集 099"},
    {u"mf", u"们 080 门 090"},
    {u"ui", u"是 080 时 090 事 095"}, {u"wo", u"我 080 窝 090"},
};

// Auxiliary codes of the characters (made up for the test).
const std::vector<std::pair<char16_t, std::u16string>> kAux = {
    {u'世', u"sy"}, {u'纪', u"jm"}, {u'实', u"sb"}, {u'际', u"kf"}, {u'时', u"sr"}, {u'机', u"jm"},
    {u'事', u"sk"}, {u'迹', u"jd"}, {u'及', u"jy"}, {u'我', u"wg"}, {u'们', u"mr"}, {u'的', u"db"},
    {u'得', u"dc"}, {u'地', u"dt"}, {u'是', u"sr"}, {u'门', u"mm"}, {u'窝', u"wx"},
};

// Records the texts handed to word learning.
struct Learning final : LearningServices {
  void yhck(std::u16string_view text) override { texts.emplace_back(text); }
  std::vector<std::u16string> texts;
};

struct Rig {
  Rig() {
    App& a = app();
    a.lex.mainLexicon = testing_support::makeTable(kMain);
    a.lex.charLexicon = testing_support::makeTable(kChars);
    a.lex.userLexicon.reset();
    for (const auto& [ch, code] : kAux) {
      const auto slot = static_cast<std::size_t>(a.gbk.charIndex(ch));
      a.lex.charAuxCodes.set(slot, code);
      a.lex.charFullCodes.set(slot, u"xx");
    }
    a.learning = &learning;
    // Without a program folder the start-up asked to quit; the tables above stand in for it.
    session.platform.quitRequested = false;
    if (!session.platform.keyboardHookInstalled()) a.input.hook.installKeyboardHook();
  }
  App& app() { return *session.app; }
  std::vector<SimStep> type(std::u16string_view script) { return session.type(script); }
  std::string target() { return toUtf8(session.target.text); }
  static std::string text(const TextBoxState& b) { return toUtf8(b.text); }
  SimSession session;
  Learning learning;
};

std::string describe(const std::vector<SimStep>& steps) {
  std::string out;
  for (const SimStep& s : steps) {
    out += "> " + toUtf8(s.keys) + " | Text2=" + toUtf8(s.boxes.Text2.text) + " | text7=" +
           toUtf8(s.boxes.text7.text) + " | rtext1=" + toUtf8(s.boxes.rtext1.text) +
           " | hxl=" + toUtf8(s.boxes.hxl.text) + " | target=" + toUtf8(s.targetText) + "\n";
  }
  return out;
}

TEST(InstantModify, LeftCtrlShowsPositionLettersAndALabelPickCorrectsTheSentence) {
  Rig rig;
  const auto steps = rig.type(u"womfdeuiji lctrl e ' space");
  SCOPED_TRACE(describe(steps));
  ASSERT_EQ(steps.size(), 5u);
  EXPECT_EQ(Rig::text(steps[0].boxes.text7), "我们的世纪");
  // Entered: every character has its position letter, the edit line reads 瞬改.
  EXPECT_EQ(Rig::text(steps[1].boxes.Text2), "瞬改");
  EXPECT_EQ(Rig::text(steps[1].boxes.hxl), "ａｂｃｄｅ");
  EXPECT_EQ(steps[1].targetText, u"");
  // Position e: the words that end at 纪, numbered with their select keys and hints.
  EXPECT_EQ(Rig::text(steps[2].boxes.Text2), "e");
  // A word's hint: the first auxiliary letter of its last character, then of its first.
  EXPECT_EQ(Rig::text(steps[2].boxes.hxl), "1;世纪js 2'实际ks 3[时机js 4]事迹js 5\\及jy 6机jm 7");
  // The chosen character shows its first homophone at once.
  EXPECT_EQ(Rig::text(steps[2].boxes.text7), "我们的世及");
  // "'" picks slot 1: 实际 replaces the two characters that end at e; back to idle.
  EXPECT_EQ(Rig::text(steps[3].boxes.text7), "我们的实际");
  EXPECT_EQ(Rig::text(steps[3].boxes.Text2), "瞬改");
  EXPECT_EQ(Rig::text(steps[3].boxes.hxl), "ａｂｃｄｅ");
  EXPECT_EQ(rig.target(), "我们的实际");
  ASSERT_EQ(rig.learning.texts.size(), 1u);
  EXPECT_EQ(toUtf8(rig.learning.texts[0]), "我们的实际");
  EXPECT_EQ(rig.app().comp.modifyMode, 0);
  EXPECT_EQ(rig.app().passRunner.instantModify().deepestNesting(), 1);
}


TEST(InstantModify, AuxiliaryLettersNarrowTheListAndPick) {
  struct Case {
    const char* what;
    std::u16string keys;     // after the position letter e
    std::string committed;   // what Space committed
    std::string list;        // the list after the first auxiliary letter (its start)
    std::string sentence;    // the sentence after the first auxiliary letter
  };
  const std::vector<Case> cases = {
      // 际 alone has the auxiliary letter k: 实际 goes in at once and the loop is idle again.
      {"one letter, one match", u"k", "我们的实际", "ａｂｃｄｅ", "我们的实际"},
      // j matches six words, numbered anew; the chosen character shows the first match's last
      // character until "2" (the second select key after a letter) picks the second match.
      {"one letter, a number", u"j 2", "我们的时机", "1;世纪js 2'时机js 3[事迹js 4]及jy 5\\机jm 6纪jm",
       "我们的世纪"},
      {"one letter, a select key", u"j [", "我们的事迹", "1;世纪js", "我们的世纪"},
      // j matches nine words here (级 has no auxiliary code); "9" takes the ninth, 集.
      {"one letter, the last number", u"j 9", "我们的世集", "1;世纪js", "我们的世纪"},
      // Two letters: the single characters whose code starts jm, lettered; "b" takes the second.
      {"two letters, a label", u"j m b", "我们的世纪", "1;世纪js", "我们的世纪"},
      // A letter that nothing matches goes and the list stays; ";" then takes its first word.
      {"no match", u"q ;", "我们的世纪", "1;世纪js 2'实际ks", "我们的世及"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Rig rig;
    // Three more j-words, so that j matches nine.
    for (char16_t ch : {u'即', u'极', u'集'})
      rig.app().lex.charAuxCodes.set(static_cast<std::size_t>(rig.app().gbk.charIndex(ch)), u"jq");
    const auto steps = rig.type(u"womfdeuiji lctrl e " + c.keys + u" space");
    SCOPED_TRACE(describe(steps));
    EXPECT_EQ(rig.target(), c.committed);
    ASSERT_GE(steps.size(), 5u);
    const SimStep& filtered = steps[3];
    EXPECT_EQ(Rig::text(filtered.boxes.hxl).substr(0, c.list.size()), c.list);
    EXPECT_EQ(Rig::text(filtered.boxes.text7), c.sentence);
    EXPECT_EQ(Rig::text(steps[steps.size() - 2].boxes.Text2), "瞬改");
    EXPECT_EQ(rig.learning.texts.size(), 1u);
  }
}

TEST(InstantModify, TwoLettersLabelTheMatchesWithLetters) {
  Rig rig;
  const auto steps = rig.type(u"womfdeuiji lctrl e j m b");
  SCOPED_TRACE(describe(steps));
  ASSERT_EQ(steps.size(), 6u);
  EXPECT_EQ(Rig::text(steps[4].boxes.hxl), "a机jm b纪jm");
  EXPECT_EQ(Rig::text(steps[4].boxes.text7), "我们的世机");
  EXPECT_EQ(Rig::text(steps[5].boxes.text7), "我们的世纪");
  EXPECT_EQ(Rig::text(steps[5].boxes.hxl), "ａｂｃｄｅ");
  // The letters typed into the edit line leave the local result alone.
  EXPECT_EQ(Rig::text(steps[5].boxes.rtext2), "我们的世纪");
}

TEST(InstantModify, EscLeavesWithoutACommit) {
  Rig rig;
  const auto steps = rig.type(u"womfdeuiji lctrl e ' esc");
  SCOPED_TRACE(describe(steps));
  EXPECT_EQ(rig.target(), "");
  EXPECT_TRUE(rig.learning.texts.empty());
  EXPECT_EQ(rig.app().comp.modifyMode, 0);
  EXPECT_EQ(Rig::text(rig.app().win.boxes.Text2), "输入");
  EXPECT_EQ(Rig::text(rig.app().win.boxes.text7), "");
  // The next code starts afresh.
  rig.type(u"wo space");
  EXPECT_EQ(rig.target(), "我");
}

TEST(InstantModify, TabOpensTheFullPageOnTheLastCharacter) {
  Rig rig;
  const auto steps = rig.type(u"womfdeuiji tab ' space");
  SCOPED_TRACE(describe(steps));
  ASSERT_EQ(steps.size(), 4u);
  // Ten items a line, each after a space; the position letter e was typed by Tab.
  EXPECT_EQ(Rig::text(steps[1].boxes.hxl),
            " 1;世纪js 2'实际ks 3[时机js 4]事迹js 5\\及jy 6机jm 7纪jm 8级fj 9即fj 0极fj\r\n 集fj");
  EXPECT_EQ(rig.target(), "我们的实际");
}

TEST(InstantModify, F9InsideShowsTheFullPage) {
  Rig rig;
  const auto steps = rig.type(u"womfdeuiji lctrl e f9 esc");
  SCOPED_TRACE(describe(steps));
  ASSERT_EQ(steps.size(), 5u);
  EXPECT_NE(Rig::text(steps[3].boxes.hxl).find("\r\n 集fj"), std::string::npos);
  EXPECT_EQ(rig.app().settings.hxgu, u"5");  // Esc gives the page size back
}

TEST(InstantModify, OneCharacterSentenceStartsOnItsPosition) {
  Rig rig;
  const auto steps = rig.type(u"ji lctrl ' space");
  SCOPED_TRACE(describe(steps));
  ASSERT_EQ(steps.size(), 4u);
  EXPECT_EQ(Rig::text(steps[1].boxes.hxl), "1;及jy 2'机jm 3[纪jm 4]级fj 5\\即fj 6极fj 7集fj");
  EXPECT_EQ(rig.target(), "机");
}

TEST(InstantModify, LongPressOfALetterChoosesItsCharacter) {
  Rig rig;
  // i held down: its repeats come 40 ms apart; the first repeat takes the last two letters off
  // and asks for instant modify, and the position of the first "i" of the code is chosen.
  const auto steps = rig.type(u"womfdeuiji");
  SimPlatform& pf = rig.session.platform;
  std::vector<SimStep> held;
  pf.typeScript({u"i", u"i", u"i", u"i", u"i", u"i"}, nullptr);
  for (int repeat = 0; repeat < 4; ++repeat) {
    pf.typeKeys(u"i");
    pf.advance(40);
  }
  pf.settle();
  const App& a = rig.app();
  EXPECT_EQ(a.comp.modifyMode, 1);
  EXPECT_EQ(Rig::text(a.win.boxes.Text2), "d");
  EXPECT_EQ(Rig::text(a.win.boxes.hxl).substr(0, 7), "1;是sr");
}

TEST(InstantModify, LongPressChoosesTheCharacterOfTheLettersFirstPlace) {
  // The code "womfdeuiji": m first stands at letter 3 (the second character), d at letter 5
  // (the third), f at letter 4 (the second).
  struct Case {
    std::u16string letter;
    std::string positionLetter;
  } cases[] = {{u"m", "b"}, {u"d", "c"}, {u"f", "b"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(toUtf8(c.letter));
    Rig rig;
    rig.type(u"womfdeuiji");
    // Held down: the press and, after the keyboard's delay, the first repeat are typed; the
    // next repeat comes 30 ms later and asks for instant modify.
    SimPlatform& pf = rig.session.platform;
    std::string positionLetter, buy;
    std::int32_t modifyMode = 0;
    // What the loop shows once it comes to rest; Esc then leaves it.
    pf.typeScript({u"esc"}, [&](std::size_t token) {
      if (token != 0) return;
      positionLetter = Rig::text(rig.app().win.boxes.Text2);
      buy = toUtf8(rig.app().pass.buy);
      modifyMode = rig.app().comp.modifyMode;
    });
    pf.advance(200);
    pf.typeKeys(c.letter);
    pf.advance(400);
    for (int repeat = 0; repeat < 3; ++repeat) {
      pf.typeKeys(c.letter);
      pf.advance(30);
    }
    pf.settle();
    EXPECT_EQ(modifyMode, 1);
    EXPECT_EQ(buy, "womfdeuiji");
    EXPECT_EQ(positionLetter, c.positionLetter);
  }
}

TEST(InstantModify, NoPassRunsInsideTheLoop) {
  Rig rig;
  App& a = rig.app();
  // Windows delivers the input timer's ticks inside the loop's own pumping; a second timer
  // runs the pass the same way here.
  SimPlatform& pf = rig.session.platform;
  const auto timer = pf.createTimer([&a] { a.inputPass->Timer1_Timer(); });
  pf.setTimer(timer, 50, true);
  const auto steps = rig.type(u"womfdeuiji lctrl e ' a ; c ' e ; space");
  pf.setTimer(timer, 0, false);
  SCOPED_TRACE(describe(steps));
  EXPECT_EQ(a.passRunner.instantModify().deepestNesting(), 1);
  // a ; puts 我 back, c ' takes 得, e ; takes 世纪.
  EXPECT_EQ(rig.target(), "我们得世纪");
}

TEST(InstantModify, EnterCommitsTheCodeLineAndBackspaceGoesBackToTheLetters) {
  Rig rig;
  const auto steps = rig.type(u"womfdeuiji lctrl c backspace e ' enter");
  SCOPED_TRACE(describe(steps));
  ASSERT_EQ(steps.size(), 7u);
  // Backspace over the position letter: the letters again; the swap it made stays.
  EXPECT_EQ(Rig::text(steps[3].boxes.hxl), "ａｂｃｄｅ");
  EXPECT_EQ(Rig::text(steps[3].boxes.Text2), "瞬改");
  // The code line holds converted text in instant modify: Enter commits it.
  EXPECT_EQ(rig.target(), "我们得实际");
}

TEST(InstantModify, VerticalListShowsFiveRows) {
  Rig rig;
  rig.app().settings.uphx = true;
  rig.app().settings.hphx = false;
  rig.app().mirror.verticalListSetting = 1;
  const auto steps = rig.type(u"womfdeuiji lctrl e esc");
  SCOPED_TRACE(describe(steps));
  ASSERT_EQ(steps.size(), 4u);
  // Position e (index 4) and a first item of six characters: 4 - 6 + 3 is below 2, no indent.
  EXPECT_EQ(Rig::text(steps[2].boxes.hxl), "1;世纪js\r\n2'实际ks\r\n3[时机js\r\n4]事迹js\r\n5\\及jy\r\n");
}

TEST(InstantModify, DigitsAreStrayWithoutNumberSelection) {
  Rig rig;
  rig.app().settings.uzkx = 0;
  const auto steps = rig.type(u"womfdeuiji lctrl e 2 ; space");
  SCOPED_TRACE(describe(steps));
  ASSERT_EQ(steps.size(), 6u);
  EXPECT_EQ(Rig::text(steps[3].boxes.Text2), "e");
  EXPECT_EQ(rig.target(), "我们的世纪");
}

TEST(InstantModify, DoubleByteCharactersOfAnItem) {
  Rig rig;
  EXPECT_EQ(doubleByteChars(u"1;中国ab", rig.app().gbk), u"中国");
  EXPECT_EQ(doubleByteChars(u"a1;", rig.app().gbk), u"");
}

}  // namespace
}  // namespace yz
