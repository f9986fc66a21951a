// An instance's commands: the records an effect receives, parameter setup, global data, render
// callbacks and leak reports, first with a small effect of this process, then with the built
// module.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "headless/instance.h"
#include "support/param_defs.h"

namespace jf::headless {
namespace {

using Behaviour =
    std::function<PF_Err(PF_Cmd, PF_InData*, PF_OutData*, PF_ParamDef**, PF_LayerDef*, void*)>;
Behaviour g_behaviour;

PF_Err TestEntry(PF_Cmd cmd, PF_InData* in, PF_OutData* out, PF_ParamDef** params,
                 PF_LayerDef* output, void* extra) {
  return g_behaviour ? g_behaviour(cmd, in, out, params, output, extra) : PF_Err_NONE;
}

Pipl TestPipl() {
  Pipl p;
  p.kind = "eFKT";
  p.name = "Test";
  p.entryPoint = "TestEntry";
  return p;
}

class Commands : public ::testing::Test {
 protected:
  void TearDown() override { g_behaviour = nullptr; }
  Module module = Module::FromEntryPoint(TestEntry, TestPipl());
  Host host;
  Instance instance{host, module};
};

PF_ParamDef Checkbox(const char* name) {
  return Def(PF_Param_CHECKBOX, name);
}

TEST_F(Commands, ParamsSetupCollectsWhatTheEffectDeclares) {
  g_behaviour = [](PF_Cmd cmd, PF_InData* in, PF_OutData* out, PF_ParamDef** params, PF_LayerDef*,
                   void*) -> PF_Err {
    if (cmd == PF_Cmd_PARAMS_SETUP) {
      EXPECT_NE(params, nullptr);
      EXPECT_EQ(params[0]->param_type, PF_Param_LAYER);
      for (const char* name : {"One", "Two"}) {
        PF_ParamDef d = Checkbox(name);
        if (PF_Err err = in->inter.add_param(in->effect_ref, -1, &d); err != PF_Err_NONE) {
          return err;
        }
      }
      out->num_params = 3;
      return PF_Err_NONE;
    }
    PF_ParamDef d = Checkbox("Late");
    return in->inter.add_param(in->effect_ref, -1, &d);
  };
  ASSERT_EQ(instance.ParamsSetup(), PF_Err_NONE);
  ASSERT_EQ(instance.ParamsSetup(), PF_Err_NONE);  // declared again, not twice over
  EXPECT_EQ(instance.Params().Count(), 3);
  EXPECT_EQ(instance.ReportedParamCount(), 3);
  EXPECT_STREQ(instance.Params().Definition(2).name, "Two");
  // Definitions change only while the effect declares them.
  EXPECT_EQ(instance.FrameSetup(), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(instance.Params().Count(), 3);
}

// Runs fn with the process's standard output going to a file; returns what reached it.
std::string CapturedStdout(const std::function<void()>& fn) {
  const std::string path = ::testing::TempDir() + "jf_stdout_capture.txt";
  std::fflush(stdout);
  int saved = ::dup(STDOUT_FILENO);
  int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ::dup2(file, STDOUT_FILENO);
  fn();
  std::fflush(stdout);
  ::dup2(saved, STDOUT_FILENO);
  ::close(saved);
  ::close(file);
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(Commands, TheEffectsPrintingCanBeKeptOffStandardOutput) {
  g_behaviour = [](PF_Cmd, PF_InData*, PF_OutData*, PF_ParamDef**, PF_LayerDef*, void*) -> PF_Err {
    std::printf("1 Declared 3\n");
    return PF_Err_NONE;
  };
  EXPECT_EQ(CapturedStdout([&] { instance.ParamsSetup(StdoutRoute::Keep); }), "1 Declared 3\n");
  EXPECT_EQ(CapturedStdout([&] { instance.ParamsSetup(StdoutRoute::Discard); }), "");
  EXPECT_EQ(CapturedStdout([&] {
              instance.ParamsSetup(StdoutRoute::ToStderr);
              std::printf("after\n");
            }),
            "after\n");
}

TEST_F(Commands, RecordsCarryTheHostsSettingsAndTheCallbacks) {
  PF_InData seen{};
  g_behaviour = [&](PF_Cmd, PF_InData* in, PF_OutData*, PF_ParamDef**, PF_LayerDef*,
                    void*) -> PF_Err {
    seen = *in;
    EXPECT_NE(in->utils, nullptr);
    EXPECT_NE(in->utils->copy, nullptr);
    char name[8];
    EXPECT_STREQ(in->utils->ansi.strcpy(name, "x"), "x");
    return PF_Err_NONE;
  };
  RenderSettings s;
  s.time = 48;
  s.timeStep = 2;
  s.timeScale = 24;
  s.downsampleX = PF_RationalScale{1, 2};
  s.quality = PF_Quality_LO;
  s.field = PF_Field_UPPER;
  ASSERT_EQ(instance.FrameSetup(s), PF_Err_NONE);
  EXPECT_EQ(seen.appl_id, kAfterEffectsApplId);
  EXPECT_EQ(Instance::FromEffectRef(seen.effect_ref), &instance);
  EXPECT_EQ(seen.pica_basicP, host.BasicSuite());
  EXPECT_EQ(seen.current_time, 48);
  EXPECT_EQ(seen.time_step, 2);
  EXPECT_EQ(seen.time_scale, 24u);
  EXPECT_EQ(seen.downsample_x.den, 2u);
  EXPECT_EQ(seen.downsample_y.den, 1u);
  EXPECT_EQ(seen.quality, PF_Quality_LO);
  EXPECT_EQ(seen.field, PF_Field_UPPER);
  EXPECT_EQ(seen.num_params, 1);

  host.SetApplicationId(kPremiereApplId);
  SendOptions options;
  options.adjust = [](PF_InData& in, PF_OutData&) { in.pica_basicP = nullptr; };
  ASSERT_EQ(instance.Send(PF_Cmd_FRAME_SETUP, options), PF_Err_NONE);
  EXPECT_EQ(seen.appl_id, 0x50724D72);
  EXPECT_EQ(seen.pica_basicP, nullptr);
}

TEST_F(Commands, TheModulesErrorComesBackUnchanged) {
  g_behaviour = [](PF_Cmd cmd, PF_InData*, PF_OutData*, PF_ParamDef**, PF_LayerDef*,
                   void*) -> PF_Err { return cmd == PF_Cmd_ABOUT ? 0x1234 : PF_Err_NONE; };
  std::string text;
  EXPECT_EQ(instance.About(&text), 0x1234);
}

TEST_F(Commands, GlobalDataIsKeptBetweenCommandsAndNotCountedAsALeak) {
  PF_Handle passedIn = nullptr, passedOut = nullptr;
  bool disposeAtSetdown = true;
  g_behaviour = [&](PF_Cmd cmd, PF_InData* in, PF_OutData* out, PF_ParamDef**, PF_LayerDef*,
                    void*) -> PF_Err {
    if (cmd == PF_Cmd_GLOBAL_SETUP) {
      out->global_data = in->utils->host_new_handle(8);
      return out->global_data != nullptr ? PF_Err_NONE : PF_Err_OUT_OF_MEMORY;
    }
    if (cmd == PF_Cmd_GLOBAL_SETDOWN && disposeAtSetdown) {
      in->utils->host_dispose_handle(in->global_data);
    }
    passedIn = in->global_data;
    passedOut = out->global_data;
    return PF_Err_NONE;
  };
  ASSERT_EQ(instance.GlobalSetup(), PF_Err_NONE);
  ASSERT_NE(instance.GlobalData(), nullptr);
  ASSERT_EQ(instance.FrameSetup(), PF_Err_NONE);
  EXPECT_EQ(passedIn, instance.GlobalData());
  EXPECT_EQ(passedOut, instance.GlobalData());
  EXPECT_EQ(host.Leaks(), "");
  ASSERT_EQ(instance.GlobalSetdown(), PF_Err_NONE);
  EXPECT_EQ(instance.GlobalData(), nullptr);
  EXPECT_EQ(host.Leaks(), "");

  disposeAtSetdown = false;
  ASSERT_EQ(instance.GlobalSetup(), PF_Err_NONE);
  ASSERT_EQ(instance.GlobalSetdown(), PF_Err_NONE);
  EXPECT_EQ(host.Leaks(), "live handles: 1\n");
}

TEST_F(Commands, WhatAnEffectKeepsAfterACommandShowsAsLeaks) {
  g_behaviour = [](PF_Cmd, PF_InData* in, PF_OutData*, PF_ParamDef**, PF_LayerDef*,
                   void*) -> PF_Err {
    PF_EffectWorld world{};
    in->utils->new_world(in->effect_ref, 4, 4, PF_NewWorldFlag_NONE, &world);
    PF_ParamDef def{};
    in->inter.checkout_param(in->effect_ref, 0, 0, 1, 30, &def);
    EXPECT_EQ(in->inter.checkout_param(in->effect_ref, 1, 0, 1, 30, &def), PF_Err_INVALID_INDEX);
    return PF_Err_NONE;
  };
  ASSERT_EQ(instance.FrameSetup(), PF_Err_NONE);
  EXPECT_EQ(host.Leaks(), "live worlds: 1\nchecked-out parameters: 1\n");
}

// ---- Render ------------------------------------------------------------------------------------

struct Frame {
  PF_CheckoutResult checkout{};
  PF_Err unknownCheckout = PF_Err_NONE;
  bool outputWasClear = true;
  PF_Rect outputExtent{};
  A_long inputWidth = 0;
};

Behaviour CopyingEffect(Frame& f) {
  return [&f](PF_Cmd cmd, PF_InData* in, PF_OutData*, PF_ParamDef** params, PF_LayerDef*,
              void* extra) -> PF_Err {
    EXPECT_EQ(params, nullptr);  // smart commands read values through checkout_param alone
    if (cmd == PF_Cmd_SMART_PRE_RENDER) {
      auto* pre = static_cast<PF_PreRenderExtra*>(extra);
      PF_RenderRequest request = pre->input->output_request;
      PF_Err err = pre->cb->checkout_layer(in->effect_ref, 0, 0, &request, in->current_time,
                                           in->time_step, in->time_scale, &f.checkout);
      pre->output->result_rect = f.checkout.result_rect;
      return err;
    }
    if (cmd != PF_Cmd_SMART_RENDER) return PF_Err_NONE;
    auto* smart = static_cast<PF_SmartRenderExtra*>(extra);
    PF_EffectWorld* input = nullptr;
    PF_EffectWorld* output = nullptr;
    PF_EffectWorld* other = nullptr;
    f.unknownCheckout = smart->cb->checkout_layer_pixels(in->effect_ref, 5, &other);
    if (PF_Err err = smart->cb->checkout_layer_pixels(in->effect_ref, 0, &input); err) return err;
    if (PF_Err err = smart->cb->checkout_output(in->effect_ref, &output); err) return err;
    f.outputExtent = output->extent_hint;
    f.inputWidth = input->width;
    for (A_long y = 0; y < output->height; ++y) {
      const auto* row = reinterpret_cast<const std::uint8_t*>(output->data) + y * output->rowbytes;
      for (A_long i = 0; i < output->width * 4; ++i) f.outputWasClear &= row[i] == 0;
    }
    PF_Err err = in->utils->copy(in->effect_ref, input, output, nullptr, nullptr);
    reinterpret_cast<PF_Pixel8*>(input->data)->red = 99;  // not the caller's pixels
    return err;
  };
}

TEST_F(Commands, RenderOffersTheInputOverTheRequestAndAClearedOutput) {
  Frame f;
  g_behaviour = CopyingEffect(f);
  World input(6, 3, PF_PixelFormat_ARGB32);
  *input.At<PF_Pixel8>(0, 0) = PF_Pixel8{255, 10, 20, 30};
  *input.At<PF_Pixel8>(5, 2) = PF_Pixel8{128, 40, 50, 60};
  World output(4, 5, PF_PixelFormat_ARGB32);
  std::memset(output.Row(4), 0x55, 16);  // left over from an earlier frame
  ASSERT_EQ(instance.Render(input, output), PF_Err_NONE);
  EXPECT_EQ(f.checkout.result_rect.right, 4);  // request 4 x 5 within input 6 x 3
  EXPECT_EQ(f.checkout.result_rect.bottom, 3);
  EXPECT_EQ(f.checkout.max_result_rect.right, 6);
  EXPECT_EQ(f.checkout.max_result_rect.bottom, 3);
  EXPECT_EQ(f.unknownCheckout, PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_TRUE(f.outputWasClear);
  EXPECT_EQ(f.outputExtent.right, 4);
  EXPECT_EQ(f.inputWidth, 6);
  EXPECT_EQ(output.At<PF_Pixel8>(0, 0)->blue, 30);
  EXPECT_EQ(output.At<PF_Pixel8>(3, 4)->alpha, 0);
  EXPECT_EQ(input.At<PF_Pixel8>(0, 0)->red, 10);
  EXPECT_EQ(host.Leaks(), "");

  World deep(4, 5, PF_PixelFormat_ARGB64);
  EXPECT_EQ(instance.Render(input, deep), PF_Err_BAD_CALLBACK_PARAM);
}

TEST_F(Commands, RenderCallbacksRefuseUseOutsideTheirCommand) {
  PF_Err outside = PF_Err_NONE;
  g_behaviour = [&](PF_Cmd, PF_InData* in, PF_OutData*, PF_ParamDef**, PF_LayerDef*,
                    void*) -> PF_Err {
    PF_EffectWorld* output = nullptr;
    outside = SmartRenderCallbacksTable().checkout_output(in->effect_ref, &output);
    return PF_Err_NONE;
  };
  ASSERT_EQ(instance.FrameSetup(), PF_Err_NONE);
  EXPECT_EQ(outside, PF_Err_BAD_CALLBACK_PARAM);
}

// ---- The built module
// ----------------------------------------------------------------------------

std::unique_ptr<World> Pattern(PF_PixelFormat format) {
  auto w = std::make_unique<World>(7, 5, format);
  for (A_long y = 0; y < 5; ++y) {
    for (A_long x = 0; x < 7; ++x) {
      const float v = static_cast<float>(x * 5 + y) / 40.0f;
      if (format == static_cast<PF_PixelFormat>(PF_PixelFormat_ARGB32)) {
        *w->At<PF_Pixel8>(x, y) =
            PF_Pixel8{static_cast<A_u_char>(255 - x), static_cast<A_u_char>(x * 30),
                      static_cast<A_u_char>(y * 50), 7};
      } else if (format == static_cast<PF_PixelFormat>(PF_PixelFormat_ARGB64)) {
        *w->At<PF_Pixel16>(x, y) = PF_Pixel16{32768, static_cast<A_u_short>(x * 4000),
                                              static_cast<A_u_short>(y * 7000), 1};
      } else {
        *w->At<PF_PixelFloat>(x, y) = PF_PixelFloat{1.0f, v, 1.0f - v, -0.25f};
      }
    }
  }
  return w;
}

TEST(BuiltModule, WithNoParametersDeclaredEveryStageIsOffAndTheInputPassesUnchanged) {
  Module module = Module::Load(JF_MODULE_PATH);
  for (int threads : {1, 3}) {
    Host host;
    host.SetThreadCount(threads);
    Instance instance(host, module);
    ASSERT_EQ(instance.GlobalSetup(), PF_Err_NONE);
    for (PF_PixelFormat format :
         {PF_PixelFormat_ARGB32, PF_PixelFormat_ARGB64, PF_PixelFormat_ARGB128}) {
      auto input = Pattern(format);
      World output(7, 5, format);
      // The enable reads fail (there is no parameter 2), and that code is the render's result.
      EXPECT_EQ(instance.Render(*input, output), PF_Err_INVALID_INDEX) << format;
      EXPECT_TRUE(output.SamePixels(*input)) << format;
      EXPECT_TRUE(output.PaddingIntact()) << format;
      EXPECT_EQ(host.Leaks(), "") << format;
    }
    EXPECT_EQ(instance.GlobalSetdown(), PF_Err_NONE);
    EXPECT_EQ(host.Leaks(), "");
  }
}

TEST(BuiltModule, FailingAnyHostCallOfARenderLeavesNothingHeld) {
  Module module = Module::Load(JF_MODULE_PATH);
  Host host;
  Instance instance(host, module);
  ASSERT_EQ(instance.GlobalSetup(), PF_Err_NONE);
  auto input = Pattern(PF_PixelFormat_ARGB32);
  World output(7, 5, PF_PixelFormat_ARGB32);
  host.GetGate().ResetCounts();
  instance.Render(*input, output);
  const std::uint64_t calls = host.GetGate().TotalCalls();
  ASSERT_GT(calls, 0u);
  for (std::uint64_t n = 1; n <= calls; ++n) {
    host.GetGate().ResetCounts();
    host.GetGate().FailNthCall(n, PF_Err_OUT_OF_MEMORY);
    instance.Render(*input, output);
    EXPECT_EQ(host.Leaks(), "") << "call " << n;
  }
  host.GetGate().ClearFailures();
  EXPECT_EQ(instance.GlobalSetdown(), PF_Err_NONE);
}

}  // namespace
}  // namespace jf::headless
