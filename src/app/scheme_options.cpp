// The layout, auxiliary-code and 全拼 labels of the settings dialog's scheme page. Unlike the
// scheme switches they regenerate no lexicon: they mark their label, commit the settings and run
// the load sequence again (a layout fills the layout table first; an auxiliary table has the load
// regenerate the single-character lexicon).

#include "app/app.h"
#include "app/lexicon_commands.h"
#include "app/load.h"
#include "lexbuild/char_lexicon.h"
#include "lexbuild/file_snapshot.h"
#include "lexbuild/image_writer.h"
#include "lexbuild/layout_table.h"
#include "lexicon/image_loader.h"
#include "lexicon/syllables.h"

namespace yz {
namespace {

struct SoundFile {
  std::u16string_view source, target;
};
constexpr SoundFile kSoundFiles[] = {
    {u"内置文件\\两码词库默认.txt", kMainLexiconPath},
    {u"内置文件\\单字字库默认.txt", kCharLexiconPath},
    {u"内置文件\\单字全码默认.txt", kActiveFullCodesPath},
};

struct AuxTable {
  std::u16string_view label, path;
};
constexpr AuxTable kAuxTables[] = {
    {u"zrmfvm", u"内置文件\\自然码辅助码.txt"}, {u"wbhfvm", u"内置文件\\笔画辅助码.txt"},
    {u"jjfvm", u"内置文件\\偏旁辅助码.txt"},    {u"hxfvm", u"内置文件\\鹤形辅助码.txt"},
    {u"diyfvm", u"用户diy文件\\自定义辅助码.txt"},
};

// What the user must supply for a layout that has no usable pair.
std::u16string layoutSourceHint(std::u16string_view label, std::u16string_view path) {
  if (label == u"zdypf") {
    return u"请在用户diy文件\\qp2sp自定义.txt 里写上你的双拼：GBK文本，每行一个“全拼,双拼编码”，"
           u"启动时由它生成" + std::u16string(path) + u"。";
  }
  return u"请把键位对照表放到" + std::u16string(path) +
         u"：GBK文本，每行一个“双拼编码,自然双拼编码”；或者在内置文件\\全拼-小鹤-自然-国标.txt 的对应列填上编码。";
}

}  // namespace

std::int32_t LexiconCommands::readLayout(std::u16string_view path, LayoutTable& table) {
  const auto bytes = app_.files.readBytes(path);
  if (!bytes) {
    table.clear();
    return 0;
  }
  return sptosp(app_.platform.fromGbk(*bytes), table);
}

void LexiconCommands::tellMissingLayout(std::u16string_view label, std::u16string_view path) {
  const std::u16string name(schemeName(app_.settings, label));
  app_.platform.messageBox(u"找不到" + name + u"的键位对照表（" + std::u16string(path) +
                               u" 不存在或没有可用的行），按键不会转换，仍按自然双拼输入。\r\n\r\n" +
                               layoutSourceHint(label, path),
                           kQuestionTitle, MessageBoxKind::Ok);
}

void LexiconCommands::loadMarkedLayout() {
  // Each marked layout in this order; the last one loaded stays. None marked: the table keeps
  // what it holds, and the input pass does not consult it.
  for (std::u16string_view label : {u"gbup", u"xhhx", u"zdypf"}) {
    const SchemeLabel* mark = schemeLabel(app_.settings, label);
    if (mark == nullptr || !mark->marked()) continue;
    const std::u16string_view path = layoutPairPath(label);
    if (readLayout(path, app_.lex.layoutTable) == 0 && !layoutMissingTold_) {
      layoutMissingTold_ = true;
      tellMissingLayout(label, path);
    }
  }
}

bool LexiconCommands::restoreSoundFiles() {
  if (app_.settings.ymur) return true;
  const ProgramFolder& files = app_.files;
  Platform& p = app_.platform;
  for (const SoundFile& f : kSoundFiles) {
    if (!files.exists(f.source)) {
      p.messageBox(u"找不到" + std::u16string(f.source) +
                       u"，无法回到音码。\r\n\r\n请先在方案里选“声韵辅数”生成自然双拼词库，再选双拼键位或全拼。当前方案和词库都没有改动。",
                   kQuestionTitle, MessageBoxKind::Ok);
      return false;
    }
  }
  app_.loader.releaseLexiconImage();
  const FileSnapshot snapshot(files, {kMainLexiconPath, kCharLexiconPath, kActiveFullCodesPath,
                                      kLexiconImagePath});
  bool ok = true;
  for (const SoundFile& f : kSoundFiles) ok = ok && files.copy(f.source, f.target);
  if (ok && refusedByStart(snapshot, u"音码", false)) return false;
  // The start-up prefers the image: it must show the restored lexicon, or be gone.
  if (ok) {
    const ImageWriteResult image = refreshLexiconImage(files, p);
    ok = image.ok || !files.exists(kLexiconImagePath);
  }
  if (!ok) {
    snapshot.restore();
    p.messageBox(u"音码词库文件拷贝不进内置文件，当前方案和词库都没有改动！", kQuestionTitle,
                 MessageBoxKind::Ok);
  }
  return ok;
}

void LexiconCommands::commitAndReload() {
  KeyHold hold(*this);
  setTimers(false);
  app_.loader.dialog.hide();
  app_.loader.csqid();
  app_.loader.Form_Load();
}

void LexiconCommands::switchLayout(std::u16string_view label) {
  if (app_.loader.stopped()) return;
  Settings& s = app_.settings;
  SettingsDialog& dialog = app_.loader.dialog;
  const std::u16string_view path = layoutPairPath(label);
  LayoutTable table;
  if (!path.empty() && readLayout(path, table) == 0) {
    dialog.leaveTopmost();
    dialog.hide();
    tellMissingLayout(label, path);
    return;
  }
  if (!restoreSoundFiles()) return;
  bkbusp(s);
  schemeLabel(s, label)->borderStyle = 1;
  if (!path.empty()) app_.lex.layoutTable = table;
  if (!s.ymur) selectInputKind(s, InputKind::Sound);
  commitAndReload();
}

void LexiconCommands::switchAuxTable(std::u16string_view label) {
  if (app_.loader.stopped()) return;
  Settings& s = app_.settings;
  bkbufvm(s);
  for (const AuxTable& t : kAuxTables) {
    if (t.label == label && app_.files.exists(t.path)) schemeLabel(s, label)->borderStyle = 1;
  }
  app_.mirror.auxSchemeChanged = true;
  commitAndReload();
}

void LexiconCommands::qrpn_Click() {
  if (app_.loader.stopped()) return;
  Settings& s = app_.settings;
  if (s.ymur) {
    // A toggle: the next commit writes it.
    const bool on = !s.qrpn.marked();
    s.qrpn.borderStyle = on ? 1 : 0;
    app_.mirror.fullPinyinMode = on ? 1 : 0;
    return;
  }
  if (!restoreSoundFiles()) return;
  bkbusp(s);
  s.qrpn.borderStyle = 1;
  app_.mirror.fullPinyinMode = 1;
  s.zrhx.borderStyle = 1;
  s.hxfvm.borderStyle = 1;
  selectInputKind(s, InputKind::Sound);
  commitAndReload();
}

}  // namespace yz
