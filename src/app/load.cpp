#include "app/load.h"

#include <charconv>

#include "app/app.h"
#include "app/settings_file.h"
#include "lexicon/syllables.h"

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
  qptouptoup(app_.files, p);

  if (FindProcess(kProgramImageName) &&
      p.messageBox(u"砚舟Vexim程序已经启动，你要另外再启动一个Vexim吗？", u"砚舟Vexim输入法",
                   MessageBoxKind::OkCancel) == MessageBoxAnswer::Cancel) {
    stop();
    return;
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
  app_.comp.a0 = u";";
  app_.comp.doubleQuoteToggle = 1;
  app_.comp.singleQuoteToggle = 1;
  app_.win.rhkl = false;

  // The status bar's labels: this platform, Chinese punctuation, Chinese input. The status bar
  // window itself (placed at the screen's lower right, shown topmost) joins with its own code.
  app_.win.platformLabel = u"\r\n砚舟";
  app_.win.punctuationLabel = u"\r\n。，";
  app_.win.languageLabel = u"\r\n中";

  app_.input.context.setTimer1(true);

  // The code-key set the hook obeys, published last.
  PassState& pass = app_.pass;
  const Settings& s = app_.settings;
  publishCodeChars(pass, s.mayrji, s.fumayrji);
}

void Lifecycle::readSettingsSource() {
  const ProgramFolder& files = app_.files;
  Platform& p = app_.platform;
  auto readInto = [&](std::u16string_view path) {
    if (auto bytes = files.readBytes(path)) inuvjl(p.fromGbk(*bytes), app_.settings, app_.comp);
  };
  const auto size = files.size(kSettingsFile);
  if (size && *size >= kMinSettingsBytes) {
    readInto(kSettingsFile);
    jmuv(kSkinFile);
  } else if (files.exists(kUserSettingsFile)) {
    const auto userSize = files.size(kUserSettingsFile);
    if (!userSize || *userSize < kMinSettingsBytes) {
      p.messageBox(u"你的设置文件不正常，将恢复为默认设置", u"", MessageBoxKind::Ok);
    }
    readInto(kUserSettingsFile);
    jmuv(kUserSkinFile);
  }
}

void Lifecycle::jmuv(std::u16string_view skinPath) {
  if (auto bytes = app_.files.readBytes(skinPath)) {
    readSkinRecord(app_.platform.fromGbk(*bytes), app_.settings);
  }
  app_.windowUi.window.applyLook();
}

void Lifecycle::loadLayoutTables() { app_.lexiconCommands.loadMarkedLayout(); }

void Lifecycle::showSettings() {
  dialog.show();
  readSettingsSource();
  dialog.realise();
}

void Lifecycle::alphabetBoxClicked() {
  if (app_.comp.hookActive == 1) app_.input.hook.removeKeyboardHook();
}

}  // namespace yz
