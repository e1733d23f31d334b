#pragma once
// A fake of the three web services for the tests: an HTTP server on 127.0.0.1 at a free port,
// run by threads of the test itself. Each request goes to a handler that the test sets; the
// default one answers like the services from small tables. A reply can come late, never, cut
// short, with a wrong character set or as an error page. The server stops when it is destroyed,
// and by itself after a minute in any case, so a test that hangs leaves nothing behind.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace yz::testing {

struct FakeRequest {
  std::string method;  // "GET", "POST", ...
  std::string target;  // path and query as sent
  std::string path;    // without the query
  std::map<std::string, std::string> query;  // percent-decoded values
  std::string headers; // the request's header lines
  std::string body;    // the request's body (as long as its Content-Length says)
};

struct FakeReply {
  int status = 200;
  std::optional<std::string> contentType = "application/json; charset=utf-8";  // none: no header
  std::string body;
  std::string headers;    // further header lines of the reply, each ending in CR LF
  int delayMs = 0;        // waits this long before it answers
  bool silent = false;    // never answers
  bool truncated = false; // announces a longer body and closes the connection early
};

// The answers of the fake services (UTF-8 texts).
struct FakeServices {
  std::map<std::string, std::string> cloudPinyin;  // pinyin query -> sentence
  std::map<std::string, std::string> inputTools;   // pinyin query -> sentence
  std::map<std::string, int> suggestionHits;       // phrase -> suggestions holding it

  // A cloud pinyin reply: the answer stands between the third and the fourth double quote.
  static std::string cloudPinyinReply(const std::string& query, const std::string& answer) {
    return "{\"0\":[[[\"" + answer + "\",5,{\"pinyin\":\"" + query +
           "\",\"type\":\"IMEDICT\"}]]],\"1\":\"" + query + "\",\"result\":[null]}";
  }
  // An input-tools reply with one candidate: the third comma field is ["answer"].
  static std::string inputToolsReply(const std::string& query, const std::string& answer) {
    return "[\"SUCCESS\",[[\"" + query + "\",[\"" + answer + "\"],[],{}]]]";
  }
  // A suggestion reply in which the phrase occurs `n` times; with none it lists no suggestions.
  static std::string suggestionReply(const std::string& phrase, int n) {
    std::string reply = "{\"err_no\":0,\"errmsg\":\"\"";
    if (n > 0) {
      reply += ",\"g\":[";
      for (int i = 0; i < n; ++i) {
        if (i) reply += ",";
        reply += "{\"type\":\"sug\",\"sa\":\"s_" + std::to_string(i + 1) + "\",\"q\":\"" + phrase +
                 std::to_string(i + 1) + "\"}";
      }
      reply += "]";
    }
    return reply + "}";
  }

  FakeReply answer(const FakeRequest& r) const {
    FakeReply reply;
    auto value = [&](const char* key) {
      auto it = r.query.find(key);
      return it == r.query.end() ? std::string() : it->second;
    };
    if (r.path == "/py") {
      const std::string q = value("py");
      auto it = cloudPinyin.find(q);
      reply.body = it == cloudPinyin.end() ? "{\"0\":[]}"
                                           : cloudPinyinReply(q, it->second);
    } else if (r.path == "/inputtools/request") {
      const std::string q = value("text");
      auto it = inputTools.find(q);
      reply.body = it == inputTools.end() ? "[\"FAILED_TO_PARSE_REQUEST_BODY\"]"
                                          : inputToolsReply(q, it->second);
    } else if (r.path == "/sugrec") {
      const std::string wd = value("wd");
      auto it = suggestionHits.find(wd);
      reply.body = suggestionReply(wd, it == suggestionHits.end() ? 0 : it->second);
    } else {
      reply.status = 404;
      reply.contentType = "text/html";
      reply.body = "<html><body>Not Found</body></html>";
    }
    return reply;
  }
};

class FakeWebServer {
 public:
  using Handler = std::function<FakeReply(const FakeRequest&)>;

