#include "ui/caret_following.h"

#include <algorithm>

namespace yz {

CaretFollower::CaretFollower(Platform& platform, Settings& settings, WindowState& win,
                             CompositionState& comp, CandidateWindow& window,
                             CompositionCalls& calls)
    : platform_(platform),
      settings_(settings),
      win_(win),
      comp_(comp),
      window_(window),
      calls_(calls) {}

bool CaretFollower::isOwnWindow(WindowId window) {
  return window == window_.id() ||
         std::find(ownWindows.begin(), ownWindows.end(), window) != ownWindows.end() ||
         (isProgramWindow && isProgramWindow(window));
}

void CaretFollower::followCaret() {
  const WindowId foreground = platform_.foregroundWindow();
  WindowId focused = platform_.focusedWindow(foreground);
  if (focused == 0) focused = foreground;  // a thread without a focused window: its own window
  if (focused == 0) return;

  if (isOwnWindow(focused)) {
    focusInOwnWindow();
    return;
  }

  if (platform_.windowProcessId(focused) == platform_.currentProcessId()) {
    if (foreground == window_.id()) {
      // The user clicked into the code line to edit the code there: the program typed into stays
      // the target of the commit, and gets the focus back once the composition is over.
      if (win_.boxes.rtext1.text.empty() && win_.targetProcessId != 0 &&
          win_.targetProcessId != platform_.currentProcessId()) {
        platform_.activateProcess(win_.targetProcessId);
      }
      return;
    }
    // A box of another form of the program (the word maker's text, a settings field): the
    // sentence typed there goes into that box, and the focus stays.
    win_.h = focused;
    win_.targetProcessId = platform_.currentProcessId();
    return;
  }
  // The desktop (a click beside every window) is no program to type into: the target stays. The
  // target's own process passed this check when it was recorded.
  const std::uint32_t processId = platform_.windowProcessId(focused);
  if (processId != win_.targetProcessId && !platform_.canActivateProcess(processId)) return;
  win_.h = focused;
  win_.targetProcessId = processId;
  std::u16string className = platform_.windowClassName(focused);
  if (className.size() > kClassNameChars) className.resize(kClassNameChars);
  win_.targetWindowClass = className;
  const Rect windowRect = platform_.windowRect(focused);

  // Placed only between compositions.
  if (!win_.boxes.rtext1.text.empty()) return;

  // This browser takes its clicks only after the candidate window had the focus once.
  if (win_.targetWindowClass == u"360se6_Frame" &&
      platform_.asyncKeyState(kVkLButton) == kKeyStateHeld && win_.tim0 == 0) {
    const Point cursor = platform_.cursorPos();
    win_.form1.visible = true;
    win_.form1.topMost = true;
    window_.realise(true);
    win_.tim0 = 1;
    if (calls_.delay) calls_.delay(kClickBackWaitMs);
    platform_.sendLeftClick(cursor);
    return;
  }

  const Point point = caretPoint(foreground, windowRect);
  const int offset = point.x - windowRect.left;
  if (offset != window_.form.detx) settings_.gbgs = 1;  // the caret moved sideways
  if (settings_.gbgs == 1) placeAt(point);
  window_.form.detx = offset;
}

Point CaretFollower::caretPoint(WindowId foreground, const Rect& windowRect) {
  Point point;
  if (win_.targetWindowClass == u"TXGuiFoundation") {
    caretFromAccessibility();
    point = Point{window_.form.xqq, window_.form.yqq + 20};
  } else if (const std::optional<Rect> caret = platform_.caretRect(foreground)) {
    point = Point{caret->left, caret->top};
  } else {
    // No caret reported: the window's origin.
    point = Point{windowRect.left, windowRect.top};
  }

  // Keep the window on the screen.
  const Rect screen = platform_.screenRect();
  point.x = std::min(point.x, screen.width() - 399);
  point.y = std::min(point.y, screen.height() - (settings_.hphx ? 100 : 220));
  return point;
}

// The window's top left corner 1 pixel right of and 5 pixels below the caret point.
void CaretFollower::placeAt(Point point) {
  const int twips = platform_.twipsPerPixel();
  window_.form.left = (point.x + 1) * twips;
  window_.form.top = (point.y + 5) * twips;
  win_.form1.visible = true;
  win_.form1.topMost = true;
  window_.realise();
}

void CaretFollower::placeAtCaret() {
  if (settings_.gbgs != 1 || win_.h == 0) return;
  const WindowId foreground = platform_.foregroundWindow();
  if (foreground == 0 || isOwnWindow(platform_.focusedWindow(foreground))) return;
  placeAt(caretPoint(foreground, platform_.windowRect(win_.h)));
}

// The user clicked into the platform's own window (to drag the candidate window, say): caret
// following goes off, and the shown sentence is committed when the left button was newly pressed
// or is up with no press since the last look. It goes to the recorded target program, never into
// the platform's own window.
void CaretFollower::focusInOwnWindow() {
  settings_.gbgs = 0;
  const std::int16_t button = platform_.asyncKeyState(kVkLButton);
  if (button != kKeyStateNewlyPressed && button != kKeyStateUp) return;
  if (!calls_.qqdz || !calls_.escjm) return;  // not wired: nothing to commit with
  const std::u16string rtx2 = win_.boxes.rtext1.text;
  calls_.qqdz(std::u16string(win_.boxes.text7.text));
  calls_.escjm();
  win_.boxes.rtext1.text = rtx2;
  if (!rtx2.empty()) comp_.lastCode = rtx2.substr(0, rtx2.size() - 1);
  win_.form1.width = 0;
  win_.form1.height = 0;
  window_.showTopMost();
}

void CaretFollower::caretFromAccessibility() {
  const std::optional<Rect> caret = platform_.accessibleCaretRect(win_.h);
  if (!caret) {
    window_.form.caption = u"(获取失败),停止";
    return;
  }
  window_.form.xqq = caret->left;
  window_.form.yqq = caret->top;
}

}  // namespace yz
