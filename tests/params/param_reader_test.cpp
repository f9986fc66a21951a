// Reads of checked-out values: the conversions, the two error outputs and the check-in.
#include "params/param_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "fake_host.h"

namespace jf {
namespace {

class ParamReader : public ::testing::Test {
 protected:
  testing::FakeHost host;
  PF_Err err = -1;
  PF_Err checkinErr = -1;
};

TEST_F(ParamReader, PercentKeepsTheWholePercentTowardZero) {
  const struct {
    PF_Fixed fixed;
    float expected;
  } cases[] = {
      {3276800, 50.0f},  // 50 %
      {6547046, 99.0f},  // 99.9 % = trunc(99.9 × 65536)
      {2195456, 33.0f},  // 33.5 %
      {-32768, 0.0f},    // -0.5 %: toward zero, not down to -1
      {-98304, -1.0f},   // -1.5 %
  };
  for (const auto& c : cases) {
    host.ServeFixed(c.fixed);
    EXPECT_EQ(ReadPercent(&host.in, ParamId::CircleOpacity, err, checkinErr), c.expected)
        << c.fixed;
    EXPECT_EQ(err, PF_Err_NONE);
    EXPECT_EQ(checkinErr, PF_Err_NONE);
  }
}

TEST_F(ParamReader, AngleInRadians) {
  host.ServeFixed(90 * 65536);
  EXPECT_EQ(
      static_cast<double>(ReadAngle(&host.in, ParamId::PixelSorterSortDirection, err, checkinErr)),
      1.5707963705062866);
  host.ServeFixed(360 * 65536);
  EXPECT_EQ(
      static_cast<double>(ReadAngle(&host.in, ParamId::PixelSorterSortDirection, err, checkinErr)),
      6.2831854820251465);
}

TEST_F(ParamReader, FloatSliders) {
  const ParamId id = ParamId::WarpOffset;
  host.ServeFloat(12.9);
  EXPECT_EQ(ReadFloatSlider(&host.in, ParamId::WarpFrequency, err, checkinErr), 12.9f);
  EXPECT_EQ(ReadFloatSliderInt(&host.in, id, err, checkinErr), 12);
  host.ServeFloat(-12.9);
  EXPECT_EQ(ReadFloatSliderInt(&host.in, id, err, checkinErr), -12);
  host.ServeFloat(0.999);
  EXPECT_EQ(ReadFloatSliderInt(&host.in, id, err, checkinErr), 0);

  // Values no 32-bit integer holds clamp instead of leaving the conversion undefined.
  host.ServeFloat(1e12);
  EXPECT_EQ(ReadFloatSliderInt(&host.in, id, err, checkinErr), 2147483647);
  host.ServeFloat(-1e12);
  EXPECT_EQ(ReadFloatSliderInt(&host.in, id, err, checkinErr), -2147483647 - 1);
  host.ServeFloat(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(ReadFloatSliderInt(&host.in, id, err, checkinErr), 0);
}

TEST_F(ParamReader, CheckboxIsOnForLowByteOnePopupAsHeld) {
  const struct {
    A_long value;
    bool on;
  } cases[] = {{1, true}, {257, true}, {0, false}, {2, false}, {256, false}, {-1, false}};
  for (const auto& c : cases) {
    host.ServeLong(c.value);
    EXPECT_EQ(ReadCheckbox(&host.in, ParamId::EnableBasicBlocks, err, checkinErr), c.on) << c.value;
  }
  host.ServeLong(3);
  EXPECT_EQ(ReadPopup(&host.in, ParamId::BasicBlocksBlendMode, err, checkinErr), 3);
}

TEST_F(ParamReader, ChecksOutAtTheCurrentTimeAndAlwaysChecksIn) {
  host.ServeLong(1);
  EXPECT_TRUE(ReadCheckbox(&host.in, ParamId::EnableSplitRgb, err, checkinErr));
  EXPECT_EQ(host.checkedOutIndex, 185);
  EXPECT_EQ(host.checkoutTime[0], 7);
  EXPECT_EQ(host.checkoutTime[1], 2);
  EXPECT_EQ(host.checkoutTime[2], 30);

  // A failed checkout still checks in, reads a defined value and reports the checkout's code.
  host.checkoutErr = PF_Err_INVALID_INDEX;
  EXPECT_FALSE(ReadCheckbox(&host.in, ParamId::EnableSplitRgb, err, checkinErr));
  host.ServeFixed(3276800);
  EXPECT_EQ(ReadPercent(&host.in, ParamId::CircleOpacity, err, checkinErr), 0.0f);
  EXPECT_EQ(host.checkouts, 3);
  EXPECT_EQ(host.checkins, 3);
  EXPECT_EQ(err, PF_Err_INVALID_INDEX);
  EXPECT_EQ(checkinErr, PF_Err_NONE);
}

TEST_F(ParamReader, ErrorOutputs) {
  host.checkinErr = PF_Err_OUT_OF_MEMORY;
  ReadPopup(&host.in, ParamId::PixelSorterMethod, err, checkinErr);
  EXPECT_EQ(err, PF_Err_OUT_OF_MEMORY);
  EXPECT_EQ(checkinErr, PF_Err_OUT_OF_MEMORY);

  // Both fail: the read's error is the checkout's; the check-in's stays apart.
  host.checkoutErr = PF_Err_INVALID_INDEX;
  ReadPopup(&host.in, ParamId::PixelSorterMethod, err, checkinErr);
  EXPECT_EQ(err, PF_Err_INVALID_INDEX);
  EXPECT_EQ(checkinErr, PF_Err_OUT_OF_MEMORY);

  // A run of reads sharing outputs keeps the last read's codes only.
  host.checkinErr = PF_Err_NONE;
  ReadFloatSliderInt(&host.in, ParamId::WarpAmplitude, err, checkinErr);
  host.checkoutErr = PF_Err_NONE;
  ReadFloatSliderInt(&host.in, ParamId::WarpOffset, err, checkinErr);
  EXPECT_EQ(err, PF_Err_NONE);
  EXPECT_EQ(checkinErr, PF_Err_NONE);
}

TEST_F(ParamReader, ColorThroughTheColorParamSuite) {
  PF_PixelFloat c = ReadColor(&host.in, ParamId::NoiseTint, err, checkinErr);
  EXPECT_EQ(c.alpha, 1.0f);
  EXPECT_EQ(c.red, 0.5f);
  EXPECT_EQ(c.green, 0.25f);
  EXPECT_EQ(c.blue, 0.0f);
  EXPECT_EQ(err, PF_Err_NONE);
  EXPECT_EQ(host.suitesAcquired, 1);
  EXPECT_EQ(host.suitesReleased, 1);
  EXPECT_EQ(host.checkins, 1);

  // The conversion's failure is the read's error; the value reads transparent.
  host.colorErr = PF_Err_BAD_CALLBACK_PARAM;
  host.checkinErr = PF_Err_OUT_OF_MEMORY;
  c = ReadColor(&host.in, ParamId::NoiseTint, err, checkinErr);
  EXPECT_EQ(c.alpha, 0.0f);
  EXPECT_EQ(c.red, 0.0f);
  EXPECT_EQ(err, PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(checkinErr, PF_Err_OUT_OF_MEMORY);

  // Nothing checked out, nothing to convert: the suite is not even asked for.
  host.checkoutErr = PF_Err_INVALID_INDEX;
  ReadColor(&host.in, ParamId::NoiseTint, err, checkinErr);
  EXPECT_EQ(host.suitesAcquired, 2);
  EXPECT_EQ(err, PF_Err_INVALID_INDEX);
}

TEST_F(ParamReader, MissingColorSuiteThrowsAfterCheckingIn) {
  host.colorSuiteAvailable = false;
  try {
    ReadColor(&host.in, ParamId::CircleColor, err, checkinErr);
    ADD_FAILURE() << "no suite error thrown";
  } catch (PF_Err thrown) {
    EXPECT_EQ(thrown, PF_Err_BAD_CALLBACK_PARAM);
  }
  EXPECT_EQ(host.checkouts, 1);
  EXPECT_EQ(host.checkins, 1);
}

}  // namespace
}  // namespace jf

namespace jf {
namespace {

TEST(ReadRun, StopsCheckingOutAfterTheFirstFailureAndKeepsItsCode) {
  testing::FakeHost host;
  host.ServeFloat(12.9);
  ReadRun read(&host.in);
  EXPECT_EQ(read.FloatSliderInt(ParamId::BasicBlocksNumberOfBlocks), 12);
  EXPECT_EQ(read.Error(), PF_Err_NONE);
  host.checkinErr = PF_Err_INVALID_INDEX;  // a failed check-in fails the read too
  read.FloatSliderInt(ParamId::BasicBlocksPositionSeed);
  host.checkinErr = PF_Err_NONE;
  EXPECT_EQ(read.FloatSliderInt(ParamId::BasicBlocksMinWidth), 0);
  EXPECT_EQ(read.Error(), PF_Err_INVALID_INDEX);
  EXPECT_EQ(host.checkouts, 2);
  EXPECT_EQ(host.checkins, 2);
}

}  // namespace
}  // namespace jf
