// HTTP through libcurl for the Linux backend. Each transfer runs in a curl multi handle of its own
// that its caller moves on in short polls: a GET that waits runs the caller's pump between them,
// so queued keys, window events and timers go on while a request waits, and a transfer started to
// run beside the program moves on each time it is asked whether it still runs.
//
// libcurl is loaded on the first request, not with the program: with the libraries it pulls in
// (TLS, Kerberos, LDAP, ...) it would cost every start some 6 MB and the time to link them, and
// most runs ask nothing of the network.

#include "platform/sim/curl_http.h"

#include "platform/utf8.h"

#define CURL_DISABLE_TYPECHECK
#include <curl/curl.h>
#include <dlfcn.h>

#include <chrono>
#include <memory>
#include <type_traits>

namespace yz::sim {
namespace {

// The functions of libcurl this backend calls, found in the library once it is loaded.
struct CurlLibrary {
  CURLcode (*globalInit)(long) = nullptr;
  void (*globalCleanup)() = nullptr;
  CURL* (*easyInit)() = nullptr;
  void (*easyCleanup)(CURL*) = nullptr;
  CURLcode (*easySetopt)(CURL*, CURLoption, ...) = nullptr;
  CURLcode (*easyGetinfo)(CURL*, CURLINFO, ...) = nullptr;
  CURLM* (*multiInit)() = nullptr;
  CURLMcode (*multiCleanup)(CURLM*) = nullptr;
  CURLMcode (*multiAddHandle)(CURLM*, CURL*) = nullptr;
  CURLMcode (*multiRemoveHandle)(CURLM*, CURL*) = nullptr;
  CURLMcode (*multiPerform)(CURLM*, int*) = nullptr;
  CURLMsg* (*multiInfoRead)(CURLM*, int*) = nullptr;
  CURLMcode (*multiPoll)(CURLM*, curl_waitfd[], unsigned int, int, int*) = nullptr;
  curl_slist* (*slistAppend)(curl_slist*, const char*) = nullptr;
  void (*slistFreeAll)(curl_slist*) = nullptr;
  void* handle = nullptr;
  bool ready = false;

  CurlLibrary() {
    for (const char* name : {"libcurl.so.4", "libcurl.so", "libcurl-gnutls.so.4"}) {
      handle = dlopen(name, RTLD_NOW | RTLD_LOCAL);
      if (handle) break;
    }
    if (!handle) return;
    bool all = true;
    auto find = [&](auto& fn, const char* symbol) {
      fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(dlsym(handle, symbol));
      all = all && fn != nullptr;
    };
    find(globalInit, "curl_global_init");
    find(globalCleanup, "curl_global_cleanup");
    find(easyInit, "curl_easy_init");
    find(easyCleanup, "curl_easy_cleanup");
    find(easySetopt, "curl_easy_setopt");
    find(easyGetinfo, "curl_easy_getinfo");
    find(multiInit, "curl_multi_init");
    find(multiCleanup, "curl_multi_cleanup");
    find(multiAddHandle, "curl_multi_add_handle");
    find(multiRemoveHandle, "curl_multi_remove_handle");
    find(multiPerform, "curl_multi_perform");
    find(multiInfoRead, "curl_multi_info_read");
    find(multiPoll, "curl_multi_poll");
    find(slistAppend, "curl_slist_append");
    find(slistFreeAll, "curl_slist_free_all");
    ready = all && globalInit(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  }
  ~CurlLibrary() {
    if (ready) globalCleanup();
    // The library stays loaded: its own exit handlers may still run.
  }
  CurlLibrary(const CurlLibrary&) = delete;
  CurlLibrary& operator=(const CurlLibrary&) = delete;
};

// libcurl, loaded and set up before the first transfer; nullptr when it cannot be loaded (every
// request then fails, as without a network).
const CurlLibrary* curlLibrary() {
  static const CurlLibrary library;
  return library.ready ? &library : nullptr;
}

std::string utf8(std::u16string_view text) { return encodeUtf8(text); }

struct Received {
  std::string body;
  std::string headers;
  bool oversized = false;
};

std::size_t collect(char* data, std::size_t size, std::size_t count, void* user) {
  auto* r = static_cast<Received*>(user);
  const std::size_t n = size * count;
  if (r->body.size() + n > kHttpBodyLimit) {
    r->oversized = true;
    return 0;  // ends the transfer with an error
  }
  r->body.append(data, n);
  return n;
}

// One header line of the reply; a status line starts the block again (a redirect, a "100
// Continue"), the blank line that ends the block is left out.
std::size_t collectHeader(char* data, std::size_t size, std::size_t count, void* user) {
  auto* r = static_cast<Received*>(user);
  const std::size_t n = size * count;
  const std::string_view line(data, n);
  if (line.starts_with("HTTP/")) {
    r->headers.clear();
  } else if (line != "\r\n" && line != "\n" && r->headers.size() + n <= kHttpBodyLimit) {
    r->headers.append(line);
  }
  return n;
}

std::u16string latin1(std::string_view bytes) {
  std::u16string out;
  for (char c : bytes) out.push_back(static_cast<unsigned char>(c));
  return out;
}

bool sameLetters(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto fold = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; };
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

}  // namespace

struct CurlTransfer::Handles {
  const CurlLibrary* curl = nullptr;
  CURL* easy = nullptr;
  CURLM* multi = nullptr;
  curl_slist* list = nullptr;
  bool attached = false;
  std::string address;
  std::string body;
  Received received;
  std::chrono::steady_clock::time_point deadline;

