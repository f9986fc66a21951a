// The effect's commands outside rendering: About, global setup and set-down.
#pragma once

#include "AE_Effect.h"
#include "AE_GeneralPlug.h"

namespace jf {

/// The one block that outlives a command: 8 bytes in a host handle.
struct GlobalData {
  A_u_char paramsDeclared;  // set once the parameters are declared
  A_u_char unused[3];
  AEGP_PluginID pluginId;  // handed out by the host at global setup; unset under "PrMr"
};
static_assert(sizeof(GlobalData) == 8);

/// Premiere's application id; it offers no AEGP suites.
constexpr A_long kPremiereApplId = 0x50724D72;  // 'PrMr'

/// The local calendar year of the current time.
int CurrentLocalYear();

/// Writes the About text, whose year range ends with year, into out->return_msg.
PF_Err About(PF_InData* in, PF_OutData* out, int year);
PF_Err GlobalSetup(PF_InData* in, PF_OutData* out);
PF_Err GlobalSetdown(PF_InData* in);

}  // namespace jf
