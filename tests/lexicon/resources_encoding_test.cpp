// The encoders over the generated built-in tables (data/resources): the table invariants, and the
// hand-checked sentences of encoding_sentences.txt. Skipped while the resources are missing.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "encoding_fixture.h"
#include "lexicon/annotate.h"
#include "lexicon/encoder.h"
#include "lexicon/utf.h"

namespace yz {
namespace {

using testing_support::EncodingWorld;

std::filesystem::path dataDir() {
  const char* dir = std::getenv("YZ_DATA_DIR");
  return dir ? std::filesystem::path(dir) : std::filesystem::path(YZ_SOURCE_DIR) / "data";
}

bool resourcesPresent() {
  for (int id : {101, 102, 103, 104}) {
    if (!std::filesystem::exists(dataDir() / "resources" / (std::to_string(id) + ".txt"))) return false;
  }
  return true;
}

class ResourcesEncodingTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!resourcesPresent()) GTEST_SKIP() << "generated resources 101-104 not found under " << dataDir();
    w_.sim.resourceDir = dataDir() / "resources";
    ASSERT_TRUE(loadAnnotationTables(w_.sim, w_.lex).ok());
    ASSERT_TRUE(testing_support::loadSyllablesFromResource101(w_.sim, w_.lex.syllablesByPinyin));
  }
  EncodingWorld w_;
};

TEST_F(ResourcesEncodingTest, TablesHoldTheirFormats) {
  const auto& lex = w_.lex;
  lex.readCharInfo();
  EXPECT_EQ(lex.charInfoLines[20319].substr(0, 2), u"$,");  // 啊
  EXPECT_EQ(lex.charPinyin[20319], u"a");
  // Every information line has seven fields, and every "#" line ten range numbers after them.
  int polyphonic = 0;
  for (std::size_t n = 1; n < kCharTableSlots - 1; ++n) {
    const std::u16string_view line = lex.charInfoLines[n];
    if (line.size() == 4) continue;
    SCOPED_TRACE(toUtf8(line));
    auto commas = std::count(line.begin(), line.end(), u',');
    ASSERT_TRUE(commas == 6 || commas == 16);
    if (line[0] == u'#') {
      ++polyphonic;
      EXPECT_EQ(commas, 16);
    }
  }
  EXPECT_GT(polyphonic, 300);
  // The syllable table is ascending (the resource repeats its last line), so bisection finds
  // each syllable.
  const auto& syl = lex.syllablesByPinyin;
  ASSERT_GT(syl.last, 400);
  for (std::int32_t i = 2; i <= syl.last; ++i) EXPECT_LE(syl.syllables[i - 1], syl.syllables[i]);
  // Every default reading is a syllable of the table.
  std::u16string hzct, qp;
  for (std::size_t n = 1; n < kCharTableSlots - 1; ++n) {
    const std::u16string_view py = lex.charPinyin[n];
    if (py.empty() || (n >= u'0' && n <= u'9')) continue;
    bool found = std::binary_search(syl.syllables.begin() + 1, syl.syllables.begin() + syl.last + 1, py);
    EXPECT_TRUE(found) << toUtf8(py);
  }
}

struct Sentence {
  std::u16string text;
  std::string code, pinyin;
};

// The hand-checked sentences; "␣" in a field stands for a space.
std::vector<Sentence> handCheckedSentences() {
  std::ifstream in(std::filesystem::path(YZ_SOURCE_DIR) / "tests/lexicon/encoding_sentences.txt");
  std::vector<Sentence> sentences;
  auto spaces = [](std::string field) {
    for (std::size_t p; (p = field.find("␣")) != std::string::npos;) field.replace(p, std::string("␣").size(), " ");
    return field;
  };
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::size_t tab1 = line.find('\t'), tab2 = line.find('\t', tab1 + 1);
    if (tab2 == std::string::npos) continue;
    sentences.push_back({fromUtf8(line.substr(0, tab1)), spaces(line.substr(tab1 + 1, tab2 - tab1 - 1)),
                         spaces(line.substr(tab2 + 1))});
  }
  return sentences;
}

TEST_F(ResourcesEncodingTest, HandCheckedSentences) {
  auto sentences = handCheckedSentences();
  ASSERT_GE(sentences.size(), 10u);
  for (const auto& s : sentences) {
    SCOPED_TRACE(toUtf8(s.text));
    std::u16string code, qp;
    citcvuyn(w_.ctx(), s.text, code, qp);
    EXPECT_EQ(toUtf8(code), s.code);
    EXPECT_EQ(toUtf8(qp), s.pinyin);
    // The text encoder under 音码 gives the same code, except for a text that begins with ASCII.
    std::u16string bm, qp2;
    citcbmma(w_.ctx(), s.text, bm, qp2);
    bool ascii = s.text[0] < 0x80;
    EXPECT_EQ(toUtf8(bm), ascii ? "" : s.code);
  }
  // The whole text at once: the codes one after another, the pinyin of the last line.
  std::u16string text, code, qp;
  std::string codes;
  for (const auto& s : sentences) {
    text += s.text + u"\r\n";
    codes += s.code;
  }
  citcvuyn(w_.ctx(), text, code, qp);
  EXPECT_EQ(toUtf8(code), codes);
  EXPECT_EQ(toUtf8(qp), sentences.back().pinyin);
}

}  // namespace
}  // namespace yz
