#include "devtools/async_cloud.h"

#include "platform/platform.h"
#include "web/net.h"

namespace yz {

PlatformTransfer::PlatformTransfer(Platform& platform, int timeoutMs)
    : platform_(platform), timeoutMs_(timeoutMs) {}

PlatformTransfer::~PlatformTransfer() = default;

bool PlatformTransfer::stillExecuting() { return transfer_ && transfer_->stillExecuting(); }

void PlatformTransfer::cancel() {
  if (transfer_) transfer_->cancel();
}

void PlatformTransfer::execute(std::u16string_view url) {
  HttpRequest request;
  request.url = std::u16string(url);
  request.headers = webRequestHeaders();
  request.timeoutMs = timeoutMs_;
  transfer_ = platform_.startHttp(request);
}

std::optional<std::u16string> PlatformTransfer::takeReply() {
  if (!transfer_ || transfer_->stillExecuting()) return std::nullopt;
  UrlResult result = decodeReply(platform_, transfer_->reply(), kEncodingAuto);
  transfer_.reset();
  if (result.kind != UrlResult::Kind::text) return std::nullopt;
  return std::move(result.text);
}

bool takeCloudReply(AsyncCloud& cloud, std::u16string& cloudText) {
  if (cloud.transfer == nullptr) return false;
  std::optional<std::u16string> reply = cloud.transfer->takeReply();
  if (!reply) return false;
  parseBracketReply(cloud, *reply, cloudText);
  return true;
}

bool Wait() { return false; }

void yuu1(AsyncCloud& cloud, bool lidyx, std::u16string_view serviceAddress,
          std::u16string_view pinyinQuery, std::u16string_view hjziir, std::u16string& cloudText) {
  if (lidyx) {
    cloudText = std::u16string(hjziir);
    return;
  }
  if (pinyinQuery.empty() || Wait() || cloud.transfer == nullptr) return;
  if (cloud.transfer->stillExecuting()) {
    cloud.transfer->cancel();
    int polls = 0;
    while (cloud.transfer->stillExecuting()) {
      if (++polls > cloud.cancelWaitLimit) return;
    }
  }
  std::u16string url(serviceAddress);
  url += u"/py?py=";
  url += pinyinQuery;
  url += u"&rn=0&pn=20&t=0";
  cloud.transfer->execute(url);
  cloud.cloudReplyEntries.assign(1, u"");
}

void parseBracketReply(AsyncCloud& cloud, std::u16string_view reply, std::u16string& cloudText) {
  if (cloud.transfer != nullptr && cloud.transfer->stillExecuting()) return;
  if (reply.size() < 4) return;
  // The list's closing bracket: the last "]" before the final character.
  std::size_t close = reply.substr(0, reply.size() - 1).rfind(u']');
  if (close == std::u16string_view::npos || close < 3 || close + 3 > reply.size() - 2) return;
  std::u16string_view echo = reply.substr(close + 3, reply.size() - 2 - (close + 3));
  std::u16string_view block = reply.substr(2, close - 2);
  std::vector<std::u16string> entries;
  std::size_t start = 0;
  while (true) {
    std::size_t sep = block.find(u"],", start);
    std::u16string_view piece =
        block.substr(start, sep == std::u16string_view::npos ? std::u16string_view::npos : sep - start);
    std::u16string_view field = piece.substr(0, piece.find(u','));
    entries.emplace_back(field.size() >= 3 ? field.substr(2, field.size() - 3) : std::u16string_view{});
    if (sep == std::u16string_view::npos) break;
    start = sep + 2;
  }
  cloud.cloudReplyEntries = std::move(entries);
  // The hand-over: echo, a space and the first page; its first candidate is the cloud text.
  std::u16string joined(echo);
  joined += u' ';
  joined += getPin(cloud, 0);
  std::u16string_view afterSpace = std::u16string_view(joined).substr(joined.find(u' ') + 1);
  afterSpace = afterSpace.substr(0, afterSpace.find(u' '));
  cloudText = std::u16string(afterSpace.substr(0, afterSpace.find(u'_')));
}

std::u16string getPin(const AsyncCloud& cloud, std::int32_t Index) {
  std::u16string result;
  if (Index < 0) return result;
  std::size_t first = static_cast<std::size_t>(Index) * 5;
  std::size_t lastEntry = cloud.cloudReplyEntries.empty() ? 0 : cloud.cloudReplyEntries.size() - 1;
  if (cloud.cloudReplyEntries.empty() || first > lastEntry) return result;
  std::size_t last = std::min(first + 5, lastEntry);
  for (std::size_t i = first; i <= last; ++i) {
    if (i > first) result += u'_';
    result += cloud.cloudReplyEntries[i];
  }
  return result;
}

}  // namespace yz
