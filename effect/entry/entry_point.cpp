// The module's one exported function: dispatches each host command to its handler.
#include <new>

#include "AEConfig.h"  // the platform macros entry.h keys DllExport on
#include "AE_Effect.h"
#include "entry.h"
#include "entry/global.h"
#include "entry/suite_handler.h"
#include "params/declare.h"
#include "params/visibility.h"
#include "render/chain.h"

// The vendor's entry.h knows Windows and macOS only; ELF modules export as macOS ones do.
#if !defined(DllExport) && !defined(_WIN32)
#define DllExport __attribute__((visibility("default")))
#endif

namespace {

PF_Err Dispatch(PF_Cmd cmd, PF_InData* in, PF_OutData* out, PF_ParamDef* params[], void* extra) {
  switch (cmd) {
    case PF_Cmd_ABOUT:
      return jf::About(in, out, jf::CurrentLocalYear());
    case PF_Cmd_GLOBAL_SETUP:
      return jf::GlobalSetup(in, out);
    case PF_Cmd_GLOBAL_SETDOWN:
      return jf::GlobalSetdown(in);
    case PF_Cmd_PARAMS_SETUP: {
      jf::SuiteHandler suites(in->pica_basicP);
      return jf::DeclareParams(in, out);
    }
    case PF_Cmd_FRAME_SETUP: {
      jf::SuiteHandler suites(in->pica_basicP);
      return PF_Err_NONE;
    }
    case PF_Cmd_UPDATE_PARAMS_UI:
      return jf::UpdateParamsUi(in, out, params);
    case PF_Cmd_SMART_PRE_RENDER:
      return jf::SmartPreRender(in, out, static_cast<PF_PreRenderExtra*>(extra));
    case PF_Cmd_SMART_RENDER:
      return jf::SmartRender(in, out, static_cast<PF_SmartRenderExtra*>(extra));
    default:
      return PF_Err_NONE;
  }
}

}  // namespace

extern "C" DllExport PF_Err EntryPointFunc(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data,
                                           PF_ParamDef* params[], PF_LayerDef* output,
                                           void* extra) {
  (void)output;
  try {
    return Dispatch(cmd, in_data, out_data, params, extra);
  } catch (PF_Err err) {
    return err;
  } catch (const std::bad_alloc&) {
    // No C++ exception may cross into the host: it would take the host application down.
    return PF_Err_OUT_OF_MEMORY;
  } catch (...) {
    return PF_Err_INTERNAL_STRUCT_DAMAGED;
  }
}
