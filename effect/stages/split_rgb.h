// Split RGB: colour channels offset, mirrored, inverted or hidden.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "AE_Effect.h"
#include "render/pixel_traits.h"
#include "render/stage.h"

namespace jf {

/// How one colour channel is sampled: an offset added to the pixel's position (the slider
/// values negated and scaled to the render's resolution), then optional mirrors; hidden
/// channels read 0, inverted ones max − value.
struct ChannelSplit {
  A_long dx = 0;
  A_long dy = 0;
  bool invert = false;
  bool hide = false;
  bool flipH = false;
  bool flipV = false;
};

/// One channel's split from its parameter values: dx = trunc(−horizontalOffset × dsx) and
/// dy = trunc(−verticalOffset × dsy) in double precision, truncated toward zero.
ChannelSplit MakeChannelSplit(A_long horizontalOffset, A_long verticalOffset, bool invert,
                              bool hide, bool flipH, bool flipV, double dsx, double dsy);

/// What the pixel rule reads: the splits in the order red, green, blue, the destination
/// extent's size (the mirror axes) and the source.
struct SplitRgbSettings {
  ChannelSplit channels[3];
  A_long width = 0;
  A_long height = 0;
  const PF_EffectWorld* src = nullptr;
  PF_Rect srcExtent{};
};

/// One channel's sampling as the pixel rule applies it, prepared once per render: the source
/// column is baseX + x, or baseX − x where mirrored (W − 1 − (x + dx) is (W − 1 − dx) − x), the
/// row likewise; the channel is read where both lie inside the source's extent.
struct ChannelSampling {
  std::int64_t baseX = 0;
  std::int64_t baseY = 0;
  std::int64_t mirrorX = 0;  // 0, or −1 where mirrored: (v ^ m) − m is v or −v
  std::int64_t mirrorY = 0;
  std::uint64_t columns = 0;  // the source extent's width; 0 for a hidden channel
  std::uint64_t rows = 0;     // its height; likewise
  // The byte offset from the source's data to this channel of the pixel at (baseX, baseY),
  // formed modulo 2^64 like the pixel rule's other offsets; used only where the sample lies
  // inside.
  std::uint64_t origin = 0;
  bool invert = false;
};

/// What the pixel rule reads: the three samplings, red, green, blue, and where the source's
/// extent lies in its pixels; then, for the destination's columns and rows, which channels
/// sample inside the source (bit k for channel k). The bounds tests then cost one table read
/// each per pixel instead of six range tests; a pixel beyond the tables takes the tests.
struct SplitRgbJob {
  ChannelSampling channels[3];
  const char* srcData = nullptr;
  std::ptrdiff_t rowbytes = 0;
  A_long left = 0;  // the source extent's left and top
  A_long top = 0;
  std::uint32_t insideColumns = 0;  // the tables' lengths; 0 without tables
  std::uint32_t insideRows = 0;
  std::vector<std::uint8_t> inside;  // the column table, then the row table
};

/// The job for settings, for channels of channelBytes each in alpha, red, green, blue order, with
/// tables for destination columns 0 … columns − 1 and rows 0 … rows − 1 (none when memory for
/// them is short); the settings' source must outlive it.
SplitRgbJob MakeSplitRgbJob(const SplitRgbSettings& settings, std::size_t channelBytes,
                            A_long columns, A_long rows);

/// The pixel rule: each colour channel of out from its own sampling position in the source, 0
/// where that lies outside the source's extent or the channel is hidden, then inverted if asked;
/// alpha from in. refcon is a SplitRgbJob.
template <PixelTraitsLike Px>
PF_Err SplitRgbPixel(void* refcon, A_long x, A_long y, typename Px::Pixel* in,
                     typename Px::Pixel* out);

JF_PIXEL_RULE_DEPTHS(extern template, SplitRgbPixel);

/// Split RGB: colour channels offset, mirrored, inverted or hidden. Returns the iteration's
/// error, else the status of the last parameter read (the blue "Flip Vertical").
template <PixelTraitsLike Px>
PF_Err RenderSplitRgb(PF_InData* in, PF_EffectWorld* src, PF_EffectWorld* dst);

JF_STAGE_ROUTINE_DEPTHS(extern template, RenderSplitRgb);

}  // namespace jf
