// Conversions the layouts share.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "AE_Effect.h"

namespace jf {

/// Truncates toward zero to a 32-bit integer. Values beyond the 32-bit range saturate and NaN
/// gives 0, where a bare conversion would be undefined; every value in range is unchanged.
inline A_long TruncToLong(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return std::numeric_limits<A_long>::max();
  if (v <= -2147483648.0) return std::numeric_limits<A_long>::min();
  return static_cast<A_long>(v);
}

/// Keeps a 64-bit coordinate or length inside a record's 32-bit fields.
inline A_long Clamp32(std::int64_t v) {
  return static_cast<A_long>(std::clamp<std::int64_t>(v, std::numeric_limits<A_long>::min(),
                                                      std::numeric_limits<A_long>::max()));
}

/// A downsample factor numerator ÷ denominator as a double; a host that leaves it unset (0/0)
/// means full size, rather than a division by zero.
inline double DownsampleFactor(const PF_RationalScale& scale) {
  if (scale.den == 0) return 1.0;
  return static_cast<double>(scale.num) / static_cast<double>(scale.den);
}

/// A draw as a percentage 0 … 99.
inline A_long Percent(A_long draw) {
  return draw % 100;
}

}  // namespace jf
