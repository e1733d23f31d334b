// The HTTP client against the fake services on the loopback interface: through libcurl on the
// sim backend, through WinHTTP in the win32 build (under Wine).

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "../support/fake_web_server.h"
#include "lexicon/utf.h"
#ifdef _WIN32
#include "platform/win32/win32_platform.h"
#else
#include "platform/sim/sim_platform.h"
#endif
#include "web/net.h"

namespace yz {
namespace {

using testing::FakeReply;
using testing::FakeRequest;
using testing::FakeWebServer;

#ifdef _WIN32
using TestPlatform = Win32Platform;
// Types "ab" on the keyboard.
void typeAB(TestPlatform& platform) {
  for (int vk : {'A', 'B'}) {
    platform.sendKeyEvent(vk, platform.scanCodeOf(vk), false);
    platform.sendKeyEvent(vk, platform.scanCodeOf(vk), true);
  }
}
#else
using TestPlatform = SimPlatform;
void typeAB(TestPlatform& platform) { platform.typeKeys(u"ab"); }
#endif

TEST(GetUrl, DecodesTheBodyByItsCharacterSet) {
  struct Case {
    const char* name;
    std::optional<std::string> contentType;
    std::string body;
    int encoding;
    UrlResult::Kind kind;
    std::u16string text;
  };
  const std::string gbk = "\xD1\xE2\xD6\xDB";           // 砚舟 in GBK
  const std::string utf8 = "\xE7\xA0\x9A\xE8\x88\x9F";  // 砚舟 in UTF-8
  using K = UrlResult::Kind;
  const Case cases[] = {
      {"gbk named", "text/html; charset=GBK", gbk, kEncodingAuto, K::text, u"砚舟"},
      {"gb2312 quoted", "text/html; charset=\"gb2312\"", "\xB0\xA1", kEncodingAuto, K::text, u"啊"},
      {"no charset", "application/json", utf8, kEncodingAuto, K::text, u"砚舟"},
      {"letter case", "text/plain; Charset=utf-8", utf8, kEncodingAuto, K::text, u"砚舟"},
      {"a parameter after the charset", "text/html; charset=gbk; x=1", gbk, kEncodingAuto, K::text,
       u"砚舟"},
      {"empty content type", "", utf8, kEncodingAuto, K::text, u"砚舟"},
      {"no content type", std::nullopt, utf8, kEncodingAuto, K::text, u"砚舟"},
      {"byte-order mark", "text/plain", "\xEF\xBB\xBF" + utf8, kEncodingAuto, K::text, u"砚舟"},
      {"unknown charset", "text/plain; charset=koi8-r", "abc", kEncodingAuto, K::empty, u""},
      {"wrong charset", "text/plain; charset=utf-8", gbk, kEncodingAuto, K::text,
       u"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"forced utf-8", "text/plain; charset=gbk", utf8, kEncodingUtf8, K::text, u"砚舟"},
      {"forced gb2312", "application/json", gbk, kEncodingGb2312, K::text, u"砚舟"},
      {"forced gbk", "", gbk, kEncodingGbk, K::text, u"砚舟"},
      {"raw bytes", "text/plain", "ab", kEncodingBytes, K::bytes, u"\u6261"},
      {"no such encoding", "text/plain", "ab", 5, K::empty, u""},
  };
  FakeWebServer server;
  TestPlatform platform;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    server.setHandler([&](const FakeRequest&) {
      FakeReply r;
      r.contentType = c.contentType;
      r.body = c.body;
      return r;
    });
    const UrlResult result = cNet(platform).GetUrl(server.address() + u"/q", 3000, c.encoding);
    EXPECT_EQ(result.kind, c.kind);
    EXPECT_EQ(result.str(), c.text);
  }
}

TEST(GetUrl, BrokenRepliesGiveNothing) {
  struct Case {
    const char* name;
    FakeReply reply;
  };
  FakeReply truncated;
  truncated.body = "{\"0\":";
  truncated.truncated = true;
  FakeReply oversized;
  oversized.body = std::string(kHttpBodyLimit + 1, 'x');
  const Case cases[] = {{"truncated", truncated}, {"over the size bound", oversized}};
  FakeWebServer server;
  TestPlatform platform;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    server.setHandler([&](const FakeRequest&) { return c.reply; });
    EXPECT_EQ(cNet(platform).GetUrl(server.address() + u"/q").kind, UrlResult::Kind::empty);
  }
  // A body just at the bound is read whole.
  server.setHandler([](const FakeRequest&) {
    FakeReply r;
    r.body = std::string(kHttpBodyLimit, 'y');
    return r;
  });
  EXPECT_EQ(cNet(platform).GetUrl(server.address() + u"/q").str().size(), kHttpBodyLimit);
}

TEST(GetUrl, AnErrorStatusStillHandsOverItsBody) {
  FakeWebServer server;
  TestPlatform platform;
  server.setHandler([](const FakeRequest&) {
    FakeReply r;
    r.status = 503;
    r.contentType = "text/html; charset=utf-8";
    r.body = "<html>busy</html>";
    return r;
  });
  EXPECT_EQ(cNet(platform).GetUrl(server.address() + u"/q").str(), u"<html>busy</html>");
}

TEST(GetUrl, SendsTheUrlAsGivenWithItsTwoHeaders) {
  FakeWebServer server;
  TestPlatform platform;
  cNet(platform).GetUrl(server.address() + u"/py?rn=0&pn=20&py=ni'hao");
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].target, "/py?rn=0&pn=20&py=ni'hao");
  EXPECT_NE(requests[0].headers.find("CONTENT-TYPE: application/x-www-form-urlencoded"),
            std::string::npos)
      << requests[0].headers;
  EXPECT_NE(requests[0].headers.find("User-Agent: Mozilla/5.0 (Windows NT 6.1; WOW64)"),
            std::string::npos);
}

