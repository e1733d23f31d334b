// Accuracy of the sentence conversion as a user meets it: every clause of a text is encoded with
// the text encoder (resources 101-104), typed into the App key by key (its letters, then Space)
// on the program folder's generated lexicons, and the committed text is compared with the clause.
// A line of the text counts as right when all its clauses come out right. Reports the sentence
// (line) accuracy and the character accuracy, overall and by line length (4-7, 8-12, 13-30
// characters).
//
// Usage: accuracy [--summary] [program folder [text file]]
//   program folder: default $YZ_PROGRAM_DIR, else the working directory; made by vexim-lexgen
//     (it is copied, the App runs on the copy); resources from $YZ_DATA_DIR/resources, default
//     data/resources of the source tree;
//   text file: UTF-8, one line per sentence; default bench/data/test_text.txt (the held-out test
//     part; bench/data/dev_text.txt is the part the weights are tuned on);
//   --summary: the figures only, not every wrong line.
// Without a generated lexicon the program says so and ends without measuring.

#include <unistd.h>

#include <algorithm>
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
  void print(const char* label) const {
    if (lines == 0) return;
    std::printf("%-14s sentences %5zu  sentence accuracy %.3f  characters %6zu  character accuracy %.3f\n",
                label, lines, static_cast<double>(rightLines) / lines, chars,
                static_cast<double>(rightChars) / chars);
  }
};

// Types a code key by key, 120 ms apart as a brisk typist does (two presses of one key closer
// than that are a long press), and commits it with Space.
void typeCode(yz::SimSession& session, std::u16string_view code) {
  constexpr std::uint32_t kKeyGapMs = 120;
  for (char16_t c : code) {
    session.type(std::u16string(1, c));
    session.platform.advance(kKeyGapMs);
  }
  session.type(u"space");
  session.platform.advance(kKeyGapMs);
}

}  // namespace

int main(int argc, char** argv) {
  bool summary = false;
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--summary") summary = true;
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

  yz::testing_support::EncodingWorld encoding;
  encoding.sim.resourceDir = resources;
  if (!yz::loadAnnotationTables(encoding.sim, encoding.lex).ok() ||
      !yz::testing_support::loadSyllablesFromResource101(encoding.sim, encoding.lex.syllablesByPinyin)) {
    std::printf("accuracy: resources 101-104 not found.\n");
    return 1;
  }

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

  const std::filesystem::path text =
      args.size() > 1 ? std::filesystem::path(args[1])
                      : std::filesystem::path(YZ_SOURCE_DIR) / "bench" / "data" / "test_text.txt";
  std::ifstream in(text);
  Tally all, shortLines, midLines, longLines;
  for (std::string raw; std::getline(in, raw);) {
    const std::u16string line = fromUtf8(raw);
    if (line.empty()) continue;
    bool right = true;
    std::size_t n = 0, r = 0;
    std::u16string got;
    for (const std::u16string& clause : clauses(line)) {
      std::u16string code, pinyin;
      yz::citcbmma(encoding.ctx(), clause, code, pinyin);
      const std::size_t before = session->target.text.size();
      typeCode(*session, code);
      const std::u16string sentence = session->target.text.substr(std::min(before, session->target.text.size()));
      got += sentence + u" ";
      n += clause.size();
      for (std::size_t i = 0; i < clause.size() && i < sentence.size(); ++i) r += clause[i] == sentence[i];
      right = right && sentence == clause;
    }
    all.add(right, n, r);
    (n <= 7 ? shortLines : n <= 12 ? midLines : longLines).add(right, n, r);
    if (!right && !summary) std::printf("  %s\n  -> %s\n", raw.c_str(), utf8(got).c_str());
  }
  session.reset();
  std::filesystem::remove_all(root);
  if (all.lines == 0) {
    std::printf("accuracy: the test text is missing.\n");
    return 1;
  }
  std::printf("text: %s\n", text.filename().string().c_str());
  all.print("all");
  shortLines.print("4-7 chars");
  midLines.print("8-12 chars");
  longLines.print("13-30 chars");
  return 0;
}
