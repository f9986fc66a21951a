// See split_rgb.h.
#include "stages/split_rgb.h"

#include <algorithm>
#include <cstdint>

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

/// One colour channel of the output pixel at (x, y).
template <PixelTraitsLike Px>
typename Px::Channel SampleChannel(const SplitRgbJob& job, const ChannelSampling& c, std::int64_t x,
                                   std::int64_t y, typename Px::Channel Px::Pixel::*channel) {
  const std::int64_t cx = c.baseX + ((x ^ c.mirrorX) - c.mirrorX);
  const std::int64_t cy = c.baseY + ((y ^ c.mirrorY) - c.mirrorY);
  typename Px::Channel value = 0;
  if (static_cast<std::uint64_t>(cx - job.left) < c.columns &&
      static_cast<std::uint64_t>(cy - job.top) < c.rows) {
    const auto* row = reinterpret_cast<const typename Px::Pixel*>(job.srcData + cy * job.rowbytes);
    value = row[cx].*channel;
  }
  // max − value; at 16 bits a value above 32768 wraps in the channel's low bits.
  if (c.invert) value = static_cast<typename Px::Channel>(Px::MaxValue() - value);
  return value;
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

SplitRgbJob MakeSplitRgbJob(const SplitRgbSettings& s) {
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
  }
  job.srcData = static_cast<const char*>(static_cast<const void*>(s.src->data));
  job.rowbytes = s.src->rowbytes;
  job.left = e.left;
  job.top = e.top;
  return job;
}

template <PixelTraitsLike Px>
PF_Err SplitRgbPixel(void* refcon, A_long x, A_long y, typename Px::Pixel* in,
                     typename Px::Pixel* out) {
  const auto& job = *static_cast<const SplitRgbJob*>(refcon);
  using Pixel = typename Px::Pixel;
  // Every channel is read before any is written, in case in and out are one pixel; writing a
  // channel first would also make the compiler read the job again after each write.
  const auto alpha = in->alpha;
  const auto red = SampleChannel<Px>(job, job.channels[0], x, y, &Pixel::red);
  const auto green = SampleChannel<Px>(job, job.channels[1], x, y, &Pixel::green);
  const auto blue = SampleChannel<Px>(job, job.channels[2], x, y, &Pixel::blue);
  out->red = red;
  out->green = green;
  out->blue = blue;
  out->alpha = alpha;
  return PF_Err_NONE;
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
  SplitRgbJob job = MakeSplitRgbJob(settings);
  const PF_Err iterErr =
      Px::Iterate(suites, in, 0, settings.height, src, nullptr, &job, &SplitRgbPixel<Px>, dst);
  return iterErr != PF_Err_NONE ? iterErr : readErr;
}

JF_PIXEL_RULE_DEPTHS(template, SplitRgbPixel);
JF_STAGE_ROUTINE_DEPTHS(template, RenderSplitRgb);

}  // namespace jf
