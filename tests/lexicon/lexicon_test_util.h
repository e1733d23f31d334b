#pragma once
// Helpers of the lexicon store tests: a temporary program folder and small tables.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "lexicon/files.h"
#include "state/lexicon_state.h"

#include "../support/make_table.h"
#include "../support/test_folder.h"

namespace yz::testing_support {

// A fresh program folder per test, with the two folders the lexicon files live in.
class TempProgramFolder {
 public:
  TempProgramFolder() : temp_("yz-lex-"), root_(temp_.path()) {
    ProgramFolder f(root_);
    std::filesystem::create_directories(f.path(u"内置文件"));
    std::filesystem::create_directories(f.path(u"用户diy文件"));
  }
  const std::filesystem::path& root() const { return root_; }

 private:
  TestFolder temp_;
  std::filesystem::path root_;
};

}  // namespace yz::testing_support
