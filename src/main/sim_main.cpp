// vexim-sim: runs the input method on the simulated desktop from a key script and prints, after
// each key, what the target program holds and the candidate window's lines. `vexim-sim --help`
// lists the options and the key names.

#include <charconv>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "lexicon/files.h"
#include "lexicon/image_loader.h"
#include "lexicon/utf.h"
#include "main/sim_driver.h"

namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t kDefaultGapMs = 150;  // between two keys of a typed script
constexpr std::uint32_t kMaxGapMs = 60000;

constexpr const char* kUsage =
    "usage: vexim-sim [--folder DIR] [--resources DIR] [--write] [--online] [--gap MS]\n"
    "                 [--click CONTROL | --text Form5.Text1=TEXT]...\n"
    "                 (--keys KEYS | --script FILE)...\n";

void printHelp() {
  std::cout << kUsage << R"(
Runs the input method on a simulated desktop whose focused window is an empty notepad, types the
keys into it one at a time and prints, after each key, what the notepad holds and the candidate
window's lines (code, sentence, candidates), or "window: hidden".

  --folder DIR     the program folder: 内置文件 with the lexicons, 用户diy文件, the settings.
                   Default: build/program of this source tree, the folder scripts/run prepares.
  --resources DIR  the built-in resources 101..105 as 101.txt ... 105.txt.
                   Default: data/resources of this source tree.
  --write          run in the program folder itself and keep what the program writes there (user
                   lexicon, syllable files). Without it the program runs on a temporary copy and
                   the folder's files stay as they were.
  --online         the machine counts as connected: the web queries (cloud candidates under
                   输入准确度优先, hit counts under 高阶形码整句) go out over HTTP to the addresses
                   of 用户diy文件\网络服务地址.txt, or to the public services.
  --click CONTROL  opens the settings dialog and clicks one of its controls (a scheme label such
                   as wbbl, a lexicon tool button such as Command4) before the keys are typed;
                   every message box is answered OK and printed. May be given more than once.
                   Form5.CONTROL clicks a control of the race-text analyzer window, which the
                   dialog's Command29 opens: --click Command29 --click Form5.Label4 races
                   赛文资料\两码整句赛文.txt once. The dialog's Command25 opens the same window
                   as the article word maker: --click Command25 --click Form5.Command4 (清空)
                   --click Form5.Command1 (造词) learns words from that race text, printing the
                   progress and the window's text; the words and their counts go to
                   赛文资料\两码整句造词结果.txt and 赛文资料\两码整句造词词频结果.txt.
  --text Form5.Text1=TEXT
                   puts TEXT into the window's text box, as typed there: a click on
                   Form5.Command1 then makes words from TEXT and learns them.
  --gap MS         simulated milliseconds between two keys, as a person types (default 150);
                   0 types each key the moment the one before is done, so a doubled letter
                   counts as a held key.
  --keys KEYS      keys separated by blanks; may be given more than once.
  --script FILE    keys read from a file, separated by blanks or line breaks.
  --help           this text.

Keys: a token that is a key name presses that key; "lctrl+v" holds the first key while the
second is pressed; "hold+y" holds a key down for about half a second, repeating as a keyboard
does (a held letter enters instant modify); any other token types its characters one key at
a time (letters, digits and ASCII punctuation; capitals and shifted marks with Shift). So
"womf" is four keys and "esc" one.
Key names:
)";
  std::string line = " ";
  for (std::u16string_view name : yz::SimPlatform::keyNames()) {
    std::string n = yz::toUtf8(name);
    if (line.size() + n.size() + 1 > 78) {
      std::cout << line << "\n";
      line.assign(1, ' ');
    }
    line += " " + n;
  }
  std::cout << line << "\n\nExample: vexim-sim --keys \"womf ui vsgo space\"\n";
}

