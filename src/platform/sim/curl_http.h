#pragma once
// HTTP over the network through libcurl, for the Linux backend.

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace yz::sim {

// One request over libcurl that the caller moves on by polling it. A failure, the time-out, a
// truncated reply or a body over `kHttpBodyLimit` end it with a reply that is not ok.
class CurlTransfer {
 public:
  explicit CurlTransfer(const HttpRequest& request);
  ~CurlTransfer();
  CurlTransfer(const CurlTransfer&) = delete;
  CurlTransfer& operator=(const CurlTransfer&) = delete;

  // Moves the transfer on, waiting at most `waitMs` for the network; true while it still runs.
  bool poll(int waitMs);
  // Stops the transfer; its reply stays not ok.
  void cancel();
  const HttpReply& reply() const { return reply_; }

 private:
  struct Handles;
  std::unique_ptr<Handles> handles_;  // none once the transfer has ended
  HttpReply reply_;
};

// GETs a URL with these request headers, waiting at most `timeoutMs` for the complete reply and
// running `pump` every few milliseconds while it waits.
HttpReply curlGet(std::u16string_view url, int timeoutMs, const std::vector<HttpHeader>& headers,
                  const std::function<void()>& pump);

}  // namespace yz::sim
