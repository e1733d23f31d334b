// Sentence accuracy of the conversion over a test text of modern prose (data/accuracy_sentences.txt),
// with the generated two-letter lexicon of a program folder (内置文件\两码词库.txt). Each line is
// cut at its punctuation; every clause is encoded with the text encoder, converted as one code
// line and compared with the clause. A line counts as right when all its clauses come out right.
//
// Usage: accuracy [program folder [text file]]
//   program folder: default $YZ_PROGRAM_DIR, else the working directory;
//   text file: UTF-8, one line per sentence; default bench/data/accuracy_sentences.txt (the test
//   text; bench/data/dev_sentences.txt is the text to tune the data on).
// Without a generated lexicon the program says so and ends without measuring.
//
// Then what word learning earns: every clause of the development text is converted, committed
// once as chosen text (word learning into an empty user lexicon), and after all of them the text
// is converted again; the sentence accuracy before and after is printed.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "conversion/learning.h"
#include "conversion_world.h"
#include "lexicon/encoder.h"
#include "lexicon/files.h"
#include "lexicon/encoding_fixture.h"
#include "lexicon/image_loader.h"

namespace {

using yz::bench_support::ConversionWorld;

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

std::vector<std::u16string> readLines(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::vector<std::u16string> out;
  for (std::string raw; std::getline(in, raw);) {
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    if (!raw.empty()) out.push_back(fromUtf8(raw));
  }
  return out;
}

// The share of lines whose clauses all convert to themselves, in percent.
double sentenceAccuracy(ConversionWorld& world, yz::testing_support::EncodingWorld& encoding,
                        const std::vector<std::u16string>& lines) {
  std::size_t right = 0;
  for (const std::u16string& line : lines) {
    bool ok = true;
    for (const std::u16string& clause : clauses(line)) {
      std::u16string code, pinyin;
      yz::citcbmma(encoding.ctx(), clause, code, pinyin);
      ok = ok && world.convert(code) == clause;
    }
    right += ok;
  }
  return lines.empty() ? 0 : 100.0 * static_cast<double>(right) / static_cast<double>(lines.size());
}

void measureLearning(ConversionWorld& world, yz::testing_support::EncodingWorld& encoding) {
  const auto lines = readLines(std::filesystem::path(YZ_SOURCE_DIR) / "bench" / "data" / "dev_sentences.txt");
  if (lines.empty()) {
    std::printf("learning: the development text is missing.\n");
    return;
  }
  auto encode = [&](std::u16string_view text, std::u16string& bm, std::u16string& qp) {
    yz::citcbmma(encoding.ctx(), text, bm, qp);
  };
  // Learning takes a committed text only when its first character has a full code.
  for (const std::u16string& line : lines) {
    for (char16_t ch : line) {
      std::u16string& full = world.lex.charFullCodes[static_cast<std::size_t>(world.gbk.charIndex(ch))];
      if (!full.empty()) continue;
      std::u16string code, pinyin;
      encode(std::u16string(1, ch), code, pinyin);
      full = code;
    }
  }
  world.lex.userLexicon.reset();
  yz::LearningState state;
  yz::WordLearning learning(yz::ConversionContext{world.settings, world.lex, world.conv, world.comp, world.pass,
                                                  world.win, world.race, world.webCells, world.sim, world.web,
                                                  world.lookups},
                            world.engine.sentence, world.gbk, state, yz::LearningCalls{encode, nullptr, nullptr});
  const double before = sentenceAccuracy(world, encoding, lines);
  for (const std::u16string& line : lines) {
    for (const std::u16string& clause : clauses(line)) {
      std::u16string code, pinyin;
      encode(clause, code, pinyin);
      world.win.boxes.text7.text = world.convert(code);  // the sentence the user saw, then chose
      learning.yhck(clause);
    }
  }
  const double after = sentenceAccuracy(world, encoding, lines);
  std::printf("learning on the development text (%zu sentences, %d user entries learned): "
              "sentence accuracy before %.1f%%, after %.1f%%\n",
              lines.size(), world.lex.userLexicon.last, before, after);
}

}  // namespace

int main(int argc, char** argv) {
  const char* env = std::getenv("YZ_PROGRAM_DIR");
  const std::filesystem::path folder = argc > 1 ? argv[1] : env ? env : ".";
  const yz::ProgramFolder files(folder);
  if (!files.exists(kLexicon)) {
    std::printf("accuracy: no generated two-letter lexicon in %s; nothing measured.\n",
                folder.string().c_str());
    return 0;
  }

  ConversionWorld world;
  if (!yz::loadLexiconText(files, world.sim, kLexicon, world.lex.mainLexicon).ok) {
    std::printf("accuracy: the lexicon in %s cannot be read.\n", folder.string().c_str());
    return 1;
  }
  yz::bench_support::fillCharLexicon(world.lex.mainLexicon, world.lex.charLexicon);

  yz::testing_support::EncodingWorld encoding;
  encoding.sim.resourceDir = std::filesystem::path(YZ_SOURCE_DIR) / "data" / "resources";
  if (!yz::loadAnnotationTables(encoding.sim, encoding.lex).ok() ||
      !yz::testing_support::loadSyllablesFromResource101(encoding.sim, encoding.lex.syllablesByPinyin)) {
    std::printf("accuracy: resources 101-104 not found.\n");
    return 1;
  }

  const std::filesystem::path text =
      argc > 2 ? std::filesystem::path(argv[2])
               : std::filesystem::path(YZ_SOURCE_DIR) / "bench" / "data" / "accuracy_sentences.txt";
  std::ifstream in(text);
  std::size_t lines = 0, rightLines = 0, chars = 0, rightChars = 0;
  for (std::string raw; std::getline(in, raw);) {
    const std::u16string line = fromUtf8(raw);
    if (line.empty()) continue;
    ++lines;
    bool right = true;
    std::u16string got;
    for (const std::u16string& clause : clauses(line)) {
      std::u16string code, pinyin;
      yz::citcbmma(encoding.ctx(), clause, code, pinyin);
      const std::u16string sentence = world.convert(code);
      got += sentence + u" ";
      chars += clause.size();
      for (std::size_t i = 0; i < clause.size() && i < sentence.size(); ++i) rightChars += clause[i] == sentence[i];
      right = right && sentence == clause;
    }
    rightLines += right;
    if (!right) std::printf("  %s\n  -> %s\n", raw.c_str(), utf8(got).c_str());
  }
  if (lines == 0) {
    std::printf("accuracy: the test text is missing.\n");
    return 1;
  }
  std::printf("sentences %zu, right %zu, sentence accuracy %.1f%%\n", lines, rightLines, 100.0 * rightLines / lines);
  std::printf("characters %zu, right %zu, character accuracy %.1f%%\n", chars, rightChars, 100.0 * rightChars / chars);
  measureLearning(world, encoding);
  return 0;
}
