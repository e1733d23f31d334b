#include "lexbuild/system_lexicon.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "lexbuild/char_lexicon.h"
#include "lexbuild/scheme_regeneration.h"
#include "lexbuild_test_util.h"
#include "lexicon/gbk.h"
#include "lexicon/image_loader.h"
#include "state/window_state.h"

namespace yz {
namespace {

using testing_support::BuildFolder;

constexpr char16_t kResource[] =
    u"zhong'guo,中国 207.951 种果 752.698\r\n"
    u"wo'men,我们 223.181\r\n"
    u"zhong,中 150 种 160 重 170\r\n"
    u"guo,国 140 果 180\r\n"
    u"chong,重 300\r\n"
    u"a,啊 308.061\r\n";
constexpr char16_t kQp2sp[] = u"a,aa\r\nchong,is\r\nguo,go\r\nmen,mf\r\nwo,wo\r\nzhong,vs\r\n";
constexpr char16_t kSp2qp[] = u"aa,a\r\nis,chong\r\ngo,guo\r\nmf,men\r\nwo,wo\r\nvs,zhong\r\n";

std::string utf8Lines(const std::vector<std::u16string>& lines) {
  std::string out;
  for (const auto& l : lines) out += toUtf8(l) + "\n";
  return out;
}

std::string mergedText(std::vector<std::u16string> lines, std::int32_t& records) {
  std::vector<char16_t> text = mergeRegenerationLines(std::move(lines), records, [] {});
  return toUtf8(std::u16string_view(text.data(), text.size()));
}

class SystemLexiconTest : public ::testing::Test {
 protected:
  SystemLexiconTest() : gbk(f.sim) {
    f.writeResource(105, kResource);
    f.writeGbk(u"内置文件\\qp2sp.txt", kQp2sp);
    f.writeGbk(u"内置文件\\sp2qp自然.txt", kSp2qp);
    pass.timer1 = f.sim.createTimer([] {});
    pass.timer2 = f.sim.createTimer([] {});
    f.sim.setTimer(pass.timer1, 50, true);
    f.sim.setTimer(pass.timer2, 160, true);
  }
  RegenerationContext context() {
    return RegenerationContext{f.sim, f.files(), lex, pass, settings, yjjmcn, yjjmen, [this] { ++pumps; }};
  }
  EncoderContext encoder() { return EncoderContext{lex, gbk, settings, boxes, pass, race, cells}; }
  void fullCode(char16_t ch, std::u16string_view code) { lex.charFullCodes.set(gbk.charIndex(ch), code); }

