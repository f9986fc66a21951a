// See global.h.
#include "entry/global.h"

#include <ctime>

#include "entry/pipl.h"
#include "entry/suite_handler.h"
#include "host/host_ops.h"
#include "params/string_table.h"

namespace jf {

int CurrentLocalYear() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
#if defined(_WIN32)
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  return local.tm_year + 1900;
}

PF_Err About(PF_InData* in, PF_OutData* out, int year) {
  SuiteHandler suites(in->pica_basicP);
  suites.AnsiSuite()->sprintf(out->return_msg, "%s v%d.%d.%d\r\r%s\r\r\rCopyright 2025-%d Tarnwell",
                              LookUpString(StrId{1}), 1, 0, 3, LookUpString(StrId{2}), year);
  return PF_Err_NONE;
}

PF_Err GlobalSetup(PF_InData* in, PF_OutData* out) {
  SuiteHandler suites(in->pica_basicP);
  out->my_version = kEffectVersion;
  out->out_flags = kOutFlags;
  out->out_flags2 = kOutFlags2;

  ScopedHandle handle(suites);
  if (!handle.Allocate(sizeof(GlobalData))) return PF_Err_INTERNAL_STRUCT_DAMAGED;

  // The handle becomes the host's only once it is installed; on every other path the guard
  // unlocks it and gives it back.
  auto* block = static_cast<GlobalData*>(handle.Lock());
  if (block == nullptr) return PF_Err_NONE;

  block->paramsDeclared = 0;
  PF_Err err = PF_Err_NONE;
  if (in->appl_id != kPremiereApplId) {
    err = suites.UtilitySuite()->AEGP_RegisterWithAEGP(nullptr, LookUpString(StrId{1}),
                                                       &block->pluginId);
  }
  if (err == PF_Err_NONE) out->global_data = handle.Detach();
  return err;
}

PF_Err GlobalSetdown(PF_InData* in) {
  SuiteHandler suites(in->pica_basicP);
  if (in->global_data != nullptr) suites.HandleSuite()->host_dispose_handle(in->global_data);
  return PF_Err_NONE;
}

}  // namespace jf
