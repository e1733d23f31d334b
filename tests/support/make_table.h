#pragma once
// Test tables: a lexicon table whose entries 1..n own the given codes and lines, in the order given.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "state/lexicon_state.h"

namespace yz::testing_support {

inline LexiconTable makeTable(const std::vector<std::pair<std::u16string, std::u16string>>& entries) {
  LexiconTable t;
  t.reset();
  for (const auto& [code, line] : entries) {
    t.codes.push(code);
    t.lines.push(line);
  }
  t.last = static_cast<std::int32_t>(entries.size());
  return t;
}

}  // namespace yz::testing_support
