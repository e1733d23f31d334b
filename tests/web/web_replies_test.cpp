// The replies of the three services as the queries read them, against the fake services on the
// loopback interface: through libcurl on the sim backend, through WinHTTP in the win32 build
// (under Wine). The cloud sentence check that needs the encoder's tables is tested with the
// whole program in web_queries_test.cpp.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "../support/fake_web_server.h"
#include "lexicon/files.h"
#include "lexicon/gbk.h"
#include "state/encoder_cells.h"
#include "state/lexicon_state.h"
#include "state/settings.h"
#include "state/window_state.h"
#include "web/web_queries.h"
#ifdef _WIN32
#include "platform/win32/win32_platform.h"
#else
#include "platform/sim/sim_platform.h"
#endif

namespace yz {
namespace {

using testing::FakeReply;
using testing::FakeRequest;
using testing::FakeWebServer;

#ifdef _WIN32
using TestPlatform = Win32Platform;
#else
using TestPlatform = SimPlatform;
#endif

// The web queries on their own state, pointed at the fake server.
class WebRepliesTest : public ::testing::Test {
 protected:
  WebRepliesTest() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = std::filesystem::path(::testing::TempDir()) /
            (std::string("yz-web-") + info->name() + "-" +
             std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_);
    queries_.setHosts(ServiceHosts{server.address(), server.address(), server.address()});
  }
  ~WebRepliesTest() override { std::filesystem::remove_all(root_); }

  WebQueries& web() { return queries_; }
  WebCells& cells() { return web_; }
  PassState& pass() { return pass_; }
  // What a caller of yuu prepares for the local sentence 你好 of the code "nihk".
  void prepareSentence() {
    pass_.hjziir = u"你好";
    pass_.bmstr = u"nihk";
    conv_.wordIndex = 1;
    conv_.wordTable[1] = {u"nihk", u"你好"};
    web_.up = u"nihk";
    web_.pinyinQuery = u"'ni'hao";
  }
  void pointAt(const std::u16string& address) {
    queries_.setHosts(ServiceHosts{address, address, address});
  }

  FakeWebServer server;

 private:
  std::filesystem::path root_;
  TestPlatform platform_;
  ProgramFolder files_{root_};
  GbkTable gbk_{platform_};
  LexiconState lex_;
  Settings settings_;
  CandidateBoxes boxes_;
  PassState pass_;
  RaceState race_;
  EncoderCells enc_;
  WebCells web_;
  ConversionState conv_;
  WebQueries queries_{WebContext{platform_, files_, gbk_, web_, pass_, conv_,
                                 EncoderContext{lex_, gbk_, settings_, boxes_, pass_, race_, enc_}}};
};

TEST_F(WebRepliesTest, HitCountsOfOnePhrase) {
  server.services.suggestionHits = {{"砚舟", 12}, {"舟砚", 0}};
  EXPECT_EQ(web().xymaypu(u"砚舟"), 12);
  EXPECT_EQ(web().xymaypu(u"舟砚"), 0);
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].path, "/sugrec");
  EXPECT_EQ(requests[0].target.substr(0, requests[0].target.find("&wd=")),
            "/sugrec?pre=1&p=3&ie=utf-8&json=1&prod=pc&from=pc_web");
  EXPECT_EQ(requests[0].query.at("wd"), "砚舟");
  EXPECT_EQ(requests[0].query.at("qq-pf-to"), "pcqq.group");

  // An empty reply, and an error page of the service, count as they stand.
  server.setHandler([](const FakeRequest&) {
    FakeReply r;
    r.body = "";
    return r;
  });
  EXPECT_EQ(web().xymaypu(u"砚舟"), -1);
  pointAt(u"http://127.0.0.1:1");
  EXPECT_EQ(web().xymaypu(u"砚舟"), -1);
}


TEST_F(WebRepliesTest, PhraseWithUrlCharactersIsSentWhole) {
  server.services.suggestionHits = {{"a&b#c", 2}};
  EXPECT_EQ(web().xymaypu(u"a&b#c"), 2);
}


TEST_F(WebRepliesTest, PairCountsRetryUntilTheReplyListsSuggestions) {
  // One request when the first reply lists suggestions.
  server.services.suggestionHits = {{"砚舟", 3}};
  EXPECT_EQ(web().xymaypu1(u"砚", u"舟"), 6);
  EXPECT_EQ(server.requestCount("/sugrec"), 1u);
  EXPECT_EQ(cells().xymayp0, 3);
  EXPECT_EQ(cells().xymayp1, 3);
  EXPECT_EQ(cells().xymayp2, 3);
  EXPECT_EQ(cells().xymayp3, 9);  // c = 3 (the last character of strx1 is strx1)

  // Three when none does; every count is then 0 in a reply that is not empty.
  server.services.suggestionHits.clear();
  EXPECT_EQ(web().xymaypu1(u"砚", u"舟"), 0);
  EXPECT_EQ(server.requestCount("/sugrec"), 4u);

  // The second reply lists them: two requests.
  int n = 0;
  server.setHandler([&](const FakeRequest& r) {
    FakeReply reply;
    reply.body = ++n == 1 ? "{}" : testing::FakeServices::suggestionReply(r.query.at("wd"), 1);
    return reply;
  });
  web().xymaypu1(u"砚", u"舟");
  EXPECT_EQ(server.requestCount("/sugrec"), 6u);
}


