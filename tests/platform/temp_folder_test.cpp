#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/sim/temp_folder.h"

namespace yz {
namespace {

// Two runs of one test on one machine ask for folders with the same prefix at the same time: each
// gets its own, and each removes only its own, with what it holds.
TEST(TempFolder, SamePrefixGivesSeparateFoldersEachRemovedWithItsFiles) {
  std::filesystem::path kept;
  {
    TempFolder first("yz-same-");
    kept = first.path();
    {
      TempFolder second("yz-same-");
      EXPECT_NE(first.path(), second.path());
      EXPECT_TRUE(std::filesystem::is_directory(second.path()));
      std::filesystem::create_directories(second.path() / "sub");
      std::ofstream(second.path() / "sub" / "f.txt") << "x";
      EXPECT_TRUE(std::filesystem::equivalent(first.path().parent_path(), std::filesystem::temp_directory_path()));
    }
    EXPECT_TRUE(std::filesystem::is_directory(first.path()));
    std::ofstream(first.path() / "g.txt") << "y";
  }
  EXPECT_FALSE(std::filesystem::exists(kept));
}

}  // namespace
}  // namespace yz
