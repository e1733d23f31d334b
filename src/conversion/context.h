#pragma once
// What the routines of the sentence conversion read and write: the state records of the
// application, the platform (for the message pump), the web hit counts and the lookups.

#include "conversion/lookups.h"
#include "platform/platform.h"
#include "state/composition_state.h"
#include "state/conversion_state.h"
#include "state/lexicon_state.h"
#include "state/pass_state.h"
#include "state/service_cells.h"
#include "state/services.h"
#include "state/settings.h"
#include "state/window_state.h"

namespace yz {

struct ConversionContext {
  const Settings& settings;
  LexiconState& lex;
  ConversionState& conv;
  CompositionState& comp;
  PassState& pass;
  WindowState& win;
  RaceState& race;
  WebCells& web;
  Platform& platform;
  WebServices& webServices;
  ConversionLookups& lookups;
  FusedWordLearning* learning = nullptr;  // learns the fused words of the segment choice
};

}  // namespace yz
