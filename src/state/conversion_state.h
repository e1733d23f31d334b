#pragma once
// The shared state of one sentence conversion: the word table a conversion fills, the tail word
// handed to the input pass, the word-length window and the cut table of the split searches.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace yz {

inline constexpr int kMaxSentenceWords = 40;  // rows of the word table
inline constexpr int kCutTableSlots = 10001;  // slots of the split searches' cut table

struct SentenceWord {
  std::u16string code;  // the word's code as typed
  std::u16string text;  // the word
};

struct ConversionState {
  // Rows 1..40 hold the words of the converted sentence; row 0 is never used.
  std::array<SentenceWord, kMaxSentenceWords + 1> wordTable;
  std::int32_t wordIndex = 0;    // row of the word written last
  std::int32_t wordCounter = 0;  // words written by the current conversion
  std::int32_t j0 = 0;           // rows kept fixed in front of the converted part
  std::int32_t xb0 = 0;          // row reached at the end of the last conversion
  std::int32_t xbia = 0;         // words the last conversion added beyond the previous end
  std::u16string hzixb;          // texts of the words written, each after one space
  std::u16string tailCode;       // code of the word the segmentation found last
  std::u16string tailText;       // its text; empty = nothing matched
  std::int32_t tailFixed = 0;    // 1 when the tail word was settled
  std::int32_t wordMinLen = 2;   // word-length window of learned words, in characters
  std::int32_t wordMaxLen = 7;   // upper end of that window, in characters
  // Tails of the last split's word codes, each slot the codes from one word on; the
  // segmentability tests look a code up in them.
  std::vector<std::u16string> cutTable = std::vector<std::u16string>(kCutTableSlots);
  std::int32_t cutTableLast = -1;  // -1 = empty
  std::int32_t lastItemOneLetter = 0;  // 1: the sentence's last word has a one-letter code
  std::int32_t qmhbir = 0;       // 0 while the first segment of a sentence is converted
  std::int32_t loopCounter2 = 0; // the segmentation's length counter
  std::u16string qrbuir;         // sentence text and tail character of the positioning path
  std::u16string bmstruhci;      // the code as the input pass last saw it
  std::u16string endzf;          // end-of-sentence candidate list of the last conversion
  // Cells of the segmentation and the split searches.
  std::int32_t wzma = 0;         // 1 while the segmentability tests check a rest after a head
  std::u16string bmstrb;         // the code the last segment choice started from
  std::int32_t icjq = 0;         // 1 while the segment choice learns a fused word
  std::u16string qrbu;           // texts of both parts of the last cut taken
  std::int32_t cutTableFilled = 0;  // one past the highest cut-table slot written since cleared

  void eraseWordTable() {
    for (auto& row : wordTable) row = {};
  }
};

}  // namespace yz
