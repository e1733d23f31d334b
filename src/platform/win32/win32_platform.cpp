#include "platform/win32/win32_platform.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <cstdio>
#include <string>

#include "platform/win32/code_page.h"
#include "platform/win32/send_keys.h"
#include "platform/win32/windows_header.h"
// After windows.h:
#include <mmsystem.h>
#include <objbase.h>
#include <tlhelp32.h>
#include <wininet.h>

namespace yz {
namespace {

// The low-level keyboard hook procedure carries no user pointer, so the backend that installed
// the hook is kept here. There is one hook per process.
Win32Platform* liveHookOwner = nullptr;

constexpr wchar_t kMessageWindowClass[] = L"YzPlatformMessageWindow";
// The extra information of every key event this program sends, so that its hook knows them.
constexpr ULONG_PTR kSentByProgramMark = 0x597A4B59;

HWND hwndOf(WindowId id) { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(id)); }
WindowId idOf(HWND hwnd) { return static_cast<WindowId>(reinterpret_cast<std::uintptr_t>(hwnd)); }
const wchar_t* wide(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
std::u16string fromWide(const wchar_t* s, std::size_t n) {
  return std::u16string(reinterpret_cast<const char16_t*>(s), n);
}

[[noreturn]] void fail(const std::string& what) {
  throw PlatformError(what + ": " + win32::errorText(GetLastError()));
}

LRESULT CALLBACK lowLevelKeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code < 0 || liveHookOwner == nullptr) return CallNextHookEx(nullptr, code, wParam, lParam);
  return liveHookOwner->hookEvent(code, wParam, lParam);
}

LRESULT CALLBACK messageWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_TIMER) {
    auto* self = reinterpret_cast<Win32Platform*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self) self->timerTick(wParam);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

SYSTEMTIME systemTimeOf(const LocalTime& t) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(t.year);
  st.wMonth = static_cast<WORD>(t.month);
  st.wDay = static_cast<WORD>(t.day);
  st.wDayOfWeek = static_cast<WORD>(t.weekday > 0 ? t.weekday - 1 : 0);
  st.wHour = static_cast<WORD>(t.hour);
  st.wMinute = static_cast<WORD>(t.minute);
  st.wSecond = static_cast<WORD>(t.second);
  return st;
}

std::u16string trimmedBuffer(const std::wstring& buffer, int written) {
  // The formatting functions count the terminating zero.
  return written > 0 ? fromWide(buffer.data(), static_cast<std::size_t>(written - 1)) : u"";
}

}  // namespace

Win32Platform::Win32Platform() {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = messageWindowProc;
  wc.hInstance = instance;
  wc.lpszClassName = kMessageWindowClass;
  RegisterClassExW(&wc);  // fails harmlessly when a second backend registers it again
  HWND hwnd = CreateWindowExW(0, kMessageWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              instance, nullptr);
  if (!hwnd) fail("cannot create the message window");
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  messageWindow_ = hwnd;
  comInitialised_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  for (auto& c : customColours_) c = 0xFFFFFF;
}

Win32Platform::~Win32Platform() {
  removeKeyboardHook();
  HWND hwnd = static_cast<HWND>(messageWindow_);
  for (const auto& [id, timer] : timers_) {
    if (timer.enabled) KillTimer(hwnd, static_cast<UINT_PTR>(id));
  }
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  DestroyWindow(hwnd);
  if (comInitialised_) CoUninitialize();
}

bool Win32Platform::runHandler(const std::function<void()>& handler) noexcept {
  ++handlersRun_;
  struct Running {
    int& n;
    explicit Running(int& count) : n(count) { ++n; }
    ~Running() { --n; }
  } running(handlersRunning_);
  try {
    handler();
    return true;
  } catch (...) {
    if (!pending_) pending_ = std::current_exception();
    return false;
  }
}

void Win32Platform::rethrowPending() {
  if (pending_) {
    std::exception_ptr e = pending_;
    pending_ = nullptr;
    std::rethrow_exception(e);
  }
}

// ---------------------------------------------------------------------------------------------
// Keyboard hook and keys

