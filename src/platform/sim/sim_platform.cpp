#include "platform/sim/sim_platform.h"

#include <fcntl.h>
#include <iconv.h>
#include <malloc.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <cerrno>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>
#include <utility>

#include "platform/sim/curl_http.h"

namespace yz {
namespace {

constexpr int kVkBack = 8, kVkTab = 9, kVkReturn = 13, kVkShift = 16, kVkControl = 17, kVkMenu = 18,
              kVkCapital = 20, kVkEscape = 27, kVkSpace = 32, kVkEnd = 35, kVkHome = 36,
              kVkLeft = 37, kVkRight = 39, kVkDelete = 46, kVkLShift = 160, kVkRShift = 161,
              kVkLControl = 162, kVkRControl = 163, kVkLMenu = 164, kVkRMenu = 165;

struct NamedKey {
  std::u16string_view name;
  int vk;
};
constexpr NamedKey kNamedKeys[] = {
    {u"space", kVkSpace},     {u"enter", kVkReturn},      {u"backspace", kVkBack},
    {u"esc", kVkEscape},      {u"tab", kVkTab},           {u"lctrl", kVkLControl},
    {u"rctrl", kVkRControl},  {u"lshift", kVkLShift},     {u"rshift", kVkRShift},
    {u"alt", kVkLMenu},       {u"ralt", kVkRMenu},        {u"delete", kVkDelete},
    {u"capslock", kVkCapital}, {u"backquote", 192},       {u"left", kVkLeft},
    {u"right", kVkRight},     {u"home", kVkHome},         {u"end", kVkEnd},
    {u"f1", 112},  {u"f2", 113},  {u"f3", 114},  {u"f4", 115},  {u"f5", 116},  {u"f6", 117},
    {u"f7", 118},  {u"f8", 119},  {u"f9", 120},  {u"f10", 121}, {u"f11", 122}, {u"f12", 123},
};

// US layout: the unshifted and shifted character of each punctuation key.
struct PunctKey {
  int vk;
  char16_t plain;
  char16_t shifted;
};
constexpr PunctKey kPunctKeys[] = {
    {186, u';', u':'}, {187, u'=', u'+'}, {188, u',', u'<'}, {189, u'-', u'_'},
    {190, u'.', u'>'}, {191, u'/', u'?'}, {192, u'`', u'~'}, {219, u'[', u'{'},
    {220, u'\\', u'|'}, {221, u']', u'}'}, {222, u'\'', u'"'},
};
constexpr char16_t kShiftedDigits[] = u")!@#$%^&*(";

// The key and Shift state that type a character; vk 0 when no key types it.
std::pair<int, bool> keyForChar(char16_t ch) {
  if (ch >= u'a' && ch <= u'z') return {ch - u'a' + 'A', false};
  if (ch >= u'A' && ch <= u'Z') return {ch, true};
  if (ch >= u'0' && ch <= u'9') return {ch, false};
  if (ch == u' ') return {kVkSpace, false};
  for (int d = 0; d < 10; ++d) {
    if (kShiftedDigits[d] == ch) return {'0' + d, true};
  }
  for (const auto& p : kPunctKeys) {
    if (p.plain == ch) return {p.vk, false};
    if (p.shifted == ch) return {p.vk, true};
  }
  return {0, false};
}

class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Iconv() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

}  // namespace

// ---------------------------------------------------------------------------------------------

SimForm::SimForm(SimPlatform& platform, WindowId id, FormEventHandler onEvent)
    : platform_(platform), id_(id), onEvent_(std::move(onEvent)) {
  platform_.forms_.push_back(this);
}

SimForm::~SimForm() { std::erase(platform_.forms_, this); }

const ControlView* SimForm::control(std::u16string_view name) const {
  for (const auto& c : view_.controls) {
    if (c.name == name) return &c;
  }
  return nullptr;
}

void SimForm::fire(FormEvent event) {
  platform_.windowEvents_.push_back([handler = onEvent_, event] { handler(event); });
}

void SimForm::focusControl(std::u16string_view control) {
  focusedBox_ = control;
  platform_.focus(id_);
}

// ---------------------------------------------------------------------------------------------

SimPlatform::SimPlatform() {
  // The load sequence builds and drops tables of a few megabytes each. glibc hands blocks of that
  // size back to the system when they are freed, so every start faulted its pages in afresh
  // (the larger part of a start's time); kept in the heap, they are used again.
  static const bool kept = [] {
    constexpr int kLargeBlock = 64 << 20;
    return mallopt(M_MMAP_THRESHOLD, kLargeBlock) == 1 && mallopt(M_TRIM_THRESHOLD, kLargeBlock) == 1;
  }();
  (void)kept;
}
SimPlatform::~SimPlatform() = default;

SimWindow& SimPlatform::addWindow(std::u16string title, std::u16string className) {
  auto w = std::make_unique<SimWindow>();
  w->id = nextWindowId_++;
  w->processId = nextProcessId_++;
  w->title = std::move(title);
  w->className = std::move(className);
  windows_.push_back(std::move(w));
  if (focus_ == 0) focus_ = windows_.back()->id;
  return *windows_.back();
}

SimWindow* SimPlatform::window(WindowId id) {
  for (auto& w : windows_) {
    if (w->id == id) return w.get();
  }
  return nullptr;
}

void SimPlatform::focus(WindowId id) { focus_ = id; }

WindowId SimPlatform::foregroundWindow() const {
  WindowId top = focus_;
  for (std::size_t depth = 0; depth < windows_.size(); ++depth) {  // bounded: a loop of parents ends
    const auto it = std::find_if(windows_.begin(), windows_.end(),
                                 [&](const auto& w) { return w->id == top; });
    if (it == windows_.end() || (*it)->parent == 0) break;
    top = (*it)->parent;
  }
  return top;
}

WindowId SimPlatform::focusedWindow(WindowId foreground) const {
  return foreground == foregroundWindow() ? focus_ : foreground;
}

void SimPlatform::setLeftButton(bool down) {
  constexpr std::size_t kVkLButton = 1;
  down_[kVkLButton] = down;
  if (down) pressedSinceQuery_[kVkLButton] = true;
}

void SimPlatform::queueKey(int vk, bool up, int flags) {
  KeyEvent e;
  e.vkCode = vk;
  e.scanCode = scanCodeOf(vk);
  e.flags = flags | (up ? kKeyUp : 0);
  e.down = !up;
  keys_.push_back({e, clock_});
}

void SimPlatform::queueKeyAt(std::uint32_t atMs, int vk, bool up, int flags) {
  queueKey(vk, up, flags);
  keys_.back().dueMs = atMs;
}

bool SimPlatform::keyDue() const {
  return !keys_.empty() && static_cast<std::int32_t>(clock_ - keys_.front().dueMs) >= 0;
}

void SimPlatform::typeChar(char16_t ch) {
  auto [vk, shift] = keyForChar(ch);
  if (vk == 0) throw PlatformError("sim: no key types this character");
  if (shift) queueKey(kVkLShift, false);
  queueKey(vk, false);
  queueKey(vk, true);
  if (shift) queueKey(kVkLShift, true);
}

void SimPlatform::pressToken(std::u16string_view token) {
  auto named = [](std::u16string_view name) {
    for (const auto& k : kNamedKeys) {
      if (k.name == name) return k.vk;
    }
    return 0;
  };
  std::size_t plus = token.find(u'+');
  if (plus != std::u16string_view::npos && plus > 0 && plus + 1 < token.size()) {
    int modifier = named(token.substr(0, plus));
    std::u16string_view rest = token.substr(plus + 1);
    int key = named(rest);
    if (key == 0 && rest.size() == 1) key = keyForChar(rest[0]).first;
    if (token.substr(0, plus) == kHoldPrefix && key != 0) {
      const std::uint32_t pressed = clock_;
      queueKey(key, false);
      for (std::uint32_t repeat = 0; repeat < 2; ++repeat) {
        queueKeyAt(pressed + kKeyRepeatDelayMs + repeat * kKeyRepeatPeriodMs, key, false);
      }
      queueKeyAt(pressed + kKeyRepeatDelayMs + 2 * kKeyRepeatPeriodMs, key, true);
      return;
    }
    if (modifier != 0 && key != 0) {
      queueKey(modifier, false);
      queueKey(key, false);
      queueKey(key, true);
      queueKey(modifier, true);
      return;
    }
  }
  if (int vk = named(token); vk != 0) {
    queueKey(vk, false);
    queueKey(vk, true);
    return;
  }
  for (char16_t ch : token) typeChar(ch);
}

std::vector<std::u16string_view> SimPlatform::keyNames() {
  std::vector<std::u16string_view> names;
  for (const auto& k : kNamedKeys) names.push_back(k.name);
  return names;
}

bool SimPlatform::isKeyName(std::u16string_view token) {
  return std::any_of(std::begin(kNamedKeys), std::end(kNamedKeys),
                     [&](const NamedKey& k) { return k.name == token; });
}

bool SimPlatform::typesCharacter(char16_t ch) { return keyForChar(ch).first != 0; }

void SimPlatform::typeKeys(std::u16string_view script) {
  std::size_t pos = 0;
  while (pos < script.size()) {
    std::size_t end = script.find(u' ', pos);
    if (end == std::u16string_view::npos) end = script.size();
    if (end > pos) pressToken(script.substr(pos, end - pos));
    pos = end + 1;
  }
}

// ----- keyboard -----

bool SimPlatform::installKeyboardHook(HookProc proc) {
  if (refuseHook) return false;
  hook_ = std::move(proc);
  return true;
}

void SimPlatform::removeKeyboardHook() { hook_ = nullptr; }

bool SimPlatform::keyboardHookInstalled() const { return static_cast<bool>(hook_); }

bool SimPlatform::isKeyDown(int vk) const {
  if (vk < 0 || vk > 255) return false;
  if (vk == kVkShift) return down_[kVkLShift] || down_[kVkRShift] || down_[kVkShift];
  if (vk == kVkControl) return down_[kVkLControl] || down_[kVkRControl] || down_[kVkControl];
  if (vk == kVkMenu) return down_[kVkLMenu] || down_[kVkRMenu] || down_[kVkMenu];
  return down_[static_cast<std::size_t>(vk)];
}

std::int16_t SimPlatform::asyncKeyState(int vk) {
  if (vk < 0 || vk > 255) return 0;
  // The generic Shift, Ctrl and Alt keys stand for either key of their pair.
  const auto key = static_cast<std::size_t>(vk);
  std::array<std::size_t, 3> keys{key, key, key};  // the keys the query reads
  if (vk == kVkShift) keys = {kVkShift, kVkLShift, kVkRShift};
  if (vk == kVkControl) keys = {kVkControl, kVkLControl, kVkRControl};
  if (vk == kVkMenu) keys = {kVkMenu, kVkLMenu, kVkRMenu};
  bool pressed = false;
  for (std::size_t k : keys) {
    pressed = pressed || pressedSinceQuery_[k];
    pressedSinceQuery_[k] = false;
  }
  if (isKeyDown(vk)) return pressed ? kKeyStateNewlyPressed : kKeyStateHeld;
  return pressed ? kKeyStateReleasedAfterPress : kKeyStateUp;
}

bool SimPlatform::isKeyToggled(int vk) const { return vk == kVkCapital && capsLock_; }

int SimPlatform::scanCodeOf(int vk) const {
  switch (vk) {
    case kVkControl: case kVkLControl: return 0x1D;
    case kVkShift: case kVkLShift: return 0x2A;
    case kVkRShift: return 0x36;
    case 'V': return 0x2F;
    case kVkSpace: return 0x39;
    case kVkReturn: return 0x1C;
    default: return vk & 0xFF;
  }
}

void SimPlatform::sendKeyEvent(int vk, int scanCode, bool up) {
  sentKeys.push_back({vk, scanCode, up});
  KeyEvent e{vk, scanCode, kKeyInjected | kKeySentByProgram | (up ? kKeyUp : 0), !up};
  keys_.push_back({e, clock_});
}

void SimPlatform::sendKeys(std::u16string_view keys) { sentKeyStrings.emplace_back(keys); }

void SimPlatform::deliverKey(const KeyEvent& event) {
  if (event.vkCode >= 0 && event.vkCode < 256) {
    if (event.down && event.vkCode == kVkCapital && !down_[kVkCapital]) capsLock_ = !capsLock_;
    down_[static_cast<std::size_t>(event.vkCode)] = event.down;
    if (event.down) pressedSinceQuery_[static_cast<std::size_t>(event.vkCode)] = true;
  }
  lastActivity_ = clock_;
  HookAnswer answer = HookAnswer::CallNext;
  if (hook_) {
    ++hookCalls;
    ++handlersRun_;
    HookProc proc = hook_;  // the procedure may remove or replace the hook
    ++handlersRunning_;
    answer = proc(event);
    --handlersRunning_;
    hookAnswers.push_back(answer);
  }
  if (answer == HookAnswer::Withhold) return;
  if (event.vkCode >= 0 && event.vkCode < 256) targetDown_[static_cast<std::size_t>(event.vkCode)] = event.down;
  if (!event.down) return;
  if (SimWindow* w = window(focus_)) {
    typeIntoWindow(*w, event);
    return;
  }
  for (SimForm* f : forms_) {
    if (f->id() == focus_) return typeIntoForm(*f, event);
  }
}

void SimPlatform::typeIntoForm(SimForm& form, const KeyEvent& event) {
  const ControlView* box = form.control(form.focusedControl());
  if (!box || box->kind != ControlKind::TextBox) return;
  SimWindow scratch;
  scratch.text = box->text;
  scratch.caret = static_cast<int>(scratch.text.size());
  typeIntoWindow(scratch, event);
  if (scratch.text == box->text) return;
  FormEvent change;
  change.kind = FormEventKind::Change;
  change.control = box->name;
  change.text = scratch.text;
  form.fire(change);
}

void SimPlatform::insertText(SimWindow& w, std::u16string_view text) {
  w.caret = std::clamp(w.caret, 0, static_cast<int>(w.text.size()));
  w.text.insert(static_cast<std::size_t>(w.caret), text);
  w.caret += static_cast<int>(text.size());
}

void SimPlatform::typeIntoWindow(SimWindow& w, const KeyEvent& event) {
  int vk = event.vkCode;
  w.caret = std::clamp(w.caret, 0, static_cast<int>(w.text.size()));
  if (isKeyDown(kVkControl)) {
    if (vk == 'V') insertText(w, clipboard_);
    if (vk == 'C' && w.selectionLength > 0) {
      clipboard_ = w.text.substr(static_cast<std::size_t>(w.caret), static_cast<std::size_t>(w.selectionLength));
    }
    return;
  }
  if (isKeyDown(kVkMenu)) return;
  bool shift = isKeyDown(kVkShift);
  switch (vk) {
    case kVkBack:
      if (w.caret > 0) w.text.erase(static_cast<std::size_t>(--w.caret), 1);
      return;
    case kVkDelete:
      if (w.caret < static_cast<int>(w.text.size())) w.text.erase(static_cast<std::size_t>(w.caret), 1);
      return;
    case kVkLeft: w.caret = std::max(0, w.caret - 1); return;
    case kVkRight: w.caret = std::min(static_cast<int>(w.text.size()), w.caret + 1); return;
    case kVkHome: w.caret = 0; return;
    case kVkEnd: w.caret = static_cast<int>(w.text.size()); return;
    case kVkReturn: insertText(w, u"\r\n"); return;
    case kVkTab: insertText(w, u"\t"); return;
    case kVkSpace: insertText(w, u" "); return;
    default: break;
  }
  char16_t ch = 0;
  if (vk >= 'A' && vk <= 'Z') {
    bool upper = shift != capsLock_;
    ch = static_cast<char16_t>(upper ? vk : vk - 'A' + 'a');
  } else if (vk >= '0' && vk <= '9') {
    ch = shift ? kShiftedDigits[vk - '0'] : static_cast<char16_t>(vk);
  } else {
    for (const auto& p : kPunctKeys) {
      if (p.vk == vk) ch = shift ? p.shifted : p.plain;
    }
  }
  if (ch != 0) insertText(w, std::u16string(1, ch));
}

// ----- timers and pump -----

Platform::TimerId SimPlatform::createTimer(std::function<void()> onTick) {
  timers_.push_back({std::move(onTick), 0, false, false, clock_});
  return static_cast<TimerId>(timers_.size() - 1);
}

Platform::TimerId SimPlatform::createIdleTimer(std::function<void()> onTick) {
  const TimerId id = createTimer(std::move(onTick));
  timers_.back().idle = true;
  return id;
}

void SimPlatform::setTimer(TimerId timer, int intervalMs, bool enabled) {
  Timer& t = timers_.at(static_cast<std::size_t>(timer));
  if (enabled && (!t.enabled || t.intervalMs != intervalMs)) t.lastFired = clock_;
  t.intervalMs = intervalMs;
  t.enabled = enabled;
}

bool SimPlatform::timerEnabled(TimerId timer) const {
  return timers_.at(static_cast<std::size_t>(timer)).enabled;
}

bool SimPlatform::fireDueTimers() {
  bool fired = false;
  for (std::size_t i = 0; i < timers_.size(); ++i) {
    Timer& t = timers_[i];
    if (!t.enabled || t.running || t.intervalMs <= 0) continue;
    if (clock_ - t.lastFired < static_cast<std::uint32_t>(t.intervalMs)) continue;
    t.lastFired = clock_;
    t.running = true;  // a tick is not delivered again while its handler runs
    auto onTick = t.onTick;
    ++handlersRun_;
    ++handlersRunning_;
    onTick();
    --handlersRunning_;
    timers_[i].running = false;
    fired = true;
  }
  return fired;
}

void SimPlatform::typeScript(std::vector<std::u16string> tokens,
                             std::function<void(std::size_t)> atRest) {
  script_ = std::move(tokens);
  scriptNext_ = 0;
  scriptDone_ = script_.empty();
  scriptAtRest_ = scriptDone_ ? nullptr : std::move(atRest);
  // A loop that the last script asked to end goes on with this one.
  if (scriptQuit_) quitRequested = false;
  scriptQuit_ = false;
}

bool SimPlatform::typeNextToken() {
  if (scriptDone_) return false;
  if (scriptNext_ >= script_.size()) {
    scriptDone_ = true;
    if (scriptAtRest_) scriptAtRest_(script_.size());
    return false;
  }
  if (scriptAtRest_) scriptAtRest_(scriptNext_);
  const std::size_t queued = keys_.size();
  typeKeys(script_[scriptNext_]);
  if (scriptNext_ > 0) {
    // Keys of one token that come later (a held key's repeats) keep their distance.
    for (std::size_t i = queued; i < keys_.size(); ++i) keys_[i].dueMs += scriptKeyGapMs;
  }
  ++scriptNext_;
  lastActivity_ = clock_;
  return true;
}

void SimPlatform::scriptAtRestInModalLoop() {
  if (scriptDone_ || pumpDepth_ == 0 || !keys_.empty() || !windowEvents_.empty()) return;
  if (clock_ - lastActivity_ < kModalRestMs) return;
  // Nobody types to the loop any more: it is asked to end so the session can.
  if (!typeNextToken()) quitRequested = scriptQuit_ = true;
}

void SimPlatform::doEvents() {
  scriptAtRestInModalLoop();
  ++pumpDepth_;
  while (keyDue() || !windowEvents_.empty()) {
    if (keyDue()) {
      KeyEvent e = keys_.front().event;
      keys_.pop_front();
      deliverKey(e);
    } else {
      auto event = std::move(windowEvents_.front());
      windowEvents_.pop_front();
      ++handlersRun_;
      ++handlersRunning_;
      event();
      --handlersRunning_;
    }
  }
  fireDueTimers();
  --pumpDepth_;
}

void SimPlatform::advance(std::uint32_t ms) {
  std::uint32_t target = clock_ + ms;
  doEvents();
  // A request that waits inside a timer's handler may move the clock past the target.
  while (static_cast<std::int32_t>(target - clock_) > 0) {
    // The next moment a timer falls due, or the target.
    std::uint32_t step = target - clock_;
    for (const Timer& t : timers_) {
      if (!t.enabled || t.running || t.intervalMs <= 0) continue;
      std::uint32_t due = t.lastFired + static_cast<std::uint32_t>(t.intervalMs);
      std::uint32_t wait = due - clock_;
      if (static_cast<std::int32_t>(wait) <= 0) wait = 0;
      step = std::min(step, std::max<std::uint32_t>(wait, 1));
    }
    if (!keys_.empty()) {
      const std::uint32_t wait = keys_.front().dueMs - clock_;
      if (static_cast<std::int32_t>(wait) > 0) step = std::min(step, wait);
    }
    clock_ += step;
    doEvents();
  }
}

void SimPlatform::setClock(std::uint32_t ms) {
  const std::uint32_t shift = ms - clock_;
  for (Timer& t : timers_) t.lastFired += shift;
  for (QueuedKey& k : keys_) k.dueMs += shift;
  lastActivity_ += shift;
  clock_ = ms;
}

void SimPlatform::settle() {
  for (int spent = 0; spent < 60000; spent += 10) {
    bool busy = !keys_.empty() || !windowEvents_.empty();
    bool timers = std::any_of(timers_.begin(), timers_.end(), [](const Timer& t) { return t.enabled && !t.idle; });
    if (!busy && !timers) {
      if (!typeNextToken()) return;
      spent = 0;
      continue;
    }
    // A script that ended inside a modal loop: the loop was asked to quit.
    if (scriptDone_ && !script_.empty() && quitRequested) return;
    advance(10);
  }
  if (!scriptDone_) {
    scriptDone_ = true;
    if (scriptAtRest_) scriptAtRest_(scriptNext_);
  }
}

void SimPlatform::runMessageLoop() {
  quitRequested = false;
  for (int spent = 0; spent < 600000 && !quitRequested; spent += 10) {
    bool busy = !keys_.empty() || !windowEvents_.empty();
    bool timers = std::any_of(timers_.begin(), timers_.end(), [](const Timer& t) { return t.enabled && !t.idle; });
    if (!busy && !timers) return;
    advance(10);
  }
}

void SimPlatform::quit() { quitRequested = true; }

void SimPlatform::sleepMs(int ms) {
  if (ms <= 0) return;
  if (*networkTransfers_ > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  clock_ += static_cast<std::uint32_t>(ms);
}

std::u16string SimPlatform::formatDate(const LocalTime& t, DateForm form) const {
  auto num = [](int v, int width) {
    std::string s = std::to_string(v);
    while (static_cast<int>(s.size()) < width) s.insert(s.begin(), '0');
    return std::u16string(s.begin(), s.end());
  };
  switch (form) {
    case DateForm::Long:
      return num(t.year, 4) + u"年" + num(t.month, 1) + u"月" + num(t.day, 1) + u"日";
    case DateForm::Medium:
      return num(t.year % 100, 2) + u"-" + num(t.month, 2) + u"-" + num(t.day, 2);
    case DateForm::Short:
      return num(t.year, 4) + u"/" + num(t.month, 1) + u"/" + num(t.day, 1);
  }
  return {};
}

std::u16string SimPlatform::formatTime(const LocalTime& t, DateForm form) const {
  auto num = [](int v) {
    std::string s = std::to_string(v);
    if (s.size() < 2) s.insert(s.begin(), '0');
    return std::u16string(s.begin(), s.end());
  };
  switch (form) {
    case DateForm::Long:
      return num(t.hour).substr(t.hour < 10 ? 1 : 0) + u":" + num(t.minute) + u":" + num(t.second);
    case DateForm::Medium:
      return (t.hour < 12 ? u"上午 " : u"下午 ") + num(t.hour % 12 == 0 ? 12 : t.hour % 12) + u":" +
             num(t.minute);
    case DateForm::Short:
      return num(t.hour) + u":" + num(t.minute);
  }
  return {};
}

// ----- target program -----

std::optional<Rect> SimPlatform::caretRect(WindowId foreground) const {
  const WindowId focused = focusedWindow(foreground);
  for (const auto& w : windows_) {
    if (w->id == focused && w->reportsCaret) return w->caretRect;
  }
  return std::nullopt;
}

std::optional<Rect> SimPlatform::accessibleCaretRect(WindowId window) const {
  for (const auto& w : windows_) {
    if (w->id == window) return w->caretRect;
  }
  return std::nullopt;
}

std::u16string SimPlatform::windowClassName(WindowId id) const {
  for (const auto& w : windows_) {
    if (w->id == id) return w->className;
  }
  return {};
}

Rect SimPlatform::windowRect(WindowId id) const {
  for (const auto& w : windows_) {
    if (w->id == id) return w->rect;
  }
  return {};
}

std::u16string SimPlatform::windowText(WindowId id) const {
  for (const auto& w : windows_) {
    if (w->id == id) return w->text;
  }
  return {};
}

std::uint32_t SimPlatform::windowProcessId(WindowId id) const {
  for (const auto& w : windows_) {
    if (w->id == id) return w->processId;
  }
  return 0;
}

bool SimPlatform::postChar(WindowId id, char16_t ch) {
  SimWindow* w = window(id);
  if (!w) return false;
  std::uint16_t value = ch;
  if (!w->unicode) {
    std::string bytes = toGbk(std::u16string_view(&ch, 1));
    value = bytes.size() >= 2 ? static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[0]) |
                                                            static_cast<unsigned char>(bytes[1]) << 8)
                              : static_cast<std::uint16_t>(bytes.empty() ? 0 : static_cast<unsigned char>(bytes[0]));
  }
  postedChars.push_back({id, value});
  // The window's own handling of WM_CHAR.
  if (w->unicode) {
    if (ch == u'\b') {
      if (w->caret > 0) w->text.erase(static_cast<std::size_t>(--w->caret), 1);
    } else {
      insertText(*w, std::u16string(1, ch));
    }
  } else {
    std::string bytes;
    bytes.push_back(static_cast<char>(value & 0xFF));
    if (value > 0xFF) bytes.push_back(static_cast<char>(value >> 8));
    insertText(*w, fromGbk(bytes));
  }
  return true;
}

