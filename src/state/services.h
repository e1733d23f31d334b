#pragma once
// Operations of the later subsystems that the engine calls upward: laying out the candidate
// window, the load and exit sequences, the input pass and the web queries. The application wires
// the real implementations; until a subsystem is built its operations throw `NotBuiltError`.

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
  // A caption of the status bar changed: it is drawn again.
  virtual void statusChanged() {}
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

class LearningServices {
 public:
  virtual ~LearningServices() = default;
  // Word learning after a commit chosen with a quick-select key or from instant modify.
  // Pumps messages.
  virtual void yhck(std::u16string_view text) = 0;
  // Learns a word the article word maker made from the text box into the user lexicon in memory.
  // Does nothing until word learning is built.
  virtual void zdzyhc(std::u16string_view /*word*/) {}
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
  // Cloud text for the full-pinyin letters of bmstr; leaves cloudText.
  virtual void yuuqp() = 0;
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
  // Word learning after a commit joins later; until then a pick commits without learning.
  void yhck(std::u16string_view) override {}
  void Timer1_Timer() override { fail("Timer1_Timer"); }
  float xymaypu(std::u16string_view) override { fail("xymaypu"); }
  float xymaypu1(std::u16string_view, std::u16string_view) override { fail("xymaypu1"); }
  void yuu() override { fail("yuu"); }
  void yuuqp() override { fail("yuuqp"); }

 private:
  [[noreturn]] static void fail(const char* what) {
    throw NotBuiltError(std::string("not built yet: ") + what);
  }
};

}  // namespace yz
