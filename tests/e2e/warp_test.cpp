// Warp through the headless host: the worked shifts on real rows, and no scratch memory.
#include <gtest/gtest.h>

#include <cstring>

#include "e2e/support.h"

namespace jf::e2e {
namespace {

class WarpAtDepth : public ::testing::TestWithParam<int> {};

// Four rows at the defaults ("Frequency" 70, "Amplitude" 50, "Offset" 0) shift by 0, −4, −10
// and −37: each row's content moves right by that much. Row 0 stays; the columns no source
// pixel reaches keep the cleared output, at every depth and at half resolution alike (the
// shift is in pixels).
TEST_P(WarpAtDepth, WorkedExampleMovesTheRows) {
  Rig rig;
  rig.Only(ParamId::EnableWarp);
  auto in = Pattern(64, 4, GetParam());
  headless::RenderSettings half;
  half.downsampleX = half.downsampleY = {1, 2};
  for (const auto& settings : {headless::RenderSettings{}, half}) {
    auto out = Render(rig, *in, nullptr, settings);
    const headless::World clear(64, 4, in->Format());
    const int bpp = in->BytesPerPixel();
    const A_long shifts[4] = {0, 4, 10, 37};
    for (A_long y = 0; y < 4; ++y) {
      const A_long s = shifts[y];
      EXPECT_EQ(std::memcmp(out->Row(y) + s * bpp, in->Row(y), (64 - s) * bpp), 0) << y;
      EXPECT_EQ(std::memcmp(out->Row(y), clear.Row(y), s * bpp), 0) << y;
    }
  }
  EXPECT_EQ(rig.host.Leaks(), "");
}

INSTANTIATE_TEST_SUITE_P(Depths, WarpAtDepth, ::testing::Values(8, 16, 32));

// Without scratch memory for the row table the stage ends at once: 0, and nothing written.
TEST(WarpStage, NoScratchMemoryLeavesTheOutputUnwritten) {
  Rig rig;
  rig.Only(ParamId::EnableWarp);
  rig.host.GetGate().FailOperation("host_new_handle", PF_Err_OUT_OF_MEMORY);
  auto in = Pattern(16, 8, 8);
  PF_Err err = -1;
  auto out = Render(rig, *in, &err);
  EXPECT_EQ(err, PF_Err_NONE);
  EXPECT_TRUE(out->SamePixels(headless::World(16, 8, PF_PixelFormat_ARGB32)));
  EXPECT_EQ(rig.host.Leaks(), "");
}

}  // namespace
}  // namespace jf::e2e
