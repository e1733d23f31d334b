// vexim-sim: runs the input method on the simulated desktop from a key script.
//   vexim-sim [--folder DIR] [--resources DIR] --keys "nihk space"
//   vexim-sim [--folder DIR] [--resources DIR] --script FILE
// A script is tokens separated by spaces or line breaks: key names (space, enter, backspace, esc,
// tab, lctrl, lshift, f6, ...) or characters to type.

#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "lexicon/utf.h"
#include "main/sim_driver.h"

int main(int argc, char** argv) {
  yz::SimSessionOptions options;
  std::string keys;
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
    } else if (arg == "--folder") {
      options.programFolder = value();
    } else if (arg == "--resources") {
      options.resourceDir = value();
    } else {
      std::cerr << "usage: vexim-sim [--folder DIR] [--resources DIR] (--keys KEYS | --script FILE)\n";
      return 2;
    }
  }
  try {
    yz::SimSession session(options);
    // The message boxes the program showed, each once, as they come.
    std::size_t shown = 0;
    auto printMessages = [&] {
      for (; shown < session.platform.messageBoxes.size(); ++shown) {
        std::cout << "message: " << yz::toUtf8(session.platform.messageBoxes[shown].text) << "\n";
      }
    };
    printMessages();
    for (const auto& step : session.type(yz::fromUtf8(keys))) {
      std::cout << yz::SimSession::describe(step);
    }
    printMessages();
  } catch (const std::exception& e) {
    std::cerr << "vexim-sim: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
