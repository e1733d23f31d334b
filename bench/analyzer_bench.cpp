// Characters per second that the race-text analyzer scores through this platform's conversion, on
// the generated tables and a long race text (the committed accuracy sentences). Needs a program
// folder made by vexim-lexgen (scripts/run prepares build/program): set YZ_PROGRAM_DIR, and
// YZ_DATA_DIR for resources 101-105.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

#include "analyzer/analyzer_window.h"
#include "main/sim_driver.h"
#include "platform/sim/temp_folder.h"

namespace {

namespace fs = std::filesystem;

fs::path envPath(const char* name, const char* fallback) {
  const char* v = std::getenv(name);
  return fs::path(v != nullptr ? v : fallback);
}

void BM_AnalyzerRun(benchmark::State& state) {
  const fs::path source = envPath("YZ_PROGRAM_DIR", "build/program");
  const fs::path tables = source / fs::path(u8"内置文件");
  if (!fs::exists(tables / fs::path(u8"初始化后两码词库.txt"))) {
    state.SkipWithError("no generated tables; run vexim-lexgen and set YZ_PROGRAM_DIR");
    return;
  }
  const yz::TempFolder temp("yz-analyzer-bench-");
  const fs::path& root = temp.path();
  fs::create_directories(root / fs::path(u8"用户diy文件"));
  fs::create_directories(root / fs::path(u8"赛文资料"));
  yz::copyFolderKeepingTimes(tables, root / fs::path(u8"内置文件"));
  yz::SimSessionOptions options;
  options.programFolder = root;
  options.resourceDir = envPath("YZ_DATA_DIR", "data") / "resources";
  yz::SimSession session(options);
  yz::App& app = *session.app;
  // The committed sentences (UTF-8) as the race text (GBK).
  std::string utf8;
  {
    const fs::path text = fs::path(YZ_SOURCE_DIR) / "bench" / "data" / "texts" / "everyday.test.txt";
    std::FILE* f = std::fopen(text.string().c_str(), "rb");
    if (f == nullptr) {
      state.SkipWithError("no race text");
      return;
    }
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) utf8.append(buf, n);
    std::fclose(f);
  }
  std::u16string text;
  for (std::size_t i = 0; i < utf8.size();) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    char32_t cp = c;
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    if (extra > 0) cp = c & (0x3F >> extra);
    for (int k = 1; k <= extra && i + k < utf8.size(); ++k) cp = (cp << 6) | (utf8[i + k] & 0x3F);
    i += static_cast<std::size_t>(extra) + 1;
    if (cp == u'\n') text += u"\r\n";
    else if (cp < 0x10000) text += static_cast<char16_t>(cp);
  }
  app.files.writeBytes(u"赛文资料\\两码整句赛文.txt", session.platform.toGbk(text));
  app.race.raceMethodLabel = u"“砚舟平台”";
  std::int64_t chars = 0;
  std::int64_t right = 0;
  for (auto _ : state) {
    session.analyzer->analyzer.sdq();
    chars += session.analyzer->analyzer.totals.charTotal;
    right = session.analyzer->analyzer.totals.charTotal - session.analyzer->analyzer.totals.diffTotal;
  }
  // How many characters of the race text the conversion got right (of chars_per_run).
  state.counters["right_chars"] = benchmark::Counter(static_cast<double>(right));
  state.counters["chars_per_run"] =
      benchmark::Counter(static_cast<double>(chars) / static_cast<double>(state.iterations()));
  state.counters["chars_per_s"] = benchmark::Counter(static_cast<double>(chars), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_AnalyzerRun)->Unit(benchmark::kMillisecond);

}  // namespace
