// The automatic commit rules of the word mode: 空码上屏 commits what forms a word when the typed
// code has no conversion and cannot grow; 候选唯一上屏 commits the sentence when at most one
// candidate is left and the code cannot grow. After a commit the pass starts over on the rest.

#include <algorithm>

#include "conversion/text_steps.h"
#include "inputpass/candidates.h"

namespace yz {
namespace {

using namespace conversion_text;

// A code begins with another when it starts with all of it; an empty code begins with nothing,
// and every non-empty code begins with the empty one.
bool beginsWith(std::u16string_view x, std::u16string_view y) {
  return !x.empty() && x.substr(0, y.size()) == y;
}

}  // namespace

// Scans the main lexicon's codes from `start` while they share the start code's beginning, until
// one begins with the typed code. The scan stops at the lexicon's last entry: a code that finds no
// longer entry before it cannot grow.
bool AutoCommit::canGrow(std::int32_t start) const {
  const LexiconTable& main = c_.lex.mainLexicon;
  const std::u16string_view typed = c_.win.boxes.rtext1.text;
  const std::size_t working = c_.pass.bmstr.size();
  const std::int32_t last = std::min(main.last, static_cast<std::int32_t>(main.codes.size()) - 1);
  if (start < 0 || start > last) return false;
  auto codeAt = [&](std::int32_t j) { return main.codes[static_cast<std::size_t>(j)]; };
  const std::u16string_view head = codeAt(start);
  for (std::int32_t j = start; j <= last; ++j) {
    const std::u16string_view x = codeAt(j);
    if (beginsWith(x, typed)) {
      if (x.size() > working) return true;
      if (j + 1 <= last) {
        const std::u16string_view next = codeAt(j + 1);
        if (beginsWith(next, typed) && next.size() > working) return true;
      }
      return false;
    }
    if (!beginsWith(x, head)) return false;
  }
  return false;
}

bool AutoCommit::run(bool horizontal) {
  LookupCells& cells = c_.lex.cells;
  PassState& p = c_.pass;
  const Settings& s = c_.settings;
  if (horizontal) {
    if (cells.mainHitIndex > p.maxHitIndex) p.maxHitIndex = cells.mainHitIndex;
    if (cells.mainHitIndex == 0) cells.mainHitIndex = p.maxHitIndex;
  }
  if (!s.izcmu) return false;
  const CandidateBoxes& b = c_.win.boxes;
  if (p.hjziir.empty() && s.kmup == 1 && len(b.rtext1.text) > 3) return emptyCodeCommit();
  if (s.wyup != 1) return false;
  const std::u16string_view list = b.hxl.text;
  const std::int32_t working = len(p.bmstr);
  const bool applies = horizontal ? list.find(u' ') == std::u16string_view::npos && working >= 4 && working % 2 == 0
                                  : list.find(u"\r\n") == std::u16string_view::npos && working >= 4;
  if (!applies || canGrow(cells.mainHitIndex)) return false;
  // The shown sentence, without the line breaks of its wrapping.
  std::u16string sentence;
  for (char16_t ch : b.rText7.text) {
    if (ch != u'\r' && ch != u'\n') sentence.push_back(ch);
  }
  // Nothing shown to commit: the code stays.
  if (sentence.empty()) return false;
  c_.input.committer.qqdz(sentence);
  return true;
}

// 空码上屏: the typed code has no conversion.
bool AutoCommit::emptyCodeCommit() {
  PassState& p = c_.pass;
  CandidateBoxes& b = c_.win.boxes;
  ConversionState& cv = c_.conv;
  if (canGrow(c_.lex.cells.mainHitIndex)) return false;
  const std::u16string typed = b.Text1.text;
  // The sentence typed before the last letter.
  if (!b.text7.text.empty() && 2 * len(b.text7.text) == len(p.bmstr) - 1) {
    std::u16string sentence = b.text7.text;
    c_.input.committer.qqdz(sentence);
    b.Text1.text = std::u16string(right(typed, 1));
    b.Text1.selStart = len(b.Text1.text);
    return true;
  }
  // The push-out: the longest front of the code that forms one word, the full code excepted.
  std::u16string code = typed;
  while (!code.empty()) {
    code.pop_back();
    c_.conversion.segmentation().bmuib(code, cv.tailCode, cv.tailText, 1);
    if (!((cv.tailText.empty() || len(code) != 2 * len(cv.tailText)) && len(code) > 4)) break;
  }
  // No word in front: nothing is committed and the code stays as typed.
  if (cv.tailText.empty() || cv.tailCode.empty()) return false;
  std::u16string word = cv.tailText;
  // Keys typed while the prefix search pumped messages stay with the rest.
  const std::u16string rest(from(b.Text1.text, len(cv.tailCode) + 1));
  c_.input.committer.qqdz(word);
  b.Text1.text = rest;
  b.Text1.selStart = len(rest);
  return true;
}

}  // namespace yz
