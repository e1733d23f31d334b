#include "input/commands.h"

namespace yz {

void Commands::startSystemProgram(std::u16string_view name) {
  std::u16string path = c_.platform.systemFolder();
  path += u'\\';
  path += name;
  c_.platform.startProgram(path);
}

void Commands::selectSentenceMode(bool Settings::*mode) {
  Settings& s = c_.settings;
  for (bool Settings::*option : {&Settings::huvj, &Settings::ilmvj, &Settings::dgvj, &Settings::izcmu,
                                 &Settings::smvj}) {
    s.*option = option == mode;
  }
}

// The clear of a command code: the composition's clear, and the typed code box as well, so that
// the command's letters do not come back with the next key.
void Commands::clearCommand() {
  composition_.tejm(kTejmClear);
  c_.win.boxes.Text1 = {};
}

void Commands::mlvti(std::u16string bmstr) {
  Settings& s = c_.settings;
  // A box the user emptied holds no command: an empty text never matches.
  auto is = [&bmstr](const std::u16string& command) { return !command.empty() && bmstr == command; };
  if (is(s.xzvx)) c_.lifecycle->ended();
  if (is(s.jub)) {
    clearCommand();
    startSystemProgram(u"notepad.exe");
  }
  if (is(s.jsq)) {
    clearCommand();
    startSystemProgram(u"calc.exe");
  }
  if (is(s.dywd)) {
    clearCommand();
    c_.platform.sendKeys(u"^p");
    c_.win.form1.topMost = true;  // the candidate window stays on top of the print dialog
  }
  if (is(s.huzj)) {
    clearCommand();
    selectSentenceMode(&Settings::huvj);
    c_.win.boxes.rtext1.text.clear();
  }
  if (is(s.lmzj)) {
    clearCommand();
    selectSentenceMode(&Settings::ilmvj);
    c_.win.boxes.rtext1.text.clear();
  }
  if (is(s.vqyx)) {
    s.vqdyx = true;
    s.lidyx = false;
    c_.win.boxes.rtext1.text.clear();
    clearCommand();
  }
  if (is(s.liyx)) {
    s.lidyx = true;
    s.vqdyx = false;
    clearCommand();
  }
}

void Commands::Form_KeyDown(int keyCode) {
  if (keyCode != vk::kF6) return;
  c_.win.boxes.rtext1.text.clear();
  if (c_.comp.hookActive == 1) {
    hook_.removeKeyboardHook();
    c_.setTimer1(false);
  } else {
    hook_.installKeyboardHook();
    c_.setTimer1(true);
    if (c_.pass.timer2 >= 0) c_.platform.setTimer(c_.pass.timer2, kTimer2IntervalMs, true);
  }
}

}  // namespace yz