  BuildFolder f;
  GbkTable gbk;
  LexiconState lex;
  PassState pass;
  Settings settings;
  CandidateBoxes boxes;
  RaceState race;
  EncoderCells cells;
  std::u16string yjjmcn;
  std::u16string yjjmen;
  int pumps = 0;
};

TEST_F(SystemLexiconTest, SoundRegenerationWritesLoadsAndReports) {
  yjjmcn = u"的中";
  yjjmen = u"d_v_";
  f.writeGbk(kCharLexiconPath, u"a,啊 1\r\n");
  f.writeGbk(u"两码词库.txt", u"aa,啊 1\r\n");
  RegenerationContext ctx = context();
  RegenerationResult r = bmvh(ctx);

  const std::string expected =
      "aa,啊 308.061\r\n"
      "go,国 140 果 180\r\n"
      "is,重 300\r\n"
      "v_,中 150\r\n"
      "v_go,中国 207.951\r\n"
      "vs,中 150 种 160 重 170\r\n"
      "vsgo,中国 207.951 种果 752.698\r\n"
      "womf,我们 223.181\r\n";
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(toUtf8(f.readGbk(kMainLexiconPath)), expected);
  EXPECT_EQ(r.lines, 8);
  EXPECT_EQ(r.skippedWords, 0);
  EXPECT_EQ(r.emptyInputFlag, 0);
  ASSERT_EQ(lex.mainLexicon.last, 8);
  EXPECT_EQ(toUtf8(lex.mainLexicon.codes[5]), "v_go");
  EXPECT_EQ(toUtf8(lex.mainLexicon.lines[6]), "中 150 种 160 重 170");
  EXPECT_EQ(lex.syllablesByPinyin.last, 5);
  EXPECT_EQ(toUtf8(lex.syllablesByCode.codes[1]), "is");

  // The resource's plain-text copy, the old single-character lexicon gone, the folder's own copy gone.
  EXPECT_EQ(f.readGbk(kDefaultLexiconCopyPath), kResource);
  EXPECT_FALSE(f.files().exists(kCharLexiconPath));
  EXPECT_FALSE(f.files().exists(u"两码词库.txt"));
  EXPECT_FALSE(f.files().exists(kLexiconImagePath));  // none was there, none is made

  ASSERT_EQ(f.sim.messageBoxes.size(), 1u);
  EXPECT_EQ(toUtf8(f.sim.messageBoxes[0].text),
            "已根据你的单字全码重新生成系统词库,计8词条，处理共耗时0秒！\r\n\r\n重启输入法后用你熟悉的方案打字吧！");
  EXPECT_EQ(f.sim.messageBoxes[0].kind, MessageBoxKind::Ok);
  EXPECT_TRUE(f.sim.timerEnabled(pass.timer1));
  EXPECT_FALSE(f.sim.timerEnabled(pass.timer2));
  EXPECT_GT(pumps, 0);
}

// The key lines, the same sorted and the merged lexicon are there to look at while the
// regeneration runs, each written whole before the lexicon itself, and gone at its end.
TEST_F(SystemLexiconTest, ScratchFilesWhileItRuns) {
  RegenerationContext ctx = context();
  std::u16string keyLines;
  ctx.pump = [&] {
    if (keyLines.empty()) keyLines = f.readGbk(u"用户diy文件\\yhckx.vx");
  };
  ASSERT_TRUE(bmvh(ctx).ok);
  EXPECT_NE(keyLines.find(u"\r\nvs150,中 150\r\n"), std::u16string::npos) << toUtf8(keyLines);
  const std::vector<std::u16string>& changed = f.faults->changed();
  const auto at = [&changed](std::u16string_view path) {
    return std::find(changed.begin(), changed.end(), path) - changed.begin();
  };
  EXPECT_LT(at(u"用户diy文件\\yhckx.vx"), at(u"用户diy文件\\两码词排序后.txt"));
  EXPECT_LT(at(u"用户diy文件\\两码词排序后.txt"), at(u"用户diy文件\\两码词库新.txt"));
  EXPECT_LT(at(u"用户diy文件\\两码词库新.txt"), at(kMainLexiconPath));
  for (std::u16string_view scratch : {u"用户diy文件\\yhckx.vx", u"用户diy文件\\两码词排序后.txt", u"用户diy文件\\两码词库新.txt"}) {
    EXPECT_FALSE(f.files().exists(scratch)) << toUtf8(scratch);
  }
}

TEST_F(SystemLexiconTest, AnExistingImageIsRebuilt) {
  f.writeGbk(kMainLexiconPath, u"zz,旧 100\r\n");
  ASSERT_TRUE(f.files().writeBytes(kLexiconImagePath, "stale"));
  RegenerationContext ctx = context();
  ASSERT_TRUE(bmvh(ctx).ok);
  LexiconTable image;
  image.reset();
  LexiconImageResult loaded = duqudaciku(f.files(), image);
  ASSERT_TRUE(loaded.ok) << loaded.error;
  ASSERT_EQ(image.last, lex.mainLexicon.last);
  for (std::int32_t k = 1; k <= image.last; ++k) {
    EXPECT_EQ(image.codes[static_cast<std::size_t>(k)], lex.mainLexicon.codes[static_cast<std::size_t>(k)]);
    EXPECT_EQ(image.lines[static_cast<std::size_t>(k)], lex.mainLexicon.lines[static_cast<std::size_t>(k)]);
  }
}

// The single-character lexicon goes before the text is replaced: a regeneration cut off at the
// write (here the write fails) never leaves one made for another system lexicon, and the image
// of the old text stays paired with it.
TEST_F(SystemLexiconTest, ACutOffWriteLeavesNoMismatchedSingleCharacterLexicon) {
  f.writeGbk(kMainLexiconPath, u"zz,旧 100\r\n");
  f.writeGbk(kCharLexiconPath, u"z,旧 100\r\n");
  LexiconTable old;
  old.reset();
  old.codes.push(u"zz");
  old.lines.push(u"旧 100");
  old.last = 1;
  ASSERT_TRUE(f.files().writeBytes(kLexiconImagePath,
                                   encodeLexiconImage(old, *f.files().stamp(kMainLexiconPath))));
  f.faults->failFile(kMainLexiconPath, WriteFaults::Step::Open, std::make_error_code(std::errc::is_a_directory));
  RegenerationContext ctx = context();
  RegenerationResult r = bmvh(ctx);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(toUtf8(f.readGbk(kMainLexiconPath)), "zz,旧 100\r\n");
  EXPECT_FALSE(f.files().exists(kCharLexiconPath));  // the next load makes it from the old text
  LexiconTable image;
  EXPECT_TRUE(duqudaciku(f.files(), image).ok);
}

TEST_F(SystemLexiconTest, NothingCodedKeepsTheOldLexicon) {
  f.writeResource(105, u"xyz,某 100\r\nqrs'tuv,某某 200\r\n");
  f.writeGbk(kMainLexiconPath, u"aa,啊 100\r\n");
  f.writeGbk(kCharLexiconPath, u"a,啊 100\r\n");
  lex.mainLexicon.reset();
  lex.mainLexicon.codes.push(u"aa");
  lex.mainLexicon.lines.push(u"啊 100");
  lex.mainLexicon.last = 1;
  RegenerationContext ctx = context();
  RegenerationResult r = bmvh(ctx);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.emptyInputFlag, 1);
  EXPECT_EQ(r.skippedWords, 2);
  EXPECT_EQ(toUtf8(f.readGbk(kMainLexiconPath)), "aa,啊 100\r\n");
  EXPECT_TRUE(f.files().exists(kCharLexiconPath));
  EXPECT_EQ(lex.mainLexicon.last, 1);
  ASSERT_EQ(f.sim.messageBoxes.size(), 1u);
  EXPECT_EQ(toUtf8(f.sim.messageBoxes[0].text), "没有一个词得到编码，系统词库未重新生成，原词库保持不变！");
  EXPECT_TRUE(f.sim.timerEnabled(pass.timer1));
}

TEST_F(SystemLexiconTest, MissingResourceKeepsTheOldLexicon) {
  std::filesystem::remove(f.resources() / "105.txt");
  f.writeGbk(kMainLexiconPath, u"aa,啊 100\r\n");
  RegenerationContext ctx = context();
  RegenerationResult r = bmvh(ctx);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.emptyInputFlag, 1);
  EXPECT_EQ(toUtf8(f.readGbk(kMainLexiconPath)), "aa,啊 100\r\n");
}

