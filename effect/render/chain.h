// Smart pre-render and the render chain that runs the enabled stages in slot order.
#pragma once

#include "AE_Effect.h"
#include "params/param_table.h"
#include "render/stage.h"

namespace jf {

/// One fixed place in the chain: the stage's enable checkbox and its routine per depth
/// (8-bit, 16-bit, float).
struct StageSlot {
  ParamId enable;
  EffectStage routines[3];
};

constexpr int kStageCount = 7;

/// The seven slots, in the order the stages always run.
extern const StageSlot kStageSlots[kStageCount];

/// Asks for the input exactly over the area the host asks the effect to render, and reports the
/// input's areas as the effect's own.
PF_Err SmartPreRender(PF_InData* in, PF_OutData* out, PF_PreRenderExtra* extra);

/// Runs every enabled stage, each reading the previous one's result; the last writes the output.
PF_Err SmartRender(PF_InData* in, PF_OutData* out, PF_SmartRenderExtra* extra);

}  // namespace jf