void SimPlatform::activateProcess(std::uint32_t processId) {
  for (const auto& w : windows_) {
    if (w->processId == processId && w->activatable) {
      focus_ = w->id;
      return;
    }
  }
}

void SimPlatform::activateWindow(WindowId window) {
  if (window != 0) focus_ = window;
}

bool SimPlatform::canActivateProcess(std::uint32_t processId) const {
  return std::any_of(windows_.begin(), windows_.end(),
                     [&](const auto& w) { return w->processId == processId && w->activatable; });
}

// ----- dialogs -----

MessageBoxAnswer SimPlatform::messageBox(std::u16string_view text, std::u16string_view title,
                                         MessageBoxKind kind) {
  messageBoxes.push_back({std::u16string(text), std::u16string(title), kind});
  if (onMessageBox) {
    const SimMessageBox shown = messageBoxes.back();
    onMessageBox(shown);
  }
  if (!messageBoxAnswers.empty()) {
    MessageBoxAnswer a = messageBoxAnswers.front();
    messageBoxAnswers.pop_front();
    return a;
  }
  if (defaultMessageBoxAnswer) return *defaultMessageBoxAnswer;
  std::string narrow;
  for (char16_t c : text) narrow.push_back(c < 128 ? static_cast<char>(c) : '?');
  throw PlatformError("sim: unexpected message box: " + narrow);
}

