// The pieces of the candidate list that need no lookup: the auxiliary-code filter, the removal of
// repeats, the labels and hints, the vertical rows.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "conversion/text_steps.h"
#include "input/repeated_words.h"
#include "inputpass/candidates.h"
#include "lexicon/gbk.h"
#include "lexicon/utf.h"
#include "platform/sim/sim_platform.h"

namespace yz {
namespace {

// Characters with made-up auxiliary codes: 甲 "ab", 乙 "cd", 丙 "ef", 丁 one letter "g", 戊 none.
struct AuxFixture {
  AuxFixture() : gbk(sim) {
    for (const auto& [ch, code] : std::vector<std::pair<char16_t, std::u16string>>{
             {u'甲', u"ab"}, {u'乙', u"cd"}, {u'丙', u"ef"}, {u'丁', u"g"}}) {
      aux.set(static_cast<std::size_t>(gbk.charIndex(ch)), code);
    }
  }
  SimPlatform sim;
  GbkTable gbk;
  CharTable aux;
};

constexpr std::u16string_view kTwo = u"甲乙 080 乙甲 081 丙丁 082 戊甲 083 甲丙 084 丁丁 085";
constexpr std::u16string_view kThree = u"甲乙丙 070 丙乙甲 071 戊乙甲 072";

TEST(AuxFilter, VariantsKeepTheWordsWhoseCharactersMatch) {
  enum Order { FirstLast = 0, LastFirst = 1, Free = 2 };
  struct Case {
    const char* what;
    AuxVariant variant;
    std::u16string_view line;
    std::u16string_view typed;
    int order;
    bool unordered;
    std::u16string_view fumayr;
    std::string kept;
  };
  const std::vector<Case> cases = {
      // A: the first pass takes the order's character, the second the other one, without repeats.
      {"A 首末", AuxVariant::A, kTwo, u"a", FirstLast, false, u"", " 甲乙 080 甲丙 084 乙甲 081 戊甲 083"},
      {"A 末首", AuxVariant::A, kTwo, u"a", LastFirst, false, u"", " 乙甲 081 戊甲 083 甲乙 080 甲丙 084"},
      {"A 自由", AuxVariant::A, kTwo, u"a", Free, false, u"", " 甲乙 080 甲丙 084 乙甲 081 戊甲 083"},
      {"A, an auxiliary element compares the code's last letter first", AuxVariant::A, kTwo, u"b",
       FirstLast, false, u"b", " 甲乙 080 甲丙 084"},
      {"A, a one-letter code is its own first and last letter", AuxVariant::A, kTwo, u"g", LastFirst,
       false, u"g", " 丙丁 082 丁丁 085"},
      // B1: x1 the first character's letter, x2 the last character's.
      {"B1 首末", AuxVariant::B1, kTwo, u"ac", FirstLast, false, u"", " 甲乙 080"},
      {"B1 首末, reversed letters", AuxVariant::B1, kTwo, u"ca", FirstLast, false, u"", " 乙甲 081"},
      {"B1 末首", AuxVariant::B1, kTwo, u"ca", LastFirst, false, u"", " 甲乙 080"},
      {"B1 自由 takes either order", AuxVariant::B1, kTwo, u"ca", Free, false, u"", " 甲乙 080 乙甲 081"},
      {"B1 首末 乱序取", AuxVariant::B1, kTwo, u"ac", FirstLast, true, u"", " 甲乙 080"},
      {"B1 自由 乱序取", AuxVariant::B1, kTwo, u"ca", Free, true, u"", " 甲乙 080 乙甲 081"},
      {"B1, no code never matches", AuxVariant::B1, u"戊戊 080", u"aa", Free, false, u"", ""},
      // B2: three characters, the first character's first letter and the last's.
      {"B2 首末", AuxVariant::B2, kThree, u"ae", FirstLast, false, u"", " 甲乙丙 070"},
      // C: the first character's two letters and the last character's one.
      {"C 首末: two letters for the first character, the third for the last", AuxVariant::C, kTwo,
       u"abc", FirstLast, false, u"", " 甲乙 080"},
      {"C 首末, one letter of each is not enough", AuxVariant::C, kTwo, u"acd", FirstLast, false, u"", ""},
      {"C 末首", AuxVariant::C, kTwo, u"cab", LastFirst, false, u"", " 甲乙 080"},
      {"C 自由", AuxVariant::C, kTwo, u"abc", Free, false, u"", " 甲乙 080"},
      {"C 首末 乱序取", AuxVariant::C, kTwo, u"abc", FirstLast, true, u"", " 甲乙 080"},
      {"C 末首 乱序取", AuxVariant::C, kTwo, u"cab", LastFirst, true, u"", " 甲乙 080"},
      {"C, a one-letter code counts twice", AuxVariant::C, kTwo, u"ggg", FirstLast, false, u"", " 丁丁 085"},
      // D and E read no setting.
      {"D: the last character", AuxVariant::D, kThree, u"a", LastFirst, false, u"", " 丙乙甲 071 戊乙甲 072"},
      {"E: last then first", AuxVariant::E, kThree, u"ea", FirstLast, false, u"", " 甲乙丙 070"},
      {"E, a character without a code never matches", AuxVariant::E, kThree, u"a", Free, false, u"", ""},
      // A word without its weight at the end of the line is not appended.
      {"missing weight", AuxVariant::A, u"甲乙 080 乙甲", u"a", LastFirst, false, u"", " 甲乙 080"},
  };
  AuxFixture f;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const AuxFilterTables tables{f.aux, f.gbk, c.order, c.unordered, c.fumayr};
    std::u16string out;
    filterByAuxCode(c.variant, c.line, c.typed, tables, out);
    EXPECT_EQ(toUtf8(out), c.kept);
  }
}

TEST(CandidateList, RepeatsGoAndTheFirstWordLeads) {
  struct Case {
    std::u16string list;
    std::string deduplicated;  // by quisfu
    std::string front;         // then the first word in front
  };
  const std::vector<Case> cases = {
      {u"我 100 你 90 我 80 他 70", "我 100 你 90 我 80 他 70", "我 200 你 90 他 70"},
      {u"哦 060 哦 060 噢 070", "哦 060 噢 070", "哦 200 噢 070"},
      {u"哦 060 噢 070 哦 060", "哦 060 噢 070", "哦 200 噢 070"},
      // A pair is never cut out of a longer word that ends with it.
      {u"国 080 中国 080 国 080", "国 080 中国 080", "国 200 中国 080"},
      {u"你 090 们 080 你 070 们 060 他", "你 090 们 080 你 070 们 060 他", "你 200 们 080"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(toUtf8(c.list));
    const std::u16string cc = quisfu(c.list);
    EXPECT_EQ(toUtf8(cc), c.deduplicated);
    std::vector<std::u16string_view> pairs;
    conversion_text::splitSpaces(cc, pairs);
    EXPECT_EQ(toUtf8(withFirstWordInFront(pairs)), c.front);
  }
}

TEST(CandidateList, LabelsNumbersAndHints) {
  AuxFixture f;
  auto hint = [&](std::u16string_view w) { return candidateHint(w, f.aux, f.gbk); };
  auto pairsOf = [](std::u16string_view list) {
    std::vector<std::u16string_view> pairs;
    conversion_text::splitSpaces(list, pairs);
    return pairs;
  };
  struct Case {
    const char* what;
    std::u16string_view list;
    int page;
    bool punctuationLabels;
    std::u16string_view keys;
    std::string labelled, numbered;
  };
  const std::vector<Case> cases = {
      {"the default keys label the first five", u"甲 1 乙 2 丙 3 丁 4 戊 5 甲乙 6", 6, true, u";'[]\\1234567890",
       " ;甲 '乙 [丙 ]丁 \\戊 .甲乙", "1;甲ab 2'乙cd 3[丙ef 4]丁g 5\\戊 6.甲乙ca"},
      {"without punctuation labels every label is a point", u"我 1 你 2", 5, false, u"1234567890",
       " .我 .你", "1.我 2.你"},
      {"a short key text lends the digits its places", u"甲 1 乙 2 丙 3 丁 4 戊 5", 5, true,
       u"ab1234567890", " a甲 b乙 1丙 2丁 3戊", "1a甲ab 2b乙cd 31丙ef 42丁g 53戊"},
      {"a short key text without digits leaves labels empty", u"甲 1 乙 2 丙 3", 5, true, u"ab",
       " a甲 b乙 丙", "1a甲ab 2b乙cd 3丙ef"},
      {"the page cuts the list", u"甲 1 乙 2 丙 3", 2, false, u"", " .甲 .乙", "1.甲ab 2.乙cd"},
      {"the tenth is numbered 0", u"a 1 b 2 c 3 d 4 e 5 f 6 g 7 h 8 i 9 j 10 k 11", 10, false, u"",
       " .a .b .c .d .e .f .g .h .i .j", "1.a 2.b 3.c 4.d 5.e 6.f 7.g 8.h 9.i 0.j"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const CandidateLines lines = labelCandidates(pairsOf(c.list), c.page, c.punctuationLabels, c.keys, hint);
    EXPECT_EQ(toUtf8(lines.labelled), c.labelled);
    EXPECT_EQ(toUtf8(lines.numbered), c.numbered);
  }
  // A single-byte character alone shows no hint, and loses its table entry.
  f.aux.set(static_cast<std::size_t>(f.gbk.charIndex(u'x')), u"q");
  EXPECT_EQ(toUtf8(candidateHint(u"xy", f.aux, f.gbk)), "q");
  EXPECT_EQ(toUtf8(candidateHint(u"x", f.aux, f.gbk)), "");
  EXPECT_EQ(toUtf8(candidateHint(u"xy", f.aux, f.gbk)), "");
}

TEST(CandidateList, VerticalRowsAndTheirIndent) {
  struct Case {
    int d;
    int plain, numbered;
  };
  for (const Case& c : std::vector<Case>{{-1, 0, 0}, {0, 1, 2}, {1, 2, 3}, {2, 3, 5}, {5, 6, 8}}) {
    SCOPED_TRACE(c.d);
    EXPECT_EQ(verticalIndent(c.d, false), c.plain);
    EXPECT_EQ(verticalIndent(c.d, true), c.numbered);
  }
  std::int32_t rows = 0;
  EXPECT_EQ(toUtf8(verticalRows(u" 1;我 2'你 3[他", 2, 3, rows)), "   1;我\r\n   2'你\r\n");
  EXPECT_EQ(rows, 2);
  EXPECT_EQ(toUtf8(verticalRows(u"", 5, 3, rows)), "");
  EXPECT_EQ(rows, 0);
  EXPECT_EQ(candidatesPerPage(u"7"), 7);
  EXPECT_EQ(candidatesPerPage(u"12"), 10);
  EXPECT_EQ(candidatesPerPage(u"0"), 1);
  EXPECT_EQ(candidatesPerPage(u"x"), 1);
}

}  // namespace
}  // namespace yz
