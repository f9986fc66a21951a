// Noise: tinted fractal simplex noise added to the colour channels.
#pragma once

#include "AE_Effect.h"

namespace jf {

/// Noise: tinted fractal simplex noise added to the colour channels.
template <typename PixelT>
PF_Err RenderNoise(PF_InData* in, PF_EffectWorld* src, PF_EffectWorld* dst);

extern template PF_Err RenderNoise<PF_Pixel8>(PF_InData*, PF_EffectWorld*, PF_EffectWorld*);
extern template PF_Err RenderNoise<PF_Pixel16>(PF_InData*, PF_EffectWorld*, PF_EffectWorld*);
extern template PF_Err RenderNoise<PF_PixelFloat>(PF_InData*, PF_EffectWorld*, PF_EffectWorld*);

}  // namespace jf
