// A whole scheme switch on the full tables, as the settings dialog runs it: the full codes read,
// the system lexicon regenerated from resource 105, the lexicon image rebuilt, the settings
// committed and the load sequence run again. Needs a program folder made by vexim-lexgen
// (scripts/run prepares build/program): set YZ_PROGRAM_DIR, and YZ_DATA_DIR for resources 101-105.
// Each iteration switches once, alternating between 现代五笔 (shape) and 声韵辅数 (sound).

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

#include "lexicon/image_loader.h"
#include "main/sim_driver.h"

namespace {

namespace fs = std::filesystem;

fs::path envPath(const char* name, const char* fallback) {
  const char* v = std::getenv(name);
  return fs::path(v != nullptr ? v : fallback);
}

void BM_SchemeSwitch(benchmark::State& state) {
  const fs::path source = envPath("YZ_PROGRAM_DIR", "build/program");
  const fs::path tables = source / fs::path(u8"内置文件");
  if (!fs::exists(tables / fs::path(u8"初始化后两码词库.txt"))) {
    state.SkipWithError("no generated tables; run vexim-lexgen and set YZ_PROGRAM_DIR");
    return;
  }
  const fs::path root = fs::temp_directory_path() / "yz-scheme-switch-bench";
  fs::remove_all(root);
  fs::create_directories(root / fs::path(u8"用户diy文件"));
  yz::copyFolderKeepingTimes(tables, root / fs::path(u8"内置文件"));
  yz::SimSessionOptions options;
  options.programFolder = root;
  options.resourceDir = envPath("YZ_DATA_DIR", "data") / "resources";
  yz::SimSession session(options);
  if (session.app->loader.stopped()) {
    state.SkipWithError("the start ended early");
    return;
  }
  bool shape = true;
  for (auto _ : state) {
    session.app->lexiconCommands.switchScheme(shape ? u"xdwb" : u"vxbf");
    shape = !shape;
    benchmark::DoNotOptimize(session.app->lex.mainLexicon.last);
    if (!session.app->files.exists(yz::kLexiconImagePath)) state.SkipWithError("the image was lost");
  }
  state.counters["lexicon_lines"] = session.app->lex.mainLexicon.last;
  fs::remove_all(root);
}

BENCHMARK(BM_SchemeSwitch)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
