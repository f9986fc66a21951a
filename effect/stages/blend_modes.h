// The "Blend Mode" popups and the one composite both layer-building stages use.
#pragma once

#include "AE_Effect.h"
#include "AE_EffectCB.h"

namespace jf {

/// The popup's items, numbered from 1, in the order of the host's transfer-mode numbering.
enum class BlendMode : A_long {
  Copy = 1,
  Behind,
  InFront,
  Dissolve,
  Add,
  Multiply,
  Screen,
  Overlay,
  SoftLight,
  HardLight,
  Darken,
  Lighten,
  Difference,
  Hue,
  Saturation,
  Color,
  Luminosity,
  MultiplyAlpha,
  MultiplyAlphaLuma,
  MultiplyNotAlpha,
  MultiplyNotAlphaLuma,
  AdditivePremultiply,
  AlphaAdd,
  ColorDodge,
  ColorBurn,
  Exclusion,
  Difference2,
  ColorDodge2,
  ColorBurn2,
  LinearDodge,
  LinearBurn,
  LinearLight,
  VividLight,
  PinLight,
  HardMix,
  LighterColor,
  DarkerColor,
  Subtract,
  Divide,
};

/// Popup item n selects the host's transfer mode n − 1. The popups declare one choice more than
/// they name, so item 40 can arrive; it is held as it came and passed on unchanged as mode 39.
constexpr PF_TransferMode ToTransferMode(BlendMode item) {
  return static_cast<A_long>(item) - 1;
}

/// Composites layer over dst inside targetRect with the popup item's transfer mode: the layer is
/// the upper one, at full opacity, with straight alpha, through an identity matrix.
PF_Err BlendComposite(PF_InData* in, PF_EffectWorld* layer, PF_EffectWorld* dst, BlendMode item,
                      const PF_Rect& targetRect);

}  // namespace jf
