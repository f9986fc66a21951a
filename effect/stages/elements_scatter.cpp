// See elements_scatter.h.
#include "stages/elements_scatter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "entry/suite_handler.h"
#include "host/host_ops.h"
#include "params/param_reader.h"
#include "params/param_table.h"
#include "render/numeric.h"
#include "render/pixel_mask.h"
#include "render/pixel_traits.h"
#include "render/rect.h"
#include "render/seeded_random.h"
#include "stages/blend_modes.h"

namespace jf {
namespace {

constexpr std::int64_t kLongMin = std::numeric_limits<A_long>::min();

/// A seed parameter plus its kind's offset, taken modulo 2^32 as the generator takes seeds.
A_long OffsetSeed(A_long seed, A_long offset) {
  return static_cast<A_long>(static_cast<std::uint32_t>(static_cast<std::int64_t>(seed) + offset));
}

/// base + trunc(p % of range), written as base − trunc((p ÷ −100.0) × range) because that is the
/// evaluation the layouts are made of: p = 29 of 100 gives 28, since 0.29 × 100 is 28.99….
std::int64_t Jitter(std::int64_t base, A_long p, A_long range) {
  return base - TruncToLong((p / -100.0) * range);
}

/// A parameter's whole value scaled by the downsample factor.
A_long Scaled(A_long v, double dsx) {
  return TruncToLong(v * dsx);
}

PF_LRect Box(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom) {
  return MakeRect(Clamp32(left), Clamp32(top), Clamp32(right), Clamp32(bottom));
}

/// The square box of half size h about (cx, cy).
PF_LRect Square(A_long cx, A_long cy, std::int64_t h) {
  return Box(cx - h, cy - h, cx + h, cy + h);
}

template <typename Record>
void PlacePositions(A_long seed, A_long left, A_long top, A_long width, A_long height, A_long count,
                    Record* table) {
  SeededRandom::SeedAndDiscard(OffsetSeed(seed, SeedOffsets(Record::kKind).position));
  for (A_long i = 0; i < count; ++i) {
    const A_long p1 = Percent(SeededRandom::Next());
    const A_long p2 = Percent(SeededRandom::Next());
    table[i].cx = Clamp32(Jitter(left, p1, width));
    table[i].cy = Clamp32(Jitter(top, p2, height));
  }
}

/// The dotted line's left edge, kept inside 32 bits. A line longer than 32 bits reaches can start
/// further left than a field holds; it then starts a whole number of periods later, so every dot
/// that can show stays where it was.
A_long DottedLineLeft(std::int64_t left, A_long period) {
  if (left >= kLongMin) return Clamp32(left);
  if (period <= 0) return static_cast<A_long>(kLongMin);
  const std::int64_t periods = (kLongMin - left + period - 1) / period;
  return Clamp32(left + periods * period);
}

void PlaceDottedSizes(const ShapeSettings& s, A_long count, DottedLineRecord* table) {
  const ScatterSeedOffsets offsets = SeedOffsets(ScatterKind::DottedLine);
  const double dsx = s.downsampleX;

  SeededRandom::SeedAndDiscard(OffsetSeed(s.sizeSeed, offsets.size));
  for (A_long i = 0; i < count; ++i) {
    const A_long p = Percent(SeededRandom::Next());
    table[i].dot = Clamp32(Jitter(Scaled(s.size, dsx), p, Scaled(s.sizeRange, dsx)));
  }

  SeededRandom::SeedAndDiscard(OffsetSeed(s.spaceSizeSeed, offsets.spaceSize));
  for (A_long i = 0; i < count; ++i) {
    const A_long p = Percent(SeededRandom::Next());
    table[i].space = Clamp32(Jitter(Scaled(s.spaceSize, dsx), p, Scaled(s.spaceSizeRange, dsx)));
  }

  // Dot counts are not lengths: no scaling.
  SeededRandom::SeedAndDiscard(OffsetSeed(s.dotsSeed, offsets.dotCount));
  for (A_long i = 0; i < count; ++i) {
    DottedLineRecord& r = table[i];
    const A_long p = Percent(SeededRandom::Next());
    r.dotCount = Clamp32(Jitter(s.minDots, p, s.dotsRange));
    r.period = Clamp32(static_cast<std::int64_t>(r.dot) + r.space);
    // The length overflows 32 bits well inside the sliders' valid ranges; 64 bits hold it.
    const std::int64_t length = static_cast<std::int64_t>(r.period) * r.dotCount - r.space;
    const std::int64_t left = r.cx - length / 2;
    const std::int64_t top = r.cy - r.dot / 2;
    r.box = MakeRect(DottedLineLeft(left, r.period), Clamp32(top), Clamp32(left + length),
                     Clamp32(top + r.dot));
  }
}

// ---- Inside tests -----------------------------------------------------------------------

std::int64_t Abs64(std::int64_t v) {
  return v < 0 ? -v : v;
}

bool OnDiagonal(const PF_LRect& box, A_long cx, A_long cy, A_long stroke, A_long x, A_long y) {
  if (!InsideStrict(box, x, y)) return false;
  const std::int64_t d = Abs64(Abs64(std::int64_t{x} - cx) - Abs64(std::int64_t{y} - cy));
  return d < stroke;
}

// ---- Tile index ---------------------------------------------------------------------------

// Index entries allowed before tiles grow (16 MB of record numbers), and tiles allowed (4 MB of
// offsets). Tiles start at 8 pixels, small enough that thin outlines skip most of them.
constexpr std::int64_t kIndexEntryBudget = std::int64_t{1} << 22;
constexpr std::int64_t kIndexTileBudget = std::int64_t{1} << 20;
constexpr int kFirstTileShift = 3;

/// An inclusive range of pixels, x0 … x1 by y0 … y1; empty when either runs backwards.
struct PixelSpan {
  std::int64_t x0, y0, x1, y1;
};

/// The pixels strictly inside a box.
PixelSpan Interior(const PF_LRect& r) {
  return {std::int64_t{r.left} + 1, std::int64_t{r.top} + 1, std::int64_t{r.right} - 1,
          std::int64_t{r.bottom} - 1};
}

bool Empty(const PixelSpan& s) {
  return s.x0 > s.x1 || s.y0 > s.y1;
}

PixelSpan Intersect(const PixelSpan& a, const PixelSpan& b) {
  return {std::max(a.x0, b.x0), std::max(a.y0, b.y0), std::min(a.x1, b.x1), std::min(a.y1, b.y1)};
}

/// Up to four spans covering outer without hole: above, below, left of and right of it.
int Frame(const PixelSpan& outer, const PixelSpan& hole, PixelSpan* out) {
  const PixelSpan h = Intersect(outer, hole);
  if (Empty(outer)) return 0;
  if (Empty(h)) {
    out[0] = outer;
    return 1;
  }
  const PixelSpan parts[4] = {{outer.x0, outer.y0, outer.x1, h.y0 - 1},
                              {outer.x0, h.y1 + 1, outer.x1, outer.y1},
                              {outer.x0, h.y0, h.x0 - 1, h.y1},
                              {h.x1 + 1, h.y0, outer.x1, h.y1}};
  int n = 0;
  for (const PixelSpan& p : parts) {
    if (!Empty(p)) out[n++] = p;
  }
  return n;
}

// Spans that together hold every pixel a record's shape can cover, tighter than its box where
// the shape is hollow, so that a tile inside a large outline does not list it.
int CoverSpans(const CircleRecord& r, PixelSpan* out) {
  // The square inside the hole: 2q² < inner² keeps every pixel of it nearer than inner.
  const std::int64_t inner2 = std::int64_t{r.inner} * r.inner;
  std::int64_t q = r.inner > 0 ? static_cast<std::int64_t>(std::sqrt((inner2 - 1) / 2.0)) : -1;
  while (q >= 0 && 2 * q * q >= inner2) --q;
  while (q >= 0 && 2 * (q + 1) * (q + 1) < inner2) ++q;
  return Frame(Interior(r.box), PixelSpan{r.cx - q, r.cy - q, r.cx + q, r.cy + q}, out);
}
int CoverSpans(const SquareRecord& r, PixelSpan* out) {
  return Frame(Interior(r.box), Interior(r.inner), out);
}
int CoverSpans(const PlusRecord& r, PixelSpan* out) {
  int n = 0;
  for (const PF_LRect& bar : {r.vertical, r.horizontal}) {
    const PixelSpan s = Intersect(Interior(r.box), Interior(bar));
    if (!Empty(s)) out[n++] = s;
  }
  return n;
}
template <typename Record>
int CoverSpans(const Record& r, PixelSpan* out) {
  out[0] = Interior(r.box);
  return Empty(out[0]) ? 0 : 1;
}

/// Calls fn(tile number) once for every tile of the index that one of the record's cover spans
/// reaches, tiles in increasing order.
template <typename Record, typename Fn>
void ForEachTile(const Record& r, const ShapeIndex& index, Fn fn) {
  PixelSpan spans[4];
  const int n = CoverSpans(r, spans);
  const PixelSpan area = {index.area.left, index.area.top, std::int64_t{index.area.right} - 1,
                          std::int64_t{index.area.bottom} - 1};
  PixelSpan tiles[4];
  std::int64_t tx0 = INT64_MAX, ty0 = INT64_MAX, tx1 = -1, ty1 = -1;
  int live = 0;
  for (int i = 0; i < n; ++i) {
    const PixelSpan s = Intersect(spans[i], area);
    if (Empty(s)) continue;
    PixelSpan& t = tiles[live++];
    t = {(s.x0 - area.x0) >> index.shift, (s.y0 - area.y0) >> index.shift,
         (s.x1 - area.x0) >> index.shift, (s.y1 - area.y0) >> index.shift};
    tx0 = std::min(tx0, t.x0);
    ty0 = std::min(ty0, t.y0);
    tx1 = std::max(tx1, t.x1);
    ty1 = std::max(ty1, t.y1);
  }
  for (std::int64_t ty = ty0; ty <= ty1; ++ty) {
    for (std::int64_t tx = tx0; tx <= tx1; ++tx) {
      for (int i = 0; i < live; ++i) {
        if (tiles[i].x0 <= tx && tx <= tiles[i].x1 && tiles[i].y0 <= ty && ty <= tiles[i].y1) {
          fn(ty * index.tilesAcross + tx);
          break;
        }
      }
    }
  }
}

std::int64_t TileCount(const ShapeIndex& index) {
  return static_cast<std::int64_t>(index.tilesAcross) * index.tilesDown;
}

// ---- Reading the parameters ----------------------------------------------------------------

struct KindParams {
  ParamId enable;
  ParamId count;
  ParamId positionSeed;
  ParamId opacity;
  ParamId color;
  ParamId overrideBlendMode;
  ParamId blendMode;
  // Size parameters of the first five kinds, in the order they are read.
  ParamId stroke;
  ParamId size;
  ParamId sizeRange;
  ParamId sizeSeed;
};

constexpr KindParams kKindParams[kScatterKindCount] = {
    {ParamId::CircleEnable, ParamId::CircleNumberOfShapes, ParamId::CirclePositionSeed,
     ParamId::CircleOpacity, ParamId::CircleColor, ParamId::CircleOverrideBlendMode,
     ParamId::CircleBlendMode, ParamId::CircleStrokeWidth, ParamId::CircleRadius,
     ParamId::CircleRadiusRange, ParamId::CircleRadiusSeed},
    {ParamId::SquareEnable, ParamId::SquareNumberOfShapes, ParamId::SquarePositionSeed,
     ParamId::SquareOpacity, ParamId::SquareColor, ParamId::SquareOverrideBlendMode,
     ParamId::SquareBlendMode, ParamId::SquareStrokeWidth, ParamId::SquareSize,
     ParamId::SquareSizeRange, ParamId::SquareSizeSeed},
    {ParamId::PlusEnable, ParamId::PlusNumberOfShapes, ParamId::PlusPositionSeed,
     ParamId::PlusOpacity, ParamId::PlusColor, ParamId::PlusOverrideBlendMode,
     ParamId::PlusBlendMode, ParamId::PlusStrokeWidth, ParamId::PlusSize, ParamId::PlusSizeRange,
     ParamId::PlusSizeSeed},
    {ParamId::XEnable, ParamId::XNumberOfShapes, ParamId::XPositionSeed, ParamId::XOpacity,
     ParamId::XColor, ParamId::XOverrideBlendMode, ParamId::XBlendMode, ParamId::XStrokeWidth,
     ParamId::XSize, ParamId::XSizeRange, ParamId::XSizeSeed},
    {ParamId::XSquareEnable, ParamId::XSquareNumberOfShapes, ParamId::XSquarePositionSeed,
     ParamId::XSquareOpacity, ParamId::XSquareColor, ParamId::XSquareOverrideBlendMode,
     ParamId::XSquareBlendMode, ParamId::XSquareStrokeWidth, ParamId::XSquareSize,
     ParamId::XSquareSizeRange, ParamId::XSquareSizeSeed},
    // Dotted Line has no stroke or size of this kind; ReadShapeSettings reads its own set.
    {ParamId::DottedLineEnable, ParamId::DottedLineNumberOfShapes, ParamId::DottedLinePositionSeed,
     ParamId::DottedLineOpacity, ParamId::DottedLineColor, ParamId::DottedLineOverrideBlendMode,
     ParamId::DottedLineBlendMode, ParamId::DottedLineDotSize, ParamId::DottedLineDotSize,
     ParamId::DottedLineDotSizeRange, ParamId::DottedLineDotSizeSeed},
};

/// Reads a kind's position and size parameters in index order. Like every read of the stage it
/// reports the last read's code.
PF_Err ReadShapeSettings(PF_InData* in, ScatterKind kind, ShapeSettings& s) {
  const KindParams& p = kKindParams[static_cast<int>(kind)];
  s.downsampleX = DownsampleFactor(in->downsample_x);
  ReadRunKeepingLast read(in);
  s.positionSeed = read.FloatSliderInt(p.positionSeed);
  if (kind != ScatterKind::DottedLine) {
    s.stroke = read.FloatSliderInt(p.stroke);
    s.size = read.FloatSliderInt(p.size);
    s.sizeRange = read.FloatSliderInt(p.sizeRange);
    s.sizeSeed = read.FloatSliderInt(p.sizeSeed);
    return read.Error();
  }
  s.size = read.FloatSliderInt(ParamId::DottedLineDotSize);
  s.spaceSize = read.FloatSliderInt(ParamId::DottedLineSpaceSize);
  s.minDots = read.FloatSliderInt(ParamId::DottedLineMinNumberOfDots);
  s.dotsRange = read.FloatSliderInt(ParamId::DottedLineNumberOfDotsRange);
  s.dotsSeed = read.FloatSliderInt(ParamId::DottedLineNumberOfDotsSeed);
  s.sizeRange = read.FloatSliderInt(ParamId::DottedLineDotSizeRange);
  s.spaceSizeRange = read.FloatSliderInt(ParamId::DottedLineSpaceSizeRange);
  s.sizeSeed = read.FloatSliderInt(ParamId::DottedLineDotSizeSeed);
  s.spaceSizeSeed = read.FloatSliderInt(ParamId::DottedLineSpaceSizeSeed);
  return read.Error();
}

// ---- The pixel rule -----------------------------------------------------------------------

/// What the pixel rule reads: the shape table, its index (null when the host gave no memory for
/// one), the mask of the pixels some shape holds (without bits when there was no memory for it)
/// and the hit pixel, the kind's colour and opacity already converted to the layer's depth.
template <PixelTraitsLike Px, typename Record>
struct ShapeLayerInfo {
  const Record* table;
  A_long count;
  const ShapeIndex* index;
  PixelMask mask;
  typename Px::Pixel hit;
};

/// FirstShapeAt, inlined where the pixel rule asks it once per pixel.
template <typename Record>
inline A_long FindShape(const Record* table, A_long count, const ShapeIndex* index, A_long x,
                        A_long y) {
  if (index != nullptr && index->starts != nullptr && Contains(index->area, x, y)) {
    const std::int64_t tile =
        std::int64_t{(y - index->area.top) >> index->shift} * index->tilesAcross +
        ((x - index->area.left) >> index->shift);
    for (std::int32_t e = index->starts[tile]; e < index->starts[tile + 1]; ++e) {
      const A_long i = index->entries[e];
      if (InShape(table[i], x, y)) return i;
    }
    return -1;
  }
  for (A_long i = 0; i < count; ++i) {
    if (InShape(table[i], x, y)) return i;
  }
  return -1;
}

// A mask larger than this (a layer of over 500 million pixels) is not made; the pixel rule then
// asks the index at every pixel.
constexpr std::size_t kMaskByteBudget = std::size_t{1} << 26;

template <PixelTraitsLike Px, typename Record>
PF_Err ShapePixel(void* refcon, A_long x, A_long y, typename Px::Pixel*, typename Px::Pixel* out) {
  const auto* info = static_cast<const ShapeLayerInfo<Px, Record>*>(refcon);
  const bool hit = info->mask.Covers(x, y)
                       ? info->mask.Test(x, y)
                       : FindShape(info->table, info->count, info->index, x, y) >= 0;
  // A pixel in no shape is grey 0, all channels zero at every depth, which the layer already
  // holds: it is made cleared. Leaving it spares a store to most of the frame.
  if (hit) *out = info->hit;
  return PF_Err_NONE;
}

/// Places the kind's shapes in the layer: reads its size parameters, lays out the table, indexes
/// it and runs the pixel rule. Returns the running status.
template <PixelTraitsLike Px, typename Record>
PF_Err DrawShapes(SuiteHandler& suites, PF_InData* in, PF_EffectWorld* src, PF_EffectWorld* layer,
                  A_long count, const PF_PixelFloat& color, float opacity, Record* table) {
  ShapeSettings settings;
  if (PF_Err err = ReadShapeSettings(in, Record::kKind, settings); err != PF_Err_NONE) return err;
  const PF_LRect area = layer->extent_hint;
  const A_long width = area.right - area.left;
  const A_long height = area.bottom - area.top;
  PlaceShapes(settings, area.left, area.top, width, height, count, table);

  // Index the table so each pixel tests only the records whose box can hold it, and answer every
  // pixel once, from the index, into a mask the pixel rule reads. Without memory for the mask
  // every pixel asks the index, and without memory for the index it tests the whole table; the
  // layer comes out the same either way. Mask and index share one piece of memory, the mask
  // first, where its 8-byte words are aligned.
  ShapeIndex index = PlanShapeIndex(table, count, area);
  ScopedHandle indexMemory(suites);
  const ShapeIndex* usedIndex = nullptr;
  PixelMask mask;
  const std::size_t indexBytes = ShapeIndexBytes(index);
  const std::size_t maskBytes = PixelMaskBytes(area) <= kMaskByteBudget ? PixelMaskBytes(area) : 0;
  if (indexBytes > 0 && indexMemory.Allocate(maskBytes + indexBytes)) {
    if (auto* memory = static_cast<char*>(indexMemory.Lock())) {
      index = BuildShapeIndex(table, count, index, memory + maskBytes);
      usedIndex = &index;
      if (maskBytes > 0) {
        mask = ClearedPixelMask(area, memory);
        MaskShapes(table, index, mask);
      }
    }
  }

  ShapeLayerInfo<Px, Record> info{table, count, usedIndex, mask, typename Px::Pixel{}};
  SetARGB(info.hit, color.red, color.green, color.blue, opacity);
  return Px::Iterate(suites, in, 0, height, src, nullptr, &info, &ShapePixel<Px, Record>, layer);
}

/// One kind's pass: its layer, its shapes, its composite. Returns the pass's running status.
template <PixelTraitsLike Px, typename Record>
PF_Err RunKindPass(SuiteHandler& suites, PF_InData* in, PF_EffectWorld* src, PF_EffectWorld* dst,
                   PF_PixelFormat format, BlendMode groupBlendMode) {
  const KindParams& p = kKindParams[static_cast<int>(Record::kKind)];
  // The pass goes on with what the last read reported.
  ReadRunKeepingLast read(in);
  const bool overrideMode = read.Checkbox(p.overrideBlendMode);
  const auto ownBlendMode = static_cast<BlendMode>(read.Popup(p.blendMode));
  const PF_PixelFloat color = read.Color(p.color);
  const float opacity = read.Percent(p.opacity) / 100.0f;

  // No layer, no pass: a layer that was not made is neither drawn into nor composited nor
  // disposed of, whether making it failed or a read's failure kept it from being made.
  if (PF_Err err = read.Error(); err != PF_Err_NONE) return err;
  const PF_Rect extent = dst->extent_hint;
  ScopedWorld layer(suites, in->effect_ref);
  PF_Err status =
      layer.Create(extent.right - extent.left, extent.bottom - extent.top, format, true);
  if (status != PF_Err_NONE) return status;

  const A_long count = read.FloatSliderInt(p.count);
  status = read.Error();
  if (status == PF_Err_NONE && count > 0) {
    // No memory for the table leaves the layer empty; it is composited all the same.
    ScopedHandle table(suites);
    if (table.Allocate(static_cast<std::size_t>(count) * sizeof(Record))) {
      if (auto* records = static_cast<Record*>(table.Lock())) {
        status = DrawShapes<Px>(suites, in, src, layer.World(), count, color, opacity, records);
      }
    }
  }

  if (status == PF_Err_NONE) {
    status = BlendComposite(in, layer.World(), dst, overrideMode ? ownBlendMode : groupBlendMode,
                            extent);
  }
  const PF_Err disposeErr = layer.Dispose();
  if (status == PF_Err_NONE) status = disposeErr;
  return status;
}

}  // namespace

// ---- Placement ------------------------------------------------------------------------------

template <typename Record>
void PlaceShapes(const ShapeSettings& s, A_long left, A_long top, A_long width, A_long height,
                 A_long count, Record* table) {
  if (count <= 0) return;
  PlacePositions(s.positionSeed, left, top, width, height, count, table);
  if constexpr (Record::kKind == ScatterKind::DottedLine) {
    PlaceDottedSizes(s, count, table);
  } else {
    const double dsx = s.downsampleX;
    const A_long base = Scaled(s.size, dsx);
    const A_long stroke = Scaled(s.stroke, dsx);
    const A_long range = Scaled(s.sizeRange, dsx);
    SeededRandom::SeedAndDiscard(OffsetSeed(s.sizeSeed, SeedOffsets(Record::kKind).size));
    for (A_long i = 0; i < count; ++i) {
      Record& r = table[i];
      const std::int64_t jittered = Jitter(base, Percent(SeededRandom::Next()), range);
      if constexpr (Record::kKind == ScatterKind::Circle) {
        r.outer = Clamp32(jittered);
        r.inner = Clamp32(std::max<std::int64_t>(std::int64_t{r.outer} - stroke, 0));
        r.box = Square(r.cx, r.cy, r.outer);
      } else {
        // Half sizes: integer halving toward zero.
        const std::int64_t h = Clamp32(jittered / 2);
        const std::int64_t m = std::max<std::int64_t>(h - stroke, 0);
        if constexpr (Record::kKind == ScatterKind::Square) {
          r.box = Square(r.cx, r.cy, h);
          r.inner = Square(r.cx, r.cy, m);
        } else if constexpr (Record::kKind == ScatterKind::Plus) {
          // The box grows by the stroke on the right and at the bottom only, so a stroke wider
          // than h cuts the vertical bar on the left and the horizontal bar at the top.
          r.box = Box(r.cx - h, r.cy - h, r.cx + h + stroke, r.cy + h + stroke);
          r.vertical =
              Box(std::int64_t{r.cx} - stroke, r.cy - h, std::int64_t{r.cx} + stroke, r.cy + h);
          r.horizontal =
              Box(r.cx - h, std::int64_t{r.cy} - stroke, r.cx + h, std::int64_t{r.cy} + stroke);
        } else if constexpr (Record::kKind == ScatterKind::X) {
          r.box = Square(r.cx, r.cy, h);
          r.stroke = stroke;
        } else {
          static_assert(Record::kKind == ScatterKind::XSquare);
          r.box = Square(r.cx, r.cy, h);
          r.stroke = stroke;
          r.inner = Square(r.cx, r.cy, m);
        }
      }
    }
  }
}

// ---- Inside tests -------------------------------------------------------------------------

bool InShape(const CircleRecord& r, A_long x, A_long y) {
  if (!InsideStrict(r.box, x, y)) return false;
  // 64-bit squares: radii and distances above 46340 would overflow 32 bits.
  const std::int64_t dx = std::int64_t{x} - r.cx;
  const std::int64_t dy = std::int64_t{y} - r.cy;
  const std::int64_t d2 = dx * dx + dy * dy;
  const std::int64_t inner = r.inner;
  const std::int64_t outer = r.outer;
  return inner * inner <= d2 && d2 < outer * outer;
}

bool InShape(const SquareRecord& r, A_long x, A_long y) {
  return InsideStrict(r.box, x, y) && !InsideStrict(r.inner, x, y);
}

bool InShape(const PlusRecord& r, A_long x, A_long y) {
  return InsideStrict(r.box, x, y) &&
         (InsideStrict(r.vertical, x, y) || InsideStrict(r.horizontal, x, y));
}

bool InShape(const XRecord& r, A_long x, A_long y) {
  return OnDiagonal(r.box, r.cx, r.cy, r.stroke, x, y);
}

bool InShape(const XSquareRecord& r, A_long x, A_long y) {
  return OnDiagonal(r.box, r.cx, r.cy, r.stroke, x, y) ||
         (InsideStrict(r.box, x, y) && !InsideStrict(r.inner, x, y));
}

bool InShape(const DottedLineRecord& r, A_long x, A_long y) {
  if (!InsideStrict(r.box, x, y) || r.dot <= 0) return false;
  // A zero period has no remainder; it only arises when the space cancels the dot exactly.
  if (r.period == 0) return false;
  return (std::int64_t{x} - r.box.left) % r.period < r.dot;
}

// ---- Tile index -----------------------------------------------------------------------------

template <typename Record>
ShapeIndex PlanShapeIndex(const Record* table, A_long count, const PF_LRect& area) {
  ShapeIndex index;
  index.area = area;
  if (IsEmpty(area) || count <= 0) return index;
  const std::int64_t width = std::int64_t{area.right} - area.left;
  const std::int64_t height = std::int64_t{area.bottom} - area.top;
  for (int shift = kFirstTileShift;; ++shift) {
    index.shift = shift;
    index.tilesAcross = static_cast<A_long>(((width - 1) >> shift) + 1);
    index.tilesDown = static_cast<A_long>(((height - 1) >> shift) + 1);
    if (TileCount(index) > kIndexTileBudget) continue;
    // Counting stops once the budget is passed (those tiles are too small anyway), except for a
    // single tile, which lists at most every record once.
    const bool lastChance = TileCount(index) == 1;
    index.entryCount = 0;
    for (A_long i = 0; i < count && (lastChance || index.entryCount <= kIndexEntryBudget); ++i) {
      ForEachTile(table[i], index, [&](std::int64_t) { ++index.entryCount; });
    }
    if (lastChance || index.entryCount <= kIndexEntryBudget) return index;
  }
}

std::size_t ShapeIndexBytes(const ShapeIndex& plan) {
  if (plan.tilesAcross <= 0 || plan.tilesDown <= 0) return 0;
  return static_cast<std::size_t>(TileCount(plan) + 1 + plan.entryCount) * sizeof(std::int32_t);
}

template <typename Record>
ShapeIndex BuildShapeIndex(const Record* table, A_long count, const ShapeIndex& plan,
                           void* memory) {
  ShapeIndex index = plan;
  const std::int64_t tiles = TileCount(index);
  if (tiles <= 0 || memory == nullptr) return ShapeIndex{plan.area};
  auto* starts = static_cast<std::int32_t*>(memory);
  std::int32_t* entries = starts + tiles + 1;
  std::fill(starts, starts + tiles + 1, 0);

  // Count per tile, then turn the counts into start offsets.
  for (A_long i = 0; i < count; ++i) {
    ForEachTile(table[i], index, [&](std::int64_t t) { ++starts[t + 1]; });
  }
  for (std::int64_t t = 0; t < tiles; ++t) starts[t + 1] += starts[t];

  // Fill in table order, so each tile lists its records in table order; starts[t] runs on to
  // the end of tile t and is moved back one tile afterwards.
  for (A_long i = 0; i < count; ++i) {
    ForEachTile(table[i], index, [&](std::int64_t t) { entries[starts[t]++] = i; });
  }
  for (std::int64_t t = tiles; t > 0; --t) starts[t] = starts[t - 1];
  starts[0] = 0;

  index.starts = starts;
  index.entries = entries;
  return index;
}

template <typename Record>
A_long FirstShapeAt(const Record* table, A_long count, const ShapeIndex* index, A_long x,
                    A_long y) {
  return FindShape(table, count, index, x, y);
}

template <typename Record>
void MaskShapes(const Record* table, const ShapeIndex& index, const PixelMask& mask) {
  if (index.starts == nullptr || mask.bits == nullptr) return;
  const std::int64_t side = std::int64_t{1} << index.shift;
  const std::int64_t width = std::int64_t{index.area.right} - index.area.left;
  const std::int64_t height = std::int64_t{index.area.bottom} - index.area.top;
  for (std::int64_t ty = 0; ty < index.tilesDown; ++ty) {
    for (std::int64_t tx = 0; tx < index.tilesAcross; ++tx) {
      const std::int64_t tile = ty * index.tilesAcross + tx;
      const std::int32_t begin = index.starts[tile], end = index.starts[tile + 1];
      if (begin == end) continue;
      const std::int64_t rowEnd = std::min(height, (ty + 1) * side);
      const std::int64_t colEnd = std::min(width, (tx + 1) * side);
      for (std::int64_t row = ty * side; row < rowEnd; ++row) {
        const auto y = static_cast<A_long>(index.area.top + row);
        std::uint64_t* bits = mask.Row(row);
        for (std::int64_t col = tx * side; col < colEnd; ++col) {
          const auto x = static_cast<A_long>(index.area.left + col);
          for (std::int32_t e = begin; e < end; ++e) {
            if (InShape(table[index.entries[e]], x, y)) {
              bits[col >> 6] |= std::uint64_t{1} << (col & 63);
              break;
            }
          }
        }
      }
    }
  }
}

// ---- The stage ------------------------------------------------------------------------------

template <PixelTraitsLike Px>
PF_Err RenderElementsScatter(PF_InData* in, PF_EffectWorld* src, PF_EffectWorld* dst) {
  SuiteHandler suites(in->pica_basicP);

  PF_PixelFormat format = PF_PixelFormat_INVALID;
  if (PF_Err err = suites.WorldSuite()->PF_GetPixelFormat(dst, &format); err != PF_Err_NONE) {
    return err;
  }

  // Shapes are drawn over the source; a failed copy does not stop them.
  (void)CopyExtent(in, src, dst);

  ReadRunKeepingLast read(in);
  const auto groupBlendMode = static_cast<BlendMode>(read.Popup(ParamId::ElementsScatterBlendMode));
  bool enabled[kScatterKindCount];
  for (int k = 0; k < kScatterKindCount; ++k) enabled[k] = read.Checkbox(kKindParams[k].enable);
  PF_Err status = read.Error();

  // Each kind's pass starts afresh, so the stage reports the last enabled kind's status.
  using Pass = PF_Err (*)(SuiteHandler&, PF_InData*, PF_EffectWorld*, PF_EffectWorld*,
                          PF_PixelFormat, BlendMode);
  constexpr Pass kPasses[kScatterKindCount] = {
      &RunKindPass<Px, CircleRecord>,  &RunKindPass<Px, SquareRecord>,
      &RunKindPass<Px, PlusRecord>,    &RunKindPass<Px, XRecord>,
      &RunKindPass<Px, XSquareRecord>, &RunKindPass<Px, DottedLineRecord>,
  };
  for (int k = 0; k < kScatterKindCount; ++k) {
    if (enabled[k]) status = kPasses[k](suites, in, src, dst, format, groupBlendMode);
  }
  return status;
}

#define JF_SCATTER_INSTANTIATE(Record)                                                            \
  template void PlaceShapes<Record>(const ShapeSettings&, A_long, A_long, A_long, A_long, A_long, \
                                    Record*);                                                     \
  template ShapeIndex PlanShapeIndex<Record>(const Record*, A_long, const PF_LRect&);             \
  template ShapeIndex BuildShapeIndex<Record>(const Record*, A_long, const ShapeIndex&, void*);   \
  template A_long FirstShapeAt<Record>(const Record*, A_long, const ShapeIndex*, A_long, A_long); \
  template void MaskShapes<Record>(const Record*, const ShapeIndex&, const PixelMask&);
JF_SCATTER_INSTANTIATE(CircleRecord)
JF_SCATTER_INSTANTIATE(SquareRecord)
JF_SCATTER_INSTANTIATE(PlusRecord)
JF_SCATTER_INSTANTIATE(XRecord)
JF_SCATTER_INSTANTIATE(XSquareRecord)
JF_SCATTER_INSTANTIATE(DottedLineRecord)
#undef JF_SCATTER_INSTANTIATE

JF_STAGE_ROUTINE_DEPTHS(template, RenderElementsScatter);

}  // namespace jf
