#include "web/net.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "lexicon/utf.h"

namespace yz {
namespace {

constexpr int kNoResult = kEncodingBytes + 1;

constexpr std::u16string_view kUserAgent =
    u"Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
    u"Chrome/28.0.1500.95 Safari/537.36 SE 2.X MetaSr 1.0";

char16_t upper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

std::u16string decodeUtf8(std::string_view body) {
  if (body.starts_with("\xEF\xBB\xBF")) body.remove_prefix(3);  // a byte-order mark is no text
  return fromUtf8(body);
}

}  // namespace

std::u16string UrlResult::str() const {
  switch (kind) {
    case Kind::text:
      return text;
    case Kind::bytes: {
      std::u16string out;
      for (std::size_t i = 0; i < bytes.size(); i += 2) {
        const auto lo = static_cast<unsigned char>(bytes[i]);
        const auto hi = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0u;
        out.push_back(static_cast<char16_t>(lo | hi << 8));
      }
      return out;
    }
    case Kind::empty:
    case Kind::failed:
      break;
  }
  return {};
}

int encodingOfContentType(std::u16string_view contentType) {
  std::u16string folded;
  for (char16_t c : contentType) folded.push_back(upper(c));
  const std::size_t at = folded.find(u"CHARSET=");
  if (at == std::u16string::npos) return kEncodingUtf8;
  std::u16string_view token = std::u16string_view(folded).substr(at + 8);
  while (!token.empty() && (token.front() == u' ' || token.front() == u'"' || token.front() == u'\'')) {
    token.remove_prefix(1);
  }
  token = token.substr(0, token.find_first_of(u" \t\"';,"));
  if (token == u"UTF-8") return kEncodingUtf8;
  if (token == u"GB2312") return kEncodingGb2312;
  if (token == u"GBK") return kEncodingGbk;
  return kNoResult;
}

const std::vector<HttpHeader>& webRequestHeaders() {
  static const std::vector<HttpHeader> kHeaders = {
      {u"CONTENT-TYPE", u"application/x-www-form-urlencoded"},
      {u"User-Agent", std::u16string(kUserAgent)},
  };
  return kHeaders;
}

UrlResult decodeReply(const Platform& platform, HttpReply reply, int EnCode) {
  if (!reply.ok) return {};
  if (EnCode == kEncodingAuto) EnCode = encodingOfContentType(reply.contentType);
  UrlResult result;
  switch (EnCode) {
    case kEncodingUtf8:
      result.kind = UrlResult::Kind::text;
      result.text = decodeUtf8(reply.body);
      break;
    case kEncodingGb2312:  // GBK decodes every GB2312 text
    case kEncodingGbk:
      result.kind = UrlResult::Kind::text;
      result.text = platform.fromGbk(reply.body);
      break;
    case kEncodingBytes:
      result.kind = UrlResult::Kind::bytes;
      result.bytes = std::move(reply.body);
      break;
    default:
      break;
  }
  return result;
}

UrlResult cNet::GetUrl(std::u16string_view sUrl, int sTimeOut, int EnCode) {
  if (EnCode < kEncodingAuto || EnCode > kEncodingBytes) return {};
  return decodeReply(platform_, platform_.httpGet(sUrl, sTimeOut, webRequestHeaders()), EnCode);
}

namespace {

constexpr int kTransferSlackMs = 1000;

UrlResult failure(std::u16string why) {
  UrlResult result;
  result.kind = UrlResult::Kind::failed;
  result.error = std::move(why);
  return result;
}

// Starts a request and waits for its reply as the polling requests do: 10 ms of the clock at a
// time, running pending messages after each, until the transfer has ended or `timeoutMs` have
// passed since the send. The reply, or the failure and why. Pumps messages.
std::variant<HttpReply, UrlResult> pollRequest(Platform& platform, HttpRequest request) {
  const int timeoutMs = request.timeoutMs;
  // The clock below decides; the transfer's own bound only ends one that nobody waits for.
  request.timeoutMs = std::max(timeoutMs, 0) + kTransferSlackMs;
  const std::unique_ptr<HttpTransfer> transfer = platform.startHttp(request);
  const std::uint32_t sent = platform.clockMs();
  for (;;) {
    platform.sleepMs(10);
    platform.doEvents();
    if (!transfer->stillExecuting()) break;
    if (static_cast<std::int64_t>(platform.clockMs() - sent) >= timeoutMs) {
      return failure(u"no reply within " + fromUtf8(std::to_string(timeoutMs)) + u" ms");
    }
  }
  if (!transfer->reply().ok) return failure(u"the request failed");
  return transfer->reply();
}

}  // namespace

UrlResult cNet::GetUrl2(std::u16string_view sUrl, int sTimeOut, int EnCode) {
  if (EnCode < kEncodingAuto || EnCode > kEncodingBytes) return {};
  HttpRequest request;
  request.url = std::u16string(sUrl);
  request.headers = {{u"CONTENT-TYPE", u"application/x-www-form-urlencoded"},
                     {u"Referer", u"https://www.baidu.com/"},
                     {u"User-Agent", std::u16string(kUserAgent)}};
  request.timeoutMs = sTimeOut;
  auto outcome = pollRequest(platform_, std::move(request));
  if (auto* failed = std::get_if<UrlResult>(&outcome)) return std::move(*failed);
  HttpReply& reply = std::get<HttpReply>(outcome);
  if (EnCode == kEncodingAuto) {
    std::u16string folded;
    for (char16_t c : reply.contentType) folded.push_back(upper(c));
    if (folded.find(u"CHARSET=") == std::u16string::npos) {
      EnCode = kEncodingBytes;
    } else {
      EnCode = encodingOfContentType(reply.contentType);
      if (EnCode != kEncodingUtf8 && EnCode != kEncodingGbk) EnCode = kEncodingGb2312;
    }
  }
  return decodeReply(platform_, std::move(reply), EnCode);
}

UrlResult cNet::GetUrlPost(std::u16string_view sUrl, std::u16string_view sHead,
                           const PostData& sPostData, int sTimeOut) {
  HttpRequest request;
  request.method = u"POST";
  request.url = std::u16string(sUrl);
  for (std::size_t at = 0; at <= sHead.size();) {
    std::size_t end = sHead.find(u"\r\n", at);
    if (end == std::u16string_view::npos) end = sHead.size();
    const std::u16string_view line = sHead.substr(at, end - at);
    const std::size_t colon = line.find(u": ");
    if (colon != std::u16string_view::npos) {
      request.headers.push_back({std::u16string(line.substr(0, colon)),
                                 std::u16string(line.substr(colon + 2))});
    }
    at = end + 2;
  }
  if (const auto* text = std::get_if<std::u16string>(&sPostData)) {
    request.body = toUtf8(*text);
  } else {
    request.body = std::get<std::string>(sPostData);
  }
  request.timeoutMs = sTimeOut;
  auto outcome = pollRequest(platform_, std::move(request));
  if (auto* failed = std::get_if<UrlResult>(&outcome)) return std::move(*failed);
  HttpReply& reply = std::get<HttpReply>(outcome);
  Cookies = reply.headers;
  return decodeReply(platform_, std::move(reply), kEncodingGb2312);
}

namespace {

char16_t lowerAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

// Where `what` stands in `text` from `from` on, letter case ignored; npos when nowhere.
std::size_t findFolded(std::u16string_view text, std::u16string_view what, std::size_t from) {
  if (what.empty()) return from <= text.size() ? from : std::u16string_view::npos;
  for (std::size_t at = from; at + what.size() <= text.size(); ++at) {
    std::size_t i = 0;
    while (i < what.size() && lowerAscii(text[at + i]) == lowerAscii(what[i])) ++i;
    if (i == what.size()) return at;
  }
  return std::u16string_view::npos;
}

}  // namespace

std::u16string cNet::Get2Str(std::u16string_view SrcStr, std::u16string_view FirstStr,
                             std::u16string_view SecondStr, int nStart, int* RetLng) {
  if (nStart < 1 || static_cast<std::size_t>(nStart) > SrcStr.size() + 1) return {};
  const std::size_t first = findFolded(SrcStr, FirstStr, static_cast<std::size_t>(nStart - 1));
  if (first == std::u16string_view::npos) return {};
  const std::size_t from = first + FirstStr.size();
  const std::size_t second = findFolded(SrcStr, SecondStr, from);
  if (second == std::u16string_view::npos) return {};
  if (RetLng) *RetLng = static_cast<int>(second) + 2;  // 1-based position of SecondStr, plus 1
  return std::u16string(SrcStr.substr(from, second - from));
}

std::string cNet::EncodeToBytes(std::u16string_view sData) { return toUtf8(sData); }

std::u16string cNet::Utf82Text(std::string_view b) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::u16string out;
  for (char c : b) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte > 127) {
      out.push_back(u'%');
      out.push_back(static_cast<char16_t>(kHex[byte >> 4]));
      out.push_back(static_cast<char16_t>(kHex[byte & 15]));
    } else {
      out.push_back(byte);
    }
  }
  return out;
}

