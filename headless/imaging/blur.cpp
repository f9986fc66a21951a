// The fast blur: a Gaussian approximated by three box passes in each direction; the contract is
// in imaging.h.
//
// - Widths: the blur's standard deviation σ is the radius, and the three box widths are the
//   "boxes for Gauss" of P. Kovesi ("Fast Almost-Gaussian Filtering", DICTA 2010): the odd
//   widths wl and wl + 2 around √(12σ²/3 + 1), m of the first and 3 − m of the second, chosen so
//   that the three boxes' variances add up to σ² as closely as odd widths allow. Three boxes of
//   radius r have σ² = r(r + 1), so this is also close to three box passes of the given radius.
//   Below σ ≈ 0.58 every box is one pixel wide and the blur leaves the world as it is.
// - Cost: each box is a difference of two prefix sums, so a pixel costs the same at any radius.
//   Prefix sums rather than a running sum also keep a window of zeros at exactly zero.
// - Straight alpha: colour is blurred premultiplied (α·c) and divided by the blurred alpha, so
//   transparent pixels do not bleed black into their neighbours. A pixel whose blurred alpha is 0
//   had only transparent pixels in reach and is left exactly as it was.
// - Borders: samples beyond an edge repeat the edge pixel.
// - Storing: rounded to nearest at 8 and 16 bits; at float, alpha stays within 0..1 and colour is
//   not clamped, so over-bright values survive the blur.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <vector>

#include "headless/imaging/imaging.h"
#include "headless/imaging/pixel_formats.h"
#include "headless/thread_pool.h"

namespace jf::headless {
namespace {

// Larger radii blur as this one; it keeps every width well inside 64-bit integers.
constexpr double kMaxSigma = 1e7;

struct Premul {
  double a, r, g, b;
};

// The scratch image between the horizontal and the vertical passes. Single precision is ample
// for the result's 8, 16 or 24 bits and halves the memory of a large frame.
struct PremulFloat {
  float a, r, g, b;
};

// The three box radii ((width − 1) ÷ 2) for a Gaussian of standard deviation sigma.
std::vector<std::int64_t> BoxRadii(double sigma) {
  constexpr int n = 3;
  const double ideal = std::sqrt(12.0 * sigma * sigma / n + 1.0);
  auto lower = static_cast<std::int64_t>(std::floor(ideal));
  if (lower % 2 == 0) --lower;
  const double l = static_cast<double>(lower);
  const double mIdeal =
      (12.0 * sigma * sigma - n * l * l - 4.0 * n * l - 3.0 * n) / (-4.0 * l - 4.0);
  const auto m = static_cast<std::int64_t>(std::llround(mIdeal));
  std::vector<std::int64_t> radii;
  for (int i = 0; i < n; ++i) radii.push_back(((i < m ? lower : lower + 2) - 1) / 2);
  return radii;
}

// One box pass, edges repeated, in place, over a line of n samples of kLanes values each
// (line[i * kLanes + k] is lane k of sample i): the four channels of a pixel, or those of a
// group of columns side by side. Every lane is its own line with its own arithmetic; only the
// loops over lanes are shared, so they can run as vectors.
template <std::int64_t kLanes>
void BoxPass(double* line, double* prefix, std::int64_t n, std::int64_t radius) {
  if (radius == 0) return;
  for (std::int64_t k = 0; k < kLanes; ++k) prefix[k] = 0.0;
  for (std::int64_t i = 0; i < n; ++i) {
    const double* in = line + i * kLanes;
    const double* below = prefix + i * kLanes;
    double* sum = prefix + (i + 1) * kLanes;
    for (std::int64_t k = 0; k < kLanes; ++k) sum[k] = below[k] + in[k];
  }
  double first[kLanes], last[kLanes];
  std::copy(line, line + kLanes, first);
  std::copy(line + (n - 1) * kLanes, line + n * kLanes, last);
  const double width = static_cast<double>(2 * radius + 1);

  // Where the window reaches past an edge, the edge sample repeats.
  auto edgeSample = [&](std::int64_t i) {
    const std::int64_t lo = i - radius, hi = i + radius;  // window, inclusive
    const std::int64_t inLo = std::max<std::int64_t>(lo, 0), inHi = std::min(hi, n - 1);
    const double before = static_cast<double>(inLo - lo);  // samples repeating the first pixel
    const double after = static_cast<double>(hi - inHi);   // samples repeating the last pixel
    const double* p = prefix + (inHi + 1) * kLanes;
    const double* q = prefix + inLo * kLanes;
    double* out = line + i * kLanes;
    for (std::int64_t k = 0; k < kLanes; ++k) {
      // A repeated edge with value 0 adds exactly 0, so a window of zeros sums to exactly 0.
      const double edges =
          (first[k] == 0.0 ? 0.0 : before * first[k]) + (last[k] == 0.0 ? 0.0 : after * last[k]);
      out[k] = (p[k] - q[k] + edges) / width;
    }
  };
  const std::int64_t bodyBegin = std::min(radius, n);
  const std::int64_t bodyEnd = std::max(bodyBegin, n - radius);
  for (std::int64_t i = 0; i < bodyBegin; ++i) edgeSample(i);
  // Inside, nothing repeats and the edge term is a zero: it adds nothing, since a prefix sum
  // that starts at +0 is never −0 and neither is a difference of two of them.
  for (std::int64_t i = bodyBegin; i < bodyEnd; ++i) {
    const double* p = prefix + (i + radius + 1) * kLanes;
    const double* q = prefix + (i - radius) * kLanes;
    double* out = line + i * kLanes;
    for (std::int64_t k = 0; k < kLanes; ++k) out[k] = (p[k] - q[k]) / width;
  }
  for (std::int64_t i = bodyEnd; i < n; ++i) edgeSample(i);
}

template <HeadlessPixelTraits Px>
Premul ReadPremultiplied(const typename Px::Pixel& p) {
  const double a = ToUnit<Px>(p.alpha);
  auto colour = [](typename Px::Channel v) {
    if constexpr (Px::kIsFloat) {
      return std::isfinite(v) ? static_cast<double>(v) : 0.0;
    } else {
      return ToUnit<Px>(v);
    }
  };
  return {a, a * colour(p.red), a * colour(p.green), a * colour(p.blue)};
}

template <HeadlessPixelTraits Px>
void StoreUnpremultiplied(const Premul& v, typename Px::Pixel& p) {
  if (!(v.a > 0.0)) return;  // only transparent pixels in reach: left as it was
  using Channel = typename Px::Channel;
  auto colour = [&](double c) -> Channel {
    if constexpr (Px::kIsFloat)
      return static_cast<Channel>(c / v.a);
    else
      return FromUnit<Px>(c / v.a);
  };
  p = {FromUnit<Px>(v.a), colour(v.r), colour(v.g), colour(v.b)};
}

// Columns blurred together by the vertical passes: one row of a group is a few cache lines of
// the scratch image, and its lanes run side by side.
constexpr std::int64_t kColumnGroup = 8;

template <HeadlessPixelTraits Px>
PF_Err BlurPixels(const std::vector<std::int64_t>& radii, PF_EffectWorld& world) {
  const std::int64_t width = world.width, height = world.height;
  std::vector<PremulFloat> image(static_cast<std::size_t>(width * height));
  auto at = [&](std::int64_t x, std::int64_t y) -> PremulFloat& {
    return image[static_cast<std::size_t>(y * width + x)];
  };

  // Horizontal passes, row by row: the world, premultiplied, into the scratch image.
  ParallelFor(0, height, 0, [&](std::int64_t rowsBegin, std::int64_t rowsEnd, int) {
    std::vector<double> line(static_cast<std::size_t>(width) * 4), prefix(line.size() + 4);
    for (std::int64_t y = rowsBegin; y != rowsEnd; ++y) {
      const auto* in = RowOf<Px>(static_cast<const PF_EffectWorld&>(world), static_cast<A_long>(y));
      for (std::int64_t x = 0; x < width; ++x) {
        const Premul v = ReadPremultiplied<Px>(in[x]);
        double* out = &line[static_cast<std::size_t>(x) * 4];
        out[0] = v.a;
        out[1] = v.r;
        out[2] = v.g;
        out[3] = v.b;
      }
      for (std::int64_t r : radii) BoxPass<4>(line.data(), prefix.data(), width, r);
      for (std::int64_t x = 0; x < width; ++x) {
        const double* v = &line[static_cast<std::size_t>(x) * 4];
        at(x, y) = {static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2]),
                    static_cast<float>(v[3])};
      }
    }
  });

