// The import of another input method's word list.

#include <gtest/gtest.h>

#include <map>

#include "lexbuild/import.h"
#include "lexicon/utf.h"

namespace yz {
namespace {

std::string joined(const std::vector<std::u16string>& lines) {
  std::string out;
  for (const auto& l : lines) out += toUtf8(l) + "|";
  return out;
}

// A fixed encoder: two letters a character from a small table, "" for anything else.
std::u16string encode(std::u16string_view word) {
  static const std::map<char16_t, std::u16string> codes = {
      {u'中', u"vs"}, {u'国', u"go"}, {u'人', u"rf"}, {u'民', u"mn"}, {u'字', u"zi"}};
  std::u16string out;
  for (char16_t ch : word) {
    auto it = codes.find(ch);
    if (it == codes.end()) return u"";
    out += it->second;
  }
  return out;
}

ThirdPartyImportOptions options(bool asked = false) {
  ThirdPartyImportOptions o;
  o.encode = encode;
  o.asked = asked;
  o.hasFullCode = [](char16_t ch) { return !encode(std::u16string(1, ch)).empty(); };
  o.rnd = [] { return 0.25f; };
  return o;
}

TEST(ThirdPartyImport, GivenWeightsAndFullCodes) {
  // Three coded words without weights: 135 + 10r, then one more each.
  ThirdPartyImport r = importThirdPartyText(u"ab,字\r\nab,子\r\nab,自\r\na,啊\r\n", options());
  EXPECT_EQ(joined(r.lexiconLines), "a,啊 102.5|ab,字 137.5 子 138.5 自 139.5|");
  EXPECT_EQ(joined(r.fullCodeLines), "ab,字|ab,子|ab,自|a,啊|");
  EXPECT_EQ(joined(r.charLexiconLines), "a,啊 102.5|ab,字 137.5 子 138.5 自 139.5|");
  EXPECT_EQ(r.entries, 4);
}

TEST(ThirdPartyImport, CodingWeightsAndTheCharacterLexicon) {
  ThirdPartyImport r = importThirdPartyText(
      u"\r\n中国 5\r\n人民\r\nvsgo,中国 120 中果 130\r\nzizi,字 1 字母 2 子 3\r\nabcd,阿爸 100\r\n"
      u"abcde,长码 100\r\n未知 7\r\n",
      options());
  // "中国 5" gets the encoder's code and keeps its weight (which the rebuild writes as 05);
  // "未知" cannot be coded and is skipped instead of making an entry without a code.
  EXPECT_EQ(joined(r.lexiconLines),
            "abcd,阿爸 100|abcde,长码 100|rfmn,人民 137.5|vsgo,中国 05 中果 130|zizi,字 01 字母 02 子 03|");
  EXPECT_EQ(r.skippedEmptyCodes, 1);
  // Four letters: only the single characters; a five-letter code only in the lexicon.
  EXPECT_EQ(joined(r.charLexiconLines), "zizi,字 01 子 03|");
  EXPECT_EQ(joined(r.fullCodeLines), "zizi,字|");
}

TEST(ThirdPartyImport, AskedVariantAddsShortCodes) {
  ThirdPartyImport r = importThirdPartyText(u"中国人民 3\r\n中x国\r\n", options(true));
  // vsgorfmn: the first letters of three characters and the last two letters, then every first
  // letter; "x" has no full code and is left out of the coded text, not of the word.
  EXPECT_EQ(joined(r.lexiconLines),
            "vgrm,中国人民 142.5|vgrmn,中国人民 142.5|vsgo,中x国 102.5|vsgorfmn,中国人民 03|");
}

TEST(ThirdPartyImport, FourLetterCharacterList) {
  EXPECT_EQ(fourLetterCharList(u"字 1 字母 2 子 3"), u"字 1 子 3");
  EXPECT_EQ(fourLetterCharList(u"字母 2 中国 3"), u"");
}

TEST(ThirdPartyImport, EntryLimit) {
  ThirdPartyImportOptions o = options();
  o.maxEntries = 2;
  ThirdPartyImport r = importThirdPartyText(u"ab,字\r\ncd,子\r\nef,自\r\n", o);
  EXPECT_TRUE(r.truncated);
  EXPECT_EQ(r.entries, 2);
}

}  // namespace
}  // namespace yz
