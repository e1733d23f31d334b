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
    {u"de", u"的 080 得 090 地 095"},  {u"ji", u"及 080 机 090 纪 095"},
    {u"mf", u"们 080 门 090"},          {u"ui", u"是 080 时 090 事 095"},
    {u"uiji", u"世纪 080 实际 085 时机 090 事迹 095"},
    {u"wo", u"我 080 窝 090"},          {u"womf", u"我们 080"},
};
const Entries kChars = {
    {u"de", u"的 080 得 090 地 095"}, {u"ji", u"及 080 机 090 纪 095"}, {u"mf", u"们 080 门 090"},
    {u"ui", u"是 080 时 090 事 095"}, {u"wo", u"我 080 窝 090"},
};

// Auxiliary codes of the characters (made up for the test).
const std::vector<std::pair<char16_t, std::u16string>> kAux = {
    {u'世', u"sy"}, {u'纪', u"jm"}, {u'实', u"sb"}, {u'际', u"jf"}, {u'时', u"sr"}, {u'机', u"jm"},
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
      a.lex.charAuxCodes[slot] = code;
      a.lex.charFullCodes[slot] = u"xx";
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
  EXPECT_EQ(Rig::text(steps[2].boxes.hxl).rfind("1;世纪js 2'实际js 3[时机js 4]事迹js 5\\及jy 6机jm", 0), 0u);
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

}  // namespace
}  // namespace yz
