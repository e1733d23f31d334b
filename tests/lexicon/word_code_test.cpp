#include <gtest/gtest.h>

#include "encoding_fixture.h"
#include "lexicon/utf.h"
#include "lexicon/word_code.h"

namespace yz {
namespace {

using testing_support::EncodingWorld;

class WordCodeTest : public testing::Test {
 protected:
  void SetUp() override {
    const std::pair<char16_t, const char16_t*> chars[] = {
        {u'中', u"zhong"}, {u'国', u"guo"}, {u'人', u"ren"}, {u'民', u"min"},
        {u'共', u"gong"},  {u'和', u"he"},  {u'大', u"da"}};
    for (auto [ch, py] : chars) w_.addChar(ch, py);
    w_.fullCode(u'中', u"khk");
    w_.fullCode(u'国', u"lgyi");
    w_.fullCode(u'人', u"w");
    w_.fullCode(u'民', u"nav");
    testing_support::fillSyllables(w_.lex.syllablesByPinyin,
                                   {u"-,-", u"da,da", u"gong,gs", u"guo,go", u"he,he", u"min,mn",
                                    u"ren,rf", u"zhong,vs"});
  }
  std::string codes(std::u16string_view word) {
    std::u16string out = u"old";
    yshuquma(w_.ctx(), w_.web, word, out);
    return toUtf8(out);
  }
  EncodingWorld w_;
};

TEST_F(WordCodeTest, DefaultsForTwoCharacters) {
  EXPECT_EQ(codes(u"中国"), "vsgo,vsgo,vsgoy,vskgo,vsgoky,vsgoyk");
  EXPECT_EQ(w_.web.pinyinQuery, u"'zhong'guo");
}

TEST_F(WordCodeTest, OneCharacterGivesItsCodeOnly) { EXPECT_EQ(codes(u"中"), "vs,"); }

TEST_F(WordCodeTest, LengthsAndOptions) {
  EXPECT_EQ(codes(u"中国人"), "vsgorf,vgrf");
  EXPECT_EQ(codes(u"中国人民"), "vsgorfmn,vgrm");
  // 超级简拼 from five characters on; the five-character rule.
  EXPECT_EQ(codes(u"中国人民共"), "vsgorfmngs,vgrmn,vgrmg");
  // Six characters: "n12" names the 24th character and adds nothing.
  EXPECT_EQ(codes(u"中国人民共和"), "vsgorfmngshe,vgrmn,vgrmg");
  w_.settings.yzlm = 0;
  w_.settings.yzym = 1;
  w_.settings.ijjp = 0;
  EXPECT_EQ(codes(u"中国人民共和"), "vgrmgh,vgrmg");
}

TEST_F(WordCodeTest, FixedFourLettersIgnoresTheOtherOptions) {
  w_.settings.smdi = 1;
  w_.settings.yzym = 1;
  EXPECT_EQ(codes(u"中"), "");
  EXPECT_EQ(codes(u"中国"), "vsgo");
  EXPECT_EQ(codes(u"中国人"), "vgrf");
  EXPECT_EQ(codes(u"中国人民"), "vgrm");
  EXPECT_EQ(codes(u"中国人民共和"), "vgrh");
}

TEST_F(WordCodeTest, RuleDesignatorsAndFullCodeLetters) {
  w_.settings.yzlm = 0;
  w_.settings.ldzici = u"13+23,#12+112,14+24,x1,23+33";
  // 中 khk: letter 3 "k", letter 4 none; 国 lgyi: letter 3 "y", letter 4 "i".
  EXPECT_EQ(codes(u"中国"), "ky,govs,i,,y");
  // A short full code adds nothing for digit 3.
  w_.settings.ldzici = u"13+23";
  EXPECT_EQ(codes(u"中人"), "k");
  w_.settings.sjzici = u"#1+#2+#3";
  EXPECT_EQ(codes(u"中国民"), "mnv");
}

}  // namespace
}  // namespace yz