std::optional<std::u16string> SimPlatform::inputBox(std::u16string_view, std::u16string_view,
                                                    std::u16string_view) {
  if (inputBoxAnswers.empty()) throw PlatformError("sim: unexpected input box");
  auto a = inputBoxAnswers.front();
  inputBoxAnswers.pop_front();
  return a;
}

std::optional<Colour> SimPlatform::chooseColour(Colour) {
  if (colourAnswers.empty()) throw PlatformError("sim: unexpected colour dialog");
  auto a = colourAnswers.front();
  colourAnswers.pop_front();
  return a;
}

std::optional<FontChoice> SimPlatform::chooseFont(const FontSpec& initial) {
  fontDialogs.push_back(initial);
  if (fontAnswers.empty()) throw PlatformError("sim: unexpected font dialog");
  auto a = fontAnswers.front();
  fontAnswers.pop_front();
  return a;
}

// ----- programs -----

bool SimPlatform::startProgram(std::u16string_view path) {
  startedPrograms.emplace_back(path);
  return std::find(failingPrograms.begin(), failingPrograms.end(), path) == failingPrograms.end();
}

int SimPlatform::processCount(std::u16string_view imageName) const {
  auto lower = [](std::u16string_view s) {
    std::u16string out(s);
    for (auto& c : out) {
      if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    }
    return out;
  };
  std::u16string want = lower(imageName);
  return static_cast<int>(
      std::count_if(processes.begin(), processes.end(), [&](const auto& p) { return lower(p) == want; }));
}

