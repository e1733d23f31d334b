#include <gtest/gtest.h>

#include "encoding_fixture.h"
#include "lexicon/encoder.h"
#include "lexicon/utf.h"

namespace yz {
namespace {

using testing_support::EncodingWorld;

class EncoderTest : public testing::Test {
 protected:
  void SetUp() override {
    w_.addChar(u'中', u"zhong");
    w_.addChar(u'国', u"guo");
    w_.addChar(u'长', u"zhang");
    w_.addChar(u'安', u"an");
    w_.addChar(u'吃', u"chi");
    w_.addChar(u'书', u"shu");
    w_.addChar(u'人', u"ren");
    w_.fullCode(u'中', u"khk");
    w_.fullCode(u'国', u"lgyi");
    w_.fullCode(u'长', u"ta");
    w_.fullCode(u'安', u"pvb");
    w_.fullCode(u'吃', u"ktnn");
    w_.fullCode(u'书', u"nnhy");
    testing_support::fillSyllables(w_.lex.syllablesByPinyin,
                                   {u"-,-", u"an,an", u"chi,ii", u"guo,go", u"ren,rf", u"shu,uu",
                                    u"zhang,vh", u"zhong,vs"});
  }

  struct Result {
    std::string code, pinyin, sp0;
  };
  Result encode(std::u16string_view text, std::u16string qp = u"before") {
    std::u16string code = u"old";
    citcbmma(w_.ctx(), text, code, qp);
    return {toUtf8(code), toUtf8(qp), toUtf8(w_.cells.sp0)};
  }

  EncodingWorld w_;
};

TEST_F(EncoderTest, SoundCode) {
  Result r = encode(u"中国");
  EXPECT_EQ(r.code, "vsgo");
  EXPECT_EQ(r.pinyin, "'zhong'guo");
  EXPECT_EQ(r.sp0, "vsgo");
  // ASCII later in the text passes through with a space.
  EXPECT_EQ(encode(u"中a国1").code, "vsa goyi");
  EXPECT_EQ(encode(u"，，").code, ", , ");
}

TEST_F(EncoderTest, TextsThatAreNotEncoded) {
  for (std::u16string_view text : {u"", u"a中国", u"1中国", u"@", u"#", u"，", u"……", u"。", u"——", u"《",
                                   u"’", u"\u0E01中国"}) {
    SCOPED_TRACE(toUtf8(text));
    Result r = encode(text);
    EXPECT_EQ(r.code, "");
    EXPECT_EQ(r.pinyin, "");
    EXPECT_EQ(r.sp0, "");
  }
}

TEST_F(EncoderTest, CommandTextInTheCodeLineKeepsItsCode) {
  w_.boxes.rtext1.text = u"time";
  Result r = encode(u"中国");
  EXPECT_EQ(r.code, "time");
  EXPECT_EQ(r.pinyin, "");
  EXPECT_EQ(r.sp0, "");
  w_.boxes.rtext1.text = u"week";
  EXPECT_EQ(encode(u"中国").code, "week");
  w_.boxes.rtext1.text = u"date";
  EXPECT_EQ(encode(u"").code, "date");
  w_.boxes.rtext1.text = u"vsgo";
  EXPECT_EQ(encode(u"中国").code, "vsgo");
}

TEST_F(EncoderTest, EmptyCommandTextNeverMatches) {
  w_.settings.dqsj.clear();
  w_.boxes.rtext1.text.clear();
  EXPECT_EQ(encode(u"中国").code, "vsgo");
  w_.settings.dqrq.clear();
  w_.settings.dqxq.clear();
  EXPECT_EQ(encode(u"中国").code, "vsgo");
}

TEST_F(EncoderTest, SoundShapeCode) {
  w_.settings.ymur = false;
  w_.settings.yxmur = true;
  w_.settings.yxmmh = 0;
  Result r = encode(u"中国长");
  EXPECT_EQ(r.code, "vhggva");
  EXPECT_EQ(r.pinyin, "'zhong'guo'zhang");
  EXPECT_EQ(r.sp0, "vhggva");
  // zcs fuzziness: v i u become z c s.
  w_.settings.yxmmh = 1;
  EXPECT_EQ(encode(u"长吃书").code, "zactsn");
  EXPECT_EQ(encode(u"安").code, "av");
  // With 声笔飞码 marked a, e and o become v too.
  w_.settings.ubfm.borderStyle = 1;
  EXPECT_EQ(encode(u"安长").code, "vvza");
  // A character without a full code takes "z" as its shape letter.
  EXPECT_EQ(encode(u"人中").code, "rzzh");
}

TEST_F(EncoderTest, SoundShapeCodeInThreeLetterMode) {
  w_.settings.ymur = false;
  w_.settings.yxmur = true;
  w_.settings.yxmmh = 0;
  w_.settings.smvj = true;
  w_.auxCode(u'中', u"k");
  w_.auxCode(u'国', u"w");
  // The sound letter is the initial of each character's three-letter code.
  EXPECT_EQ(encode(u"中国长").code, "vhggva");
  EXPECT_EQ(w_.cells.sp0, u"vhggva");
}

TEST_F(EncoderTest, ShapeCode) {
  w_.settings.ymur = false;
  w_.settings.xmur = true;
  Result r = encode(u"中国长，人");
  EXPECT_EQ(r.code, "khlgta, 人 ");
  EXPECT_EQ(r.pinyin, "before");  // left as passed
  w_.settings.smvj = true;
  EXPECT_EQ(encode(u"中国长").code, "khklgyta");
}

TEST_F(EncoderTest, PrivilegedCodesOnlyInRaceRunsWithUnderscore) {
  auto& p = w_.lex.privileged;
  p.privilegedCodes = {u"", u"a_", u"zz"};
  p.privilegedWords = {u"", u"国", u"中"};
  p.privilegedFlags = {u"", u"", u""};
  p.tqgu = 2;
  w_.pass.codeChars = u"abcdefghijklmnopqrstuvwxyz_";
  EXPECT_EQ(encode(u"中国中").code, "vsgovs");  // raceMode 0
  w_.race.raceMode = 1;
  Result r = encode(u"中国中");
  EXPECT_EQ(r.code, "zza_zz");
  EXPECT_EQ(r.sp0, "vsgovs");
  w_.pass.codeChars = u"abcdefghijklmnopqrstuvwxyz";
  EXPECT_EQ(encode(u"中国中").code, "vsgovs");
  // A record flagged "1" ends the scan for each character.
  w_.pass.codeChars = u"abcdefghijklmnopqrstuvwxyz_";
  p.privilegedFlags = {u"", u"", u"1"};
  p.privilegedWords = {u"", u"国", u"x"};
  p.privilegedCodes.push_back(u"qq");
  p.privilegedWords.push_back(u"中");
  p.privilegedFlags.push_back(u"");
  p.tqgu = 3;
  EXPECT_EQ(encode(u"中国").code, "vsa_");
}

TEST_F(EncoderTest, ShapeHalfOfSoundShape) {
  EXPECT_EQ(toUtf8(citcvuxy(w_.ctx(), u"中人国")), "khzzlg");
  EXPECT_EQ(w_.cells.bm, u"khzzlg");
  EXPECT_EQ(w_.cells.sp0, u"khzzlg");
}

}  // namespace
}  // namespace yz
