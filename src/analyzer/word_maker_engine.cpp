#include "analyzer/word_maker_engine.h"

#include "conversion/word_compare.h"

namespace yz {

std::u16string RoutineWordMakerEngine::cuttingCode(std::u16string_view text) {
  return calls_.citcvuyn ? calls_.citcvuyn(text) : std::u16string();
}

std::u16string RoutineWordMakerEngine::segmentCode(std::u16string_view text) {
  return calls_.citcbmma ? calls_.citcbmma(text) : std::u16string();
}

std::u16string RoutineWordMakerEngine::convert(std::u16string_view code) {
  return calls_.fjyi ? calls_.fjyi(code) : std::u16string();
}

std::vector<std::u16string> RoutineWordMakerEngine::compareAndMakeWords() {
  std::u16string b00 = race_.raceCommittedPieces;
  std::u16string hjziir = race_.raceResultPieces;
  const WordComparison compared = cowu(b00, hjziir, race_.raceSentence, grabPending_);
  race_.raceErrorCount = compared.cowuuu;
  race_.raceErrorRate = compared.cowulv;
  race_.raceCharCount = compared.hzs;
  race_.raceMarkedText = b00;
  race_.raceResultPieces = hjziir;
  std::vector<std::u16string> made;
  if (calls_.iyzczc) {
    calls_.iyzczc(b00, made);
    race_.raceCommittedPieces = b00;  // the word making leaves the marked text there
  }
  return made;
}

}  // namespace yz
