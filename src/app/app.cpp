#include "app/app.h"

#include "lexicon/annotate.h"
#include "lexicon/user_store.h"

namespace yz {

App::App(Platform& platform, std::filesystem::path programFolder)
    : platform(platform),
      files(std::move(programFolder)),
      gbk(platform),
      windowUi(platform, settings, win, comp, conv, pass),
      windowServices(&windowUi),
      lifecycle(&notBuilt_),
      inputPass(&notBuilt_),
      webServices(&webQueries),
      learning(&notBuilt_),
      input(InputContext{platform, gbk, settings, mirror, comp, conv, pass, win, lex, race, web,
                         hookState, windowServices, lifecycle, enc, learning}),
      loader(*this),
      lexiconCommands(*this),
      codeLookup(lex, settings, comp, conv, pass, win, race, gbk, platform, input.userLookup),
      conversionLookups(codeLookup, input.userLookup),
      conversion(ConversionContext{settings, lex, conv, comp, pass, win, race, web, platform,
                                   *webServices, conversionLookups, &wordLearning}),
      passRunner(PassContext{platform, settings, mirror, comp, conv, pass, win, lex, web,
                             webServices, input, conversion.sentence, codeLookup, windowUi}),
      webQueries(WebContext{platform, files, gbk, web, pass, conv,
                            EncoderContext{lex, gbk, settings, win.boxes, pass, race, enc}}),
      lookEditor(*this),
      wordLearning(ConversionContext{settings, lex, conv, comp, pass, win, race, web, platform,
                                     *webServices, conversionLookups},
                   conversion.sentence, gbk, learningState,
                   LearningCalls{[this](std::u16string_view text, std::u16string& bm, std::u16string& qp) {
                                   input.context.citcbmma(text, bm, qp);
                                 },
                                 [this](bool enabled) { input.context.setTimer1(enabled); },
                                 [this] { return saveLearnedWords(); }}),
      wordMakerEngine(race, comp.grabPending,
                      WordMakerCalls{[this](std::u16string_view text) {
                                       std::u16string code, pinyin;
                                       const EncoderContext encoder{lex,  gbk,  settings, win.boxes,
                                                                    pass, race, enc};
                                       citcvuyn(encoder, text, code, pinyin);
                                       return code;
                                     },
                                     [this](std::u16string_view text) {
                                       std::u16string code, pinyin;
                                       input.context.citcbmma(text, code, pinyin);
                                       return code;
                                     },
                                     [this](std::u16string_view code) {
                                       return convertForWordMaker(code);
                                     },
                                     [this](std::u16string& b00, std::vector<std::u16string>& made) {
                                       wordLearning.iyzczc(b00, made);
                                     }}) {
  lifecycle = &loader;
  loader.dialog.setLexiconCommands(&lexiconCommands);
  inputPass = &passRunner;
  learning = &wordLearning;
  windowUi.calls.qqdz = [this](const std::u16string& text) {
    std::u16string str4 = text;
    input.committer.qqdz(str4);
  };
  windowUi.calls.escjm = [this] { input.composition.escjm(); };
  windowUi.calls.delay = [this](int ms) { input.committer.delay(ms); };
  windowUi.calls.codeLineEdited = [this] { input.context.setTimer1(true); };
  windowUi.calls.showSettings = [this] { loader.showSettings(); };
  windowUi.caret.isProgramWindow = [this](WindowId w) { return w != 0 && w == loader.dialog.id(); };
  loader.dialog.setLookCommands(&lookEditor);
  StatusBarCalls& bar = windowUi.statusBar.calls;
  bar.installKeyboardHook = [this] { input.hook.installKeyboardHook(); };
  bar.removeKeyboardHook = [this] { input.hook.removeKeyboardHook(); };
  bar.setTimer1 = [this](bool on) { input.context.setTimer1(on); };
  bar.setTimer2 = [this](bool on) {
    if (pass.timer2 >= 0) this->platform.setTimer(pass.timer2, kTimer2IntervalMs, on);
  };
  bar.resetTypingCounters = [this] {
    hookState.typingTimeMs = 0;
    hookState.keyDownCount = 0;
    hookState.typedCharCount = 0;
  };
  bar.showSettings = [this] { loader.showSettings(); };
  bar.ended = [this] { lifecycle->ended(); };
}

App::~App() = default;

bool App::saveLearnedWords() {
  // A user file not yet loaded, or one the program may not write, is never written.
  if (!loader.userLexiconLoaded() || !loader.userLexiconFileOwned()) return true;
  return jlyhck(lex.userLexicon, files, platform, gbk, nullptr).ok;
}

std::u16string App::convertForWordMaker(std::u16string_view code) {
  // The word maker reads the words from row 1 on; nothing of an earlier sentence stays.
  conv.j0 = 1;
  conv.qmhbir = 0;
  conv.wordIndex = 0;
  conv.hzixb.clear();
  pass.hjzi0.clear();
  conv.eraseWordTable();
  std::u16string bmstr(code);
  std::u16string sentence;
  std::u16string endzf;
  conversion.sentence.fjyi(bmstr, sentence, endzf);
  return sentence;
}

bool App::makeWords(WordMakerView& view, const std::function<void()>& shown) {
  wordLengthWindow(settings.wordLengthRange, conv.wordMinLen, conv.wordMaxLen);
  WordMakerContext ctx{
      race,
      conv,
      comp.pendingCommand,
      view,
      wordMakerEngine,
      wordLearning,
      files,
      platform,
      [this](char16_t ch) {
        return !lex.charFullCodes[static_cast<std::size_t>(gbk.charIndex(ch))].empty();
      },
      [this, &shown] {
        if (shown) shown();
        platform.doEvents();
      },
      [this](bool on) { input.context.setTimer1(on); }};
  return makeWordsFromArticle(ctx);
}

void App::start() {
  pass.timer1 = platform.createTimer([this] { inputPass->Timer1_Timer(); });
  platform.setTimer(pass.timer1, kInputTimerIntervalMs, false);
  pass.timer2 = platform.createTimer([] {});  // the candidate window's second timer does nothing
  lifecycle->Form_Load();  // installs the keyboard hook in its place in the sequence
}

}  // namespace yz
