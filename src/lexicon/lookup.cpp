#include "lexicon/lookup.h"

#include <algorithm>

#include "lexicon/gbk.h"
#include "lexicon/lookup_text.h"
#include "lexicon/user_lookup.h"

namespace yz {

using namespace lookup_text;

namespace {

// Empties a slot; a slot that is empty already is left alone (no work on the per-key path).
void clearSlot(TextColumn& column, std::size_t i) {
  if (!column[i].empty()) column.set(i, u"");
}

}  // namespace

CodeLookup::CodeLookup(LexiconState& lex, const Settings& settings, const CompositionState& comp,
                       const ConversionState& conv, PassState& pass, const WindowState& win,
                       const RaceState& race, const GbkTable& gbk, Platform& platform,
                       UserLookup& user)
    : lex_(lex),
      cells_(lex.cells),
      settings_(settings),
      comp_(comp),
      conv_(conv),
      pass_(pass),
      win_(win),
      race_(race),
      gbk_(gbk),
      platform_(platform),
      user_(user) {}

void CodeLookup::hzirvck1(std::u16string_view str4, std::u16string& cnir, float& zicipn) {
  const std::u16string code(str4);  // read before any cell is written
  cells_.mainHitIndex = 0;
  cnir.clear();
  mainSearch(code, cnir, zicipn);
}

std::u16string CodeLookup::ybci(std::u16string_view strx) {
  ++ybciRuns_;
  hzirvck(strx, cells_.lookupWord, cells_.zicipn);
  return cells_.lookupWord;
}

std::u16string CodeLookup::ybcib(std::u16string_view strx) {
  if (strx.empty()) return {};
  ++ybcibRuns_;
  std::u16string code(strx);  // the argument may view a cell the lookup rewrites
  cells_.fybci = 1;
  cells_.fybcib = 1;
  cells_.charHitIndex = 0;
  cells_.userHitIndex = 0;
  hzirvck(code, cells_.cnir3, cells_.zicipn);
  std::u16string_view line;
  if (!cells_.cnir3.empty()) {
    const std::size_t n = code.size();
    if (n < 4 && cells_.charHitIndex != 0) line = charLine(cells_.charHitIndex);
    if (n >= 4 && cells_.mainHitIndex != 0) line = lex_.mainLineAt(cells_.mainHitIndex);
    if (n < 3 && cells_.mainHitIndex != 0) line = lex_.mainLineAt(cells_.mainHitIndex);
    if (cells_.userHitIndex != 0) line = userLine(cells_.userHitIndex);
  }
  cells_.fybci = 0;
  cells_.fybcib = 0;
  return std::u16string(line);
}

void CodeLookup::beginRepeats() {
  if (repeatDepth_++ == 0) {
    repeats_.clear();
    // One conversion keeps a few hundred lookups: no rehash while it runs.
    if (repeats_.bucket_count() < 1024) repeats_.reserve(1024);
    keptUnder_ = repeatConditions();
  }
}

void CodeLookup::endRepeats() {
  if (repeatDepth_ > 0 && --repeatDepth_ == 0) repeats_.clear();
}

CodeLookup::RepeatConditions CodeLookup::repeatConditions() const {
  RepeatConditions r;
  r.handlersRun = platform_.handlersRun();
  r.pendingCommand = comp_.pendingCommand;
  r.modifyMode = comp_.modifyMode;
  r.raceMode = race_.raceMode;
  r.gpsd = race_.gpsd;
  r.wordMaxLen = conv_.wordMaxLen;
  r.associationStartLen = pass_.associationStartLen;
  r.jsq1 = pass_.jsq1;
  r.hbxrlj = pass_.hbxrlj;
  r.mainLast = lex_.mainLexicon.last;
  r.userLast = lex_.userLexicon.last;
  r.charLast = lex_.charLexicon.last;
  r.mainText = lex_.mainLexicon.buffer.get();
  r.userText = lex_.userLexicon.buffer.get();
  r.charText = lex_.charLexicon.buffer.get();
  return r;
}

namespace {

// A cell that a lookup may leave as it found it: the kept outcome fits when the lookup wrote the
// cell (it left another value) or the cell holds now what it held then.
template <typename T>
bool fits(const T& now, const T& before, const T& after) {
  return !(after == before) || now == before;
}

}  // namespace

const std::u16string& CodeLookup::repeatKey(std::u16string_view code, const std::u16string& cnir,
                                            const float& zicipn) {
  // Which cells the outputs are: the order of the writes decides what such a cell ends with.
  char16_t outputs = &zicipn == &cells_.zicipn ? 1 : 0;
  if (&cnir == &cells_.lookupWord) outputs |= 2;
  if (&cnir == &cells_.cnir3) outputs |= 4;
  if (&cnir == &cells_.wordCandidates) outputs |= 8;
  if (&cnir == &cells_.endzf0) outputs |= 16;
  std::u16string& key = keyScratch_;  // no allocation per lookup
  key.assign(code);
  key += u'\uFFFF';
  key += static_cast<char16_t>(cells_.fybci);
  key += static_cast<char16_t>(cells_.fybcib);
  key += outputs;
  return key;
}

bool CodeLookup::repeat(const std::u16string& key, std::u16string& cnir, float& zicipn) {
  const auto found = repeats_.find(key);
  if (found == repeats_.end()) return false;
  const KeptLookup& k = found->second;
  const LookupCells& now = cells_;
  const CellsBefore& b = k.before;
  const LookupCells& a = k.after;
  if (now.fybci != b.fybci || now.fybcib != b.fybcib || !fits(zicipn, k.zicipnBefore, k.zicipnAfter) ||
      !fits(now.zicipn, b.zicipn, a.zicipn) || !fits(now.lastFoundIndex, b.lastFoundIndex, a.lastFoundIndex) ||
      win_.loopCounter != k.loopCounter) {
    return false;
  }
  // Every cell as the lookup left it, each string into its own room; the two wrappers' cells only
  // where a wrapper ran (nothing else writes them, but through `cnir`, set last).
  std::u16string keptWord, keptCnir3;
  if (!k.wroteLookupWord) keptWord.swap(cells_.lookupWord);
  if (!k.wroteCnir3) keptCnir3.swap(cells_.cnir3);
  cells_ = a;
  if (!k.wroteLookupWord) cells_.lookupWord.swap(keptWord);
  if (!k.wroteCnir3) cells_.cnir3.swap(keptCnir3);
  cnir = k.cnir;
  zicipn = k.zicipnAfter;
  LexiconTable& main = lex_.mainLexicon;
  if (main.codes[0] != k.mainCode0) main.codes.set(0, k.mainCode0);
  if (main.lines[0] != k.mainLine0) main.lines.set(0, k.mainLine0);
  lex_.commandCode.clear();
  lex_.commandLine.clear();
  return true;
}

void CodeLookup::hzirvck(std::u16string_view str4, std::u16string& cnir, float& zicipn) {
  if (repeatDepth_ == 0) return lookUp(std::u16string(str4), cnir, zicipn);
  if (!(repeatConditions() == keptUnder_)) {
    repeats_.clear();
    keptUnder_ = repeatConditions();
  }
  if (repeat(repeatKey(str4, cnir, zicipn), cnir, zicipn)) return;
  std::u16string code(str4);  // before any cell changes: the code may view one
  std::u16string key = keyScratch_;
  KeptLookup k;
  k.before = {cells_.zicipn, cells_.lastFoundIndex, cells_.fybci, cells_.fybcib};
  k.zicipnBefore = zicipn;
  const std::u16string sysyff = pass_.sysyff;
  const std::int32_t loopCounter = win_.loopCounter;
  const std::uint64_t ybciRuns = ybciRuns_, ybcibRuns = ybcibRuns_;
  lookUp(std::move(code), cnir, zicipn);
  k.wroteLookupWord = ybciRuns_ != ybciRuns;
  k.wroteCnir3 = ybcibRuns_ != ybcibRuns;
  // Kept only when nothing but the cells, the outputs and slot 0 changed.
  if (!lex_.commandCode.empty() || !lex_.commandLine.empty() || pass_.sysyff != sysyff ||
      win_.loopCounter != loopCounter || !(repeatConditions() == keptUnder_)) {
    return;
  }
  k.after = cells_;
  k.zicipnAfter = zicipn;
  k.cnir = cnir;
  k.mainCode0 = lex_.mainLexicon.codes[0];
  k.mainLine0 = lex_.mainLexicon.lines[0];
  k.loopCounter = loopCounter;
  repeats_.insert_or_assign(std::move(key), std::move(k));
}

void CodeLookup::lookUp(std::u16string str4, std::u16string& cnir, float& zicipn) {
  LookupCells& c = cells_;
  LexiconTable& main = lex_.mainLexicon;

  // Step 1: entry.
  std::u16string code = std::move(str4);
  c.mainHitIndex = 0;
  c.charHitIndex = 0;
  c.userHitIndex = 0;
  c.endzf0.clear();
  c.wordCandidates.clear();
  clearSlot(main.codes, 0);
  clearSlot(main.lines, 0);
  lex_.commandCode.clear();
  lex_.commandLine.clear();

  // Step 2: command codes on the whole typed code.
  if (commandStep(cnir, zicipn)) return;
  launchRule();
  cnir.clear();
  c.charHitIndex = 0;

  // Step 3: the gate of the auxiliary-code interpretations.
  Next next = gate(code, cnir, zicipn);
  if (next == Next::Done) return;

  // Step 4: single-character step.
  bool haveCharWord = false;
  std::u16string charWord;
  float charWeight = kWeightNotFound;
  if (next == Next::SingleChar && code.size() < 5 && race_.raceMode != 1) {
    user_.hzirdzck(code, cnir, zicipn);
    if (win_.boxes.rtext1.text == u";") cnir = u"；";
    if (!cnir.empty()) {
      haveCharWord = true;
      charWord = cnir;
      charWeight = zicipn;
    }
  }

  // Step 5: user step.
  clearSlot(main.lines, 0);
  const std::size_t longCode = 3 * static_cast<std::size_t>(std::max(conv_.wordMaxLen, 0));
  if (!(race_.raceMode == 1 && race_.gpsd == 1)) {
    user_.hziryhck(code, c.wordCandidates, c.lastFoundIndex);
    if (code.size() == 1) return;
    if (!c.wordCandidates.empty()) {
      c.lastFoundIndex = 0;
      main.lines.set(0, c.wordCandidates);
      main.codes.set(0, u"");
      cnir = std::u16string(firstWord(c.wordCandidates));
      if (code.size() > longCode) {
        zicipn = kWeightLongUserCode;
        return;
      }
    }
    // In a race run a short code the user lexicon lacks still goes on to the main lexicon, which
    // holds the two-letter codes of the single characters; without it a race text converts only
    // where a whole piece is one lexicon entry.
    const bool raceShortCode = race_.raceMode == 1 && c.wordCandidates.empty();
    if ((code.size() < 4 && (settings_.huvj || settings_.ilmvj) && !raceShortCode) ||
        (code.size() < 3 && race_.raceMode == 0 && comp_.modifyMode == 0)) {
      return;
    }
    if (code.size() > longCode) {
      cnir.clear();
      zicipn = kWeightNotFound;
      return;
    }
  }

  // Step 6: main search, for codes of even length only.
  if (code.size() % 2 == 0) mainSearch(code, cnir, zicipn);

  // Step 7: merge of the user, main and single-character lines.
  merge(code, cnir, haveCharWord);

  // Step 8: association.
  if (race_.raceMode != 1 && settings_.iqlx == 1 &&
      (!(settings_.huvj || settings_.ilmvj) || pass_.hbxrlj) &&
      endsWith(win_.boxes.rtext1.text, code) && comp_.modifyMode != 1) {
    if (association(code, cnir, zicipn)) return;
  }

  // Step 9: final step.
  finalStep(code, cnir, zicipn, haveCharWord, charWord, charWeight);
}

CodeLookup::Next CodeLookup::gate(std::u16string& code, std::u16string& cnir, float& zicipn) {
  const Settings& s = settings_;
  const std::size_t n = code.size();
  if (comp_.pendingCommand == kPendingWordMaking || (n >= 4 && cells_.fybci == 1)) {
    return Next::SingleChar;
  }
  auto chain = [&] {
    if (twoLetterChain(code, cnir, zicipn)) return Next::Done;
    cells_.charHitIndex = 0;
    return Next::SingleChar;
  };
  if (race_.raceMode == 1 && !s.smvj) return Next::UserStep;
  if (comp_.modifyMode == 0 && s.izcmu) return chain();
  if (n > 8 && (s.dgvj || s.ilmvj)) return Next::UserStep;
  if (n >= 5 && cells_.fybcib == 1) return Next::SingleChar;
  if (!s.smvj && cells_.fybci == 1) return Next::SingleChar;
  if (n <= 4 && !s.izcmu && !s.smvj) return Next::SingleChar;
  if (n < 3) return Next::UserStep;
  if (s.smvj && threeLetterPath(code, cnir, zicipn)) return Next::Done;
  if (race_.raceMode == 1) return Next::UserStep;
  return chain();
}

void CodeLookup::mainSearch(const std::u16string& code, std::u16string& cnir, float& zicipn) {
  LookupCells& c = cells_;
  const LexiconTable& main = lex_.mainLexicon;
  const std::int32_t last = main.last;
  auto hit = [&](std::int32_t i) {
    cnir.assign(main.lines[i]);  // into the caller's buffer: no string per hit
    c.mainHitIndex = i;
    c.lastFoundIndex = i;
  };
  auto absent = [&] {
    cnir.clear();
    c.mainHitIndex = 0;
    zicipn = kWeightNotFound;
  };
  if (last < 1) return absent();
  std::int32_t lower = 1;
  std::int32_t upper = last;
  if (main.codes[lower] == code) return hit(lower);
  if (main.codes[upper] == code) return hit(upper);
  std::size_t node = 1;
  while (upper - lower > 1) {
    const std::int32_t mid = lower + (upper - lower) / 2;
    c.lastFoundIndex = mid;
    const int order = std::u16string_view(code).compare(searchCode(main, node, mid));
    if (order == 0) {
      cnir.assign(main.lines[mid]);
      c.mainHitIndex = mid;
      return;
    }
    if (order < 0) {
      upper = mid;
      node = 2 * node;
    } else {
      lower = mid;
      node = 2 * node + 1;
    }
  }
  absent();
}

std::u16string_view CodeLookup::searchCode(const LexiconTable& main, std::size_t node, std::int32_t k) {
  const auto at = static_cast<std::size_t>(k);
  if (const std::shared_ptr<const ImageRecords>& records = main.codes.records()) return records->searchCode(node, at);
  return main.codes[at];
}

void CodeLookup::merge(const std::u16string& code, std::u16string& cnir, bool haveCharWord) {
  const LookupCells& c = cells_;
  if (c.wordCandidates.size() * 2 == code.size()) {
    cnir = c.wordCandidates + u" " + cnir;
  } else {
    cnir += u" ";
    cnir += c.wordCandidates;
  }
  trimInPlace(cnir);
  if (settings_.izcmu && cnir.empty() && !haveCharWord) return;

  const std::u16string_view userText = userLine(c.userHitIndex);
  const std::u16string_view charText = charLine(c.charHitIndex);
  if (cnir.empty()) cnir = std::u16string(charText.empty() ? userText : charText);
  if (cnir.size() == 1) {
    cnir.assign(userText);
    cnir += u" ";
    cnir += charText;
  } else if (cnir.size() > 1) {
    if (cnir.find(u' ') == std::u16string::npos) cnir += u" 400";
    std::u16string joined;
    joined.reserve(userText.size() + cnir.size() + charText.size() + 2);
    joined.append(userText).append(u" ").append(cnir).append(u" ").append(charText);
    cnir = std::move(joined);
  }
  trimInPlace(cnir);
  collapseDoubleSpaces(cnir);
  if (cnir.find(u' ') == std::u16string::npos) cnir += u" 400";
}

void CodeLookup::finalStep(const std::u16string& code, std::u16string& cnir, float& zicipn,
                           bool haveCharWord, const std::u16string& charWord, float charWeight) {
  LookupCells& c = cells_;
  LexiconTable& main = lex_.mainLexicon;
  trimInPlace(c.endzf0);
  if (settings_.iqlx != 1) {
    if (!cnir.empty()) {
      const std::u16string_view line = cnir;
      zicipn = weightValue(element(line, 1));
      cnir = std::u16string(element(line, 0));
    }
    return;
  }
  if (cnir.empty() && !main.lines[0].empty()) {
    cnir = std::u16string(firstWord(main.lines[0])) + u" 100";
    zicipn = kWeightCommand;
  }
  if (cnir.find(u' ') != std::u16string::npos) {
    std::vector<std::u16string_view> items;
    splitSpaces(cnir, items);
    if (items.size() >= 3 && items[0].size() == 1 && items[2].size() >= 2) {
      std::u16string front(items[2]);
      front += u" ";
      if (items.size() > 3) front += items[3];
      front += u" ";
      cnir = front + cnir;
    }
    main.lines.set(0, cnir);
    c.endzf0 = cnir;
    const std::u16string_view line = c.endzf0;
    zicipn = weightValue(element(line, 1));
    cnir = std::u16string(element(line, 0));
    // 重码时词频优先: a lighter single character wins over the word.
    if (haveCharWord && code.size() == 4 &&
        (endsWith(win_.boxes.rtext1.text, code) || !(settings_.dgvj || settings_.ilmvj)) &&
        settings_.cpyx == 1 && charWeight < zicipn) {
      cnir = charWord;
      zicipn = charWeight;
    }
  } else if (!c.endzf0.empty() && settings_.izcmu) {
    main.lines.set(0, c.endzf0);
    const std::u16string_view line = c.endzf0;
    zicipn = weightValue(element(line, 1));
    cnir = std::u16string(element(line, 0));
  }
}

std::u16string_view CodeLookup::userLine(std::int32_t i) const {
  const LexiconTable& t = lex_.userLexicon;
  if (i <= 0 || static_cast<std::size_t>(i) >= t.lines.size()) return {};
  return t.lines[static_cast<std::size_t>(i)];
}

std::u16string_view CodeLookup::charLine(std::int32_t i) const {
  const LexiconTable& t = lex_.charLexicon;
  if (i <= 0 || static_cast<std::size_t>(i) >= t.lines.size()) return {};
  return t.lines[static_cast<std::size_t>(i)];
}

std::u16string_view CodeLookup::auxOf(char16_t ch) const {
  return lex_.charAuxCodes[static_cast<std::size_t>(gbk_.charIndex(ch))];
}

char16_t CodeLookup::firstAux(char16_t ch) const {
  const std::u16string_view a = auxOf(ch);
  return a.empty() ? char16_t{0} : a.front();
}

bool CodeLookup::isAuxElement(char16_t ch) const {
  return pass_.fumayr.find(ch) != std::u16string::npos;
}

void CodeLookup::clearHitIndexes() {
  cells_.mainHitIndex = 0;
  cells_.userHitIndex = 0;
  cells_.charHitIndex = 0;
}

}  // namespace yz
