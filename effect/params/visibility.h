// Shows only the parameters that matter under the current settings.
#pragma once

#include <vector>

#include "AE_Effect.h"
#include "AE_GeneralPlug.h"
#include "params/param_table.h"

namespace jf {

/// One hidden-flag decision: the parameter and whether it is hidden (false shows it).
struct HiddenChange {
  ParamId id;
  bool hide;
};

/// The decisions of one pass, in the order the host receives them, from the current values in
/// params (all 211 entries present). Parameters no rule names (the top-level group starts and
/// ends, the stage checkboxes, and the group ends inside an enabled shape) are left out, so they
/// keep whatever state they had.
std::vector<HiddenChange> PlanParamVisibility(PF_ParamDef* const params[]);

/// Sets or clears the hidden flag of one parameter's stream through the AEGP stream suites,
/// which it acquires and releases itself; returns the first failing host code.
PF_Err SetParamHidden(PF_InData* in, AEGP_EffectRefH effect, ParamId id, bool hide);

/// Hides the parameters of disabled stages and switched-off options and shows the rest; always
/// asks the host to refresh its controls.
PF_Err UpdateParamsUi(PF_InData* in, PF_OutData* out, PF_ParamDef* params[]);

}  // namespace jf