// ----- codec -----

namespace {

// Code page 936 as a table, made once from the system's converter: a character for every single
// byte and every lead/trail pair that has one (0 = none).
struct GbkDecodeTable {
  std::vector<char16_t> single = std::vector<char16_t>(256, 0);
  std::vector<char16_t> pair = std::vector<char16_t>(0x10000, 0);
};

const GbkDecodeTable& gbkDecodeTable() {
  static const GbkDecodeTable table = [] {
    GbkDecodeTable t;
    Iconv cd("UTF-16LE", "CP936");
    auto decodeOne = [&](const char* bytes, std::size_t n) -> char16_t {
      char16_t out[4];
      char* inPtr = const_cast<char*>(bytes);
      char* outPtr = reinterpret_cast<char*>(out);
      std::size_t outLeft = sizeof out;
      iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
      if (iconv(cd.get(), &inPtr, &n, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) return 0;
      return outLeft == sizeof out - 2 ? out[0] : char16_t{0};
    };
    for (int b = 0; b < 256; ++b) {
      char c = static_cast<char>(b);
      t.single[static_cast<std::size_t>(b)] = b < 0x80 ? static_cast<char16_t>(b) : decodeOne(&c, 1);
    }
    // The pairs of one lead byte in one conversion: each pair gives one character, and a pair the
    // code page lacks stops the converter on it, to be skipped. A row that goes otherwise (a pair
    // read as anything but one character) is decoded pair by pair.
    constexpr int kFirstTrail = 0x40, kTrails = 0xFF - kFirstTrail;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
      char row[2 * kTrails];
      for (int i = 0; i < kTrails; ++i) {
        row[2 * i] = static_cast<char>(lead);
        row[2 * i + 1] = static_cast<char>(kFirstTrail + i);
      }
      char16_t out[kTrails];
      bool even = true;
      std::size_t done = 0;  // pairs decided
      while (even && done < kTrails) {
        char* inPtr = row + 2 * done;
        std::size_t inLeft = 2 * (kTrails - done);
        char* outPtr = reinterpret_cast<char*>(out + done);
        std::size_t outLeft = 2 * (kTrails - done);
        iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
        const bool stopped = iconv(cd.get(), &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1);
        const auto read = static_cast<std::size_t>(inPtr - (row + 2 * done));
        const auto written = static_cast<std::size_t>(outPtr - reinterpret_cast<char*>(out + done));
        even = read % 2 == 0 && written == read && (!stopped || errno == EILSEQ);
        done += read / 2;
        if (even && stopped) out[done++] = 0;
      }
      for (int i = 0; i < kTrails; ++i) {
        const auto at = static_cast<std::size_t>(lead << 8 | (kFirstTrail + i));
        t.pair[at] = even ? out[i] : decodeOne(row + 2 * i, 2);
      }
    }
    return t;
  }();
  return table;
}

}  // namespace

