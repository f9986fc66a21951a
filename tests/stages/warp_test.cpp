// Warp's row shifts, checked without pixels.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "stages/warp.h"

namespace jf {
namespace {

using Rows = std::vector<A_long>;

Rows Smoothed(Rows t) {
  SmoothWarpRowOffsets(static_cast<A_long>(t.size()), t.data());
  return t;
}

Rows Placed(const WarpSettings& s, A_long rows, bool smooth = true) {
  Rows t(rows);
  if (smooth)
    PlaceWarpRowOffsets(s, rows, t.data());
  else
    SampleWarpRowOffsets(s, rows, t.data());
  return t;
}

// Row 2 reads the already smoothed 5 above it: (5 + 0)·0.25 = 1.25, not (10 + 0)·0.25.
TEST(WarpRowOffsets, SmoothingIsInPlaceTopDown) {
  EXPECT_EQ(Smoothed({0, 10, 0, 0}), (Rows{0, 5, 1, 0}));
  EXPECT_EQ(Smoothed({7}), (Rows{7}));
  EXPECT_EQ(Smoothed({-3, 10}), (Rows{-3, 10}));
  // The neighbours' sum wraps as a 32-bit sum: INT_MAX + 1 is INT_MIN, a quarter of it −2^29.
  EXPECT_EQ(Smoothed({INT_MAX, 0, 1}), (Rows{INT_MAX, -536870912, 1}));
}

// H = 4, "Frequency" 70, "Amplitude" 50, "Offset" 0 samples t = 0, 17.5, 35, 52.5.
TEST(WarpRowOffsets, WorkedExample) {
  const WarpSettings s{70.0f, 50, 0};
  EXPECT_EQ(Placed(s, 4, false), (Rows{0, -9, 0, -37}));
  EXPECT_EQ(Placed(s, 4), (Rows{0, -4, -10, -37}));
}

// Row 0 samples the noise at a whole number, where it is 0, whatever the settings.
TEST(WarpRowOffsets, RowZeroNeverShiftsAndZeroSettingsShiftNothing) {
  for (A_long offset = -1000; offset <= 1000; offset += 37) {
    for (float frequency : {0.5f, 70.0f, 199.99f, 5000.0f}) {
      ASSERT_EQ(Placed(WarpSettings{frequency, INT_MAX, offset}, 9)[0], 0) << offset;
    }
  }
  EXPECT_EQ(Placed(WarpSettings{0.0f, 50, 13}, 100), Rows(100, 0));
  EXPECT_EQ(Placed(WarpSettings{70.0f, 0, 0}, 100), Rows(100, 0));
}

// The prepared spans choose the same source pixel as the rule's own 64-bit test, for shifts and
// columns at the 32-bit limits, where a span is clipped to the columns x can be.
TEST(WarpRowSpans, AgreeWithTheRuleAtTheLimits) {
  PF_Pixel8 pixels[4 * 3] = {};
  for (int k = 0; k < 12; ++k) pixels[k].red = static_cast<A_u_char>(k + 1);
  PF_EffectWorld src{};
  src.data = reinterpret_cast<PF_PixelPtr>(pixels);
  src.rowbytes = 4 * sizeof(PF_Pixel8);
  src.width = 4;
  src.height = 3;
  for (const PF_Rect extent : {PF_Rect{0, 0, 4, 3}, PF_Rect{1, 1, 3, 2}, PF_Rect{2, 0, 2, 3}}) {
    src.extent_hint = extent;
    const Rows offsets = {INT_MIN + 2, INT_MAX, -3, INT_MIN, 2};
    const WarpPixelContext c = MakeWarpPixelContext(offsets.data(), 5, &src);
    const std::vector<WarpRowSpan> spans = MakeWarpRowSpans(c, sizeof(PF_Pixel8));
    ASSERT_EQ(spans.size(), 5u);
    for (A_long y = 0; y < 5; ++y) {
      for (const A_long x : {INT_MIN, INT_MIN + 1, -1, 0, 1, 2, 3, 4, 5, INT_MAX - 1, INT_MAX}) {
        PF_Pixel8 byRule{};
        WarpPixel<PixelTraits<PF_Pixel8>>(const_cast<WarpPixelContext*>(&c), x, y, nullptr,
                                          &byRule);
        const WarpRowSpan& span = spans[static_cast<std::size_t>(y)];
        PF_Pixel8 bySpan{};
        if (static_cast<std::uint32_t>(x) - static_cast<std::uint32_t>(span.first) < span.count) {
          bySpan = *reinterpret_cast<const PF_Pixel8*>(static_cast<std::uintptr_t>(
              span.base + static_cast<std::uint64_t>(x) * sizeof(PF_Pixel8)));
        }
        EXPECT_EQ(bySpan.red, byRule.red) << "x " << x << " y " << y;
      }
    }
  }
}

}  // namespace
}  // namespace jf
