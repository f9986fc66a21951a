// Noise: tinted fractal simplex noise added to the colour channels.
#pragma once

#include <atomic>
#include <cstdint>
#include <new>
#include <utility>
#include <vector>

#include "AE_Effect.h"
#include "render/pixel_traits.h"
#include "render/stage.h"

namespace jf {

/// The plain values the pixel rule reads, filled once before iteration and never changed during
/// it.
struct NoiseSettings {
  float frequency = 0.0f;         // noise units across the width and across the height
  float amplitude = 0.0f;         // the first octave's amplitude, 0 … 1
  float width = 0.0f;             // the destination extent's width
  float height = 0.0f;            // the destination extent's height
  PF_PixelFloat tint{};           // on the scale of the host's floating-point colour
  float tintContribution = 0.0f;  // 0 … 1
  A_long octaves = 0;
  float preserveFrequency = 0.0f;  // each octave's frequency factor over the one before
  float preserveAmplitude = 0.0f;  // each octave's amplitude factor over the one before
  float amplitudeSum = 0.0f;       // NoiseAmplitudeSum of the above
};

/// The octaves' amplitudes added up in octave order, A + A·PA + …, in single precision; 0 when
/// there are no octaves or the amplitude is 0. It does not depend on the pixel.
float NoiseAmplitudeSum(const NoiseSettings& settings);

/// An allocator whose resize leaves new elements as they come, for a table whose every element is
/// written before it is read: a frame of weights is not cleared first only to be overwritten.
template <typename T>
struct UnsetAllocator : std::allocator<T> {
  UnsetAllocator() noexcept = default;
  template <typename U>
  UnsetAllocator(const UnsetAllocator<U>&) noexcept {}  // NOLINT: converting, as allocators are
  template <typename U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};

/// What the pixel rule reads: the settings and, octave by octave, the noise coordinate of every
/// column, (x · f) ÷ W, and of every row, (y · f) ÷ H, with each octave's amplitude. Each depends
/// on one axis or on the octave only, so it is formed once per render rather than once per pixel,
/// with the same operations. Where the coordinates allow it, the weight 1 − total ÷ sum of every
/// pixel goes into a table too, a row at a time, the same arithmetic in vector lanes: the first
/// pixel of a row that the pass reaches weighs the row, so the rows are weighed on the pass's
/// threads.
struct NoiseJob {
  NoiseSettings settings;
  A_long columns = 0;                  // x in 0 … columns − 1 has its coordinates here
  A_long rows = 0;                     // y likewise
  std::vector<float> columnTerm;       // octave k, column x at k · columns + x
  std::vector<float> rowTerm;          // row y, octave k at y · octaves + k
  std::vector<float> octaveAmplitude;  // A · PA^k, multiplied up octave by octave
  std::vector<float, UnsetAllocator<float>> weight;  // pixel (x, y) at y · columns + x, or empty
  std::vector<std::atomic<std::uint8_t>> rowState;   // whether row y's weights are in the table
};

/// The job for a destination of columns × rows pixels. Where the tables would be unreasonably
/// large (octaves × size, or the frame for the weights), they stay empty and the pixel rule
/// computes what they would hold itself.
NoiseJob MakeNoiseJob(const NoiseSettings& settings, A_long columns, A_long rows);

/// The pixel rule: in's colour plus the noise weight times the tint times its contribution,
/// converted without clamping (wrapping at 8 and 16 bits); alpha copied. With an amplitude sum
/// of 0 there is no noise and the pixel is copied unchanged. refcon is a NoiseJob.
template <PixelTraitsLike Px>
PF_Err NoisePixel(void* refcon, A_long x, A_long y, typename Px::Pixel* in,
                  typename Px::Pixel* out);

JF_PIXEL_RULE_DEPTHS(extern template, NoisePixel);

/// Noise: tinted fractal simplex noise added to the colour channels. Returns the iteration's
/// error, else the status of the last parameter read ("Tint Contribution").
template <PixelTraitsLike Px>
PF_Err RenderNoise(PF_InData* in, PF_EffectWorld* src, PF_EffectWorld* dst);

JF_STAGE_ROUTINE_DEPTHS(extern template, RenderNoise);

}  // namespace jf
