// Built-in command codes of the code lookup: the whole typed code (the code box, not the code
// looked up) asks for the time, the date or the weekday as text, or starts the calculator or
// Notepad. The text results carry the weight 100 and stand in the command slot of the lexicon
// state, where callers read the main line at `mainHitIndex`.

#include <array>

#include "lexicon/lookup.h"
#include "platform/platform.h"

namespace yz {

namespace {

constexpr std::u16string_view kDateAndTimeCode = u"ors";

// Weekday names, Monday first.
constexpr std::array<std::u16string_view, 7> kWeekdayNames = {
    u"星期一", u"星期二", u"星期三", u"星期四", u"星期五", u"星期六", u"星期天"};

std::u16string withoutSpaces(std::u16string text) {
  std::erase(text, u' ');
  return text;
}

// A command text matches only the same non-empty typed code: an emptied box matches nothing.
bool typed(std::u16string_view box, std::u16string_view command) {
  return !command.empty() && box == command;
}

}  // namespace

bool CodeLookup::commandStep(std::u16string& cnir, float& zicipn) {
  const std::u16string& box = win_.boxes.Text1.text;
  const Settings& s = settings_;
  std::u16string best;
  std::u16string line;
  if (typed(box, s.dqsj)) {
    const LocalTime now = platform_.localTime();
    best = platform_.formatTime(now, DateForm::Long);
    line = best + u" 100 " + withoutSpaces(platform_.formatTime(now, DateForm::Medium)) + u" 100 " +
           platform_.formatTime(now, DateForm::Short) + u" 100";
  } else if (typed(box, s.dqrq)) {
    const LocalTime now = platform_.localTime();
    best = platform_.formatDate(now, DateForm::Long);
    line = best + u" 100 " + platform_.formatDate(now, DateForm::Medium) + u" 100 " +
           platform_.formatDate(now, DateForm::Short) + u" 100";
  } else if (box == kDateAndTimeCode) {
    const LocalTime now = platform_.localTime();
    best = platform_.formatDate(now, DateForm::Long) + platform_.formatTime(now, DateForm::Long);
    line = best + u" 100";
  } else if (typed(box, s.dqxq)) {
    // The weekday of the day before, counted from Sunday as 1, is 1 on a Monday and 7 on a Sunday.
    const int weekday = platform_.localTime().weekday;  // 1 = Sunday
    const int mondayFirst = weekday <= 1 ? 7 : weekday - 1;
    best = std::u16string(kWeekdayNames[static_cast<std::size_t>(mondayFirst - 1)]);
    line = best + u" 100";
  } else {
    return false;
  }
  zicipn = kWeightCommand;
  lex_.commandCode = box;
  lex_.commandLine = std::move(line);
  cells_.lastFoundIndex = lex_.commandSlot();
  cells_.mainHitIndex = lex_.commandSlot();
  cnir = std::move(best);
  return true;
}

// Starts the calculator or Notepad once per composition. A start that fails is not retried
// while the same composition lasts: the guard is set by the attempt, not by its success.
void CodeLookup::launchRule() {
  const std::u16string& box = win_.boxes.Text1.text;
  if (typed(box, settings_.jsq) && pass_.jsq1 == 0) {
    pass_.jsq1 = 1;
    platform_.startProgram(platform_.systemFolder() + u"\\calc.exe");
  }
  if (typed(box, settings_.jub) && pass_.jsq1 == 0) {
    pass_.jsq1 = 1;
    platform_.startProgram(platform_.systemFolder() + u"\\notepad.exe");
  }
}

}  // namespace yz
