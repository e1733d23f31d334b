// The win32 backend against the real system (under Wine in the cross build): the clock, timers
// inside the pump, the keyboard hook, character posting, the clipboard, resources, windows and
// forms, processes and HTTP failures.

#include "platform/win32/win32_platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/windows_header.h"

namespace yz {
namespace {

HWND hwndOf(WindowId id) { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(id)); }
WindowId idOf(HWND hwnd) { return static_cast<WindowId>(reinterpret_cast<std::uintptr_t>(hwnd)); }

// Pumps until the condition holds or the time-out passes; returns the condition.
template <typename Condition>
bool pumpUntil(Win32Platform& platform, Condition done, int timeoutMs = 3000) {
  const std::uint32_t start = platform.clockMs();
  while (!done()) {
    if (platform.clockMs() - start > static_cast<std::uint32_t>(timeoutMs)) return false;
    platform.doEvents();
    platform.sleepMs(1);
  }
  return true;
}

TEST(Win32Clock, MovesWithSleepAndGivesTheLocalTime) {
  Win32Platform platform;
  const std::uint32_t start = platform.clockMs();
  platform.sleepMs(50);
  const std::uint32_t elapsed = platform.clockMs() - start;
  EXPECT_GE(elapsed, 45u);
  EXPECT_LT(elapsed, 1000u);
  const LocalTime now = platform.localTime();
  EXPECT_GE(now.year, 2020);
  EXPECT_TRUE(now.month >= 1 && now.month <= 12);
  EXPECT_TRUE(now.weekday >= 1 && now.weekday <= 7);
}

TEST(Win32Clock, FormatsDatesAndTimesInEveryForm) {
  Win32Platform platform;
  const LocalTime t{2024, 3, 5, 13, 7, 9, 3};  // Tuesday
  for (DateForm form : {DateForm::Long, DateForm::Medium, DateForm::Short}) {
    EXPECT_NE(platform.formatDate(t, form).find(u"5"), std::u16string::npos);
    EXPECT_NE(platform.formatTime(t, form).find(u"07"), std::u16string::npos);
  }
  EXPECT_NE(platform.formatDate(t, DateForm::Long).find(u"2024"), std::u16string::npos);
  EXPECT_EQ(platform.formatTime(t, DateForm::Short), u"13:07");
  EXPECT_NE(platform.formatTime(t, DateForm::Medium).find(u"01:07"), std::u16string::npos);
  EXPECT_NE(platform.formatTime(t, DateForm::Long).find(u"09"), std::u16string::npos);
}

TEST(Win32Timers, TickInsideDoEventsUntilDisabled) {
  Win32Platform platform;
  int ticks = 0, idleTicks = 0;
  const auto timer = platform.createTimer([&] { ++ticks; });
  const auto idle = platform.createTimer([&] { ++idleTicks; });
  EXPECT_FALSE(platform.timerEnabled(timer));
  platform.setTimer(timer, 10, true);
  platform.setTimer(idle, 0, true);  // interval 0 never ticks
  EXPECT_TRUE(platform.timerEnabled(timer));
  ASSERT_TRUE(pumpUntil(platform, [&] { return ticks >= 3; }));
  platform.setTimer(timer, 10, false);
  EXPECT_FALSE(platform.timerEnabled(timer));
  const int stopped = ticks;
  const std::uint32_t start = platform.clockMs();
  pumpUntil(platform, [&] { return platform.clockMs() - start > 100; });
  EXPECT_EQ(ticks, stopped);
  EXPECT_EQ(idleTicks, 0);
  EXPECT_THROW(platform.setTimer(999, 10, true), PlatformError);
}

// A handler that pumps messages for several intervals (a web request waiting) is not entered
// again by its own timer's ticks; once it returns, the timer ticks again.
TEST(Win32Timers, AHandlerThatPumpsIsNotEnteredAgain) {
  Win32Platform platform;
  int depth = 0, deepest = 0, ticks = 0;
  const auto timer = platform.createTimer([&] {
    ++ticks;
    deepest = std::max(deepest, ++depth);
    if (ticks == 1) {
      const std::uint32_t start = platform.clockMs();
      pumpUntil(platform, [&] { return platform.clockMs() - start > 150; });
    }
    --depth;
  });
  platform.setTimer(timer, 10, true);
  ASSERT_TRUE(pumpUntil(platform, [&] { return ticks >= 3; }));
  platform.setTimer(timer, 10, false);
  EXPECT_EQ(deepest, 1);
}

TEST(Win32Timers, AHandlerThatThrowsSurfacesFromThePump) {
  Win32Platform platform;
  const auto timer = platform.createTimer([] { throw std::runtime_error("tick failed"); });
  platform.setTimer(timer, 5, true);
  bool thrown = false;
  const std::uint32_t start = platform.clockMs();
  while (!thrown && platform.clockMs() - start < 3000) {
    try {
      platform.doEvents();
    } catch (const std::runtime_error& e) {
      thrown = std::string(e.what()) == "tick failed";
    }
    platform.sleepMs(1);
  }
  EXPECT_TRUE(thrown);
}

TEST(Win32Pump, QuitEndsTheMessageLoop) {
  Win32Platform platform;
  int ticks = 0;
  const auto timer = platform.createTimer([&] {
    if (++ticks == 3) platform.quit();
  });
  platform.setTimer(timer, 5, true);
  platform.runMessageLoop();
  EXPECT_EQ(ticks, 3);
}

TEST(Win32Hook, SeesSynthesizedKeysAndAnswersForThem) {
  Win32Platform platform;
  std::vector<KeyEvent> seen;
  const int vk = 0x7C;  // F13: no program reacts to it
  ASSERT_TRUE(platform.installKeyboardHook([&](const KeyEvent& e) {
    if (e.vkCode != vk) return HookAnswer::CallNext;
    seen.push_back(e);
    return HookAnswer::Withhold;
  }));
  // Installing again replaces the procedure and keeps one hook.
  ASSERT_TRUE(platform.installKeyboardHook([&](const KeyEvent& e) {
    if (e.vkCode != vk) return HookAnswer::CallNext;
    seen.push_back(e);
    return e.down ? HookAnswer::Withhold : HookAnswer::Pass;
  }));
  EXPECT_TRUE(platform.keyboardHookInstalled());
  const int scan = platform.scanCodeOf(vk);
  platform.sendKeyEvent(vk, scan, false);
  platform.sendKeyEvent(vk, scan, true);
  ASSERT_TRUE(pumpUntil(platform, [&] { return seen.size() >= 2; }));
  EXPECT_EQ(seen.size(), 2u);
  EXPECT_TRUE(seen[0].down);
  EXPECT_FALSE(seen[1].down);
  EXPECT_TRUE(seen[0].flags & kKeyInjected);
  EXPECT_TRUE(seen[0].flags & kKeySentByProgram);
  EXPECT_TRUE(seen[1].flags & kKeyUp);
  EXPECT_EQ(seen[0].scanCode, scan);

  // A key another program injects carries no mark of this one.
  INPUT other{};
  other.type = INPUT_KEYBOARD;
  other.ki.wVk = static_cast<WORD>(vk);
  other.ki.wScan = static_cast<WORD>(scan);
  SendInput(1, &other, sizeof other);
  other.ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(1, &other, sizeof other);
  ASSERT_TRUE(pumpUntil(platform, [&] { return seen.size() >= 4; }));
  EXPECT_TRUE(seen[2].flags & kKeyInjected);
  EXPECT_FALSE(seen[2].flags & kKeySentByProgram);
  seen.resize(2);

  platform.removeKeyboardHook();
  platform.removeKeyboardHook();  // twice is harmless
  EXPECT_FALSE(platform.keyboardHookInstalled());
  platform.sendKeyEvent(vk, scan, false);
  platform.sendKeyEvent(vk, scan, true);
  platform.sleepMs(50);
  platform.doEvents();
  EXPECT_EQ(seen.size(), 2u);
}

TEST(Win32Hook, AProcedureThatThrowsSurfacesFromThePump) {
  Win32Platform platform;
  const int vk = 0x7D;  // F14
  bool seen = false;
  ASSERT_TRUE(platform.installKeyboardHook([&](const KeyEvent& e) -> HookAnswer {
    if (e.vkCode != vk) return HookAnswer::CallNext;
    seen = true;
    throw std::runtime_error("hook failed");
  }));
  platform.sendKeyEvent(vk, platform.scanCodeOf(vk), false);
  platform.sendKeyEvent(vk, platform.scanCodeOf(vk), true);
  bool thrown = false;
  const std::uint32_t start = platform.clockMs();
  while (!thrown && platform.clockMs() - start < 3000) {
    try {
      platform.doEvents();
    } catch (const std::runtime_error& e) {
      thrown = std::string(e.what()) == "hook failed";
    }
    platform.sleepMs(1);
  }
  EXPECT_TRUE(seen);
  EXPECT_TRUE(thrown);
}

// Answers the next dialog box with this title from a timer, which runs inside the box's own
// message loop.
class DialogAnswerer {
 public:
  DialogAnswerer(Win32Platform& platform, const wchar_t* windowClass, std::wstring title,
                 int command, std::wstring editText = {})
      : platform_(platform) {
    timer_ = platform.createTimer([=, this] {
      HWND box = FindWindowW(windowClass, title.c_str());
      if (!box) return;
      if (!editText.empty()) SetWindowTextW(FindWindowExW(box, nullptr, L"Edit", nullptr), editText.c_str());
      PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(command), 0);
      platform_.setTimer(timer_, 0, false);
    });
    platform.setTimer(timer_, 20, true);
  }