TEST_F(WebRepliesTest, PairScoreRules) {
  struct Case {
    std::string reply;
    float xymayp0, xymayp1, xymayp2, xymayp3, result;
  };
  const Case cases[] = {
      // c = 1, xymayp1 = 1, xymayp2 = 3: the score is dropped.
      {"type 甲乙 丙 丙 丙", 0, 1, 3, 0, 4},
      // xymayp2 = 1 drops it whatever the rest.
      {"type 甲乙丙 乙乙 甲乙", 1, 2, 1, 0, 3},
      // c = 2, xymayp1 = 1, xymayp2 = 3: 6.
      {"type 甲乙 乙 丙丙丙", 0, 1, 3, 6, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reply);
    server.setHandler([&](const FakeRequest&) {
      FakeReply r;
      r.body = c.reply;
      return r;
    });
    EXPECT_EQ(web().xymaypu1(u"甲乙", u"丙"), c.result);
    EXPECT_EQ(cells().xymayp0, c.xymayp0);
    EXPECT_EQ(cells().xymayp1, c.xymayp1);
    EXPECT_EQ(cells().xymayp2, c.xymayp2);
    EXPECT_EQ(cells().xymayp3, c.xymayp3);
  }
}


TEST_F(WebRepliesTest, FullPinyinTakesTheFirstAnswerUnchecked) {
  server.services.cloudPinyin = {{"nihao", "你好"}};
  server.services.inputTools = {{"zhongguo", "中国"}};
  pass().bmstr = u"nihao";
  web().yuuqp();
  EXPECT_EQ(cells().pinyinQuery, u"nihao");
  EXPECT_EQ(cells().cloudText, u"你好");
  EXPECT_EQ(server.requestCount("/inputtools/request"), 0u);
  pass().bmstr = u"zhongguo";
  web().yuuqp();
  EXPECT_EQ(cells().cloudText, u"中国");
  pass().bmstr.clear();
  web().yuuqp();
  EXPECT_EQ(cells().cloudText, u"");
  EXPECT_EQ(server.requestCount("/py"), 2u);
}

TEST_F(WebRepliesTest, OfflineEveryQueryEndsWithItsLocalResult) {
  pointAt(u"http://127.0.0.1:1");
  EXPECT_EQ(web().xymaypu(u"砚舟"), -1);
  EXPECT_EQ(web().xymaypu1(u"砚", u"舟"), -2);
  EXPECT_EQ(cells().xymayp0, -1);
  EXPECT_EQ(cells().xymayp3, -3);
  prepareSentence();
  web().yuu();
  EXPECT_EQ(cells().cloudText, u"你好");
  pass().bmstr = u"nihao";
  web().yuuqp();
  EXPECT_EQ(cells().cloudText, u"");
}

// A service that accepts the connection and never answers: each request ends at its time-out.
TEST_F(WebRepliesTest, ASilentServiceBlocksNoLongerThanTheTimeOut) {
  server.setHandler([](const FakeRequest&) {
    FakeReply r;
    r.silent = true;
    return r;
  });
  web().timeoutMs = 300;
  auto timed = [](auto&& call) {
    const auto start = std::chrono::steady_clock::now();
    call();
    return std::chrono::steady_clock::now() - start;
  };
  EXPECT_LT(timed([&] { EXPECT_EQ(web().xymaypu(u"砚舟"), -1); }), std::chrono::milliseconds(1000));
  EXPECT_GE(cells().sentenceWaitMs, 300u);
  // The sentence has waited its time-out: the next queries of the same sentence ask nothing and
  // end with their local results at once.
  const std::uint32_t waited = cells().sentenceWaitMs;
  EXPECT_EQ(web().xymaypu1(u"砚", u"舟"), -2);
  prepareSentence();
  web().yuu();
  EXPECT_EQ(cells().cloudText, u"你好");
  EXPECT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(cells().sentenceWaitMs, waited);
  // The next sentence waits again, once in all: the second service is not asked after the first
  // took the whole time-out.
  cells().sentenceWaitMs = 0;
  EXPECT_LT(timed([&] { web().yuu(); }), std::chrono::milliseconds(300 + 1000));
  EXPECT_EQ(cells().cloudText, u"你好");
  EXPECT_EQ(server.requestCount("/py"), 1u);
  EXPECT_EQ(server.requestCount("/inputtools/request"), 0u);
  cells().sentenceWaitMs = 0;
  EXPECT_LT(timed([&] { EXPECT_EQ(web().xymaypu1(u"砚", u"舟"), -2); }), std::chrono::milliseconds(300 + 1000));
  EXPECT_EQ(server.requestCount("/sugrec"), 2u);
}

// Two joined phrases counted in the reply for them, one request.
TEST_F(WebRepliesTest, HitCountOfAJoinedPair) {
  server.services.suggestionHits = {{"砚舟", 4}};
  EXPECT_EQ(web().xymaypu2(u"砚", u"舟"), 4);
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0].query.at("wd"), "砚舟");
  std::u16string bm = u"x", qp = u"y";
  web().citcbmmaxymayp(u"", bm, qp);
  EXPECT_EQ(bm, u"");
  EXPECT_EQ(qp, u"");
}

}  // namespace
}  // namespace yz
