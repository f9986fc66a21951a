// Warp: rows shifted by smoothed one-dimensional noise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "AE_Effect.h"
#include "render/pixel_traits.h"
#include "render/stage.h"

namespace jf {

/// The stage's parameters as it computes with them.
struct WarpSettings {
  float frequency = 0.0f;  // noise units over the height
  A_long amplitude = 0;    // the largest shift, in pixels
  A_long offset = 0;       // where along the noise row 0 samples
};

/// Row i's unsmoothed shift for i = 0 … rows − 1: the 1D noise at (i ÷ rows) × F + O, times
/// the amplitude, truncated toward zero.
void SampleWarpRowOffsets(const WarpSettings& settings, A_long rows, A_long* offsets);

/// Smooths rows 1 … rows − 2 in place, top to bottom, each from its already smoothed upper
/// neighbour and its not yet smoothed lower one; the first and last rows keep their values.
void SmoothWarpRowOffsets(A_long rows, A_long* offsets);

/// Both steps: the row table the pixel rule reads.
void PlaceWarpRowOffsets(const WarpSettings& settings, A_long rows, A_long* offsets);

/// One row's shift as the pixel rule applies it: the destination columns x with
/// first <= x < first + count read the source pixel at address base + x × the pixel's size
/// (modulo 2^64); count is 0 where the row reads nothing.
struct WarpRowSpan {
  std::uint64_t base = 0;
  A_long first = 0;
  std::uint32_t count = 0;
};

/// What the pixel rule reads: the row table and where the source's extent lies in its pixels.
struct WarpPixelContext {
  const A_long* offsets = nullptr;
  A_long rows = 0;
  const char* srcData = nullptr;
  std::ptrdiff_t rowbytes = 0;
  A_long left = 0;  // the source extent's left and top
  A_long top = 0;
  std::uint64_t columns = 0;  // its width and height, 0 where it is empty
  std::uint64_t extentRows = 0;
  const WarpRowSpan* spans = nullptr;  // one per row, where the render prepared them
};

/// The context for a row table of rows entries over src.
WarpPixelContext MakeWarpPixelContext(const A_long* offsets, A_long rows,
                                      const PF_EffectWorld* src);

/// The spans of a context's rows, for pixels of pixelBytes; empty when memory for them is short.
std::vector<WarpRowSpan> MakeWarpRowSpans(const WarpPixelContext& context, std::size_t pixelBytes);

/// The pixel rule: out becomes the source pixel at (x + offsets[y], y) when the source's extent
/// contains it; otherwise out is not written. refcon is a WarpPixelContext.
template <PixelTraitsLike Px>
PF_Err WarpPixel(void* refcon, A_long x, A_long y, typename Px::Pixel* in, typename Px::Pixel* out);

JF_PIXEL_RULE_DEPTHS(extern template, WarpPixel);

/// Warp: rows shifted by smoothed one-dimensional noise. Without scratch memory for the row
/// table it leaves dst unwritten and returns 0; otherwise it returns the iteration's error, else
/// the status of the last parameter read ("Offset").
template <PixelTraitsLike Px>
PF_Err RenderWarp(PF_InData* in, PF_EffectWorld* src, PF_EffectWorld* dst);

JF_STAGE_ROUTINE_DEPTHS(extern template, RenderWarp);

}  // namespace jf
