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

std::int32_t readInt32(const unsigned char* p) {
  std::int32_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
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

// Walks the whole image, checking it, and hands each record to `onRecord(k, count, code, list)`
// as it goes; a caller that builds from the records discards what it built when the walk fails.
template <typename OnRecord>
LexiconImageResult walkImage(const unsigned char* data, std::size_t size, OnRecord onRecord) {
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
  for (std::int32_t k = 1; k <= count; ++k) {
    TextSpan code, list;
    if (!readText(k, "code", code) || !readText(k, "list", list)) return result;
    // The table is binary-searched in the stored order.
    if (k > 1 && compareUnits(data, previousCode, code) > 0) {
      return fail("record " + std::to_string(k) + ": code out of order");
    }
    previousCode = code;
    onRecord(k, count, code, list);
  }
  if (p != size) return fail(std::to_string(size - p) + " bytes after the last record");
  result.ok = true;
  result.lexiconImageCount = count;
  return result;
}

// Checks the image in `buffer` (its first `byteSize` bytes) and, when it is sound, replaces
// `table` with one whose slots view the buffer.
LexiconImageResult buildFromBuffer(std::shared_ptr<const TextBuffer> buffer,
                                   std::size_t byteSize, LexiconTable& table) {
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
                          });
  if (!result.ok) return result;
  fresh.buffer = std::move(buffer);
  fresh.last = result.lexiconImageCount;
  table = std::move(fresh);
  return result;
}

}  // namespace

LexiconImageResult checkLexiconImage(std::span<const std::byte> bytes) {
  return walkImage(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                   [](std::int32_t, std::int32_t, TextSpan, TextSpan) {});
}

LexiconImageResult readLexiconImage(std::span<const std::byte> bytes, LexiconTable& table) {
  auto buffer = std::make_shared<TextBuffer>((bytes.size() + 1) / 2);
  if (!bytes.empty()) std::memcpy(buffer->data(), bytes.data(), bytes.size());
  return buildFromBuffer(std::move(buffer), bytes.size(), table);
}

LexiconImageResult duqudaciku(const ProgramFolder& files, LexiconTable& mainLexicon) {
  LexiconImageResult result;
  std::ifstream in(files.path(kLexiconImagePath), std::ios::binary | std::ios::ate);
  if (!in) {
    result.error = "image missing";
    return result;
  }
  std::streamoff size = in.tellg();
  if (size < 0 || static_cast<std::uint64_t>(size) > std::uint64_t{0x7FFFFFFF}) {
    result.error = "image size out of range";
    return result;
  }
  auto bytes = static_cast<std::size_t>(size);
  // Not zero-filled: the read fills every byte the walk looks at (an odd last byte is never read).
  auto buffer = std::make_shared<TextBuffer>((bytes + 1) / 2);
  in.seekg(0);
  if (!in.read(reinterpret_cast<char*>(buffer->data()), static_cast<std::streamsize>(bytes))) {
    result.error = "image unreadable";
    return result;
  }
  return buildFromBuffer(std::move(buffer), bytes, mainLexicon);
}

std::string encodeLexiconImage(const LexiconTable& table) {
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

}  // namespace yz
