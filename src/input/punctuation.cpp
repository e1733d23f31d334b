// Punctuation and capitals typed without a code, and punctuation typed inside a code.

#include "input/hook.h"

namespace yz {
namespace {

constexpr int kQuoteKey = 222;

struct Mark {
  int key;
  std::u16string_view chinese;
  std::u16string_view english;
};

// Punctuation keys without Shift, empty code. The quote key is handled apart.
constexpr Mark kUnshifted[] = {
    {186, u"；", u";"}, {188, u"，", u","}, {190, u"。", u"."}, {191, u"、", u"/"},
    {219, u"【", u"["}, {220, u"、", u"\\"}, {221, u"】", u"]"},
};

// Shifted digits and punctuation keys, empty code. The quote key is handled apart.
constexpr Mark kShifted[] = {
    {'0', u"）", u")"}, {'1', u"！", u"!"}, {'2', u"@", u"@"}, {'3', u"＃", u"#"},
    {'4', u"￥", u"$"}, {'5', u"％", u"%"}, {'6', u"……", u"^"}, {'7', u"＆", u"&"},
    {'8', u"×", u"*"}, {'9', u"（", u"("}, {186, u"：", u":"}, {187, u"+", u"+"},
    {188, u"《", u"<"}, {189, u"——", u"_"}, {190, u"》", u">"}, {191, u"？", u"?"},
    {219, u"｛", u"{"}, {220, u"|", u"|"}, {221, u"｝", u"}"},
};

// Punctuation keys inside a code: the character without and with Shift.
struct CodeMark {
  int key;
  char16_t plain;
  char16_t shifted;
};
constexpr CodeMark kInCode[] = {
    {186, u';', u':'}, {187, u'=', u'+'}, {188, u',', u'<'}, {189, u'-', u'_'},
    {190, u'.', u'>'}, {191, u'/', u'?'}, {219, u'[', u'{'}, {220, u'\\', u'|'},
    {221, u']', u'}'}, {222, u'\'', u'"'},
};

}  // namespace

void KeyboardHook::queueText(std::u16string_view text) {
  CompositionState& comp = c_.comp;
  // A mark that the input pass has not committed yet is kept: both arrive, in typing order.
  if (comp.pendingCommand != kPendingCommitText) comp.pendingText.clear();
  comp.pendingText += text;
  comp.pendingCommand = kPendingCommitText;
}

KeyboardHook::Answer KeyboardHook::unshiftedMark(int key) {
  if (c_.hook.shiftHeld != 0) return std::nullopt;  // the shifted rules decide
  CompositionState& comp = c_.comp;
  const bool chinese = comp.chinesePunctuation == -1;
  if (key == kQuoteKey) {
    if (!chinese) {
      queueText(u"'");
    } else {
      queueText(comp.singleQuoteToggle == 1 ? u"‘" : u"’");
      comp.singleQuoteToggle = -comp.singleQuoteToggle;
    }
    return HookAnswer::Withhold;
  }
  for (const Mark& m : kUnshifted) {
    if (m.key == key) {
      queueText(chinese ? m.chinese : m.english);
      return HookAnswer::Withhold;
    }
  }
  return std::nullopt;
}

KeyboardHook::Answer KeyboardHook::shiftedMark(int key) {
  if (c_.hook.shiftHeld != 1) return std::nullopt;
  CompositionState& comp = c_.comp;
  const bool chinese = comp.chinesePunctuation == -1;
  if (key >= 'A' && key <= 'Z') {
    queueText(std::u16string(1, static_cast<char16_t>(key)));
    return HookAnswer::Withhold;
  }
  if (key == kQuoteKey) {
    if (!chinese) {
      queueText(u"\"");
    } else {
      queueText(comp.doubleQuoteToggle == 1 ? u"“" : u"”");
      comp.doubleQuoteToggle = -comp.doubleQuoteToggle;
      // The quote key flips the single quotes whether Shift is held or not.
      comp.singleQuoteToggle = -comp.singleQuoteToggle;
    }
    return HookAnswer::Withhold;
  }
  for (const Mark& m : kShifted) {
    if (m.key == key) {
      queueText(chinese ? m.chinese : m.english);
      return HookAnswer::Withhold;
    }
  }
  return std::nullopt;
}

bool KeyboardHook::shifted() const {
  return c_.hook.shiftHeld == 1 || c_.platform.isKeyDown(vk::kShift);
}

char16_t KeyboardHook::markInCode(int key) const {
  for (const CodeMark& m : kInCode) {
    if (m.key == key) return shifted() ? m.shifted : m.plain;
  }
  return 0;
}

KeyboardHook::Answer KeyboardHook::punctuationInCode(int key) {
  const char16_t mark = markInCode(key);
  if (mark == 0) return std::nullopt;
  appendToCode(std::u16string(1, mark));
  c_.hook.lastKeyCode = key;
  return HookAnswer::Withhold;
}

}  // namespace yz
