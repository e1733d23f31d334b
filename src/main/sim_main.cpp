// vexim-sim: runs the input method on the simulated desktop from a key script.
//   vexim-sim [--folder DIR] [--resources DIR] --keys "nihk space"
//   vexim-sim [--folder DIR] [--resources DIR] --script FILE
// --online: the machine counts as connected, and the web queries (cloud candidates under
// 输入准确度优先, hit counts under 高阶形码整句) go out over HTTP to the addresses named in
// 用户diy文件\网络服务地址.txt, or to the public services.
//   vexim-sim [--folder DIR] [--resources DIR] --click wbbl --keys "trwurqtgit space"
// --click opens the settings dialog and clicks one of its controls (a scheme label such as wbbl,
// a lexicon tool button such as Command4) before the keys are typed; every message box is
// answered OK and printed.
// A script is tokens separated by spaces or line breaks: key names (space, enter, backspace, esc,
// tab, lctrl, lshift, f6, ...) or characters to type.

#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "lexicon/utf.h"
#include "main/sim_driver.h"

int main(int argc, char** argv) {
  yz::SimSessionOptions options;
  std::string keys;
  std::vector<std::string> clicks;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) {
        std::cerr << "vexim-sim: " << arg << " needs a value\n";
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
    } else if (arg == "--folder") {
      options.programFolder = value();
    } else if (arg == "--resources") {
      options.resourceDir = value();
    } else if (arg == "--online") {
      options.online = true;
    } else {
      std::cerr << "usage: vexim-sim [--folder DIR] [--resources DIR] [--online] [--click CONTROL]... "
                   "(--keys KEYS | --script FILE)\n";
      return 2;
    }
  }
  try {
    yz::SimSession session(options);
    for (const std::string& control : clicks) {
      session.platform.messageBoxes.clear();
      session.app->loader.showSettings();
      for (yz::SimForm* form : session.platform.forms()) {
        if (form->control(u"bcuv") == nullptr) continue;
        yz::FormEvent click;
        click.kind = yz::FormEventKind::Click;
        click.control = yz::fromUtf8(control);
        form->fire(click);
      }
      session.platform.settle();
      std::cout << "click " << control << "\n";
      for (const auto& box : session.platform.messageBoxes) std::cout << "  message: " << yz::toUtf8(box.text) << "\n";
    }
    for (const auto& step : session.type(yz::fromUtf8(keys))) {
      std::cout << yz::SimSession::describe(step);
    }
  } catch (const std::exception& e) {
    std::cerr << "vexim-sim: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
