// See blur_blocks.h.
#include "stages/blur_blocks.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>

#include "AE_GeneralPlug.h"
#include "entry/suite_handler.h"
#include "host/host_ops.h"
#include "params/param_reader.h"
#include "params/param_table.h"
#include "render/numeric.h"
#include "render/pixel_traits.h"
#include "render/rect.h"
#include "render/seeded_random.h"

namespace jf {
namespace {

constexpr AEGP_PluginID kNoPluginId = 0;

/// The blurred copy: an AEGP world, disposed when the guard goes out of scope unless Dispose()
/// already did it. Making and disposing go through "AEGP World Suite" 2, the host's effect-world
/// view and the blur through version 3, whose members sit at other places in the record.
class ScopedAegpWorld {
 public:
  explicit ScopedAegpWorld(SuiteHandler& suites) : m_suites(suites) {}
  ~ScopedAegpWorld() { Dispose(); }
  ScopedAegpWorld(const ScopedAegpWorld&) = delete;
  ScopedAegpWorld& operator=(const ScopedAegpWorld&) = delete;

  PF_Err Create(AEGP_WorldType type, A_long width, A_long height) {
    AEGP_WorldH world = nullptr;
    const PF_Err err =
        m_suites.AegpWorldSuite2()->AEGP_New(kNoPluginId, type, width, height, &world);
    if (err == PF_Err_NONE) m_world = world;
    return err;
  }
  PF_Err FillOut(PF_EffectWorld* effectWorld) {
    return m_suites.AegpWorldSuite3()->AEGP_FillOutPFEffectWorld(m_world, effectWorld);
  }
  PF_Err Blur(double radius, PF_ModeFlags mode, PF_Quality quality) {
    return m_suites.AegpWorldSuite3()->AEGP_FastBlur(radius, mode, quality, m_world);
  }
  PF_Err Dispose() {
    if (m_world == nullptr) return PF_Err_NONE;
    return m_suites.AegpWorldSuite2()->AEGP_Dispose(std::exchange(m_world, nullptr));
  }

