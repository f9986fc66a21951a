// One bit per pixel of an area, row by row: what a per-pixel pass asks of a layout that was
// worked out once before the pass. Reading a bit is a few instructions, where testing the
// layout's shapes at every pixel costs tens.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "AE_Effect.h"
#include "render/rect.h"

namespace jf {

struct PixelMask {
  PF_LRect area{};
  std::uint32_t width = 0, height = 0;  // the area's; 0 while there are no bits
  std::int64_t wordsPerRow = 0;
  std::uint64_t* bits = nullptr;  // wordsPerRow × height words; bit x % 64 of word x / 64

  /// True when (x, y) lies in the area and the mask has bits. Unsigned differences wrap for
  /// pixels left of or above the area, which a single comparison then finds outside.
  bool Covers(A_long x, A_long y) const { return Column(x) < width && Line(y) < height; }
  /// The bit of pixel (x, y); the caller checks Covers first.
  bool Test(A_long x, A_long y) const {
    const std::uint32_t col = Column(x);
    return ((Row(Line(y))[col >> 6] >> (col & 63)) & 1) != 0;
  }
  std::uint64_t* Row(std::int64_t row) const { return bits + row * wordsPerRow; }

 private:
  std::uint32_t Column(A_long x) const {
    return static_cast<std::uint32_t>(x) - static_cast<std::uint32_t>(area.left);
  }
  std::uint32_t Line(A_long y) const {
    return static_cast<std::uint32_t>(y) - static_cast<std::uint32_t>(area.top);
  }
};

/// Words per row of a mask over area, and the bytes of the whole mask (0 for an empty area).
inline std::int64_t PixelMaskWordsPerRow(const PF_LRect& area) {
  return (std::int64_t{area.right} - area.left + 63) / 64;
}
inline std::size_t PixelMaskBytes(const PF_LRect& area) {
  if (IsEmpty(area)) return 0;
  return static_cast<std::size_t>(PixelMaskWordsPerRow(area) *
                                  (std::int64_t{area.bottom} - area.top)) *
         sizeof(std::uint64_t);
}

/// A cleared mask over area in memory (PixelMaskBytes(area) bytes, 8-byte aligned).
inline PixelMask ClearedPixelMask(const PF_LRect& area, void* memory) {
  PixelMask mask;
  mask.area = area;
  if (IsEmpty(area) || memory == nullptr) return mask;
  mask.width = static_cast<std::uint32_t>(std::int64_t{area.right} - area.left);
  mask.height = static_cast<std::uint32_t>(std::int64_t{area.bottom} - area.top);
  mask.wordsPerRow = PixelMaskWordsPerRow(area);
  mask.bits = static_cast<std::uint64_t*>(memory);
  std::memset(memory, 0, PixelMaskBytes(area));
  return mask;
}

}  // namespace jf
