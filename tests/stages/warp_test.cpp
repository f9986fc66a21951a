// Warp's row shifts, checked without pixels.
#include <gtest/gtest.h>

#include <climits>
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

}  // namespace
}  // namespace jf