  ~Handles() {
    if (attached) curl->multiRemoveHandle(multi, easy);
    if (easy) curl->easyCleanup(easy);
    if (multi) curl->multiCleanup(multi);
    if (list) curl->slistFreeAll(list);
  }
};

CurlTransfer::CurlTransfer(const HttpRequest& request) {
  const CurlLibrary* curl = curlLibrary();
  if (!curl) return;
  auto h = std::make_unique<Handles>();
  h->curl = curl;
  h->easy = curl->easyInit();
  h->multi = curl->multiInit();
  if (!h->easy || !h->multi) return;

  bool namesExpect = false;
  auto append = [&](const std::string& line) {
    curl_slist* grown = curl->slistAppend(h->list, line.c_str());
    if (grown) h->list = grown;
    return grown != nullptr;
  };
  for (const HttpHeader& header : request.headers) {
    namesExpect = namesExpect || sameLetters(header.name, u"Expect");
    if (!append(utf8(header.name) + ": " + utf8(header.value))) return;
  }
  const bool post = request.method == u"POST";
  // A body goes with the request at once, not after a "100 Continue" that a server may never send.
  if (post && !namesExpect && !append("Expect:")) return;

  const int limit = request.timeoutMs > 0 ? request.timeoutMs : 1;
  h->address = utf8(request.url);
  h->body = request.body;
  CURL* e = h->easy;
  curl->easySetopt(e, CURLOPT_URL, h->address.c_str());
  if (post) {
    curl->easySetopt(e, CURLOPT_POST, 1L);
    curl->easySetopt(e, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(h->body.size()));
    curl->easySetopt(e, CURLOPT_POSTFIELDS, h->body.data());
  } else if (request.method == u"GET") {
    curl->easySetopt(e, CURLOPT_HTTPGET, 1L);
  } else {
    curl->easySetopt(e, CURLOPT_CUSTOMREQUEST, utf8(request.method).c_str());
  }
  curl->easySetopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
  curl->easySetopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl->easySetopt(e, CURLOPT_FOLLOWLOCATION, 1L);
  curl->easySetopt(e, CURLOPT_MAXREDIRS, 5L);
  curl->easySetopt(e, CURLOPT_NOSIGNAL, 1L);
  curl->easySetopt(e, CURLOPT_TIMEOUT_MS, static_cast<long>(limit));
  curl->easySetopt(e, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kHttpBodyLimit));
  curl->easySetopt(e, CURLOPT_HTTPHEADER, h->list);
  curl->easySetopt(e, CURLOPT_WRITEFUNCTION, collect);
  curl->easySetopt(e, CURLOPT_WRITEDATA, &h->received);
  curl->easySetopt(e, CURLOPT_HEADERFUNCTION, collectHeader);
  curl->easySetopt(e, CURLOPT_HEADERDATA, &h->received);
  if (curl->multiAddHandle(h->multi, e) != CURLM_OK) return;
  h->attached = true;
  h->deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limit);
  handles_ = std::move(h);
}

CurlTransfer::~CurlTransfer() = default;

void CurlTransfer::cancel() { handles_.reset(); }

bool CurlTransfer::poll(int waitMs) {
  if (!handles_) return false;
  Handles& h = *handles_;
  const CurlLibrary* curl = h.curl;
  int running = 0;
  if (curl->multiPerform(h.multi, &running) != CURLM_OK) {
    cancel();
    return false;
  }
  int queued = 0;
  bool finished = false;
  CURLcode result = CURLE_OPERATION_TIMEDOUT;
  while (CURLMsg* msg = curl->multiInfoRead(h.multi, &queued)) {
    if (msg->msg == CURLMSG_DONE && msg->easy_handle == h.easy) {
      result = msg->data.result;
      finished = true;
    }
  }
  if (!finished && running != 0) {
    if (std::chrono::steady_clock::now() >= h.deadline) {
      cancel();
      return false;
    }
    if (waitMs > 0) curl->multiPoll(h.multi, nullptr, 0, waitMs, nullptr);
    return true;
  }
  if (result == CURLE_OK && !h.received.oversized) {
    reply_.ok = true;
    long status = 0;
    curl->easyGetinfo(h.easy, CURLINFO_RESPONSE_CODE, &status);
    reply_.status = static_cast<int>(status);
    char* type = nullptr;
    if (curl->easyGetinfo(h.easy, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type) {
      reply_.contentType = latin1(type);
    }
    reply_.headers = latin1(h.received.headers);
    reply_.body = std::move(h.received.body);
  }
  cancel();
  return false;
}

HttpReply curlGet(std::u16string_view url, int timeoutMs, const std::vector<HttpHeader>& headers,
                  const std::function<void()>& pump) {
  HttpRequest request;
  request.url = std::u16string(url);
  request.headers = headers;
  request.timeoutMs = timeoutMs;
  CurlTransfer transfer(request);
  while (transfer.poll(10)) pump();
  return transfer.reply();
}

}  // namespace yz::sim
