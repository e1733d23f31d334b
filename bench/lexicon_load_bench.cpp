// Loading a 300,000-line main lexicon from its image against loading it from its GBK text file,
// in one run. Each benchmark reports the peak heap the load needed beyond what was held before
// it (peak_MiB) and what the loaded table keeps (kept_MiB).

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstdlib>
#include <filesystem>
#include <new>
#include <random>
#include <string>

#include "lexicon/files.h"
#include "lexicon/image_loader.h"
#include "platform/sim/sim_platform.h"
#include "platform/sim/temp_folder.h"

namespace {

// Heap accounting through the global allocation functions.
std::size_t heapNow = 0;
std::size_t heapPeak = 0;

void* allocate(std::size_t n) {
  void* p = std::malloc(n == 0 ? 1 : n);
  if (!p) throw std::bad_alloc();
  heapNow += malloc_usable_size(p);
  if (heapNow > heapPeak) heapPeak = heapNow;
  return p;
}

void release(void* p) {
  if (!p) return;
  heapNow -= malloc_usable_size(p);
  std::free(p);
}

constexpr std::size_t kLines = 300000;

// A program folder holding the lexicon as text and as image, made once per run and removed at its
// end.
const yz::ProgramFolder& lexiconFolder() {
  static const yz::TempFolder temp("yz-lexicon-load-bench-");
  static const yz::ProgramFolder folder = [] {
    const auto& root = temp.path();
    std::filesystem::create_directories(root / "内置文件");
    yz::ProgramFolder f(root);
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> han(0x4E00, 0x9FA5), words(1, 4), chars(1, 4), weight(100, 999);
    std::u16string text;
    for (std::size_t i = 0; i < kLines; ++i) {
      // Distinct codes in ascending order: the index in base 26, four letters or more.
      std::u16string code;
      std::size_t v = i;
      for (int k = 0; k < 4 || v > 0; ++k, v /= 26) code.insert(code.begin(), static_cast<char16_t>(u'a' + v % 26));
      text += code;
      text += u',';
      int n = words(rng);
      for (int w = 0; w < n; ++w) {
        if (w > 0) text += u' ';
        int len = chars(rng);
        for (int c = 0; c < len; ++c) text += static_cast<char16_t>(han(rng));
        std::string wt = std::to_string(weight(rng)) + ".5";
        text += u' ';
        text += std::u16string(wt.begin(), wt.end());
      }
      text += u"\r\n";
    }
    yz::SimPlatform sim;
    yz::LexiconTable table;
    yz::parseLexiconText(text, table);
    if (!f.writeBytes(yz::kMainLexiconPath, sim.toGbk(text)) ||
        !f.writeBytes(yz::kLexiconImagePath,
                      yz::encodeLexiconImage(table, f.stamp(yz::kMainLexiconPath).value()))) {
      std::abort();
    }
    return f;
  }();
  return folder;
}

template <typename Load>
void measure(benchmark::State& state, Load load) {
  double peak = 0, kept = 0;
  for (auto _ : state) {
    yz::LexiconTable table;
    table.reset();
    std::size_t before = heapNow;
    heapPeak = heapNow;
    load(table);
    peak = static_cast<double>(heapPeak - before) / (1 << 20);
    kept = static_cast<double>(heapNow - before) / (1 << 20);
    if (table.last != static_cast<std::int32_t>(kLines)) state.SkipWithError("wrong entry count");
    benchmark::DoNotOptimize(table);
  }
  state.counters["peak_MiB"] = peak;
  state.counters["kept_MiB"] = kept;
}

void BM_LoadImage(benchmark::State& state) {
  const auto& files = lexiconFolder();
  measure(state, [&](yz::LexiconTable& t) {
    if (!yz::duqudaciku(files, t).ok) std::abort();
  });
}
BENCHMARK(BM_LoadImage)->Unit(benchmark::kMillisecond);

void BM_LoadText(benchmark::State& state) {
  const auto& files = lexiconFolder();
  yz::SimPlatform sim;
  measure(state, [&](yz::LexiconTable& t) {
    if (!yz::loadLexiconText(files, sim, yz::kMainLexiconPath, t).ok) std::abort();
  });
}
BENCHMARK(BM_LoadText)->Unit(benchmark::kMillisecond);

}  // namespace

void* operator new(std::size_t n) { return allocate(n); }
void* operator new[](std::size_t n) { return allocate(n); }
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }
