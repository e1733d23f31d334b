// Building and laying out the candidate list of a two-letter code with 100 candidates: the tail
// candidates (the end list joined with the single-character line), the display (repeats removed,
// the first word in front, one page labelled with hints) and the window layout, as one input pass
// runs them after the conversion.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

#include "inputpass/candidates.h"
#include "main/sim_driver.h"

namespace {

// "word weight" pairs: 100 words of one or two characters, weights 010 to 109.
std::u16string hundredCandidates() {
  std::u16string line;
  for (int i = 0; i < 100; ++i) {
    if (!line.empty()) line += u' ';
    line += static_cast<char16_t>(0x4E00 + 3 * i);
    if (i % 2 == 1) line += static_cast<char16_t>(0x5000 + i);
    std::string weight(i + 10 < 100 ? 1 : 0, '0');
    weight += std::to_string(i + 10);
    line.append(weight.begin(), weight.end());
    line.insert(line.size() - weight.size(), 1, u' ');
  }
  return line;
}

void fill(yz::LexiconTable& table, std::u16string_view code, std::u16string_view line) {
  table.reset();
  table.codes.push(code);
  table.lines.push(line);
  table.last = 1;
}

void BM_CandidateListOfTwoLetterCode(benchmark::State& state) {
  yz::SimSession session;
  yz::App& app = *session.app;
  const std::u16string line = hundredCandidates();
  fill(app.lex.mainLexicon, u"wo", line);
  fill(app.lex.charLexicon, u"wo", line.substr(0, line.size() / 2));
  for (int i = 0; i < 200; ++i) {
    app.lex.charAuxCodes.set(app.gbk.charIndex(static_cast<char16_t>(0x4E00 + i)), u"ab");
  }
  app.pass.quickSelectKeys = u";'[]\\1234567890";
  app.settings.hxgu = u"10";
  const yz::PassContext& ctx = app.passRunner.context();
  const std::u16string code = u"wo", word = u"一";
  for (auto _ : state) {
    app.conv.tailCode = code;
    app.conv.tailText = word;
    app.conv.endzf = line;
    app.win.boxes.rtext1.text = app.win.boxes.Text1.text = code;
    app.win.boxes.text7.text = word;
    yz::TailCandidates(ctx).startCandidates(true);
    yz::CandidateDisplay display(ctx);
    display.show();
    app.windowUi.zdus();
    benchmark::DoNotOptimize(app.win.boxes.hxl.text.data());
  }
  if (app.win.boxes.hxl.text.empty()) state.SkipWithError("no candidates shown");
  state.counters["tex5f9_pairs"] = static_cast<double>(
      std::count(app.pass.tex5f9.begin(), app.pass.tex5f9.end(), u' ') + 1) / 2;
}

BENCHMARK(BM_CandidateListOfTwoLetterCode)->Unit(benchmark::kMicrosecond);

}  // namespace