bool Win32Platform::installKeyboardHook(HookProc proc) {
  hookProc_ = std::move(proc);
  if (hook_) return true;
  if (liveHookOwner && liveHookOwner != this) {
    throw PlatformError("another backend of this process holds the keyboard hook");
  }
  HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, lowLevelKeyboardProc, GetModuleHandleW(nullptr), 0);
  if (!hook) return false;
  hook_ = hook;
  liveHookOwner = this;
  return true;
}

void Win32Platform::removeKeyboardHook() {
  if (hook_) UnhookWindowsHookEx(static_cast<HHOOK>(hook_));
  hook_ = nullptr;
  if (liveHookOwner == this) liveHookOwner = nullptr;
}

bool Win32Platform::keyboardHookInstalled() const { return hook_ != nullptr; }

std::intptr_t Win32Platform::hookEvent(int code, std::uintptr_t wParam, std::intptr_t lParam) {
  const auto* k = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
  KeyEvent event;
  event.vkCode = static_cast<int>(k->vkCode);
  event.scanCode = static_cast<int>(k->scanCode);
  event.flags = static_cast<int>(k->flags);
  event.down = wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN;
  if ((k->flags & LLKHF_INJECTED) != 0 && k->dwExtraInfo == kSentByProgramMark)
    event.flags |= kKeySentByProgram;
  HookAnswer answer = HookAnswer::CallNext;
  if (hookProc_) {
    // A handler that throws lets the key through to the next hook.
    HookProc proc = hookProc_;
    runHandler([&] { answer = proc(event); });
  }
  switch (answer) {
    case HookAnswer::Pass:
      return 0;
    case HookAnswer::Withhold:
      return 1;
    case HookAnswer::CallNext:
      break;
  }
  return CallNextHookEx(static_cast<HHOOK>(hook_), code, wParam, lParam);
}

bool Win32Platform::isKeyDown(int vk) const { return (GetAsyncKeyState(vk) & 0x8000) != 0; }

std::int16_t Win32Platform::asyncKeyState(int vk) { return GetAsyncKeyState(vk); }

bool Win32Platform::isKeyToggled(int vk) const { return (GetKeyState(vk) & 0x0001) != 0; }

int Win32Platform::scanCodeOf(int vk) const {
  return static_cast<int>(MapVirtualKeyW(static_cast<UINT>(vk), MAPVK_VK_TO_VSC));
}

void Win32Platform::sendKeyEvent(int vk, int scanCode, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = static_cast<WORD>(vk);
  input.ki.wScan = static_cast<WORD>(scanCode);
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  input.ki.dwExtraInfo = kSentByProgramMark;
  // Errors are not reported: a refused event is simply not delivered, as with keybd_event.
  SendInput(1, &input, sizeof input);
}

void Win32Platform::sendKeys(std::u16string_view keys) {
  std::vector<INPUT> inputs;
  auto key = [&](int vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = static_cast<WORD>(vk);
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(static_cast<UINT>(vk), MAPVK_VK_TO_VSC));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    in.ki.dwExtraInfo = kSentByProgramMark;
    inputs.push_back(in);
  };
  for (const auto& stroke : win32::parseSendKeys(keys)) {
    switch (stroke.kind) {
      case win32::KeyStroke::Kind::Down:
        key(stroke.vk, false);
        break;
      case win32::KeyStroke::Kind::Up:
        key(stroke.vk, true);
        break;
      case win32::KeyStroke::Kind::Char: {
        const SHORT scan = VkKeyScanW(static_cast<wchar_t>(stroke.ch));
        if (scan != -1 && (scan & 0x0600) == 0) {
          // A key of the layout, with Shift when it needs it.
          const bool shift = (scan & 0x0100) != 0;
          if (shift) key(VK_SHIFT, false);
          key(scan & 0xFF, false);
          key(scan & 0xFF, true);
          if (shift) key(VK_SHIFT, true);
        } else {
          for (DWORD flags : {DWORD{KEYEVENTF_UNICODE}, DWORD{KEYEVENTF_UNICODE | KEYEVENTF_KEYUP}}) {
            INPUT in{};
            in.type = INPUT_KEYBOARD;
            in.ki.wScan = stroke.ch;
            in.ki.dwFlags = flags;
            in.ki.dwExtraInfo = kSentByProgramMark;
            inputs.push_back(in);
          }
        }
        break;
      }
    }
  }
  if (!inputs.empty()) SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// ---------------------------------------------------------------------------------------------
