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
constexpr std::int32_t kSealVersion = 1;

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
  bool present = false;
  LexiconSourceStamp source;
};

Seal readSeal(const unsigned char* seal) {
  Seal s;
  if (std::memcmp(seal, kSealMagic, 4) != 0 || readInt32(seal + 4) != kSealVersion) return s;
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

// Walks the count and the records that fill `size` bytes exactly, checking them, and hands each
// record to `onRecord(k, count, code, list)` as it goes; a caller that builds from the records
// discards what it built when the walk fails.
template <typename OnRecord, typename Done>
LexiconImageResult walkRecords(const unsigned char* data, std::size_t size, OnRecord onRecord, Done done) {
  LexiconImageResult result;
  auto fail = [&](std::string why) {
    result.error = std::move(why);
    return result;
  };
  if (size < kHeaderBytes) return fail("image shorter than its record count");
  std::int32_t count = readInt32(data);
  if (count < 1) return fail("record count " + std::to_string(count) + " below 1");
  if (static_cast<std::uint64_t>(count) > (size - kHeaderBytes) / kMinRecordBytes) {
    return fail("record count " + std::to_string(count) + " larger than the image holds");
  }

  std::size_t p = kHeaderBytes;
  auto readText = [&](std::int32_t record, const char* what, TextSpan& span) -> bool {
    if (size - p < 4) {
      result.error = "record " + std::to_string(record) + ": " + what + " length past the end";
      return false;
    }
    std::int32_t b = readInt32(data + p);
    if (b < 0 || b % 2 != 0 || static_cast<std::uint64_t>(b) + 2 > size - p - 4) {
      result.error = "record " + std::to_string(record) + ": bad " + what + " length " +
                     std::to_string(b);
      return false;
    }
    span = {p + 4, static_cast<std::size_t>(b)};
    if (data[span.offset + span.bytes] != 0 || data[span.offset + span.bytes + 1] != 0) {
      result.error = "record " + std::to_string(record) + ": " + what + " not terminated";
      return false;
    }
    p = span.offset + span.bytes + 2;
    return true;
  };
  TextSpan previousCode;
  std::size_t doneTo = 0;
  for (std::int32_t k = 1; k <= count; ++k) {
    TextSpan code, list;
    if (!readText(k, "code", code) || !readText(k, "list", list)) return result;
    // The table is binary-searched in the stored order.
    if (k > 1 && compareUnits(data, previousCode, code) > 0) {
      return fail("record " + std::to_string(k) + ": code out of order");
    }
    // The bytes before the previous code are not read again.
    if (previousCode.offset >= doneTo + kProgressStep) {
      doneTo = previousCode.offset;
      done(doneTo);
    }
    previousCode = code;
    onRecord(k, count, code, list);
  }
  if (p != size) return fail(std::to_string(size - p) + " bytes between the last record and the seal");
  result.ok = true;
  result.lexiconImageCount = count;
  return result;
}

// Checks the seal and its checksum and walks the records before it.
// `done(from, to)` is told of each stretch of bytes the checks have finished with.
template <typename OnRecord, typename Done>
LexiconImageResult walkImage(const unsigned char* data, std::size_t size, OnRecord onRecord, Done done) {
  LexiconImageResult result;
  const Seal seal = size >= kHeaderBytes + kLexiconImageSealBytes
                        ? readSeal(data + size - kLexiconImageSealBytes)
                        : Seal{};
  if (!seal.present) {
    // Records that fill the file to its last byte are an image of an older version, made before
    // images were sealed: outdated rather than damaged.
    result.stale =
        walkRecords(data, size, [](std::int32_t, std::int32_t, TextSpan, TextSpan) {}, [](std::size_t) {}).ok;
    result.error = result.stale ? "image without a seal, made by an older version" : "no seal after the records";
    return result;
  }
  const unsigned char* sealAt = data + size - kLexiconImageSealBytes;
  // One pass: the walk goes ahead, the checksum follows it over what the walk has passed, and
  // what both have passed is done with. An altered image is refused for its checksum, whatever
  // the walk found; what the walk handed on is then discarded by the caller.
  const std::size_t hashed = size - 8;
  StreamingChecksum sum(data, hashed);
  std::size_t from = 0;
  auto release = [&](std::size_t to) {
    if (to <= from) return;
    done(from, to);
    from = to;
  };
  result = walkRecords(data, size - kLexiconImageSealBytes, onRecord, [&](std::size_t to) {
    sum.advanceTo(to);
    release(sum.position());
  });
  while (sum.position() + 32 <= hashed) {
    sum.advanceTo(sum.position() + kProgressStep);
    release(sum.position());
  }
  const bool sound = sum.finish() == readUint64(sealAt + kLexiconImageSealBytes - 8);
  release(size);
  if (!sound) {
    result = LexiconImageResult{};
    result.error = "checksum does not match: the image was altered";
    return result;
  }
  result.source = seal.source;
  return result;
}

// Checks the image in `buffer` (its first `byteSize` bytes) and, when it is sound, replaces
// `table` with one whose slots view the buffer. When the buffer is a mapped file (`mapped`), the
// bytes each check has passed are given back to the system as it goes: the image need not be
// in memory whole at any moment, and a lookup brings in the few pages it reads.
LexiconImageResult buildFromBuffer(std::shared_ptr<const TextBuffer> buffer,
                                   std::size_t byteSize, LexiconTable& table,
                                   const FileBytes* mapped = nullptr) {
  const char16_t* units = buffer->data();
  LexiconTable fresh;
  fresh.reset();
  auto view = [units](TextSpan s) { return std::u16string_view(units + s.offset / 2, s.bytes / 2); };
  auto result = walkImage(reinterpret_cast<const unsigned char*>(units), byteSize,
                          [&](std::int32_t k, std::int32_t count, TextSpan code, TextSpan list) {
                            if (k == 1) {
                              fresh.codes.reserve(static_cast<std::size_t>(count) + 1);
                              fresh.lines.reserve(static_cast<std::size_t>(count) + 1);
                            }
                            fresh.codes.pushView(view(code));
                            fresh.lines.pushView(view(list));
                          },
                          [mapped](std::size_t from, std::size_t to) {
                            if (mapped != nullptr) mapped->release(from, to);
                          });
  if (!result.ok) return result;
  fresh.buffer = std::move(buffer);
  fresh.last = result.lexiconImageCount;
  table = std::move(fresh);
  return result;
}

}  // namespace

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
  const std::size_t at = image.size();
  image.resize(at + kLexiconImageSealBytes);
  char* seal = image.data() + at;
  std::memcpy(seal, kSealMagic, 4);
  std::memcpy(seal + 4, &kSealVersion, 4);
  std::memcpy(seal + 8, &source.size, 8);
  std::memcpy(seal + 16, &source.modified, 8);
  resealLexiconImage(image);
}

