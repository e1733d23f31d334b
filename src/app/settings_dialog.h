#pragma once
// The settings dialog `Form2`: the live settings store and the window where the user changes it.
// Its controls are the fields of `Settings`; this model lays them out on eight pages, realises
// them through the platform's forms and turns the user's actions into changes of the store. The
// dialog is loaded hidden at start and stays loaded (hiding it never loses a setting) until the
// exit sequence unloads it.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/platform.h"
#include "state/composition_state.h"
#include "state/settings.h"
#include "state/window_state.h"

namespace yz {

inline constexpr int kSettingsPages = 8;

// The dialog's commands that act beyond the dialog; the lifecycle answers them.
class DialogCommands {
 public:
  virtual ~DialogCommands() = default;
  // The button "保存、退出设置".
  virtual void bcuv_Click() = 0;
  // The close box. `unloadMode` 1: the program's own code unloads the dialog.
  virtual void Form_QueryUnload(int unloadMode) = 0;
  // A click on the caption "三字词": the exit sequence.
  virtual void Label8_Click() = 0;
  // A click into a code-alphabet box: the hook goes, so the letters reach the box.
  virtual void alphabetBoxClicked() = 0;
};

// The dialog's lexicon commands: scheme labels, the lexicon tool buttons and the import labels.
class DialogLexiconCommands {
 public:
  virtual ~DialogLexiconCommands() = default;
  // A click on a control; false when the control is none of these commands. Pumps messages.
  virtual bool lexiconClick(std::u16string_view control) = 0;
  // Lists the user's two- and three-character words with their codes, then ends the program.
  virtual void yhckfvm() = 0;
};

// The look page's commands: the colour and font buttons and the skin labels. Answers whether it
// took the click.
class LookCommands {
 public:
  virtual ~LookCommands() = default;
  virtual bool lookClick(std::u16string_view control) = 0;
};

// The dialog's buttons that open the tool windows (the race-text analyzer). Answers whether it
// took the click.
class DialogToolCommands {
 public:
  virtual ~DialogToolCommands() = default;
  virtual bool toolClick(std::u16string_view control) = 0;
};

// How a control shows a setting.
using OptionRef = bool& (*)(Settings&);
using ControlBinding =
    std::variant<std::monostate, int Settings::*, OptionRef, SchemeLabel Settings::*,
                 std::u16string Settings::*, SkinBox Settings::*>;

struct DialogControl {
  std::u16string name;
  ControlKind kind = ControlKind::Label;
  int page = -1;            // 0..7, or -1 on the dialog itself
  std::u16string caption;   // caption; a text box's design text when it binds nothing
  ControlBinding binding;
  Rect bounds;              // twips, relative to the dialog
  bool visible = true;
  int borderStyle = 0;      // of an unbound label
  bool multiLine = false;
};

class SettingsDialog {
 public:
  SettingsDialog(Platform& platform, Settings& settings, CompositionState& comp, WindowState& win);
  ~SettingsDialog();
  SettingsDialog(const SettingsDialog&) = delete;
  SettingsDialog& operator=(const SettingsDialog&) = delete;

  void setCommands(DialogCommands* commands) { commands_ = commands; }
  void setLexiconCommands(DialogLexiconCommands* commands) { lexiconCommands_ = commands; }

  // The text of a control that binds no setting (a help box); empty for an unknown name.
  std::u16string caption(std::u16string_view name) const;
  void setCaption(std::u16string_view name, std::u16string_view text);
  // A disabled dialog takes no clicks and no typing (while a lexicon is rebuilt).
  void setEnabled(bool enabled) { enabled_ = enabled; }
  bool enabled() const { return enabled_; }
  // Takes the dialog out of the topmost band, so a message box comes to the front.
  void leaveTopmost();
  void setLookCommands(LookCommands* look) { look_ = look; }
  void setToolCommands(DialogToolCommands* tools) { tools_ = tools; }

  // Loads the dialog hidden; a loaded dialog stays as it is.
  void load();
  bool loaded() const { return native_ != nullptr; }
  WindowId id() const { return native_ ? native_->id() : 0; }
  // Shows it (modeless) or hides it; both keep every setting.
  void show();
  void hide();
  bool visible() const { return visible_; }
  // Destroys the window (the exit sequence); the settings store itself stays.
  void unload();

  // Page buttons bmfa_Click ... gryu_Click: page 0..7 in button order.
  void showPage(int page);
  int page() const { return page_; }
  // Arms the capture of the platform-switch key (qhjv_Click) or the instant-modify key
  // (ugjv_Click).
  void qhjv_Click();
  void ugjv_Click();
  // Undoes the look preview: the help text shows again, the skin picture hides.
  void endPreview();
  // The button 多彩皮肤任君选 (`xznvpf`): the skin labels in the place of the help text.
  void xznvpf_Click();
  // Hides the look page's help text (under the live preview).
  void hideHelp();
  // Which bar the look buttons change: 0 code bar (Option1), 1 sentence bar (Option3), 2
  // candidate bar (Option4).
  int lookBar() const { return lookBar_; }
  // Spare procedures that no control calls: the first four say the feature is not ready yet
  // ("该功能尚在整合中，请等正式版。"); one lists the user words with their codes (`yhckfvm`), and
  // one runs the exit sequence. Each pumps messages.
  void spareNotice1();
  void spareNotice2();
  void spareNotice3();
  void spareNotice4();
  void spareUserWordCodes();
  void spareExit();
  // Places the dialog on the screen (twips); until then it stands in the middle of the screen.
  void place(const Rect& bounds);
  Rect bounds() const;

  // A user action on the realised window. Pumps messages (message boxes, commands).
  void onEvent(const FormEvent& event);

  // The control model and the view last handed to the window.
  const std::vector<DialogControl>& controls() const { return controls_; }
  const DialogControl* control(std::u16string_view name) const;
  FormView buildView() const;
  // Hands the current view to the window when it is loaded.
  void realise();

  static constexpr int kWidth = 12330;
  static constexpr int kHeight = 8040;

 private:
  void layout();
  // The look page: candidate options on top, the look editor at the left, the help text (where
  // the live preview lands) and the skin panel beside it.
  void layoutLookPage();
  void showSkinPanel(bool shown);
  void setFrameVisibility();
  void click(DialogControl& c, const FormEvent& event);
  void typeInto(DialogControl& c, std::u16string_view typed);
  DialogControl* find(std::u16string_view name);
  ControlView viewOf(const DialogControl& c) const;

  Platform& platform_;
  Settings& settings_;
  CompositionState& comp_;
  WindowState& win_;
  DialogCommands* commands_ = nullptr;
  DialogLexiconCommands* lexiconCommands_ = nullptr;
  bool enabled_ = true;
  LookCommands* look_ = nullptr;
  DialogToolCommands* tools_ = nullptr;
  std::optional<Rect> placement_;
  std::vector<DialogControl> controls_;
  std::unique_ptr<NativeForm> native_;
  bool visible_ = false;
  bool topMost_ = true;
  int page_ = 0;
  int lookBar_ = 1;  // Option1, Option3, Option4: the bar the look buttons change; Option3 at start
  std::u16string focusedBox_;  // the text box that takes typed characters
};

}  // namespace yz