// Timers, message pump and clock

Platform::TimerId Win32Platform::createTimer(std::function<void()> onTick) {
  const TimerId id = nextTimer_++;
  timers_[id].onTick = std::make_shared<std::function<void()>>(std::move(onTick));
  return id;
}

void Win32Platform::setTimer(TimerId timer, int intervalMs, bool enabled) {
  auto it = timers_.find(timer);
  if (it == timers_.end()) throw PlatformError("no such timer: " + std::to_string(timer));
  HWND hwnd = static_cast<HWND>(messageWindow_);
  Timer& t = it->second;
  t.intervalMs = intervalMs;
  t.enabled = enabled;
  // A timer with interval 0 never ticks, as the windowing runtime's timer control.
  if (enabled && intervalMs > 0) {
    // Setting an existing timer restarts its interval.
    if (!SetTimer(hwnd, static_cast<UINT_PTR>(timer), static_cast<UINT>(intervalMs), nullptr)) {
      fail("SetTimer");
    }
  } else {
    KillTimer(hwnd, static_cast<UINT_PTR>(timer));
  }
}

bool Win32Platform::timerEnabled(TimerId timer) const {
  auto it = timers_.find(timer);
  return it != timers_.end() && it->second.enabled;
}

void Win32Platform::timerTick(std::uintptr_t timerId) {
  auto it = timers_.find(static_cast<TimerId>(timerId));
  if (it == timers_.end() || !it->second.enabled) return;
  // The handler may change timers; it keeps its own reference to the function it runs.
  // WM_TIMER comes again inside a handler that pumps messages: a tick is not served inside its
  // own handler, whose work would otherwise start over within itself.
  if (it->second.running) return;
  std::shared_ptr<std::function<void()>> onTick = it->second.onTick;
  if (!*onTick) return;
  it->second.running = true;
  runHandler(*onTick);
  // Timers are never removed: the entry is still there.
  timers_[static_cast<TimerId>(timerId)].running = false;
}

void Win32Platform::dispatchPending(bool wait) {
  MSG msg;
  for (;;) {
    if (wait) {
      const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
      if (got == -1) fail("GetMessage");
      if (got == 0) {
        quitRequested_ = true;
        return;
      }
    } else if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      return;
    } else if (msg.message == WM_QUIT) {
      quitRequested_ = true;
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    rethrowPending();
    if (wait) return;
  }
}

void Win32Platform::doEvents() {
  rethrowPending();
  dispatchPending(false);
  // The hook procedure runs inside PeekMessage, outside any dispatch.
  rethrowPending();
}

void Win32Platform::runMessageLoop() {
  rethrowPending();
  while (!quitRequested_) dispatchPending(true);
  quitRequested_ = false;
}

void Win32Platform::quit() {
  quitRequested_ = true;
  // Wakes a loop that waits in GetMessage.
  PostMessageW(static_cast<HWND>(messageWindow_), WM_NULL, 0, 0);
}

std::uint32_t Win32Platform::clockMs() const { return timeGetTime(); }

void Win32Platform::sleepMs(int ms) { Sleep(static_cast<DWORD>(std::max(ms, 0))); }

LocalTime Win32Platform::localTime() const {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return LocalTime{st.wYear, st.wMonth,  st.wDay,          st.wHour,
                   st.wMinute, st.wSecond, st.wDayOfWeek + 1};
}

std::u16string Win32Platform::formatDate(const LocalTime& t, DateForm form) const {
  const SYSTEMTIME st = systemTimeOf(t);
  DWORD flags = 0;
  const wchar_t* picture = nullptr;
  switch (form) {
    case DateForm::Long: flags = DATE_LONGDATE; break;
    case DateForm::Short: flags = DATE_SHORTDATE; break;
    case DateForm::Medium: picture = L"dd-MMM-yy"; break;  // the short date with the month's name
  }
  std::wstring buffer(128, L'\0');
  const int n = GetDateFormatW(LOCALE_USER_DEFAULT, flags, &st, picture, buffer.data(),
                               static_cast<int>(buffer.size()));
  if (n <= 0) fail("GetDateFormat");
  return trimmedBuffer(buffer, n);
}

