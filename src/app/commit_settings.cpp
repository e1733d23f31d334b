// The settings commits: csqid (before a reload), 保存、退出设置 and the dialog's close box. Each
// writes one folder's settings and skin files and copies that pair into the other folder, but
// only once both were written: a failed write leaves the other folder's good copy alone.

#include "app/app.h"
#include "app/load.h"
#include "app/settings_file.h"

namespace yz {

Settings Lifecycle::recordView() const {
  Settings record = app_.settings;
  // A save inside an input pass that runs offline writes the choice the pass will put back.
  if (const auto& choice = app_.pass.offlineChoice) {
    record.lidyx = choice->lidyx;
    record.vqdyx = choice->vqdyx;
    record.gjxm = choice->gjxm;
  }
  // Offline the fluency-first algorithm is in effect, not chosen: the file keeps the choice.
  if (offlineOverride_ && record.lidyx && record.uhxj == 0) {
    if (!offlineOverride_->lidyx) selectOption(record, record.vqdyx);
    record.uhxj = offlineOverride_->uhxj;
  }
  return record;
}

void Lifecycle::reportWriteFailure(std::u16string_view path) {
  std::u16string message = u"设置没能保存到“";
  message += path;
  message += u"”";
  if (settingsWriteError_) {
    message += u"：";
    message += writeFailureReason(settingsWriteError_);
  }
  message += u"。原来的文件没有改动，请检查这个文件夹能否写入。";
  app_.platform.messageBox(message, u"砚舟Vexim输入法", MessageBoxKind::Ok);
}

std::u16string_view Lifecycle::writeProgramRecords() {
  const ProgramFolder& files = app_.files;
  settingsWriteError_.clear();
  if (!uvjl(files, app_.platform, recordView(), &settingsWriteError_)) return kSettingsFile;
  bool copied = files.copy(kSettingsFile, kUserSettingsFile);
  copied = files.copy(kSkinFile, kUserSkinFile) && copied;
  return copied ? std::u16string_view{} : kUserSettingsFile;
}

void Lifecycle::csqid() {
  // The status bar takes no clicks from here to the reload that follows, once it exists.
  app_.input.context.setTimer1(false);
  if (auto failed = writeProgramRecords(); !failed.empty()) reportWriteFailure(failed);
  if (app_.race.gpsd == 0) saveUserLexicon();
  app_.files.remove(kRaceScratchPath);
  app_.windowUi.statusBar.hide();  // the load sequence that follows shows it again
}

void Lifecycle::bcuv_Click() {
  const ProgramFolder& files = app_.files;
  settingsWriteError_.clear();
  if (uvjly(files, app_.platform, recordView(), &settingsWriteError_)) {
    bool copied = files.copy(kUserSettingsFile, kSettingsFile);
    copied = files.copy(kUserSkinFile, kSkinFile) && copied;
    if (!copied) reportWriteFailure(kSettingsFile);
  } else {
    reportWriteFailure(kUserSettingsFile);
  }
  dialog.hide();
  if (app_.comp.hookActive != 1) {
    app_.input.hook.installKeyboardHook();
    app_.input.context.setTimer1(true);
    if (app_.pass.timer2 >= 0) app_.platform.setTimer(app_.pass.timer2, kTimer2IntervalMs, true);
  } else if (app_.comp.platformMode == -1) {
    app_.input.hook.installKeyboardHook();  // the same state changes; no second hook
  }
  if (app_.win.returnProcessId != 0) {
    try {
      app_.platform.activateProcess(app_.win.returnProcessId);
    } catch (const PlatformError&) {
      // The program the user came from has gone: typing goes on wherever the focus is.
    }
  }
  dialog.endPreview();
  app_.win.boxes.rtext1 = {};
}

void Lifecycle::Form_QueryUnload(int unloadMode) {
  if (unloadMode == 1) return;
  if (app_.race.raceMode != 1) {
    if (auto failed = writeProgramRecords(); !failed.empty()) reportWriteFailure(failed);
  }
  dialog.hide();
  dialog.endPreview();
  app_.win.form1.visible = true;
  app_.win.externalTarget = -1;
  // A click into an alphabet box took the hook away: closing gives it back, as saving does.
  if (app_.comp.hookActive != 1) {
    app_.input.hook.installKeyboardHook();
    if (app_.pass.timer2 >= 0) app_.platform.setTimer(app_.pass.timer2, kTimer2IntervalMs, true);
  }
  app_.input.context.setTimer1(true);
  app_.input.composition.tejm(kTejmClear);
}

}  // namespace yz