 private:
  Win32Platform& platform_;
  Platform::TimerId timer_ = 0;
};

TEST(Win32Dialogs, MessageBoxesReportTheButtonPressed) {
  struct Case {
    MessageBoxKind kind;
    int button;
    MessageBoxAnswer answer;
  };
  const Case cases[] = {
      {MessageBoxKind::Ok, IDOK, MessageBoxAnswer::Ok},
      {MessageBoxKind::OkCancel, IDCANCEL, MessageBoxAnswer::Cancel},
      {MessageBoxKind::YesNo, IDYES, MessageBoxAnswer::Yes},
      {MessageBoxKind::YesNo, IDNO, MessageBoxAnswer::No},
  };
  Win32Platform platform;
  for (const auto& c : cases) {
    DialogAnswerer answerer(platform, L"#32770", L"砚舟 question", c.button);
    EXPECT_EQ(platform.messageBox(u"继续吗?", u"砚舟 question", c.kind), c.answer) << c.button;
  }
}

TEST(Win32Dialogs, InputBoxGivesTheTextOrNothingWhenCancelled) {
  Win32Platform platform;
  {
    DialogAnswerer answerer(platform, L"YzInputBox", L"砚舟 input", IDOK, L"词条");
    EXPECT_EQ(platform.inputBox(u"输入词条", u"砚舟 input", u"默认"), u"词条");
  }
  {
    DialogAnswerer answerer(platform, L"YzInputBox", L"砚舟 input", IDOK);
    EXPECT_EQ(platform.inputBox(u"输入词条", u"砚舟 input", u"默认"), u"默认");
  }
  {
    DialogAnswerer answerer(platform, L"YzInputBox", L"砚舟 input", IDCANCEL);
    EXPECT_EQ(platform.inputBox(u"输入词条", u"砚舟 input", u"默认"), std::nullopt);
  }
}

