#pragma once
// The candidate window and caret following on a simulated desktop, with the state they work on
// and recording stand-ins for the composition routines.

#include <string>
#include <vector>

#include "platform/sim/sim_platform.h"
#include "ui/window_ui.h"

namespace yz {

struct UiRig {
  UiRig() : ui(sim, settings, win, comp, conv, pass), target(sim.addWindow(u"记事本", u"Edit")) {
    sim.focus(target.id);
    ui.calls.qqdz = [this](const std::u16string& text) {
      committed.push_back(text);
      win.boxes.text7.text.clear();
    };
    ui.calls.escjm = [this] {
      ++resets;
      win.boxes = CandidateBoxes{};
      ui.zdus();
    };
    ui.calls.delay = [this](int ms) {
      delays.push_back(ms);
      sim.doEvents();
    };
  }

  // Puts texts into the boxes as the input pass leaves them.
  void show(std::u16string_view code, std::u16string_view sentence, std::u16string_view list) {
    CandidateBoxes& b = win.boxes;
    b.Text1 = {std::u16string(code), static_cast<std::int32_t>(code.size())};
    b.rtext1.text = code;
    b.text7.text = sentence;
    b.hxl.text = list;
  }

  CandidateForm& form() { return ui.window.form; }

  SimPlatform sim;
  Settings settings;
  WindowState win;
  CompositionState comp;
  ConversionState conv;
  PassState pass;
  WindowUi ui;
  SimWindow& target;
  std::vector<std::u16string> committed;
  std::vector<int> delays;
  int resets = 0;
};

}  // namespace yz
