// Auxiliary-code interpretation of the code lookup. Letters typed after the codes of a word pick
// among the words of that code by the auxiliary letters (`charAuxCodes`) of its characters:
//   - the three-letter path (纯三码整句): every character typed as two code letters and one
//     auxiliary letter, 3, 6, 9 or 12 letters;
//   - the two-letter chain (other modes): the codes of a word followed by one to three auxiliary
//     letters, 5 to 8 letters, tried as steps 8, 7, 6 and 5.
// Both look the plain part up through `ybcib`, which runs a nested lookup that rewrites every
// lookup cell, so each step reads the nested lookup's cells right after the call.
//
// Letters of a candidate word: F of its first character, S of the second, T of the third, L of
// the last (for a two-character word S and L belong to the same character).

#include "lexicon/gbk.h"
#include "lexicon/lookup.h"
#include "lexicon/lookup_text.h"
#include "lexicon/user_lookup.h"

namespace yz {

using namespace lookup_text;

namespace {

enum class AuxOrder { FirstLast, LastFirst, Any, None };

AuxOrder auxOrder(const Settings& s) {
  if (s.auxOrder[1]) return AuxOrder::LastFirst;  // 末首字辅助优先
  if (s.auxOrder[0]) return AuxOrder::FirstLast;  // 首末字辅助优先
  if (s.auxOrder[2]) return AuxOrder::Any;        // 任意字辅助
  return AuxOrder::None;
}

// Appends the letters that exist (0 is no letter) into a pattern.
void appendLetters(std::u16string& out, std::initializer_list<char16_t> letters) {
  for (char16_t ch : letters) {
    if (ch != 0) out.push_back(ch);
  }
}

bool contains(std::u16string_view text, std::u16string_view part) {
  return text.find(part) != std::u16string_view::npos;
}

}  // namespace

void CodeLookup::buildPrefixList() {
  prefixText_.assign(lex_.mainLineAt(cells_.lastFoundIndex));
  prefixText_ += u" ";
  prefixText_ += userLine(cells_.userHitIndex);
  splitSpaces(trimSpaces(prefixText_), prefixItems_);
}

void CodeLookup::record(std::u16string_view word, std::u16string_view weight, std::u16string& cnir,
                        float& zicipn) {
  if (cnir.empty()) {
    cnir.assign(word);
    zicipn = weightValue(weight);
    cells_.mainHitIndex = cells_.lastFoundIndex;
  }
  std::u16string& list = cells_.endzf0;
  list += u" ";
  list += word;
  list += u" ";
  list += weight;
}

void CodeLookup::lettersFromCodeBox(std::u16string& code) const {
  if (!(comp_.modifyMode == 0 && settings_.izcmu && settings_.ymur)) return;
  const std::u16string_view box = win_.boxes.Text1.text;
  const std::size_t n = code.size();
  std::u16string out;
  if (n == 8 || n == 7) {
    out = code.substr(0, 6);
    out += midText(box, 7, 2);
  } else if (n == 6) {
    out = code.substr(0, 4);
    out += midText(box, 5, 2);
  } else if (n == 5) {
    out = code.substr(0, 4);
    out += midText(box, 5, n - 4);
  } else {
    return;
  }
  code = std::move(out);
}

bool CodeLookup::threeLetterPath(const std::u16string& code, std::u16string& cnir, float& zicipn) {
  if (threeLetterMatch(code, cnir, zicipn)) return true;
  // No candidate matched: the whole three-letter code may be a user code.
  user_.hziryhck(code, cells_.wordCandidates, cells_.lastFoundIndex);
  if (!cells_.wordCandidates.empty()) {
    const std::u16string_view list = cells_.wordCandidates;
    zicipn = weightValue(element(list, 1));
    cnir.assign(element(list, 0));
    return true;
  }
  cnir.clear();
  cells_.mainHitIndex = 0;
  zicipn = kWeightNotFound;
  return false;
}

void CodeLookup::hzirsmvck(std::u16string_view code, std::u16string& cnir, float& zicipn) {
  if (!threeLetterMatch(std::u16string(code), cnir, zicipn)) cnir.clear();
}

bool CodeLookup::threeLetterMatch(const std::u16string& code, std::u16string& cnir, float& zicipn) {
  const std::size_t n = code.size();
  if (n == 3 || n == 6 || n == 9 || n == 12) {
    std::u16string plain;
    std::u16string typedAux;
    for (std::size_t g = 0; g < n; g += 3) {
      plain.append(code, g, 2);
      typedAux.push_back(code[g + 2]);
    }
    cells_.fybci = 1;
    if (!ybcib(plain).empty()) {
      buildPrefixList();
      cnir.clear();
      std::u16string pattern;
      for (std::size_t i = 0; i < prefixItems_.size(); i += 2) {
        const std::u16string_view w = prefixItems_[i];
        auto letter = [&](std::size_t pos) { return pos < w.size() ? firstAux(w[pos]) : char16_t{0}; };
        const char16_t lastLetter = w.empty() ? char16_t{0} : firstAux(w.back());
        pattern.clear();
        switch (n) {
          case 12: appendLetters(pattern, {letter(0), letter(1), letter(2), lastLetter}); break;
          case 9: appendLetters(pattern, {letter(0), letter(1), lastLetter}); break;
          case 6: appendLetters(pattern, {letter(0), lastLetter}); break;
          default: appendLetters(pattern, {letter(0)}); break;
        }
        if (pattern == typedAux) {
          cnir.assign(w);
          zicipn = weightValue(i + 1 < prefixItems_.size() ? prefixItems_[i + 1] : u"");
          return true;
        }
      }
    }
  }
  return false;
}

bool CodeLookup::twoLetterChain(std::u16string& code, std::u16string& cnir, float& zicipn) {
  std::u16string kept = code;  // the code to go on with when the chain accepts nothing
  if (code.size() == 8 && chainStep8(code, cnir, zicipn)) return true;
  if (code.size() == 7) {
    kept = code;
    chainStep7(code, cnir, zicipn);
  }
  if (code.size() == 6) chainStep6(code, cnir, zicipn);
  if (!cnir.empty()) {
    pass_.sysyff = cnir;
    if (!settings_.ilmvj) return true;
  }
  if (code.size() == 5) {
    kept = code;
    if (chainStep5(code, cnir, zicipn)) return true;
  }
  if (comp_.modifyMode != 1) code = std::move(kept);
  return false;
}

// Eight letters: a three-character word and two auxiliary letters.
bool CodeLookup::chainStep8(std::u16string& code, std::u16string& cnir, float& zicipn) {
  lettersFromCodeBox(code);
  cells_.fybci = 1;
  if (!ybcib(code.substr(0, 6)).empty()) {
    buildPrefixList();
    const std::u16string_view pair = std::u16string_view(code).substr(6, 2);
    const AuxOrder order = auxOrder(settings_);
    cnir.clear();
    std::u16string pattern;
    for (std::size_t i = 0; i < prefixItems_.size(); i += 2) {
      const std::u16string_view w = prefixItems_[i];
      if (w.empty()) continue;
      const char16_t f = firstAux(w[0]);
      const char16_t s = w.size() > 1 ? firstAux(w[1]) : char16_t{0};
      const char16_t l = firstAux(w.back());
      pattern.clear();
      bool match = false;
      if (order == AuxOrder::LastFirst) {
        appendLetters(pattern, {l, f});
        match = pattern == pair;
      } else if (order == AuxOrder::FirstLast) {
        appendLetters(pattern, {f, l});
        match = pattern == pair;
      } else if (order == AuxOrder::Any) {
        appendLetters(pattern, {l, f, l, s, f, s, f, l, s, f, s, l});
        match = contains(pattern, pair);
      }
      if (match) record(w, i + 1 < prefixItems_.size() ? prefixItems_[i + 1] : u"", cnir, zicipn);
    }
    if (cnir.empty()) clearHitIndexes();
  } else {
    code = win_.boxes.rtext1.text;
  }
  return !settings_.ilmvj && !cnir.empty();
}

// Seven letters: with an auxiliary element last, three letters after a three-character code;
// otherwise one letter picked against the input pass's last end-word candidates.
void CodeLookup::chainStep7(std::u16string& code, std::u16string& cnir, float& zicipn) {
  lettersFromCodeBox(code);
  cells_.fybci = 1;
  const char16_t lastLetter = code.empty() ? char16_t{0} : code.back();
  const AuxOrder order = auxOrder(settings_);
  if (isAuxElement(lastLetter)) {
    if (ybcib(code.substr(0, 6)).empty()) {
      code = win_.boxes.rtext1.text;
      return;
    }
    buildPrefixList();
    const std::u16string_view typedAux =
        std::u16string_view(code).substr(code.size() >= 3 ? code.size() - 3 : 0);
    cnir.clear();
    std::u16string pattern;
    for (std::size_t i = 0; i < prefixItems_.size(); i += 2) {
      const std::u16string_view w = prefixItems_[i];
      if (w.empty()) continue;
      const std::u16string_view firstAuxes = auxOf(w[0]);
      pattern.clear();
      appendLetters(pattern, {firstAux(w.back()), firstAux(w[0]),
                              firstAuxes.empty() ? char16_t{0} : firstAuxes.back()});
      if (pattern == typedAux) {
        record(w, i + 1 < prefixItems_.size() ? prefixItems_[i + 1] : u"", cnir, zicipn);
      }
    }
    return;
  }
  if (ybcib(code.substr(0, 6)).empty()) {
    code = win_.boxes.rtext1.text;
    return;
  }
  std::vector<std::u16string_view> items;
  splitSpaces(pass_.tex5f9, items);
  cnir.clear();
  std::u16string pattern;
  for (std::size_t i = 0; i < items.size(); i += 2) {
    const std::u16string_view w = items[i];
    if (w.size() != 3) break;
    pattern.clear();
    bool match = false;
    if (order == AuxOrder::LastFirst) {
      appendLetters(pattern, {firstAux(w.back())});
      match = pattern.size() == 1 && pattern[0] == lastLetter;
    } else if (order == AuxOrder::FirstLast) {
      appendLetters(pattern, {firstAux(w[0])});
      match = pattern.size() == 1 && pattern[0] == lastLetter;
    } else if (order == AuxOrder::Any) {
      appendLetters(pattern, {firstAux(w.back()), firstAux(w[0])});
      match = pattern.find(lastLetter) != std::u16string::npos;
    }
    if (match) record(w, i + 1 < items.size() ? items[i + 1] : u"", cnir, zicipn);
  }
  if (cnir.empty()) clearHitIndexes();
}

// Six letters: a two-character word and two auxiliary letters.
void CodeLookup::chainStep6(std::u16string& code, std::u16string& cnir, float& zicipn) {
  lettersFromCodeBox(code);
  cells_.fybci = 1;
  cells_.endzf0.clear();
  if (ybcib(code.substr(0, 4)).empty() || cells_.mainHitIndex == 0) return;
  if (code.size() < 6) return;
  buildPrefixList();
  const char16_t a1 = code[4];
  const char16_t a2 = code[5];
  const AuxOrder order = auxOrder(settings_);
  const bool scrambled = settings_.fmwx == 1;  // 辅码乱序取
  cnir.clear();
  for (std::size_t i = 0; i < prefixItems_.size(); i += 2) {
    const std::u16string_view w = prefixItems_[i];
    if (w.empty()) continue;
    char16_t f = firstAux(w[0]);
    if (settings_.vxbf.marked() && isAuxElement(a2)) {
      const std::u16string_view firstAuxes = auxOf(w[0]);
      f = firstAuxes.size() >= 3 ? firstAuxes[2] : char16_t{0};
    }
    const char16_t l = firstAux(w.back());
    // An absent letter never matches.
    auto is = [](char16_t typed, char16_t letter) { return letter != 0 && typed == letter; };
    const bool firstLast = is(a1, f) && is(a2, l);
    const bool lastFirst = is(a1, l) && is(a2, f);
    bool match = false;
    if (order == AuxOrder::FirstLast) {
      match = firstLast;
    } else if (order == AuxOrder::LastFirst) {
      match = lastFirst;
    } else if (order == AuxOrder::Any) {
      match = scrambled ? (is(a1, f) || is(a1, l)) && (is(a2, f) || is(a2, l)) : firstLast || lastFirst;
    }
    if (!match) continue;
    const bool first = cnir.empty();
    record(w, i + 1 < prefixItems_.size() ? prefixItems_[i + 1] : u"", cnir, zicipn);
    if (first) pass_.sysyff = cnir;
  }
  if (cnir.empty()) clearHitIndexes();
}

// Five letters: a two-character word and one auxiliary letter; under 任意字辅助 the letter may
// also stand between the two codes.
bool CodeLookup::chainStep5(std::u16string& code, std::u16string& cnir, float& zicipn) {
  LexiconTable& main = lex_.mainLexicon;
  lettersFromCodeBox(code);
  cnir.clear();
  main.lines.set(0, u"");
  cells_.fybci = 1;
  cells_.endzf0.clear();
  cells_.cnir3 = ybcib(code.substr(0, 4));
  if (!cells_.cnir3.empty()) cells_.cnir3.resize(firstWord(cells_.cnir3).size());
  const AuxOrder order = auxOrder(settings_);
  if (cells_.cnir3.size() == 2 && !code.empty()) {
    buildPrefixList();
    const char16_t typed = code.back();
    const bool auxElement = isAuxElement(typed);
    cnir.clear();
    for (std::size_t i = 0; i < prefixItems_.size(); i += 2) {
      const std::u16string_view w = prefixItems_[i];
      if (w.empty()) continue;
      const std::u16string_view weight = i + 1 < prefixItems_.size() ? prefixItems_[i + 1] : u"";
      if (order == AuxOrder::Any) {
        if (typed == firstAux(w.back()) || typed == firstAux(w[0])) {
          cnir.assign(w);
          zicipn = weightValue(weight);
          break;
        }
        continue;
      }
      if (order == AuxOrder::None) continue;
      const std::u16string_view auxes = auxOf(order == AuxOrder::LastFirst ? w.back() : w[0]);
      const char16_t pattern = auxes.empty() ? char16_t{0} : auxElement ? auxes.back() : auxes.front();
      if (pattern != 0 && pattern == typed) record(w, weight, cnir, zicipn);
    }
    if (main.lines[0].empty()) {
      if (!cnir.empty()) {
        cells_.lastFoundIndex = 0;
        main.codes.set(0, code);
        main.lines.set(0, cnir + u" 200");
      } else {
        clearHitIndexes();
      }
    }
  }
  if (order == AuxOrder::Any && code.size() >= 5) {
    cells_.fybci = 1;
    std::u16string split = code.substr(0, 2);
    split += std::u16string_view(code).substr(3, 2);
    if (!ybcib(split).empty() && cnir.size() == 2) {
      buildPrefixList();
      const char16_t typed = code[2];
      for (std::size_t i = 0; i < prefixItems_.size(); i += 2) {
        const std::u16string_view w = prefixItems_[i];
        if (w.empty() || firstAux(w[0]) != typed) continue;
        cnir.assign(w);
        zicipn = weightValue(i + 1 < prefixItems_.size() ? prefixItems_[i + 1] : u"");
        return true;
      }
    }
  }
  return false;
}

}  // namespace yz
