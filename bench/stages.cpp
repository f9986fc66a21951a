// Render time per stage alone and for the whole chain, through the headless host, at full HD and
// UHD in each depth. Run on demand; nothing here asserts a time.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <utility>

#include "headless/instance.h"
#include "headless/module.h"
#include "headless/worlds.h"
#include "params/param_table.h"

namespace jf {
namespace {

struct Stage {
  const char* name;
  ParamId enable;
};

constexpr std::array<Stage, 7> kStages = {{
    {"BasicBlocks", ParamId::EnableBasicBlocks},
    {"PixelSorter", ParamId::EnablePixelSorter},
    {"ElementsScatter", ParamId::EnableElementsScatter},
    {"BlurBlocks", ParamId::EnableBlurBlocks},
    {"Noise", ParamId::EnableNoise},
    {"Warp", ParamId::EnableWarp},
    {"SplitRgb", ParamId::EnableSplitRgb},
}};

/// Gradients and bands in every channel, so that sorting and blending have work to do.
void FillPattern(headless::World& world, int depth) {
  for (A_long y = 0; y < world.Height(); ++y) {
    for (A_long x = 0; x < world.Width(); ++x) {
      const float r = static_cast<float>(x % 251) / 250.0f;
      const float g = static_cast<float>(y % 241) / 240.0f;
      const float b = static_cast<float>((x + y) % 97) / 96.0f;
      if (depth == 8) {
        *world.At<PF_Pixel8>(x, y) =
            PF_Pixel8{255, static_cast<A_u_char>(r * 255), static_cast<A_u_char>(g * 255),
                      static_cast<A_u_char>(b * 255)};
      } else if (depth == 16) {
        *world.At<PF_Pixel16>(x, y) =
            PF_Pixel16{32768, static_cast<A_u_short>(r * 32768), static_cast<A_u_short>(g * 32768),
                       static_cast<A_u_short>(b * 32768)};
      } else {
        *world.At<PF_PixelFloat>(x, y) = PF_PixelFloat{1.0f, r, g, b};
      }
    }
  }
}

/// Frames that have sent the sorter's quicksort quadratic: one grey over the whole frame; a
/// grey ramp along the rows rising (against the default descending sort) and falling (already
/// in its order); two bright greys at random, so every run is full of ties; and the rising ramp
/// with a little noise, nearly ordered, as a photographed gradient is, which no closed form
/// covers and which recurses deep, in grey and with the noise in each channel apart (so that
/// samples that tie in both keys differ in their pixels).
enum class SorterInput { Flat, Rising, Falling, TwoValued, NoisyRising, NoisyColourRising };

void FillSorterInput(headless::World& world, SorterInput input) {
  std::uint32_t state = 1;
  for (A_long y = 0; y < world.Height(); ++y) {
    for (A_long x = 0; x < world.Width(); ++x) {
      const A_long ramp = x * 255 / std::max<A_long>(1, world.Width() - 1);
      state = state * 1103515245u + 12345u;
      A_long v = 230;
      if (input == SorterInput::Rising) v = ramp;
      if (input == SorterInput::Falling) v = 255 - ramp;
      if (input == SorterInput::TwoValued) v = (state >> 16) % 2 == 0 ? 200 : 240;
      if (input == SorterInput::NoisyRising) {
        v = std::clamp<A_long>(ramp + static_cast<A_long>((state >> 16) % 7) - 3, 0, 255);
      }
      const auto c = static_cast<A_u_char>(v);
      *world.At<PF_Pixel8>(x, y) = PF_Pixel8{255, c, c, c};
      if (input == SorterInput::NoisyColourRising) {
        auto noisy = [&state, ramp] {
          state = state * 1103515245u + 12345u;
          return static_cast<A_u_char>(
              std::clamp<A_long>(ramp + static_cast<A_long>((state >> 16) % 7) - 3, 0, 255));
        };
        const A_u_char r = noisy();
        const A_u_char g = noisy();
        const A_u_char b = noisy();
        *world.At<PF_Pixel8>(x, y) = PF_Pixel8{255, r, g, b};
      }
    }
  }
}

/// Renders one frame per iteration with the chosen stages enabled (all when stage is null), from
/// the test pattern or, at 8 bits, one of the sorter's inputs.
void RenderFrames(benchmark::State& state, const Stage* stage, A_long width, A_long height,
                  int depth, const SorterInput* sorterInput) {
  const headless::Module module = headless::Module::Load(JF_MODULE_PATH);
  headless::Host host;
  // JF_BENCH_THREADS sets the host's thread count; every core by default.
  const char* threads = std::getenv("JF_BENCH_THREADS");
  host.SetThreadCount(threads != nullptr
                          ? std::max(1, std::atoi(threads))
                          : static_cast<int>(std::max(1u, std::thread::hardware_concurrency())));
  {
    headless::Instance instance(host, module);
    if (instance.GlobalSetup() != PF_Err_NONE ||
        instance.ParamsSetup(headless::StdoutRoute::Discard) != PF_Err_NONE) {
      state.SkipWithError("setup failed");
      return;
    }
    for (const Stage& s : kStages) {
      const bool on = stage == nullptr || stage->enable == s.enable;
      instance.Params().SetNumber(static_cast<PF_ParamIndex>(s.enable), on ? 1 : 0);
    }
    headless::World input(width, height, headless::FormatOfDepth(depth));
    headless::World output(width, height, headless::FormatOfDepth(depth));
    if (sorterInput != nullptr) {
      FillSorterInput(input, *sorterInput);
    } else {
      FillPattern(input, depth);
    }

    for (auto _ : state) {
      if (instance.Render(input, output) != PF_Err_NONE) {
        state.SkipWithError("render failed");
        break;
      }
      benchmark::DoNotOptimize(output.Row(0));
    }
    state.counters["Mpixel/s"] = benchmark::Counter(
        static_cast<double>(width) * height * 1e-6 * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate);
    instance.GlobalSetdown();
  }
}

/// One benchmark per stage, and one for the chain, per frame size and depth.
const bool kRegistered = [] {
  struct Size {
    const char* name;
    A_long width, height;
  };
  for (const Size& size : {Size{"1920x1080", 1920, 1080}, Size{"3840x2160", 3840, 2160}}) {
    for (int depth : {8, 16, 32}) {
      const std::string suffix =
          std::string("/") + size.name + "/" + std::to_string(depth) + (depth == 32 ? "f" : "bit");
      for (const Stage& stage : kStages) {
        benchmark::RegisterBenchmark((std::string(stage.name) + suffix).c_str(), RenderFrames,
                                     &stage, size.width, size.height, depth, nullptr)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
      }
      benchmark::RegisterBenchmark(("AllStages" + suffix).c_str(), RenderFrames, nullptr,
                                   size.width, size.height, depth, nullptr)
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime();
    }
  }
  static constexpr std::array<std::pair<const char*, SorterInput>, 6> kSorterInputs = {{
      {"Flat", SorterInput::Flat},
      {"Rising", SorterInput::Rising},
      {"Falling", SorterInput::Falling},
      {"TwoValued", SorterInput::TwoValued},
      {"NoisyRising", SorterInput::NoisyRising},
      {"NoisyColourRising", SorterInput::NoisyColourRising},
  }};
  for (const auto& [name, input] : kSorterInputs) {
    benchmark::RegisterBenchmark((std::string("PixelSorter") + name + "/1920x1080/8bit").c_str(),
                                 RenderFrames, &kStages[1], 1920, 1080, 8, &input)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
  }
  return true;
}();

}  // namespace
}  // namespace jf
