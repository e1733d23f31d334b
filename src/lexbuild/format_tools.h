#pragma once
// Lexicon format tools: the single-line lexicon (all words of a code on one line, "code,word word
// ...") to the multi-line one (one "code,word" line a word) and back, and the list of the user's
// two- and three-character words with a three-letter-a-character code.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lexicon/annotate.h"

namespace yz {

inline constexpr std::u16string_view kSingleLineLexiconPath = u"内置文件\\单行词库.txt";
inline constexpr std::u16string_view kMultiLineLexiconPath = u"内置文件\\多行词库.txt";
inline constexpr std::u16string_view kPlainUserWordsPath = u"用户词库.txt";
inline constexpr std::u16string_view kUserWordCodesPath = u"用户词库+辅助码.txt";

// Single-line to multi-line: every item of a line's list (split at single blanks) becomes
// code & "," & item, in order; an empty item (a doubled or trailing blank) gives "code,". Lines
// without a comma are no record.
std::vector<std::u16string> singleToMultiLine(std::u16string_view text);

// Multi-line to single-line: consecutive lines of one code become code & "," & the words joined
// by single blanks; the same code in two separate runs gives two lines. Nullopt when the text
// holds no record.
std::optional<std::vector<std::u16string>> multiToSingleLine(std::u16string_view text);

struct UserWordCodes {
  std::vector<std::u16string> lines;  // "code,word"
  std::int32_t count = 0;
};

// The user words with their codes (`yhckfvm`): each line without a comma holding a word of two or
// three characters gives code & "," & word, the code being, for every character, its two
// shuangpin letters (`citcvuyn`) and the first letter of its auxiliary code (none when it has
// no auxiliary code). Other lines are skipped; so is a word whose shuangpin code is not two
// letters a character.
UserWordCodes userWordCodes(std::u16string_view text, const EncoderContext& encoder);

}  // namespace yz
