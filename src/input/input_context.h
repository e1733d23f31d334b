#pragma once
// The state and the neighbouring subsystems that the input routines work on. The service
// pointers are read at every call, so the application can replace them as subsystems are built.

#include "lexicon/gbk.h"
#include "platform/platform.h"
#include "state/composition_state.h"
#include "state/conversion_state.h"
#include "state/encoder_cells.h"
#include "state/hook_state.h"
#include "state/lexicon_state.h"
#include "state/pass_state.h"
#include "state/service_cells.h"
#include "state/services.h"
#include "state/settings.h"
#include "state/window_state.h"

namespace yz {

struct InputContext {
  Platform& platform;
  const GbkTable& gbk;
  Settings& settings;
  SettingsMirror& mirror;
  CompositionState& comp;
  ConversionState& conv;
  PassState& pass;
  WindowState& win;
  LexiconState& lex;
  RaceState& race;
  WebCells& web;
  HookState& hook;
  WindowServices* const& window;
  LifecycleServices* const& lifecycle;
  EncoderCells& enc;
  LearningServices* const& learning;

  // Switches the input timer on or off (no-op before the application created it).
  void setTimer1(bool enabled) const;
  // Puts the caret of the code line after its last character and tells the input pass so.
  void caretToEnd() const;
  // Brings the target program to the front when one is recorded; when it is this program, the
  // window of the box typed into.
  void reactivateTarget() const;
  // Encodes a Chinese text into its input code (`bm`) and its full pinyin (`qp`).
  void citcbmma(std::u16string_view text, std::u16string& bm, std::u16string& qp) const;
  // A character of two GBK bytes (its ANSI code read as a signed 16-bit number is not above 0).
  bool isDoubleByte(char16_t ch) const;
};

inline constexpr int kTimer1IntervalMs = 50;
inline constexpr int kTimer2IntervalMs = 160;

}  // namespace yz
