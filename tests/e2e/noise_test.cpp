// Noise through the headless host: identities, the zero-amplitude case and worked pixels.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "e2e/support.h"

namespace jf::e2e {
namespace {

/// Settings under which the noise adds nothing to any pixel.
struct NothingToAdd {
  const char* name;
  void (*set)(Rig&);
};

const NothingToAdd kNothingToAdd[] = {
    {"NoTintContribution", [](Rig& rig) { rig.Set(ParamId::NoiseTintContribution, 0); }},
    {"BlackTint",
     [](Rig& rig) {
       rig.Params().SetColor(static_cast<PF_ParamIndex>(ParamId::NoiseTint),
                             PF_Pixel{255, 0, 0, 0});
     }},
    {"NoAmplitude", [](Rig& rig) { rig.Set(ParamId::NoiseAmplitude, 0); }},
    {"NoAmplitudeNoTintContribution",
     [](Rig& rig) {
       rig.Set(ParamId::NoiseAmplitude, 0);
       rig.Set(ParamId::NoiseTintContribution, 0);
     }},
};

class NoiseNothingToAdd : public ::testing::TestWithParam<std::tuple<int, NothingToAdd>> {};

// Each leaves every pixel unchanged. "Amplitude" 0 % would otherwise weigh by 1 − total ÷ 0 = −∞
// (NaN against a zero factor): non-finite floats, and channel values from converting them at 8
// and 16 bits.
TEST_P(NoiseNothingToAdd, LeavesTheFrameUnchanged) {
  const auto& [depth, setting] = GetParam();
  auto input = Pattern(67, 29, depth);
  Rig rig;
  rig.Only(ParamId::EnableNoise);
  setting.set(rig);
  EXPECT_TRUE(Render(rig, *input)->SamePixels(*input));
  EXPECT_EQ(rig.host.Leaks(), "");
}

INSTANTIATE_TEST_SUITE_P(Cases, NoiseNothingToAdd,
                         ::testing::Combine(::testing::Values(8, 16, 32),
                                            ::testing::ValuesIn(kNothingToAdd)),
                         [](const ::testing::TestParamInfo<NoiseNothingToAdd::ParamType>& info) {
                           return std::string(std::get<1>(info.param).name) + "_" +
                                  std::to_string(std::get<0>(info.param));
                         });

// At (0, 0) the noise is 0, so one octave weighs 0.5 and the default white tint (1.0 from the
// host) at 50 % adds a quarter of the maximum: 8 bits 100 + 63.75 → 163, and 255 + 63.75 wraps
// to 62; 16 bits 1000 + 8192; floats stay out of range.
TEST(NoiseStage, PixelZeroGainsAQuarter) {
  Rig rig;
  rig.Only(ParamId::EnableNoise);
  headless::World in8(8, 8, PF_PixelFormat_ARGB32);
  *in8.At<PF_Pixel8>(0, 0) = PF_Pixel8{200, 100, 0, 255};
  const PF_Pixel8 p8 = *Render(rig, in8)->At<PF_Pixel8>(0, 0);
  EXPECT_EQ((std::array<int, 4>{p8.alpha, p8.red, p8.green, p8.blue}),
            (std::array<int, 4>{200, 163, 63, 62}));

  headless::World in16(8, 8, PF_PixelFormat_ARGB64);
  *in16.At<PF_Pixel16>(0, 0) = PF_Pixel16{32768, 1000, 0, 32768};
  const PF_Pixel16 p16 = *Render(rig, in16)->At<PF_Pixel16>(0, 0);
  EXPECT_EQ((std::array<int, 4>{p16.alpha, p16.red, p16.green, p16.blue}),
            (std::array<int, 4>{32768, 9192, 8192, 40960}));

  headless::World inF(8, 8, PF_PixelFormat_ARGB128);
  *inF.At<PF_PixelFloat>(0, 0) = PF_PixelFloat{0.25f, 0.5f, 0.0f, 1.0f};
  const PF_PixelFloat pf = *Render(rig, inF)->At<PF_PixelFloat>(0, 0);
  EXPECT_EQ((std::array<float, 4>{pf.alpha, pf.red, pf.green, pf.blue}),
            (std::array<float, 4>{0.25f, 0.75f, 0.25f, 1.25f}));
}

// With the tint at 100 %, 255 plus 0.5 is 382.5, stored as 126. "Frequency" 0 gives every
// pixel one weight, 1 − (0.5 × 2) ÷ 1.5 = 1/3 for two octaves at 50 %.
TEST(NoiseStage, EightBitWrapAndUniformWeight) {
  Rig rig;
  rig.Only(ParamId::EnableNoise);
  rig.Set(ParamId::NoiseTintContribution, 100);
  headless::World in(20, 10, PF_PixelFormat_ARGB32);
  *in.At<PF_Pixel8>(0, 0) = PF_Pixel8{255, 255, 255, 255};
  EXPECT_EQ(Render(rig, in)->At<PF_Pixel8>(0, 0)->red, 126);

  rig.Set(ParamId::NoiseFrequency, 0);
  rig.Set(ParamId::NoiseOctaves, 2);
  headless::World black(20, 10, PF_PixelFormat_ARGB128);
  auto out = Render(rig, black);
  for (A_long y = 0; y < 10; ++y) {
    for (A_long x = 0; x < 20; ++x) {
      ASSERT_NEAR(out->At<PF_PixelFloat>(x, y)->green, 1.0f / 3.0f, 1e-6f) << x << ", " << y;
    }
  }
}

}  // namespace
}  // namespace jf::e2e
