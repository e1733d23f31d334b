#pragma once
// The lexicon commands of the settings dialog: the coding-scheme labels (a switch asks, writes the
// settings, installs the scheme's full codes, regenerates the system lexicon and reloads), the
// buttons "词库合并", "初始化两码词库", "单行转多行词库" and "多行转单行词库", and the import labels
// 音码, 形码 and 音形码 for another input method's word list.
//
// While a command rebuilds or replaces lexicon files the input timer is off and the keys typed
// meanwhile are held back in order; they reach the input platform after the reload, or the target
// program when the command ends the program. A command that fails half way puts back every file
// it had replaced and leaves the program running as it was.

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "app/settings_dialog.h"
#include "lexbuild/scheme_switch.h"
#include "platform/platform.h"

namespace yz {

// Kept while a scheme switch replaces its files: a start that finds it (the switch was killed
// half way) puts every file of the switch back as it was before.
inline constexpr std::u16string_view kSchemeSwitchJournal = u"内置文件\\方案切换未完成.txt";
// The files a scheme switch may replace, the settings among them.
std::vector<std::u16string_view> schemeSwitchFiles();

class FileSnapshot;

class App;

inline constexpr std::u16string_view kQuestionTitle = u"砚舟Vexim输入法";

class LexiconCommands final : public DialogLexiconCommands {
 public:
  explicit LexiconCommands(App& app);

  bool lexiconClick(std::u16string_view control) override;
  // After a switch that closed the settings dialog: the program the user came from gets the focus.
  void backToTarget();

  // A scheme label's click (ubfm, wbjb, zdyxym, zdyyxm, xdwb, zdyxm, zm, vxbf, wbbl) or one of the
  // procedures selectXiaoheScheme (xhhx), selectGuobiaoScheme (gbup) and
  // selectCustomShuangpinScheme (zdypf). Pumps messages.
  void switchScheme(std::u16string_view label);
  // "词库合并": merges the user lexicon into the system lexicon and ends the program. Pumps messages.
  void ckhb();
  // "初始化两码词库": writes the lexicon image and ends the program.
  void Command18_Click();
  // "单行转多行词库" and "多行转单行词库": convert 内置文件\单行词库.txt and 内置文件\多行词库.txt,
  // then end the program.
  void Command12_Click();
  void Command13_Click();
  // Lists the user's two- and three-character words with their codes in 用户词库+辅助码.txt and
  // ends the program.
  void yhckfvm() override;
  // The import labels: 音码 (ynma), 形码 (xyma), 音形码 (ynxyma). Pumps messages.
  void importLexicon(std::u16string_view label);
  // The import that asks for the kind of code the list uses. Pumps messages.
  void importThirdPartyLexicon();

  // The layout labels 国标双拼 (gbup), 小鹤双拼 (xhhx), 自定双拼 (zdypf) and 自然双拼 (zrhx): mark
  // the layout, fill the layout table, commit the settings and reload; no lexicon is
  // regenerated. A layout without a usable pair file is named in a message and nothing changes.
  // Pumps messages.
  void switchLayout(std::u16string_view label);
  // The auxiliary-code labels (zrmfvm, hxfvm, diyfvm, wbhfvm, jjfvm): mark the table when its file
  // exists, commit and reload, which regenerates the single-character lexicon. Pumps messages.
  void switchAuxTable(std::u16string_view label);
  // The 全拼 label: under the sound kind a toggle of full-pinyin typing; otherwise it goes back to
  // the sound kind with 自然双拼 and full pinyin, committing and reloading. Pumps messages.
  void qrpn_Click();
  // The load sequence's step: fills the layout table from the marked layout's pair file. Once a
  // run, it tells the user when that file holds no usable pair.
  void loadMarkedLayout();

  // The scheme page's help text while a switch shows its wait text.
  std::u16string savedHelpText;

 private:
  // Holds the keys typed during a rebuild and gives them back in order afterwards.
  class KeyHold {
   public:
    explicit KeyHold(LexiconCommands& owner);
    ~KeyHold();
    KeyHold(const KeyHold&) = delete;
    KeyHold& operator=(const KeyHold&) = delete;
    // The program ends: the held keys go to the target program without the input platform.
    void releaseToSystem() { toSystem_ = true; }

   private:
    LexiconCommands& owner_;
    bool active_ = false;
    bool toSystem_ = false;
  };

  void regenerateAndReload(const SchemeMember& member);
  // The layout table of a pair file; the number of records taken.
  std::int32_t readLayout(std::u16string_view path, LayoutTable& table);
  void tellMissingLayout(std::u16string_view label, std::u16string_view path);
  // Puts the default sound-code files in place when the sound kind is not selected; false, with
  // a message and nothing changed, when they are not all there.
  bool restoreSoundFiles();
  // After files were put in place: when the next start would refuse their single-character full
  // codes, puts them all back from `snapshot`, says why and returns true.
  bool refusedByStart(const FileSnapshot& snapshot, std::u16string_view what, bool firstCharOnly);
  void commitAndReload();
  void restoreWubi86();
  bool runImport(std::u16string_view label, InputKind kind, bool asked);
  void showProgress(std::u16string_view helpBox, std::u16string_view text);
  // Ends the program at once, without the exit sequence.
  void endAtOnce(KeyHold* hold);
  void pump();
  // Gives the held keys back one keystroke a tick, as typed: the input pass runs between them.
  void replayHeldKeys();
  float rnd();
  void setTimers(bool enabled);
  MessageBoxAnswer ask(std::u16string_view question);

  App& app_;
  std::uint32_t rndSeed_ = 0x50000;
  std::vector<KeyEvent> heldKeys_;
  std::deque<KeyEvent> replayKeys_;
  int replayTimer_ = -1;
  bool layoutMissingTold_ = false;  // the load sequence told of a missing layout pair file
};

}  // namespace yz
