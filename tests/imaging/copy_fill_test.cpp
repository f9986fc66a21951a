// Copy and fill against plain reference loops, at the three depths.
#include <climits>

#include <gtest/gtest.h>

#include "tests/imaging/test_worlds.h"

namespace jf::headless::testing {
namespace {

template <typename Px>
class CopyFill : public ::testing::Test {};
TYPED_TEST_SUITE(CopyFill, AllFormats);

// The copy written out pixel by pixel: each target pixel (x, y) inside dstRect and dst takes
// source pixel (x − dx, y − dy) when that lies inside srcRect and src. `from` is only read.
template <typename Px>
void ReferenceCopy(TestWorld<Px>& from, TestWorld<Px>& to, A_long srcW, A_long srcH,
                   const PF_Rect& s, A_long dstW, A_long dstH, const PF_Rect& d) {
  const long long dx = 0LL + d.left - s.left, dy = 0LL + d.top - s.top;
  for (A_long y = 0; y < dstH; ++y) {
    for (A_long x = 0; x < dstW; ++x) {
      const long long sx = x - dx, sy = y - dy;
      if (x >= d.left && x < d.right && y >= d.top && y < d.bottom && sx >= s.left &&
          sx < s.right && sy >= s.top && sy < s.bottom && sx >= 0 && sy >= 0 && sx < srcW &&
          sy < srcH) {
        to.At(x, y) = from.At(A_long(sx), A_long(sy));
      }
    }
  }
}

TYPED_TEST(CopyFill, CopyClipsToBothRectanglesAndBothWorlds) {
  using Px = TypeParam;
  const PF_Rect cases[][2] = {
      {{0, 0, 9, 7}, {0, 0, 11, 8}},     // the whole of both (what null rectangles mean)
      {{-3, -2, 5, 4}, {2, 1, 10, 7}},   // source sticks out top-left
      {{4, 3, 14, 12}, {-2, -1, 8, 8}},  // source out bottom-right, target out top-left
      {{1, 1, 8, 6}, {3, 2, 5, 4}},      // target smaller than the source
      {{5, 5, 2, 2}, {0, 0, 9, 7}},      // inverted source: nothing
      {{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {INT_MAX - 2, 0, INT_MAX, 4}},  // no overflow
  };
  for (const auto& c : cases) {
    TestWorld<Px> src(9, 7), dst(11, 8), expected(11, 8);
    src.Pattern(1);
    dst.Pattern(2);
    expected.Pattern(2);
    ReferenceCopy(src, expected, 9, 7, c[0], 11, 8, c[1]);
    const bool whole = &c == &cases[0];
    ASSERT_EQ(CopyImpl(Px::kFormat, src.World(), dst.World(), whole ? nullptr : &c[0],
                       whole ? nullptr : &c[1]),
              PF_Err_NONE);
    EXPECT_TRUE(SameBytes(expected.Pixels(), dst.Pixels())) << c[0].left << ", " << c[1].left;
  }
  EXPECT_EQ(CopyImpl(PF_PixelFormat_BGRA32, TestWorld<Px>(1, 1).World(),
                     TestWorld<Px>(1, 1).World(), nullptr, nullptr),
            PF_Err_BAD_CALLBACK_PARAM);
}

TYPED_TEST(CopyFill, CopyOntoItselfBehavesLikeMemmove) {
  using Px = TypeParam;
  // Shifts in every direction overlapping their own source, and no shift at all.
  for (const auto& s : {std::pair{2, 1}, {-2, -1}, {3, -2}, {-1, 2}, {1, 0}, {0, -1}, {0, 0}}) {
    TestWorld<Px> world(8, 6), original(8, 6), expected(8, 6);
    world.Pattern(4);
    original.Pattern(4);
    expected.Pattern(4);
    const PF_Rect from{1, 1, 7, 5}, to{1 + s.first, 1 + s.second, 7 + s.first, 5 + s.second};
    ReferenceCopy(original, expected, 8, 6, from, 8, 6, to);
    ASSERT_EQ(CopyImpl(Px::kFormat, world.World(), world.World(), &from, &to), PF_Err_NONE);
    EXPECT_TRUE(SameBytes(expected.Pixels(), world.Pixels())) << s.first << ", " << s.second;
  }
}

TYPED_TEST(CopyFill, FillSetsTheClippedRectangleToTheConvertedColour) {
  using Px = TypeParam;
  typename Px::Pixel converted;  // (255, 0, 128, 51) at each depth
  if constexpr (Px::kIsFloat)
    converted = {1.0f, 0.0f, 128 / 255.0f, 51 / 255.0f};
  else if constexpr (Px::kMax == 255.0)
    converted = {255, 0, 128, 51};
  else
    converted = {32768, 0, 16448, 6554};  // 16448.25 and 6553.6, rounded
  TestWorld<Px> world(6, 5), expected(6, 5), cleared(6, 5);
  world.Pattern(7);
  expected.Pattern(7);
  for (A_long y = 3; y < 5; ++y) {
    for (A_long x = 0; x < 4; ++x) expected.At(x, y) = converted;
  }
  const PF_Pixel8 colour{255, 0, 128, 51};
  const PF_Rect rect{-2, 3, 4, 9};
  ASSERT_EQ(FillImpl(Px::kFormat, &colour, &rect, world.World()), PF_Err_NONE);
  EXPECT_TRUE(SameBytes(expected.Pixels(), world.Pixels()));
  // No colour and no rectangle: the whole world transparent black.
  ASSERT_EQ(FillImpl(Px::kFormat, nullptr, nullptr, world.World()), PF_Err_NONE);
  EXPECT_TRUE(SameBytes(cleared.Pixels(), world.Pixels()));
}

}  // namespace
}  // namespace jf::headless::testing
