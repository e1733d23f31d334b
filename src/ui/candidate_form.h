#pragma once
// The candidate window `form1` as a control model: where each box stands, whether it is seen and
// how it looks. The texts of the boxes live in `CandidateBoxes` and the window's size and
// visibility in `CandidateFormState` (state/window_state.h), where the hook and the commit reach
// them; this record holds the rest. All places and sizes are twips.

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace yz {

// A colour in the runtime's signed form: 0x00BBGGRR, or the top bit and a system colour index.
inline constexpr std::int32_t kSystemButtonFace = static_cast<std::int32_t>(0x8000000F);
inline constexpr std::int32_t kRed = 0x0000FF;

struct BoxLook {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool visible = true;
  FontSpec font;
  std::int32_t backColour = 16777215;
  std::int32_t foreColour = 0;
  int borderStyle = 0;
};

inline BoxLook designBox(int left, int top, int width, int height, bool visible) {
  BoxLook box;
  box.left = left;
  box.top = top;
  box.width = width;
  box.height = height;
  box.visible = visible;
  return box;
}

// The prompt box is not skinned: 宋体 10.5, red on the button face.
inline BoxLook designPromptBox() {
  BoxLook box = designBox(3720, 760, 495, 380, true);
  box.font = FontSpec{u"宋体", 10.5, false};
  box.backColour = kSystemButtonFace;
  box.foreColour = kRed;
  return box;
}

struct CandidateForm {
  // The window itself.
  int left = 6000;
  int top = 6000;
  int borderStyle = 0;
  std::int32_t backColour = 16777215;
  std::u16string caption;

  // The boxes, with their design places.
  BoxLook Text1 = designBox(0, 0, 4260, 365, true);
  BoxLook rtext1 = designBox(0, 0, 4260, 365, false);
  BoxLook text7 = designBox(0, 350, 4260, 365, false);
  BoxLook rText7 = designBox(0, 350, 4260, 365, true);
  BoxLook hxl = designBox(30, 730, 4125, 365, true);
  BoxLook Text5 = designBox(4560, 7920, 4000, 365, true);
  BoxLook Text2 = designPromptBox();
  BoxLook rtext2 = designBox(0, 1200, 4335, 375, false);

  // Caret following's memory of the last placement.
  std::int32_t detx = 0;  // last placement point's x less the focused window's left edge
  std::int32_t xqq = 0;   // caret left and top as accessibility last reported them, pixels
  std::int32_t yqq = 0;
};

}  // namespace yz
