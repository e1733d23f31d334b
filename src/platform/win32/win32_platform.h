#pragma once
// The real Windows backend of the platform seam. It owns a hidden message window (timers, the
// clipboard), the low-level keyboard hook and the forms it realises; everything runs on the thread
// that created it, which must be the GUI thread that pumps messages.
//
// Handlers of the engine (the hook procedure, timer ticks, form events) run inside the pump. An
// exception thrown by one of them is carried across the system's callback frames and rethrown by
// the pump call (doEvents, runMessageLoop) that dispatched it.

#include <cstdint>
#include <exception>
#include <map>
#include <memory>

#include "platform/platform.h"

namespace yz {

class Win32Platform : public Platform {
 public:
  Win32Platform();
  ~Win32Platform() override;
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  // The overrides of Platform (the simulated platform declares the same list; what they do
  // differs).
  // --- keyboard hook and keys ---
  bool installKeyboardHook(HookProc proc) override;
  void removeKeyboardHook() override;
  bool keyboardHookInstalled() const override;
  bool isKeyDown(int vk) const override;
  bool isKeyToggled(int vk) const override;
  std::int16_t asyncKeyState(int vk) override;
  int scanCodeOf(int vk) const override;
  void sendKeyEvent(int vk, int scanCode, bool up) override;
  void sendKeys(std::u16string_view keys) override;

  // --- timers, message pump and clock ---
  TimerId createTimer(std::function<void()> onTick) override;
  void setTimer(TimerId timer, int intervalMs, bool enabled) override;
  bool timerEnabled(TimerId timer) const override;
  void doEvents() override;
  std::uint64_t handlersRun() const override { return handlersRun_; }
  int handlersRunning() const override { return handlersRunning_; }
  void runMessageLoop() override;
  void quit() override;
  bool quitting() const override { return quitRequested_; }
  std::uint32_t clockMs() const override;
  void sleepMs(int ms) override;
  LocalTime localTime() const override;
  std::u16string formatDate(const LocalTime& t, DateForm form) const override;
  std::u16string formatTime(const LocalTime& t, DateForm form) const override;

  // --- the target program ---
  WindowId foregroundWindow() const override;
  WindowId focusedWindow(WindowId foreground) const override;
  std::optional<Rect> caretRect(WindowId foreground) const override;
  std::optional<Rect> accessibleCaretRect(WindowId window) const override;
  std::u16string windowClassName(WindowId window) const override;
  std::u16string windowText(WindowId window) const override;
  std::uint32_t windowProcessId(WindowId window) const override;
  std::uint32_t currentProcessId() const override;
  bool postChar(WindowId window, char16_t ch) override;
  void activateProcess(std::uint32_t processId) override;
  void activateWindow(WindowId window) override;
  bool canActivateProcess(std::uint32_t processId) const override;
  Point cursorPos() const override;
  Rect windowRect(WindowId window) const override;
  void sendLeftClick(Point at) override;
  Rect screenRect() const override;
  int twipsPerPixel() const override;

  // --- clipboard ---
  std::u16string clipboardText() override;
  void clearClipboard() override;
  void setClipboardText(std::u16string_view text) override;

  // --- dialog boxes ---
  MessageBoxAnswer messageBox(std::u16string_view text, std::u16string_view title,
                              MessageBoxKind kind) override;
  std::optional<std::u16string> inputBox(std::u16string_view prompt, std::u16string_view title,
                                         std::u16string_view defaultText) override;
  std::optional<Colour> chooseColour(Colour initial) override;
  std::optional<FontChoice> chooseFont(const FontSpec& initial) override;

  // --- programs and processes ---
  bool startProgram(std::u16string_view path) override;
  std::u16string systemFolder() const override;
  int processCount(std::u16string_view imageName) const override;

  // --- text codec ---
  std::u16string fromGbk(std::string_view bytes) const override;
  std::string toGbk(std::u16string_view text) const override;

  // --- web ---
  HttpReply httpGet(std::u16string_view url, int timeoutMs,
                    const std::vector<HttpHeader>& headers) override;
  std::unique_ptr<HttpTransfer> startHttp(const HttpRequest& request) override;
  bool isConnected() const override;

  // --- resources ---
  std::optional<std::string> resource(int id) const override;
  bool hasResource(int id) const override;
  // Mapped: Windows refuses to replace a mapped file, so whoever rewrites the lexicon image lets
  // go of its mapping first.
  std::shared_ptr<const FileBytes> mapFile(const std::filesystem::path& file,
                                           std::uintmax_t limit) const override;

  // --- windowing runtime ---
  std::unique_ptr<NativeForm> createForm(FormEventHandler onEvent) override;
  Point measureText(const FontSpec& font, std::u16string_view text) const override;
  std::vector<std::uint32_t> captureScreen(const Rect& area) override;
  void log(std::u16string_view line) override;

  // For the callbacks of this backend: runs an engine handler, keeping what it throws for the
  // pump to rethrow. Returns false when the handler threw.
  bool runHandler(const std::function<void()>& handler) noexcept;
  // Called by the system's hook and window procedures of this backend.
  std::intptr_t hookEvent(int code, std::uintptr_t wParam, std::intptr_t lParam);
  void timerTick(std::uintptr_t timerId);

 private:
  struct Timer {
    std::shared_ptr<std::function<void()>> onTick;
    int intervalMs = 0;
    bool enabled = false;
    bool running = false;  // its handler runs now
  };

  void dispatchPending(bool wait);
  void rethrowPending();
  bool openClipboard();

  void* messageWindow_ = nullptr;  // HWND of the hidden window that owns timers and the clipboard
  void* hook_ = nullptr;           // HHOOK of the low-level keyboard hook
  HookProc hookProc_;
  std::uint64_t handlersRun_ = 0;
  int handlersRunning_ = 0;
  std::map<TimerId, Timer> timers_;
  TimerId nextTimer_ = 1;
  bool quitRequested_ = false;
  bool comInitialised_ = false;
  std::exception_ptr pending_;
  unsigned long customColours_[16] = {};
};

}  // namespace yz