LexiconImageResult checkLexiconImage(std::span<const std::byte> bytes) {
  return walkImage(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                   [](std::int32_t, std::int32_t, TextSpan, TextSpan) {}, [](std::size_t, std::size_t) {});
}

LexiconImageResult readLexiconImage(std::span<const std::byte> bytes, LexiconTable& table) {
  auto buffer = std::make_shared<TextBuffer>((bytes.size() + 1) / 2);
  if (!bytes.empty()) std::memcpy(buffer->data(), bytes.data(), bytes.size());
  return buildFromBuffer(std::move(buffer), bytes.size(), table);
}

namespace {

// The seal read before the image: an image that a newer text lexicon has outdated is not read.
bool outdated(const ProgramFolder& files, const unsigned char* sealBytes, LexiconImageResult& result) {
  const Seal s = readSeal(sealBytes);
  const std::optional<LexiconSourceStamp> text = files.stamp(kMainLexiconPath);
  if (!s.present || !text || *text == s.source) return false;
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
                              LexiconTable& mainLexicon) {
  LexiconImageResult result;
  std::shared_ptr<const FileBytes> image = platform.mapFile(files.path(kLexiconImagePath), kLexiconImageLimit);
  if (!image) {
    result.error = "image missing, unreadable or too large";
    return result;
  }
  const auto* data = reinterpret_cast<const unsigned char*>(image->data());
  const std::size_t bytes = image->size();
  if (bytes >= kHeaderBytes + kLexiconImageSealBytes &&
      outdated(files, data + bytes - kLexiconImageSealBytes, result)) {
    return result;
  }
  // Texts are read as UTF-16 where they lie: a mapping starts on a page, a read buffer on the
  // allocator's alignment.
  if (reinterpret_cast<std::uintptr_t>(data) % alignof(char16_t) != 0) {
    return readLexiconImage(std::span<const std::byte>(image->data(), bytes), mainLexicon);
  }
  const auto* units = reinterpret_cast<const char16_t*>(data);
  const FileBytes* mapped = image.get();
  auto buffer = std::make_shared<const TextBuffer>(std::move(image), units, bytes / 2);
  return buildFromBuffer(std::move(buffer), bytes, mainLexicon, mapped);
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
