// The AEGP effect and stream suites, and when the host sends UI updates, with a small effect of
// the test's own: a supervised checkbox (1) and an unsupervised one (2).
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "headless/aegp_effect_suites.h"
#include "headless/instance.h"
#include "headless/module.h"

namespace jf::headless {
namespace {

int g_uiUpdates = 0;

PF_Err TestEffect(PF_Cmd cmd, PF_InData* in, PF_OutData* out, PF_ParamDef*[], PF_LayerDef*, void*) {
  if (cmd == PF_Cmd_UPDATE_PARAMS_UI) ++g_uiUpdates;
  if (cmd != PF_Cmd_PARAMS_SETUP) return PF_Err_NONE;
  const PF_ParamFlags kFlags[] = {PF_ParamFlag_SUPERVISE, 0};
  for (PF_ParamFlags flags : kFlags) {
    PF_ParamDef def;
    std::memset(&def, 0, sizeof def);
    def.param_type = PF_Param_CHECKBOX;
    def.flags = flags;
    if (PF_Err err = in->inter.add_param(in->effect_ref, -1, &def)) return err;
  }
  out->num_params = 3;
  return PF_Err_NONE;
}

Pipl TestPipl(A_u_long outFlags) {
  Pipl pipl;
  pipl.kind = "eFKT";
  pipl.outFlags = outFlags;
  return pipl;
}

struct Rig {
  explicit Rig(A_u_long outFlags = PF_OutFlag_SEND_UPDATE_PARAMS_UI)
      : module(Module::FromEntryPoint(&TestEffect, TestPipl(outFlags))),
        instance(std::make_unique<Instance>(host, module)) {
    g_uiUpdates = 0;
    EXPECT_EQ(instance->ParamsSetup(), PF_Err_NONE);
    EXPECT_EQ(PFInterfaceSuiteTable().AEGP_GetNewEffectForEffect(0, instance->EffectRef(), &effect),
              A_Err_NONE);
  }
  A_Err NewStream(PF_ParamIndex index, AEGP_StreamRefH* stream) {
    return StreamSuite2Table().AEGP_GetNewEffectStreamByIndex(0, effect, index, stream);
  }
  A_Err Flag(AEGP_StreamRefH stream, bool set,
             AEGP_DynStreamFlags flag = AEGP_DynStreamFlag_HIDDEN) {
    return DynamicStreamSuite2Table().AEGP_SetDynamicStreamFlag(stream, flag, false, set);
  }

  Host host;
  Module module;
  std::unique_ptr<Instance> instance;
  AEGP_EffectRefH effect = nullptr;
};

TEST(AegpEffectSuites, HiddenFlagOutlivesTheStreamUntilTheNextDeclaration) {
  Rig rig;
  AEGP_StreamRefH stream = nullptr;
  ASSERT_EQ(rig.NewStream(2, &stream), A_Err_NONE);
  EXPECT_EQ(rig.host.GetAccounting().Live(Accounting::Kind::Stream), 1);
  EXPECT_EQ(rig.Flag(stream, true), A_Err_NONE);
  EXPECT_EQ(StreamSuite2Table().AEGP_DisposeStream(stream), A_Err_NONE);
  EXPECT_NE(rig.host.Leaks(), "");  // the effect reference
  EXPECT_EQ(EffectSuite2Table().AEGP_DisposeEffect(rig.effect), A_Err_NONE);
  EXPECT_EQ(rig.host.Leaks(), "");
  EXPECT_TRUE(rig.instance->Params().Hidden(2));
  EXPECT_FALSE(rig.instance->Params().Hidden(1));
  ASSERT_EQ(rig.instance->ParamsSetup(), PF_Err_NONE);
  EXPECT_FALSE(rig.instance->Params().Hidden(2));
}

TEST(AegpEffectSuites, RefusesWhatItDidNotHandOut) {
  Rig rig;
  AEGP_StreamRefH stream = nullptr;
  for (PF_ParamIndex bad : {-1, 3}) EXPECT_EQ(rig.NewStream(bad, &stream), A_Err_PARAMETER);
  EXPECT_EQ(stream, nullptr);
  ASSERT_EQ(rig.NewStream(1, &stream), A_Err_NONE);
  // An effect reference is no stream, and only the hidden flag is kept.
  EXPECT_EQ(rig.Flag(reinterpret_cast<AEGP_StreamRefH>(rig.effect), true), A_Err_PARAMETER);
  EXPECT_EQ(rig.Flag(stream, true, AEGP_DynStreamFlag_DISABLED), A_Err_PARAMETER);
  EXPECT_FALSE(rig.instance->Params().Hidden(1));
  EXPECT_EQ(StreamSuite2Table().AEGP_DisposeStream(stream), A_Err_NONE);
  EXPECT_EQ(StreamSuite2Table().AEGP_DisposeStream(stream), A_Err_PARAMETER);
  EXPECT_EQ(rig.Flag(stream, true), A_Err_PARAMETER);
  EXPECT_EQ(EffectSuite2Table().AEGP_DisposeEffect(rig.effect), A_Err_NONE);
  EXPECT_EQ(EffectSuite2Table().AEGP_DisposeEffect(rig.effect), A_Err_PARAMETER);
  EXPECT_EQ(rig.host.Leaks(), "");
  // The effect reference of an instance that is gone names nothing.
  const PF_ProgPtr gone = rig.instance->EffectRef();
  rig.instance.reset();
  AEGP_EffectRefH none = nullptr;
  EXPECT_EQ(PFInterfaceSuiteTable().AEGP_GetNewEffectForEffect(0, gone, &none), A_Err_PARAMETER);
  EXPECT_EQ(none, nullptr);
}

TEST(AegpEffectSuites, FailedDisposalsStillRelease) {
  Rig rig;
  AEGP_StreamRefH stream = nullptr;
  ASSERT_EQ(rig.NewStream(1, &stream), A_Err_NONE);
  rig.host.GetGate().FailOperation("AEGP_DisposeStream", PF_Err_INTERNAL_STRUCT_DAMAGED);
  rig.host.GetGate().FailOperation("AEGP_DisposeEffect", PF_Err_INTERNAL_STRUCT_DAMAGED);
  EXPECT_EQ(StreamSuite2Table().AEGP_DisposeStream(stream), PF_Err_INTERNAL_STRUCT_DAMAGED);
  EXPECT_EQ(EffectSuite2Table().AEGP_DisposeEffect(rig.effect), PF_Err_INTERNAL_STRUCT_DAMAGED);
  EXPECT_EQ(rig.host.Leaks(), "");
}

TEST(UiUpdates, SentAfterSetupAndOnSupervisedChangesOnly) {
  Rig rig;
  EXPECT_EQ(g_uiUpdates, 1);
  EXPECT_EQ(rig.instance->SetNumber(2, 1), PF_Err_NONE);
  EXPECT_EQ(g_uiUpdates, 1);
  EXPECT_EQ(rig.instance->SetNumber(1, 1), PF_Err_NONE);
  EXPECT_EQ(g_uiUpdates, 2);
  EXPECT_THROW(rig.instance->SetNumber(1, 7), ParamError);
  EXPECT_EQ(g_uiUpdates, 2);

  Rig silent(0);  // an effect that does not ask gets none
  EXPECT_EQ(silent.instance->SetNumber(1, 1), PF_Err_NONE);
  EXPECT_EQ(g_uiUpdates, 0);
  EffectSuite2Table().AEGP_DisposeEffect(silent.effect);
  EffectSuite2Table().AEGP_DisposeEffect(rig.effect);
}

}  // namespace
}  // namespace jf::headless
