// Elements Scatter: six kinds of simple shapes scattered over the image.
#pragma once

#include <cstddef>
#include <cstdint>

#include "AE_Effect.h"
#include "render/pixel_mask.h"
#include "render/pixel_traits.h"
#include "render/stage.h"

namespace jf {

/// The six kinds, in the order they are drawn: each later kind is composited over the earlier.
enum class ScatterKind : int { Circle, Square, Plus, X, XSquare, DottedLine };
inline constexpr int kScatterKindCount = 6;

/// What is added to a kind's seed parameters before seeding, so that kinds with equal seed values
/// still fall in different places. Circle uses its seeds as they are. Only Dotted Line has the
/// space and dot-count seeds; its size seed is the dot-size seed.
struct ScatterSeedOffsets {
  A_long position;
  A_long size;
  A_long spaceSize;
  A_long dotCount;
};

constexpr ScatterSeedOffsets SeedOffsets(ScatterKind kind) {
  switch (kind) {
    case ScatterKind::Circle:
      return {0, 0, 0, 0};
    case ScatterKind::Square:
      return {444638, 234526, 0, 0};
    case ScatterKind::Plus:
      return {223453, 743564, 0, 0};
    case ScatterKind::X:
      return {338472, 634523, 0, 0};
    case ScatterKind::XSquare:
      return {743425, 554345, 0, 0};
    case ScatterKind::DottedLine:
      return {643722, 243522, 764234, 742223};
  }
  return {0, 0, 0, 0};
}

// Shape records: signed 32-bit fields, the bounding box first (for Square and X-Square it is the
// outer box). Every shape lies strictly inside its box, which is what lets the pixel pass skip a
// record by its box alone.

struct CircleRecord {
  static constexpr ScatterKind kKind = ScatterKind::Circle;
  PF_LRect box;
  A_long cx, cy;
  A_long inner, outer;
};

struct SquareRecord {
  static constexpr ScatterKind kKind = ScatterKind::Square;
  PF_LRect box;
  A_long cx, cy;
  PF_LRect inner;
};

struct PlusRecord {
  static constexpr ScatterKind kKind = ScatterKind::Plus;
  PF_LRect box;
  A_long cx, cy;
  PF_LRect vertical;
  PF_LRect horizontal;
};

struct XRecord {
  static constexpr ScatterKind kKind = ScatterKind::X;
  PF_LRect box;
  A_long cx, cy;
  A_long stroke;
};

struct XSquareRecord {
  static constexpr ScatterKind kKind = ScatterKind::XSquare;
  PF_LRect box;
  A_long cx, cy;
  A_long stroke;
  PF_LRect inner;
};

struct DottedLineRecord {
  static constexpr ScatterKind kKind = ScatterKind::DottedLine;
  PF_LRect box;
  A_long cx, cy;
  A_long dot, space, dotCount, period;
};

static_assert(sizeof(CircleRecord) == 32 && sizeof(SquareRecord) == 40 &&
              sizeof(PlusRecord) == 56 && sizeof(XRecord) == 28 && sizeof(XSquareRecord) == 44 &&
              sizeof(DottedLineRecord) == 40);

/// The whole values of one kind's position and size parameters, unscaled, and the render's
/// horizontal downsample factor, which scales every length of the stage, vertical ones too.
/// Circle's base size is its radius; Dotted Line uses dot and space sizes and dot counts instead
/// of size and stroke (its size range and seed are the dot-size ones).
struct ShapeSettings {
  A_long positionSeed = 0;
  A_long size = 0;
  A_long stroke = 0;
  A_long sizeRange = 0;
  A_long sizeSeed = 0;
  A_long spaceSize = 0;
  A_long spaceSizeRange = 0;
  A_long spaceSizeSeed = 0;
  A_long minDots = 0;
  A_long dotsRange = 0;
  A_long dotsSeed = 0;
  double downsampleX = 1.0;
};

/// Fills count records of one kind over the layer area (left, top, width, height): positions from
/// the position seed, then sizes from the size seeds, each run seeded and its first draw thrown
/// away. A pure function of its arguments. Lengths that would leave 32 bits are formed in 64 bits
/// and boxes are kept inside the 32-bit range, so every shape that can show is drawn as it is.
template <typename Record>
void PlaceShapes(const ShapeSettings& settings, A_long left, A_long top, A_long width,
                 A_long height, A_long count, Record* table);

/// True when pixel (x, y) lies in the shape. Box edges are outside (strict on all sides).
bool InShape(const CircleRecord& r, A_long x, A_long y);
bool InShape(const SquareRecord& r, A_long x, A_long y);
bool InShape(const PlusRecord& r, A_long x, A_long y);
bool InShape(const XRecord& r, A_long x, A_long y);
bool InShape(const XSquareRecord& r, A_long x, A_long y);
bool InShape(const DottedLineRecord& r, A_long x, A_long y);

/// A read-only index of a shape table by square tiles of an area: for each tile, in table order,
/// the records whose shape can hold a pixel of that tile (judged by the box, less the hollow
/// middle of rings, outlines and crosses of bars). Built once on the rendering thread, read
/// by any number of threads during the pixel pass. It lives in memory the caller provides.
struct ShapeIndex {
  PF_LRect area{};
  int shift = 0;  // tiles are 2^shift pixels square
  A_long tilesAcross = 0;
  A_long tilesDown = 0;
  std::int64_t entryCount = 0;
  const std::int32_t* starts = nullptr;   // tilesAcross × tilesDown + 1 offsets into entries
  const std::int32_t* entries = nullptr;  // record numbers
};

/// Chooses the tile size for table over area and counts the entries; the returned index has no
/// memory yet. Tiles start small and grow until tiles and entries fit fixed budgets, so huge
/// shapes or worlds cost a bounded amount of memory.
template <typename Record>
ShapeIndex PlanShapeIndex(const Record* table, A_long count, const PF_LRect& area);

/// Bytes of memory BuildShapeIndex needs for a planned index.
std::size_t ShapeIndexBytes(const ShapeIndex& plan);

/// Fills memory (ShapeIndexBytes(plan) bytes, 4-byte aligned) and returns the usable index.
template <typename Record>
ShapeIndex BuildShapeIndex(const Record* table, A_long count, const ShapeIndex& plan, void* memory);

/// The first record, in table order, whose shape holds (x, y), or -1. With a null index every
/// record is tested; with one, only the records listed for the pixel's tile. Both give the same
/// answer.
template <typename Record>
A_long FirstShapeAt(const Record* table, A_long count, const ShapeIndex* index, A_long x, A_long y);

/// Sets mask's bit for every pixel of the index's area (the mask's too) that some record holds,
/// asking each pixel's tile as FirstShapeAt does. Tiles that list no record hold no shape and are
/// skipped, which is most of a sparsely scattered layer.
template <typename Record>
void MaskShapes(const Record* table, const ShapeIndex& index, const PixelMask& mask);

/// Copies src to dst and composites one layer of shapes per enabled kind over it.
template <PixelTraitsLike Px>
PF_Err RenderElementsScatter(PF_InData* in, PF_EffectWorld* src, PF_EffectWorld* dst);

JF_STAGE_ROUTINE_DEPTHS(extern template, RenderElementsScatter);

#define JF_SCATTER_EXTERN(Record)                                                                \
  extern template void PlaceShapes<Record>(const ShapeSettings&, A_long, A_long, A_long, A_long, \
                                           A_long, Record*);                                     \
  extern template ShapeIndex PlanShapeIndex<Record>(const Record*, A_long, const PF_LRect&);     \
  extern template ShapeIndex BuildShapeIndex<Record>(const Record*, A_long, const ShapeIndex&,   \
                                                     void*);                                     \
  extern template A_long FirstShapeAt<Record>(const Record*, A_long, const ShapeIndex*, A_long,  \
                                              A_long);                                           \
  extern template void MaskShapes<Record>(const Record*, const ShapeIndex&, const PixelMask&);
JF_SCATTER_EXTERN(CircleRecord)
JF_SCATTER_EXTERN(SquareRecord)
JF_SCATTER_EXTERN(PlusRecord)
JF_SCATTER_EXTERN(XRecord)
JF_SCATTER_EXTERN(XSquareRecord)
JF_SCATTER_EXTERN(DottedLineRecord)
#undef JF_SCATTER_EXTERN

}  // namespace jf
