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

/// A block size's three sliders at their defaults.
inline SeededSize SizeDefaults(ParamId min, ParamId range, ParamId seed) {
  return {SliderDefault(min), SliderDefault(range), SliderDefault(seed)};
}

/// Basic Blocks' settings at their declared defaults, at full size.
inline BasicBlocksSettings BasicBlocksDefaults() {
  BasicBlocksSettings s;
  s.count = SliderDefault(ParamId::BasicBlocksNumberOfBlocks);
  s.maxHorizontalOffset = SliderDefault(ParamId::BasicBlocksMaxHorizontalOffset);
  s.maxVerticalOffset = SliderDefault(ParamId::BasicBlocksMaxVerticalOffset);
  s.positionSeed = SliderDefault(ParamId::BasicBlocksPositionSeed);
  s.width = SizeDefaults(ParamId::BasicBlocksMinWidth, ParamId::BasicBlocksWidthRange,
                         ParamId::BasicBlocksWidthSeed);
  s.height = SizeDefaults(ParamId::BasicBlocksMinHeight, ParamId::BasicBlocksHeightRange,
                          ParamId::BasicBlocksHeightSeed);
  s.blendMode = static_cast<BlendMode>(PopupDefault(ParamId::BasicBlocksBlendMode));
  return s;
}

/// Blur Blocks' settings at their declared defaults, at full size.
inline BlurBlocksSettings BlurBlocksDefaults() {
  BlurBlocksSettings s;
  s.radius = SliderDefault(ParamId::BlurBlocksRadius);
  s.count = SliderDefault(ParamId::BlurBlocksNumberOfBlocks);
  s.positionSeed = SliderDefault(ParamId::BlurBlocksPositionSeed);
  s.width = SizeDefaults(ParamId::BlurBlocksMinWidth, ParamId::BlurBlocksWidthRange,
                         ParamId::BlurBlocksWidthSeed);
  s.height = SizeDefaults(ParamId::BlurBlocksMinHeight, ParamId::BlurBlocksHeightRange,
                          ParamId::BlurBlocksHeightSeed);
  return s;
}

}  // namespace jf
