// The blend-mode popup against the host's named transfer modes, through the headless host's
// composite at every depth.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "e2e/support.h"
#include "headless/records.h"
#include "render/transform_matrix.h"
#include "stages/blend_modes.h"

namespace jf {
namespace {

/// Every popup item beside the host mode it stands for, named as the host names it.
struct ModeRow {
  BlendMode item;
  PF_TransferMode mode;
  const char* name;
};

#define JF_ROW(item, mode)                 \
  ModeRow {                                \
    BlendMode::item, PF_Xfer_##mode, #item \
  }
constexpr ModeRow kModes[] = {
    JF_ROW(Copy, COPY),
    JF_ROW(Behind, BEHIND),
    JF_ROW(InFront, IN_FRONT),
    JF_ROW(Dissolve, DISSOLVE),
    JF_ROW(Add, ADD),
    JF_ROW(Multiply, MULTIPLY),
    JF_ROW(Screen, SCREEN),
    JF_ROW(Overlay, OVERLAY),
    JF_ROW(SoftLight, SOFT_LIGHT),
    JF_ROW(HardLight, HARD_LIGHT),
    JF_ROW(Darken, DARKEN),
    JF_ROW(Lighten, LIGHTEN),
    JF_ROW(Difference, DIFFERENCE),
    JF_ROW(Hue, HUE),
    JF_ROW(Saturation, SATURATION),
    JF_ROW(Color, COLOR),
    JF_ROW(Luminosity, LUMINOSITY),
    JF_ROW(MultiplyAlpha, MULTIPLY_ALPHA),
    JF_ROW(MultiplyAlphaLuma, MULTIPLY_ALPHA_LUMA),
    JF_ROW(MultiplyNotAlpha, MULTIPLY_NOT_ALPHA),
    JF_ROW(MultiplyNotAlphaLuma, MULTIPLY_NOT_ALPHA_LUMA),
    JF_ROW(AdditivePremultiply, ADDITIVE_PREMUL),
    JF_ROW(AlphaAdd, ALPHA_ADD),
    JF_ROW(ColorDodge, COLOR_DODGE),
    JF_ROW(ColorBurn, COLOR_BURN),
    JF_ROW(Exclusion, EXCLUSION),
    JF_ROW(Difference2, DIFFERENCE2),
    JF_ROW(ColorDodge2, COLOR_DODGE2),
    JF_ROW(ColorBurn2, COLOR_BURN2),
    JF_ROW(LinearDodge, LINEAR_DODGE),
    JF_ROW(LinearBurn, LINEAR_BURN),
    JF_ROW(LinearLight, LINEAR_LIGHT),
    JF_ROW(VividLight, VIVID_LIGHT),
    JF_ROW(PinLight, PIN_LIGHT),
    JF_ROW(HardMix, HARD_MIX),
    JF_ROW(LighterColor, LIGHTER_COLOR),
    JF_ROW(DarkerColor, DARKER_COLOR),
    JF_ROW(Subtract, SUBTRACT),
    JF_ROW(Divide, DIVIDE),
};
#undef JF_ROW
static_assert(std::size(kModes) == 39);

PF_EffectWorld* Pixels(const headless::World& world) {
  return const_cast<PF_EffectWorld*>(&world.Effect());
}

class BlendCompositeMode : public ::testing::TestWithParam<std::tuple<int, ModeRow>> {};

// The layer over dst through BlendComposite equals the host's own composite in the named mode at
// full opacity with straight alpha, over the whole target rectangle and nowhere else.
TEST_P(BlendCompositeMode, IsTheHostsNamedTransferMode) {
  const auto& [depth, row] = GetParam();
  headless::Host host;
  host.SetThreadCount(1);
  headless::Host::Activation active(host);
  headless::CommandRecords records{headless::CommandContext{}};

  const auto layer = e2e::Pattern(23, 17, depth);
  const auto base = e2e::Pattern(29, 13, depth);
  const auto got = e2e::Pattern(29, 13, depth);
  const auto expected = e2e::Pattern(29, 13, depth);
  // The pattern's alpha varies, so the modes that weigh by alpha show it.
  ASSERT_TRUE(got->SamePixels(*base));
  const PF_Rect target{3, 2, 26, 12};

  ASSERT_EQ(BlendComposite(&records.in, Pixels(*layer), Pixels(*got), row.item, target),
            PF_Err_NONE);

  PF_CompositeMode mode{};
  mode.xfer = row.mode;
  mode.opacity = 255;
  mode.opacitySu = 0x8000;
  PF_FloatMatrix identity;
  Identity(identity);
  PF_Rect rect = target;
  ASSERT_EQ(headless::UtilCallbacksTable().transform_world(
                nullptr, PF_Quality_HI, PF_MF_Alpha_STRAIGHT, PF_Field_FRAME, Pixels(*layer), &mode,
                nullptr, &identity, 1, 1, &rect, Pixels(*expected)),
            PF_Err_NONE);
  EXPECT_TRUE(got->SamePixels(*expected));
  EXPECT_EQ(host.Leaks(), "");
}

INSTANTIATE_TEST_SUITE_P(Modes, BlendCompositeMode,
                         ::testing::Combine(::testing::Values(8, 16, 32),
                                            ::testing::ValuesIn(kModes)),
                         [](const ::testing::TestParamInfo<BlendCompositeMode::ParamType>& info) {
                           return std::string(std::get<1>(info.param).name) + "_" +
                                  std::to_string(std::get<0>(info.param));
                         });

}  // namespace
}  // namespace jf
