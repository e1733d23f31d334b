#pragma once
// The candidate window and caret following, offered to the rest of the engine as its window
// services.

#include "state/services.h"
#include "ui/candidate_mouse.h"
#include "ui/candidate_window.h"
#include "ui/caret_following.h"
#include "ui/status_bar.h"

namespace yz {

class WindowUi final : public WindowServices {
 public:
  WindowUi(Platform& platform, Settings& settings, WindowState& win, CompositionState& comp,
           const ConversionState& conv, const PassState& pass)
      : window(platform, settings, win, comp, conv, pass),
        caret(platform, settings, win, comp, window, calls),
        mouse(platform, settings, window),
        statusBar(platform, win, comp) {
    window.onEvent = [this](const FormEvent& e) { mouse.onEvent(e); };
  }

  void zdus() override {
    // The caret point read when the last commit ended may predate the target taking its text.
    if (window.firstLettersShiftDue()) caret.placeAtCaret();
    window.zdus();
  }
  void followCaret() override { caret.followCaret(); }
  void statusChanged() override { statusBar.refresh(); }

  // The commit, the reset and the wait that caret following calls; wired by the application.
  CompositionCalls calls;
  CandidateWindow window;
  CaretFollower caret;
  CandidateMouse mouse;  // dragging and zoom of the candidate window
  StatusBar statusBar;   // Form4
};

}  // namespace yz
