#pragma once
// Cells of the input pass that the hook, the lookups, the conversion and instant modify read.

#include <cstdint>
#include <string>

namespace yz {

struct PassState {
  std::int32_t skipUnchangedFlag = 0;     // 1: the pass may skip re-conversion of an unchanged code
  std::int32_t associationStartLen = 12;  // code length from which association looks ahead
  bool hbxrlj = false;                    // true while the pass builds the end-word candidates
  std::u16string resultBeforeTail;        // the local result before the tail word
  std::u16string tex5f9;                  // end-word candidate list the pass built last
  std::u16string sysyff;                  // first word the two-letter auxiliary steps accepted
  std::u16string codeChars = u"abcdefghijklmnopqrstuvwxyz";  // code-key set the hook obeys
  std::u16string vumayr = u"abcdefghijklmnopqrstuvwxyz";  // main half of the code-element set
  std::u16string fumayr;                  // auxiliary half of the code-element set
  std::u16string quickSelectKeys;         // quick-select keys in slot order
  std::u16string rtexys;                  // code line when the current pass began
  // Working cells of the pass.
  std::u16string rtex1, rtex2, tex5, tex7, tex70, hjzi0, yshz, codeRightOfCaret, bmstr;
  std::u16string yshz5 = u"0";
  std::int32_t hz9max = 0;
  std::int32_t maxHitIndex = 0;
  std::int32_t upgl = 0;
  std::int32_t bju = 0;
  std::int32_t gbh = 0;    // code offset of the chosen character in instant modify
  std::u16string buy;      // the sentence's code as instant modify entry prepared it
  std::int32_t jsq1 = 0;   // launch guard of the program-starting command codes
  std::int32_t timer1 = -1;  // the input timer (50 ms), created by the application
  std::int32_t timer2 = -1;  // the candidate window's second timer
};

}  // namespace yz
