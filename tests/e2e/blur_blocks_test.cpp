// Blur Blocks through the headless host: inside the blocks the host's blur of the whole frame,
// elsewhere the source, bit for bit.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "e2e/support.h"
#include "headless/imaging/imaging.h"
#include "stages/blur_blocks.h"
#include "support/table_defaults.h"

namespace jf::e2e {
namespace {

// The blurred copy comes from the host's AEGP world suite.
constexpr PF_Err kInjected = 77;

void BlurOnly(Rig& rig, A_long blocks = 10) {
  rig.Only(ParamId::EnableBlurBlocks);
  rig.Set(ParamId::BlurBlocksNumberOfBlocks, blocks);
}

/// Checks that out is blurred(input, radius) where covered says so and input elsewhere.
void ExpectPasted(const headless::World& out, const headless::World& input, double radius,
                  const std::function<bool(A_long, A_long)>& covered) {
  headless::World blurred(input.Width(), input.Height(), input.Format());
  const std::size_t rowBytes = static_cast<std::size_t>(input.Width()) * input.BytesPerPixel();
  for (A_long y = 0; y < input.Height(); ++y) std::memcpy(blurred.Row(y), input.Row(y), rowBytes);
  PF_EffectWorld world = blurred.Effect();
  ASSERT_EQ(headless::FastBlurImpl(input.Format(), radius, world), PF_Err_NONE);
  for (A_long y = 0; y < out.Height(); ++y) {
    for (A_long x = 0; x < out.Width(); ++x) {
      const headless::World& from = covered(x, y) ? blurred : input;
      ASSERT_EQ(std::memcmp(out.Row(y) + x * out.BytesPerPixel(),
                            from.Row(y) + x * from.BytesPerPixel(), out.BytesPerPixel()),
                0)
          << x << ", " << y;
    }
  }
}

class BlurAtDepth : public ::testing::TestWithParam<int> {};

TEST_P(BlurAtDepth, NoRadiusOrNoBlocksCopyTheSourceAndBlurNothing) {
  for (ParamId zeroed : {ParamId::BlurBlocksRadius, ParamId::BlurBlocksNumberOfBlocks}) {
    Rig rig;
    BlurOnly(rig);
    rig.Set(zeroed, 0);
    auto input = Pattern(64, 40, GetParam());
    EXPECT_TRUE(Render(rig, *input)->SamePixels(*input));
    EXPECT_EQ(rig.host.GetGate().Calls("AEGP_New"), 0u);
    EXPECT_EQ(rig.host.GetGate().Calls("AEGP_FastBlur"), 0u);
  }
}

// Forty overlapping blocks, placed as the (hand-checked) placement says: a pixel under several
// blocks shows the blur once, like any other covered pixel.
TEST_P(BlurAtDepth, OverlappingBlocksBlurOnce) {
  Rig rig;
  BlurOnly(rig, 40);
  rig.Set(ParamId::BlurBlocksRadius, 3);
  auto input = Pattern(120, 80, GetParam());
  BlurBlocksSettings s = BlurBlocksDefaults();
  s.count = 40;
  std::vector<BlurBlockRecord> table(40);
  PlaceBlurBlocks(s, 0, 0, 120, 80, table.data());
  ExpectPasted(*Render(rig, *input), *input, 3.0, [&](A_long x, A_long y) {
    for (const BlurBlockRecord& b : table) {
      if (InBlock(b, x, y)) return true;
    }
    return false;
  });
  EXPECT_EQ(rig.host.Leaks(), "");
}

INSTANTIATE_TEST_SUITE_P(Depths, BlurAtDepth, ::testing::Values(8, 16, 32));

// The worked layout: blocks (69…199, 4…64) and (0…57, 42…96) on 200 × 100 with radius 10, and
// at half resolution (35…99, 3…31) and (0…28, 21…47) with radius 5.
TEST(BlurStage, WorkedBlocksAtFullSizeAndHalfResolution) {
  Rig rig;
  BlurOnly(rig, 2);
  auto input = Pattern(200, 100, 8);
  ExpectPasted(*Render(rig, *input), *input, 10.0, [](A_long x, A_long y) {
    return (x >= 69 && y >= 4 && y <= 64) || (x <= 57 && y >= 42 && y <= 96);
  });

  headless::RenderSettings half;
  half.downsampleX = half.downsampleY = PF_RationalScale{1, 2};
  auto small = Pattern(100, 50, 16);
  ExpectPasted(*Render(rig, *small, nullptr, half), *small, 5.0, [](A_long x, A_long y) {
    return (x >= 35 && y >= 3 && y <= 31) || (x <= 28 && y >= 21 && y <= 47);
  });
}

TEST(BlurStage, HostFailuresEndTheStageWithTheirCode) {
  auto input = Pattern(48, 32, 8);
  ExpectOperationFailures(
      [](Rig& rig) { BlurOnly(rig); }, *input, kInjected,
      {
          {"copy", kInjected},
          {"AEGP_New", kInjected},
          {"AEGP_FillOutPFEffectWorld", kInjected},
          {"AEGP_FastBlur", kInjected},
          {"AEGP_Dispose", kInjected},
          {"iterate", kInjected},
          // No scratch memory for the blocks: the frame is the source, and that is no error.
          {"host_new_handle", PF_Err_NONE},
          {"host_lock_handle", PF_Err_NONE},
      });
}

// Fails each host call of a render in turn: nothing is left behind, and every run reports the
// injected code (or the suite error), unless only memory was refused, which leaves either the
// source (no block table) or the whole frame (no coverage index; the blocks are tested one by one).
TEST(BlurStage, FailingEachCallInTurnLeaksNothing) {
  auto input = Pattern(48, 32, 8);
  const auto total =
      SweepEveryCall([](Rig& rig) { BlurOnly(rig); }, *input, kInjected,
                     [&](const FailedCall& c) {
                       EXPECT_TRUE(c.err == kInjected || c.err == PF_Err_BAD_CALLBACK_PARAM ||
                                   (c.err == PF_Err_NONE &&
                                    (c.output.SamePixels(*input) || c.output.SamePixels(c.clean))))
                           << "call " << c.n << " (" << c.operation << ") gave " << c.err;
                     });
  EXPECT_GT(total, 20u);
}

}  // namespace
}  // namespace jf::e2e
