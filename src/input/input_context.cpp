#include "input/input_context.h"

#include <cstdint>

#include "lexicon/encoder.h"

namespace yz {

void InputContext::citcbmma(std::u16string_view text, std::u16string& bm, std::u16string& qp) const {
  yz::citcbmma(EncoderContext{lex, gbk, settings, win.boxes, pass, race, enc}, text, bm, qp);
}

void InputContext::setTimer1(bool enabled) const {
  if (pass.timer1 >= 0) platform.setTimer(pass.timer1, kTimer1IntervalMs, enabled);
}

void InputContext::caretToEnd() const {
  TextBoxState& code = win.boxes.Text1;
  code.selStart = static_cast<std::int32_t>(code.text.size());
  comp.lastCaretPos = code.selStart;
  ++comp.codeEdits;
}

void InputContext::reactivateTarget() const {
  if (win.targetProcessId == 0) return;
  // The program's own process is the target when a box of its forms was typed into: that box's
  // window comes back, not whichever window of the program stands first.
  if (win.targetProcessId == platform.currentProcessId() && win.h != 0) {
    platform.activateWindow(win.h);
    return;
  }
  platform.activateProcess(win.targetProcessId);
}

bool InputContext::isDoubleByte(char16_t ch) const {
  return static_cast<std::int16_t>(gbk.codeOf(ch)) <= 0 && ch != 0;
}

}  // namespace yz
