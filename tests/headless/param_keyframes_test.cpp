// Animated parameters: keyframes in the store, evaluated at the time a checkout names.
#include <gtest/gtest.h>

#include <cstring>

#include "headless/params.h"
#include "support/param_defs.h"

namespace jf::headless {
namespace {

Keyframe Key(double seconds, double number, Interpolation how = Interpolation::Linear) {
  Keyframe k;
  k.seconds = seconds;
  k.number = number;
  k.interpolation = how;
  return k;
}

// Index: 1 float slider, 2 integer slider, 3 percent, 4 popup, 5 checkbox, 6 colour.
class Keys : public ::testing::Test {
 protected:
  void SetUp() override {
    PF_ParamDef f = Def(PF_Param_FLOAT_SLIDER, "Offset");
    f.u.fs_d.valid_min = -100;
    f.u.fs_d.valid_max = 100;
    ASSERT_EQ(store.Add(-1, &f), PF_Err_NONE);
    PF_ParamDef s = Def(PF_Param_SLIDER, "Count");
    s.u.sd.valid_max = 10;
    ASSERT_EQ(store.Add(-1, &s), PF_Err_NONE);
    PF_ParamDef p = Def(PF_Param_FIX_SLIDER, "Opacity");
    p.u.fd.valid_max = 100 << 16;
    ASSERT_EQ(store.Add(-1, &p), PF_Err_NONE);
    PF_ParamDef m = Def(PF_Param_POPUP, "Mode");
    m.u.pd.num_choices = 3;
    m.u.pd.value = 1;
    ASSERT_EQ(store.Add(-1, &m), PF_Err_NONE);
    PF_ParamDef c = Def(PF_Param_CHECKBOX, "Enable");
    ASSERT_EQ(store.Add(-1, &c), PF_Err_NONE);
    PF_ParamDef t = Def(PF_Param_COLOR, "Tint");
    ASSERT_EQ(store.Add(-1, &t), PF_Err_NONE);
  }

  // The checked-out definition at frame `frame` of a 24 fps clip.
  PF_ParamDef At(PF_ParamIndex index, A_long frame) {
    PF_ParamDef out{};
    EXPECT_EQ(store.Checkout(index, frame, 1, 24, &out), PF_Err_NONE);
    return out;
  }

  ParamStore store;
};

TEST_F(Keys, NumbersMoveLinearlyBetweenKeysAndHoldOutside) {
  store.SetKeyframes(1, {Key(2.0, 50), Key(1.0, 10)});  // given out of order
  EXPECT_EQ(At(1, 0).u.fs_d.value, 10);                 // before the first key
  EXPECT_EQ(At(1, 24).u.fs_d.value, 10);                // on it
  EXPECT_EQ(At(1, 36).u.fs_d.value, 30);                // half way
  EXPECT_EQ(At(1, 42).u.fs_d.value, 40);
  EXPECT_EQ(At(1, 48).u.fs_d.value, 50);
  EXPECT_EQ(At(1, 480).u.fs_d.value, 50);  // after the last
  // The time scale is honoured, not assumed: 1.5 s at 1000 ticks a second.
  PF_ParamDef out{};
  ASSERT_EQ(store.Checkout(1, 1500, 40, 1000, &out), PF_Err_NONE);
  EXPECT_EQ(out.u.fs_d.value, 30);
  EXPECT_EQ(store.DefinitionAt(1, 1.75).u.fs_d.value, 40);
}

TEST_F(Keys, HoldKeysStepAndSteppedKindsAlwaysHold) {
  store.SetKeyframes(1, {Key(0, 0, Interpolation::Hold), Key(1, 80), Key(2, 0)});
  EXPECT_EQ(At(1, 23).u.fs_d.value, 0);   // held until the next key
  EXPECT_EQ(At(1, 24).u.fs_d.value, 80);  // reached exactly on its frame
  EXPECT_EQ(At(1, 36).u.fs_d.value, 40);  // linear from there
  store.SetKeyframes(4, {Key(0, 1), Key(1, 3)});
  EXPECT_EQ(At(4, 23).u.pd.value, 1);
  EXPECT_EQ(At(4, 24).u.pd.value, 3);
  store.SetKeyframes(5, {Key(0, 0), Key(1, 1)});
  EXPECT_EQ(At(5, 23).u.bd.value, 0);
  EXPECT_EQ(At(5, 24).u.bd.value, 1);
}

TEST_F(Keys, InBetweenValuesAreStoredAsTheKindStoresThem) {
  store.SetKeyframes(2, {Key(0, 0), Key(1, 10)});
  EXPECT_EQ(At(2, 3).u.sd.value, 1);  // 1.25 rounds to 1
  EXPECT_EQ(At(2, 9).u.sd.value, 4);  // 3.75 rounds to 4
  store.SetKeyframes(3, {Key(0, 0), Key(1, 100)});
  EXPECT_EQ(At(3, 8).u.fd.value, 2184533);  // 33.3333…% truncated in 16.16, as SetNumber does
  Keyframe a;
  a.color = PF_Pixel{255, 0, 100, 255};
  Keyframe b;
  b.seconds = 1;
  b.color = PF_Pixel{255, 255, 101, 0};
  store.SetKeyframes(6, {a, b});
  const PF_Pixel mid = At(6, 12).u.cd.value;  // each channel on its own, rounded
  EXPECT_EQ(mid.red, 128);
  EXPECT_EQ(mid.green, 101);  // 100.5 rounds away from zero
  EXPECT_EQ(mid.blue, 128);
  EXPECT_EQ(mid.alpha, 255);
}

TEST_F(Keys, BadKeysAreRefusedAndChangeNothing) {
  store.SetNumber(1, 7);
  EXPECT_THROW(store.SetKeyframes(1, {Key(0, 0), Key(1, 101)}), ParamError);
  EXPECT_THROW(store.SetKeyframes(1, {Key(1, 0), Key(1, 5)}), ParamError);
  EXPECT_THROW(store.SetKeyframes(2, {Key(0, 0.5)}), ParamError);
  EXPECT_THROW(store.SetKeyframes(0, {Key(0, 1)}), ParamError);  // the input layer
  EXPECT_TRUE(store.Keyframes(1).empty());
  EXPECT_EQ(At(1, 100).u.fs_d.value, 7);
}

TEST_F(Keys, SettingAValueMakesItHoldAgain) {
  store.SetKeyframes(1, {Key(0, 0), Key(1, 80)});
  EXPECT_EQ(store.Definition(1).u.fs_d.value, 0);  // the first key's value
  ASSERT_EQ(store.Keyframes(1).size(), 2u);
  store.SetNumber(1, 5);
  EXPECT_TRUE(store.Keyframes(1).empty());
  EXPECT_EQ(At(1, 24).u.fs_d.value, 5);
  EXPECT_THROW(store.CheckNumber(1, 500), ParamError);
  EXPECT_EQ(At(1, 24).u.fs_d.value, 5);  // a check stores nothing
}

}  // namespace
}  // namespace jf::headless
