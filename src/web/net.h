#pragma once
// The HTTP client every web query goes through: a GET of a complete URL with a time-out, the
// reply turned into text by its character set.

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace yz {

// The time-out every web query passes, ms.
inline constexpr int kWebTimeoutMs = 3000;

// The result of a GET: text, the raw body, or nothing.
struct UrlResult {
  enum class Kind { empty, text, bytes };
  Kind kind = Kind::empty;
  std::u16string text;
  std::string bytes;

  // The result as callers take it: the text, "" for nothing, raw bytes paired into UTF-16 code
  // units (low byte first).
  std::u16string str() const;
};

// The character-set argument of `GetUrl`.
enum UrlEncoding : int {
  kEncodingAuto = 0,  // from the reply's Content-Type
  kEncodingUtf8 = 1,
  kEncodingGb2312 = 2,
  kEncodingGbk = 3,
  kEncodingBytes = 4,  // the body as it came
};

// The HTTP client of one query routine.
class cNet {
 public:
  explicit cNet(Platform& platform) : platform_(platform) {}

  // GETs `sUrl` as given, waiting at most `sTimeOut` ms (pumping messages meanwhile), and
  // decodes the body by `EnCode` (a `UrlEncoding`). Any failure gives the empty result.
  UrlResult GetUrl(std::u16string_view sUrl, int sTimeOut = kWebTimeoutMs,
                   int EnCode = kEncodingAuto);

  // The text strictly between the first `FirstStr` found from the 1-based position `nStart` and
  // the next `SecondStr` after it, letter case ignored; `RetLng` is set to the position after
  // `SecondStr`'s first character. "" when a marker is missing or `nStart` is below 1.
  static std::u16string Get2Str(std::u16string_view SrcStr, std::u16string_view FirstStr,
                                std::u16string_view SecondStr, int nStart = 1,
                                int* RetLng = nullptr);
  // The UTF-8 bytes of a text.
  static std::string EncodeToBytes(std::u16string_view sData);
  // Bytes as text: a byte above 127 as "%" and two lower-case hexadecimal digits, any other as
  // the character of its code.
  static std::u16string Utf82Text(std::string_view b);
  // A text escaped for a URL: HTML-special marks as escaped entities, URL-special marks as "%"
  // codes (with `All`, also ";/?:@&=+$,#()"), every non-ASCII character as its UTF-8 bytes.
  static std::u16string UrlEncode(std::u16string_view sUrl, bool All = true);

 private:
  Platform& platform_;
};

// The decoding that the automatic rule picks for a Content-Type value: the charset parameter's
// token (letter case ignored) UTF-8, GB2312 or GBK; UTF-8 when the value is empty or names no
// charset; `kEncodingBytes + 1` (no result) for a charset of another name.
int encodingOfContentType(std::u16string_view contentType);

// A query value percent-encoded as UTF-8: letters, digits, "-", ".", "_", "~" and the apostrophe
// stay; every other byte becomes "%" and two upper-case hexadecimal digits.
std::u16string percentEncode(std::u16string_view value);

}  // namespace yz
