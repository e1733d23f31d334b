// The exit sequence. It asks nothing: what can be saved is saved, and the keyboard goes back to
// the system whatever a write did.

#include "app/app.h"
#include "app/load.h"

namespace yz {

void Lifecycle::ended() {
  if (stopped_) return;
  stopped_ = true;  // nothing of the program runs again, not even a second exit
  app_.input.context.setTimer1(false);

  auto giveBack = [this] {
    if (app_.comp.hookActive == 1 || app_.comp.hookHandle != 0) app_.input.hook.removeKeyboardHook();
    app_.input.context.setTimer1(false);
    if (app_.pass.timer2 >= 0) app_.platform.setTimer(app_.pass.timer2, kTimer2IntervalMs, false);
    dialog.unload();
    app_.windowUi.statusBar.hide();
    app_.win.form1.visible = false;
    app_.platform.quit();
  };
  try {
    writeProgramRecords();
    if (app_.race.gpsd == 0) saveUserLexicon();
    for (std::u16string_view scratch :
         {kRaceScratchPath, std::u16string_view(u"第三方两码词库.txt"),
          kKeyScratchPath, kSortedScratchPath}) {
      app_.files.remove(scratch);
    }
  } catch (...) {
    giveBack();
    throw;
  }
  giveBack();
}

}  // namespace yz
