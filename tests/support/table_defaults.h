// Stage settings as the parameter table declares them by default: what a stage reads when no
// parameter has been touched.
#pragma once

#include "params/param_table.h"
#include "render/numeric.h"
#include "stages/basic_blocks.h"
#include "stages/blur_blocks.h"

namespace jf {

/// A float slider's declared default as the stage reads it, truncated toward zero.
inline A_long SliderDefault(ParamId id) {
  return TruncToLong(LookUpParam(id).values[ParamDescriptor::kSliderDefault].AsFloat());
}

/// A popup's declared default choice.
inline A_long PopupDefault(ParamId id) {
  return LookUpParam(id).values[ParamDescriptor::kDefault].AsInt();
}

/// Basic Blocks' settings at their declared defaults, at full size.
inline BasicBlocksSettings BasicBlocksDefaults() {
  BasicBlocksSettings s;
  s.count = SliderDefault(ParamId::BasicBlocksNumberOfBlocks);
  s.maxHorizontalOffset = SliderDefault(ParamId::BasicBlocksMaxHorizontalOffset);
  s.maxVerticalOffset = SliderDefault(ParamId::BasicBlocksMaxVerticalOffset);
  s.positionSeed = SliderDefault(ParamId::BasicBlocksPositionSeed);
  s.width = {SliderDefault(ParamId::BasicBlocksMinWidth),
             SliderDefault(ParamId::BasicBlocksWidthRange),
             SliderDefault(ParamId::BasicBlocksWidthSeed)};
  s.height = {SliderDefault(ParamId::BasicBlocksMinHeight),
              SliderDefault(ParamId::BasicBlocksHeightRange),
              SliderDefault(ParamId::BasicBlocksHeightSeed)};
  s.blendMode = static_cast<BlendMode>(PopupDefault(ParamId::BasicBlocksBlendMode));
  return s;
}

/// Blur Blocks' settings at their declared defaults, at full size.
inline BlurBlocksSettings BlurBlocksDefaults() {
  BlurBlocksSettings s;
  s.radius = SliderDefault(ParamId::BlurBlocksRadius);
  s.count = SliderDefault(ParamId::BlurBlocksNumberOfBlocks);
  s.positionSeed = SliderDefault(ParamId::BlurBlocksPositionSeed);
  s.width = {SliderDefault(ParamId::BlurBlocksMinWidth),
             SliderDefault(ParamId::BlurBlocksWidthRange),
             SliderDefault(ParamId::BlurBlocksWidthSeed)};
  s.height = {SliderDefault(ParamId::BlurBlocksMinHeight),
              SliderDefault(ParamId::BlurBlocksHeightRange),
              SliderDefault(ParamId::BlurBlocksHeightSeed)};
  return s;
}

}  // namespace jf
