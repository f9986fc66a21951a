// Declaration of the parameter set to the host (PF_Cmd_PARAMS_SETUP).
#pragma once

#include "AE_Effect.h"

namespace jf {

/// Declares rows 1 to 210 to the host through add_param, in index order, writing one diagnostic
/// line per row to standard output; then reports 211 parameters and sets the
/// parameters-declared flag (byte 0 of the GlobalData block). Stops at the first add_param
/// failure and returns its code, leaving num_params and the flag alone. Uses no suite.
PF_Err DeclareParams(PF_InData* in, PF_OutData* out);

}  // namespace jf
