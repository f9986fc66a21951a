// Pixel Sorter's planning, measures and band pass, checked on plain buffers without a host.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "stages/pixel_sorter.h"

namespace jf {
namespace {

const PF_ANSICallbacksSuite1* Ansi() {
  static const PF_ANSICallbacksSuite1 suite = [] {
    PF_ANSICallbacksSuite1 s{};
    s.sin = [](double v) { return std::sin(v); };
    s.cos = [](double v) { return std::cos(v); };
    return s;
  }();
  return &suite;
}

// An angle as the effect reads it: degrees × 0.01745329252, rounded to float.
double Degrees(double d) {
  return static_cast<float>(d * 0.01745329252);
}

TEST(PlanSortingFrame, ZeroAngleKeepsTheSizeAndIdentityMatrices) {
  const SortingFrame f = PlanSortingFrame(12, 3, 0.0, Ansi());
  EXPECT_EQ(f.width, 12);
  EXPECT_EQ(f.height, 3);
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(f.forward.mat[i / 3][i % 3], i % 4 == 0 ? 1.0 : 0.0);
    EXPECT_EQ(f.reverse.mat[i / 3][i % 3], i % 4 == 0 ? 1.0 : 0.0);
  }
}

// 90° on 12 × 4: |12c| + |4s| + 0.5 gives 4, not above 12, so Wr = 12; Hr = trunc(12.5) = 12.
// Turned about (6, 2) and moved down by 4, (x, y) lands on (8 − y, x): source rows become
// frame columns. 30° on 12 × 1: 10.39 + 0.5 + 0.5 gives 11, so the width stays 12; the height
// is trunc(0.87 + 6 + 0.5) = 7. 45° on 20 × 10: 14.14 + 7.07 + 0.5 gives 21 both ways.
TEST(PlanSortingFrame, FrameGrowsToHoldTheTurnedImageButNeverShrinks) {
  const SortingFrame q = PlanSortingFrame(12, 4, Degrees(90), Ansi());
  EXPECT_EQ(q.width, 12);
  EXPECT_EQ(q.height, 12);
  const auto& m = q.forward.mat;
  EXPECT_NEAR(11 * m[0][0] + 3 * m[1][0] + m[2][0], 5, 1e-5);
  EXPECT_NEAR(11 * m[0][1] + 3 * m[1][1] + m[2][1], 11, 1e-5);
  const auto& r = q.reverse.mat;
  EXPECT_NEAR(5 * r[0][0] + 11 * r[1][0] + r[2][0], 11, 1e-5);
  EXPECT_NEAR(5 * r[0][1] + 11 * r[1][1] + r[2][1], 3, 1e-5);
  EXPECT_EQ(PlanSortingFrame(12, 1, Degrees(30), Ansi()).width, 12);
  EXPECT_EQ(PlanSortingFrame(12, 1, Degrees(30), Ansi()).height, 7);
  EXPECT_EQ(PlanSortingFrame(20, 10, Degrees(45), Ansi()).width, 21);
  EXPECT_EQ(PlanSortingFrame(20, 10, Degrees(45), Ansi()).height, 21);
}

TEST(MeasurePixel, UnitValuesAtEveryDepthAndZeroForUnnamedItems) {
  const PF_Pixel8 p8{255, 51, 102, 204};
  // Luma: (102·0.587 + 51·0.299 + 204·0.114)·255 / 255 / 255 = 98.379 / 255.
  const float want8[] = {
      0.0f, static_cast<float>(98.379 / 255.0), 357.0f / 765.0f, 0.2f, 0.8f, 0.2f, 0.4f, 0.8f, 1.0f,
      0.0f};
  for (A_long item = 0; item <= 9; ++item) EXPECT_FLOAT_EQ(MeasurePixel(item, p8), want8[item]);
  // 16 bits: white is 32768. Luma (16384·0.587 + 8192·0.299 + 24576·0.114) / 32768.
  const PF_Pixel16 p16{32768, 8192, 16384, 24576};
  EXPECT_FLOAT_EQ(MeasurePixel(1, p16), static_cast<float>(14868.48 / 32768.0));
  EXPECT_FLOAT_EQ(MeasurePixel(2, p16), 0.5f);
  EXPECT_FLOAT_EQ(MeasurePixel(3, p16), 0.25f);
  // Float: nothing is clamped. Luma (0.5·0.587 + 0.25·0.299 + 1.5·0.114)·0.5 = 0.269625.
  const PF_PixelFloat pf{0.5f, 0.25f, 0.5f, 1.5f};
  EXPECT_FLOAT_EQ(MeasurePixel(1, pf), 0.269625f);
  EXPECT_FLOAT_EQ(MeasurePixel(2, pf), 0.75f);
  EXPECT_FLOAT_EQ(MeasurePixel(4, pf), 1.5f);
}

TEST(ActivationPixel, EncodesByTruncationAndKeepsTheSourceAlpha) {
  // Sum of (255, 255, 254) is 764 / 765, × 255 = 254.67: 254 (rounding would give 255).
  auto kernel8 = MakeActivationKernel<PF_Pixel8>(ActivationJob{2, 5, 9});
  PF_Pixel8 in{128, 255, 255, 254}, out{};
  ASSERT_EQ(ActivationPixel<PF_Pixel8>(&kernel8, 0, 0, &in, &out), PF_Err_NONE);
  EXPECT_EQ(out.alpha, 128);
  EXPECT_EQ(out.red, 254);
  EXPECT_EQ(out.green, 255);
  EXPECT_EQ(out.blue, 0);
  auto kernel16 = MakeActivationKernel<PF_Pixel16>(ActivationJob{4, 6, 8});
  PF_Pixel16 in16{32768, 32768, 16384, 0}, out16{};
  ActivationPixel<PF_Pixel16>(&kernel16, 0, 0, &in16, &out16);
  EXPECT_EQ(out16.red, 32768);
  EXPECT_EQ(out16.green, 16384);
  EXPECT_EQ(out16.blue, 32768);
}

TEST(SortPlanning, KernelThresholdsSpacingAndBands) {
  // 25 %: edge −30 − trunc(−7.5) = −23, centre trunc(63.75) = 63. 70 %: g is the float
  // 0.69999999 and g × −30 in double is −20.9999996, so −20 and an edge of −10 (a float product
  // would round to −21); centre 178.
  const auto k = ConvolutionKernel(25.0f);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(k[i], i == 4 ? 63 : -23);
  EXPECT_EQ(ConvolutionKernel(70.0f)[0], -10);
  EXPECT_EQ(ConvolutionKernel(70.0f)[4], 178);
  EXPECT_EQ(ConvolutionKernel(100.0f)[0], 0);

  EXPECT_EQ(MakeSortThresholds<PF_Pixel8>(1, 25.0f, 75.0f).hi, 191.25);
  EXPECT_EQ(MakeSortThresholds<PF_Pixel8>(3, 25.0f, 75.0f).lo, 63.75);  // 3 acts as Intervals
  EXPECT_EQ(MakeSortThresholds<PF_Pixel16>(1, 25.0f, 75.0f).hi, 24576.0);
  EXPECT_EQ(MakeSortThresholds<PF_Pixel16>(2, 25.0f, 75.0f).hi, 0.75);
  EXPECT_EQ(MakeSortThresholds<PF_PixelFloat>(2, 10.0f, 90.0f).lo, 0.25);

  // Half size, block size 3: 3 / 2 rounds down to 1; 12 / 1.5 = 8 bands, rows 8 … 11 stay out.
  EXPECT_EQ(MakeSampleSpacing({1, 2}, {1, 2}, 3).along, 1u);
  EXPECT_EQ(CountBands(12, {1, 2}, 3), 8);
  EXPECT_EQ(MakeSampleSpacing({1, 2}, {1, 1}, 8).along, 4u);
  EXPECT_EQ(MakeSampleSpacing({1, 4}, {1, 1}, 1).along, 1u);   // 0 is raised to 1
  EXPECT_EQ(MakeSampleSpacing({0, 0}, {0, 0}, 5).across, 5u);  // an unset factor is full size
  EXPECT_EQ(CountBands(10, {1, 1}, 4), 2);
  EXPECT_EQ(CountBands(3, {1, 1}, 4), 0);
}

/// K, R1 and O over plain buffers, with a sentinel pixel past each row's end.
struct Band8 {
  Band8(A_long w, A_long h) : w(w), h(h), pixels(3 * (w + 1) * h, PF_Pixel8{7, 7, 7, 7}) {
    PF_EffectWorld* worlds[] = {&keys, &rotated, &sorted};
    for (int i = 0; i < 3; ++i) {
      for (A_long y = 0; y < h; ++y) {
        for (A_long x = 0; x < w; ++x) pixels[(i * h + y) * (w + 1) + x] = PF_Pixel8{};
      }
      worlds[i]->data = reinterpret_cast<PF_PixelPtr>(&pixels[i * h * (w + 1)]);
      worlds[i]->rowbytes = static_cast<A_long>((w + 1) * sizeof(PF_Pixel8));
      worlds[i]->width = w;
      worlds[i]->height = h;
    }
    job.hi = 191.25;
    job.lo = 63.75;
    job.keys = &keys;
    job.rotated = &rotated;
    job.sorted = &sorted;
    job.output = 1;
    job.frameWidth = w;
    job.maxBlocks = w;
  }
  PF_Pixel8& At(PF_EffectWorld& world, A_long x, A_long y) {
    return reinterpret_cast<PF_Pixel8*>(world.data)[y * (w + 1) + x];
  }
  A_long w, h;
  std::vector<PF_Pixel8> pixels;
  PF_EffectWorld keys{}, rotated{}, sorted{};
  SortJob job;
};

// Bands never touch each other's rows: four threads, each taking every fourth band from the
// last, give the bytes of one thread in order (and run clean under ThreadSanitizer).
TEST(SortBand, BandsRunConcurrentlyGiveTheBytesOfOneThread) {
  static constexpr A_long kW = 97, kH = 60;
  auto make = [] {
    auto b = std::make_unique<Band8>(kW, kH);
    unsigned state = 12345;
    for (A_long y = 0; y < kH; ++y) {
      for (A_long x = 0; x < kW; ++x) {
        state = state * 1103515245u + 12345u;
        const auto v = static_cast<A_u_char>(state >> 16);
        b->At(b->keys, x, y) = {static_cast<A_u_char>(v < 20 ? 0 : 255), v,
                                static_cast<A_u_char>(state >> 8), static_cast<A_u_char>(v * 3)};
        b->At(b->rotated, x, y) = {255, static_cast<A_u_char>(x), static_cast<A_u_char>(y), v};
      }
    }
    b->job.spacing = SampleSpacing{3, 3};
    b->job.minBlocks = 1;
    return b;
  };
  const A_long bands = CountBands(kH, {1, 1}, 3);
  auto serial = make();
  for (A_long i = 0; i < bands; ++i) SortBand<PF_Pixel8>(&serial->job, 0, i, bands);
  auto parallel = make();
  std::vector<std::thread> threads;
  for (A_long t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (A_long i = bands - 1 - t; i >= 0; i -= 4) {
        SortBand<PF_Pixel8>(&parallel->job, t, i, bands);
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(0, std::memcmp(serial->pixels.data(), parallel->pixels.data(),
                           serial->pixels.size() * sizeof(PF_Pixel8)));
  EXPECT_NE(0, std::memcmp(serial->pixels.data(), make()->pixels.data(),
                           serial->pixels.size() * sizeof(PF_Pixel8)));
}

// Wr = 10, blocks of 4: the third block's sample would be column 10, where the sentinel lies.
// The block is left empty; nothing past the row is read or written.
TEST(SortBand, ABlockWhoseSampleLiesPastTheRowIsLeftAlone) {
  Band8 b(10, 4);
  for (A_long x = 0; x < 10; ++x) b.At(b.keys, x, 2) = b.At(b.rotated, x, 2) = {255, 255, 9, 9};
  b.job.spacing = SampleSpacing{4, 4};
  ASSERT_EQ(SortBand<PF_Pixel8>(&b.job, 1, 0, 1), PF_Err_NONE);
  for (A_long y = 0; y < 4; ++y) {
    for (A_long x = 0; x <= 10; ++x) {
      EXPECT_EQ(b.At(b.sorted, x, y).red, x < 8 ? 255 : x < 10 ? 0 : 7) << x << ", " << y;
    }
  }
}

}  // namespace
}  // namespace jf