std::u16string Win32Platform::formatTime(const LocalTime& t, DateForm form) const {
  const SYSTEMTIME st = systemTimeOf(t);
  DWORD flags = 0;
  const wchar_t* picture = nullptr;
  switch (form) {
    case DateForm::Long: break;
    case DateForm::Medium: picture = L"hh:mm tt"; break;  // 12-hour clock with its marker
    case DateForm::Short: flags = TIME_NOSECONDS | TIME_FORCE24HOURFORMAT; picture = L"HH:mm"; break;
  }
  if (picture) flags = 0;  // a picture takes no flags
  std::wstring buffer(128, L'\0');
  const int n = GetTimeFormatW(LOCALE_USER_DEFAULT, flags, &st, picture, buffer.data(),
                               static_cast<int>(buffer.size()));
  if (n <= 0) fail("GetTimeFormat");
  return trimmedBuffer(buffer, n);
}

// ---------------------------------------------------------------------------------------------
// The target program

WindowId Win32Platform::foregroundWindow() const { return idOf(GetForegroundWindow()); }

WindowId Win32Platform::focusedWindow(WindowId foreground) const {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  const DWORD thread = foreground ? GetWindowThreadProcessId(hwndOf(foreground), nullptr) : 0;
  if (foreground && thread == 0) return 0;
  if (!GetGUIThreadInfo(thread, &info)) return 0;
  return idOf(info.hwndFocus);
}

