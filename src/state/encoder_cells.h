#pragma once
// Form cells of the text encoders: scratch and result copies that the encoders share.

#include <string>

namespace yz {

struct EncoderCells {
  std::u16string bm;    // public code scratch of the encoders: the code being built
  std::u16string sp0;   // copy of the last encoder's result
};

}  // namespace yz
