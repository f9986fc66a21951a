// The AEGP suites through which an effect reaches its own parameter streams: "AEGP PF Interface
// Suite" 1, "AEGP Stream Suite" 7, "AEGP Dynamic Stream Suite" 2 and "AEGP Effect Suite" 2.
//
// The host serves only what an effect needs to show and hide its parameters: an AEGP reference
// to the effect instance, a stream per parameter index, the stream's hidden flag (kept in the
// instance's parameter store, so it outlives the stream and the command) and the two disposals.
// Every other member is counted and answers A_Err_GENERIC. References and streams are opaque
// handles; unknown ones are refused with A_Err_PARAMETER, never followed. Each live one counts in
// the host's accounting until it is disposed, and a disposal the gate fails still releases it.
#pragma once

#include "AE_GeneralPlug.h"
#include "headless/suites.h"

namespace jf::headless {

/// Serves the four suites from registry; every host's standard suites include them.
void RegisterAegpEffectSuites(SuiteRegistry& registry);

const AEGP_PFInterfaceSuite1& PFInterfaceSuiteTable();
const AEGP_StreamSuite2& StreamSuite2Table();
const AEGP_DynamicStreamSuite2& DynamicStreamSuite2Table();
const AEGP_EffectSuite2& EffectSuite2Table();

}  // namespace jf::headless
