#pragma once
// Operations of the later subsystems that the engine calls upward: laying out the candidate
// window, the load and exit sequences, the input pass and the web queries. The application wires
// the real implementations; until a subsystem is built its operations do nothing (see
// `NotBuiltServices`).

#include <cstdint>
#include <set>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "state/service_cells.h"

namespace yz {

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
  // Word learning from the mismatches of a compared sentence: `marked` is the reference with its
  // differing characters between "[" and "]". Until word learning is built it learns nothing.
  virtual void iyzc(std::u16string& marked) { (void)marked; }
  // Inserts one word into the user lexicon in memory (the article word maker's words). Does
  // nothing until word learning is built.
  virtual void zdzyhc(std::u16string str4) { (void)str4; }
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

// Stands in for every subsystem that is not built yet. A user reaches these operations while
// typing, so none of them fails: each does nothing (a hit count is "no answer", the cloud leaves
// no text) and says so in the log the first time it is asked.
class NotBuiltServices final : public WindowServices,
                               public LifecycleServices,
                               public LearningServices,
                               public InputPassServices,
                               public WebServices {
 public:
  NotBuiltServices(Platform& platform, WebCells& web) : platform_(platform), web_(web) {}

  void zdus() override { notBuilt("zdus"); }
  void followCaret() override { notBuilt("followCaret"); }
  void Form_Load() override { notBuilt("Form_Load"); }
  void csqid() override { notBuilt("csqid"); }
  void ended() override { notBuilt("ended"); }
  void yhck(std::u16string_view) override { notBuilt("yhck"); }
  void Timer1_Timer() override { notBuilt("Timer1_Timer"); }
  float xymaypu(std::u16string_view) override {
    notBuilt("xymaypu");
    return -1;
  }
  float xymaypu1(std::u16string_view, std::u16string_view) override {
    notBuilt("xymaypu1");
    web_.xymayp0 = web_.xymayp1 = web_.xymayp2 = web_.xymayp3 = -1;
    return -1;
  }
  void yuu() override {
    notBuilt("yuu");
    web_.cloudText.clear();
  }
  void yuuqp() override {
    notBuilt("yuuqp");
    web_.cloudText.clear();
  }

 private:
  void notBuilt(const char* what) {
    if (!told_.insert(what).second) return;
    const std::string name(what);
    platform_.log(u"not built yet, skipped: " + std::u16string(name.begin(), name.end()));
  }

  Platform& platform_;  // where the skipped operations are logged
  WebCells& web_;       // the cells the skipped operations empty
  std::set<std::string> told_;  // the operations already reported
};

}  // namespace yz
