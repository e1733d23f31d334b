// Cloud candidates and web hit counts against the fake services, through the whole program on
// the simulated desktop and libcurl.

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "../app/program_fixture.h"
#include "../support/fake_web_server.h"
#include "inputpass/input_pass.h"
#include "lexicon/encoder.h"
#include "lexicon/utf.h"

namespace yz {
namespace {

using testing::FakeReply;
using testing::FakeRequest;
using testing::FakeWebServer;

class WebQueriesTest : public testing::ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    writeTables();
    start();
    pointAt(server.address());
  }
  void pointAt(const std::u16string& address) {
    app().webQueries.setHosts(ServiceHosts{address, address, address});
  }
  WebQueries& web() { return app().webQueries; }
  WebCells& cells() { return app().web; }

  // The cells a caller of yuu prepares: the local sentence, its code and its pinyin.
  void prepareSentence(const std::u16string& sentence, const std::u16string& code) {
    app().pass.hjziir = sentence;
    app().pass.bmstr = code;
    app().conv.wordIndex = 1;
    app().conv.wordTable[1] = {code, sentence};
    app().input.context.citcbmma(sentence, cells().up, cells().pinyinQuery);
  }

  FakeWebServer server;
};

TEST_F(WebQueriesTest, CloudCandidatesAcceptedWhenTheyReadAsTheQuery) {
  prepareSentence(u"你好", u"nihk");
  ASSERT_EQ(cells().pinyinQuery, u"'ni'hao");
  server.services.cloudPinyin = {{"ni'hao", "拟好"}};
  web().yuu();
  EXPECT_EQ(cells().pinyinQuery, u"ni'hao");
  EXPECT_EQ(cells().cloudText, u"拟好");
  EXPECT_EQ(app().pass.skipUnchangedFlag, 1);
  EXPECT_EQ(server.requestCount("/py"), 1u);
  EXPECT_EQ(server.requestCount("/inputtools/request"), 0u);
  EXPECT_EQ(server.requests()[0].target, "/py?rn=0&pn=20&py=ni'hao");
}

