// One frame blended over another by a coverage per pixel: how a host mixes a rendered frame
// back over the original (a matte, an overall mix).
#pragma once

#include <cstddef>
#include <cstdint>

namespace jf::headless {

/// Blends count pixels of the host layout at depth (8, 16 or 32) in place, every channel alpha
/// included: rendered = original + (rendered − original) × coverage, rounded to the nearest at 8
/// and 16 bits.
void BlendPixels(int depth, const std::uint8_t* original, std::uint8_t* rendered,
                 const float* coverage, std::size_t count);

}  // namespace jf::headless
