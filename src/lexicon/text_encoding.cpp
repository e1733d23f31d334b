#include "lexicon/text_encoding.h"

#include "lexicon/utf.h"
#include "platform/platform.h"

namespace yz {
namespace {

std::u16string fromUtf16(std::string_view bytes, bool bigEndian) {
  std::u16string out(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < out.size(); ++i) {
    const auto a = static_cast<unsigned char>(bytes[2 * i]);
    const auto b = static_cast<unsigned char>(bytes[2 * i + 1]);
    out[i] = static_cast<char16_t>(bigEndian ? (a << 8 | b) : (b << 8 | a));
  }
  if (bytes.size() % 2 != 0) out.push_back(u'\uFFFD');  // a last byte without its partner
  return out;
}

// UTF-16 without a byte-order mark, as the bytes show it: an even length, more NUL bytes on the
// high side of the pairs (those of ASCII characters, a line end too) than on the low side (a
// character such as 一, U+4E00), every ASCII character printable or a line end, and no NUL
// character. GBK and UTF-8 text hold no NUL byte at all.
bool looksUtf16(std::string_view bytes, bool bigEndian) {
  if (bytes.size() < 2 || bytes.size() % 2 != 0) return false;
  std::size_t highNuls = 0;
  std::size_t lowNuls = 0;
  for (std::size_t i = 0; i < bytes.size(); i += 2) {
    const auto high = static_cast<unsigned char>(bytes[bigEndian ? i : i + 1]);
    const auto low = static_cast<unsigned char>(bytes[bigEndian ? i + 1 : i]);
    if (low == 0) ++lowNuls;
    if (high != 0) continue;
    ++highNuls;
    if (low == 0 || low == 0x7F) return false;
    if (low < 0x20 && low != '\r' && low != '\n' && low != '\t') return false;
  }
  return highNuls > lowNuls;
}

}  // namespace

bool isCleanGbk(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b == 0) return false;
    if (b <= 0x80) continue;  // ASCII, and the code page's one single-byte sign (the euro)
    if (b == 0xFF || i + 1 == bytes.size()) return false;
    const auto trail = static_cast<unsigned char>(bytes[++i]);
    if (trail < 0x40 || trail == 0x7F || trail == 0xFF) return false;
  }
  return true;
}

bool isUtf8BeyondAscii(std::string_view bytes) {
  bool beyond = false;
  for (std::size_t i = 0; i < bytes.size();) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80) {
      ++i;
      continue;
    }
    int extra = 0;
    char32_t c = 0;
    if (b >= 0xC2 && b <= 0xDF) {
      extra = 1;
      c = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      extra = 2;
      c = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      extra = 3;
      c = b & 0x07;
    } else {
      return false;
    }
    if (bytes.size() - i <= static_cast<std::size_t>(extra)) return false;
    for (int k = 1; k <= extra; ++k) {
      const auto n = static_cast<unsigned char>(bytes[i + static_cast<std::size_t>(k)]);
      if ((n & 0xC0) != 0x80) return false;
      c = c << 6 | (n & 0x3F);
    }
    constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    beyond = true;
    i += static_cast<std::size_t>(extra) + 1;
  }
  return beyond;
}

DecodedText decodeUserText(std::string_view bytes, const Platform& platform) {
  DecodedText out;
  if (bytes.starts_with("\xFF\xFE")) {
    out.encoding = TextEncoding::Utf16LE;
    out.text = fromUtf16(bytes.substr(2), false);
  } else if (bytes.starts_with("\xFE\xFF")) {
    out.encoding = TextEncoding::Utf16BE;
    out.text = fromUtf16(bytes.substr(2), true);
  } else if (bytes.starts_with("\xEF\xBB\xBF")) {
    out.encoding = TextEncoding::Utf8;
    out.text = fromUtf8(bytes.substr(3));
  } else if (bytes.find('\0') != std::string_view::npos && looksUtf16(bytes, false)) {
    out.encoding = TextEncoding::Utf16LE;
    out.text = fromUtf16(bytes, false);
  } else if (bytes.find('\0') != std::string_view::npos && looksUtf16(bytes, true)) {
    out.encoding = TextEncoding::Utf16BE;
    out.text = fromUtf16(bytes, true);
  } else if (isUtf8BeyondAscii(bytes)) {
    // First: UTF-8 Chinese often pairs up into GBK characters byte by byte, while GBK text of
    // any length is almost never valid UTF-8.
    out.encoding = TextEncoding::Utf8;
    out.text = fromUtf8(bytes);
  } else if (isCleanGbk(bytes)) {
    out.encoding = TextEncoding::Gbk;
    out.text = platform.fromGbk(bytes);
  } else {
    out.encoding = TextEncoding::Unclean;
    out.text = platform.fromGbk(bytes);
  }
  return out;
}

std::u16string_view encodingName(TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::Gbk: return u"GBK";
    case TextEncoding::Utf8: return u"UTF-8";
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE: return u"UTF-16";
    case TextEncoding::Unclean: break;
  }
  return u"未知";
}

}  // namespace yz
