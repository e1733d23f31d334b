#include "lexicon/user_lookup.h"

#include <algorithm>

#include "lexicon/lookup_text.h"

namespace yz {
namespace {

// The weight after the first word of a candidate list: its second space-separated element.
float secondElementWeight(std::u16string_view list) {
  return lookup_text::weightValue(lookup_text::element(list, 1));
}

bool contains(std::u16string_view text, std::u16string_view part) {
  return text.find(part) != std::u16string_view::npos;
}

using lookup_text::trimSpaces;

constexpr std::u16string_view kCloudMark = u" 7";  // a line holding a weight that begins with 7

}  // namespace

UserLookup::UserLookup(LexiconState& lex, const Settings& settings, const CompositionState& comp,
                       const PassState& pass, WindowState& win, const RaceState& race)
    : lex_(lex),
      cells_(lex.cells),
      settings_(settings),
      comp_(comp),
      pass_(pass),
      win_(win),
      race_(race) {}

// The table's arrays may end before index 1 when it holds no entry; such slots read empty.
std::u16string_view UserLookup::userCode(std::int32_t i) const {
  const auto& codes = lex_.userLexicon.codes;
  return i >= 0 && static_cast<std::size_t>(i) < codes.size() ? codes[static_cast<std::size_t>(i)]
                                                              : std::u16string_view{};
}

std::u16string_view UserLookup::userLine(std::int32_t i) const {
  const auto& lines = lex_.userLexicon.lines;
  return i >= 0 && static_cast<std::size_t>(i) < lines.size() ? lines[static_cast<std::size_t>(i)]
                                                              : std::u16string_view{};
}

std::u16string_view UserLookup::userPrefix(std::int32_t i, std::size_t m) const {
  return userCode(i).substr(0, m);
}

void UserLookup::hziryhck(std::u16string str4, std::u16string& cnir, std::int32_t& k12) {
  const std::u16string& code = str4;
  const std::int32_t n = lex_.userLexicon.last;
  cells_.userHitIndex = 0;
  cells_.userInsertIndex = 0;
  cells_.wordCandidates.clear();

  // Exact search.
  if (std::u16string_view(code) < userCode(1)) {
    k12 = 0;
    cnir.clear();
    cells_.zicipn = kWeightNotFound;
    cells_.userInsertIndex = 1;
  } else if (std::u16string_view(code) > userCode(n)) {
    k12 = n + 1;
    cells_.userInsertIndex = n + 1;
    cnir.clear();
    cells_.zicipn = kWeightNotFound;
  } else {
    std::int32_t hi = n;
    if (userCode(0) == code) {
      cnir = userLine(0);
      k12 = 0;
      cells_.userHitIndex = 0;
    } else if (userCode(hi) == code) {
      cnir = userLine(hi);
      k12 = hi;
      cells_.userHitIndex = hi;
    } else {
      std::int32_t lo = 0;
      while (true) {
        if (hi - lo <= 1) {
          cnir.clear();
          cells_.userInsertIndex = hi;
          cells_.zicipn = kWeightNotFound;
          break;
        }
        std::int32_t mid = (lo + hi) / 2;
        k12 = mid;
        if (userCode(mid) == code) {
          cnir = userLine(mid);
          cells_.userHitIndex = mid;
          break;
        }
        if (std::u16string_view(code) < userCode(mid)) {
          hi = mid;
        } else {
          lo = mid;
        }
      }
    }
  }

  if (cnir.empty() && race_.raceMode == 0) cells_.userHitIndex = 0;
  if (contains(cnir, kDeletedWord)) {
    cnir.clear();
    cells_.userHitIndex = 0;
    cells_.zicipn = kWeightNotFound;
    return;
  }
  if (!cnir.empty()) cells_.zicipn = secondElementWeight(cnir);

  bool twoLetterSentenceMode = settings_.ilmvj || settings_.huvj;
  std::u16string_view codeLine = win_.boxes.rtext1.text;
  bool associationOn = race_.raceMode != 1 && settings_.iqlx == 1 &&
                       (!twoLetterSentenceMode || pass_.hbxrlj) && codeLine.ends_with(code) &&
                       static_cast<std::int32_t>(code.size()) >= pass_.associationStartLen;
  if (associationOn) associate(code, cnir, k12);
}

bool UserLookup::earlierTextWord(const std::u16string& code, std::u16string& word) {
  std::size_t pos = comp_.enuhwf.rfind(code);
  win_.loopCounter = pos == std::u16string::npos ? 0 : static_cast<std::int32_t>(pos) + 1;
  if (win_.loopCounter == 0 || settings_.qjzc != 1) return false;
  word = std::u16string_view(comp_.cnuhwf).substr(std::min(pos, comp_.cnuhwf.size()), code.size());
  return true;
}

void UserLookup::associate(const std::u16string& code, std::u16string& cnir, std::int32_t& k12) {
  const std::int32_t n = lex_.userLexicon.last;
  const std::size_t m = code.size();
  auto matches = [&](std::int32_t i) { return userPrefix(i, m) == code; };
  auto canLand = [&](std::int32_t i) { return matches(i) && !contains(userLine(i), kCloudMark); };

  std::int32_t hi = n;
  std::int32_t landing = -1;
  if (matches(0)) {
    k12 = 0;
    cnir = userLine(0);
    cells_.zicipn = kWeightAssociation;
    landing = 0;
  } else if (matches(n)) {
    k12 = n;
    cnir = userLine(n);
    cells_.zicipn = kWeightAssociation;
    landing = n;
  } else if (std::u16string_view(code) > userPrefix(n, m)) {
    k12 = n + 1;
    cnir.clear();
    cells_.zicipn = kWeightNotFound;
    return;
  } else {
    std::int32_t lo = 0;
    while (true) {
      if (hi - lo <= 1) {
        // Neither end can serve: there is no landing entry.
        if (canLand(lo)) landing = lo;
        else if (canLand(hi)) landing = hi;
        break;
      }
      std::int32_t mid = (lo + hi) / 2;
      k12 = mid;
      if (canLand(mid)) {
        landing = mid;
        break;
      }
      // An entry with " 7" and a matching prefix moves the search upward.
      if (std::u16string_view(code) < userPrefix(mid, m)) {
        hi = mid;
      } else {
        lo = mid;
      }
    }
  }

  std::u16string word;
  if (landing < 0) {
    if (earlierTextWord(code, word)) {
      cnir = word + u" 200";
      k12 = hi;
      cells_.zicipn = kWeightAssociation;
    } else {
      k12 = hi;
      if (cells_.userHitIndex == 0) cells_.zicipn = kWeightNotFound;
    }
    return;
  }

  // The run of entries whose codes continue the code, around the landing entry.
  std::int32_t down = landing;
  while (down > 0) {
    --down;
    if (down == 0 || !matches(down)) break;
  }
  std::int32_t up = landing;
  while (up < n) {
    ++up;
    if (up == n || !matches(up)) break;
  }
  k12 = up;
  for (std::int32_t i = down + 1; i < up; ++i) {
    std::u16string_view line = userLine(i);
    if (!contains(cnir, line)) {
      cnir += u' ';
      cnir += line;
    }
  }
  // Trimmed before the earlier-text word goes in front, so that a list collected into an empty
  // text does not leave two spaces after it.
  cnir = std::u16string(trimSpaces(cnir));
  if (earlierTextWord(code, word)) cnir = std::u16string(trimSpaces(word + u" 200 " + cnir));
  if (contains(cnir, kDeletedWord)) {
    cells_.userHitIndex = 0;
    cells_.userInsertIndex = 0;
    cnir.clear();
  }
}

namespace {

// The code with its letters after the first two taken from the typed code where the code stands
// in the code line.
std::u16string typedAuxLetters(const std::u16string& code, std::u16string_view line,
                               std::u16string_view typed) {
  std::size_t at = line.rfind(code);
  // The line's translation keeps places only where both have one length; a code that is not
  // part of the line takes the typed letters from the start, as the whole line does.
  if (at == std::u16string_view::npos || line.size() != typed.size()) at = 0;
  const std::size_t from = at + 2;
  const std::u16string_view rest =
      from < typed.size() ? typed.substr(from, code.size() - 2) : std::u16string_view{};
  return code.substr(0, 2) + std::u16string(rest);
}

}  // namespace

void UserLookup::hzirdzck(std::u16string str4, std::u16string& cnir, float& zicipn) {
  std::u16string code = std::move(str4);
  const auto& table = lex_.charLexicon;
  const std::int32_t last = table.last;
  auto charCode = [&](std::int32_t i) {
    return i >= 0 && static_cast<std::size_t>(i) < table.codes.size()
               ? table.codes[static_cast<std::size_t>(i)]
               : std::u16string_view{};
  };

  // Outside the 自然双拼 layout the letters after the first two come from the typed code, at the
  // place where the code stands in the code line: a word in the middle of a sentence takes its
  // own typed letters, not those of the line's first word.
  if (code.size() > 2 && comp_.modifyMode == 0 && settings_.ymur && !settings_.zrhx.marked()) {
    code = typedAuxLetters(code, win_.boxes.rtext1.text, win_.boxes.Text1.text);
  }

  bool firstLetterOnly = false;
  std::int32_t hit = 0;
  while (true) {
    cells_.charHitIndex = 0;
    if ((code.size() > 3 && settings_.gjxm == 1) || code.empty()) {
      cnir.clear();
      zicipn = kWeightNotFound;
      cells_.lastFoundIndex = 0;
      return;
    }
    hit = 0;
    if (charCode(1) == code) {
      hit = 1;
    } else if (charCode(last) == code) {
      hit = last;
    } else {
      std::int32_t lo = 1;
      std::int32_t hi = last;
      while (hi - lo > 1) {
        std::int32_t mid = (lo + hi) / 2;
        cells_.lastFoundIndex = mid;
        const int order = std::u16string_view(code).compare(charCode(mid));  // one comparison per step
        if (order == 0) {
          hit = mid;
          break;
        }
        if (order < 0) {
          hi = mid;
        } else {
          lo = mid;
        }
      }
    }
    cells_.lastFoundIndex = hit;
    if (hit != 0 || code.size() != 2) break;
    // A two-letter code without an entry falls back to its first letter.
    code.resize(1);
    firstLetterOnly = true;
  }

  cells_.charHitIndex = cells_.lastFoundIndex;
  cells_.lastFoundIndex = 0;
  if (hit == 0) {
    cnir.clear();
    zicipn = kWeightNotFound;
    return;
  }
  std::u16string_view line = table.lines[static_cast<std::size_t>(hit)];
  cnir = line.substr(0, line.find(u' '));
  zicipn = firstLetterOnly ? kWeightFirstLetter : secondElementWeight(line);
  if (cnir.empty()) {
    zicipn = kWeightNotFound;
    return;
  }
  if (zicipn >= kWeightRare && win_.boxes.rtext1.text.size() >= 5) {
    if (code.size() == 1) {
      zicipn = kWeightAssociation;
    } else {
      // A rare character is not offered for a multi-letter code inside a long code line.
      cnir.clear();
      cells_.charHitIndex = 0;
    }
  }
}

}  // namespace yz
