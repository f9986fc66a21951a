// convolve: a square (or one-row) kernel of 32-bit integers per channel; the contract is in
// imaging.h.
//
// Arithmetic is on the stored values themselves, exactly: 64-bit integer sums at 8 and 16 bits,
// double sums at float. Samples outside the source read as all-zero pixels (transparent
// borders). Storing the sum:
// - normalised (PF_KernelFlag_NORMALIZED): divided by the kernel's sum when that is not zero,
//   rounded to nearest (halves away from zero) at 8 and 16 bits;
// - clamped (PF_KernelFlag_CLAMP, the default): to 0..MAX (255, 32768, 1.0);
// - unclamped (PF_KernelFlag_NO_CLAMP): at 8 and 16 bits the channel keeps the low 8 or 16 bits of
//   the integer, the wrap-around of a plain integer store and of the effect's own conversions, so
//   a sum outside the range shows as such instead of being flattened; at float it is stored as is.
// The replicate-border and alpha-weighted variants are accepted and treated as transparent
// borders and straight channels, as the effect interface documents for its own host.
#include <algorithm>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <vector>

#include "headless/imaging/imaging.h"
#include "headless/imaging/pixel_formats.h"
#include "headless/thread_pool.h"

namespace jf::headless {
namespace {

// Large enough for any blur a caller builds by hand, small enough that no 64-bit sum can
// overflow: 127² taps × 2^31 × 2^16 < 2^63.
constexpr A_long kMaxKernelSize = 127;

struct Tap {
  int dx, dy;
  std::int64_t weight;
};

// One channel's kernel as a list of non-zero taps, with its sum for normalising.
struct ChannelKernel {
  bool present = false;
  std::vector<Tap> taps;
  std::int64_t sum = 0;
};

ChannelKernel ReadKernel(const void* kernel, A_long size, bool oneDimensional, bool vertical) {
  ChannelKernel k;
  if (kernel == nullptr) return k;
  k.present = true;
  const auto* weights = static_cast<const A_long*>(kernel);
  const int radius = static_cast<int>(size / 2);
  const A_long count = oneDimensional ? size : size * size;
  for (A_long i = 0; i < count; ++i) {
    const std::int64_t w = weights[i];
    k.sum += w;
    if (w == 0) continue;
    int dx, dy;
    if (!oneDimensional) {
      dx = static_cast<int>(i % size) - radius;  // row-major: kernel[ky × size + kx]
      dy = static_cast<int>(i / size) - radius;
    } else if (vertical) {
      dx = 0;
      dy = static_cast<int>(i) - radius;
    } else {
      dx = static_cast<int>(i) - radius;
      dy = 0;
    }
    k.taps.push_back({dx, dy, w});
  }
  return k;
}

std::int64_t DivideRounded(std::int64_t n, std::int64_t d) {
  if (d < 0) {
    n = -n;
    d = -d;
  }
  return n >= 0 ? (n + d / 2) / d : -((-n + d / 2) / d);
}

template <HeadlessPixelTraits Px>
typename Px::Channel StoreSum(std::conditional_t<Px::kIsFloat, double, std::int64_t> sum,
                              std::int64_t kernelSum, bool normalise, bool clamp) {
  using Channel = typename Px::Channel;
  if constexpr (Px::kIsFloat) {
    if (normalise && kernelSum != 0) sum /= static_cast<double>(kernelSum);
    if (clamp) sum = std::clamp(sum, 0.0, 1.0);
    return static_cast<Channel>(sum);
  } else {
    if (normalise && kernelSum != 0) sum = DivideRounded(sum, kernelSum);
    if (clamp) return static_cast<Channel>(std::clamp<std::int64_t>(sum, 0, Px::kMax));
    return static_cast<Channel>(static_cast<std::uint64_t>(sum));  // keeps the low bits
  }
}

template <HeadlessPixelTraits Px>
PF_Err ConvolvePixels(const PF_EffectWorld& srcWorld, const Box& area, bool normalise, bool clamp,
                      const ChannelKernel (&kernels)[4], PF_EffectWorld& dst) {
  using Pixel = typename Px::Pixel;
  using Channel = typename Px::Channel;
  using Sum = std::conditional_t<Px::kIsFloat, double, std::int64_t>;

  std::vector<Pixel> snapshot;
  PF_EffectWorld src;
  if (PF_Err err = ReadableSource<Px>(srcWorld, dst, snapshot, src); err != PF_Err_NONE) {
    return err;
  }
  const std::int64_t width = std::max<A_long>(src.width, 0);
  const std::int64_t height = std::max<A_long>(src.height, 0);

  // The channels in memory order: alpha, red, green, blue.
  static constexpr Channel Pixel::*kChannels[4] = {&Pixel::alpha, &Pixel::red, &Pixel::green,
                                                   &Pixel::blue};
  const std::int64_t left = area.left, count = area.right - area.left;

  // Each output row sums its taps one source row at a time, over the part of the row whose
  // samples lie inside the source; the rest reads as zeros and adds nothing.
  ParallelFor(area.top, area.bottom, 0, [&](std::int64_t rowsBegin, std::int64_t rowsEnd, int) {
    std::vector<Sum> sums(static_cast<std::size_t>(count));
    for (std::int64_t y = rowsBegin; y != rowsEnd; ++y) {
      Pixel* out = RowOf<Px>(dst, static_cast<A_long>(y)) + left;
      const bool rowInside = y >= 0 && y < height;
      const Pixel* in = rowInside ? RowOf<Px>(src, static_cast<A_long>(y)) : nullptr;
      for (int n = 0; n < 4; ++n) {
        Channel Pixel::*const member = kChannels[n];
        const ChannelKernel& k = kernels[n];
        if (!k.present) {  // no kernel: the channel is copied as it is
          for (std::int64_t i = 0; i < count; ++i) {
            const std::int64_t x = left + i;
            out[i].*member = rowInside && x >= 0 && x < width ? in[x].*member : Channel{};
          }
          continue;
        }
        std::fill(sums.begin(), sums.end(), Sum{0});
        for (const Tap& t : k.taps) {
          const std::int64_t sy = y + t.dy;
          if (sy < 0 || sy >= height) continue;
          const Pixel* row = RowOf<Px>(src, static_cast<A_long>(sy));
          const Sum weight = static_cast<Sum>(t.weight);
          const std::int64_t from = std::max<std::int64_t>(0, -t.dx - left);
          const std::int64_t to = std::min<std::int64_t>(count, width - t.dx - left);
          for (std::int64_t i = from; i < to; ++i) {
            sums[i] += weight * static_cast<Sum>(row[left + i + t.dx].*member);
          }
        }
        for (std::int64_t i = 0; i < count; ++i) {
          out[i].*member = StoreSum<Px>(sums[i], k.sum, normalise, clamp);
        }
      }
    }
  });
  return PF_Err_NONE;
}

}  // namespace

PF_Err ConvolveImpl(PF_PixelFormat format, const PF_EffectWorld& src, const PF_Rect* area,
                    PF_KernelFlags flags, A_long kernelSize, const void* aKernel,
                    const void* rKernel, const void* gKernel, const void* bKernel,
                    PF_EffectWorld& dst) {
  if (kernelSize < 1 || kernelSize % 2 == 0 || kernelSize > kMaxKernelSize) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  // Only kernels of 32-bit integers are served; reading char or fixed kernels as longs would
  // read past their end.
  if ((flags & PF_KernelFlag_USE_UNDEFINED) != PF_KernelFlag_USE_LONG) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  const bool oneDimensional = (flags & PF_KernelFlag_1D) != 0;
  const bool vertical = (flags & PF_KernelFlag_VERTICAL) != 0;
  const bool normalise = (flags & PF_KernelFlag_NORMALIZED) != 0;
  const bool clamp = (flags & PF_KernelFlag_NO_CLAMP) == 0;

  return DispatchFormat(format, [&]<typename Px>(Px) -> PF_Err {
    const Box box = Intersect(BoxOr(area, dst), WorldBox(dst));
    if (box.Empty()) return PF_Err_NONE;
    try {
      const ChannelKernel kernels[4] = {ReadKernel(aKernel, kernelSize, oneDimensional, vertical),
                                        ReadKernel(rKernel, kernelSize, oneDimensional, vertical),
                                        ReadKernel(gKernel, kernelSize, oneDimensional, vertical),
                                        ReadKernel(bKernel, kernelSize, oneDimensional, vertical)};
      return ConvolvePixels<Px>(src, box, normalise, clamp, kernels, dst);
    } catch (const std::bad_alloc&) {
      return PF_Err_OUT_OF_MEMORY;
    }
  });
}

}  // namespace jf::headless
