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

// Key names of other tools, typed letter by letter they would silently become a code; with the
// name this program has for the key, empty when the simulated keyboard has none.
struct OtherKeyName {
  std::u16string_view name;
  std::u16string_view ours;
};
constexpr OtherKeyName kOtherKeyNames[] = {
    {u"escape", u"esc"},    {u"return", u"enter"},   {u"ctrl", u"lctrl"},      {u"control", u"lctrl"},
    {u"shift", u"lshift"},  {u"bksp", u"backspace"}, {u"spacebar", u"space"},  {u"lcontrol", u"lctrl"},
    {u"rcontrol", u"rctrl"}, {u"pageup", u""},       {u"pagedown", u""},       {u"pgup", u""},
    {u"pgdn", u""},         {u"insert", u""},
};

std::u16string lower(std::u16string_view s) {
  std::u16string out(s);
  for (char16_t& c : out) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  }
  return out;
}

// Whether the token means a key by name; sets `error` when it is a name no key has.
bool namesKey(std::u16string_view token, std::string& error) {
  if (SimPlatform::isKeyName(token)) return true;
  const std::u16string folded = lower(token);
  if (SimPlatform::isKeyName(folded)) {
    error = "unknown key name \"" + toUtf8(token) + "\" (key names are lower case: \"" +
            toUtf8(folded) + "\")";
  } else {
    for (const auto& other : kOtherKeyNames) {
      if (other.name != folded) continue;
      error = "unknown key name \"" + toUtf8(token) + "\"";
      if (!other.ours.empty()) error += " (the name here is \"" + toUtf8(other.ours) + "\")";
    }
  }
  return false;
}

}  // namespace

SimSession::SimSession(SimSessionOptions options) : target(makeTarget(platform)) {
  platform.resourceDir = options.resourceDir;
  platform.connected = options.online;
  platform.defaultMessageBoxAnswer = MessageBoxAnswer::Ok;
  platform.processes.push_back(u"Vexim2_xx.exe");
  if (options.onCopy) {
    copy.emplace("yz-sim-");
    const std::filesystem::path folder = copy->path() / "program";
    copyFolderKeepingTimes(options.programFolder, folder);
    options.programFolder = folder;
  }
  app = std::make_unique<App>(platform, options.programFolder);
  app->files.setWriteFaults(options.writeFaults);
  analyzer = std::make_unique<AnalyzerWindow>(*app);
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

std::vector<std::u16string> splitKeys(std::u16string_view script, std::string& error) {
  std::vector<std::u16string> keys;
  std::size_t pos = 0;
  while (pos < script.size() && error.empty()) {
    std::size_t end = script.find(u' ', pos);
    if (end == std::u16string_view::npos) end = script.size();
    const std::u16string_view token = script.substr(pos, end - pos);
    pos = end + 1;
    if (token.empty()) continue;
    if (namesKey(token, error)) {
      keys.emplace_back(token);
      continue;
    }
    if (!error.empty()) break;
    const std::size_t plus = token.find(u'+');
    if (plus != std::u16string_view::npos && plus > 1 && plus + 1 < token.size()) {
      // "name+key": both parts must be keys.
      const std::u16string_view modifier = token.substr(0, plus), key = token.substr(plus + 1);
      std::string ignored;
      const bool keyOk = namesKey(key, ignored) || (key.size() == 1 && SimPlatform::typesCharacter(key[0]));
      if (!(SimPlatform::isKeyName(modifier) || modifier == SimPlatform::kHoldPrefix) || !keyOk) {
        error = "unknown key combination \"" + toUtf8(token) + "\"";
        break;
      }
      keys.emplace_back(token);
      continue;
    }
    for (char16_t ch : token) {
      if (!SimPlatform::typesCharacter(ch)) {
        error = "no key types \"" + toUtf8(std::u16string(1, ch)) + "\" in \"" + toUtf8(token) + "\"";
        break;
      }
      keys.emplace_back(1, ch);
    }
  }
  return keys;
}

}  // namespace yz