std::optional<Rect> Win32Platform::caretRect(WindowId foreground) const {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  const DWORD thread = foreground ? GetWindowThreadProcessId(hwndOf(foreground), nullptr) : 0;
  if (foreground && thread == 0) return std::nullopt;
  if (!GetGUIThreadInfo(thread, &info) || !info.hwndCaret) return std::nullopt;
  POINT topLeft{info.rcCaret.left, info.rcCaret.top};
  POINT bottomRight{info.rcCaret.right, info.rcCaret.bottom};
  if (!ClientToScreen(info.hwndCaret, &topLeft) || !ClientToScreen(info.hwndCaret, &bottomRight)) {
    return std::nullopt;
  }
  return Rect{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

std::u16string Win32Platform::windowClassName(WindowId window) const {
  wchar_t buffer[256];
  const int n = GetClassNameW(hwndOf(window), buffer, 256);
  return n > 0 ? fromWide(buffer, static_cast<std::size_t>(n)) : u"";
}

std::u16string Win32Platform::windowText(WindowId window) const {
  HWND hwnd = hwndOf(window);
  const int length = GetWindowTextLengthW(hwnd);
  if (length <= 0) return {};
  std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
  const int n = GetWindowTextW(hwnd, buffer.data(), length + 1);
  return fromWide(buffer.data(), static_cast<std::size_t>(std::max(n, 0)));
}

std::uint32_t Win32Platform::windowProcessId(WindowId window) const {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwndOf(window), &pid);
  return pid;
}

std::uint32_t Win32Platform::currentProcessId() const { return GetCurrentProcessId(); }

bool Win32Platform::postChar(WindowId window, char16_t ch) {
  HWND hwnd = hwndOf(window);
  // Nothing waits for the target; a window that has gone refuses the post.
  if (IsWindowUnicode(hwnd)) return PostMessageW(hwnd, WM_CHAR, ch, 0) != 0;
  return PostMessageA(hwnd, WM_CHAR, win32::ansiCharMessageValue(ch), 0) != 0;
}

namespace {

// The process's first visible top-level window without an owner; null when it has none.
HWND frontWindowOf(DWORD processId) {
  struct Search {
    DWORD pid;
    HWND found = nullptr;
  } search{processId};
  EnumWindows(
      [](HWND hwnd, LPARAM lParam) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lParam);
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        if (pid != s->pid || !IsWindowVisible(hwnd) || GetWindow(hwnd, GW_OWNER)) return TRUE;
        s->found = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

void Win32Platform::activateProcess(std::uint32_t processId) {
  const HWND found = frontWindowOf(processId);
  if (!found) {
    // The program has ended or shows no window: the focus stays where it is. No failure: the
    // switch key and the screenshot keys call this from the hook, where a failure ends the program.
    log(u"no window of process " + win32::decode(win32::kUtf8CodePage, std::to_string(processId)) +
        u" to activate");
    return;
  }
  AllowSetForegroundWindow(processId);
  if (IsIconic(found)) ShowWindow(found, SW_RESTORE);
  SetForegroundWindow(found);
}

void Win32Platform::activateWindow(WindowId window) {
  const HWND box = hwndOf(window);
  if (!IsWindow(box)) {
    log(u"no window to activate");
    return;
  }
  const HWND top = GetAncestor(box, GA_ROOT);
  if (IsIconic(top)) ShowWindow(top, SW_RESTORE);
  SetForegroundWindow(top);
  SetFocus(box);
}

bool Win32Platform::canActivateProcess(std::uint32_t processId) const {
  return frontWindowOf(processId) != nullptr;
}

Point Win32Platform::cursorPos() const {
  POINT p{};
  GetCursorPos(&p);
  return Point{p.x, p.y};
}

Rect Win32Platform::windowRect(WindowId window) const {
  RECT r{};
  if (!GetWindowRect(hwndOf(window), &r)) return {};
  return Rect{r.left, r.top, r.right, r.bottom};
}

void Win32Platform::sendLeftClick(Point at) {
  // Without MOUSEEVENTF_MOVE the click lands where the cursor stands: it is moved there first.
  SetCursorPos(at.x, at.y);
  mouse_event(MOUSEEVENTF_LEFTDOWN, static_cast<DWORD>(at.x), static_cast<DWORD>(at.y), 0, 0);
  mouse_event(MOUSEEVENTF_LEFTUP, static_cast<DWORD>(at.x), static_cast<DWORD>(at.y), 0, 0);
}

Rect Win32Platform::screenRect() const {
  return Rect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

int Win32Platform::twipsPerPixel() const {
  HDC dc = GetDC(nullptr);
  const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSX) : 96;
  if (dc) ReleaseDC(nullptr, dc);
  return 1440 / (dpi > 0 ? dpi : 96);
}

// ---------------------------------------------------------------------------------------------
// Clipboard

bool Win32Platform::openClipboard() {
  // Another program may hold the clipboard for a moment.
  for (int attempt = 0; attempt < 20; ++attempt) {
    if (OpenClipboard(static_cast<HWND>(messageWindow_))) return true;
    Sleep(5);
  }
  return false;
}

std::u16string Win32Platform::clipboardText() {
  if (!openClipboard()) fail("cannot open the clipboard");
  std::u16string text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
      const std::size_t capacity = GlobalSize(data) / sizeof(wchar_t);
      const std::size_t n = std::find(p, p + capacity, L'\0') - p;
      text = fromWide(p, n);
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

void Win32Platform::clearClipboard() {
  if (!openClipboard()) fail("cannot open the clipboard");
  EmptyClipboard();
  CloseClipboard();
}

void Win32Platform::setClipboardText(std::u16string_view text) {
  HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  if (!data) fail("GlobalAlloc");
  auto* p = static_cast<char16_t*>(GlobalLock(data));
  std::copy(text.begin(), text.end(), p);
  p[text.size()] = u'\0';
  GlobalUnlock(data);
  if (!openClipboard()) {
    GlobalFree(data);
    fail("cannot open the clipboard");
  }
  EmptyClipboard();
  const bool set = SetClipboardData(CF_UNICODETEXT, data) != nullptr;
  const DWORD error = GetLastError();
  CloseClipboard();
  if (!set) {
    GlobalFree(data);
    throw PlatformError("SetClipboardData: " + win32::errorText(error));
  }
}

// ---------------------------------------------------------------------------------------------
// Programs and processes

bool Win32Platform::startProgram(std::u16string_view path) {
  std::wstring commandLine(path.begin(), path.end());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWMINIMIZED;  // minimized, with the focus
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

std::u16string Win32Platform::systemFolder() const {
  wchar_t buffer[MAX_PATH];
  const UINT n = GetSystemDirectoryW(buffer, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) fail("GetSystemDirectory");
  std::u16string folder = fromWide(buffer, n);
  while (folder.size() > 3 && folder.back() == u'\\') folder.pop_back();
  return folder;
}

int Win32Platform::processCount(std::u16string_view imageName) const {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) fail("CreateToolhelp32Snapshot");
  const std::u16string name(imageName);
  int count = 0;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    if (CompareStringOrdinal(entry.szExeFile, -1, wide(name), static_cast<int>(name.size()),
                             TRUE) == CSTR_EQUAL) {
      ++count;
    }
  }
  CloseHandle(snapshot);
  return count;
}

// ---------------------------------------------------------------------------------------------
// Text codec

std::u16string Win32Platform::fromGbk(std::string_view bytes) const {
  return win32::decode(win32::kGbkCodePage, bytes);
}

std::string Win32Platform::toGbk(std::u16string_view text) const {
  return win32::encode(win32::kGbkCodePage, text);
}

bool Win32Platform::isConnected() const {
  DWORD flags = 0;
  return InternetGetConnectedState(&flags, 0) != FALSE;
}

// ---------------------------------------------------------------------------------------------
// Resources

std::optional<std::string> Win32Platform::resource(int id) const {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), L"CUSTOM");
  if (!found) return std::nullopt;
  HGLOBAL loaded = LoadResource(module, found);
  const DWORD size = SizeofResource(module, found);
  const auto* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  if (!data) fail("LoadResource " + std::to_string(id));
  return std::string(data, size);
}

bool Win32Platform::hasResource(int id) const {
  return FindResourceW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), L"CUSTOM") != nullptr;
}

