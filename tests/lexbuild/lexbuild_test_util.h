#pragma once
// Helpers of the lexicon-building tests: a program folder of its own per test (with a blank and
// Chinese characters in its path), GBK files written from UTF-16 text, and a resource folder.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "lexicon/files.h"
#include "lexicon/utf.h"
#include "platform/sim/sim_platform.h"
#include "../support/test_folder.h"

namespace yz::testing_support {

class BuildFolder {
 public:
  BuildFolder() : temp_("yz-lexbuild-") {
    root_ = temp_.path() / std::filesystem::path(u8"程序 目录");
    files_ = ProgramFolder(root_);
    files_.setWriteFaults(faults);
    std::filesystem::create_directories(files_.path(u"内置文件"));
    std::filesystem::create_directories(files_.path(u"用户diy文件"));
    std::filesystem::create_directories(resources());
    sim.resourceDir = resources();
    sim.defaultMessageBoxAnswer = MessageBoxAnswer::Ok;
  }

  const ProgramFolder& files() const { return files_; }
  std::filesystem::path resources() const { return root_.parent_path() / "resources"; }

  // Writes a file of the program folder as GBK.
  void writeGbk(std::u16string_view relative, std::u16string_view text) {
    ASSERT_TRUE(files_.writeBytes(relative, sim.toGbk(text)));
  }
  // The decoded text of a program-folder file; "<missing>" when it does not exist.
  std::u16string readGbk(std::u16string_view relative) const {
    auto bytes = files_.readBytes(relative);
    return bytes ? sim.fromGbk(*bytes) : u"<missing>";
  }
  // Resource `id` as GBK bytes, followed by the NUL that the built-in resources end with.
  void writeResource(int id, std::u16string_view text, bool nulPadding = true) {
    std::ofstream out(resources() / (std::to_string(id) + ".txt"), std::ios::binary);
    std::string bytes = sim.toGbk(text);
    if (nulPadding) bytes.push_back('\0');
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }

  SimPlatform sim;
  // Faults laid on the folder's file writing.
  std::shared_ptr<WriteFaults> faults = std::make_shared<WriteFaults>();

 private:
  TestFolder temp_;
  std::filesystem::path root_;
  ProgramFolder files_{""};
};

}  // namespace yz::testing_support
