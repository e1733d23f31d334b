#include "devtools/converters.h"

#include <gtest/gtest.h>

#include "lexicon/files.h"
#include "lexicon/text_file.h"
#include "platform/sim/sim_platform.h"
#include "../support/test_folder.h"

namespace yz {
namespace {

std::u16string aux(char16_t c) {
  if (c == u'字') return u"cd";
  if (c == u'中') return u"kx";
  if (c == u'国') return u"wy";
  return u"";
}

TEST(Converters, AuxiliaryVariants) {
  EXPECT_EQ(ciku({u"字,ab", u"中国,vsgo", u"中国人,vsgorf", u"中华人民,vshrrfmn", u"无,wu"}, aux),
            (LineList{u"ab,字*1", u"abc,字*1", u"abcd_,字*1",
                      u"vsgo,中国*2", u"vskgo,中国*2", u"vskgow,中国*2",
                      u"vsgow,中国*2", u"vsgowk,中国*2",
                      u"vsgorf,中国人*3", u"vsgorf,中国人*3",
                      u"vshrrfmn,中华人民*4",
                      // No auxiliary code: the lengthened codes are the code itself.
                      u"wu,无*5", u"wu,无*5", u"wu_,无*5"}));
}

TEST(Converters, MarkerCodes) {
  EXPECT_EQ(rewriteMarkerCodes({u"ab,字,12.3456,x"}, aux),
            (LineList{u"ab,字,*sy,12.346,2", u"abc,字,*syf,12.346,3", u"abc_,字,*syf_,12.346,4",
                      u"abcd_,字,*syff_,12.346,5", u"abcd,字,*syff,312.346,4"}));
  EXPECT_EQ(rewriteMarkerCodes({u"vsgo,中国,5,x", u"vsgorf,中国人,7,x"}, aux),
            (LineList{u"vsgo,中国,*y,5,4", u"vskgo,中国,*syfsy,5,5", u"vsgow,中国,*sysyf,5,5",
                      u"vskgow,中国,*syfsyf,5,6", u"vsgorf,中国人,*y,7,6"}));
  // Past the first 3,500 records a character has no ",*syf," lines; past 74,999 a two-character
  // word keeps only its ",*y," and ",*syfsyf," lines.
  LineList many(74999, u"zz,无,1,x");
  many.push_back(u"ab,字,1,x");
  many.push_back(u"vsgo,中国,1,x");
  LineList out = rewriteMarkerCodes(many, aux);
  LineList tail(out.end() - 5, out.end());
  EXPECT_EQ(tail, (LineList{u"ab,字,*sy,1,2", u"abcd_,字,*syff_,1,5", u"abcd,字,*syff,301,4",
                            u"vsgo,中国,*y,1,4", u"vskgow,中国,*syfsyf,1,6"}));
  EXPECT_EQ(out[1], u"zz,无,*syf,1,2");
}

TEST(Converters, LineReshaping) {
  EXPECT_EQ(joinSameCodeLines({u"ab,x 1", u"ab,y 2", u"ac,z 3", u"ab,w 4"}),
            (LineList{u"ab,x 1 y 2", u"ac,z 3", u"ab,w 4"}));
  EXPECT_EQ(joinSameCodeLines({}), LineList{});
  EXPECT_EQ(splitLexiconPairs({u"abcd,中国12 忠告15", u"ab,中", u"abc,中国5"}),
            (LineList{u"abcd,中国 12", u"abcd,忠告 15", u"ab,中 ", u"abc,中 国5"}));
  EXPECT_EQ(separateStrokeDigits({u"中,zhong1", u"国,guo2,25"}), (LineList{u"中,zhong,1,", u"国,guo,2,"}));
  const LineList zero = {u"aa,ya", u"ao,wo"};
  EXPECT_EQ(zeroInitialVariants({u"vaiu,字 1", u"aaao,x 2", u"aeb,y 3"}, zero),
            (LineList{u"zacu,字 1", u"yawo,x 2", u"ae,y 3"}));
  EXPECT_EQ(zeroInitialStrokeMerge({u"中,2512", u"国,251", u"中,25121"}, zero, {u"vsx,中", u"aa,国", u"ui,无"}),
            (LineList{u"zs25121,中", u"ya251,国"}));
}

TEST(Converters, FrequencyJoins) {
  const LineList table = {u"一,10", u"中国,50.5", u"人,30"};
  EXPECT_EQ(mergeWordFrequencies(table, {u"x,一,0", u"y,人,0", u"z,中国,0", u"w,无,0"}),
            (LineList{u"x,一,10", u"y,人,30", u"z,中国,50.5", u"w,无,400"}));
  EXPECT_EQ(mergeWordFrequencies({}, {u"x,一"}), LineList{u"x,一,400"});
  EXPECT_EQ(joinCorpusFrequencies({u"a,中,50", u"b,国,7"}, {u"x,无,1", u"a,中,1", u"y,无,1", u"z,无,1", u"b,国,1"}),
            (LineList{u"x,无0.0001", u"a,中50", u"y,无50.0001", u"z,无50.0002", u"b,国7"}));
  EXPECT_EQ(annotateWordList({u"中国"}, [](std::u16string_view) { return std::u16string(u"vsgo"); }),
            LineList{u"vsgo,中国 100"});
  const LineList layout = {u"bei,bw", u"jing,jk"};
  EXPECT_EQ(frequencyListToShuangpin(layout, {u"北京,bwjk,x,5", u"北京北,bwqqbw,x,0", u"q,qqbw,x,1"}),
            (LineList{u"北京,bei'jing,1005", u"北京北,bei''bei,1000", u"q,bei,1001"}));
  EXPECT_EQ(frequencyListToShuangpin2({u"bei,bw", u"jing,jk"}, {u"北京,bei'jing,7", u"x,bei'zzz,1"}),
            (LineList{u"bwjk,北京,7", u"bw,x,1"}));
}

TEST(Converters, FilesNamedByTheCaller) {
  testing_support::TestFolder temp("yz-convert-");
  ProgramFolder files(temp.path());
  SimPlatform platform;
  ASSERT_TRUE(writeGbkLines(files, platform, u"in.txt", {u"中,zhong1"}));
  ASSERT_TRUE(convertFiles(files, platform, u"in.txt", u"out.txt", separateStrokeDigits));
  EXPECT_EQ(readGbkLines(files, platform, u"out.txt"), LineList{u"中,zhong,1,"});
  EXPECT_FALSE(convertFiles(files, platform, u"missing.txt", u"out2.txt", separateStrokeDigits));
  EXPECT_FALSE(files.exists(u"out2.txt"));
}

}  // namespace
}  // namespace yz
