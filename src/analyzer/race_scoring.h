#pragma once
// Scoring of one race piece: the positional comparison of a reference sentence with the text a
// conversion produced, the difference marks, the sentence's difference rate and the price of
// correcting its wrong characters by instant modify; and the number and summary texts of the
// result board.

#include <cstdint>
#include <string>
#include <string_view>

#include "lexicon/gbk.h"
#include "lexicon/user_lookup.h"
#include "state/lexicon_state.h"

namespace yz {

// What the correction price reads: the single-character lexicon (through its lookup) and the
// auxiliary codes.
struct ScoringContext {
  LexiconState& lex;
  const GbkTable& gbk;
  UserLookup& user;             // hzirdzck, the single-character lookup
  int codeLettersPerChar = 2;   // 3 under 纯三码整句
};

// Compares the reference `b00` with the recognised `hjziir` position by position. Both come back
// marked: differing characters of the reference between "[" and "]", the recognised characters at
// those positions between "(" and ")", adjacent differences sharing one pair. `cowuuu` receives
// the difference count, `cowulv` the rate in percent (two decimals, half up; 0 for an empty
// reference), `hzs` the reference length. `bm0` is the reference's code; the correction keys are
// added to `raceCorrectionKeys`.
void cowusd(const ScoringContext& ctx, std::u16string_view bm0, std::u16string& b00,
            std::u16string& hjziir, std::int32_t& cowuuu, float& cowulv, std::int32_t& hzs,
            double& raceCorrectionKeys);

// The correction price of the wrong character `o` whose own code letters are `c`: 2, 3 or 4 keys
// by the stage that finds it among the first five candidates, 0 when none does.
int correctionPrice(const ScoringContext& ctx, char16_t o, std::u16string_view c);

// A figure of the result board: plain decimal with at most two decimals, no trailing zeros, a
// leading "0" before the point of a value below 1 ("0.25", "0", "9.9").
std::u16string boardNumber(double value);

// Int(x × 10000 + 0.5) ÷ 100: a fraction as a percentage rounded half up to two decimals.
double roundedPercent(double x);

// Run totals that the summary reports.
struct RaceTotals {
  std::int64_t pieceChars = 0;      // characters written to the scratch piece file
  std::int64_t processedChars = 0;  // characters of the pieces that reached scoring
  std::int64_t codeLetters = 0;     // code letters of the scored pieces
  std::int64_t charTotal = 0;       // sum of raceCharCount
  std::int64_t diffTotal = 0;       // sum of raceErrorCount
  std::u16string firstPiece;
};

struct RaceSummary {
  double overallRate = 0;   // percent
  double avgCodeLength = 0; // code letters per character after correction
  double seconds = 0;
  std::int64_t charsPerMinute = 0;
  std::u16string text;      // both lines, joined by CR LF
};

// The summary of a run. `elapsedMs` is the run's time; `threeLetters` under 纯三码整句, `fair`
// while 公平赛打 is ticked.
RaceSummary raceSummary(const RaceTotals& totals, double correctionKeys, std::uint32_t elapsedMs,
                        std::u16string_view methodLabel, bool threeLetters, bool fair);

// The final name of the result board for a method label and first piece.
std::u16string boardFileName(std::u16string_view methodLabel, std::u16string_view firstPiece,
                             bool threeLetters);

// One block of the board for a scored piece with differences: five lines, each ended by CR LF.
std::u16string boardBlock(std::u16string_view markedPiece, std::u16string_view markedResult,
                          std::u16string_view code, std::int32_t count, float rate);

}  // namespace yz
