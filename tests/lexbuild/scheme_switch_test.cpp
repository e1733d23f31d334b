// The scheme table and the rules by which a switch reads a full-code file.

#include <gtest/gtest.h>

#include "lexbuild/scheme_switch.h"
#include "lexicon/gbk.h"
#include "lexicon/utf.h"
#include "platform/sim/sim_platform.h"

namespace yz {
namespace {

class FullCodeReading : public ::testing::Test {
 protected:
  FullCodeReadResult read(std::u16string_view label, std::u16string_view text) {
    full = CharTable{};
    aux = CharTable{};
    return readSchemeFullCodes(text, *schemeMember(label), gbk, full, aux);
  }
  std::u16string fullOf(char16_t ch) const { return std::u16string(full[gbk.charIndex(ch)]); }
  std::u16string auxOf(char16_t ch) const { return std::u16string(aux[gbk.charIndex(ch)]); }

  SimPlatform sim;
  GbkTable gbk{sim};
  CharTable full, aux;
};

TEST_F(FullCodeReading, RulesOfEveryForm) {
  struct Case {
    const char* name;
    std::u16string_view label;
    std::u16string_view text;
    std::u16string_view fullCode;  // of 字 (工 for the first case)
    std::u16string_view auxCode;
  } cases[] = {
      {"one letter doubled", u"zm", u"a,字\r\n", u"aa", u""},
      {"end letter outside a-z", u"zm", u"abc9,字\r\n", u"aa", u""},
      {"end mark kept for 自声鹤形", u"zdyxym", u"ab_,字\r\n", u"ab_", u"_"},
      {"end mark kept for 声笔飞码", u"ubfm", u"ab_,字\r\n", u"ab_", u"_"},
      {"end mark refused for 五笔98", u"wbjb", u"ab_,字\r\n", u"aa", u""},
      {"no end rule for 自定义形码", u"zdyxm", u"ab;,字\r\n", u"ab;", u";"},
      {"last wins", u"xdwb", u"ab,字\r\ncd,字\r\n", u"cd", u""},
      {"first wins", u"zdyxym", u"ab,字\r\ncd,字\r\n", u"ab", u""},
      {"first wins unless _ second", u"ubfm", u"ab,字\r\ncd,字\r\nc_x,字\r\n", u"c_x", u"x"},
      {"auxiliary letters from the third", u"vxbf", u"abcd,字\r\n", u"abcd", u"cd"},
      {"spaces removed", u"zdyyxm", u"a b c,字\r\n", u"abc", u"c"},
      {"quoted field holds a comma", u"zdyxm", u"\"a,b\",字\r\n", u"a,b", u"b"},
      {"blank lines and empty fields skipped", u"zm", u"\r\n,字\r\nab,字\r\n", u"ab", u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    read(c.label, c.text);
    EXPECT_EQ(toUtf8(fullOf(u'字')), toUtf8(c.fullCode));
    EXPECT_EQ(toUtf8(auxOf(u'字')), toUtf8(c.auxCode));
  }
}

TEST_F(FullCodeReading, SeveralCharactersAndSwappedFields) {
  // A character field of several characters gives its first one the rest (read last).
  read(u"zm", u"ab,字x\r\n");
  EXPECT_EQ(fullOf(u'字'), u"x");
  // Fields in the wrong order: reported, and still read.
  FullCodeReadResult r = read(u"zm", u"字,ab\r\nhk,好\r\n");
  ASSERT_EQ(r.suspicious.size(), 1u);
  EXPECT_EQ(r.suspicious[0], u"内置文件\\单字全码.txt字  ab是否有误？请检查！");
  EXPECT_EQ(fullOf(u'好'), u"hk");
  EXPECT_EQ(r.records, 2);
}

TEST(SchemeTable, EveryMemberAndTheClearers) {
  // label, kind, full-code source, syllable source, reads, fluency first, ready-made
  struct Row {
    std::u16string_view label;
    InputKind kind;
    std::u16string_view source;
    std::u16string_view syllables;
    bool reads;
    bool fluency;
  } rows[] = {
      {u"ubfm", InputKind::SoundShape, u"内置文件\\单字全码声笔飞码.txt", u"", true, true},
      {u"wbjb", InputKind::Shape, u"内置文件\\单字全码五笔98.txt", u"", true, true},
      {u"zdyxym", InputKind::SoundShape, u"内置文件\\单字全码自声鹤形.txt", u"", true, true},
      {u"zdyyxm", InputKind::SoundShape, u"用户diy文件\\单字全码自定义音形码.txt", u"", true, true},
      {u"xdwb", InputKind::Shape, u"内置文件\\单字全码五笔86.txt", u"", true, true},
      {u"zdyxm", InputKind::Shape, u"用户diy文件\\单字全码自定义形码.txt", u"", true, true},
      {u"zm", InputKind::Shape, u"内置文件\\单字全码郑码.txt", u"", true, true},
      {u"vxbf", InputKind::Sound, u"内置文件\\单字全码砚舟鹤形数.txt", u"内置文件\\qp2sp自然.txt", true, false},
      {u"xhhx", InputKind::Sound, u"内置文件\\单字全码小鹤鹤形.txt", u"内置文件\\qp2sp小鹤.txt", true, false},
      {u"gbup", InputKind::Sound, u"内置文件\\单字全码国标双拼.txt", u"内置文件\\qp2sp国标.txt", false, false},
      {u"zdypf", InputKind::Sound, u"用户diy文件\\单字全码自定义双拼.txt", u"用户diy文件\\qp2sp自定义.txt", true, false},
      {u"wbbl", InputKind::Shape, u"内置文件\\单字全码五笔86.txt", u"", false, true},
  };
  ASSERT_EQ(schemeLabels().size(), std::size(rows));
  for (const Row& r : rows) {
    SCOPED_TRACE(toUtf8(r.label));
    const SchemeMember* m = schemeMember(r.label);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->kind, r.kind);
    EXPECT_EQ(m->fullCodeSource, r.source);
    EXPECT_EQ(m->syllableSource, r.syllables);
    EXPECT_EQ(m->readsFullCodes, r.reads);
    EXPECT_EQ(m->fluencyFirst, r.fluency);
    EXPECT_EQ(m->readyMade, r.label == u"wbbl");
    EXPECT_EQ(m->question.empty(), r.label == u"wbbl");
  }
  EXPECT_EQ(schemeMember(u"zrhx"), nullptr);

  Settings s;
  auto markAll = [&s] {
    for (auto name : {u"vxbf", u"zm", u"ynma", u"qrpn", u"zrmfvm", u"jjfvm"}) schemeLabel(s, name)->borderStyle = 1;
  };
  markAll();
  bkbusp(s);
  EXPECT_FALSE(s.vxbf.marked() || s.zm.marked() || s.ynma.marked() || s.qrpn.marked());
  EXPECT_TRUE(s.zrmfvm.marked() && s.jjfvm.marked());
  markAll();
  bkbufvm(s);
  EXPECT_TRUE(s.vxbf.marked() && s.qrpn.marked());
  EXPECT_FALSE(s.zrmfvm.marked() || s.jjfvm.marked());
  markAll();
  bkbu(s);
  for (auto name : {u"vxbf", u"zm", u"ynma", u"qrpn", u"zrmfvm", u"jjfvm"}) EXPECT_FALSE(schemeLabel(s, name)->marked());
}

TEST(FirstLevelShortCodes, TwoLetterCodesEndingInMark) {
  PrivilegedCodeTable t;
  t.privilegedCodes = {u"", u"z_", u"abc", u"d_", u"e_"};
  t.privilegedWords = {u"", u"中", u"我们", u"的", u"两字"};
  FirstLevelShortCodes c = firstLevelShortCodes(t);
  EXPECT_EQ(c.yjjmcn, u"中的");
  EXPECT_EQ(c.yjjmen, u"z_d_");
}

}  // namespace
}  // namespace yz
