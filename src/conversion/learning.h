#pragma once
// Word learning: a sentence chosen with a quick-select key or from instant modify teaches the user
// lexicon the words around the places where the conversion got it wrong; the segmentation's fused
// words are learned through the same insertion.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/context.h"
#include "conversion/sentence.h"
#include "lexicon/gbk.h"
#include "state/learning_state.h"

namespace yz {

// What word learning asks of the application.
struct LearningCalls {
  // Encodes a text into its input code (`bm`) and its full pinyin (`qp`).
  std::function<void(std::u16string_view text, std::u16string& bm, std::u16string& qp)> citcbmma;
  // Switches the input timer on or off.
  std::function<void(bool enabled)> setTimer1;
  // Rewrites the user lexicon file from memory; false when the file could not be written (the old
  // file is then kept).
  std::function<bool()> saveUserLexicon;
};

inline constexpr std::u16string_view kUserLexiconWriteFailed =
    u"用户词库没能保存到“用户diy文件\\用户词库.txt”，原来的文件没有改动，学到的词仍在内存中。"
    u"请检查这个文件夹能否写入。";

class WordLearning final : public LearningServices, public FusedWordLearning {
 public:
  WordLearning(ConversionContext ctx, SentenceConversion& sentence, const GbkTable& gbk,
               LearningState& state, LearningCalls calls)
      : c_(ctx), sentence_(sentence), gbk_(gbk), state_(state), calls_(std::move(calls)) {}

  // Learns from a committed text, reading the composition as it stands. Pumps messages.
  void yhck(std::u16string_view text) override;
  // Learns from a committed text with the composition the commit ended (the commit resets the
  // composition first, so keys typed meanwhile start a new code). Rewrites the user lexicon file;
  // leaves the composition alone. Pumps messages.
  void yhck(std::u16string_view text, const CommittedComposition& before) override;

  // Smart word making: converts the committed text's code twice, compares word by word and learns
  // around the differences. Pumps messages.
  void zkciqi(std::u16string_view str4);
  // Learning around the differences marked in `raceMarkedText`, over `raceCommittedPieces`.
  void iyzczc(std::u16string& b00);
  // The same, with every word it would learn handed to `made` instead of the user lexicon (the
  // article word maker keeps the words it makes itself).
  void iyzczc(std::u16string& b00, std::vector<std::u16string>& made);
  // Inserts one word into the user lexicon, or moves it to the front of its code's line.
  void zdzyhc(std::u16string str4) override;
  // Learns user words from the mismatches of a compared race sentence: `marked` holds the reference
  // with the differing characters in "[" "]"; each stretch is widened to the recognised word pieces
  // around it before it is learned.
  void iyzc(std::u16string& marked) override;

 private:
  // Learns a word (through `zdzyhc`).
  void learn(const std::u16string& w) { zdzyhc(w); }
  // The weight text of a learned word: "0" and r x 10 + base.
  std::u16string learnedWeight(float base);
  // The sentence shown when the word is learned.
  std::u16string_view shownSentence() const;
  bool isDoubleByte(char16_t ch) const;

  ConversionContext c_;
  SentenceConversion& sentence_;
  const GbkTable& gbk_;
  LearningState& state_;
  LearningCalls calls_;
  const CommittedComposition* before_ = nullptr;  // the composition of the commit being learned
  std::vector<std::u16string>* made_ = nullptr;   // where `zdzyhc` hands its words while collecting
};

// The word-length window of 自造词词长范围 ("2到7"): a bound that does not read as a number reads
// as 0, and an upper bound of 0 gives the window 2 to 7.
void wordLengthWindow(std::u16string_view range, std::int32_t& wordMinLen, std::int32_t& wordMaxLen);

}  // namespace yz
