// QuickSort against std::sort on 300,000 lexicon-like lines ("code,word weight ...").

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "lexicon/quicksort.h"

namespace {

std::vector<std::u16string> lexiconLikeLines(std::size_t n) {
  std::mt19937 rng(42);
  std::uniform_int_distribution<int> letter(0, 25), han(0x4E00, 0x9FA5), len(1, 4), weight(10, 999);
  std::vector<std::u16string> lines;
  lines.reserve(n);
  for (std::size_t i = 0; i < n; ++i) {
    std::u16string line;
    int chars = len(rng);
    for (int c = 0; c < 2 * chars; ++c) line.push_back(static_cast<char16_t>(u'a' + letter(rng)));
    line += u",";
    for (int c = 0; c < chars; ++c) line.push_back(static_cast<char16_t>(han(rng)));
    std::string w = std::to_string(weight(rng));
    line += u' ';
    line.append(w.begin(), w.end());
    lines.push_back(std::move(line));
  }
  return lines;
}

const std::vector<std::u16string>& data() {
  static const auto lines = lexiconLikeLines(300000);
  return lines;
}

void BM_QuickSort(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto lines = data();
    state.ResumeTiming();
    yz::QuickSort(lines, 0, static_cast<int>(lines.size()) - 1, [] {});
    benchmark::DoNotOptimize(lines.data());
  }
}
BENCHMARK(BM_QuickSort)->Unit(benchmark::kMillisecond);

void BM_StdSort(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto lines = data();
    state.ResumeTiming();
    std::sort(lines.begin(), lines.end());
    benchmark::DoNotOptimize(lines.data());
  }
}
BENCHMARK(BM_StdSort)->Unit(benchmark::kMillisecond);

}  // namespace
