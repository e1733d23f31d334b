#include "app/lexicon_commands.h"

#include <memory>

#include "app/app.h"
#include "app/load.h"
#include "app/settings_file.h"
#include "lexbuild/char_lexicon.h"
#include "lexbuild/file_snapshot.h"
#include "lexbuild/format_tools.h"
#include "lexbuild/image_writer.h"
#include "lexbuild/import.h"
#include "lexbuild/merge.h"
#include "lexbuild/scheme_regeneration.h"
#include "lexbuild/system_lexicon.h"
#include "lexicon/encoder.h"
#include "lexicon/image_loader.h"
#include "lexicon/syllables.h"
#include "lexicon/text_encoding.h"
#include "lexicon/text_file.h"

namespace yz {
namespace {

constexpr std::u16string_view kSchemeHelpBox = u"Text8";  // help text of the scheme page
constexpr std::u16string_view kToolsHelpBox = u"Text9";   // help text of the lexicon-tools page
constexpr std::u16string_view kImportTitle = u"砚舟Vexim 输入法        dev@yanzhou.local";

struct ImportLabel {
  std::u16string_view label;
  InputKind kind;
};
constexpr ImportLabel kImportLabels[] = {
    {u"ynma", InputKind::Sound}, {u"xyma", InputKind::Shape}, {u"ynxyma", InputKind::SoundShape}};

std::u16string missingSchemeFileText(std::u16string_view path, std::u16string_view scheme) {
  return u"找不到" + std::u16string(path) + u"，无法改用" + std::u16string(scheme) +
         u"。\r\n\r\n请把" + std::u16string(scheme) +
         u"的单字全码文件放到这个位置后再试：GBK文本，每行一个“编码,汉字”，编码在前。当前方案和词库都没有改动。";
}

}  // namespace

// ----- holding keys -----

LexiconCommands::KeyHold::KeyHold(LexiconCommands& owner) : owner_(owner) {
  Platform& p = owner_.app_.platform;
  owner_.heldKeys_.clear();
  if (!p.keyboardHookInstalled()) return;
  active_ = true;
  p.installKeyboardHook([&owner](const KeyEvent& e) {
    owner.heldKeys_.push_back(e);
    return HookAnswer::Withhold;
  });
}

LexiconCommands::KeyHold::~KeyHold() {
  if (!active_) return;
  App& app = owner_.app_;
  Platform& p = app.platform;
  const bool engineGoesOn = !toSystem_ && app.comp.hookActive == 1 && !app.loader.stopped();
  if (engineGoesOn) {
    // The engine's own hook comes back without touching the state the command left.
    const auto hookActive = app.comp.hookActive;
    const auto platformMode = app.comp.platformMode;
    const auto capsLockState = app.comp.capsLockState;
    const std::u16string label = app.win.platformLabel;
    const auto skip = app.pass.skipUnchangedFlag;
    app.comp.hookHandle = 0;
    app.input.hook.installKeyboardHook();
    app.comp.hookActive = hookActive;
    app.comp.platformMode = platformMode;
    app.comp.capsLockState = capsLockState;
    app.win.platformLabel = label;
    app.pass.skipUnchangedFlag = skip;
    owner_.replayKeys_.insert(owner_.replayKeys_.end(), owner_.heldKeys_.begin(), owner_.heldKeys_.end());
    owner_.replayHeldKeys();
  } else {
    // The program ends, or the keyboard went back to the system: the keys reach the target
    // program as typed.
    if (p.keyboardHookInstalled()) p.removeKeyboardHook();
    for (const KeyEvent& e : owner_.heldKeys_) p.sendKeyEvent(e.vkCode, e.scanCode, !e.down);
  }
  owner_.heldKeys_.clear();
}

void LexiconCommands::replayHeldKeys() {
  constexpr int kReplayIntervalMs = 60;
  Platform& p = app_.platform;
  if (replayKeys_.empty()) {
    if (replayTimer_ >= 0) p.setTimer(replayTimer_, kReplayIntervalMs, false);
    return;
  }
  if (replayTimer_ < 0) replayTimer_ = p.createTimer([this] { replayHeldKeys(); });
  // One keystroke: the events up to and including the next release. They go through the
  // engine's hook as the user typed them (a key the program sends is not typing to the hook);
  // what the hook lets pass is sent on to the target.
  while (!replayKeys_.empty()) {
    const KeyEvent e = replayKeys_.front();
    replayKeys_.pop_front();
    if (app_.input.hook.keyboardHookProc(e) != HookAnswer::Withhold) {
      p.sendKeyEvent(e.vkCode, e.scanCode, !e.down);
    }
    if (!e.down) break;
  }
  p.setTimer(replayTimer_, kReplayIntervalMs, !replayKeys_.empty());
}

// ----- helpers -----

LexiconCommands::LexiconCommands(App& app) : app_(app) {}

void LexiconCommands::pump() { app_.platform.doEvents(); }

float LexiconCommands::rnd() {
  rndSeed_ = (rndSeed_ * 0x43FD43FDu + 0xC39EC3u) & 0xFFFFFFu;
  return static_cast<float>(rndSeed_) / 16777216.0f;
}

void LexiconCommands::setTimers(bool enabled) {
  app_.input.context.setTimer1(enabled);
  if (!enabled && app_.pass.timer2 >= 0) app_.platform.setTimer(app_.pass.timer2, kTimer2IntervalMs, false);
}

MessageBoxAnswer LexiconCommands::ask(std::u16string_view question) {
  return app_.platform.messageBox(question, kQuestionTitle, MessageBoxKind::OkCancel);
}

void LexiconCommands::showProgress(std::u16string_view helpBox, std::u16string_view text) {
  app_.loader.dialog.setCaption(helpBox, text);
  pump();
}

void LexiconCommands::endAtOnce(KeyHold* hold) {
  if (app_.comp.hookActive == 1 || app_.comp.hookHandle != 0) app_.input.hook.removeKeyboardHook();
  app_.input.context.setTimer1(false);
  if (hold != nullptr) hold->releaseToSystem();
  app_.platform.quit();
}

bool LexiconCommands::lexiconClick(std::u16string_view control) {
  if (control == u"Command4") {
    ckhb();
  } else if (control == u"Command18") {
    Command18_Click();
  } else if (control == u"Command12") {
    Command12_Click();
  } else if (control == u"Command13") {
    Command13_Click();
  } else if (control == u"xhhx" || control == u"gbup" || control == u"zdypf" || control == u"zrhx") {
    switchLayout(control);  // layouts translate keys and regenerate nothing
    backToTarget();
  } else if (control == u"zrmfvm" || control == u"hxfvm" || control == u"diyfvm" ||
             control == u"wbhfvm" || control == u"jjfvm") {
    switchAuxTable(control);
    backToTarget();
  } else if (control == u"qrpn") {
    qrpn_Click();
  } else if (schemeMember(control) != nullptr) {
    switchScheme(control);
    backToTarget();
  } else {
    for (const ImportLabel& l : kImportLabels) {
      if (control == l.label) {
        importLexicon(control);
        return true;
      }
    }
    return false;
  }
  return true;
}

bool LexiconCommands::refusedByStart(const FileSnapshot& snapshot, std::u16string_view what,
                                     bool firstCharOnly) {
  const std::u16string refusal = fullCodesRefusal(app_.files, app_.platform, app_.gbk, firstCharOnly);
  if (refusal.empty()) return false;
  snapshot.restore();
  app_.platform.messageBox(std::u16string(what) + u"的单字全码无法使用：" + refusal + u"\r\n当前方案和词库都没有改动！",
                           kQuestionTitle, MessageBoxKind::Ok);
  return true;
}

// ----- scheme switching -----

std::vector<std::u16string_view> schemeSwitchFiles() {
  return {kSettingsFile,         kSkinFile,        kUserSettingsFile, kUserSkinFile,
          kActiveFullCodesPath,  kActiveSyllablePairPath, kMainLexiconPath,  kCharLexiconPath,
          kLexiconImagePath,     kDefaultLexiconCopyPath, kCharCodeTablePath, u"两码词库.txt",
          // the regeneration's scratch files, which a kill may leave behind
          kKeyScratchPath, kSortedScratchPath, kNewLexiconScratchPath};
}

// A switch that closed the dialog hands the keyboard back to the program the user came from, as
// closing the dialog does: the next sentence goes there.
void LexiconCommands::backToTarget() {
  if (app_.loader.dialog.visible() || app_.win.returnProcessId == 0) return;
  try {
    app_.platform.activateProcess(app_.win.returnProcessId);
  } catch (const PlatformError& e) {
    // The program has gone: typing goes on wherever the focus is.
    const std::string why = e.what();
    app_.platform.log(u"back to the target: " + std::u16string(why.begin(), why.end()));
  }
}

void LexiconCommands::switchScheme(std::u16string_view label) {
  const SchemeMember* member = schemeMember(label);
  if (member == nullptr || app_.loader.stopped()) return;
  if (member->readyMade) {
    restoreWubi86();
    return;
  }
  Settings& s = app_.settings;
  SettingsDialog& dialog = app_.loader.dialog;
  if (member->clearsFullPinyin) {
    if (SchemeLabel* own = schemeLabel(s, label); own != nullptr && own->marked()) s.qrpn.borderStyle = 0;
  }
  dialog.leaveTopmost();
  dialog.hide();
  if (ask(member->question) != MessageBoxAnswer::Ok) return;
  const std::u16string_view name = schemeName(s, label);
  for (std::u16string_view source : {member->syllableSource, member->fullCodeSource}) {
    if (!source.empty() && !app_.files.exists(source)) {
      app_.platform.messageBox(missingSchemeFileText(source, name), kQuestionTitle, MessageBoxKind::Ok);
      return;
    }
  }
  regenerateAndReload(*member);
}

void LexiconCommands::regenerateAndReload(const SchemeMember& m) {
  Settings& s = app_.settings;
  LexiconState& lex = app_.lex;
  const ProgramFolder& files = app_.files;
  Platform& p = app_.platform;
  SettingsDialog& dialog = app_.loader.dialog;

  app_.loader.releaseLexiconImage();
  // What a failure puts back: the files the switch replaces and the tables it refills.
  // Kept on the disk as well, so that a kill half way leaves settings and lexicon of one scheme.
  FileSnapshot snapshot(files, schemeSwitchFiles(), kSchemeSwitchJournal);
  const Settings before = s;
  auto fullCodes = std::make_unique<CharTable>(lex.charFullCodes);
  auto auxCodes = std::make_unique<CharTable>(lex.charAuxCodes);
  auto byPinyin = std::make_unique<SyllableTable>(lex.syllablesByPinyin);
  auto byCode = std::make_unique<SyllableTable>(lex.syllablesByCode);

  KeyHold hold(*this);
  setTimers(false);
  selectInputKind(s, m.kind);
  if (m.mainAlphabet) s.mayrji = std::u16string(*m.mainAlphabet);
  if (m.auxAlphabet) s.fumayrji = std::u16string(*m.auxAlphabet);
  bkbu(s);
  schemeLabel(s, m.label)->borderStyle = 1;
  if (uvjl(files, p, s)) {
    files.copy(kSettingsFile, kUserSettingsFile);
    files.copy(kSkinFile, kUserSkinFile);
  }
  dialog.show();
  if (m.showsWaitText) {
    lex.charFullCodes.clear();
    savedHelpText = dialog.caption(kSchemeHelpBox);
    showProgress(kSchemeHelpBox, m.waitText);
    dialog.setEnabled(false);
  }

  bool ok = true;
  if (!m.syllableSource.empty()) ok = files.copy(m.syllableSource, kActiveSyllablePairPath);
  ok = ok && files.copy(m.fullCodeSource, kActiveFullCodesPath);
  if (!ok) {
    p.messageBox(u"单字全码文件拷贝不进内置文件，当前方案和词库都没有改动！", kQuestionTitle, MessageBoxKind::Ok);
  }
  if (ok && m.readsFullCodes) {
    if (m.showsWaitText) showProgress(kSchemeHelpBox, std::u16string(m.waitText) + u"\r\n正在读取单字全码……");
    const auto bytes = files.readBytes(kActiveFullCodesPath);
    const FullCodeReadResult read =
        readSchemeFullCodes(bytes ? p.fromGbk(*bytes) : std::u16string(), m, app_.gbk, lex.charFullCodes,
                            lex.charAuxCodes);
    for (const std::u16string& message : read.suspicious) {
      dialog.hide();
      p.messageBox(message, u"", MessageBoxKind::Ok);
      dialog.show();
    }
  }
  if (ok) {
    if (m.showsWaitText) showProgress(kSchemeHelpBox, std::u16string(m.waitText) + u"\r\n正在生成系统词库……");
    const FirstLevelShortCodes shortCodes = firstLevelShortCodes(lex.privileged);
    RegenerationContext ctx{p, files, lex, app_.pass, s, shortCodes.yjjmcn, shortCodes.yjjmen,
                            [this] { pump(); }};
    const EncoderContext encoder{lex, app_.gbk, s, app_.win.boxes, app_.pass, app_.race, app_.enc};
    RegenerationResult r;
    if (s.xmur) {
      r = hzvh(ctx, encoder);
    } else if (s.ymur) {
      r = bmvh(ctx);
    } else {
      r = yxmvh(ctx, encoder);
    }
    ok = r.ok;
  }
  if (ok) {
    // A result the next start would refuse would leave the program unable to start.
    const std::u16string refusal = fullCodesRefusal(files, p, app_.gbk, s.zm.marked());
    if (!refusal.empty()) {
      ok = false;
      dialog.hide();
      p.messageBox(u"新方案的单字全码无法使用：" + refusal + u"\r\n当前方案和词库都没有改动！", kQuestionTitle,
                   MessageBoxKind::Ok);
      dialog.show();
    }
  }
  if (m.showsWaitText) dialog.setCaption(kSchemeHelpBox, savedHelpText);

  if (!ok) {
    // Everything back as it was: the files byte for byte, the settings and the tables.
    snapshot.restore();
    s = before;
    lex.charFullCodes = *fullCodes;
    lex.charAuxCodes = *auxCodes;
    lex.syllablesByPinyin = *byPinyin;
    lex.syllablesByCode = *byCode;
    dialog.setEnabled(true);
    dialog.realise();
    app_.input.context.setTimer1(true);
    return;
  }
  selectInputKind(s, m.kind);
  if (m.fluencyFirst) {
    selectOption(s, s.lidyx);
  } else {
    s.lidyx = false;
  }
  if (files.exists(kCharCodeTablePath)) files.remove(kCharCodeTablePath);
  app_.loader.csqid();
  // Files and settings are of the new scheme now; the reload must not undo them.
  snapshot.release();
  dialog.setEnabled(true);
  dialog.hide();
  app_.loader.Form_Load();
}

void LexiconCommands::restoreWubi86() {
  Settings& s = app_.settings;
  const ProgramFolder& files = app_.files;
  Platform& p = app_.platform;
  SettingsDialog& dialog = app_.loader.dialog;
  dialog.leaveTopmost();
  dialog.hide();
  struct Copy {
    std::u16string_view from, to;
  };
  const Copy copies[] = {{kWubi86FullCodesPath, kActiveFullCodesPath},
                         {kWubi86LexiconPath, kMainLexiconPath},
                         {kWubi86CharLexiconPath, kCharLexiconPath}};
  for (const Copy& c : copies) {
    if (!files.exists(c.from)) {
      p.messageBox(missingSchemeFileText(c.from, u"五笔86"), kQuestionTitle, MessageBoxKind::Ok);
      return;
    }
  }
  app_.loader.releaseLexiconImage();
  FileSnapshot snapshot(files, schemeSwitchFiles(), kSchemeSwitchJournal);
  KeyHold hold(*this);
  setTimers(false);
  bool ok = true;
  for (const Copy& c : copies) ok = ok && files.copy(c.from, c.to);
  if (ok && refusedByStart(snapshot, u"五笔86", false)) {
    app_.input.context.setTimer1(true);
    return;
  }
  // The start-up prefers the image: it must show the restored lexicon, or be gone.
  if (ok) {
    const ImageWriteResult image = refreshLexiconImage(files, p);
    ok = image.ok || !files.exists(kLexiconImagePath);
  }
  if (!ok) {
    snapshot.restore();
    p.messageBox(u"五笔86的词库文件拷贝不进内置文件，当前方案和词库都没有改动！", kQuestionTitle,
                 MessageBoxKind::Ok);
    app_.input.context.setTimer1(true);
    return;
  }
  selectOption(s, s.xmur);
  selectOption(s, s.lidyx);
  s.ymur = false;
  bkbusp(s);
  bkbufvm(s);
  s.wbbl.borderStyle = 1;
  if (files.exists(kCharCodeTablePath)) files.remove(kCharCodeTablePath);
  app_.loader.csqid();
  // Files and settings are of the new scheme now; the reload must not undo them.
  snapshot.release();
  dialog.hide();
  app_.loader.Form_Load();
}

// ----- merge, image and format tools -----

void LexiconCommands::ckhb() {
  if (app_.loader.stopped()) return;
  Platform& p = app_.platform;
  SettingsDialog& dialog = app_.loader.dialog;
  p.messageBox(u"用户词库中的词条将被合并到主词库，合并耗时约1分钟左右，请耐心等候！", u"", MessageBoxKind::Ok);
  KeyHold hold(*this);
  setTimers(false);
  const std::u16string help = dialog.caption(kToolsHelpBox);
  dialog.setEnabled(false);
  showProgress(kToolsHelpBox, u"词库合并中，请耐心等候，期间不要乱点乱按哈！");
  app_.loader.releaseLexiconImage();
  const LexiconMergeResult r = mergeUserLexicon(app_.files, p, app_.lex, app_.settings.yhcvh != 0,
                                                [this] { return rnd(); }, [this] { pump(); }, kLexiconFileLimit);
  dialog.setCaption(kToolsHelpBox, help);
  dialog.setEnabled(true);
  p.messageBox(r.reportText, u"", MessageBoxKind::Ok);
  if (!r.ok) {
    app_.input.context.setTimer1(true);  // nothing was changed: typing goes on
    return;
  }
  endAtOnce(&hold);
}

void LexiconCommands::Command18_Click() {
  if (app_.loader.stopped()) return;
  KeyHold hold(*this);
  setTimers(false);
  app_.loader.releaseLexiconImage();
  iuuihw(app_.files, app_.platform);
  endAtOnce(&hold);
}

void LexiconCommands::Command12_Click() {
  Platform& p = app_.platform;
  SettingsDialog& dialog = app_.loader.dialog;
  dialog.hide();
  if (ask(u"你要将当前目录中“单行词库.txt”文件改成多行格式吗？") != MessageBoxAnswer::Ok) return;
  const auto bytes = app_.files.readBytes(kSingleLineLexiconPath);
  if (!bytes) {
    p.messageBox(u"找不到内置文件\\单行词库.txt，没有可转换的文件！", u"", MessageBoxKind::Ok);
    dialog.show();
    return;
  }
  if (!writeGbkLines(app_.files, p, kMultiLineLexiconPath, singleToMultiLine(p.fromGbk(*bytes)))) {
    p.messageBox(u"内置文件\\多行词库.txt 写不进去，原文件没有改动！", u"", MessageBoxKind::Ok);
    dialog.show();
    return;
  }
  p.messageBox(u"已经将当前目录中“单行词库.txt”文件，改成多行格式文件“多行词库.txt”，请到当前目录中收货吧！", u"",
               MessageBoxKind::Ok);
  dialog.show();
  endAtOnce(nullptr);
}

void LexiconCommands::Command13_Click() {
  Platform& p = app_.platform;
  SettingsDialog& dialog = app_.loader.dialog;
  dialog.hide();
  if (ask(u"你要将内置文件中“多行词库.txt”文件改成单行格式吗？") != MessageBoxAnswer::Ok) return;
  const auto bytes = app_.files.readBytes(kMultiLineLexiconPath);
  const auto lines = bytes ? multiToSingleLine(p.fromGbk(*bytes)) : std::nullopt;
  if (!lines) {
    p.messageBox(u"内置文件\\多行词库.txt 不存在或没有一个“编码,词”行，没有可转换的内容！", u"", MessageBoxKind::Ok);
    dialog.show();
    return;
  }
  if (!writeGbkLines(app_.files, p, kSingleLineLexiconPath, *lines)) {
    p.messageBox(u"内置文件\\单行词库.txt 写不进去，原文件没有改动！", u"", MessageBoxKind::Ok);
    dialog.show();
    return;
  }
  p.messageBox(u"已经将内置文件中“多行词库.txt”文件，改成单行格式文件“单行词库.txt”，请到内置文件目录中收货吧！",
               u"", MessageBoxKind::Ok);
  endAtOnce(nullptr);
}

void LexiconCommands::yhckfvm() {
  Platform& p = app_.platform;
  const std::uint32_t start = p.clockMs() / 1000;
  const auto bytes = app_.files.readBytes(kPlainUserWordsPath);
  const EncoderContext encoder{app_.lex, app_.gbk, app_.settings, app_.win.boxes, app_.pass, app_.race, app_.enc};
  const UserWordCodes codes = userWordCodes(bytes ? p.fromGbk(*bytes) : std::u16string(), encoder);
  std::u16string report;
  if (!writeGbkLines(app_.files, p, kUserWordCodesPath, codes.lines)) {
    report = u"用户词库+辅助码.txt 写不进去！";
  } else {
    auto decimal = [](std::int64_t n) {
      std::u16string t;
      for (char c : std::to_string(n)) t.push_back(static_cast<char16_t>(c));
      return t;
    };
    report = u"已将用户词库中2到3字词注音并加上辅助码，生成“用户词库+辅助码”文件,计" + decimal(codes.count) +
             u"词条，处理共耗时" + decimal(p.clockMs() / 1000 - start) + u"秒！";
  }
  p.messageBox(report, u"", MessageBoxKind::Ok);
  endAtOnce(nullptr);
}

// ----- import -----

void LexiconCommands::importLexicon(std::u16string_view label) {
  for (const ImportLabel& l : kImportLabels) {
    if (l.label == label) {
      runImport(l.label, l.kind, false);
      return;
    }
  }
}

void LexiconCommands::importThirdPartyLexicon() { runImport(u"", InputKind::Sound, true); }

bool LexiconCommands::runImport(std::u16string_view label, InputKind kind, bool asked) {
  if (app_.loader.stopped()) return false;
  Platform& p = app_.platform;
  Settings& s = app_.settings;
  const ProgramFolder& files = app_.files;
  SettingsDialog& dialog = app_.loader.dialog;
  if (!asked) dialog.hide();
  p.messageBox(
      u"      将你习惯的第三方输入法词库转换成Vexim格式的系统词库，转换结果将替换原来“内置文件”夹中的“两码词库.txt、单字字库.txt、单字全码.txt”三个文件，确认前请备份好这三个文件以备不测。词库生成速度大约为每分钟处理15万词条，请耐心等候！\r\n"
      u"      词库生成前，应首先检查是否已经在“第三方词库”文件目录中准备好生成词库所需的“第三方词库.txt”原始文件。）",
      kImportTitle, MessageBoxKind::Ok);
  const Settings before = s;
  if (asked) {
    const auto answer =
        p.inputBox(u"你的第三方词库属于：1-音码 2-形码 3-音形码？请键入相应的数字！", kImportTitle, u"");
    const std::u16string a = answer.value_or(u"");
    for (std::size_t i = 0; i < std::size(kImportLabels); ++i) {
      if (a == std::u16string(1, static_cast<char16_t>(u'1' + i))) {
        label = kImportLabels[i].label;
        kind = kImportLabels[i].kind;
      }
    }
  }
  const auto source = files.readBytes(kThirdPartySourcePath);
  if (!source) {
    p.messageBox(u"找不到第三方词库\\第三方词库.txt，没有可导入的词库。\r\n请把要导入的词库放到这个位置后再试，内置文件中的词库没有改动。",
                 kImportTitle, MessageBoxKind::Ok);
    if (!asked) dialog.show();
    return false;
  }
  // Read in its own encoding: a file that is none the import knows would make a lexicon of junk.
  const DecodedText decoded = decodeUserText(*source, p);
  if (decoded.encoding == TextEncoding::Unclean) {
    p.messageBox(u"第三方词库\\第三方词库.txt 不是 GBK、UTF-8 或 UTF-16 编码，无法正确读出，没有导入。\r\n"
                 u"请把它另存为 ANSI（GBK）编码后再试，内置文件中的词库没有改动。",
                 kImportTitle, MessageBoxKind::Ok);
    if (!asked) dialog.show();
    return false;
  }
  if (!label.empty()) {
    if (!asked) dialog.show();
    selectInputKind(s, kind);
    bkbu(s);
    schemeLabel(s, label)->borderStyle = 1;
  }
  dialog.hide();

  KeyHold hold(*this);
  setTimers(false);
  const EncoderContext encoder{app_.lex, app_.gbk, s, app_.win.boxes, app_.pass, app_.race, app_.enc};
  ThirdPartyImportOptions options;
  options.encode = [&encoder](std::u16string_view word) {
    std::u16string code, pinyin;
    citcbmma(encoder, word, code, pinyin);
    return code;
  };
  options.asked = asked;
  options.hasFullCode = [this](char16_t ch) {
    return !app_.lex.charFullCodes[static_cast<std::size_t>(app_.gbk.charIndex(ch))].empty();
  };
  options.rnd = [this] { return rnd(); };
  options.pump = [this] { pump(); };
  const ThirdPartyImport imported = importThirdPartyText(decoded.text, options);

  auto fail = [&](std::u16string_view text) {
    s = before;
    p.messageBox(text, kImportTitle, MessageBoxKind::Ok);
    app_.input.context.setTimer1(true);
    dialog.show();
    return false;
  };
  if (imported.lexiconLines.empty()) {
    return fail(u"第三方词库\\第三方词库.txt 中没有一条能编上码的词，内置文件中的词库没有改动。");
  }
  if (!writeGbkLines(files, p, kThirdPartyFullCodesPath, imported.fullCodeLines) ||
      !writeGbkLines(files, p, kThirdPartyCharLexiconPath, imported.charLexiconLines) ||
      !writeGbkLines(files, p, kThirdPartyLexiconPath, imported.lexiconLines)) {
    return fail(u"第三方词库文件夹中的结果文件写不进去，内置文件中的词库没有改动。");
  }
  app_.loader.releaseLexiconImage();
  const FileSnapshot snapshot(files, {kActiveFullCodesPath, kCharLexiconPath, kMainLexiconPath, kLexiconImagePath});
  bool ok = files.copy(kThirdPartyFullCodesPath, kActiveFullCodesPath) &&
            files.copy(kThirdPartyCharLexiconPath, kCharLexiconPath) &&
            files.copy(kThirdPartyLexiconPath, kMainLexiconPath);
  if (ok && refusedByStart(snapshot, u"导入的词库", s.zm.marked())) {
    s = before;
    app_.input.context.setTimer1(true);
    dialog.show();
    return false;
  }
  if (ok) {
    const ImageWriteResult image = refreshLexiconImage(files, p);
    ok = image.ok || !files.exists(kLexiconImagePath);
  }
  if (!ok) {
    snapshot.restore();
    return fail(u"结果文件拷贝不进内置文件，内置文件中的词库没有改动。");
  }
  p.messageBox(
      u"      已将你习惯的第三方输入法词库转换成符合Vexim格式要求、存放在“第三方词库”文件目录中的“两码词库.txt、单字字库.txt、单字全码.txt”三个文件，系统已经将这三个文件拷贝到“内置文件”目录替换了原来的文件，现在重启输入法，你就可用你熟悉的词库打字啦！",
      kImportTitle, MessageBoxKind::Ok);
  // The user lexicon in memory was never the working table, but the import ends as a fair race:
  // the user lexicon file stays as it is.
  app_.race.gpsd = 1;
  hold.releaseToSystem();
  app_.loader.ended();
  return true;
}

}  // namespace yz
