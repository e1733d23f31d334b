// The default scheme's lexicon made from the built-in tables, as the program folder gets it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "lexbuild/image_writer.h"
#include "lexbuild/system_lexicon.h"
#include "lexbuild_test_util.h"
#include "lexicon/image_loader.h"
#include "lexicon/syllables.h"

namespace yz {
namespace {

using testing_support::BuildFolder;

std::filesystem::path dataDir() {
  const char* dir = std::getenv("YZ_DATA_DIR");
  return dir != nullptr ? std::filesystem::path(dir) : std::filesystem::path("data");
}

class DefaultLexicon : public ::testing::Test {
 protected:
  // Makes the default scheme's system lexicon from the built-in tables, as the program does.
  void SetUp() override {
    std::filesystem::path master = dataDir() / std::filesystem::path(u8"内置文件/全拼-小鹤-自然-国标.txt");
    if (!std::filesystem::exists(dataDir() / "resources" / "105.txt") || !std::filesystem::exists(master)) {
      GTEST_SKIP() << "built-in tables not found under " << dataDir();
    }
    f.sim.resourceDir = dataDir() / "resources";
    std::filesystem::copy_file(master, f.files().path(kSyllableMasterPath));
    ASSERT_TRUE(qptouptoup(f.files(), f.sim));
    RegenerationContext ctx{f.sim, f.files(), lex, pass, settings, u"", u"", [] {}};
    result = bmvh(ctx);
    ASSERT_TRUE(result.ok) << toUtf8(result.reportText);
  }

  BuildFolder f;
  LexiconState lex;
  PassState pass;
  Settings settings;
  RegenerationResult result;
};

TEST_F(DefaultLexicon, CountOrderAndCommonWords) {
  // The count reported is the file's line count and the table's last index.
  std::string bytes = *f.files().readBytes(kMainLexiconPath);
  EXPECT_EQ(static_cast<std::size_t>(result.lines), static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')));
  EXPECT_EQ(lex.mainLexicon.last, result.lines);
  RecordProperty("lines", result.lines);
  RecordProperty("bytes", std::to_string(bytes.size()));
  EXPECT_EQ(result.skippedWords, 0);

  // Every code is in comparison order, once.
  std::vector<std::u16string_view> codes;
  for (std::int32_t k = 1; k <= lex.mainLexicon.last; ++k) codes.push_back(lex.mainLexicon.codes[static_cast<std::size_t>(k)]);
  for (std::size_t k = 1; k < codes.size(); ++k) ASSERT_LT(codes[k - 1], codes[k]) << "at line " << k + 1;

  struct Spot {
    const char16_t* word;
    const char16_t* code;
  } spots[] = {{u"中国", u"vsgo"}, {u"我们", u"womf"}, {u"你好", u"nihk"}, {u"世纪", u"uiji"},
               {u"的", u"de"},     {u"是", u"ui"},     {u"输入法", u"uurufa"}, {u"双拼", u"udpn"},
               {u"学习", u"xtxi"}, {u"绿色", u"lvse"}};
  for (const Spot& s : spots) {
    SCOPED_TRACE(toUtf8(s.word));
    auto at = std::lower_bound(codes.begin(), codes.end(), std::u16string_view(s.code));
    ASSERT_TRUE(at != codes.end() && *at == s.code);
    std::u16string_view list = lex.mainLexicon.lines[static_cast<std::size_t>(at - codes.begin()) + 1];
    EXPECT_TRUE(list.starts_with(std::u16string(s.word) + u" ") ||
                list.find(u" " + std::u16string(s.word) + u" ") != std::u16string_view::npos)
        << toUtf8(list);
  }
}

// text -> image -> loaded table equals the text-loaded table, and the image is byte for byte the
// image of that table. The text is the one the regeneration encoded into the file.
TEST_F(DefaultLexicon, ImageRoundTrips) {
  std::u16string_view text(lex.mainLexicon.buffer->data(), lex.mainLexicon.buffer->size());
  ImageWriteResult image = writeLexiconImage(f.files(), f.sim);
  ASSERT_TRUE(image.ok);
  EXPECT_EQ(image.records, result.lines);
  LexiconTable fromText, fromImage;
  fromText.reset();
  fromImage.reset();
  ASSERT_TRUE(parseLexiconText(text, fromText).ok);
  LexiconImageResult loaded = duqudaciku(f.files(), fromImage);
  ASSERT_TRUE(loaded.ok) << loaded.error;
  ASSERT_EQ(fromImage.last, fromText.last);
  for (std::int32_t k = 1; k <= fromText.last; ++k) {
    auto i = static_cast<std::size_t>(k);
    ASSERT_EQ(fromImage.codes[i], fromText.codes[i]) << "record " << k;
    ASSERT_EQ(fromImage.lines[i], fromText.lines[i]) << "record " << k;
  }
  EXPECT_EQ(loaded.source, *f.files().stamp(kMainLexiconPath));
  EXPECT_EQ(*f.files().readBytes(kLexiconImagePath), encodeLexiconImage(fromText, loaded.source));
}

}  // namespace
}  // namespace yz
