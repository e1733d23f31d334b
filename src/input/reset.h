#pragma once
// Ending or changing a composition without committing it: the full reset and the instant-modify
// entry.

#include "input/input_context.h"

namespace yz {

inline constexpr int kTejmModify = 17;  // tejm key code: enter instant modify
inline constexpr int kTejmClear = 27;   // tejm key code: clear the composition

class Composition {
 public:
  explicit Composition(const InputContext& ctx) : c_(ctx) {}

  // Resets the composition fully and gives the candidate-list settings back.
  void escjm();
  // Acts on the composition for a key code: 17 enters instant modify, 27 clears.
  void tejm(int keyCode);

  // The boxes and cells that a commit and both resets empty alike.
  void clearCompositionCells();

 private:
  void restoreListSettings();
  void enterModify();
  void clear();

  const InputContext& c_;
};

}  // namespace yz