std::u16string SimPlatform::fromGbk(std::string_view bytes) const {
  const GbkDecodeTable& table = gbkDecodeTable();
  std::u16string out;
  out.resize(bytes.size());
  std::size_t n = 0;
  const std::size_t size = bytes.size();
  for (std::size_t i = 0; i < size;) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80) {
      out[n++] = b;
      ++i;
      continue;
    }
    if (i + 1 < size) {
      const auto trail = static_cast<unsigned char>(bytes[i + 1]);
      if (char16_t c = table.pair[static_cast<std::size_t>(b << 8 | trail)]; c != 0) {
        out[n++] = c;
        i += 2;
        continue;
      }
    }
    // A byte that starts no character, or a character cut off at the end: the replacement, and
    // decoding goes on with the next byte.
    const char16_t c = table.single[b];
    out[n++] = c != 0 ? c : u'\uFFFD';
    ++i;
  }
  out.resize(n);
  return out;
}

std::string SimPlatform::toGbk(std::u16string_view text) const {
  static thread_local Iconv cd("CP936", "UTF-16LE");
  std::string out(text.size() * 2 + 4, '\0');
  char* inPtr = reinterpret_cast<char*>(const_cast<char16_t*>(text.data()));
  std::size_t inLeft = text.size() * 2;
  char* outPtr = out.data();
  std::size_t outLeft = out.size();
  iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
  while (inLeft > 0) {
    if (iconv(cd.get(), &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1)) break;
    // A character the code page cannot represent (a surrogate pair counts as one) becomes "?".
    char16_t c;
    std::memcpy(&c, inPtr, 2);
    std::size_t skip = 2;
    if (c >= 0xD800 && c <= 0xDBFF && inLeft >= 4) skip = 4;
    *outPtr++ = '?';
    --outLeft;
    inPtr += skip;
    inLeft -= skip;
    iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
  }
  out.resize(static_cast<std::size_t>(outPtr - out.data()));
  return out;
}

