// One input pass after one more letter at the end of a 20-syllable code line, on the full
// generated lexicon: the real application on the sim platform, keys in through the hook. Each
// iteration types the last letter (timed: hook, pass, conversion and layout) and takes it back
// with Backspace (not timed). Besides the mean it reports the median, the 99.9th percentile, the
// worst and the first (cold) pass, and the worst on the thread's processor clock.
// Needs a program folder made by vexim-lexgen (scripts/run prepares build/program): set
// YZ_PROGRAM_DIR, and YZ_DATA_DIR for resources 101-105.

#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "main/sim_driver.h"
#include "platform/sim/temp_folder.h"

namespace {

namespace fs = std::filesystem;

// The processor time of this thread: the worst pass on it leaves out the time the system gave to
// other processes meanwhile, which the wall clock counts.
double threadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

fs::path envPath(const char* name, const char* fallback) {
  const char* v = std::getenv(name);
  return fs::path(v != nullptr ? v : fallback);
}

// 我们是中国人民的好朋友今天我们一起学习吧, less its last letter.
constexpr std::u16string_view kLine = u"womfuivsgorfmbdehkpgybjntmwomfyiqixtxib";
constexpr std::u16string_view kLastLetter = u"a";

void BM_InputPassOneMoreLetter(benchmark::State& state) {
  const fs::path source = envPath("YZ_PROGRAM_DIR", "build/program");
  if (!fs::exists(source / fs::path(u8"内置文件/初始化后两码词库.txt"))) {
    state.SkipWithError("no generated lexicon; run vexim-lexgen and set YZ_PROGRAM_DIR");
    return;
  }
  const yz::TempFolder temp("yz-input-pass-");
  const fs::path& root = temp.path();
  fs::create_directories(root / fs::path(u8"用户diy文件"));
  yz::copyFolderKeepingTimes(source / fs::path(u8"内置文件"), root / fs::path(u8"内置文件"));
  yz::SimSessionOptions options;
  options.programFolder = root;
  options.resourceDir = envPath("YZ_DATA_DIR", "data") / "resources";
  yz::SimSession session(options);
  session.type(kLine);

  std::vector<double> passes, cpuPasses;
  for (auto _ : state) {
    const double startCpu = threadCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    session.type(kLastLetter);
    const auto end = std::chrono::steady_clock::now();
    cpuPasses.push_back(threadCpuSeconds() - startCpu);
    const double seconds = std::chrono::duration<double>(end - start).count();
    state.SetIterationTime(seconds);
    passes.push_back(seconds);
    session.type(u"backspace");
    // The simulated desktop's record of keys and answers grows with every key: not the program's.
    session.platform.forgetKeyRecords();
  }
  if (session.app->win.boxes.rtext1.text.size() != kLine.size()) {
    state.SkipWithError("the code line did not come back after Backspace");
  }
  if (!passes.empty()) state.counters["first_ms"] = passes.front() * 1e3;  // the cold pass
  std::sort(passes.begin(), passes.end());
  if (!passes.empty()) {
    state.counters["median_ms"] = passes[passes.size() / 2] * 1e3;
    state.counters["p999_ms"] = passes[passes.size() * 999 / 1000] * 1e3;
    state.counters["worst_ms"] = passes.back() * 1e3;
    state.counters["worst_cpu_ms"] = *std::max_element(cpuPasses.begin(), cpuPasses.end()) * 1e3;
  }
}

BENCHMARK(BM_InputPassOneMoreLetter)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
