// See visibility.h.
#include "params/visibility.h"

#include "entry/suite_handler.h"

namespace jf {

PF_Err UpdateParamsUi(PF_InData* in, PF_OutData* out, PF_ParamDef* params[]) {
  (void)params;
  SuiteHandler suites(in->pica_basicP);
  out->out_flags |= PF_OutFlag_REFRESH_UI;
  return PF_Err_NONE;
}

}  // namespace jf
