#pragma once
// The candidate window and caret following, offered to the rest of the engine as its window
// services.

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "state/services.h"
#include "ui/candidate_mouse.h"
#include "ui/candidate_window.h"
#include "ui/caret_following.h"
#include "ui/status_bar.h"

namespace yz {

class WindowUi final : public WindowServices {
 public:
  WindowUi(Platform& platform, Settings& settings, WindowState& win, CompositionState& comp,
           const ConversionState& conv, const PassState& pass)
      : platform_(platform),
        window(platform, settings, win, comp, conv, pass),
        caret(platform, settings, win, comp, window, calls),
        mouse(platform, settings, window),
        statusBar(platform, win, comp),
        win_(win),
        comp_(comp) {
    window.onEvent = [this](const FormEvent& e) {
      if (e.kind == FormEventKind::Change && e.control == u"Text1") {
        codeLineEdited(e.text, e.value);
      } else {
        mouse.onEvent(e);
      }
    };
  }

  void zdus() override {
    // The caret point read when the last commit ended may predate the target taking its text.
    if (window.firstLettersShiftDue()) caret.placeAtCaret();
    window.zdus();
  }
  void followCaret() override { caret.followCaret(); }
  void statusChanged() override { statusBar.refresh(); }

  // Procedures of the candidate window that nothing calls: the help text, the settings dialog
  // opened from the window, and one that does nothing.
  void showHelpText() {
    std::u16string text;
    for (std::u16string_view line : kHelpLines) {
      if (!text.empty()) text += u"\r\n";
      text += line;
    }
    platform_.messageBox(text, u"砚舟", MessageBoxKind::Ok);
  }
  void openSettingsDialog() {
    win_.form1.visible = false;
    window.realise();
    win_.externalTarget = 0;
    if (calls.showSettings) calls.showSettings();
  }
  void doNothing() {}

  static constexpr std::u16string_view kHelpLines[] = {
      u"1、本输入法既是玩具也是工具，自己开心就好。",
      u"2、几乎支持任何字符、任何编码方案和辅助码方案。",
      u"3、用户可参照附带的自然双拼和小鹤辅助码词库格式diy自己的词库。",
      u"4、本输入法为另类外挂，可用ALT键在本输入法与系统输入法间自由切换。打完字后按空格键上屏。",
      u"5、本输入法具有独创的整句瞬改技术，可用 CTRL键启动或关闭辅助码过滤重码模式，在瞬改模式下，"
      u"输入要修正的字词下标字母，就立即可用词辅〔取词组末两位字的首辅〕或单字辅〔取1、2位辅〕过滤重码，"
      u"实现瞬改。选重可用辅助码、数字，也可用常见的分号和单撇号选重快捷键。强大的定位技术摆脱了双手离开"
      u"主键区、用鼠标或光标键来定位的落后方式，与安卓版流行的点击汉字定位、点击即自动修正功能，有异曲同工之妙。",
      u"6、勾选“造词模式”选项，可实现全句造词和句中造词。",
      u"7、本输入法支持第三方云输入结果与本地结果同时显示，实现天地共存。按空格键上屏地，回车键上屏天。",
  };

  Platform& platform_;
  // The commit, the reset and the wait that caret following calls; wired by the application.
  CompositionCalls calls;
  CandidateWindow window;
  CaretFollower caret;
  CandidateMouse mouse;  // dragging and zoom of the candidate window
  StatusBar statusBar;   // Form4

 private:
  // The user clicked into the code line or edited it there: its text and caret, for the next pass.
  void codeLineEdited(const std::u16string& text, int caret) {
    TextBoxState& line = win_.boxes.Text1;
    const auto at = static_cast<std::int32_t>(std::clamp<std::size_t>(caret < 0 ? 0 : caret, 0, text.size()));
    if (line.text == text && line.selStart == at) return;
    line.text = text;
    line.selStart = at;
    ++comp_.codeEdits;
    if (calls.codeLineEdited) calls.codeLineEdited();
  }

  WindowState& win_;
  CompositionState& comp_;
};

}  // namespace yz