// The source tree this program belongs to: the working folder when it holds data/resources, else
// the nearest folder above the executable that does.
std::optional<fs::path> sourceTree() {
  auto isTree = [](const fs::path& p) {
    std::error_code ec;
    return fs::is_directory(p / "data" / "resources", ec) && fs::exists(p / "CMakeLists.txt", ec);
  };
  std::error_code ec;
  fs::path here = fs::current_path(ec);
  if (!ec && isTree(here)) return here;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return std::nullopt;
  for (fs::path p = exe.parent_path(); !p.empty(); p = p.parent_path()) {
    if (isTree(p)) return p;
    if (p == p.parent_path()) break;
  }
  return std::nullopt;
}

bool hasLexicon(const fs::path& folder) {
  yz::ProgramFolder files(folder);
  return files.exists(yz::kMainLexiconPath) || files.exists(yz::kLexiconImagePath);
}

}  // namespace

int main(int argc, char** argv) {
  std::optional<fs::path> folder, resources;
  bool write = false;
  bool online = false;
  std::uint32_t gapMs = kDefaultGapMs;
  std::string keys;
  std::vector<std::string> clicks;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) {
        std::cerr << "vexim-sim: " << arg << " needs a value\n" << kUsage;
        std::exit(2);
      }
      return argv[++i];
    };
    if (arg == "--keys") {
      keys += value() + " ";
    } else if (arg == "--script") {
      std::string file = value();
      std::ifstream in(file, std::ios::binary);
      if (!in) {
        std::cerr << "vexim-sim: cannot read " << file << "\n";
        return 2;
      }
      std::string text((std::istreambuf_iterator<char>(in)), {});
      for (char& c : text) {
        if (c == '\n' || c == '\r' || c == '\t') c = ' ';
      }
      keys += text + " ";
    } else if (arg == "--click") {
      clicks.push_back(value());
    } else if (arg == "--text") {
      const std::string assignment = value();
      if (assignment.rfind("Form5.Text1=", 0) != 0) {
        std::cerr << "vexim-sim: --text takes Form5.Text1=TEXT\n" << kUsage;
        return 2;
      }
      clicks.push_back("=" + assignment);
    } else if (arg == "--folder") {
      folder = value();
    } else if (arg == "--resources") {
      resources = value();
    } else if (arg == "--gap") {
      const std::string ms = value();
      std::uint32_t parsed = 0;
      const auto [end, ec] = std::from_chars(ms.data(), ms.data() + ms.size(), parsed);
      if (ec != std::errc() || end != ms.data() + ms.size() || parsed > kMaxGapMs) {
        std::cerr << "vexim-sim: --gap takes milliseconds, 0 to " << kMaxGapMs << "\n" << kUsage;
        return 2;
      }
      gapMs = parsed;
    } else if (arg == "--online") {
      online = true;
    } else if (arg == "--write") {
      write = true;
    } else if (arg == "--help" || arg == "-h") {
      printHelp();
      return 0;
    } else {
      std::cerr << "vexim-sim: unknown option " << arg << "\n" << kUsage << "vexim-sim --help tells more\n";
      return 2;
    }
  }

  std::string error;
  const std::vector<std::u16string> keyList = yz::splitKeys(yz::fromUtf8(keys), error);
  if (!error.empty()) {
    std::cerr << "vexim-sim: " << error << "; see vexim-sim --help for the key names\n";
    return 2;
  }
  if (keyList.empty() && clicks.empty()) {
    std::cerr << "vexim-sim: no keys given\n" << kUsage << "vexim-sim --help tells more\n";
    return 2;
  }

  const std::optional<fs::path> tree = sourceTree();
  if (!folder) {
    if (!tree) {
      std::cerr << "vexim-sim: no --folder given and no source tree found to take build/program from\n";
      return 2;
    }
    folder = *tree / "build" / "program";
  }
  if (!resources) {
    if (!tree) {
      std::cerr << "vexim-sim: no --resources given and no source tree found to take data/resources from\n";
      return 2;
    }
    resources = *tree / "data" / "resources";
  }
  if (!hasLexicon(*folder)) {
    std::cerr << "vexim-sim: no lexicon in the program folder " << folder->string()
              << " (neither 内置文件/两码词库.txt nor 内置文件/初始化后两码词库.txt).\n"
              << "  scripts/run prepares one in build/program; or make one with\n"
              << "  vexim-lexgen " << folder->string() << " data/resources; or name another with --folder.\n";
    return 1;
  }
  if (!fs::exists(*resources / "101.txt")) {
    std::cerr << "vexim-sim: no resources in " << resources->string()
              << " (101.txt ... 105.txt); name the folder with --resources\n";
    return 1;
  }

  try {
    yz::SimSessionOptions options;
    options.programFolder = *folder;
    options.resourceDir = *resources;
    options.onCopy = !write;
    options.online = online;
    yz::SimSession session(options);
    session.platform.scriptKeyGapMs = gapMs;
    // The message boxes the program showed, each once, as they come.
    std::size_t shown = 0;
    auto printMessages = [&] {
      for (; shown < session.platform.messageBoxes.size(); ++shown) {
        std::cout << "message: " << yz::toUtf8(session.platform.messageBoxes[shown].text) << "\n";
      }
    };
    printMessages();
    // A box of the analyzer window on one line, its line breaks escaped.
    auto boxText = [](const yz::SimForm& form, std::u16string_view name) {
      const yz::ControlView* box = form.control(name);
      std::string out = box ? yz::toUtf8(box->text) : std::string();
      std::string escaped;
      for (char c : out) {
        if (c == '\r') escaped += "\\r";
        else if (c == '\n') escaped += "\\n";
        else escaped.push_back(c);
      }
      return escaped;
    };
    for (const std::string& action : clicks) {
      // "=Form5.Text1=TEXT" types into the analyzer window's box; "Form5.NAME" clicks a control
      // of that window; any other name one of the dialog.
      const bool typing = action.rfind('=', 0) == 0;
      const std::string control = typing ? action.substr(1, action.find('=', 1) - 1) : action;
      const bool analyzer = control.rfind("Form5.", 0) == 0;
      if (!analyzer) session.app->loader.showSettings();
      yz::SimForm* shown = nullptr;
      std::string progress;
      for (yz::SimForm* form : session.platform.forms()) {
        if (form->control(analyzer ? u"Label4" : u"bcuv") == nullptr) continue;
        yz::FormEvent event;
        event.kind = typing ? yz::FormEventKind::Change : yz::FormEventKind::Click;
        event.control = yz::fromUtf8(control.substr(analyzer ? 6 : 0));
        if (typing) event.text = yz::fromUtf8(action.substr(action.find('=', 1) + 1));
        if (analyzer && !typing) {
          shown = form;
          // The word maker's progress box, each time it changes.
          form->onShow = [&, form](const yz::FormView&) {
            const std::string now = boxText(*form, u"Text3");
            if (now.empty() || now == progress) return;
            progress = now;
            std::cout << "  progress: " << progress << "\n";
          };
        }
        form->fire(event);
      }
      std::cout << (typing ? "text " : "click ") << control << "\n";
      session.platform.settle();
      if (shown != nullptr) shown->onShow = nullptr;
      if (shown != nullptr && control == "Form5.Command1") {
        std::cout << "  Form5.Text1: " << boxText(*shown, u"Text1") << "\n";
      }
      printMessages();
    }
    // One script, so a key that waits for the next (instant modify) gets it: a step for each key.
    std::u16string script;
    for (const std::u16string& key : keyList) script += (script.empty() ? u"" : u" ") + key;
    if (!script.empty()) {
      for (const auto& step : session.type(script)) std::cout << yz::SimSession::describe(step);
    }
    printMessages();
  } catch (const std::exception& e) {
    std::cerr << "vexim-sim: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
