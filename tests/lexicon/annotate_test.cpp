#include <gtest/gtest.h>

#include "encoding_fixture.h"
#include "lexicon/annotate.h"
#include "lexicon/utf.h"

#include "../support/test_folder.h"

namespace yz {
namespace {

using testing_support::EncodingWorld;

// A polyphonic character: its default reading and its word lines for 2..6 characters.
struct Polyphone {
  std::u16string ch, sp, pinyin;
  std::vector<std::vector<std::u16string>> words;  // [0] two characters ... [4] six
};

// Lays polyphone sections out as resource 103 does and writes their information lines with the
// ranges that point at them.
void buildPolyphones(const std::vector<Polyphone>& polyphones, std::vector<std::u16string>& info,
                     std::vector<std::u16string>& lines) {
  for (const auto& p : polyphones) {
    lines.push_back(p.ch + u",开始");
    std::u16string line = u"#," + p.sp + u",*,0,0," + p.pinyin + u"," + p.ch;
    for (std::size_t len = 0; len < 5; ++len) {
      const auto* group = len < p.words.size() ? &p.words[len] : nullptr;
      if (!group || group->empty()) {
        line += u", 1, 1";
        continue;
      }
      std::size_t first = lines.size() + 1;
      for (const auto& w : *group) lines.push_back(w);
      std::size_t last = lines.size();
      line += u", " + fromUtf8(std::to_string(first)) + u", " + fromUtf8(std::to_string(last));
    }
    lines.push_back(p.ch + u",结束");
    info.push_back(line);
  }
}

class AnnotateTest : public testing::Test {
 protected:
  void SetUp() override {
    std::vector<std::u16string> info = {
        u"$,vs,*,0,0,zhong,中", u"$,go,*,0,0,guo,国",  u"$,fa,*,0,0,fa,发",   u"$,yn,*,0,0,yin,银",
        u"$,jw,*,0,0,jia,家",   u"$,mf,*,0,0,men,们",  u"$,lt,*,0,0,lve,略",  u"$,nx,*,0,0,nie,乜",
        u"$,rf,*,0,0,ren,认",   u"$,vf,*,0,0,zhen,真", u"$,pk,*,0,0,pao,跑",  u"$,ta,*,0,0,ta,他",
        u"$,qt,*,0,0,que,确",   u"$,hf,*,0,0,hen,很",  u"$,hk,*,0,0,hao,好",  u"$,mu,*,0,0,mu,目",
        u"$,ba,*,0,0,ba,罢",    u"$,jx,*,0,0,jie,解",  u"$,jt,*,0,0,jue,决",  u"$,ba,*,0,0,ba,吧",
        u"$,zb,*,0,0,zou,走",   u"$,da,*,0,0,da,大",   u"$,ui,*,0,0,shi,是",  u"$,wo,*,0,0,wo,我",
        u"$,lq,*,0,0,liang,量", u"$,fh,*,0,0,fang,方",
    };
    std::vector<std::u16string> lines;
    buildPolyphones(
        {
            {u"行", u"xy", u"xing",
             {{u"发行,'500406'*", u"发行,hang'500406'*", u"银行,hang'9000", u"行走,'7000"},
              {u"银行家,hang'100"}}},
            {u"长", u"vh", u"zhang", {{u"长了,chang'100'*", u"长了,zhang'100'*", u"长大,zhang'5000"}}},
            {u"了", u"le", u"le",
             {{u"罢了,'195035'*", u"罢了,liao'195035'*", u"了解,liao'300000", u"走了,'5000", u"了了,liao/le'"}}},
            {u"的", u"de", u"de", {{u"的确,di'5000", u"目的,di'8000"}, {u"的目的,de/di'"}}},
            {u"地", u"di", u"di", {{u"土地,'3000", u"地方,'9000"}}},
        },
        info, lines);
    auto loaded = world_.writeAndLoad(dir_, info, lines, {u"主要", u"认真", u"不同"});
    ASSERT_TRUE(loaded.ok());
    testing_support::fillSyllables(
        world_.lex.syllablesByPinyin,
        {u"xa,aa", u"a,aa", u"ba,ba", u"chang,ih", u"da,da", u"de,de", u"di,di", u"er,er", u"fa,fa", u"fang,fh",
         u"guo,go", u"hang,hh", u"hao,hk", u"hen,hf", u"jia,jw", u"jie,jx", u"jiu,jq", u"jue,jt",
         u"le,le", u"liang,ld", u"liao,lc", u"ling,ly", u"liu,lq", u"lue,lt", u"men,mf", u"mu,mu",
         u"pao,pk", u"qi,qi", u"que,qt", u"ren,rf", u"san,sj", u"shi,ui", u"si,si", u"ta,ta", u"wo,wo",
         u"wu,wu", u"xing,xy", u"yi,yi", u"yin,yn", u"zhang,vh", u"zhen,vf", u"zhong,vs", u"zou,zb"});
  }

  struct Result {
    std::string code, pinyin;
  };
  Result annotate(std::u16string_view text, std::u16string qp = u"") {
    std::u16string code;
    citcvuyn(world_.ctx(), text, code, qp);
    EXPECT_EQ(world_.cells.sp0, code);
    return {toUtf8(code), toUtf8(qp)};
  }

