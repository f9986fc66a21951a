// See blend_pixels.h.
#include "headless/blend_pixels.h"

#include <cmath>
#include <type_traits>

namespace jf::headless {
namespace {

template <typename T>
void Blend(const std::uint8_t* originalBytes, std::uint8_t* renderedBytes, const float* coverage,
           std::size_t count) {
  const T* o = reinterpret_cast<const T*>(originalBytes);
  T* r = reinterpret_cast<T*>(renderedBytes);
  for (std::size_t i = 0; i < count; ++i) {
    const float m = coverage[i];
    for (std::size_t c = i * 4; c < i * 4 + 4; ++c) {
      const float v = static_cast<float>(o[c]) + (static_cast<float>(r[c]) - o[c]) * m;
      if constexpr (std::is_floating_point_v<T>) {
        r[c] = v;
      } else {
        r[c] = static_cast<T>(std::lround(v));
      }
    }
  }
}

}  // namespace

void BlendPixels(int depth, const std::uint8_t* original, std::uint8_t* rendered,
                 const float* coverage, std::size_t count) {
  if (depth == 8) {
    Blend<std::uint8_t>(original, rendered, coverage, count);
  } else if (depth == 16) {
    Blend<std::uint16_t>(original, rendered, coverage, count);
  } else {
    Blend<float>(original, rendered, coverage, count);
  }
}

}  // namespace jf::headless
