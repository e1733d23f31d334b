#include <gtest/gtest.h>

#include "lookup_fixture.h"

namespace yz::lookup_testing {
namespace {

enum Order { FirstLast = 0, LastFirst = 1, Any = 2 };  // 首末字, 末首字, 任意字 辅助

// Auxiliary letters after the code of a word, through the three-letter path and the two-letter
// chain. Letters: 中 z.d (third d), 国 w.i (last i), 种 h, 果 m, 华 x, 人 r, 众 q, 大 d, 家 j, 好 r.
TEST_F(LookupWorld, AuxiliaryLettersPickAmongHomophones) {
  struct Case {
    const char* name;
    Mode mode;
    Order order;
    std::u16string_view code;
    std::string word;
    float weight;
    std::string mainHit;
    std::string endzf0;
    std::string sysyff;
    std::u16string_view fumayr = {};
    int fmwx = 0;
    bool vxbf = false;
    std::u16string_view codeBox = {};   // empty: the code itself
    std::u16string_view codeLine = {};  // empty: the code itself
  };
  const Case cases[] = {
      // Six letters: a two-character word and two letters.
      {"six, first & last", Mode::Mixed, FirstLast, u"vsgozw", "中国", 50, "vsgo", " 中国 050", "中国"},
      {"six, reversed pair under first & last", Mode::Mixed, FirstLast, u"vsgowz", "", 400, "-", "", ""},
      {"six, reversed pair under any", Mode::Mixed, Any, u"vsgowz", "中国", 50, "vsgo", " 中国 050", "中国"},
      {"six, any in any order: first & first", Mode::Mixed, Any, u"vsgozz", "中国", 50, "vsgo", " 中国 050",
       "中国", {}, 1},
      {"six, last & first picks the second word", Mode::Mixed, LastFirst, u"vsgomh", "种果", 300, "vsgo",
       " 种果 300", "种果"},
      {"six under 纯两码整句 goes on with the main path", Mode::TwoCode, FirstLast, u"vsgozw", "", 400, "-",
       "中国 050", "中国"},
      {"six, 声韵辅数 with an auxiliary element: third letter of the first character", Mode::Mixed,
       FirstLast, u"vsgodw", "中国", 50, "vsgo", " 中国 050", "中国", u"w", 0, true},
      {"six, the same without 声韵辅数", Mode::Mixed, FirstLast, u"vsgodw", "", 400, "-", "", "", u"w"},
      {"six in 字词模式 takes the letters from the code box", Mode::WordMode, FirstLast, u"vsgoxx", "中国",
       50, "vsgo", " 中国 050", "中国", {}, 0, false, u"vsgozw"},
      // Eight letters: a three-character word and two letters.
      {"eight, any pair of two characters", Mode::Mixed, Any, u"vshwrfxr", "中华人", 70, "vshwrf",
       " 中华人 070 众华人 300", ""},
      {"eight, last & first", Mode::Mixed, LastFirst, u"vshwrfrz", "中华人", 70, "vshwrf", " 中华人 070", ""},
      {"eight, first & last", Mode::Mixed, FirstLast, u"vshwrfzr", "中华人", 70, "vshwrf", " 中华人 070", ""},
      {"eight without a prefix line: the code line goes on", Mode::Mixed, FirstLast, u"qqqqqqzw", "中国", 50,
       "vsgo", " 中国 050", "中国", {}, 0, false, {}, u"vsgozw"},
      // Seven letters, the last one not an auxiliary element: the pass's end-word candidates.
      {"seven, from the end-word candidates up to the first non-three-character word", Mode::Mixed,
       LastFirst, u"vshwrfr", "中华人", 70, "vshwrf", " 中华人 070 大家好 100", "中华人"},
      // Five letters: a two-character word and one letter; the word goes on through the main path.
      {"five, last character's first letter", Mode::Mixed, LastFirst, u"vsgow", "中国", 400, "vsgo",
       "中国 050", ""},
      {"five, an auxiliary element picks the last letter", Mode::Mixed, LastFirst, u"vsgoi", "中国", 400,
       "vsgo", "中国 050", "", u"i"},
      {"five under any: taken without a record", Mode::Mixed, Any, u"vsgoz", "中国", 400, "-", "", ""},
      // 纯三码整句: two code letters and one auxiliary letter per character.
      {"nine letters of three characters", Mode::ThreeCode, LastFirst, u"vszhwxrfr", "中华人", 70, "vshwrf",
       "", ""},
      {"six letters of two characters", Mode::ThreeCode, LastFirst, u"vszgow", "中国", 50, "vsgo", "", ""},
      {"three letters only the user lexicon holds", Mode::ThreeCode, LastFirst, u"vsk", "中科", 85, "-", "",
       ""},
  };
  pass.tex5f9 = u"中华人 070 大家好 100 中国 050 众华人 300";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    setMode(c.mode);
    settings.auxOrder = {c.order == FirstLast, c.order == LastFirst, c.order == Any};
    settings.fmwx = c.fmwx;
    settings.vxbf.borderStyle = c.vxbf ? 1 : 0;
    pass.fumayr = c.fumayr;
    pass.sysyff.clear();
    type(c.code);
    if (!c.codeBox.empty()) win.boxes.Text1.text = c.codeBox;
    if (!c.codeLine.empty()) win.boxes.rtext1.text = c.codeLine;
    Outcome got = look(c.code);
    EXPECT_EQ(got.word, c.word);
    EXPECT_FLOAT_EQ(got.weight, c.weight);
    EXPECT_EQ(got.mainHit, c.mainHit);
    EXPECT_EQ(got.endzf0, c.endzf0);
    EXPECT_EQ(got.sysyff, c.sysyff);
    EXPECT_EQ(lex.cells.fybci, 0);
  }
}

// The spare three-letter lookup: the auxiliary-letter match alone, in any sentence mode.
TEST_F(LookupWorld, SpareThreeLetterLookupMatchesAuxiliaryLettersOnly) {
  struct Case {
    std::u16string_view code;
    std::string word;
    float weight;
  } cases[] = {
      {u"vszhwxrfr", "中华人", 70},
      {u"vszgow", "中国", 50},
      {u"vszgoz", "", 7},  // no candidate's letters
      {u"vsk", "", 7},     // only the user lexicon holds it
      {u"vsgo", "", 7},    // not a three-letter code
  };
  for (Mode mode : {Mode::Mixed, Mode::ThreeCode}) {
    setMode(mode);
    for (const Case& c : cases) {
      SCOPED_TRACE(u8(c.code));
      type(c.code);
      std::u16string cnir = u"stale";
      float weight = 7;
      lookup.hzirsmvck(c.code, cnir, weight);
      EXPECT_EQ(u8(cnir), c.word);
      EXPECT_FLOAT_EQ(weight, c.weight);
      EXPECT_EQ(lex.cells.fybci, 0);
    }
  }
}

}  // namespace
}  // namespace yz::lookup_testing
