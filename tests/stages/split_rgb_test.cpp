// Split RGB's channel records, checked without pixels.
#include <gtest/gtest.h>

#include <climits>

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

}  // namespace
}  // namespace jf
