// Elements Scatter: six kinds of simple shapes scattered over the image.
#pragma once

#include "AE_Effect.h"

namespace jf {

/// Elements Scatter: six kinds of simple shapes scattered over the image.
template <typename PixelT>
PF_Err RenderElementsScatter(PF_InData* in, PF_EffectWorld* src, PF_EffectWorld* dst);

extern template PF_Err RenderElementsScatter<PF_Pixel8>(PF_InData*, PF_EffectWorld*, PF_EffectWorld*);
extern template PF_Err RenderElementsScatter<PF_Pixel16>(PF_InData*, PF_EffectWorld*, PF_EffectWorld*);
extern template PF_Err RenderElementsScatter<PF_PixelFloat>(PF_InData*, PF_EffectWorld*, PF_EffectWorld*);

}  // namespace jf
