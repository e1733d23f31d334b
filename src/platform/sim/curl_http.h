#pragma once
// HTTP GET over the network through libcurl, for the Linux backend.

#include <functional>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace yz::sim {

// GETs a URL with these request headers, waiting at most `timeoutMs` for the complete reply and
// running `pump` every few milliseconds while it waits. A failure, the time-out, a truncated
// reply or a body over `kHttpBodyLimit` give a reply that is not ok.
HttpReply curlGet(std::u16string_view url, int timeoutMs, const std::vector<HttpHeader>& headers,
                  const std::function<void()>& pump);

}  // namespace yz::sim
