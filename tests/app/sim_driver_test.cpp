#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "program_fixture.h"

namespace yz {
namespace {

TEST(SplitKeys, OneEntryPerKeyAndUnknownNamesRejected) {
  struct Case {
    std::u16string_view script;
    std::vector<std::u16string> keys;
    std::string errorHas;  // empty: no error
  };
  const Case cases[] = {
      {u"womf ui space", {u"w", u"o", u"m", u"f", u"u", u"i", u"space"}, ""},
      {u"  nihk?  esc ", {u"n", u"i", u"h", u"k", u"?", u"esc"}, ""},
      {u"lctrl+v lshift+space a+b", {u"lctrl+v", u"lshift+space", u"a", u"+", u"b"}, ""},
      {u"f1 f12 backquote", {u"f1", u"f12", u"backquote"}, ""},
      {u"hold+k", {u"hold+k"}, ""},
      // Names of other tools would type their letters into the code.
      {u"womf escape", {}, "unknown key name \"escape\" (the name here is \"esc\")"},
      {u"Return", {}, "unknown key name \"Return\" (the name here is \"enter\")"},
      {u"Space", {}, "key names are lower case: \"space\""},
      {u"pgup", {}, "unknown key name \"pgup\""},
      {u"ctrl+v", {}, "unknown key combination \"ctrl+v\""},
      {u"lctrl+pgup", {}, "unknown key combination"},
      {u"wo我", {}, "no key types \"我\""},
  };
  for (const Case& c : cases) {
    std::string error;
    std::vector<std::u16string> keys = splitKeys(c.script, error);
    SCOPED_TRACE(toUtf8(c.script));
    if (c.errorHas.empty()) {
      EXPECT_EQ(error, "");
      EXPECT_EQ(keys, c.keys);
    } else {
      EXPECT_NE(error.find(c.errorHas), std::string::npos) << error;
    }
  }
}

class SimDriverTest : public testing::ProgramFolderTest {
 protected:
  // Every file of the program folder with its bytes and time of last change.
  std::map<std::filesystem::path, std::pair<std::string, std::filesystem::file_time_type>> snapshot() {
    std::map<std::filesystem::path, std::pair<std::string, std::filesystem::file_time_type>> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(root_)) {
      if (!e.is_regular_file()) continue;
      std::ifstream in(e.path(), std::ios::binary);
      files[e.path()] = {std::string(std::istreambuf_iterator<char>(in), {}), e.last_write_time()};
    }
    return files;
  }
};

// Keys a person types leave time between them: a doubled letter is two presses, and only a key
// written as held, or keys typed without a gap, count as a held key.
TEST_F(SimDriverTest, AGapBetweenKeysTellsADoubledLetterFromAHeldKey) {
  writeTables();
  SimSessionOptions options;
  options.programFolder = root_;
  options.resourceDir = resources_;
  struct Case {
    std::uint32_t gapMs;
    std::u16string_view script;
    bool held;
  };
  const Case cases[] = {
      {150, u"n i h k k", false},
      {80, u"n i h k k", false},
      {0, u"n i h k k", true},
      {150, u"n i h k hold+k", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(toUtf8(c.script) + " " + std::to_string(c.gapMs));
    SimSession session(options);
    session.platform.scriptKeyGapMs = c.gapMs;
    session.type(c.script);
    // A held key takes its first press and repeat off the code and asks for instant modify.
    EXPECT_EQ(session.app->win.boxes.Text1.text == u"nihkk", !c.held);
  }
}

TEST_F(SimDriverTest, OnACopyTheProgramFolderStaysAsItWas) {
  writeTables();
  const auto before = snapshot();
  SimSessionOptions options;
  options.programFolder = root_;
  options.resourceDir = resources_;
  options.onCopy = true;
  {
    SimSession copied(options);
    EXPECT_EQ(copied.type(u"ni space").back().targetText, u"你");
    EXPECT_EQ(copied.app->files.root().parent_path(), copied.copy->path());
  }
  EXPECT_EQ(snapshot(), before);

  // In the folder itself the start writes there (the empty user lexicon, at least).
  options.onCopy = false;
  {
    SimSession inPlace(options);
    EXPECT_EQ(inPlace.type(u"ni space").back().targetText, u"你");
  }
  EXPECT_NE(snapshot(), before);
}

}  // namespace
}  // namespace yz