// A window of its own class that records the WM_CHAR values it is given.
class CharSink {
 public:
  explicit CharSink(bool unicode) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    if (unicode) {
      WNDCLASSW wc{};
      wc.lpfnWndProc = &CharSink::procW;
      wc.hInstance = instance;
      wc.lpszClassName = L"YzTestUnicodeSink";
      RegisterClassW(&wc);
      hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"sink", WS_POPUP, 0, 0, 10, 10, nullptr,
                              nullptr, instance, nullptr);
      SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    } else {
      WNDCLASSA wc{};
      wc.lpfnWndProc = &CharSink::procA;
      wc.hInstance = instance;
      wc.lpszClassName = "YzTestAnsiSink";
      RegisterClassA(&wc);
      hwnd_ = CreateWindowExA(0, wc.lpszClassName, "sink", WS_POPUP, 0, 0, 10, 10, nullptr,
                              nullptr, instance, nullptr);
      SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
  }
  ~CharSink() { DestroyWindow(hwnd_); }
  WindowId id() const { return idOf(hwnd_); }
  std::vector<WPARAM> received;

 private:
  static LRESULT CALLBACK procW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CHAR) {
      reinterpret_cast<CharSink*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA))->received.push_back(wParam);
      return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
  static LRESULT CALLBACK procA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CHAR) {
      reinterpret_cast<CharSink*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA))->received.push_back(wParam);
      return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
  HWND hwnd_ = nullptr;
};

TEST(Win32PostChar, UnicodeWindowsGetUtf16) {
  Win32Platform platform;
  CharSink sink(true);
  const std::u16string text = u"a啊€，";
  for (char16_t c : text) platform.postChar(sink.id(), c);
  ASSERT_TRUE(pumpUntil(platform, [&] { return sink.received.size() >= text.size(); }));
  EXPECT_EQ(sink.received, std::vector<WPARAM>(text.begin(), text.end()));
}

