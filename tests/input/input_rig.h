#pragma once
// A whole application on the simulated desktop, with recording stand-ins for word learning and
// the exit sequence, and helpers to type scripts and read the hook's answers.

#include <string>
#include <vector>

#include "lexicon/utf.h"
#include "main/sim_driver.h"

namespace yz {

struct RecordingWindow final : WindowServices {
  int zdusCalls = 0;
  void zdus() override { ++zdusCalls; }
  void followCaret() override {}
};

struct RecordingLearning final : LearningServices {
  std::vector<std::u16string> learned;
  void yhck(std::u16string_view text) override { learned.emplace_back(text); }
};

struct RecordingLifecycle final : LifecycleServices {
  int endedCalls = 0;
  void Form_Load() override {}
  void csqid() override {}
  void ended() override { ++endedCalls; }
};

// The hook is tested on its own: the input pass that its timer starts does nothing here.
struct IdlePass final : InputPassServices {
  void Timer1_Timer() override {}
};

struct Rig {
  Rig() : app(*session.app), sim(session.platform), target(session.target) {
    app.inputPass = &idlePass;
    app.windowServices = &window;
    app.learning = &learning;
    app.lifecycle = &life;
    // Without the program's tables the load sequence ends the start before it takes the
    // keyboard; these tests want the keyboard taken.
    if (app.comp.hookActive != 1) app.input.hook.installKeyboardHook();
    sim.hookAnswers.clear();
    sim.messageBoxes.clear();
  }

  // Types a script of tokens at one moment of the clock; "wait:N" lets N milliseconds pass.
  void type(std::u16string_view script) {
    std::size_t pos = 0;
    while (pos < script.size()) {
      std::size_t end = script.find(u' ', pos);
      if (end == std::u16string_view::npos) end = script.size();
      std::u16string_view token = script.substr(pos, end - pos);
      if (token.starts_with(u"wait:")) {
        sim.advance(static_cast<std::uint32_t>(std::stoi(toUtf8(token.substr(5)))));
      } else if (!token.empty()) {
        sim.typeKeys(token);
        sim.doEvents();
      }
      pos = end + 1;
    }
  }

  // The hook's answers so far: "-1" withheld, "0" passed, "next" handed to the next hook.
  std::string answers() const {
    std::string out;
    for (HookAnswer a : sim.hookAnswers) {
      if (!out.empty()) out += ' ';
      out += a == HookAnswer::Withhold ? "-1" : a == HookAnswer::Pass ? "0" : "next";
    }
    return out;
  }

  std::string code() const { return toUtf8(app.win.boxes.Text1.text); }
  std::string pendingText() const { return toUtf8(app.comp.pendingText); }

  // A composition as the input pass leaves it after converting `typed`.
  void compose(std::u16string_view typed, std::u16string_view sentence) {
    CandidateBoxes& b = app.win.boxes;
    b.Text1 = {std::u16string(typed), static_cast<std::int32_t>(typed.size())};
    b.rtext1.text = typed;
    b.rtext2.text = sentence;
    b.text7.text = sentence;
    b.rText7.text = sentence;
    app.comp.lastCode = typed;
    app.comp.lastCaretPos = static_cast<std::int32_t>(typed.size());
  }

  // The target program as caret following records it.
  void aimAtTarget() {
    app.win.h = target.id;
    app.win.targetProcessId = target.processId;
  }

  SimSession session;
  App& app;
  SimPlatform& sim;
  SimWindow& target;
  IdlePass idlePass;
  RecordingWindow window;
  RecordingLearning learning;
  RecordingLifecycle life;
};

}  // namespace yz
