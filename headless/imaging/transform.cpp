// transform_world: the source resampled through a 3 × 3 matrix and composited onto the
// destination; the contract is in imaging.h, the per-pixel modes in composite.cpp.
//
// Geometry. Pixel (i, j) covers the square [i, i + 1) × [j, j + 1), so its centre is
// (i + 0.5, j + 0.5); a rotation about (W ÷ 2, H ÷ 2) then turns the image about its true
// centre, and a quarter turn or a whole-pixel shift maps pixel centres onto pixel centres.
// Points are row vectors: (x', y', w') = (x, y, 1) · M, and the position is (x' ÷ w', y' ÷ w').
// For each destination pixel the centre is mapped back into the source (through M's inverse
// when M maps source to destination) and the source is sampled there:
// - low quality: the source pixel that contains the position (nearest);
// - high quality: bilinear between the four nearest pixel centres.
// Outside the source everything is transparent (all channels 0): the composite then sees a
// transparent source pixel, which most modes ignore and Copy writes.
#include <algorithm>
#include <cmath>
#include <new>
#include <stdexcept>
#include <optional>
#include <vector>

#include "headless/imaging/composite.h"
#include "headless/imaging/imaging.h"
#include "headless/imaging/pixel_formats.h"
#include "headless/thread_pool.h"

namespace jf::headless {
namespace {

struct Matrix3 {
  double m[3][3];
};

bool AllFinite(const Matrix3& a) {
  for (const auto& row : a.m) {
    for (double v : row) {
      if (!std::isfinite(v)) return false;
    }
  }
  return true;
}

// The inverse by the adjugate; none when the matrix is singular or the inverse is not finite.
std::optional<Matrix3> Inverse(const Matrix3& a) {
  const auto& m = a.m;
  const double c00 = m[1][1] * m[2][2] - m[1][2] * m[2][1];
  const double c01 = m[1][2] * m[2][0] - m[1][0] * m[2][2];
  const double c02 = m[1][0] * m[2][1] - m[1][1] * m[2][0];
  const double det = m[0][0] * c00 + m[0][1] * c01 + m[0][2] * c02;
  if (det == 0.0 || !std::isfinite(det)) return std::nullopt;
  Matrix3 inv{{{c00 / det, (m[0][2] * m[2][1] - m[0][1] * m[2][2]) / det,
                (m[0][1] * m[1][2] - m[0][2] * m[1][1]) / det},
               {c01 / det, (m[0][0] * m[2][2] - m[0][2] * m[2][0]) / det,
                (m[0][2] * m[1][0] - m[0][0] * m[1][2]) / det},
               {c02 / det, (m[0][1] * m[2][0] - m[0][0] * m[2][1]) / det,
                (m[0][0] * m[1][1] - m[0][1] * m[1][0]) / det}}};
  if (!AllFinite(inv)) return std::nullopt;
  return inv;
}

// When the destination-to-source matrix is a shift by whole pixels, source pixel (x + dx, y + dy)
// meets destination pixel (x, y) exactly, with no resampling at either quality.
std::optional<std::pair<std::int64_t, std::int64_t>> WholePixelShift(const Matrix3& a) {
  const auto& m = a.m;
  if (m[0][0] != 1.0 || m[0][1] != 0.0 || m[0][2] != 0.0 || m[1][0] != 0.0 || m[1][1] != 1.0 ||
      m[1][2] != 0.0 || m[2][2] != 1.0) {
    return std::nullopt;
  }
  constexpr double kLimit = 4294967296.0;  // further than any two 32-bit coordinates apart
  const double dx = m[2][0], dy = m[2][1];
  if (std::floor(dx) != dx || std::floor(dy) != dy || std::fabs(dx) > kLimit ||
      std::fabs(dy) > kLimit) {
    return std::nullopt;
  }
  return std::pair{static_cast<std::int64_t>(dx), static_cast<std::int64_t>(dy)};
}

// Sample positions closer than this to a pixel centre read that pixel exactly. A weight of 1e-6
// cannot move an 8- or 16-bit result, and it keeps the rounding error of a computed quarter turn
// (cos 90° ≈ 6e-17) from blending neighbours at high quality.
constexpr double kSnap = 1e-6;

template <HeadlessPixelTraits Px>
class Sampler {
 public:
  using Pixel = typename Px::Pixel;

  Sampler(const PF_EffectWorld& src, bool bilinear)
      : m_src(src),
        m_width(std::max<A_long>(src.width, 0)),
        m_height(std::max<A_long>(src.height, 0)),
        m_bilinear(bilinear) {}

