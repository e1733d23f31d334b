// Accuracy of the sentence conversion as a user meets it: every clause of a text is encoded with
// the text encoder (resources 101-104), typed into the App key by key (its letters, then Space)
// on the program folder's generated lexicons, and the committed text is compared with the clause.
// A line of the text counts as right when all its clauses come out right. Reports the sentence
// (line) accuracy and the character accuracy of each text, their mean (each text counting once,
// whatever its size), and of all lines together by line length (4-7, 8-12, 13-30 characters).
// Each key's time (the hook, the input pass and the commit it sets off) is measured as well: the
// mean and the worst per key, letters and Space apart, overall and on the long lines; the worst
// also on the processor clock of the thread, which leaves out the time the system gave to other
// processes while a key was taken.
//
// Usage: accuracy [--summary] [--keys] [program folder [text file...]]
//   program folder: default $YZ_PROGRAM_DIR, else the working directory; made by vexim-lexgen
//     (it is copied, the App runs on the copy); resources from $YZ_DATA_DIR/resources, default
//     data/resources of the source tree;
//   text files: UTF-8, one line per sentence; default the held-out test parts of the four kinds
//     of text, bench/data/texts/<kind>.test.txt (software, narrative, help, everyday; the
//     <kind>.dev.txt parts are what the weights are tuned on);
//   --summary: the figures only, not every wrong line.
//   --keys: after every key, the code line, the sentence and the candidate list shown (to compare two builds: every
//     line of this output must stay the same when only the speed changed).
// Without a generated lexicon the program says so and ends without measuring.

#include <malloc.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "main/sim_driver.h"
#include "lexicon/encoder.h"
#include "lexicon/files.h"
#include "lexicon/utf.h"
#include "lexicon/encoding_fixture.h"
#include "lexicon/image_loader.h"

namespace {

constexpr std::u16string_view kLexicon = u"内置文件\\两码词库.txt";
constexpr std::u16string_view kPunctuation = u"，。！？、；：“”‘’（）";
// The kinds of text whose test parts are measured when no text is named.
constexpr const char* kKinds[] = {"software", "narrative", "help", "everyday"};

std::string utf8(std::u16string_view s) {
  std::string out;
  for (char16_t c : s) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::u16string fromUtf8(std::string_view s) {
  std::u16string out;
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      out += c;
      i += 1;
    } else if ((c & 0xE0) == 0xC0 && i + 1 < s.size()) {
      out += static_cast<char16_t>(((c & 0x1F) << 6) | (s[i + 1] & 0x3F));
      i += 2;
    } else if (i + 2 < s.size()) {
      out += static_cast<char16_t>(((c & 0x0F) << 12) | ((s[i + 1] & 0x3F) << 6) | (s[i + 2] & 0x3F));
      i += 3;
    } else {
      break;
    }
  }
  return out;
}

