// Start-up of the whole program on the generated tables: the load sequence from the lexicon image
// and, as the reference measured in the same run, from the text lexicon; then the load steps one by
// one. Needs a program folder made by vexim-lexgen (scripts/run prepares build/program): set
// YZ_PROGRAM_DIR, and YZ_DATA_DIR for resources 101-105.
//
// Figures of each start-up benchmark:
//   Time       the mean start when the process has started before (warm)
//   first_ms   the first start of the process, given by the benchmark that made it (the image
//              start, registered first, or the one the filter leaves)
//   peak_MiB   the process's peak resident memory over the benchmark, reset before it (where the
//              system allows), after one start that also types and converts a sentence
//   vs_text    (image start only) the warm image start over the warm text start of the same run

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "lexicon/annotate.h"
#include "lexicon/files.h"
#include "lexicon/image_loader.h"
#include "main/sim_driver.h"
#include "platform/sim/temp_folder.h"

namespace {

namespace fs = std::filesystem;

fs::path envPath(const char* name, const char* fallback) {
  const char* v = std::getenv(name);
  return fs::path(v != nullptr ? v : fallback);
}

// The peak resident memory starts again from the present one (Linux: clear_refs 5).
void resetPeak() {
  std::ofstream out("/proc/self/clear_refs");
  out << "5";
}

double peakMiB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// A program folder of its own with the generated tables, for one benchmark.
struct ProgramCopy {
  explicit ProgramCopy(bool image) : temp(image ? "yz-startup-image-" : "yz-startup-text-") {
    const fs::path tables = source() / fs::path(u8"内置文件");
    fs::create_directories(temp.path() / fs::path(u8"用户diy文件"));
    yz::copyFolderKeepingTimes(tables, temp.path() / fs::path(u8"内置文件"));
    if (!image) fs::remove(temp.path() / fs::path(u8"内置文件/初始化后两码词库.txt"));
  }
  static fs::path source() { return envPath("YZ_PROGRAM_DIR", "build/program"); }
  static bool present() {
    return fs::exists(source() / fs::path(u8"内置文件/初始化后两码词库.txt"));
  }
  yz::SimSessionOptions options() const {
    yz::SimSessionOptions o;
    o.programFolder = temp.path();
    o.resourceDir = envPath("YZ_DATA_DIR", "data") / "resources";
    return o;
  }
  yz::TempFolder temp;
};

double textStartMs = 0;  // the warm text start of this run, once measured
double imageStartMs = 0;
// The first start of the process (the library may run a benchmark more than once: the counters
// are those of its last run).
double processFirstMs = -1;
bool processFirstFromImage = false;

double startup(benchmark::State& state, bool image) {
  if (!ProgramCopy::present()) {
    state.SkipWithError("no generated tables; run vexim-lexgen and set YZ_PROGRAM_DIR");
    return 0;
  }
  const ProgramCopy folder(image);
  resetPeak();
  double first = -1, total = 0;  // the first start of this run and the later ones
  std::int64_t warm = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    {
      yz::SimSession session(folder.options());
      benchmark::DoNotOptimize(session.app->lex.mainLexicon.last);
      if (session.app->loader.stopped()) state.SkipWithError("the start ended early");
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(seconds);
    if (processFirstMs < 0) {
      processFirstMs = seconds * 1e3;
      processFirstFromImage = image;
    }
    if (first < 0) {
      first = seconds;
    } else {
      total += seconds;
      ++warm;
    }
  }
  {
    // What a user does first: start, type a sentence, commit it.
    yz::SimSession session(folder.options());
    session.type(u"womfuivsgorfmbdehkpgyb space");
  }
  if (processFirstFromImage == image) state.counters["first_ms"] = processFirstMs;
  state.counters["peak_MiB"] = peakMiB();
  return warm > 0 ? total / static_cast<double>(warm) * 1e3 : first * 1e3;
}

void BM_StartupFromImage(benchmark::State& state) {
  imageStartMs = startup(state, true);
  if (textStartMs > 0) state.counters["vs_text"] = imageStartMs / textStartMs;
}
void BM_StartupFromText(benchmark::State& state) {
  textStartMs = startup(state, false);
  if (imageStartMs > 0) state.counters["image_vs_text"] = imageStartMs / textStartMs;
}

// --- the load steps one by one, each on its own -------------------------------------------------

// The application object with every table empty, before the load sequence.
void BM_Step_AppObject(benchmark::State& state) {
  yz::SimPlatform platform;
  for (auto _ : state) {
    yz::App app(platform, ProgramCopy::source());
    benchmark::DoNotOptimize(app.lex.mainLexicon.last);
  }
}

// The main lexicon from its image, and from its GBK text as the reference.
void BM_Step_MainLexiconImage(benchmark::State& state) {
  const yz::ProgramFolder files(ProgramCopy::source());
  for (auto _ : state) {
    yz::LexiconTable table;
    if (!yz::duqudaciku(files, table).ok) state.SkipWithError("no image");
    benchmark::DoNotOptimize(table.last);
  }
}
void BM_Step_MainLexiconText(benchmark::State& state) {
  const yz::ProgramFolder files(ProgramCopy::source());
  yz::SimPlatform platform;
  for (auto _ : state) {
    yz::LexiconTable table;
    if (!yz::loadLexiconText(files, platform, yz::kMainLexiconPath, table).ok) state.SkipWithError("no text");
    benchmark::DoNotOptimize(table.last);
  }
}

// The per-character tables of resources 102-104.
void BM_Step_AnnotationTables(benchmark::State& state) {
  yz::SimPlatform platform;
  platform.resourceDir = envPath("YZ_DATA_DIR", "data") / "resources";
  auto lex = std::make_unique<yz::LexiconState>();
  for (auto _ : state) {
    if (!yz::loadAnnotationTables(platform, *lex).ok()) state.SkipWithError("no resources");
    benchmark::DoNotOptimize(lex->commonWords.size());
  }
}

BENCHMARK(BM_StartupFromImage)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartupFromText)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Step_AppObject)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Step_MainLexiconImage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Step_MainLexiconText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Step_AnnotationTables)->Unit(benchmark::kMillisecond);

}  // namespace
