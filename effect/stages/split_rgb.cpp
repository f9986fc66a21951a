// See split_rgb.h.
#include "stages/split_rgb.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <new>

#include "entry/suite_handler.h"
#include "params/param_reader.h"
#include "params/param_table.h"
#include "render/numeric.h"

namespace jf {
namespace {

/// One channel group's parameters, in table order.
struct ChannelParams {
  ParamId horizontalOffset, verticalOffset, invert, hide, flipH, flipV;
};

constexpr ChannelParams kChannelParams[3] = {
    {ParamId::SplitRedHorizontalOffset, ParamId::SplitRedVerticalOffset, ParamId::SplitRedInvert,
     ParamId::SplitRedHide, ParamId::SplitRedFlipHorizontal, ParamId::SplitRedFlipVertical},
    {ParamId::SplitGreenHorizontalOffset, ParamId::SplitGreenVerticalOffset,
     ParamId::SplitGreenInvert, ParamId::SplitGreenHide, ParamId::SplitGreenFlipHorizontal,
     ParamId::SplitGreenFlipVertical},
    {ParamId::SplitBlueHorizontalOffset, ParamId::SplitBlueVerticalOffset, ParamId::SplitBlueInvert,
     ParamId::SplitBlueHide, ParamId::SplitBlueFlipHorizontal, ParamId::SplitBlueFlipVertical},
};

/// Reads the eighteen parameters, red, green, blue, each group in table order; returns the last
/// read's code.
PF_Err ReadChannelSplits(PF_InData* in, ChannelSplit (&channels)[3]) {
  const double dsx = DownsampleFactor(in->downsample_x);
  const double dsy = DownsampleFactor(in->downsample_y);
  ReadRunKeepingLast read(in);
  for (int c = 0; c < 3; ++c) {
    const ChannelParams& p = kChannelParams[c];
    const A_long h = read.FloatSliderInt(p.horizontalOffset);
    const A_long v = read.FloatSliderInt(p.verticalOffset);
    const bool invert = read.Checkbox(p.invert);
    const bool hide = read.Checkbox(p.hide);
    const bool flipH = read.Checkbox(p.flipH);
    const bool flipV = read.Checkbox(p.flipV);
    channels[c] = MakeChannelSplit(h, v, invert, hide, flipH, flipV, dsx, dsy);
  }
  return read.Error();
}

/// Whether channel c's sampling column for destination column x lies inside the source's extent
/// (never for a hidden channel); formed in 64 bits, so an offset near the 32-bit limits cannot
/// wrap back into the source.
bool ColumnInside(const SplitRgbJob& job, const ChannelSampling& c, std::int64_t x) {
  const std::int64_t cx = c.baseX + ((x ^ c.mirrorX) - c.mirrorX);
  return static_cast<std::uint64_t>(cx - job.left) < c.columns;
}

/// The same for the sampling row of destination row y.
bool RowInside(const SplitRgbJob& job, const ChannelSampling& c, std::int64_t y) {
  const std::int64_t cy = c.baseY + ((y ^ c.mirrorY) - c.mirrorY);
  return static_cast<std::uint64_t>(cy - job.top) < c.rows;
}

/// Where one colour channel of the output pixel is read: the channel's sample where inside, else
/// a 0. row and column are y × rowbytes and x × the pixel's size, and base is the source's
/// address, plus row + column where Plain (where no channel may be mirrored or inverted); all
/// modulo 2^64.
template <PixelTraitsLike Px, bool Plain>
const typename Px::Channel* SampleAt(const ChannelSampling& c, bool inside, std::uintptr_t base,
                                     std::uint64_t row, std::uint64_t column) {
  using Channel = typename Px::Channel;
  static constexpr Channel kNone = 0;
  if (!inside) return &kNone;
  std::uint64_t at = base + c.origin;
  if constexpr (!Plain) {
    // A mirrored axis steps backwards: (v ^ m) − m is v or −v.
    const auto mirrorX = static_cast<std::uint64_t>(c.mirrorX);
    const auto mirrorY = static_cast<std::uint64_t>(c.mirrorY);
    at += ((row ^ mirrorY) - mirrorY) + ((column ^ mirrorX) - mirrorX);
  }
  return reinterpret_cast<const Channel*>(static_cast<std::uintptr_t>(at));
}

/// A channel's output value from its sample: max − value where inverted.
template <PixelTraitsLike Px, bool Plain>
typename Px::Channel Finish(const ChannelSampling& c, typename Px::Channel value) {
  // At 16 bits a value above 32768 wraps in the channel's low bits.
  if (!Plain && c.invert) value = static_cast<typename Px::Channel>(Px::MaxValue() - value);
  return value;
}

/// Fills the job's inside tables for columns and rows destination columns and rows.
void TableInside(SplitRgbJob& job, A_long columns, A_long rows) {
  if (columns <= 0 || rows <= 0) return;
  // Without the memory every pixel takes the range tests.
  try {
    job.inside.resize(static_cast<std::size_t>(columns) + static_cast<std::size_t>(rows));
  } catch (const std::bad_alloc&) {
    return;
  }
  std::uint8_t* columnInside = job.inside.data();
  std::uint8_t* rowInside = columnInside + columns;
  for (int k = 0; k < 3; ++k) {
    const auto bit = static_cast<std::uint8_t>(1u << k);
    for (A_long x = 0; x < columns; ++x) {
      if (ColumnInside(job, job.channels[k], x)) columnInside[x] |= bit;
    }
    for (A_long y = 0; y < rows; ++y) {
      if (RowInside(job, job.channels[k], y)) rowInside[y] |= bit;
    }
  }
  job.insideColumns = static_cast<std::uint32_t>(columns);
  job.insideRows = static_cast<std::uint32_t>(rows);
}

/// The pixel rule; Plain only for jobs without mirrored or inverted channels.
template <PixelTraitsLike Px, bool Plain>
PF_Err SplitRgbPixelWith(void* refcon, A_long x, A_long y, typename Px::Pixel* in,
                         typename Px::Pixel* out) {
  const auto& job = *static_cast<const SplitRgbJob*>(refcon);
  using Pixel = typename Px::Pixel;
  using Channel = typename Px::Channel;
  static_assert(
      offsetof(Pixel, red) == sizeof(Channel) && offsetof(Pixel, green) == 2 * sizeof(Channel) &&
      offsetof(Pixel, blue) == 3 * sizeof(Channel) && sizeof(Pixel) == 4 * sizeof(Channel));
  // Which channels sample inside: from the tables, or from the range tests beyond them.
  unsigned inside = 0;
  if (static_cast<std::uint32_t>(x) < job.insideColumns &&
      static_cast<std::uint32_t>(y) < job.insideRows) {
    const std::uint8_t* table = job.inside.data();
    inside = table[x] & table[job.insideColumns + static_cast<std::uint32_t>(y)];
  } else {
    for (int k = 0; k < 3; ++k) {
      const bool sampled =
          ColumnInside(job, job.channels[k], x) && RowInside(job, job.channels[k], y);
      inside |= static_cast<unsigned>(sampled) << k;
    }
  }
  const std::uint64_t row =
      static_cast<std::uint64_t>(y) * static_cast<std::uint64_t>(job.rowbytes);
  const std::uint64_t column = static_cast<std::uint64_t>(x) * sizeof(Pixel);
  const std::uintptr_t base =
      reinterpret_cast<std::uintptr_t>(job.srcData) + (Plain ? row + column : 0);
  // Alpha is read and every address formed before anything is written: a write to out may
  // change what the compiler must assume of the job. Each channel reads only its own channel,
  // so writing one cannot change another's sample, even where in and out are one pixel.
  const auto write = [&](unsigned sampled) {
    const auto alpha = in->alpha;
    const auto* red = SampleAt<Px, Plain>(job.channels[0], sampled & 1u, base, row, column);
    const auto* green = SampleAt<Px, Plain>(job.channels[1], sampled & 2u, base, row, column);
    const auto* blue = SampleAt<Px, Plain>(job.channels[2], sampled & 4u, base, row, column);
    out->alpha = alpha;
    out->red = Finish<Px, Plain>(job.channels[0], *red);
    out->green = Finish<Px, Plain>(job.channels[1], *green);
    out->blue = Finish<Px, Plain>(job.channels[2], *blue);
  };
  // Most pixels sample inside in every channel; for them the write needs no tests.
  if (inside == 7u) {
    write(7u);
  } else {
    write(inside);
  }
  return PF_Err_NONE;
}

}  // namespace

ChannelSplit MakeChannelSplit(A_long horizontalOffset, A_long verticalOffset, bool invert,
                              bool hide, bool flipH, bool flipV, double dsx, double dsy) {
  ChannelSplit c;
  // Negated in double, where −(−2^31) still exists; the sampling position moves the opposite way
  // to the channel.
  c.dx = TruncToLong(-static_cast<double>(horizontalOffset) * dsx);
  c.dy = TruncToLong(-static_cast<double>(verticalOffset) * dsy);
  c.invert = invert;
  c.hide = hide;
  c.flipH = flipH;
  c.flipV = flipV;
  return c;
}

SplitRgbJob MakeSplitRgbJob(const SplitRgbSettings& s, std::size_t channelBytes, A_long columns,
                            A_long rows) {
  SplitRgbJob job;
  const PF_Rect& e = s.srcExtent;
  const auto extentColumns =
      static_cast<std::uint64_t>(std::max<std::int64_t>(0, std::int64_t{e.right} - e.left));
  const auto extentRows =
      static_cast<std::uint64_t>(std::max<std::int64_t>(0, std::int64_t{e.bottom} - e.top));
  for (int k = 0; k < 3; ++k) {
    const ChannelSplit& c = s.channels[k];
    ChannelSampling& sampling = job.channels[k];
    // Positions in 64 bits: an offset near the 32-bit limits cannot wrap back into the source.
    sampling.baseX = c.flipH ? std::int64_t{s.width} - 1 - c.dx : c.dx;
    sampling.baseY = c.flipV ? std::int64_t{s.height} - 1 - c.dy : c.dy;
    sampling.mirrorX = c.flipH ? -1 : 0;
    sampling.mirrorY = c.flipV ? -1 : 0;
    // A hidden channel has nothing inside, so it reads 0 everywhere.
    sampling.columns = c.hide ? 0 : extentColumns;
    sampling.rows = c.hide ? 0 : extentRows;
    sampling.invert = c.invert;
    // The channel is the (k + 1)-th of alpha, red, green, blue.
    sampling.origin =
        static_cast<std::uint64_t>(sampling.baseY) * static_cast<std::uint64_t>(s.src->rowbytes) +
        static_cast<std::uint64_t>(sampling.baseX) * 4 * channelBytes +
        static_cast<std::uint64_t>(k + 1) * channelBytes;
  }
  job.srcData = static_cast<const char*>(static_cast<const void*>(s.src->data));
  job.rowbytes = s.src->rowbytes;
  job.left = e.left;
  job.top = e.top;
  TableInside(job, columns, rows);
  return job;
}

template <PixelTraitsLike Px>
PF_Err SplitRgbPixel(void* refcon, A_long x, A_long y, typename Px::Pixel* in,
                     typename Px::Pixel* out) {
  return SplitRgbPixelWith<Px, false>(refcon, x, y, in, out);
}

template <PixelTraitsLike Px>
PF_Err RenderSplitRgb(PF_InData* in, PF_EffectWorld* src, PF_EffectWorld* dst) {
  SuiteHandler suites(in->pica_basicP);
  const PF_Rect extent = dst->extent_hint;

  SplitRgbSettings settings;
  const PF_Err readErr = ReadChannelSplits(in, settings.channels);
  settings.width = extent.right - extent.left;
  settings.height = extent.bottom - extent.top;
  settings.src = src;
  settings.srcExtent = src->extent_hint;

  // The pixel pass runs whatever the reads returned, so a frame is never left unwritten.
  SplitRgbJob job =
      MakeSplitRgbJob(settings, sizeof(typename Px::Channel), dst->width, dst->height);
  const bool plain = std::none_of(
      std::begin(job.channels), std::end(job.channels),
      [](const ChannelSampling& c) { return c.mirrorX != 0 || c.mirrorY != 0 || c.invert; });
  // The same rule either way; without mirrors and inverts it skips their arithmetic.
  const auto rule = plain ? &SplitRgbPixelWith<Px, true> : &SplitRgbPixel<Px>;
  const PF_Err iterErr = Px::Iterate(suites, in, 0, settings.height, src, nullptr, &job, rule, dst);
  return iterErr != PF_Err_NONE ? iterErr : readErr;
}

JF_PIXEL_RULE_DEPTHS(template, SplitRgbPixel);
JF_STAGE_ROUTINE_DEPTHS(template, RenderSplitRgb);

}  // namespace jf
