// The candidate display: the tail word's candidates without repeats, with the cloud sentence and
// the mixed-mode word in front, one page of them labelled with the quick-select keys, side by side
// or one a row.

#include <algorithm>
#include <unordered_set>

#include "conversion/text_steps.h"
#include "input/repeated_words.h"
#include "inputpass/candidates.h"
#include "lexicon/gbk.h"

namespace yz {
namespace {

using namespace conversion_text;

constexpr std::int32_t kMaxPage = 10;
constexpr std::int32_t kPunctuationLabels = 5;  // candidates labelled with the punctuation keys
constexpr std::u16string_view kFrontWeight = u"200";
constexpr std::u16string_view kCloudWeight = u"7";
constexpr std::u16string_view kNoLabel = u".";

bool containsItem(std::u16string_view text, std::u16string_view word) {
  std::u16string needle;
  needle.reserve(word.size() + 2);
  needle += u' ';
  needle += word;
  needle += u' ';
  return text.find(needle) != std::u16string_view::npos;
}

}  // namespace

std::int32_t candidatesPerPage(std::u16string_view hxgu) {
  std::int32_t n = 0;
  for (char16_t ch : trimSpaces(hxgu)) {
    if (ch < u'0' || ch > u'9') break;
    n = std::min(n * 10 + (ch - u'0'), 1000);
  }
  return std::clamp(n, 1, kMaxPage);
}

std::u16string withFirstWordInFront(const std::vector<std::u16string_view>& pairs) {
  if (pairs.empty()) return {};
  const std::u16string_view first = pairs[0];
  // The search text: the first word followed by the pairs kept so far, each item followed by a
  // space, so a kept word stands between two spaces.
  std::u16string search(first);
  search += u' ';
  // The items kept after the first word, for the test "stands between two spaces in the search
  // text" of a word without spaces in one step instead of a scan of the whole text.
  std::unordered_set<std::u16string_view> kept;
  kept.reserve(pairs.size());
  for (std::size_t i = 2; i + 1 < pairs.size(); i += 2) {
    const std::u16string_view word = pairs[i];
    if (word == first) continue;
    const bool plain = !word.empty() && word.find(u' ') == std::u16string_view::npos;
    if (plain ? kept.contains(word) : containsItem(search, word)) continue;
    search += word;
    search += u' ';
    search += pairs[i + 1];
    search += u' ';
    kept.insert(word);
    kept.insert(pairs[i + 1]);
  }
  search.pop_back();
  return std::u16string(first) + u" " + std::u16string(kFrontWeight) + search.substr(first.size());
}

std::u16string candidateHint(std::u16string_view word, CharTable& charAuxCodes, const GbkTable& gbk) {
  if (word.empty()) return {};
  auto code = [&](char16_t ch) { return charAuxCodes[static_cast<std::size_t>(gbk.charIndex(ch))]; };
  if (gbk.codeOf(word.front()) <= 0xFF) {
    // A single-byte character alone shows no hint.
    if (word.size() == 1) charAuxCodes.set(gbk.charIndex(word.front()), u"");
    return std::u16string(code(word.front()));
  }
  if (word.size() == 1) return std::u16string(left(code(word.front()), 2));
  return std::u16string(left(code(word.back()), 1)) + std::u16string(left(code(word.front()), 1));
}

CandidateLines labelCandidates(const std::vector<std::u16string_view>& pairs, std::int32_t pageSize,
                               bool punctuationLabels, std::u16string_view quickSelectKeys,
                               const std::function<std::u16string(std::u16string_view)>& hint) {
  CandidateLines out;
  std::int32_t k = 0;
  for (std::size_t i = 0; i < pairs.size() && static_cast<std::int32_t>(i) <= 2 * (pageSize - 1); i += 2) {
    const std::u16string_view word = pairs[i];
    if (word.empty()) continue;  // a doubled separator: no candidate
    ++k;
    std::u16string_view label = kNoLabel;
    if (punctuationLabels) {
      label = k <= kPunctuationLabels ? quickSelectKeys.substr(std::min<std::size_t>(
                                            static_cast<std::size_t>(k - 1), quickSelectKeys.size()), 1)
                                      : kNoLabel;
    }
    const std::u16string h = hint(word);
    if (out.firstWord.empty()) out.firstWord = word;
    out.labelled += u' ';
    out.labelled += label;
    out.labelled += word;
    out.plain += u' ';
    out.plain += label;
    out.plain += word;
    out.plain += h;
    out.numbered += u' ';
    // The tenth candidate is numbered 0, like its digit key.
    out.numbered += k == kMaxPage ? u"0" : std::u16string(1, static_cast<char16_t>(u'0' + k));
    out.numbered += label;
    out.numbered += word;
    out.numbered += h;
  }
  trimInPlace(out.numbered);
  return out;
}

std::int32_t verticalIndent(std::int32_t d, bool numberedLine) {
  if (d < 0) return 0;
  if (!numberedLine) return d + 1;
  return d <= 1 ? d + 2 : d + 3;
}

std::u16string verticalRows(std::u16string_view line, std::int32_t pageSize, std::int32_t indent,
                            std::int32_t& rows) {
  rows = 0;
  const std::u16string_view trimmed = trimSpaces(line);
  if (trimmed.empty()) return {};
  std::vector<std::u16string_view> items;
  splitSpaces(trimmed, items);
  std::u16string out;
  const std::u16string pad(static_cast<std::size_t>(std::max(indent, 0)), u' ');
  for (std::u16string_view item : items) {
    if (rows >= pageSize) break;
    out += pad;
    out += item;
    out += u"\r\n";
    ++rows;
  }
  return out;
}

void CandidateDisplay::cleanList(std::u16string& list, std::vector<std::u16string_view>& pairs) {
  trimInPlace(list);
  collapseDoubleSpaces(list);
  list = quisfu(list);
  splitSpaces(list, pairs);
  if (list.empty()) pairs.clear();
}

bool CandidateDisplay::show() {
  PassState& p = c_.pass;
  const Settings& s = c_.settings;
  CandidateBoxes& b = c_.win.boxes;
  LookupCells& cells = c_.lex.cells;

  std::u16string list = p.tex5.empty() ? c_.conv.endzf : p.tex5;
  std::vector<std::u16string_view> pairs;
  cleanList(list, pairs);
  p.tex5.clear();

  if (pairs.size() > 3) {  // two pairs or more
    list = withFirstWordInFront(pairs);
    if (s.dhxj == 1 && s.vqdyx && s.ymur) {
      // The cloud query reads the sentence's code from the shared cell.
      c_.input.context.citcbmma(b.text7.text, c_.web.up, c_.web.pinyinQuery);
      c_.webServices->yuu();
      const std::u16string& cloud = c_.web.cloudText;
      if (!cloud.empty() && cloud != b.text7.text) {
        list = cloud + u" " + std::u16string(kCloudWeight) + u" " + list;
      }
      trimInPlace(list);
      collapseDoubleSpaces(list);
    }
    const std::u16string& tailCode = c_.conv.tailCode;
    if (tailCode.size() == 4 && c_.conv.tailText.size() == 1 && s.huvj) {
      cells.fybci = 1;
      const std::u16string word = c_.lookup.ybci(tailCode);
      if (!word.empty() && list.find(word) == std::u16string::npos) {
        list = word + u" " + std::u16string(kFrontWeight) + u" " + list;
      }
      cells.fybci = 1;  // left set for the lookups that follow
    }
    cleanList(list, pairs);
    p.tex5f9 = list;
  }

  const CandidateLines lines = labelCandidates(
      pairs, candidatesPerPage(s.hxgu), s.bdkx == 1, p.quickSelectKeys,
      [&](std::u16string_view word) { return candidateHint(word, c_.lex.charAuxCodes, c_.input.context.gbk); });
  p.tex5 = lines.labelled;
  plain_ = lines.plain;
  numbered_ = lines.numbered;
  firstWord_ = lines.firstWord;
  cells.wordCandidates.clear();
  p.hbxrlj = false;

  if (s.hphx) {
    b.Text5.text = std::u16string(trimSpaces(plain_));
    b.hxl.text = numbered_;
    firstCandidateFill(false);
    return true;
  }
  // One candidate a row, indented to the end of the sentence when asked.
  const std::int32_t page = candidatesPerPage(s.hxgu);
  auto rowsOf = [&](const std::u16string& line, bool numbered, std::int32_t& rows) {
    std::int32_t indent = 0;
    if (s.jmgs == 1) {
      const std::u16string_view firstItem = firstWord(trimSpaces(line));
      indent = verticalIndent(len(b.rtext2.text) - (len(firstItem) - 2), numbered);
    }
    return verticalRows(line, page, indent, rows);
  };
  std::int32_t rows = 0;
  plain_ = rowsOf(plain_, false, rows);
  numbered_ = rowsOf(numbered_, true, rows);
  c_.win.loopCounter = rows - 1;
  return false;
}

void CandidateDisplay::refreshCandidateList() {
  CandidateBoxes& b = c_.win.boxes;
  b.Text5.text = plain_;
  b.hxl.text = numbered_;
  firstCandidateFill(true);
}

// When the conversion gave no sentence, the first candidate becomes the tail word. The word is
// taken from the labelled list, so a candidate without hint letters fills in whole.
void CandidateDisplay::firstCandidateFill(bool vertical) {
  PassState& p = c_.pass;
  CandidateBoxes& b = c_.win.boxes;
  if (!p.hjziir.empty() || b.hxl.text.empty() || firstWord_.empty()) return;
  p.hjziir = firstWord_;
  if (!vertical && c_.conv.tailFixed != 0) return;
  b.text7.text = p.tex7 + firstWord_;
  b.rtext2.text = p.rtex2 + firstWord_;
  c_.conv.tailText = firstWord_;
}

}  // namespace yz
