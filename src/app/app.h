#pragma once
// The application object: owns the settings, the lexicons and every state record, receives the
// platform, and wires the subsystems together. Each test builds a fresh one on a sim platform.

#include <filesystem>
#include <memory>

#include "analyzer/word_maker.h"
#include "analyzer/word_maker_engine.h"
#include "app/lexicon_commands.h"
#include "app/load.h"
#include "app/look_editor.h"
#include "lexicon/files.h"
#include "input/input.h"
#include "conversion/learning.h"
#include "inputpass/input_pass.h"
#include "lexicon/gbk.h"
#include "platform/platform.h"
#include "state/composition_state.h"
#include "state/conversion_state.h"
#include "state/encoder_cells.h"
#include "state/hook_state.h"
#include "state/learning_state.h"
#include "state/lexicon_state.h"
#include "state/pass_state.h"
#include "state/service_cells.h"
#include "state/services.h"
#include "state/settings.h"
#include "state/window_state.h"
#include "ui/window_ui.h"
#include "web/web_queries.h"

namespace yz {

inline constexpr int kInputTimerIntervalMs = 50;

class App {
 public:
  // `programFolder` is the folder of the program's files (the working directory on Windows).
  App(Platform& platform, std::filesystem::path programFolder);
  ~App();
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  // Starts the program: creates the timers and runs the load sequence. Pumps messages.
  void start();

  // One message-pump pass of the GUI thread. Pumps messages.
  void doEvents() { platform.doEvents(); }

  // The article word maker over the word-maker window's boxes (its button 造词): file mode on the
  // race text when `view.text1` is empty, else box mode on that text. `shown` runs before every
  // message pump of the run, so the window shows the progress. False when a file could not be
  // read or written. Pumps messages.
  bool makeWords(WordMakerView& view, const std::function<void()>& shown);

  Platform& platform;
  ProgramFolder files;
  GbkTable gbk;

  Settings settings;
  SettingsMirror mirror;
  LexiconState lex;
  ConversionState conv;
  CompositionState comp;
  PassState pass;
  WindowState win;
  WebCells web;
  RaceState race;
  EncoderCells enc;
  LearningState learningState;  // the runtime's random generator, the write-failure report
  WindowUi windowUi;  // the candidate window and caret following

  // Subsystems that the engine calls upward; replaced as each is built.
  WindowServices* windowServices;
  LifecycleServices* lifecycle;
  InputPassServices* inputPass;
  WebServices* webServices;
  LearningServices* learning;

  HookState hookState;
  // The keyboard hook, the composition resets, the commit and the command codes.
  Input input;
  // The load sequence, the settings commits, the settings dialog and the exit sequence.
  Lifecycle loader;
  // The scheme switches, the lexicon tools and the imports of the settings dialog.
  LexiconCommands lexiconCommands;
  // The lookups and the sentence conversion the input pass drives, and the pass itself.
  CodeLookup codeLookup;
  LexiconLookups conversionLookups;
  ConversionEngine conversion;
  InputPass passRunner;
  // Cloud candidates and web hit counts.
  WebQueries webQueries;
  // The look page's colour and font buttons and the skin library.
  LookEditor lookEditor;
  // Word learning after a chosen commit, and of the segmentation's fused words.
  WordLearning wordLearning;
  // The article word maker's encoder, conversions, comparison and word making.
  RoutineWordMakerEngine wordMakerEngine;

 private:
  // Rewrites the user lexicon file after learning; false when it could not be written.
  bool saveLearnedWords();
  // The word maker's conversion of a code (`fjyi` from row 1, the word state cleared first).
  std::u16string convertForWordMaker(std::u16string_view code);

  NotBuiltServices notBuilt_{platform, web};
};

}  // namespace yz
