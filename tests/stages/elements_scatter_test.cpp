// Shape placement, the inside tests and the tile index, checked without pixels.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "render/seeded_random.h"
#include "stages/elements_scatter.h"

namespace jf {
namespace {

ShapeSettings Sizes(A_long size, A_long stroke, A_long range = 0) {
  ShapeSettings s;
  s.positionSeed = s.sizeSeed = s.spaceSizeSeed = s.dotsSeed = 1;
  s.size = size;
  s.stroke = stroke;
  s.sizeRange = range;
  return s;
}

ShapeSettings Dots(A_long dot, A_long space, A_long count) {
  ShapeSettings s = Sizes(dot, 0);
  s.spaceSize = space;
  s.minDots = count;
  return s;
}

template <typename Record>
std::vector<Record> Place(const ShapeSettings& s, A_long count, A_long w = 1000, A_long h = 1000,
                          A_long left = 0) {
  std::vector<Record> table(count);
  PlaceShapes(s, left, 0, w, h, count, table.data());
  return table;
}

/// Offsets from the centre, -30 … 30, that the shape covers along row cy + dy.
template <typename Record>
std::vector<A_long> Row(const Record& r, A_long dy = 0) {
  std::vector<A_long> out;
  for (A_long dx = -30; dx <= 30; ++dx) {
    if (InShape(r, r.cx + dx, r.cy + dy)) out.push_back(dx);
  }
  return out;
}

using Offsets = std::vector<A_long>;

TEST(PlaceShapes, PositionsFromTheSeedsAndTheirOffsets) {
  // Square's position seed 1 is seeded as 444639; Circle's as 1.
  const auto squares = Place<SquareRecord>(Sizes(50, 2), 3, 100, 100);
  EXPECT_EQ((Offsets{squares[0].cx, squares[0].cy, squares[1].cx, squares[1].cy, squares[2].cx,
                     squares[2].cy}),
            (Offsets{23, 33, 97, 61, 97, 55}));
  const auto circles = Place<CircleRecord>(Sizes(5, 2), 3, 1920, 1080);
  EXPECT_EQ((Offsets{circles[0].cx, circles[0].cy, circles[1].cx, circles[1].cy, circles[2].cx,
                     circles[2].cy}),
            (Offsets{1286, 367, 0, 745, 460, 842}));

  // Circle's seeds carry no offset: with equal seeds record i's radius repeats draw i, the draws
  // record 0's centre took.
  ShapeSettings same = Sizes(0, 0, 100);
  same.positionSeed = same.sizeSeed = 7;
  const auto t = Place<CircleRecord>(same, 2, 100, 100);
  EXPECT_EQ(t[0].outer, t[0].cx);
  EXPECT_EQ(t[1].outer, t[0].cy);

  // p = 29 of 100 gives 28: 0.29 × 100 is 28.999… in double.
  A_long seed = 1;
  while (SeededRandom::SeedAndDiscard(seed), SeededRandom::Next() % 100 != 29) ++seed;
  ShapeSettings s = Sizes(5, 2);
  s.positionSeed = seed;
  EXPECT_EQ(Place<CircleRecord>(s, 1, 100, 100, 10)[0].cx, 10 + 28);
}

TEST(InShape, OutlinesRingsAndBars) {
  // Default Square: h = 25, m = 23, an outline two pixels wide.
  EXPECT_EQ(Row(Place<SquareRecord>(Sizes(50, 2), 1)[0]), (Offsets{-24, -23, 23, 24}));
  // A stroke reaching h leaves no hole: cx − 4 … cx + 4 for h = 5.
  EXPECT_EQ(Row(Place<SquareRecord>(Sizes(10, 5), 1)[0]).size(), 9u);

  // Radius 5, stroke 2: distances 3 and 4; a stroke past the radius fills the disc.
  EXPECT_EQ(Row(Place<CircleRecord>(Sizes(5, 2), 1)[0]), (Offsets{-4, -3, 3, 4}));
  EXPECT_EQ(Row(Place<CircleRecord>(Sizes(5, 9), 1)[0]), (Offsets{-4, -3, -2, -1, 0, 1, 2, 3, 4}));

  // Plus, stroke 2: bars three pixels thick. With h = 5 and stroke 8 the box grows right and
  // down only, so the vertical bar is cut on the left (at cx − 5) but reaches cx + 7.
  EXPECT_EQ(Row(Place<PlusRecord>(Sizes(50, 2), 1)[0], -10), (Offsets{-1, 0, 1}));
  const PlusRecord wide = Place<PlusRecord>(Sizes(10, 8), 1)[0];
  EXPECT_EQ(Row(wide, -3).front(), -4);
  EXPECT_EQ(Row(wide, -3).back(), 7);
  EXPECT_FALSE(InShape(wide, wide.cx - 3, wide.cy - 5));  // cut at the top ...
  EXPECT_TRUE(InShape(wide, wide.cx - 3, wide.cy + 7));   // ... not at the bottom

  // X of stroke 1: the exact diagonals only.
  const XRecord x = Place<XRecord>(Sizes(20, 1), 1)[0];
  for (A_long dy = -12; dy <= 12; ++dy) {
    for (A_long dx = -12; dx <= 12; ++dx) {
      ASSERT_EQ(InShape(x, x.cx + dx, x.cy + dy),
                std::abs(dx) == std::abs(dy) && std::abs(dx) < 10);
    }
  }
}

TEST(InShape, DottedLine) {
  // dot 5, space 3, three dots: period 8, length 21, left = cx − 10. The first dot is four
  // columns, the others five; the line is four rows high.
  const DottedLineRecord r = Place<DottedLineRecord>(Dots(5, 3, 3), 1)[0];
  EXPECT_EQ(Row(r), (Offsets{-9, -8, -7, -6, -2, -1, 0, 1, 2, 6, 7, 8, 9, 10}));
  Offsets rows;
  for (A_long dy = -5; dy <= 5; ++dy) {
    if (InShape(r, r.cx, r.cy + dy)) rows.push_back(dy);
  }
  EXPECT_EQ(rows, (Offsets{-1, 0, 1, 2}));
  // No dots (length −space) or dots of size 0 draw nothing.
  for (const ShapeSettings& s : {Dots(5, 3, 0), Dots(0, 3, 4)}) {
    const DottedLineRecord none = Place<DottedLineRecord>(s, 1)[0];
    for (A_long dy = -5; dy <= 5; ++dy) EXPECT_TRUE(Row(none, dy).empty());
  }
}

TEST(InShape, SizesBeyondThirtyTwoBitArithmetic) {
  // Squares of radii and distances above 46340 overflow 32 bits: a ring of 49990 … 50000.
  const CircleRecord ring{{-50000, -50000, 50000, 50000}, 0, 0, 49990, 50000};
  EXPECT_TRUE(InShape(ring, 49995, 0));
  EXPECT_FALSE(InShape(ring, 30000, 30000));  // ≈ 42426, in the hole
  EXPECT_FALSE(InShape(ring, 35400, 35400));  // ≈ 50063, outside

  // dot 100000, space 50000, 100000 dots: a length of 14 999 950 000. The line starts at
  // cx − 7 499 975 000, which is 125000 into a period, so the dot after cx spans
  // cx + 25000 … cx + 124999 and the one before ends at cx − 25001.
  const DottedLineRecord line = Place<DottedLineRecord>(Dots(100000, 50000, 100000), 1, 100)[0];
  EXPECT_EQ(line.box.top, line.cy - 50000);
  for (const auto& [dx, in] : std::vector<std::pair<A_long, bool>>{{0, false},
                                                                   {24999, false},
                                                                   {25000, true},
                                                                   {124999, true},
                                                                   {125000, false},
                                                                   {-25001, true},
                                                                   {-25000, false}}) {
    EXPECT_EQ(InShape(line, line.cx + dx, line.cy), in) << dx;
  }
}

TEST(PlaceShapes, HalfResolutionHalvesEveryLength) {
  ShapeSettings s = Sizes(50, 2);
  s.downsampleX = 0.5;
  EXPECT_EQ(Row(Place<SquareRecord>(s, 1)[0]), (Offsets{-11, 11}));  // h 12, m 11
}

/// Every pixel of the area, and a margin, finds the same first record through the index as by
/// testing the whole table, and the mask made from the index holds exactly the area's pixels
/// that some record holds. The area is off the origin and cuts the last tiles short.
template <typename Record>
void ExpectIndexAgrees(const std::vector<Record>& table) {
  const PF_LRect area{-5, -3, 198, 94};
  const auto count = static_cast<A_long>(table.size());
  const ShapeIndex plan = PlanShapeIndex(table.data(), count, area);
  std::vector<std::int32_t> memory(ShapeIndexBytes(plan) / sizeof(std::int32_t) + 1);
  const ShapeIndex index = BuildShapeIndex(table.data(), count, plan, memory.data());
  std::vector<std::uint64_t> maskMemory(PixelMaskBytes(area) / sizeof(std::uint64_t));
  const PixelMask mask = ClearedPixelMask(area, maskMemory.data());
  MaskShapes(table.data(), index, mask);
  for (A_long y = area.top - 3; y < area.bottom + 3; ++y) {
    for (A_long x = area.left - 3; x < area.right + 3; ++x) {
      const A_long first =
          FirstShapeAt(table.data(), count, static_cast<const ShapeIndex*>(nullptr), x, y);
      ASSERT_EQ(FirstShapeAt(table.data(), count, &index, x, y), first) << x << ", " << y;
      ASSERT_EQ(mask.Covers(x, y), Contains(area, x, y)) << x << ", " << y;
      if (mask.Covers(x, y)) {
        ASSERT_EQ(mask.Test(x, y), first >= 0) << x << ", " << y;
      }
    }
  }
}

TEST(ShapeIndex, SameFirstMatchAsTestingTheWholeTable) {
  // Small crowded shapes, and large hollow ones whose middles the index leaves out.
  for (const ShapeSettings& s : {Sizes(30, 3, 60), Sizes(120, 5, 100)}) {
    ExpectIndexAgrees(Place<CircleRecord>(s, 200, 203, 97));
    ExpectIndexAgrees(Place<SquareRecord>(s, 200, 203, 97));
    ExpectIndexAgrees(Place<PlusRecord>(s, 200, 203, 97));
    ExpectIndexAgrees(Place<XRecord>(s, 200, 203, 97));
    ExpectIndexAgrees(Place<XSquareRecord>(s, 200, 203, 97));
  }
  ShapeSettings d = Dots(4, 3, 5);
  d.dotsRange = 20;
  ExpectIndexAgrees(Place<DottedLineRecord>(d, 300, 203, 97));
}

TEST(ShapeIndex, HugeShapesGrowTheTilesInsteadOfTheMemory) {
  const auto table = Place<CircleRecord>(Sizes(3000, 3000), 20000, 1920, 1080);
  const ShapeIndex plan = PlanShapeIndex(table.data(), 20000, PF_LRect{0, 0, 1920, 1080});
  EXPECT_LE(ShapeIndexBytes(plan), std::size_t{64} << 20);
}

}  // namespace
}  // namespace jf
