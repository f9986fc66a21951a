// See warp.h.
#include "stages/warp.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <new>

#include "entry/suite_handler.h"
#include "host/host_ops.h"
#include "params/param_reader.h"
#include "params/param_table.h"
#include "render/numeric.h"
#include "stages/simplex_noise.h"

namespace jf {
namespace {

/// Reads the stage's parameters in table order; returns the last read's code.
PF_Err ReadWarpSettings(PF_InData* in, WarpSettings& s) {
  ReadRunKeepingLast read(in);
  s.frequency = read.FloatSlider(ParamId::WarpFrequency);
  s.amplitude = read.FloatSliderInt(ParamId::WarpAmplitude);
  s.offset = read.FloatSliderInt(ParamId::WarpOffset);
  return read.Error();
}

}  // namespace

void SampleWarpRowOffsets(const WarpSettings& s, A_long rows, A_long* offsets) {
  const float h = static_cast<float>(rows);
  const float o = static_cast<float>(s.offset);
  const float a = static_cast<float>(s.amplitude);
  for (A_long i = 0; i < rows; ++i) {
    const float t = (static_cast<float>(i) / h) * s.frequency + o;
    // Saturating, so an amplitude beyond what 32 bits can shift stays defined.
    offsets[i] = TruncToLong(SimplexNoise1D(t) * a);
  }
}

void SmoothWarpRowOffsets(A_long rows, A_long* offsets) {
  // In place and top down: offsets[i − 1] is already smoothed when row i is.
  for (A_long i = 1; i + 1 < rows; ++i) {
    // The neighbours' sum is a 32-bit sum that wraps, formed in unsigned arithmetic so the
    // wrap is defined.
    const auto sum = static_cast<std::int32_t>(static_cast<std::uint32_t>(offsets[i - 1]) +
                                               static_cast<std::uint32_t>(offsets[i + 1]));
    offsets[i] =
        TruncToLong(static_cast<double>(sum) * 0.25 + static_cast<double>(offsets[i]) * 0.5);
  }
}

void PlaceWarpRowOffsets(const WarpSettings& settings, A_long rows, A_long* offsets) {
  SampleWarpRowOffsets(settings, rows, offsets);
  SmoothWarpRowOffsets(rows, offsets);
}

WarpPixelContext MakeWarpPixelContext(const A_long* offsets, A_long rows,
                                      const PF_EffectWorld* src) {
  const PF_Rect& e = src->extent_hint;
  WarpPixelContext c;
  c.offsets = offsets;
  c.rows = rows;
  c.srcData = static_cast<const char*>(static_cast<const void*>(src->data));
  c.rowbytes = src->rowbytes;
  c.left = e.left;
  c.top = e.top;
  c.columns = static_cast<std::uint64_t>(std::max<std::int64_t>(0, std::int64_t{e.right} - e.left));
  c.extentRows =
      static_cast<std::uint64_t>(std::max<std::int64_t>(0, std::int64_t{e.bottom} - e.top));
  return c;
}

std::vector<WarpRowSpan> MakeWarpRowSpans(const WarpPixelContext& c, std::size_t pixelBytes) {
  std::vector<WarpRowSpan> spans;
  // Without the memory the pixel rule forms each source column itself.
  try {
    spans.resize(c.rows > 0 ? static_cast<std::size_t>(c.rows) : 0);
  } catch (const std::bad_alloc&) {
    return spans;
  }
  constexpr std::int64_t kLeast = std::numeric_limits<A_long>::min();
  constexpr std::int64_t kBeyond = std::int64_t{std::numeric_limits<A_long>::max()} + 1;
  for (A_long y = 0; y < c.rows; ++y) {
    WarpRowSpan& span = spans[static_cast<std::size_t>(y)];
    if (static_cast<std::uint64_t>(std::int64_t{y} - c.top) >= c.extentRows) continue;
    // x + offset inside [left, left + columns), in 64 bits, for the x a 32-bit column can be.
    const std::int64_t offset = c.offsets[y];
    const std::int64_t first = std::max(c.left - offset, kLeast);
    const std::int64_t end =
        std::min(c.left + static_cast<std::int64_t>(c.columns) - offset, kBeyond);
    if (first >= end) continue;
    span.first = static_cast<A_long>(first);
    span.count = static_cast<std::uint32_t>(end - first);
    span.base = reinterpret_cast<std::uintptr_t>(c.srcData) +
                static_cast<std::uint64_t>(y) * static_cast<std::uint64_t>(c.rowbytes) +
                static_cast<std::uint64_t>(offset) * pixelBytes;
  }
  return spans;
}

namespace {

/// The pixel rule over the context's row spans, which it must have.
template <PixelTraitsLike Px>
PF_Err WarpSpanPixel(void* refcon, A_long x, A_long y, typename Px::Pixel*,
                     typename Px::Pixel* out) {
  const auto& c = *static_cast<const WarpPixelContext*>(refcon);
  // Rows beyond the table are left as they are, as in WarpPixel.
  if (static_cast<std::uint32_t>(y) >= static_cast<std::uint32_t>(c.rows)) return PF_Err_NONE;
  const WarpRowSpan& span = c.spans[y];
  // Unsigned, so one comparison tests both ends; exact for every 32-bit x.
  if (static_cast<std::uint32_t>(x) - static_cast<std::uint32_t>(span.first) >= span.count) {
    return PF_Err_NONE;
  }
  using Pixel = typename Px::Pixel;
  *out = *reinterpret_cast<const Pixel*>(
      static_cast<std::uintptr_t>(span.base + static_cast<std::uint64_t>(x) * sizeof(Pixel)));
  return PF_Err_NONE;
}

}  // namespace

template <PixelTraitsLike Px>
PF_Err WarpPixel(void* refcon, A_long x, A_long y, typename Px::Pixel*, typename Px::Pixel* out) {
  const auto& c = *static_cast<const WarpPixelContext*>(refcon);
  // The table has one shift per row of the extent; rows of a taller world have none and are
  // left as they are.
  if (y < 0 || y >= c.rows) return PF_Err_NONE;
  // A source column outside the source's extent leaves the destination pixel as it was. Formed
  // in 64 bits, a shifted column beyond 32 bits is outside too.
  const std::int64_t sx = static_cast<std::int64_t>(x) + c.offsets[y];
  if (static_cast<std::uint64_t>(sx - c.left) >= c.columns ||
      static_cast<std::uint64_t>(std::int64_t{y} - c.top) >= c.extentRows) {
    return PF_Err_NONE;
  }
  const auto* row = reinterpret_cast<const typename Px::Pixel*>(c.srcData + y * c.rowbytes);
  *out = row[sx];
  return PF_Err_NONE;
}

template <PixelTraitsLike Px>
PF_Err RenderWarp(PF_InData* in, PF_EffectWorld* src, PF_EffectWorld* dst) {
  SuiteHandler suites(in->pica_basicP);
  const A_long rows = dst->extent_hint.bottom - dst->extent_hint.top;

  // Without scratch memory there are no shifts; the stage ends and dst stays as it was.
  ScopedHandle table(suites);
  const std::size_t entries = rows > 0 ? static_cast<std::size_t>(rows) : 0;
  if (!table.Allocate(entries * sizeof(A_long))) return PF_Err_NONE;
  auto* offsets = static_cast<A_long*>(table.Lock());
  if (offsets == nullptr) return PF_Err_NONE;

  WarpSettings settings;
  const PF_Err readErr = ReadWarpSettings(in, settings);
  PlaceWarpRowOffsets(settings, rows, offsets);

  // The pixel pass runs whatever the reads returned, so a frame is never left unwritten.
  WarpPixelContext context = MakeWarpPixelContext(offsets, rows, src);
  const std::vector<WarpRowSpan> spans = MakeWarpRowSpans(context, sizeof(typename Px::Pixel));
  context.spans = spans.data();
  // The same rule either way; with the spans each pixel is one test and one copy.
  const auto rule = spans.empty() ? &WarpPixel<Px> : &WarpSpanPixel<Px>;
  const PF_Err iterErr = Px::Iterate(suites, in, 0, rows, src, nullptr, &context, rule, dst);
  return iterErr != PF_Err_NONE ? iterErr : readErr;
}

JF_PIXEL_RULE_DEPTHS(template, WarpPixel);
JF_STAGE_ROUTINE_DEPTHS(template, RenderWarp);

}  // namespace jf
