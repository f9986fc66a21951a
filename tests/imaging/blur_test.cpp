// The fast blur: no radius changes nothing, constants stay constant, transparency does not
// darken colour, the spread matches the box widths, and threads do not matter.
#include <cmath>
#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

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

// The blur as three box passes along each row and then each column, one line and one channel at
// a time, written out plainly: the box radii of Kovesi's widths, prefix sums in double, edge
// samples repeated, colour premultiplied, the passes between directions kept in float.
template <typename Px>
void ReferenceBlur(double sigma, TestWorld<Px>& world) {
  const double ideal = std::sqrt(12.0 * sigma * sigma / 3 + 1.0);
  auto lower = static_cast<std::int64_t>(std::floor(ideal));
  if (lower % 2 == 0) --lower;
  const double l = static_cast<double>(lower);
  const auto m = std::llround((12.0 * sigma * sigma - 3 * l * l - 12.0 * l - 9) / (-4.0 * l - 4.0));
  std::vector<std::int64_t> radii;
  for (int i = 0; i < 3; ++i) radii.push_back(((i < m ? lower : lower + 2) - 1) / 2);

  auto pass = [](std::vector<double>& v, std::int64_t r) {
    if (r == 0) return;
    const auto n = static_cast<std::int64_t>(v.size());
    std::vector<double> sum(v.size() + 1, 0.0);
    for (std::int64_t i = 0; i < n; ++i) sum[i + 1] = sum[i] + v[i];
    const double first = v.front(), last = v.back(), width = static_cast<double>(2 * r + 1);
    for (std::int64_t i = 0; i < n; ++i) {
      const std::int64_t lo = std::max<std::int64_t>(i - r, 0), hi = std::min(i + r, n - 1);
      const double edges = (first == 0.0 ? 0.0 : static_cast<double>(lo - (i - r)) * first) +
                           (last == 0.0 ? 0.0 : static_cast<double>(i + r - hi) * last);
      v[i] = (sum[hi + 1] - sum[lo] + edges) / width;
    }
  };
  const A_long w = world.World().width, h = world.World().height;
  std::vector<float> scratch(static_cast<std::size_t>(w) * h * 4);
  for (A_long y = 0; y < h; ++y) {
    for (int c = 0; c < 4; ++c) {
      std::vector<double> v(w);
      for (A_long x = 0; x < w; ++x) {
        const auto& p = world.At(x, y);
        const double a = ToUnit<Px>(p.alpha);
        const typename Px::Channel ch[4] = {p.alpha, p.red, p.green, p.blue};
        double colour = ToUnit<Px>(ch[c]);
        if constexpr (Px::kIsFloat) colour = std::isfinite(ch[c]) ? ch[c] : 0.0;
        v[x] = c == 0 ? a : a * colour;
      }
      for (std::int64_t r : radii) pass(v, r);
      for (A_long x = 0; x < w; ++x) scratch[(static_cast<std::size_t>(y) * w + x) * 4 + c] = v[x];
    }
  }
  for (A_long x = 0; x < w; ++x) {
    double out[4][512];
    for (int c = 0; c < 4; ++c) {
      std::vector<double> v(h);
      for (A_long y = 0; y < h; ++y) v[y] = scratch[(static_cast<std::size_t>(y) * w + x) * 4 + c];
      for (std::int64_t r : radii) pass(v, r);
      std::copy(v.begin(), v.end(), out[c]);
    }
    for (A_long y = 0; y < h; ++y) {
      const double a = out[0][y];
      if (!(a > 0.0)) continue;
      auto colour = [&](double v) -> typename Px::Channel {
        if constexpr (Px::kIsFloat) return static_cast<float>(v / a);
        return FromUnit<Px>(v / a);
      };
      world.At(x, y) = {FromUnit<Px>(a), colour(out[1][y]), colour(out[2][y]), colour(out[3][y])};
    }
  }
}

// Odd sizes (columns left over past whole groups), radii from one pixel to wider than the frame
// (windows past both edges at once), transparent and over-bright pixels and, at float, negative
// colour: the same bytes as the plain blur.
TYPED_TEST(FastBlur, SameBytesAsThePlainBlurOfEveryLineAndChannel) {
  using Px = TypeParam;
  for (const double sigma : {0.8, 2.5, 7.0, 40.0}) {
    for (const auto& [w, h] : {std::pair{37, 23}, std::pair{8, 41}, std::pair{1, 5}}) {
      TestWorld<Px> fast(w, h), plain(w, h);
      for (TestWorld<Px>* t : {&fast, &plain}) {
        t->Pattern(5);
        for (A_long x = 0; x < w; x += 3) t->At(x, h / 2).alpha = 0;
        if constexpr (Px::kIsFloat) {
          t->At(0, 0).red = -0.75f;
          t->At(w - 1, h - 1).green = 3.5f;
          t->At(w / 2, 1).blue = -2.0f;
        }
      }
      ASSERT_EQ(FastBlurImpl(Px::kFormat, sigma, fast.World()), PF_Err_NONE);
      ReferenceBlur(sigma, plain);
      EXPECT_TRUE(SameBytes(plain.Pixels(), fast.Pixels())) << sigma << ", " << w << " x " << h;
    }
  }
}

}  // namespace
}  // namespace jf::headless::testing