std::vector<std::u16string> clauses(std::u16string_view line) {
  std::vector<std::u16string> out;
  std::u16string current;
  for (char16_t c : line) {
    if (kPunctuation.find(c) != std::u16string_view::npos) {
      if (!current.empty()) out.push_back(std::move(current));
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty()) out.push_back(std::move(current));
  return out;
}


struct Tally {
  std::size_t lines = 0, rightLines = 0, chars = 0, rightChars = 0;
  void add(bool right, std::size_t n, std::size_t r) {
    ++lines;
    rightLines += right;
    chars += n;
    rightChars += r;
  }
  double sentenceAccuracy() const { return lines ? static_cast<double>(rightLines) / lines : 0; }
  double characterAccuracy() const { return chars ? static_cast<double>(rightChars) / chars : 0; }
  void print(const char* label) const {
    if (lines == 0) return;
    std::printf("%-22s sentences %5zu  sentence accuracy %.3f  characters %6zu  character accuracy %.3f\n",
                label, lines, sentenceAccuracy(), chars, characterAccuracy());
  }
};

// The processor time this thread has used, in milliseconds: unlike the clock on the wall it does
// not go on while the system runs another process, so its worst key is the program's own.
double threadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Times of many keys, in milliseconds: their count, sum and worst, and how many fell in each
// microsecond up to 65 ms (the slower ones in the last), so that a run over the whole text keeps
// no list of its keys and its memory stays the program's own.
struct TimeTally {
  static constexpr std::size_t kBins = 65536;
  std::size_t count = 0;
  double sum = 0, worst = 0;
  std::vector<std::uint32_t> bins = std::vector<std::uint32_t>(kBins);
  void add(double ms) {
    ++count;
    sum += ms;
    worst = std::max(worst, ms);
    ++bins[std::min(static_cast<std::size_t>(std::max(ms, 0.0) * 1e3), kBins - 1)];
  }
  // The time below which `perMille` thousandths of the keys lie, to the microsecond.
  double below(std::size_t perMille) const {
    const std::size_t rank = count * perMille / 1000;  // the rank in the sorted times
    std::size_t seen = 0;
    for (std::size_t i = 0; i < kBins; ++i) {
      seen += bins[i];
      if (seen > rank) return i + 1 == kBins ? worst : static_cast<double>(i) / 1e3;
    }
    return worst;
  }
};

// Times of single keys, in milliseconds: on the wall clock, and on the processor (the `Cpu` ones),
// kept for one line.
struct KeyTimes {
  std::vector<double> letters, spaces, lettersCpu, spacesCpu;
  // The slowest letter keys on the processor: the time and the code typed up to and with the key.
  std::vector<std::pair<double, std::u16string>> slowest;
  void noteSlow(double ms, std::u16string_view code) {
    constexpr std::size_t kKept = 20;
    if (slowest.size() == kKept && ms <= slowest.back().first) return;
    slowest.emplace_back(ms, std::u16string(code));
    std::sort(slowest.begin(), slowest.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    if (slowest.size() > kKept) slowest.pop_back();
  }
};

// The key times of many lines.
struct KeyTally {
  TimeTally letters, spaces;
  double worstLetterCpu = 0, worstSpaceCpu = 0;
  double firstLetter = -1;  // the first letter key's time
  KeyTimes slow;            // its `slowest` only
  void add(const KeyTimes& line) {
    if (firstLetter < 0 && !line.letters.empty()) firstLetter = line.letters.front();
    for (double t : line.letters) letters.add(t);
    for (double t : line.spaces) spaces.add(t);
    for (double t : line.lettersCpu) worstLetterCpu = std::max(worstLetterCpu, t);
    for (double t : line.spacesCpu) worstSpaceCpu = std::max(worstSpaceCpu, t);
    for (const auto& s : line.slowest) slow.noteSlow(s.first, s.second);
  }
  static void print(const char* label, const TimeTally& t, double worstCpu) {
    if (t.count == 0) return;
    std::printf("  %-22s keys %6zu  mean %.3f ms  p99 %.3f ms  p99.9 %.3f ms  worst %.3f ms  worst on the processor %.3f ms\n",
                label, t.count, t.sum / static_cast<double>(t.count), t.below(990), t.below(999), t.worst, worstCpu);
  }
};

// Types a code key by key, 120 ms apart as a brisk typist does (two presses of one key closer
// than that are a long press), and commits it with Space; each key's time goes to `times`. A
// letter that the window refuses because the sentence is already at its longest commits the
// sentence with Space first, as a user does (a dangling first letter of a syllable taken back
// with Backspace and typed again after it).
constexpr std::uint32_t kKeyGapMs = 120;
void typeCode(yz::SimSession& session, std::u16string_view code, KeyTimes& times, bool showKeys) {
  // Types one key; returns its time on the processor.
  auto timed = [&](std::u16string_view key, std::vector<double>& into, std::vector<double>& intoCpu) {
    const double startCpu = threadCpuMs();
    const auto start = std::chrono::steady_clock::now();
    session.type(key);
    const auto end = std::chrono::steady_clock::now();
    const double cpu = threadCpuMs() - startCpu;
    into.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    intoCpu.push_back(cpu);
    session.platform.advance(kKeyGapMs);
    if (showKeys) {
      const auto& boxes = session.app->win.boxes;
      std::printf("    %s | %s | %s\n", utf8(boxes.rtext1.text).c_str(), utf8(boxes.text7.text).c_str(),
                  utf8(boxes.hxl.text).c_str());
    }
    return intoCpu.back();
  };
  const std::u16string& codeLine = session.app->win.boxes.rtext1.text;
  std::size_t from = 0;  // where the code line starts in `code`
  for (std::size_t i = 0; i < code.size(); ++i) {
    const std::size_t before = codeLine.size();
    times.noteSlow(timed(code.substr(i, 1), times.letters, times.lettersCpu), code.substr(from, i + 1 - from));
    if (codeLine.size() == before && before > 0) {
      // The sentence shown is as long as the window takes letters for: as a user does, take back
      // a syllable's first letter, commit the sentence and type the rest of the clause as the next.
      std::size_t restart = i;
      if ((i - from) % 2 == 1) {
        session.type(u"backspace");
        --restart;
      }
      timed(u"space", times.spaces, times.spacesCpu);
      from = restart;
      for (std::size_t k = restart; k <= i; ++k)
        times.noteSlow(timed(code.substr(k, 1), times.letters, times.lettersCpu), code.substr(from, k + 1 - from));
    }
  }
  timed(u"space", times.spaces, times.spacesCpu);
}

}  // namespace

int main(int argc, char** argv) {
  bool summary = false;
  bool showKeys = false;
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--summary") summary = true;
    else if (std::string(argv[i]) == "--keys") showKeys = true;
    else args.emplace_back(argv[i]);
  }
  const char* env = std::getenv("YZ_PROGRAM_DIR");
  const std::filesystem::path folder = !args.empty() ? args[0] : env ? env : ".";
  const yz::ProgramFolder files(folder);
  if (!files.exists(kLexicon)) {
    std::printf("accuracy: no generated two-letter lexicon in %s; nothing measured.\n",
                folder.string().c_str());
    return 0;
  }
  const char* dataEnv = std::getenv("YZ_DATA_DIR");
  const std::filesystem::path resources =
      (dataEnv ? std::filesystem::path(dataEnv) : std::filesystem::path(YZ_SOURCE_DIR) / "data") / "resources";

  std::vector<std::filesystem::path> texts(args.size() > 1 ? args.begin() + 1 : args.end(), args.end());
  if (texts.empty()) {
    for (const char* kind : kKinds)
      texts.push_back(std::filesystem::path(YZ_SOURCE_DIR) / "bench" / "data" / "texts" /
                      (std::string(kind) + ".test.txt"));
  }
  // Every clause's code, each followed by a line feed, one string for each text, made before the
  // App starts: the encoder's tables are let go first, so the peak memory of the run is the
  // program's own.
  std::vector<std::u16string> codes(texts.size());
  {
    auto encoding = std::make_unique<yz::testing_support::EncodingWorld>();
    encoding->sim.resourceDir = resources;
    if (!yz::loadAnnotationTables(encoding->sim, encoding->lex).ok() ||
        !yz::testing_support::loadSyllablesFromResource101(encoding->sim, encoding->lex.syllablesByPinyin)) {
      std::printf("accuracy: resources 101-104 not found.\n");
      return 1;
    }
    for (std::size_t t = 0; t < texts.size(); ++t) {
      std::ifstream in(texts[t]);
      for (std::string raw; std::getline(in, raw);) {
        for (const std::u16string& clause : clauses(fromUtf8(raw))) {
          std::u16string code, pinyin;
          yz::citcbmma(encoding->ctx(), clause, code, pinyin);
          codes[t] += code;
          codes[t] += u'\n';
        }
      }
    }
  }

  // The encoder's heap, let go above, goes back to the system before the App starts: left in the
  // allocator's keeping it would be resident, and counted as the program's, all run long.
  malloc_trim(0);

  // The App runs on a copy of the program folder.
  const std::filesystem::path root =
      std::filesystem::temp_directory_path() / ("yz-accuracy-" + std::to_string(::getpid()));
  std::filesystem::remove_all(root);
  std::filesystem::create_directories(root / std::filesystem::path(u8"用户diy文件"));
  yz::copyFolderKeepingTimes(folder / std::filesystem::path(u8"内置文件"),
                             root / std::filesystem::path(u8"内置文件"));
  yz::SimSessionOptions options;
  options.programFolder = root;
  options.resourceDir = resources;
  auto session = std::make_unique<yz::SimSession>(options);

  std::vector<Tally> perText(texts.size());
  Tally all, shortLines, midLines, longLines;
  KeyTally allKeys, longLineKeys;
  for (std::size_t t = 0; t < texts.size(); ++t) {
    std::ifstream in(texts[t]);
    std::u16string_view nextCodes = codes[t];
    if (!summary || showKeys) std::printf("text: %s\n", texts[t].filename().string().c_str());
    for (std::string raw; std::getline(in, raw);) {
      const std::u16string line = fromUtf8(raw);
      if (line.empty()) continue;
      bool right = true;
      std::size_t n = 0, r = 0;
      std::u16string got;
      KeyTimes lineKeys;
      // The simulated desktop records every key, answer and character, and the target window holds
      // all text typed: emptied line by line, so that their growth is not timed as the program's.
      session->target.text.clear();
      session->target.caret = 0;
      session->target.selectionLength = 0;
      session->platform.forgetKeyRecords();
      for (const std::u16string& clause : clauses(line)) {
        const std::size_t end = nextCodes.find(u'\n');
        const std::u16string_view code = nextCodes.substr(0, end);
        nextCodes.remove_prefix(end == std::u16string_view::npos ? nextCodes.size() : end + 1);
        const std::size_t before = session->target.text.size();
        typeCode(*session, code, lineKeys, showKeys);
        const std::u16string sentence = session->target.text.substr(std::min(before, session->target.text.size()));
        got += sentence + u" ";
        n += clause.size();
        for (std::size_t i = 0; i < clause.size() && i < sentence.size(); ++i) r += clause[i] == sentence[i];
        right = right && sentence == clause;
      }
      allKeys.add(lineKeys);
      if (n > 12) longLineKeys.add(lineKeys);
      perText[t].add(right, n, r);
      all.add(right, n, r);
      (n <= 7 ? shortLines : n <= 12 ? midLines : longLines).add(right, n, r);
      if (showKeys) std::printf("  %s\n  -> %s\n", raw.c_str(), utf8(got).c_str());
      else if (!right && !summary) std::printf("  %s\n  -> %s\n", raw.c_str(), utf8(got).c_str());
    }
  }
  // A key can be slow once because the machine was busy elsewhere: the slowest keys are typed
  // again, each three times after its code, and the least of its times is what the key costs.
  double worstAgain = 0;
  std::u16string worstAgainCode;
  for (const auto& [ms, code] : allKeys.slow.slowest) {
    double least = ms;
    for (int round = 0; round < 3; ++round) {
      // Typed as the run typed it: keys as far apart, so that no two presses count as a held key.
      session->type(u"esc");
      session->platform.advance(kKeyGapMs);
      for (std::size_t i = 0; i + 1 < code.size(); ++i) {
        session->type(code.substr(i, 1));
        session->platform.advance(kKeyGapMs);
      }
      const double startCpu = threadCpuMs();
      session->type(code.substr(code.size() - 1));
      session->platform.advance(kKeyGapMs);
      least = std::min(least, threadCpuMs() - startCpu);
    }
    if (least > worstAgain) {
      worstAgain = least;
      worstAgainCode = code;
    }
  }
  session.reset();
  std::filesystem::remove_all(root);
  double sentenceSum = 0, characterSum = 0;
  for (std::size_t t = 0; t < texts.size(); ++t) {
    if (perText[t].lines == 0) {
      std::printf("accuracy: the text %s is missing or empty.\n", texts[t].string().c_str());
      return 1;
    }
    perText[t].print(texts[t].filename().string().c_str());
    sentenceSum += perText[t].sentenceAccuracy();
    characterSum += perText[t].characterAccuracy();
  }
  if (texts.size() > 1) {
    std::printf("%-22s sentence accuracy %.3f  character accuracy %.3f\n", "mean of the texts",
                sentenceSum / static_cast<double>(texts.size()), characterSum / static_cast<double>(texts.size()));
  }
  all.print("all lines");
  shortLines.print("4-7 chars");
  midLines.print("8-12 chars");
  longLines.print("13-30 chars");
  std::printf("time per key (the hook, the input pass, the commit):\n");
  if (allKeys.firstLetter >= 0) std::printf("  first key of the run    %.3f ms\n", allKeys.firstLetter);
  KeyTally::print("letters", allKeys.letters, allKeys.worstLetterCpu);
  KeyTally::print("Space (commit)", allKeys.spaces, allKeys.worstSpaceCpu);
  KeyTally::print("letters, 13-30 chars", longLineKeys.letters, longLineKeys.worstLetterCpu);
  KeyTally::print("Space, 13-30 chars", longLineKeys.spaces, longLineKeys.worstSpaceCpu);
  const auto& slowest = allKeys.slow.slowest;
  std::printf("  slowest letter keys on the processor (the code up to the key):");
  for (std::size_t i = 0; i < slowest.size() && i < 5; ++i)
    std::printf(" %s %.2f ms;", utf8(slowest[i].second).c_str(), slowest[i].first);
  std::printf("\n");
  if (!slowest.empty())
    std::printf("  worst letter key typed again (the %zu slowest, three times each, the least): %s %.3f ms\n",
                slowest.size(), utf8(worstAgainCode).c_str(), worstAgain);
  return 0;
}
