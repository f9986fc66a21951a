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
#include <cstring>
#include <new>
#include <stdexcept>
#include <type_traits>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include "headless/imaging/imaging.h"
#include "headless/imaging/pixel_formats.h"
#include "headless/thread_pool.h"
#include "headless/worlds.h"

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
[[gnu::always_inline]] inline void BoxPassLanes(double* line, double* prefix, std::int64_t n,
                                                std::int64_t radius) {
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

// GCC for Windows cannot be trusted with 64-byte vectors on the stack (it assumes an alignment
// the Windows stack does not give), so the wide build is for other x86 systems only.
#if (defined(__x86_64__) || defined(__i386__)) && !defined(_WIN32)
#define JF_BLUR_AVX512 1
#else
#define JF_BLUR_AVX512 0
#endif

// The same pass compiled for wider vectors. Each lane still does exactly the scalar arithmetic
// (no contraction, and IEEE division is exact per lane), so the result is the same bits; only
// more lanes, and more divisions, run at once.
#if JF_BLUR_AVX512
template <std::int64_t kLanes>
__attribute__((target("avx512f,prefer-vector-width=512"))) void BoxPassAvx512(double* line,
                                                                              double* prefix,
                                                                              std::int64_t n,
                                                                              std::int64_t radius) {
  BoxPassLanes<kLanes>(line, prefix, n, radius);
}

bool HasAvx512() {
  static const bool has = __builtin_cpu_supports("avx512f") != 0;
  return has;
}
#endif

/// Whether the wide passes, gathering and storing below can run here.
bool WideVectors() {
#if JF_BLUR_AVX512
  return HasAvx512();
#else
  return false;
#endif
}

template <std::int64_t kLanes>
void BoxPass(double* line, double* prefix, std::int64_t n, std::int64_t radius) {
  if (radius == 0) return;
#if JF_BLUR_AVX512
  if (HasAvx512()) return BoxPassAvx512<kLanes>(line, prefix, n, radius);
#endif
  BoxPassLanes<kLanes>(line, prefix, n, radius);
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
  // Dividing by exactly 1 (wherever everything in reach is opaque) gives the dividend itself.
  const bool opaque = v.a == 1.0;
  auto colour = [&](double c) -> Channel {
    const double straight = opaque ? c : c / v.a;
    if constexpr (Px::kIsFloat)
      return static_cast<Channel>(straight);
    else
      return FromUnit<Px>(straight);
  };
  p = {FromUnit<Px>(v.a), colour(v.r), colour(v.g), colour(v.b)};
}

// Columns blurred together by the vertical passes: one row of a group is a few cache lines of
// the scratch image, and its lanes run side by side.
constexpr std::int64_t kColumnGroup = 8;
// Rows blurred together by the horizontal passes.
constexpr std::int64_t kRowGroup = 4;

#if JF_BLUR_AVX512
// GCC 12 takes the intrinsics' deliberately undefined starting vectors for uninitialised reads.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
// Lanes 0–3 and 4–7 of a vector are two pixels' alpha, red, green and blue; the colour lanes:
constexpr __mmask8 kColourLanes = 0xEE;

// Each pixel's alpha in all four of its lanes.
__attribute__((target("avx512f"))) inline __m512d AlphaOfEachPixel(__m512d v) {
  return _mm512_permutexvar_pd(_mm512_set_epi64(4, 4, 4, 4, 0, 0, 0, 0), v);
}

// A group of rows of 8-bit pixels into a line, premultiplied: pixel x of two rows a vector. Each
// lane divides by 255, which gives what the table of quotients holds, and multiplies by alpha as
// ReadPremultiplied does. Lanes past the last row repeat it.
__attribute__((target("avx512f"))) void GatherRows8Avx512(const PF_EffectWorld& world,
                                                          std::int64_t y0, std::int64_t rows,
                                                          double* line) {
  static_assert(kRowGroup == 4, "two vectors of two pixels per column");
  const PF_Pixel* in[kRowGroup];
  for (std::int64_t r = 0; r < kRowGroup; ++r) {
    in[r] = RowOf<Argb32Traits>(world, static_cast<A_long>(y0 + std::min(r, rows - 1)));
  }
  const __m512d max = _mm512_set1_pd(Argb32Traits::kMax);
  for (std::int64_t x = 0; x < world.width; ++x) {
    for (int pair = 0; pair < 2; ++pair) {
      std::uint32_t lo = 0, hi = 0;
      std::memcpy(&lo, in[2 * pair] + x, sizeof lo);
      std::memcpy(&hi, in[2 * pair + 1] + x, sizeof hi);
      const __m128i bytes = _mm_set_epi32(0, 0, static_cast<int>(hi), static_cast<int>(lo));
      __m512d v = _mm512_div_pd(_mm512_cvtepi32_pd(_mm256_cvtepu8_epi32(bytes)), max);
      v = _mm512_mask_mul_pd(v, kColourLanes, AlphaOfEachPixel(v), v);
      _mm512_storeu_pd(line + x * 4 * kRowGroup + 8 * pair, v);
    }
  }
}

// A group's rows from a line into the scratch image, narrowed to float as the plain storing does.
__attribute__((target("avx512f"))) void StoreRowsAvx512(const double* line, std::int64_t width,
                                                        std::int64_t rows, PremulFloat* first) {
  for (std::int64_t x = 0; x < width; ++x) {
    for (std::int64_t pair = 0; pair < 2; ++pair) {
      const __m256 f = _mm512_cvtpd_ps(_mm512_loadu_pd(line + x * 4 * kRowGroup + 8 * pair));
      if (2 * pair < rows) {
        _mm_storeu_ps(&first[2 * pair * width + x].a, _mm256_castps256_ps128(f));
      }
      if (2 * pair + 1 < rows) {
        _mm_storeu_ps(&first[(2 * pair + 1) * width + x].a, _mm256_extractf128_ps(f, 1));
      }
    }
  }
}

// A whole group of columns of the scratch image into a line, eight floats at a time: widening a
// float to a double is exact, so the lanes hold what the plain gathering gives them.
__attribute__((target("avx512f"))) void GatherColumnsAvx512(const PremulFloat* first,
                                                            std::int64_t width, std::int64_t height,
                                                            double* line) {
  static_assert(kColumnGroup == 8, "four vectors of eight floats per row");
  for (std::int64_t y = 0; y < height; ++y) {
    const auto* in = reinterpret_cast<const float*>(first + y * width);
    double* out = line + y * 4 * kColumnGroup;
    for (int k = 0; k < 4; ++k) {
      _mm512_storeu_pd(out + 8 * k, _mm512_cvtps_pd(_mm256_loadu_ps(in + 8 * k)));
    }
  }
}

// StoreUnpremultiplied for a group's columns of 8-bit pixels, two pixels a vector and four a
// store; each lane makes the scalar comparisons, division, product and sum, in the same order.
// A pixel whose blurred alpha is not above 0, or past the last column, is not stored.
__attribute__((target("avx512f"))) void StoreColumns8Avx512(const double* line, std::int64_t height,
                                                            std::int64_t x0, std::int64_t columns,
                                                            PF_EffectWorld& world) {
  const __m512d zero = _mm512_setzero_pd();
  const __m512d one = _mm512_set1_pd(1.0);
  const __m512d max = _mm512_set1_pd(Argb32Traits::kMax);
  const __m512d half = _mm512_set1_pd(0.5);
  // The columns that exist, four bits (one pixel) at a time, for each store of four pixels.
  __mmask16 exists[2] = {0, 0};
  for (std::int64_t c = 0; c < std::min(columns, kColumnGroup); ++c) {
    exists[c / 4] = static_cast<__mmask16>(exists[c / 4] | (0xFu << (4 * (c % 4))));
  }
  for (std::int64_t y = 0; y < height; ++y) {
    const double* v = line + y * 4 * kColumnGroup;
    PF_Pixel* row = RowOf<Argb32Traits>(world, static_cast<A_long>(y)) + x0;
    for (int quad = 0; quad < 2; ++quad) {
      __m256i bytes[2];
      __mmask16 shown = 0;
      for (int pair = 0; pair < 2; ++pair) {
        __m512d c = _mm512_loadu_pd(v + 8 * (2 * quad + pair));
        const __m512d a = AlphaOfEachPixel(c);
        shown =
            static_cast<__mmask16>(shown | (_mm512_cmp_pd_mask(a, zero, _CMP_GT_OQ) << (8 * pair)));
        const __mmask8 opaque = _mm512_cmp_pd_mask(a, one, _CMP_EQ_OQ);
        // Opaque pixels, the common case, divide by nothing; a division with every lane masked
        // off would still take the divider's time.
        const auto divided = static_cast<__mmask8>(kColourLanes & ~opaque);
        if (divided != 0) c = _mm512_mask_div_pd(c, divided, c, a);
        c = _mm512_maskz_mov_pd(_mm512_cmp_pd_mask(c, zero, _CMP_GT_OQ), c);
        c = _mm512_mask_mov_pd(c, _mm512_cmp_pd_mask(c, one, _CMP_GT_OQ), one);
        bytes[pair] = _mm512_cvttpd_epi32(_mm512_add_pd(_mm512_mul_pd(c, max), half));
      }
      const __m512i four = _mm512_inserti64x4(_mm512_castsi256_si512(bytes[0]), bytes[1], 1);
      _mm512_mask_cvtepi32_storeu_epi8(row + 4 * quad, static_cast<__mmask16>(shown & exists[quad]),
                                       four);
    }
  }
}
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
#endif

// Runs the box passes over groups of lines of n samples with kLanes lanes each: gather(g, line)
// fills group g's lanes, the passes blur them, scatter(g, line) stores them. Groups are spread
// over the threads; each chunk of groups has its own line and prefix sums, taken from the
// reused scratch buffers: gather writes every lane of the line and the passes every prefix sum
// before reading it, so neither needs clearing.
template <std::int64_t kLanes, typename Gather, typename Scatter>
void BlurGroups(std::int64_t groups, std::int64_t n, const std::vector<std::int64_t>& radii,
                Gather gather, Scatter scatter) {
  ParallelFor(0, groups, 0, [&](std::int64_t groupsBegin, std::int64_t groupsEnd, int) {
    const auto lineSize = static_cast<std::size_t>(n * kLanes);
    PooledScratch scratch((lineSize + static_cast<std::size_t>((n + 1) * kLanes)) * sizeof(double));
    if (scratch.Data() == nullptr) throw std::bad_alloc();
    double* line = static_cast<double*>(scratch.Data());
    double* prefix = line + lineSize;
    for (std::int64_t g = groupsBegin; g != groupsEnd; ++g) {
      gather(g, line);
      for (std::int64_t radius : radii) BoxPass<kLanes>(line, prefix, n, radius);
      scatter(g, static_cast<const double*>(line));
    }
  });
}

template <HeadlessPixelTraits Px>
PF_Err BlurPixels(const std::vector<std::int64_t>& radii, PF_EffectWorld& world) {
  const std::int64_t width = world.width, height = world.height;
  // Every pixel of the scratch image is written by the horizontal passes before the vertical
  // ones read it, so it needs no clearing.
  PooledScratch scratch(static_cast<std::size_t>(width * height) * sizeof(PremulFloat));
  if (scratch.Data() == nullptr) return PF_Err_OUT_OF_MEMORY;
  auto* image = static_cast<PremulFloat*>(scratch.Data());
  auto at = [&](std::int64_t x, std::int64_t y) -> PremulFloat& {
    return image[static_cast<std::size_t>(y * width + x)];
  };

  [[maybe_unused]] const bool wide = WideVectors();

  // Horizontal passes, a group of rows at a time: the world, premultiplied, into the scratch
  // image. A row's prefix sums run one after another; several rows side by side keep the
  // vector units busy meanwhile. Lanes past the last row repeat it and are not stored.
  BlurGroups<4 * kRowGroup>(
      (height + kRowGroup - 1) / kRowGroup, width, radii,
      [&](std::int64_t g, double* line) {
        const std::int64_t y0 = g * kRowGroup;
        const std::int64_t rows = std::min(kRowGroup, height - y0);
#if JF_BLUR_AVX512
        if constexpr (std::is_same_v<Px, Argb32Traits>) {
          if (wide) return GatherRows8Avx512(world, y0, rows, line);
        }
#endif
        for (std::int64_t r = 0; r < kRowGroup; ++r) {
          const auto* in = RowOf<Px>(static_cast<const PF_EffectWorld&>(world),
                                     static_cast<A_long>(y0 + std::min(r, rows - 1)));
          for (std::int64_t x = 0; x < width; ++x) {
            const Premul v = ReadPremultiplied<Px>(in[x]);
            double* out = line + x * 4 * kRowGroup + 4 * r;
            out[0] = v.a;
            out[1] = v.r;
            out[2] = v.g;
            out[3] = v.b;
          }
        }
      },
      [&](std::int64_t g, const double* line) {
        const std::int64_t y0 = g * kRowGroup;
        const std::int64_t rows = std::min(kRowGroup, height - y0);
#if JF_BLUR_AVX512
        if (wide) return StoreRowsAvx512(line, width, rows, &at(0, y0));
#endif
        for (std::int64_t r = 0; r < rows; ++r) {
          for (std::int64_t x = 0; x < width; ++x) {
            const double* v = line + x * 4 * kRowGroup + 4 * r;
            at(x, y0 + r) = {static_cast<float>(v[0]), static_cast<float>(v[1]),
                             static_cast<float>(v[2]), static_cast<float>(v[3])};
          }
        }
      });

  // Vertical passes, a group of columns at a time: the scratch image back into the world,
  // straight. Lanes past the last column repeat it and are not stored.
  constexpr std::int64_t kLanes = 4 * kColumnGroup;
  BlurGroups<kLanes>((width + kColumnGroup - 1) / kColumnGroup, height, radii,
                     [&](std::int64_t g, double* line) {
                       const std::int64_t x0 = g * kColumnGroup;
                       const std::int64_t columns = std::min(kColumnGroup, width - x0);
#if JF_BLUR_AVX512
                       if (wide && columns == kColumnGroup) {
                         return GatherColumnsAvx512(&at(x0, 0), width, height, line);
                       }
#endif
                       for (std::int64_t y = 0; y < height; ++y) {
                         double* out = line + y * kLanes;
                         for (std::int64_t c = 0; c < kColumnGroup; ++c) {
                           const PremulFloat& v = at(x0 + std::min(c, columns - 1), y);
                           out[4 * c] = v.a;
                           out[4 * c + 1] = v.r;
                           out[4 * c + 2] = v.g;
                           out[4 * c + 3] = v.b;
                         }
                       }
                     },
                     [&](std::int64_t g, const double* line) {
                       const std::int64_t x0 = g * kColumnGroup;
                       const std::int64_t columns = std::min(kColumnGroup, width - x0);
#if JF_BLUR_AVX512
                       if constexpr (std::is_same_v<Px, Argb32Traits>) {
                         if (wide) return StoreColumns8Avx512(line, height, x0, columns, world);
                       }
#endif
                       for (std::int64_t y = 0; y < height; ++y) {
                         const double* v = line + y * kLanes;
                         auto* row = RowOf<Px>(world, static_cast<A_long>(y));
                         for (std::int64_t c = 0; c < columns; ++c) {
                           StoreUnpremultiplied<Px>(
                               Premul{v[4 * c], v[4 * c + 1], v[4 * c + 2], v[4 * c + 3]},
                               row[x0 + c]);
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
