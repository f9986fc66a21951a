// convolve: delta kernels, sums worked by hand with transparent borders under each storing rule,
// missing kernels, the area, bad requests, in place and on any number of threads.
#include <gtest/gtest.h>
#include "headless/thread_pool.h"

#include "tests/imaging/test_worlds.h"

namespace jf::headless::testing {
namespace {

template <typename Px>
class Convolve : public ::testing::Test {};
TYPED_TEST_SUITE(Convolve, AllFormats);

// The flags the effect passes: 2D, unnormalised, no clamp, long kernel, transparent borders.
constexpr PF_KernelFlags kEffectFlags = 4;

template <typename Px>
PF_Err ConvolveAll(TestWorld<Px>& src, TestWorld<Px>& dst, PF_KernelFlags flags, A_long size,
                   const A_long* kernel, const PF_Rect* area = nullptr) {
  return ConvolveImpl(Px::kFormat, src.World(), area, flags, size, kernel, kernel, kernel, kernel,
                      dst.World());
}

TYPED_TEST(Convolve, DeltaKernelCopies) {
  using Px = TypeParam;
  const A_long delta3[9] = {0, 0, 0, 0, 1, 0, 0, 0, 0}, delta1[1] = {1};
  for (PF_KernelFlags flags : {0u, 4u, unsigned{PF_KernelFlag_NORMALIZED}}) {
    TestWorld<Px> src(6, 5), dst3(6, 5), dst1(6, 5);
    src.Pattern(1);
    ASSERT_EQ(ConvolveAll(src, dst3, flags, 3, delta3), PF_Err_NONE);
    ASSERT_EQ(ConvolveAll(src, dst1, flags, 1, delta1), PF_Err_NONE);
    EXPECT_TRUE(SameBytes(src.Pixels(), dst3.Pixels())) << "flags " << flags;
    EXPECT_TRUE(SameBytes(src.Pixels(), dst1.Pixels())) << "flags " << flags;
  }
}

// Red, stored values:   10 20 30     kernel (the effect's shape at 50 %):   -15 -15 -15
//                       40 50 60                                            -15 127 -15
//                       70 80 90                                            -15 -15 -15
// Centre: 127·50 − 15·(10 + 20 + 30 + 40 + 60 + 70 + 80 + 90) = 6350 − 6000 = 350.
// Corner (0, 0), outside read as 0: 127·10 − 15·(20 + 40 + 50) = 1270 − 1650 = −380.
// Normalised by the kernel's sum 127 − 120 = 7: 350 ÷ 7 = 50; −380 ÷ 7 = −54.29, rounded −54.
TYPED_TEST(Convolve, HandComputedSumsStoredPerFlags) {
  using Px = TypeParam;
  const A_long kernel[9] = {-15, -15, -15, -15, 127, -15, -15, -15, -15};
  TestWorld<Px> src(3, 3);
  for (A_long y = 0; y < 3; ++y) {
    for (A_long x = 0; x < 3; ++x)
      src.At(x, y).red = static_cast<typename Px::Channel>(10 * (3 * y + x + 1));
  }
  // The expected stored value at this depth, from its 8-bit, 16-bit and float forms.
  auto at = [](double eight, double sixteen, double single) {
    if constexpr (Px::kIsFloat)
      return static_cast<double>(static_cast<float>(single));
    else
      return Px::kMax == 255.0 ? eight : sixteen;
  };
  const struct {
    PF_KernelFlags flags;
    double centre, corner;
  } cases[] = {
      // Unclamped: the low bits of the integer (350 − 256, −380 + 512, −380 + 65536); at float
      // the sum itself.
      {kEffectFlags, at(94, 350, 350), at(132, 65156, -380)},
      {PF_KernelFlag_CLAMP, at(255, 350, 1), 0},  // clamped to 0..MAX
      {PF_KernelFlag_NORMALIZED | PF_KernelFlag_NO_CLAMP, 50, at(202, 65482, -380.0 / 7.0)},
      {PF_KernelFlag_NORMALIZED, at(50, 50, 1), 0},
  };
  for (const auto& c : cases) {
    TestWorld<Px> dst(3, 3);
    ASSERT_EQ(ConvolveImpl(Px::kFormat, src.World(), nullptr, c.flags, 3, nullptr, kernel, nullptr,
                           nullptr, dst.World()),
              PF_Err_NONE);
    EXPECT_EQ(static_cast<double>(dst.At(1, 1).red), c.centre) << "flags " << c.flags;
    EXPECT_EQ(static_cast<double>(dst.At(0, 0).red), c.corner) << "flags " << c.flags;
  }
}

TYPED_TEST(Convolve, WritesOnlyTheAreaAndCopiesChannelsWithoutKernel) {
  using Px = TypeParam;
  const A_long right[9] = {0, 0, 0, 0, 0, 1, 0, 0, 0};  // reads the right-hand neighbour
  TestWorld<Px> src(5, 4), dst(5, 4), expected(5, 4);
  src.Pattern(3);
  dst.Pattern(4);
  expected.Pattern(4);
  for (A_long y = 1; y < 3; ++y) {
    for (A_long x = 2; x < 5; ++x) {
      expected.At(x, y) = src.At(x, y);
      expected.At(x, y).green = x + 1 < 5 ? src.At(x + 1, y).green : 0;
    }
  }
  const PF_Rect area{2, 1, 9, 3};
  ASSERT_EQ(ConvolveImpl(Px::kFormat, src.World(), &area, kEffectFlags, 3, nullptr, nullptr, right,
                         nullptr, dst.World()),
            PF_Err_NONE);
  EXPECT_TRUE(SameBytes(expected.Pixels(), dst.Pixels()));
}

TYPED_TEST(Convolve, RefusesWhatItCannotServe) {
  using Px = TypeParam;
  const A_long kernel[9] = {0, 0, 0, 0, 1, 0, 0, 0, 0};
  TestWorld<Px> src(3, 3), dst(3, 3), untouched(3, 3);
  src.Pattern(6);
  for (A_long size : {0, -1, 2, 4, 129}) {
    EXPECT_EQ(ConvolveAll(src, dst, kEffectFlags, size, kernel), PF_Err_BAD_CALLBACK_PARAM) << size;
  }
  // Kernels of chars or fixed-point numbers would be read as longs, past their end.
  for (PF_KernelFlags type :
       {PF_KernelFlag_USE_CHAR, PF_KernelFlag_USE_FIXED, PF_KernelFlag_USE_UNDEFINED}) {
    EXPECT_EQ(ConvolveAll(src, dst, kEffectFlags | type, 3, kernel), PF_Err_BAD_CALLBACK_PARAM);
  }
  EXPECT_EQ(ConvolveImpl(PF_PixelFormat_VUYA32, src.World(), nullptr, 0, 3, kernel, kernel, kernel,
                         kernel, dst.World()),
            PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_TRUE(SameBytes(untouched.Pixels(), dst.Pixels()));
}

TYPED_TEST(Convolve, SameBytesInPlaceAndOnAnyNumberOfThreads) {
  using Px = TypeParam;
  const A_long kernel[25] = {1, 2, 3, 2, 1, 2, 4, 6, 4, 2, 3, 6, -9,
                             6, 3, 2, 4, 6, 4, 2, 1, 2, 3, 2, 1};
  TestWorld<Px> src(90, 70), one(90, 70), two(90, 70), inPlace(90, 70);
  src.Pattern(5);
  inPlace.Pattern(5);
  MakeThreadPool(1)->Execute(
      [&] { EXPECT_EQ(ConvolveAll(src, one, kEffectFlags, 5, kernel), PF_Err_NONE); });
  MakeThreadPool(2)->Execute(
      [&] { EXPECT_EQ(ConvolveAll(src, two, kEffectFlags, 5, kernel), PF_Err_NONE); });
  ASSERT_EQ(ConvolveAll(inPlace, inPlace, kEffectFlags, 5, kernel), PF_Err_NONE);
  const auto reference = one.Pixels();
  EXPECT_TRUE(SameBytes(reference, two.Pixels()));
  EXPECT_TRUE(SameBytes(reference, inPlace.Pixels()));
}

}  // namespace
}  // namespace jf::headless::testing
