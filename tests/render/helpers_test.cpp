// The per-depth pixel helpers, rectangles, matrices and the seeded generator.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <thread>
#include <vector>

#include "render/pixel_traits.h"
#include "render/rect.h"
#include "render/seeded_random.h"
#include "render/transform_matrix.h"

namespace jf {
namespace {

std::vector<A_long> Draws(int n) {
  std::vector<A_long> out;
  for (int i = 0; i < n; ++i) out.push_back(SeededRandom::Next());
  return out;
}

TEST(SeededRandom, MatchesTheWindowsRuntimeSequences) {
  SeededRandom::Seed(1);
  EXPECT_EQ(Draws(6), (std::vector<A_long>{41, 18467, 6334, 26500, 19169, 15724}));
  SeededRandom::Seed(0);
  EXPECT_EQ(Draws(3), (std::vector<A_long>{38, 7719, 21238}));
  SeededRandom::Seed(-1);
  EXPECT_EQ(Draws(3), (std::vector<A_long>{35, 29739, 3374}));
}

TEST(SeededRandom, StateIsPerThreadAndStartsAtOne) {
  SeededRandom::Seed(12345);
  A_long first = 0;
  std::thread([&] { first = SeededRandom::Next(); }).join();
  EXPECT_EQ(first, 41);
  SeededRandom::Seed(12345);
  const A_long mine = SeededRandom::Next();
  SeededRandom::Seed(12345);
  std::thread([] {
    SeededRandom::Seed(7);
    SeededRandom::Next();
  }).join();
  EXPECT_EQ(SeededRandom::Next(), mine);
}

TEST(PixelTraits, SetGreyTruncatesAndWraps) {
  PF_Pixel8 p8{};
  SetGrey(p8, 1.0f);
  EXPECT_EQ(p8.alpha, 255);
  EXPECT_EQ(p8.blue, 255);
  SetGrey(p8, 1.5f);  // 382 keeps its low 8 bits
  EXPECT_EQ(p8.alpha, 126);
  EXPECT_EQ(p8.red, 126);
  SetGrey(p8, -0.5f);  // -127 keeps its low 8 bits
  EXPECT_EQ(p8.green, 129);

  PF_Pixel16 p16{};
  SetGrey(p16, 1.0f);
  EXPECT_EQ(p16.alpha, 32768);
  SetGrey(p16, 2.0f);
  EXPECT_EQ(p16.red, 0);

  PF_PixelFloat pf{};
  SetGrey(pf, 1.5f);
  EXPECT_EQ(pf.blue, 1.5f);
}

TEST(PixelTraits, NonFiniteUnitValuesGiveZeroInsteadOfUndefinedBehaviour) {
  PF_Pixel8 p8{9, 9, 9, 9};
  SetGrey(p8, std::nanf(""));
  EXPECT_EQ(p8.alpha, 0);
  PF_Pixel16 p16{9, 9, 9, 9};
  SetRGB(p16, INFINITY, -INFINITY, 0.5f);
  EXPECT_EQ(p16.red, 0);
  EXPECT_EQ(p16.green, 0);
  EXPECT_EQ(p16.blue, 16384);
  EXPECT_EQ(p16.alpha, 9);
}

TEST(PixelTraits, SetArgbTakesRedGreenBlueThenAlpha) {
  PF_Pixel8 p{};
  SetARGB(p, 0.2f, 0.4f, 0.6f, 1.0f);
  EXPECT_EQ(p.alpha, 255);
  EXPECT_EQ(p.red, 51);
  EXPECT_EQ(p.green, 102);
  EXPECT_EQ(p.blue, 153);
}

TEST(PixelTraits, AlphaLuma) {
  EXPECT_EQ(AlphaLuma(PF_Pixel8{255, 255, 255, 255}), 1.0f);
  EXPECT_EQ(AlphaLuma(PF_Pixel16{32768, 32768, 32768, 32768}), 1.0f);
  EXPECT_EQ(AlphaLuma(PF_PixelFloat{1, 1, 1, 1}), 1.0f);
  EXPECT_EQ(AlphaLuma(PF_Pixel8{0, 200, 100, 50}), 0.0f);
  const float expected = static_cast<float>(0.299 * 255.0 * 128.0 / 255.0 / 255.0);
  EXPECT_EQ(AlphaLuma(PF_Pixel8{128, 255, 0, 0}), expected);
  EXPECT_NEAR(expected, 0.1501, 1e-4);
}

TEST(PixelTraits, PixelAtUsesRowbytes) {
  std::vector<PF_Pixel16> buffer(3 * 5);
  PF_EffectWorld world{};
  world.data = reinterpret_cast<PF_PixelPtr>(buffer.data());
  world.rowbytes = 5 * sizeof(PF_Pixel16);  // wider than the 3 pixels in use
  world.width = 3;
  world.height = 3;
  EXPECT_EQ(PixelAt<PF_Pixel16>(&world, 2, 1), &buffer[7]);
  PixelAt<PF_Pixel16>(&world, 0, 0)->red = 77;
  CopyPixelBetween<PF_Pixel16>(&world, 0, 0, &world, 2, 2);
  EXPECT_EQ(buffer[12].red, 77);
}

TEST(Rect, UnionInto) {
  PF_LRect dst = MakeRect(0, 0, 10, 10);
  UnionInto(MakeRect(3, 3, 3, 9), dst);  // empty source
  EXPECT_EQ(dst.left, 0);
  EXPECT_EQ(dst.top, 0);
  EXPECT_EQ(dst.right, 10);
  EXPECT_EQ(dst.bottom, 10);
  UnionInto(MakeRect(5, 5, 20, 8), dst);
  EXPECT_EQ(dst.right, 20);
  EXPECT_EQ(dst.bottom, 10);
  PF_LRect empty = MakeRect(4, 4, 4, 4);
  UnionInto(MakeRect(7, 7, 6, 9), empty);  // even an empty source replaces an empty destination
  EXPECT_EQ(empty.left, 7);
  EXPECT_EQ(empty.right, 6);
}

TEST(Rect, InsideStrictExcludesEdgesContainsIncludesLeftTop) {
  const PF_LRect r = MakeRect(0, 0, 10, 10);
  EXPECT_FALSE(InsideStrict(r, 0, 5));
  EXPECT_FALSE(InsideStrict(r, 10, 5));
  EXPECT_TRUE(InsideStrict(r, 1, 5));
  EXPECT_TRUE(Contains(r, 0, 0));
  EXPECT_FALSE(Contains(r, 10, 5));
  EXPECT_FALSE(Contains(r, 5, 10));
}

double HostSin(double x) {
  return std::sin(x);
}
double HostCos(double x) {
  return std::cos(x);
}

TEST(TransformMatrix, RotationKeepsItsCentreAndZeroIsBitExact) {
  PF_ANSICallbacksSuite1 ansi{};
  ansi.sin = HostSin;
  ansi.cos = HostCos;
  PF_FloatMatrix m;
  Identity(m);
  PostTranslate(m, 0.1, 0.3);
  PF_FloatMatrix before = m;
  PostRotateAbout(m, 0.0, 5.0, 7.0, &ansi);
  EXPECT_EQ(std::memcmp(&before, &m, sizeof m), 0);

  Identity(m);
  PostRotateAbout(m, 0.7, 5.0, 7.0, &ansi);
  const double x = 5.0 * m.mat[0][0] + 7.0 * m.mat[1][0] + m.mat[2][0];
  const double y = 5.0 * m.mat[0][1] + 7.0 * m.mat[1][1] + m.mat[2][1];
  EXPECT_NEAR(x, 5.0, 1e-12);
  EXPECT_NEAR(y, 7.0, 1e-12);
}

TEST(TransformMatrix, PostMultiplyIsRowVectorOrder) {
  PF_FloatMatrix n;
  Identity(n);
  PostTranslate(n, 2.0, 3.0);
  PF_FloatMatrix scale;
  Identity(scale);
  scale.mat[0][0] = 10.0;
  scale.mat[1][1] = 10.0;
  PostMultiply(scale, n);  // translate first, then scale
  EXPECT_EQ(n.mat[2][0], 20.0);
  EXPECT_EQ(n.mat[2][1], 30.0);
}

}  // namespace
}  // namespace jf
