// HTTP through WinHTTP. Each request runs on a worker thread of its own; the GUI thread goes on:
// a GET that waits keeps pumping messages, so hook events and timers go on during the wait, and a
// transfer started to run beside the program is only asked now and then whether it still runs.

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "platform/win32/win32_platform.h"
#include "platform/win32/windows_header.h"
// After windows.h:
#include <winhttp.h>

namespace yz {
namespace {

// Shared by the GUI thread and the worker; the last one to let go closes the handles. A request
// that timed out or was cancelled is abandoned: the GUI thread closes its handle, which ends the
// worker's wait where the system allows, and goes on at once in any case.
struct HttpExchange {
  HINTERNET session = nullptr;
  HINTERNET connection = nullptr;
  HINTERNET request = nullptr;
  std::atomic<bool> done{false};
  std::atomic<bool> abandoned{false};
  std::u16string headers;  // request headers, one "name: value\r\n" each
  std::string body;        // the request's body
  // Written by the worker before `done`:
  HttpReply reply;

  ~HttpExchange() {
    if (request && !abandoned) WinHttpCloseHandle(request);
    if (connection) WinHttpCloseHandle(connection);
    if (session) WinHttpCloseHandle(session);
  }

  // Runs on the worker with its own copy of the request handle, which the GUI thread may close.
  void run(HINTERNET handle) {
    const auto* extra = headers.empty() ? WINHTTP_NO_ADDITIONAL_HEADERS
                                        : reinterpret_cast<const wchar_t*>(headers.c_str());
    const DWORD extraLength = headers.empty() ? 0 : static_cast<DWORD>(headers.size());
    void* data = body.empty() ? WINHTTP_NO_REQUEST_DATA : body.data();
    const auto dataLength = static_cast<DWORD>(body.size());
    HttpReply got;
    if (WinHttpSendRequest(handle, extra, extraLength, data, dataLength, dataLength, 0) &&
        WinHttpReceiveResponse(handle, nullptr)) {
      DWORD code = 0, size = sizeof code;
      WinHttpQueryHeaders(handle, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                          WINHTTP_HEADER_NAME_BY_INDEX, &code, &size, WINHTTP_NO_HEADER_INDEX);
      got.status = static_cast<int>(code);
      got.contentType = header(handle, WINHTTP_QUERY_CONTENT_TYPE);
      // The raw block starts with the status line and ends with a blank line.
      std::u16string block = header(handle, WINHTTP_QUERY_RAW_HEADERS_CRLF);
      const std::size_t firstLine = block.find(u"\r\n");
      block.erase(0, firstLine == std::u16string::npos ? block.size() : firstLine + 2);
      while (block.ends_with(u"\r\n\r\n")) block.resize(block.size() - 2);
      got.headers = std::move(block);
      DWORD length = 0, lengthSize = sizeof length;
      const bool hasLength = WinHttpQueryHeaders(
          handle, WINHTTP_QUERY_CONTENT_LENGTH | WINHTTP_QUERY_FLAG_NUMBER,
          WINHTTP_HEADER_NAME_BY_INDEX, &length, &lengthSize, WINHTTP_NO_HEADER_INDEX);
      got.ok = !(hasLength && length > kHttpBodyLimit);
      char buffer[8192];
      while (got.ok) {
        DWORD read = 0;
        if (!WinHttpReadData(handle, buffer, sizeof buffer, &read)) {
          got.ok = false;
          break;
        }
        if (read == 0) break;
        if (got.body.size() + read > kHttpBodyLimit) {
          got.ok = false;  // an oversized reply is cut off, not read in whole
          break;
        }
        got.body.append(buffer, read);
      }
      // A connection that closed before the announced length is a truncated reply.
      if (got.ok && hasLength && got.body.size() != length) got.ok = false;
    }
    if (!got.ok) got = HttpReply{};
    reply = std::move(got);
    done = true;
  }

