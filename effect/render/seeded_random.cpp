// See seeded_random.h.
#include "render/seeded_random.h"

#include <cstdint>

namespace jf {
namespace {
thread_local std::uint32_t t_state = 1;
}

void SeededRandom::Seed(A_long seed) {
  t_state = static_cast<std::uint32_t>(seed);
}

A_long SeededRandom::Next() {
  t_state = t_state * 214013u + 2531011u;
  return static_cast<A_long>((t_state >> 16) & 0x7FFFu);
}

}  // namespace jf
