#pragma once
// The commands of the input pass that act on the composition as a whole: the F7 selection grab,
// the pause fix of the tail word, the undo command (覆水可收) and the reverse lookup of a Chinese
// text in the code line.

#include "inputpass/input_pass.h"

namespace yz {

enum class InlineOutcome {
  goOn,        // on with the remaining gates and edit tracking
  finishPick,  // the pause fix settled the tail word
};

// Runs after the per-pass mirrors of the settings; `tailFixDelay` is the pause (s) after which
// the tail word is settled, 0 = never. The grab and the undo send keys and pump messages.
InlineOutcome inlineCommands(const PassContext& c, double tailFixDelay);

}  // namespace yz
