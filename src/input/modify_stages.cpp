// The stages of the instant-modify loop: the position letter (the chosen character's segment
// converted again and the words that end at it listed), the auxiliary-letter filter, the select
// key and label pick that put a word in, and the full candidate page.

#include <algorithm>

#include "conversion/sentence.h"
#include "conversion/text_steps.h"
#include "input/instant_modify.h"
#include "input/repeated_words.h"
#include "lexicon/lookup.h"
#include "lexicon/user_lookup.h"

namespace yz {
namespace {

using namespace conversion_text;

constexpr std::u16string_view kNoSentence = u"不成句2";
constexpr std::u16string_view kEmptyHint = u"fj";
constexpr std::int32_t kShownChars = 40;
constexpr std::int32_t kShownRows = 5;
constexpr std::size_t kSlots = 10;
constexpr std::size_t kPunctuationSlots = 5;

char16_t fullWidth(char16_t ch) {
  return ch >= u'!' && ch <= u'~' ? static_cast<char16_t>(ch + 0xFEE0) : ch;
}

std::vector<std::u16string> itemsOf(std::u16string_view list) {
  std::vector<std::u16string_view> views;
  splitSpaces(list, views);
  std::vector<std::u16string> items;
  items.reserve(views.size());
  for (std::u16string_view v : views) {
    if (!v.empty()) items.emplace_back(v);
  }
  return items;
}

// The label of entry k of a numbered list: the digit and its punctuation select key for the
// first five, the digit alone up to the ninth, "0" for the tenth, none after it.
std::u16string label(std::size_t k, std::u16string_view keys) {
  std::u16string out;
  if (k < 9) out.push_back(static_cast<char16_t>(u'1' + k));
  else if (k == 9) out.push_back(u'0');
  if (k < kPunctuationSlots && k < keys.size()) out.push_back(keys[k]);
  return out;
}

// The number in 候选个数 (its leading digits, at least 1).
std::size_t perLine(std::u16string_view hxgu) {
  std::size_t n = 0;
  for (char16_t ch : trimSpaces(hxgu)) {
    if (ch < u'0' || ch > u'9' || n > 1000) break;
    n = n * 10 + static_cast<std::size_t>(ch - u'0');
  }
  return std::max<std::size_t>(n, 1);
}

// n / 2 rounded to the nearest whole number, a half to the even one.
std::int32_t halfRounded(std::int32_t n) { return roundHalfEven(n / 2.0); }

}  // namespace

std::u16string InstantModify::charLineOf(std::u16string_view code) {
  float weight = 0;
  userLookup_.hzirdzck(std::u16string(code), c_.lex.cells.lookupWord, weight);
  const std::int32_t hit = c_.lex.cells.charHitIndex;
  const LexiconTable& chars = c_.lex.charLexicon;
  return hit > 0 && static_cast<std::size_t>(hit) < chars.lines.size()
             ? std::u16string(chars.lines[static_cast<std::size_t>(hit)])
             : std::u16string();
}

std::u16string_view InstantModify::auxCode(char16_t ch) const {
  return c_.lex.charAuxCodes[static_cast<std::size_t>(c_.gbk.charIndex(ch))];
}

std::u16string InstantModify::hint(std::u16string_view w) const {
  std::u16string h;
  if (w.size() == 1) {
    h = auxCode(w.front());
  } else if (w.size() > 1) {
    h = std::u16string(left(auxCode(w.back()), 1)) + std::u16string(left(auxCode(w.front()), 1));
  }
  return h.empty() ? std::u16string(kEmptyHint) : h;
}

void InstantModify::replaceAt(std::u16string_view w) {
  if (w.empty()) return;  // nothing placed yet: the texts stay
  const std::int32_t p = c_.pass.gbh / 2;
  if (len(w) > p) return;  // no characters for a word that long before the position
  auto replaced = [&](std::u16string_view text) {
    return std::u16string(left(text, p - len(w))) + std::u16string(w) + std::u16string(from(text, p + 1));
  };
  CandidateBoxes& b = c_.win.boxes;
  c_.pass.resultBeforeTail = replaced(c_.pass.resultBeforeTail);
  c_.comp.codeBeforeKey = replaced(b.Text1.text);
  c_.comp.modifySentence = replaced(c_.comp.modifySentence);
  b.rtext1.text = c_.comp.codeBeforeKey;
  b.Text1 = {c_.comp.codeBeforeKey, 0};
  b.text7.text = c_.comp.modifySentence;
}

void InstantModify::showList(std::int32_t minIndent) {
  CandidateBoxes& b = c_.win.boxes;
  const std::u16string& tex5 = c_.pass.tex5;
  if (!c_.settings.uphx) {
    b.Text5.text = std::u16string(left(tex5, kShownChars));
  } else {
    const std::vector<std::u16string>& items = c_.comp.pairList;
    const std::int32_t letter = b.Text2.text.empty() ? 0 : b.Text2.text.front() - u'a';
    const std::int32_t first = items.empty() ? 0 : len(items.front());
    const std::int32_t i = letter - first + 3;
    const std::u16string indent(i < minIndent ? 0 : static_cast<std::size_t>(i + 1), u' ');
    std::u16string rows;
    std::int32_t lines = 0;
    for (std::size_t k = 0; k < items.size() && lines < kShownRows; ++k, ++lines) {
      rows += indent + items[k] + u"\r\n";
    }
    c_.win.loopCounter = std::max(lines - 1, 0);
    b.Text5.text = rows;
  }
  b.hxl.text = b.Text5.text;
  c_.window->zdus();
}

InstantModify::Next InstantModify::positionStage() {
  CandidateBoxes& b = c_.win.boxes;
  CompositionState& cm = c_.comp;
  ConversionState& cv = c_.conv;
  PassState& p = c_.pass;
  const Settings& s = c_.settings;

  // 1. The chosen character: twice its index is the code offset where its code ends.
  const char16_t typed = fullWidth(b.Text2.text.front());
  const std::size_t at = cm.modifyListText.find(typed);
  if (at == std::u16string::npos) {
    b.Text2.text.clear();
    b.Text2.selStart = 0;
    return Next::endCycle;
  }
  p.gbh = 2 * static_cast<std::int32_t>(at + 1);
  auto hasFullCode = [&](std::int32_t index) {  // 1-based index into the sentence
    const std::u16string& sentence = b.text7.text;
    if (index < 1 || index > len(sentence)) return true;
    return !c_.lex.charFullCodes[static_cast<std::size_t>(
                                     c_.gbk.charIndex(sentence[static_cast<std::size_t>(index - 1)]))]
                .empty();
  };
  if (!hasFullCode(1) || !hasFullCode(p.gbh / 2)) p.gbh -= 2;
  if (p.gbh < 2) p.gbh = 2;

  // 2-3.
  if (p.gbh == len(p.rtex1) && !cv.tailText.empty()) {
    p.resultBeforeTail = b.rtext2.text;
    p.rtex2 = b.rtext2.text;
    p.tex7 = b.text7.text;
  }
  forgetSentenceWords(p, cv);

  // 4. The segment that holds the chosen character, split at it.
  const std::int32_t count = std::clamp(cm.segmentCount, 0, kMaxSegments - 1);
  auto codeEnd = [&](std::int32_t k) { return cm.segmentCodeEnds[static_cast<std::size_t>(k)]; };
  auto textEnd = [&](std::int32_t k) { return cm.segmentTextEnds[static_cast<std::size_t>(k)]; };
  cm.segmentCodeEnds[0] = 0;
  cm.segmentTextEnds[0] = 0;
  cm.segmentTextEnds[static_cast<std::size_t>(count + 1)] = len(b.text7.text) + 1;
  cm.segmentCodeEnds[static_cast<std::size_t>(count + 1)] = len(p.rtex1) + 2;
  std::int32_t k = 0;
  for (std::int32_t i = 0; i <= count; ++i) {
    if (codeEnd(i) <= p.gbh && p.gbh < codeEnd(i + 1)) {
      k = i;
      break;
    }
  }
  p.bmstr = std::u16string(mid(p.rtex1, codeEnd(k) + 1, codeEnd(k + 1) - codeEnd(k) - 2));
  const std::int32_t d = p.gbh - codeEnd(k);
  p.codeLeftOfCaret = std::u16string(trimSpaces(left(p.bmstr, d)));
  p.codeRightOfCaret = std::u16string(from(p.bmstr, d + 1));
  cm.lastCaretPos = len(p.rtex1);
  cm.lastCode = p.rtex1;

  // 5. Nothing stays fixed in front of the part converted again.
  p.hjzi0.clear();
  cv.j0 = 1;
  if (cv.xbia > 1) cv.xbia = 0;

  // 6. The part up to the chosen character.
  std::u16string bmb1, leftText, leftEnd, charLine;
  const std::u16string& left2 = p.codeLeftOfCaret;
  if (!left2.empty()) {
    const std::u16string endzfCopy = cv.endzf;
    bmb1 = left2;
    fjyi(bmb1);
    if (cv.endzf.empty() && !b.hxl.text.empty() && b.hxl.text.back() == typed && cm.modifyMode == 1) {
      cv.endzf = endzfCopy;
    }
    leftEnd = cv.endzf;
    if (2 * len(p.hjziir) != len(left2)) {
      if (s.ilmvj) {
        p.hjzils1 = kNoSentence;
      } else {
        p.hjziir = std::u16string(left(b.rText7.text, halfRounded(len(left2))));
        leftEnd = charLineOf(right(left2, 2));
      }
    }
    if (cv.tailCode.size() == 2) {
      // A one-character last word: the words of the last four letters end here too.
      const std::u16string kept = p.hjziir;
      std::u16string four(right(left2, 4));
      fjyi(four);
      p.hjziir = kept;
      leftEnd = cv.endzf;
    }
    leftText = p.hjzi0 + p.hjziir;
    charLine = lookup_.ybcib(right(left2, 2));
  }

  // 7. The chosen character swapped for its next homophone at once.
  {
    std::vector<std::u16string_view> parts;
    splitSpaces(charLine, parts);
    const std::int32_t index = std::max(p.gbh / 2, 1);
    std::u16string& sentence = b.text7.text;
    if (parts.size() > 2 && index <= len(sentence)) {
      const char16_t c = sentence[static_cast<std::size_t>(index - 1)];
      const std::u16string_view word = parts[0] == std::u16string_view(&c, 1) ? parts[2] : parts[0];
      auto swap = [&](std::u16string& text) {
        if (index <= len(text)) text.replace(static_cast<std::size_t>(index - 1), 1, word);
      };
      swap(sentence);
      swap(b.Text1.text);
      b.Text1.selStart = 0;
    }
  }

  // 8. The part after it.
  std::u16string rightText;
  if (!p.codeRightOfCaret.empty()) {
    cv.wordCounter = 0;
    std::u16string bmb2 = p.codeRightOfCaret;
    fjyi(bmb2);
    const std::u16string& code = p.codeRightOfCaret;
    if (2 * len(p.hjziir) != len(code)) {
      if (s.ilmvj) {
        p.hjzils1 = kNoSentence;
      } else {
        p.hjziir = std::u16string(right(b.rText7.text, halfRounded(len(code))));
        cv.endzf = charLineOf(right(code, 2));
      }
    }
    rightText = p.hjziir;
  }
  // 9-10.
  p.hjziir = std::u16string(trimSpaces(leftText + rightText));
  if (p.hjzils1 == kNoSentence) {
    // Under 纯两码整句 a segment without a sentence: the next pass comes back to the same line.
    cm.lastCode = p.rtex1;
    p.hjzils1.clear();
    return Next::leaveLoop;
  }

  // 11. The top line: the sentence with the segment converted again.
  std::int32_t j = 0;
  const double chosen = (p.gbh + 1) / 2.0;
  for (std::int32_t i = 0; i <= count; ++i) {
    if (textEnd(i) < chosen && chosen < textEnd(i + 1)) {
      j = i;
      break;
    }
  }
  b.rtext1.text = std::u16string(left(b.text7.text, textEnd(j))) + p.hjziir +
                  std::u16string(from(b.text7.text, textEnd(j + 1)));

  // 12-14. The chosen character's own best word in the local result.
  forgetSentenceWords(p, cv);
  if (p.gbh < 2) p.gbh = 2;
  const std::u16string code(mid(p.rtex1, p.gbh - 1, 2));
  if (code.empty() || code.front() < 95 || code.front() > 122) {
    b.Text2.text.clear();
    b.Text2.selStart = 0;
    return Next::endCycle;
  }
  {
    std::u16string local = p.rtex2;
    const std::int32_t index = p.gbh / 2;
    const std::u16string best = lookup_.ybci(code);
    if (index >= 1 && index <= len(local)) local.replace(static_cast<std::size_t>(index - 1), 1, best);
    p.resultBeforeTail = local;
    b.rtext2.text = local;
  }

  // 15. The words that end at the chosen character: the left end list, then the lines of every
  // shorter code that ends there, the character's own line last.
  std::u16string list = leftEnd.empty() ? cv.endzf : leftEnd;
  if (bmb1.empty()) bmb1 = p.codeRightOfCaret;
  for (std::int32_t n = len(bmb1) - 2; n >= 2; n -= 2) {
    list += u" ";
    list += lookup_.ybcib(right(bmb1, n));
  }
  trimInPlace(list);
  collapseDoubleSpaces(list);
  list = quisfu(list);

  // 16-17. The numbered list with hints.
  p.tex5f9 = list;
  p.tex5.clear();
  std::vector<std::u16string_view> pairs;
  splitSpaces(list, pairs);
  std::size_t word = 0;
  for (std::size_t i = 0; i < pairs.size(); i += 2) {
    const std::u16string_view w = pairs[i];
    if (w.empty()) continue;
    if (word < kSlots) slotWords_[word] = std::u16string(w);
    p.tex5 += u" " + label(word, p.quickSelectKeys) + std::u16string(w) + hint(w);
    ++word;
  }
  trimInPlace(p.tex5);
  p.tex5 = quisfu(p.tex5);
  cm.pairList = itemsOf(p.tex5);
  showList(2);
  return Next::nextStep;
}

void InstantModify::selectStage() {
  CandidateBoxes& b = c_.win.boxes;
  const std::u16string& line = b.Text2.text;
  c_.pass.tex5.clear();
  const std::size_t at = c_.pass.quickSelectKeys.find(line.back());
  const std::int32_t i = at == std::u16string::npos ? 0 : static_cast<std::int32_t>(at) + 1;
  std::int32_t slot = -1;
  if (line.size() == 2) slot = i > 5 ? i - 6 : i - 1;
  if (line.size() == 3) slot = i > 5 ? i - 5 : i;
  // A slot out of range puts the word placed last in again.
  const std::u16string word =
      slot >= 0 && slot <= 9 ? slotWords_[static_cast<std::size_t>(slot)] : placed_;
  replaceAt(word);
  if (!word.empty()) placed_ = word;
  b.rtext2.text = c_.pass.resultBeforeTail;
  backToIdle();
}

InstantModify::Next InstantModify::filterStage() {
  CandidateBoxes& b = c_.win.boxes;
  CompositionState& cm = c_.comp;
  PassState& p = c_.pass;
  p.tex5.clear();
  const std::u16string typed = b.Text2.text.substr(1, 2);
  placed_.clear();
  std::size_t c = 1;
  std::u16string tex5;
  auto firstAux = [&](char16_t ch) { return std::u16string(left(auxCode(ch), 1)); };
  for (const std::u16string& item : cm.pairList) {
    const std::u16string w = iphjzi(item);
    if (w.empty()) continue;
    std::u16string key;
    if (typed.size() == 1) {
      key = firstAux(w.back());
      if (key.empty()) key = u"f";
    } else if (w.size() == 1) {
      key = std::u16string(left(auxCode(w.front()), 2));
    } else {
      key = firstAux(w.back()) + firstAux(w.front());
      if (key.empty()) key = kEmptyHint;
    }
    if (key != typed) continue;
    const std::u16string h = hint(w);
    if (typed.size() == 1) {
      tex5 += u" ";
      if (c <= 9) tex5.push_back(static_cast<char16_t>(u'0' + c));
      if (c <= kPunctuationSlots && c <= p.quickSelectKeys.size()) tex5.push_back(p.quickSelectKeys[c - 1]);
      tex5 += w + h;
      if (c <= 9) slotWords_[c] = w;
    } else {
      tex5 += u" ";
      tex5.push_back(static_cast<char16_t>(96 + std::min<std::size_t>(c, 26)));
      tex5 += w + h;
    }
    if (placed_.empty()) placed_ = w;
    ++c;
  }
  if (c == 1) {
    // Nothing matches: the auxiliary letters go, the list stays.
    b.Text2.text.resize(1);
    b.Text2.selStart = 1;
    return Next::endCycle;
  }
  trimInPlace(tex5);
  p.tex5 = quisfu(tex5);
  cm.pairList = itemsOf(p.tex5);
  if (cm.pairList.size() > 1) {
    // The chosen character shows the last character of the first match meanwhile.
    placed_ = placed_.substr(placed_.size() - 1);
    replaceAt(placed_);
    showList(1);
  } else {
    placed_ = iphjzi(cm.pairList.front());
    replaceAt(placed_);
  }
  return Next::nextStep;
}

void InstantModify::labelPick() {
  CandidateBoxes& b = c_.win.boxes;
  const std::int32_t index = b.Text2.text[3] - 97;
  const std::vector<std::u16string>& items = c_.comp.pairList;
  if (index >= 0 && static_cast<std::size_t>(index) < items.size()) {
    placed_ = iphjzi(items[static_cast<std::size_t>(index)]);
    replaceAt(placed_);
    b.rtext2.text = c_.pass.resultBeforeTail;
    b.rtext1.text = c_.comp.codeBeforeKey;
    b.Text1 = {b.rtext1.text, 0};
  }
  backToIdle();
}

void InstantModify::fullPage() {
  PassState& p = c_.pass;
  const std::size_t n = perLine(c_.settings.hxgu);
  std::u16string page;
  auto add = [&](std::size_t i, std::u16string_view item) {
    page += i > 0 && i % n == 0 ? u"\r\n " : u" ";
    page += item;
  };
  if (c_.hook.fullPageShown == 1) {
    p.tex5 = quisfu(p.tex5);
    const std::vector<std::u16string> items = itemsOf(p.tex5);
    for (std::size_t i = 0; i < items.size(); ++i) add(i, items[i]);
  } else {
    std::vector<std::u16string_view> pairs;
    splitSpaces(p.tex5f9, pairs);
    for (std::size_t i = 0; i < pairs.size(); i += 2) {
      if (pairs[i].empty()) continue;
      add(i, std::u16string(pairs[i]) + hint(pairs[i]));
    }
  }
  c_.win.boxes.hxl.text = page;
}

}  // namespace yz
