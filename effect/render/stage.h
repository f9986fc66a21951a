// The shape every stage routine shares.
#pragma once

#include "AE_Effect.h"

namespace jf {

/// Reads its parameters through in at the current time, reads src and writes dst (two different
/// worlds of the same depth); returns a host error code.
using EffectStage = PF_Err (*)(PF_InData* in, PF_EffectWorld* src, PF_EffectWorld* dst);

}  // namespace jf
