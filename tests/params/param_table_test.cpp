// The constant tables: texts by StrId and the rows other code relies on.
#include "params/param_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "params/string_table.h"

namespace jf {
namespace {

constexpr const char* kBlendModes =
    "Copy|Behind|In Front|Dissolve|Add|Multiply|Screen|Overlay|Soft Light|Hard Light|Darken|"
    "Lighten|Difference|Hue|Saturation|Color|Luminosity|Multiply Alpha|Multiply Alpha Luma|"
    "Multiply Not Alpha|Multiply Not Alpha Luma|Additive Premultiply|Alpha Add|Color Dodge|"
    "Color Burn|Exclusion|Difference 2|Color Dodge 2|Color Burn 2|Linear Dodge|Linear Burn|"
    "Linear Light|Vivid Light|Pin Light|Hard Mix|Lighter Color|Darker Color|Subtract|Divide";

TEST(StringTable, Texts) {
  EXPECT_STREQ(LookUpString(0), "");
  EXPECT_STREQ(LookUpString(1), "Jitterforge");
  EXPECT_STREQ(LookUpString(2), "The Zoradozu Vivezo Dadizuz");
  EXPECT_STREQ(LookUpString(194), "Couldn't acquire suite.");
  // Past the end there is nothing to read: the empty text, not a stray buffer.
  EXPECT_STREQ(LookUpString(195), "");
  EXPECT_STREQ(LookUpString(0xFFFFFFFFu), "");

  EXPECT_EQ(std::strlen(kBlendModes), 431u);
  for (StrId id : {17u, 57u, 73u, 89u, 105u, 121u, 142u, 144u}) {
    EXPECT_STREQ(LookUpString(id), kBlendModes) << id;
  }
  for (StrId id : {22u, 25u}) {
    EXPECT_STREQ(LookUpString(id),
                 "Luma|Sum|Minimum|Maximum|Red Channel|Green Channel|Blue Channel|Alpha Channel");
  }
  EXPECT_STREQ(LookUpString(37), "Intervals|Convolution");
  EXPECT_STREQ(LookUpString(39), "Full|Sorted Pixels Only|Activation|Sorted Activation|Mask");
}

TEST(ParamTable, InputLayerAndStrayIdsHaveNoRow) {
  EXPECT_EQ(LookUpParam(ParamId::InputLayer).kind, ParamKind::None);
  EXPECT_EQ(LookUpParam(static_cast<ParamId>(211)).kind, ParamKind::None);
  EXPECT_EQ(LookUpParam(static_cast<ParamId>(-1)).kind, ParamKind::None);
  EXPECT_EQ(LookUpParam(ParamId::SplitRgbGroupEnd).kind, ParamKind::GroupEnd);
}

TEST(ParamTable, EnableCheckboxes) {
  const struct {
    ParamId id;
    const char* name;
  } enables[] = {
      {ParamId::EnableBasicBlocks, "Enable Basic Blocks"},
      {ParamId::EnablePixelSorter, "Enable Pixel Sorter"},
      {ParamId::EnableElementsScatter, "Enable Elements Scatter"},
      {ParamId::EnableBlurBlocks, "Enable Blur Blocks"},
      {ParamId::EnableNoise, "Enable Noise"},
      {ParamId::EnableWarp, "Enable Warp"},
      {ParamId::EnableSplitRgb, "Enable Split RGB"},
  };
  for (const auto& e : enables) {
    const ParamDescriptor& row = LookUpParam(e.id);
    EXPECT_EQ(row.kind, ParamKind::Checkbox);
    EXPECT_STREQ(LookUpString(row.name), e.name);
    EXPECT_EQ(row.supervise, 1);
  }
}

TEST(ParamTable, NewInstanceRendersBasicBlocksOnly) {
  // Of all checkboxes only these start on, so only Basic Blocks renders until the user acts.
  std::set<A_long> on;
  for (A_long i = 1; i < kParamCount; ++i) {
    const ParamDescriptor& row = LookUpParam(static_cast<ParamId>(i));
    if (row.kind == ParamKind::Checkbox && row.values[ParamDescriptor::kDefault].AsInt() != 0) {
      on.insert(i);
    }
  }
  EXPECT_EQ(on, (std::set<A_long>{ToIndex(ParamId::EnableBasicBlocks),
                                  ToIndex(ParamId::PixelSorterInverseDirection),
                                  ToIndex(ParamId::SquareEnable)}));
}

}  // namespace
}  // namespace jf
