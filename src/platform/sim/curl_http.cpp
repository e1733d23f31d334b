// HTTP GET through libcurl for the Linux backend. The transfer runs in a curl multi handle that
// the calling thread drives in short polls, running the caller's pump between them, so queued
// keys, window events and timers go on while a request waits.
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

struct Transfer {
  std::string body;
  bool oversized = false;
};

std::size_t collect(char* data, std::size_t size, std::size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  const std::size_t n = size * count;
  if (t->body.size() + n > kHttpBodyLimit) {
    t->oversized = true;
    return 0;  // ends the transfer with an error
  }
  t->body.append(data, n);
  return n;
}

struct EasyDeleter {
  const CurlLibrary* curl;
  void operator()(CURL* h) const { curl->easyCleanup(h); }
};
struct MultiDeleter {
  const CurlLibrary* curl;
  void operator()(CURLM* h) const { curl->multiCleanup(h); }
};
struct ListDeleter {
  const CurlLibrary* curl;
  void operator()(curl_slist* l) const { curl->slistFreeAll(l); }
};

}  // namespace

HttpReply curlGet(std::u16string_view url, int timeoutMs, const std::vector<HttpHeader>& headers,
                  const std::function<void()>& pump) {
  const CurlLibrary* curl = curlLibrary();
  if (!curl) return {};
  const int limit = timeoutMs > 0 ? timeoutMs : 1;
  std::unique_ptr<CURL, EasyDeleter> easy(curl->easyInit(), EasyDeleter{curl});
  std::unique_ptr<CURLM, MultiDeleter> multi(curl->multiInit(), MultiDeleter{curl});
  if (!easy || !multi) return {};

  std::unique_ptr<curl_slist, ListDeleter> list(nullptr, ListDeleter{curl});
  for (const HttpHeader& h : headers) {
    const std::string line = utf8(h.name) + ": " + utf8(h.value);
    curl_slist* grown = curl->slistAppend(list.get(), line.c_str());
    if (!grown) return {};
    list.release();
    list.reset(grown);
  }

  Transfer transfer;
  const std::string address = utf8(url);
  CURL* h = easy.get();
  curl->easySetopt(h, CURLOPT_URL, address.c_str());
  curl->easySetopt(h, CURLOPT_HTTPGET, 1L);
  curl->easySetopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
  curl->easySetopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl->easySetopt(h, CURLOPT_FOLLOWLOCATION, 1L);
  curl->easySetopt(h, CURLOPT_MAXREDIRS, 5L);
  curl->easySetopt(h, CURLOPT_NOSIGNAL, 1L);
  curl->easySetopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(limit));
  curl->easySetopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kHttpBodyLimit));
  curl->easySetopt(h, CURLOPT_HTTPHEADER, list.get());
  curl->easySetopt(h, CURLOPT_WRITEFUNCTION, collect);
  curl->easySetopt(h, CURLOPT_WRITEDATA, &transfer);
  if (curl->multiAddHandle(multi.get(), h) != CURLM_OK) return {};

  // Detaches the easy handle before either is cleaned up, also when the pump throws.
  struct Detach {
    const CurlLibrary* curl;
    CURLM* m;
    CURL* e;
    ~Detach() { curl->multiRemoveHandle(m, e); }
  } detach{curl, multi.get(), h};

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limit);
  CURLcode result = CURLE_OPERATION_TIMEDOUT;
  for (;;) {
    int running = 0;
    if (curl->multiPerform(multi.get(), &running) != CURLM_OK) return {};
    int queued = 0;
    bool finished = false;
    while (CURLMsg* msg = curl->multiInfoRead(multi.get(), &queued)) {
      if (msg->msg == CURLMSG_DONE && msg->easy_handle == h) {
        result = msg->data.result;
        finished = true;
      }
    }
    if (finished || running == 0) break;
    if (std::chrono::steady_clock::now() >= deadline) return {};
    curl->multiPoll(multi.get(), nullptr, 0, 10, nullptr);
    pump();
  }
  if (result != CURLE_OK || transfer.oversized) return {};

  HttpReply reply;
  reply.ok = true;
  long status = 0;
  curl->easyGetinfo(h, CURLINFO_RESPONSE_CODE, &status);
  reply.status = static_cast<int>(status);
  char* type = nullptr;
  if (curl->easyGetinfo(h, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type) {
    for (const char* p = type; *p; ++p) reply.contentType.push_back(static_cast<unsigned char>(*p));
  }
  reply.body = std::move(transfer.body);
  return reply;
}

}  // namespace yz::sim
