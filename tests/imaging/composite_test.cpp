// The transfer modes of transform_world, pixel by pixel: worked examples, agreement across
// depths, the zero-alpha rule, Copy, the unnamed modes and Dissolve.
#include <limits>

#include <gtest/gtest.h>

#include "headless/imaging/composite.h"
#include "tests/imaging/test_worlds.h"

namespace jf::headless::testing {
namespace {

// Worked out by hand in double precision from the published formulas; no rounding step lies
// within 1e-6 of a half. Pixels are (alpha, red, green, blue), 8 bits.
// clang-format off
// First the opaque pair (255, 200, 100, 50) over (255, 100, 150, 200) in every mode:
const struct {
  PF_TransferMode mode;
  PF_Pixel8 expected;
} kOpaquePair[] = {
    {0, {255, 200, 100, 50}},  // Copy
    {1, {255, 100, 150, 200}},  // Behind: opaque backdrop wins
    {2, {255, 200, 100, 50}},  // In Front
    {3, {255, 200, 100, 50}},  // Dissolve: opaque: always picked
    {4, {255, 255, 250, 250}},  // Add: red clamped
    {5, {255, 78, 59, 39}},  // Multiply: 78.43, 58.82, 39.22
    {6, {255, 222, 191, 211}},  // Screen: 221.57, 191.18, 210.78
    {7, {255, 157, 127, 167}},  // Overlay: 156.86, 127.35, 166.57
    {8, {255, 134, 137, 174}},  // Soft Light: 133.94, 136.68, 173.78
    {9, {255, 188, 118, 78}},  // Hard Light: 188.14, 117.65, 78.43
    {10, {255, 100, 100, 50}},  // Darken
    {11, {255, 200, 150, 200}},  // Lighten
    {12, {255, 100, 50, 150}},  // Difference: same as 26
    {13, {255, 191, 124, 91}},  // Hue: 190.83, 124.17, 90.83
    {14, {255, 80, 155, 230}},  // Saturation: 79.75, 154.75, 229.75
    {15, {255, 216, 116, 66}},  // Color: exact
    {16, {255, 84, 134, 184}},  // Luminosity: exact
    {17, {255, 100, 150, 200}},  // Multiply Alpha: colour untouched
    {18, {124, 100, 150, 200}},  // Multiply Alpha Luma: Y·255 = 124.2
    {19, {0, 100, 150, 200}},  // Multiply Not Alpha: colour kept, alpha 0
    {20, {131, 100, 150, 200}},  // Multiply Not Alpha Luma: 130.8
    {21, {255, 200, 100, 50}},  // Additive Premultiply: opaque = In Front
    {22, {255, 200, 100, 50}},  // Alpha Add
    {23, {255, 255, 247, 249}},  // Color Dodge: same as 27
    {24, {255, 57, 0, 0}},  // Color Burn: same as 28; red 57.375
    {25, {255, 143, 132, 172}},  // Exclusion: 143.14, 132.35, 171.57
    {26, {255, 100, 50, 150}},  // Difference 2
    {27, {255, 255, 247, 249}},  // Color Dodge 2: 246.77, 248.78
    {28, {255, 57, 0, 0}},  // Color Burn 2
    {29, {255, 255, 250, 250}},  // Linear Dodge
    {30, {255, 45, 0, 0}},  // Linear Burn
    {31, {255, 245, 95, 45}},  // Linear Light: exact
    {32, {255, 232, 121, 115}},  // Vivid Light: 231.82, 121.125, 114.75
    {33, {255, 145, 150, 100}},  // Pin Light
    {34, {255, 255, 0, 0}},  // Hard Mix: sums 300, 250, 250
    {35, {255, 100, 150, 200}},  // Lighter Color: Lum 124.5 < 140.5
    {36, {255, 200, 100, 50}},  // Darker Color
    {37, {255, 0, 50, 150}},  // Subtract
    {39, {255, 100, 150, 200}},  // (reserved): no-op
};

// Then edge values, partial alphas and transparency:
const struct {
  PF_TransferMode mode;
  PF_Pixel8 source, backdrop, expected;
} kExamples[] = {
    {38, {255, 160, 100, 50}, {255, 100, 150, 200}, {255, 159, 255, 255}},  // Divide
    {38, {255, 0, 100, 50}, {255, 0, 150, 200}, {255, 0, 255, 255}},  // Divide
    {27, {255, 255, 255, 255}, {255, 0, 128, 255}, {255, 0, 255, 255}},  // Color Dodge 2
    {28, {255, 0, 0, 0}, {255, 255, 128, 0}, {255, 255, 0, 0}},  // Color Burn 2
    {34, {255, 155, 100, 0}, {255, 100, 154, 255}, {255, 255, 0, 255}},  // Hard Mix
    {32, {255, 0, 255, 128}, {255, 255, 0, 77}, {255, 255, 0, 77}},  // Vivid Light
    {2, {128, 200, 100, 50}, {255, 100, 150, 200}, {255, 150, 125, 125}},  // In Front
    {4, {128, 200, 100, 50}, {255, 100, 150, 200}, {255, 178, 200, 225}},  // Add
    {5, {128, 200, 100, 50}, {255, 100, 150, 200}, {255, 89, 104, 119}},  // Multiply
    {6, {128, 200, 100, 50}, {255, 100, 150, 200}, {255, 161, 171, 205}},  // Screen
    {26, {128, 200, 100, 50}, {255, 100, 150, 200}, {255, 100, 100, 175}},  // Difference 2
    {21, {128, 200, 100, 50}, {255, 100, 150, 200}, {255, 250, 175, 150}},  // Additive Premultiply
    {22, {128, 200, 100, 50}, {255, 100, 150, 200}, {255, 150, 125, 125}},  // Alpha Add
    {1, {128, 200, 100, 50}, {255, 100, 150, 200}, {255, 100, 150, 200}},  // Behind
    {17, {128, 200, 100, 50}, {255, 100, 150, 200}, {128, 100, 150, 200}},  // Multiply Alpha
    {18, {128, 200, 100, 50}, {255, 100, 150, 200}, {62, 100, 150, 200}},  // Multiply Alpha Luma
    {19, {128, 200, 100, 50}, {255, 100, 150, 200}, {127, 100, 150, 200}},  // Multiply Not Alpha
    {20, {128, 200, 100, 50}, {255, 100, 150, 200}, {193, 100, 150, 200}},
    {2, {0, 200, 100, 50}, {255, 100, 150, 200}, {255, 100, 150, 200}},  // In Front
    {0, {0, 200, 100, 50}, {255, 100, 150, 200}, {0, 200, 100, 50}},  // Copy
    {5, {0, 200, 100, 50}, {255, 100, 150, 200}, {255, 100, 150, 200}},  // Multiply
    {21, {0, 200, 100, 50}, {255, 100, 150, 200}, {255, 255, 250, 250}},  // Additive Premultiply
    {22, {0, 200, 100, 50}, {255, 100, 150, 200}, {255, 100, 150, 200}},  // Alpha Add
    {17, {0, 200, 100, 50}, {255, 100, 150, 200}, {0, 100, 150, 200}},  // Multiply Alpha
    {18, {0, 200, 100, 50}, {255, 100, 150, 200}, {0, 100, 150, 200}},  // Multiply Alpha Luma
    {19, {0, 200, 100, 50}, {255, 100, 150, 200}, {255, 100, 150, 200}},  // Multiply Not Alpha
    {21, {0, 0, 0, 0}, {255, 100, 150, 200}, {255, 100, 150, 200}},  // Additive Premultiply
    {0, {0, 10, 20, 30}, {0, 0, 0, 0}, {0, 10, 20, 30}},  // Copy
    {0, {255, 200, 100, 50}, {0, 0, 0, 0}, {255, 200, 100, 50}},  // Copy: transparent backdrop
    {2, {255, 200, 100, 50}, {0, 0, 0, 0}, {255, 200, 100, 50}},  // In Front
    {22, {255, 200, 100, 50}, {0, 0, 0, 0}, {255, 200, 100, 50}},  // Alpha Add
    {5, {255, 200, 100, 50}, {0, 0, 0, 0}, {255, 200, 100, 50}},  // Multiply
    {27, {255, 200, 100, 50}, {0, 0, 0, 0}, {255, 200, 100, 50}},  // Color Dodge 2: also 23
    {1, {255, 200, 100, 50}, {0, 0, 0, 0}, {255, 200, 100, 50}},  // Behind
    {17, {255, 200, 100, 50}, {0, 0, 0, 0}, {0, 0, 0, 0}},  // Multiply Alpha
    {0, {128, 200, 100, 50}, {0, 0, 0, 0}, {128, 200, 100, 50}},  // Copy
    {2, {128, 200, 100, 50}, {0, 0, 0, 0}, {128, 200, 100, 50}},  // In Front
    {22, {128, 200, 100, 50}, {0, 0, 0, 0}, {128, 200, 100, 50}},  // Alpha Add
    {21, {128, 200, 100, 50}, {0, 0, 0, 0}, {128, 255, 199, 100}},  // Additive Premultiply
    {2, {128, 200, 100, 50}, {128, 100, 150, 200}, {192, 167, 117, 100}},  // In Front
    {22, {128, 200, 100, 50}, {128, 100, 150, 200}, {255, 150, 125, 125}},  // Alpha Add
    {5, {128, 200, 100, 50}, {128, 100, 150, 200}, {192, 126, 103, 96}},  // Multiply
    {26, {128, 200, 100, 50}, {128, 100, 150, 200}, {192, 133, 100, 133}},  // Difference 2: also 12
    {1, {128, 200, 100, 50}, {128, 100, 150, 200}, {192, 133, 133, 150}},  // Behind
    {1, {255, 200, 100, 50}, {128, 100, 150, 200}, {255, 150, 125, 125}},  // Behind
    {26, {255, 200, 100, 50}, {128, 100, 150, 200}, {255, 150, 75, 100}},  // Difference 2: also 12
    {27, {255, 200, 100, 50}, {128, 100, 150, 200}, {255, 228, 174, 150}},  // Color Dodge 2
};

// Dissolve of (128, 200, 100, 50) over (255, 100, 150, 200) at a few positions, with seed 0: the
// source is picked where hash ÷ 2^32 is below 128 ÷ 255.
const struct {
  A_long x, y;
  PF_Pixel8 expected;
} kDissolve[] = {
    {0, 0, {255, 100, 150, 200}},  // 0.738115: not picked
    {1, 0, {255, 200, 100, 50}},   // 0.231530: picked, at full opacity
    {2, 0, {255, 200, 100, 50}},   // 0.338443
    {1, 1, {255, 100, 150, 200}},  // 0.723610
    {4, 1, {255, 200, 100, 50}},   // 0.299195
};
// clang-format on

TEST(TransferModes, WorkedExamplesAtEightBits) {
  auto run = [](PF_TransferMode mode, A_long x, A_long y, PF_Pixel8 s, PF_Pixel8 b) {
    TestWorld<Argb32Traits> src(5, 2), dst(5, 2);
    src.At(x, y) = s;
    dst.At(x, y) = b;
    EXPECT_EQ(Transform(src, dst, FullOpacity(mode), Identity()), PF_Err_NONE);
    return dst.At(x, y);
  };
  for (const auto& e : kOpaquePair) {
    EXPECT_TRUE(PixelEq(e.expected, run(e.mode, 0, 0, {255, 200, 100, 50}, {255, 100, 150, 200})))
        << "mode " << e.mode;
  }
  for (const auto& e : kExamples) {
    EXPECT_TRUE(PixelEq(e.expected, run(e.mode, 0, 0, e.source, e.backdrop))) << "mode " << e.mode;
  }
  for (const auto& e : kDissolve) {
    EXPECT_TRUE(PixelEq(e.expected,
                        run(PF_Xfer_DISSOLVE, e.x, e.y, {128, 200, 100, 50}, {255, 100, 150, 200})))
        << "at " << e.x << ", " << e.y;
  }
}

// The same unit values at every depth agree within rounding (which also pins the 16-bit white at
// 32768 and the clamping at float). No pair below makes a Hard Mix sum
// or a Lighter/Darker Color comparison an exact tie, which the float inputs could tip.
const unsigned kPairs[][2][4] = {
    {{255, 200, 100, 50}, {255, 100, 150, 200}},
    {{128, 30, 220, 90}, {255, 240, 10, 128}},
    {{77, 3, 250, 13}, {200, 251, 7, 99}},
    {{255, 255, 255, 255}, {40, 60, 70, 80}},
    {{10, 0, 0, 0}, {0, 0, 0, 0}},
    {{0, 120, 60, 30}, {255, 90, 45, 200}},
    {{200, 2, 250, 127}, {128, 251, 3, 126}},
    {{255, 0, 0, 0}, {255, 255, 128, 1}},
    {{64, 180, 90, 250}, {190, 20, 200, 0}},
    {{255, 128, 64, 192}, {255, 64, 192, 128}},
};
constexpr A_long kPairCount = sizeof kPairs / sizeof kPairs[0];

// Every channel of every pair's result, each depth on its own scale (0..255, 0..32768, 0..1).
template <typename Px, typename Convert>
std::vector<double> RunPairs(PF_TransferMode mode, Convert convert) {
  TestWorld<Px> src(kPairCount, 1), dst(kPairCount, 1);
  for (A_long i = 0; i < kPairCount; ++i) {
    const auto& [s, b] = kPairs[i];
    src.At(i, 0) = {convert(s[0]), convert(s[1]), convert(s[2]), convert(s[3])};
    dst.At(i, 0) = {convert(b[0]), convert(b[1]), convert(b[2]), convert(b[3])};
  }
  EXPECT_EQ(Transform(src, dst, FullOpacity(mode), Identity()), PF_Err_NONE);
  std::vector<double> out;
  for (const auto& p : dst.Pixels())
    out.insert(out.end(), {double(p.alpha), double(p.red), double(p.green), double(p.blue)});
  return out;
}

TEST(TransferModes, EveryModeAgreesAcrossDepths) {
  // 8 bits against float holding k ÷ 255; 16 bits against float holding the same value exactly.
  auto eight = [](unsigned k) { return static_cast<A_u_char>(k); };
  auto sixteen = [](unsigned k) { return static_cast<A_u_short>(k == 255 ? 32768 : k * 128); };
  auto floatOf8 = [](unsigned k) { return static_cast<float>(k / 255.0); };
  auto floatOf16 = [&](unsigned k) { return static_cast<float>(sixteen(k) / 32768.0); };
  for (PF_TransferMode mode = PF_Xfer_COPY; mode <= PF_Xfer_RESERVED0; ++mode) {
    const auto r8 = RunPairs<Argb32Traits>(mode, eight),
               f8 = RunPairs<Argb128Traits>(mode, floatOf8);
    const auto r16 = RunPairs<Argb64Traits>(mode, sixteen),
               f16 = RunPairs<Argb128Traits>(mode, floatOf16);
    for (std::size_t i = 0; i < r8.size(); ++i) {
      // Rounding to nearest is at most half a step away; the float inputs add a hair.
      EXPECT_NEAR(r8[i], f8[i] * 255.0, 0.501) << "mode " << mode << ", value " << i;
      EXPECT_NEAR(r16[i], f16[i] * 32768.0, 0.501) << "mode " << mode << ", value " << i;
    }
  }
}

template <typename Px>
class TransferModeRules : public ::testing::Test {
 protected:
  // Stored values a composite would change if it touched them: above white at 16 bits, out of
  // range and not a number at float.
  static typename Px::Pixel Odd() {
    if constexpr (Px::kIsFloat)
      return {1.5f, -0.25f, std::numeric_limits<float>::quiet_NaN(), 2.5f};
    else if constexpr (Px::kMax == 255.0)
      return {17, 250, 3, 128};
    else
      return {40000, 32773, 65535, 123};
  }
};
TYPED_TEST_SUITE(TransferModeRules, AllFormats);

TYPED_TEST(TransferModeRules, TransparentSourceLeavesTheDestinationBitExact) {
  using Px = TypeParam;
  for (PF_TransferMode mode = PF_Xfer_BEHIND; mode <= PF_Xfer_RESERVED0; ++mode) {
    if (mode == PF_Xfer_MULTIPLY_ALPHA || mode == PF_Xfer_MULTIPLY_ALPHA_LUMA ||
        mode == PF_Xfer_ADDITIVE_PREMUL) {
      continue;  // these act at alpha 0, as their worked examples show
    }
    TestWorld<Px> src(3, 1), dst(3, 1), expected(3, 1);
    src.Pattern(1);
    PF_CompositeMode request = FullOpacity(mode);
    for (A_long x = 0; x < 3; ++x) dst.At(x, 0) = expected.At(x, 0) = this->Odd();
    src.At(0, 0).alpha = src.At(1, 0).alpha = 0;  // transparent, colour kept
    // Pixel 2 is opaque, but a zero opacity makes it transparent too: 8 bits read `opacity`,
    // the deeper formats `opacitySu`.
    src.At(2, 0).alpha = TestWorld<Px>::Make(255, 0, 0, 0).alpha;
    if constexpr (Px::kMax == 255.0)
      request.opacity = 0;
    else
      request.opacitySu = 0;
    ASSERT_EQ(Transform(src, dst, request, Identity()), PF_Err_NONE);
    EXPECT_TRUE(SameBytes(expected.Pixels(), dst.Pixels())) << "mode " << mode;
  }
}

TYPED_TEST(TransferModeRules, CopyGivesExactlyTheLayerAndUnnamedModesNothing) {
  using Px = TypeParam;
  for (PF_TransferMode mode :
       {PF_TransferMode{PF_Xfer_COPY}, PF_TransferMode{PF_Xfer_RESERVED0}, -1, 40, 1000}) {
    TestWorld<Px> src(4, 3), dst(4, 3), before(4, 3);
    src.Pattern(6);
    src.At(1, 1) = src.At(2, 1) = this->Odd();
    src.At(2, 1).alpha = 0;  // transparent with colour: Copy copies the colour too
    dst.Pattern(7);
    before.Pattern(7);
    ASSERT_EQ(Transform(src, dst, FullOpacity(mode), Identity()), PF_Err_NONE);
    EXPECT_TRUE(SameBytes(mode == PF_Xfer_COPY ? src.Pixels() : before.Pixels(), dst.Pixels()))
        << "mode " << mode;
  }
}

TEST(Dissolve, HashesThePositionAndPicksInProportionToAlpha) {
  EXPECT_EQ(DissolveHash(0, 0, 0), 0xBCF51837u);
  EXPECT_EQ(DissolveHash(1, 0, 0), 0x3B458800u);
  EXPECT_EQ(DissolveHash(2, 0, 0), 0x56A43A15u);
  EXPECT_EQ(DissolveHash(1, 1, 0), 0xB93E829Eu);
  EXPECT_EQ(DissolveHash(4, 1, 0), 0x4C98084Du);

  TestWorld<Argb32Traits> src(256, 256), dst(256, 256), reseeded(256, 256);
  for (A_long y = 0; y < 256; ++y) {
    for (A_long x = 0; x < 256; ++x) src.At(x, y) = {128, 255, 255, 255};
  }
  ASSERT_EQ(Transform(src, dst, FullOpacity(PF_Xfer_DISSOLVE), Identity()), PF_Err_NONE);
  ASSERT_EQ(Transform(src, reseeded, FullOpacity(PF_Xfer_DISSOLVE, 7), Identity()), PF_Err_NONE);
  int picked = 0, differs = 0;
  for (A_long y = 0; y < 256; ++y) {
    for (A_long x = 0; x < 256; ++x) {
      // Picked: the source at full opacity. Not picked: the transparent backdrop, untouched.
      const PF_Pixel8 p = dst.At(x, y);
      const A_u_char v = p.alpha == 255 ? 255 : 0;
      EXPECT_TRUE(PixelEq(PF_Pixel8{v, v, v, v}, p));
      picked += p.alpha == 255;
      differs += p.alpha != reseeded.At(x, y).alpha;
    }
  }
  EXPECT_NEAR(picked / 65536.0, 0.5015, 0.00006);
  EXPECT_GT(differs, 20000);  // another seed, another pattern
}

}  // namespace
}  // namespace jf::headless::testing
