// Time and peak memory of the full regeneration of the default scheme's lexicons from the built-in
// tables: the system lexicon (resource 105, sound codes), the single-character lexicon and the
// lexicon image. Run from the repository root, or set YZ_DATA_DIR to the data folder.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>

#include "lexbuild/char_lexicon.h"
#include "lexbuild/image_writer.h"
#include "lexbuild/system_lexicon.h"
#include "lexicon/files.h"
#include "lexicon/gbk.h"
#include "lexicon/syllables.h"
#include "platform/sim/sim_platform.h"
#include "platform/sim/temp_folder.h"

namespace {

std::filesystem::path dataDir() {
  const char* dir = std::getenv("YZ_DATA_DIR");
  return dir != nullptr ? std::filesystem::path(dir) : std::filesystem::path("data");
}

double peakMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_DefaultRegeneration(benchmark::State& state) {
  std::filesystem::path master = dataDir() / std::filesystem::path(u8"内置文件/全拼-小鹤-自然-国标.txt");
  if (!std::filesystem::exists(master)) {
    state.SkipWithError("built-in tables not found; set YZ_DATA_DIR");
    return;
  }
  const yz::TempFolder temp("yz-lexgen-bench-");
  yz::ProgramFolder files(temp.path());
  std::filesystem::create_directories(files.path(u"内置文件"));
  std::filesystem::create_directories(files.path(u"用户diy文件"));
  std::filesystem::copy_file(master, files.path(yz::kSyllableMasterPath));
  yz::SimPlatform platform;
  platform.resourceDir = dataDir() / "resources";
  platform.defaultMessageBoxAnswer = yz::MessageBoxAnswer::Ok;
  yz::qptouptoup(files, platform);
  yz::GbkTable gbk(platform);
  std::int32_t lines = 0;
  for (auto _ : state) {
    auto lex = std::make_unique<yz::LexiconState>();
    yz::PassState pass;
    yz::Settings settings;
    yz::RegenerationContext ctx{platform, files, *lex, pass, settings, u"", u"", [] {}};
    lines = yz::bmvh(ctx).lines;
    yz::regenerateCharLexicon(files, platform, *lex, gbk, false, [] {});
    yz::writeLexiconImage(files, platform);
    platform.messageBoxes.clear();
  }
  state.counters["lines"] = lines;
  state.counters["peak_MiB"] = peakMiB();
}
BENCHMARK(BM_DefaultRegeneration)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
