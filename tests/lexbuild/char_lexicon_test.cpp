#include "lexbuild/char_lexicon.h"

#include <gtest/gtest.h>

#include "lexbuild_test_util.h"
#include "lexicon/gbk.h"
#include "../support/make_table.h"

namespace yz {
namespace {

using testing_support::BuildFolder;
using testing_support::makeTable;

std::vector<std::string> utf8(const std::vector<std::u16string>& lines) {
  std::vector<std::string> out;
  for (const auto& l : lines) out.push_back(toUtf8(l));
  return out;
}

class CharLexiconTest : public ::testing::Test {
 protected:
  CharLexiconTest() : gbk(sim) {}
  void setAux(char16_t ch, std::u16string_view code) { aux.set(gbk.charIndex(ch), code); }
  std::vector<std::string> merged(const LexiconTable& main, bool vxbf,
                                  std::vector<std::u16string> scratch = {}) {
    for (auto& line : charKeyLines(main, aux, gbk, vxbf)) scratch.push_back(line);
    return utf8(mergeCharKeyLines(std::move(scratch), [] {}));
  }

  SimPlatform sim;
  GbkTable gbk;
  CharTable aux;
};

TEST_F(CharLexiconTest, KeysOfACodeAndItsAuxiliaryPrefixes) {
  setAux(u'啊', u"ab");
  LexiconTable main = makeTable({{u"aa", u"啊 156.726"}});
  EXPECT_EQ(merged(main, false),
            (std::vector<std::string>{"a,啊 156.726", "aa,啊 156.726", "aaa,啊 156.726", "aaab,啊 156.726"}));
  // 声韵辅数 adds the code with the last auxiliary letter; its aaab repeats and is dropped.
  EXPECT_EQ(merged(main, true),
            (std::vector<std::string>{"a,啊 156.726", "aa,啊 156.726", "aaa,啊 156.726", "aaab,啊 156.726",
                                      "aab,啊 156.726"}));
}

TEST_F(CharLexiconTest, KeyLinesOfTheMainLexicon) {
  setAux(u'吧', u"k");
  struct Case {
    const char* name;
    LexiconTable main;
    std::vector<std::string> lines;
  } cases[] = {
      {"first word under the first letter",
       makeTable({{u"ba", u"吧 120 八 130"}}),
       {"b120,吧 120", "ba\\120,吧 120", "bak\\120,吧 120", "ba\\130,八 130"}},
      {"a last word without weight is ignored", makeTable({{u"ba", u"八 130 吧"}}), {"b130,八 130", "ba\\130,八 130"}},
      {"codes of other lengths give nothing", makeTable({{u"b", u"八 1"}, {u"bab", u"八 1"}, {u"baba", u"八八 1"}}), {}},
      {"an empty list gives nothing", makeTable({{u"ba", u""}}), {}},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(utf8(charKeyLines(c.main, aux, gbk, false)), c.lines);
  }
}

TEST_F(CharLexiconTest, MergeDropsOnlyRepeatedPairs) {
  struct Case {
    const char* name;
    std::vector<std::u16string> scratch;
    std::vector<std::string> merged;
  } cases[] = {
      {"a word inside another word is no repeat",
       {u"ab\\12,中国 12", u"ab\\12,国 12"},
       {"ab,中国 12 国 12"}},
      {"the same word with another weight stays", {u"ab\\13,国 13", u"ab\\12,国 12"}, {"ab,国 12 国 13"}},
      {"a weight that begins another weight is no repeat",
       {u"ab\\497,国 497", u"ab\\49,国 49"},
       {"ab,国 49 国 497"}},
      {"a repeated pair is dropped", {u"ab\\12,国 12", u"ab\\12,国 12"}, {"ab,国 12"}},
      {"lines of neither form are skipped", {u"", u"no comma", u",x 1", u"ab\\1,x 1"}, {"ab,x 1"}},
      {"nothing at all", {}, {}},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(utf8(mergeCharKeyLines(c.scratch, [] {})), c.merged);
  }
}

TEST_F(CharLexiconTest, OneLetterKeyCollectsFullCodesAndFirstWords) {
  double w = 100;
  std::vector<std::u16string> scratch;
  for (const char16_t* ch : {u"啊", u"阿", u"吖"}) {
    w += 0.001;
    scratch.push_back(oneLetterScratchLine(u"a", ch, w));
  }
  EXPECT_EQ(toUtf8(scratch[2]), "a100.003,吖 100.003");
  LexiconTable main = makeTable({{u"ai", u"爱 150.5"}, {u"an", u"安 120 按 121"}});
  EXPECT_EQ(merged(main, false, scratch),
            (std::vector<std::string>{"a,啊 100.001 阿 100.002 吖 100.003 安 120 爱 150.5", "ai,爱 150.5",
                                      "an,安 120 按 121"}));
}

TEST_F(CharLexiconTest, RegenerationWritesTheFile) {
  BuildFolder f;
  f.writeGbk(kCharScratchPath, u"a100.001,啊 100.001\r\n");
  LexiconState lex;
  lex.mainLexicon = makeTable({{u"aa", u"阿 150"}, {u"ab", u"吧 120"}});
  CharLexiconResult r = regenerateCharLexicon(f.files(), f.sim, lex, gbk, false, [] {});
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.lines, 3);
  EXPECT_EQ(toUtf8(f.readGbk(kCharLexiconPath)), "a,啊 100.001 吧 120 阿 150\r\naa,阿 150\r\nab,吧 120\r\n");
  // The sorted key lines stay for a look until the load removes them.
  EXPECT_EQ(toUtf8(f.readGbk(kSortedScratchPath)),
            "a100.001,啊 100.001\r\na120,吧 120\r\na150,阿 150\r\naa\\150,阿 150\r\nab\\120,吧 120\r\n");
}

TEST_F(CharLexiconTest, NothingToKeyWritesAnEmptyFile) {
  BuildFolder f;
  f.writeGbk(kCharLexiconPath, u"old,旧 1\r\n");
  LexiconState lex;
  CharLexiconResult r = regenerateCharLexicon(f.files(), f.sim, lex, gbk, false, [] {});
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.lines, 0);
  EXPECT_EQ(toUtf8(f.readGbk(kCharLexiconPath)), "");
}

}  // namespace
}  // namespace yz
