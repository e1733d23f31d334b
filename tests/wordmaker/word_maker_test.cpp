#include "analyzer/word_maker.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>

#include "analyzer/word_frequency.h"
#include "lexicon/files.h"
#include "lexicon/text_file.h"
#include "platform/sim/sim_platform.h"
#include "state/composition_state.h"
#include "state/services.h"
#include "../support/test_folder.h"

namespace yz {
namespace {

using Lines = std::vector<std::u16string>;

// A conversion stand-in: the code of a text is the text itself; the conversion cuts it greedily
// into the longest words of its dictionary (single characters otherwise). The normal conversion
// writes some words wrongly, the word-making one never does. The word making joins a differing
// piece with the piece after it.
class FakeEngine : public WordMakerEngine {
 public:
  FakeEngine(ConversionState& conv, RaceState& race, std::int32_t& pending)
      : conv_(conv), race_(race), pending_(pending) {}
  std::vector<std::u16string> dictionary{u"今天", u"天气", u"很好", u"我们", u"北京", u"学习"};
  std::map<std::u16string, std::u16string> misspelt{{u"天气", u"天器"}, {u"学习", u"学系"}};
  int conversions = 0;

  std::u16string cuttingCode(std::u16string_view text) override { return std::u16string(text); }
  std::u16string segmentCode(std::u16string_view text) override { return std::u16string(text); }
  std::u16string convert(std::u16string_view code) override {
    ++conversions;
    std::u16string sentence;
    std::size_t at = 0;
    while (at < code.size() && conv_.wordCounter < kMaxSentenceWords) {
      std::size_t length = 1;
      for (std::size_t len = std::min<std::size_t>(longWord, code.size() - at); len >= 2; --len) {
        std::u16string piece(code.substr(at, len));
        if (std::find(dictionary.begin(), dictionary.end(), piece) != dictionary.end()) {
          length = len;
          break;
        }
      }
      std::u16string word(code.substr(at, length));
      std::u16string text = word;
      if (pending_ != kPendingWordMaking && misspelt.count(word)) text = misspelt[word];
      conv_.wordTable[static_cast<std::size_t>(++conv_.wordCounter)] = {word, text};
      sentence += text;
      at += length;
    }
    return sentence;
  }
  std::vector<std::u16string> compareAndMakeWords() override {
    EXPECT_EQ(pending_, kPendingLearnMarked);
    std::vector<std::u16string_view> mine = splitFields(race_.raceCommittedPieces, u' ');
    std::vector<std::u16string_view> theirs = splitFields(race_.raceResultPieces, u' ');
    std::vector<std::u16string> made;
    std::u16string marked;
    for (std::size_t i = 0; i < mine.size(); ++i) {
      bool differs = i >= theirs.size() || mine[i] != theirs[i];
      marked += differs ? u"[" + std::u16string(mine[i]) + u"]" : std::u16string(mine[i]);
      if (differs) made.push_back(std::u16string(mine[i]) + (i + 1 < mine.size() ? std::u16string(mine[i + 1]) : u""));
    }
    race_.raceMarkedText = marked;
    return made;
  }
  std::size_t longWord = 6;

 private:
  ConversionState& conv_;
  RaceState& race_;
  std::int32_t& pending_;
};

class Learning : public LearningServices {
 public:
  Lines learned;
  void yhck(std::u16string_view) override {}
  void zdzyhc(std::u16string word) override { learned.push_back(std::move(word)); }
};

bool chinese(char16_t c) { return c >= 0x4E00 && c <= 0x9FFF; }

class WordMakerTest : public testing::Test {
 protected:
  testing_support::TestFolder temp_{"yz-wordmaker-"};
  ProgramFolder files_{temp_.path()};
  SimPlatform platform_;
  RaceState race_;
  ConversionState conv_;
  std::int32_t pending_ = 0;
  WordMakerView view_;
  FakeEngine engine_{conv_, race_, pending_};
  Learning learning_;
  std::vector<bool> timer_;
  std::function<void()> onPump = [] {};
  WordMakerContext ctx_{race_, conv_, pending_, view_, engine_, learning_, files_, platform_,
                        chinese, [this] { onPump(); }, [this](bool on) { timer_.push_back(on); }};

