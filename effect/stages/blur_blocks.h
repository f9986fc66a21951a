// Blur Blocks: blurred rectangles at seeded places.
#pragma once

#include <cstddef>
#include <cstdint>

#include "AE_Effect.h"
#include "render/pixel_mask.h"
#include "render/pixel_traits.h"
#include "render/rect.h"
#include "render/stage.h"
#include "stages/seeded_size.h"

namespace jf {

/// One block: its rectangle (left, right, top, bottom, in that order), its centre and its size.
/// Eight 32-bit integers, in the host handle that holds the table.
struct BlurBlockRecord {
  A_long left, right, top, bottom;
  A_long cx, cy;
  A_long width, height;
};
static_assert(sizeof(BlurBlockRecord) == 32);

/// The plain values the stage computes with: whole parameter values and the render's downsample
/// factors (1.0 at full size).
struct BlurBlocksSettings {
  A_long radius = 0;
  A_long count = 0;
  A_long positionSeed = 0;
  SeededSize width;
  SeededSize height;
  double downsampleX = 1.0;
  double downsampleY = 1.0;
};

/// Lays out settings.count blocks over the extent (left, top, width, height) into table: centres
/// follow the extent, sizes are scaled by the downsample factors. A pure function.
void PlaceBlurBlocks(const BlurBlocksSettings& settings, A_long left, A_long top, A_long width,
                     A_long height, BlurBlockRecord* table);

/// The blur radius in pixels for the render's horizontal downsample factor, num × radius ÷ den
/// in unsigned 32-bit arithmetic, rounded down. A factor with no denominator means full size.
A_u_long BlurRadiusPixels(A_long radius, const PF_RationalScale& downsampleX);

/// True when (x, y) lies strictly inside the block (its edges are outside).
inline bool InBlock(const BlurBlockRecord& b, A_long x, A_long y) {
  return b.left < x && x < b.right && b.top < y && y < b.bottom;
}

/// Which pixels of an area lie in at least one block, one bit each, read-only once built. Every
/// block shows the same blurred image, so a pixel needs only to know whether any block holds it,
/// and the answer is the one the first block in table order would give.
using BlockCoverage = PixelMask;

/// Bytes of memory BuildBlockCoverage needs for area and count blocks; 0 for an empty area.
std::size_t BlockCoverageBytes(const PF_LRect& area, A_long count);

/// Fills memory (BlockCoverageBytes(area, count) bytes, 8-byte aligned) from the table.
BlockCoverage BuildBlockCoverage(const BlurBlockRecord* table, A_long count, const PF_LRect& area,
                                 void* memory);

/// True when some block holds (x, y). With a null coverage every block is tested in table order;
/// both give the same answer. Inline: the per-pixel pass asks it for every pixel.
inline bool InAnyBlock(const BlurBlockRecord* table, A_long count, const BlockCoverage* coverage,
                       A_long x, A_long y) {
  if (coverage != nullptr && coverage->Covers(x, y)) return coverage->Test(x, y);
  for (A_long i = 0; i < count; ++i) {
    if (InBlock(table[i], x, y)) return true;
  }
  return false;
}

/// Copies src to dst, then replaces the pixels inside the blocks by those of a blurred copy.
template <PixelTraitsLike Px>
PF_Err RenderBlurBlocks(PF_InData* in, PF_EffectWorld* src, PF_EffectWorld* dst);

JF_STAGE_ROUTINE_DEPTHS(extern template, RenderBlurBlocks);

}  // namespace jf
