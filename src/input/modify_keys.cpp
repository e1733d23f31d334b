// The keys of the instant-modify edit line, and the Delete key that removes the shown word from
// the user lexicon.

#include <vector>

#include "input/hook.h"
#include "lexicon/user_lookup.h"

namespace yz {
namespace {

constexpr std::uint32_t kLetterRepeatMs = 70;

struct LineMark {
  int key;
  char16_t ch;
};
constexpr LineMark kLineMarks[] = {
    {222, u'\''}, {190, u'.'}, {219, u'['}, {220, u'\\'}, {221, u']'},
    {191, u'/'},  {186, u';'}, {189, u'-'}, {187, u'='},
};

std::vector<std::u16string_view> splitAtSpaces(std::u16string_view line) {
  std::vector<std::u16string_view> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t space = line.find(u' ', start);
    if (space == std::u16string_view::npos) {
      fields.push_back(line.substr(start));
      return fields;
    }
    fields.push_back(line.substr(start, space - start));
    start = space + 1;
  }
}

}  // namespace

HookAnswer KeyboardHook::modifyLineKey(int key) {
  CompositionState& comp = c_.comp;
  TextBoxState& line = c_.win.boxes.Text2;
  const bool haveCode = !c_.win.boxes.Text1.text.empty();
  auto append = [&](char16_t ch) {
    line.text.push_back(ch);
    line.selStart = static_cast<std::int32_t>(line.text.size());
    return HookAnswer::Withhold;
  };
  if (key == vk::kBack && !line.text.empty()) {
    line.text.pop_back();
    line.selStart = static_cast<std::int32_t>(line.text.size());
    return HookAnswer::Withhold;
  }
  if (key == vk::kEscape) {
    composition_.escjm();
    return HookAnswer::Withhold;
  }
  if (key == vk::kLControl && haveCode) {
    composition_.tejm(kTejmModify);
    comp.modifyMode = 1;
    return HookAnswer::Withhold;
  }
  if (key == 188) {
    line.text.clear();
    line.selStart = 0;
    comp.modifySentence = c_.win.boxes.text7.text;
    return HookAnswer::Withhold;
  }
  for (const LineMark& m : kLineMarks) {
    if (m.key == key) return append(m.ch);
  }
  if (key == vk::kSpace && haveCode) {
    comp.pendingCommand = kPendingCommitSentence;
    return HookAnswer::Withhold;
  }
  if (key >= 'A' && key <= 'Z') {
    if (line.text == u"瞬改") line.text.clear();
    // The line before the letter; the local result the loop edits stays as it is.
    const std::u16string before = line.text;
    const std::uint32_t now = c_.platform.clockMs();
    if (now - c_.hook.lastLetterTime < kLetterRepeatMs) {
      // A key still repeating from the code line, or typed too soon after it.
      c_.hook.lastKeyCode = key;
      c_.hook.lastLetterTime = now;
      return HookAnswer::Withhold;
    }
    line.text = before + static_cast<char16_t>(key - 'A' + 'a');
    line.selStart = static_cast<std::int32_t>(line.text.size());
    comp.longPressDone = 0;
    c_.hook.fullPageShown = 0;
    return HookAnswer::Withhold;
  }
  if (key >= '0' && key <= '9') return append(static_cast<char16_t>(key));
  if (key == vk::kF10) return screenshot();
  if (key == vk::kF9 || key == vk::kTab || key == vk::kLMenu || key == vk::kRMenu) {
    return fullPageInModify();
  }
  if (key == vk::kReturn && haveCode) {
    comp.pendingCommand = kPendingEnter;
    return HookAnswer::Withhold;
  }
  return fallThrough(key);
}

HookAnswer KeyboardHook::deleteKey() {
  const std::u16string code = c_.win.boxes.Text1.text;
  if (code.empty()) return HookAnswer::Pass;
  LookupCells& cells = c_.lex.cells;
  userLookup_.hziryhck(code, cells.lookupWord, cells.lastFoundIndex);
  const std::int32_t i = cells.userHitIndex;
  LexiconTable& user = c_.lex.userLexicon;
  if (i <= 0 || i > user.last) return HookAnswer::Pass;

  const std::u16string& shown = c_.win.boxes.text7.text;
  if (shown.empty()) return HookAnswer::Pass;
  const std::u16string entry(user.lines[static_cast<std::size_t>(i)]);
  std::vector<std::u16string_view> fields = splitAtSpaces(entry);
  bool marked = false;
  for (std::size_t f = 0; f < fields.size(); f += 2) {
    if (fields[f] == shown) {
      fields[f] = kDeletedWord;
      marked = true;
    }
  }
  if (!marked) return HookAnswer::Pass;

  std::u16string rebuilt;
  if (fields.size() > 2) {
    // The pairs that keep their word, deleted ones of earlier deletions left out too.
    for (std::size_t f = 0; f < fields.size(); f += 2) {
      if (fields[f] == kDeletedWord) continue;
      rebuilt += u' ';
      rebuilt += fields[f];
      rebuilt += u' ';
      if (f + 1 < fields.size()) rebuilt += fields[f + 1];
    }
    const auto first = rebuilt.find_first_not_of(u' ');
    const auto last = rebuilt.find_last_not_of(u' ');
    rebuilt = first == std::u16string::npos ? u"" : rebuilt.substr(first, last - first + 1);
  } else {
    for (std::size_t f = 0; f < fields.size(); ++f) {
      if (f > 0) rebuilt += u' ';
      rebuilt += fields[f];
    }
  }
  user.lines.set(static_cast<std::size_t>(i), rebuilt);
  composition_.escjm();
  return HookAnswer::Withhold;
}

}  // namespace yz
