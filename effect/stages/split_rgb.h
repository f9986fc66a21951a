// Split RGB: colour channels offset, mirrored, inverted or hidden.
#pragma once

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

/// The pixel rule: each colour channel of out from its own sampling position in the source, 0
/// where that lies outside the source's extent or the channel is hidden, then inverted if asked;
/// alpha from in. refcon is a SplitRgbSettings.
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