  void SetUp() override {
    std::filesystem::create_directories(files_.path(u"赛文资料"));
    std::filesystem::create_directories(files_.path(u"用户diy文件"));
  }
  Lines read(std::u16string_view path) { return readGbkLines(files_, platform_, path).value_or(Lines{u"<missing>"}); }
};

TEST_F(WordMakerTest, ClassificationAndPieces) {
  EXPECT_EQ(classifyCharacters(u"今天123我们 去北京a", chinese), u"今天,,,我们,去北京,");
  EXPECT_EQ(codablePieces(u"今天123我们 去北京", chinese), (Lines{u"今天", u"我们", u"去北京"}));
  EXPECT_EQ(codablePieces(u"  12 ,", chinese), Lines{});
}

TEST_F(WordMakerTest, CuttingAtWordEnds) {
  std::u16string words25;
  for (int i = 0; i < 12; ++i) words25 += u"我们";
  words25 += u"好";
  ASSERT_EQ(words25.size(), 25u);
  EXPECT_EQ(cutPiece(ctx_, words25), Lines{words25});
  EXPECT_EQ(engine_.conversions, 0);

  // 26 characters: cut at the last word end within 25.
  std::u16string words26 = words25.substr(0, 24) + u"北京";
  Lines cut = cutPiece(ctx_, words26);
  ASSERT_EQ(cut.size(), 2u);
  EXPECT_EQ(cut[0], words26.substr(0, 24));
  EXPECT_EQ(cut[1], u"北京");

  // A rest shorter than the shortest word is dropped.
  conv_.wordMinLen = 3;
  EXPECT_EQ(cutPiece(ctx_, words26), Lines{words26.substr(0, 24)});
  conv_.wordMinLen = 2;

  // A first word longer than 25 characters: the cutting still ends, at 25 characters a cut.
  std::u16string longWord(60, u'长');
  engine_.dictionary.push_back(longWord);
  engine_.longWord = 60;
  cut = cutPiece(ctx_, longWord);
  ASSERT_EQ(cut.size(), 3u);
  EXPECT_EQ(cut[0].size(), 25u);
  EXPECT_EQ(cut[1].size(), 25u);
  EXPECT_EQ(cut[2].size(), 10u);
}

TEST_F(WordMakerTest, FileModeWritesWordsAndStatistics) {
  ASSERT_TRUE(writeGbkLines(files_, platform_, kRaceTextPath,
                            {u"今天天气很好。123我们学习", u"", u"好", u"今天天气很好"}));
  ASSERT_TRUE(writeGbkLines(files_, platform_, kRaceReportPath, {u"old report"}));
  ASSERT_TRUE(writeGbkLines(files_, platform_, kWordMakerResultPath, {u"上海,1"}));
  ASSERT_TRUE(makeWordsFromArticle(ctx_));
  EXPECT_EQ(read(kRaceSegmentPath), (Lines{u"今天天气很好", u"我们学习", u"今天天气很好"}));
  EXPECT_EQ(read(kWordMakerResultPath), (Lines{u"上海,1", u"天气很好,2", u"学习,1"}));
  EXPECT_EQ(read(kWordFrequencyPath), (Lines{u"上海 110", u"天气很好 100", u"学习 110"}));
  EXPECT_EQ(read(kRaceReportPath), Lines{});
  EXPECT_EQ(read(kUserLexiconDiyPath), Lines{});
  EXPECT_EQ(view_.text3, u"100%");
  EXPECT_EQ(view_.caption, u"文章学习造词器：通过大量文章语料学习，快速生成自己的词库！");
  EXPECT_EQ(view_.text1.substr(0, 6), u"      ");
  EXPECT_EQ(timer_, (std::vector<bool>{false, false, true}));
  EXPECT_EQ(race_.raceMode, 0);
  EXPECT_EQ(race_.wordMakerMode, 1);
  EXPECT_EQ(pending_, kPendingLearnMarked);
  EXPECT_TRUE(learning_.learned.empty());

  // The next press finds text in the box: box mode, no file touched.
  view_.text1 = u"今天 天气123很好";
  ASSERT_TRUE(makeWordsFromArticle(ctx_));
  EXPECT_EQ(race_.raceSentence, u"今天天气很好");
  EXPECT_EQ(learning_.learned, Lines{u"天气很好"});
  EXPECT_EQ(view_.text1, u"今天[天气]很好\r\n今天 天器 很好\r\n  天气很好");
  EXPECT_EQ(race_.showMadeWords, -1);
  EXPECT_EQ(read(kWordMakerResultPath), (Lines{u"上海,1", u"天气很好,2", u"学习,1"}));
}

TEST_F(WordMakerTest, BoxModeWithoutCodableText) {
  view_.text1 = u"123 abc\r\n";
  ASSERT_TRUE(makeWordsFromArticle(ctx_));
  EXPECT_EQ(engine_.conversions, 0);
  EXPECT_TRUE(learning_.learned.empty());
  EXPECT_EQ(race_.raceMode, 0);
}

TEST_F(WordMakerTest, MissingArticleStopsTheRun) {
  EXPECT_FALSE(makeWordsFromArticle(ctx_));
  EXPECT_FALSE(files_.exists(kWordFrequencyPath));
  // Typing gets its timer back and the ordinary lookup rules.
  EXPECT_EQ(timer_, (std::vector<bool>{false, true}));
  EXPECT_EQ(race_.raceMode, 0);
}

// The article is read as the analyzer reads its race text: UTF-8 as its characters, and a file
// over the race text's bound refused with the analyzer's message before anything is written.
TEST_F(WordMakerTest, ArticleInUtf8AndOversizedArticle) {
  ASSERT_TRUE(files_.writeBytes(kRaceTextPath, "今天天气很好\r\n我们学习\r\n"));
  ASSERT_TRUE(makeWordsFromArticle(ctx_));
  const Lines segments{u"今天天气很好", u"我们学习"};
  EXPECT_EQ(read(kRaceSegmentPath), segments);
  EXPECT_TRUE(platform_.messageBoxes.empty());

  ASSERT_TRUE(files_.writeBytes(kRaceTextPath, std::string(kRaceTextLimit + 1, 'a')));
  view_.text1.clear();
  platform_.messageBoxAnswers.push_back(MessageBoxAnswer::Ok);
  EXPECT_FALSE(makeWordsFromArticle(ctx_));
  ASSERT_EQ(platform_.messageBoxes.size(), 1u);
  EXPECT_NE(platform_.messageBoxes[0].text.find(u"字节，赛文最多读入 1048576 字节"), std::u16string::npos);
  EXPECT_EQ(read(kRaceSegmentPath), segments);
}

TEST_F(WordMakerTest, LongArticleShowsProgress) {
  Lines article;
  for (int i = 0; i < 2000; ++i) article.push_back(u"今天天气很好我们学习北京今天天气很好我们学习北京今天天气很好。");
  ASSERT_TRUE(writeGbkLines(files_, platform_, kRaceTextPath, article));
  std::vector<int> shown;
  onPump = [&] {
    if (!view_.text3.empty()) shown.push_back(std::stoi(std::string(view_.text3.begin(), view_.text3.end() - 1)));
  };
  auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(makeWordsFromArticle(ctx_));
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  Lines result = read(kWordMakerResultPath);
  ASSERT_FALSE(result.empty());
  std::size_t made = 0;
  for (const auto& line : result) made += std::stoul(std::string(line.begin() + static_cast<long>(line.find(u',')) + 1, line.end()));
  EXPECT_EQ(made, 2000u * 5);  // five misspelt words a line, each made into one word
  ASSERT_GT(shown.size(), 100u);
  EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
  EXPECT_LT(shown.front(), 5);
  EXPECT_EQ(view_.text3, u"100%");
  RecordProperty("words_per_second", std::to_string(static_cast<long>(static_cast<double>(made) / std::max(seconds, 1e-6))));
}

}  // namespace
}  // namespace yz
