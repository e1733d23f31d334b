// HTTP GET through libcurl for the Linux backend. The transfer runs in a curl multi handle that
// the calling thread drives in short polls, running the caller's pump between them, so queued
// keys, window events and timers go on while a request waits.

#include "platform/sim/curl_http.h"

#include <curl/curl.h>

#include <chrono>
#include <memory>

namespace yz::sim {
namespace {

// libcurl's process-wide set-up, done once before the first transfer.
struct CurlLibrary {
  CurlLibrary() { curl_global_init(CURL_GLOBAL_DEFAULT); }
  ~CurlLibrary() { curl_global_cleanup(); }
};

void ensureCurl() {
  static CurlLibrary library;
  (void)library;
}

std::string utf8(std::u16string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

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
  void operator()(CURL* h) const { curl_easy_cleanup(h); }
};
struct MultiDeleter {
  void operator()(CURLM* h) const { curl_multi_cleanup(h); }
};
struct ListDeleter {
  void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};

}  // namespace

HttpReply curlGet(std::u16string_view url, int timeoutMs, const std::vector<HttpHeader>& headers,
                  const std::function<void()>& pump) {
  ensureCurl();
  const int limit = timeoutMs > 0 ? timeoutMs : 1;
  std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
  std::unique_ptr<CURLM, MultiDeleter> multi(curl_multi_init());
  if (!easy || !multi) return {};

  std::unique_ptr<curl_slist, ListDeleter> list;
  for (const HttpHeader& h : headers) {
    const std::string line = utf8(h.name) + ": " + utf8(h.value);
    curl_slist* grown = curl_slist_append(list.get(), line.c_str());
    if (!grown) return {};
    list.release();
    list.reset(grown);
  }

  Transfer transfer;
  const std::string address = utf8(url);
  CURL* h = easy.get();
  curl_easy_setopt(h, CURLOPT_URL, address.c_str());
  curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(h, CURLOPT_MAXREDIRS, 5L);
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(limit));
  curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kHttpBodyLimit));
  curl_easy_setopt(h, CURLOPT_HTTPHEADER, list.get());
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, collect);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer);
  if (curl_multi_add_handle(multi.get(), h) != CURLM_OK) return {};

  // Detaches the easy handle before either is cleaned up, also when the pump throws.
  struct Detach {
    CURLM* m;
    CURL* e;
    ~Detach() { curl_multi_remove_handle(m, e); }
  } detach{multi.get(), h};

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limit);
  CURLcode result = CURLE_OPERATION_TIMEDOUT;
  for (;;) {
    int running = 0;
    if (curl_multi_perform(multi.get(), &running) != CURLM_OK) return {};
    int queued = 0;
    bool finished = false;
    while (CURLMsg* msg = curl_multi_info_read(multi.get(), &queued)) {
      if (msg->msg == CURLMSG_DONE && msg->easy_handle == h) {
        result = msg->data.result;
        finished = true;
      }
    }
    if (finished || running == 0) break;
    if (std::chrono::steady_clock::now() >= deadline) return {};
    curl_multi_poll(multi.get(), nullptr, 0, 10, nullptr);
    pump();
  }
  if (result != CURLE_OK || transfer.oversized) return {};

  HttpReply reply;
  reply.ok = true;
  long status = 0;
  curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
  reply.status = static_cast<int>(status);
  char* type = nullptr;
  if (curl_easy_getinfo(h, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type) {
    for (const char* p = type; *p; ++p) reply.contentType.push_back(static_cast<unsigned char>(*p));
  }
  reply.body = std::move(transfer.body);
  return reply;
}

}  // namespace yz::sim
