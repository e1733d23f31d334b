#include "devtools/async_cloud.h"

#include <gtest/gtest.h>

#include "../support/fake_web_server.h"
#include "platform/sim/sim_platform.h"

namespace yz {
namespace {

using testing::FakeReply;
using testing::FakeRequest;
using testing::FakeWebServer;

class FakeTransfer : public AsyncTransfer {
 public:
  bool running = false;
  bool stuck = false;  // ignores cancel
  std::vector<std::u16string> started;
  bool stillExecuting() override { return running; }
  void cancel() override { running = stuck; }
  void execute(std::u16string_view url) override {
    started.emplace_back(url);
    running = true;
  }
  std::optional<std::u16string> takeReply() override { return std::nullopt; }
};

// Lets real time pass, 10 ms of the platform's clock at a time, until `done` holds or about ten
// seconds have passed; whether it holds.
template <typename Done>
bool waitUntil(SimPlatform& platform, Done done) {
  for (int i = 0; i < 1000 && !done(); ++i) platform.sleepMs(10);
  return done();
}

TEST(AsyncCloud, ARequestOverThePlatformHandsItsReplyOverOnceItIsIn) {
  FakeWebServer server;
  server.setHandler([](const FakeRequest&) {
    FakeReply r;
    r.delayMs = 200;
    r.body = "[[[\"\xE4\xBD\xA0\xE5\xA5\xBD\",0,1],[\"\xE6\x8B\x9F\xE5\xA5\xBD\",0,2]],\"ni'hao\"]";
    return r;
  });
  SimPlatform platform;
  PlatformTransfer transfer(platform);
  AsyncCloud cloud;
  cloud.transfer = &transfer;
  cloud.cloudReplyEntries = {u"earlier"};
  std::u16string cloudText = u"old";
  yuu1(cloud, false, server.address(), u"ni'hao", u"", cloudText);
  // The request returned at once; until the reply is in, nothing is handed over.
  EXPECT_TRUE(transfer.stillExecuting());
  EXPECT_FALSE(takeCloudReply(cloud, cloudText));
  EXPECT_EQ(cloudText, u"old");
  EXPECT_EQ(cloud.cloudReplyEntries, std::vector<std::u16string>{u""});

  ASSERT_TRUE(waitUntil(platform, [&] { return !transfer.stillExecuting(); }));
  EXPECT_TRUE(takeCloudReply(cloud, cloudText));
  EXPECT_EQ(cloudText, u"你好");
  EXPECT_EQ(cloud.cloudReplyEntries, (std::vector<std::u16string>{u"你好", u"拟好"}));
  cloudText = u"later";
  EXPECT_FALSE(takeCloudReply(cloud, cloudText));  // a reply is handed over once
  EXPECT_EQ(cloudText, u"later");

  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].path, "/py");
  EXPECT_EQ(requests[0].query, (std::map<std::string, std::string>{
                                   {"py", "ni'hao"}, {"rn", "0"}, {"pn", "20"}, {"t", "0"}}));
}

TEST(AsyncCloud, ANewRequestCancelsTheRunningOneAndAReplyThatNeverComesChangesNothing) {
  FakeWebServer server;
  server.setHandler([](const FakeRequest&) {
    FakeReply r;
    r.silent = true;
    return r;
  });
  SimPlatform platform;
  PlatformTransfer transfer(platform, 500);
  AsyncCloud cloud;
  cloud.transfer = &transfer;
  std::u16string cloudText = u"old";
  yuu1(cloud, false, server.address(), u"ni", u"", cloudText);
  ASSERT_TRUE(waitUntil(platform, [&] {
    return !transfer.stillExecuting() || server.requestCount("/py") == 1;
  }));
  ASSERT_TRUE(transfer.stillExecuting());
  yuu1(cloud, false, server.address(), u"hao", u"", cloudText);
  ASSERT_TRUE(waitUntil(platform, [&] {
    transfer.stillExecuting();  // moves the transfer on
    return server.requestCount("/py") == 2;
  }));
  EXPECT_EQ(server.requests()[1].query.at("py"), "hao");
  ASSERT_TRUE(waitUntil(platform, [&] { return !transfer.stillExecuting(); }));  // the time-out
  EXPECT_FALSE(takeCloudReply(cloud, cloudText));
  EXPECT_EQ(cloudText, u"old");
  EXPECT_EQ(cloud.cloudReplyEntries, std::vector<std::u16string>{u""});
}