TEST(Win32PostChar, AnsiWindowsGetOneMessagePerGbkCharacter) {
  Win32Platform platform;
  CharSink sink(false);
  const std::u16string text = u"a啊€";
  for (char16_t c : text) platform.postChar(sink.id(), c);
  // Read the queue as an ANSI program does, before the window procedure sees it.
  std::vector<WPARAM> queued;
  MSG msg;
  const std::uint32_t start = platform.clockMs();
  while (queued.size() < text.size() && platform.clockMs() - start < 3000) {
    if (PeekMessageA(&msg, hwndOf(sink.id()), WM_CHAR, WM_CHAR, PM_REMOVE)) {
      queued.push_back(msg.wParam);
    } else {
      Sleep(1);
    }
  }
  EXPECT_EQ(queued, (std::vector<WPARAM>{0x61, 0xA1B0, 0x80}));
}

TEST(Win32Clipboard, RoundTripsUnicodeText) {
  Win32Platform platform;
  for (std::u16string text : {u"砚舟 clip", u"a\r\nb", u""}) {
    platform.setClipboardText(text);
    EXPECT_EQ(platform.clipboardText(), text);
  }
  platform.setClipboardText(u"gone");
  platform.clearClipboard();
  EXPECT_EQ(platform.clipboardText(), u"");
}

TEST(Win32Resources, ReadsCustomResourcesOfTheProgram) {
  Win32Platform platform;
  const auto sample = platform.resource(101);
  ASSERT_TRUE(sample.has_value());
  EXPECT_EQ(*sample, std::string("\xD1\xE2\xD6\xDB resource\r\n\0\xFF" "end", 20));
  EXPECT_EQ(platform.fromGbk(sample->substr(0, 4)), u"砚舟");
  EXPECT_FALSE(platform.resource(105).has_value());
  EXPECT_TRUE(platform.hasResource(101));
  EXPECT_FALSE(platform.hasResource(105));
}

TEST(Win32Processes, CountsImagesWithoutCaseAndFindsTheSystemFolder) {
  Win32Platform platform;
  struct Case {
    std::u16string image;
    int count;
  };
  const Case cases[] = {
      {u"win32_platform_test.exe", 1},
      {u"WIN32_PLATFORM_TEST.EXE", 1},
      {u"win32_platform_test", 0},
      {u"no-such-program.exe", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(platform.processCount(c.image), c.count) << std::string(c.image.begin(), c.image.end());
  }
  const std::u16string folder = platform.systemFolder();
  ASSERT_GT(folder.size(), 8u);
  EXPECT_NE(folder.back(), u'\\');
  EXPECT_FALSE(platform.startProgram(u"C:\\no\\such\\program.exe"));
  EXPECT_NE(platform.currentProcessId(), 0u);
}

TEST(Win32Windows, ReportsFocusClassTextAndProcess) {
  Win32Platform platform;
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  HWND top = CreateWindowExW(0, L"STATIC", L"砚舟 target", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50,
                             300, 200, nullptr, nullptr, instance, nullptr);
  HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 10, 10, 200, 24, top,
                              nullptr, instance, nullptr);
  ASSERT_TRUE(top && edit);
  SetForegroundWindow(top);
  SetFocus(edit);
  platform.doEvents();
  EXPECT_EQ(platform.focusedWindow(idOf(top)), idOf(edit));
  EXPECT_EQ(platform.windowText(idOf(top)), u"砚舟 target");
  EXPECT_EQ(platform.windowProcessId(idOf(edit)), platform.currentProcessId());
  const std::u16string cls = platform.windowClassName(idOf(edit));
  EXPECT_EQ(CompareStringOrdinal(reinterpret_cast<const wchar_t*>(cls.c_str()), -1, L"Edit", -1,
                                 TRUE),
            CSTR_EQUAL);
  // The edit control shows its caret while it has the focus; its position is on the screen.
  if (const auto caret = platform.caretRect(idOf(top))) {
    RECT r;
    GetWindowRect(edit, &r);
    EXPECT_GE(caret->left, r.left);
    EXPECT_LE(caret->left, r.right);
  }
  DestroyWindow(top);
}

