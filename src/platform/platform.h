#pragma once
// The one seam between the engine and the operating system. The engine sees the keyboard, the
// clock, the target program, the clipboard, dialogs, processes, the GBK code page, HTTP and the
// windowing runtime only through `Platform`. Two backends implement it: `sim` (an in-memory
// desktop for tests and for running on Linux) and `win32` (the real thing).
//
// No OS type crosses this seam: keys are virtual-key codes, text is UTF-16, windows are opaque ids.
// An operation a backend does not provide throws `PlatformError`; nothing pretends to succeed.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace yz {

class PlatformError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An opaque window handle of the desktop; 0 is "none".
using WindowId = std::uint64_t;

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

// ---------------------------------------------------------------------------------------------
// Keyboard

// Flag bits of a low-level key event, as the system reports them.
enum KeyFlags : int {
  kKeyExtended = 0x01,
  kKeyInjected = 0x10,
  kKeyAltDown = 0x20,
  kKeyUp = 0x80,
  // Not a system bit: the backend sets it on an event that this program sent itself (a pasting
  // Ctrl+V, a Print Screen), which it knows by the mark it put on the events it sends.
  kKeySentByProgram = 0x10000,
};

struct KeyEvent {
  int vkCode = 0;    // virtual-key code (65..90 letters, 48..57 digits, ...)
  int scanCode = 0;  // hardware scan code
  int flags = 0;     // KeyFlags
  bool down = true;  // key-down (WM_KEYDOWN / WM_SYSKEYDOWN) or key-up
};

// What the hook procedure answers for one key event.
enum class HookAnswer {
  Pass,      // the key reaches the target program; the next hook is not called (0)
  Withhold,  // the key is swallowed (-1)
  CallNext,  // hand the event to the next hook and return its result
};

using HookProc = std::function<HookAnswer(const KeyEvent&)>;

// ---------------------------------------------------------------------------------------------
// Dialog boxes

enum class MessageBoxKind { Ok, OkCancel, YesNo };
enum class MessageBoxAnswer { Ok, Cancel, Yes, No };

// ---------------------------------------------------------------------------------------------
// HTTP

// A request header of an HTTP request.
struct HttpHeader {
  std::u16string name;
  std::u16string value;
};

// The longest reply body a GET takes in; a longer one is cut off and the request fails.
inline constexpr std::size_t kHttpBodyLimit = 1 << 20;

// The reply of an HTTP GET as it came over the wire; the caller decodes the body by its
// character set (through the GBK codec below, or as UTF-8).
struct HttpReply {
  bool ok = false;            // false: no connection, an error, the time-out, a truncated or
                              // oversized reply
  int status = 0;             // HTTP status when a reply arrived (4xx and 5xx replies are ok)
  std::u16string contentType; // the Content-Type header's value; empty when there is none
  std::string body;           // the body bytes
  std::u16string headers = {};  // every header line of the reply, each ending in CR LF, without
                                // the status line
};

// An HTTP request that runs beside the program (`Platform::startHttp`).
struct HttpRequest {
  std::u16string method = u"GET";  // "GET" or "POST"
  std::u16string url;              // a complete URL, sent as given
  std::vector<HttpHeader> headers;
  std::string body;                // sent as it is; a GET sends none
  int timeoutMs = 3000;            // the transfer fails when the whole reply is not in by then
};

// A transfer that runs while the program goes on with other things: the caller asks now and then
// whether it still runs and takes the reply once it has ended. Ending the object cancels a transfer
// that still runs.
class HttpTransfer {
 public:
  virtual ~HttpTransfer() = default;
  // True until the reply is complete, the transfer failed, its time ran out or it was cancelled.
  virtual bool stillExecuting() = 0;
  // Stops a running transfer; its reply is then not ok.
  virtual void cancel() = 0;
  // The reply once the transfer has ended; not ok while it runs and after any failure (as
  // `HttpReply::ok` lists), the time-out or a cancel.
  virtual const HttpReply& reply() const = 0;
};

// ---------------------------------------------------------------------------------------------
// Date and time in the regional settings' forms.

struct LocalTime {
  int year = 0, month = 0, day = 0;
  int hour = 0, minute = 0, second = 0;
  int weekday = 0;  // 1 = Sunday ... 7 = Saturday
};

enum class DateForm { Long, Medium, Short };

// ---------------------------------------------------------------------------------------------
// The windowing runtime: forms and their controls.
//
// The engine keeps the truth of every control (ui/ holds the control model); a backend realises a
// form on screen from a snapshot of its controls and reports the user's actions back as events.

