// The auxiliary-code filter of tail candidates: the words of a candidate line whose characters'
// auxiliary codes match the letters typed after the word's code.

#include <algorithm>

#include "conversion/text_steps.h"
#include "inputpass/candidates.h"
#include "lexicon/gbk.h"

namespace yz {
namespace {

using namespace conversion_text;

enum AuxOrder { kFirstLast = 0, kLastFirst = 1, kFree = 2 };

// That one text occurs in another; nothing occurs in an empty text.
bool occurs(std::u16string_view needle, std::u16string_view hay) {
  return !hay.empty() && !needle.empty() && hay.find(needle) != std::u16string_view::npos;
}

class Matcher {
 public:
  explicit Matcher(const AuxFilterTables& t) : t_(t) {}

  // First and last letter of a character's auxiliary code (empty for none).
  std::u16string_view F(char16_t ch) const { return left(code(ch), 1); }
  std::u16string_view E(char16_t ch) const { return right(code(ch), 1); }
  bool element(char16_t letter) const { return t_.fumayr.find(letter) != std::u16string_view::npos; }

  bool keep(AuxVariant v, std::u16string_view word, std::u16string_view t, int pass) const {
    const char16_t c1 = word.front(), cz = word.back();
    const std::u16string_view t1 = t.substr(0, 1);
    switch (v) {
      case AuxVariant::A: {
        // First the reference character of the chosen order, then the other one.
        std::u16string_view letter;
        if (pass == 0) {
          const char16_t ref = t_.auxOrder == kLastFirst ? cz : c1;
          letter = element(t[0]) ? E(ref) : F(ref);
        } else {
          letter = t_.auxOrder == kLastFirst ? F(c1) : F(cz);
        }
        return !letter.empty() && t1 == letter;
      }
      case AuxVariant::B1:
      case AuxVariant::B2: {
        if (t.size() < 2) return false;
        const std::u16string_view t2 = t.substr(1, 1);
        const std::u16string x1(v == AuxVariant::B1 && element(t[1]) ? E(c1) : F(c1));
        const std::u16string x2(F(cz));
        return pair(t1, t2, x1, x2, t.substr(0, 2));
      }
      case AuxVariant::C: {
        if (t.size() < 3) return false;
        const std::u16string x1 = F(c1).empty() ? std::u16string() : std::u16string(F(c1)) + std::u16string(E(c1));
        const std::u16string x2(F(cz));
        const std::u16string both12 = x1 + x2, both21 = x2 + x1;
        if (t_.unordered) {
          if (t_.auxOrder == kFirstLast) return t == both12;
          if (t_.auxOrder == kLastFirst) return t == both21;
          return t == both21 || t == both12;
        }
        // The first character's code holds two letters, the last character's one.
        if (t_.auxOrder == kFirstLast) return occurs(t.substr(0, 2), x1) && occurs(t.substr(2, 1), x2);
        if (t_.auxOrder == kLastFirst) return occurs(t1, x2) && occurs(t.substr(1, 2), x1);
        return occurs(t1, both12) && occurs(t.substr(1, 2), both12);
      }
      case AuxVariant::D:
        return !F(cz).empty() && t == F(cz);
      case AuxVariant::E: {
        const std::u16string ref = std::u16string(F(cz)) + std::u16string(F(c1));
        return ref.size() == 2 && t == ref;
      }
    }
    return false;
  }

 private:
  std::u16string_view code(char16_t ch) const {
    return t_.charAuxCodes[static_cast<std::size_t>(t_.gbk.charIndex(ch))];
  }

  bool pair(std::u16string_view t1, std::u16string_view t2, const std::u16string& x1,
            const std::u16string& x2, std::u16string_view t12) const {
    const std::u16string both12 = x1 + x2, both21 = x2 + x1;
    if (t_.unordered) {
      if (t_.auxOrder == kFirstLast) return t12 == both12;
      if (t_.auxOrder == kLastFirst) return t12 == both21;
      return t12 == both21 || t12 == both12;
    }
    if (t_.auxOrder == kFirstLast) return occurs(t1, x1) && occurs(t2, x2);
    if (t_.auxOrder == kLastFirst) return occurs(t1, x2) && occurs(t2, x1);
    return occurs(t1, both12) && occurs(t2, both12);
  }

  const AuxFilterTables& t_;
};

}  // namespace

void filterByAuxCode(AuxVariant variant, std::u16string_view line, std::u16string_view typed,
                     const AuxFilterTables& tables, std::u16string& wordCandidates) {
  if (typed.empty()) return;
  std::vector<std::u16string_view> items;
  splitSpaces(line, items);
  const Matcher m(tables);
  // Variant A looks at the word's other character in a second pass.
  const int passes = variant == AuxVariant::A ? 2 : 1;
  for (int pass = 0; pass < passes; ++pass) {
    std::vector<std::u16string_view> kept;
    for (std::size_t i = 0; i + 1 < items.size(); i += 2) {
      const std::u16string_view word = items[i], weight = items[i + 1];
      if (word.empty() || std::find(kept.begin(), kept.end(), word) != kept.end()) continue;
      if (!m.keep(variant, word, typed, pass)) continue;
      if (pass == 1 && wordCandidates.find(word) != std::u16string::npos) continue;
      kept.push_back(word);
      wordCandidates += u' ';
      wordCandidates += word;
      wordCandidates += u' ';
      wordCandidates += weight;
    }
  }
}

}  // namespace yz
