// Split RGB: colour channels offset, mirrored, inverted or hidden.
#pragma once

#include "AE_Effect.h"

namespace jf {

/// Split RGB: colour channels offset, mirrored, inverted or hidden.
template <typename PixelT>
PF_Err RenderSplitRgb(PF_InData* in, PF_EffectWorld* src, PF_EffectWorld* dst);

extern template PF_Err RenderSplitRgb<PF_Pixel8>(PF_InData*, PF_EffectWorld*, PF_EffectWorld*);
extern template PF_Err RenderSplitRgb<PF_Pixel16>(PF_InData*, PF_EffectWorld*, PF_EffectWorld*);
extern template PF_Err RenderSplitRgb<PF_PixelFloat>(PF_InData*, PF_EffectWorld*, PF_EffectWorld*);

}  // namespace jf
