// The records a host hands an effect with each command: PF_InData with its callbacks, PF_OutData,
// and the callback tables of smart pre-render and smart render.
#pragma once

#include "AE_Effect.h"
#include "AE_EffectCB.h"
#include "SPBasic.h"

namespace jf::headless {

/// Time, scale and quality of a command.
struct RenderSettings {
  A_long time = 0;
  A_long timeStep = 1;
  A_u_long timeScale = 30;
  PF_RationalScale downsampleX{1, 1};
  PF_RationalScale downsampleY{1, 1};
  PF_Quality quality = PF_Quality_HI;
  PF_Field field = PF_Field_FRAME;
};

/// What a command's records say beyond the callbacks.
struct CommandContext {
  PF_ProgPtr effectRef = nullptr;
  SPBasicSuite* basicSuite = nullptr;
  A_long applId = 0;
  A_long numParams = 0;
  PF_Handle globalData = nullptr;
  RenderSettings settings;
  /// The input layer's size and the area to render (zero outside renders).
  A_long width = 0;
  A_long height = 0;
  PF_Rect extent{};
};

/// One command's records. The utility callbacks are the command's own copy, so an effect that
/// writes into them harms no other command.
struct CommandRecords {
  explicit CommandRecords(const CommandContext& context);
  CommandRecords(const CommandRecords&) = delete;
  CommandRecords& operator=(const CommandRecords&) = delete;

  PF_InData in{};
  PF_OutData out{};
  PF_UtilCallbacks utils{};
};

/// The host's utility callbacks (PF_InData::utils); members it does not serve answer
/// PF_Err_INVALID_CALLBACK (or null).
const PF_UtilCallbacks& UtilCallbacksTable();
/// The interaction callbacks (PF_InData::inter): parameters, abort and progress.
const PF_InteractCallbacks& InteractCallbacksTable();
const PF_PreRenderCallbacks& PreRenderCallbacksTable();
const PF_SmartRenderCallbacks& SmartRenderCallbacksTable();

}  // namespace jf::headless
