// vexim-lexgen: makes the default scheme's lexicons in a program folder, with the program's own
// regenerations, from the built-in tables:
//   vexim-lexgen PROGRAM_FOLDER RESOURCE_DIR
// PROGRAM_FOLDER holds 内置文件\ as shipped; RESOURCE_DIR holds the resources as 101.txt ... 105.txt.
// It writes the syllable pair files, 内置文件\单字全码.txt (from 单字全码默认.txt when missing), the
// system lexicon 内置文件\两码词库.txt, the single-character lexicon 内置文件\单字字库.txt and the
// lexicon image 内置文件\初始化后两码词库.txt, the copies of the two lexicons that a layout label or
// 全拼 restores after a shape scheme (内置文件\两码词库默认.txt, 内置文件\单字字库默认.txt), and the
// ready-made lexicons that the switch to 五笔86 restores (内置文件\两码词库五笔86默认.txt,
// 内置文件\单字字库五笔86默认.txt), and prints one line of what it made and how long it took.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <iostream>
#include <string>

#include "lexbuild/char_lexicon.h"
#include "lexbuild/image_writer.h"
#include "lexbuild/ready_made.h"
#include "lexbuild/scheme_switch.h"
#include "lexbuild/system_lexicon.h"
#include "lexicon/files.h"
#include "lexicon/gbk.h"
#include "lexicon/image_loader.h"
#include "lexicon/syllables.h"
#include "lexicon/text_file.h"
#include "lexicon/utf.h"
#include "platform/sim/sim_platform.h"
#include "state/pass_state.h"
#include "state/settings.h"

namespace {

constexpr std::u16string_view kFullCodePath = u"内置文件\\单字全码.txt";
constexpr std::u16string_view kDefaultFullCodePath = u"内置文件\\单字全码默认.txt";
constexpr std::u16string_view kDefaultMainLexiconPath = u"内置文件\\两码词库默认.txt";
constexpr std::u16string_view kDefaultCharLexiconPath = u"内置文件\\单字字库默认.txt";

// The one-letter scratch lines that the load writes into "dzmb.ls" from the full codes.
std::vector<std::u16string> oneLetterLines(const yz::ProgramFolder& files, const yz::Platform& platform) {
  std::vector<std::u16string> out;
  double weight = 100;
  if (auto lines = yz::readGbkLines(files, platform, kFullCodePath)) {
    for (const auto& line : *lines) {
      auto fields = yz::splitFields(line, u',');
      if (fields.size() < 2 || fields[0].size() != 1) continue;
      weight += 0.001;
      out.push_back(yz::oneLetterScratchLine(fields[0], fields[1], weight));
    }
  }
  return out;
}

// " (N words skipped)" when a regeneration left words out, else nothing.
std::string skipped(long long words) {
  return words > 0 ? " (" + std::to_string(words) + " words skipped)" : std::string();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: vexim-lexgen PROGRAM_FOLDER RESOURCE_DIR\n";
    return 2;
  }
  auto started = std::chrono::steady_clock::now();
  yz::SimPlatform platform;
  platform.resourceDir = argv[2];
  platform.defaultMessageBoxAnswer = yz::MessageBoxAnswer::Ok;
  yz::ProgramFolder files(argv[1]);
  if (!std::filesystem::is_directory(files.path(u"内置文件"))) {
    std::cerr << "vexim-lexgen: " << argv[1] << " has no 内置文件 folder\n";
    return 1;
  }
  std::filesystem::create_directories(files.path(u"用户diy文件"));

  if (!yz::qptouptoup(files, platform)) {
    std::cerr << "vexim-lexgen: cannot write the syllable pair files\n";
    return 1;
  }
  if (!files.exists(kFullCodePath) && !files.copy(kDefaultFullCodePath, kFullCodePath)) {
    std::cerr << "vexim-lexgen: cannot make 内置文件/单字全码.txt\n";
    return 1;
  }

  yz::GbkTable gbk(platform);
  // The ready-made 五笔86 lexicons first: the default scheme's files are made after them.
  std::string wubiMade;
  if (files.exists(yz::kWubi86FullCodesPath)) {
    yz::ReadyMadeResult wubi = yz::makeWubi86Lexicons(files, platform, gbk);
    if (!wubi.ok) {
      std::cerr << "vexim-lexgen: " << yz::toUtf8(wubi.error) << "\n";
      return 1;
    }
    wubiMade = "; for 五笔86, " + std::to_string(wubi.lexiconLines) + " lexicon lines" +
               skipped(wubi.skippedWords) + " and " + std::to_string(wubi.charLines) + " single characters";
    platform.messageBoxes.clear();
  }

  auto lex = std::make_unique<yz::LexiconState>();
  yz::PassState pass;
  yz::Settings settings;  // the default scheme: 音码, 自然双拼, no auxiliary-code table marked
  yz::RegenerationContext ctx{platform, files, *lex, pass, settings, u"", u"", [] {}};
  yz::RegenerationResult regenerated = yz::bmvh(ctx);
  if (!regenerated.ok) {
    // The regeneration's own message boxes say what went wrong.
    for (const auto& box : platform.messageBoxes) std::cerr << "vexim-lexgen: " << yz::toUtf8(box.text) << "\n";
    return 1;
  }

  if (!yz::writeGbkLines(files, platform, yz::kCharScratchPath, oneLetterLines(files, platform))) {
    std::cerr << "vexim-lexgen: cannot write dzmb.ls\n";
    return 1;
  }
  yz::CharLexiconResult chars =
      yz::regenerateCharLexicon(files, platform, *lex, gbk, settings.vxbf.marked(), [] {});
  // The scratch files go as the program's start removes them: a shipped folder holds none.
  files.remove(yz::kCharScratchPath);
  files.remove(yz::kSortedScratchPath);
  if (!chars.ok) {
    std::cerr << "vexim-lexgen: cannot write 内置文件/单字字库.txt\n";
    return 1;
  }

  // The sound-code files that a layout label or 全拼 puts back after a shape scheme.
  if (!files.copy(yz::kMainLexiconPath, kDefaultMainLexiconPath) ||
      !files.copy(yz::kCharLexiconPath, kDefaultCharLexiconPath)) {
    std::cerr << "vexim-lexgen: cannot write the default sound-code lexicons\n";
    return 1;
  }

  yz::ImageWriteResult image = yz::writeLexiconImage(files, platform);
  if (!image.ok) {
    std::cerr << "vexim-lexgen: cannot write the lexicon image\n";
    return 1;
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  char took[32];
  std::snprintf(took, sizeof took, "%.1f s", seconds);
  std::cout << "vexim-lexgen: made the lexicons of " << argv[1] << "/内置文件 in " << took << ": "
            << regenerated.lines << " lexicon lines" << skipped(regenerated.skippedWords) << ", " << chars.lines
            << " single characters and the lexicon image" << wubiMade << "\n";
  return 0;
}
