#pragma once
// An in-memory desktop: target windows with text and a caret, a focus, a clipboard, a virtual
// millisecond clock that only moves when a test or the pump moves it, a queue of key events that
// runs through the installed hook, scripted answers for dialogs (and for HTTP, when a test wants
// them; real HTTP otherwise), and a record of every
// posted character, synthesized key and started program.

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace yz {

// A program window of the simulated desktop that text can be typed or posted into.
struct SimWindow {
  WindowId id = 0;
  std::uint32_t processId = 0;
  std::u16string className = u"Edit";
  std::u16string title;
  std::u16string text;
  int caret = 0;                  // insertion point, in code units
  int selectionLength = 0;        // the selection runs from the caret for this many code units
  bool unicode = true;            // a Unicode window receives UTF-16 WM_CHAR values
  bool reportsCaret = true;       // false: only the accessibility interface finds the caret
  Rect caretRect{100, 100, 101, 116};  // screen pixels
  Rect rect{0, 0, 800, 600};           // the window on the screen, pixels
  bool activatable = true;  // false: no program window to bring forward (the desktop, say)
  WindowId parent = 0;       // the window this box lies in; 0 for a top-level window
};

struct SimPostedChar {
  WindowId window = 0;
  std::uint16_t value = 0;  // the WM_CHAR value as posted
};

struct SimKeyRecord {
  int vk = 0;
  int scanCode = 0;
  bool up = false;
};

struct SimMessageBox {
  std::u16string text;
  std::u16string title;
  MessageBoxKind kind = MessageBoxKind::Ok;
};

class SimForm;

class SimPlatform : public Platform {
 public:
  SimPlatform();
  ~SimPlatform() override;

  // ----- driving the desktop -----
  // Adds a window of a program; the first one added gets the focus.
  SimWindow& addWindow(std::u16string title, std::u16string className = u"Edit");
  SimWindow* window(WindowId id);
  void focus(WindowId id);
  // Queues key events. A script is a list of tokens separated by spaces: a key name ("space",
  // "enter", "backspace", "esc", "tab", "lctrl", "rctrl", "lshift", "rshift", "alt", "delete",
  // "capslock", "f1".."f12", "backquote", "left", "right", "home", "end") is pressed and released;
  // any other token types its characters one by one (letters, digits, ASCII punctuation; capitals
  // and shifted marks with Shift). "lctrl+v" holds the first key while the second is pressed;
  // "hold+k" holds a key down as a person does: its press, two auto-repeats at the keyboard's
  // repeat delay and rate on the clock, then its release where a third repeat would come.
  void typeKeys(std::u16string_view script);
  static constexpr std::u16string_view kHoldPrefix = u"hold";
  static constexpr std::uint32_t kKeyRepeatDelayMs = 500;  // press to first auto-repeat (Windows' default)
  static constexpr std::uint32_t kKeyRepeatPeriodMs = 33;  // between two auto-repeats (Windows' default)
  // The key names a script may use, in a fixed order.
  static std::vector<std::u16string_view> keyNames();
  static bool isKeyName(std::u16string_view token);
  // Whether a key of the US layout types the character (capitals and shifted marks with Shift).
  static bool typesCharacter(char16_t ch);
  void queueKey(int vk, bool up, int flags = 0);
  // A person presses (true) or releases the left mouse button, at once; the keyboard hook never
  // sees it, the key state does.
  void setLeftButton(bool down);
  // Queues a key event that arrives once the clock reaches `atMs`, whatever the program does then:
  // a modal loop that pumps messages gets it as a person's key would. Keys arrive in queue order.
  void queueKeyAt(std::uint32_t atMs, int vk, bool up, int flags = 0);
  // Moves the virtual clock by ms, firing timers as their intervals pass (each inside the pump).
  void advance(std::uint32_t ms);
  // Puts the virtual clock at ms at once, as on a machine that has been up that long (the clock
  // wraps at 2^32); timers and queued keys keep their distance to it, and nothing fires.
  void setClock(std::uint32_t ms);
  // Runs the pump until the queue is empty and no timer but idle ones is enabled (and a typed
  // script is done).
  void settle();
  // Types a script token by token as a person would, during the following `settle`: each token
  // once the desktop is at rest after the one before (no key pending and no timer but idle ones
  // enabled; or,
  // inside a modal loop that pumps messages itself, no key for kModalRestMs). `atRest(i)` runs
  // just before token i is typed and, with the number of tokens, once the last one is handled.
  // A modal loop still waiting after the last token is asked to quit.
  void typeScript(std::vector<std::u16string> tokens, std::function<void(std::size_t)> atRest);
  static constexpr std::uint32_t kModalRestMs = 500;
  // Simulated time a person leaves between two tokens of a typed script: each token after the
  // first arrives that long after the desktop came to rest. 0 types it at once.
  std::uint32_t scriptKeyGapMs = 0;

  // ----- scripts and records -----
  std::deque<MessageBoxAnswer> messageBoxAnswers;
  std::optional<MessageBoxAnswer> defaultMessageBoxAnswer;  // unset: an unexpected box throws
  std::deque<std::optional<std::u16string>> inputBoxAnswers;
  std::deque<std::optional<Colour>> colourAnswers;
  std::deque<std::optional<FontChoice>> fontAnswers;
  std::vector<FontSpec> fontDialogs;  // the font each font dialog opened at
  std::vector<SimMessageBox> messageBoxes;
  // Runs while a message box is up, before it is answered: a person who looks at the desktop, types
  // or clicks meanwhile.
  std::function<void(const SimMessageBox&)> onMessageBox;
  std::vector<SimPostedChar> postedChars;
  std::vector<SimKeyRecord> sentKeys;        // synthesized key events
  std::vector<std::u16string> sentKeyStrings;
  std::vector<Point> sentClicks;             // synthesized left clicks
  // The fake screen image captureScreen copies from: 0xAARRGGBB pixels row by row from the top,
  // screenImageWidth a row; the screen outside it is white.
  std::vector<std::uint32_t> screenImage;
  int screenImageWidth = 0;
  std::vector<std::u16string> startedPrograms;
  std::vector<std::u16string> failingPrograms;  // startProgram answers false for these paths
  std::vector<std::u16string> processes{u"explorer.exe"};
  // HTTP: while a handler or a reply per URL is scripted, requests get the scripted replies
  // (an unscripted URL gets none) and take no time; otherwise they go over the network through
  // libcurl, and the virtual clock moves with the real time they wait. Every request is recorded.
  std::map<std::u16string, HttpReply> httpReplies;
  std::function<HttpReply(std::u16string_view url)> httpHandler;
  std::vector<std::u16string> httpRequests;
  // A scripted transfer that `startHttp` began ends this much virtual time after its start; at
  // its time-out, not ok, when that comes first or the delay is negative (a reply that never
  // comes). While a transfer over the network runs, `sleepMs` waits the real time as well, so a
  // request given a time-out is given that time.
  int httpTransferDelayMs = 0;
  bool connected = false;
  LocalTime now{2026, 12, 10, 9, 30, 15, 5};
  std::filesystem::path resourceDir;  // resource N is the file "N.txt" in it
  int hookCalls = 0;
  std::vector<HookAnswer> hookAnswers;  // the installed hook's answer for each key event
  bool refuseHook = false;              // installKeyboardHook fails while set
  bool quitRequested = false;
  std::vector<std::u16string> logLines;  // what the program wrote to its log
  // Every stretch (from, to) of a mapped file that the program gave back to the system
  // (`FileBytes::release`), shared with the mappings.
  std::shared_ptr<std::vector<std::pair<std::size_t, std::size_t>>> releasedStretches =
      std::make_shared<std::vector<std::pair<std::size_t, std::size_t>>>();
  // Empties the records above that grow with every key (posted characters, synthesized keys, hook
  // answers, log lines): a long run that does not read them keeps them from growing.
  void forgetKeyRecords() {
    postedChars.clear();
    sentKeys.clear();
    hookAnswers.clear();
    logLines.clear();
  }

  std::vector<SimForm*> forms() const { return forms_; }
  // Whether the programs behind the hook saw this key go down and not up again.
  bool targetKeyDown(int vk) const { return vk >= 0 && vk < 256 && targetDown_[static_cast<std::size_t>(vk)]; }

  // ----- Platform ----- (every implementation declares the interface's overrides, so this list
  // repeats the Windows platform's; what they do differs)
  bool installKeyboardHook(HookProc proc) override;
  void removeKeyboardHook() override;
  bool keyboardHookInstalled() const override;
  bool isKeyDown(int vk) const override;
  bool isKeyToggled(int vk) const override;
  std::int16_t asyncKeyState(int vk) override;
  int scanCodeOf(int vk) const override;
  void sendKeyEvent(int vk, int scanCode, bool up) override;
  void sendKeys(std::u16string_view keys) override;

  TimerId createTimer(std::function<void()> onTick) override;
  TimerId createIdleTimer(std::function<void()> onTick) override;
  void setTimer(TimerId timer, int intervalMs, bool enabled) override;
  bool timerEnabled(TimerId timer) const override;
  void doEvents() override;
  std::uint64_t handlersRun() const override { return handlersRun_; }
  int handlersRunning() const override { return handlersRunning_; }
  void runMessageLoop() override;
  void quit() override;
  bool quitting() const override { return quitRequested; }
  std::uint32_t clockMs() const override { return clock_; }
  void sleepMs(int ms) override;
  LocalTime localTime() const override { return now; }
  std::u16string formatDate(const LocalTime& t, DateForm form) const override;
  std::u16string formatTime(const LocalTime& t, DateForm form) const override;

  // The top-level window that holds the focused window.
  WindowId foregroundWindow() const override;
  WindowId focusedWindow(WindowId foreground) const override;
  std::optional<Rect> caretRect(WindowId foreground) const override;
  std::optional<Rect> accessibleCaretRect(WindowId window) const override;
  std::u16string windowClassName(WindowId window) const override;
  std::u16string windowText(WindowId window) const override;
  std::uint32_t windowProcessId(WindowId window) const override;
  std::uint32_t currentProcessId() const override { return kOwnProcessId; }
  bool postChar(WindowId window, char16_t ch) override;
  void activateProcess(std::uint32_t processId) override;
  void activateWindow(WindowId window) override;
  bool canActivateProcess(std::uint32_t processId) const override;
  Point cursorPos() const override { return cursor_; }
  Rect windowRect(WindowId window) const override;
  void sendLeftClick(Point at) override {
    cursor_ = at;
    sentClicks.push_back(at);
  }
  Rect screenRect() const override { return {0, 0, 1920, 1080}; }
  int twipsPerPixel() const override { return 15; }

  std::u16string clipboardText() override { return clipboard_; }
  void clearClipboard() override { clipboard_.clear(); }
  void setClipboardText(std::u16string_view text) override { clipboard_ = text; }

  MessageBoxAnswer messageBox(std::u16string_view text, std::u16string_view title,
                              MessageBoxKind kind) override;
  std::optional<std::u16string> inputBox(std::u16string_view prompt, std::u16string_view title,
                                         std::u16string_view defaultText) override;
  std::optional<Colour> chooseColour(Colour initial) override;
  std::optional<FontChoice> chooseFont(const FontSpec& initial) override;

  bool startProgram(std::u16string_view path) override;
  std::u16string systemFolder() const override { return u"C:\\Windows\\system32"; }
  int processCount(std::u16string_view imageName) const override;

  std::u16string fromGbk(std::string_view bytes) const override;
  std::string toGbk(std::u16string_view text) const override;

  HttpReply httpGet(std::u16string_view url, int timeoutMs,
                    const std::vector<HttpHeader>& headers) override;
  std::unique_ptr<HttpTransfer> startHttp(const HttpRequest& request) override;
  bool isConnected() const override { return connected; }

  std::optional<std::string> resource(int id) const override;
  bool hasResource(int id) const override;
  // Maps the file (read-only, private): the engine's own writers replace a file by renaming a new
  // one over it, which leaves a mapping of the old one intact. (A file cut short in place by
  // another program while mapped would end the process at its next read: the price of not copying
  // the largest file of the program.)
  std::shared_ptr<const FileBytes> mapFile(const std::filesystem::path& file,
                                           std::uintmax_t limit) const override;

  std::unique_ptr<NativeForm> createForm(FormEventHandler onEvent) override;
  Point measureText(const FontSpec& font, std::u16string_view text) const override;
  std::vector<std::uint32_t> captureScreen(const Rect& area) override;
  void log(std::u16string_view line) override { logLines.emplace_back(line); }

  static constexpr std::uint32_t kOwnProcessId = 1000;

 private:
  friend class SimForm;
  struct Timer {
    std::function<void()> onTick;
    int intervalMs = 0;
    bool enabled = false;
    bool running = false;
    std::uint32_t lastFired = 0;
    bool idle = false;  // spare-time work: the desktop is at rest while it runs
  };
  struct QueuedKey {
    KeyEvent event;
    std::uint32_t dueMs = 0;  // the clock at which it arrives
  };
  // Whether the first queued key has arrived.
  bool keyDue() const;

  void deliverKey(const KeyEvent& event);
  void typeIntoWindow(SimWindow& w, const KeyEvent& event);
  // A key into the focused text box of a form: KeyPress and Change, as the windowing runtime raises
  // them.
  void typeIntoForm(SimForm& form, const KeyEvent& event);
  void insertText(SimWindow& w, std::u16string_view text);
  bool fireDueTimers();
  // The next token of the typed script, when it is due; false when none was typed.
  bool typeNextToken();
  void scriptAtRestInModalLoop();
  void pressToken(std::u16string_view token);
  void typeChar(char16_t ch);

  HookProc hook_;
  std::deque<QueuedKey> keys_;
  std::deque<std::function<void()>> windowEvents_;
  std::vector<Timer> timers_;
  std::vector<std::unique_ptr<SimWindow>> windows_;
  std::vector<SimForm*> forms_;
  std::vector<bool> down_ = std::vector<bool>(256, false);
  // Keys pressed since the last query of their state (the low bit of GetAsyncKeyState).
  std::vector<bool> pressedSinceQuery_ = std::vector<bool>(256, false);
  std::vector<bool> targetDown_ = std::vector<bool>(256, false);
  bool capsLock_ = false;
  WindowId focus_ = 0;
  std::uint32_t clock_ = 0;
  std::u16string clipboard_;
  Point cursor_;
  WindowId nextWindowId_ = 0x100;
  std::uint32_t nextProcessId_ = 2000;
  int pumpDepth_ = 0;
  std::uint64_t handlersRun_ = 0;
  int handlersRunning_ = 0;
  // The typed script.
  std::vector<std::u16string> script_;
  std::size_t scriptNext_ = 0;
  bool scriptDone_ = true;
  bool scriptQuit_ = false;  // the script's end asked a modal loop to quit
  std::function<void(std::size_t)> scriptAtRest_;
  std::uint32_t lastActivity_ = 0;  // clock at the last key delivered or token typed
  // How many transfers over the network run now; shared with them, as they may outlive a call.
  std::shared_ptr<int> networkTransfers_ = std::make_shared<int>(0);
};

// A form of the simulated desktop: it keeps the last view the engine showed, and a test can fire
// the user's actions at it.
class SimForm : public NativeForm {
 public:
  SimForm(SimPlatform& platform, WindowId id, FormEventHandler onEvent);
  ~SimForm() override;
  void show(const FormView& view) override {
    view_ = view;
    ++shows_;
    if (onShow) onShow(view_);
  }
  WindowId id() const override { return id_; }
  // Makes the form the desktop's focus: keys that pass the hook type into the text box.
  void focusControl(std::u16string_view control) override;

  const FormView& view() const { return view_; }
  // The text box that keys type into while the form has the focus; empty: none.
  const std::u16string& focusedControl() const { return focusedBox_; }
  const ControlView* control(std::u16string_view name) const;
  int shows() const { return shows_; }
  // Queues a user action; it runs inside the next pump.
  void fire(FormEvent event);
  // Runs after every view the engine shows (a test that watches a form change during a run).
  std::function<void(const FormView&)> onShow;

 private:
  SimPlatform& platform_;
  WindowId id_;
  FormEventHandler onEvent_;
  FormView view_;
  int shows_ = 0;
  std::u16string focusedBox_;
};

}  // namespace yz
