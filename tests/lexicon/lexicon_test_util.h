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

namespace yz::testing_support {

// A fresh program folder per test, with the two folders the lexicon files live in.
class TempProgramFolder {
 public:
  TempProgramFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = std::filesystem::temp_directory_path() /
            (std::string("yz-lex-") + info->test_suite_name() + "-" + info->name());
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_);
    ProgramFolder f(root_);
    std::filesystem::create_directories(f.path(u"内置文件"));
    std::filesystem::create_directories(f.path(u"用户diy文件"));
  }
  ~TempProgramFolder() { std::filesystem::remove_all(root_); }
  const std::filesystem::path& root() const { return root_; }

 private:
  std::filesystem::path root_;
};

}  // namespace yz::testing_support