enum class ControlKind { TextBox, Label, Frame, Button, CheckBox, OptionButton, PictureBox };

struct FontSpec {
  std::u16string name = u"宋体";
  double size = 9.0;  // points
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

// A colour as 0x00BBGGRR, the order the windowing runtime uses.
using Colour = std::uint32_t;

// What the font dialog gives back: the face, the size in points and the colour of its colour box.
struct FontChoice {
  FontSpec font;
  Colour colour = 0;
};

struct ControlView {
  std::u16string name;
  ControlKind kind = ControlKind::Label;
  std::u16string text;     // text or caption
  int value = 0;           // check box 0/1, option button 0/-1
  Rect bounds;             // in twips, relative to the form
  bool visible = true;
  Colour foreColour = 0x000000;
  Colour backColour = 0xFFFFFF;
  FontSpec font;
  int borderStyle = 0;
  bool multiLine = false;
  int alignment = 0;       // 0 left, 2 centred
  // A text box the user clicks into and edits with the keys (the candidate window's code line):
  // its caret position; -1: the text is only shown.
  int caret = -1;
  // Shown beside the pointer when it rests on the control; empty: none.
  std::u16string toolTip;
  friend bool operator==(const ControlView&, const ControlView&) = default;
};

struct FormView {
  std::u16string title;
  Rect bounds;             // in twips, on the screen
  bool visible = false;
  bool topMost = false;
  bool noActivate = false;  // shown without taking the focus (the candidate window)
  bool clickActivates = false;  // a click gives it the focus all the same (the candidate window)
  bool border = false;      // a thin border (a form without a title has none otherwise)
  bool enabled = true;      // a disabled form takes no mouse input
  Colour backColour = 0xFFFFFF;
  std::vector<ControlView> controls;
};

enum class FormEventKind { Click, DoubleClick, Change, KeyPress, MouseDown, MouseMove, MouseUp, Close };

struct FormEvent {
  FormEventKind kind = FormEventKind::Click;
  std::u16string control;  // empty: the form itself
  std::u16string text;     // new text for Change, the character for KeyPress
  int value = 0;           // new value for a check box or option button; an edit box's caret
  Point point;             // mouse position in twips, relative to the form
  int button = 0;          // 1 left, 2 right
};

// One realised form. The engine calls `show` after it changed the view; events come back through
// the handler given at creation, on the GUI thread, inside the message pump.
class NativeForm {
 public:
  virtual ~NativeForm() = default;
  virtual void show(const FormView& view) = 0;
  virtual WindowId id() const = 0;
  // Brings the form to the foreground with the keyboard focus in this text box: characters typed
  // from then on go into the box, each raising Change with the box's new text (as after a click
  // into the box).
  virtual void focusControl(std::u16string_view control) = 0;
};

using FormEventHandler = std::function<void(const FormEvent&)>;

// ---------------------------------------------------------------------------------------------

// The bytes of a file as `Platform::mapFile` gives them: mapped or read, they live as long as the
// object.
class FileBytes {
 public:
  virtual ~FileBytes() = default;
  const std::byte* data() const { return data_; }
  std::size_t size() const { return size_; }
  // The bytes from `from` to `to` are not needed for now: where they are mapped from the file the
  // system may drop them from the process's memory and read them again when they are next used.
  // They stay valid and unchanged either way.
  virtual void release(std::size_t from, std::size_t to) const {
    (void)from;
    (void)to;
  }

 protected:
  const std::byte* data_ = nullptr;
  std::size_t size_ = 0;
};

// File bytes read into memory of their own: what `mapFile` gives where it does not map.
class OwnedFileBytes final : public FileBytes {
 public:
  explicit OwnedFileBytes(std::string bytes) : bytes_(std::move(bytes)) {
    data_ = reinterpret_cast<const std::byte*>(bytes_.data());
    size_ = bytes_.size();
  }

 private:
  std::string bytes_;
};

// Key states as `Platform::asyncKeyState` reports them.
inline constexpr std::int16_t kKeyStateNewlyPressed = -32767;     // down, pressed since the last query
inline constexpr std::int16_t kKeyStateHeld = -32768;             // down, no press since the last query
inline constexpr std::int16_t kKeyStateReleasedAfterPress = 1;    // up, pressed since the last query
inline constexpr std::int16_t kKeyStateUp = 0;                    // up, no press since the last query

class Platform {
 public:
  virtual ~Platform() = default;

