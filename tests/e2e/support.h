// Shared scaffolding for tests that load the built effect module through the headless host.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "headless/instance.h"
#include "headless/module.h"
#include "headless/worlds.h"
#include "params/param_table.h"

namespace jf::e2e {

/// The seven stages' enable checkboxes, in chain order.
inline constexpr std::array<ParamId, 7> kStageEnables = {
    ParamId::EnableBasicBlocks, ParamId::EnablePixelSorter, ParamId::EnableElementsScatter,
    ParamId::EnableBlurBlocks,  ParamId::EnableNoise,       ParamId::EnableWarp,
    ParamId::EnableSplitRgb};

/// The module, a host and one instance with its parameters declared.
struct Rig {
  headless::Module module;
  headless::Host host;
  std::unique_ptr<headless::Instance> instance;

  explicit Rig(int threads = 2) : module(headless::Module::Load(JF_MODULE_PATH)) {
    host.SetThreadCount(threads);
    instance = std::make_unique<headless::Instance>(host, module);
    EXPECT_EQ(instance->GlobalSetup(), PF_Err_NONE);
    EXPECT_EQ(instance->ParamsSetup(headless::StdoutRoute::Discard), PF_Err_NONE);
  }
  ~Rig() { instance->GlobalSetdown(); }

  headless::ParamStore& Params() { return instance->Params(); }
  void Set(ParamId id, double value) { Params().SetNumber(static_cast<PF_ParamIndex>(id), value); }
  void Enable(ParamId id, bool on = true) { Set(id, on ? 1 : 0); }
  /// The one stage of enable runs: Basic Blocks, the only stage on by default, goes off first.
  void Only(ParamId enable) {
    Enable(ParamId::EnableBasicBlocks, false);
    Enable(enable);
  }
  /// Exactly the stages of on run.
  void EnableOnly(std::vector<ParamId> on) {
    for (ParamId id : kStageEnables) Enable(id, false);
    for (ParamId id : on) Enable(id);
  }
};

using headless::FormatOfDepth;

/// A picture with something in every channel: gradients across, bands down, varying alpha.
inline std::unique_ptr<headless::World> Pattern(A_long width, A_long height, int depth) {
  auto world = std::make_unique<headless::World>(width, height, FormatOfDepth(depth));
  for (A_long y = 0; y < height; ++y) {
    for (A_long x = 0; x < width; ++x) {
      const double r = (x * 7 % 97) / 96.0;
      const double g = (y * 5 % 61) / 60.0;
      const double b = ((x + y) % 23) / 22.0;
      const double a = ((x / 3 + y / 5) % 4 == 0) ? 0.5 : 1.0;
      if (depth == 8) {
        *world->At<PF_Pixel8>(x, y) =
            PF_Pixel8{static_cast<A_u_char>(a * 255), static_cast<A_u_char>(r * 255),
                      static_cast<A_u_char>(g * 255), static_cast<A_u_char>(b * 255)};
      } else if (depth == 16) {
        *world->At<PF_Pixel16>(x, y) =
            PF_Pixel16{static_cast<A_u_short>(a * 32768), static_cast<A_u_short>(r * 32768),
                       static_cast<A_u_short>(g * 32768), static_cast<A_u_short>(b * 32768)};
      } else {
        *world->At<PF_PixelFloat>(x, y) =
            PF_PixelFloat{static_cast<float>(a), static_cast<float>(r), static_cast<float>(g),
                          static_cast<float>(b)};
      }
    }
  }
  return world;
}

/// Renders input into a fresh output world of the same size and format.
inline std::unique_ptr<headless::World> Render(Rig& rig, const headless::World& input,
                                               PF_Err* err = nullptr,
                                               const headless::RenderSettings& settings = {}) {
  auto output = std::make_unique<headless::World>(input.Width(), input.Height(), input.Format());
  const PF_Err result = rig.instance->Render(input, *output, settings);
  if (err != nullptr) {
    *err = result;
  } else {
    EXPECT_EQ(result, PF_Err_NONE);
  }
  return output;
}

/// One operation made to fail on every call, and the render's expected result.
struct OperationFailure {
  const char* operation;
  PF_Err expected;
};

/// Renders input once per case on a fresh rig prepared by setup, with every call of the case's
/// operation failing with injected: the render gives the case's result, nothing stays held, and
/// a render that succeeds anyway leaves the source unchanged.
template <typename Setup>
void ExpectOperationFailures(Setup setup, const headless::World& input, PF_Err injected,
                             std::initializer_list<OperationFailure> cases) {
  for (const OperationFailure& c : cases) {
    Rig rig;
    setup(rig);
    rig.host.GetGate().FailOperation(c.operation, injected);
    PF_Err err = PF_Err_NONE;
    auto out = Render(rig, input, &err);
    EXPECT_EQ(err, c.expected) << c.operation;
    EXPECT_EQ(rig.host.Leaks(), "") << c.operation;
    if (c.expected == PF_Err_NONE) {
      EXPECT_TRUE(out->SamePixels(input)) << c.operation;
    }
  }
}

/// What one run of a failure sweep saw.
struct FailedCall {
  std::uint64_t n;        ///< the call made to fail, counted from 1
  std::string operation;  ///< its operation
  PF_Err err;             ///< what the render returned
  const headless::World& output;
  const headless::World& clean;  ///< the render with nothing failing
};

/// Renders input on a fresh rig prepared by setup once cleanly, then once per host call of that
/// render with just that call failing with injected, handing each run to check; every run must
/// leave nothing held. Returns how many calls a clean render makes.
template <typename Setup, typename Check>
std::uint64_t SweepEveryCall(Setup setup, const headless::World& input, PF_Err injected,
                             Check check) {
  std::unique_ptr<headless::World> clean;
  std::uint64_t total = 0;
  {
    Rig rig;
    setup(rig);
    rig.host.GetGate().ResetCounts();
    clean = Render(rig, input);
    total = rig.host.GetGate().TotalCalls();
  }
  for (std::uint64_t n = 1; n <= total; ++n) {
    Rig rig;
    setup(rig);
    rig.host.GetGate().ResetCounts();
    rig.host.GetGate().FailNthCall(n, injected);
    PF_Err err = PF_Err_NONE;
    auto output = Render(rig, input, &err);
    const std::string operation = rig.host.GetGate().LastInjectedOperation();
    check(FailedCall{n, operation, err, *output, *clean});
    EXPECT_EQ(rig.host.Leaks(), "") << "call " << n << " (" << operation << ")";
  }
  return total;
}

}  // namespace jf::e2e