 private:
  SuiteHandler& m_suites;
  AEGP_WorldH m_world = nullptr;
};

/// Reads the layout parameters, in the order the stage lists them.
void ReadLayoutSettings(ReadRun& read, BlurBlocksSettings& s) {
  s.positionSeed = read.FloatSliderInt(ParamId::BlurBlocksPositionSeed);
  s.width = ReadSeededSize(read, ParamId::BlurBlocksMinWidth, ParamId::BlurBlocksWidthRange,
                           ParamId::BlurBlocksWidthSeed);
  s.height = ReadSeededSize(read, ParamId::BlurBlocksMinHeight, ParamId::BlurBlocksHeightRange,
                            ParamId::BlurBlocksHeightSeed);
}

/// What the per-pixel pass reads: the block table and the coverage built from it, which has no
/// bits when the host gave no memory for them.
struct BlurJob {
  const BlurBlockRecord* table;
  A_long count;
  BlockCoverage coverage;
};

template <PixelTraitsLike Px>
PF_Err BlurPixel(void* refcon, A_long x, A_long y, typename Px::Pixel* in,
                 typename Px::Pixel* out) {
  const auto* job = static_cast<const BlurJob*>(refcon);
  if (InAnyBlock(job->table, job->count, &job->coverage, x, y)) *out = *in;
  return PF_Err_NONE;
}

/// Replaces dst's pixels inside the blocks by blurred's: places the blocks, indexes them and
/// runs the per-pixel pass.
template <PixelTraitsLike Px>
PF_Err PasteBlocks(SuiteHandler& suites, PF_InData* in, PF_EffectWorld* blurred,
                   PF_EffectWorld* dst, BlurBlocksSettings& settings, BlurBlockRecord* table) {
  ReadRun read(in);
  ReadLayoutSettings(read, settings);
  if (PF_Err err = read.Error(); err != PF_Err_NONE) return err;
  PF_Rect extent = dst->extent_hint;
  const A_long width = extent.right - extent.left;
  const A_long height = extent.bottom - extent.top;
  PlaceBlurBlocks(settings, extent.left, extent.top, width, height, table);

  // Without memory for the coverage every pixel tests the blocks one by one, with the same result.
  BlockCoverage coverage;
  ScopedHandle coverageMemory(suites);
  const std::size_t coverageBytes = BlockCoverageBytes(extent, settings.count);
  if (coverageBytes > 0 && coverageMemory.Allocate(coverageBytes)) {
    if (void* memory = coverageMemory.Lock()) {
      coverage = BuildBlockCoverage(table, settings.count, extent, memory);
    }
  }

  BlurJob job{table, settings.count, coverage};
  return Px::Iterate(suites, in, 0, height, blurred, &extent, &job, &BlurPixel<Px>, dst);
}

}  // namespace

void PlaceBlurBlocks(const BlurBlocksSettings& s, A_long left, A_long top, A_long width,
                     A_long height, BlurBlockRecord* table) {
  if (s.count <= 0) return;

  // Centres follow the extent, which the downsampling has already made smaller.
  SeededRandom::SeedAndDiscard(s.positionSeed);
  for (A_long i = 0; i < s.count; ++i) {
    const A_long p1 = Percent(SeededRandom::Next());
    const A_long p2 = Percent(SeededRandom::Next());
    table[i].cx = Clamp32(std::int64_t{left} + TruncToLong(p1 / 100.0 * width));
    table[i].cy = Clamp32(std::int64_t{top} + TruncToLong(p2 / 100.0 * height));
  }

  // Widths and heights, each from its own seed, scaled by the downsampling.
  DrawSeededSizes(s.width, s.downsampleX, s.count,
                  [table](A_long i, A_long w) { table[i].width = w; });
  DrawSeededSizes(s.height, s.downsampleY, s.count, [table](A_long i, A_long h) {
    BlurBlockRecord& b = table[i];
    b.height = h;
    b.left = Clamp32(std::int64_t{b.cx} - b.width / 2);
    b.right = Clamp32(std::int64_t{b.cx} + b.width / 2);
    b.top = Clamp32(std::int64_t{b.cy} - b.height / 2);
    b.bottom = Clamp32(std::int64_t{b.cy} + b.height / 2);
  });
}

A_u_long BlurRadiusPixels(A_long radius, const PF_RationalScale& downsampleX) {
  if (downsampleX.den == 0) return static_cast<A_u_long>(radius);
  // Unsigned 32-bit on purpose: the product wraps as the host's own arithmetic does.
  return static_cast<A_u_long>(downsampleX.num) * static_cast<A_u_long>(radius) / downsampleX.den;
}

namespace {

/// The pixels of area strictly inside block b, as columns [x0, x1) and rows [y0, y1) counted from
/// the area's corner; false when there are none.
bool CoveredSpan(const BlurBlockRecord& b, const PF_LRect& area, std::int64_t span[4]) {
  span[0] = std::max<std::int64_t>(std::int64_t{b.left} + 1, area.left) - area.left;
  span[1] = std::min<std::int64_t>(b.right, area.right) - area.left;
  span[2] = std::max<std::int64_t>(std::int64_t{b.top} + 1, area.top) - area.top;
  span[3] = std::min<std::int64_t>(b.bottom, area.bottom) - area.top;
  return span[0] < span[1] && span[2] < span[3];
}

}  // namespace

std::size_t BlockCoverageBytes(const PF_LRect& area, A_long count) {
  if (IsEmpty(area)) return 0;
  const auto w = static_cast<std::size_t>(std::int64_t{area.right} - area.left);
  const auto h = static_cast<std::size_t>(std::int64_t{area.bottom} - area.top);
  const auto blocks = static_cast<std::size_t>(std::max<A_long>(count, 0));
  // The mask, then what building it needs: a count per column, and the blocks' starts and ends
  // sorted by row (an offset per row, and two entries per block).
  return PixelMaskBytes(area) + ((w + 1) + (h + 2) + 2 * blocks) * sizeof(std::int32_t);
}

BlockCoverage BuildBlockCoverage(const BlurBlockRecord* table, A_long count, const PF_LRect& area,
                                 void* memory) {
  if (IsEmpty(area) || memory == nullptr) return BlockCoverage{area};
  const std::int64_t w = std::int64_t{area.right} - area.left;
  const std::int64_t h = std::int64_t{area.bottom} - area.top;
  const BlockCoverage coverage = ClearedPixelMask(area, memory);
  auto* columns =
      reinterpret_cast<std::int32_t*>(static_cast<char*>(memory) + PixelMaskBytes(area));
  std::int32_t* rowStarts = columns + w + 1;  // events of row y: rowStarts[y] … rowStarts[y + 1]
  std::int32_t* events = rowStarts + h + 2;  // block i + 1 where it starts, −(i + 1) past its end
  std::fill(columns, columns + w + 1, 0);
  std::fill(rowStarts, rowStarts + h + 2, 0);

  // Sort the starts and ends by row: count them, turn the counts into offsets, place them.
  std::int64_t span[4];
  for (A_long i = 0; i < count; ++i) {
    if (!CoveredSpan(table[i], area, span)) continue;
    ++rowStarts[span[2] + 1];
    ++rowStarts[span[3] + 1];
  }
  for (std::int64_t y = 0; y <= h; ++y) rowStarts[y + 1] += rowStarts[y];
  for (A_long i = 0; i < count; ++i) {
    if (!CoveredSpan(table[i], area, span)) continue;
    events[rowStarts[span[2]]++] = i + 1;
    events[rowStarts[span[3]]++] = -(i + 1);
  }
  // Placing moved each offset to the next row's; move them back.
  for (std::int64_t y = h; y > 0; --y) rowStarts[y] = rowStarts[y - 1];
  rowStarts[0] = 0;

  // Going down the rows, columns holds a difference array of the blocks over the current row:
  // +1 at a block's first covered column, −1 past its last, so the running sum counts the blocks
  // over each column. Only a row where a block starts or ends is worked out; the rows between
  // repeat the one above, and a first row without a start is in no block and stays clear.
  for (std::int64_t y = 0; y < h; ++y) {
    std::uint64_t* row = coverage.Row(y);
    if (rowStarts[y] == rowStarts[y + 1]) {
      if (y > 0) std::copy(row - coverage.wordsPerRow, row, row);
      continue;
    }
    for (std::int32_t e = rowStarts[y]; e < rowStarts[y + 1]; ++e) {
      const std::int32_t step = events[e] > 0 ? 1 : -1;
      CoveredSpan(table[events[e] * step - 1], area, span);
      columns[span[0]] += step;
      columns[span[1]] -= step;
    }
    std::int32_t blocks = 0;
    for (std::int64_t x = 0; x < w; ++x) {
      blocks += columns[x];
      if (blocks > 0) row[x >> 6] |= std::uint64_t{1} << (x & 63);
    }
  }
  return coverage;
}

template <PixelTraitsLike Px>
PF_Err RenderBlurBlocks(PF_InData* in, PF_EffectWorld* src, PF_EffectWorld* dst) {
  SuiteHandler suites(in->pica_basicP);
  const PF_Rect extent = dst->extent_hint;
  const A_long width = extent.right - extent.left;
  const A_long height = extent.bottom - extent.top;

  PF_PixelFormat format = PF_PixelFormat_INVALID;
  if (PF_Err err = suites.WorldSuite()->PF_GetPixelFormat(dst, &format); err != PF_Err_NONE) {
    return err;
  }
  if (PF_Err err = CopyExtent(in, src, dst); err != PF_Err_NONE) return err;

  BlurBlocksSettings settings;
  settings.downsampleX = DownsampleFactor(in->downsample_x);
  settings.downsampleY = DownsampleFactor(in->downsample_y);
  ReadRun read(in);
  settings.radius = read.FloatSliderInt(ParamId::BlurBlocksRadius);
  settings.count = read.FloatSliderInt(ParamId::BlurBlocksNumberOfBlocks);
  PF_Err err = read.Error();
  if (err != PF_Err_NONE) return err;
  // Nothing to blur or nowhere to show it: the copy is the result, and no blur is computed.
  if (settings.radius <= 0 || settings.count <= 0) return PF_Err_NONE;

  // The blurred copy B of the whole source.
  ScopedAegpWorld blurredWorld(suites);
  if (err = blurredWorld.Create(Px::kAegpWorldType, width, height); err != PF_Err_NONE) {
    return err;
  }
  PF_EffectWorld blurred{};
  err = blurredWorld.FillOut(&blurred);
  if (err == PF_Err_NONE) {
    // The host asks for no effect reference on calls about a world of its AEGP side.
    PF_Rect from = src->extent_hint;
    PF_Rect to = blurred.extent_hint;
    err = in->utils->copy(nullptr, src, &blurred, &from, &to);
  }
  if (err == PF_Err_NONE) {
    const double radius = BlurRadiusPixels(settings.radius, in->downsample_x);
    err = blurredWorld.Blur(radius, PF_MF_Alpha_STRAIGHT, in->quality);
  }

  // No memory for the table leaves dst the plain copy of src; that is not an error.
  if (err == PF_Err_NONE) {
    ScopedHandle table(suites);
    if (table.Allocate(static_cast<std::size_t>(settings.count) * sizeof(BlurBlockRecord))) {
      if (auto* blocks = static_cast<BlurBlockRecord*>(table.Lock())) {
        err = PasteBlocks<Px>(suites, in, &blurred, dst, settings, blocks);
      }
    }
  }

  const PF_Err disposeErr = blurredWorld.Dispose();
  return err != PF_Err_NONE ? err : disposeErr;
}

JF_STAGE_ROUTINE_DEPTHS(template, RenderBlurBlocks);

}  // namespace jf
