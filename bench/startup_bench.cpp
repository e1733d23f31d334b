// Start-up of the whole program on the generated tables: the load sequence from the lexicon image
// and from the text lexicon, its time and the process's peak memory. Needs a program folder made
// by vexim-lexgen (scripts/run prepares build/program): set YZ_PROGRAM_DIR, and YZ_DATA_DIR for
// resources 101-105. Run one variant per process for its own peak:
//   startup_bench --benchmark_filter=Image     startup_bench --benchmark_filter=Text

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>

#include "main/sim_driver.h"
#include "platform/sim/temp_folder.h"

namespace {

namespace fs = std::filesystem;

fs::path envPath(const char* name, const char* fallback) {
  const char* v = std::getenv(name);
  return fs::path(v != nullptr ? v : fallback);
}

double peakMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void startup(benchmark::State& state, bool image) {
  const fs::path source = envPath("YZ_PROGRAM_DIR", "build/program");
  const fs::path tables = source / fs::path(u8"内置文件");
  if (!fs::exists(tables / fs::path(u8"初始化后两码词库.txt"))) {
    state.SkipWithError("no generated tables; run vexim-lexgen and set YZ_PROGRAM_DIR");
    return;
  }
  const yz::TempFolder temp(image ? "yz-startup-image-" : "yz-startup-text-");
  const fs::path& root = temp.path();
  fs::create_directories(root / fs::path(u8"用户diy文件"));
  fs::copy(tables, root / fs::path(u8"内置文件"), fs::copy_options::recursive);
  if (!image) fs::remove(root / fs::path(u8"内置文件/初始化后两码词库.txt"));
  yz::SimSessionOptions options;
  options.programFolder = root;
  options.resourceDir = envPath("YZ_DATA_DIR", "data") / "resources";
  for (auto _ : state) {
    yz::SimSession session(options);
    benchmark::DoNotOptimize(session.app->lex.mainLexicon.last);
    if (session.app->loader.stopped()) state.SkipWithError("the start ended early");
  }
  state.counters["peak_MiB"] = peakMiB();
}

void BM_StartupFromImage(benchmark::State& state) { startup(state, true); }
void BM_StartupFromText(benchmark::State& state) { startup(state, false); }

BENCHMARK(BM_StartupFromImage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartupFromText)->Unit(benchmark::kMillisecond);

}  // namespace
