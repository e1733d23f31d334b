#include "main/sim_driver.h"

#include <string>
#include <utility>

#include "lexicon/utf.h"

namespace yz {
namespace {

SimWindow& makeTarget(SimPlatform& platform) {
  SimWindow& w = platform.addWindow(u"无标题 - 记事本", u"Edit");
  platform.focus(w.id);
  return w;
}

// Escapes line breaks so each box prints on one line.
std::string oneLine(std::u16string_view text) {
  std::string out;
  for (char c : toUtf8(text)) {
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else out.push_back(c);
  }
  return out;
}

}  // namespace

SimSession::SimSession(SimSessionOptions options) : target(makeTarget(platform)) {
  platform.resourceDir = options.resourceDir;
  platform.connected = options.online;
  platform.defaultMessageBoxAnswer = MessageBoxAnswer::Ok;
  platform.processes.push_back(u"Vexim2_xx.exe");
  app = std::make_unique<App>(platform, options.programFolder);
  app->start();
  platform.settle();
}

std::vector<SimStep> SimSession::type(std::u16string_view script) {
  std::vector<std::u16string> tokens;
  std::size_t pos = 0;
  while (pos < script.size()) {
    std::size_t end = script.find(u' ', pos);
    if (end == std::u16string_view::npos) end = script.size();
    if (end > pos) tokens.emplace_back(script.substr(pos, end - pos));
    pos = end + 1;
  }
  std::vector<SimStep> steps;
  // Each token's step is read when the desktop has come to rest after it, also when that is
  // inside the instant-modify loop.
  platform.typeScript(tokens, [&](std::size_t next) {
    if (next == 0 || steps.size() >= next) return;
    steps.push_back({tokens[next - 1], target.text, app->win.boxes, app->windowUi.window.view(),
                     app->comp.pendingCommand, app->comp.pendingText});
  });
  platform.settle();
  platform.typeScript({}, nullptr);
  return steps;
}

std::string SimSession::describe(const SimStep& step) {
  std::string out = "> " + toUtf8(step.keys) + "\n";
  out += "  target: " + oneLine(step.targetText) + "\n";
  if (step.pendingCommand != 0) {
    out += "  pending: " + std::to_string(step.pendingCommand) + " " + oneLine(step.pendingText) + "\n";
  }
  const FormView& w = step.window;
  if (!w.visible) {
    // The code being typed, before a layout shows it.
    if (!step.boxes.Text1.text.empty()) out += "  typed:  " + oneLine(step.boxes.Text1.text) + "\n";
    out += "  window: hidden\n";
    return out;
  }
  const Rect& r = w.bounds;
  out += "  window: " + std::to_string(r.left) + "," + std::to_string(r.top) + " " +
         std::to_string(r.width()) + "x" + std::to_string(r.height()) + " twips\n";
  // The three lines as the window shows them: the code, the sentence and the candidates.
  for (const auto& [name, label] : {std::pair{u"Text1", "code:     "},
                                    std::pair{u"rText7", "sentence: "},
                                    std::pair{u"hxl", "list:     "}}) {
    for (const ControlView& c : w.controls) {
      if (c.name == name && c.visible) out += "  " + std::string(label) + oneLine(c.text) + "\n";
    }
  }
  return out;
}

}  // namespace yz
