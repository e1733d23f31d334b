#pragma once
// Helpers of the lexicon store tests: a temporary program folder and small tables.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "lexicon/files.h"
#include "state/lexicon_state.h"

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

// A table whose entries 1..n own the given code and line.
inline LexiconTable makeTable(const std::vector<std::pair<std::u16string, std::u16string>>& entries) {
  LexiconTable t;
  t.reset();
  for (const auto& [code, line] : entries) {
    t.codes.push(code);
    t.lines.push(line);
  }
  t.last = static_cast<std::int32_t>(entries.size());
  return t;
}

}  // namespace yz::testing_support
