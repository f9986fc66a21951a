// Pixel Sorter: the band pass alone, and whole frames through the headless host.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

#include "headless/instance.h"
#include "headless/module.h"
#include "headless/worlds.h"
#include "params/param_table.h"
#include "render/pixel_traits.h"
#include "stages/pixel_sort.h"
#include "stages/pixel_sorter.h"
#include "support/adversarial_run.h"

namespace {

using jf::ParamId;

void FillPattern(jf::headless::World& world) {
  for (A_long y = 0; y < world.Height(); ++y) {
    for (A_long x = 0; x < world.Width(); ++x) {
      *world.At<PF_Pixel8>(x, y) =
          PF_Pixel8{255, static_cast<A_u_char>((x * 7 + y * 3) % 256),
                    static_cast<A_u_char>((x * 13) % 251), static_cast<A_u_char>((y * 5) % 241)};
    }
  }
}

// The band pass on 1920 × 1080 keys with runs everywhere, block size from the argument.
void BM_SortBands(benchmark::State& state) {
  const auto blockSize = static_cast<A_long>(state.range(0));
  constexpr A_long kW = 1920, kH = 1080;
  jf::headless::World keys(kW, kH, PF_PixelFormat_ARGB32);
  jf::headless::World rotated(kW, kH, PF_PixelFormat_ARGB32);
  jf::headless::World sorted(kW, kH, PF_PixelFormat_ARGB32);
  FillPattern(rotated);
  jf::SortJob job;
  const jf::SortThresholds t = jf::MakeSortThresholds<PF_Pixel8>(1, 25.0f, 75.0f);
  job.hi = t.hi;
  job.lo = t.lo;
  job.keys = const_cast<PF_EffectWorld*>(&keys.Effect());
  job.rotated = const_cast<PF_EffectWorld*>(&rotated.Effect());
  job.sorted = const_cast<PF_EffectWorld*>(&sorted.Effect());
  job.output = static_cast<A_long>(jf::SorterOutput::Full);
  job.frameWidth = kW;
  job.maxBlocks = kW;
  job.spacing = jf::MakeSampleSpacing({1, 1}, {1, 1}, blockSize);
  const A_long bands = jf::CountBands(kH, {1, 1}, blockSize);
  for (auto _ : state) {
    state.PauseTiming();
    FillPattern(keys);  // the sort reorders the keys; start every pass from the same ones
    state.ResumeTiming();
    for (A_long i = 0; i < bands; ++i) jf::SortBand<PF_Pixel8>(&job, 1, i, bands);
    benchmark::DoNotOptimize(sorted.Row(0));
  }
  state.SetItemsProcessed(state.iterations() * kW * kH);
}
BENCHMARK(BM_SortBands)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);

// One run of n samples built to send the plain quicksort to depth n / 2, its ties unlike
// samples, so that the run sort takes its tree; the fitted complexity shows how it grows. The
// second argument 1 keeps the whole run on the array partition instead, as the quicksort
// itself would run.
void BM_AdversarialRun(benchmark::State& state) {
  const auto n = static_cast<A_long>(state.range(0));
  std::mt19937 rng(7);
  const std::vector<A_long> keys = jf::AdversarialKeys(n, rng);
  jf::RunOrder order;
  if (state.range(1) == 1) order.SetLimits(std::int64_t{n} * n, -1);
  for (auto _ : state) {
    order.Clear(false);
    for (const A_long key : keys) order.Add(static_cast<float>(key), 0.0f);
    order.Order([](A_long, A_long) { return false; });
    benchmark::DoNotOptimize(order.Place(0));
  }
  state.SetComplexityN(n);
  state.counters["tree samples"] = static_cast<double>(order.TreeSamples());
}
BENCHMARK(BM_AdversarialRun)
    ->ArgsProduct({{1 << 10, 1 << 12, 1 << 14, 1 << 16}, {0}})
    ->Complexity()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AdversarialRun)
    ->ArgsProduct({{1 << 10, 1 << 12, 1 << 14}, {1}})
    ->Complexity()
    ->Unit(benchmark::kMicrosecond);

// A whole frame through the host at the given direction in degrees.
void BM_RenderFrame(benchmark::State& state) {
  auto module = jf::headless::Module::Load(JF_MODULE_PATH);
  jf::headless::Host host;
  auto instance = std::make_unique<jf::headless::Instance>(host, module);
  instance->GlobalSetup();
  instance->ParamsSetup(jf::headless::StdoutRoute::Discard);
  auto& params = instance->Params();
  params.SetNumber(static_cast<PF_ParamIndex>(ParamId::EnableBasicBlocks), 0);
  params.SetNumber(static_cast<PF_ParamIndex>(ParamId::EnablePixelSorter), 1);
  params.SetNumber(static_cast<PF_ParamIndex>(ParamId::PixelSorterSortDirection),
                   static_cast<double>(state.range(0)));
  jf::headless::World input(1280, 720, PF_PixelFormat_ARGB32);
  FillPattern(input);
  jf::headless::World output(1280, 720, PF_PixelFormat_ARGB32);
  for (auto _ : state) {
    if (instance->Render(input, output) != PF_Err_NONE) state.SkipWithError("render failed");
  }
  instance->GlobalSetdown();
}
BENCHMARK(BM_RenderFrame)->Arg(0)->Arg(30)->Unit(benchmark::kMillisecond);

}  // namespace
