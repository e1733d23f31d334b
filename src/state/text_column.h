#pragma once
// A column of texts addressed by index. A slot either views text that lives in a shared buffer
// (the loaded lexicon image: no copy per entry) or owns its text (every slot written afterwards).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace yz {

class TextColumn {
 public:
  TextColumn() = default;
  TextColumn(TextColumn&&) noexcept = default;
  TextColumn& operator=(TextColumn&&) noexcept = default;

  std::size_t size() const { return views_.size(); }
  std::u16string_view operator[](std::size_t i) const { return views_[i]; }

  // Sets the slot count; new slots are empty.
  void resize(std::size_t n);
  void clear();
  void reserve(std::size_t n) { views_.reserve(n); }
  // Points a slot at text that outlives the column (a buffer held beside it).
  void setView(std::size_t i, std::u16string_view text);
  void pushView(std::u16string_view text) { views_.push_back(text); }
  // Gives a slot text of its own.
  void set(std::size_t i, std::u16string_view text);
  void push(std::u16string_view text);
  // Inserts an owned slot before index i, moving the later slots up by one.
  void insert(std::size_t i, std::u16string_view text);
  void erase(std::size_t i);

 private:
  void release(std::u16string_view view);

  std::vector<std::u16string_view> views_;
  // Owned texts, keyed by where their characters live.
  std::unordered_map<const char16_t*, std::unique_ptr<std::u16string>> owned_;
};

}  // namespace yz