namespace {

// A file mapped read-only; the handles are closed at once, the view keeps the mapping.
class MappedFileBytes final : public FileBytes {
 public:
  MappedFileBytes(const void* view, std::size_t size) {
    data_ = static_cast<const std::byte*>(view);
    size_ = size;
  }
  ~MappedFileBytes() override { UnmapViewOfFile(data_); }
  void release(std::size_t from, std::size_t to) const override {
    // Unlocking pages that are not locked takes them out of the working set; they come back
    // from the file when next read.
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    const std::size_t page = info.dwPageSize;
    const std::size_t first = (from + page - 1) / page * page;
    const std::size_t last = std::min(to, size_) / page * page;
    if (last > first) VirtualUnlock(const_cast<std::byte*>(data_) + first, last - first);
  }
  MappedFileBytes(const MappedFileBytes&) = delete;
  MappedFileBytes& operator=(const MappedFileBytes&) = delete;
};

}  // namespace

// Mapped, shared for reading and deleting: whoever replaces the file (the lexicon image, by a
// scheme switch) lets go of the mapping first.
std::shared_ptr<const FileBytes> Win32Platform::mapFile(const std::filesystem::path& file,
                                                        std::uintmax_t limit) const {
  HANDLE handle = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  std::shared_ptr<const FileBytes> result;
  BY_HANDLE_FILE_INFORMATION info{};
  LARGE_INTEGER size{};
  if (GetFileInformationByHandle(handle, &info) && !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
      GetFileSizeEx(handle, &size) && size.QuadPart >= 0 &&
      static_cast<std::uintmax_t>(size.QuadPart) <= limit) {
    if (size.QuadPart == 0) {
      result = std::make_shared<OwnedFileBytes>(std::string());
    } else if (HANDLE mapping = CreateFileMappingW(handle, nullptr, PAGE_READONLY, 0, 0, nullptr)) {
      if (const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0)) {
        result = std::make_shared<MappedFileBytes>(view, static_cast<std::size_t>(size.QuadPart));
      }
      CloseHandle(mapping);
    }
  }
  CloseHandle(handle);
  return result;
}

// ---------------------------------------------------------------------------------------------
// Diagnostics

void Win32Platform::log(std::u16string_view line) {
  std::u16string text(line);
  text += u"\r\n";
  OutputDebugStringW(reinterpret_cast<const wchar_t*>(text.c_str()));
  // Started from a terminal (under Wine, say), the line shows there as well.
  const std::string utf8 = win32::encode(win32::kUtf8CodePage, text);
  std::fwrite(utf8.data(), 1, utf8.size(), stderr);
  std::fflush(stderr);
}

}  // namespace yz
