// Basic Blocks: displaced rectangular blocks composited over the source.
#pragma once

#include "AE_Effect.h"
#include "stages/blend_modes.h"
#include "stages/seeded_size.h"

namespace jf {

/// One block: where it lands in the block layer, where it is cut from the source, its size and
/// its shift. Ten 32-bit integers, in the host handle that holds the table.
struct BlockRecord {
  A_long destLeft, destTop, destRight, destBottom;
  A_long x, y;
  A_long width, height;
  A_long dx, dy;
};
static_assert(sizeof(BlockRecord) == 40);

/// The plain values the stage computes with, read once per render.
struct BasicBlocksSettings {
  A_long count = 0;
  A_long maxHorizontalOffset = 0;
  A_long maxVerticalOffset = 0;
  A_long positionSeed = 0;
  SeededSize width;
  SeededSize height;
  BlendMode blendMode{};
  double downsampleX = 1.0;
  double downsampleY = 1.0;
};

/// Lays out settings.count blocks over the extent (left, top, width, height) into table: a pure
/// function of its arguments and the seeds, the same on every frame and every machine.
void PlaceBasicBlocks(const BasicBlocksSettings& settings, A_long left, A_long top, A_long width,
                      A_long height, BlockRecord* table);

/// Copies displaced blocks of src into a cleared layer and composites the layer over a copy of
/// src in dst with the chosen blend mode. Every step is a host operation on whole worlds, so the
/// one routine serves all three depths.
PF_Err RenderBasicBlocks(PF_InData* in, PF_EffectWorld* src, PF_EffectWorld* dst);

}  // namespace jf