  // Vertical passes, a group of columns at a time: the scratch image back into the world,
  // straight. The last group of a narrow remainder runs lanes of its own columns only.
  constexpr std::int64_t kLanes = 4 * kColumnGroup;
  const std::int64_t groups = (width + kColumnGroup - 1) / kColumnGroup;
  ParallelFor(0, groups, 0, [&](std::int64_t groupsBegin, std::int64_t groupsEnd, int) {
    std::vector<double> line(static_cast<std::size_t>(height) * kLanes),
        prefix(line.size() + kLanes);
    for (std::int64_t g = groupsBegin; g != groupsEnd; ++g) {
      const std::int64_t x0 = g * kColumnGroup;
      const std::int64_t columns = std::min(kColumnGroup, width - x0);
      for (std::int64_t y = 0; y < height; ++y) {
        double* out = &line[static_cast<std::size_t>(y * kLanes)];
        for (std::int64_t c = 0; c < kColumnGroup; ++c) {
          // Past the right edge the lanes hold copies of the last column and are
          // not stored.
          const PremulFloat& v = at(x0 + std::min(c, columns - 1), y);
          out[4 * c] = v.a;
          out[4 * c + 1] = v.r;
          out[4 * c + 2] = v.g;
          out[4 * c + 3] = v.b;
        }
      }
      for (std::int64_t r : radii) BoxPass<kLanes>(line.data(), prefix.data(), height, r);
      for (std::int64_t y = 0; y < height; ++y) {
        const double* v = &line[static_cast<std::size_t>(y * kLanes)];
        auto* row = RowOf<Px>(world, static_cast<A_long>(y));
        for (std::int64_t c = 0; c < columns; ++c) {
          StoreUnpremultiplied<Px>(Premul{v[4 * c], v[4 * c + 1], v[4 * c + 2], v[4 * c + 3]},
                                   row[x0 + c]);
        }
      }
    }
  });
  return PF_Err_NONE;
}

}  // namespace

PF_Err FastBlurImpl(PF_PixelFormat format, double radius, PF_EffectWorld& world) {
  return DispatchFormat(format, [&]<typename Px>(Px) -> PF_Err {
    // No radius (zero, negative or not a number) is no blur: the world stays bit for bit.
    if (!(radius > 0.0) || world.width <= 0 || world.height <= 0) return PF_Err_NONE;
    const auto radii = BoxRadii(std::min(radius, kMaxSigma));
    if (std::all_of(radii.begin(), radii.end(), [](std::int64_t r) { return r == 0; })) {
      return PF_Err_NONE;
    }
    try {
      return BlurPixels<Px>(radii, world);
    } catch (const std::bad_alloc&) {
      return PF_Err_OUT_OF_MEMORY;
    } catch (const std::length_error&) {
      return PF_Err_OUT_OF_MEMORY;
    }
  });
}

}  // namespace jf::headless
