// See blend_modes.h.
#include "stages/blend_modes.h"

#include "render/transform_matrix.h"

namespace jf {
namespace {

// The popup order is the host's numbering; these pin every item to the host's named mode.
static_assert(ToTransferMode(BlendMode::Copy) == PF_Xfer_COPY);
static_assert(ToTransferMode(BlendMode::Behind) == PF_Xfer_BEHIND);
static_assert(ToTransferMode(BlendMode::InFront) == PF_Xfer_IN_FRONT);
static_assert(ToTransferMode(BlendMode::Dissolve) == PF_Xfer_DISSOLVE);
static_assert(ToTransferMode(BlendMode::Add) == PF_Xfer_ADD);
static_assert(ToTransferMode(BlendMode::Multiply) == PF_Xfer_MULTIPLY);
static_assert(ToTransferMode(BlendMode::Screen) == PF_Xfer_SCREEN);
static_assert(ToTransferMode(BlendMode::Overlay) == PF_Xfer_OVERLAY);
static_assert(ToTransferMode(BlendMode::SoftLight) == PF_Xfer_SOFT_LIGHT);
static_assert(ToTransferMode(BlendMode::HardLight) == PF_Xfer_HARD_LIGHT);
static_assert(ToTransferMode(BlendMode::Darken) == PF_Xfer_DARKEN);
static_assert(ToTransferMode(BlendMode::Lighten) == PF_Xfer_LIGHTEN);
static_assert(ToTransferMode(BlendMode::Difference) == PF_Xfer_DIFFERENCE);
static_assert(ToTransferMode(BlendMode::Hue) == PF_Xfer_HUE);
static_assert(ToTransferMode(BlendMode::Saturation) == PF_Xfer_SATURATION);
static_assert(ToTransferMode(BlendMode::Color) == PF_Xfer_COLOR);
static_assert(ToTransferMode(BlendMode::Luminosity) == PF_Xfer_LUMINOSITY);
static_assert(ToTransferMode(BlendMode::MultiplyAlpha) == PF_Xfer_MULTIPLY_ALPHA);
static_assert(ToTransferMode(BlendMode::MultiplyAlphaLuma) == PF_Xfer_MULTIPLY_ALPHA_LUMA);
static_assert(ToTransferMode(BlendMode::MultiplyNotAlpha) == PF_Xfer_MULTIPLY_NOT_ALPHA);
static_assert(ToTransferMode(BlendMode::MultiplyNotAlphaLuma) == PF_Xfer_MULTIPLY_NOT_ALPHA_LUMA);
static_assert(ToTransferMode(BlendMode::AdditivePremultiply) == PF_Xfer_ADDITIVE_PREMUL);
static_assert(ToTransferMode(BlendMode::AlphaAdd) == PF_Xfer_ALPHA_ADD);
static_assert(ToTransferMode(BlendMode::ColorDodge) == PF_Xfer_COLOR_DODGE);
static_assert(ToTransferMode(BlendMode::ColorBurn) == PF_Xfer_COLOR_BURN);
static_assert(ToTransferMode(BlendMode::Exclusion) == PF_Xfer_EXCLUSION);
static_assert(ToTransferMode(BlendMode::Difference2) == PF_Xfer_DIFFERENCE2);
static_assert(ToTransferMode(BlendMode::ColorDodge2) == PF_Xfer_COLOR_DODGE2);
static_assert(ToTransferMode(BlendMode::ColorBurn2) == PF_Xfer_COLOR_BURN2);
static_assert(ToTransferMode(BlendMode::LinearDodge) == PF_Xfer_LINEAR_DODGE);
static_assert(ToTransferMode(BlendMode::LinearBurn) == PF_Xfer_LINEAR_BURN);
static_assert(ToTransferMode(BlendMode::LinearLight) == PF_Xfer_LINEAR_LIGHT);
static_assert(ToTransferMode(BlendMode::VividLight) == PF_Xfer_VIVID_LIGHT);
static_assert(ToTransferMode(BlendMode::PinLight) == PF_Xfer_PIN_LIGHT);
static_assert(ToTransferMode(BlendMode::HardMix) == PF_Xfer_HARD_MIX);
static_assert(ToTransferMode(BlendMode::LighterColor) == PF_Xfer_LIGHTER_COLOR);
static_assert(ToTransferMode(BlendMode::DarkerColor) == PF_Xfer_DARKER_COLOR);
static_assert(ToTransferMode(BlendMode::Subtract) == PF_Xfer_SUBTRACT);
static_assert(ToTransferMode(BlendMode::Divide) == PF_Xfer_DIVIDE);

}  // namespace

PF_Err BlendComposite(PF_InData* in, PF_EffectWorld* layer, PF_EffectWorld* dst, BlendMode item,
                      const PF_Rect& targetRect) {
  PF_CompositeMode mode{};
  mode.xfer = ToTransferMode(item);
  mode.rand_seed = 0;  // Dissolve draws the same grain on every frame
  mode.opacity = 255;
  mode.rgb_only = 0;
  mode.opacitySu = 0x8000;

  PF_FloatMatrix identity;
  Identity(identity);
  PF_Rect destRect = targetRect;
  return in->utils->transform_world(in->effect_ref, in->quality, PF_MF_Alpha_STRAIGHT, in->field,
                                    layer, &mode, nullptr, &identity, 1, 1, &destRect, dst);
}

}  // namespace jf