  FakeWebServer() {
#ifdef _WIN32
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
#endif
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);  // only 127.0.0.1
    address.sin_port = 0;                              // a free port
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    listen(listener_, 16);
    deadline_ = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    acceptor_ = std::thread([this] { acceptLoop(); });
  }

  ~FakeWebServer() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    acceptor_.join();
    std::vector<std::thread> workers;
    {
      std::lock_guard lock(mutex_);
      workers.swap(workers_);
    }
    for (auto& t : workers) t.join();
    closeSocket(listener_);
#ifdef _WIN32
    WSACleanup();
#endif
  }

  FakeWebServer(const FakeWebServer&) = delete;
  FakeWebServer& operator=(const FakeWebServer&) = delete;

  int port() const { return port_; }
  // "http://127.0.0.1:PORT", the address the services are pointed at.
  std::u16string address() const {
    const std::string a = "http://127.0.0.1:" + std::to_string(port_);
    return std::u16string(a.begin(), a.end());
  }

  // The handler of the next requests; the default answers from `services`.
  void setHandler(Handler handler) {
    std::lock_guard lock(mutex_);
    handler_ = std::move(handler);
  }
  FakeServices services;

  std::vector<FakeRequest> requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
  }
  std::size_t requestCount(const std::string& path) const {
    std::lock_guard lock(mutex_);
    return static_cast<std::size_t>(std::count_if(
        requests_.begin(), requests_.end(), [&](const FakeRequest& r) { return r.path == path; }));
  }

 private:
#ifdef _WIN32
  using Socket = SOCKET;
  static void closeSocket(Socket s) { closesocket(s); }
  static constexpr int kSendFlags = 0;
#else
  using Socket = int;
  static void closeSocket(Socket s) { close(s); }
  static constexpr int kSendFlags = MSG_NOSIGNAL;
#endif

  bool stopping() {
    std::lock_guard lock(mutex_);
    return stop_ || std::chrono::steady_clock::now() >= deadline_;
  }

  // Waits until a socket is readable; false when the server stops first.
  bool readable(Socket s) {
    while (!stopping()) {
      fd_set set;
      FD_ZERO(&set);
      FD_SET(s, &set);
      timeval wait{0, 20000};
      const int n = select(static_cast<int>(s) + 1, &set, nullptr, nullptr, &wait);
      if (n > 0) return true;
      if (n < 0) return false;
    }
    return false;
  }

  void acceptLoop() {
    while (readable(listener_)) {
      const Socket client = accept(listener_, nullptr, nullptr);
#ifdef _WIN32
      if (client == INVALID_SOCKET) continue;
#else
      if (client < 0) continue;
#endif
      std::lock_guard lock(mutex_);
      workers_.emplace_back([this, client] { serve(client); });
    }
  }

  static int hex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }
  static std::string decode(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
      if (s[i] == '%' && i + 2 < s.size() + 0 && hex(s[i + 1]) >= 0 && hex(s[i + 2]) >= 0) {
        out.push_back(static_cast<char>(hex(s[i + 1]) * 16 + hex(s[i + 2])));
        i += 2;
      } else {
        out.push_back(s[i] == '+' ? ' ' : s[i]);
      }
    }
    return out;
  }

  static FakeRequest parse(const std::string& head) {
    FakeRequest r;
    const std::size_t lineEnd = head.find("\r\n");
    const std::string first = head.substr(0, lineEnd);
    const std::size_t a = first.find(' ');
    const std::size_t b = first.rfind(' ');
    if (a != std::string::npos) r.method = first.substr(0, a);
    if (a != std::string::npos && b > a) r.target = first.substr(a + 1, b - a - 1);
    r.headers = lineEnd == std::string::npos ? "" : head.substr(lineEnd + 2);
    const std::size_t q = r.target.find('?');
    r.path = r.target.substr(0, q);
    if (q == std::string::npos) return r;
    const std::string query = r.target.substr(q + 1);
    std::size_t start = 0;
    while (start <= query.size()) {
      std::size_t end = query.find('&', start);
      if (end == std::string::npos) end = query.size();
      const std::string pair = query.substr(start, end - start);
      const std::size_t eq = pair.find('=');
      r.query[decode(pair.substr(0, eq))] = eq == std::string::npos ? "" : decode(pair.substr(eq + 1));
      start = end + 1;
    }
    return r;
  }

  // The Content-Length of a request's header lines; 0 when it names none.
  static std::size_t contentLength(const std::string& headers) {
    std::string lower;
    for (char c : headers) lower.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c);
    const std::size_t at = lower.find("content-length:");
    if (at == std::string::npos) return 0;
    std::size_t n = 0;
    for (std::size_t i = at + 15; i < lower.size() && n < (1u << 24); ++i) {
      if (lower[i] >= '0' && lower[i] <= '9') {
        n = n * 10 + static_cast<std::size_t>(lower[i] - '0');
      } else if (lower[i] != ' ') {
        break;
      }
    }
    return n;
  }

  void sendAll(Socket s, const std::string& data) {
    std::size_t sent = 0;
    while (sent < data.size()) {
      const int n = send(s, data.data() + sent, static_cast<int>(data.size() - sent), kSendFlags);
      if (n <= 0) return;
      sent += static_cast<std::size_t>(n);
    }
  }

  void serve(Socket client) {
    // A client that stops reading (a reply over the size bound) must not hold the server in send()
    // past the end of the test.
#ifdef _WIN32
    const DWORD sendLimit = 5000;
    setsockopt(client, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&sendLimit), sizeof sendLimit);
