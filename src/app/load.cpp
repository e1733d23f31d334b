#include "app/load.h"

#include <algorithm>
#include <charconv>

#include "app/app.h"
#include "app/settings_file.h"
#include "lexbuild/file_snapshot.h"
#include "lexicon/syllables.h"
#include "lexicon/text_encoding.h"

namespace yz {

std::u16string badLexiconLinesMessage(const std::vector<std::int32_t>& lines) {
  constexpr std::size_t kListed = 10;
  std::u16string numbers;
  for (std::size_t i = 0; i < lines.size() && i < kListed; ++i) {
    if (i > 0) numbers += u"、";
    const std::string n = std::to_string(lines[i]);
    numbers.append(n.begin(), n.end());
  }
  if (lines.size() > kListed) {
    const std::string total = std::to_string(lines.size());
    numbers += u" 等共 ";
    numbers.append(total.begin(), total.end());
  }
  return u"词库中第 " + numbers + u" 行有误？请检查！";
}

std::u16string oversizedFileMessage(std::u16string_view path, std::uintmax_t bytes) {
  const std::string mb = std::to_string(bytes >> 20);
  return std::u16string(path) + u" 有 " + std::u16string(mb.begin(), mb.end()) +
         u" MB，远远超出正常大小，没有读入。";
}

void deriveInputKind(Settings& s) {
  if (s.vxbf.marked() || s.zrhx.marked() || s.gbup.marked() || s.xhhx.marked() ||
      s.zdypf.marked() || s.ynma.marked()) {
    selectOption(s, s.ymur);
  }
  if (s.wbbl.marked() || s.wbjb.marked() || s.zm.marked() || s.zdyxm.marked() || s.xyma.marked()) {
    selectOption(s, s.xmur);
  }
  if (s.zdyyxm.marked() || s.ubfm.marked() || s.ynxyma.marked()) selectOption(s, s.yxmur);
}

void deriveOptions(Settings& s) {
  if (s.lidyx || !s.ymur || s.uphx) s.uhxj = 0;
  if (s.lidyx) {
    s.vqdyx = false;
  } else {
    selectOption(s, s.vqdyx);
  }
  if (s.xmur) s.gjxm = s.vqdyx ? 1 : 0;
  s.idqi = 0;
}

Lifecycle::Lifecycle(App& app)
    : dialog(app.platform, app.settings, app.comp, app.win), app_(app) {
  dialog.setCommands(this);
}

void Lifecycle::pump() { app_.platform.doEvents(); }

void Lifecycle::stop() {
  stopped_ = true;
  if (app_.comp.hookActive == 1) app_.input.hook.removeKeyboardHook();
  app_.input.context.setTimer1(false);
  app_.platform.quit();
}

bool Lifecycle::FindProcess(std::u16string_view processName) const {
  try {
    return app_.platform.processCount(processName) >= 2;
  } catch (const PlatformError&) {
    return false;  // no process list: no second copy found
  }
}

void Lifecycle::Form_Load() {
  if (stopped_) return;
  Platform& p = app_.platform;
  Settings& s = app_.settings;

  // The pair files come first, so what the later steps read is fresh.
  if (!app_.files.exists(kSyllableMasterPath)) {
    p.messageBox(u"找不到内置文件\\全拼-小鹤-自然-国标.txt,你是否仅安装了主程序而没有配套的词库文件？请检查！",
                 u"", MessageBoxKind::Ok);
    stop();
    return;
  }
  if (const auto size = app_.files.size(kSyllableMasterPath); size && *size > kSmallTableLimit) {
    p.messageBox(oversizedFileMessage(kSyllableMasterPath, *size) + u"程序无法启动。", u"",
                 MessageBoxKind::Ok);
    stop();
    return;
  }
  qptouptoup(app_.files, p);

  const bool secondCopy = FindProcess(kProgramImageName);
  if (secondCopy &&
      p.messageBox(u"砚舟Vexim程序已经启动，你要另外再启动一个Vexim吗？", u"砚舟Vexim输入法",
                   MessageBoxKind::OkCancel) == MessageBoxAnswer::Cancel) {
    stop();
    return;
  }
  // What a write cut off by a kill left behind; a second copy may be writing its own just now.
  if (!secondCopy) {
    app_.files.removeStaleTemporaries();
    // A scheme switch killed half way: everything back to the scheme before it.
    const FileSnapshot::Recovery undone = FileSnapshot::recover(app_.files, kSchemeSwitchJournal, schemeSwitchFiles());
    if (undone == FileSnapshot::Recovery::Restored) {
      p.messageBox(u"上次切换方案没有完成，已恢复切换前的方案、设置和词库。", u"砚舟Vexim输入法", MessageBoxKind::Ok);
    } else if (undone == FileSnapshot::Recovery::Failed) {
      p.messageBox(u"上次切换方案没有完成，切换前的文件没能全部恢复（" + std::u16string(kSchemeSwitchJournal) +
                       u"）。请检查程序文件夹能否写入后重新启动。",
                   u"砚舟Vexim输入法", MessageBoxKind::Ok);
    }
  }

  // No input pass runs on half-loaded tables: the timer stays off until the end.
  app_.input.context.setTimer1(false);
  if (app_.comp.hookActive != 1) app_.input.hook.installKeyboardHook();

  app_.race.raceKeyDelay = 50;
  app_.race.raceCommitDelay = 200;
  app_.comp.platformMode = 1;
  app_.comp.chinesePunctuation = -1;
  app_.pass.skipUnchangedFlag = 0;
  app_.comp.capsLockState = -1;
  app_.win.externalTarget = -1;

  dialog.load();
  zdyup2zrup(app_.files, p);
  if (app_.files.exists(kSkinFile)) app_.files.copy(kSkinFile, kDefaultSkinSlot);
  readSettingsSource();
  loadLayoutTables();

  app_.mirror.pageSize = 5;
  {
    int n = 0;
    const std::string digits(s.hxgu.begin(), s.hxgu.end());
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    if (ec == std::errc() && end == digits.data() + digits.size() && n >= -32768 && n <= 32767) {
      app_.mirror.pageSize = static_cast<std::int16_t>(n);
    }
  }
  app_.mirror.fullPinyinMode = static_cast<std::int16_t>(s.qrpn.borderStyle);
  app_.mirror.verticalListSetting = s.uphx ? -1 : 0;

  deriveInputKind(s);

  app_.lex.mainLexicon.reset();
  app_.lex.userLexicon.reset();
  app_.lex.charLexicon.reset();
  userLexiconInMemory_ = false;

  // Offline, fluency first is the algorithm in effect; a save still writes the user's choice.
  offlineOverride_.reset();
  if (!p.isConnected() && !s.lidyx) {
    Settings online = s;
    deriveOptions(online);
    offlineOverride_ = StoredAlgorithm{online.lidyx, online.uhxj};
    selectOption(s, s.lidyx);
  }
  deriveOptions(s);

  app_.conv.cutTableLast = -1;
  const Rect screen = p.screenRect();
  const int twips = p.twipsPerPixel();
  app_.windowUi.window.form.left = screen.width() * twips / 2;
  app_.windowUi.window.form.top = screen.height() * twips / 2;
  app_.win.boxes.rtext2.text.clear();
  showStartWindow();

  if (!loadTables()) {
    stop();
    return;
  }
  loadUserLexicon();
  finishLoad();
}

void Lifecycle::finishLoad() {
  CandidateBoxes& boxes = app_.win.boxes;
  boxes.Text1 = {};
  boxes.rtext1 = {};
  app_.comp.modifyMode = 0;
  // The pause since the last key counts from the end of the load.
  app_.pass.lastNewKeyTime = static_cast<double>(static_cast<std::int32_t>(app_.platform.clockMs()));
  trimmedAfterKey_ = app_.pass.lastNewKeyTime;
  app_.comp.a0 = u";";
  app_.comp.doubleQuoteToggle = 1;
  app_.comp.singleQuoteToggle = 1;
  app_.win.rhkl = false;

  // The start window goes; the status bar comes at the screen's lower right with its start
  // captions: this platform, Chinese punctuation, Chinese input.
  hideStartWindow();
  app_.windowUi.statusBar.placeAtStart();
  // A click on the bar leaves the caret where it was: the bar is one of the platform's windows.
  std::vector<WindowId>& own = app_.windowUi.caret.ownWindows;
  const WindowId bar = app_.windowUi.statusBar.id();
  if (std::find(own.begin(), own.end(), bar) == own.end()) own.push_back(bar);

  app_.input.context.setTimer1(true);

  // The code-key set the hook obeys, published last.
  PassState& pass = app_.pass;
  const Settings& s = app_.settings;
  publishCodeChars(pass, s.mayrji, s.fumayrji);
}

void Lifecycle::readSettingsSource() {
  const ProgramFolder& files = app_.files;
  Platform& p = app_.platform;
  // Reads a settings file into the controls; false when it cannot be read or holds no settings
  // record at all, and then the settings stay as they are and the user is told (unless told
  // already that the file is not right).
  auto readInto = [&](std::u16string_view path, bool told = false) {
    const std::u16string name(path);
    if (auto bytes = readStartFile(path, kSmallTableLimit)) {
      if (inuvjl(decodeUserText(*bytes, p).text, app_.settings, app_.comp)) return true;
      if (!told) tellOnce(u"设置文件“" + name + u"”里没有一行设置，这次没有读入它。");
    } else if (files.size(path).value_or(0) <= kSmallTableLimit) {  // an oversized one was told
      tellOnce(u"设置文件“" + name + u"”读不出来，这次没有读入设置。");
    }
    return false;
  };
  const auto size = files.size(kSettingsFile);
  if (size && *size >= kMinSettingsBytes) {
    // A program-folder copy that holds no settings gives way to the user copy.
    if (readInto(kSettingsFile) || !files.exists(kUserSettingsFile)) {
      jmuv(kSkinFile);
      return;
    }
  }
  if (files.exists(kUserSettingsFile)) {
    const auto userSize = files.size(kUserSettingsFile);
    const bool shortFile = !userSize || *userSize < kMinSettingsBytes;
    if (shortFile) p.messageBox(u"你的设置文件不正常，将恢复为默认设置", u"", MessageBoxKind::Ok);
    // The lines it holds are read all the same; the settings it lacks keep their values.
    readInto(kUserSettingsFile, shortFile);
    jmuv(kUserSkinFile);
  }
}

void Lifecycle::jmuv(std::u16string_view skinPath) {
  if (auto bytes = readStartFile(skinPath, kSmallTableLimit)) {
    readSkinRecord(app_.platform.fromGbk(*bytes), app_.settings);
  }
  app_.windowUi.window.applyLook();
}

void Lifecycle::loadLayoutTables() { app_.lexiconCommands.loadMarkedLayout(); }

void Lifecycle::tellOnce(const std::u16string& text) {
  if (shownOnce_.insert(text).second) app_.platform.messageBox(text, u"", MessageBoxKind::Ok);
}

std::optional<std::string> Lifecycle::readStartFile(std::u16string_view path, std::uintmax_t limit) {
  ReadFailure why = ReadFailure::None;
  std::optional<std::string> bytes = app_.files.readBytes(path, limit, &why);
  if (why == ReadFailure::TooLarge) {
    tellOnce(oversizedFileMessage(path, app_.files.size(path).value_or(limit)));
  }
  return bytes;
}

void Lifecycle::showSettings() {
  const Rect screen = app_.platform.screenRect();
  const int twips = app_.platform.twipsPerPixel();
  const int left = screen.width() * twips / 4;
  const int top = screen.height() * twips / 7;
  dialog.place(Rect{left, top, left + SettingsDialog::kWidth, top + SettingsDialog::kHeight});
  dialog.show();
  readSettingsSource();
  dialog.realise();
}

void Lifecycle::showStartWindow() {
  CandidateWindow& window = app_.windowUi.window;
  CandidateBoxes& boxes = app_.win.boxes;
  boxes.rtext1.text = kStartingText;
  boxes.Text1 = {std::u16string(kStartingText), static_cast<std::int32_t>(kStartingText.size())};
  const Point size = window.extent(window.form.Text1.font, kStartingText);
  app_.win.form1.width = std::max(size.x + 255, window.form.Text1.width);
  app_.win.form1.height = std::max(size.y, window.form.Text1.height);
  window.showTopMost();
}

void Lifecycle::hideStartWindow() {
  app_.win.form1.visible = false;
  app_.win.form1.width = 0;
  app_.windowUi.window.realise();
}

void Lifecycle::alphabetBoxClicked() {
  if (app_.comp.hookActive == 1) app_.input.hook.removeKeyboardHook();
}

}  // namespace yz
