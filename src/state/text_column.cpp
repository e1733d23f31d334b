#include "state/text_column.h"

namespace yz {

void TextColumn::resize(std::size_t n) {
  for (std::size_t i = n; i < views_.size(); ++i) release(views_[i]);
  views_.resize(n);
}

void TextColumn::clear() {
  views_.clear();
  owned_.clear();
}

void TextColumn::release(std::u16string_view view) {
  if (!owned_.empty()) owned_.erase(view.data());
}

void TextColumn::setView(std::size_t i, std::u16string_view text) {
  release(views_[i]);
  views_[i] = text;
}

void TextColumn::set(std::size_t i, std::u16string_view text) {
  auto it = owned_.find(views_[i].data());
  if (it != owned_.end()) {
    auto node = owned_.extract(it);
    node.mapped()->assign(text);
    views_[i] = *node.mapped();
    node.key() = node.mapped()->data();
    owned_.insert(std::move(node));
    return;
  }
  auto owned = std::make_unique<std::u16string>(text);
  views_[i] = *owned;
  owned_.emplace(owned->data(), std::move(owned));
}

void TextColumn::push(std::u16string_view text) {
  views_.emplace_back();
  set(views_.size() - 1, text);
}

void TextColumn::insert(std::size_t i, std::u16string_view text) {
  views_.insert(views_.begin() + static_cast<std::ptrdiff_t>(i), std::u16string_view{});
  set(i, text);
}

void TextColumn::erase(std::size_t i) {
  release(views_[i]);
  views_.erase(views_.begin() + static_cast<std::ptrdiff_t>(i));
}

}  // namespace yz
