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

// One box pass over a line of n values, edges repeated, in place.
void BoxPass(std::vector<Premul>& line, std::vector<Premul>& prefix, std::int64_t radius) {
  if (radius == 0) return;
  const std::int64_t n = static_cast<std::int64_t>(line.size());
  prefix[0] = {0, 0, 0, 0};
  for (std::int64_t i = 0; i < n; ++i) {
    prefix[i + 1] = {prefix[i].a + line[i].a, prefix[i].r + line[i].r, prefix[i].g + line[i].g,
                     prefix[i].b + line[i].b};
  }
  const Premul first = line.front(), last = line.back();
  const double width = static_cast<double>(2 * radius + 1);
  for (std::int64_t i = 0; i < n; ++i) {
    const std::int64_t lo = i - radius, hi = i + radius;  // window, inclusive
    const std::int64_t inLo = std::max<std::int64_t>(lo, 0), inHi = std::min(hi, n - 1);
    const double before = static_cast<double>(inLo - lo);  // samples repeating the first pixel
    const double after = static_cast<double>(hi - inHi);   // samples repeating the last pixel
    const Premul& p = prefix[inHi + 1];
    const Premul& q = prefix[inLo];
    // A repeated edge with value 0 adds exactly 0, so a window of zeros sums to exactly 0.
    auto edges = [&](double f, double l) {
      return (f == 0.0 ? 0.0 : before * f) + (l == 0.0 ? 0.0 : after * l);
    };
    line[i] = {
        (p.a - q.a + edges(first.a, last.a)) / width, (p.r - q.r + edges(first.r, last.r)) / width,
        (p.g - q.g + edges(first.g, last.g)) / width, (p.b - q.b + edges(first.b, last.b)) / width};
  }
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

template <HeadlessPixelTraits Px>
PF_Err BlurPixels(const std::vector<std::int64_t>& radii, PF_EffectWorld& world) {
  const std::int64_t width = world.width, height = world.height;
  std::vector<PremulFloat> image(static_cast<std::size_t>(width * height));
  auto at = [&](std::int64_t x, std::int64_t y) -> PremulFloat& {
    return image[static_cast<std::size_t>(y * width + x)];
  };

  // Horizontal passes, row by row: the world, premultiplied, into the scratch image.
  ParallelFor(0, height, 0, [&](std::int64_t rowsBegin, std::int64_t rowsEnd, int) {
    std::vector<Premul> line(static_cast<std::size_t>(width)), prefix(line.size() + 1);
    for (std::int64_t y = rowsBegin; y != rowsEnd; ++y) {
      const auto* in = RowOf<Px>(static_cast<const PF_EffectWorld&>(world), static_cast<A_long>(y));
      for (std::int64_t x = 0; x < width; ++x) line[x] = ReadPremultiplied<Px>(in[x]);
      for (std::int64_t r : radii) BoxPass(line, prefix, r);
      for (std::int64_t x = 0; x < width; ++x) {
        const Premul& v = line[x];
        at(x, y) = {static_cast<float>(v.a), static_cast<float>(v.r), static_cast<float>(v.g),
                    static_cast<float>(v.b)};
      }
    }
  });

  // Vertical passes, column by column: the scratch image back into the world, straight.
  ParallelFor(0, width, 0, [&](std::int64_t columnsBegin, std::int64_t columnsEnd, int) {
    std::vector<Premul> line(static_cast<std::size_t>(height)), prefix(line.size() + 1);
    for (std::int64_t x = columnsBegin; x != columnsEnd; ++x) {
      for (std::int64_t y = 0; y < height; ++y) {
        const PremulFloat& v = at(x, y);
        line[y] = {v.a, v.r, v.g, v.b};
      }
      for (std::int64_t r : radii) BoxPass(line, prefix, r);
      for (std::int64_t y = 0; y < height; ++y) {
        StoreUnpremultiplied<Px>(line[y], RowOf<Px>(world, static_cast<A_long>(y))[x]);
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
