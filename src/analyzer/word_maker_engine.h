#pragma once
// The word maker's engine over the system's own routines: the encoder, the sentence conversion,
// the word-aligned comparison and the learning around marked stretches. The owner of the state
// hands in the routines as calls, so this stays free of the application layer.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "analyzer/word_maker.h"

namespace yz {

struct WordMakerCalls {
  // `citcvuyn`: the shuangpin code string of a text.
  std::function<std::u16string(std::u16string_view text)> citcvuyn;
  // `citcbmma`: the text's code for the current scheme.
  std::function<std::u16string(std::u16string_view text)> citcbmma;
  // `fjyi` of a code (the caller's `wordCounter` already reset).
  std::function<std::u16string(std::u16string_view code)> fjyi;
  // `iyzczc` over the marked text, handing every word it would learn to `made` in place of the
  // user lexicon.
  std::function<void(std::u16string& b00, std::vector<std::u16string>& made)> iyzczc;
};

class RoutineWordMakerEngine : public WordMakerEngine {
 public:
  RoutineWordMakerEngine(RaceState& race, std::int16_t& grabPending, WordMakerCalls calls)
      : race_(race), grabPending_(grabPending), calls_(std::move(calls)) {}

  std::u16string cuttingCode(std::u16string_view text) override;
  std::u16string segmentCode(std::u16string_view text) override;
  std::u16string convert(std::u16string_view code) override;
  std::vector<std::u16string> compareAndMakeWords() override;

 private:
  RaceState& race_;
  std::int16_t& grabPending_;
  WordMakerCalls calls_;
};

}  // namespace yz
