// Commands outside rendering as a host sends them: dispatch, suites, About, global data.
#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "e2e/support.h"

namespace jf::e2e {
namespace {

headless::SendOptions WithoutBasicSuite() {
  headless::SendOptions options;
  options.adjust = [](PF_InData& in, PF_OutData&) { in.pica_basicP = nullptr; };
  return options;
}

TEST(Entry, UnlistedSelectorsReturnZeroAndTouchNothing) {
  Rig rig;
  rig.host.GetGate().ResetCounts();
  for (PF_Cmd cmd : {PF_Cmd_UNUSED_0, PF_Cmd_SEQUENCE_SETUP, PF_Cmd_RENDER, PF_Cmd_RESERVED1}) {
    EXPECT_EQ(rig.instance->Send(cmd), PF_Err_NONE) << cmd;
  }
  EXPECT_EQ(rig.host.GetGate().TotalCalls(), 0u);
}

TEST(Entry, EveryCommandThatOpensSuitesNeedsTheBasicSuite) {
  Rig rig;
  for (PF_Cmd cmd : {PF_Cmd_ABOUT, PF_Cmd_GLOBAL_SETUP, PF_Cmd_GLOBAL_SETDOWN, PF_Cmd_PARAMS_SETUP,
                     PF_Cmd_FRAME_SETUP, PF_Cmd_UPDATE_PARAMS_UI, PF_Cmd_SMART_RENDER}) {
    EXPECT_EQ(rig.instance->Send(cmd, WithoutBasicSuite()), PF_Err_BAD_CALLBACK_PARAM) << cmd;
  }
  EXPECT_EQ(rig.host.Leaks(), "");
}

TEST(Entry, FrameSetupAnswersZero) {
  Rig rig;
  EXPECT_EQ(rig.instance->FrameSetup(), PF_Err_NONE);
}

TEST(Entry, AboutEndsWithTheCurrentYear) {
  Rig rig;
  std::string text;
  ASSERT_EQ(rig.instance->About(&text), PF_Err_NONE);
  const std::time_t now = std::time(nullptr);
  const std::tm local = *std::localtime(&now);  // one thread here, so the shared result is safe
  EXPECT_EQ(text.rfind("Jitterforge v1.0.3\r\rThe Zoradozu Vivezo Dadizuz\r\r\r", 0), 0u) << text;
  EXPECT_NE(text.find(std::to_string(local.tm_year + 1900)), std::string::npos) << text;
}

TEST(GlobalSetup, ReportsVersionFlagsAndAPluginId) {
  headless::Module module = headless::Module::Load(JF_MODULE_PATH);
  headless::Host host;
  headless::Instance instance(host, module);
  ASSERT_EQ(instance.GlobalSetup(), PF_Err_NONE);
  EXPECT_EQ(instance.LastOutData().my_version, 0x00081801u);
  EXPECT_EQ(instance.LastOutData().out_flags, 0x06000000);
  EXPECT_EQ(instance.LastOutData().out_flags2, 0x00001408);
  ASSERT_NE(instance.GlobalData(), nullptr);
  EXPECT_EQ(host.GetGate().Calls("AEGP_RegisterWithAEGP"), 1u);
  const auto* block = static_cast<const std::uint8_t*>(*instance.GlobalData());
  EXPECT_EQ(block[0], 0);
  EXPECT_EQ(instance.GlobalSetdown(), PF_Err_NONE);
  EXPECT_EQ(host.Leaks(), "");
}

TEST(GlobalSetup, UnderPremiereSkipsThePluginIdRequest) {
  headless::Module module = headless::Module::Load(JF_MODULE_PATH);
  headless::Host host;
  host.SetApplicationId(headless::kPremiereApplId);
  headless::Instance instance(host, module);
  ASSERT_EQ(instance.GlobalSetup(), PF_Err_NONE);
  EXPECT_NE(instance.GlobalData(), nullptr);
  EXPECT_EQ(host.GetGate().Calls("AEGP_RegisterWithAEGP"), 0u);
  EXPECT_EQ(instance.GlobalSetdown(), PF_Err_NONE);
}

TEST(GlobalSetup, EveryFailureGivesTheHandleBack) {
  struct Case {
    const char* operation;
    PF_Err injected;
    PF_Err expected;
  };
  // No handle is 512; a handle that will not lock leaves no global data but is no error.
  for (const Case& c :
       {Case{"host_new_handle", PF_Err_OUT_OF_MEMORY, PF_Err_INTERNAL_STRUCT_DAMAGED},
        Case{"host_lock_handle", PF_Err_OUT_OF_MEMORY, PF_Err_NONE},
        Case{"AEGP_RegisterWithAEGP", PF_Err_INVALID_CALLBACK, PF_Err_INVALID_CALLBACK},
        Case{"AcquireSuite", PF_Err_OUT_OF_MEMORY, PF_Err_BAD_CALLBACK_PARAM}}) {
    headless::Module module = headless::Module::Load(JF_MODULE_PATH);
    headless::Host host;
    headless::Instance instance(host, module);
    host.GetGate().FailOperation(c.operation, c.injected);
    EXPECT_EQ(instance.GlobalSetup(), c.expected) << c.operation;
    EXPECT_EQ(instance.GlobalData(), nullptr) << c.operation;
    EXPECT_EQ(host.Leaks(), "") << c.operation;
  }
}

TEST(GlobalSetdown, WithoutGlobalDataCallsNothing) {
  headless::Module module = headless::Module::Load(JF_MODULE_PATH);
  headless::Host host;
  headless::Instance instance(host, module);
  EXPECT_EQ(instance.GlobalSetdown(), PF_Err_NONE);
  EXPECT_EQ(host.GetGate().Calls("host_dispose_handle"), 0u);
}

TEST(SmartPreRender, AsksForTheInputOverTheRequestAndNeedsNoSuites) {
  Rig rig;
  PF_RenderRequest request{};
  request.rect = PF_LRect{2, 3, 10, 12};
  PF_PreRenderInput input{};
  input.output_request = request;
  PF_PreRenderOutput output{};
  output.result_rect = PF_LRect{0, 0, 0, 0};
  output.max_result_rect = PF_LRect{0, 0, 0, 0};
  PF_PreRenderCallbacks callbacks{};
  PF_PreRenderExtra extra{&input, &output, &callbacks};
  struct Seen {
    static PF_Err CheckoutLayer(PF_ProgPtr, PF_ParamIndex index, A_long id,
                                const PF_RenderRequest* req, A_long, A_long, A_u_long,
                                PF_CheckoutResult* result) {
      EXPECT_EQ(index, 0);
      EXPECT_EQ(id, 0);
      result->result_rect = req->rect;
      result->max_result_rect = PF_LRect{0, 0, 20, 20};
      return PF_Err_NONE;
    }
  };
  callbacks.checkout_layer = &Seen::CheckoutLayer;
  headless::SendOptions options = WithoutBasicSuite();
  options.extra = &extra;
  EXPECT_EQ(rig.instance->Send(PF_Cmd_SMART_PRE_RENDER, options), PF_Err_NONE);
  EXPECT_EQ(output.result_rect.left, 2);
  EXPECT_EQ(output.result_rect.bottom, 12);
  EXPECT_EQ(output.max_result_rect.right, 20);
}

}  // namespace
}  // namespace jf::e2e
