#pragma once
// The user-lexicon lookup with its deleted-word rule, insert position and association, and the
// single-character lookup with its first-letter fallback and rare-character rule.
//
// Results go to the lookup cells (LookupCells): overwritten by every lookup, nested ones
// included; read what you need right after the call.

#include <cstdint>
#include <string>
#include <string_view>

#include "state/composition_state.h"
#include "state/lexicon_state.h"
#include "state/pass_state.h"
#include "state/service_cells.h"
#include "state/settings.h"
#include "state/window_state.h"

namespace yz {

class UserLookup {
 public:
  UserLookup(LexiconState& lex, const Settings& settings, const CompositionState& comp,
             const PassState& pass, WindowState& win, const RaceState& race);

  // Looks a code up in the user lexicon: its candidate list into `cnir`, the index probed last
  // into `k12`; writes zicipn, userHitIndex, userInsertIndex, wordCandidates and, with
  // association, loopCounter. `cnir` and `k12` may be cells themselves (wordCandidates,
  // userHitIndex): they are written in step order.
  void hziryhck(std::u16string str4, std::u16string& cnir, std::int32_t& k12);

  // Looks a code up in the single-character lexicon: the best character into `cnir`, its weight
  // into `zicipn` (800 when found through the first letter only, 400 on a miss); writes
  // charHitIndex and leaves lastFoundIndex 0.
  void hzirdzck(std::u16string str4, std::u16string& cnir, float& zicipn);

 private:
  // Association of a long code over the user entries whose codes continue it (steps after the
  // exact search).
  void associate(const std::u16string& code, std::u16string& cnir, std::int32_t& k12);
  // The earlier-text word of the code: its start in cnuhwf (1-based) into loopCounter, and the
  // word itself when 上文动态造词 is ticked and the code occurs.
  bool earlierTextWord(const std::u16string& code, std::u16string& word);

  std::u16string_view userCode(std::int32_t i) const;
  std::u16string_view userLine(std::int32_t i) const;
  std::u16string_view userPrefix(std::int32_t i, std::size_t m) const;

  LexiconState& lex_;
  LookupCells& cells_;
  const Settings& settings_;
  const CompositionState& comp_;
  const PassState& pass_;
  WindowState& win_;
  const RaceState& race_;
};

}  // namespace yz