TEST_F(WebQueriesTest, CloudAnswersThatFailTheCheckGoToTheInputToolsService) {
  struct Case {
    const char* name;
    std::string cloud;    // the cloud pinyin service's answer
    std::string tools;    // the input-tools service's answer
    std::u16string text;  // what yuu leaves
  };
  const Case cases[] = {
      {"one character short", "你", "泥好", u"泥好"},
      {"another reading", "我们", "泥好", u"泥好"},
      {"input tools unchecked but for length", "", "泥好", u"泥好"},
      {"input tools of the wrong length", "", "泥好啊", u"你好"},
      {"input tools not Chinese", "", "ab", u"你好"},
      {"neither answers", "", "", u"你好"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    server.services.cloudPinyin = {{"ni'hao", c.cloud}};
    server.services.inputTools = {{"ni'hao", c.tools}};
    prepareSentence(u"你好", u"nihk");
    web().yuu();
    EXPECT_EQ(cells().cloudText, c.text);
  }
  const auto last = server.requests().back();
  EXPECT_EQ(last.target, "/inputtools/request?ime=pinyin&text=ni'hao");
}

TEST_F(WebQueriesTest, CloudCandidatesAskNothingForShortOrUnfinishedCodes) {
  prepareSentence(u"你", u"ni");  // a code of fewer than four letters
  web().yuu();
  EXPECT_EQ(cells().cloudText, u"你");
  prepareSentence(u"你好", u"nihk");
  app().conv.wordTable[1].code = u"n";  // the sentence ends in a one-letter code
  app().conv.wordIndex = 0;
  web().yuu();
  EXPECT_EQ(app().conv.wordIndex, 1);
  EXPECT_EQ(cells().cloudText, u"你好");
  cells().pinyinQuery.clear();
  web().yuu();
  EXPECT_EQ(cells().cloudText, u"");
  EXPECT_TRUE(server.requests().empty());
}

// A pick starts the word state afresh; when the conversion after it finds no word, the cloud step
// reads row 1, which must not be the one-letter word of the sentence before the pick.
TEST_F(WebQueriesTest, WordStateStartedAfreshLeavesNoOneLetterWordForTheCloudStep) {
  prepareSentence(u"你好", u"nihk");
  app().conv.wordTable[1] = {u"n", u"你"};
  startWordStateAfresh(app().passRunner.context());
  EXPECT_EQ(app().conv.wordIndex, 0);
  app().pass.hjziir = u"你好";
  app().pass.bmstr = u"nihk";
  app().input.context.citcbmma(u"你好", cells().up, cells().pinyinQuery);
  server.services.cloudPinyin = {{"ni'hao", "拟好"}};
  web().yuu();
  EXPECT_EQ(server.requestCount("/py"), 1u);
  EXPECT_EQ(cells().cloudText, u"拟好");
}

TEST_F(WebQueriesTest, CharactersWithoutASyllableComeBackFromTheLocalSentence) {
  // "你，好": the comma has no syllable; the query leaves it out, the splice puts it back.
  prepareSentence(u"你，好", u"nihk");
  EXPECT_EQ(cells().up.find(u' '), 3u) << toUtf8(cells().up);
  server.services.cloudPinyin = {{"ni'hao", "泥好"}};
  server.services.inputTools = {{"ni'hao", "泥好"}};
  web().yuu();
  EXPECT_EQ(cells().pinyinQuery, u"ni'hao");
  EXPECT_EQ(server.requests().at(0).query.at("py"), "ni'hao");
  // Two syllables against a spliced text of three characters: the local sentence stays.
  EXPECT_EQ(cells().cloudText, u"你，好");
}

TEST_F(WebQueriesTest, RepliesThatDoNotParseAreNoAnswer) {
  struct Case {
    const char* name;
    FakeReply reply;
  };
  auto reply = [](int status, std::string type, std::string body) {
    FakeReply r;
    r.status = status;
    r.contentType = std::move(type);
    r.body = std::move(body);
    return r;
  };
  const Case cases[] = {
      {"an error page", reply(500, "text/html", "<html><a href=\"x\">err</a>, try, again</html>")},
      {"html with status 200", reply(200, "text/html; charset=utf-8", "<p class=\"a\">x,y,z</p>")},
      {"too few fields", reply(200, "application/json", "{\"0\"}")},
      {"a bad charset", reply(200, "text/plain; charset=x-unknown", "{\"0\":\"你好\"}")},
      {"truncated", [] { FakeReply r; r.body = "{\"0\":[[[\"你"; r.truncated = true; return r; }()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    server.setHandler([&](const FakeRequest&) { return c.reply; });
    app().pass.bmstr = u"nihao";
    cells().cloudText = u"old";
    web().yuuqp();
    EXPECT_EQ(cells().cloudText, u"");
    prepareSentence(u"你好", u"nihk");
    web().yuu();
    EXPECT_EQ(cells().cloudText, u"你好");
  }
}

TEST_F(WebQueriesTest, ServiceAddressesComeFromTheConfigurationFile) {
  EXPECT_EQ(readServiceHosts(folder(), platform()).cloudPinyin, u"http://olime.baidu.com");
  writeLines(kServiceHostsFile, {u"云拼音 = " + server.address() + u"/", u"输入工具=ftp://x",
                                 u"搜索联想=http://127.0.0.1:9/path", u"garbage"});
  const ServiceHosts hosts = readServiceHosts(folder(), platform());
  EXPECT_EQ(hosts.cloudPinyin, server.address());
  EXPECT_EQ(hosts.inputTools, u"https://www.google.com");
  EXPECT_EQ(hosts.suggestion, u"https://www.baidu.com");

  // A fresh program reads it at its first query.
  start();
  app().pass.bmstr = u"nihao";
  server.services.cloudPinyin = {{"nihao", "你好"}};
  app().webQueries.yuuqp();
  EXPECT_EQ(app().web.cloudText, u"你好");
}


// The whole program on the simulated desktop, online, its services pointed at the fake server.
class WebSessionTest : public WebQueriesTest {
 protected:
  void SetUp() override {
    WebQueriesTest::SetUp();
    platform().connected = true;
  }
  void setLexicon(const std::vector<std::pair<std::u16string, std::u16string>>& entries) {
    auto fill = [&](LexiconTable& table, bool singleOnly) {
      table.reset();
      for (const auto& [code, line] : entries) {
        if (singleOnly && code.size() != 2) continue;
        table.codes.push(code);
        table.lines.push(line);
        ++table.last;
      }
    };
    fill(app().lex.mainLexicon, false);
    fill(app().lex.charLexicon, true);
    app().lex.userLexicon.reset();
  }
  std::u16string shownSentence() const { return session->app->win.boxes.text7.text; }
};

// A lexicon whose 们 is a weak word (weight 95): in a sentence the cloud's character takes its
// place.
const std::vector<std::pair<std::u16string, std::u16string>> kSoundLexicon = {
    {u"hk", u"好 080"}, {u"mf", u"们 095 门 096"}, {u"ni", u"你 080"}, {u"nihk", u"你好 080"},
    {u"wo", u"我 080"}};

TEST_F(WebSessionTest, AccuracyFirstMergesTheCloudSentence) {
  Settings& s = app().settings;
  s.vqdyx = true;
  s.lidyx = false;
  setLexicon(kSoundLexicon);
  server.services.cloudPinyin = {{"ni'hao'men", "你好门"}};
  const auto steps = session->type(u"nihkmf");
  EXPECT_EQ(shownSentence(), u"你好门") << SimSession::describe(steps.back());
  EXPECT_EQ(cells().up, u"nihkmf");  // the sentence's code reached the cloud step
  EXPECT_EQ(server.requestCount("/py"), 1u);
  EXPECT_EQ(server.requestCount("/inputtools/request"), 0u);

  // Offline the same code shows the local sentence and asks nothing.
  session->type(u"esc");
  platform().connected = false;
  session->type(u"nihkmf");
  EXPECT_EQ(shownSentence(), u"你好们");
  EXPECT_EQ(server.requests().size(), 1u);
}

// The cloud service answers too late: the pass goes on with its own sentence after the time-out,
// and the keys typed while it waited are in the code line.
TEST_F(WebSessionTest, KeysTypedWhileACloudQueryWaitsAreKept) {
  Settings& s = app().settings;
  s.vqdyx = true;
  s.lidyx = false;
  server.setHandler([&](const FakeRequest& r) {
    FakeReply reply = server.services.answer(r);
    if (r.path == "/py") reply.delayMs = 4000;
    return reply;
  });
  // One second into the wait "wo" is typed; a second later the code line already holds it,
  // while the first request still waits.
  int ticks = 0;
  std::u16string codeMeanwhile;
  std::size_t requestsMeanwhile = 0;
  const auto typist = platform().createTimer([&] {
    if (++ticks == 1) platform().typeKeys(u"wo");
    if (ticks == 2) {
      codeMeanwhile = app().win.boxes.Text1.text;
      requestsMeanwhile = server.requests().size();
    }
  });
  setLexicon(kSoundLexicon);
  platform().typeKeys(u"nihkmf");
  platform().setTimer(typist, 1000, true);
  const auto start = std::chrono::steady_clock::now();
  platform().settle();
  platform().setTimer(typist, 0, false);
  platform().settle();
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(kWebTimeoutMs));
  EXPECT_EQ(codeMeanwhile, u"nihkmfwo");
  EXPECT_EQ(requestsMeanwhile, 1u);
  EXPECT_EQ(app().win.boxes.Text1.text, u"nihkmfwo");
  EXPECT_EQ(shownSentence(), u"你好们我");
}

// A server that takes every request and never answers. Keys come 100 ms apart, as a person types
// them: every key typed during a wait is served in order, and a sentence waits at most one
// time-out in all, however many queries it makes.
TEST_F(WebSessionTest, KeysTypedWhileASilentServerWaitsAreAllServedInOrder) {
  Settings& s = app().settings;
  s.vqdyx = true;
  s.lidyx = false;
  // A time-out of one second still outlasts the keys of the first sentence.
  web().timeoutMs = 1000;
  server.setHandler([](const FakeRequest&) {
    FakeReply reply;
    reply.silent = true;
    return reply;
  });
  setLexicon({{u"go", u"国 080"}, {u"hk", u"好 080"}, {u"mf", u"们 095"}, {u"ni", u"你 080"},
              {u"nihk", u"你好 080"}, {u"ui", u"是 080"}, {u"vs", u"中 080"}, {u"vsgo", u"中国 080"},
              {u"wo", u"我 080"}, {u"womf", u"我们 080"}});
  struct Case {
    std::u16string keys;
    std::u16string committed;
  };
  for (const Case& c : {Case{u"womf nihk ", u"我们你好"},
                        Case{u"womfuivsgo nihk vsgo womf ", u"我们是中国你好中国我们"}}) {
    SCOPED_TRACE(toUtf8(c.keys));
    platform().window(platform().foregroundWindow())->text.clear();
    platform().window(platform().foregroundWindow())->caret = 0;
    const std::uint32_t start = platform().clockMs() + 100;
    std::uint32_t at = start;
    for (char16_t ch : c.keys) {
      const int vk = ch == u' ' ? 0x20 : ch - u'a' + 'A';
      platform().queueKeyAt(at, vk, false);
      platform().queueKeyAt(at + 30, vk, true);
      at += 100;
    }
    const auto sentences = std::count(c.keys.begin(), c.keys.end(), u' ');
    platform().settle();
    EXPECT_EQ(platform().window(platform().foregroundWindow())->text, c.committed);
    EXPECT_EQ(app().win.boxes.Text1.text, u"");
    // Each sentence waits one time-out at most; the keys themselves take 100 ms each.
    EXPECT_LE(platform().clockMs() - start,
              static_cast<std::uint32_t>(sentences * web().timeoutMs + 100 * c.keys.size() + 1000));
  }
}

TEST_F(WebSessionTest, ShapeCodeSentencesConvertWithHitCountsFromTheWeb) {
  Settings& s = app().settings;
  s.ymur = false;
  s.yxmur = false;
  s.xmur = true;
  s.ilmvj = true;
  s.gjxm = 1;
  // "abcdef": the longest match 甲乙 + 丙, or 子 + 丑寅.
  setLexicon({{u"ab", u"子 100"}, {u"abcd", u"甲乙 100 甲已 200"}, {u"cdef", u"丑寅 100"},
              {u"ef", u"丙 100"}});
  server.services.suggestionHits = {{"甲乙丙", 4}, {"子丑寅", 3}};
  auto steps = session->type(u"abcdef");
  EXPECT_EQ(shownSentence(), u"子丑寅") << SimSession::describe(steps.back());
  EXPECT_GE(server.requestCount("/sugrec"), 2u);

  session->type(u"esc");
  server.services.suggestionHits = {{"甲乙丙", 5}};
  steps = session->type(u"abcdef");
  EXPECT_EQ(shownSentence(), u"甲乙丙") << SimSession::describe(steps.back());
}

}  // namespace
}  // namespace yz

