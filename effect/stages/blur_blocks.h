// Blur Blocks: blurred rectangles at seeded places.
#pragma once

#include "AE_Effect.h"

namespace jf {

/// Blur Blocks: blurred rectangles at seeded places.
template <typename PixelT>
PF_Err RenderBlurBlocks(PF_InData* in, PF_EffectWorld* src, PF_EffectWorld* dst);

extern template PF_Err RenderBlurBlocks<PF_Pixel8>(PF_InData*, PF_EffectWorld*, PF_EffectWorld*);
extern template PF_Err RenderBlurBlocks<PF_Pixel16>(PF_InData*, PF_EffectWorld*, PF_EffectWorld*);
extern template PF_Err RenderBlurBlocks<PF_PixelFloat>(PF_InData*, PF_EffectWorld*, PF_EffectWorld*);

}  // namespace jf
