#pragma once
// The temporary folder of the running test: a TempFolder whose name starts with the prefix, the
// test suite's and the test's names, so a folder left behind by a crash says whose it was.

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "platform/sim/temp_folder.h"

namespace yz::testing_support {

inline std::string testFolderPrefix(std::string_view prefix) {
  std::string name(prefix);
  if (const auto* info = ::testing::UnitTest::GetInstance()->current_test_info()) {
    name += std::string(info->test_suite_name()) + "-" + info->name() + "-";
  }
  return name;
}

class TestFolder : public TempFolder {
 public:
  explicit TestFolder(std::string_view prefix) : TempFolder(testFolderPrefix(prefix)) {}
};

}  // namespace yz::testing_support
