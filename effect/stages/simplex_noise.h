// Two- and one-dimensional simplex noise in single precision, shared by Noise and Warp.
#pragma once

#include <array>
#include <cstdint>

namespace jf {

/// Ken Perlin's reference permutation of 0 … 255 from "Improving Noise" (SIGGRAPH 2002); every
/// hash below indexes it modulo 256.
extern const std::array<std::uint8_t, 256> NoisePermutation;

/// Two-dimensional simplex noise after Stefan Gustavson, "Simplex noise demystified" (2005), in
/// single precision and in a fixed order of operations; about −1 … 1, 0 at the origin.
float SimplexNoise2D(float x, float y);

/// One-dimensional simplex noise after the same paper; about −1 … 1, 0 at every whole number.
float SimplexNoise1D(float x);

}  // namespace jf
