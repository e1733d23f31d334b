#pragma once
// The race-text analyzer run `sdq`: cuts the race text 赛文资料\两码整句赛文.txt into pieces of
// codable characters, codes each piece, lets this platform's sentence conversion (or, with the
// system input method active, the system input method fed with synthesized keys) turn the code
// back into text, scores the result against the piece, writes every mismatching piece and a
// closing summary into the result board and moves the board to its final name.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "analyzer/race_scoring.h"
#include "analyzer/race_text.h"

namespace yz {

class App;

inline constexpr std::u16string_view kRaceBoardPath = u"赛文资料\\两码整句赛文成绩榜.txt";
inline constexpr std::u16string_view kUserLexiconFilePath = u"用户diy文件\\用户词库.txt";
inline constexpr std::u16string_view kAnalyzerTitle =
    u"整句识别分析器：实打实测试各种输入法编码方案、词库、算法的实际效果！";
inline constexpr std::size_t kShortestPiece = 2;
inline constexpr std::size_t kLongestPiece = 25;

// The controls of the analyzer window `Form5` that a run reads and writes.
struct AnalyzerControls {
  std::u16string title;
  std::u16string text1;          // Text1: help, the last mismatch, the system input method's commits
  std::u16string text2 = u"0%";  // Text2: progress
  std::u16string text3;          // Text3: the word maker's progress
  std::u16string label3 = u"上屏 300毫秒";  // commit delay display
  std::u16string label5 = u"键速   击/秒";  // key speed display
  int dbjd = 0;                  // 独霸焦点
};

// Cuts one line of text into race pieces: the maximal runs of characters that `codable` accepts,
// keeping those of `shortest` .. `longest` characters that hold a Chinese character.
std::vector<std::u16string> cutRacePieces(std::u16string_view line,
                                          const std::function<bool(char16_t)>& codable,
                                          std::size_t shortest = kShortestPiece,
                                          std::size_t longest = kLongestPiece);

class Analyzer {
 public:
  Analyzer(App& app, AnalyzerControls& controls) : app_(app), controls_(controls) {}

  // One run over the race text. Pumps messages: the window's buttons act during it.
  void sdq();
  bool running() const { return running_; }

  // The batch sentence test over the clipboard's text: the same cut (a piece of 26 or more
  // characters is cut further at recognised word boundaries), each piece converted by the
  // platform, compared and learned from. Writes the scratch piece file and no board. Pumps
  // messages.
  void pmqwzc();

  // Called after the run changed a control (progress, the mismatch shown).
  std::function<void()> changed;
  // Gives the text box Text1 the keyboard focus (独霸焦点: the system input method commits there).
  std::function<void()> focusText1;

  // Totals of the last run.
  RaceTotals totals;

 private:
  bool codable(char16_t ch) const;
  std::vector<std::u16string> cutRaceText();
  // The batch test's cut of one run of codable characters into pieces of at most 25 characters.
  void cutBatchPiece(std::u16string piece, std::vector<std::u16string>& out);
  // The batch test's check by the input-tools service. Pumps messages.
  std::u16string inputToolsChecked(const std::u16string& piece, const std::u16string& pinyin,
                                   const std::u16string& result);
  // The platform's conversion of the code; empty when it converts nothing.
  std::u16string convertByPlatform(const std::u16string& piece, const std::u16string& code);
  // The cloud check of a platform result: the cloud services' sentence for the piece's pinyin
  // replaces the words whose weight is 90 or more. Pumps messages.
  std::u16string cloudChecked(const std::u16string& piece, const std::u16string& code,
                              const std::u16string& pinyin, const std::u16string& result);
  // The system input method's commit for the code typed as synthesized keys; may shorten the
  // piece and its code on the last attempt.
  std::u16string convertBySystem(std::u16string& piece, std::u16string& code);
  void typeCode(std::u16string_view code);
  void clearWordState();
  // The piece converted again word by word: a word of weight 90 or more takes the candidate's
  // characters at its place, a lighter one keeps its own text.
  std::u16string mergedWithCandidate(const std::u16string& piece, const std::u16string& candidate);
  void wait(int ms);
  void pump();
  void notify() {
    if (changed) changed();
  }

  App& app_;
  AnalyzerControls& controls_;
  std::int32_t isdan_ = 0;  // attempts of the current piece through the system input method
  bool running_ = false;
};

}  // namespace yz
