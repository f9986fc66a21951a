// Warp: rows shifted by smoothed one-dimensional noise. Until the stage is built, it passes its source through unchanged.
#include "stages/warp.h"

#include "host/host_ops.h"

namespace jf {

template <typename PixelT>
PF_Err RenderWarp(PF_InData* in, PF_EffectWorld* src, PF_EffectWorld* dst) {
  return CopyExtent(in, src, dst);
}

template PF_Err RenderWarp<PF_Pixel8>(PF_InData*, PF_EffectWorld*, PF_EffectWorld*);
template PF_Err RenderWarp<PF_Pixel16>(PF_InData*, PF_EffectWorld*, PF_EffectWorld*);
template PF_Err RenderWarp<PF_PixelFloat>(PF_InData*, PF_EffectWorld*, PF_EffectWorld*);

}  // namespace jf