  // --- keyboard hook and keys ---
  // Installs the system-wide low-level keyboard hook; false when the system refused.
  virtual bool installKeyboardHook(HookProc proc) = 0;
  virtual void removeKeyboardHook() = 0;
  virtual bool keyboardHookInstalled() const = 0;
  // Whether the key is down now (GetAsyncKeyState) and whether its toggle is on (Caps Lock).
  virtual bool isKeyDown(int vk) const = 0;
  virtual bool isKeyToggled(int vk) const = 0;
  // The key's state as GetAsyncKeyState gives it, a 16-bit value: the sign bit while the key is
  // down, bit 0 when it was pressed since the last query of this key (the query clears it). So
  // -32767 (down, newly pressed), -32768 (held), 1 (up, pressed meanwhile) or 0 (up).
  virtual std::int16_t asyncKeyState(int vk) = 0;
  // The scan code of a virtual key (MapVirtualKey type 0).
  virtual int scanCodeOf(int vk) const = 0;
  // Synthesizes one key event (keybd_event); it passes through the installed hook as well.
  virtual void sendKeyEvent(int vk, int scanCode, bool up) = 0;
  // Types a keystroke string into the active window (SendKeys syntax: "^p" is Ctrl+P).
  virtual void sendKeys(std::u16string_view keys) = 0;

  // --- timers, message pump and clock ---
  using TimerId = int;
  // Creates a disabled timer whose handler runs on the GUI thread inside the message pump. A tick
  // that falls due while the timer's own handler runs (a handler that pumps messages) is not
  // served inside it: the handler never runs inside itself.
  virtual TimerId createTimer(std::function<void()> onTick) = 0;
  // The same for work the program does in its spare time, a little at each tick (the check of the
  // lexicon image after the start); a simulated desktop is at rest while only such timers run.
  virtual TimerId createIdleTimer(std::function<void()> onTick) { return createTimer(std::move(onTick)); }
  virtual void setTimer(TimerId timer, int intervalMs, bool enabled) = 0;
  virtual bool timerEnabled(TimerId timer) const = 0;
  // Processes every pending hook event, timer tick and window event once. Handlers run re-entrantly.
  virtual void doEvents() = 0;
  // How many handlers of the engine (a key to the hook, a timer tick, a window event) the pump
  // has run since the platform was made. Whoever keeps results across a pump compares it to know
  // whether anything may have changed meanwhile.
  virtual std::uint64_t handlersRun() const = 0;
  // How many handlers of the engine are running now, one inside another through the pump: 1 in a
  // handler that the message loop called, more in one that a handler's pump called.
  virtual int handlersRunning() const = 0;
  // Runs the message loop until `quit` is called.
  virtual void runMessageLoop() = 0;
  virtual void quit() = 0;
  // True from `quit` until the message loop has ended: a loop that pumps messages itself leaves.
  virtual bool quitting() const = 0;
  // The millisecond clock (timeGetTime); wraps at 2^32.
  virtual std::uint32_t clockMs() const = 0;
  virtual void sleepMs(int ms) = 0;
  virtual LocalTime localTime() const = 0;
  // The date or time in the regional settings' long, medium or short form.
  virtual std::u16string formatDate(const LocalTime& t, DateForm form) const = 0;
  virtual std::u16string formatTime(const LocalTime& t, DateForm form) const = 0;

  // --- the target program ---
  virtual WindowId foregroundWindow() const = 0;
  // The window that has the keyboard focus in the thread of `foreground` (GetGUIThreadInfo).
  virtual WindowId focusedWindow(WindowId foreground) const = 0;
  // The caret of the focused window of `foreground`, in screen pixels, when the window reports one.
  virtual std::optional<Rect> caretRect(WindowId foreground) const = 0;
  // The caret found through the accessibility interface, for windows that do not report theirs.
  virtual std::optional<Rect> accessibleCaretRect(WindowId window) const = 0;
  virtual std::u16string windowClassName(WindowId window) const = 0;
  virtual std::u16string windowText(WindowId window) const = 0;
  virtual std::uint32_t windowProcessId(WindowId window) const = 0;
  virtual std::uint32_t currentProcessId() const = 0;
  // Posts one character message (WM_CHAR) to a window: UTF-16 to a Unicode window; to an ANSI
  // window the character's GBK bytes in one message, lead byte low, trail byte high. False when
  // the message could not be posted (no such window, a full queue).
  virtual bool postChar(WindowId window, char16_t ch) = 0;
  // Brings the program with this process id to the foreground (AppActivate).
  virtual void activateProcess(std::uint32_t processId) = 0;
  // Brings the top-level window that holds `window` to the foreground and gives `window` the
  // keyboard focus: the way back into a box of the program's own forms.
  virtual void activateWindow(WindowId window) = 0;
  // Whether activateProcess has a window of this process to bring forward: a visible top-level
  // window. The desktop's process has none.
  virtual bool canActivateProcess(std::uint32_t processId) const = 0;
  virtual Point cursorPos() const = 0;
  // The window's rectangle on the screen, in pixels (GetWindowRect); empty for an unknown window.
  virtual Rect windowRect(WindowId window) const = 0;
  // Moves the mouse cursor to a point of the screen, in pixels, and synthesizes a left-button
  // press and release there.
  virtual void sendLeftClick(Point at) = 0;
  // Screen size in pixels and twips per pixel (15 at 96 dpi).
  virtual Rect screenRect() const = 0;
  virtual int twipsPerPixel() const = 0;

