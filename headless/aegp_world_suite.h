// "AEGP World Suite" at versions 2 and 3: worlds an effect makes through the AEGP side of the
// host, seen as effect worlds and blurred in place.
//
// The host serves AEGP_New, AEGP_Dispose, AEGP_FillOutPFEffectWorld and AEGP_FastBlur; every
// other member is counted and answers A_Err_GENERIC. The two versions are one set of operations
// in two record layouts (version 2 has no AEGP_GetBaseAddr32, so its later members sit one place
// earlier), and a world made through one version may be used and disposed through the other.
//
// - A world is made in the host's own world store, of type AEGP_WorldType_8, _16 or _32 (the
//   formats argb, ae16 and ae32) and cleared to transparent black; once filled out as an effect
//   world, the host's copy, iterate and every other world operation accept it. A null effect
//   reference is the right one to pass those operations for it. It counts in the host's
//   accounting as a world until it is disposed, and a disposal the gate fails still frees it.
// - Handles are opaque: unknown ones, and those of another host, are refused with
//   A_Err_PARAMETER and never followed. Bad types, sizes and null outputs are A_Err_PARAMETER
//   too; memory that cannot be had is A_Err_ALLOC.
// - AEGP_FastBlur blurs the whole world with the host's fast blur (radius in pixels, a cost per
//   pixel that does not grow with it; see headless/imaging). It takes straight or premultiplied
//   mode flags and treats both as straight alpha; the quality does not change the result.
// - Every call passes the gate under the member's name and needs a current host.
#pragma once

#include "AE_GeneralPlug.h"
#include "headless/suites.h"

namespace jf::headless {

/// Serves both versions from registry; every host's standard suites include them.
void RegisterAegpWorldSuite(SuiteRegistry& registry);

const AEGP_WorldSuite2& AegpWorldSuite2Table();
const AEGP_WorldSuite3& AegpWorldSuite3Table();

}  // namespace jf::headless