std::u16string cNet::UrlEncode(std::u16string_view sUrl, bool All) {
  if (sUrl.empty()) return {};
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::u16string escaped;
  for (char16_t c : sUrl) {
    switch (c) {
      case u'\'': escaped += u"%26%2339%3b"; continue;
      case u'"': escaped += u"%26quot%3b"; continue;
      case u'<': escaped += u"%26lt%3b"; continue;
      case u'>': escaped += u"%26gt%3b"; continue;
      case u'#': escaped += u"%23"; continue;
      case u'%': escaped += u"%25"; continue;
      case u'{': escaped += u"%7b"; continue;
      case u'}': escaped += u"%7d"; continue;
      case u'|': escaped += u"%7c"; continue;
      case u'\\': escaped += u"%5c"; continue;
      case u'^': escaped += u"%5e"; continue;
      case u'[': escaped += u"%5b"; continue;
      case u']': escaped += u"%5d"; continue;
      case u'`': escaped += u"%60"; continue;
      case u'~': escaped += u"%7e"; continue;
      case u' ': escaped += u"%20"; continue;
      default: break;
    }
    if (All && std::u16string_view(u";/?:@&=+$,()").find(c) != std::u16string_view::npos) {
      escaped.push_back(u'%');
      escaped.push_back(static_cast<char16_t>(kHex[c >> 4]));
      escaped.push_back(static_cast<char16_t>(kHex[c & 15]));
      continue;
    }
    escaped.push_back(c);
  }
  return Utf82Text(EncodeToBytes(escaped));
}

std::u16string percentEncode(std::u16string_view value) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::u16string out;
  for (char c : toUtf8(value)) {
    const auto b = static_cast<unsigned char>(c);
    const bool kept = (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') ||
                      b == '-' || b == '.' || b == '_' || b == '~' || b == '\'';
    if (kept) {
      out.push_back(b);
    } else {
      out.push_back(u'%');
      out.push_back(static_cast<char16_t>(kHex[b >> 4]));
      out.push_back(static_cast<char16_t>(kHex[b & 15]));
    }
  }
  return out;
}

}  // namespace yz