TEST(GetUrl, WithoutAServerGivesNothingAtOnce) {
  TestPlatform platform;
  int port = 0;
  {
    FakeWebServer gone;  // a port that was free a moment ago and has no listener now
    port = gone.port();
  }
  const auto url = fromUtf8("http://127.0.0.1:" + std::to_string(port) + "/q");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(cNet(platform).GetUrl(url).kind, UrlResult::Kind::empty);
  EXPECT_EQ(cNet(platform).GetUrl(u"not a url").kind, UrlResult::Kind::empty);
  EXPECT_EQ(cNet(platform).GetUrl(u"ftp://127.0.0.1/q").kind, UrlResult::Kind::empty);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(kWebTimeoutMs));
}

// A reply that comes too late is no reply; the call returns at the time-out, and the message
// pump ran all the while: keys typed during the wait reached the hook, timers ticked.
TEST(GetUrl, TimesOutAfterThreeSecondsWhilePumpingMessages) {
  FakeWebServer server;
  server.setHandler([](const FakeRequest&) {
    FakeReply r;
    r.delayMs = 4000;
    r.body = "late";
    return r;
  });
  TestPlatform platform;
  std::u16string hooked;
  platform.installKeyboardHook([&](const KeyEvent& e) {
    if (e.down) hooked.push_back(static_cast<char16_t>(e.vkCode));
    return HookAnswer::Withhold;
  });
  int ticks = 0;
  const auto typist = platform.createTimer([&] {
    if (++ticks == 1) typeAB(platform);  // typed one second into the wait
  });
  platform.setTimer(typist, 1000, true);

  const auto start = std::chrono::steady_clock::now();
  const UrlResult result = cNet(platform).GetUrl(server.address() + u"/slow", kWebTimeoutMs);
  const auto waited = std::chrono::steady_clock::now() - start;

  EXPECT_EQ(result.kind, UrlResult::Kind::empty);
  EXPECT_GE(waited, std::chrono::milliseconds(kWebTimeoutMs - 50));
  EXPECT_LT(waited, std::chrono::milliseconds(kWebTimeoutMs + 900));
  EXPECT_EQ(hooked, u"AB");
  EXPECT_GE(ticks, 2);
  platform.removeKeyboardHook();
}

// Waits for a transfer to end, 10 ms of the platform's clock at a time; false when it still runs
// after `polls` waits.
bool waitForEnd(TestPlatform& platform, HttpTransfer& transfer, int polls = 3000) {
  for (int i = 0; i < polls; ++i) {
    if (!transfer.stillExecuting()) return true;
    platform.sleepMs(10);
  }
  return !transfer.stillExecuting();
}

