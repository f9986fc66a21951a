// See iterate.h.
#include "headless/iterate.h"

#include <algorithm>
#include <atomic>
#include <cstdint>

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

// Calls fn for count pixels of row y, starting at column x and stepping by Step (1 or -1), with
// the destination pointer stepped alongside. The source pointer steps too; without a source row
// (in is null) every call gets a transparent pixel of its own, fresh each time, since the effect
// may write through it. Kept out of line, so that the loop has the registers to itself and
// nothing is reloaded around the effect's call.
template <int Step, typename Pixel, typename Fn>
[[gnu::noinline]] PF_Err VisitSpan(Fn fn, void* refcon, A_long x, A_long y, A_long count, Pixel* in,
                                   Pixel* out) {
  const A_long end = x + Step * count;
  if (in != nullptr) {
    for (; x != end; x += Step, in += Step, out += Step) {
      if (PF_Err err = fn(refcon, x, y, in, out); err != PF_Err_NONE) return err;
    }
  } else {
    for (; x != end; x += Step, out += Step) {
      Pixel blank{};
      if (PF_Err err = fn(refcon, x, y, &blank, out); err != PF_Err_NONE) return err;
    }
  }
  return PF_Err_NONE;
}

/// Where one iteration reads and writes: destination columns [left, right), of which
/// [inLeft, inRight) have their source column (x + dx) inside the source.
struct Columns {
  A_long left, right, inLeft, inRight;
  std::int64_t dx;
};

// One row: the columns before the source's, those inside it, and those after it, each as a run
// of stepped pointers; in reverse order the runs and the pixels within them go right to left.
// srcRow is the source row's first pixel, or null where the row lies outside the source.
template <bool Reverse, typename Pixel, typename Fn>
PF_Err VisitRow(const Columns& c, Fn fn, void* refcon, A_long y, Pixel* srcRow, Pixel* dstRow) {
  auto span = [&](A_long first, A_long end, bool inside) -> PF_Err {
    if (first >= end) return PF_Err_NONE;
    const A_long x = Reverse ? end - 1 : first;
    Pixel* in = inside && srcRow != nullptr ? srcRow + (x + c.dx) : nullptr;
    return VisitSpan < Reverse ? -1 : 1 > (fn, refcon, x, y, end - first, in, dstRow + x);
  };
  const A_long bounds[4] = {c.left, c.inLeft, c.inRight, c.right};
  for (int s = 0; s < 3; ++s) {
    const int k = Reverse ? 2 - s : s;
    if (PF_Err err = span(bounds[k], bounds[k + 1], k == 1); err != PF_Err_NONE) return err;
  }
  return PF_Err_NONE;
}

template <typename Pixel>
Pixel* RowOf(PF_EffectWorld* w, std::int64_t y) {
  return reinterpret_cast<Pixel*>(reinterpret_cast<char*>(w->data) + y * w->rowbytes);
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
  // Source positions are formed in 64 bits, so an origin near the 32-bit limits reads outside
  // the source rather than wrapping back into it.
  Columns c{r.left, r.right, r.left, r.left, origin != nullptr ? origin->h : 0};
  const std::int64_t dy = origin != nullptr ? origin->v : 0;
  if (src != nullptr) {
    c.inLeft = static_cast<A_long>(std::clamp<std::int64_t>(-c.dx, r.left, r.right));
    c.inRight = static_cast<A_long>(std::clamp<std::int64_t>(src->width - c.dx, c.inLeft, r.right));
  }
  const bool reverse = host->ReverseOrder();
  std::atomic<PF_Err> first{PF_Err_NONE};

  // Errors and aborts are looked at once per row; within a row nothing is shared.
  auto runRows = [&](std::int64_t begin, std::int64_t end, int) {
    Host::Activation active(*host);
    for (std::int64_t i = begin; i != end; ++i) {
      if (first.load(std::memory_order_relaxed) != PF_Err_NONE) return;
      if (host->AbortRequested()) {
        Record(first, PF_Interrupt_CANCEL);
        return;
      }
      const auto y = static_cast<A_long>(reverse ? r.bottom - 1 - i : r.top + i);
      const std::int64_t sy = y + dy;
      Pixel* srcRow =
          src != nullptr && sy >= 0 && sy < src->height ? RowOf<Pixel>(src, sy) : nullptr;
      Pixel* dstRow = RowOf<Pixel>(dst, y);
      const PF_Err err = reverse ? VisitRow<true>(c, fn, refcon, y, srcRow, dstRow)
                                 : VisitRow<false>(c, fn, refcon, y, srcRow, dstRow);
      if (err != PF_Err_NONE) {
        Record(first, err);
        return;
      }
    }
  };
  // Chunks of rows, sized by the pool: one task per row costs more than a narrow row's pixels.
  host->Pool().For(0, r.bottom - r.top, 0, runRows);
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
