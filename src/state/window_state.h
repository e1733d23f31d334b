#pragma once
// The candidate window's boxes, which carry the composition's text, and the target-program cells
// of caret following and the status bar's labels.

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace yz {

struct TextBoxState {
  std::u16string text;        // the box's text
  std::int32_t selStart = 0;  // caret position
};

struct CandidateBoxes {
  TextBoxState Text1;   // form1.Text1: the code being typed, shown; selStart is the edit position
  TextBoxState rtext1;  // the pass's working copy of the code line (hidden); empty hides the window
  TextBoxState rtext2;  // the local sentence result
  TextBoxState text7;   // the converted sentence, committed by Space
  TextBoxState rText7;  // the shown, wrapped copy of the sentence; its length caps typing
  TextBoxState hxl;     // the numbered candidate list
  TextBoxState Text5;   // form1.Text5: candidate text; in instant modify the position letters
  TextBoxState Text2{u"输入", 0};  // form1.Text2: prompt line / instant-modify edit line
};

// What the hook and the commit ask of the candidate window's placement; the layout realises it.
struct CandidateFormState {
  int width = 0;           // twips; 0 hides the window
  int height = 0;          // twips
  bool visible = false;    // shown
  bool topMost = false;    // kept above other windows
  bool hasFocus = false;   // given the keyboard focus (screenshot key in instant modify)
};

struct WindowState {
  CandidateBoxes boxes;      // the boxes' texts
  CandidateFormState form1;  // the window's placement
  WindowId h = 0;                      // focused window of the target program
  std::uint32_t targetProcessId = 0;   // 0 = none
  std::uint32_t returnProcessId = 0;   // process the settings dialog gives the keyboard back to
  std::int16_t externalTarget = -1;    // -1: commits go to the external target program
  std::int32_t tim0 = 0;               // 1 once a browser's click was handed back this composition
  std::u16string lastSegmentDisplay;   // code line as shown split into words, kept across segments
  std::int32_t segmentDisplayParity = 0;  // segment count when that display was last kept
  std::int32_t loopCounter = 0;        // list lines less one, for the vertical layout
  bool rhkl = false;                   // the one-time downward shift of this composition is done
  std::u16string targetWindowClass;    // class of the target's focused window
  std::uint32_t typingStartTime = 0;   // clock (ms) when the current typing stretch began
  std::uint32_t typingNowTime = 0;     // clock (ms) at the latest key of that stretch
  std::int32_t lent7 = 0;              // length of text7 when last counted
  std::int32_t lt70 = 0;               // its length when the commit last counted typed characters
  // Status bar labels.
  std::u16string platformLabel = u"\r\n砚舟";     // Form4.Label1
  std::u16string punctuationLabel = u"\r\n。，";  // Form4.Label4
  std::u16string languageLabel = u"\r\n中";        // Form4.Label5
};

}  // namespace yz