TEST(HttpTransfer, RunsBesideTheProgramUntilItsReplyIsIn) {
  FakeWebServer server;
  server.setHandler([](const FakeRequest& r) {
    FakeReply reply;
    reply.delayMs = r.path == "/slow" ? 300 : 0;
    reply.contentType = "text/plain";
    reply.headers = "X-Served: " + r.path + "\r\n";
    reply.body = "body of " + r.path;
    return reply;
  });
  TestPlatform platform;
  HttpRequest request;
  request.url = server.address() + u"/slow";
  const auto slow = platform.startHttp(request);
  EXPECT_TRUE(slow->stillExecuting());  // the server holds the reply back a while
  EXPECT_FALSE(slow->reply().ok);
  request.url = server.address() + u"/quick";
  const auto quick = platform.startHttp(request);
  ASSERT_TRUE(waitForEnd(platform, *quick));
  ASSERT_TRUE(waitForEnd(platform, *slow));
  for (const auto* t : {quick.get(), slow.get()}) {
    EXPECT_TRUE(t->reply().ok);
    EXPECT_EQ(t->reply().status, 200);
    EXPECT_EQ(t->reply().contentType, u"text/plain");
  }
  EXPECT_EQ(quick->reply().body, "body of /quick");
  EXPECT_EQ(slow->reply().body, "body of /slow");
  EXPECT_NE(slow->reply().headers.find(u"X-Served: /slow\r\n"), std::u16string::npos)
      << toUtf8(slow->reply().headers);
  EXPECT_EQ(slow->reply().headers.find(u"HTTP/"), std::u16string::npos);
}

TEST(HttpTransfer, ACancelledOrUnansweredTransferEndsWithoutAReply) {
  FakeWebServer server;
  server.setHandler([](const FakeRequest&) {
    FakeReply reply;
    reply.silent = true;
    return reply;
  });
  TestPlatform platform;
  HttpRequest request;
  request.url = server.address() + u"/never";
  request.timeoutMs = 300;
  const auto cancelled = platform.startHttp(request);
  cancelled->cancel();
  EXPECT_FALSE(cancelled->stillExecuting());
  EXPECT_FALSE(cancelled->reply().ok);

  const auto unanswered = platform.startHttp(request);
  EXPECT_TRUE(unanswered->stillExecuting());
  ASSERT_TRUE(waitForEnd(platform, *unanswered));  // its time-out ends it
  EXPECT_FALSE(unanswered->reply().ok);

  request.url = u"not a url";
  const auto broken = platform.startHttp(request);
  ASSERT_TRUE(waitForEnd(platform, *broken));
  EXPECT_FALSE(broken->reply().ok);
}

TEST(GetUrl2, SendsAReferrerAndDecodesByItsOwnCharsetRule) {
  struct Case {
    const char* name;
    std::optional<std::string> contentType;
    std::string body;
    int encoding;
    UrlResult::Kind kind;
    std::u16string text;
  };
  const std::string gbk = "\xD1\xE2\xD6\xDB";           // 砚舟 in GBK
  const std::string utf8 = "\xE7\xA0\x9A\xE8\x88\x9F";  // 砚舟 in UTF-8
  using K = UrlResult::Kind;
  const Case cases[] = {
      {"gbk named", "text/html; charset=GBK", gbk, kEncodingAuto, K::text, u"砚舟"},
      {"utf-8 named", "text/plain; Charset=utf-8", utf8, kEncodingAuto, K::text, u"砚舟"},
      {"gb2312 named", "text/html; charset=gb2312", "\xB0\xA1", kEncodingAuto, K::text, u"啊"},
      {"another charset read as GB2312", "text/html; charset=big5", gbk, kEncodingAuto, K::text,
       u"砚舟"},
      {"no charset", "application/json", "ab", kEncodingAuto, K::bytes, u"\u6261"},
      {"empty content type", "", "ab", kEncodingAuto, K::bytes, u"\u6261"},
      {"forced utf-8", "text/plain; charset=gbk", utf8, kEncodingUtf8, K::text, u"砚舟"},
      {"forced gbk", "", gbk, kEncodingGbk, K::text, u"砚舟"},
      {"no such encoding", "text/plain", "ab", 5, K::empty, u""},
  };
  FakeWebServer server;
  TestPlatform platform;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    server.setHandler([&](const FakeRequest&) {
      FakeReply r;
      r.contentType = c.contentType;
      r.body = c.body;
      return r;
    });
    const UrlResult result = cNet(platform).GetUrl2(server.address() + u"/q", 3000, c.encoding);
    EXPECT_EQ(result.kind, c.kind);
    EXPECT_EQ(result.str(), c.text);
  }
  const auto requests = server.requests();
  ASSERT_FALSE(requests.empty());
  const std::string& headers = requests[0].headers;
  const std::size_t type = headers.find("CONTENT-TYPE: application/x-www-form-urlencoded");
  const std::size_t referer = headers.find("Referer: http");
  const std::size_t agent = headers.find("User-Agent: Mozilla/5.0 (Windows NT 6.1; WOW64)");
  ASSERT_NE(referer, std::string::npos) << headers;
  EXPECT_LT(type, referer);
  EXPECT_LT(referer, agent);
  EXPECT_NE(agent, std::string::npos);
  EXPECT_EQ(requests[0].method, "GET");
}

