#include "lexicon/image_loader.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <fstream>
#include <memory>

#include "lexicon/files.h"
#include "platform/platform.h"

namespace yz {
namespace {

static_assert(std::endian::native == std::endian::little,
              "image texts are used in place as UTF-16LE");

constexpr std::size_t kHeaderBytes = 4;
// Smallest record: two empty strings, each a length and a terminator.
constexpr std::size_t kMinRecordBytes = 2 * (4 + 2);
constexpr char kSealMagic[4] = {'V', 'X', 'I', 'M'};
// Version 3 images carry an index of their records and the top of their search tree (version 2
// the index alone).
constexpr std::int32_t kSealVersion = 3;

std::int32_t readInt32(const unsigned char* p) {
  std::int32_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

std::uint64_t readUint64(const unsigned char* p) {
  std::uint64_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// --- the checksum: xxHash64's rounds, four lanes over 32-byte stripes ---

constexpr std::uint64_t kPrime1 = 0x9E3779B185EBCA87ull;
constexpr std::uint64_t kPrime2 = 0xC2B2AE3D27D4EB4Full;
constexpr std::uint64_t kPrime3 = 0x165667B19E3779F9ull;
constexpr std::uint64_t kPrime4 = 0x85EBCA77C2B2AE63ull;
constexpr std::uint64_t kPrime5 = 0x27D4EB2F165667C5ull;

std::uint64_t mixRound(std::uint64_t acc, std::uint64_t input) {
  return std::rotl(acc + input * kPrime2, 31) * kPrime1;
}

std::uint64_t mergeRound(std::uint64_t acc, std::uint64_t lane) {
  return (acc ^ mixRound(0, lane)) * kPrime1 + kPrime4;
}

// Bytes between two calls of the walk's `done(offset)`: the bytes before it are not read again.
constexpr std::size_t kProgressStep = std::size_t{1} << 20;

// The checksum taken as far as the bytes are wanted: four lanes over 32-byte stripes, then the
// rest and the final mix.
class StreamingChecksum {
 public:
  StreamingChecksum(const unsigned char* data, std::size_t n) : begin_(data), p_(data), end_(data + n), n_(n) {}

  // Takes in the whole stripes before `offset`.
  void advanceTo(std::size_t offset) {
    if (n_ < 32) return;
    const unsigned char* const target = begin_ + std::min(offset, n_);
    for (; end_ - p_ >= 32 && target - p_ >= 32; p_ += 32) {
      v1_ = mixRound(v1_, readUint64(p_));
      v2_ = mixRound(v2_, readUint64(p_ + 8));
      v3_ = mixRound(v3_, readUint64(p_ + 16));
      v4_ = mixRound(v4_, readUint64(p_ + 24));
    }
  }
  std::size_t position() const { return static_cast<std::size_t>(p_ - begin_); }

  std::uint64_t finish() {
    advanceTo(n_);
    std::uint64_t h;
    if (n_ >= 32) {
      h = std::rotl(v1_, 1) + std::rotl(v2_, 7) + std::rotl(v3_, 12) + std::rotl(v4_, 18);
      h = mergeRound(mergeRound(mergeRound(mergeRound(h, v1_), v2_), v3_), v4_);
    } else {
      h = kPrime5;
    }
    h += n_;
    const unsigned char* p = p_;
    for (; end_ - p >= 8; p += 8) h = std::rotl(h ^ mixRound(0, readUint64(p)), 27) * kPrime1 + kPrime4;
    if (end_ - p >= 4) {
      std::uint32_t w;
      std::memcpy(&w, p, 4);
      h = std::rotl(h ^ (std::uint64_t{w} * kPrime1), 23) * kPrime2 + kPrime3;
      p += 4;
    }
    for (; p < end_; ++p) h = std::rotl(h ^ (*p * kPrime5), 11) * kPrime1;
    h ^= h >> 33;
    h *= kPrime2;
    h ^= h >> 29;
    h *= kPrime3;
    h ^= h >> 32;
    return h;
  }

 private:
  const unsigned char* const begin_;
  const unsigned char* p_;
  const unsigned char* const end_;
  const std::size_t n_;
  std::uint64_t v1_ = kPrime1 + kPrime2, v2_ = kPrime2, v3_ = 0, v4_ = 0 - kPrime1;
};

std::uint64_t checksum(const unsigned char* p, std::size_t n) { return StreamingChecksum(p, n).finish(); }

// The seal at the end of an image, read without the checksum test.
struct Seal {
  bool marked = false;   // the seal's mark is there, whatever its version
  bool present = false;  // a seal of this version
  bool older = false;    // the seal of an earlier version, whose images had no index
  LexiconSourceStamp source;
};

Seal readSeal(const unsigned char* seal) {
  Seal s;
  if (std::memcmp(seal, kSealMagic, 4) != 0) return s;
  s.marked = true;
  const std::int32_t version = readInt32(seal + 4);
  s.older = version >= 1 && version < kSealVersion;
  if (version != kSealVersion) return s;
  s.present = true;
  s.source.size = readUint64(seal + 8);
  s.source.modified = static_cast<std::int64_t>(readUint64(seal + 16));
  return s;
}

struct TextSpan {
  std::size_t offset = 0;  // byte offset of the text
  std::size_t bytes = 0;
};

std::uint16_t readUnit(const unsigned char* p) {
  std::uint16_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// Compares two UTF-16LE texts in the buffer in the comparison order, a code unit at a time.
int compareUnits(const unsigned char* data, TextSpan a, TextSpan b) {
  const unsigned char* pa = data + a.offset;
  const unsigned char* pb = data + b.offset;
  const std::size_t n = std::min(a.bytes, b.bytes);
  for (std::size_t i = 0; i < n; i += 2) {
    const std::uint16_t ua = readUnit(pa + i);
    const std::uint16_t ub = readUnit(pb + i);
    if (ua != ub) return ua < ub ? -1 : 1;
  }
  return a.bytes == b.bytes ? 0 : (a.bytes < b.bytes ? -1 : 1);
}

// The record the search compares at each node of the top of its tree over `count` records, by
// node (0 where the tree has no such node), as far as the last node it has.
std::vector<std::uint32_t> searchTreeRecords(std::size_t count) {
  std::vector<std::uint32_t> records(kSearchTopNodes, 0);
  std::vector<std::pair<std::size_t, std::size_t>> range(kSearchTopNodes);  // (lower, upper); lower 0: no node
  if (count > 0) range[1] = {1, count};
  std::size_t nodes = 1;
  for (std::size_t n = 1; n < kSearchTopNodes; ++n) {
    const auto [lower, upper] = range[n];
    if (lower == 0 || upper - lower <= 1) continue;
    const std::size_t mid = lower + (upper - lower) / 2;
    records[n] = static_cast<std::uint32_t>(mid);
    nodes = n + 1;
    if (2 * n < kSearchTopNodes) range[2 * n] = {lower, mid};
    if (2 * n + 1 < kSearchTopNodes) range[2 * n + 1] = {mid, upper};
  }
  records.resize(nodes);
  return records;
}

// Checks the search top of an image against its records as the walk passes them: it holds the
// nodes the tree of its record count has, each with its record and that record's code, the texts
// one after another and nothing more. Nothing is read before `prepare`, the check's first step.
class SearchTopCheck {
 public:
  SearchTopCheck(const unsigned char* data, std::size_t count, const SearchTop& top)
      : data_(data), count_(count), top_(top) {}
  // Reads the node table and notes the code each record passed must match.
  void prepare() {
    if (prepared_) return;
    prepared_ = true;
    const SearchTop& top = top_;
    const unsigned char* data = data_;
    const std::vector<std::uint32_t> records = searchTreeRecords(count_);
    if (top.nodes != records.size()) {
      error_ = "search top: " + std::to_string(top.nodes) + " nodes where the tree has " + std::to_string(records.size());
      return;
    }
    const std::size_t texts = kSearchNodeBytes * (top.nodes - 1);
    std::size_t textAt = 0;
    for (std::size_t n = 1; n < top.nodes; ++n) {
      const unsigned char* entry = data + top.at + kSearchNodeBytes * (n - 1);
      const auto k = static_cast<std::uint32_t>(readInt32(entry));
      const auto at = static_cast<std::uint32_t>(readInt32(entry + 4));
      const auto bytes = static_cast<std::uint32_t>(readInt32(entry + 8));
      if (k != records[n] || (k == 0 && (at != 0 || bytes != 0)) || (k != 0 && at != textAt) || bytes % 2 != 0 ||
          bytes > top.bytes) {
        error_ = "search top: node " + std::to_string(n) + " is not the tree's";
        return;
      }
      if (k != 0) pending_.push_back({k, {top.at + texts + at, bytes}});
      textAt += bytes;
    }
    if (top.bytes != texts + textAt + kSearchTopTrailerBytes) {
      error_ = "search top: its size does not match its texts";
      return;
    }
    std::sort(pending_.begin(), pending_.end(), [](const Node& a, const Node& b) { return a.record < b.record; });
  }
  const std::string& error() const { return error_; }
  // Record k's code, as the walk passes it: false when a node of the record holds another code.
  bool record(std::size_t k, TextSpan code) {
    for (; next_ < pending_.size() && pending_[next_].record == k; ++next_) {
      const TextSpan kept = pending_[next_].code;
      if (kept.bytes != code.bytes || std::memcmp(data_ + kept.offset, data_ + code.offset, code.bytes) != 0) {
        error_ = "search top: the code of record " + std::to_string(k) + " differs";
        return false;
      }
    }
    return true;
  }

 private:
  struct Node {
    std::size_t record = 0;
    TextSpan code;  // the code kept for it in the search top
  };
  const unsigned char* data_;
  std::size_t count_;  // the image's records
  SearchTop top_;
  bool prepared_ = false;
  std::vector<Node> pending_;  // by record, those the walk has not passed yet
  std::size_t next_ = 0;
  std::string error_;
};

// Walks the count and the records that fill `size` bytes exactly, a stretch at a time, checking
// every length, terminator and the code order, and, where the image has an index, that each
// record starts where its index entry says. An image without a seal may carry bytes after its
// last record, left there by a longer image it was written over: with `starts`, the walk ends at
// the last record and notes where each record starts.
class RecordWalk {
 public:
  RecordWalk(const unsigned char* data, std::size_t size, const unsigned char* index = nullptr,
             std::vector<std::uint32_t>* starts = nullptr, SearchTopCheck* searchTop = nullptr)
      : data_(data), size_(size), index_(index), starts_(starts), searchTop_(searchTop) {
    if (size < kHeaderBytes) {
      fail("image shorter than its record count");
      return;
    }
    count_ = readInt32(data);
    if (count_ < 1) {
      fail("record count " + std::to_string(count_) + " below 1");
    } else if (static_cast<std::uint64_t>(count_) > (size - kHeaderBytes) / kMinRecordBytes) {
      fail("record count " + std::to_string(count_) + " larger than the image holds");
    }
  }

  bool finished() const { return finished_; }
  // Where the walk has got to, and the bytes before it that are not read again.
  std::size_t walked() const { return p_; }
  std::size_t position() const { return previousCode_.offset; }
  // Walks on until the records past `until` bytes are walked, or to the end.
  void walkTo(std::size_t until) {
    while (!finished_ && p_ < until) {
      if (k_ > count_) {
        if (p_ != size_ && starts_ == nullptr) fail(std::to_string(size_ - p_) + " bytes between the last record and the seal");
        else finish();
        return;
      }
      if (index_ != nullptr && static_cast<std::uint32_t>(readInt32(index_ + 4 * (k_ - 1))) != p_) {
        fail("record " + std::to_string(k_) + ": index entry does not match");
        return;
      }
      if (starts_ != nullptr) starts_->push_back(static_cast<std::uint32_t>(p_));
      TextSpan code, list;
      if (!readText("code", code) || !readText("list", list)) return;
      // The table is binary-searched in the stored order.
      if (k_ > 1 && compareUnits(data_, previousCode_, code) > 0) {
        fail("record " + std::to_string(k_) + ": code out of order");
        return;
      }
      if (searchTop_ != nullptr && !searchTop_->record(static_cast<std::size_t>(k_), code)) {
        fail(searchTop_->error());
        return;
      }
      previousCode_ = code;
      ++k_;
    }
    if (!finished_ && k_ > count_) walkTo(size_ + 1);
  }
  const LexiconImageResult& result() const { return result_; }

 private:
  void fail(std::string why) {
    result_ = LexiconImageResult{};
    result_.error = std::move(why);
    finished_ = true;
  }
  void finish() {
    result_.ok = true;
    result_.lexiconImageCount = count_;
    finished_ = true;
  }
  bool readText(const char* what, TextSpan& span) {
    if (size_ - p_ < 4) {
      fail("record " + std::to_string(k_) + ": " + what + " length past the end");
      return false;
    }
    const std::int32_t b = readInt32(data_ + p_);
    if (b < 0 || b % 2 != 0 || static_cast<std::uint64_t>(b) + 2 > size_ - p_ - 4) {
      fail("record " + std::to_string(k_) + ": bad " + what + " length " + std::to_string(b));
      return false;
    }
    span = {p_ + 4, static_cast<std::size_t>(b)};
    if (data_[span.offset + span.bytes] != 0 || data_[span.offset + span.bytes + 1] != 0) {
      fail("record " + std::to_string(k_) + ": " + what + " not terminated");
      return false;
    }
    p_ = span.offset + span.bytes + 2;
    return true;
  }

  const unsigned char* data_;
  std::size_t size_;
  const unsigned char* index_;
  std::vector<std::uint32_t>* starts_;
  SearchTopCheck* searchTop_;  // checks the search top as the records pass, where there is one
  std::int32_t count_ = 0;
  std::int32_t k_ = 1;
  std::size_t p_ = kHeaderBytes;
  TextSpan previousCode_;
  bool finished_ = false;
  LexiconImageResult result_;
};

// Where an image's parts lie, from what a start checks: its seal, its count, and that the
// records and the index fit the bytes.
struct ImageLayout {
  LexiconImageResult result;  // ok when the image is safe to read through its index
  std::size_t recordsEnd = 0;
  std::size_t count = 0;
  std::size_t searchTopAt = 0;     // where the search top starts, after the index
  std::size_t searchTopBytes = 0;  // its size; 0 for an image without one
  std::size_t searchNodes = 0;     // its node count plus one
  bool unsealed = false;  // no seal at all: the records alone are the image
};

ImageLayout layoutOf(const unsigned char* data, std::size_t size) {
  ImageLayout layout;
  LexiconImageResult& result = layout.result;
  const Seal seal = size >= kHeaderBytes + kLexiconImageSealBytes
                        ? readSeal(data + size - kLexiconImageSealBytes)
                        : Seal{};
  if (!seal.present) {
    // An earlier seal is one before the index: outdated rather than damaged. Without any seal the
    // records stand alone, read by `readUnsealed`.
    layout.unsealed = !seal.marked;
    result.stale = seal.older;
    result.error = seal.older ? "image made by an older version" : "no seal after the records";
    return layout;
  }
  result.source = seal.source;
  // The search top, read from its end: its node count and byte size, then the node table in it.
  std::size_t room = size - kHeaderBytes - kLexiconImageSealBytes;
  if (room < kSearchTopTrailerBytes) {
    result.error = "search top out of bounds";
    return layout;
  }
  const unsigned char* trailer = data + size - kLexiconImageSealBytes - kSearchTopTrailerBytes;
  const auto nodes = static_cast<std::uint32_t>(readInt32(trailer));
  const auto topBytes = static_cast<std::uint32_t>(readInt32(trailer + 4));
  if (nodes < 1 || nodes > kSearchTopNodes || topBytes > room || topBytes % 2 != 0 ||
      topBytes < kSearchTopTrailerBytes + kSearchNodeBytes * (nodes - 1)) {
    result.error = "search top out of bounds";
    return layout;
  }
  room -= topBytes;
  layout.searchTopAt = size - kLexiconImageSealBytes - topBytes;
  layout.searchTopBytes = topBytes;
  layout.searchNodes = nodes;
  const std::int32_t count = readInt32(data);
  if (count < 1 || static_cast<std::uint64_t>(count) > room / (kMinRecordBytes + 4)) {
    result.error = "record count " + std::to_string(count) + " does not fit the image";
    return layout;
  }
  layout.count = static_cast<std::size_t>(count);
  layout.recordsEnd = layout.searchTopAt - 4 * layout.count;
  const unsigned char* index = data + layout.recordsEnd;
  const auto first = static_cast<std::uint32_t>(readInt32(index));
  const auto last = static_cast<std::uint32_t>(readInt32(index + 4 * (layout.count - 1)));
  if (first != kHeaderBytes || last < first || last > layout.recordsEnd - kMinRecordBytes) {
    result.error = "index out of bounds";
    return layout;
  }
  result.ok = true;
  result.lexiconImageCount = count;
  return layout;
}

SearchTop searchTopOf(const ImageLayout& layout) {
  return {layout.searchTopAt, layout.searchTopBytes, layout.searchNodes};
}

// The full check of a sealed image, done a stretch at a time: the walk goes ahead, the checksum
// follows it over what the walk has passed, and what both have passed is done with. A record the
// walk refuses ends the check; a sound walk still needs the checksum.
class FullCheck {
 public:
  FullCheck(const unsigned char* data, std::size_t size, std::size_t recordsEnd, std::size_t count,
            const SearchTop& top, const LexiconSourceStamp& source)
      : data_(data), size_(size), searchTop_(std::make_unique<SearchTopCheck>(data, count, top)),
        walk_(data, recordsEnd, data + recordsEnd, nullptr, searchTop_.get()), sum_(data, size - 8),
        source_(source) {}

  // Checks about `bytes` more bytes; `done(from, to)` is told of each stretch finished with.
  // True once the check has finished.
  template <typename Done>
  bool step(std::size_t bytes, Done done) {
    if (finished_) return true;
    searchTop_->prepare();
    if (!searchTop_->error().empty()) {
      result_.error = searchTop_->error();
      release(size_, done);
      finished_ = true;
      return true;
    }
    walk_.walkTo(walk_.walked() + bytes);
    const std::size_t hashTo = walk_.finished() ? size_ : walk_.position();
    // The checksum takes whole stripes of 32 bytes.
    sum_.advanceTo(std::min(hashTo, sum_.position() + std::max<std::size_t>(bytes, 64)));
    release(sum_.position(), done);
    const bool walkFailed = walk_.finished() && !walk_.result().ok;
    if (!walkFailed && (!walk_.finished() || sum_.position() + 32 <= size_ - 8)) return false;
    const bool sound = !walkFailed && sum_.finish() == readUint64(data_ + size_ - 8);
    release(size_, done);
    result_ = walk_.result();
    if (sound) {
      result_.source = source_;
    } else if (!walkFailed) {
      result_ = LexiconImageResult{};
      result_.error = "checksum does not match: the image was altered";
    }
    finished_ = true;
    return true;
  }
  const LexiconImageResult& result() const { return result_; }

 private:
  template <typename Done>
  void release(std::size_t to, Done done) {
    if (to <= from_) return;
    done(from_, to);
    from_ = to;
  }

  const unsigned char* data_;
  std::size_t size_;
  std::unique_ptr<SearchTopCheck> searchTop_;  // where the walk has it (it stays put when the check moves)
  RecordWalk walk_;
  StreamingChecksum sum_;
  LexiconSourceStamp source_;
  std::size_t from_ = 0;
  bool finished_ = false;
  LexiconImageResult result_;
};

// Replaces `table` with one that reads its entries through the index of the image in `buffer`
// (`layout` being its checked layout), which keeps the bytes alive.
void readThroughIndex(std::shared_ptr<const TextBuffer> buffer, const unsigned char* data,
                      const ImageLayout& layout, LexiconTable& table);

// An image without a seal: the count and the records after it, walked whole, every length,
// terminator and the code order checked; the bytes after the last record are never read. When
// sound and `table` is given, the table reads a copy of the records with an index of their own
// behind them.
LexiconImageResult readUnsealed(const unsigned char* data, std::size_t size, LexiconTable* table) {
  std::vector<std::uint32_t> starts;
  RecordWalk walk(data, size, nullptr, &starts);
  walk.walkTo(size + 1);
  LexiconImageResult result = walk.result();
  if (!result.ok) {
    result.error = "no seal, and " + result.error;
    return result;
  }
  result.unsealed = true;
  if (table == nullptr) return result;
  const std::size_t recordsEnd = walk.walked();
  const std::size_t bytes = recordsEnd + 4 * starts.size();
  auto buffer = std::make_shared<TextBuffer>((bytes + 1) / 2);
  auto* copy = reinterpret_cast<unsigned char*>(buffer->data());
  std::memcpy(copy, data, recordsEnd);
  std::memcpy(copy + recordsEnd, starts.data(), 4 * starts.size());
  ImageLayout layout;
  layout.recordsEnd = recordsEnd;
  layout.count = starts.size();
  readThroughIndex(std::move(buffer), copy, layout, *table);
  return result;
}

// Checks an image whole: its seal, every record and its index entry, and the checksum.
LexiconImageResult checkWhole(const unsigned char* data, std::size_t size) {
  const ImageLayout layout = layoutOf(data, size);
  if (layout.unsealed) return readUnsealed(data, size, nullptr);
  if (!layout.result.ok) return layout.result;
  FullCheck check(data, size, layout.recordsEnd, layout.count, searchTopOf(layout), layout.result.source);
  while (!check.step(kProgressStep, [](std::size_t, std::size_t) {})) {
  }
  return check.result();
}

void readThroughIndex(std::shared_ptr<const TextBuffer> buffer, const unsigned char* data,
                      const ImageLayout& layout, LexiconTable& table) {
  auto records = std::make_shared<const ImageRecords>(buffer, data, layout.recordsEnd, layout.count,
                                                      searchTopOf(layout));
  LexiconTable fresh;
  fresh.reset();
  fresh.codes.readThrough(records, 0);
  fresh.lines.readThrough(records, 1);
  fresh.buffer = std::move(buffer);
  fresh.last = static_cast<std::int32_t>(layout.count);
  table = std::move(fresh);
}

// Checks the image in `buffer` (its first `byteSize` bytes) whole and, when it is sound, replaces
// `table` with one that reads through it.
LexiconImageResult buildFromBuffer(std::shared_ptr<const TextBuffer> buffer, std::size_t byteSize,
                                   LexiconTable& table) {
  const auto* data = reinterpret_cast<const unsigned char*>(buffer->data());
  if (layoutOf(data, byteSize).unsealed) return readUnsealed(data, byteSize, &table);
  LexiconImageResult result = checkWhole(data, byteSize);
  if (result.ok) readThroughIndex(std::move(buffer), data, layoutOf(data, byteSize), table);
  return result;
}

}  // namespace

struct LexiconImageCheck::State {
  std::shared_ptr<const FileBytes> image;
  FullCheck check;
};

LexiconImageCheck::LexiconImageCheck(std::shared_ptr<const FileBytes> image, std::size_t recordsEnd,
                                     std::size_t count, const SearchTop& top, const LexiconSourceStamp& source) {
  const auto* data = reinterpret_cast<const unsigned char*>(image->data());
  const std::size_t size = image->size();
  state_ = std::make_unique<State>(State{std::move(image), FullCheck(data, size, recordsEnd, count, top, source)});
}

LexiconImageCheck::~LexiconImageCheck() = default;

bool LexiconImageCheck::step(std::size_t bytes) {
  const FileBytes* image = state_->image.get();
  return state_->check.step(bytes, [image](std::size_t from, std::size_t to) { image->release(from, to); });
}

const LexiconImageResult& LexiconImageCheck::result() const { return state_->check.result(); }

std::uint64_t lexiconImageChecksum(std::span<const std::byte> bytes) {
  return checksum(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

void resealLexiconImage(std::string& image) {
  if (image.size() < kLexiconImageSealBytes) return;
  const std::uint64_t sum =
      checksum(reinterpret_cast<const unsigned char*>(image.data()), image.size() - 8);
  std::memcpy(image.data() + image.size() - 8, &sum, 8);
}

void sealLexiconImage(std::string& image, const LexiconSourceStamp& source) {
  // The index: where each record starts, as far as the records can be walked.
  const std::size_t recordsEnd = image.size();
  const std::int32_t count = recordsEnd >= kHeaderBytes
                                 ? readInt32(reinterpret_cast<const unsigned char*>(image.data()))
                                 : 0;
  std::string index;
  std::vector<TextSpan> codes(1);  // each record's code, where it lies inside the records
  std::size_t p = kHeaderBytes;
  for (std::int32_t k = 1; k <= count && p <= recordsEnd; ++k) {
    const auto at = static_cast<std::uint32_t>(p);
    index.append(reinterpret_cast<const char*>(&at), 4);
    for (int part = 0; part < 2 && p + 4 <= recordsEnd; ++part) {
      const auto bytes = static_cast<std::uint32_t>(readInt32(reinterpret_cast<const unsigned char*>(image.data()) + p));
      if (part == 0) codes.push_back({p + 4, bytes});
      p += 4 + std::size_t{bytes} + 2;
    }
    if (p > recordsEnd) p = recordsEnd + 1;
  }
  image += index;
  // The search top: each node's record and code, as far as the records can be read.
  const std::vector<std::uint32_t> nodes = searchTreeRecords(count > 0 ? static_cast<std::size_t>(count) : 0);
  std::string table, texts;
  auto putWord = [](std::string& out, std::size_t v) {
    const auto w = static_cast<std::uint32_t>(v);
    out.append(reinterpret_cast<const char*>(&w), 4);
  };
  for (std::size_t n = 1; n < nodes.size(); ++n) {
    const std::uint32_t k = nodes[n];
    const bool readable = k != 0 && k < codes.size() && codes[k].bytes % 2 == 0 && codes[k].offset <= recordsEnd &&
                          codes[k].bytes <= recordsEnd - codes[k].offset;
    putWord(table, readable ? k : 0);
    putWord(table, readable ? texts.size() : 0);
    putWord(table, readable ? codes[k].bytes : 0);
    if (readable) texts.append(image, codes[k].offset, codes[k].bytes);
  }
  image += table;
  image += texts;
  putWord(image, nodes.size());
  putWord(image, table.size() + texts.size() + kSearchTopTrailerBytes);
  const std::size_t at = image.size();
  image.resize(at + kLexiconImageSealBytes);
  char* seal = image.data() + at;
  std::memcpy(seal, kSealMagic, 4);
  std::memcpy(seal + 4, &kSealVersion, 4);
  std::memcpy(seal + 8, &source.size, 8);
  std::memcpy(seal + 16, &source.modified, 8);
  resealLexiconImage(image);
}

std::size_t lexiconImageRecordsEnd(std::span<const std::byte> bytes) {
  const ImageLayout layout = layoutOf(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  return layout.result.ok ? layout.recordsEnd : 0;
}

LexiconImageResult checkLexiconImage(std::span<const std::byte> bytes) {
  return checkWhole(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

LexiconImageResult readLexiconImage(std::span<const std::byte> bytes, LexiconTable& table) {
  auto buffer = std::make_shared<TextBuffer>((bytes.size() + 1) / 2);
  if (!bytes.empty()) std::memcpy(buffer->data(), bytes.data(), bytes.size());
  return buildFromBuffer(std::move(buffer), bytes.size(), table);
}

LexiconImageResult openLexiconImage(std::span<const std::byte> bytes, LexiconTable& table) {
  auto buffer = std::make_shared<TextBuffer>((bytes.size() + 1) / 2);
  if (!bytes.empty()) std::memcpy(buffer->data(), bytes.data(), bytes.size());
  const auto* data = reinterpret_cast<const unsigned char*>(buffer->data());
  const ImageLayout layout = layoutOf(data, bytes.size());
  if (layout.unsealed) return readUnsealed(data, bytes.size(), &table);
  if (layout.result.ok) readThroughIndex(std::move(buffer), data, layout, table);
  return layout.result;
}

namespace {

// The seal read before the image (`sealBytes` null for an image too short to hold one): an image
// that a newer text lexicon has outdated is not read. Without a seal, an image older than the text
// lexicon beside it counts as outdated.
bool outdated(const ProgramFolder& files, const unsigned char* sealBytes, LexiconImageResult& result) {
  const Seal s = sealBytes != nullptr ? readSeal(sealBytes) : Seal{};
  const std::optional<LexiconSourceStamp> text = files.stamp(kMainLexiconPath);
  if (!text || (s.marked && !s.present)) return false;
  if (!s.present) {
    const std::optional<LexiconSourceStamp> image = files.stamp(kLexiconImagePath);
    if (!image || image->modified >= text->modified) return false;
    result.stale = true;
    result.error = "image without a seal, older than the text lexicon";
    return true;
  }
  if (*text == s.source) return false;
  result.stale = true;
  result.source = s.source;
  result.error = "image made from another text lexicon";
  return true;
}

}  // namespace

LexiconImageResult duqudaciku(const ProgramFolder& files, LexiconTable& mainLexicon) {
  LexiconImageResult result;
  std::error_code ec;
  const std::filesystem::path file = files.path(kLexiconImagePath);
  if (!std::filesystem::is_regular_file(file, ec)) {
    result.error = "image missing";
    return result;
  }
  std::ifstream in(file, std::ios::binary | std::ios::ate);
  if (!in) {
    result.error = "image missing";
    return result;
  }
  std::streamoff size = in.tellg();
  if (size < 0 || static_cast<std::uint64_t>(size) > kLexiconImageLimit) {
    result.error = "image size out of range";
    return result;
  }
  auto bytes = static_cast<std::size_t>(size);
  if (bytes >= kHeaderBytes + kLexiconImageSealBytes) {
    unsigned char seal[kLexiconImageSealBytes];
    in.seekg(size - static_cast<std::streamoff>(kLexiconImageSealBytes));
    if (in.read(reinterpret_cast<char*>(seal), sizeof seal) && outdated(files, seal, result)) {
      return result;
    }
    in.clear();
  } else if (outdated(files, nullptr, result)) {
    return result;
  }
  // Not zero-filled: the read fills every byte the walk looks at (an odd last byte is never read).
  auto buffer = std::make_shared<TextBuffer>((bytes + 1) / 2);
  in.seekg(0);
  if (!in.read(reinterpret_cast<char*>(buffer->data()), static_cast<std::streamsize>(bytes))) {
    result.error = "image unreadable";
    return result;
  }
  return buildFromBuffer(std::move(buffer), bytes, mainLexicon);
}

LexiconImageResult duqudaciku(const ProgramFolder& files, const Platform& platform,
                              LexiconTable& mainLexicon, std::unique_ptr<LexiconImageCheck>* check) {
  LexiconImageResult result;
  std::shared_ptr<const FileBytes> image = platform.mapFile(files.path(kLexiconImagePath), kLexiconImageLimit);
  if (!image) {
    result.error = "image missing, unreadable or too large";
    return result;
  }
  const auto* data = reinterpret_cast<const unsigned char*>(image->data());
  const std::size_t bytes = image->size();
  if (outdated(files, bytes >= kHeaderBytes + kLexiconImageSealBytes ? data + bytes - kLexiconImageSealBytes : nullptr,
               result)) {
    return result;
  }
  // Texts are read as UTF-16 where they lie: a mapping starts on a page, a read buffer on the
  // allocator's alignment.
  if (reinterpret_cast<std::uintptr_t>(data) % alignof(char16_t) != 0) {
    return readLexiconImage(std::span<const std::byte>(image->data(), bytes), mainLexicon);
  }
  const ImageLayout layout = layoutOf(data, bytes);
  if (layout.unsealed) return readUnsealed(data, bytes, &mainLexicon);
  if (!layout.result.ok) return layout.result;
  if (check == nullptr) {
    FullCheck whole(data, bytes, layout.recordsEnd, layout.count, searchTopOf(layout), layout.result.source);
    while (!whole.step(kProgressStep, [&image](std::size_t from, std::size_t to) { image->release(from, to); })) {
    }
    if (!whole.result().ok) return whole.result();
  } else {
    *check = std::make_unique<LexiconImageCheck>(image, layout.recordsEnd, layout.count, searchTopOf(layout),
                                                 layout.result.source);
  }
  const auto* units = reinterpret_cast<const char16_t*>(data);
  auto buffer = std::make_shared<const TextBuffer>(std::move(image), units, bytes / 2);
  readThroughIndex(std::move(buffer), data, layout, mainLexicon);
  return layout.result;
}

void holdLexiconImageInMemory(LexiconTable& table) {
  if (!table.buffer || table.buffer->owned()) return;
  const TextBuffer& mapped = *table.buffer;
  auto copy = std::make_shared<TextBuffer>(mapped.size());
  std::copy(mapped.data(), mapped.data() + mapped.size(), copy->data());
  const auto* from = reinterpret_cast<const unsigned char*>(mapped.data());
  const auto* to = reinterpret_cast<const unsigned char*>(copy->data());
  std::shared_ptr<const ImageRecords> records;
  if (const std::shared_ptr<const ImageRecords>& old = table.codes.records()) {
    auto moved = std::make_shared<ImageRecords>(copy, to + (old->data() - from), old->recordsEnd(), old->count(),
                                                old->searchTop());
    if (old->damaged()) moved->markDamaged();
    records = std::move(moved);
  }
  table.codes.moveTo(records, to - from);
  table.lines.moveTo(records, to - from);
  table.buffer = std::move(copy);
}

void releaseLexiconImagePages(const LexiconTable& table) {
  if (!table.buffer || !table.buffer->file()) return;
  const FileBytes& file = *table.buffer->file();
  file.release(0, file.size());
}

std::string encodeLexiconImage(const LexiconTable& table, const LexiconSourceStamp& source) {
  std::string out;
  auto putInt32 = [&out](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  };
  auto putText = [&](std::u16string_view text) {
    putInt32(static_cast<std::uint32_t>(2 * text.size()));
    for (char16_t c : text) {
      out.push_back(static_cast<char>(c & 0xFF));
      out.push_back(static_cast<char>(c >> 8));
    }
    out.append(2, '\0');
  };
  putInt32(static_cast<std::uint32_t>(table.last));
  for (std::int32_t k = 1; k <= table.last; ++k) {
    putText(table.codes[static_cast<std::size_t>(k)]);
    putText(table.lines[static_cast<std::size_t>(k)]);
  }
  sealLexiconImage(out, source);
  return out;
}

namespace {

// The first weight of a candidate list "word weight ..." begins with a digit.
bool firstWeightBeginsWithDigit(std::u16string_view list) {
  std::size_t space = list.find(u' ');
  if (space == std::u16string_view::npos || space + 1 >= list.size()) return false;
  char16_t c = list[space + 1];
  return c >= u'0' && c <= u'9';
}

}  // namespace

TextLexiconResult parseLexiconText(std::u16string_view text, LexiconTable& table) {
  TextLexiconResult result;
  result.ok = true;
  auto buffer = std::make_shared<const TextBuffer>(text);
  const std::u16string_view own = buffer->view();
  LexiconTable fresh;
  fresh.reset();
  std::vector<std::u16string_view> lines = splitLines(own);
  fresh.codes.reserve(lines.size() + 1);
  fresh.lines.reserve(lines.size() + 1);
  std::int32_t lineNo = 0;
  for (std::u16string_view line : lines) {
    ++lineNo;
    std::size_t comma = line.find(u',');
    std::u16string_view list = comma == std::u16string_view::npos ? std::u16string_view{}
                                                                    : line.substr(comma + 1);
    if (!firstWeightBeginsWithDigit(list)) {
      result.badLines.push_back(lineNo);
      continue;
    }
    fresh.codes.pushView(line.substr(0, comma));
    fresh.lines.pushView(list);
  }
  fresh.last = static_cast<std::int32_t>(fresh.codes.size() - 1);
  fresh.buffer = std::move(buffer);
  table = std::move(fresh);
  return result;
}

TextLexiconResult loadLexiconText(const ProgramFolder& files, const Platform& platform,
                                  std::u16string_view relative, LexiconTable& table) {
  auto bytes = files.readBytes(relative);
  if (!bytes) return {};
  return parseLexiconText(platform.fromGbk(*bytes), table);
}

namespace {

LexiconImageResult readIntoScratch(const ProgramFolder& files) {
  LexiconTable scratch;
  return duqudaciku(files, scratch);
}

}  // namespace

LexiconImageResult duqudaciku1(const ProgramFolder& files) { return readIntoScratch(files); }
LexiconImageResult duqudaciku2(const ProgramFolder& files) { return readIntoScratch(files); }
LexiconImageResult duqudaciku3(const ProgramFolder& files) { return readIntoScratch(files); }

}  // namespace yz