TEST_F(SystemLexiconTest, ReportCountsSkippedWords) {
  f.writeResource(105, u"guo,国 140\r\nxyz'guo,某国 500\r\n");
  RegenerationContext ctx = context();
  RegenerationResult r = bmvh(ctx);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.lines, 1);
  EXPECT_EQ(r.skippedWords, 1);
  EXPECT_EQ(toUtf8(r.reportText),
            "已根据你的单字全码重新生成系统词库,计1词条，处理共耗时0秒！\r\n\r\n重启输入法后用你熟悉的方案打字吧！"
            "\r\n（另有1个词编码不全，未收入词库。）");
}

TEST_F(SystemLexiconTest, ShapeAndSoundShapeRegenerationsCodeWordsByTheirFullCodes) {
  fullCode(u'中', u"khk");
  fullCode(u'国', u"lgy");
  fullCode(u'种', u"tkh");
  fullCode(u'重', u"tgj");
  fullCode(u'果', u"jsi");
  fullCode(u'我', u"trn");
  fullCode(u'们', u"wun");
  // 啊 has no full code: the encoder passes it through with a blank, and it is left out.
  settings.ymur = false;
  settings.xmur = true;
  yjjmcn = u"中";
  yjjmen = u"z_";
  const std::string common =
      "js,果 180\r\n";
  struct Case {
    const char* name;
    bool soundShape;
    bool smvj;
    std::string lexicon;
  } cases[] = {
      {"hzvh", false, false,
       common + "kh,中 150\r\nkhlg,中国 207.951\r\nlg,国 140\r\ntg,重 170\r\ntk,种 160\r\n"
                "tkjs,种果 752.698\r\ntrwu,我们 223.181\r\nz_,中 150\r\nz_lg,中国 207.951\r\n"},
      // Three letters a character: only the first two of each three, under the short-code form.
      {"hzvh 纯三码整句", false, true,
       common + "lg,国 140\r\ntg,重 170\r\ntk,种 160\r\ntkjs,种果 752.698\r\ntrwu,我们 223.181\r\n"
                "z_,中 150\r\nz_lg,中国 207.951\r\n"},
      {"yxmvh", true, false,
       common + "kh,中 150\r\nkhlg,中国 207.951\r\nlg,国 140\r\ntg,重 170\r\ntk,种 160\r\n"
                "tkjs,种果 752.698\r\ntrwu,我们 223.181\r\nz_,中 150\r\nz_lg,中国 207.951\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    settings.smvj = c.smvj;
    RegenerationContext ctx = context();
    EncoderContext enc = encoder();
    RegenerationResult r = c.soundShape ? yxmvh(ctx, enc) : hzvh(ctx, enc);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.skippedWords, 1);
    std::string written = toUtf8(f.readGbk(kMainLexiconPath));
    EXPECT_EQ(written, c.lexicon);
    EXPECT_EQ(static_cast<std::size_t>(r.lines), std::count(written.begin(), written.end(), '\n'));
    EXPECT_EQ(lex.mainLexicon.last, r.lines);
    EXPECT_FALSE(f.files().exists(kDefaultLexiconCopyPath));
  }
}

