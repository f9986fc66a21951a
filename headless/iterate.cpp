// See iterate.h.
#include "headless/iterate.h"

#include <algorithm>
#include <atomic>

#include "headless/instance.h"
#include "headless/thread_pool.h"
#include "headless/worlds.h"

namespace jf::headless {
namespace {

Host* HostOf(const PF_InData* in) {
  if (in != nullptr) {
    if (Instance* instance = Instance::FromEffectRef(in->effect_ref)) return &instance->GetHost();
  }
  return Host::Current();
}

// Keeps the first error any thread reports; later ones are dropped.
void Record(std::atomic<PF_Err>& first, PF_Err err) {
  PF_Err none = PF_Err_NONE;
  first.compare_exchange_strong(none, err);
}

template <typename Pixel, typename Fn>
PF_Err IterateOver(const char* op, PF_PixelFormat format, PF_InData* in, PF_EffectWorld* src,
                   const PF_Rect* area, const PF_Point* origin, void* refcon, Fn fn,
                   PF_EffectWorld* dst) {
  Host* host = HostOf(in);
  if (PF_Err err = Enter(host, op); err != PF_Err_NONE) return err;
  if (fn == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  PF_PixelFormat dstFormat = 0, srcFormat = 0;
  if (CheckWorld(dst, &dstFormat) != PF_Err_NONE || dstFormat != format) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  if (src != nullptr && (CheckWorld(src, &srcFormat) != PF_Err_NONE || srcFormat != format)) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }

  // The area is clipped to the destination; nothing outside a world is touched.
  PF_Rect r = area != nullptr ? *area : PF_Rect{0, 0, dst->width, dst->height};
  r.left = std::max<A_long>(r.left, 0);
  r.top = std::max<A_long>(r.top, 0);
  r.right = std::min<A_long>(r.right, dst->width);
  r.bottom = std::min<A_long>(r.bottom, dst->height);
  if (r.left >= r.right || r.top >= r.bottom) return PF_Err_NONE;
  const A_long dx = origin != nullptr ? origin->h : 0;
  const A_long dy = origin != nullptr ? origin->v : 0;
  const bool reverse = host->ReverseOrder();
  const A_long rows = r.bottom - r.top;
  const A_long columns = r.right - r.left;
  std::atomic<PF_Err> first{PF_Err_NONE};

  auto pixelAt = [](PF_EffectWorld* w, A_long x, A_long y) {
    return reinterpret_cast<Pixel*>(reinterpret_cast<char*>(w->data) +
                                    static_cast<std::ptrdiff_t>(y) * w->rowbytes) +
           x;
  };
  auto runRows = [&](std::int64_t begin, std::int64_t end, int) {
    Host::Activation active(*host);
    for (auto i = static_cast<A_long>(begin); i != end; ++i) {
      if (first.load(std::memory_order_relaxed) != PF_Err_NONE) return;
      if (host->AbortRequested()) {
        Record(first, PF_Interrupt_CANCEL);
        return;
      }
      const A_long y = reverse ? r.bottom - 1 - i : r.top + i;
      const A_long sy = y + dy;
      for (A_long j = 0; j < columns; ++j) {
        const A_long x = reverse ? r.right - 1 - j : r.left + j;
        const A_long sx = x + dx;
        // A pixel outside the source reads as transparent; a fresh one each call, since the
        // effect may write through the pointer.
        Pixel blank{};
        Pixel* inP = &blank;
        if (src != nullptr && sx >= 0 && sy >= 0 && sx < src->width && sy < src->height) {
          inP = pixelAt(src, sx, sy);
        }
        if (PF_Err err = fn(refcon, x, y, inP, pixelAt(dst, x, y)); err != PF_Err_NONE) {
          Record(first, err);
          return;
        }
      }
    }
  };
  host->Pool().For(0, rows, 1, runRows);
  return first.load();
}

constexpr PF_PixelFormat kArgb32 = static_cast<PF_PixelFormat>(PF_PixelFormat_ARGB32);
constexpr PF_PixelFormat kArgb64 = static_cast<PF_PixelFormat>(PF_PixelFormat_ARGB64);
constexpr PF_PixelFormat kArgb128 = static_cast<PF_PixelFormat>(PF_PixelFormat_ARGB128);

}  // namespace

PF_Err Iterate8(PF_InData* in_data, A_long, A_long, PF_EffectWorld* src, const PF_Rect* area,
                void* refcon, PF_IteratePixel8Func pix_fn, PF_EffectWorld* dst) {
  return IterateOver<PF_Pixel8>("iterate", kArgb32, in_data, src, area, nullptr, refcon, pix_fn,
                                dst);
}

PF_Err Iterate16(PF_InData* in_data, A_long, A_long, PF_EffectWorld* src, const PF_Rect* area,
                 void* refcon, PF_IteratePixel16Func pix_fn, PF_EffectWorld* dst) {
  return IterateOver<PF_Pixel16>("iterate16", kArgb64, in_data, src, area, nullptr, refcon, pix_fn,
                                 dst);
}

PF_Err IterateFloat(PF_InData* in_data, A_long, A_long, PF_EffectWorld* src, const PF_Rect* area,
                    void* refcon, PF_IteratePixelFloatFunc pix_fn, PF_EffectWorld* dst) {
  return IterateOver<PF_PixelFloat>("iterate_float", kArgb128, in_data, src, area, nullptr, refcon,
                                    pix_fn, dst);
}

PF_Err IterateOrigin8(PF_InData* in_data, A_long, A_long, PF_EffectWorld* src, const PF_Rect* area,
                      const PF_Point* origin, void* refcon, PF_IteratePixel8Func pix_fn,
                      PF_EffectWorld* dst) {
  return IterateOver<PF_Pixel8>("iterate_origin", kArgb32, in_data, src, area, origin, refcon,
                                pix_fn, dst);
}

PF_Err IterateOrigin16(PF_InData* in_data, A_long, A_long, PF_EffectWorld* src, const PF_Rect* area,
                       const PF_Point* origin, void* refcon, PF_IteratePixel16Func pix_fn,
                       PF_EffectWorld* dst) {
  return IterateOver<PF_Pixel16>("iterate_origin16", kArgb64, in_data, src, area, origin, refcon,
                                 pix_fn, dst);
}

PF_Err IterateOriginFloat(PF_InData* in_data, A_long, A_long, PF_EffectWorld* src,
                          const PF_Rect* area, const PF_Point* origin, void* refcon,
                          PF_IteratePixelFloatFunc pix_fn, PF_EffectWorld* dst) {
  return IterateOver<PF_PixelFloat>("iterate_origin_float", kArgb128, in_data, src, area, origin,
                                    refcon, pix_fn, dst);
}

PF_Err IterateGeneric(A_long iterations, void* refcon, GenericIterateFunc fn) {
  Host* host = Host::Current();
  if (PF_Err err = Enter(host, "iterate_generic"); err != PF_Err_NONE) return err;
  if (fn == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  const A_long count =
      iterations == PF_Iterations_ONCE_PER_PROCESSOR ? host->ThreadCount() : iterations;
  if (count < 0) return PF_Err_BAD_CALLBACK_PARAM;
  const bool reverse = host->ReverseOrder();
  std::atomic<PF_Err> first{PF_Err_NONE};
  host->Pool().For(0, count, 1, [&](std::int64_t begin, std::int64_t end, int thread) {
    Host::Activation active(*host);
    for (auto k = static_cast<A_long>(begin); k != end; ++k) {
      if (first.load(std::memory_order_relaxed) != PF_Err_NONE) return;
      const A_long i = reverse ? count - 1 - k : k;
      if (PF_Err err = fn(refcon, thread, i, count); err != PF_Err_NONE) {
        Record(first, err);
        return;
      }
    }
  });
  return first.load();
}

}  // namespace jf::headless
