#pragma once
// State of word learning: the runtime's random generator that draws learned weights, and whether
// a failed write of the user lexicon file has been reported.

#include <cstdint>

namespace yz {

struct LearningState {
  // The runtime's uniform random generator. Never seeded, so every run draws the same sequence.
  std::uint32_t rndSeed = 0x50000;
  // True after a failed user-lexicon write was reported, until a write succeeds again.
  bool saveFailureReported = false;

  // The next random number in [0, 1).
  float rnd() {
    rndSeed = (rndSeed * 0x43FD43FDu + 0xC39EC3u) & 0xFFFFFFu;
    return static_cast<float>(rndSeed) / 16777216.0f;
  }
};

}  // namespace yz