// The polling requests report a reply that does not come in time, and run the message pump while
// they wait: keys typed meanwhile reach the hook, timers tick.
TEST(GetUrl2, AReplyThatNeverComesFailsAtTheTimeOutWhileMessagesRun) {
  FakeWebServer server;
  server.setHandler([](const FakeRequest&) {
    FakeReply r;
    r.silent = true;
    return r;
  });
  TestPlatform platform;
  std::u16string hooked;
  platform.installKeyboardHook([&](const KeyEvent& e) {
    if (e.down) hooked.push_back(static_cast<char16_t>(e.vkCode));
    return HookAnswer::Withhold;
  });
  int ticks = 0;
  const auto typist = platform.createTimer([&] {
    if (++ticks == 1) typeAB(platform);
  });
  platform.setTimer(typist, 100, true);

  cNet net(platform);
  const std::uint32_t start = platform.clockMs();
  const UrlResult result = net.GetUrl2(server.address() + u"/never", 600);
  EXPECT_GE(platform.clockMs() - start, 600u);
  EXPECT_EQ(result.kind, UrlResult::Kind::failed);
  EXPECT_FALSE(result.error.empty());
  EXPECT_EQ(result.str(), u"");
  EXPECT_EQ(hooked, u"AB");
  EXPECT_GE(ticks, 2);
  EXPECT_EQ(server.requestCount("/never"), 1u);
  // A POST that gets no reply fails the same way and leaves the cookies as they were.
  net.Cookies = u"kept";
  EXPECT_EQ(net.GetUrlPost(server.address() + u"/never", u"", std::u16string(u"a=1"), 300).kind,
            UrlResult::Kind::failed);
  EXPECT_EQ(net.Cookies, u"kept");
  platform.removeKeyboardHook();
}

TEST(GetUrl2, WithoutAServerIsAFailure) {
  TestPlatform platform;
  int port = 0;
  {
    FakeWebServer gone;
    port = gone.port();
  }
  cNet net(platform);
  EXPECT_EQ(net.GetUrl2(fromUtf8("http://127.0.0.1:" + std::to_string(port) + "/q")).kind,
            UrlResult::Kind::failed);
  EXPECT_EQ(net.GetUrl2(u"not a url").kind, UrlResult::Kind::failed);
  EXPECT_EQ(net.GetUrlPost(u"not a url", u"", std::string("x")).kind, UrlResult::Kind::failed);
}

TEST(GetUrlPost, SendsItsHeaderLinesAndBodyAndKeepsTheReplysHeaders) {
  FakeWebServer server;
  server.setHandler([](const FakeRequest&) {
    FakeReply r;
    r.contentType = "text/html; charset=utf-8";  // the body is read as GB2312 all the same
    r.headers = "Set-Cookie: sid=42; path=/\r\n";
    r.body = "\xD1\xE2\xD6\xDB";
    return r;
  });
  TestPlatform platform;
  cNet net(platform);
  const UrlResult result =
      net.GetUrlPost(server.address() + u"/login",
                     u"X-One: 1\r\nno separator\r\nCookie: a=b; c=d\r\nX-Two:22",
                     std::u16string(u"name=砚舟&x=1"));
  EXPECT_EQ(result.kind, UrlResult::Kind::text);
  EXPECT_EQ(result.str(), u"砚舟");
  EXPECT_NE(net.Cookies.find(u"Set-Cookie: sid=42; path=/\r\n"), std::u16string::npos)
      << toUtf8(net.Cookies);
  EXPECT_NE(net.Cookies.find(u"Content-Type: text/html; charset=utf-8\r\n"), std::u16string::npos);
  EXPECT_EQ(net.Cookies.find(u"HTTP/"), std::u16string::npos);

  server.setHandler([](const FakeRequest&) { return FakeReply{}; });
  EXPECT_EQ(net.GetUrlPost(server.address() + u"/raw", u"", std::string("\x00\xFF", 2)).kind,
            UrlResult::Kind::text);
  EXPECT_EQ(net.Cookies.find(u"Set-Cookie"), std::u16string::npos);  // the last reply's headers

  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].method, "POST");
  EXPECT_EQ(requests[0].body, "name=\xE7\xA0\x9A\xE8\x88\x9F&x=1");
  const std::string sent = requests[0].headers + "\r\n";  // each line with its line end
  EXPECT_NE(sent.find("X-One: 1\r\n"), std::string::npos) << sent;
  EXPECT_NE(sent.find("Cookie: a=b; c=d\r\n"), std::string::npos) << sent;
  EXPECT_EQ(sent.find("no separator"), std::string::npos);
  EXPECT_EQ(sent.find("X-Two"), std::string::npos);
  EXPECT_EQ(requests[1].body, std::string("\x00\xFF", 2));
}

