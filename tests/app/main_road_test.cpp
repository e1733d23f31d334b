// The main road as a user meets it: the whole program on a program folder, keys in, text out.

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "lexbuild/system_lexicon.h"
#include "lexicon/syllables.h"
#include "lexicon/user_store.h"
#include "program_fixture.h"

namespace yz {
namespace {

using testing::ProgramFolderTest;

class MainRoadTest : public ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    writeTables();
  }
  std::u16string type(std::u16string_view script) {
    session->type(script);
    return session->target.text;
  }
  std::size_t logged(std::u16string_view line) const {
    const auto& log = session->platform.logLines;
    return static_cast<std::size_t>(std::count(log.begin(), log.end(), line));
  }
};

// A commit chosen with a quick-select key (learning follows it) resets the composition: the next
// code starts empty and nothing is delivered twice.
TEST_F(MainRoadTest, AChosenCommitIsDeliveredOnce) {
  start();
  EXPECT_EQ(type(u"nihk 1"), u"你好");
  EXPECT_EQ(type(u"wo space"), u"你好我");
  EXPECT_EQ(type(u"nihk 1"), u"你好我你好");
}

// English input commits each letter as it is typed.
TEST_F(MainRoadTest, EnglishInputTypesEachLetterOnce) {
  start();
  type(u"lctrl");
  ASSERT_EQ(app().win.languageLabel, u"\r\n英");
  EXPECT_EQ(type(u"he llo"), u"hello");  // two letters a pass, as a fast typist gets
}

// Accuracy first online asks the cloud on every pass; without the cloud the local sentence shows.
TEST_F(MainRoadTest, AccuracyFirstOnlineShowsTheSentence) {
  start();
  platform().connected = true;
  // The services answer nothing, at once: the test never depends on this machine's network.
  platform().httpHandler = [](std::u16string_view) { return HttpReply{}; };
  app().settings.lidyx = false;
  app().settings.vqdyx = true;
  const auto steps = session->type(u"nihk");
  EXPECT_TRUE(steps.back().window.visible);
  EXPECT_EQ(app().win.boxes.text7.text, u"你好");
  EXPECT_EQ(type(u"space"), u"你好");
}

// A learning step that fails after the text went out: the commit is not repeated, the pass ends
// as every pass does, and the failure is in the log.
TEST_F(MainRoadTest, AFailureAfterTheDeliveryStillResetsTheComposition) {
  struct FailingLearning final : LearningServices {
    void yhck(std::u16string_view) override { throw std::runtime_error("learning failed"); }
  } failing;
  start();
  LearningServices* const kept = app().learning;
  app().learning = &failing;
  EXPECT_EQ(type(u"nihk 1"), u"你好");
  EXPECT_TRUE(app().win.boxes.Text1.text.empty());
  EXPECT_EQ(type(u"wo space"), u"你好我");
  EXPECT_EQ(logged(u"input pass: learning failed"), 1u);
  EXPECT_FALSE(platform().timerEnabled(app().pass.timer1));
  app().learning = kept;
}

// Command boxes the user emptied match no code, the empty code line after a commit included.
TEST_F(MainRoadTest, EmptiedCommandBoxesNeverFire) {
  Settings s;
  s.xzvx.clear();
  s.jub.clear();
  s.jsq.clear();
  s.dywd.clear();
  s.huzj.clear();
  s.liyx.clear();
  writeSettings(u"设置记录.ini", s);
  writeSettings(u"用户diy文件\\设置记录.ini", s, SettingsCopy::User);
  start();
  ASSERT_TRUE(app().settings.xzvx.empty());
  EXPECT_EQ(type(u"nihk space wo space"), u"你好我");
  EXPECT_FALSE(platform().quitRequested);
  EXPECT_TRUE(platform().startedPrograms.empty());
  EXPECT_TRUE(platform().sentKeyStrings.empty());
  EXPECT_TRUE(platform().keyboardHookInstalled());
}

// Going offline during a session runs the passes fluency first; the user's accuracy-first choice
// stays in the store and in the saved settings.
TEST_F(MainRoadTest, GoingOfflineKeepsTheStoredAlgorithm) {
  start();
  platform().connected = true;
  app().settings.lidyx = false;
  app().settings.vqdyx = true;
  platform().connected = false;
  EXPECT_EQ(type(u"nihk space"), u"你好");
  EXPECT_TRUE(app().settings.vqdyx);
  EXPECT_FALSE(app().settings.lidyx);
  app().lifecycle->csqid();
  const auto saved = lines(u"设置记录.ini");
  ASSERT_GE(saved.size(), 9u);
  EXPECT_EQ(saved[8], u"流畅度优先=False");
}

