#pragma once
// Word-code rules: the codes under which a word would be entered in a word-code scheme, from the
// settings' word-coding options and per-length rule lists.
//
// Rule list grammar (两字词编码 … N字词编码):
//   list    ::= rule ("," rule)*
//   rule    ::= element ("+" element)*
//   element ::= designator digit+
//   designator: "1"-"9" that character, "0" the tenth, "a"-"z" the 11th-36th, "A"-"Z" the
//               37th-62nd, "#" the last
//   digit d: 1 or 2 take letter d of the character's two-letter code, 3 or more letter d of its
//            full code; a position beyond the word or the code adds nothing

#include <string>
#include <string_view>

#include "lexicon/annotate.h"
#include "state/service_cells.h"

namespace yz {

// Computes the word's codes into `bmmair`, separated by ","; the cloud query's pinyinQuery
// receives the word's pinyin.
void yshuquma(const EncoderContext& ctx, WebCells& web, std::u16string_view strx, std::u16string& bmmair);

}  // namespace yz
