// Characters encoded per second by the sound-code annotator and the text encoder on a long text,
// over the generated built-in tables (data/resources; YZ_DATA_DIR overrides the data folder).

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include "lexicon/annotate.h"
#include "lexicon/encoder.h"
#include "lexicon/encoding_fixture.h"

namespace {

using yz::testing_support::EncodingWorld;

std::filesystem::path dataDir() {
  const char* dir = std::getenv("YZ_DATA_DIR");
  return dir ? std::filesystem::path(dir) : std::filesystem::path(YZ_SOURCE_DIR) / "data";
}

// A long text of ordinary prose with polyphonic characters, punctuation and digits, in lines.
std::u16string longText() {
  const std::u16string paragraph =
      u"银行的行长来了，他们都觉得还行。我们的目的是让音乐会很快乐地进行下去，"
      u"重要的事情说三遍：长大了的孩子认真地学习，慢慢地走向2024年的未来！"
      u"今天天气很好，我们是中国人，你好世界，发行量大的报纸都长了价。\r\n";
  std::u16string text;
  while (text.size() < 100000) text += paragraph;
  return text;
}

// The tables, loaded once; null when the resources are missing.
EncodingWorld* world() {
  static std::unique_ptr<EncodingWorld> w = [] {
    auto w = std::make_unique<EncodingWorld>();
    w->sim.resourceDir = dataDir() / "resources";
    if (!yz::loadAnnotationTables(w->sim, w->lex).ok() ||
        !yz::testing_support::loadSyllablesFromResource101(w->sim, w->lex.syllablesByPinyin)) {
      w.reset();
    }
    return w;
  }();
  return w.get();
}

void BM_citcvuyn(benchmark::State& state) {
  if (world() == nullptr) {
    state.SkipWithError("resources 101-104 not found");
    return;
  }
  const std::u16string text = longText();
  std::u16string code, qp;
  for (auto _ : state) {
    yz::citcvuyn(world()->ctx(), text, code, qp);
    benchmark::DoNotOptimize(code);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
  state.counters["chars/s"] = benchmark::Counter(static_cast<double>(text.size()), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_citcvuyn)->Unit(benchmark::kMillisecond);

// Sentence by sentence, as the engine calls the text encoder.
void BM_citcbmma_sentences(benchmark::State& state) {
  if (world() == nullptr) {
    state.SkipWithError("resources 101-104 not found");
    return;
  }
  const std::u16string text = longText();
  std::vector<std::u16string> sentences;
  std::u16string current;
  for (char16_t ch : text) {
    if (ch == u'\r' || ch == u'\n') continue;
    current += ch;
    if (ch == u'，' || ch == u'。' || ch == u'！' || ch == u'：') {
      sentences.push_back(current);
      current.clear();
    }
  }
  std::u16string bm, qp;
  std::int64_t chars = 0;
  for (const auto& s : sentences) chars += static_cast<std::int64_t>(s.size());
  for (auto _ : state) {
    for (const auto& s : sentences) {
      yz::citcbmma(world()->ctx(), s, bm, qp);
      benchmark::DoNotOptimize(bm);
    }
  }
  state.SetItemsProcessed(state.iterations() * chars);
  state.counters["chars/s"] = benchmark::Counter(static_cast<double>(chars), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_citcbmma_sentences)->Unit(benchmark::kMillisecond);

}  // namespace
