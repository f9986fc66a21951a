// Which parameters the effect hides, as the host keeps them after each UI update.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "e2e/support.h"

namespace jf::e2e {
namespace {

using enum ParamId;

// Changes a value as the user would, which sends the UI update for supervised parameters.
void Change(Rig& rig, ParamId id, double value) {
  EXPECT_EQ(rig.instance->SetNumber(ToIndex(id), value), PF_Err_NONE) << ToIndex(id);
}

void ExpectRange(headless::ParamStore& params, A_long first, A_long last, bool hidden) {
  for (A_long i = first; i <= last; ++i) EXPECT_EQ(params.Hidden(i), hidden) << "index " << i;
}

TEST(Visibility, DeclarationLeavesOnlyBasicBlocksOpen) {
  Rig rig;
  ExpectRange(rig.Params(), 0, 2, false);
  ExpectRange(rig.Params(), 3, 15, false);
  for (auto [first, last] :
       {std::pair{19, 35}, {39, 152}, {156, 166}, {170, 176}, {180, 182}, {186, 209}}) {
    ExpectRange(rig.Params(), first, last, true);
    ExpectRange(rig.Params(), first - 2, first - 1, false);  // group start and checkbox
  }
  EXPECT_TRUE(rig.instance->LastOutData().out_flags & PF_OutFlag_REFRESH_UI);
  EXPECT_EQ(rig.host.Leaks(), "");
}

TEST(Visibility, OneStreamPerNamedParameterInEachPass) {
  Rig rig;
  headless::Gate& gate = rig.host.GetGate();
  gate.ResetCounts();
  ASSERT_EQ(rig.instance->UpdateParamsUI(), PF_Err_NONE);
  const std::uint64_t named = 13 + 17 + 114 + 11 + 7 + 3 + 24;
  for (const char* op :
       {"AEGP_GetNewEffectStreamByIndex", "AEGP_SetDynamicStreamFlag", "AEGP_DisposeStream"}) {
    EXPECT_EQ(gate.Calls(op), named) << op;
  }
  EXPECT_EQ(gate.Calls("AEGP_GetNewEffectForEffect"), 1u);
  EXPECT_EQ(gate.Calls("AEGP_DisposeEffect"), 1u);
}

TEST(Visibility, ScatterGroupEndsStayHiddenWhenSwitchedOffAndOn) {
  Rig rig;
  Change(rig, CircleEnable, 1);
  Change(rig, EnableElementsScatter, 1);
  Change(rig, EnableElementsScatter, 0);
  Change(rig, EnableElementsScatter, 1);
  ExpectRange(rig.Params(), 41, 46, false);
  ExpectRange(rig.Params(), 50, 53, false);
  for (A_long end : {49, 55, 56}) EXPECT_TRUE(rig.Params().Hidden(end)) << end;
  EXPECT_FALSE(rig.Params().Hidden(ToIndex(ElementsScatterBlendMode)));
}

TEST(Visibility, IdleUnderPremiereAndBeforeTheDeclaration) {
  headless::Module module = headless::Module::Load(JF_MODULE_PATH);
  for (bool premiere : {true, false}) {
    headless::Host host;
    if (premiere) host.SetApplicationId(headless::kPremiereApplId);
    headless::Instance instance(host, module);
    ASSERT_EQ(instance.GlobalSetup(), PF_Err_NONE);
    EXPECT_EQ(instance.UpdateParamsUI(), PF_Err_NONE);  // nothing declared yet
    if (premiere) {
      ASSERT_EQ(instance.ParamsSetup(headless::StdoutRoute::Discard), PF_Err_NONE);
      EXPECT_EQ(instance.SetNumber(ToIndex(EnableBasicBlocks), 0), PF_Err_NONE);
      for (A_long i = 0; i < kParamCount; ++i) EXPECT_FALSE(instance.Params().Hidden(i)) << i;
    }
    EXPECT_TRUE(instance.LastOutData().out_flags & PF_OutFlag_REFRESH_UI);
    EXPECT_EQ(host.GetGate().Calls("AEGP_GetNewEffectForEffect"), 0u);
    instance.GlobalSetdown();
  }
}

TEST(Visibility, RefusedEffectReferenceIsTheResult) {
  Rig rig;
  rig.host.GetGate().ResetCounts();
  rig.host.GetGate().FailOperation("AEGP_GetNewEffectForEffect", PF_Err_INVALID_CALLBACK);
  EXPECT_EQ(rig.instance->SetNumber(ToIndex(EnableNoise), 1), PF_Err_INVALID_CALLBACK);
  EXPECT_TRUE(rig.instance->LastOutData().out_flags & PF_OutFlag_REFRESH_UI);
  ExpectRange(rig.Params(), 170, 176, true);
  EXPECT_EQ(rig.host.GetGate().Calls("AEGP_GetNewEffectStreamByIndex"), 0u);
  EXPECT_EQ(rig.host.Leaks(), "");
}

// Fails each host call of one pass in turn: the pass still asks for a refresh and leaves no
// stream, effect reference or suite behind, also when a suite is refused halfway.
TEST(Visibility, FailureSweepLeavesNothingHeld) {
  Rig rig;
  headless::Gate& gate = rig.host.GetGate();
  gate.ResetCounts();
  ASSERT_EQ(rig.instance->UpdateParamsUI(), PF_Err_NONE);
  const std::uint64_t total = gate.TotalCalls();
  for (std::uint64_t n = 1; n <= total; ++n) {
    gate.ClearFailures();
    gate.ResetCounts();
    gate.FailNthCall(n, PF_Err_OUT_OF_MEMORY);
    const PF_Err err = rig.instance->UpdateParamsUI();
    SCOPED_TRACE("failing call " + std::to_string(n));
    // A refused suite is the suite error, a refused reference or disposal its own code; a
    // parameter the host refuses is skipped.
    EXPECT_TRUE(err == PF_Err_NONE || err == PF_Err_BAD_CALLBACK_PARAM ||
                err == PF_Err_OUT_OF_MEMORY)
        << err;
    EXPECT_TRUE(rig.instance->LastOutData().out_flags & PF_OutFlag_REFRESH_UI);
    ASSERT_EQ(rig.host.Leaks(), "");
  }
  gate.ClearFailures();
}

}  // namespace
}  // namespace jf::e2e
