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
      webServices(&notBuilt_) {}

App::~App() = default;

void App::start() {
  pass.timer1 = platform.createTimer([this] { inputPass->Timer1_Timer(); });
  platform.setTimer(pass.timer1, kInputTimerIntervalMs, false);
  pass.timer2 = platform.createTimer([] {});  // the candidate window's second timer does nothing
}

}  // namespace yz
