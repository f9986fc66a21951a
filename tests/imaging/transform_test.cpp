// transform_world's geometry: exact identity and whole-pixel shifts, quarter and half turns,
// bilinear edges, bad requests, in-place sources and thread-count independence.
#include <cmath>
#include <numbers>
#include <utility>

#include <gtest/gtest.h>
#include "headless/thread_pool.h"

#include "headless/imaging/composite.h"
#include "tests/imaging/test_worlds.h"

namespace jf::headless::testing {
namespace {

template <typename Px>
class TransformGeometry : public ::testing::Test {};
TYPED_TEST_SUITE(TransformGeometry, AllFormats);

PF_FloatMatrix Translation(double tx, double ty) {
  return PF_FloatMatrix{{{1, 0, 0}, {0, 1, 0}, {tx, ty, 1}}};
}

// Rotation by degrees about (cx, cy), then a shift, in row-vector form, with the sine and cosine
// computed as a caller would (a quarter turn carries cos 90° ≈ 6e-17).
PF_FloatMatrix Rotation(double degrees, double cx, double cy, double tx = 0, double ty = 0) {
  const double r = degrees * std::numbers::pi / 180.0, c = std::cos(r), s = std::sin(r);
  return PF_FloatMatrix{
      {{c, s, 0}, {-s, c, 0}, {cx - cx * c + cy * s + tx, cy - cx * s - cy * c + ty, 1}}};
}

TYPED_TEST(TransformGeometry, IdentityAndWholePixelShiftsAreExact) {
  using Px = TypeParam;
  // The identity, and a shift by (2, −1) given either way round.
  const struct {
    PF_FloatMatrix matrix;
    bool srcToDst;
    A_long dx, dy;
  } requests[] = {{Identity(), true, 0, 0},
                  {Identity(), false, 0, 0},
                  {Translation(2, -1), true, 2, -1},
                  {Translation(-2, 1), false, 2, -1}};
  for (const auto& r : requests) {
    for (PF_Quality quality : {PF_Quality_LO, PF_Quality_HI}) {
      TestWorld<Px> src(6, 4), copied(6, 4), expected(6, 4), over(6, 4), before(6, 4);
      src.Pattern(3);  // partial alphas: any resampling would show
      over.Pattern(4);
      before.Pattern(4);
      for (A_long y = 0; y < 4; ++y) {
        for (A_long x = 0; x < 6; ++x) {
          const A_long sx = x - r.dx, sy = y - r.dy;
          // Copy writes transparent where the layer does not reach.
          if (sx >= 0 && sy >= 0 && sx < 6 && sy < 4) expected.At(x, y) = src.At(sx, sy);
        }
      }
      ASSERT_EQ(Transform(src, copied, FullOpacity(PF_Xfer_COPY), r.matrix, quality, r.srcToDst),
                PF_Err_NONE);
      EXPECT_TRUE(SameBytes(expected.Pixels(), copied.Pixels())) << r.dx << ", " << quality;
      // Where the layer does not reach, In Front leaves the destination as it was.
      ASSERT_EQ(Transform(src, over, FullOpacity(PF_Xfer_IN_FRONT), r.matrix, quality, r.srcToDst),
                PF_Err_NONE);
      for (A_long x = 0; x < r.dx; ++x) EXPECT_TRUE(PixelEq(before.At(x, 1), over.At(x, 1)));
    }
  }
}

// Every mode through a whole-pixel shift, at full and partial opacity, with and without
// rgb_only, over a clipped destination rectangle: each destination pixel is what the per-pixel
// composite makes of the shifted source pixel there, or of a transparent one past its edges.
TYPED_TEST(TransformGeometry, ShiftsCompositeEveryModeAsThePixelCompositeDoes) {
  using Px = TypeParam;
  using Pixel = typename Px::Pixel;
  constexpr A_long kW = 9, kH = 5;
  const PF_Rect rect{1, 0, 8, 5};
  for (PF_TransferMode mode = PF_Xfer_COPY; mode <= PF_Xfer_RESERVED0 + 1; ++mode) {
    for (const auto& [dx, dy] : {std::pair{0, 0}, std::pair{3, -2}, std::pair{-4, 1}}) {
      for (const PF_CompositeMode request :
           {FullOpacity(mode, 7), PF_CompositeMode{mode, 7, 128, true, 0x4000}}) {
        TestWorld<Px> src(kW, kH), dst(kW, kH), expected(kW, kH);
        src.Pattern(2);
        for (A_long x = 0; x < kW; ++x) src.At(x, 1).alpha = 0;  // a transparent row of colour
        dst.Pattern(6);
        expected.Pattern(6);
        const CompositeSetup setup = MakeCompositeSetup(request);
        for (A_long y = 0; y < kH && ChangesPixels(mode); ++y) {
          for (A_long x = rect.left; x < rect.right; ++x) {
            const A_long sx = x - dx, sy = y - dy;
            const bool inside = sx >= 0 && sy >= 0 && sx < kW && sy < kH;
            CompositePixel<Px>(setup, inside ? src.At(sx, sy) : Pixel{}, expected.At(x, y), x, y);
          }
        }
        ASSERT_EQ(Transform(src, dst, request, Translation(dx, dy), PF_Quality_HI, true, &rect),
                  PF_Err_NONE);
        EXPECT_TRUE(SameBytes(expected.Pixels(), dst.Pixels()))
            << "mode " << mode << ", shift " << dx << ", " << dy << ", opacity " << request.opacity;
      }
    }
  }
}

TYPED_TEST(TransformGeometry, QuarterAndHalfTurnsMapPixelCentresOntoPixelCentres) {
  using Px = TypeParam;
  using Pixel = typename Px::Pixel;
  // Source 3 × 2:   A B C      turned a quarter clockwise (y down) into 2 × 3:   D A
  //                 D E F                                                        E B
  //                                                                              F C
  TestWorld<Px> src(3, 2);
  src.Pattern(5);
  const Pixel A = src.At(0, 0), B = src.At(1, 0), C = src.At(2, 0);
  const Pixel D = src.At(0, 1), E = src.At(1, 1), F = src.At(2, 1);
  const Pixel turnedExpected[3][2] = {{D, A}, {E, B}, {F, C}};
  const Pixel flippedExpected[2][3] = {{F, E, D}, {C, B, A}};
  for (PF_Quality quality : {PF_Quality_LO, PF_Quality_HI}) {
    TestWorld<Px> turned(2, 3), flipped(3, 2);
    // About the source's centre (1.5, 1), then moved so that the result starts at the origin.
    ASSERT_EQ(
        Transform(src, turned, FullOpacity(PF_Xfer_COPY), Rotation(90, 1.5, 1, -0.5, 0.5), quality),
        PF_Err_NONE);
    ASSERT_EQ(Transform(src, flipped, FullOpacity(PF_Xfer_COPY), Rotation(180, 1.5, 1), quality),
              PF_Err_NONE);
    for (A_long y = 0; y < 3; ++y) {
      for (A_long x = 0; x < 2; ++x) {
        EXPECT_TRUE(PixelEq(turnedExpected[y][x], turned.At(x, y)))
            << quality << ": " << x << ", " << y;
        EXPECT_TRUE(PixelEq(flippedExpected[x][y], flipped.At(y, x)))
            << quality << ": " << y << ", " << x;
      }
    }
  }
}

TEST(TransformResampling, BilinearEdgesFadeAlphaWithoutDarkeningColour) {
  // An opaque red pixel beside a transparent one, shifted right by half a pixel: half of the red
  // reaches each of the first two pixels (alpha 127.5, rounded to 128) and stays red instead of
  // being averaged with the transparent black.
  TestWorld<Argb32Traits> src(2, 1), dst(3, 1);
  src.At(0, 0) = {255, 200, 0, 0};
  ASSERT_EQ(Transform(src, dst, FullOpacity(PF_Xfer_COPY), Translation(0.5, 0)), PF_Err_NONE);
  EXPECT_TRUE(PixelEq(PF_Pixel8{128, 200, 0, 0}, dst.At(0, 0)));
  EXPECT_TRUE(PixelEq(PF_Pixel8{128, 200, 0, 0}, dst.At(1, 0)));
  EXPECT_TRUE(PixelEq(PF_Pixel8{0, 0, 0, 0}, dst.At(2, 0)));

  // Opaque 0 and 200 shifted by a quarter: 0.25 × 0 + 0.75 × 200 = 150 at pixel 1; nearest
  // sampling takes pixel 1 itself, under the centre 1.5 − 0.25.
  TestWorld<Argb32Traits> grey(2, 1), bilinear(2, 1), nearest(2, 1);
  grey.At(0, 0) = {255, 0, 0, 0};
  grey.At(1, 0) = {255, 200, 200, 200};
  ASSERT_EQ(Transform(grey, bilinear, FullOpacity(PF_Xfer_COPY), Translation(0.25, 0)),
            PF_Err_NONE);
  ASSERT_EQ(
      Transform(grey, nearest, FullOpacity(PF_Xfer_COPY), Translation(0.25, 0), PF_Quality_LO),
      PF_Err_NONE);
  EXPECT_TRUE(PixelEq(PF_Pixel8{255, 150, 150, 150}, bilinear.At(1, 0)));
  EXPECT_TRUE(PixelEq(PF_Pixel8{255, 200, 200, 200}, nearest.At(1, 0)));
}

TYPED_TEST(TransformGeometry, WritesOnlyTheDestinationRectangleAndRefusesBadRequests) {
  using Px = TypeParam;
  TestWorld<Px> src(5, 4), dst(5, 4), expected(5, 4);
  src.Pattern(6);
  dst.Pattern(7);
  expected.Pattern(7);
  for (A_long y = 0; y < 2; ++y) {
    for (A_long x = 3; x < 5; ++x) expected.At(x, y) = src.At(x, y);
  }
  const PF_Rect rect{3, -2, 9, 2};  // clipped to (3, 0)–(5, 2)
  ASSERT_EQ(Transform(src, dst, FullOpacity(PF_Xfer_COPY), Identity(), PF_Quality_HI, true, &rect),
            PF_Err_NONE);

  const PF_FloatMatrix two[2] = {Identity(), Identity()};
  const PF_FloatMatrix singular{{{1, 2, 0}, {2, 4, 0}, {0, 0, 1}}};
  const PF_FloatMatrix notFinite{{{1, 0, 0}, {0, NAN, 0}, {0, 0, 1}}};
  auto call = [&](const PF_FloatMatrix* m, A_long count, PF_PixelFormat format = Px::kFormat) {
    return TransformWorldImpl(format, PF_Quality_HI, PF_MF_Alpha_STRAIGHT, PF_Field_FRAME,
                              src.World(), FullOpacity(PF_Xfer_COPY), nullptr, m, count, true,
                              nullptr, dst.World());
  };
  EXPECT_EQ(call(two, 2), PF_Err_BAD_CALLBACK_PARAM);  // motion blur is not rendered
  EXPECT_EQ(call(two, 0), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(call(nullptr, 1), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(call(&singular, 1), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(call(&notFinite, 1), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(call(two, 1, PF_PixelFormat_BGRA32), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_TRUE(SameBytes(expected.Pixels(), dst.Pixels()));
}

TYPED_TEST(TransformGeometry, SameBytesInPlaceAndOnAnyNumberOfThreads) {
  using Px = TypeParam;
  const PF_FloatMatrix turn = Rotation(30, 60, 40, 3.25, -7.5);
  for (PF_TransferMode mode : {PF_Xfer_IN_FRONT, PF_Xfer_DISSOLVE, PF_Xfer_HUE}) {
    TestWorld<Px> src(120, 80), one(120, 80), two(120, 80), inPlace(120, 80);
    // Each composites over a copy of the source; inPlace over the source itself, as the effect's
    // copy of a world onto itself does.
    for (TestWorld<Px>* w : {&src, &one, &two, &inPlace}) w->Pattern(11);
    MakeThreadPool(1)->Execute(
        [&] { EXPECT_EQ(Transform(src, one, FullOpacity(mode), turn), PF_Err_NONE); });
    MakeThreadPool(2)->Execute(
        [&] { EXPECT_EQ(Transform(src, two, FullOpacity(mode), turn), PF_Err_NONE); });
    EXPECT_EQ(Transform(inPlace, inPlace, FullOpacity(mode), turn), PF_Err_NONE);
    const auto reference = one.Pixels();
    EXPECT_TRUE(SameBytes(reference, two.Pixels())) << "mode " << mode;
    EXPECT_TRUE(SameBytes(reference, inPlace.Pixels())) << "mode " << mode;
  }
}

}  // namespace
}  // namespace jf::headless::testing
