#pragma once
// A column of texts addressed by index. A slot either views text that lives in a shared buffer
// (the loaded lexicon image: no copy per entry) or owns its text (every slot written afterwards).

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace yz {

class FileBytes;

// Characters that columns view, held beside them. Either made at its final size and not
// zero-filled (whoever makes one fills all of it, a file read or a copy of a text, before any slot
// views it), or the text of a mapped file, kept alive with it.
class TextBuffer {
 public:
  explicit TextBuffer(std::size_t size)
      : owned_(std::make_unique_for_overwrite<char16_t[]>(size)), data_(owned_.get()), size_(size) {}
  explicit TextBuffer(std::u16string_view text) : TextBuffer(text.size()) {
    std::copy(text.begin(), text.end(), owned_.get());
  }
  TextBuffer(std::shared_ptr<const FileBytes> file, const char16_t* text, std::size_t size)
      : file_(std::move(file)), data_(text), size_(size) {}

  // The characters to fill; only a buffer made at its size has them.
  char16_t* data() { return owned_.get(); }
  const char16_t* data() const { return data_; }
  std::size_t size() const { return size_; }
  std::u16string_view view() const { return {data_, size_}; }
  // Whether the characters are the buffer's own (not a mapped file's).
  bool owned() const { return owned_ != nullptr; }
  // The mapped file whose text the buffer is; null for a buffer of its own.
  const std::shared_ptr<const FileBytes>& file() const { return file_; }

 private:
  std::unique_ptr<char16_t[]> owned_;  // the characters, when the buffer made them
  std::shared_ptr<const FileBytes> file_;  // the mapped file the characters lie in, kept alive
  const char16_t* data_ = nullptr;      // the characters, owned or not
  std::size_t size_ = 0;                // their count
};

// The nodes of the main lexicon's search tree that an image keeps apart, the root being node 1
// and the halves of node n nodes 2n and 2n + 1.
inline constexpr std::size_t kSearchTopNodes = 2048;
// The search top: a node's entry is its record, the offset of its code's text from the texts'
// start and the text's byte length; the section ends in its node count and its byte size.
inline constexpr std::size_t kSearchNodeBytes = 12;
inline constexpr std::size_t kSearchTopTrailerBytes = 8;

// Where the search top of an image lies, from the image's first byte: the node table, entries of
// three 32-bit words (record, text offset, text byte length) for nodes 1..nodes - 1, then the
// texts, then two words more (the node count and the section size). Empty without one.
struct SearchTop {
  std::size_t at = 0;     // the section's first byte
  std::size_t bytes = 0;  // its size, 0 when there is none
  std::size_t nodes = 0;  // its nodes plus one
};

// The records of a lexicon image, read where they lie. The bytes hold the records from offset
// 4 up to `recordsEnd`, then the index: one 32-bit offset per record, that of its code's length
// word, and, where the image has one, its search top. Each read checks the offset and the lengths
// it passes against the part it reads, so a damaged image gives an empty text and says so in
// `damaged()`, never a read outside the records or the search top.
class ImageRecords {
 public:
  ImageRecords(std::shared_ptr<const void> holder, const unsigned char* data, std::size_t recordsEnd,
               std::size_t count, SearchTop top = {})
      : holder_(std::move(holder)), data_(data), index_(data + recordsEnd), end_(recordsEnd), count_(count),
        top_(top) {}

  std::size_t count() const { return count_; }
  const unsigned char* data() const { return data_; }
  std::size_t recordsEnd() const { return end_; }
  // The bytes the records and the index take.
  std::size_t bytes() const { return end_ + 4 * count_; }
  // Record k's (1..count) code (part 0) or candidate list (part 1).
  std::u16string_view text(std::size_t k, int part) const {
    if (k == 0 || k > count_) return {};
    std::uint32_t at;
    std::memcpy(&at, index_ + 4 * (k - 1), 4);
    std::size_t p = at;
    for (int i = 0;; ++i) {
      // A length word, its text and the two zero bytes behind it; texts start on even offsets.
      if (p % 2 != 0 || p > end_ || end_ - p < 6) return damage();
      std::uint32_t b;
      std::memcpy(&b, data_ + p, 4);
      if (b % 2 != 0 || b > end_ - p - 6) return damage();
      if (i == part) return {reinterpret_cast<const char16_t*>(data_ + p + 4), b / 2};
      p += 4 + std::size_t{b} + 2;
    }
  }
  // The code the main lexicon's search compares at node `node` of its tree, record k: from the
  // search top where it holds that node for that record, else the record's own.
  std::u16string_view searchCode(std::size_t node, std::size_t k) const {
    if (node == 0 || node >= top_.nodes) return text(k, 0);
    const unsigned char* entry = data_ + top_.at + kSearchNodeBytes * (node - 1);
    std::uint32_t word[3];
    std::memcpy(word, entry, sizeof word);
    if (word[0] != k) return text(k, 0);
    const std::size_t texts = kSearchNodeBytes * (top_.nodes - 1);
    const std::size_t room = top_.bytes - kSearchTopTrailerBytes - texts;
    if (word[1] % 2 != 0 || word[2] % 2 != 0 || word[1] > room || word[2] > room - word[1]) return damage();
    return {reinterpret_cast<const char16_t*>(data_ + top_.at + texts + word[1]), word[2] / 2};
  }
  const SearchTop& searchTop() const { return top_; }
  bool damaged() const { return damaged_; }
  void markDamaged() const { damaged_ = true; }

 private:
  std::u16string_view damage() const {
    damaged_ = true;
    return {};
  }

  std::shared_ptr<const void> holder_;  // keeps the bytes alive
  const unsigned char* data_;   // the image's bytes
  const unsigned char* index_;  // the record index, right after the records
  std::size_t end_;             // where the records end (recordsEnd)
  std::size_t count_;           // records
  SearchTop top_;               // where the search top lies; none when empty
  mutable bool damaged_ = false;  // a read found a record outside the records' bytes
};

class TextColumn {
 public:
  TextColumn() = default;
  explicit TextColumn(std::size_t n) : slots_(n) {}  // n empty slots
  TextColumn(TextColumn&&) noexcept = default;
  TextColumn& operator=(TextColumn&&) noexcept = default;

  std::size_t size() const { return records_ ? records_->count() + 1 : slots_.size(); }
  std::u16string_view operator[](std::size_t i) const {
    if (records_ && i != 0) return records_->text(i, part_);
    const Slot s = slots_[i];
    if (s.length & kOwned) return ownedViews_[s.at];
    return {base_ + s.at, s.length};
  }

  // Reads slots 1..count from the records of an image, the codes (part 0) or the lists (part 1),
  // each when it is asked for; slot 0 stays the column's own. The first change to another slot
  // gives every slot a view of its text.
  void readThrough(std::shared_ptr<const ImageRecords> records, int part);
  const std::shared_ptr<const ImageRecords>& records() const { return records_; }
  // Points the column at a copy of the bytes its records and views read, `shift` bytes from them
  // (every view of the column lies in those bytes).
  void moveTo(std::shared_ptr<const ImageRecords> records, std::ptrdiff_t shift);

  // Sets the slot count; new slots are empty.
  void resize(std::size_t n);
  // Empties the column: no slots, no records read through.
  void clear();
  void reserve(std::size_t n) {
    viewEverySlot();
    slots_.reserve(n);
  }
  // Points a slot at text that outlives the column (a buffer held beside it). The first view
  // fixes where the column's buffer starts; a text before it or 4 Gi characters past it is kept
  // as a copy instead (no caller views more than one buffer per column).
  void setView(std::size_t i, std::u16string_view text);
  void pushView(std::u16string_view text) {
    viewEverySlot();
    slots_.push_back(viewSlot(text));
  }
  // Gives a slot text of its own.
  void set(std::size_t i, std::u16string_view text);
  void push(std::u16string_view text);
  // Inserts an owned slot before index i, moving the later slots up by one.
  void insert(std::size_t i, std::u16string_view text);
  void erase(std::size_t i);

 private:
  // A viewed text: its offset from `base_` and its length. An owned text: `kOwned` in `length`
  // and its index in `owned_` in `at`. Eight bytes, half a string_view: the main lexicon has two
  // slots per entry.
  struct Slot {
    std::uint32_t at = 0;      // offset from `base_`, or index in `owned_` for an owned text
    std::uint32_t length = 0;  // length in code units; with `kOwned` set for an owned text
  };
  static constexpr std::uint32_t kOwned = std::uint32_t{1} << 31;  // the mark of an owned slot

  Slot viewSlot(std::u16string_view text) {
    const auto at = reinterpret_cast<std::uintptr_t>(text.data());
    const auto base = reinterpret_cast<std::uintptr_t>(base_);
    if (base_ != nullptr && at >= base && (at - base) / sizeof(char16_t) < kOwned && text.size() < kOwned) {
      return {static_cast<std::uint32_t>((at - base) / sizeof(char16_t)),
              static_cast<std::uint32_t>(text.size())};
    }
    return firstOrFarView(text);
  }
  Slot firstOrFarView(std::u16string_view text);
  // Ends reading through the records: each slot views its text.
  void viewEverySlot() {
    if (records_) viewRecords();
  }
  void viewRecords();
  Slot ownedSlot(std::u16string_view text);  // stores a copy of the text
  void release(Slot& slot);                  // frees an owned slot's text

  std::vector<Slot> slots_;         // one per index
  const char16_t* base_ = nullptr;  // where the viewed buffer starts; views are offsets from it
  std::shared_ptr<const ImageRecords> records_;  // slots 1.. read through, while set
  int part_ = 0;  // which text of each record the column reads: 0 the code, 1 the list
  // Owned texts, each on the heap of its own so that views of it survive changes to other slots,
  // and a view of each, so that reading an owned slot costs one load more than a viewed one;
  // freed indexes are reused.
  std::vector<std::unique_ptr<std::u16string>> owned_;
  std::vector<std::u16string_view> ownedViews_;  // a view of each owned text
  std::vector<std::uint32_t> freeOwned_;         // owned indexes free for reuse
};

}  // namespace yz
