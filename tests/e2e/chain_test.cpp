// The render chain through the headless host: pass-through, temporaries, errors, leaks.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "e2e/support.h"

namespace jf::e2e {
namespace {

class ChainAtDepth : public ::testing::TestWithParam<int> {};

TEST_P(ChainAtDepth, NoStageEnabledCopiesTheInputBitForBit) {
  Rig rig;
  rig.EnableOnly({});
  auto input = Pattern(37, 23, GetParam());
  rig.host.GetGate().ResetCounts();
  auto output = Render(rig, *input);
  EXPECT_TRUE(output->SamePixels(*input));
  EXPECT_EQ(rig.host.GetGate().Calls("PF_NewWorld"), 0u);
  EXPECT_EQ(rig.host.Leaks(), "");
}

TEST_P(ChainAtDepth, SameParametersGiveTheSameFrameAtAnyTimeAndThreadCount) {
  auto input = Pattern(64, 40, GetParam());
  Rig one(1);
  Rig two(2);
  headless::RenderSettings later;
  later.time = 90;
  auto a = Render(one, *input);
  auto b = Render(two, *input, nullptr, later);
  two.host.SetReverseOrder(true);
  auto c = Render(two, *input);
  EXPECT_TRUE(a->SamePixels(*b));
  EXPECT_TRUE(a->SamePixels(*c));
  EXPECT_FALSE(a->SamePixels(*input));  // the default Basic Blocks moved something
}

INSTANTIATE_TEST_SUITE_P(Depths, ChainAtDepth, ::testing::Values(8, 16, 32));

// Stages of their own make worlds too; the chain's temporaries are what is left over when each
// enabled stage's own worlds, counted with that stage alone, are taken away.
TEST(Chain, AllSevenStagesMakeSixTemporaries) {
  auto input = Pattern(48, 32, 8);
  std::uint64_t alone = 0;
  for (ParamId id : kStageEnables) {
    Rig rig;
    rig.EnableOnly({id});
    rig.host.GetGate().ResetCounts();
    Render(rig, *input);
    alone += rig.host.GetGate().Calls("PF_NewWorld");
  }
  Rig rig;
  rig.EnableOnly({kStageEnables.begin(), kStageEnables.end()});
  rig.host.GetGate().ResetCounts();
  Render(rig, *input);
  EXPECT_EQ(rig.host.GetGate().Calls("PF_NewWorld") - alone, 6u);
  EXPECT_EQ(rig.host.GetGate().Calls("PF_DisposeWorld"), rig.host.GetGate().Calls("PF_NewWorld"));
  EXPECT_EQ(rig.host.Leaks(), "");
}

TEST(Chain, DefaultsRunBasicBlocksStraightIntoTheOutput) {
  Rig rig;
  rig.host.GetGate().ResetCounts();
  auto input = Pattern(32, 24, 8);
  Render(rig, *input);
  // The one world made is Basic Blocks' own block layer; the chain makes none.
  EXPECT_EQ(rig.host.GetGate().Calls("PF_NewWorld"), 1u);
  EXPECT_EQ(rig.host.GetGate().Calls("transform_world"), 1u);
  EXPECT_EQ(rig.host.Leaks(), "");
}

TEST(Chain, TwoStagesShareOneTemporary) {
  Rig rig;
  rig.EnableOnly({ParamId::EnableNoise, ParamId::EnableSplitRgb});
  rig.host.GetGate().ResetCounts();
  auto input = Pattern(16, 16, 16);
  Render(rig, *input);
  EXPECT_EQ(rig.host.GetGate().Calls("PF_NewWorld"), 1u);
  EXPECT_EQ(rig.host.GetGate().Calls("PF_DisposeWorld"), 1u);
}

TEST(Chain, AFailingStageStopsTheChainAndDisposesItsTemporary) {
  Rig rig;
  rig.EnableOnly({ParamId::EnableNoise, ParamId::EnableWarp});
  auto input = Pattern(16, 16, 8);
  // Noise's iteration fails: Warp must not run, the output stays clear.
  rig.host.GetGate().FailOperation("iterate", PF_Err_OUT_OF_MEMORY);
  rig.host.GetGate().ResetCounts();
  PF_Err err = PF_Err_NONE;
  auto output = Render(rig, *input, &err);
  EXPECT_EQ(err, PF_Err_OUT_OF_MEMORY);
  EXPECT_EQ(rig.host.GetGate().Calls("iterate"), 1u);
  EXPECT_EQ(rig.host.GetGate().Calls("PF_NewWorld"), 1u);
  EXPECT_EQ(rig.host.GetGate().Calls("PF_DisposeWorld"), 1u);
  headless::World clear(16, 16, PF_PixelFormat_ARGB32);
  EXPECT_TRUE(output->SamePixels(clear));
  EXPECT_EQ(rig.host.Leaks(), "");
}

TEST(Chain, AnUnreadableEnableFlagIsTheRendersError) {
  Rig rig;
  rig.host.GetGate().FailOperation("checkout_param", PF_Err_INVALID_INDEX);
  PF_Err err = PF_Err_NONE;
  auto input = Pattern(8, 8, 8);
  auto output = Render(rig, *input, &err);
  EXPECT_EQ(err, PF_Err_INVALID_INDEX);
  EXPECT_EQ(rig.host.Leaks(), "");
}

}  // namespace
}  // namespace jf::e2e
