// Word learning in the whole program: a chosen commit rewrites the user lexicon file, the next
// conversion of the same code gives the learned sentence, and the words survive a restart.

#include <gtest/gtest.h>

#include "lexicon/user_store.h"
#include "program_fixture.h"

namespace yz {
namespace {

using testing::ProgramFolderTest;

class ProgramLearningTest : public ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    writeTables();
    writeLines(kUserLexiconPath, {u"wowo,我我 3"});
    start();
    platform().defaultMessageBoxAnswer = MessageBoxAnswer::Ok;
  }

  // Commits a text as if chosen with the first quick-select key, into the target window.
  void commitChosen(std::u16string text) {
    App& a = app();
    a.win.h = session->target.id;
    a.win.targetProcessId = session->target.processId;
    a.pass.quickSelectKeys = a.settings.kjhxj;
    a.comp.a0 = a.settings.kjhxj.substr(0, 1);
    a.input.committer.qqdz(text);
  }

  // Converts a whole code as the input pass does for a fresh code line.
  std::u16string convert(std::u16string code) {
    App& a = app();
    a.win.boxes.rtext1.text = code;
    a.conv.eraseWordTable();
    a.conv.wordCounter = 0;
    a.conv.j0 = 1;
    a.conv.qmhbir = 0;
    a.conv.hzixb.clear();
    std::u16string sentence, endzf;
    a.conversion.sentence.fjyi(code, sentence, endzf);
    return sentence;
  }

  bool fileHolds(std::u16string_view piece) const {
    return text(kUserLexiconPath).find(piece) != std::u16string::npos;
  }
};

TEST_F(ProgramLearningTest, AChosenCommitIsLearnedWrittenAndSurvivesARestart) {
  ASSERT_NE(convert(u"nihkzi"), u"你好字");
  commitChosen(u"你好字");
  EXPECT_EQ(session->target.text, u"你好字");
  EXPECT_TRUE(fileHolds(u"hkzi,好字 08")) << toUtf8(text(kUserLexiconPath));
  EXPECT_TRUE(fileHolds(u"wowo,我我 03"));
  EXPECT_EQ(convert(u"nihkzi"), u"你好字");

  session.reset();
  start();
  EXPECT_EQ(convert(u"nihkzi"), u"你好字");
}

TEST_F(ProgramLearningTest, AFailedWriteKeepsTheOldFileAndTheLearnedWordAndIsReportedOnce) {
  const auto before = bytes(kUserLexiconPath);
  faults->failFile(kUserLexiconPath, WriteFaults::Step::Open, std::make_error_code(std::errc::is_a_directory));
  commitChosen(u"你好字");
  commitChosen(u"你好字");
  EXPECT_EQ(bytes(kUserLexiconPath), before);
  EXPECT_EQ(convert(u"nihkzi"), u"你好字");
  std::size_t reports = 0;
  for (const auto& m : messages()) reports += m == kUserLexiconWriteFailed;
  EXPECT_EQ(reports, 1u);
}

TEST_F(ProgramLearningTest, ALearnedWordReplacesTheDeletedWordMarkerOfItsCode) {
  // The user lookup reports a code whose line holds "*#" as absent, with no insert position.
  writeLines(kUserLexiconPath, {u"aa,啊啊 085", u"hkzi,*# 085", u"wowo,我我 3"});
  session.reset();
  start();
  platform().defaultMessageBoxAnswer = MessageBoxAnswer::Ok;
  const LexiconTable& user = app().lex.userLexicon;
  ASSERT_EQ(user.last, 3);
  commitChosen(u"你好字");
  ASSERT_EQ(user.last, 3);
  EXPECT_EQ(user.codes[1], u"aa");
  EXPECT_EQ(user.lines[1], u"啊啊 085");
  EXPECT_EQ(user.codes[2], u"hkzi");
  EXPECT_TRUE(std::u16string_view(user.lines[2]).starts_with(u"好字 08")) << toUtf8(user.lines[2]);
  EXPECT_EQ(std::u16string_view(user.lines[2]).find(u"*#"), std::u16string_view::npos);
  EXPECT_TRUE(fileHolds(u"hkzi,好字 08"));
}

}  // namespace
}  // namespace yz
