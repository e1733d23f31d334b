#include "state/lexicon_state.h"

#include <algorithm>
#include <cassert>
#include <limits>
#include <stdexcept>

namespace yz {

namespace {
// Texts left behind that the arena keeps without packing, however few the live ones.
constexpr std::size_t kUnpackedRoom = 4096;
}  // namespace

void CharTable::set(std::size_t i, std::u16string_view text) {
  assert(i < kCharTableSlots);
  if (slots_.empty()) {
    if (text.empty()) return;
    slots_.resize(kCharTableSlots);
  }
  Slot& slot = slots_[i];
  live_ -= slot.length;
  if (text.size() <= slot.length) {
    // Where the old text was (the text may lie anywhere in the arena: move, not copy).
    std::char_traits<char16_t>::move(arena_.data() + slot.at, text.data(), text.size());
    slot.length = static_cast<std::uint32_t>(text.size());
    live_ += text.size();
    return;
  }
  slot.length = 0;
  // A text read from this table is copied first: packing or growing the arena moves it.
  std::u16string own;
  const auto from = reinterpret_cast<std::uintptr_t>(text.data());
  const auto start = reinterpret_cast<std::uintptr_t>(arena_.data());
  if (from >= start && from < start + arena_.size() * sizeof(char16_t)) {
    own.assign(text);
    text = own;
  }
  if (arena_.size() - live_ > std::max(live_, kUnpackedRoom)) pack();
  if (arena_.size() + text.size() > std::numeric_limits<std::uint32_t>::max()) {
    throw std::length_error("CharTable: texts too long");
  }
  slot.at = static_cast<std::uint32_t>(arena_.size());
  slot.length = static_cast<std::uint32_t>(text.size());
  arena_.append(text);
  live_ += text.size();
}

void CharTable::pack() {
  std::u16string packed;
  packed.reserve(live_);
  for (Slot& s : slots_) {
    const std::uint32_t at = static_cast<std::uint32_t>(packed.size());
    packed.append(arena_, s.at, s.length);
    s.at = at;
  }
  arena_ = std::move(packed);
}

}  // namespace yz
