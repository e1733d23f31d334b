#include "lexicon/encoder.h"

#include <array>

#include "lexicon/gbk.h"

namespace yz {
namespace {

// Texts that are never encoded: lone punctuation marks and signs.
constexpr std::array<std::u16string_view, 25> kNotEncoded = {
    u"，", u"。", u"：", u"、", u"【", u"】", u"；", u"！", u"@",  u"#",  u"￥", u"%",  u"……",
    u"&",  u"*",  u"（", u"）", u"——", u"+",  u"”",  u"“",  u"‘",  u"’",  u"《", u"》"};

bool notEncoded(const EncoderContext& ctx, std::u16string_view text) {
  if (text.empty()) return true;
  for (auto s : kNotEncoded) {
    if (text == s) return true;
  }
  std::uint16_t first = ctx.gbk.codeOf(text[0]);
  return first >= 1 && first <= 0xFF;  // a single-byte (ASCII) first character
}

// The code line holds the text of a date, time or weekday command; an empty command text never
// matches.
bool commandResult(const EncoderContext& ctx) {
  const std::u16string& line = ctx.boxes.rtext1.text;
  for (const std::u16string* command : {&ctx.settings.dqxq, &ctx.settings.dqsj, &ctx.settings.dqrq}) {
    if (!command->empty() && line == *command) return true;
  }
  return false;
}

// 音形码: per character the initial key of its 自然双拼 code, then the second letter of its full
// code. The sound code has `soundLetters` letters a character.
std::u16string soundShapeCode(const EncoderContext& ctx, std::u16string_view sound,
                              std::u16string_view shape, std::size_t soundLetters) {
  const bool fuzzy = ctx.settings.yxmmh == 1;
  const bool feima = ctx.settings.ubfm.marked();
  std::u16string code;
  for (std::size_t c = 0; 2 * c < shape.size(); ++c) {
    std::size_t at = soundLetters * c;
    if (at < sound.size()) {
      char16_t letter = sound[at];
      if (fuzzy) {
        if (letter == u'v') letter = u'z';
        else if (letter == u'i') letter = u'c';
        else if (letter == u'u') letter = u's';
        if (feima && (letter == u'a' || letter == u'e' || letter == u'o')) letter = u'v';
      }
      code += letter;
    }
    if (2 * c + 1 < shape.size()) code += shape[2 * c + 1];
  }
  return code;
}

// Race runs with "_" among the code keys: a character of the privileged table takes the
// record's code in place of the first two letters of its own.
void applyPrivilegedCodes(const EncoderContext& ctx, std::u16string_view text, std::u16string& code,
                          std::size_t lettersPerChar) {
  const PrivilegedCodeTable& table = ctx.lex.privileged;
  const std::size_t chars = code.size() / lettersPerChar;
  for (std::size_t v = 1; v <= chars; ++v) {
    std::u16string_view ch = v <= text.size() ? text.substr(v - 1, 1) : std::u16string_view();
    for (std::int32_t r = 1; r <= table.tqgu && static_cast<std::size_t>(r) < table.privilegedWords.size(); ++r) {
      if (static_cast<std::size_t>(r) < table.privilegedFlags.size() && table.privilegedFlags[r] == u"1") break;
      if (table.privilegedWords[r] != ch) continue;
      std::size_t at = lettersPerChar * (v - 1);
      const std::u16string& replacement =
          static_cast<std::size_t>(r) < table.privilegedCodes.size() ? table.privilegedCodes[r] : std::u16string();
      code.replace(std::min(at, code.size()), std::min<std::size_t>(2, code.size() - std::min(at, code.size())),
                   replacement);
      break;
    }
  }
}

}  // namespace

std::u16string citcvuxy(const EncoderContext& ctx, std::u16string_view strx) {
  std::u16string code;
  for (char16_t ch : strx) {
    const std::u16string_view full = ctx.lex.charFullCodes[ctx.gbk.charIndex(ch)];
    code += full.empty() ? std::u16string_view(u"zz") : full.substr(0, 2);
  }
  ctx.cells.bm = code;
  ctx.cells.sp0 = code;
  return code;
}

void citcbmma(const EncoderContext& ctx, std::u16string_view b00, std::u16string& bm, std::u16string& qp) {
  if (commandResult(ctx)) {
    std::u16string line = ctx.boxes.rtext1.text;
    bm = std::move(line);
    qp.clear();
    ctx.cells.sp0.clear();
    return;
  }
  if (notEncoded(ctx, b00)) {
    bm.clear();
    qp.clear();
    ctx.cells.sp0.clear();
    return;
  }
  const std::u16string text(b00);  // b00 may view the caller's bm or qp
  std::u16string code;
  std::size_t lettersPerChar = ctx.settings.smvj ? 3 : 2;
  if (ctx.settings.yxmur) {
    std::u16string sound;
    citcvuyn(ctx, text, sound, qp);
    std::u16string shape = citcvuxy(ctx, text);
    code = soundShapeCode(ctx, sound, shape, lettersPerChar);
    lettersPerChar = 2;
  } else if (ctx.settings.ymur) {
    citcvuyn(ctx, text, code, qp);
  } else if (ctx.settings.xmur) {
    code = dzqmvuyn(ctx, text);
  }
  ctx.cells.sp0 = code;
  if (ctx.race.raceMode == 1 && ctx.pass.codeChars.find(u'_') != std::u16string::npos) {
    applyPrivilegedCodes(ctx, text, code, lettersPerChar);
  }
  bm = std::move(code);
}

}  // namespace yz
