// Words per second that the article word maker makes from a long article (the first lines of the
// development text), started from its button 造词 on the generated tables, with its progress box
// shown as it goes. Needs a program folder made by vexim-lexgen (scripts/run prepares
// build/program): set YZ_PROGRAM_DIR, and YZ_DATA_DIR for resources 101-105. YZ_ARTICLE_LINES sets
// how many lines of the text make the article (default 3000).

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "analyzer/analyzer_window.h"
#include "analyzer/word_frequency.h"
#include "lexicon/text_file.h"
#include "lexicon/utf.h"
#include "main/sim_driver.h"
#include "platform/sim/temp_folder.h"

namespace {

namespace fs = std::filesystem;

fs::path envPath(const char* name, const char* fallback) {
  const char* v = std::getenv(name);
  return fs::path(v != nullptr ? v : fallback);
}

// The first `lines` lines of a UTF-8 text file, CR LF between them.
std::u16string firstLines(const fs::path& file, long lines) {
  std::string utf8;
  std::FILE* f = std::fopen(file.string().c_str(), "rb");
  if (f == nullptr) return {};
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) utf8.append(buf, n);
  std::fclose(f);
  std::u16string text;
  long seen = 0;
  for (std::size_t i = 0; i < utf8.size() && seen < lines;) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    char32_t cp = c;
    const int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    if (extra > 0) cp = c & (0x3F >> extra);
    for (int k = 1; k <= extra && i + k < utf8.size(); ++k) cp = (cp << 6) | (utf8[i + k] & 0x3F);
    i += static_cast<std::size_t>(extra) + 1;
    if (cp == u'\n') {
      text += u"\r\n";
      ++seen;
    } else if (cp < 0x10000) {
      text += static_cast<char16_t>(cp);
    }
  }
  return text;
}

void BM_WordMakerArticle(benchmark::State& state) {
  const fs::path source = envPath("YZ_PROGRAM_DIR", "build/program");
  const fs::path tables = source / fs::path(u8"内置文件");
  if (!fs::exists(tables / fs::path(u8"初始化后两码词库.txt"))) {
    state.SkipWithError("no generated tables; run vexim-lexgen and set YZ_PROGRAM_DIR");
    return;
  }
  const char* linesSetting = std::getenv("YZ_ARTICLE_LINES");
  const long articleLines = linesSetting != nullptr ? std::atol(linesSetting) : 3000;
  const std::u16string article =
      firstLines(fs::path(YZ_SOURCE_DIR) / "bench" / "data" / "texts" / "software.dev.txt", articleLines);
  if (article.empty()) {
    state.SkipWithError("no development text");
    return;
  }
  const yz::TempFolder temp("yz-word-maker-bench-");
  const fs::path& root = temp.path();
  fs::create_directories(root / fs::path(u8"用户diy文件"));
  fs::create_directories(root / fs::path(u8"赛文资料"));
  fs::copy(tables, root / fs::path(u8"内置文件"), fs::copy_options::recursive);
  yz::SimSessionOptions options;
  options.programFolder = root;
  options.resourceDir = envPath("YZ_DATA_DIR", "data") / "resources";
  yz::SimSession session(options);
  yz::App& app = *session.app;
  app.files.writeBytes(yz::kRaceTextPath, session.platform.toGbk(article));

  yz::AnalyzerWindow& window = *session.analyzer;
  window.openWordMaker();
  yz::SimForm* form = nullptr;
  for (yz::SimForm* f : session.platform.forms()) {
    if (f->control(u"Command1") != nullptr) form = f;
  }
  if (form == nullptr) {
    state.SkipWithError("no word-maker window");
    return;
  }
  // The progress box as the window shows it.
  std::u16string progress;
  std::int64_t progressShown = 0;
  form->onShow = [&](const yz::FormView&) {
    const yz::ControlView* box = form->control(u"Text3");
    if (box != nullptr && !box->text.empty() && box->text != progress) {
      progress = box->text;
      ++progressShown;
    }
  };

  std::int64_t words = 0;
  std::int64_t chars = 0;
  for (auto _ : state) {
    state.PauseTiming();
    app.files.remove(yz::kWordMakerResultPath);
    window.controls.text1.clear();  // 清空: file mode
    state.ResumeTiming();
    window.Command1_Click();
    state.PauseTiming();
    // The summed result: every word made once per count.
    for (const auto& line : yz::readGbkLines(app.files, session.platform, yz::kWordMakerResultPath)
                                .value_or(std::vector<std::u16string>{})) {
      const std::size_t comma = line.find(u',');
      if (comma == std::u16string::npos) continue;
      words += std::atol(yz::toUtf8(std::u16string_view(line).substr(comma + 1)).c_str());
    }
    for (const auto& segment :
         yz::readGbkLines(app.files, session.platform, u"赛文资料\\两码整句赛文纯汉字.txt")
             .value_or(std::vector<std::u16string>{})) {
      chars += static_cast<std::int64_t>(segment.size());
    }
    state.ResumeTiming();
  }
  form->onShow = nullptr;
  const double runs = static_cast<double>(state.iterations());
  state.counters["words_per_s"] =
      benchmark::Counter(static_cast<double>(words), benchmark::Counter::kIsRate);
  state.counters["chars_per_s"] =
      benchmark::Counter(static_cast<double>(chars), benchmark::Counter::kIsRate);
  state.counters["words_per_run"] = benchmark::Counter(static_cast<double>(words) / runs);
  // How often the progress box changed in a run (a whole percent at a time: at most 101).
  state.counters["progress_steps"] = benchmark::Counter(static_cast<double>(progressShown) / runs);
  state.SetLabel("progress ended at " + yz::toUtf8(progress));
}

BENCHMARK(BM_WordMakerArticle)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
