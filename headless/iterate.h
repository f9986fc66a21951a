// Per-pixel and generic iteration on the host's thread pool, with the host's exact signatures.
//
// Rows are split among the threads of the current host's pool. Each call of the effect's
// function gets (refcon, x, y, source pixel, destination pixel) in world coordinates; where
// (x, y) lies outside the source (or there is no source) the source pixel is a transparent
// pixel of its own, fresh for each call. The first non-zero result ends the iteration: rows not
// yet started are skipped and that result is returned. The visiting order is unspecified; the
// host can be told to visit rows and pixels in reverse to show that an effect does not depend on
// it. Calls need a current host (see Host::Current) and pass its gate.
#pragma once

#include "AE_Effect.h"
#include "AE_EffectCB.h"

namespace jf::headless {

using GenericIterateFunc = PF_Err (*)(void* refcon, A_long threadIndex, A_long i,
                                      A_long iterations);

PF_Err Iterate8(PF_InData* in_data, A_long progress_base, A_long progress_final,
                PF_EffectWorld* src, const PF_Rect* area, void* refcon, PF_IteratePixel8Func pix_fn,
                PF_EffectWorld* dst);
PF_Err Iterate16(PF_InData* in_data, A_long progress_base, A_long progress_final,
                 PF_EffectWorld* src, const PF_Rect* area, void* refcon,
                 PF_IteratePixel16Func pix_fn, PF_EffectWorld* dst);
PF_Err IterateFloat(PF_InData* in_data, A_long progress_base, A_long progress_final,
                    PF_EffectWorld* src, const PF_Rect* area, void* refcon,
                    PF_IteratePixelFloatFunc pix_fn, PF_EffectWorld* dst);

/// As the plain iterations, with the source read at (x + origin.h, y + origin.v) for
/// destination pixel (x, y); a null origin is (0, 0).
PF_Err IterateOrigin8(PF_InData* in_data, A_long progress_base, A_long progress_final,
                      PF_EffectWorld* src, const PF_Rect* area, const PF_Point* origin,
                      void* refcon, PF_IteratePixel8Func pix_fn, PF_EffectWorld* dst);
PF_Err IterateOrigin16(PF_InData* in_data, A_long progress_base, A_long progress_final,
                       PF_EffectWorld* src, const PF_Rect* area, const PF_Point* origin,
                       void* refcon, PF_IteratePixel16Func pix_fn, PF_EffectWorld* dst);
PF_Err IterateOriginFloat(PF_InData* in_data, A_long progress_base, A_long progress_final,
                          PF_EffectWorld* src, const PF_Rect* area, const PF_Point* origin,
                          void* refcon, PF_IteratePixelFloatFunc pix_fn, PF_EffectWorld* dst);

/// Calls fn for i = 0 .. iterations - 1, spread over the pool's threads; thread_index is the
/// calling thread's slot, 0 .. threads - 1, never shared by two calls running at once.
/// PF_Iterations_ONCE_PER_PROCESSOR means one call per thread of the pool, each told the
/// actual count.
PF_Err IterateGeneric(A_long iterations, void* refcon, GenericIterateFunc fn);

}  // namespace jf::headless
