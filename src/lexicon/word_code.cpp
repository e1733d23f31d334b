#include "lexicon/word_code.h"

#include "lexicon/encoder.h"
#include "lexicon/gbk.h"

namespace yz {
namespace {

// Letter `pos` (from 1) of a text, or nothing.
std::u16string_view letter(std::u16string_view s, std::size_t pos) {
  return pos >= 1 && pos <= s.size() ? s.substr(pos - 1, 1) : std::u16string_view();
}

// The character position a designator names; 0 for none.
std::size_t designatedPosition(char16_t d, std::size_t wordLength) {
  if (d >= u'1' && d <= u'9') return d - u'0';
  if (d == u'0') return 10;
  if (d >= u'a' && d <= u'z') return 11 + (d - u'a');
  if (d >= u'A' && d <= u'Z') return 37 + (d - u'A');
  if (d == u'#') return wordLength;
  return 0;
}

const std::u16string& ruleList(const Settings& s, std::size_t n) {
  switch (n) {
    case 2: return s.ldzici;
    case 3: return s.sjzici;
    case 4: return s.sizici;
    case 5: return s.wuzici;
    case 6: return s.lqzici;
    case 7: return s.qizici;
    default: return s.nzici;
  }
}

// The code one rule builds.
std::u16string applyRule(const EncoderContext& ctx, std::u16string_view word, std::u16string_view code,
                         std::u16string_view rule) {
  std::u16string out;
  std::size_t start = 0;
  while (start <= rule.size()) {
    std::size_t end = rule.find(u'+', start);
    if (end == std::u16string_view::npos) end = rule.size();
    std::u16string_view element = rule.substr(start, end - start);
    if (!element.empty()) {
      std::size_t p = designatedPosition(element[0], word.size());
      for (char16_t digit : element.substr(1)) {
        if (digit < u'0' || digit > u'9' || p == 0 || p > word.size()) continue;
        std::size_t d = digit - u'0';
        if (d == 1 || d == 2) {
          out += letter(code, 2 * p + d - 2);
        } else if (d >= 3) {
          out += letter(ctx.lex.charFullCodes[ctx.gbk.charIndex(word[p - 1])], d);
        }
      }
    }
    start = end + 1;
  }
  return out;
}

}  // namespace

void yshuquma(const EncoderContext& ctx, WebCells& web, std::u16string_view strx, std::u16string& bmmair) {
  const std::u16string word(strx);
  std::u16string code;  // the word's code, which the rules take letters from
  citcbmma(ctx, word, code, web.pinyinQuery);
  const std::size_t n = word.size();
  const Settings& s = ctx.settings;
  std::u16string out;

  if (s.smdi == 1) {
    if (n == 2) {
      out = code;
    } else if (n == 3) {
      for (std::size_t pos : {1, 3, 5, 6}) out += letter(code, pos);
    } else if (n >= 4) {
      for (std::size_t pos : {std::size_t{1}, std::size_t{3}, std::size_t{5}, 2 * n - 1}) out += letter(code, pos);
    }
    bmmair = std::move(out);
    return;
  }

  if (s.yzlm == 1) {
    out += code;
    out += u',';
  }
  if (s.yzym == 1) {
    for (std::size_t pos = 1; pos <= code.size(); pos += 2) out += letter(code, pos);
    out += u',';
  }
  if (s.ijjp == 1 && n > 4) {
    for (std::size_t pos : {1, 3, 5, 7, 8}) out += letter(code, pos);
    out += u',';
  }
  if (n != 1) {
    std::u16string_view rules = ruleList(s, n);
    std::size_t start = 0;
    bool first = true;
    while (start <= rules.size()) {
      std::size_t end = rules.find(u',', start);
      if (end == std::u16string_view::npos) end = rules.size();
      if (!first) out += u',';
      out += applyRule(ctx, word, code, rules.substr(start, end - start));
      first = false;
      start = end + 1;
    }
  }
  bmmair = std::move(out);
}

}  // namespace yz
