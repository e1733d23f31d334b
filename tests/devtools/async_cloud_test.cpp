#include "devtools/async_cloud.h"

#include <gtest/gtest.h>

namespace yz {
namespace {

class FakeTransfer : public AsyncTransfer {
 public:
  bool running = false;
  bool stuck = false;  // ignores cancel
  std::vector<std::u16string> started;
  bool stillExecuting() const override { return running; }
  void cancel() override { running = stuck; }
  void execute(std::u16string_view url) override {
    started.emplace_back(url);
    running = true;
  }
};

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
