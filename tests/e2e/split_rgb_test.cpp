// Split RGB through the headless host: the default split, hide and invert, and the half turn.
#include <gtest/gtest.h>

#include <array>

#include "e2e/support.h"

namespace jf::e2e {
namespace {

/// Alpha, red, green, blue of a pixel at any depth.
std::array<double, 4> Argb(const headless::World& w, A_long x, A_long y) {
  if (w.Format() == PF_PixelFormat_ARGB32) {
    const auto p = *w.At<PF_Pixel8>(x, y);
    return {double(p.alpha), double(p.red), double(p.green), double(p.blue)};
  }
  if (w.Format() == PF_PixelFormat_ARGB64) {
    const auto p = *w.At<PF_Pixel16>(x, y);
    return {double(p.alpha), double(p.red), double(p.green), double(p.blue)};
  }
  const auto p = *w.At<PF_PixelFloat>(x, y);
  return {p.alpha, p.red, p.green, p.blue};
}

class SplitRgbAtDepth : public ::testing::TestWithParam<int> {};

// Red 5 right, green 5 left, blue in place: the first five columns have red 0, the last five
// green 0, alpha the unshifted source's. At half resolution red moves trunc(2.5) = 2.
TEST_P(SplitRgbAtDepth, DefaultsMoveRedRightAndGreenLeft) {
  Rig rig;
  rig.Only(ParamId::EnableSplitRgb);
  auto in = Pattern(40, 12, GetParam());
  auto out = Render(rig, *in);
  headless::RenderSettings half;
  half.downsampleX = half.downsampleY = {1, 2};
  auto halfOut = Render(rig, *in, nullptr, half);
  for (A_long y = 0; y < 12; ++y) {
    for (A_long x = 0; x < 40; ++x) {
      const auto o = Argb(*out, x, y);
      ASSERT_EQ(o[1], x < 5 ? 0.0 : Argb(*in, x - 5, y)[1]) << x << ", " << y;
      ASSERT_EQ(o[2], x >= 35 ? 0.0 : Argb(*in, x + 5, y)[2]) << x << ", " << y;
      ASSERT_EQ(o[3], Argb(*in, x, y)[3]);
      ASSERT_EQ(o[0], Argb(*in, x, y)[0]);
      ASSERT_EQ(Argb(*halfOut, x, y)[1], x < 2 ? 0.0 : Argb(*in, x - 2, y)[1]) << x;
    }
  }
}

// Red hidden and inverted is the maximum everywhere; blue inverted alone is max − value; green,
// flipped both ways, and alpha, upright, show that the flip turns a channel by 180°.
TEST_P(SplitRgbAtDepth, HideInvertAndFlip) {
  Rig rig;
  rig.Only(ParamId::EnableSplitRgb);
  rig.Set(ParamId::SplitGreenHorizontalOffset, 0);
  for (ParamId id : {ParamId::SplitRedHide, ParamId::SplitRedInvert, ParamId::SplitBlueInvert,
                     ParamId::SplitGreenFlipHorizontal, ParamId::SplitGreenFlipVertical}) {
    rig.Enable(id);
  }
  auto in = Pattern(21, 13, GetParam());
  auto out = Render(rig, *in);
  const double max = GetParam() == 8 ? 255.0 : GetParam() == 16 ? 32768.0 : 1.0;
  for (A_long y = 0; y < 13; ++y) {
    for (A_long x = 0; x < 21; ++x) {
      const auto o = Argb(*out, x, y);
      ASSERT_EQ(o[1], max);
      ASSERT_EQ(o[2], Argb(*in, 20 - x, 12 - y)[2]);
      ASSERT_EQ(o[3], static_cast<float>(max - Argb(*in, x, y)[3]));
      ASSERT_EQ(o[0], Argb(*in, x, y)[0]);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Depths, SplitRgbAtDepth, ::testing::Values(8, 16, 32));

}  // namespace
}  // namespace jf::e2e
