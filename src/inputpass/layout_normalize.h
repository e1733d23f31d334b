#pragma once
// The step of the input pass that turns the typed code into 自然双拼 before anything else looks at
// the code line: another shuangpin layout is translated key pair by key pair through the
// `LayoutTable`; full pinyin goes to the cloud pinyin service and the code of the text that comes
// back replaces it. The typed-code box keeps the keys as typed; only the code line changes.

#include <string>
#include <string_view>

#include "inputpass/input_pass.h"
#include "state/layout_table.h"

namespace yz {

// The 自然双拼 form of a typed code: each run of letters a-z is cut from its own start into pairs,
// a pair replaced by its cell, a last lone key by its lone-key cell; a pair or key without a
// cell stays as typed, and so does every other character.
std::u16string translateLayoutCode(const LayoutTable& table, std::u16string_view code);

// Both steps on the code line `rtext1`, which the pass has just copied from the typed code.
// Runs on every pass after the first gate block (also with an empty code line, which only
// forgets what the layout step remembered). Full pinyin asks the cloud: may wait up to its
// time-out, and pumps messages.
void normalizeCodeLine(const PassContext& c);

}  // namespace yz