  /// The stored pixel (i, j), or transparent outside the source.
  Pixel At(std::int64_t i, std::int64_t j) const {
    if (i < 0 || j < 0 || i >= m_width || j >= m_height) return Pixel{};
    return RowOf<Px>(m_src, static_cast<A_long>(j))[i];
  }

  /// The source seen at the continuous position (u, v).
  Pixel Sample(double u, double v) const {
    if (!m_bilinear) {
      if (!(u >= 0.0 && u < m_width && v >= 0.0 && v < m_height)) return Pixel{};
      return At(static_cast<std::int64_t>(u), static_cast<std::int64_t>(v));
    }
    // Pixel-centre coordinates: the integer part names the upper-left of the four neighbours.
    const double fu = u - 0.5, fv = v - 0.5;
    if (!(fu > -1.0 && fu < m_width && fv > -1.0 && fv < m_height)) return Pixel{};
    std::int64_t i = static_cast<std::int64_t>(std::floor(fu));
    std::int64_t j = static_cast<std::int64_t>(std::floor(fv));
    double tx = fu - static_cast<double>(i), ty = fv - static_cast<double>(j);
    Snap(i, tx);
    Snap(j, ty);
    if (tx == 0.0 && ty == 0.0) return At(i, j);
    return Blend(i, j, tx, ty);
  }

 private:
  static void Snap(std::int64_t& index, double& t) {
    if (t < kSnap) {
      t = 0.0;
    } else if (t > 1.0 - kSnap) {
      ++index;
      t = 0.0;
    }
  }

  // Straight alpha is interpolated premultiplied: colour is weighted by alpha and divided by
  // the interpolated alpha, so transparent neighbours (and the transparent outside) dim the
  // alpha of an edge but never darken its colour. Where every neighbour is transparent the
  // colour is the plain weighted mean, as a transparent pixel still carries colour.
  Pixel Blend(std::int64_t i, std::int64_t j, double tx, double ty) const {
    const double weights[4] = {(1.0 - tx) * (1.0 - ty), tx * (1.0 - ty), (1.0 - tx) * ty, tx * ty};
    const Pixel taps[4] = {At(i, j), At(i + 1, j), At(i, j + 1), At(i + 1, j + 1)};
    double alpha = 0.0, premul[3] = {0.0, 0.0, 0.0}, plain[3] = {0.0, 0.0, 0.0};
    for (int k = 0; k < 4; ++k) {
      const double w = weights[k];
      const double a = ToUnit<Px>(taps[k].alpha);
      const double c[3] = {ToUnit<Px>(taps[k].red), ToUnit<Px>(taps[k].green),
                           ToUnit<Px>(taps[k].blue)};
      alpha += w * a;
      for (int n = 0; n < 3; ++n) {
        premul[n] += w * a * c[n];
        plain[n] += w * c[n];
      }
    }
    double colour[3];
    for (int n = 0; n < 3; ++n) colour[n] = alpha > 0.0 ? premul[n] / alpha : plain[n];
    return Pixel{FromUnit<Px>(alpha), FromUnit<Px>(colour[0]), FromUnit<Px>(colour[1]),
                 FromUnit<Px>(colour[2])};
  }

