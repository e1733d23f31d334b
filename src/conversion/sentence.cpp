#include "conversion/sentence.h"

#include <vector>

#include "conversion/text_steps.h"

namespace yz {

using namespace conversion_text;

namespace {

// Under 自然双拼 a "v" in the second letter of a unit after j, q, x or y is a "u" (jv -> ju).
void normaliseV(std::u16string& code) {
  for (std::size_t i = 1; i < code.size(); i += 2) {
    if (code[i] != u'v') continue;
    const char16_t before = code[i - 1];
    if (before == u'j' || before == u'q' || before == u'x' || before == u'y') code[i] = u'u';
  }
}

// Saves wordIndex and wordCounter and puts them back at the end of the scope: handlers that run
// inside a split search or a web query may move them.
class WordRowsGuard {
 public:
  explicit WordRowsGuard(ConversionState& conv)
      : conv_(conv), wordIndex_(conv.wordIndex), wordCounter_(conv.wordCounter) {}
  ~WordRowsGuard() {
    conv_.wordIndex = wordIndex_;
    conv_.wordCounter = wordCounter_;
  }
  WordRowsGuard(const WordRowsGuard&) = delete;
  WordRowsGuard& operator=(const WordRowsGuard&) = delete;

 private:
  ConversionState& conv_;
  std::int32_t wordIndex_;
  std::int32_t wordCounter_;
};

}  // namespace

std::u16string SentenceConversion::charLine(std::int32_t i) const {
  const LexiconTable& t = c_.lex.charLexicon;
  return i > 0 && static_cast<std::size_t>(i) < t.lines.size() ? std::u16string(t.lines[i]) : std::u16string();
}

std::u16string SentenceConversion::userLine(std::int32_t i) const {
  const LexiconTable& t = c_.lex.userLexicon;
  return i > 0 && static_cast<std::size_t>(i) < t.lines.size() ? std::u16string(t.lines[i]) : std::u16string();
}

void SentenceConversion::fjyi(std::u16string& bmstr, std::u16string& hjziir, std::u16string& endzf) {
  const RepeatedLookupsScope repeats(c_.lookups);
  ConversionState& conv = c_.conv;
  LookupCells& cells = c_.lex.cells;
  const Settings& s = c_.settings;
  cells.lookupWord.clear();
  std::u16string code = bmstr;

  if (code.size() % 2 == 1 && s.gjxm == 1 && s.ilmvj) {
    positioningPath(code, hjziir, endzf);
    return;
  }
  if (s.zrhx.marked()) normaliseV(code);

  endzf.clear();
  hjziir.clear();
  cells.wordCandidates.clear();
  if (code.empty()) {
    bmstr = code;
    return;
  }

  std::u16string sentence;
  std::u16string piece = code;  // P: the code from the start of the current piece
  std::vector<std::u16string> codes, texts;
  std::int32_t pieceLength = 0;  // code letters the words of the current piece take up
  while (true) {
    conv.loopCounter2 = len(code);
    if (code.empty()) break;
    if (!s.izcmu && c_.pass.codeChars.find(code[0]) == std::u16string::npos && code[0] != u';') {
      // Characters that are no code keys pass into the sentence two at a time, without a row.
      sentence += left(code, 2);
      code.erase(0, std::min<std::size_t>(2, code.size()));
      piece = code;
      continue;
    }
    seg_.bmui(code, conv.tailCode, conv.tailText);
    if (conv.tailText.empty()) break;
    c_.lookups.hziryhck(conv.tailCode, cells.wordCandidates, cells.userHitIndex);

    codes.clear();
    texts.clear();
    if (len(conv.tailCode) == len(code)) {
      codes.push_back(conv.tailCode);
      texts.push_back(conv.tailText);
      pieceLength = len(conv.tailCode);
    } else {
      const std::int32_t tailLength = len(conv.tailCode);
      std::u16string pieceTexts, pieceCodes;
      pieceLength = tailLength;
      {
        WordRowsGuard guard(conv);
        if (s.gjxm == 1 && c_.comp.modifyMode == 0)
          split_.fizhyp(code, pieceTexts, tailLength, pieceLength, pieceCodes);
        else
          split_.fizh(code, pieceTexts, tailLength, pieceLength, pieceCodes);
      }
      if (pieceTexts.empty()) {
        endzf.clear();
        hjziir.clear();
        bmstr = code;
        return;
      }
      trimInPlace(pieceTexts);
      trimInPlace(pieceCodes);
      std::vector<std::u16string_view> parts;
      splitSpaces(pieceTexts, parts);
      for (auto t : parts) texts.emplace_back(t);
      splitSpaces(pieceCodes, parts);
      for (auto c : parts) codes.emplace_back(c);
      conv.loopCounter2 = pieceLength;
    }
    texts.resize(codes.size());

    if (conv.j0 < 1) conv.j0 = 1;
    if (texts[0].empty()) {
      endzf.clear();
      hjziir.clear();
      bmstr = code;
      return;
    }
    bool tableFull = false;
    for (std::size_t w = 0; w < codes.size(); ++w) {
      conv.wordIndex = conv.j0 + conv.wordCounter;
      if (conv.wordIndex > kMaxSentenceWords) {
        // A caller that starts beyond the last row gets no more rows.
        conv.xb0 = kMaxSentenceWords;
        tableFull = true;
        break;
      }
      std::u16string t = texts[w];
      const std::u16string& c = codes[w];
      if (c.size() >= 2 && c.size() % 2 == 0 && conv.wordIndex > 1 && c_.comp.modifyMode == 0 &&
          s.xmur && s.gjxm == 1)
        t = rerankedWord(c, t, sentence);
      sentence += t;
      conv.hzixb += u' ';
      conv.hzixb += t;
      conv.wordTable[conv.wordIndex] = {c, t};
      conv.loopCounter2 = pieceLength;
      ++conv.wordCounter;
      if (conv.wordIndex == kMaxSentenceWords) {
        conv.xb0 = kMaxSentenceWords;
        tableFull = true;
        break;
      }
    }
    if (tableFull) break;
    if (conv.wordIndex >= 1 && conv.wordIndex <= kMaxSentenceWords)
      conv.lastItemOneLetter = conv.wordTable[conv.wordIndex].code.size() == 1 ? 1 : 0;
    code = piece;
    if (len(code) == conv.loopCounter2 || s.izcmu) {
      if (conv.wordIndex - conv.xb0 > 1 && conv.xb0 > 0) conv.xbia = conv.wordIndex - conv.xb0;
      conv.xb0 = conv.wordIndex;
      break;
    }
    if (conv.loopCounter2 <= 0 || conv.loopCounter2 > len(code)) break;
    code.erase(0, static_cast<std::size_t>(conv.loopCounter2));
    conv.qmhbir = 1;
    piece = code;
  }

  hjziir = sentence;
  bmstr = code;
  endCandidates(code, hjziir, endzf);
}

std::u16string SentenceConversion::rerankedWord(const std::u16string& code, const std::u16string& text,
                                                const std::u16string& sentence) {
  LookupCells& cells = c_.lex.cells;
  ConversionState& conv = c_.conv;
  c_.lookups.hzirvck(code, cells.lookupWord, cells.zicipn);
  std::u16string line(c_.lex.mainLineAt(cells.mainHitIndex));
  if (line.empty()) line = charLine(cells.charHitIndex);
  // A word that neither lexicon line holds (a user word) stays as it is.
  if (line.empty()) return text;
  std::vector<std::u16string_view> items;
  splitSpaces(line, items);
  std::int32_t n = static_cast<std::int32_t>(items.size()) - 1;
  if (code.size() < 4) return std::u16string(items[0]);
  if (n > 5) n = 4;
  if (n == 1) return std::u16string(items[0]);
  float best = 0;
  std::int32_t choice = 0;
  const std::u16string prev = conv.wordTable[conv.wordIndex - 1].text;
  for (std::int32_t k = 0; k <= n; k += 2) {
    const std::u16string u(items[static_cast<std::size_t>(k)]);
    {
      WordRowsGuard guard(conv);
      c_.webServices.xymaypu1(prev, u);
    }
    const WebCells& web = c_.web;
    if (web.xymayp0 > 10) {
      choice = k;
      break;
    }
    if (!u.empty() && len(prev) > 1 && len(sentence) + len(u) > 3 && 2 * web.xymayp0 + web.xymayp3 > best) {
      best = 2 * web.xymayp0 + web.xymayp3;
      choice = k;
    }
  }
  return std::u16string(items[static_cast<std::size_t>(choice)]);
}

void SentenceConversion::endCandidates(const std::u16string& pieceCode, const std::u16string& hjziir,
                                       std::u16string& endzf) {
  ConversionState& conv = c_.conv;
  LookupCells& cells = c_.lex.cells;
  const Settings& s = c_.settings;
  const std::int32_t modifyMode = c_.comp.modifyMode;
  if (conv.loopCounter2 == 0) {
    endzf.clear();
    return;
  }

  std::u16string list;  // E
  if (cells.charHitIndex != 0 && modifyMode == 0) {
    const std::u16string line = charLine(cells.charHitIndex);
    std::vector<std::u16string_view> items;
    splitSpaces(line, items);
    std::int32_t n = static_cast<std::int32_t>(items.size()) - 1;
    if (n > 5 && conv.tailCode.size() == 1) n = 5;
    for (std::int32_t i = 0; i <= n; i += 2) {
      // Element i + 1 of the line (items holds every element).
      const std::size_t w = static_cast<std::size_t>(i) + 1;
      const std::u16string_view weight = w < items.size() ? items[w] : std::u16string_view{};
      // The first three pairs always stand; a rare character ends the list after them.
      if (i > 5 && weightValue(weight) > kWeightRare) break;
      list += u' ';
      list += items[static_cast<std::size_t>(i)];
      list += u' ';
      list += weight;
    }
    trimInPlace(list);
  }
  if (modifyMode == 1 && cells.charHitIndex != 0) list = charLine(cells.charHitIndex);

  if (!c_.lex.mainLexicon.lines[0].empty()) {
    const std::int32_t wi = conv.wordIndex;
    if (wi > 1 && wi <= kMaxSentenceWords && conv.wordTable[wi].code.size() < 4)
      c_.lookups.hzirvck(conv.wordTable[wi - 1].code + conv.wordTable[wi].code, cells.lookupWord,
                         cells.zicipn);
    c_.lookups.hzirdzck(c_.win.boxes.rtext1.text, cells.lookupWord, cells.zicipn);
    if (cells.zicipn != kWeightFirstLetter && modifyMode == 0) {
      endzf += u' ';
      endzf += list;
    }
    collapseDoubleSpaces(endzf);
    trimInPlace(endzf);
  } else {
    const std::size_t tail = conv.tailCode.size();
    if (tail <= 4 && cells.charHitIndex != 0) endzf = list + u" ";
    if ((tail == 4 && cells.charHitIndex == 0) || tail > 4)
      endzf = std::u16string(c_.lex.mainLineAt(cells.lastFoundIndex));
    if (s.izcmu && cells.charHitIndex != 0) endzf = list;
    if (pieceCode == s.dqsj || pieceCode == s.dqxq || pieceCode == s.dqrq)
      endzf = std::u16string(c_.lex.mainLineAt(cells.mainHitIndex));
    collapseDoubleSpaces(endzf);
  }

  if ((endzf.empty() && modifyMode == 1) || cells.mainHitIndex != 0)
    endzf = userLine(cells.userHitIndex) + u" " + std::u16string(c_.lex.mainLineAt(cells.mainHitIndex));
  const std::u16string slot0(c_.lex.mainLexicon.lines[0]);
  if (!slot0.empty() && modifyMode == 0 && s.iqlx == 1) endzf = slot0;
  if (endzf.empty() && s.izcmu) endzf = cells.endzf0;
  if (!cells.endzf0.empty() && modifyMode == 0 && s.izcmu) endzf = cells.endzf0;
  if (!cells.endzf0.empty() && modifyMode == 0 && s.ilmvj &&
      endsWith(c_.win.boxes.rtext1.text, conv.tailCode))
    endzf = cells.endzf0;
  if (hjziir.empty()) endzf.clear();
  trimInPlace(endzf);

  const std::u16string single = charLine(cells.charHitIndex);
  if (!single.empty()) {
    endzf = single + u" " + endzf;
    // A two-character word of the user or main lexicon for the tail code goes in front.
    auto firstPair = [&](const std::u16string& line) {
      conv.tailText = std::u16string(left(line, 2));
      const std::size_t p = line.size() > 3 ? line.find(u' ', 3) : std::u16string::npos;
      endzf = (p == std::u16string::npos ? line : line.substr(0, p)) + u" " + endzf;
    };
    const LexiconTable& user = c_.lex.userLexicon;
    if (cells.userHitIndex > 0 && static_cast<std::size_t>(cells.userHitIndex) < user.codes.size() &&
        user.codes[cells.userHitIndex] == conv.tailCode)
      firstPair(userLine(cells.userHitIndex));
    if (cells.mainHitIndex != 0 && c_.lex.mainCodeAt(cells.mainHitIndex) == conv.tailCode)
      firstPair(std::u16string(c_.lex.mainLineAt(cells.mainHitIndex)));
  }
  collapseDoubleSpaces(endzf);
  trimInPlace(endzf);
}

void SentenceConversion::positioningPath(const std::u16string& code, std::u16string& hjziir,
                                         std::u16string& endzf) {
  ConversionState& conv = c_.conv;
  LookupCells& cells = c_.lex.cells;
  const CompositionState& comp = c_.comp;
  const std::u16string& text7 = c_.win.boxes.text7.text;
  const std::int32_t g = comp.segmentTextEnds[static_cast<std::size_t>(comp.segmentCount)];
  const std::u16string after(from(text7, g + 1));
  auto earlierSegment = [&]() {
    return std::u16string(from(text7, comp.segmentTextEnds[static_cast<std::size_t>(comp.segmentCount - 1)] + 1));
  };
  auto withoutLast = [](std::u16string_view t) { return std::u16string(left(t, len(t) - 1)); };
  auto finish = [&]() {
    conv.tailFixed = 1;
  };

  conv.bmstruhci = std::u16string(from(conv.bmstruhci, comp.segmentCodeEnds[static_cast<std::size_t>(comp.segmentCount)] + 1));
  if (len(conv.bmstruhci) < len(code)) {
    std::u16string ch;
    if (code.size() > 2) {
      c_.lookups.hzirdzck(std::u16string(right(code, 3)), cells.lookupWord, cells.zicipn);
      ch = cells.lookupWord;
    }
    if (!ch.empty()) {
      endzf = charLine(cells.charHitIndex);
      std::u16string t = len(after) <= 1 ? std::u16string() : withoutLast(after);
      if (t.empty() && comp.segmentCount > 0) t = earlierSegment();
      hjziir = t + ch;
      conv.qrbuir = (g == 0 ? withoutLast(after) : after) + u" " + ch;
      finish();
      conv.tailCode = std::u16string(right(code, 3));
      conv.tailText = ch;
      return;
    }
    c_.lookups.hzirdzck(std::u16string(right(code, 1)), cells.lookupWord, cells.zicipn);
    ch = cells.lookupWord;
    endzf = charLine(cells.charHitIndex);
    std::u16string t = after;
    if (t.empty() && comp.segmentCount > 0) t = earlierSegment();
    hjziir = t + ch;
    conv.qrbuir = after + u" " + ch;
    finish();
    return;
  }
  c_.lookups.hzirdzck(std::u16string(right(code, 1)), cells.lookupWord, cells.zicipn);
  const std::u16string ch = cells.lookupWord;
  endzf = charLine(cells.charHitIndex);
  hjziir = withoutLast(after) + ch;
  conv.qrbuir = withoutLast(hjziir) + u" " + ch;
  finish();
}

}  // namespace yz
