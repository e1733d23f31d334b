#pragma once
// Cells of the input pass that the hook, the lookups, the conversion and instant modify read.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "state/conversion_state.h"
#include "state/layout_table.h"

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
  // The typed code as the last finished pass converted it; empty when keys arrived during it.
  std::optional<std::u16string> typedCodeSeen;
  // Working cells of the pass.
  std::u16string rtex1;             // code line copied when a pause fix or instant modify starts
  std::u16string rtex2;             // the local sentence copied with it; shown before the first word
  std::u16string tex5;              // candidate list being built (instant modify: its own list)
  std::u16string tex7;              // sentence to show in text7 before the first word
  std::u16string tex70;             // sentence text7 showed last; put back while the caret stays
  std::u16string hjzi0;             // texts of the words kept fixed in front of the converted part
  std::u16string codeRightOfCaret;  // code right of the caret, converted after the left part
  std::u16string bmstr;             // the working code the lookups and the conversion read
  std::int32_t maxHitIndex = 0;     // largest main-lexicon line the lookups reached this sentence
  std::int32_t gbh = 0;    // code offset of the chosen character in instant modify
  std::u16string buy;      // the sentence's code as instant modify entry prepared it
  std::int32_t jsq1 = 0;   // launch guard of the program-starting command codes
  // Cells the sections of the pass hand to one another.
  std::u16string hjziir;                 // whole-sentence (or cloud) text of the code
  std::u16string hjzils1;                // "不成句2" when a conversion found no sentence
  std::u16string codeLeftOfCaret;        // code of the converted part before the caret
  std::u16string undoText;               // text the undo command put back in this tick
  std::int16_t undoPending = 0;          // -1 while the undo command restores the last commit
  std::int16_t yqf = 0;                  // -1: the working code starts after the last segment
  std::int32_t lookChanged = 0;          // -1 after a look change the next pass must show
  std::uint32_t lastNewKeyTime = 0;      // clock (ms, wraps) when the last key was taken at the code's end
  LayoutStepMemory layoutStep;           // the typed code as the layout step last saw it
  bool fullPinyinUnansweredTold = false; // the user was told that full pinyin got no cloud answer
  // The user's algorithm choice while a pass runs offline and forces fluency first for itself;
  // put back when the pass ends, and what a save made meanwhile writes.
  struct AlgorithmChoice {
    bool lidyx = true;  // 输入流畅度优先
    bool vqdyx = false; // 输入准确度优先
    int gjxm = 0;       // 高阶形码整句
  };
  std::optional<AlgorithmChoice> offlineChoice;  // set while such a pass runs
  std::int32_t timer1 = -1;  // the input timer (50 ms), created by the application
  std::int32_t timer2 = -1;  // the candidate window's second timer
};

// Publishes the code-key set from the settings' two code-element boxes: the main set (the 26
// letters when its box is empty) followed by the auxiliary set.
inline void publishCodeChars(PassState& pass, std::u16string_view mainSet,
                             std::u16string_view auxSet) {
  pass.vumayr = mainSet.empty() ? std::u16string_view(u"abcdefghijklmnopqrstuvwxyz") : mainSet;
  pass.fumayr = auxSet;
  pass.codeChars = pass.vumayr + pass.fumayr;
}

// Forgets the converted sentence before it is converted again: its words and the part kept fixed
// in front.
inline void forgetSentenceWords(PassState& p, ConversionState& cv) {
  p.hjzi0.clear();
  cv.hzixb.clear();
  cv.wordIndex = 0;
  cv.wordCounter = 0;
  cv.eraseWordTable();
}

}  // namespace yz
