#include <gtest/gtest.h>

#include "lookup_fixture.h"

namespace yz::lookup_testing {
namespace {

// The sim clock stands at Thursday 2026-12-10 9:30:15; its regional forms are fixed.
TEST_F(LookupWorld, CommandCodesGiveTimeDateAndWeekday) {
  struct Case {
    const char* name;
    std::u16string_view codeBox;
    std::u16string_view code;  // the code looked up, which a command ignores
    int weekday;               // 1 = Sunday
    std::string word;
    std::string line;
  };
  const Case cases[] = {
      {"time", u"time", u"time", 5, "9:30:15", "9:30:15 100 上午09:30 100 09:30 100"},
      {"time whatever the code asked for", u"time", u"vsgo", 5, "9:30:15",
       "9:30:15 100 上午09:30 100 09:30 100"},
      {"date", u"date", u"date", 5, "2026年12月10日", "2026年12月10日 100 26-12-10 100 2026/12/10 100"},
      {"date and time", u"ors", u"ors", 5, "2026年12月10日9:30:15", "2026年12月10日9:30:15 100"},
      {"weekday on a Thursday", u"week", u"week", 5, "星期四", "星期四 100"},
      {"weekday on a Sunday", u"week", u"week", 1, "星期天", "星期天 100"},
      {"weekday on a Monday", u"week", u"week", 2, "星期一", "星期一 100"},
  };
  setMode(Mode::TopCode);
  const std::string lastLine = u8(lex.mainLexicon.lines[static_cast<std::size_t>(lex.mainLexicon.last)]);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sim.now.weekday = c.weekday;
    type(c.codeBox);
    Outcome got = look(c.code);
    EXPECT_EQ(got.word, c.word);
    EXPECT_FLOAT_EQ(got.weight, 100);
    // Callers read the command's line where they read the main line of the chosen index.
    EXPECT_EQ(lex.cells.mainHitIndex, lex.commandSlot());
    EXPECT_EQ(lex.cells.lastFoundIndex, lex.commandSlot());
    EXPECT_EQ(u8(lex.mainLineAt(lex.cells.mainHitIndex)), c.line);
    EXPECT_EQ(u8(lex.mainCodeAt(lex.cells.mainHitIndex)), u8(c.codeBox));
    EXPECT_EQ(u8(lookup.ybcib(u"vsgo")), c.line);
  }
  // No main entry was given up for the command: the last one is still there and found.
  EXPECT_EQ(u8(lex.mainLexicon.lines[static_cast<std::size_t>(lex.mainLexicon.last)]), lastLine);
  type(u"zzzy");
  EXPECT_EQ(look(u"zzzy").word, "最最");
  EXPECT_EQ(u8(lex.mainLineAt(lex.commandSlot())), "");
}

TEST_F(LookupWorld, CommandTextsComeFromTheSettings) {
  setMode(Mode::TopCode);
  settings.dqsj = u"shij";
  type(u"shij");
  EXPECT_EQ(look(u"shij").word, "9:30:15");
  type(u"time");
  EXPECT_EQ(look(u"time").weight, 400);
  // An emptied command box matches no code, not even the empty one.
  settings.dqsj.clear();
  type(u"");
  EXPECT_EQ(look(u"vsgo").word, "中国");
  // "ors" is fixed.
  settings.dqrq = u"xyz";
  type(u"ors");
  EXPECT_EQ(look(u"ors").word, "2026年12月10日9:30:15");
}

TEST_F(LookupWorld, ProgramsStartOncePerComposition) {
  setMode(Mode::TopCode);
  const std::u16string calc = u"C:\\Windows\\system32\\calc.exe";
  const std::u16string notepad = u"C:\\Windows\\system32\\notepad.exe";
  type(u"jsqi");
  for (int i = 0; i < 3; ++i) look(u"jsqi");
  EXPECT_EQ(sim.startedPrograms, std::vector<std::u16string>{calc});
  // The lookup goes on with the code after the launch.
  EXPECT_EQ(lex.cells.zicipn, 400);
  type(u"jubf");
  look(u"jubf");
  EXPECT_EQ(sim.startedPrograms.size(), 1u);
  // A new composition (the reset clears the guard) may start the other program.
  pass.jsq1 = 0;
  look(u"jubf");
  EXPECT_EQ(sim.startedPrograms, (std::vector<std::u16string>{calc, notepad}));

  // A start that fails is tried once, not on every lookup of the same composition.
  sim.startedPrograms.clear();
  sim.failingPrograms = {calc};
  pass.jsq1 = 0;
  type(u"jsqi");
  look(u"jsqi");
  look(u"jsqi");
  EXPECT_EQ(sim.startedPrograms, std::vector<std::u16string>{calc});

  // Emptied program boxes start nothing.
  sim.startedPrograms.clear();
  settings.jsq.clear();
  settings.jub.clear();
  pass.jsq1 = 0;
  type(u"");
  look(u"");
  EXPECT_TRUE(sim.startedPrograms.empty());
}

}  // namespace
}  // namespace yz::lookup_testing
