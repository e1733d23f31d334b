#pragma once
// Dragging and zooming the candidate window with the mouse: the left button moves the window,
// the right button steps the font size of its lines. The grab point is shared by every box.

#include <string_view>

#include "platform/platform.h"
#include "state/settings.h"
#include "ui/candidate_window.h"

namespace yz {

// The zoom keeps every line readable and the window on the screen.
inline constexpr double kMinZoomPoints = 6;
inline constexpr double kMaxZoomPoints = 72;
inline constexpr int kZoomWaitMs = 100;

class CandidateMouse {
 public:
  CandidateMouse(Platform& platform, Settings& settings, CandidateWindow& window);

  // X and Y are the pointer inside the box (twips); Button is 1 for the left button alone and 2
  // for the right button alone.
  void mouseDown(std::u16string_view box, float x, float y);
  void mouseMove(std::u16string_view box, int button, float x, float y);
  // Steps the font size of the window's lines and of the two skin previews by `step` points,
  // within 6..72, and lays the window out again.
  void stepFontSize(int step);
  // An event of the realised window (places relative to the window).
  void onEvent(const FormEvent& event);

  float xx = 0;  // the grab point: the pointer inside the box at the last press
  float yy = 0;

 private:
  Platform& platform_;
  Settings& settings_;
  CandidateWindow& window_;
};

}  // namespace yz
