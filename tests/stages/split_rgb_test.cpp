// Split RGB's channel records, checked without pixels.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <random>

#include "stages/split_rgb.h"

namespace jf {
namespace {

ChannelSplit Split(A_long h, A_long v, double ds = 1.0) {
  return MakeChannelSplit(h, v, false, true, false, true, ds, ds);
}

// Offsets are negated (the sampling position moves against the channel), scaled, and truncated
// toward zero: at half resolution 5 gives −2, not −3. The most negative offset saturates.
TEST(MakeChannelSplit, NegatesScalesAndTruncates) {
  EXPECT_EQ(Split(5, -5).dx, -5);
  EXPECT_EQ(Split(5, -5).dy, 5);
  EXPECT_EQ(Split(5, -5, 0.5).dx, -2);
  EXPECT_EQ(Split(5, -5, 0.5).dy, 2);
  EXPECT_EQ(Split(INT_MIN, 0).dx, INT_MAX);
  const ChannelSplit c = MakeChannelSplit(0, 0, true, false, true, false, 1.0, 1.0);
  EXPECT_TRUE(c.invert && c.flipH && !c.hide && !c.flipV);
}

// The column and row tables give the same pixels as the range tests they stand for: offsets up
// to the 32-bit limits, mirrors, hidden and inverted channels, and a source extent inside its
// world.
TEST(SplitRgbPixel, TablesAgreeWithTheRangeTests) {
  using Px = PixelTraits<PF_Pixel16>;
  PF_Pixel16 pixels[5 * 4];
  for (int k = 0; k < 20; ++k) {
    const auto v = static_cast<A_u_short>(1000 * k + 1);
    pixels[k] = PF_Pixel16{v, static_cast<A_u_short>(v + 1), static_cast<A_u_short>(v + 2),
                           static_cast<A_u_short>(v + 40000)};
  }
  PF_EffectWorld src{};
  src.data = reinterpret_cast<PF_PixelPtr>(pixels);
  src.rowbytes = 5 * sizeof(PF_Pixel16);
  src.width = 5;
  src.height = 4;
  std::mt19937 random(7);
  const A_long shifts[] = {0, 1, -1, 2, -3, 4, INT_MAX, INT_MIN, INT_MAX - 2, INT_MIN + 3};
  auto draw = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  for (int round = 0; round < 300; ++round) {
    SplitRgbSettings s;
    for (ChannelSplit& c : s.channels) {
      c = ChannelSplit{shifts[draw(10)], shifts[draw(10)], draw(3) == 0,
                       draw(5) == 0,     draw(2) == 0,     draw(2) == 0};
    }
    s.width = 1 + draw(6);
    s.height = 1 + draw(5);
    s.src = &src;
    s.srcExtent = draw(2) == 0 ? PF_Rect{0, 0, 5, 4} : PF_Rect{1, 1, 4, 3};
    const SplitRgbJob tabled = MakeSplitRgbJob(s, sizeof(A_u_short), 5, 4);
    ASSERT_EQ(tabled.insideColumns, 5u);
    SplitRgbJob tested = tabled;
    tested.insideColumns = 0;
    tested.insideRows = 0;
    for (A_long y = 0; y < 4; ++y) {
      for (A_long x = 0; x < 5; ++x) {
        PF_Pixel16 in{7, 0, 0, 0}, byTable{}, byTests{};
        SplitRgbPixel<Px>(const_cast<SplitRgbJob*>(&tabled), x, y, &in, &byTable);
        SplitRgbPixel<Px>(&tested, x, y, &in, &byTests);
        EXPECT_EQ(std::memcmp(&byTable, &byTests, sizeof(PF_Pixel16)), 0)
            << "round " << round << " x " << x << " y " << y;
      }
    }
  }
}

}  // namespace
}  // namespace jf
