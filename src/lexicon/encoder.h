#pragma once
// The text encoder: a Chinese text to its input code in the current input kind (音码, 音形码 or
// 形码) and its full pinyin, with the privileged codes of race runs.

#include <string>
#include <string_view>

#include "lexicon/annotate.h"

namespace yz {

// Encodes a text in the current input kind: `bm` receives the code, `qp` the pinyin (left alone
// under 形码). A code line holding a date, time or weekday command text keeps that text as the
// code; an empty text, a lone punctuation mark and a text that begins with an ASCII character
// encode to "". sp0 = the code before the privileged codes.
void citcbmma(const EncoderContext& ctx, std::u16string_view b00, std::u16string& bm, std::u16string& qp);

// The first two letters of each character's full code, "zz" for a character without one.
// sp0 = bm = the result.
std::u16string citcvuxy(const EncoderContext& ctx, std::u16string_view strx);

}  // namespace yz
