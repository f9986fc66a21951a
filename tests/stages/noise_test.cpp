// Noise's pixel rule: the weights formed a row at a time against the rule's own per-pixel sum.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "stages/noise.h"

namespace jf {
namespace {

struct WeightCase {
  float frequency;
  A_long octaves;
  A_long columns, rows;
};

// Every pixel of a columns × rows frame through the rule, its input a different value each.
template <typename Pixel>
std::vector<Pixel> RenderEvery(NoiseJob& job) {
  std::vector<Pixel> out(static_cast<std::size_t>(job.columns) * job.rows);
  for (A_long y = 0; y < job.rows; ++y) {
    for (A_long x = 0; x < job.columns; ++x) {
      Pixel in{};
      in.red = static_cast<decltype(in.red)>((x * 37 + y * 11) % 256);
      in.green = static_cast<decltype(in.green)>((x * 5 + y * 101) % 256);
      in.blue = static_cast<decltype(in.blue)>((x + y) % 256);
      NoisePixel<PixelTraits<Pixel>>(&job, x, y, &in,
                                     &out[static_cast<std::size_t>(y) * job.columns + x]);
    }
  }
  return out;
}

class NoiseWeights : public ::testing::TestWithParam<WeightCase> {};

// The table must hold exactly what the rule would sum for each pixel: same bytes with and
// without it, at each depth, across widths that leave every remainder of a vector of lanes or
// span blocks of the row, and frequencies that put cells on both sides of the floor.
TEST_P(NoiseWeights, RowWeightsMatchThePerPixelSum) {
  const WeightCase c = GetParam();
  NoiseSettings s;
  s.frequency = c.frequency;
  s.amplitude = 0.7f;
  s.octaves = c.octaves;
  s.preserveFrequency = 0.5f;
  s.preserveAmplitude = 0.6f;
  s.tint = PF_PixelFloat{1.0f, 0.9f, 0.4f, 1.0f};
  s.tintContribution = 0.8f;
  s.width = static_cast<float>(c.columns);
  s.height = static_cast<float>(c.rows);
  s.amplitudeSum = NoiseAmplitudeSum(s);
  NoiseJob job = MakeNoiseJob(s, c.columns, c.rows);
  ASSERT_FALSE(job.weight.empty());
  // The last row as if another thread were still weighing it: its pixels must not read the table.
  job.rowState.back() = 1;
  NoiseJob plain = MakeNoiseJob(s, c.columns, c.rows);
  plain.weight.clear();
  auto same = [](const auto& a, const auto& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(a[0])) == 0;
  };
  EXPECT_TRUE(same(RenderEvery<PF_Pixel8>(job), RenderEvery<PF_Pixel8>(plain)));
  EXPECT_TRUE(same(RenderEvery<PF_Pixel16>(job), RenderEvery<PF_Pixel16>(plain)));
  EXPECT_TRUE(same(RenderEvery<PF_PixelFloat>(job), RenderEvery<PF_PixelFloat>(plain)));
}

INSTANTIATE_TEST_SUITE_P(Cases, NoiseWeights,
                         ::testing::Values(WeightCase{500.0f, 1, 61, 7}, WeightCase{7.5f, 3, 1, 5},
                                           WeightCase{0.0f, 2, 9, 2},
                                           WeightCase{99999.99f, 4, 35, 3},
                                           WeightCase{33.3f, 1, 530, 4}));

}  // namespace
}  // namespace jf