// ----- web -----

HttpReply SimPlatform::httpGet(std::u16string_view url, int timeoutMs,
                               const std::vector<HttpHeader>& headers) {
  httpRequests.emplace_back(url);
  if (httpHandler || !httpReplies.empty()) {
    doEvents();  // a request pumps messages while it waits
    if (httpHandler) return httpHandler(url);
    auto it = httpReplies.find(std::u16string(url));
    if (it != httpReplies.end()) return it->second;
    return {};
  }
  // The virtual clock keeps up with the real time waited (a request waiting inside this one's
  // pump has moved it already).
  const auto start = std::chrono::steady_clock::now();
  const std::uint32_t clockAtStart = clock_;
  const auto catchUp = [&] {
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    const std::uint32_t due = clockAtStart + static_cast<std::uint32_t>(waited.count());
    if (static_cast<std::int32_t>(due - clock_) > 0) {
      advance(due - clock_);  // pumps, and fires the timers that fall due meanwhile
    } else {
      doEvents();
    }
  };
  HttpReply reply = sim::curlGet(url, timeoutMs, headers, catchUp);
  // The last pump may have run well before the transfer ended (a time-out in particular): the
  // clock shows the whole wait once the request is over.
  catchUp();
  return reply;
}

namespace {

// A transfer with a scripted reply: it ends at a moment of the virtual clock.
class ScriptedTransfer final : public HttpTransfer {
 public:
  ScriptedTransfer(const SimPlatform& platform, HttpReply reply, int delayMs, int timeoutMs)
      : platform_(platform), start_(platform.clockMs()) {
    const int limit = timeoutMs > 0 ? timeoutMs : 1;
    if (delayMs >= 0 && delayMs < limit) {
      endsAfter_ = static_cast<std::uint32_t>(delayMs);
      pending_ = std::move(reply);
    } else {
      endsAfter_ = static_cast<std::uint32_t>(limit);  // the time-out: no reply
    }
  }
  bool stillExecuting() override {
    if (!running_) return false;
    if (platform_.clockMs() - start_ < endsAfter_) return true;
    running_ = false;
    reply_ = std::move(pending_);
    return false;
  }
  void cancel() override { running_ = false; }
  const HttpReply& reply() const override { return reply_; }

