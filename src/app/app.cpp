#include "app/app.h"

namespace yz {

App::App(Platform& platform, std::filesystem::path programFolder)
    : platform(platform),
      files(std::move(programFolder)),
      gbk(platform),
      windowUi(platform, settings, win, comp, conv, pass),
      windowServices(&windowUi),
      lifecycle(&notBuilt_),
      inputPass(&notBuilt_),
      webServices(&notBuilt_),
      learning(&notBuilt_),
      input(InputContext{platform, gbk, settings, mirror, comp, conv, pass, win, lex, race, web,
                         hookState, windowServices, lifecycle, enc, learning}),
      loader(*this),
      codeLookup(lex, settings, comp, conv, pass, win, race, gbk, platform, input.userLookup),
      conversionLookups(codeLookup, input.userLookup),
      conversion(ConversionContext{settings, lex, conv, comp, pass, win, race, web, platform,
                                   *webServices, conversionLookups}),
      passRunner(PassContext{platform, settings, mirror, comp, conv, pass, win, lex, web,
                             webServices, input, conversion.sentence, codeLookup, windowUi}) {
  lifecycle = &loader;
  inputPass = &passRunner;
  windowUi.calls.qqdz = [this](const std::u16string& text) {
    std::u16string str4 = text;
    input.committer.qqdz(str4);
  };
  windowUi.calls.escjm = [this] { input.composition.escjm(); };
  windowUi.calls.delay = [this](int ms) { input.committer.delay(ms); };
}

App::~App() = default;

void App::start() {
  pass.timer1 = platform.createTimer([this] { inputPass->Timer1_Timer(); });
  platform.setTimer(pass.timer1, kInputTimerIntervalMs, false);
  pass.timer2 = platform.createTimer([] {});  // the candidate window's second timer does nothing
  lifecycle->Form_Load();  // installs the keyboard hook in its place in the sequence
}

}  // namespace yz
