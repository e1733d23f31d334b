// start_one_line: one whole process of the kind bench/start-figures times: starts the program on a
// program folder (from its lexicon image when there is one), types one line of keys as a user
// does, commits it, prints what the target window holds and exits.
// Usage: start_one_line PROGRAM_DIR RESOURCES_DIR KEYS   (keys separated by blanks, "space" ...)

#include <cstdio>

#include "lexicon/utf.h"
#include "main/sim_driver.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: start_one_line PROGRAM_DIR RESOURCES_DIR KEYS\n");
    return 2;
  }
  yz::SimSessionOptions options;
  options.programFolder = argv[1];
  options.resourceDir = argv[2];
  yz::SimSession session(options);
  const auto steps = session.type(yz::fromUtf8(argv[3]));
  if (steps.empty()) return 1;
  std::printf("%s\n", yz::toUtf8(steps.back().targetText).c_str());
  return 0;
}
