#pragma once
// Typed command codes and the F6 switch of the candidate window.

#include <string>

#include "input/hook.h"
#include "input/input_context.h"
#include "input/reset.h"

namespace yz {

class Commands {
 public:
  Commands(const InputContext& ctx, Composition& composition, KeyboardHook& hook)
      : c_(ctx), composition_(composition), hook_(hook) {}

  // Runs the command of every command-code box whose text equals the code line.
  void mlvti(std::u16string bmstr);
  // The candidate window's key-down: F6 turns the hook and the timers off and on.
  void Form_KeyDown(int keyCode);

 private:
  void startSystemProgram(std::u16string_view name);
  void clearCommand();
  void selectSentenceMode(bool Settings::*mode);

  const InputContext& c_;
  Composition& composition_;
  KeyboardHook& hook_;
};

}  // namespace yz
