// Code lookups per second: random two- to eight-letter codes against a main lexicon of 300,000
// lines (synthetic codes of two letters per character), a small user lexicon and a
// single-character lexicon.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "lexicon/gbk.h"
#include "lexicon/lookup.h"
#include "lexicon/user_lookup.h"
#include "platform/sim/sim_platform.h"

namespace yz {
namespace {

constexpr int kMainLines = 300000;

std::u16string randomLetters(std::mt19937& rng, std::size_t n) {
  std::uniform_int_distribution<int> letter(0, 25);
  std::u16string s;
  for (std::size_t i = 0; i < n; ++i) s.push_back(static_cast<char16_t>(u'a' + letter(rng)));
  return s;
}

// A candidate list of a few words of `chars` characters each.
std::u16string randomLine(std::mt19937& rng, std::size_t chars) {
  std::uniform_int_distribution<int> hanzi(0x4E00, 0x9FA5);
  std::uniform_int_distribution<int> weight(10, 999);
  std::u16string line;
  const int words = 1 + static_cast<int>(rng() % 3);
  for (int w = 0; w < words; ++w) {
    if (!line.empty()) line += u' ';
    for (std::size_t c = 0; c < chars; ++c) line.push_back(static_cast<char16_t>(hanzi(rng)));
    std::u16string digits;
    for (int v = weight(rng); v > 0; v /= 10) digits.insert(digits.begin(), static_cast<char16_t>(u'0' + v % 10));
    while (digits.size() < 3) digits.insert(digits.begin(), u'0');
    line += u' ';
    line += digits;
  }
  return line;
}

void fill(LexiconTable& t, const std::set<std::u16string>& codes, std::mt19937& rng) {
  t.reset();
  t.codes.reserve(codes.size() + 1);
  t.lines.reserve(codes.size() + 1);
  for (const std::u16string& code : codes) {
    t.codes.push(code);
    t.lines.push(randomLine(rng, std::max<std::size_t>(1, code.size() / 2)));
  }
  t.last = static_cast<std::int32_t>(codes.size());
}

struct World {
  SimPlatform sim;
  GbkTable gbk{sim};
  Settings settings;
  CompositionState comp;
  ConversionState conv;
  PassState pass;
  WindowState win;
  RaceState race;
  LexiconState lex;
  UserLookup user{lex, settings, comp, pass, win, race};
  CodeLookup lookup{lex, settings, comp, conv, pass, win, race, gbk, sim, user};
  std::vector<std::u16string> queries;

  World() {
    std::mt19937 rng(20261210);
    std::set<std::u16string> mainCodes;
    std::uniform_int_distribution<int> chars(1, 4);
    while (mainCodes.size() < kMainLines) mainCodes.insert(randomLetters(rng, 2 * static_cast<std::size_t>(chars(rng))));
    fill(lex.mainLexicon, mainCodes, rng);
    std::set<std::u16string> userCodes;
    while (userCodes.size() < 2000) userCodes.insert(randomLetters(rng, 4));
    fill(lex.userLexicon, userCodes, rng);
    std::set<std::u16string> charCodes;
    for (char16_t a = u'a'; a <= u'z'; ++a) {
      charCodes.insert(std::u16string(1, a));
      for (char16_t b = u'a'; b <= u'z'; ++b) charCodes.insert(std::u16string{a, b});
    }
    fill(lex.charLexicon, charCodes, rng);
    for (char16_t ch = 0x4E00; ch <= 0x9FA5; ++ch) {
      lex.charAuxCodes.set(static_cast<std::size_t>(gbk.charIndex(ch)), randomLetters(rng, 2));
    }
    settings.zrhx.borderStyle = 1;
    // Half the queries begin with a code of the lexicon, half are random letters.
    const std::vector<std::u16string> known(mainCodes.begin(), mainCodes.end());
    std::uniform_int_distribution<std::size_t> pick(0, known.size() - 1);
    std::uniform_int_distribution<int> length(2, 8);
    for (int i = 0; i < 4096; ++i) {
      const std::size_t n = static_cast<std::size_t>(length(rng));
      std::u16string q = i % 2 == 0 ? known[pick(rng)] : randomLetters(rng, n);
      if (q.size() > n) q.resize(n);
      while (q.size() < n) q += randomLetters(rng, 1);
      queries.push_back(std::move(q));
    }
  }
};

// mode 0: 纯两码整句 as typed (auxiliary letters read, nested lookups); 1: plain lookups, as the
// segmentation asks with `fybci` set.
void BM_CodeLookup(benchmark::State& state) {
  auto world = std::make_unique<World>();
  const bool plain = state.range(0) == 1;
  std::size_t i = 0;
  for (auto _ : state) {
    const std::u16string& code = world->queries[i++ & 4095];
    world->win.boxes.Text1.text = code;
    world->win.boxes.rtext1.text = code;
    if (plain) world->lex.cells.fybci = 1;
    world->lookup.hzirvck(code, world->lex.cells.lookupWord, world->lex.cells.zicipn);
    benchmark::DoNotOptimize(world->lex.cells.lookupWord);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CodeLookup)->Arg(0)->Arg(1);

}  // namespace
}  // namespace yz