 private:
  const SimPlatform& platform_;
  std::uint32_t start_;
  std::uint32_t endsAfter_ = 0;
  bool running_ = true;
  HttpReply pending_;
  HttpReply reply_;
};

// A transfer over the network through libcurl, moved on each time it is asked about.
class NetworkTransfer final : public HttpTransfer {
 public:
  NetworkTransfer(const HttpRequest& request, std::shared_ptr<int> running)
      : curl_(request), running_(std::move(running)) {
    ++*running_;
  }
  ~NetworkTransfer() override { end(); }
  bool stillExecuting() override {
    if (counted_ && !curl_.poll(0)) end();
    return counted_;
  }
  void cancel() override {
    curl_.cancel();
    end();
  }
  const HttpReply& reply() const override { return curl_.reply(); }

 private:
  void end() {
    if (counted_) --*running_;
    counted_ = false;
  }
  sim::CurlTransfer curl_;
  std::shared_ptr<int> running_;
  bool counted_ = true;
};

}  // namespace

std::unique_ptr<HttpTransfer> SimPlatform::startHttp(const HttpRequest& request) {
  httpRequests.push_back(request.url);
  if (httpHandler || !httpReplies.empty()) {
    HttpReply reply;
    if (httpHandler) {
      reply = httpHandler(request.url);
    } else if (auto it = httpReplies.find(request.url); it != httpReplies.end()) {
      reply = it->second;
    }
    return std::make_unique<ScriptedTransfer>(*this, std::move(reply), httpTransferDelayMs,
                                              request.timeoutMs);
  }
  return std::make_unique<NetworkTransfer>(request, networkTransfers_);
}

// ----- resources -----