  const PF_EffectWorld& m_src;
  std::int64_t m_width, m_height;
  bool m_bilinear;
};

template <HeadlessPixelTraits Px>
PF_Err TransformPixels(bool bilinear, const PF_EffectWorld& srcWorld, const CompositeSetup& setup,
                       const Matrix3& dstToSrc, const Box& area, PF_EffectWorld& dst) {
  using Pixel = typename Px::Pixel;

  std::vector<Pixel> snapshot;
  PF_EffectWorld src;
  if (PF_Err err = ReadableSource<Px>(srcWorld, dst, snapshot, src); err != PF_Err_NONE) {
    return err;
  }
  const Sampler<Px> sampler(src, bilinear);
  const auto shift = WholePixelShift(dstToSrc);
  const auto& m = dstToSrc.m;
  const CompositeRowFn<Px> composite = CompositeRowFor<Px>(setup);
  const bool skipsTransparent = SkipsTransparentSource(setup);
  const std::int64_t srcWidth = std::max<A_long>(src.width, 0);
  const std::int64_t srcHeight = std::max<A_long>(src.height, 0);
  const auto width = static_cast<std::size_t>(area.right - area.left);

  // Composites count transparent source pixels from destination column x of row y.
  auto transparentSpan = [&](std::vector<Pixel>& clear, std::int64_t x, std::int64_t count,
                             std::int64_t y, Pixel* out) {
    if (count <= 0 || skipsTransparent) return;
    clear.resize(width);  // value-initialised: every channel 0
    composite(setup, clear.data(), out + x, static_cast<A_long>(count), static_cast<A_long>(x),
              static_cast<A_long>(y));
  };

  // Rows are independent: each destination pixel reads only the source and itself. A row's
  // samples are all taken before any of its pixels is composited; the source is never the
  // destination here, so that order changes nothing.
  try {
    ParallelFor(area.top, area.bottom, 0, [&](std::int64_t rowsBegin, std::int64_t rowsEnd, int) {
      std::vector<Pixel> samples;
      std::vector<Pixel> clear;
      for (std::int64_t y = rowsBegin; y != rowsEnd; ++y) {
        Pixel* out = RowOf<Px>(dst, static_cast<A_long>(y));
        if (shift) {
          // Whole pixels: the source row is read in place over the columns it covers.
          const std::int64_t sy = y + shift->second;
          std::int64_t first = area.left, last = area.left;
          if (sy >= 0 && sy < srcHeight) {
            first = std::clamp(-shift->first, area.left, area.right);
            last = std::clamp(srcWidth - shift->first, first, area.right);
          }
          transparentSpan(clear, area.left, first - area.left, y, out);
          if (first < last) {
            const Pixel* in = RowOf<Px>(src, static_cast<A_long>(sy));
            composite(setup, in + (first + shift->first), out + first,
                      static_cast<A_long>(last - first), static_cast<A_long>(first),
                      static_cast<A_long>(y));
          }
          transparentSpan(clear, last, area.right - last, y, out);
          continue;
        }
        samples.resize(width);
        for (std::int64_t x = area.left; x < area.right; ++x) {
          const double cx = static_cast<double>(x) + 0.5, cy = static_cast<double>(y) + 0.5;
          const double w = cx * m[0][2] + cy * m[1][2] + m[2][2];
          Pixel& s = samples[static_cast<std::size_t>(x - area.left)];
          if (w == 0.0 || !std::isfinite(w)) {
            s = Pixel{};
          } else {
            s = sampler.Sample((cx * m[0][0] + cy * m[1][0] + m[2][0]) / w,
                               (cx * m[0][1] + cy * m[1][1] + m[2][1]) / w);
          }
        }
        composite(setup, samples.data(), out + area.left, static_cast<A_long>(width),
                  static_cast<A_long>(area.left), static_cast<A_long>(y));
      }
    });
  } catch (const std::bad_alloc&) {
    return PF_Err_OUT_OF_MEMORY;  // a row's scratch could not be had
  }
  return PF_Err_NONE;
}

}  // namespace

PF_Err TransformWorldImpl(PF_PixelFormat format, PF_Quality quality, PF_ModeFlags /*modeFlags*/,
                          PF_Field /*field*/, const PF_EffectWorld& src,
                          const PF_CompositeMode& mode, const PF_MaskWorld* /*mask*/,
                          const PF_FloatMatrix* matrices, A_long numMatrices, bool srcToDst,
                          const PF_Rect* destRect, PF_EffectWorld& dst) {
  // One matrix is a plain transform; several would ask for motion blur, which this host does
  // not render.
  if (matrices == nullptr || numMatrices != 1) return PF_Err_BAD_CALLBACK_PARAM;
  Matrix3 given;
  std::copy(&matrices->mat[0][0], &matrices->mat[0][0] + 9, &given.m[0][0]);
  if (!AllFinite(given)) return PF_Err_BAD_CALLBACK_PARAM;
  Matrix3 dstToSrc = given;
  if (srcToDst) {
    const auto inverse = Inverse(given);
    if (!inverse) return PF_Err_BAD_CALLBACK_PARAM;  // a singular matrix maps nothing back
    dstToSrc = *inverse;
  }

  return DispatchFormat(format, [&]<typename Px>(Px) -> PF_Err {
    const CompositeSetup setup = MakeCompositeSetup(mode);
    if (!ChangesPixels(setup.mode)) return PF_Err_NONE;
    const Box area = Intersect(BoxOr(destRect, dst), WorldBox(dst));
    if (area.Empty()) return PF_Err_NONE;
    return TransformPixels<Px>(quality == PF_Quality_HI, src, setup, dstToSrc, area, dst);
  });
}

}  // namespace jf::headless
