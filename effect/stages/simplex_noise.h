// Two- and one-dimensional simplex noise in single precision, shared by Noise and Warp.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <limits>

namespace jf {

/// Ken Perlin's reference permutation of 0 … 255 from "Improving Noise" (SIGGRAPH 2002); every
/// hash below indexes it modulo 256.
extern const std::array<std::uint8_t, 256> NoisePermutation;

// Inline, as the pixel functions call it once per pixel and octave; the corners are added
// without branching on whether they reach the point or on their hashes, so the loop has no
// unpredictable jumps.
namespace simplex {

// The skew constants are fixed by their bit patterns, not by their formulas: the float nearest
// to (√3 − 1) / 2 is 0x3EBB67AF, one step away, and a different F2 gives different noise.
inline constexpr float kF2 = std::bit_cast<float>(std::uint32_t{0x3EBB67AE});    // 0.366025403
inline constexpr float kG2 = std::bit_cast<float>(std::uint32_t{0x3E58658C});    // 0.211324865
inline constexpr float kG2x2 = std::bit_cast<float>(std::uint32_t{0x3ED8658C});  // 0.42264974

/// The permutation at k modulo 256. Indices are summed in unsigned arithmetic, which wraps where
/// a signed sum could overflow and leaves the value modulo 256 unchanged.
inline std::uint32_t Perm(std::uint32_t k) {
  return NoisePermutation[k & 255u];
}

/// floor as truncation to 32 bits, one less where truncation went up; for values well inside
/// 32 bits.
inline std::int32_t FloorInRange(float v) {
  const auto i = static_cast<std::int32_t>(v);
  return i - static_cast<std::int32_t>(static_cast<float>(i) > v);
}

/// floor for any input: those with no 32-bit form (beyond ±2^31, NaN) are held at the range's
/// ends or at 0, where a bare conversion would be undefined.
inline std::int32_t FloorToInt(float v) {
  if (!(v >= -2147483648.0f)) {
    return v != v ? 0 : std::numeric_limits<std::int32_t>::min();
  }
  if (v >= 2147483648.0f) return std::numeric_limits<std::int32_t>::max();
  return FloorInRange(v);
}

/// Gradient of a 2D corner. The hash keeps six bits, so most hashes take the second choice; the
/// pattern depends on exactly this choice. The choices are made on bit patterns rather than by
/// branching, since they follow the hash and no predictor could guess them: a and b trade places
/// where h ≥ 4, a is negated (its sign bit flipped, as negation does) where bit 0 is set, and b is
/// multiplied by −2 rather than 2 where bit 1 is.
inline float Grad2(std::uint32_t hash, float u, float v) {
  const std::uint32_t h = hash & 0x3Fu;
  const std::uint32_t ub = std::bit_cast<std::uint32_t>(u);
  const std::uint32_t vb = std::bit_cast<std::uint32_t>(v);
  const std::uint32_t swap = (ub ^ vb) & (0u - static_cast<std::uint32_t>(h >= 4));
  const float a = std::bit_cast<float>((ub ^ swap) ^ (h << 31));
  const float b = std::bit_cast<float>(vb ^ swap);
  const float two = std::bit_cast<float>(0x40000000u | ((h & 2u) << 30));  // 2 or −2
  return a + two * b;
}

/// Contribution of one 2D corner: the radial falloff to the fourth power times the gradient,
/// and +0 past the falloff's edge (the product is formed either way and then masked off).
inline float Corner2(std::uint32_t hash, float x, float y) {
  const float c = (0.5f - x * x) - y * y;
  const float c2 = c * c;
  const float e = Grad2(hash, x, y) * (c2 * c2);
  const std::uint32_t keep = 0u - static_cast<std::uint32_t>(!(c < 0.0f));
  return std::bit_cast<float>(std::bit_cast<std::uint32_t>(e) & keep);
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

/// The three corner hashes of cell (i, j); lower says the point lies in the cell's lower
/// triangle, whose middle corner is (i + 1, j) rather than (i, j + 1).
struct CornerHashes {
  std::uint32_t g0, g1, g2;
};

inline CornerHashes HashCorners(std::int32_t i, std::int32_t j, bool lower) {
  const auto ui = static_cast<std::uint32_t>(i);
  const auto uj = static_cast<std::uint32_t>(j);
  const std::uint32_t i1 = lower ? 1u : 0u;
  const std::uint32_t j1 = lower ? 0u : 1u;
  return {Perm(ui + Perm(uj)), Perm(ui + i1 + Perm(uj + j1)), Perm(ui + 1u + Perm(uj + 1u))};
}

/// The corners summed and scaled to about −1 … 1, from the point's distances (x0, y0) to the
/// cell's origin and the corner hashes.
inline float SumCorners(float x0, float y0, const CornerHashes& h) {
  // Which triangle of the cell: ties go to the upper one.
  const float lower = static_cast<float>(x0 > y0);  // 1 or 0
  const float x1 = x0 - lower + kG2;
  const float y1 = y0 - (1.0f - lower) + kG2;
  const float x2 = x0 - 1.0f + kG2x2;
  const float y2 = y0 - 1.0f + kG2x2;
  const float e0 = Corner2(h.g0, x0, y0);
  const float e1 = Corner2(h.g1, x1, y1);
  const float e2 = Corner2(h.g2, x2, y2);
  return ((e0 + e1) + e2) * 45.23065f;
}

}  // namespace simplex

/// Two-dimensional simplex noise after Stefan Gustavson, "Simplex noise demystified" (2005), in
/// single precision and in a fixed order of operations; about −1 … 1, 0 at the origin.
inline float SimplexNoise2D(float x, float y) {
  using namespace simplex;
  // Skew the input to find the simplex cell.
  const float s = (x + y) * kF2;
  const std::int32_t i = FloorToInt(x + s);
  const std::int32_t j = FloorToInt(y + s);

  // Unskew the cell origin back and take the distances from it. The index sum is formed in 64
  // bits, which equals the 32-bit sum wherever that does not overflow.
  const float t = static_cast<float>(static_cast<std::int64_t>(i) + j) * kG2;
  const float x0 = x - (static_cast<float>(i) - t);
  const float y0 = y - (static_cast<float>(j) - t);
  return SumCorners(x0, y0, HashCorners(i, j, x0 > y0));
}

/// One-dimensional simplex noise after the same paper; about −1 … 1, 0 at every whole number.
inline float SimplexNoise1D(float x) {
  using namespace simplex;
  const std::int32_t i0 = FloorToInt(x);
  const float x0 = x - static_cast<float>(i0);
  const float x1 = x0 - 1.0f;
  const auto ui = static_cast<std::uint32_t>(i0);
  const float e0 = Corner1(Perm(ui), x0);
  const float e1 = Corner1(Perm(ui + 1u), x1);
  return (e0 + e1) * 0.395f;
}

}  // namespace jf
