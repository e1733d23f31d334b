#include "state/text_column.h"

#include "state/lexicon_state.h"

namespace yz {

void PolyphoneTable::assignLater(std::function<std::u16string()> source) {
  text_.reset();
  lineStarts_.clear();
  source_ = std::move(source);
}

void PolyphoneTable::decodeSource() const {
  std::function<std::u16string()> source = std::move(source_);
  source_ = nullptr;
  std::u16string text = source();
  text.shrink_to_fit();
  text_ = std::make_shared<const std::u16string>(std::move(text));
  findLines();
}

void PolyphoneTable::assign(std::shared_ptr<const std::u16string> text) {
  source_ = nullptr;
  text_ = std::move(text);
  findLines();
}

void PolyphoneTable::findLines() const {
  lineStarts_.clear();
  const std::u16string_view all = *text_;
  if (!all.empty()) {
    std::size_t start = 0;
    for (;;) {
      lineStarts_.push_back(static_cast<std::uint32_t>(start));
      const std::size_t end = all.find(u"\r\n", start);
      if (end == std::u16string_view::npos) break;
      start = end + 2;
    }
  }
  lineStarts_.push_back(static_cast<std::uint32_t>(all.size() + 2));
  lineStarts_.shrink_to_fit();
}

void TextColumn::readThrough(std::shared_ptr<const ImageRecords> records, int part) {
  clear();
  slots_.resize(1);
  records_ = std::move(records);
  part_ = part;
}

void TextColumn::viewRecords() {
  const std::shared_ptr<const ImageRecords> records = std::move(records_);
  records_.reset();
  slots_.reserve(records->count() + 1);
  for (std::size_t k = 1; k <= records->count(); ++k) slots_.push_back(viewSlot(records->text(k, part_)));
}

void TextColumn::moveTo(std::shared_ptr<const ImageRecords> records, std::ptrdiff_t shift) {
  if (records_) records_ = std::move(records);
  if (base_ != nullptr) {
    base_ = reinterpret_cast<const char16_t*>(reinterpret_cast<const unsigned char*>(base_) + shift);
  }
}

void TextColumn::resize(std::size_t n) {
  viewEverySlot();
  for (std::size_t i = n; i < slots_.size(); ++i) release(slots_[i]);
  slots_.resize(n);
}

void TextColumn::clear() {
  records_.reset();
  slots_.clear();
  owned_.clear();
  ownedViews_.clear();
  freeOwned_.clear();
  base_ = nullptr;
}

TextColumn::Slot TextColumn::firstOrFarView(std::u16string_view text) {
  if (text.data() == nullptr) return {};
  if (base_ == nullptr) {
    base_ = text.data();
    return viewSlot(text);
  }
  return ownedSlot(text);
}

TextColumn::Slot TextColumn::ownedSlot(std::u16string_view text) {
  auto owned = std::make_unique<std::u16string>(text);
  if (!freeOwned_.empty()) {
    const std::uint32_t k = freeOwned_.back();
    freeOwned_.pop_back();
    ownedViews_[k] = *owned;
    owned_[k] = std::move(owned);
    return {k, kOwned};
  }
  ownedViews_.push_back(*owned);
  owned_.push_back(std::move(owned));
  return {static_cast<std::uint32_t>(owned_.size() - 1), kOwned};
}

void TextColumn::release(Slot& slot) {
  if (slot.length & kOwned) {
    owned_[slot.at].reset();
    ownedViews_[slot.at] = {};
    freeOwned_.push_back(slot.at);
  }
  slot = {};
}

void TextColumn::setView(std::size_t i, std::u16string_view text) {
  if (i != 0) viewEverySlot();
  release(slots_[i]);
  slots_[i] = viewSlot(text);
}

void TextColumn::set(std::size_t i, std::u16string_view text) {
  if (i != 0) viewEverySlot();
  Slot& slot = slots_[i];
  if (slot.length & kOwned) {
    owned_[slot.at]->assign(text);
    ownedViews_[slot.at] = *owned_[slot.at];
    return;
  }
  slot = ownedSlot(text);
}

void TextColumn::push(std::u16string_view text) {
  viewEverySlot();
  slots_.push_back(ownedSlot(text));
}

void TextColumn::insert(std::size_t i, std::u16string_view text) {
  viewEverySlot();
  slots_.insert(slots_.begin() + static_cast<std::ptrdiff_t>(i), ownedSlot(text));
}

void TextColumn::erase(std::size_t i) {
  viewEverySlot();
  release(slots_[i]);
  slots_.erase(slots_.begin() + static_cast<std::ptrdiff_t>(i));
}

}  // namespace yz
