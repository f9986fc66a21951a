// The parameter store: definitions from add_param, checkout, and values set with validation.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <utility>

#include "headless/params.h"
#include "support/param_defs.h"

namespace jf::headless {
namespace {

// Index: 1 float slider, 2 percent, 3 popup, 4 checkbox, 5 angle, 6 colour, 7 group start.
class Store : public ::testing::Test {
 protected:
  void SetUp() override {
    PF_ParamDef f = Def(PF_Param_FLOAT_SLIDER, "Amount");
    f.u.fs_d.valid_min = -10;
    f.u.fs_d.valid_max = 100000;
    f.u.fs_d.value = 50;
    ASSERT_EQ(store.Add(-1, &f), PF_Err_NONE);
    PF_ParamDef p = Def(PF_Param_FIX_SLIDER, "Opacity");
    p.u.fd.valid_min = 0;
    p.u.fd.valid_max = 100 << 16;
    ASSERT_EQ(store.Add(-1, &p), PF_Err_NONE);
    char choices[] = "Normal|Add|Multiply";
    PF_ParamDef m = Def(PF_Param_POPUP, "Blend Mode");
    m.u.pd.num_choices = 3;
    m.u.pd.value = 1;
    m.u.pd.u.namesptr = choices;
    ASSERT_EQ(store.Add(-1, &m), PF_Err_NONE);
    std::memset(choices, 'x', sizeof choices - 1);  // the effect's text may go away
    PF_ParamDef c = Def(PF_Param_CHECKBOX, "Enable");
    c.u.bd.u.nameptr = nullptr;
    ASSERT_EQ(store.Add(-1, &c), PF_Err_NONE);
    for (auto [type, name] :
         {std::pair{PF_Param_ANGLE, "Direction"}, std::pair{PF_Param_COLOR, "Tint"},
          std::pair{PF_Param_GROUP_START, "Group"}}) {
      PF_ParamDef d = Def(type, name);
      ASSERT_EQ(store.Add(-1, &d), PF_Err_NONE);
    }
  }

  std::string Refusal(PF_ParamIndex index, double value) {
    try {
      store.SetNumber(index, value);
    } catch (const ParamError& e) {
      return e.what();
    }
    return "(accepted)";
  }

