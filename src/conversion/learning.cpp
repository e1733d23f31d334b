#include "conversion/learning.h"

#include <algorithm>
#include <charconv>

#include "conversion/text_steps.h"
#include "conversion/word_compare.h"
#include "lexicon/number_text.h"

namespace yz {

using namespace conversion_text;

namespace {

// 1-based position of `needle` in `hay` from `start` on; 0 when absent.
std::int32_t instr(std::int32_t start, std::u16string_view hay, std::u16string_view needle) {
  if (start < 1) start = 1;
  if (static_cast<std::size_t>(start - 1) > hay.size()) return 0;
  const std::size_t at = hay.find(needle, static_cast<std::size_t>(start - 1));
  return at == std::u16string_view::npos ? 0 : static_cast<std::int32_t>(at) + 1;
}

bool contains(std::u16string_view hay, std::u16string_view needle) {
  return hay.find(needle) != std::u16string_view::npos;
}

// The character at a 1-based position, 0 outside the text.
char16_t charAt(std::u16string_view s, std::int32_t pos) {
  return pos >= 1 && static_cast<std::size_t>(pos) <= s.size() ? s[static_cast<std::size_t>(pos) - 1] : u'\0';
}

// The leading decimal digits of a text as a number (0 when there are none).
std::int32_t leadingNumber(std::u16string_view s) {
  while (!s.empty() && s.front() == u' ') s.remove_prefix(1);
  std::int32_t value = 0;
  for (char16_t c : s) {
    if (c < u'0' || c > u'9') break;
    value = std::min(value * 10 + (c - u'0'), 100000);
  }
  return value;
}

// The words of a text between single spaces.
std::vector<std::u16string> tokensOf(std::u16string_view s) {
  std::vector<std::u16string> words;
  std::size_t start = 0;
  while (true) {
    const std::size_t sp = s.find(u' ', start);
    words.emplace_back(s.substr(start, sp == std::u16string_view::npos ? std::u16string_view::npos : sp - start));
    if (sp == std::u16string_view::npos) return words;
    start = sp + 1;
  }
}

// Index of a code in the user lexicon (1..last), or 0; `insertAt` receives where an absent code
// belongs (never below 1).
std::int32_t findUserCode(const LexiconTable& user, std::u16string_view code, std::int32_t& insertAt) {
  std::int32_t lo = 1, hi = user.last;
  while (lo <= hi) {
    const std::int32_t mid = lo + (hi - lo) / 2;
    const std::u16string_view c = user.codes[static_cast<std::size_t>(mid)];
    if (c == code) {
      insertAt = mid;
      return mid;
    }
    if (code < c) hi = mid - 1;
    else lo = mid + 1;
  }
  insertAt = lo;
  return 0;
}

}  // namespace

void wordLengthWindow(std::u16string_view range, std::int32_t& wordMinLen, std::int32_t& wordMaxLen) {
  const std::size_t at = range.find(u'到');
  const std::int32_t low = leadingNumber(range.substr(0, at));
  const std::int32_t high = at == std::u16string_view::npos ? 0 : leadingNumber(range.substr(at + 1));
  if (high == 0) {
    wordMinLen = 2;
    wordMaxLen = 7;
    return;
  }
  wordMinLen = low;
  wordMaxLen = high;
}

bool WordLearning::isDoubleByte(char16_t ch) const {
  return ch != 0 && static_cast<std::int16_t>(gbk_.codeOf(ch)) <= 0;
}

std::u16string WordLearning::learnedWeight(float base) {
  std::u16string weight(1, u'0');
  weight += singleText(state_.rnd() * 10.0f + base);
  return weight;
}

std::u16string_view WordLearning::shownSentence() const {
  return before_ ? std::u16string_view(before_->shownSentence) : std::u16string_view(c_.win.boxes.text7.text);
}

void WordLearning::yhck(std::u16string_view text) {
  const CommittedComposition now{c_.comp.modifyMode, c_.pass.bmstr, c_.win.boxes.text7.text,
                                 c_.comp.lastCode};
  yhck(text, now);
}

void WordLearning::yhck(std::u16string_view text, const CommittedComposition& before) {
  if (text.empty() || !isDoubleByte(text[0])) return;
  if (c_.lex.charFullCodes[static_cast<std::size_t>(gbk_.charIndex(text[0]))].empty()) return;
  if (text.size() == 1) return;
  wordLengthWindow(c_.settings.wordLengthRange, c_.conv.wordMinLen, c_.conv.wordMaxLen);
  c_.race.wordMakerMode = 0;

  if (c_.settings.fczc == 1) {
    // The two conversions of the committed code use the conversion's cells; the composition the
    // user may have started meanwhile gets them back as they were.
    ConversionState saved = c_.conv;
    const CommittedComposition* outer = before_;
    before_ = &before;
    try {
      zkciqi(text);
    } catch (...) {
      before_ = outer;
      throw;
    }
    before_ = outer;
    saved.wordMinLen = c_.conv.wordMinLen;
    saved.wordMaxLen = c_.conv.wordMaxLen;
    c_.conv = std::move(saved);
    c_.comp.pendingCommand = kPendingNone;
    c_.lex.cells.fybci = 0;
    c_.lex.cells.fybcib = 0;
  }

  // The file is rewritten on every learning; a failure is reported once until a write succeeds.
  if (!calls_.saveUserLexicon) return;
  if (calls_.saveUserLexicon()) {
    state_.saveFailureReported = false;
  } else if (!state_.saveFailureReported) {
    state_.saveFailureReported = true;
    c_.platform.messageBox(kUserLexiconWriteFailed, u"砚舟Vexim输入法", MessageBoxKind::Ok);
  }
}

void WordLearning::zkciqi(std::u16string_view str4) {
  RaceState& race = c_.race;
  ConversionState& conv = c_.conv;
  const std::u16string s(str4);
  race.raceCommittedText = s;
  trimInPlace(race.raceCommittedText);
  if (calls_.setTimer1) calls_.setTimer1(false);

  std::u16string bm;
  if (before_ && before_->modifyMode != 0) {
    bm = before_->typedCode;
  } else if (calls_.citcbmma) {
    std::u16string pinyin;
    calls_.citcbmma(s, bm, pinyin);
  }

  // Each conversion starts from an empty word table, as for a fresh code line.
  auto convert = [&](std::u16string code, std::u16string& sentence) {
    conv.eraseWordTable();
    conv.wordCounter = 0;
    conv.wordIndex = 0;
    conv.j0 = 1;
    conv.qmhbir = 0;
    conv.hzixb.clear();
    std::u16string endzf;
    sentence_.fjyi(code, sentence, endzf);
  };

  conv.wordCounter = 0;
  race.raceCode = bm;
  c_.comp.pendingCommand = kPendingNone;
  race.raceMode = 0;
  std::u16string hjziir;
  convert(bm, hjziir);
  const std::u16string engineSentence = hjziir;

  c_.lex.cells.fybci = 1;
  c_.lex.cells.fybcib = 1;
  c_.comp.pendingCommand = kPendingWordMaking;
  std::u16string matched;
  convert(race.raceCode, matched);
  hjziir = engineSentence;
  const std::int32_t n = conv.wordIndex;

  const bool cloud = c_.settings.vqdyx && c_.settings.ymur;
  if (cloud) {
    c_.webServices.yuu();  // no cloud text: the engine's sentence stands
    if (!c_.web.cloudText.empty()) hjziir = c_.web.cloudText;
  }

  c_.comp.pendingCommand = kPendingNone;
  race.raceCommittedPieces.clear();
  race.raceResultPieces.clear();
  c_.lex.cells.fybci = 0;
  c_.lex.cells.fybcib = 0;

  std::int32_t pos = 0, cpos = 1;
  for (std::int32_t k = std::max(conv.j0, 1); k <= n && k <= kMaxSentenceWords; ++k) {
    std::u16string& word = conv.wordTable[static_cast<std::size_t>(k)].text;
    const std::int32_t l = len(word);
    if (cloud) {
      word = std::u16string(mid(hjziir, cpos, l));
      cpos += l;
    }
    pos += l;
    race.raceCommittedPieces += u' ';
    race.raceCommittedPieces += mid(s, pos - l + 1, l);
    race.raceResultPieces += u' ';
    race.raceResultPieces += mid(hjziir, pos - l + 1, l);
  }
  // What the re-conversion did not reach is one more piece, so no committed text is lost.
  if (pos < len(s)) {
    race.raceCommittedPieces += u' ';
    race.raceCommittedPieces += from(s, pos + 1);
    race.raceResultPieces += u' ';
    race.raceResultPieces += mid(hjziir, pos + 1, len(s) - pos);
  }
  race.raceSentence = s;
  trimInPlace(race.raceCommittedPieces);
  trimInPlace(race.raceResultPieces);
  race.raceMarkedText = race.raceCommittedPieces;

  const WordComparison cmp = cowu(race.raceMarkedText, race.raceResultPieces, race.raceSentence, c_.comp.grabPending);
  race.raceErrorCount = cmp.cowuuu;
  race.raceErrorRate = cmp.cowulv;
  race.raceCharCount = cmp.hzs;

  c_.comp.pendingCommand = kPendingLearnMarked;
  std::u16string pieces = race.raceCommittedPieces;
  iyzczc(pieces);
  c_.comp.pendingCommand = kPendingNone;
  if (calls_.setTimer1) calls_.setTimer1(true);
}

void WordLearning::iyzczc(std::u16string& b00) {
  RaceState& race = c_.race;
  const std::int32_t minLen = c_.conv.wordMinLen;
  // The committed pieces this learning walks.
  std::u16string resegmented = race.raceCommittedPieces;
  trimInPlace(resegmented);
  if (c_.comp.pendingCommand == kPendingLearnMarked) b00 = race.raceMarkedText;
  const std::u16string m = b00;
  const std::vector<std::u16string> t = tokensOf(resegmented);
  const std::int32_t n = static_cast<std::int32_t>(t.size()) - 1;
  auto T = [&](std::int32_t i) -> const std::u16string& {
    static const std::u16string none;
    return i >= 0 && i <= n ? t[static_cast<std::size_t>(i)] : none;
  };
  auto isShort = [&](std::u16string_view w) { return len(w) <= minLen; };
  const std::int32_t shownLen = len(shownSentence());

  std::int32_t pos = 1;
  while (true) {
    const std::int32_t s = instr(pos, m, u"[");
    if (s == 0) return;
    const std::int32_t e = instr(s, m, u"]");
    if (e == 0) return;
    pos = e;
    std::u16string d(mid(m, s + 1, e - s - 1));

    enum class Next { Extend, Promote, Stretch } next = Next::Extend;
    std::int32_t k = 0, j = 0, acc = 0;
    bool stopped = false;
    for (k = 0; k <= n; ++k) {
      acc += len(T(k));
      const std::int32_t at = instr(1, m, T(k));
      if (at > 0 && charAt(m, at + len(T(k))) == u']') acc += 2;
      if (acc >= s && contains(T(k), d)) {
        d = T(k);
        j = k;
        if (!(minLen < shownLen && len(d) < minLen)) learn(d);
        next = Next::Extend;
        stopped = true;
        break;
      }
      if (len(d) > 2 && k + 1 <= n && contains(T(k), d.substr(0, 1)) && contains(T(k + 1), d.substr(d.size() - 1)) &&
          contains(T(k) + T(k + 1), d)) {
        d = T(k) + T(k + 1);
        j = k;
        learn(d);
        next = Next::Promote;
        stopped = true;
        break;
      }
    }
    if (!stopped) {
      const std::int32_t p = instr(1, race.raceCommittedText, d);
      if (p == 0 || d.empty()) continue;  // not in the committed text: nothing to learn
      acc = 0;
      bool found = false;
      for (k = 0; k <= n; ++k) {
        acc += len(T(k));
        if (acc >= p) {
          d = std::u16string(left(T(k), p - (acc - len(T(k))) - 1)) + d;
          learn(d);
          found = true;
          break;
        }
      }
      if (found) continue;
      k = n + 1;
      next = Next::Extend;
    }

    if (next == Next::Extend && !(n == 0 || len(d) > minLen)) {
      const bool markedBefore = charAt(m, s - 1) == u']';
      if (k == 0) {
        std::u16string w = d + T(1);
        learn(w);
        if (isShort(w) && 2 <= n && (len(T(1)) == 1 || len(T(2)) == 1)) {
          w += T(2);
          learn(w);
        }
        if (isShort(w) && 3 <= n && len(T(2)) <= 1 && len(T(3)) == 1) {
          w += T(3);
          learn(w);
        }
        if (isShort(w) && 4 <= n && len(T(3)) <= 1 && len(T(4)) == 1) {
          w += T(4);
          learn(w);
        }
      } else if (k == n) {
        if (!(markedBefore && len(T(n - 1)) < minLen)) learn(T(j - 1) + d);
      } else if (k < n) {
        bool together = false;
        if (len(d) > 1 && charAt(m, acc + 1) == u'[') {
          const std::int32_t close = instr(pos + 1, m, u"]");
          if (close > 0) pos = close;
          together = true;
        }
        if (!together && !(markedBefore && len(T(k - 1)) < minLen) && len(T(k - 1)) > 1) learn(T(k - 1) + d);
        std::u16string w = d + T(k + 1);
        learn(w);
        if (isShort(w)) {
          if (k + 2 <= n && (charAt(m, s + len(d) + 2) == u'[' || len(T(k + 1)) == 1 || len(T(k + 2)) == 1)) {
            w += T(k + 2);
            learn(w);
          }
          if (isShort(w) && (k + 2 > n || len(T(k + 2)) <= 1)) {
            if (k + 3 <= n && len(T(k + 3)) == 1) {
              w += T(k + 3);
              learn(w);
            }
            if (isShort(w) && (k + 3 > n || len(T(k + 3)) <= 1)) {
              if (k + 4 <= n && len(T(k + 4)) == 1) {
                w += T(k + 4);
                learn(w);
              }
              std::u16string v = T(k - 1) + w;
              learn(v);
              if (isShort(v) && k - 1 > 0) {
                v = T(k - 2) + v;
                learn(v);
              }
            }
          }
        }
      }
      continue;  // step 5 ends with the next stretch
    }

    // Promotion check: a word the lexicon holds behind another word of its code is extended.
    if (n == 0 && len(d) == 1) return;
    if (n <= 1 || len(d) == 1) continue;
    std::u16string code, pinyin;
    if (calls_.citcbmma) calls_.citcbmma(d, code, pinyin);
    const std::u16string line = c_.lookups.ybcib(code);
    const std::int32_t at = instr(1, line, d);
    if (at <= 1) continue;
    if (k == 0) d += T(1);
    else if (k == n) d = T(j - 1) + d;
    else if (k < n) d = len(T(k - 1)) < len(T(k + 1)) ? T(k - 1) + d : d + T(k + 1);
    learn(d);
  }
}

void WordLearning::iyzczc(std::u16string& b00, std::vector<std::u16string>& made) {
  struct Collecting {
    std::vector<std::u16string>*& slot;
    std::vector<std::u16string>* outer;
    ~Collecting() { slot = outer; }
  } collecting{made_, made_};
  made_ = &made;
  iyzczc(b00);
}

void WordLearning::iyzc(std::u16string& marked) {
  RaceState& race = c_.race;
  ConversionState& conv = c_.conv;
  LookupCells& cells = c_.lex.cells;
  const std::int32_t minLen = conv.wordMinLen;
  const std::int32_t maxLen = conv.wordMaxLen;
  const bool inRace = race.raceMode != 0;

  std::u16string resegmented;  // the committed pieces this learning walks
  // A. The reference re-cut along the recognised word boundaries.
  if (c_.comp.pendingCommand == kPendingLearnMarked) {
    resegmented = race.raceCommittedPieces;
    marked = race.raceMarkedText;
  } else {
    const std::u16string keptCode = race.raceCode;
    if (!inRace) {
      std::int32_t from = 1;
      while (true) {
        const std::int32_t s = instr(from, marked, u"[");
        if (s == 0) break;
        const std::int32_t e = instr(s, marked, u"]");
        if (e == 0) break;
        const std::u16string w(mid(marked, s + 1, e - s - 1));
        if (len(w) > 1 && len(w) >= minLen && len(w) <= maxLen) learn(w);
        from = e;
      }
    }
    race.raceCommittedText = race.raceSentence;
    race.raceCode = keptCode;
    resegmented.clear();
    c_.comp.pendingCommand = inRace ? kPendingWordMaking : kPendingNone;
    cells.fybcib = 1;
    cells.fybci = 1;
    if (inRace || c_.comp.modifyMode != 1) {
      std::u16string pinyin;
      if (calls_.citcbmma) calls_.citcbmma(race.raceSentence, race.raceCode, pinyin);
    } else {
      race.raceCode = c_.comp.lastCode;
    }
    c_.pass.bmstr = race.raceCode;
    c_.comp.pendingCommand = kPendingNone;
    cells.fybci = 0;
    cells.fybcib = 0;
    std::int32_t k = 0;
    for (std::int32_t i = 1; i <= conv.wordCounter && i <= kMaxSentenceWords; ++i) {
      const std::int32_t n = len(conv.wordTable[static_cast<std::size_t>(i)].text);
      std::u16string piece(mid(race.raceCommittedText, k + 1, n));
      if (len(piece) == 1) piece = u"*" + piece + u"*";
      k += n;
      resegmented += u' ';
      resegmented += piece;
    }
    auto removeAll = [](std::u16string& text, std::u16string_view what) {
      for (std::size_t at = text.find(what); at != std::u16string::npos; at = text.find(what, at)) {
        text.erase(at, what.size());
      }
    };
    removeAll(resegmented, u"* *");
    removeAll(resegmented, u"*");
  }

  // B. Tokens.
  trimInPlace(resegmented);
  const std::vector<std::u16string> t = tokensOf(resegmented);
  const std::int32_t last = static_cast<std::int32_t>(t.size()) - 1;
  auto T = [&](std::int32_t i) -> const std::u16string& {
    static const std::u16string none;
    return i >= 0 && i <= last ? t[static_cast<std::size_t>(i)] : none;
  };
  const bool platformActive = c_.win.platformLabel == u"\r\n砚舟";
  const std::int32_t wholeLen = len(resegmented);
  auto insert = [&](const std::u16string& w) {
    if (!platformActive || w.empty()) return;
    const std::int32_t n = len(w);
    if ((n >= minLen && n <= maxLen) || n == wholeLen) learn(w);
  };
  const std::u16string m = marked;

  // C. Each bracket group.
  std::int32_t from = 1;
  while (true) {
    const std::int32_t g = instr(from, m, u"[");
    if (g == 0) return;
    const std::int32_t e = instr(g, m, u"]");
    if (e == 0) return;
    from = e;
    std::u16string w(mid(m, g + 1, e - g - 1));
    if (w.empty()) continue;
    bool widened = false;
    std::int32_t L = 0;
    std::int32_t tk = 0;
    bool toD = false;
    bool matched = false;
    for (tk = 0; tk <= last; ++tk) {
      L += len(T(tk));
      const std::int32_t at = instr(1, m, T(tk));
      const std::int32_t after = at > 0 ? at + len(T(tk)) : len(T(tk));
      if (charAt(m, after) == u']') L += 2;
      if (L >= g && contains(T(tk), w)) {
        w = T(tk);
        matched = true;
        break;
      }
      if (len(w) > 2 && tk + 1 <= last && contains(T(tk), w.substr(0, 1)) &&
          contains(T(tk + 1), w.substr(w.size() - 1)) && contains(T(tk) + T(tk + 1), w)) {
        w = T(tk) + T(tk + 1);
        toD = true;
        break;
      }
    }
    if (!matched && !toD) {
      // C.3: the group lies in no token; widen it from the reference itself.
      const std::int32_t s = instr(1, race.raceCommittedText, w);
      if (s == 0) continue;
      std::int32_t L2 = 0;
      bool found = false;
      for (tk = 0; tk <= last; ++tk) {
        L2 += len(T(tk));
        if (L2 >= s) {
          w = std::u16string(left(T(tk), std::max(s - (L2 - len(T(tk))) - 1, 0))) + w;
          found = true;
          break;
        }
      }
      if (!found) continue;
      widened = true;
      toD = true;
    }
    if (matched) {
      // C.4
      if (last > 0 && len(w) < minLen) {
        widened = true;
        if (tk == 0) {
          w += T(1);
        } else if (tk == last) {
          w = T(tk - 1) + w;
        } else {
          if (!(len(w) > 1 && charAt(m, L + 1) == u'[')) {
            insert(T(tk - 1) + w);
          } else {
            const std::int32_t close = instr(from + 1, m, u"]");
            if (close > 0) from = close;
          }
          insert(w + T(tk + 1));
        }
      }
      if (last == 0 && len(w) == 1) return;
    }
    // D. Insert and widen.
    while (true) {
      insert(w);
      if (widened || last <= 1 || len(w) == 1) break;
      std::u16string code, pinyin;
      if (calls_.citcbmma) calls_.citcbmma(w, code, pinyin);
      const std::u16string line = c_.lookups.ybcib(code);
      if (instr(1, line, w) <= 1) break;
      widened = true;
      if (tk == 0) w += T(1);
      else if (tk == last) w = T(tk - 1) + w;
      else w = len(T(tk - 1)) < len(T(tk + 1)) ? T(tk - 1) + w : w + T(tk + 1);
    }
  }
}

void WordLearning::zdzyhc(std::u16string str4) {
  const std::u16string w = std::move(str4);
  ConversionState& conv = c_.conv;
  RaceState& race = c_.race;
  LookupCells& cells = c_.lex.cells;
  const std::int32_t n = len(w);
  if (n == 0) return;
  if ((n < conv.wordMinLen || n > conv.wordMaxLen) &&
      (race.wordMakerMode == 1 || len(race.raceSentence) >= conv.wordMinLen ||
       len(shownSentence()) >= conv.wordMinLen)) {
    return;
  }
  // Collected words leave the user lexicon alone; the collector decides what becomes of them.
  if (made_ != nullptr && conv.icjq == 0) {
    made_->push_back(w);
    return;
  }
  // The article word maker's words go to its result file, never into the user lexicon.
  if (race.wordMakerMode == 1 && conv.icjq == 0 && race.showMadeWords != -1) return;

  std::u16string code;
  if (conv.icjq == 1) {
    code = conv.tailCode;
  } else if (race.raceMode != 0 || (before_ ? before_->modifyMode : c_.comp.modifyMode) != 1) {
    std::u16string pinyin;
    if (calls_.citcbmma) calls_.citcbmma(w, code, pinyin);
  } else {
    const std::int32_t p = instr(1, shownSentence(), w);
    if (p == 0) return;
    const std::u16string_view typed = before_ ? std::u16string_view(before_->lastCode) : c_.comp.lastCode;
    code = std::u16string(mid(typed, 2 * p - 1, 2 * n));
  }
  if (code.empty()) return;

  c_.lookups.hzirvck(code, cells.lookupWord, cells.zicipn);
  if (c_.settings.ckyc == 1 && cells.mainHitIndex != 0 && contains(c_.lex.mainLineAt(cells.mainHitIndex), w)) {
    c_.platform.messageBox(u"词库中有“" + w + u"”一词！", u"砚舟Vexim输入法", MessageBoxKind::Ok);
  }
  c_.lookups.hziryhck(code, cells.lookupWord, cells.lastFoundIndex);

  // The lookup reports a code whose line holds the deleted-word marker as absent; the entry is
  // found here by its code, so the marker's line is replaced instead of a second entry inserted.
  LexiconTable& user = c_.lex.userLexicon;
  std::int32_t insertAt = 1;
  const std::int32_t i = findUserCode(user, code, insertAt);
  cells.lastFoundIndex = i;
  const float base = conv.icjq == 1 ? 70.0f : 80.0f;

  if (i != 0) {
    std::u16string line(user.lines[static_cast<std::size_t>(i)]);
    if (contains(line, w)) {
      const std::int32_t p = instr(1, line, u" " + w + u" ");
      if (p == 0) return;  // first in its line already, or only inside a longer word
      const std::int32_t q = instr(p + n + 2, line, u" ");
      line = std::u16string(left(line, p - 1)) + std::u16string(q == 0 ? std::u16string_view{} : from(line, q));
      line = w + u" " + learnedWeight(base) + u" " + line;
    } else if (startsWith(line, kDeletedWord)) {
      line = w + u" " + learnedWeight(base);
    } else {
      line = w + u" " + learnedWeight(base) + u" " + line;
    }
    trimInPlace(line);
    user.lines.set(static_cast<std::size_t>(i), line);
    return;
  }

  // A new code: inserted at its sorted place (the table grows on every insert).
  const bool append = user.last == 0 || insertAt > user.last;
  const std::u16string pair = w + u" " + learnedWeight(append ? 80.0f : base);
  user.insertEntry(static_cast<std::size_t>(std::max(insertAt, 1)), code, pair);
}

}  // namespace yz
