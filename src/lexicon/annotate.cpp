#include "lexicon/annotate.h"

#include <algorithm>
#include <vector>

#include "lexicon/gbk.h"
#include "platform/platform.h"

namespace yz {
namespace {

constexpr std::u16string_view kDigitReadings[10] = {u"ling", u"yi", u"er", u"san", u"si",
                                                    u"wu",   u"liu", u"qi", u"ba", u"jiu"};
constexpr std::size_t kCharInfoLast = 32767;  // line 32768 holds the NUL bytes
constexpr std::size_t kEmptyInfoLength = 4;   // "$***"

// The text decoded, without the NUL bytes that end resources 102 and 103.
std::u16string resourceText(const Platform& platform, int id, bool& found) {
  auto bytes = platform.resource(id);
  found = bytes.has_value();
  if (!bytes) return {};
  std::u16string text = platform.fromGbk(*bytes);
  while (!text.empty() && text.back() == u'\0') text.pop_back();
  return text;
}

// Lines split at CR LF exactly, as the resources and the texts to annotate are split.
std::vector<std::u16string_view> splitCrLf(std::u16string_view text) {
  std::vector<std::u16string_view> lines;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = text.find(u"\r\n", start);
    if (end == std::u16string_view::npos) {
      lines.push_back(text.substr(start));
      return lines;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
}

// Calls `onLine` with each line of `text` split at CR LF exactly, as `splitCrLf` splits it.
template <typename OnLine>
void forEachCrLfLine(std::u16string_view text, OnLine onLine) {
  std::size_t start = 0;
  std::size_t from = 0;
  for (;;) {
    const std::size_t cr = text.find(u'\r', from);
    if (cr == std::u16string_view::npos || cr + 1 >= text.size()) {
      onLine(text.substr(start));
      return;
    }
    if (text[cr + 1] != u'\n') {
      from = cr + 1;
      continue;
    }
    onLine(text.substr(start, cr - start));
    start = from = cr + 2;
  }
}

std::vector<std::u16string_view> splitAt(std::u16string_view text, char16_t sep) {
  std::vector<std::u16string_view> parts;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = text.find(sep, start);
    if (end == std::u16string_view::npos) {
      parts.push_back(text.substr(start));
      return parts;
    }
    parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
}

void replaceAll(std::u16string& s, std::u16string_view from, std::u16string_view to) {
  for (std::size_t p = s.find(from); p != std::u16string::npos; p = s.find(from, p + to.size())) {
    s.replace(p, from.size(), to);
  }
}

// The leading decimal number of a text after optional spaces (0 when there is none).
std::int64_t leadingNumber(std::u16string_view s) {
  std::size_t i = 0;
  while (i < s.size() && s[i] == u' ') ++i;
  std::int64_t value = 0;
  for (; i < s.size() && s[i] >= u'0' && s[i] <= u'9'; ++i) {
    if (value < (std::int64_t{1} << 40)) value = value * 10 + (s[i] - u'0');
  }
  return value;
}

// A word line's tail: "reading'frequency'*".
std::u16string_view readingOf(std::u16string_view tail) { return tail.substr(0, tail.find(u'\'')); }

std::int64_t frequencyOf(std::u16string_view tail) {
  std::size_t p = tail.find(u'\'');
  if (p == std::u16string_view::npos) return 0;
  std::u16string_view rest = tail.substr(p + 1);
  return leadingNumber(rest.substr(0, rest.find(u'\'')));
}

bool starred(std::u16string_view tail) { return !tail.empty() && tail.back() == u'*'; }

struct WordRange {
  std::size_t first = 1;
  std::size_t last = 0;  // empty when last < first
};

// The range of resource 103 lines that holds a polyphonic character's words of `length`
// characters, from fields 2 * length + 4 and 2 * length + 5 of its information line.
WordRange wordRange(std::u16string_view infoLine, int length, std::size_t tableSize) {
  auto fields = splitAt(infoLine, u',');
  std::size_t at = static_cast<std::size_t>(2 * length + 3);
  WordRange range;
  if (fields.size() <= at + 1 || tableSize < 2) return range;
  range.first = static_cast<std::size_t>(std::max<std::int64_t>(1, leadingNumber(fields[at])));
  range.last = static_cast<std::size_t>(
      std::min<std::int64_t>(leadingNumber(fields[at + 1]), static_cast<std::int64_t>(tableSize - 1)));
  return range;
}

// Annotates one line (spaces removed) of n >= 1 characters: one reading per character.
class LineAnnotator {
 public:
  LineAnnotator(const EncoderContext& ctx, std::u16string_view line) : ctx_(ctx), line_(line) {
    ctx_.lex.readCharInfo();
  }

  std::vector<std::u16string> run() {
    std::vector<std::u16string> readings(line_.size());
    if (line_.size() == 2 && twoCharacterShortcut(readings)) return readings;
    for (std::size_t w = 1; w <= line_.size(); ++w) readings[w - 1] = readingAt(w);
    return readings;
  }

 private:
  std::u16string_view info(char16_t ch) const { return ctx_.lex.charInfoLines[ctx_.gbk.charIndex(ch)]; }
  static bool polyphonic(std::u16string_view infoLine) { return !infoLine.empty() && infoLine[0] == u'#'; }
  std::size_t words() const { return ctx_.lex.polyphones.size(); }
  std::u16string_view word(std::size_t k) const { return ctx_.lex.polyphones.word(k); }
  std::u16string_view tail(std::size_t k) const { return ctx_.lex.polyphones.reading(k); }

  // The reading a character takes without its neighbours: its default pinyin, or the half-width
  // form and a space for a character outside the table.
  std::u16string defaultReading(char16_t ch) const {
    int index = ctx_.gbk.charIndex(ch);
    if ((ch >= u'0' && ch <= u'9') || ctx_.lex.charInfoLines[index].size() != kEmptyInfoLength) {
      return std::u16string(ctx_.lex.charPinyin[index]);
    }
    return std::u16string{halfWidthForm(ch), u' '};
  }

  // A two-character line that is itself a listed word reads with the word's (last listed) reading.
  bool twoCharacterShortcut(std::vector<std::u16string>& readings) const {
    bool found = false;
    std::u16string noted[2];
    for (int c = 0; c < 2; ++c) {
      const std::u16string_view infoLine = info(line_[c]);
      if (!polyphonic(infoLine)) continue;
      WordRange range = wordRange(infoLine, 2, words());
      for (std::size_t k = range.first; k <= range.last; ++k) {
        if (word(k) != line_) continue;
        std::u16string_view reading = readingOf(tail(k));
        if (k + 1 < words() && word(k + 1) == line_) {
          std::u16string_view next = readingOf(tail(k + 1));
          noted[c] = next.empty() ? reading : next;
          found = true;
          break;
        }
      }
    }
    if (!found) return false;
    for (int c = 0; c < 2; ++c) {
      readings[c] = noted[c].empty()
                        ? std::u16string(ctx_.lex.charPinyin[ctx_.gbk.charIndex(line_[c])])
                        : noted[c];
    }
    return true;
  }

  std::u16string readingAt(std::size_t w) const {
    char16_t ch = line_[w - 1];
    const std::u16string_view infoLine = info(ch);
    if (!polyphonic(infoLine)) return defaultReading(ch);
    std::u16string reading;
    if (longerWord(infoLine, w, reading)) return reading.empty() ? defaultReading(ch) : reading;
    reading = neighbourhood(infoLine, w);
    return reading.empty() ? defaultReading(ch) : reading;
  }

  // Windows of 6 down to 3 characters around position w, leftmost first within a length. True
  // when a listed word decided; `reading` is then its reading (empty: the default).
  bool longerWord(std::u16string_view infoLine, std::size_t w, std::u16string& reading) const {
    const std::size_t n = line_.size();
    const char16_t ch = line_[w - 1];
    for (std::size_t length = std::min<std::size_t>(n, 6); length >= 3; --length) {
      WordRange range = wordRange(infoLine, static_cast<int>(length), words());
      for (std::size_t a = length; a-- > 0;) {
        if (w < a + 1) continue;  // the window would start before the line
        std::size_t s = w - a;
        if (s + length - 1 > n) break;
        std::u16string_view window = line_.substr(s - 1, length);
        for (std::size_t k = range.first; k <= range.last; ++k) {
          if (word(k) != window) continue;
          std::u16string_view listed = readingOf(tail(k));
          if (listed.find(u'/') == std::u16string_view::npos) {
            reading = listed;
          } else {
            auto items = splitAt(listed, u'/');
            std::size_t j = static_cast<std::size_t>(std::count(window.begin(), window.begin() + a, ch));
            reading = j < items.size() ? std::u16string(items[j]) : std::u16string();
          }
          return true;
        }
      }
    }
    return false;
  }

  struct Side {
    std::u16string reading;
    std::int64_t frequency = 0;
    bool star = false;
    bool matched = false;
  };

  // The first two-character word of the range equal to `pair`; `item` picks from a "/" list.
  Side pairWord(std::u16string_view infoLine, std::u16string_view pair, std::size_t item, char16_t ch) const {
    Side side;
    WordRange range = wordRange(infoLine, 2, words());
    for (std::size_t k = range.first; k <= range.last; ++k) {
      if (word(k) != pair) continue;
      std::u16string_view t = tail(k);
      std::u16string_view listed = readingOf(t);
      if (listed.empty()) {
        side.reading = ctx_.lex.charPinyin[ctx_.gbk.charIndex(ch)];
      } else if (listed.find(u'/') != std::u16string_view::npos) {
        auto items = splitAt(listed, u'/');
        side.reading = item < items.size() ? std::u16string(items[item]) : std::u16string();
      } else {
        side.reading = listed;
      }
      side.frequency = frequencyOf(t);
      side.star = starred(t);
      side.matched = true;
      return side;
    }
    return side;
  }

  bool commonWordBefore(std::size_t w) const {
    if (w <= 2) return false;
    std::u16string_view pair = line_.substr(w - 3, 2);
    const auto& common = ctx_.lex.commonWords;
    return std::find(common.begin() + (common.empty() ? 0 : 1), common.end(), pair) != common.end();
  }

  // The reading that the two neighbouring pairs call for; empty for the default.
  std::u16string neighbourhood(std::u16string_view infoLine, std::size_t w) const {
    const std::size_t n = line_.size();
    const char16_t ch = line_[w - 1];
    Side left, right;
    if (w >= 2) {
      left = pairWord(infoLine, line_.substr(w - 2, 2), 1, ch);
      if (!left.matched) {
        if (ch == u'的' && line_.find(u'的') != n - 1) left.reading = u"de";
        if (ch == u'地' && commonWordBefore(w)) left.reading = u"de";
      }
    }
    if (w == n) {
      right.reading = left.reading;
    } else {
      right = pairWord(infoLine, line_.substr(w - 1, 2), 0, ch);
      if (!right.matched && ch == u'地' && commonWordBefore(w)) right.reading = u"de";
    }
    if (left.reading.empty() && right.reading.empty()) return {};
    if (left.reading == right.reading) return left.reading;
    if (left.reading.empty()) return right.reading;
    if (right.reading.empty()) return left.reading;
    if (w == 2 && n == 4) return left.reading;
    if (w == 3 && n == 4) return right.reading;
    if (left.star && !right.star) return left.reading;
    if (right.star && !left.star) return right.reading;
    if (right.frequency > left.frequency) return right.reading;
    return left.reading;
  }

  const EncoderContext& ctx_;
  std::u16string_view line_;
};

// The 自然双拼 code of a syllable by bisection over the by-pinyin table (slots 1..last); the
// syllable itself when the table does not hold it.
std::u16string syllableCode(const SyllableTable& table, std::u16string_view syllable) {
  std::int32_t lo = 1, hi = table.last;
  if (hi < lo) return std::u16string(syllable);
  if (table.syllables[lo] == syllable) return table.codes[lo];
  if (table.syllables[hi] == syllable) return table.codes[hi];
  while (hi - lo > 1) {
    std::int32_t mid = (lo + hi) / 2;
    const std::u16string& s = table.syllables[mid];
    if (s == syllable) return table.codes[mid];
    if (syllable < std::u16string_view(s)) {
      hi = mid;
    } else {
      lo = mid;
    }
  }
  return std::u16string(syllable);
}

// Fills charInfoLines and charPinyin (the digits' readings included) from the decoded resource 102.
void fillCharInfo(std::u16string infoText, const LexiconState& lex) {
  lex.charInfoLines.clear();
  lex.charInfoLines.resize(kCharTableSlots);
  lex.charPinyin.clear();
  lex.charInfoText.reset();
  while (!infoText.empty() && infoText.back() == u'\0') infoText.pop_back();
  if (!infoText.empty()) {
    // The lines view the decoded resource, kept for the session like resource 103's.
    infoText.shrink_to_fit();
    auto info = std::make_shared<const std::u16string>(std::move(infoText));
    std::size_t n = 0;
    forEachCrLfLine(*info, [&](std::u16string_view line) {
      if (++n > kCharInfoLast) return;
      lex.charInfoLines.setView(n, line);
      if (line.size() == kEmptyInfoLength) return;
      // The default pinyin is the sixth field.
      std::size_t at = 0;
      for (int field = 0; field < 5; ++field) {
        at = line.find(u',', at);
        if (at == std::u16string_view::npos) return;
        ++at;
      }
      const std::u16string_view field = line.substr(at, line.find(u',', at) - at);
      if (field.find(u"ve") == std::u16string_view::npos) {
        lex.charPinyin.set(n, field);
        return;
      }
      std::u16string pinyin(field);
      replaceAll(pinyin, u"lve", u"lue");
      replaceAll(pinyin, u"nve", u"nue");
      lex.charPinyin.set(n, pinyin);
    });
    lex.charInfoText = std::move(info);
  }
  for (int d = 0; d < 10; ++d) lex.charPinyin.set(u'0' + d, kDigitReadings[d]);
}

}  // namespace

void LexiconState::readCharInfo() const {
  if (!charInfoSource) return;
  const std::function<std::u16string()> source = std::move(charInfoSource);
  charInfoSource = nullptr;
  fillCharInfo(source(), *this);
}

AnnotationLoadResult loadAnnotationTables(const Platform& platform, LexiconState& lex) {
  AnnotationLoadResult result;
  // Resource 102 is decoded when a text is first annotated (the tables are read through
  // `readCharInfo` first); the start only sees that it is there.
  fillCharInfo(std::u16string(), lex);
  lex.charInfoSource = nullptr;
  result.charInfo = platform.hasResource(102);
  if (result.charInfo) {
    const Platform* infoSource = &platform;
    lex.charInfoSource = [infoSource] {
      bool found = false;
      return resourceText(*infoSource, 102, found);
    };
  }

  // Resource 103 stays one string for the whole text, read line by line where it lies. Only
  // encoding a text reads it: it is decoded then, and the start only sees that it is there.
  result.polyphones = platform.hasResource(103);
  const Platform* source = &platform;
  lex.polyphones.assignLater([source] {
    bool found = false;
    return resourceText(*source, 103, found);
  });

  const std::u16string common = resourceText(platform, 104, result.commonWords);
  lex.commonWords.assign(1, std::u16string());
  if (!common.empty()) {
    forEachCrLfLine(common, [&](std::u16string_view line) { lex.commonWords.emplace_back(line); });
    if (lex.commonWords.size() > 1 && lex.commonWords.back().empty()) lex.commonWords.pop_back();
  }
  return result;
}

char16_t halfWidthForm(char16_t ch) {
  switch (ch) {
    case u'。': return u'.';
    case u'、': return u'\\';
    case u'，': return u',';
    case u'×': return u'*';
    case u'÷': return u'/';
    case u'；': return u';';
    case u'：': return u':';
    case u'！': return u'!';
    case u'？': return u'?';
    case u'“': case u'”': return u'"';
    case u'‘': case u'’': return u'\'';
    case u'\u3000': return u' ';
    default: break;
  }
  if (ch >= 0xFF01 && ch <= 0xFF5E) return static_cast<char16_t>(ch - 0xFEE0);
  return ch;
}

void citcvuyn(const EncoderContext& ctx, std::u16string_view bmct, std::u16string& hzct,
              std::u16string& qp) {
  std::u16string code;
  std::u16string pinyin = qp;
  for (std::u16string_view rawLine : splitCrLf(bmct)) {
    std::u16string line;
    for (char16_t ch : rawLine) {
      if (ch != u' ') line.push_back(ch);
    }
    if (line.empty()) continue;

    std::vector<std::u16string> readings = LineAnnotator(ctx, line).run();
    pinyin.clear();
    for (const auto& reading : readings) {
      pinyin += u'\'';
      pinyin += reading;
    }
    // One part per character; a character without a reading adds nothing.
    std::u16string lineCode;
    for (std::size_t p = 0; p < readings.size(); ++p) {
      const std::u16string& part = readings[p];
      if (part.empty()) continue;
      lineCode += part.back() == u' ' ? part : syllableCode(ctx.lex.syllablesByPinyin, part);
      if (ctx.settings.smvj) {
        const std::u16string_view aux = ctx.lex.charAuxCodes[ctx.gbk.charIndex(line[p])];
        if (!aux.empty()) lineCode += aux[0];
      }
    }
    ctx.cells.bm = lineCode;
    code += lineCode;
  }
  code.erase(std::remove(code.begin(), code.end(), u'\''), code.end());
  qp = std::move(pinyin);
  ctx.cells.sp0 = code;
  hzct = std::move(code);
}

std::u16string dzqmvuyn(const EncoderContext& ctx, std::u16string_view strx) {
  const std::size_t take = ctx.settings.smvj ? 3 : 2;
  std::u16string code;
  for (char16_t ch : strx) {
    const std::u16string_view full = ctx.lex.charFullCodes[ctx.gbk.charIndex(ch)];
    if (full.empty()) {
      code += halfWidthForm(ch);
      code += u' ';
    } else {
      code += full.substr(0, take);
    }
  }
  ctx.cells.bm = code;
  ctx.cells.sp0 = code;
  return code;
}

}  // namespace yz
