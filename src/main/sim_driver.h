#pragma once
// Runs the whole application on the sim platform from a key script: keys in, what each target
// window received and the candidate window's boxes out. The vexim-sim program, the end-to-end
// tests and the benchmarks share it.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analyzer/analyzer_window.h"
#include "app/app.h"
#include "platform/sim/sim_platform.h"
#include "platform/sim/temp_folder.h"

namespace yz {

struct SimSessionOptions {
  std::filesystem::path programFolder = ".";
  std::filesystem::path resourceDir;  // resources 101..105 as N.txt; empty: none
  // The machine counts as connected: the web queries go out over real HTTP to the addresses of
  // 用户diy文件\网络服务地址.txt (the public services without it).
  bool online = false;
  // Runs on a temporary copy of the program folder, removed with the session, so the folder's
  // own files stay as they were.
  bool onCopy = false;
  // Faults laid on the program's file writing (tests and fault runs); nullptr: none.
  std::shared_ptr<WriteFaults> writeFaults;
};

struct SimStep {
  std::u16string keys;        // the token typed
  std::u16string targetText;  // what the target window holds afterwards
  CandidateBoxes boxes;       // the candidate window's boxes afterwards
  FormView window;            // the candidate window as last shown
  std::int32_t pendingCommand = 0;  // what the hook left for the next input pass
  std::u16string pendingText;
};

class SimSession {
 public:
  explicit SimSession(SimSessionOptions options = {});

  // Types the script one token at a time, each once the desktop is at rest after the one before
  // (inside the instant-modify loop too).
  std::vector<SimStep> type(std::u16string_view script);
  // One step as lines of text (UTF-8).
  static std::string describe(const SimStep& step);

  SimPlatform platform;
  SimWindow& target;  // the program typed into
  std::optional<TempFolder> copy;  // the copy of the program folder when running on one
  std::unique_ptr<App> app;
  std::unique_ptr<AnalyzerWindow> analyzer;  // Form5, opened from the settings dialog
};

// The keys of a script, one entry per key: a key name or "name+key" as written, any other token
// one character at a time. Sets `error` on a name no key has (also the names other tools use, like
// "escape", which would otherwise be typed letter by letter) or a character no key types.
std::vector<std::u16string> splitKeys(std::u16string_view script, std::string& error);

}  // namespace yz
