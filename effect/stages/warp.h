// Warp: rows shifted by smoothed one-dimensional noise.
#pragma once

#include "AE_Effect.h"

namespace jf {

/// Warp: rows shifted by smoothed one-dimensional noise.
template <typename PixelT>
PF_Err RenderWarp(PF_InData* in, PF_EffectWorld* src, PF_EffectWorld* dst);

extern template PF_Err RenderWarp<PF_Pixel8>(PF_InData*, PF_EffectWorld*, PF_EffectWorld*);
extern template PF_Err RenderWarp<PF_Pixel16>(PF_InData*, PF_EffectWorld*, PF_EffectWorld*);
extern template PF_Err RenderWarp<PF_PixelFloat>(PF_InData*, PF_EffectWorld*, PF_EffectWorld*);

}  // namespace jf
