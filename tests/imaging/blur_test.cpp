// The fast blur: no radius changes nothing, constants stay constant, transparency does not
// darken colour, the spread matches the box widths, and threads do not matter.
#include <cmath>
#include <limits>

#include <gtest/gtest.h>
#include "headless/thread_pool.h"

#include "tests/imaging/test_worlds.h"

namespace jf::headless::testing {
namespace {

template <typename Px>
class FastBlur : public ::testing::Test {};
TYPED_TEST_SUITE(FastBlur, AllFormats);

TYPED_TEST(FastBlur, NoRadiusLeavesTheWorldBitForBit) {
  using Px = TypeParam;
  // 0.3 is a radius whose three boxes are all one pixel wide.
  for (double radius : {0.0, -4.0, std::numeric_limits<double>::quiet_NaN(), 0.3}) {
    TestWorld<Px> world(7, 5), original(7, 5);
    world.Pattern(1);
    original.Pattern(1);
    ASSERT_EQ(FastBlurImpl(Px::kFormat, radius, world.World()), PF_Err_NONE);
    EXPECT_TRUE(SameBytes(original.Pixels(), world.Pixels())) << "radius " << radius;
  }
  EXPECT_EQ(FastBlurImpl(PF_PixelFormat_BGRA32, 2.0, TestWorld<Px>(1, 1).World()),
            PF_Err_BAD_CALLBACK_PARAM);
}

// Every pixel of the world, alpha aside, equals `colour` (exactly, or within `tolerance` at float).
template <typename Px>
void ExpectColour(TestWorld<Px>& world, const typename Px::Pixel& colour, double tolerance) {
  for (auto p : world.Pixels()) {
    if (p.alpha == 0) continue;  // out of reach of anything opaque
    EXPECT_NEAR(p.red, colour.red, tolerance);
    EXPECT_NEAR(p.green, colour.green, tolerance);
    EXPECT_NEAR(p.blue, colour.blue, tolerance);
  }
}

TYPED_TEST(FastBlur, ConstantsStayConstantAndTransparencyDoesNotDarken) {
  using Px = TypeParam;
  const double tolerance = Px::kIsFloat ? 1e-6 : 0.0;
  const auto colour = TestWorld<Px>::Make(200, 250, 128, 3);
  for (double radius : {1.0, 2.5, 6.0, 1e9}) {
    TestWorld<Px> world(13, 7);
    for (A_long y = 0; y < 7; ++y) {
      for (A_long x = 0; x < 13; ++x) world.At(x, y) = colour;
    }
    ASSERT_EQ(FastBlurImpl(Px::kFormat, radius, world.World()), PF_Err_NONE);
    for (auto p : world.Pixels()) EXPECT_NEAR(p.alpha, colour.alpha, tolerance) << radius;
    ExpectColour(world, colour, tolerance);
  }
  // Six columns of that colour, then transparent black: the edge fades in alpha only.
  TestWorld<Px> half(16, 6);
  for (A_long y = 0; y < 6; ++y) {
    for (A_long x = 0; x < 6; ++x) half.At(x, y) = colour;
  }
  ASSERT_EQ(FastBlurImpl(Px::kFormat, 3.0, half.World()), PF_Err_NONE);
  ExpectColour(half, colour, Px::kIsFloat ? 1e-5 : 0.0);
  EXPECT_LT(half.At(6, 3).alpha, colour.alpha);
  EXPECT_GT(half.At(6, 3).alpha, 0);
  EXPECT_TRUE(TestWorld<Px>::SameAs(half.At(15, 3), typename Px::Pixel{}));  // beyond 2 + 2 + 3
}

TEST(FastBlurSpread, ImpulseSpreadsByTheBoxVariances) {
  // Radius 3 gives σ = 3 and boxes 5, 5 and 7 wide, whose variances (w² − 1) ÷ 12 add up to
  // 2 + 2 + 4 = 8 along each axis. The blurred impulse keeps its mass and is symmetric.
  TestWorld<Argb128Traits> world(41, 41);
  for (A_long y = 0; y < 41; ++y) {
    for (A_long x = 0; x < 41; ++x) world.At(x, y) = {1.0f, 0.0f, 0.0f, 0.0f};
  }
  world.At(20, 20) = {1.0f, 1.0f, 1.0f, 1.0f};
  ASSERT_EQ(FastBlurImpl(PF_PixelFormat_ARGB128, 3.0, world.World()), PF_Err_NONE);
  double mass = 0.0, varianceX = 0.0, varianceY = 0.0;
  for (A_long y = 0; y < 41; ++y) {
    for (A_long x = 0; x < 41; ++x) {
      const double v = world.At(x, y).red;
      mass += v;
      varianceX += v * (x - 20) * (x - 20);
      varianceY += v * (y - 20) * (y - 20);
      EXPECT_NEAR(v, world.At(40 - x, y).red, 1e-7);
      EXPECT_NEAR(v, world.At(y, x).red, 1e-7);
      if (std::abs(x - 20) > 7 || std::abs(y - 20) > 7) {
        EXPECT_EQ(v, 0.0);  // beyond the reach of the three boxes, 2 + 2 + 3
      }
    }
  }
  EXPECT_NEAR(mass, 1.0, 1e-5);
  EXPECT_NEAR(varianceX, 8.0, 1e-4);
  EXPECT_NEAR(varianceY, 8.0, 1e-4);
}

TYPED_TEST(FastBlur, ResultDoesNotDependOnTheThreadCount) {
  using Px = TypeParam;
  TestWorld<Px> one(150, 90), two(150, 90);
  one.Pattern(2);
  two.Pattern(2);
  MakeThreadPool(1)->Execute(
      [&] { EXPECT_EQ(FastBlurImpl(Px::kFormat, 4.5, one.World()), PF_Err_NONE); });
  MakeThreadPool(2)->Execute(
      [&] { EXPECT_EQ(FastBlurImpl(Px::kFormat, 4.5, two.World()), PF_Err_NONE); });
  EXPECT_TRUE(SameBytes(one.Pixels(), two.Pixels()));
}

}  // namespace
}  // namespace jf::headless::testing
