// The shape every stage routine shares.
#pragma once

#include "AE_Effect.h"
#include "render/pixel_traits.h"

namespace jf {

/// Reads its parameters through in at the current time, reads src and writes dst (two different
/// worlds of the same depth); returns a host error code.
using EffectStage = PF_Err (*)(PF_InData* in, PF_EffectWorld* src, PF_EffectWorld* dst);

}  // namespace jf

/// The three depths' explicit instantiations of a stage routine,
/// `template <PixelTraitsLike Px> PF_Err name(PF_InData*, PF_EffectWorld*, PF_EffectWorld*)`:
/// `extern template` in the stage's header, `template` in its source file.
#define JF_STAGE_ROUTINE_DEPTHS(PREFIX, name)                                                      \
  PREFIX PF_Err name<::jf::PixelTraits<PF_Pixel8>>(PF_InData*, PF_EffectWorld*, PF_EffectWorld*);  \
  PREFIX PF_Err name<::jf::PixelTraits<PF_Pixel16>>(PF_InData*, PF_EffectWorld*, PF_EffectWorld*); \
  PREFIX PF_Err name<::jf::PixelTraits<PF_PixelFloat>>(PF_InData*, PF_EffectWorld*, PF_EffectWorld*)

/// The same for a per-pixel rule,
/// `template <PixelTraitsLike Px> PF_Err name(void*, A_long, A_long, Px::Pixel*, Px::Pixel*)`.
#define JF_PIXEL_RULE_DEPTHS(PREFIX, name)                                                         \
  PREFIX PF_Err name<::jf::PixelTraits<PF_Pixel8>>(void*, A_long, A_long, PF_Pixel8*, PF_Pixel8*); \
  PREFIX PF_Err name<::jf::PixelTraits<PF_Pixel16>>(void*, A_long, A_long, PF_Pixel16*,            \
                                                    PF_Pixel16*);                                  \
  PREFIX PF_Err name<::jf::PixelTraits<PF_PixelFloat>>(void*, A_long, A_long, PF_PixelFloat*,      \
                                                       PF_PixelFloat*)
