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
  EXPECT_EQ(lex.charInfoLines[20319].substr(0, 2), u"$,");  // 啊
  EXPECT_EQ(lex.charPinyin[20319], u"a");
  // Every information line has seven fields, and every "#" line ten range numbers after them.
  int polyphonic = 0;
  for (std::size_t n = 1; n < kCharTableSlots - 1; ++n) {
    const std::u16string& line = lex.charInfoLines[n];
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
    const std::u16string& py = lex.charPinyin[n];
    if (py.empty() || (n >= u'0' && n <= u'9')) continue;
    bool found = std::binary_search(syl.syllables.begin() + 1, syl.syllables.begin() + syl.last + 1, py);
    EXPECT_TRUE(found) << toUtf8(py);
  }
}

}  // namespace
}  // namespace yz
