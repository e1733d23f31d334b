#pragma once
// An asynchronous way of asking the cloud pinyin service, which nothing in the program calls: a
// request is started and returns at once; its bracketed reply is taken apart once the transfer has
// finished. The program's own cloud query is the synchronous one of the web queries.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace yz {

class HttpTransfer;
class Platform;

// A transfer running in the background.
class AsyncTransfer {
 public:
  virtual ~AsyncTransfer() = default;
  virtual bool stillExecuting() = 0;
  virtual void cancel() = 0;
  virtual void execute(std::u16string_view url) = 0;
  // The text of the reply of a transfer that has ended, once; nothing while it runs, when it
  // failed or was cancelled, or when the reply was taken already.
  virtual std::optional<std::u16string> takeReply() = 0;
};

// The transfer over the platform's HTTP: a GET with the request headers of the web queries that
// gives up after `timeoutMs`, its reply decoded by its character set.
class PlatformTransfer final : public AsyncTransfer {
 public:
  explicit PlatformTransfer(Platform& platform, int timeoutMs = 3000);
  ~PlatformTransfer() override;
  bool stillExecuting() override;
  void cancel() override;
  void execute(std::u16string_view url) override;
  std::optional<std::u16string> takeReply() override;

 private:
  Platform& platform_;
  int timeoutMs_;
  std::unique_ptr<HttpTransfer> transfer_;
};

struct AsyncCloud {
  std::vector<std::u16string> cloudReplyEntries{u""};  // candidates of the last parsed reply
  AsyncTransfer* transfer = nullptr;                    // none: no transfer is started
  int cancelWaitLimit = 1000;  // polls of a cancelled transfer before giving up on it
};

// Always false (a stub the request asks before it starts).
bool Wait();

// Starts a request for `pinyinQuery`: with fluency first (`lidyx`) it only copies `hjziir` into
// `cloudText`; with an empty query it does nothing. A running transfer is cancelled first (polled
// at most `cancelWaitLimit` times; a transfer that does not stop leaves the request unsent).
void yuu1(AsyncCloud& cloud, bool lidyx, std::u16string_view serviceAddress,
          std::u16string_view pinyinQuery, std::u16string_view hjziir, std::u16string& cloudText);

// Takes a finished reply apart into `cloudReplyEntries` and sets `cloudText` to its first candidate;
// a reply of another shape, or a transfer still running, changes nothing.
void parseBracketReply(AsyncCloud& cloud, std::u16string_view reply, std::u16string& cloudText);

// Hands a finished transfer's reply to `parseBracketReply`, once; false (and nothing changed)
// while the transfer runs, after it failed or was cancelled, and when its reply was taken already.
bool takeCloudReply(AsyncCloud& cloud, std::u16string& cloudText);

// The entries 5 × Index to 5 × Index + 5 (cut at the last entry), joined with "_".
std::u16string getPin(const AsyncCloud& cloud, std::int32_t Index);

}  // namespace yz
