// Blur block placement, the blur radius and the coverage index, checked without pixels.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "stages/blur_blocks.h"

namespace jf {
namespace {

std::vector<BlurBlockRecord> Place(A_long count, A_long minWidth, A_long widthRange, double ds,
                                   A_long w = 200, A_long h = 100, A_long minHeight = 50) {
  BlurBlocksSettings s;
  s.count = count;
  s.positionSeed = s.width.seed = s.height.seed = 1;
  s.width.min = minWidth;
  s.width.range = widthRange;
  s.height.min = minHeight;
  s.height.range = 20;
  s.downsampleX = s.downsampleY = ds;
  std::vector<BlurBlockRecord> table(count);
  PlaceBlurBlocks(s, 0, 0, w, h, table.data());
  return table;
}

std::vector<A_long> Fields(const BlurBlockRecord& b) {
  return {b.left, b.right, b.top, b.bottom, b.cx, b.cy, b.width, b.height};
}

// Seed 1 everywhere; after the discarded draw the percentages are 67, 34, 0, 69. On 200 × 100:
// block 0 at (134, 34), 100 + trunc(0.67 × 50) = 133 by 50 + trunc(0.67 × 20) = 63; block 1 at
// (0, 69) (p = 0 puts it on the left edge), 117 by 56. At half size on 100 × 50 the centres are
// (67, 17) and (0, 34), the sizes 66 × 31 and 58 × 28.
TEST(PlaceBlurBlocks, WorkedByHand) {
  const auto full = Place(2, 100, 50, 1.0);
  EXPECT_EQ(Fields(full[0]), (std::vector<A_long>{68, 200, 3, 65, 134, 34, 133, 63}));
  EXPECT_EQ(Fields(full[1]), (std::vector<A_long>{-58, 58, 41, 97, 0, 69, 117, 56}));
  const auto half = Place(2, 100, 50, 0.5, 100, 50);
  EXPECT_EQ(Fields(half[0]), (std::vector<A_long>{34, 100, 2, 32, 67, 17, 66, 31}));
  EXPECT_EQ(Fields(half[1]), (std::vector<A_long>{-29, 29, 20, 48, 0, 34, 58, 28}));
}

TEST(InBlock, WidthOneCoversNoColumnWidthTwoOne) {
  for (A_long width : {1, 2}) {
    const BlurBlockRecord b = Place(1, width, 0, 1.0)[0];
    std::vector<A_long> columns;
    for (A_long x = b.cx - 3; x <= b.cx + 3; ++x) {
      if (InBlock(b, x, b.cy)) columns.push_back(x);
    }
    EXPECT_EQ(columns, width == 1 ? std::vector<A_long>{} : std::vector<A_long>{b.cx});
  }
}

TEST(BlurRadiusPixels, ScaledInUnsignedIntegersRoundedDown) {
  EXPECT_EQ(BlurRadiusPixels(10, PF_RationalScale{1, 1}), 10u);
  EXPECT_EQ(BlurRadiusPixels(7, PF_RationalScale{1, 2}), 3u);
  // A factor left unset is full size, not a division by zero.
  EXPECT_EQ(BlurRadiusPixels(10, PF_RationalScale{0, 0}), 10u);
}

TEST(BlockCoverage, SameAnswerAsTestingEveryBlock) {
  // Overlapping, thin and edge-crossing blocks, on an extent that does not start at 0.
  const auto table = Place(200, 1, 60, 1.0, 64, 33, 1);
  const PF_LRect area{-7, -5, 57, 28};
  std::vector<std::uint64_t> memory(BlockCoverageBytes(area, 200) / sizeof(std::uint64_t) + 1);
  const BlockCoverage coverage = BuildBlockCoverage(table.data(), 200, area, memory.data());
  for (A_long y = area.top - 2; y < area.bottom + 2; ++y) {
    for (A_long x = area.left - 2; x < area.right + 2; ++x) {
      bool naive = false;
      for (const BlurBlockRecord& b : table) naive = naive || InBlock(b, x, y);
      ASSERT_EQ(InAnyBlock(table.data(), 200, &coverage, x, y), naive) << x << ", " << y;
    }
  }
}

}  // namespace
}  // namespace jf
