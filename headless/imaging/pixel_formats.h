// The headless host's own description of its three pixel formats, and the helpers every imaging
// operation shares: row access, unit conversion, rectangle clipping and the format dispatch.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <type_traits>
#include <vector>

#include "AE_Effect.h"
#include "AE_EffectPixelFormat.h"

namespace jf::headless {

/// 8 bits per channel, white 255.
struct Argb32Traits {
  using Pixel = PF_Pixel8;
  using Channel = A_u_char;
  static constexpr PF_PixelFormat kFormat = PF_PixelFormat_ARGB32;
  static constexpr bool kIsFloat = false;
  static constexpr double kMax = 255.0;
};

/// 16 bits per channel; white is 32768, not 65535, and stored values above it count as white.
struct Argb64Traits {
  using Pixel = PF_Pixel16;
  using Channel = A_u_short;
  static constexpr PF_PixelFormat kFormat = PF_PixelFormat_ARGB64;
  static constexpr bool kIsFloat = false;
  static constexpr double kMax = 32768.0;
};

/// 32-bit float channels, white 1.0; values outside 0..1 can occur.
struct Argb128Traits {
  using Pixel = PF_PixelFloat;
  using Channel = PF_FpShort;
  static constexpr PF_PixelFormat kFormat = PF_PixelFormat_ARGB128;
  static constexpr bool kIsFloat = true;
  static constexpr double kMax = 1.0;
};

template <typename T>
concept HeadlessPixelTraits = requires {
  typename T::Pixel;
  typename T::Channel;
  { T::kIsFloat } -> std::convertible_to<bool>;
  { T::kMax } -> std::convertible_to<double>;
}
&&sizeof(typename T::Pixel) == 4 * sizeof(typename T::Channel);

static_assert(HeadlessPixelTraits<Argb32Traits>);
static_assert(HeadlessPixelTraits<Argb64Traits>);
static_assert(HeadlessPixelTraits<Argb128Traits>);

/// Calls op(Traits{}) for the format's traits; an unknown format is a request the host cannot
/// serve.
template <typename Op>
PF_Err DispatchFormat(PF_PixelFormat format, Op&& op) {
  switch (format) {
    case PF_PixelFormat_ARGB32:
      return op(Argb32Traits{});
    case PF_PixelFormat_ARGB64:
      return op(Argb64Traits{});
    case PF_PixelFormat_ARGB128:
      return op(Argb128Traits{});
    default:
      return PF_Err_BAD_CALLBACK_PARAM;
  }
}

// ---- Rows -------------------------------------------------------------------------------

/// Row y of a world. The offset is formed in 64 bits so that large worlds cannot wrap it.
template <HeadlessPixelTraits Px>
inline typename Px::Pixel* RowOf(PF_EffectWorld& world, A_long y) {
  auto* base = reinterpret_cast<char*>(world.data);
  return reinterpret_cast<typename Px::Pixel*>(base +
                                               static_cast<std::ptrdiff_t>(y) * world.rowbytes);
}

template <HeadlessPixelTraits Px>
inline const typename Px::Pixel* RowOf(const PF_EffectWorld& world, A_long y) {
  const auto* base = reinterpret_cast<const char*>(world.data);
  return reinterpret_cast<const typename Px::Pixel*>(base + static_cast<std::ptrdiff_t>(y) *
                                                                world.rowbytes);
}

/// True when the pixel memory of the two worlds overlaps, so that writing one can change what
/// is read from the other.
inline bool SharesPixels(const PF_EffectWorld& a, const PF_EffectWorld& b) {
  auto span = [](const PF_EffectWorld& w, std::uintptr_t& lo, std::uintptr_t& hi) {
    const auto base = reinterpret_cast<std::uintptr_t>(w.data);
    const auto extent = static_cast<std::intptr_t>(w.rowbytes) * std::max<A_long>(w.height, 0);
    lo = extent >= 0 ? base : base + extent;
    hi = extent >= 0 ? base + extent : base;
  };
  if (a.data == b.data) return true;
  std::uintptr_t aLo, aHi, bLo, bHi;
  span(a, aLo, aHi);
  span(b, bLo, bHi);
  return aLo < bHi && bLo < aHi;
}

/// The world to read src from while dst is written: src itself, or, when the two share pixel
/// memory, a packed copy of src taken first into snapshot, so no pixel is read after it was
/// written whatever the order of rows and threads. PF_Err_OUT_OF_MEMORY when no copy can be had.
template <HeadlessPixelTraits Px>
PF_Err ReadableSource(const PF_EffectWorld& src, const PF_EffectWorld& dst,
                      std::vector<typename Px::Pixel>& snapshot, PF_EffectWorld& readable) {
  readable = src;
  if (!SharesPixels(src, dst)) return PF_Err_NONE;
  const std::size_t w = static_cast<std::size_t>(std::max<A_long>(src.width, 0));
  const std::size_t h = static_cast<std::size_t>(std::max<A_long>(src.height, 0));
  try {
    snapshot.resize(w * h);
  } catch (const std::bad_alloc&) {
    return PF_Err_OUT_OF_MEMORY;
  } catch (const std::length_error&) {
    return PF_Err_OUT_OF_MEMORY;
  }
  for (std::size_t y = 0; y < h; ++y) {
    const auto* row = RowOf<Px>(src, static_cast<A_long>(y));
    std::copy(row, row + w, snapshot.begin() + static_cast<std::ptrdiff_t>(y * w));
  }
  readable.data = reinterpret_cast<PF_PixelPtr>(snapshot.data());
  readable.rowbytes = static_cast<A_long>(w * sizeof(typename Px::Pixel));
  return PF_Err_NONE;
}

// ---- Unit values ------------------------------------------------------------------------

/// The 256 8-bit values divided by 255, each the same correctly rounded quotient the division
/// gives at run time; a lookup spares the per-channel division in the hot loops.
inline constexpr auto kUnitOf8 = [] {
  std::array<double, 256> t{};
  for (int v = 0; v < 256; ++v) t[static_cast<std::size_t>(v)] = v / 255.0;
  return t;
}();

/// A stored channel ÷ MAX, unclamped (8-bit values never need the clamp).
template <HeadlessPixelTraits Px>
inline double StoredOverMax(typename Px::Channel v) {
  if constexpr (std::is_same_v<typename Px::Channel, A_u_char>) {
    return kUnitOf8[v];
  } else {
    return static_cast<double>(v) / Px::kMax;
  }
}

/// A stored channel as a unit value in [0, 1]. 16-bit values above 32768 count as 1; at float,
/// values outside 0..1 are clamped and a NaN counts as 0.
template <HeadlessPixelTraits Px>
inline double ToUnit(typename Px::Channel v) {
  const double c = StoredOverMax<Px>(v);
  // v ÷ 255 already lies in 0..1, where the clamp below gives c back.
  if constexpr (std::is_same_v<typename Px::Channel, A_u_char>) return c;
  if (!(c > 0.0)) return 0.0;  // also catches NaN
  return c < 1.0 ? c : 1.0;
}

/// A unit value stored at the format's depth: floor(c·MAX + 0.5) clamped to 0..MAX at 8 and 16
/// bits (round to nearest, so that v ÷ MAX × MAX gives back v), the clamped value as a float.
/// After the clamp c·MAX + 0.5 is positive, where truncation is the floor.
template <HeadlessPixelTraits Px>
inline typename Px::Channel FromUnit(double c) {
  if (!(c > 0.0)) c = 0.0;
  if (c > 1.0) c = 1.0;
  if constexpr (Px::kIsFloat) {
    return static_cast<typename Px::Channel>(c);
  } else {
    return static_cast<typename Px::Channel>(static_cast<std::int32_t>(c * Px::kMax + 0.5));
  }
}

// ---- Rectangles -------------------------------------------------------------------------

/// A half-open rectangle in 64-bit coordinates, so that offsets between two 32-bit rectangles
/// never overflow.
struct Box {
  std::int64_t left = 0, top = 0, right = 0, bottom = 0;

  bool Empty() const { return left >= right || top >= bottom; }
};

inline Box WorldBox(const PF_EffectWorld& world) {
  return {0, 0, std::max<A_long>(world.width, 0), std::max<A_long>(world.height, 0)};
}

/// The rectangle, or the whole world when it is null.
inline Box BoxOr(const PF_Rect* rect, const PF_EffectWorld& world) {
  if (rect == nullptr) return WorldBox(world);
  return {rect->left, rect->top, rect->right, rect->bottom};
}

inline Box Intersect(const Box& a, const Box& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
          std::min(a.bottom, b.bottom)};
}

inline Box Offset(const Box& a, std::int64_t dx, std::int64_t dy) {
  return {a.left + dx, a.top + dy, a.right + dx, a.bottom + dy};
}

}  // namespace jf::headless
