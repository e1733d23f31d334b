#pragma once
// The analyzer window `Form5`. In its race-text analyzer role it starts runs with "开打吧！", asks
// after each run whether to go on, pauses, resumes and stops a run, tunes the simulated typing
// speed and commit delay of the system-input-method path, and holds the fair-race box 公平赛打.
// In its word-maker role the button 造词 learns words from the text box or, with the box empty,
// from the race text, showing its progress in Text3. While a run of either goes on, "开打吧！",
// "造词" and "清空" take no clicks. All places and sizes are twips.

#include <memory>
#include <string>
#include <string_view>

#include "analyzer/analyzer.h"
#include "app/settings_dialog.h"
#include "platform/platform.h"

namespace yz {

class App;

inline constexpr int kAnalyzerWidth = 10095;
inline constexpr int kAnalyzerHeight = 2925;
inline constexpr int kWordMakerWidth = 10725;
inline constexpr int kWordMakerHeight = 2300;
inline constexpr std::u16string_view kWordMakerTitle =
    u"中文造词器: 支持细胞造词、整句造词、动态造词、文章造词及词频调整！";
inline constexpr std::u16string_view kAnalyzerBoxTitle =
    u"砚舟Vexim输入法:支持句中直接辅助码、整句下标定位快速回改！";

// The help text the window shows before the first run.
std::u16string analyzerHelpText();
// The text the word-maker role opens with.
std::u16string wordMakerHelpText();

// The key interval after one click on "+" (faster) or "-" (slower), and the commit delay after
// one click on its "+" (longer) or "-" (shorter); halves round to the even neighbour.
std::int32_t fasterKeyDelay(std::int32_t ms);
std::int32_t slowerKeyDelay(std::int32_t ms);
std::int32_t longerCommitDelay(std::int32_t ms);
std::int32_t shorterCommitDelay(std::int32_t ms);

class AnalyzerWindow final : public DialogToolCommands {
 public:
  // Registers itself with the settings dialog, whose buttons 整句识别分析器 and 文章学习造词器
  // open it.
  explicit AnalyzerWindow(App& app);
  ~AnalyzerWindow() override;
  AnalyzerWindow(const AnalyzerWindow&) = delete;
  AnalyzerWindow& operator=(const AnalyzerWindow&) = delete;

  // The settings dialog's button 整句识别分析器 (Command29).
  void open();
  // The settings dialog's button 文章学习造词器 (Command25).
  void openWordMaker();
  void hide();
  bool visible() const { return visible_; }
  bool makingWords() const { return makingWords_; }

  // The handlers.
  void Label4_Click();   // 开打吧！: the driver
  void Command1_Click(); // 造词: the article word maker
  void Command2_Click(); // 暂停/停止
  void Command3_Click(); // 继续
  void Command4_Click(); // 清空
  void Label1_Click();   // key speed +
  void Label2_Click();   // key speed -
  void Label6_Click();   // commit delay +
  void Label7_Click();   // commit delay -
  void Label5_Click();   // key speed with one decimal
  void click(std::u16string_view control);
  void onEvent(const FormEvent& event);
  bool toolClick(std::u16string_view control) override;

  FormView buildView() const;
  WindowId id();

  AnalyzerControls controls;
  Analyzer analyzer;

 private:
  // Gives the text box the keyboard focus, where the system input method's commits land.
  void focusText1();
  void keySpeedDisplay();
  void commitDelayDisplay();
  void realise();

  App& app_;
  std::unique_ptr<NativeForm> native_;
  bool visible_ = false;
  bool wordMakerRole_ = false;  // opened by 文章学习造词器 (its size)
  bool makingWords_ = false;    // a word-maker run goes on
};

}  // namespace yz
