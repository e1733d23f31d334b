#pragma once
// The HTTP client every web query goes through: a GET of a complete URL with a time-out, the
// reply turned into text by its character set.

#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/platform.h"

namespace yz {

// The time-out every web query passes, ms.
inline constexpr int kWebTimeoutMs = 3000;

// The result of a request: text, the raw body, nothing, or (from the requests that report their
// failures) the failure and why.
struct UrlResult {
  enum class Kind { empty, text, bytes, failed };
  Kind kind = Kind::empty;
  std::u16string text;
  std::string bytes;
  std::u16string error;  // what failed, for `Kind::failed`

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

// The body of a POST: a text (sent as UTF-8) or bytes (sent as they are).
using PostData = std::variant<std::u16string, std::string>;

// The HTTP client of one query routine.
class cNet {
 public:
  explicit cNet(Platform& platform) : platform_(platform) {}

  // The response-header block of the last `GetUrlPost` that got a reply.
  std::u16string Cookies;

  // GETs `sUrl` as given, waiting at most `sTimeOut` ms (pumping messages meanwhile), and
  // decodes the body by `EnCode` (a `UrlEncoding`). Any failure gives the empty result.
  // Pumps messages.
  UrlResult GetUrl(std::u16string_view sUrl, int sTimeOut = kWebTimeoutMs,
                   int EnCode = kEncodingAuto);
  // The second GET: a Referer header besides those of `GetUrl`; it polls for the reply every 10 ms
  // of the clock, running pending messages between polls, until `sTimeOut` ms have passed since
  // the send. The automatic charset decodes UTF-8 and GBK as named and any other named charset as
  // GB2312; a Content-Type without a charset gives the body bytes. A reply not in by then, or a
  // failed request, is reported as a failure. Pumps messages.
  UrlResult GetUrl2(std::u16string_view sUrl, int sTimeOut = kWebTimeoutMs,
                    int EnCode = kEncodingAuto);
  // POSTs `sPostData` to `sUrl` with the header lines of `sHead` ("Name: value", CR LF between
  // lines; a line without ": " is left out), waiting for the reply as `GetUrl2` does. The reply's
  // header block goes into `Cookies` and its body is decoded as GB2312. A reply not in by then,
  // or a failed request, is reported as a failure and leaves `Cookies` alone. Pumps messages.
  UrlResult GetUrlPost(std::u16string_view sUrl, std::u16string_view sHead,
                       const PostData& sPostData, int sTimeOut = kWebTimeoutMs);

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

// The request headers of every GET of the web queries: a form content type and a browser's
// User-Agent.
const std::vector<HttpHeader>& webRequestHeaders();

// A reply's body as a result by `EnCode` (a `UrlEncoding`, automatic by the rule of
// `encodingOfContentType`); the empty result for a reply that is not ok.
UrlResult decodeReply(const Platform& platform, HttpReply reply, int EnCode);

// The decoding that the automatic rule picks for a Content-Type value: the charset parameter's
// token (letter case ignored) UTF-8, GB2312 or GBK; UTF-8 when the value is empty or names no
// charset; `kEncodingBytes + 1` (no result) for a charset of another name.
int encodingOfContentType(std::u16string_view contentType);

// A query value percent-encoded as UTF-8: letters, digits, "-", ".", "_", "~" and the apostrophe
// stay; every other byte becomes "%" and two upper-case hexadecimal digits.
std::u16string percentEncode(std::u16string_view value);

}  // namespace yz
