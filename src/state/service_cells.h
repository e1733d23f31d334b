#pragma once
// Cells of the start-up, web and analyzer subsystems that the engine reads.

#include <cstdint>
#include <string>

namespace yz {

// Mirrors of settings and the load sequence's marks.
struct SettingsMirror {
  std::int16_t pageSize = 5;             // mirror of 候选个数
  std::int16_t verticalListSetting = 0;  // mirror of 竖排候选
  std::int16_t fullPinyinMode = 0;       // 1 while full pinyin is chosen
  bool auxSchemeChanged = false;         // an auxiliary-code switch asks for a regeneration
};

// Results the web queries hand to their callers.
struct WebCells {
  float xymayp0 = 0, xymayp1 = 0, xymayp2 = 0, xymayp3 = 0;  // hit counts of a phrase pair
  std::u16string cloudText;    // what the cloud step leaves for its caller
  std::u16string pinyinQuery;  // the pinyin the cloud queries send
  std::u16string up;           // code of the sentence the cloud query checks; a blank marks a
                               // character the cloud text takes from the local sentence
  // How long the web queries of the sentence in progress have waited, ms: together they wait no
  // longer than one time-out. A new sentence starts again from 0.
  std::uint32_t sentenceWaitMs = 0;
};

// State of a race-text analyzer or word-maker run.
struct RaceState {
  std::int32_t raceMode = 0;       // 1 while an analyzer or word-maker run is active
  std::int32_t raceKeyDelay = 50;     // key interval of the analyzer's simulated typing, ms
  std::int32_t raceCommitDelay = 200; // its commit delay, ms
  int gpsd = 0;                    // 公平赛打 (fair race) check box
  std::int32_t wordMakerMode = 0;  // 1 while the word maker runs: its words go to its result file
  std::int16_t showMadeWords = 0;  // -1: the word maker lists the words it made
  // The learning step's comparison of a committed sentence with the engine's conversion of it.
  std::u16string raceSentence;         // the committed sentence, trimmed
  std::u16string raceCommittedText;    // the text as committed
  std::u16string raceCode;             // its code, typed or encoded
  std::u16string raceCommittedPieces;  // the committed text cut where the conversion cut words
  std::u16string raceResultPieces;     // the conversion cut the same way
  std::u16string raceMarkedText;       // the committed pieces with the differing ones marked
  std::int32_t raceErrorCount = 0;     // pieces that differ
  float raceErrorRate = 0;             // difference rate, percent
  std::int32_t raceCharCount = 0;      // characters compared
  std::u16string raceReferenceText;  // the piece the sentence conversion measures a race against
  std::u16string raceMethodLabel;    // “砚舟平台” or “系统输入法”, as the summary and board name show it
  std::u16string reportText;         // the summary of the last analyzer run
  double raceCorrectionKeys = 0;     // correction keystrokes counted by the comparisons of a run
};

}  // namespace yz
