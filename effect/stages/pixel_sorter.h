// Pixel Sorter: runs of pixels sorted along a direction.
#pragma once

#include "AE_Effect.h"

namespace jf {

/// Pixel Sorter: runs of pixels sorted along a direction.
template <typename PixelT>
PF_Err RenderPixelSorter(PF_InData* in, PF_EffectWorld* src, PF_EffectWorld* dst);

extern template PF_Err RenderPixelSorter<PF_Pixel8>(PF_InData*, PF_EffectWorld*, PF_EffectWorld*);
extern template PF_Err RenderPixelSorter<PF_Pixel16>(PF_InData*, PF_EffectWorld*, PF_EffectWorld*);
extern template PF_Err RenderPixelSorter<PF_PixelFloat>(PF_InData*, PF_EffectWorld*, PF_EffectWorld*);

}  // namespace jf
