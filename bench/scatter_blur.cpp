// Crowded Elements Scatter and Blur Blocks at full HD: the pixel rule with the index against the
// rule testing every record, and whole renders through the headless host. Run on demand;
// nothing here asserts a time.
//
// The rule testing every record costs width × height × records box tests, about 2 × 10^10 for
// 10000 records on a full-HD frame, so the Naive benchmarks run it over one twentieth of the
// rows (54 of 1080) and report that band's time; multiply by 20 for a frame.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "headless/instance.h"
#include "headless/module.h"
#include "headless/worlds.h"
#include "params/param_table.h"
#include "stages/blur_blocks.h"
#include "stages/elements_scatter.h"

namespace jf {
namespace {

constexpr A_long kWidth = 1920;
constexpr A_long kHeight = 1080;
constexpr A_long kNaiveRows = kHeight / 20;
constexpr A_long kRecords = 10000;

std::vector<SquareRecord> Squares(A_long size) {
  ShapeSettings s;
  s.positionSeed = 1;
  s.size = size;
  s.stroke = 2;
  s.sizeSeed = 1;
  std::vector<SquareRecord> table(kRecords);
  PlaceShapes(s, 0, 0, kWidth, kHeight, kRecords, table.data());
  return table;
}

std::vector<BlurBlockRecord> Blocks() {
  BlurBlocksSettings s;
  s.count = kRecords;
  s.positionSeed = 1;
  s.width.min = 100;
  s.width.range = 50;
  s.width.seed = 1;
  s.height.min = 50;
  s.height.range = 20;
  s.height.seed = 1;
  std::vector<BlurBlockRecord> table(kRecords);
  PlaceBlurBlocks(s, 0, 0, kWidth, kHeight, table.data());
  return table;
}

// ---- The pixel rule alone, one thread ---------------------------------------------------------

/// Square size as the benchmark's argument: 50 is the default, 500 makes every pixel crowded.
void BM_ScatterRuleIndexed(benchmark::State& state) {
  const auto table = Squares(static_cast<A_long>(state.range(0)));
  const PF_LRect area{0, 0, kWidth, kHeight};
  std::vector<std::int32_t> memory;
  for (auto _ : state) {
    ShapeIndex plan = PlanShapeIndex(table.data(), kRecords, area);
    memory.resize(ShapeIndexBytes(plan) / sizeof(std::int32_t) + 1);
    const ShapeIndex index = BuildShapeIndex(table.data(), kRecords, plan, memory.data());
    std::int64_t hits = 0;
    for (A_long y = 0; y < kHeight; ++y) {
      for (A_long x = 0; x < kWidth; ++x)
        hits += FirstShapeAt(table.data(), kRecords, &index, x, y) >= 0;
    }
    benchmark::DoNotOptimize(hits);
  }
  state.SetLabel("whole frame");
}

void BM_ScatterRuleNaive(benchmark::State& state) {
  const auto table = Squares(static_cast<A_long>(state.range(0)));
  for (auto _ : state) {
    std::int64_t hits = 0;
    for (A_long y = 0; y < kNaiveRows; ++y) {
      for (A_long x = 0; x < kWidth; ++x) {
        hits += FirstShapeAt(table.data(), kRecords, static_cast<const ShapeIndex*>(nullptr), x,
                             y) >= 0;
      }
    }
    benchmark::DoNotOptimize(hits);
  }
  state.SetLabel("1/20 of the frame; x20 for a frame");
}

void BM_BlurRuleIndexed(benchmark::State& state) {
  const auto table = Blocks();
  const PF_LRect area{0, 0, kWidth, kHeight};
  std::vector<std::uint64_t> memory(BlockCoverageBytes(area, kRecords) / sizeof(std::uint64_t) + 1);
  for (auto _ : state) {
    const BlockCoverage coverage = BuildBlockCoverage(table.data(), kRecords, area, memory.data());
    std::int64_t hits = 0;
    for (A_long y = 0; y < kHeight; ++y) {
      for (A_long x = 0; x < kWidth; ++x)
        hits += InAnyBlock(table.data(), kRecords, &coverage, x, y);
    }
    benchmark::DoNotOptimize(hits);
  }
  state.SetLabel("whole frame");
}

void BM_BlurRuleNaive(benchmark::State& state) {
  const auto table = Blocks();
  for (auto _ : state) {
    std::int64_t hits = 0;
    for (A_long y = 0; y < kNaiveRows; ++y) {
      for (A_long x = 0; x < kWidth; ++x) hits += InAnyBlock(table.data(), kRecords, nullptr, x, y);
    }
    benchmark::DoNotOptimize(hits);
  }
  state.SetLabel("1/20 of the frame; x20 for a frame");
}

BENCHMARK(BM_ScatterRuleIndexed)->Arg(50)->Arg(500)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScatterRuleNaive)->Arg(50)->Arg(500)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_BlurRuleIndexed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BlurRuleNaive)->Unit(benchmark::kMillisecond)->Iterations(1);

// ---- Whole renders through the headless host, 8 bits ------------------------------------------

void RenderFrames(benchmark::State& state, ParamId enable, ParamId count) {
  const headless::Module module = headless::Module::Load(JF_MODULE_PATH);
  headless::Host host;
  host.SetThreadCount(static_cast<int>(std::max(1u, std::thread::hardware_concurrency())));
  headless::Instance instance(host, module);
  if (instance.GlobalSetup() != PF_Err_NONE ||
      instance.ParamsSetup(headless::StdoutRoute::Discard) != PF_Err_NONE) {
    state.SkipWithError("setup failed");
    return;
  }
  instance.Params().SetNumber(static_cast<PF_ParamIndex>(ParamId::EnableBasicBlocks), 0);
  instance.Params().SetNumber(static_cast<PF_ParamIndex>(enable), 1);
  instance.Params().SetNumber(static_cast<PF_ParamIndex>(count), kRecords);
  headless::World input(kWidth, kHeight, PF_PixelFormat_ARGB32);
  headless::World output(kWidth, kHeight, PF_PixelFormat_ARGB32);
  for (auto _ : state) {
    if (instance.Render(input, output) != PF_Err_NONE) state.SkipWithError("render failed");
  }
  instance.GlobalSetdown();
}

void BM_RenderScatter10000Squares(benchmark::State& state) {
  RenderFrames(state, ParamId::EnableElementsScatter, ParamId::SquareNumberOfShapes);
}
void BM_RenderBlur10000Blocks(benchmark::State& state) {
  RenderFrames(state, ParamId::EnableBlurBlocks, ParamId::BlurBlocksNumberOfBlocks);
}

BENCHMARK(BM_RenderScatter10000Squares)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RenderBlur10000Blocks)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace jf