TEST(AsyncCloud, RequestStartsOrCopiesLocalResult) {
  AsyncCloud cloud;
  FakeTransfer transfer;
  cloud.transfer = &transfer;
  std::u16string cloudText = u"old";
  yuu1(cloud, true, u"http://cloud", u"nihao", u"你好", cloudText);
  EXPECT_EQ(cloudText, u"你好");
  EXPECT_TRUE(transfer.started.empty());
  yuu1(cloud, false, u"http://cloud", u"", u"你好", cloudText);
  EXPECT_TRUE(transfer.started.empty());
  cloud.cloudReplyEntries = {u"x", u"y"};
  transfer.running = true;  // an earlier request is cancelled first
  yuu1(cloud, false, u"http://cloud", u"nihao", u"你好", cloudText);
  ASSERT_EQ(transfer.started.size(), 1u);
  EXPECT_EQ(transfer.started[0], u"http://cloud/py?py=nihao&rn=0&pn=20&t=0");
  EXPECT_EQ(cloud.cloudReplyEntries, std::vector<std::u16string>{u""});
  EXPECT_EQ(cloudText, u"你好");
}

TEST(AsyncCloud, TransferThatWillNotStopEndsTheWait) {
  AsyncCloud cloud;
  FakeTransfer transfer;
  transfer.running = true;
  transfer.stuck = true;
  cloud.transfer = &transfer;
  std::u16string cloudText;
  yuu1(cloud, false, u"http://cloud", u"nihao", u"", cloudText);
  EXPECT_TRUE(transfer.started.empty());
  // Without a transfer object nothing starts and nothing fails.
  AsyncCloud none;
  yuu1(none, false, u"http://cloud", u"nihao", u"", cloudText);
  EXPECT_EQ(none.cloudReplyEntries, std::vector<std::u16string>{u""});
}

TEST(AsyncCloud, ReplyParsedIntoEntriesAndPages) {
  AsyncCloud cloud;
  std::u16string cloudText;
  parseBracketReply(cloud, u"[[[\"你好\",0,1],[\"拟好\",0,2],[\"泥\",1,3]],\"ni'hao\"]", cloudText);
  EXPECT_EQ(cloud.cloudReplyEntries, (std::vector<std::u16string>{u"你好", u"拟好", u"泥"}));
  EXPECT_EQ(getPin(cloud, 0), u"你好_拟好_泥");
  EXPECT_EQ(cloudText, u"你好");

  cloud.cloudReplyEntries = {u"0", u"1", u"2", u"3", u"4", u"5", u"6", u"7"};
  EXPECT_EQ(getPin(cloud, 0), u"0_1_2_3_4_5");
  EXPECT_EQ(getPin(cloud, 1), u"5_6_7");
  EXPECT_EQ(getPin(cloud, 2), u"");
}

TEST(AsyncCloud, BrokenRepliesChangeNothing) {
  for (std::u16string reply : {u"", u"]]", u"abcdef", u"[[]", u"[[[\"x\"]]", u"]]]]]]"}) {
    AsyncCloud cloud;
    cloud.cloudReplyEntries = {u"keep"};
    std::u16string cloudText = u"keep";
    parseBracketReply(cloud, reply, cloudText);
    EXPECT_EQ(cloudText, u"keep");
    EXPECT_EQ(cloud.cloudReplyEntries, std::vector<std::u16string>{u"keep"});
  }
  // A transfer still running: nothing is read.
  AsyncCloud cloud;
  FakeTransfer transfer;
  transfer.running = true;
  cloud.transfer = &transfer;
  std::u16string cloudText = u"keep";
  parseBracketReply(cloud, u"[[[\"你好\",0]],\"nihao\"]", cloudText);
  EXPECT_EQ(cloudText, u"keep");
}

}  // namespace
}  // namespace yz
