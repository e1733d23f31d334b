#pragma once
// The status bar `Form4`: a small always-on-top window near the lower right corner of the screen
// with five areas, from left to right the settings picture, the Chinese / English switch, the
// punctuation switch, the platform switch and the exit button. The captions of the three switch
// labels live in `WindowState` (platformLabel, punctuationLabel, languageLabel), where the keyboard
// hook and the input pass read them back as state; this model draws them, moves the bar when the
// user drags it and runs the switches. All places and sizes are twips.

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "state/composition_state.h"
#include "state/window_state.h"

namespace yz {

inline constexpr std::u16string_view kPlatformCaption = u"\r\n砚舟";  // this platform owns the keys
inline constexpr std::u16string_view kSystemCaption = u"\r\n系统";    // the system input method does
inline constexpr std::u16string_view kChineseCaption = u"\r\n中";
inline constexpr std::u16string_view kEnglishCaption = u"\r\n英";
inline constexpr std::u16string_view kFullWidthCaption = u"\r\n。，";
inline constexpr std::u16string_view kHalfWidthCaption = u"\r\n. ,";
inline constexpr std::u16string_view kExitCaption = u"\r\n×";

// The bar's size, its place from the screen's lower right corner, and the drag limits.
inline constexpr int kStatusBarWidth = 2550;
inline constexpr int kStatusBarHeight = 495;
inline constexpr int kStatusBarFromBottom = 1100;
inline constexpr int kStatusBarBottomLimit = 930;      // the top never comes nearer the bottom
inline constexpr int kStatusBarRightLimitWide = 1800;  // Label1, Label2
inline constexpr int kStatusBarRightLimitNarrow = 2500;  // Label4, Label5
// A press whose release finds the bar moved by more than this in either direction was a drag.
inline constexpr float kClickSlack = 50;

// What the bar's handlers call beyond the bar; wired by the application.
struct StatusBarCalls {
  std::function<void()> installKeyboardHook;
  std::function<void()> removeKeyboardHook;
  std::function<void(bool)> setTimer1;  // the input timer
  std::function<void(bool)> setTimer2;  // the candidate window's second timer
  std::function<void()> resetTypingCounters;
  // Places and shows the settings dialog and reads the settings and skin files into it again.
  std::function<void()> showSettings;
  // The exit sequence.
  std::function<void()> ended;
};

class StatusBar {
 public:
  StatusBar(Platform& platform, WindowState& win, CompositionState& comp);
  ~StatusBar();
  StatusBar(const StatusBar&) = delete;
  StatusBar& operator=(const StatusBar&) = delete;

  // The placement at the end of the load sequence: the lower right corner, the start captions,
  // shown and topmost.
  void placeAtStart();
  void hide();
  void setEnabled(bool enabled);
  // Draws the bar again when what it shows changed (the hook switched a caption).
  void refresh();

  // The user's actions; X and Y are the pointer inside the control, Button the mouse-button mask.
  void mouseDown(std::u16string_view control, float x, float y);
  void mouseMove(std::u16string_view control, int button, float x, float y);
  void click(std::u16string_view control);
  // An event of the realised window (places relative to the window).
  void onEvent(const FormEvent& event);

  FormView buildView() const;
  WindowId id();

  // The bar's place on the screen and whether it is seen.
  float left = 0;
  float top = 0;
  int width = kStatusBarWidth;
  int height = kStatusBarHeight;
  bool visible = false;
  bool enabled = true;
  // The drag state, all written at each press on a drag handle.
  float dx = 0;     // pointer X inside the pressed control at the press
  float dy = 0;     // pointer Y inside the pressed control at the press
  float xleft = 0;  // the bar's Left at the press
  float ytop = 0;   // the bar's Top at the press

  StatusBarCalls calls;

 private:
  bool wasDrag() const;
  void realise();

  Platform& platform_;
  WindowState& win_;
  CompositionState& comp_;
  std::unique_ptr<NativeForm> native_;
  FormView shown_;
};

}  // namespace yz
