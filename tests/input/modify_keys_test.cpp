// The instant-modify edit line and the Delete key.

#include <gtest/gtest.h>

#include "input_rig.h"

namespace yz {
namespace {

// A composition in instant modify, entered with left Ctrl.
void enterModify(Rig& rig) {
  rig.compose(u"nihk", u"你好");
  rig.type(u"lctrl");
  ASSERT_EQ(rig.app.comp.modifyMode, 1);
  rig.sim.hookAnswers.clear();
}

std::string line(const Rig& rig) { return toUtf8(rig.app.win.boxes.Text2.text); }

TEST(ModifyLine, KeysTypeIntoTheEditLine) {
  Rig rig;
  enterModify(rig);
  rig.type(u"wait:100 b 1 \" ;");
  EXPECT_EQ(line(rig), "b1';");  // the prompt gave way; Shift is not considered
  rig.type(u"backspace");
  EXPECT_EQ(line(rig), "b1'");
  rig.app.win.boxes.text7.text = u"你好";
  rig.type(u",");
  EXPECT_EQ(line(rig), "");
  EXPECT_EQ(rig.app.comp.modifySentence, u"你好");
  rig.sim.hookAnswers.clear();
  rig.type(u"backspace");  // an empty edit line lets Backspace through
  EXPECT_EQ(rig.answers(), "next 0");
  rig.type(u"space");
  EXPECT_EQ(rig.app.comp.pendingCommand, kPendingCommitSentence);
  rig.type(u"enter");
  EXPECT_EQ(rig.app.comp.pendingCommand, kPendingEnter);
  rig.type(u"esc");
  EXPECT_EQ(rig.app.comp.modifyMode, 0);
  EXPECT_EQ(line(rig), "输入");
}

TEST(ModifyLine, LettersTooSoonAfterTheCodeLineAreDropped) {
  Rig rig;
  rig.type(u"nihk");
  rig.app.win.boxes.rtext1.text = u"nihk";
  rig.app.win.boxes.rtext2.text = u"你好";
  rig.type(u"lctrl");
  // Within 70 ms of the last code letter, and of every dropped one: a held key never arrives.
  rig.type(u"k wait:40 k wait:40 k");
  EXPECT_EQ(line(rig), "");
  rig.type(u"wait:80 k");
  EXPECT_EQ(line(rig), "k");
}

struct DeleteCase {
  const char16_t* entry;
  const char16_t* shown;
  const char16_t* after;
  const char* answers;
};

const DeleteCase kDeleteCases[] = {
    {u"你好 083.5 拟好 090", u"拟好", u"你好 083.5", "-1 0"},
    {u"你好 083.5", u"你好", u"*# 083.5", "-1 0"},
    {u"你好 083.5 拟好 090 泥嚎 095", u"拟好", u"你好 083.5 泥嚎 095", "-1 0"},
    // An entry holding a deleted word is hidden from the lookup, so there is nothing to delete.
    {u"你好 083.5 *# 085", u"你好", u"你好 083.5 *# 085", "0 0"},
    {u"你好 083.5 拟好 090", u"你", u"你好 083.5 拟好 090", "0 0"},  // only whole words
};

TEST(DeleteKey, MarksTheShownUserWordDeleted) {
  for (const DeleteCase& c : kDeleteCases) {
    SCOPED_TRACE(toUtf8(c.entry));
    Rig rig;
    LexiconTable& user = rig.app.lex.userLexicon;
    user.insertEntry(1, u"nihk", c.entry);
    rig.compose(u"nihk", c.shown);
    rig.type(u"delete");
    EXPECT_EQ(rig.answers(), c.answers);
    EXPECT_EQ(user.lines[1], std::u16string_view(c.after));
    const bool deleted = std::string(c.answers) == "-1 0";
    EXPECT_EQ(rig.code(), deleted ? "" : "nihk");
  }
}

TEST(DeleteKey, PassesWithoutACodeOrAUserEntry) {
  Rig rig;
  rig.type(u"delete");
  rig.compose(u"nihk", u"你好");
  rig.type(u"delete");
  EXPECT_EQ(rig.answers(), "0 0 0 0");
  EXPECT_EQ(rig.code(), "nihk");
}

}  // namespace
}  // namespace yz
