// Per-depth pixel helpers: one template contract, three pixel types.
#pragma once

#include <concepts>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "AE_Effect.h"
#include "AE_EffectCB.h"
#include "AE_EffectCBSuites.h"
#include "AE_EffectPixelFormat.h"
#include "AE_GeneralPlug.h"
#include "entry/suite_handler.h"

namespace jf {

/// Truncates toward zero and keeps the low bits of the integer, the effect's wrap-around
/// conversion. A value with no integer form (NaN, infinities, beyond 64 bits) gives 0 rather
/// than undefined behaviour.
template <typename Channel>
inline Channel TruncateWrap(float scaled) {
  if (!(std::fabs(scaled) < 9.2e18f)) return 0;
  return static_cast<Channel>(static_cast<std::uint64_t>(static_cast<std::int64_t>(scaled)));
}

template <typename PixelT>
struct PixelTraits;

/// The host's iterate over one depth's suite, written once: Suite is the handler's accessor for
/// that depth's iterate suite, Func the per-pixel function type it calls.
template <typename Func, auto Suite>
struct IterateThrough {
  using IterateFunc = Func;
  static PF_Err Iterate(SuiteHandler& suites, PF_InData* in, A_long base, A_long final,
                        PF_EffectWorld* src, const PF_Rect* area, void* refcon, IterateFunc fn,
                        PF_EffectWorld* dst) {
    return (suites.*Suite)()->iterate(in, base, final, src, area, refcon, fn, dst);
  }
};

/// 8 bits per channel, maximum 255.
template <>
struct PixelTraits<PF_Pixel8> : IterateThrough<PF_IteratePixel8Func, &SuiteHandler::Iterate8Suite> {
  using Pixel = PF_Pixel8;
  using Channel = A_u_char;
  static constexpr PF_PixelFormat kFormat = PF_PixelFormat_ARGB32;
  static constexpr AEGP_WorldType kAegpWorldType = AEGP_WorldType_8;
  static constexpr Channel MaxValue() { return 255; }
  static Channel FromUnit(float v) { return TruncateWrap<Channel>(v * 255.0f); }
  static double NormaliseLuma(double l) { return l / 255.0 / 255.0; }
  /// Whether a pixel with this alpha counts as present (any nonzero alpha).
  static bool AlphaPresent(Channel a) { return a != 0; }
};

/// 16 bits per channel; white is 32768, not 65535.
template <>
struct PixelTraits<PF_Pixel16>
    : IterateThrough<PF_IteratePixel16Func, &SuiteHandler::Iterate16Suite> {
  using Pixel = PF_Pixel16;
  using Channel = A_u_short;
  static constexpr PF_PixelFormat kFormat = PF_PixelFormat_ARGB64;
  static constexpr AEGP_WorldType kAegpWorldType = AEGP_WorldType_16;
  static constexpr Channel MaxValue() { return 32768; }
  static Channel FromUnit(float v) { return TruncateWrap<Channel>(v * 32768.0f); }
  static double NormaliseLuma(double l) { return l * 3.0517578125e-05 * 3.0517578125e-05; }
  static bool AlphaPresent(Channel a) { return a != 0; }
};

/// 32-bit float channels, maximum 1.0; unit values are stored as they are.
template <>
struct PixelTraits<PF_PixelFloat>
    : IterateThrough<PF_IteratePixelFloatFunc, &SuiteHandler::IterateFloatSuite> {
  using Pixel = PF_PixelFloat;
  using Channel = PF_FpShort;
  static constexpr PF_PixelFormat kFormat = PF_PixelFormat_ARGB128;
  static constexpr AEGP_WorldType kAegpWorldType = AEGP_WorldType_32;
  static constexpr Channel MaxValue() { return 1.0f; }
  static Channel FromUnit(float v) { return v; }
  static double NormaliseLuma(double l) { return l; }
  /// Float alpha counts only when above zero, so a negative alpha reads as a transparent one.
  static bool AlphaPresent(Channel a) { return a > 0.0f; }
};

/// What a stage may rely on from a depth.
template <typename T>
concept PixelTraitsLike = requires(typename T::Pixel* p, float v, double l, typename T::Channel c,
                                   SuiteHandler& suites, PF_InData* in, PF_EffectWorld* world,
                                   const PF_Rect* area, typename T::IterateFunc fn) {
  typename T::Channel;
  typename T::IterateFunc;
  { T::MaxValue() } -> std::same_as<typename T::Channel>;
  { T::FromUnit(v) } -> std::same_as<typename T::Channel>;
  { T::NormaliseLuma(l) } -> std::same_as<double>;
  { T::AlphaPresent(c) } -> std::same_as<bool>;
  { T::kFormat } -> std::convertible_to<PF_PixelFormat>;
  { T::kAegpWorldType } -> std::convertible_to<AEGP_WorldType>;
  { T::Iterate(suites, in, 0, 0, world, area, nullptr, fn, world) } -> std::same_as<PF_Err>;
};

static_assert(PixelTraitsLike<PixelTraits<PF_Pixel8>>);
static_assert(PixelTraitsLike<PixelTraits<PF_Pixel16>>);
static_assert(PixelTraitsLike<PixelTraits<PF_PixelFloat>>);

/// Address of pixel (x, y). The row offset is formed in 64 bits so very large worlds cannot
/// wrap it; wherever a 32-bit product fits, the address is the same.
template <typename PixelT>
inline PixelT* PixelAt(const PF_EffectWorld* world, A_long x, A_long y) {
  auto* base = reinterpret_cast<char*>(world->data);
  return reinterpret_cast<PixelT*>(base + static_cast<std::ptrdiff_t>(y) * world->rowbytes +
                                   static_cast<std::ptrdiff_t>(x) * sizeof(PixelT));
}

template <typename PixelT>
inline void CopyPixelBetween(const PF_EffectWorld* src, A_long x, A_long y,
                             const PF_EffectWorld* dst, A_long dx, A_long dy) {
  *PixelAt<PixelT>(dst, dx, dy) = *PixelAt<PixelT>(src, x, y);
}

template <typename PixelT>
inline void SwapPixels(PixelT& a, PixelT& b) {
  PixelT t = a;
  a = b;
  b = t;
}

/// Alpha-weighted luma in unit range: ((G·0.587 + R·0.299) + B·0.114)·A in double, in exactly
/// that order, normalised for the depth, then rounded to float.
template <typename PixelT>
inline float AlphaLuma(const PixelT& p) {
  double l = (static_cast<double>(p.green) * 0.587 + static_cast<double>(p.red) * 0.299) +
             static_cast<double>(p.blue) * 0.114;
  l = l * static_cast<double>(p.alpha);
  return static_cast<float>(PixelTraits<PixelT>::NormaliseLuma(l));
}

/// All four channels, alpha included, to the converted unit value (truncating, wrapping).
template <typename PixelT>
inline void SetGrey(PixelT& p, float v) {
  auto c = PixelTraits<PixelT>::FromUnit(v);
  p.alpha = c;
  p.red = c;
  p.green = c;
  p.blue = c;
}

template <typename PixelT>
inline void SetRGB(PixelT& p, float r, float g, float b) {
  p.red = PixelTraits<PixelT>::FromUnit(r);
  p.green = PixelTraits<PixelT>::FromUnit(g);
  p.blue = PixelTraits<PixelT>::FromUnit(b);
}

template <typename PixelT>
inline void SetARGB(PixelT& p, float r, float g, float b, float a) {
  SetRGB(p, r, g, b);
  p.alpha = PixelTraits<PixelT>::FromUnit(a);
}

}  // namespace jf
