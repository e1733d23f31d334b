// Association (超前联想) of the code lookup: for a code of at least `associationStartLen` letters,
// the lines of every main-lexicon entry whose code begins with it join the candidate line.

#include "lexicon/lookup.h"
#include "lexicon/lookup_text.h"

namespace yz {

namespace {

bool hasCloudMark(std::u16string_view line) { return line.find(u" 7") != std::u16string_view::npos; }

}  // namespace

bool CodeLookup::association(const std::u16string& code, std::u16string& cnir, float& zicipn) {
  LookupCells& c = cells_;
  const LexiconTable& main = lex_.mainLexicon;
  const std::int32_t last = main.last;
  const std::u16string_view want = code;
  auto prefix = [&](std::int32_t i) { return main.codes[i].substr(0, want.size()); };
  auto matches = [&](std::int32_t i) { return main.codes[i].starts_with(want); };
  // A landing point matches and does not hold the cloud mark " 7".
  auto landing = [&](std::int32_t i) { return matches(i) && !hasCloudMark(main.lines[i]); };

  // The search brackets the main lexicon's own entries, 1 to last. (Started from the last probe of
  // the exact search it finds the same run; for a code of odd length that probe would be an index
  // of the user lexicon.)
  std::int32_t lower = 1;
  std::int32_t upper = last;

  if (static_cast<std::int32_t>(code.size()) < pass_.associationStartLen) return true;
  // A merged line that is only the weight of "nothing found" holds no word to keep.
  if (!cnir.empty() && cnir.front() == u' ') cnir.clear();

  auto fail = [&](std::int32_t at) {
    if (!cnir.empty()) return false;  // the merged line goes on to the final step
    c.lastFoundIndex = at;
    zicipn = kWeightNotFound;
    return true;
  };

  std::int32_t hit = -1;
  if (matches(0)) {
    hit = 0;
    cnir = std::u16string(main.lines[0]);
    zicipn = kWeightAssociation;
  } else if (last >= 1 && matches(last)) {
    hit = last;
    cnir = std::u16string(main.lines[last]);
    zicipn = kWeightAssociation;
  } else if (last < 1 || want > prefix(last)) {
    // Nothing can begin with the code; the words merged so far stand.
    c.lastFoundIndex = last + 1;
    return fail(last + 1);
  } else {
    while (hit < 0) {
      if (upper - lower <= 1) {
        if (landing(lower)) {
          hit = lower;
        } else if (landing(upper)) {
          hit = upper;
        } else {
          return fail(upper);
        }
        c.lastFoundIndex = hit;
        break;
      }
      const std::int32_t mid = lower + (upper - lower) / 2;
      c.lastFoundIndex = mid;
      if (landing(mid)) {
        hit = mid;
      } else if (want < prefix(mid)) {
        upper = mid;
      } else {
        lower = mid;
      }
    }
  }
  c.lastFoundIndex = hit;
  rangeWalk(code, hit, cnir);
  return false;
}

void CodeLookup::rangeWalk(const std::u16string& code, std::int32_t hit, std::u16string& cnir) {
  LookupCells& c = cells_;
  const LexiconTable& main = lex_.mainLexicon;
  const std::int32_t last = main.last;
  auto matches = [&](std::int32_t i) { return main.codes[i].starts_with(code); };

  // Backward, never below index 1.
  std::int32_t first = hit;
  while (first > 1 && matches(first - 1)) --first;
  c.lastFoundIndex = first > 1 ? first - 1 : 1;
  if (first < 1) first = 1;
  // Forward, up to the first entry that does not match; the last entry is not examined.
  std::int32_t stop = hit;
  while (stop < last) {
    ++stop;
    if (stop == last || !matches(stop)) break;
  }
  for (std::int32_t i = first; i < stop; ++i) {
    const std::u16string_view line = main.lines[i];
    if (cnir.find(line) != std::u16string::npos) continue;
    cnir += u" ";
    cnir += line;
  }
  lookup_text::trimInPlace(cnir);
}

}  // namespace yz