#else
    const timeval sendLimit{5, 0};
    setsockopt(client, SOL_SOCKET, SO_SNDTIMEO, &sendLimit, sizeof sendLimit);
#endif
    std::string head;
    char buffer[2048];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
      if (!readable(client)) break;
      const int n = recv(client, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      head.append(buffer, static_cast<std::size_t>(n));
    }
    if (head.find("\r\n\r\n") == std::string::npos) {
      closeSocket(client);
      return;
    }
    const std::size_t headEnd = head.find("\r\n\r\n");
    FakeRequest request = parse(head.substr(0, headEnd));
    request.body = head.substr(headEnd + 4);
    const std::size_t bodyLength = contentLength(request.headers);
    while (request.body.size() < bodyLength && readable(client)) {
      const int n = recv(client, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      request.body.append(buffer, static_cast<std::size_t>(n));
    }
    Handler handler;
    {
      std::lock_guard lock(mutex_);
      requests_.push_back(request);
      handler = handler_;
    }
    const FakeReply reply = handler ? handler(request) : services.answer(request);
    std::unique_lock lock(mutex_);
    const auto until = std::min(deadline_, std::chrono::steady_clock::now() +
                                               std::chrono::milliseconds(reply.silent ? 3600000 : reply.delayMs));
    wake_.wait_until(lock, until, [&] { return stop_; });
    const bool stop = stop_;
    lock.unlock();
    if (!stop && !reply.silent) {
      std::string out = "HTTP/1.1 " + std::to_string(reply.status) + " " +
                        (reply.status < 400 ? "OK" : "Error") + "\r\n";
      if (reply.contentType) out += "Content-Type: " + *reply.contentType + "\r\n";
      out += reply.headers;
      const std::size_t length = reply.body.size() + (reply.truncated ? 100 : 0);
      out += "Content-Length: " + std::to_string(length) + "\r\nConnection: close\r\n\r\n";
      sendAll(client, out + reply.body);
    }
    closeSocket(client);
  }

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
  std::chrono::steady_clock::time_point deadline_;
  Socket listener_;
  int port_ = 0;
  Handler handler_;
  std::vector<FakeRequest> requests_;
  std::thread acceptor_;
  std::vector<std::thread> workers_;
};

}  // namespace yz::testing