namespace {

class MappedFileBytes final : public FileBytes {
 public:
  MappedFileBytes(void* at, std::size_t size,
                  std::shared_ptr<std::vector<std::pair<std::size_t, std::size_t>>> released)
      : at_(at), released_(std::move(released)) {
    data_ = static_cast<const std::byte*>(at);
    size_ = size;
  }
  ~MappedFileBytes() override { ::munmap(at_, size_); }
  void release(std::size_t from, std::size_t to) const override {
    released_->emplace_back(from, to);
    // Whole pages inside the stretch only. The mapping is private and never written, so a page
    // dropped is read from the file again as it was.
    const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    const std::size_t first = (from + page - 1) / page * page;
    const std::size_t last = std::min(to, size_) / page * page;
    if (last > first) ::madvise(static_cast<char*>(at_) + first, last - first, MADV_DONTNEED);
  }
  MappedFileBytes(const MappedFileBytes&) = delete;
  MappedFileBytes& operator=(const MappedFileBytes&) = delete;

 private:
  void* at_;
  std::shared_ptr<std::vector<std::pair<std::size_t, std::size_t>>> released_;  // the platform's record
};

// Maps `size` bytes of `fd` for reading, a page past a 2 MiB boundary. The system maps a file that
// lies in its cache in blocks of 2 MiB where the mapping starts on such a boundary, so one read
// of a few bytes would bring 2 MiB into the process's memory, and a few lookups spread over an
// image the whole of it. Placed off the boundary, a read brings in only the pages around it.
void* mapOffBoundary(int fd, std::size_t size) {
  constexpr std::size_t kBlock = std::size_t{2} << 20;
  const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  const std::size_t length = (size + page - 1) / page * page;
  // A reservation of our own with room for the shift; the file is mapped over part of it.
  const std::size_t reserved = length + kBlock + page;
  void* room = ::mmap(nullptr, reserved, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (room == MAP_FAILED) return ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
  const auto base = reinterpret_cast<std::uintptr_t>(room);
  const std::uintptr_t at = (base + kBlock - 1) / kBlock * kBlock + page;
  void* mapped = ::mmap(reinterpret_cast<void*>(at), size, PROT_READ, MAP_PRIVATE | MAP_FIXED, fd, 0);
  if (mapped == MAP_FAILED) {
    ::munmap(room, reserved);
    return mapped;
  }
  // The rest of the reservation is given back.
  if (at > base) ::munmap(room, at - base);
  const std::uintptr_t end = base + reserved;
  if (end > at + length) ::munmap(reinterpret_cast<void*>(at + length), end - (at + length));
  return mapped;
}


}  // namespace

std::shared_ptr<const FileBytes> SimPlatform::mapFile(const std::filesystem::path& file,
                                                      std::uintmax_t limit) const {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st {};
  std::shared_ptr<const FileBytes> result;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= 0 &&
      static_cast<std::uintmax_t>(st.st_size) <= limit) {
    const auto size = static_cast<std::size_t>(st.st_size);
    if (size == 0) {
      result = std::make_shared<OwnedFileBytes>(std::string());
    } else if (void* at = mapOffBoundary(fd, size); at != MAP_FAILED) {
      result = std::make_shared<MappedFileBytes>(at, size, releasedStretches);
    }
  }
  ::close(fd);
  return result;
}

namespace {

constexpr std::uintmax_t kResourceLimit = std::uintmax_t{256} << 20;

// The file of a resource and its size; nothing when it is no regular file of at most
// kResourceLimit bytes (a folder in its place has no size to read).
std::optional<std::pair<std::filesystem::path, std::uintmax_t>> resourceFile(
    const std::filesystem::path& resourceDir, int id) {
  if (resourceDir.empty()) return std::nullopt;
  std::filesystem::path file = resourceDir / (std::to_string(id) + ".txt");
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return std::nullopt;
  const std::uintmax_t size = std::filesystem::file_size(file, ec);
  if (ec || size > kResourceLimit) return std::nullopt;
  return std::make_pair(std::move(file), size);
}

}  // namespace

bool SimPlatform::hasResource(int id) const { return resourceFile(resourceDir, id).has_value(); }

std::optional<std::string> SimPlatform::resource(int id) const {
  const auto found = resourceFile(resourceDir, id);
  if (!found) return std::nullopt;
  const auto& [file, size] = *found;
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(size), '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!in) return std::nullopt;
  return bytes;
}

// ----- forms -----

std::unique_ptr<NativeForm> SimPlatform::createForm(FormEventHandler onEvent) {
  return std::make_unique<SimForm>(*this, nextWindowId_++, std::move(onEvent));
}

Point SimPlatform::measureText(const FontSpec& font, std::u16string_view text) const {
  double width = 0;
  for (char16_t c : text) width += (c < 0x80 ? 0.5 : 1.0) * font.size * 20;
  return {static_cast<int>(width + 0.5), static_cast<int>(font.size * 25 + 0.5)};
}

std::vector<std::uint32_t> SimPlatform::captureScreen(const Rect& area) {
  std::size_t n = static_cast<std::size_t>(std::max(0, area.width())) *
                  static_cast<std::size_t>(std::max(0, area.height()));
  std::vector<std::uint32_t> pixels(n, 0xFFFFFFFFu);
  if (screenImageWidth <= 0) return pixels;
  const int imageHeight = static_cast<int>(screenImage.size() / static_cast<std::size_t>(screenImageWidth));
  std::size_t out = 0;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x, ++out) {
      if (x >= 0 && y >= 0 && x < screenImageWidth && y < imageHeight) {
        pixels[out] = screenImage[static_cast<std::size_t>(y) * static_cast<std::size_t>(screenImageWidth) +
                                  static_cast<std::size_t>(x)];
      }
    }
  }
  return pixels;
}

}  // namespace yz