  // A header of the reply as text; empty when the reply has none.
  static std::u16string header(HINTERNET handle, DWORD which) {
    DWORD size = 0;
    WinHttpQueryHeaders(handle, which, WINHTTP_HEADER_NAME_BY_INDEX, WINHTTP_NO_OUTPUT_BUFFER,
                        &size, WINHTTP_NO_HEADER_INDEX);
    if (size == 0 || size > kHttpBodyLimit) return {};
    std::u16string text(size / sizeof(wchar_t), u'\0');
    if (!WinHttpQueryHeaders(handle, which, WINHTTP_HEADER_NAME_BY_INDEX, text.data(), &size,
                             WINHTTP_NO_HEADER_INDEX)) {
      return {};
    }
    text.resize(size / sizeof(wchar_t));
    return text;
  }
};

class WinHttpTransfer final : public HttpTransfer {
 public:
  WinHttpTransfer(std::shared_ptr<HttpExchange> exchange, int limitMs)
      : exchange_(std::move(exchange)), start_(GetTickCount()), limitMs_(static_cast<DWORD>(limitMs)) {}
  ~WinHttpTransfer() override { cancel(); }

  bool stillExecuting() override {
    if (!exchange_) return false;
    if (exchange_->done) {
      reply_ = std::move(exchange_->reply);
      exchange_.reset();
      return false;
    }
    if (GetTickCount() - start_ >= limitMs_) {
      cancel();
      return false;
    }
    return true;
  }
  void cancel() override {
    if (!exchange_) return;
    if (!exchange_->done) {
      exchange_->abandoned = true;
      WinHttpCloseHandle(exchange_->request);
    }
    exchange_.reset();
  }
  const HttpReply& reply() const override { return reply_; }

 private:
  std::shared_ptr<HttpExchange> exchange_;  // none once the transfer has ended
  DWORD start_;
  DWORD limitMs_;
  HttpReply reply_;
};

// A transfer that ended before it began.
class FailedTransfer final : public HttpTransfer {
 public:
  bool stillExecuting() override { return false; }
  void cancel() override {}
  const HttpReply& reply() const override { return reply_; }

 private:
  HttpReply reply_;
};

}  // namespace

std::unique_ptr<HttpTransfer> Win32Platform::startHttp(const HttpRequest& request) {
  std::wstring address(request.url.begin(), request.url.end());
  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwSchemeLength = parts.dwHostNameLength = parts.dwUrlPathLength =
      parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (!WinHttpCrackUrl(address.c_str(), static_cast<DWORD>(address.size()), 0, &parts)) {
    return std::make_unique<FailedTransfer>();
  }
  const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
  std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength);
  path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  if (path.empty()) path = L"/";

  auto exchange = std::make_shared<HttpExchange>();
  exchange->session = WinHttpOpen(L"Vexim2", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                  WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
  if (!exchange->session) return std::make_unique<FailedTransfer>();
  const int limit = request.timeoutMs > 0 ? request.timeoutMs : 1;
  WinHttpSetTimeouts(exchange->session, limit, limit, limit, limit);
  exchange->connection = WinHttpConnect(exchange->session, host.c_str(), parts.nPort, 0);
  if (!exchange->connection) return std::make_unique<FailedTransfer>();
  const DWORD flags = parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0;
  const std::wstring method(request.method.begin(), request.method.end());
  exchange->request = WinHttpOpenRequest(exchange->connection, method.c_str(), path.c_str(),
                                         nullptr, WINHTTP_NO_REFERER,
                                         WINHTTP_DEFAULT_ACCEPT_TYPES, flags);
  if (!exchange->request) return std::make_unique<FailedTransfer>();
  DWORD responseLimit = static_cast<DWORD>(limit);
  WinHttpSetOption(exchange->request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &responseLimit,
                   sizeof responseLimit);

  for (const HttpHeader& h : request.headers) {
    exchange->headers += h.name + u": " + h.value + u"\r\n";
  }
  exchange->body = request.body;

  std::thread([exchange, handle = exchange->request] { exchange->run(handle); }).detach();
  return std::make_unique<WinHttpTransfer>(std::move(exchange), limit);
}

HttpReply Win32Platform::httpGet(std::u16string_view url, int timeoutMs,
                                 const std::vector<HttpHeader>& headers) {
  HttpRequest request;
  request.url = std::u16string(url);
  request.headers = headers;
  request.timeoutMs = timeoutMs;
  // A pump that throws leaves through the transfer's end, which abandons the request.
  const std::unique_ptr<HttpTransfer> transfer = startHttp(request);
  while (transfer->stillExecuting()) {
    doEvents();
    Sleep(1);
  }
  return transfer->reply();
}

}  // namespace yz
