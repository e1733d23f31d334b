#pragma once
// The candidate window: three stacked lines (the code being typed, the converted sentence, the
// candidate list) and a prompt box at the right edge, laid out after every change of the
// composition and realised as a top-most window that never takes the focus.

#include <memory>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "state/composition_state.h"
#include "state/conversion_state.h"
#include "state/pass_state.h"
#include "state/settings.h"
#include "state/window_state.h"
#include "ui/candidate_form.h"

namespace yz {

inline constexpr int kWrapColumns = 26;          // sentence characters per shown line
inline constexpr std::size_t kShownTextCap = 100;  // characters of sentence and list shown
inline constexpr int kMinLayoutWidth = 5000;     // narrowest layout outside instant modify
inline constexpr int kFirstLettersShift = 350;   // one-time downward shift of a composition

class CandidateWindow {
 public:
  CandidateWindow(Platform& platform, const Settings& settings, WindowState& win,
                  const CompositionState& comp, const ConversionState& conv, const PassState& pass);
  ~CandidateWindow();

  // Lays the window out for the texts its boxes hold: fonts, sentence wrap, stacking, size; hides
  // it when the code line is empty outside instant modify. Never shows it.
  void zdus();
  // Whether the next layout moves the window down once, clear of the caret line: the first
  // letters of a composition after a commit, with caret following on.
  bool firstLettersShiftDue() const;
  // Shows the window top-most and not activated where it stands, without changing its size.
  void showTopMost();
  // Copies the look of the skin preview boxes onto the boxes and the window's background.
  void applyLook();
  // Hands the control model to the native window. `activate`: give it the focus as well.
  void realise(bool activate = false);

  // The native window's id; the window is created on first use.
  WindowId id();
  // The view last handed to the native window.
  const FormView& view() const { return view_; }
  // Width and height in twips of a text of one or more lines (CR LF) in a font: the widest line
  // and the sum of the line heights.
  Point extent(const FontSpec& font, std::u16string_view text) const;

  CandidateForm form;
  // The user's mouse actions on the window (dragging and zoom); set before the window is made.
  FormEventHandler onEvent;

 private:
  void splitCodeDisplay();
  bool shiftCondition() const;
  FormView buildView(bool activate) const;
  NativeForm& native();

  Platform& platform_;
  const Settings& settings_;
  WindowState& win_;
  const CompositionState& comp_;
  const ConversionState& conv_;
  const PassState& pass_;
  std::unique_ptr<NativeForm> native_;
  FormView view_;
};

}  // namespace yz