TEST(UrlEncoding, QueryValuesArePercentEncodedAsUtf8) {
  struct Case {
    std::u16string value, encoded;
  } cases[] = {
      {u"ni'hao", u"ni'hao"},
      {u"砚舟", u"%E7%A0%9A%E8%88%9F"},
      {u"a&b#c d", u"a%26b%23c%20d"},
      {u"x=1+2%", u"x%3D1%2B2%25"},
      {u"", u""},
  };
  for (const Case& c : cases) EXPECT_EQ(percentEncode(c.value), c.encoded);
}

TEST(UrlEncoding, UrlEncodeEscapesMarksAndWritesUtf8BytesInLowerCase) {
  struct Case {
    std::u16string text;
    bool all;
    std::u16string encoded;
  } cases[] = {
      {u"a b", true, u"a%20b"},
      {u"a/b", false, u"a/b"},
      {u"a/b", true, u"a%2Fb"},
      {u";?:@&=+$,()", true, u"%3B%3F%3A%40%26%3D%2B%24%2C%28%29"},
      {u";?:@&=+$,()", false, u";?:@&=+$,()"},
      {u"'\"<>", false, u"%26%2339%3b%26quot%3b%26lt%3b%26gt%3b"},
      {u"#%{}|\\^[]`~", false, u"%23%25%7b%7d%7c%5c%5e%5b%5d%60%7e"},
      {u"砚", true, u"%e7%a0%9a"},
      {u"", true, u""},
  };
  for (const Case& c : cases) EXPECT_EQ(cNet::UrlEncode(c.text, c.all), c.encoded) << toUtf8(c.text);
  EXPECT_EQ(cNet::EncodeToBytes(u"砚a"), "\xE7\xA0\x9A" "a");
  EXPECT_EQ(cNet::EncodeToBytes(u""), "");
  EXPECT_EQ(cNet::Utf82Text("a\x7F\x80\xFF"), u"a\x7F%80%ff");

  // The text a server reads back from a URL so encoded is the text.
  FakeWebServer server;
  TestPlatform platform;
  cNet(platform).GetUrl(server.address() + u"/sugrec?wd=" + cNet::UrlEncode(u"砚舟 a/b"));
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0].query.at("wd"), "砚舟 a/b");
}

TEST(Get2Str, TextBetweenTwoMarkersIgnoringCase) {
  int end = 0;
  EXPECT_EQ(cNet::Get2Str(u"abcXYdefZZ", u"xy", u"zz", 1, &end), u"def");
  EXPECT_EQ(end, 10);
  end = -1;
  EXPECT_EQ(cNet::Get2Str(u"abcXYdefZZ", u"xy", u"qq", 1, &end), u"");
  EXPECT_EQ(cNet::Get2Str(u"abcXYdefZZ", u"qq", u"zz", 1, &end), u"");
  EXPECT_EQ(cNet::Get2Str(u"abcXYdefZZ", u"xy", u"zz", 5, &end), u"");  // starts past the first marker
  EXPECT_EQ(cNet::Get2Str(u"abcXYdefZZ", u"xy", u"zz", 0, &end), u"");
  EXPECT_EQ(end, -1);
  EXPECT_EQ(cNet::Get2Str(u"<a>1</a><a>2</a>", u"<A>", u"</a>", 5), u"2");
}

TEST(UrlEncoding, TheServerReadsBackWhatWasSent) {
  FakeWebServer server;
  TestPlatform platform;
  cNet(platform).GetUrl(server.address() + u"/sugrec?wd=" + percentEncode(u"砚舟&#号") + u"&x=1");
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].query.at("wd"), "砚舟&#号");
  EXPECT_EQ(requests[0].query.at("x"), "1");
}

// A request that ends at its time-out leaves the clock at least the time-out later: callers that
// share one time-out among a sentence's queries count the whole wait.
TEST(GetUrl, TheClockShowsTheWholeWaitOfATimedOutRequest) {
  FakeWebServer server;
  server.setHandler([](const FakeRequest&) {
    FakeReply r;
    r.silent = true;
    return r;
  });
  TestPlatform platform;
  const std::uint32_t before = platform.clockMs();
  EXPECT_EQ(cNet(platform).GetUrl(server.address() + u"/silent", 300).kind, UrlResult::Kind::empty);
  EXPECT_GE(platform.clockMs() - before, 300u);
}

}  // namespace
}  // namespace yz