  testing_support::TestFolder temp_{"yz-annotate-"};
  std::filesystem::path dir_ = temp_.path();
  EncodingWorld world_;
};

TEST_F(AnnotateTest, LoaderFillsTheTables) {
  const auto& lex = world_.lex;
  // Resource 102 is read when the tables are first read, not at the load.
  EXPECT_EQ(lex.charPinyin[world_.gbk.charIndex(u'中')], u"");
  EXPECT_EQ(lex.charPinyin[u'0'], u"ling");
  lex.readCharInfo();
  EXPECT_EQ(lex.charInfoLines[world_.gbk.charIndex(u'中')], u"$,vs,*,0,0,zhong,中");
  EXPECT_EQ(lex.charPinyin[world_.gbk.charIndex(u'中')], u"zhong");
  EXPECT_EQ(lex.charPinyin[world_.gbk.charIndex(u'略')], u"lue");  // lve written lue
  EXPECT_EQ(lex.charInfoLines[20319], u"$***");                    // 啊 has no line here
  EXPECT_EQ(lex.charPinyin[20319], u"");
  EXPECT_EQ(lex.charPinyin[u'0'], u"ling");
  EXPECT_EQ(lex.charPinyin[u'9'], u"jiu");
  EXPECT_EQ(lex.charInfoLines[0], u"");
  EXPECT_EQ(lex.charInfoLines[32768], u"");
  EXPECT_EQ(lex.polyphones.word(1), u"行");
  EXPECT_EQ(lex.polyphones.reading(1), u"开始");
  EXPECT_EQ(lex.polyphones.word(3), u"发行");
  EXPECT_EQ(lex.polyphones.reading(3), u"hang'500406'*");
  EXPECT_EQ(lex.polyphones.word(0), u"");
  EXPECT_EQ(lex.commonWords, (std::vector<std::u16string>{u"", u"主要", u"认真", u"不同"}));
}

TEST_F(AnnotateTest, MissingResourcesLeaveEmptyTables) {
  SimPlatform sim;
  LexiconState lex;
  auto result = loadAnnotationTables(sim, lex);
  EXPECT_FALSE(result.charInfo);
  EXPECT_FALSE(result.polyphones);
  EXPECT_FALSE(result.ok());
  EXPECT_EQ(lex.charPinyin[u'7'], u"qi");
  EXPECT_EQ(lex.polyphones.word(1), u"");  // asked for after the start: still nothing to decode
  EXPECT_EQ(lex.commonWords.size(), 1u);
}

TEST_F(AnnotateTest, Table) {
  struct Case {
    std::u16string_view text;
    const char* code;
    const char* pinyin;
  };
  const Case cases[] = {
      {u"中国", "vsgo", "'zhong'guo"},
      {u"中 国 ", "vsgo", "'zhong'guo"},                 // spaces vanish
      {u"中，国", "vs, go", "'zhong', 'guo"},            // full-width comma
      {u"中。国、", "vs. go\\ ", "'zhong'. 'guo'\\ "},
      {u"第", "第 ", "'第 "},                            // a character outside the table
      {u"7", "qi", "'qi"},                               // ASCII digit
      {u"１", "1 ", "'1 "},                              // full-width digit passes through
      {u"３０", "3 0 ", "'3 '0 "},
      {u"2019", "erlyyijq", "'er'ling'yi'jiu"},
      {u"？", "? ", "'? "},
      {u"Ａｂ", "A b ", "'A 'b "},
      {u"乜", "nie", "'nie"},                            // not a syllable of the table
      {u"略", "lt", "'lue"},
      // Two-character lines that are listed two-reading words take the second reading.
      {u"长了", "vhle", "'zhang'le"},
      {u"发行", "fahh", "'fa'hang"},
      {u"罢了", "balc", "'ba'liao"},
      // The same words inside longer lines go by the neighbourhood.
      {u"发行量", "faxyld", "'fa'xing'liang"},
      {u"银行", "ynhh", "'yin'hang"},
      {u"银行家们", "ynhhjwmf", "'yin'hang'jia'men"},    // a three-character word
      {u"长大", "vhda", "'zhang'da"},
      // 的: "/" lists by occurrence, 的确 against the 的 rule.
      {u"是我的目的", "uiwodemudi", "'shi'wo'de'mu'di"},
      {u"他的确很好", "tadiqthfhk", "'ta'di'que'hen'hao"},
      {u"他的确好", "tadeqthk", "'ta'de'que'hao"},       // w = 2, n = 4: left
      {u"好的", "hkde", "'hao'de"},
      {u"的确好", "diqthk", "'di'que'hao"},
      // 地 after a common word.
      {u"认真地跑", "rfvfdepk", "'ren'zhen'de'pao"},
      {u"地方", "difh", "'di'fang"},
      // 了: star marks before frequencies.
      {u"罢了解决吧", "balejxjtba", "'ba'le'jie'jue'ba"},
      {u"走了解决吧", "zblcjxjtba", "'zou'liao'jie'jue'ba"},
      {u"走了解决", "zblejxjt", "'zou'le'jie'jue"},      // w = 2, n = 4: left
      {u"大走了解", "dazblcjx", "'da'zou'liao'jie"},     // w = 3, n = 4: right
      {u"了了", "lcle", "'liao'le"},                     // "/" list: right first item, left second
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(toUtf8(c.text));
    Result r = annotate(c.text);
    EXPECT_EQ(r.code, c.code);
    EXPECT_EQ(r.pinyin, c.pinyin);
  }
}

TEST_F(AnnotateTest, LinesJoinWithoutSeparatorAndPinyinIsTheLastLine) {
  Result r = annotate(u"中国\r\n\r\n  \r\n行", u"unchanged");
  EXPECT_EQ(r.code, "vsgoxy");
  EXPECT_EQ(r.pinyin, "'xing");
  EXPECT_EQ(annotate(u"", u"unchanged").pinyin, "unchanged");
  EXPECT_EQ(annotate(u" \r\n ", u"unchanged").pinyin, "unchanged");
  EXPECT_EQ(annotate(u"", u"unchanged").code, "");
}

TEST_F(AnnotateTest, QuestionMarkAndCharactersOutsideGbkShareIndex63) {
  EXPECT_EQ(world_.gbk.charIndex(u'?'), 63);
  EXPECT_EQ(world_.gbk.charIndex(u'\u0E01'), 63);
  EXPECT_EQ(annotate(u"?").code, "? ");
  world_.lex.readCharInfo();
  world_.lex.charInfoLines.set(63, u"$,nx,*,0,0,nie,乜");
  world_.lex.charPinyin.set(63, u"nie");
  EXPECT_EQ(annotate(u"?").code, "nie");
  EXPECT_EQ(annotate(u"\u0E01").code, "nie");
  EXPECT_EQ(annotate(u"？").code, "? ");
}

TEST_F(AnnotateTest, ApostropheIsOneCharacterWithItsOwnPart) {
  EXPECT_EQ(annotate(u"中'国").code, "vs go");
  EXPECT_EQ(annotate(u"中'国").pinyin, "'zhong'' 'guo");
  EXPECT_EQ(annotate(u"中’国").code, "vs go");
  // Three-letter mode: every character takes its own third letter, none shifts.
  world_.settings.smvj = true;
  world_.auxCode(u'中', u"kx");
  world_.auxCode(u'国', u"wy");
  world_.auxCode(u'发', u"s");
  EXPECT_EQ(annotate(u"中国").code, "vskgow");
  EXPECT_EQ(annotate(u"中'国").code, "vsk gow");
  EXPECT_EQ(annotate(u"中‘国发").code, "vsk gowfas");
  EXPECT_EQ(annotate(u"中，国").code, "vsk, gow");
  EXPECT_EQ(annotate(u"中第").code, "vsk第 ");  // no auxiliary code: nothing added
}

TEST_F(AnnotateTest, EmptyReadingAddsNothing) {
  // A character whose line has an empty reading field contributes no code part.
  world_.lex.readCharInfo();
  world_.lex.charInfoLines.set(world_.gbk.charIndex(u'第'), u"$,di,*,0,0,,第");
  world_.lex.charPinyin.set(world_.gbk.charIndex(u'第'), u"");
  world_.settings.smvj = true;
  world_.auxCode(u'第', u"z");
  world_.auxCode(u'国', u"w");
  EXPECT_EQ(annotate(u"第国").code, "gow");
}

TEST_F(AnnotateTest, ShapeCodeTakesTwoOrThreeLetters) {
  world_.fullCode(u'中', u"khk");
  world_.fullCode(u'国', u"lgyi");
  world_.fullCode(u'了', u"b");
  EXPECT_EQ(toUtf8(dzqmvuyn(world_.ctx(), u"中国了，x")), "khlgb, x ");
  EXPECT_EQ(world_.cells.sp0, world_.cells.bm);
  EXPECT_EQ(toUtf8(world_.cells.bm), "khlgb, x ");
  world_.settings.smvj = true;
  EXPECT_EQ(toUtf8(dzqmvuyn(world_.ctx(), u"中国了，x")), "khklgyb, x ");
}

TEST(HalfWidth, FoldsAndNarrows) {
  EXPECT_EQ(halfWidthForm(u'，'), u',');
  EXPECT_EQ(halfWidthForm(u'、'), u'\\');
  EXPECT_EQ(halfWidthForm(u'×'), u'*');
  EXPECT_EQ(halfWidthForm(u'÷'), u'/');
  EXPECT_EQ(halfWidthForm(u'“'), u'"');
  EXPECT_EQ(halfWidthForm(u'‘'), u'\'');
  EXPECT_EQ(halfWidthForm(u'Ｚ'), u'Z');
  EXPECT_EQ(halfWidthForm(u'～'), u'~');
  EXPECT_EQ(halfWidthForm(u'\u3000'), u' ');
  EXPECT_EQ(halfWidthForm(u'《'), u'《');
  EXPECT_EQ(halfWidthForm(u'a'), u'a');
}

}  // namespace
}  // namespace yz
