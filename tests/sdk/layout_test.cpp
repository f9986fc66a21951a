// Checks that the host-interface declarations keep the binary layout and the
// values a module built against the vendor headers would expect.
#include "A.h"
#include "AEConfig.h"
#include "AE_Effect.h"
#include "AE_EffectCB.h"
#include "AE_EffectCBSuites.h"
#include "AE_EffectPixelFormat.h"
#include "AE_EffectSuites.h"
#include "AE_GeneralPlug.h"
#include "AE_Macros.h"
#include "SPBasic.h"
#include "SPConfig.h"
#include "SPTypes.h"
#include "entry.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

namespace {

TEST(SdkLayout, SuiteRecordsHaveOnePointerPerMemberInOrder) {
  EXPECT_EQ(sizeof(SPBasicSuite), 56u);
  EXPECT_EQ(sizeof(PF_WorldSuite2), 24u);
  EXPECT_EQ(sizeof(PF_Iterate8Suite1), 40u);
  EXPECT_EQ(sizeof(PF_Iterate16Suite1), 24u);
  EXPECT_EQ(sizeof(PF_IterateFloatSuite1), 24u);
  EXPECT_EQ(sizeof(PF_WorldTransformSuite1), 56u);
  EXPECT_EQ(sizeof(PF_HandleSuite1), 48u);
  EXPECT_EQ(sizeof(PF_ANSICallbacksSuite1), 152u);
  EXPECT_EQ(sizeof(PF_ColorParamSuite1), 8u);
  EXPECT_EQ(sizeof(AEGP_WorldSuite2), 96u);
  EXPECT_EQ(sizeof(AEGP_WorldSuite3), 104u);
  EXPECT_EQ(sizeof(AEGP_UtilitySuite3), 200u);
  EXPECT_EQ(sizeof(AEGP_StreamSuite2), 176u);
  EXPECT_EQ(sizeof(AEGP_DynamicStreamSuite2), 136u);
  EXPECT_EQ(sizeof(AEGP_EffectSuite2), 136u);
  EXPECT_EQ(sizeof(AEGP_PFInterfaceSuite1), 40u);

  // The members the effect calls sit where the host fills them.
  EXPECT_EQ(offsetof(AEGP_UtilitySuite3, AEGP_RegisterWithAEGP), 56u);
  EXPECT_EQ(offsetof(AEGP_StreamSuite2, AEGP_GetNewEffectStreamByIndex), 40u);
  EXPECT_EQ(offsetof(AEGP_StreamSuite2, AEGP_DisposeStream), 56u);
  EXPECT_EQ(offsetof(AEGP_DynamicStreamSuite2, AEGP_SetDynamicStreamFlag), 40u);
  EXPECT_EQ(offsetof(AEGP_EffectSuite2, AEGP_DisposeEffect), 64u);
  // World Suite 2 lacks GetBaseAddr32, so FillOut/FastBlur sit one slot earlier.
  EXPECT_EQ(offsetof(AEGP_WorldSuite2, AEGP_FillOutPFEffectWorld) + 8,
            offsetof(AEGP_WorldSuite3, AEGP_FillOutPFEffectWorld));
}

TEST(SdkLayout, CoreRecordsMatchTheHostLayout) {
  EXPECT_EQ(sizeof(PF_UtilCallbacks), 552u);
  EXPECT_EQ(offsetof(PF_UtilCallbacks, ansi), 208u);
  EXPECT_EQ(offsetof(PF_UtilCallbacks, reserved), 544u);
  EXPECT_EQ(sizeof(PF_InData), 408u);
  EXPECT_EQ(offsetof(PF_InData, pica_basicP), 384u);
  EXPECT_EQ(sizeof(PF_OutData), 408u);
  EXPECT_EQ(offsetof(PF_OutData, out_flags2), 400u);
  EXPECT_EQ(sizeof(PF_ParamDef), 176u);
  EXPECT_EQ(offsetof(PF_ParamDef, u), 56u);
  EXPECT_EQ(sizeof(PF_EffectWorld), 120u);
  EXPECT_EQ(sizeof(PF_PreRenderInput), 48u);
  EXPECT_EQ(sizeof(PF_SmartRenderInput), 56u);
  EXPECT_EQ(sizeof(PF_PreRenderCallbacks), 8u);
  EXPECT_EQ(sizeof(PF_CheckoutResult), 76u);
}

TEST(SdkLayout, ConstantsKeepTheirPublishedValues) {
  EXPECT_EQ(PF_Cmd_SMART_RENDER, 24);
  EXPECT_EQ(PF_Cmd_NUM_CMDS, 28);
  EXPECT_EQ(PF_Err_BAD_CALLBACK_PARAM, 516);
  EXPECT_EQ(PF_OutFlag_DEEP_COLOR_AWARE | PF_OutFlag_SEND_UPDATE_PARAMS_UI, 0x06000000);
  EXPECT_EQ(PF_OutFlag2_PARAM_GROUP_START_COLLAPSED_FLAG | PF_OutFlag2_SUPPORTS_SMART_RENDER |
                PF_OutFlag2_FLOAT_COLOR_AWARE,
            0x00001408);
  EXPECT_EQ(PF_OutFlag_AUDIO_EFFECT_ONLY, static_cast<A_long>(0x80000000u));
  EXPECT_EQ(PF_ParamFlag_START_COLLAPSED, 0x20);
  EXPECT_EQ(PF_Param_GROUP_END, 14);
  EXPECT_EQ(PF_Xfer_DIVIDE, 38);
  EXPECT_EQ(PF_Xfer_NUM_MODES, 41);
  EXPECT_EQ(PF_Xfer_TINT, PF_Xfer_LINEAR_DODGE);
  EXPECT_EQ(PF_Xfer_INTENSE_LIGHT, PF_Xfer_VIVID_LIGHT);

  PF_KernelFlags kernel = PF_KernelFlag_2D | PF_KernelFlag_UNNORMALIZED | PF_KernelFlag_NO_CLAMP |
                          PF_KernelFlag_USE_LONG | PF_KernelFlag_TRANSPARENT_BORDERS |
                          PF_KernelFlag_STRAIGHT_CONVOLVE;
  EXPECT_EQ(kernel, 4u);

  PF_PixelFormat format = PF_PixelFormat_ARGB128;
  EXPECT_TRUE(format == PF_PixelFormat_ARGB128);
  EXPECT_EQ(static_cast<A_u_long>(PF_PixelFormat_ARGB64), 0x36316561u);

  EXPECT_EQ(PF_VERSION(1, 0, 3, PF_Stage_DEVELOP, 1), 0x00081801u);
  EXPECT_EQ(kPFHandleSuiteVersion1, 2);
  EXPECT_EQ(kAEGPUtilitySuiteVersion3, 7);
  EXPECT_EQ(kAEGPStreamSuiteVersion2, 7);
  EXPECT_STREQ(kPFIterate16Suite, "PF iterate16 Suite");
  EXPECT_STREQ(kPFColorParamSuite, "PF ColorParamSuite");
}

A_char* CopyString(A_char* dst, const A_char* src) {
  return std::strcpy(dst, src);
}

PF_Err CopyWorld(PF_ProgPtr, PF_EffectWorld*, PF_EffectWorld*, PF_Rect*, PF_Rect*) {
  return PF_Err_NONE;
}

TEST(SdkLayout, UtilityMacrosCallThroughInData) {
  PF_UtilCallbacks utils{};
  utils.ansi.strcpy = CopyString;
  utils.copy = CopyWorld;
  PF_InData inData{};
  inData.utils = &utils;
  PF_InData* in_data = &inData;

  A_char name[PF_MAX_EFFECT_NAME_LEN + 1] = {};
  PF_STRCPY(name, "Jitterforge");
  EXPECT_STREQ(name, "Jitterforge");

  PF_EffectWorld world{};
  EXPECT_EQ(PF_COPY(&world, &world, nullptr, nullptr), PF_Err_NONE);

  PF_Err err = PF_Err_NONE;
  PF_Err err2 = PF_Err_NONE;
  ERR(PF_Err_BAD_CALLBACK_PARAM);
  ERR(PF_Err_OUT_OF_MEMORY);
  ERR2(PF_Err_INVALID_INDEX);
  EXPECT_EQ(err, PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(err2, PF_Err_INVALID_INDEX);

  PF_ParamDef def;
  AEFX_CLR_STRUCT(def);
  EXPECT_EQ(def.param_type, 0);
  EXPECT_EQ(INT2FIX(-3), -3 * 65536);
  EXPECT_EQ(FIX2INT(INT2FIX(7)), 7);
}

}  // namespace