  ParamStore store;
};

TEST_F(Store, KeepsDefinitionsInOrderAfterTheInputLayer) {
  EXPECT_EQ(store.Count(), 8);
  EXPECT_EQ(store.Definition(0).param_type, PF_Param_LAYER);
  EXPECT_STREQ(store.Definition(3).name, "Blend Mode");
  EXPECT_EQ(store.Text(3), "Normal|Add|Multiply");
  EXPECT_EQ(store.Text(4), "");
  PF_ParamDef d = Def(PF_Param_CHECKBOX, "Late");
  EXPECT_EQ(store.Add(8, &d), PF_Err_NONE);  // the next index appends too
  EXPECT_EQ(store.Add(3, &d), PF_Err_INVALID_INDEX);
  EXPECT_EQ(store.Add(-1, nullptr), PF_Err_BAD_CALLBACK_PARAM);
  d.param_type = 42;
  EXPECT_EQ(store.Add(-1, &d), PF_Err_UNRECOGNIZED_PARAM_TYPE);
  store.Reset();
  EXPECT_EQ(store.Count(), 1);
}

TEST_F(Store, CheckoutCopiesTheValueAndPointsAtTheHostsText) {
  PF_ParamDef out{};
  ASSERT_EQ(store.Checkout(3, 10, 1, 30, &out), PF_Err_NONE);
  EXPECT_EQ(out.u.pd.value, 1);
  EXPECT_STREQ(out.u.pd.u.namesptr, "Normal|Add|Multiply");
  store.SetNumber(3, 2);
  ASSERT_EQ(store.Checkout(3, 0, 1, 30, &out), PF_Err_NONE);
  EXPECT_EQ(out.u.pd.value, 2);
  EXPECT_EQ(store.Checkout(8, 0, 1, 30, &out), PF_Err_INVALID_INDEX);
  EXPECT_EQ(store.Checkout(-1, 0, 1, 30, &out), PF_Err_INVALID_INDEX);
  EXPECT_EQ(store.Checkout(1, 0, 1, 30, nullptr), PF_Err_BAD_CALLBACK_PARAM);
}

TEST_F(Store, ValuesAreStoredInTheHostsUnits) {
  store.SetNumber(1, 12.9);
  EXPECT_EQ(store.Definition(1).u.fs_d.value, 12.9);
  store.SetNumber(2, 50);
  EXPECT_EQ(store.Definition(2).u.fd.value, 3276800);
  store.SetNumber(2, 33.5);
  EXPECT_EQ(store.Definition(2).u.fd.value, 2195456);
  store.SetNumber(5, 90);
  EXPECT_EQ(store.Definition(5).u.ad.value, 5898240);
  store.SetNumber(5, -720);  // angles take any value
  EXPECT_EQ(store.Definition(5).u.ad.value, -720 * 65536);
  store.SetNumber(4, 1);
  EXPECT_EQ(store.Definition(4).u.bd.value, 1);
  store.SetColor(6, PF_Pixel{255, 1, 2, 3});
  EXPECT_EQ(store.Definition(6).u.cd.value.blue, 3);
}

TEST_F(Store, ValuesOutsideTheDeclaredRangeAreRefusedByName) {
  EXPECT_EQ(Refusal(1, 100001),
            "parameter 1 \"Amount\" (float slider) takes -10 to 100000, not 100001");
  EXPECT_NE(Refusal(1, -10.5).find("-10 to 100000"), std::string::npos);
  EXPECT_NE(Refusal(1, NAN).find("Amount"), std::string::npos);
  EXPECT_EQ(Refusal(1, 100000), "(accepted)");
  EXPECT_EQ(Refusal(2, 100.5),
            "parameter 2 \"Opacity\" (percent slider) takes 0 to 100, not 100.5");
  EXPECT_EQ(Refusal(3, 4), "parameter 3 \"Blend Mode\" (popup) takes a choice 1 to 3, not 4");
  EXPECT_NE(Refusal(3, 0).find("1 to 3"), std::string::npos);
  EXPECT_NE(Refusal(3, 1.5).find("1 to 3"), std::string::npos);
  EXPECT_NE(Refusal(4, 2).find("0 or 1"), std::string::npos);
  EXPECT_NE(Refusal(5, 40000).find("Direction"), std::string::npos);
  EXPECT_NE(Refusal(6, 1).find("\"Tint\" (colour) takes no number"), std::string::npos);
  EXPECT_NE(Refusal(7, 1).find("group start"), std::string::npos);
  EXPECT_NE(Refusal(0, 1).find("layer"), std::string::npos);
  EXPECT_EQ(Refusal(9, 1), "no parameter 9 (the effect declares 1 to 7)");
  EXPECT_THROW(store.SetColor(1, PF_Pixel{}), ParamError);
  EXPECT_EQ(store.Definition(1).u.fs_d.value, 100000);  // refusals change nothing
}

TEST_F(Store, TheInputLayerDescribesTheRenderedWorld) {
  PF_EffectWorld world{};
  world.width = 12;
  store.SetLayerWorld(&world);
  PF_ParamDef out{};
  ASSERT_EQ(store.Checkout(0, 0, 1, 30, &out), PF_Err_NONE);
  EXPECT_EQ(out.param_type, PF_Param_LAYER);
  EXPECT_EQ(out.u.ld.width, 12);
  store.SetLayerWorld(nullptr);
  ASSERT_EQ(store.Checkout(0, 0, 1, 30, &out), PF_Err_NONE);
  EXPECT_EQ(out.u.ld.data, nullptr);
}

}  // namespace
}  // namespace jf::headless
