#pragma once
// Text annotation: a Chinese text to its 自然双拼 code and full pinyin, polyphonic characters read
// by the words around them (resources 102-104); and the shape-code encoder on the full codes.
//
// Resource formats (GBK, CR LF; 102 and 103 end in NUL bytes after their last line):
//   102  line n describes the character of table index n:
//          "$***"                                   no character in this slot
//          mark,sp,letter,shape,0,pinyin,char       mark "$" ordinary, "#" polyphonic
//          ... followed by ", first, last" x 5      word ranges in 103 for 2..6 characters
//   103  per polyphonic character: "字,开始", word lines "word,reading'frequency['*]", "字,结束"
//        reading: the character's pinyin in the word (empty = default; "a/b" one per occurrence)
//        "'*": a word with two readings, on two consecutive lines
//   104  one common two-character word a line

#include <cstdint>
#include <string>
#include <string_view>

#include "state/encoder_cells.h"
#include "state/lexicon_state.h"
#include "state/pass_state.h"
#include "state/service_cells.h"
#include "state/settings.h"
#include "state/window_state.h"

namespace yz {

class GbkTable;
class Platform;

// What the text encoders read, and the form cells they write.
struct EncoderContext {
  const LexiconState& lex;
  const GbkTable& gbk;
  const Settings& settings;
  const CandidateBoxes& boxes;  // rtext1: the code line
  const PassState& pass;        // codeChars
  const RaceState& race;        // raceMode
  EncoderCells& cells;
};

// Fills charInfoLines, charPinyin (digits included), the polyphonic words (polyphones) and
// commonWords from resources 102, 103 and 104. A missing resource leaves its tables empty; the
// result says which resources were read.
struct AnnotationLoadResult {
  bool charInfo = false;
  bool polyphones = false;
  bool commonWords = false;
  bool ok() const { return charInfo && polyphones && commonWords; }
};
AnnotationLoadResult loadAnnotationTables(const Platform& platform, LexiconState& lex);

// The half-width form of a character without a reading: punctuation folded to its ASCII form
// ("，" to ",", "、" to "\", curly quotes to straight ones), full-width forms to half-width.
char16_t halfWidthForm(char16_t ch);

// Annotates a text with shuangpin and pinyin: `hzct` receives the code of the whole text (two
// letters a character, three under 纯三码整句; a character without a reading gives its half-width
// form and a space), `qp` the pinyin of the last non-empty line ("'zhong'guo"), left alone when
// every line is empty. sp0 = hzct.
void citcvuyn(const EncoderContext& ctx, std::u16string_view bmct, std::u16string& hzct,
              std::u16string& qp);

// Shape code: the first two letters of each character's full code (three under 纯三码整句); a
// character without one gives its half-width form and a space. sp0 = bm = the result.
std::u16string dzqmvuyn(const EncoderContext& ctx, std::u16string_view strx);

}  // namespace yz