namespace yz {
namespace {

// Full pinyin: the typed letters go to the cloud and the code of its text becomes the code line,
// while the code box keeps the pinyin.
TEST_F(WebSessionTest, FullPinyinTypesThroughTheCloud) {
  setLexicon(kSoundLexicon);
  app().mirror.fullPinyinMode = 1;
  app().settings.qrpn.borderStyle = 1;
  server.services.cloudPinyin = {{"nihao", "你好"}};
  session->type(u"nihao");
  EXPECT_EQ(app().win.boxes.Text1.text, u"nihao");
  EXPECT_EQ(app().win.boxes.rtext1.text, u"nihk");
  EXPECT_EQ(shownSentence(), u"你好");
  EXPECT_TRUE(app().settings.qrpn.marked());  // marked again at the end of the pass
  EXPECT_EQ(session->type(u"space").back().targetText, u"你好");
  EXPECT_TRUE(platform().messageBoxes.empty());
}

// Without an answer the typed letters stay in the code line, and the user is told once.
TEST_F(WebSessionTest, FullPinyinWithoutAnAnswerKeepsTheLetters) {
  setLexicon(kSoundLexicon);
  app().mirror.fullPinyinMode = 1;
  app().settings.qrpn.borderStyle = 1;
  session->type(u"wo");
  EXPECT_EQ(app().win.boxes.Text1.text, u"wo");
  EXPECT_EQ(app().win.boxes.rtext1.text, u"wo");
  session->type(u"men");
  EXPECT_EQ(app().win.boxes.Text1.text, u"women");
  ASSERT_EQ(platform().messageBoxes.size(), 1u);
  EXPECT_NE(platform().messageBoxes[0].text.find(u"云拼音"), std::u16string::npos);
}

}  // namespace
}  // namespace yz
