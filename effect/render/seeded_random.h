// The reproducible random generator every random layout draws from.
#pragma once

#include "AE_Effect.h"

namespace jf {

/// A 32-bit linear congruential generator with the same sequence, bit for bit, as the Windows
/// runtime's srand and rand, so a layout is the same on every machine. The state is per thread
/// and starts at 1 on a thread that has not seeded.
class SeededRandom {
 public:
  /// State := seed, taken modulo 2^32.
  static void Seed(A_long seed);
  /// Advances the state and returns 0 … 32767.
  static A_long Next();
  /// Seed, then discard the first draw, as every stage does before its own draws.
  static void SeedAndDiscard(A_long seed) {
    Seed(seed);
    Next();
  }
};

}  // namespace jf
