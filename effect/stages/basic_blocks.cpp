// See basic_blocks.h.
#include "stages/basic_blocks.h"

#include "entry/suite_handler.h"
#include "host/host_ops.h"
#include "params/param_reader.h"
#include "params/param_table.h"
#include "render/numeric.h"
#include "render/seeded_random.h"
#include "stages/blend_modes.h"

namespace jf {
namespace {

/// Reads everything but the block count, in the order the stage lists them.
void ReadLayoutSettings(ReadRun& read, BasicBlocksSettings& s) {
  s.maxHorizontalOffset = read.FloatSliderInt(ParamId::BasicBlocksMaxHorizontalOffset);
  s.maxVerticalOffset = read.FloatSliderInt(ParamId::BasicBlocksMaxVerticalOffset);
  s.positionSeed = read.FloatSliderInt(ParamId::BasicBlocksPositionSeed);
  s.width = ReadSeededSize(read, ParamId::BasicBlocksMinWidth, ParamId::BasicBlocksWidthRange,
                           ParamId::BasicBlocksWidthSeed);
  s.height = ReadSeededSize(read, ParamId::BasicBlocksMinHeight, ParamId::BasicBlocksHeightRange,
                            ParamId::BasicBlocksHeightSeed);
  s.blendMode = static_cast<BlendMode>(read.Popup(ParamId::BasicBlocksBlendMode));
}

}  // namespace

void PlaceBasicBlocks(const BasicBlocksSettings& s, A_long left, A_long top, A_long width,
                      A_long height, BlockRecord* table) {
  const A_long hw = TruncToLong(width * 0.5);
  const A_long hh = TruncToLong(height * 0.5);

  // Positions and shifts: four draws per block, as a rule shifting towards the middle.
  SeededRandom::SeedAndDiscard(s.positionSeed);
  for (A_long i = 0; i < s.count; ++i) {
    BlockRecord& b = table[i];
    const A_long p1 = Percent(SeededRandom::Next());
    const A_long p2 = Percent(SeededRandom::Next());
    const A_long p3 = Percent(SeededRandom::Next());
    const A_long p4 = Percent(SeededRandom::Next());
    b.x = left + hw - TruncToLong((p1 / -50.0 + 1.0) * hw);
    b.y = TruncToLong((p2 / 50.0 - 1.0) * hh) + hh + top;
    const A_long mx = TruncToLong(p3 / 100.0 * s.maxHorizontalOffset * s.downsampleX);
    const A_long my = TruncToLong(p4 / 100.0 * s.maxVerticalOffset * s.downsampleY);
    // Compared with the half sizes themselves, not with the extent's middle.
    b.dx = b.x > hw ? -mx : mx;
    b.dy = b.y > hh ? -my : my;
  }

  // Widths, then heights and the target rectangles.
  DrawSeededSizes(s.width, s.downsampleX, s.count, [table](A_long i, A_long w) {
    BlockRecord& b = table[i];
    b.width = w;
    b.x = b.x - b.width / 2;
  });
  DrawSeededSizes(s.height, s.downsampleY, s.count, [table](A_long i, A_long h) {
    BlockRecord& b = table[i];
    b.height = h;
    b.y = b.y - b.height / 2;
    b.destLeft = b.x + b.dx;
    b.destTop = b.y + b.dy;
    b.destRight = b.x + b.dx + b.width;
    b.destBottom = b.y + b.dy + b.height;
  });
}

PF_Err RenderBasicBlocks(PF_InData* in, PF_EffectWorld* src, PF_EffectWorld* dst) {
  SuiteHandler suites(in->pica_basicP);
  const PF_Rect extent = dst->extent_hint;
  const A_long width = extent.right - extent.left;
  const A_long height = extent.bottom - extent.top;

  PF_PixelFormat format = PF_PixelFormat_INVALID;
  if (PF_Err err = suites.WorldSuite()->PF_GetPixelFormat(dst, &format); err != PF_Err_NONE) {
    return err;
  }

  BasicBlocksSettings settings;
  settings.downsampleX = DownsampleFactor(in->downsample_x);
  settings.downsampleY = DownsampleFactor(in->downsample_y);
  ReadRun read(in);
  settings.count = read.FloatSliderInt(ParamId::BasicBlocksNumberOfBlocks);
  PF_Err err = read.Error();
  if (err != PF_Err_NONE) return err;
  if (settings.count < 0) settings.count = 0;

  // Without scratch memory there is no layout: the source passes through unchanged.
  ScopedHandle table(suites);
  if (!table.Allocate(static_cast<std::size_t>(settings.count) * sizeof(BlockRecord))) {
    return CopyExtent(in, src, dst);
  }
  auto* blocks = static_cast<BlockRecord*>(table.Lock());
  if (blocks == nullptr) return CopyExtent(in, src, dst);

  ReadLayoutSettings(read, settings);
  if (err = read.Error(); err != PF_Err_NONE) return err;
  PlaceBasicBlocks(settings, extent.left, extent.top, width, height, blocks);

  ScopedWorld layer(suites, in->effect_ref);
  if (err = layer.Create(width, height, format, true); err != PF_Err_NONE) return err;

  // Later blocks replace earlier ones where they overlap; the host clips what lies outside.
  for (A_long i = 0; i < settings.count; ++i) {
    const BlockRecord& b = blocks[i];
    PF_Rect from{b.x, b.y, b.x + b.width, b.y + b.height};
    PF_Rect to{b.destLeft, b.destTop, b.destRight, b.destBottom};
    if (err = in->utils->copy(in->effect_ref, src, layer.World(), &from, &to); err != PF_Err_NONE) {
      return err;
    }
  }

  if (err = CopyExtent(in, src, dst); err != PF_Err_NONE) return err;
  if (err = BlendComposite(in, layer.World(), dst, settings.blendMode, extent);
      err != PF_Err_NONE) {
    return err;
  }
  return layer.Dispose();
}

}  // namespace jf