TEST(Win32Forms, RealiseTheViewAsATopLevelWindow) {
  Win32Platform platform;
  std::vector<FormEvent> events;
  auto form = platform.createForm([&](const FormEvent& e) { events.push_back(e); });
  ASSERT_NE(form->id(), 0u);
  HWND hwnd = hwndOf(form->id());
  const int tpp = platform.twipsPerPixel();
  ASSERT_GT(tpp, 0);
  FormView view;
  view.bounds = Rect{100 * tpp, 80 * tpp, 300 * tpp, 180 * tpp};
  view.visible = true;
  view.topMost = true;
  view.noActivate = true;
  view.backColour = 0x0000FF;  // red
  ControlView label;
  label.name = u"Label1";
  label.text = u"砚舟";
  label.bounds = Rect{10 * tpp, 10 * tpp, 100 * tpp, 40 * tpp};
  view.controls.push_back(label);
  form->show(view);
  platform.doEvents();
  EXPECT_TRUE(IsWindowVisible(hwnd));
  RECT r;
  GetWindowRect(hwnd, &r);
  EXPECT_EQ((Rect{r.left, r.top, r.right, r.bottom}), (Rect{100, 80, 300, 180}));
  const LONG_PTR ex = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
  EXPECT_TRUE(ex & WS_EX_TOPMOST);
  EXPECT_TRUE(ex & WS_EX_NOACTIVATE);
  UpdateWindow(hwnd);
  // The back colour is on the screen where no control covers the form.
  const auto pixels = platform.captureScreen(Rect{290, 170, 292, 172});
  ASSERT_EQ(pixels.size(), 4u);
  EXPECT_EQ(pixels[0] & 0xFFFFFF, 0xFF0000u);  // BGRA read as a number: red is 0xFF0000

  SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
  ASSERT_GE(events.size(), 2u);
  EXPECT_EQ(events.back().kind, FormEventKind::Click);
  EXPECT_EQ(events.back().control, u"Label1");

  view.visible = false;
  form->show(view);
  EXPECT_FALSE(IsWindowVisible(hwnd));
}

// Characters typed into the form go into the focused text box: KeyPress, then Change with the
// box's new text; without a focused box only KeyPress comes.
TEST(Win32Forms, CharactersTypedIntoTheFocusedBoxRaiseChange) {
  Win32Platform platform;
  std::vector<FormEvent> events;
  auto form = platform.createForm([&](const FormEvent& e) { events.push_back(e); });
  HWND hwnd = hwndOf(form->id());
  const int tpp = platform.twipsPerPixel();
  FormView view;
  view.title = u"box";
  view.bounds = Rect{100 * tpp, 80 * tpp, 400 * tpp, 280 * tpp};
  view.visible = true;
  ControlView box;
  box.name = u"Text1";
  box.kind = ControlKind::TextBox;
  box.text = u"甲";
  box.multiLine = true;
  box.bounds = Rect{10 * tpp, 10 * tpp, 200 * tpp, 100 * tpp};
  view.controls.push_back(box);
  form->show(view);
  SendMessageW(hwnd, WM_CHAR, L'x', 0);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].kind, FormEventKind::KeyPress);

  events.clear();
  form->focusControl(u"Text1");
  SendMessageW(hwnd, WM_CHAR, 0x4E59, 0);  // 乙
  SendMessageW(hwnd, WM_CHAR, L'\r', 0);
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(events[0].kind, FormEventKind::KeyPress);
  EXPECT_EQ(events[0].control, u"Text1");
  EXPECT_EQ(events[1].kind, FormEventKind::Change);
  EXPECT_EQ(events[1].control, u"Text1");
  EXPECT_EQ(events[1].text, u"甲乙");
  EXPECT_EQ(events[3].text, u"甲\r\n");  // the view still holds 甲: nobody showed the change

  events.clear();
  view.controls[0].text = u"甲\r\n";
  form->show(view);
  SendMessageW(hwnd, WM_CHAR, L'\b', 0);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[1].text, u"甲");  // the line break goes whole
  view.visible = false;
  form->show(view);
}

TEST(Win32Mouse, AClickMovesTheCursorToItsPoint) {
  Win32Platform platform;
  platform.sendLeftClick(Point{37, 41});
  platform.doEvents();
  EXPECT_EQ(platform.cursorPos(), (Point{37, 41}));
}

TEST(Win32Forms, MeasuresTextInTwips) {
  Win32Platform platform;
  const FontSpec font;
  const Point one = platform.measureText(font, u"砚舟");
  const Point two = platform.measureText(font, u"砚舟砚舟");
  EXPECT_GT(one.x, 0);
  EXPECT_GT(one.y, 0);
  EXPECT_NEAR(two.x, 2 * one.x, 2 * platform.twipsPerPixel());
  EXPECT_EQ(platform.measureText(font, u"").y, one.y);
}

// The HTTP client against a loopback server is tested in tests/web/net_test.cpp, which this
// build runs on WinHTTP.
TEST(Win32Http, FailsWithoutAServer) {
  Win32Platform platform;
  EXPECT_FALSE(platform.httpGet(u"http://127.0.0.1:1/", 2000, {}).ok);
  EXPECT_FALSE(platform.httpGet(u"not a url", 2000, {}).ok);
}

}  // namespace
}  // namespace yz
