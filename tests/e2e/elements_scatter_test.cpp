// Elements Scatter through the headless host. Composited with "Copy", the output is the shape
// layer itself, so layer pixels can be checked exactly.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "e2e/support.h"

namespace jf::e2e {
namespace {

constexpr A_long kCopy = 1;
constexpr A_long kInFront = 3;
constexpr PF_Err kInjected = 77;

void ScatterOnly(Rig& rig, A_long squares = 10) {
  rig.Only(ParamId::EnableElementsScatter);
  rig.Set(ParamId::SquareNumberOfShapes, squares);
}

void AllKinds(Rig& rig) {
  for (ParamId id : {ParamId::CircleEnable, ParamId::PlusEnable, ParamId::XEnable,
                     ParamId::XSquareEnable, ParamId::DottedLineEnable}) {
    rig.Enable(id);
  }
}

/// The pixel's bytes: 0 for transparent black, 1 for white at half opacity (127, 16384 or 0.5
/// alpha), -1 for anything else.
int Kind(const headless::World& w, A_long x, A_long y) {
  const unsigned char* p = w.Row(y) + x * w.BytesPerPixel();
  if (std::all_of(p, p + w.BytesPerPixel(), [](unsigned char c) { return c == 0; })) return 0;
  const PF_Pixel8 half8{127, 255, 255, 255};
  const PF_Pixel16 half16{16384, 32768, 32768, 32768};
  const PF_PixelFloat halfFloat{0.5f, 1.0f, 1.0f, 1.0f};
  const void* half = w.BytesPerPixel() == 4   ? static_cast<const void*>(&half8)
                     : w.BytesPerPixel() == 8 ? static_cast<const void*>(&half16)
                                              : static_cast<const void*>(&halfFloat);
  return std::memcmp(p, half, w.BytesPerPixel()) == 0 ? 1 : -1;
}

class ScatterAtDepth : public ::testing::TestWithParam<int> {};

TEST_P(ScatterAtDepth, NoKindEnabledLeavesTheFrameUnchanged) {
  Rig rig;
  ScatterOnly(rig);
  rig.Enable(ParamId::SquareEnable, false);
  auto input = Pattern(61, 37, GetParam());
  EXPECT_TRUE(Render(rig, *input)->SamePixels(*input));
}

// The default Square, alone: at (23, 33), h = 25 and m = 23, an outline two pixels wide at the
// default colour and 50 %.
TEST_P(ScatterAtDepth, DefaultSquareIsATwoPixelOutline) {
  Rig rig;
  ScatterOnly(rig, 1);
  rig.Set(ParamId::ElementsScatterBlendMode, kCopy);
  auto out = Render(rig, *Pattern(100, 100, GetParam()));
  for (A_long y = 0; y < 100; ++y) {
    for (A_long x = 0; x < 100; ++x) {
      const A_long d = std::max(std::abs(x - 23), std::abs(y - 33));
      ASSERT_EQ(Kind(*out, x, y), d == 23 || d == 24 ? 1 : 0) << x << ", " << y;
    }
  }
  EXPECT_EQ(rig.host.Leaks(), "");
}

TEST_P(ScatterAtDepth, AnyThreadCountOrOrderGivesTheSameFrame) {
  auto render = [](int threads, bool reverse) {
    Rig rig(threads);
    rig.host.SetReverseOrder(reverse);
    ScatterOnly(rig, 300);
    AllKinds(rig);
    return Render(rig, *Pattern(160, 90, GetParam()));
  };
  auto one = render(1, false);
  EXPECT_TRUE(one->SamePixels(*render(4, false)));
  EXPECT_TRUE(one->SamePixels(*render(3, true)));
}

INSTANTIATE_TEST_SUITE_P(Depths, ScatterAtDepth, ::testing::Values(8, 16, 32));

TEST(ScatterStage, OpacityIsTheWholePercentAndOverrideOffIgnoresTheKindsMode) {
  Rig rig;
  ScatterOnly(rig, 1);
  rig.Set(ParamId::ElementsScatterBlendMode, kCopy);
  rig.Set(ParamId::SquareBlendMode, kInFront);
  rig.Set(ParamId::SquareOpacity, 50.9);
  auto input = Pattern(100, 100, 8);
  auto out = Render(rig, *input);
  EXPECT_EQ(out->At<PF_Pixel8>(47, 33)->alpha, 127);
  EXPECT_EQ(Kind(*out, 23, 33), 0);  // the group's "Copy" clears the middle

  // With the override on, the kind's "In Front" leaves the middle as it was.
  rig.Enable(ParamId::SquareOverrideBlendMode);
  out = Render(rig, *input);
  EXPECT_EQ(std::memcmp(out->At<PF_Pixel8>(23, 33), input->At<PF_Pixel8>(23, 33), 4), 0);
}

TEST(ScatterStage, HostFailuresEndThePassWithTheirCode) {
  auto input = Pattern(48, 32, 8);
  ExpectOperationFailures(
      [](Rig& rig) {
        ScatterOnly(rig);
        AllKinds(rig);
      },
      *input, kInjected,
      {
          {"PF_NewWorld", kInjected},
          {"iterate", kInjected},
          {"transform_world", kInjected},
          {"PF_DisposeWorld", kInjected},
          // No scratch memory leaves the layers empty: composited In Front, they change nothing.
          {"host_new_handle", PF_Err_NONE},
          {"host_lock_handle", PF_Err_NONE},
      });
}

// Fails each host call of a render in turn. Nothing is left behind; a run reports the injected
// code, the suite error, or success where the stage lets a failure pass (its unchecked copy,
// missing scratch memory, a read whose status a later read replaces).
TEST(ScatterStage, FailingEachCallInTurnLeaksNothing) {
  auto input = Pattern(48, 32, 8);
  const auto total = SweepEveryCall(
      [](Rig& rig) {
        ScatterOnly(rig);
        AllKinds(rig);
      },
      *input, kInjected,
      [](const FailedCall& c) {
        EXPECT_TRUE(c.err == PF_Err_NONE || c.err == kInjected ||
                    c.err == PF_Err_BAD_CALLBACK_PARAM)
            << "call " << c.n << " (" << c.operation << ") gave " << c.err;
      });
  EXPECT_GT(total, 50u);
}

}  // namespace
}  // namespace jf::e2e
