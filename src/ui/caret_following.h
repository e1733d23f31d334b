#pragma once
// Caret following: records the program and window that have the keyboard focus (the target of
// the next commit) and, between compositions, places the candidate window at that window's caret.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "state/composition_state.h"
#include "state/settings.h"
#include "state/window_state.h"
#include "ui/candidate_window.h"

namespace yz {

inline constexpr int kVkLButton = 1;
inline constexpr int kClickBackWaitMs = 500;
inline constexpr std::size_t kClassNameChars = 64;

// The composition routines caret following calls; the application wires them.
struct CompositionCalls {
  std::function<void(const std::u16string&)> qqdz;  // commits a text and resets the composition
  std::function<void()> escjm;                      // resets the composition
  std::function<void(int)> delay;                   // waits, pumping messages
  std::function<void()> codeLineEdited;             // the user edited the code line: a pass runs
  std::function<void()> showSettings;               // places and shows the settings dialog
};

class CaretFollower {
 public:
  CaretFollower(Platform& platform, Settings& settings, WindowState& win, CompositionState& comp,
                CandidateWindow& window, CompositionCalls& calls);

  // Records the target program and window and, while the code line is empty, places the
  // candidate window at the target's caret. Pumps messages.
  void followCaret();
  // Places the candidate window at the recorded target window's caret again while caret following
  // is on, whatever the code line holds: when a composition starts, the target has taken the
  // characters of the last commit and its caret stands where the next text goes.
  void placeAtCaret();
  // Fills the caret point that accessibility reports for the focused window.
  void caretFromAccessibility();

  // The platform's own windows besides the candidate window (the settings dialog, the status
  // bar); a focus in one of them is never a target.
  std::vector<WindowId> ownWindows;
  // Whether a window is another of the platform's own windows that come and go (the settings
  // dialog); wired by the application.
  std::function<bool(WindowId)> isProgramWindow;

 private:
  bool isOwnWindow(WindowId window);
  // The caret point of the target window in screen pixels, kept on the screen.
  Point caretPoint(WindowId foreground, const Rect& windowRect);
  void placeAt(Point point);
  void focusInOwnWindow();

  Platform& platform_;
  Settings& settings_;
  WindowState& win_;
  CompositionState& comp_;
  CandidateWindow& window_;
  CompositionCalls& calls_;
};

}  // namespace yz
