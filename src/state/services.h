#pragma once
// Operations of the later subsystems that the engine calls upward: laying out the candidate
// window, the load and exit sequences, the input pass and the web queries. The application wires
// the real implementations; until a subsystem is built its operations throw `NotBuiltError`.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace yz {

class NotBuiltError : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

class WindowServices {
 public:
  virtual ~WindowServices() = default;
  // Lays the candidate window out again for the current texts of its boxes, places and shows it.
  virtual void zdus() = 0;
  // Records the target program and places the candidate window at its caret. Pumps messages.
  virtual void followCaret() = 0;
};

class LifecycleServices {
 public:
  virtual ~LifecycleServices() = default;
  // The load sequence, run at start and after every scheme, layout or auxiliary-table switch.
  virtual void Form_Load() = 0;
  // Commits the settings: writes them, copies them into 用户diy文件\, saves the user lexicon.
  virtual void csqid() = 0;
  // The exit sequence.
  virtual void ended() = 0;
};

// The composition a chosen commit ended, as word learning reads it: taken before the commit resets
// the composition, so that keys typed while learning runs start a new code.
struct CommittedComposition {
  std::int32_t modifyMode = 0;   // instant modify was on
  std::u16string typedCode;      // the code as typed (bmstr)
  std::u16string shownSentence;  // the converted sentence shown (text7)
  std::u16string lastCode;       // the code line as the pass last tracked it
};

class LearningServices {
 public:
  virtual ~LearningServices() = default;
  // Word learning after a commit chosen with a quick-select key or from instant modify, reading
  // the composition as it stands. Pumps messages.
  virtual void yhck(std::u16string_view text) = 0;
  // The same with the composition the commit ended, taken before its reset. Pumps messages.
  virtual void yhck(std::u16string_view text, const CommittedComposition& before) {
    (void)before;
    yhck(text);
  }
};

class InputPassServices {
 public:
  virtual ~InputPassServices() = default;
  // The input pass: one run per tick of the input timer.
  virtual void Timer1_Timer() = 0;
};

class WebServices {
 public:
  virtual ~WebServices() = default;
  // Web hit count of one phrase; -1 without an answer.
  virtual float xymaypu(std::u16string_view strx) = 0;
  // Hit counts of a pair of phrases; fills xymayp0..xymayp3.
  virtual float xymaypu1(std::u16string_view strx1, std::u16string_view strx2) = 0;
  // Cloud candidates for the current pinyin; leaves cloudText.
  virtual void yuu() = 0;
};

// Stands in for every subsystem that is not built yet.
class NotBuiltServices final : public WindowServices,
                               public LifecycleServices,
                               public LearningServices,
                               public InputPassServices,
                               public WebServices {
 public:
  void zdus() override { fail("zdus"); }
  void followCaret() override { fail("followCaret"); }
  void Form_Load() override { fail("Form_Load"); }
  void csqid() override { fail("csqid"); }
  void ended() override { fail("ended"); }
  void yhck(std::u16string_view) override { fail("yhck"); }
  void Timer1_Timer() override { fail("Timer1_Timer"); }
  float xymaypu(std::u16string_view) override { fail("xymaypu"); }
  float xymaypu1(std::u16string_view, std::u16string_view) override { fail("xymaypu1"); }
  void yuu() override { fail("yuu"); }

 private:
  [[noreturn]] static void fail(const char* what) {
    throw NotBuiltError(std::string("not built yet: ") + what);
  }
};

}  // namespace yz
