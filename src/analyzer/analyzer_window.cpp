#include "analyzer/analyzer_window.h"

#include <cmath>

#include "app/app.h"
#include "ui/status_bar.h"

namespace yz {

namespace {

std::u16string decimal(std::int64_t n) {
  std::string s = std::to_string(n);
  return std::u16string(s.begin(), s.end());
}

// To the nearest integer, halves to the even neighbour.
std::int32_t nearestEven(double x) { return static_cast<std::int32_t>(std::nearbyint(x)); }

ControlView control(std::u16string_view name, ControlKind kind, std::u16string_view text, Rect bounds) {
  ControlView c;
  c.name = name;
  c.kind = kind;
  c.text = text;
  c.bounds = bounds;
  return c;
}

}  // namespace

std::u16string analyzerHelpText() {
  return u"      该工具用电脑模拟整句输入赛文对应编码，然后对比分析每个句子识别结果与\r\n"
         u"原文的差异，从而计算得出全篇文章的整句识别差异率和平均码长。\r\n"
         u"      该工具既可模拟砚舟平台当前输入方案，亦可模拟系统输入法输入赛文，若要采用后者\r\n"
         u"输入赛文，请用输入切换快捷键将输入状态切换到系统输入法（屏幕右下角输入状态条将有\r\n"
         u"红色的“系统”提示）。准备好后，点击“开打吧！”\r\n";
}

std::u16string wordMakerHelpText() {
  return u"    本中文造词器利用砚舟平台内置的智能造词算法进行造词。\r\n"
         u"造词器可对文本框中句子进行自动造词，在清空文本框内容后，可自动学习“两码整句赛文.txt”文章内容，"
         u"自动提取新词并统计词频。";
}

std::int32_t fasterKeyDelay(std::int32_t ms) {
  if (ms < 3) ms = 1;
  return std::max(1, nearestEven(ms * 0.6));
}

std::int32_t slowerKeyDelay(std::int32_t ms) {
  if (ms < 1.5) ms = 2;
  ms *= 2;
  return ms > 298 ? 300 : ms;
}

std::int32_t longerCommitDelay(std::int32_t ms) {
  if (ms == 0) ms = 5;
  ms = nearestEven(ms * 1.25);
  return ms > 1000 ? 1000 : ms;
}

std::int32_t shorterCommitDelay(std::int32_t ms) {
  ms = nearestEven(ms * 0.8);
  return ms < 3 ? 0 : ms;
}

AnalyzerWindow::AnalyzerWindow(App& app) : analyzer(app, controls), app_(app) {
  controls.text1 = analyzerHelpText();
  analyzer.changed = [this] { realise(); };
  analyzer.focusText1 = [this] {
    realise();
    if (native_) native_->focusControl(u"Text1");
  };
  app_.loader.dialog.setToolCommands(this);
}

AnalyzerWindow::~AnalyzerWindow() { app_.loader.dialog.setToolCommands(nullptr); }

bool AnalyzerWindow::toolClick(std::u16string_view control) {
  if (control == u"Command29") {
    open();
  } else if (control == u"Command25") {
    openWordMaker();
  } else {
    return false;
  }
  return true;
}

void AnalyzerWindow::openWordMaker() {
  app_.loader.dialog.hide();
  controls.text1 = wordMakerHelpText();
  controls.title = std::u16string(kWordMakerTitle);
  wordMakerRole_ = true;
  visible_ = true;
  realise();
}

void AnalyzerWindow::open() {
  app_.loader.dialog.hide();
  app_.race.raceMode = 1;
  wordMakerRole_ = false;
  controls.title = std::u16string(kAnalyzerTitle);
  visible_ = true;
  controls.label5 = u"键速 " +
                    decimal(1000 / std::max<std::int32_t>(1, nearestEven(app_.race.raceKeyDelay))) +
                    u"击/秒";
  realise();
}

void AnalyzerWindow::hide() {
  visible_ = false;
  realise();
}

void AnalyzerWindow::Label4_Click() {
  // A run already going on keeps the window: a second run inside it would share its files.
  if (analyzer.running() || makingWords_) return;
  RaceState& race = app_.race;
  race.raceMode = 0;
  race.wordMakerMode = 0;
  const std::u16string name = app_.win.platformLabel == kPlatformCaption ? u"砚舟平台" : u"系统输入法";
  race.raceMethodLabel = (race.gpsd != 0 ? u"“  " : u"“") + name + u"”";
  for (;;) {
    controls.text1.clear();
    realise();
    analyzer.sdq();
    realise();
    race.reportText += u"\r\n\r\n       你要继续通过赛打分析器来分析你的整句输入效果吗？";
    const MessageBoxAnswer answer =
        app_.platform.messageBox(race.reportText, kAnalyzerBoxTitle, MessageBoxKind::YesNo);
    if (race.gpsd != 0) app_.loader.rebuildUserLexicon();
    if (answer != MessageBoxAnswer::Yes) break;
    app_.loader.dialog.hide();
    race.raceMode = 0;
    visible_ = true;
    realise();
  }
  controls.text1.clear();
  app_.loader.dialog.show();
  race.raceMode = 0;
  race.raceKeyDelay = 50;
  hide();
}

void AnalyzerWindow::Command1_Click() {
  // One run at a time: a run pumps messages, and a second one would share its files and cells.
  if (analyzer.running() || makingWords_) return;
  makingWords_ = true;
  WordMakerView view{controls.text1, controls.text3, controls.title};
  // What the run wrote into its boxes shows before each message pump and at the end.
  const auto shown = [this, &view] {
    controls.text1 = view.text1;
    controls.text3 = view.text3;
    controls.title = view.caption;
    realise();
  };
  try {
    app_.makeWords(view, shown);
  } catch (...) {
    makingWords_ = false;
    throw;
  }
  makingWords_ = false;
  shown();
}

void AnalyzerWindow::Command2_Click() {
  const MessageBoxAnswer answer = app_.platform.messageBox(
      u"你要暂停打字还是停止打字呢？ 是：暂停  否：停止 ", kAnalyzerBoxTitle, MessageBoxKind::YesNo);
  if (answer == MessageBoxAnswer::Yes) {
    app_.comp.pendingCommand = kPendingPause;
    focusText1();
  } else {
    app_.comp.pendingCommand = kPendingStop;
    app_.race.raceMode = 0;
  }
}

void AnalyzerWindow::Command3_Click() {
  app_.comp.pendingCommand = kPendingNone;
  focusText1();
}

void AnalyzerWindow::Command4_Click() {
  // The board of a running analysis is its own: clearing waits for the run to end.
  if (analyzer.running() || makingWords_) return;
  controls.text1.clear();
  realise();
  focusText1();
}

void AnalyzerWindow::focusText1() {
  if (native_ && visible_) native_->focusControl(u"Text1");
}

void AnalyzerWindow::keySpeedDisplay() {
  controls.label5 = u"键速 " + decimal(1000 / app_.race.raceKeyDelay) + u"击/秒";
  realise();
  app_.input.committer.delay(10);
  focusText1();
}

void AnalyzerWindow::commitDelayDisplay() {
  controls.label3 = u"上屏" + decimal(app_.race.raceCommitDelay) + u"毫秒";
  realise();
  app_.input.committer.delay(10);
  focusText1();
}

void AnalyzerWindow::Label1_Click() {
  app_.race.raceKeyDelay = fasterKeyDelay(app_.race.raceKeyDelay);
  keySpeedDisplay();
}

void AnalyzerWindow::Label2_Click() {
  app_.race.raceKeyDelay = slowerKeyDelay(app_.race.raceKeyDelay);
  keySpeedDisplay();
}

void AnalyzerWindow::Label6_Click() {
  app_.race.raceCommitDelay = longerCommitDelay(app_.race.raceCommitDelay);
  commitDelayDisplay();
}

void AnalyzerWindow::Label7_Click() {
  app_.race.raceCommitDelay = shorterCommitDelay(app_.race.raceCommitDelay);
  commitDelayDisplay();
}

void AnalyzerWindow::Label5_Click() {
  const double tenths = std::floor(10000.0 / std::max<std::int32_t>(1, app_.race.raceKeyDelay) + 0.5) / 10;
  controls.label5 = u"键速 " + boardNumber(tenths) + u"击/秒";
  realise();
  focusText1();
}

void AnalyzerWindow::click(std::u16string_view name) {
  if (name == u"Label4") Label4_Click();
  else if (name == u"Command1") Command1_Click();
  else if (name == u"Command2") Command2_Click();
  else if (name == u"Command3") Command3_Click();
  else if (name == u"Command4") Command4_Click();
  else if (name == u"Label1") Label1_Click();
  else if (name == u"Label2") Label2_Click();
  else if (name == u"Label6") Label6_Click();
  else if (name == u"Label7") Label7_Click();
  else if (name == u"Label5") Label5_Click();
}

void AnalyzerWindow::onEvent(const FormEvent& e) {
  switch (e.kind) {
    case FormEventKind::Change:
      // Shown at once: the next character typed is added to the text the box shows.
      if (e.control == u"Text1") {
        controls.text1 = e.text;
        realise();
      }
      break;
    case FormEventKind::Click:
      if (e.control == u"gpsd") {
        app_.race.gpsd = e.value != 0 ? 1 : 0;
      } else if (e.control == u"dbjd") {
        controls.dbjd = e.value != 0 ? 1 : 0;
      } else {
        click(e.control);
      }
      break;
    case FormEventKind::Close:
      if (!analyzer.running() && !makingWords_) hide();
      break;
    default:
      break;
  }
}

FormView AnalyzerWindow::buildView() const {
  FormView v;
  v.title = controls.title.empty() ? std::u16string(kAnalyzerTitle) : controls.title;
  const Rect screen = app_.platform.screenRect();
  const int tpp = app_.platform.twipsPerPixel();
  const int width = wordMakerRole_ ? kWordMakerWidth : kAnalyzerWidth;
  const int height = wordMakerRole_ ? kWordMakerHeight : kAnalyzerHeight;
  const int left = (screen.right - screen.left) * tpp / 2 - width / 2;
  const int top = (screen.bottom - screen.top) * tpp / 3;
  v.bounds = {left, top, left + width, top + height};
  v.visible = visible_;
  v.border = true;
  v.backColour = 0xF0F0F0;
  ControlView text1 = control(u"Text1", ControlKind::TextBox, controls.text1, {120, 120, 9840, 1800});
  text1.multiLine = true;
  v.controls.push_back(text1);
  v.controls.push_back(control(u"Text2", ControlKind::TextBox, controls.text2, {120, 1920, 1000, 2250}));
  // The word maker's button and progress stand right of the text box, inside its wider window.
  v.controls.push_back(control(u"Command1", ControlKind::Button, u"造词", {9960, 120, 10560, 600}));
  v.controls.push_back(
      control(u"Text3", ControlKind::TextBox, controls.text3, {9960, 720, 10560, 1050}));
  v.controls.push_back(control(u"Label4", ControlKind::Label, u"开打吧！", {1100, 1950, 2100, 2250}));
  v.controls.push_back(control(u"Command2", ControlKind::Button, u"暂停/停止", {2200, 1920, 3400, 2280}));
  v.controls.push_back(control(u"Command3", ControlKind::Button, u"继续", {3480, 1920, 4300, 2280}));
  // The word maker's shorter window would cut the bottom row off: its 清空 stands under Text3.
  const Rect clear = wordMakerRole_ ? Rect{9960, 1170, 10560, 1650} : Rect{4380, 1920, 5200, 2280};
  v.controls.push_back(control(u"Command4", ControlKind::Button, u"清空", clear));
  ControlView gpsd = control(u"gpsd", ControlKind::CheckBox, u"公平赛打", {5300, 1950, 6450, 2250});
  gpsd.value = app_.race.gpsd;
  v.controls.push_back(gpsd);
  ControlView dbjd = control(u"dbjd", ControlKind::CheckBox, u"独霸焦点", {6500, 1950, 7650, 2250});
  dbjd.value = controls.dbjd;
  v.controls.push_back(dbjd);
  v.controls.push_back(control(u"Label1", ControlKind::Label, u"+", {7700, 1950, 7900, 2250}));
  v.controls.push_back(control(u"Label5", ControlKind::Label, controls.label5, {7900, 1950, 8900, 2250}));
  v.controls.push_back(control(u"Label2", ControlKind::Label, u"-", {8900, 1950, 9100, 2250}));
  v.controls.push_back(control(u"Label6", ControlKind::Label, u"+", {7700, 2300, 7900, 2600}));
  v.controls.push_back(control(u"Label3", ControlKind::Label, controls.label3, {7900, 2300, 8900, 2600}));
  v.controls.push_back(control(u"Label7", ControlKind::Label, u"-", {8900, 2300, 9100, 2600}));
  return v;
}

WindowId AnalyzerWindow::id() {
  realise();
  return native_ ? native_->id() : 0;
}

void AnalyzerWindow::realise() {
  if (!native_) {
    if (!visible_) return;
    native_ = app_.platform.createForm([this](const FormEvent& e) { onEvent(e); });
  }
  native_->show(buildView());
}

}  // namespace yz