  // --- clipboard ---
  virtual std::u16string clipboardText() = 0;
  virtual void clearClipboard() = 0;
  virtual void setClipboardText(std::u16string_view text) = 0;

  // --- dialog boxes ---
  virtual MessageBoxAnswer messageBox(std::u16string_view text, std::u16string_view title,
                                      MessageBoxKind kind) = 0;
  // An input box; nullopt when the user cancels.
  virtual std::optional<std::u16string> inputBox(std::u16string_view prompt,
                                                 std::u16string_view title,
                                                 std::u16string_view defaultText) = 0;
  virtual std::optional<Colour> chooseColour(Colour initial) = 0;
  // The font dialog with its colour box; sizes outside 10..72 points and faces that are not
  // installed are refused by the dialog itself.
  virtual std::optional<FontChoice> chooseFont(const FontSpec& initial) = 0;

  // --- programs and processes ---
  // Starts a program in a minimized window that takes the keyboard focus; false on failure.
  virtual bool startProgram(std::u16string_view path) = 0;
  // The system folder (where calc.exe and notepad.exe live), without a trailing separator.
  virtual std::u16string systemFolder() const = 0;
  // How many running processes have this image name (compared without case).
  virtual int processCount(std::u16string_view imageName) const = 0;

  // --- text codec: the GBK code page (936) ---
  // Bytes that are not GBK decode to the codec's replacement; characters outside GBK encode as "?".
  virtual std::u16string fromGbk(std::string_view bytes) const = 0;
  virtual std::string toGbk(std::u16string_view text) const = 0;

  // --- web ---
  // HTTP GET of a complete URL (sent as given) with these request headers. Waits at most
  // `timeoutMs` for the complete reply and pumps messages while it waits (re-entrantly, like
  // `doEvents`). Never throws for a network failure: the reply is then not ok.
  virtual HttpReply httpGet(std::u16string_view url, int timeoutMs,
                            const std::vector<HttpHeader>& headers) = 0;
  // Starts an HTTP request and returns at once; the transfer goes on beside the program, and
  // nothing of the program runs inside it. Never throws for a network failure: the transfer then
  // ends with a reply that is not ok.
  virtual std::unique_ptr<HttpTransfer> startHttp(const HttpRequest& request) = 0;
  // Whether the machine has a network connection (InternetGetConnectedState).
  virtual bool isConnected() const = 0;

  // --- resources of the executable (type CUSTOM) ---
  virtual std::optional<std::string> resource(int id) const = 0;
  // Whether `resource(id)` gives bytes, found without reading them.
  virtual bool hasResource(int id) const = 0;

  // --- a large read-only file ---
  // The whole of a regular file of at most `limit` bytes, for reading only: mapped from the
  // system's file cache where a mapping does no harm (nothing copied, a page comes in when it is
  // first read), read into memory of its own otherwise. nullptr when the file is missing, not a
  // regular file, larger than `limit` or unreadable. The bytes stay valid while the object lives.
  virtual std::shared_ptr<const FileBytes> mapFile(const std::filesystem::path& file,
                                                   std::uintmax_t limit) const = 0;

  // --- windowing runtime ---
  virtual std::unique_ptr<NativeForm> createForm(FormEventHandler onEvent) = 0;
  // Width and height in twips of a single line of text in a font.
  virtual Point measureText(const FontSpec& font, std::u16string_view text) const = 0;
  // Captures a rectangle of the screen as 32-bit BGRA pixels, row by row from the top.
  virtual std::vector<std::uint32_t> captureScreen(const Rect& area) = 0;

  // --- diagnostics ---
  // Writes one line to the program's log (the debugger output on Windows, the record in sim).
  virtual void log(std::u16string_view line) = 0;
};

}  // namespace yz
