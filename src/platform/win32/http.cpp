// HTTP GET through WinHTTP. The request runs on a worker thread while
// the GUI thread keeps pumping messages, so hook events and timers go on during the wait.

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
// that timed out is abandoned: the GUI thread closes its handle, which ends the worker's wait
// where the system allows, and returns at once in any case.
struct HttpExchange {
  HINTERNET session = nullptr;
  HINTERNET connection = nullptr;
  HINTERNET request = nullptr;
  std::atomic<bool> done{false};
  std::atomic<bool> abandoned{false};
  // Written by the worker before `done`:
  bool ok = false;
  int status = 0;
  std::u16string contentType;
  std::string body;
  std::u16string headers;  // request headers, one "name: value\r\n" each

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
    if (WinHttpSendRequest(handle, extra, extraLength, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) &&
        WinHttpReceiveResponse(handle, nullptr)) {
      DWORD code = 0, size = sizeof code;
      WinHttpQueryHeaders(handle, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                          WINHTTP_HEADER_NAME_BY_INDEX, &code, &size, WINHTTP_NO_HEADER_INDEX);
      status = static_cast<int>(code);
      wchar_t type[256];
      DWORD typeSize = sizeof type;
      if (WinHttpQueryHeaders(handle, WINHTTP_QUERY_CONTENT_TYPE, WINHTTP_HEADER_NAME_BY_INDEX,
                              type, &typeSize, WINHTTP_NO_HEADER_INDEX)) {
        contentType.assign(reinterpret_cast<const char16_t*>(type), typeSize / sizeof(wchar_t));
      }
      DWORD length = 0, lengthSize = sizeof length;
      const bool hasLength = WinHttpQueryHeaders(
          handle, WINHTTP_QUERY_CONTENT_LENGTH | WINHTTP_QUERY_FLAG_NUMBER,
          WINHTTP_HEADER_NAME_BY_INDEX, &length, &lengthSize, WINHTTP_NO_HEADER_INDEX);
      ok = !(hasLength && length > kHttpBodyLimit);
      char buffer[8192];
      while (ok) {
        DWORD read = 0;
        if (!WinHttpReadData(handle, buffer, sizeof buffer, &read)) {
          ok = false;
          break;
        }
        if (read == 0) break;
        if (body.size() + read > kHttpBodyLimit) {
          ok = false;  // an oversized reply is cut off, not read in whole
          break;
        }
        body.append(buffer, read);
      }
      // A connection that closed before the announced length is a truncated reply.
      if (ok && hasLength && body.size() != length) ok = false;
    }
    done = true;
  }
};

}  // namespace

HttpReply Win32Platform::httpGet(std::u16string_view url, int timeoutMs,
                                 const std::vector<HttpHeader>& headers) {
  std::wstring address(url.begin(), url.end());
  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwSchemeLength = parts.dwHostNameLength = parts.dwUrlPathLength =
      parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (!WinHttpCrackUrl(address.c_str(), static_cast<DWORD>(address.size()), 0, &parts)) {
    return HttpReply{};
  }
  const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
  std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength);
  path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  if (path.empty()) path = L"/";

  auto exchange = std::make_shared<HttpExchange>();
  exchange->session = WinHttpOpen(L"Vexim2", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                  WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
  if (!exchange->session) return HttpReply{};
  const int limit = timeoutMs > 0 ? timeoutMs : 1;
  WinHttpSetTimeouts(exchange->session, limit, limit, limit, limit);
  exchange->connection = WinHttpConnect(exchange->session, host.c_str(), parts.nPort, 0);
  if (!exchange->connection) return HttpReply{};
  const DWORD flags = parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0;
  exchange->request = WinHttpOpenRequest(exchange->connection, L"GET", path.c_str(), nullptr,
                                         WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, flags);
  if (!exchange->request) return HttpReply{};
  DWORD responseLimit = static_cast<DWORD>(limit);
  WinHttpSetOption(exchange->request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &responseLimit,
                   sizeof responseLimit);

  for (const HttpHeader& h : headers) {
    exchange->headers += h.name + u": " + h.value + u"\r\n";
  }

  std::thread([exchange, request = exchange->request] { exchange->run(request); }).detach();
  const std::uint32_t start = clockMs();
  while (!exchange->done && clockMs() - start < static_cast<std::uint32_t>(limit)) {
    try {
      doEvents();
    } catch (...) {
      exchange->abandoned = true;
      WinHttpCloseHandle(exchange->request);
      throw;
    }
    Sleep(1);
  }
  if (!exchange->done) {
    exchange->abandoned = true;
    WinHttpCloseHandle(exchange->request);
    return HttpReply{};
  }
  if (!exchange->ok) return HttpReply{};
  HttpReply reply;
  reply.ok = true;
  reply.status = exchange->status;
  reply.contentType = exchange->contentType;
  reply.body = std::move(exchange->body);
  return reply;
}

}  // namespace yz
