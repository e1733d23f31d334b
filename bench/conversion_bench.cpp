// One input pass's conversion on the full lexicon: a 20-syllable code line converted from
// scratch, and the re-conversion after one more letter. YZ_DATA_DIR overrides the data folder.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

#include "conversion_world.h"

namespace {

using yz::bench_support::ConversionWorld;

std::filesystem::path dataDir() {
  const char* dir = std::getenv("YZ_DATA_DIR");
  return dir ? std::filesystem::path(dir) : std::filesystem::path(YZ_SOURCE_DIR) / "data";
}

ConversionWorld* world() {
  static std::unique_ptr<ConversionWorld> w = [] {
    auto w = std::make_unique<ConversionWorld>();
    if (!yz::bench_support::buildTwoLetterLexicon(w->sim, dataDir() / "resources", w->lex.mainLexicon,
                                                      w->lex.charLexicon))
      w.reset();
    return w;
  }();
  return w.get();
}

// 我们今天在图书馆里认真地阅读了很多有意思: twenty syllables in 自然双拼.
const std::u16string& codeLine() {
  static const std::u16string line = u"womfjntmzltuuugrlirfvfdeytdulehfdoybyisi";
  return line;
}

void BM_ConvertFromScratch(benchmark::State& state) {
  ConversionWorld* w = world();
  if (!w) {
    state.SkipWithError("resources 101 and 105 not found");
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(w->convert(codeLine()));
  state.counters["letters"] = static_cast<double>(codeLine().size());
}
BENCHMARK(BM_ConvertFromScratch)->Unit(benchmark::kMicrosecond);

// The input pass keeps all words but the last five and re-converts the tail with one more letter.
void BM_ReconvertAfterOneMoreLetter(benchmark::State& state) {
  ConversionWorld* w = world();
  if (!w) {
    state.SkipWithError("resources 101 and 105 not found");
    return;
  }
  const std::u16string line = codeLine() + u"d";
  for (auto _ : state) {
    state.PauseTiming();
    w->convert(codeLine());
    const std::int32_t words = w->conv.wordIndex;
    const std::int32_t keep = words > 5 ? words - 5 : 0;
    std::size_t letters = 0;
    for (std::int32_t i = 1; i <= keep; ++i) letters += w->conv.wordTable[i].code.size();
    std::u16string tail = line.substr(letters), sentence, endzf;
    w->win.boxes.rtext1.text = line;
    w->win.boxes.Text1.text = line;
    w->conv.j0 = keep;
    w->conv.wordCounter = 0;
    w->conv.qmhbir = keep > 0 ? 1 : 0;
    state.ResumeTiming();
    w->engine.sentence.fjyi(tail, sentence, endzf);
    benchmark::DoNotOptimize(sentence);
  }
}
BENCHMARK(BM_ReconvertAfterOneMoreLetter)->Unit(benchmark::kMicrosecond);

}  // namespace
