// See simplex_noise.h.
#include "stages/simplex_noise.h"

#include <bit>
#include <cstdint>
#include <limits>

namespace jf {

const std::array<std::uint8_t, 256> NoisePermutation = {
    151, 160, 137, 91,  90,  15,  131, 13,  201, 95,  96,  53,  194, 233, 7,   225, 140, 36,  103,
    30,  69,  142, 8,   99,  37,  240, 21,  10,  23,  190, 6,   148, 247, 120, 234, 75,  0,   26,
    197, 62,  94,  252, 219, 203, 117, 35,  11,  32,  57,  177, 33,  88,  237, 149, 56,  87,  174,
    20,  125, 136, 171, 168, 68,  175, 74,  165, 71,  134, 139, 48,  27,  166, 77,  146, 158, 231,
    83,  111, 229, 122, 60,  211, 133, 230, 220, 105, 92,  41,  55,  46,  245, 40,  244, 102, 143,
    54,  65,  25,  63,  161, 1,   216, 80,  73,  209, 76,  132, 187, 208, 89,  18,  169, 200, 196,
    135, 130, 116, 188, 159, 86,  164, 100, 109, 198, 173, 186, 3,   64,  52,  217, 226, 250, 124,
    123, 5,   202, 38,  147, 118, 126, 255, 82,  85,  212, 207, 206, 59,  227, 47,  16,  58,  17,
    182, 189, 28,  42,  223, 183, 170, 213, 119, 248, 152, 2,   44,  154, 163, 70,  221, 153, 101,
    155, 167, 43,  172, 9,   129, 22,  39,  253, 19,  98,  108, 110, 79,  113, 224, 232, 178, 185,
    112, 104, 218, 246, 97,  228, 251, 34,  242, 193, 238, 210, 144, 12,  191, 179, 162, 241, 81,
    51,  145, 235, 249, 14,  239, 107, 49,  192, 214, 31,  181, 199, 106, 157, 184, 84,  204, 176,
    115, 121, 50,  45,  127, 4,   150, 254, 138, 236, 205, 93,  222, 114, 67,  29,  24,  72,  243,
    141, 128, 195, 78,  66,  215, 61,  156, 180};

namespace {

// The skew constants are fixed by their bit patterns, not by their formulas: the float nearest
// to (√3 − 1) / 2 is 0x3EBB67AF, one step away, and a different F2 gives different noise.
const float kF2 = std::bit_cast<float>(std::uint32_t{0x3EBB67AE});    // 0.366025403
const float kG2 = std::bit_cast<float>(std::uint32_t{0x3E58658C});    // 0.211324865
const float kG2x2 = std::bit_cast<float>(std::uint32_t{0x3ED8658C});  // 0.42264974

/// The permutation at k modulo 256. Indices are summed in unsigned arithmetic, which wraps where
/// a signed sum could overflow and leaves the value modulo 256 unchanged.
inline std::uint32_t Perm(std::uint32_t k) {
  return NoisePermutation[k & 255u];
}

/// floor as truncation to 32 bits, one less where truncation went up. Inputs with no 32-bit form
/// (beyond ±2^31, NaN) are held at the range's ends or at 0, where a bare conversion would be
/// undefined.
inline std::int32_t FloorToInt(float v) {
  if (!(v >= -2147483648.0f)) {
    return v != v ? 0 : std::numeric_limits<std::int32_t>::min();
  }
  if (v >= 2147483648.0f) return std::numeric_limits<std::int32_t>::max();
  const std::int32_t i = static_cast<std::int32_t>(v);
  return static_cast<float>(i) > v ? i - 1 : i;
}

/// Gradient of a 2D corner. The hash keeps six bits, so most hashes take the second branch; the
/// pattern depends on exactly this choice.
inline float Grad2(std::uint32_t hash, float u, float v) {
  const std::uint32_t h = hash & 0x3Fu;
  const float a = h < 4 ? u : v;
  const float b = h < 4 ? v : u;
  return ((h & 1u) ? -a : a) + ((h & 2u) ? -2.0f * b : 2.0f * b);
}

/// Contribution of one 2D corner: the radial falloff to the fourth power times the gradient.
inline float Corner2(std::uint32_t hash, float x, float y) {
  const float c = (0.5f - x * x) - y * y;
  if (c < 0.0f) return 0.0f;
  const float c2 = c * c;
  return Grad2(hash, x, y) * (c2 * c2);
}

/// Gradient of a 1D corner: 1 … 8, negative when bit 3 is set.
inline float Grad1(std::uint32_t hash) {
  const std::uint32_t h = hash & 15u;
  const float g = 1.0f + static_cast<float>(h & 7u);
  return (h & 8u) ? -g : g;
}

/// Contribution of one 1D corner at distance x.
inline float Corner1(std::uint32_t hash, float x) {
  const float t = 1.0f - x * x;
  const float t2 = t * t;
  return (Grad1(hash) * x) * (t2 * t2);
}

}  // namespace

float SimplexNoise2D(float x, float y) {
  // Skew the input to find the simplex cell.
  const float s = (x + y) * kF2;
  const std::int32_t i = FloorToInt(x + s);
  const std::int32_t j = FloorToInt(y + s);

  // Unskew the cell origin back and take the distances from it. The index sum is formed in 64
  // bits, which equals the 32-bit sum wherever that does not overflow.
  const float t = static_cast<float>(static_cast<std::int64_t>(i) + j) * kG2;
  const float x0 = x - (static_cast<float>(i) - t);
  const float y0 = y - (static_cast<float>(j) - t);

  // Which triangle of the cell: ties go to the upper one.
  const std::uint32_t i1 = x0 > y0 ? 1u : 0u;
  const std::uint32_t j1 = x0 > y0 ? 0u : 1u;

  const float x1 = x0 - static_cast<float>(i1) + kG2;
  const float y1 = y0 - static_cast<float>(j1) + kG2;
  const float x2 = x0 - 1.0f + kG2x2;
  const float y2 = y0 - 1.0f + kG2x2;

  // Hash the three corners.
  const auto ui = static_cast<std::uint32_t>(i);
  const auto uj = static_cast<std::uint32_t>(j);
  const std::uint32_t g0 = Perm(ui + Perm(uj));
  const std::uint32_t g1 = Perm(ui + i1 + Perm(uj + j1));
  const std::uint32_t g2 = Perm(ui + 1u + Perm(uj + 1u));

  // Sum the corners and scale the result to about −1 … 1.
  const float e0 = Corner2(g0, x0, y0);
  const float e1 = Corner2(g1, x1, y1);
  const float e2 = Corner2(g2, x2, y2);
  return ((e0 + e1) + e2) * 45.23065f;
}

float SimplexNoise1D(float x) {
  const std::int32_t i0 = FloorToInt(x);
  const float x0 = x - static_cast<float>(i0);
  const float x1 = x0 - 1.0f;
  const auto ui = static_cast<std::uint32_t>(i0);
  const float e0 = Corner1(Perm(ui), x0);
  const float e1 = Corner1(Perm(ui + 1u), x1);
  return (e0 + e1) * 0.395f;
}

}  // namespace jf