TEST(RegenerationSortLines, CodesOfTheRightLengthOnly) {
  struct Case {
    const char* name;
    std::u16string code;  // the code every word gets
    bool smvj;
    std::string lines;
    int skipped;
  } cases[] = {
      {"two letters a character", u"abcd", false, "abcd\x01" "100,中国 100\nxycd\x01" "100,中国 100\n", 0},
      {"three letters under 纯三码整句", u"abcdef", true, "xyde\x01" "100,中国 100\n", 0},
      {"three letters otherwise", u"abcdef", false, "", 1},
      {"a missing syllable", u"ab", false, "", 1},
      {"empty", u"", false, "", 1},
      {"a comma in the code", u"a,cd", false, "", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WordCoder coder;
    coder.perWord = [&c](std::u16string_view) { return c.code; };
    std::vector<QuanpinEntry> entries = {{u"zhong'guo", u"中国 100"}};
    std::int32_t skipped = 0;
    std::string lines = utf8Lines(regenerationSortLines(entries, coder, c.smvj, u"的中", u"dexy", skipped));
    EXPECT_EQ(lines, c.lines);
    EXPECT_EQ(skipped, c.skipped);
  }
}

TEST(RegenerationSortLines, PairsOfTheListAndEntryCodes) {
  WordCoder coder;
  int calls = 0;
  coder.perEntry = [&calls](std::u16string_view key) {
    ++calls;
    return key == u"guo" ? std::u16string(u"go") : std::u16string(u"vs");
  };
  // A last word without weight is ignored; the entry is coded once for all its words.
  std::vector<QuanpinEntry> entries = {{u"guo", u"国 140 果 180 锅"}, {u"zhong", u"中 150"}};
  std::int32_t skipped = 0;
  EXPECT_EQ(utf8Lines(regenerationSortLines(entries, coder, false, u"", u"", skipped)),
            "go\x01" "140,国 140\ngo\x01" "180,果 180\nvs\x01" "150,中 150\n");
  EXPECT_EQ(calls, 2);
}

TEST(MergeRegenerationLines, OrderAndRepeatedWords) {
  auto line = [](std::u16string code, std::u16string weight, std::u16string word) {
    return code + u'\x01' + weight + u"," + word + u" " + weight;
  };
  struct Case {
    const char* name;
    std::vector<std::u16string> lines;
    std::string text;
    int records;
  } cases[] = {
      {"a code before a longer code it begins",
       {line(u"abcd", u"101", u"甲乙"), line(u"ab", u"152", u"丙")},
       "ab,丙 152\r\nabcd,甲乙 101\r\n", 2},
      {"a weight before a longer weight it begins",
       {line(u"ab", u"497.5", u"乙"), line(u"ab", u"497", u"甲")},
       "ab,甲 497 乙 497.5\r\n", 1},
      {"equal weights by word", {line(u"ab", u"300", u"甲"), line(u"ab", u"300", u"乙")}, "ab,乙 300 甲 300\r\n", 1},
      {"a repeated word keeps its lightest pair",
       {line(u"ab", u"300", u"甲"), line(u"ab", u"200", u"甲"), line(u"cd", u"300", u"甲")},
       "ab,甲 200\r\ncd,甲 300\r\n", 2},
      {"a word inside another is no repeat", {line(u"ab", u"300", u"中国"), line(u"ab", u"301", u"国")},
       "ab,中国 300 国 301\r\n", 1},
      {"nothing", {}, "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::int32_t records = -1;
    EXPECT_EQ(mergedText(c.lines, records), c.text);
    EXPECT_EQ(records, c.records);
  }
}

TEST(SplitQuanpinLexicon, EntriesOfTheResource) {
  using namespace std::literals;
  struct Case {
    const char* name;
    std::u16string_view text;
    std::size_t entries;
  } cases[] = {
      {"NUL padding is no entry", u"a,啊 1\r\nba,吧 2\r\n\0"sv, 2},
      {"without padding the last line counts", u"a,啊 1\r\nba,吧 2"sv, 2},
      {"a line without comma is skipped", u"a,啊 1\r\nbroken\r\n"sv, 1},
      {"empty", u""sv, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(splitQuanpinLexicon(c.text).size(), c.entries);
  }
  auto entries = splitQuanpinLexicon(u"zhong'guo,中国 1,x\r\n");
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].key, u"zhong'guo");
  EXPECT_EQ(entries[0].list, u"中国 1");
}

}  // namespace
}  // namespace yz
