// Copy and fill; the contracts are in imaging.h.
#include <algorithm>
#include <cstring>

#include "headless/imaging/imaging.h"
#include "headless/imaging/pixel_formats.h"

namespace jf::headless {
namespace {

template <HeadlessPixelTraits Px>
PF_Err CopyPixels(const PF_EffectWorld& src, PF_EffectWorld& dst, const PF_Rect* srcRect,
                  const PF_Rect* dstRect) {
  const Box srcBox = BoxOr(srcRect, src);
  const Box dstBox = BoxOr(dstRect, dst);
  const std::int64_t dx = dstBox.left - srcBox.left;
  const std::int64_t dy = dstBox.top - srcBox.top;

  // Clip in source coordinates: inside srcRect and src, and landing inside dstRect and dst.
  const Box from = Intersect(Intersect(srcBox, WorldBox(src)),
                             Offset(Intersect(dstBox, WorldBox(dst)), -dx, -dy));
  if (from.Empty()) return PF_Err_NONE;
  // A world copied onto itself in place is already its own copy.
  if (src.data == dst.data && src.rowbytes == dst.rowbytes && dx == 0 && dy == 0) {
    return PF_Err_NONE;
  }

  const std::size_t rowBytes =
      static_cast<std::size_t>(from.right - from.left) * sizeof(typename Px::Pixel);
  auto copyRow = [&](std::int64_t y) {
    const auto* in = RowOf<Px>(src, static_cast<A_long>(y)) + from.left;
    auto* out = RowOf<Px>(dst, static_cast<A_long>(y + dy)) + (from.left + dx);
    std::memmove(out, in, rowBytes);
  };
  // Like memmove: when the destination rows lie after the source rows in memory, walk the rows
  // from the last up, so that no source row is overwritten before it is read.
  const auto* firstIn =
      reinterpret_cast<const char*>(RowOf<Px>(src, static_cast<A_long>(from.top)));
  const auto* firstOut =
      reinterpret_cast<const char*>(RowOf<Px>(dst, static_cast<A_long>(from.top + dy)));
  if (SharesPixels(src, dst) && firstOut > firstIn) {
    for (std::int64_t y = from.bottom - 1; y >= from.top; --y) copyRow(y);
  } else {
    for (std::int64_t y = from.top; y < from.bottom; ++y) copyRow(y);
  }
  return PF_Err_NONE;
}

template <HeadlessPixelTraits Px>
typename Px::Pixel FromEightBit(const PF_Pixel8& c) {
  auto convert = [](A_u_char v) -> typename Px::Channel {
    if constexpr (Px::kIsFloat) {
      return static_cast<typename Px::Channel>(v / 255.0f);
    } else {
      // c × MAX ÷ 255, rounded to nearest in integers (exact: the 16-bit white is 32768).
      const std::uint32_t max = static_cast<std::uint32_t>(Px::kMax);
      return static_cast<typename Px::Channel>((v * max + 127u) / 255u);
    }
  };
  typename Px::Pixel p;
  p.alpha = convert(c.alpha);
  p.red = convert(c.red);
  p.green = convert(c.green);
  p.blue = convert(c.blue);
  return p;
}

template <HeadlessPixelTraits Px>
PF_Err FillPixels(const PF_Pixel8* color, const PF_Rect* rect, PF_EffectWorld& world) {
  const Box box = Intersect(BoxOr(rect, world), WorldBox(world));
  if (box.Empty()) return PF_Err_NONE;
  using Pixel = typename Px::Pixel;
  const Pixel value = FromEightBit<Px>(color ? *color : PF_Pixel8{0, 0, 0, 0});
  // Transparent black is all zero bits at every depth: rows are cleared as bytes.
  const Pixel zero{};
  const bool clear = std::memcmp(&value, &zero, sizeof(Pixel)) == 0;
  const auto span = static_cast<std::size_t>(box.right - box.left);
  for (std::int64_t y = box.top; y < box.bottom; ++y) {
    auto* row = RowOf<Px>(world, static_cast<A_long>(y));
    if (clear) {
      std::memset(row + box.left, 0, span * sizeof(Pixel));
    } else {
      std::fill(row + box.left, row + box.right, value);
    }
  }
  return PF_Err_NONE;
}

}  // namespace

PF_Err CopyImpl(PF_PixelFormat format, const PF_EffectWorld& src, PF_EffectWorld& dst,
                const PF_Rect* srcRect, const PF_Rect* dstRect) {
  return DispatchFormat(
      format, [&]<typename Px>(Px) { return CopyPixels<Px>(src, dst, srcRect, dstRect); });
}

PF_Err FillImpl(PF_PixelFormat format, const PF_Pixel8* color, const PF_Rect* rect,
                PF_EffectWorld& world) {
  return DispatchFormat(format,
                        [&]<typename Px>(Px) { return FillPixels<Px>(color, rect, world); });
}

}  // namespace jf::headless
