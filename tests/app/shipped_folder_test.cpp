// The program folder as it ships: vexim-lexgen makes the default scheme's lexicons in a folder that
// holds the built-in files of data/, and the program starts from what it made.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "lexicon/image_loader.h"
#include "lexicon/text_file.h"
#include "program_fixture.h"

namespace yz {
namespace {

using testing::ProgramFolderTest;

class ShippedFolderTest : public ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    const std::filesystem::path builtIn = testing::dataDir() / std::filesystem::path(u8"内置文件");
    if (!std::filesystem::exists(testing::dataDir() / "resources" / "105.txt") || !std::filesystem::exists(builtIn)) {
      GTEST_SKIP() << "built-in tables not found under " << testing::dataDir();
    }
    std::filesystem::copy(builtIn, root_ / std::filesystem::path(u8"内置文件"),
                          std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
    resources_ = testing::dataDir() / "resources";
    // As scripts/run prepares the folder.
    const std::string command = "'" YZ_LEXGEN "' '" + root_.string() + "' '" + resources_.string() + "' >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }

  // The lexicon in a file: every line "code,word weight ...", codes ascending and each once.
  void expectSoundLexicon(std::u16string_view relative) {
    SCOPED_TRACE(toUtf8(relative));
    ASSERT_TRUE(exists(relative));
    LexiconTable table;
    const TextLexiconResult read = parseLexiconText(text(relative), table);
    EXPECT_TRUE(read.badLines.empty()) << "first bad line " << read.badLines.front();
    EXPECT_GT(table.last, 100);
    for (std::int32_t k = 2; k <= table.last; ++k) {
      const auto i = static_cast<std::size_t>(k);
      ASSERT_LT(table.codes[i - 1], table.codes[i]) << "line " << k;
    }
  }
};

TEST_F(ShippedFolderTest, LexgenMakesTheDefaultFilesAndAStartConverts) {
  for (std::u16string_view lexicon :
       {kMainLexiconPath, std::u16string_view(u"内置文件\\单字字库.txt"), std::u16string_view(u"内置文件\\两码词库默认.txt"),
        std::u16string_view(u"内置文件\\单字字库默认.txt"), std::u16string_view(u"内置文件\\两码词库五笔86默认.txt"),
        std::u16string_view(u"内置文件\\单字字库五笔86默认.txt")}) {
    expectSoundLexicon(lexicon);
  }
  // The copies a layout label or 全拼 puts back after a shape scheme are the default scheme's own.
  EXPECT_EQ(bytes(u"内置文件\\两码词库默认.txt"), bytes(kMainLexiconPath));
  EXPECT_EQ(bytes(u"内置文件\\单字字库默认.txt"), bytes(u"内置文件\\单字字库.txt"));
  EXPECT_EQ(bytes(u"内置文件\\单字全码.txt"), bytes(u"内置文件\\单字全码默认.txt"));
  // No scratch file of the regenerations is left in the folder as shipped.
  EXPECT_FALSE(exists(kSortedScratchPath));
  EXPECT_FALSE(exists(u"dzmb.ls"));
  // The image holds the text lexicon, sealed with its stamp.
  LexiconTable fromImage, fromText;
  const LexiconImageResult image = duqudaciku(folder(), fromImage);
  ASSERT_TRUE(image.ok) << image.error;
  EXPECT_EQ(image.source, *folder().stamp(kMainLexiconPath));
  parseLexiconText(text(kMainLexiconPath), fromText);
  EXPECT_EQ(encodeLexiconImage(fromImage, image.source), encodeLexiconImage(fromText, image.source));

  // A start from the image, then one from the default copies alone.
  for (const bool fromDefaults : {false, true}) {
    SCOPED_TRACE(fromDefaults ? "from the default copies" : "as made");
    if (fromDefaults) {
      session.reset();
      ASSERT_TRUE(folder().remove(kLexiconImagePath));
      ASSERT_TRUE(folder().remove(u"内置文件\\单字字库.txt"));
      ASSERT_TRUE(folder().copy(u"内置文件\\两码词库默认.txt", kMainLexiconPath));
    }
    start();
    EXPECT_TRUE(messages().empty()) << toUtf8(messages().empty() ? u"" : messages().front());
    session->type(u"vsgo space");
    EXPECT_EQ(session->target.text, u"中国");
  }

  // A shape scheme, then a layout label: the sound-code lexicons come back from the default copies.
  platform().defaultMessageBoxAnswer = MessageBoxAnswer::Ok;
  for (std::u16string_view label : {u"wbbl", u"xhhx"}) {
    SCOPED_TRACE(toUtf8(label));
    app().loader.showSettings();
    SimForm* form = testing::dialogForm(platform());
    ASSERT_NE(form, nullptr);
    form->fire(testing::formEvent(FormEventKind::Click, std::u16string(label)));
    platform().settle();
    EXPECT_FALSE(platform().quitRequested);
  }
  EXPECT_TRUE(app().settings.xhhx.marked());
  EXPECT_EQ(bytes(kMainLexiconPath), bytes(u"内置文件\\两码词库默认.txt"));
  EXPECT_EQ(bytes(u"内置文件\\单字字库.txt"), bytes(u"内置文件\\单字字库默认.txt"));
  session->target.text.clear();
  session->type(u"vsgo space");
  EXPECT_EQ(session->target.text, u"中国");
}

}  // namespace
}  // namespace yz
