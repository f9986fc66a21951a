// Block sizes drawn from a minimum, a range and a seed of their own, as both block stages lay
// out their widths and heights.
#pragma once

#include <cstdint>

#include "AE_Effect.h"
#include "params/param_reader.h"
#include "params/param_table.h"
#include "render/numeric.h"
#include "render/seeded_random.h"

namespace jf {

/// One size of a block layout: every block draws min plus a percentage of range, the sequence
/// seeded by seed alone so that each seed changes one thing only.
struct SeededSize {
  A_long min = 0;
  A_long range = 0;
  A_long seed = 0;
};

/// The three sliders, in the order the stages list them: minimum, range, seed.
inline SeededSize ReadSeededSize(ReadRun& read, ParamId min, ParamId range, ParamId seed) {
  SeededSize size;
  size.min = read.FloatSliderInt(min);
  size.range = read.FloatSliderInt(range);
  size.seed = read.FloatSliderInt(seed);
  return size;
}

/// Seeds size's sequence, discards one draw, then gives block i = 0 … count − 1 its size through
/// assign(i, value): min + trunc(p % of range), the sum in 64 bits, scaled by the downsample
/// factor and truncated toward zero.
template <typename Assign>
void DrawSeededSizes(const SeededSize& size, double downsample, A_long count, Assign assign) {
  SeededRandom::SeedAndDiscard(size.seed);
  for (A_long i = 0; i < count; ++i) {
    const A_long p = Percent(SeededRandom::Next());
    const std::int64_t grown = std::int64_t{size.min} + TruncToLong(p / 100.0 * size.range);
    assign(i, TruncToLong(static_cast<double>(grown) * downsample));
  }
}

}  // namespace jf
