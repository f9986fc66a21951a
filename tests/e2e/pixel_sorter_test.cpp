// Pixel Sorter through the headless host: a small image worked by hand through every output,
// the run rules, direction, blocks and methods, determinism, and a failure sweep.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "e2e/support.h"

namespace jf::e2e {
namespace {

using P8 = PF_Pixel8;
using Rows = std::vector<std::vector<P8>>;
const P8 E{0, 0, 0, 0};          // empty
const P8 W{255, 255, 255, 255};  // mask inside a run
const P8 K{255, 0, 0, 0};        // mask outside a run

/// Pixel Sorter alone: activation on red, sorted by green then blue, ascending, block size 1,
/// thresholds 25 % and 75 % (at 8 bits lo = 63.75, hi = 191.25).
void SorterOnly(Rig& rig, A_long output) {
  rig.Only(ParamId::EnablePixelSorter);
  rig.Set(ParamId::PixelSorterActivationFunction, 5);
  rig.Set(ParamId::PixelSorterPrimarySortCriteria, 6);
  rig.Set(ParamId::PixelSorterSecondarySortCriteria, 7);
  rig.Set(ParamId::PixelSorterInverseDirection, 0);
  rig.Set(ParamId::PixelSorterOutput, output);
}

std::unique_ptr<headless::World> Image8(const Rows& rows) {
  auto world = std::make_unique<headless::World>(
      static_cast<A_long>(rows[0].size()), static_cast<A_long>(rows.size()), PF_PixelFormat_ARGB32);
  for (A_long y = 0; y < world->Height(); ++y) {
    for (A_long x = 0; x < world->Width(); ++x) *world->At<P8>(x, y) = rows[y][x];
  }
  return world;
}

void ExpectPixels(const headless::World& world, const Rows& want, const std::string& what) {
  for (A_long y = 0; y < world.Height(); ++y) {
    for (A_long x = 0; x < world.Width(); ++x) {
      const P8 p = *world.At<P8>(x, y);
      const P8 e = want[y][x];
      EXPECT_TRUE(p.alpha == e.alpha && p.red == e.red && p.green == e.green && p.blue == e.blue)
          << what << " (" << x << ", " << y << "): " << +p.alpha << " " << +p.red << " " << +p.green
          << " " << +p.blue;
    }
  }
}

// ---- One image worked by hand through every output ---------------------------------------

// With red, green and blue as the measures the keys are the pixels themselves (v / 255 × 255
// gives v back in single precision for every 8-bit v). The ending pixel of a run is not copied,
// so O is empty (∅) there, and the ∅ sorts with the ending position's keys.
// Row 0: runs 1 … 5 (30 ≤ lo ends it; 100 between the thresholds goes on), 6 … 8 (0 ends) and
// 9 … 11 (x11 is Wr − 1).
//   keys (50,0) (20,0) (50,9) (5,0) | (30,0)  → x4, x2, ∅, x1, x3
//   keys (100,0) (60,0) | (80,0)              → x7, ∅, x6
//   keys (70,5) (70,5) | (90,0): all come before the last-position pivot; then x9 against the
//   pivot x10 with equal keys is not before it, so the two swap → x10, x9, ∅
// Row 1: 0 … 1 (the transparent x1 ends it; the partition starts at i = −1) → ∅, x0;
//   3 … 6 (192 ≥ hi starts, 191 and 64 go on, 63 ends) → ∅, x5, x4, x3; x7 (191) starts
//   nothing; 8 … 11 keys 7, 3, 5 | 1 → ∅, x9, x10, x8.
// Row 2 never reaches hi.
const std::vector<P8> kRow0 = {{255, 10, 0, 0},    {255, 200, 50, 0}, {255, 220, 20, 0},
                               {255, 100, 50, 9},  {255, 210, 5, 0},  {255, 30, 30, 0},
                               {255, 250, 100, 0}, {255, 240, 60, 0}, {255, 0, 80, 0},
                               {255, 200, 70, 5},  {255, 201, 70, 5}, {255, 200, 90, 0}};
const std::vector<P8> kRow1 = {{255, 200, 10, 0}, {0, 200, 5, 0},    {255, 50, 0, 0},
                               {255, 192, 40, 0}, {255, 191, 30, 0}, {255, 64, 20, 0},
                               {255, 63, 10, 0},  {255, 191, 0, 0},  {255, 255, 7, 7},
                               {255, 255, 3, 3},  {255, 255, 5, 5},  {255, 255, 1, 1}};
const std::vector<P8> kRow2(12, P8{255, 20, 0, 0});

Rows HandExpected(A_long output) {
  const auto& a = kRow0;
  const auto& b = kRow1;
  switch (output) {
    case 1:  // Full: the sorted pixels over the image, which shows through wherever O is ∅
      return {{a[0], a[4], a[2], a[3], a[1], a[3], a[7], a[7], a[6], a[10], a[9], a[11]},
              {b[0], b[0], b[2], b[3], b[5], b[4], b[3], b[7], b[8], b[9], b[10], b[8]},
              kRow2};
    case 2:  // Sorted pixels only: O itself
      return {{E, a[4], a[2], E, a[1], a[3], a[7], E, a[6], a[10], a[9], E},
              {E, b[0], E, E, b[5], b[4], b[3], E, E, b[9], b[10], b[8]},
              std::vector<P8>(12, E)};
    case 3:  // Activation: the keys of the source, unsorted
      return {kRow0, kRow1, kRow2};
    case 4:  // Sorted activation: the keys sorted along; the ending keys went where the ∅ went
             // (row 1, x0 holds the transparent x1's keys, colour and all)
      return {{a[0], a[4], a[2], a[5], a[1], a[3], a[7], a[8], a[6], a[10], a[9], a[11]},
              {b[1], b[0], b[2], b[6], b[5], b[4], b[3], b[7], b[11], b[9], b[10], b[8]},
              kRow2};
    case 5:  // Mask: nothing sorted; ending positions count as outside
      return {{K, W, W, W, W, K, W, W, K, W, W, K},
              {W, K, K, W, W, W, K, K, W, W, W, K},
              std::vector<P8>(12, K)};
    default:  // an output that names nothing copies nothing: O, F and G stay empty
      return Rows(3, std::vector<P8>(12, E));
  }
}

class WorkedByHand : public ::testing::TestWithParam<A_long> {};

TEST_P(WorkedByHand, EveryOutputAtDirectionZero) {
  for (int threads : {1, 4}) {
    Rig rig(threads);
    SorterOnly(rig, GetParam());
    auto input = Image8({kRow0, kRow1, kRow2});
    ExpectPixels(*Render(rig, *input), HandExpected(GetParam()), std::to_string(threads));
    rig.host.SetReverseOrder(true);
    ExpectPixels(*Render(rig, *input), HandExpected(GetParam()), "reversed");
    EXPECT_EQ(rig.host.Leaks(), "");
  }
}

INSTANTIATE_TEST_SUITE_P(Outputs, WorkedByHand, ::testing::Values(1, 2, 3, 4, 5, 6));

// ---- Run rules, seen in the mask ----------------------------------------------------------

// One row of reds (−1: transparent, red 250) through the mask, after set changes the settings.
void ExpectMask(const std::vector<int>& reds, const char* mask,
                const std::function<void(Rig&)>& set, A_long output = 5) {
  std::vector<P8> row, want;
  for (int r : reds)
    row.push_back(r < 0 ? P8{0, 250, 0, 0} : P8{255, static_cast<A_u_char>(r), 0, 0});
  for (const char* c = mask; *c != 0; ++c) want.push_back(*c == 'W' ? W : *c == 'K' ? K : E);
  Rig rig;
  SorterOnly(rig, output);
  set(rig);
  ExpectPixels(*Render(rig, *Image8({row})), {want}, mask);
}

TEST(PixelSorterRuns, ThresholdsMinimumMaximumAndMethods) {
  // Inverse activation starts at v ≤ lo and ends at v ≥ hi; 0 and 191 go on.
  ExpectMask({200, 60, 100, 0, 191, 192, 10, 200}, "KWWWWKWK",
             [](Rig& r) { r.Set(ParamId::PixelSorterInverseActivation, 1); });
  // A run shorter than 3 blocks goes on through a failing and a transparent pixel.
  ExpectMask({0, 250, 10, -1, 10, 0, 0}, "KWWWKKK",
             [](Rig& r) { r.Set(ParamId::PixelSorterMinSortedBlocks, 3); });
  // A maximum of 3 blocks ends a run of high values.
  ExpectMask({250, 250, 250, 250, 250, 250, 250, 250}, "WWWKWWWK", [](Rig& r) {
    r.Set(ParamId::PixelSorterUseMaxSortedBlocks, 1);
    r.Set(ParamId::PixelSorterMaxSortedBlocks, 3);
  });
  // A maximum of 0 examines nothing: O stays empty, in the mask too.
  for (A_long output : {2, 5}) {
    ExpectMask(
        {250, 250, 250, 250}, "....",
        [](Rig& r) {
          r.Set(ParamId::PixelSorterUseMaxSortedBlocks, 1);
          r.Set(ParamId::PixelSorterMaxSortedBlocks, 0);
        },
        output);
  }
  // Convolution at 100 % (centre 255, edges 0, no clamp) turns reds 1 and 2 into 255 and 254
  // (alpha 65025 mod 256 = 1, present): any of them starts (≥ 0.75), only 0 ends (≤ 0.25).
  ExpectMask({0, 1, 2, 0, 0, 0}, "KWWKKK", [](Rig& r) {
    r.Set(ParamId::PixelSorterMethod, 2);
    r.Set(ParamId::PixelSorterConvolutionCoefficient, 100);
  });
}

TEST(PixelSorterRuns, InverseDirectionSortsDescending) {
  std::vector<P8> row;
  for (int g : {10, 40, 20, 30, 50, 0}) row.push_back(P8{255, 200, static_cast<A_u_char>(g), 0});
  Rig rig;
  SorterOnly(rig, 2);
  rig.Set(ParamId::PixelSorterInverseDirection, 1);
  ExpectPixels(*Render(rig, *Image8({row})), {{row[4], row[1], row[3], row[2], row[0], E}}, "");
}

// ---- Direction, blocks, methods, scale -----------------------------------------------------

// 90° on 2 × 6: Wr = Hr = 6, and source pixel (x, y) lands on frame pixel (5 − y, x + 2), so
// column 0 is frame row 2 read bottom to top. One run spans it, ending at Wr − 1 (source y 0):
// keys 60, 50, 40, 30, 20 | 10 sort to ∅, y1 … y5 on frame x 0 … 5, that is y0 ← y5, y1 ← y4,
// …, y5 ← ∅ in the source. Column 1 (red 0) starts nothing.
TEST(PixelSorterStage, QuarterTurnSortsAlongTheColumns) {
  Rows rows;
  for (int y = 0; y < 6; ++y) {
    rows.push_back({P8{255, 250, static_cast<A_u_char>(10 * (y + 1)), 0}, P8{255, 0, 100, 100}});
  }
  for (A_long output : {1, 2}) {
    Rig rig;
    SorterOnly(rig, output);
    rig.Set(ParamId::PixelSorterSortDirection, 90);
    const P8 c = output == 1 ? rows[0][1] : E;
    ExpectPixels(*Render(rig, *Image8(rows)),
                 {{rows[5][0], c},
                  {rows[4][0], c},
                  {rows[3][0], c},
                  {rows[2][0], c},
                  {rows[1][0], c},
                  {output == 1 ? rows[5][0] : E, c}},
                 "output " + std::to_string(output));
  }
}

// Sum of (51, 102, 204) is 357 / 765, × 255 = 119 in single precision; minimum 51; maximum 204.
TEST(PixelSorterStage, ActivationOutputIgnoresTheDirection) {
  Rig rig;
  SorterOnly(rig, 3);
  rig.Set(ParamId::PixelSorterActivationFunction, 2);
  rig.Set(ParamId::PixelSorterPrimarySortCriteria, 3);
  rig.Set(ParamId::PixelSorterSecondarySortCriteria, 4);
  auto input = Image8(Rows(5, std::vector<P8>(7, P8{128, 51, 102, 204})));
  for (double degrees : {0.0, 37.0, 90.0}) {
    rig.Set(ParamId::PixelSorterSortDirection, degrees);
    ExpectPixels(*Render(rig, *input), Rows(5, std::vector<P8>(7, P8{128, 119, 51, 204})), "");
  }
  // With Convolution at 100 % (centre 255, edges 0, no clamp) each channel becomes 255·v in its
  // low 8 bits: sum 3 / 765 encodes as 1 → 255, minimum 0 → 0, maximum 2 → 254, alpha → 1.
  rig.Set(ParamId::PixelSorterMethod, 2);
  rig.Set(ParamId::PixelSorterConvolutionCoefficient, 100);
  ExpectPixels(*Render(rig, *Image8({{P8{255, 1, 2, 0}}})), {{P8{1, 255, 0, 254}}}, "conv");
}

// Block size 4 on 10 × 8: bands of rows 0 … 3 and 4 … 7 sampled on rows 2 and 6 at x = 2 and 6.
// The third block's sample would be column 10, past the frame: its columns 8 and 9 stay empty.
// Row 2: x2 (key 3) starts, x6 (red 0, key 1) ends: ∅, x2. Row 6: x2 and x6 both high, and no
// sample at Wr − 1 ends the run, so it stays in scan order.
TEST(PixelSorterStage, BlockSizeFourSpreadsSamplesOverBlocksAndSkipsTheOnePastTheRow) {
  const P8 a{255, 255, 3, 0}, b{255, 0, 1, 0}, c{255, 255, 9, 0}, d{255, 255, 5, 0};
  Rows rows(8, std::vector<P8>(10, P8{255, 0, 0, 0}));
  rows[2][2] = a;
  rows[2][6] = b;
  rows[6][2] = c;
  rows[6][6] = d;
  Rig rig;
  SorterOnly(rig, 2);
  rig.Set(ParamId::PixelSorterBlockSize, 4);
  Rows want;
  for (int y = 0; y < 8; ++y) {
    const P8 left = y < 4 ? E : c, mid = y < 4 ? a : d;
    want.push_back({left, left, left, left, mid, mid, mid, mid, E, E});
  }
  ExpectPixels(*Render(rig, *Image8(rows)), want, "blocks");
}

// Half size with block size 3: samples one pixel apart and 12 / 1.5 = 8 bands of one row, so
// the mask covers rows 0 … 7 and rows 8 … 11 are never examined.
TEST(PixelSorterStage, AtHalfSizeWithBlockSizeThreeTheLowerThirdIsNotProcessed) {
  Rig rig;
  SorterOnly(rig, 5);
  rig.Set(ParamId::PixelSorterBlockSize, 3);
  headless::RenderSettings half;
  half.downsampleX = half.downsampleY = {1, 2};
  Rows want(12, std::vector<P8>(5, K));
  for (int y = 8; y < 12; ++y) want[y] = std::vector<P8>(5, E);
  ExpectPixels(*Render(rig, *Image8(Rows(12, std::vector<P8>(5, K))), nullptr, half), want, "");
}

TEST(PixelSorterStage, AMethodOfThreeSortsByIntervals) {
  auto input = Pattern(31, 17, 8);
  Rig rig;
  SorterOnly(rig, 1);
  rig.Set(ParamId::PixelSorterActivationFunction, 1);
  auto intervals = Render(rig, *input);
  rig.Set(ParamId::PixelSorterMethod, 3);
  EXPECT_TRUE(Render(rig, *input)->SamePixels(*intervals));
  rig.Set(ParamId::PixelSorterMethod, 2);
  EXPECT_FALSE(Render(rig, *input)->SamePixels(*intervals));
}

class PixelSorterAtDepth : public ::testing::TestWithParam<int> {};

TEST_P(PixelSorterAtDepth, SameBytesOnOneThreadOnManyAndInReverse) {
  auto input = Pattern(67, 41, GetParam());
  for (double degrees : {0.0, 33.0}) {
    for (A_long output : {1, 4, 5}) {
      std::unique_ptr<headless::World> first;
      for (int run = 0; run < 3; ++run) {
        Rig rig(run == 0 ? 1 : 4);
        SorterOnly(rig, output);
        rig.Set(ParamId::PixelSorterActivationFunction, 1);
        rig.Set(ParamId::PixelSorterSortDirection, degrees);
        rig.Set(ParamId::PixelSorterBlockSize, 3);
        rig.host.SetReverseOrder(run == 2);
        auto out = Render(rig, *input);
        EXPECT_TRUE(out->PaddingIntact());
        EXPECT_FALSE(out->SamePixels(*input));
        if (first) {
          EXPECT_TRUE(out->SamePixels(*first)) << degrees << "° output " << output;
        } else {
          first = std::move(out);
        }
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Depths, PixelSorterAtDepth, ::testing::Values(8, 16, 32));

// ---- Failure sweep -------------------------------------------------------------------------

constexpr PF_Err kInjected = PF_Err_OUT_OF_MEMORY;

// Calls whose result is a number or goes unused cannot fail the frame.
bool FailureIsReported(const std::string& operation) {
  return operation != "progress" && operation != "sin" && operation != "cos" &&
         operation != "ReleaseSuite";
}

// A reported failure ends the render with the injected code, or with the suite error where a
// suite is refused. (The chain acquires its world suite itself and passes the host's code on.)
bool IsReportedFailure(PF_Err err) {
  return err == kInjected || err == PF_Err_BAD_CALLBACK_PARAM;
}

struct SweepCase {
  const char* name;
  A_long output, method;
  double degrees;
  int depth;
  std::uint64_t worlds;  // temporaries the path makes
};

class PixelSorterFailures : public ::testing::TestWithParam<SweepCase> {};

TEST_P(PixelSorterFailures, EveryFailingCallIsReportedAndNothingLeaks) {
  const SweepCase& c = GetParam();
  auto input = Pattern(13, 7, c.depth);
  Rig rig(1);
  SorterOnly(rig, c.output);
  rig.Set(ParamId::PixelSorterMethod, c.method);
  rig.Set(ParamId::PixelSorterSortDirection, c.degrees);
  auto& gate = rig.host.GetGate();
  gate.ResetCounts();
  auto clean = Render(rig, *input);
  const std::uint64_t total = gate.TotalCalls();
  auto baseline = gate.AllCalls();
  EXPECT_EQ(baseline["PF_NewWorld"], c.worlds);
  EXPECT_EQ(baseline["PF_DisposeWorld"], c.worlds);
  std::uint64_t unreportable = 0;
  for (const auto& [operation, count] : baseline)
    unreportable += FailureIsReported(operation) ? 0 : count;

  std::uint64_t succeeded = 0;
  for (std::uint64_t n = 1; n <= total; ++n) {
    gate.ClearFailures();
    gate.ResetCounts();
    gate.FailNthCall(n, kInjected);
    PF_Err err = PF_Err_NONE;
    auto out = Render(rig, *input, &err);
    ASSERT_EQ(gate.InjectedFailures(), 1u) << "call " << n;
    if (err == PF_Err_NONE) {
      ++succeeded;
      EXPECT_TRUE(out->SamePixels(*clean)) << "an unreported failure changed the frame: " << n;
    } else {
      EXPECT_TRUE(IsReportedFailure(err)) << "call " << n << " gave " << err;
    }
    EXPECT_EQ(rig.host.Leaks(), "") << "call " << n;
  }
  EXPECT_EQ(succeeded, unreportable);

  for (const auto& [operation, count] : baseline) {
    gate.ClearFailures();
    gate.FailOperation(operation, kInjected);
    PF_Err err = PF_Err_NONE;
    Render(rig, *input, &err);
    EXPECT_EQ(IsReportedFailure(err), FailureIsReported(operation)) << operation << ": " << err;
    EXPECT_EQ(rig.host.Leaks(), "") << operation;
  }
  gate.ClearFailures();
}

INSTANTIATE_TEST_SUITE_P(
    Paths, PixelSorterFailures,
    ::testing::Values(SweepCase{"FullIntervals8", 1, 1, 0.0, 8, 5},
                      SweepCase{"SortedActivationConvolutionTurned16", 4, 2, 30.0, 16, 6},
                      SweepCase{"MaskFloat", 5, 1, 45.0, 32, 5},
                      SweepCase{"ActivationIntervals8", 3, 1, 0.0, 8, 2},
                      SweepCase{"ActivationConvolution8", 3, 2, 0.0, 8, 3}),
    [](const ::testing::TestParamInfo<SweepCase>& info) { return info.param.name; });

}  // namespace
}  // namespace jf::e2e
