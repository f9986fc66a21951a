// The shared simplex noise: its table, worked values and the properties the stages rely on.
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "stages/simplex_noise.h"

namespace jf {
namespace {

TEST(NoisePermutation, IsPerlinsReferencePermutation) {
  std::array<int, 256> seen{};
  for (auto v : NoisePermutation) ++seen[v];
  for (int v = 0; v < 256; ++v) EXPECT_EQ(seen[v], 1) << v;
  EXPECT_EQ(NoisePermutation[0], 151);
  EXPECT_EQ(NoisePermutation[9], 95);
  EXPECT_EQ(NoisePermutation[250], 78);
  EXPECT_EQ(NoisePermutation[255], 180);
}

// 1D by hand: at 0.5 the corners hash P[0] = 151 (gradient 8) and P[1] = 160 (1), so
// (8·0.5 − 0.5)·0.75⁴·0.395 = 0.43743…; at 17.5, P[17] = 36 (5) and P[18] = 103 (8) give
// −0.18747…. −0.5 floors to −1 and wraps to P[255] = 180 (5) beside P[0] (8), the same corners
// as 17.5: a floor that truncated toward zero or an index that did not wrap would differ.
TEST(SimplexNoise, WorkedValues) {
  EXPECT_NEAR(SimplexNoise2D(0.5f, 0.25f), -0.365308f, 1e-6f);
  EXPECT_NEAR(SimplexNoise2D(1.5f, 2.5f), 0.058189f, 1e-6f);
  EXPECT_NEAR(SimplexNoise1D(0.5f), 0.437432f, 1e-6f);
  EXPECT_NEAR(SimplexNoise1D(17.5f), -0.187471f, 1e-6f);
  EXPECT_EQ(SimplexNoise1D(-0.5f), SimplexNoise1D(17.5f));
}

// Zero at the lattice points (so Warp's row 0 and Noise's pixel (0, 0) are never moved), and
// within −1 … 1 everywhere else.
TEST(SimplexNoise, ZeroAtWholeNumbersAndBounded) {
  EXPECT_EQ(SimplexNoise2D(0.0f, 0.0f), 0.0f);
  for (int i = -1000; i <= 1000; ++i) ASSERT_EQ(SimplexNoise1D(static_cast<float>(i)), 0.0f) << i;
  for (int a = 0; a < 200000; ++a) {
    ASSERT_LE(std::fabs(SimplexNoise1D(a * 0.00731f - 700.0f)), 1.0f) << a;
    ASSERT_LE(std::fabs(SimplexNoise2D(a * 0.0371f - 9.0f, (a % 613) * 0.0533f - 13.0f)), 1.0f)
        << a;
  }
}

}  // namespace
}  // namespace jf
