// The one mapping between frei0r values and the effect's parameters, the frame conversion and
// the host's time: each worked out by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "frei0r/filter.h"
#include "frei0r/pixels.h"
#include "frei0r/value_map.h"

namespace jf::frei0r {
namespace {

PF_ParamDef FloatSlider(double sliderMin, double sliderMax, double validMin, double validMax) {
  PF_ParamDef d{};
  d.param_type = PF_Param_FLOAT_SLIDER;
  d.u.fs_d.slider_min = static_cast<PF_FpShort>(sliderMin);
  d.u.fs_d.slider_max = static_cast<PF_FpShort>(sliderMax);
  d.u.fs_d.valid_min = static_cast<PF_FpShort>(validMin);
  d.u.fs_d.valid_max = static_cast<PF_FpShort>(validMax);
  return d;
}

PF_ParamDef OfType(PF_ParamType type) {
  PF_ParamDef d{};
  d.param_type = type;
  return d;
}

TEST(ValueMap, SlidersMapZeroToOneOntoTheSliderAndRunOnToTheValidRange) {
  // "Number Of Blocks": slider 1..100, takes 1..100000.
  const ValueScale s = ScaleOf(FloatSlider(1, 100, 1, 100000));
  EXPECT_EQ(ToDisplay(s, 0), 1);
  EXPECT_EQ(ToDisplay(s, 1), 100);
  EXPECT_EQ(ToDisplay(s, 0.5), 50.5);
  EXPECT_EQ(ToDisplay(s, 2), 199);       // past the slider, along the same line
  EXPECT_EQ(ToDisplay(s, 1e9), 100000);  // never past what it takes
  EXPECT_EQ(ToDisplay(s, -1), 1);
  EXPECT_TRUE(std::isnan(ToDisplay(s, NAN)));
  EXPECT_TRUE(std::isnan(ToDisplay(s, INFINITY)));
  // Offsets: slider -1000..1000.
  const ValueScale offset = ScaleOf(FloatSlider(-1000, 1000, -100000, 100000));
  EXPECT_EQ(ToDisplay(offset, 0.5), 0);
  EXPECT_EQ(ToDisplay(offset, 0.65), 300);
}

TEST(ValueMap, PercentSlidersInPercent) {
  PF_ParamDef d = OfType(PF_Param_FIX_SLIDER);
  d.u.fd.slider_min = 0;
  d.u.fd.slider_max = 100 << 16;
  d.u.fd.valid_min = 0;
  d.u.fd.valid_max = 100 << 16;
  const ValueScale s = ScaleOf(d);
  EXPECT_EQ(ToDisplay(s, 0.25), 25);
  EXPECT_EQ(ToDisplay(s, 3), 100);
}

TEST(ValueMap, PopupsSpreadZeroToOneOverTheChoices) {
  PF_ParamDef d = OfType(PF_Param_POPUP);
  d.u.pd.num_choices = 39;
  const ValueScale s = ScaleOf(d);
  EXPECT_EQ(ToDisplay(s, 0), 1);
  EXPECT_EQ(ToDisplay(s, 1), 39);
  EXPECT_EQ(ToDisplay(s, 0.5), 20);
  EXPECT_EQ(ToDisplay(s, 0.2), 9);  // 1 + 7.6, nearest
  EXPECT_EQ(ToDisplay(s, 7), 39);
  EXPECT_EQ(ToDisplay(s, ToFrei0r(s, 3)), 3);  // what get_param_value reports sets it back
}

TEST(ValueMap, CheckboxesTurnOnFromOneHalf) {
  const ValueScale s = ScaleOf(OfType(PF_Param_CHECKBOX));
  EXPECT_EQ(ToDisplay(s, 0.49), 0);
  EXPECT_EQ(ToDisplay(s, 0.5), 1);
  EXPECT_EQ(ToDisplay(s, 7), 1);
  EXPECT_EQ(ToDisplay(s, -3), 0);
}

TEST(ValueMap, AnglesAreTurns) {
  const ValueScale s = ScaleOf(OfType(PF_Param_ANGLE));
  EXPECT_EQ(ToDisplay(s, 0.25), 90);
  EXPECT_EQ(ToDisplay(s, 2), 720);
  EXPECT_EQ(ToDisplay(s, -0.5), -180);
}

TEST(ValueMap, ColourChannelsRoundAndClamp) {
  EXPECT_EQ(ToChannel(1.0f), 255);
  EXPECT_EQ(ToChannel(0.5f), 128);  // 127.5, nearest away from zero
  EXPECT_EQ(ToChannel(2.0f), 255);
  EXPECT_EQ(ToChannel(-1.0f), 0);
  EXPECT_EQ(ToChannel(NAN), 0);
  for (int c = 0; c < 256; ++c) EXPECT_EQ(ToChannel(FromChannel(static_cast<A_u_char>(c))), c);
}

TEST(ValueMap, OnlyValueParametersAreOffered) {
  EXPECT_EQ(KindOf(OfType(PF_Param_CHECKBOX)), ValueKind::Bool);
  EXPECT_EQ(KindOf(OfType(PF_Param_POPUP)), ValueKind::Double);
  EXPECT_EQ(KindOf(OfType(PF_Param_COLOR)), ValueKind::Color);
  EXPECT_EQ(KindOf(OfType(PF_Param_GROUP_START)), ValueKind::None);
  EXPECT_EQ(KindOf(OfType(PF_Param_POINT)), ValueKind::None);
}

TEST(FramePixels, RgbaBytesBecomeArgbPixelsAndComeBackExactly) {
  std::uint32_t frame[6];
  auto* bytes = reinterpret_cast<std::uint8_t*>(frame);
  for (int k = 0; k < 24; ++k) bytes[k] = static_cast<std::uint8_t>(k * 37 + 1);
  headless::World world(3, 2, PF_PixelFormat_ARGB32);  // rows padded past their pixels
  FrameToWorld(frame, world);
  // Pixel (1, 1) is the fifth: bytes 16..19 are R, G, B, A.
  const PF_Pixel8 p = *world.At<PF_Pixel8>(1, 1);
  EXPECT_EQ(p.red, bytes[16]);
  EXPECT_EQ(p.green, bytes[17]);
  EXPECT_EQ(p.blue, bytes[18]);
  EXPECT_EQ(p.alpha, bytes[19]);
  std::uint32_t back[6] = {};
  WorldToFrame(world, back);
  EXPECT_EQ(std::memcmp(frame, back, sizeof frame), 0);
  EXPECT_TRUE(world.PaddingIntact());
}

TEST(HostTime, MillisecondsFromFfmpegSecondsFromOthersGarbageUnknown) {
  EXPECT_EQ(TimeInSeconds(40, true), 0.04);
  EXPECT_EQ(TimeInSeconds(1.5, false), 1.5);
  // ffmpeg's value for a frame without a timestamp.
  EXPECT_TRUE(std::isnan(TimeInSeconds(-3.6893488147419103e20, true)));
  EXPECT_TRUE(std::isnan(TimeInSeconds(NAN, false)));
  EXPECT_TRUE(std::isnan(TimeInSeconds(INFINITY, false)));
  EXPECT_EQ(TimeInSeconds(0, true), 0);
}

}  // namespace
}  // namespace jf::frei0r
