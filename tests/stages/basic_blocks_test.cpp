// Block placement, checked without pixels.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "render/seeded_random.h"
#include "stages/basic_blocks.h"
#include "support/table_defaults.h"

namespace jf {
namespace {

// The worked cases below start from the declared defaults: 50 blocks, horizontal offset 300,
// vertical 0, widths 50 + 0 … 300, heights 25 + 0 … 25, every seed 1.

std::vector<BlockRecord> Place(const BasicBlocksSettings& s, A_long l, A_long t, A_long w,
                               A_long h) {
  std::vector<BlockRecord> table(s.count);
  PlaceBasicBlocks(s, l, t, w, h, table.data());
  return table;
}

// Worked by hand on a 100 × 50 extent (hw 50, hh 25) with seed 1 everywhere, whose draws after
// the discarded 41 are 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962.
// Block 0: p = 67, 34, 0, 69. x = 50 − trunc(−0.34 × 50) = 67; y = trunc(−0.32 × 25) + 25 = 18
//   (−0.32 × 25 is −7.999… in double, truncated to −7); mx = 0. Width 50 + trunc(0.67 × 300) =
//   251, x = 67 − 125 = −58; height 25 + trunc(0.67 × 25) = 41, y = 18 − 20 = −2.
// Block 1: p = 24, 78, 58, 62. x = 50 − 26 = 24; y = 14 + 25 = 39; mx = 174, and x ≤ 50 so
//   dx = +174. Width 50 + 102 = 152, x = 24 − 76 = −52; height 25 + 8 = 33, y = 39 − 16 = 23.
TEST(PlaceBasicBlocks, SmallCaseWorkedByHand) {
  BasicBlocksSettings s = BasicBlocksDefaults();
  s.count = 2;
  const auto t = Place(s, 0, 0, 100, 50);
  EXPECT_EQ(t[0].x, -58);
  EXPECT_EQ(t[0].y, -2);
  EXPECT_EQ(t[0].width, 251);
  EXPECT_EQ(t[0].height, 41);
  EXPECT_EQ(t[0].dx, 0);
  EXPECT_EQ(t[0].dy, 0);
  EXPECT_EQ(t[0].destLeft, -58);
  EXPECT_EQ(t[0].destBottom, 39);
  EXPECT_EQ(t[1].x, -52);
  EXPECT_EQ(t[1].y, 23);
  EXPECT_EQ(t[1].width, 152);
  EXPECT_EQ(t[1].height, 33);
  EXPECT_EQ(t[1].dx, 174);
  EXPECT_EQ(t[1].destLeft, 122);
  EXPECT_EQ(t[1].destTop, 23);
  EXPECT_EQ(t[1].destRight, 274);
  EXPECT_EQ(t[1].destBottom, 56);
}

TEST(PlaceBasicBlocks, ZeroOffsetsLandBlocksWhereTheyWereCut) {
  BasicBlocksSettings s = BasicBlocksDefaults();
  s.maxHorizontalOffset = 0;
  for (const BlockRecord& b : Place(s, 0, 0, 640, 360)) {
    EXPECT_EQ(b.dx, 0);
    EXPECT_EQ(b.dy, 0);
    EXPECT_EQ(b.destLeft, b.x);
    EXPECT_EQ(b.destTop, b.y);
    EXPECT_EQ(b.destRight, b.x + b.width);
    EXPECT_EQ(b.destBottom, b.y + b.height);
  }
}

TEST(PlaceBasicBlocks, ShiftsPointTowardsTheMiddleAndANegativeMaximumReversesThem) {
  BasicBlocksSettings s = BasicBlocksDefaults();
  s.maxVerticalOffset = 200;
  const auto towards = Place(s, 0, 0, 640, 360);
  s.maxHorizontalOffset = -300;
  s.maxVerticalOffset = -200;
  const auto away = Place(s, 0, 0, 640, 360);
  for (std::size_t i = 0; i < towards.size(); ++i) {
    // The sign rule looks at the corner before the centring shift.
    const A_long cx = towards[i].x + towards[i].width / 2;
    const A_long cy = towards[i].y + towards[i].height / 2;
    EXPECT_LE(towards[i].dx * (cx > 320 ? 1 : -1), 0) << i;
    EXPECT_LE(towards[i].dy * (cy > 180 ? 1 : -1), 0) << i;
    EXPECT_EQ(away[i].dx, -towards[i].dx) << i;
    EXPECT_EQ(away[i].dy, -towards[i].dy) << i;
    EXPECT_EQ(away[i].x, towards[i].x);
  }
}

TEST(PlaceBasicBlocks, ZeroRangesGiveEqualSizes) {
  BasicBlocksSettings s = BasicBlocksDefaults();
  s.width.range = 0;
  s.height.range = 0;
  s.width.min = 7;
  s.height.min = 9;
  for (const BlockRecord& b : Place(s, 0, 0, 640, 360)) {
    EXPECT_EQ(b.width, 7);
    EXPECT_EQ(b.height, 9);
  }
}

TEST(PlaceBasicBlocks, HalfResolutionHalvesSizesAndShiftsNotPositions) {
  BasicBlocksSettings full = BasicBlocksDefaults();
  full.width.range = 0;
  full.height.range = 0;
  full.width.min = 80;
  full.height.min = 40;
  full.maxVerticalOffset = 100;
  BasicBlocksSettings half = full;
  half.downsampleX = 0.5;
  half.downsampleY = 0.5;
  const auto a = Place(full, 0, 0, 640, 360);
  const auto b = Place(half, 0, 0, 640, 360);
  for (std::size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(b[i].width, 40);
    EXPECT_EQ(b[i].height, 20);
    // Same draws, same corner before centring; shifts are the truncated halves.
    EXPECT_EQ(b[i].x + 20, a[i].x + 40);
    EXPECT_EQ(b[i].y + 10, a[i].y + 20);
    EXPECT_LE(std::abs(b[i].dx * 2 - a[i].dx), 1);
    EXPECT_LE(std::abs(b[i].dy * 2 - a[i].dy), 1);
  }
}

TEST(PlaceBasicBlocks, OddExtentAndOddWidth) {
  // W = 5 gives hw = 2, so x runs from L + 2 − trunc(2 · (1 − p/50)); width 7 moves it by 3.
  BasicBlocksSettings s = BasicBlocksDefaults();
  s.count = 20;
  s.width.min = 7;
  s.width.range = 0;
  s.maxHorizontalOffset = 0;
  for (const BlockRecord& b : Place(s, 10, 0, 5, 5)) {
    const A_long before = b.x + 3;
    EXPECT_GE(before, 10);
    EXPECT_LE(before, 10 + 2 + 1);
  }
}

// A minimum plus its drawn part beyond 32 bits is summed in 64 bits, never overflowed: the size
// saturates rather than wrapping negative.
TEST(PlaceBasicBlocks, SizesBeyondThirtyTwoBitsSaturate) {
  BasicBlocksSettings s = BasicBlocksDefaults();
  s.count = 4;
  s.maxHorizontalOffset = 0;
  s.width = {2147483600, 100000, 1};
  s.height = {2147483600, 100000, 1};
  for (const BlockRecord& b : Place(s, 0, 0, 64, 64)) {
    EXPECT_GE(b.width, 2147483600);
    EXPECT_GE(b.height, 2147483600);
  }
}

TEST(PlaceBasicBlocks, ExtentOffsetMovesPositionsOnly) {
  BasicBlocksSettings s = BasicBlocksDefaults();
  s.maxHorizontalOffset = 0;
  const auto a = Place(s, 0, 0, 640, 360);
  const auto b = Place(s, 30, 20, 640, 360);
  for (std::size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(b[i].x, a[i].x + 30);
    EXPECT_EQ(b[i].y, a[i].y + 20);
    EXPECT_EQ(b[i].width, a[i].width);
  }
}

// A layout depends on its settings alone: not on what the generator drew before, nor on the
// thread, whose generator state is its own.
TEST(PlaceBasicBlocks, SameSettingsSameLayout) {
  const auto a = Place(BasicBlocksDefaults(), 0, 0, 1920, 1080);
  SeededRandom::Seed(12345);
  for (int i = 0; i < 7; ++i) SeededRandom::Next();
  const auto b = Place(BasicBlocksDefaults(), 0, 0, 1920, 1080);
  std::vector<BlockRecord> c;
  std::thread([&c] { c = Place(BasicBlocksDefaults(), 0, 0, 1920, 1080); }).join();
  ASSERT_EQ(a.size(), b.size());
  ASSERT_EQ(a.size(), c.size());
  EXPECT_EQ(std::memcmp(a.data(), b.data(), a.size() * sizeof(BlockRecord)), 0);
  EXPECT_EQ(std::memcmp(a.data(), c.data(), a.size() * sizeof(BlockRecord)), 0);
}

}  // namespace
}  // namespace jf
