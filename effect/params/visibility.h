// Shows only the parameters that matter under the current settings.
#pragma once

#include "AE_Effect.h"

namespace jf {

/// Hides the parameters of disabled stages and switched-off options and shows the rest; always
/// asks the host to refresh its controls.
PF_Err UpdateParamsUi(PF_InData* in, PF_OutData* out, PF_ParamDef* params[]);

}  // namespace jf