// The syllable tables the program writes into its folder at every start hold the syllable "a",
// and so do the encoder, the user-defined layout and the user words that depend on them.
TEST_F(MainRoadTest, TheGeneratedSyllableFilesEncodeEverySyllable) {
  writeLines(u"内置文件\\单字全码.txt", {u"aa,啊", u"aa,阿", u"yi,姨", u"ni,你", u"wo,我"});
  writeLines(kCustomLayoutSourcePath, {u"a,xa", u"ai,xb", u"yi,xc"});
  writeLines(kUserLexiconPath, {u"阿姨 085"});
  start();
  std::u16string bm, qp;
  for (const auto& [text, code] : {std::pair{u"啊", u"aa"}, std::pair{u"阿姨", u"aayi"},
                                   std::pair{u"爱", u"ai"}}) {
    app().input.context.citcbmma(text, bm, qp);
    EXPECT_EQ(bm, code) << toUtf8(text);
  }
  const auto pairs = lines(kCustomLayoutPairPath);
  EXPECT_NE(std::find(pairs.begin(), pairs.end(), u"xa,aa"), pairs.end());
  EXPECT_NE(text(kUserLexiconPath).find(u"aayi,阿姨 085"), std::u16string::npos)
      << toUtf8(text(kUserLexiconPath));
}

// The running record of earlier text keeps one initial for every character committed.
TEST_F(MainRoadTest, TheEarlierTextRecordKeepsItsInitialsAligned) {
  start();
  app().settings.qjzc = 1;
  type(u"ni space");  // a target program is recorded
  for (std::u16string text : {u"ok中国", u"我们是"}) {
    app().comp.a0 = u"1";  // chosen with a quick-select key
    app().input.committer.qqdz(text);
  }
  EXPECT_EQ(app().comp.cnuhwf, u"ok中国我们是");
  EXPECT_EQ(app().comp.enuhwf, u"okvgwmu");
}

// Keys typed while a chosen commit waits to learn start the next code.
TEST_F(MainRoadTest, KeysTypedDuringTheWaitsOfACommitStartANewCode) {
  start();
  type(u"ni space");
  app().win.boxes.Text1.text = u"nihk1";
  app().comp.a0 = u"1";
  platform().typeKeys(u"wo");  // arrive inside the commit's wait
  std::u16string text = u"你好";
  app().input.committer.qqdz(text);
  EXPECT_EQ(app().win.boxes.Text1.text, u"wo");
  platform().settle();
  EXPECT_EQ(type(u"space"), u"你你好我");
}

// The shipped tables and lexicon, with the 自然码 auxiliary codes.
class ShippedLexiconTest : public ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    const auto data = testing::dataDir();
    if (!std::filesystem::exists(data / "resources" / "105.txt")) GTEST_SKIP() << "no built-in tables";
    for (const auto& e : std::filesystem::directory_iterator(data / std::filesystem::path(u8"内置文件"))) {
      std::filesystem::copy_file(e.path(), root_ / std::filesystem::path(u8"内置文件") / e.path().filename());
    }
    for (int id = 101; id <= 105; ++id) {
      const std::string name = std::to_string(id) + ".txt";
      std::filesystem::copy_file(data / "resources" / name, resources_ / name);
    }
    ASSERT_TRUE(folder().copy(u"内置文件\\单字全码默认.txt", u"内置文件\\单字全码.txt"));
    // The default scheme's main lexicon, made from the built-in tables as the build makes it.
    SimPlatform sim;
    sim.resourceDir = resources_;
    sim.defaultMessageBoxAnswer = MessageBoxAnswer::Ok;
    const ProgramFolder files = folder();
    ASSERT_TRUE(qptouptoup(files, sim));
    auto lex = std::make_unique<LexiconState>();
    PassState pass;
    Settings defaults;
    RegenerationContext ctx{sim, files, *lex, pass, defaults, u"", u"", [] {}};
    ASSERT_TRUE(bmvh(ctx).ok);
    Settings s;
    s.zrmfvm.borderStyle = 1;
    s.fcuj = u"1";  // a pause of more than a second settles a tail word ended by an auxiliary letter
    writeSettings(u"设置记录.ini", s);
  }
};

// A pause after an auxiliary letter settles the sentence shown; the next key and Space then commit
// that sentence, and typing goes on as before.
TEST_F(ShippedLexiconTest, SpaceCommitsTheSentenceThatAPauseSettled) {
  start();
  ASSERT_TRUE(app().settings.zrmfvm.marked());
  session->type(u"womfr");
  ASSERT_EQ(toUtf8(app().win.boxes.text7.text), "我们");
  platform().advance(2000);
  session->type(u"p");
  EXPECT_EQ(app().conv.tailFixed, 1);
  EXPECT_EQ(toUtf8(session->type(u"space").back().targetText), "我们");
  EXPECT_EQ(toUtf8(session->type(u"ni space").back().targetText), "我们你");
}

}  // namespace
}  // namespace yz
