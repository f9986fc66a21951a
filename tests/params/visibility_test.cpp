// The visibility rules, checked on the planned decisions without a host.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "params/visibility.h"

namespace jf {
namespace {

using enum ParamId;

/// Current values starting at the table's defaults, and the decisions of a pass over them.
struct Values {
  Values() : defs(kParamCount), params(kParamCount) {
    for (A_long i = 0; i < kParamCount; ++i) {
      params[i] = &defs[i];
      const ParamDescriptor& row = LookUpParam(static_cast<ParamId>(i));
      if (row.kind == ParamKind::Checkbox || row.kind == ParamKind::Popup) {
        defs[i].u.bd.value = row.values[ParamDescriptor::kDefault].AsInt();  // popups alike
      }
    }
  }
  void Set(ParamId id, A_long v) { defs[ToIndex(id)].u.bd.value = v; }
  /// Applies one pass to flags, as a host keeps them between passes.
  void Pass() {
    for (const HiddenChange& c : PlanParamVisibility(params.data())) flags[ToIndex(c.id)] = c.hide;
  }
  std::optional<bool> Hidden(A_long i) const {
    auto it = flags.find(i);
    return it == flags.end() ? std::nullopt : std::optional(it->second);
  }
  void Expect(A_long first, A_long last, std::optional<bool> hidden) const {
    for (A_long i = first; i <= last; ++i) EXPECT_EQ(Hidden(i), hidden) << "index " << i;
  }

  std::vector<PF_ParamDef> defs;
  std::vector<PF_ParamDef*> params;
  std::map<A_long, bool> flags;
};

constexpr std::optional<bool> kUntouched = std::nullopt;

TEST(Visibility, DefaultsInRuleOrder) {
  Values v;
  std::vector<std::pair<A_long, bool>> expected;
  for (auto [first, last] :
       {std::pair{3, 15}, {19, 35}, {39, 152}, {156, 166}, {170, 176}, {180, 182}, {186, 209}}) {
    for (A_long i = first; i <= last; ++i) expected.emplace_back(i, first != 3);
  }
  std::vector<std::pair<A_long, bool>> planned;
  for (const HiddenChange& c : PlanParamVisibility(v.params.data())) {
    planned.emplace_back(ToIndex(c.id), c.hide);
  }
  EXPECT_EQ(planned, expected);
}

TEST(Visibility, PixelSorterMethodAndMaximumSortedBlocks) {
  Values v;
  v.Set(EnablePixelSorter, 1);
  v.Pass();
  v.Expect(19, 27, false);
  v.Expect(28, 28, true);  // "Use Maximum Sorted Blocks" is off
  v.Expect(30, 31, false);
  v.Expect(32, 32, true);  // "Intervals" takes thresholds
  v.Expect(33, 35, false);

  v.Set(PixelSorterMethod, 2);                  // "Convolution"
  v.Set(PixelSorterUseMaxSortedBlocks, 0x100);  // only the low byte counts: still off
  v.Pass();
  v.Expect(28, 28, true);
  v.Expect(30, 31, true);
  v.Expect(32, 32, false);

  v.Set(PixelSorterUseMaxSortedBlocks, 1);
  v.Pass();
  v.Expect(28, 28, false);
}

TEST(Visibility, ScatterWithOnlySquare) {
  Values v;
  v.Set(EnableElementsScatter, 1);  // "Enable Square" is on by default, the other shapes off
  v.Pass();
  v.Expect(59, 64, false);
  v.Expect(65, 66, true);
  v.Expect(67, 67, kUntouched);
  v.Expect(68, 71, false);
  v.Expect(72, 72, true);
  v.Expect(73, 74, kUntouched);
  for (A_long start : {39, 75, 93, 111, 129}) {
    v.Expect(start, start + 1, false);
    v.Expect(start + 2, start + (start == 129 ? 21 : 16), true);
  }
  v.Expect(152, 152, false);

  v.Set(SquareEnable, 0);  // the group's "Blend Mode" stays with every shape off
  v.Pass();
  v.Expect(59, 73, true);
  v.Expect(152, 152, false);
}

TEST(Visibility, MissingParameterIsRefusedBeforeAnyHostCall) {
  SPBasicSuite basic;
  std::memset(&basic, 0, sizeof basic);  // any suite call would crash
  PF_InData in;
  PF_OutData out;
  std::memset(&in, 0, sizeof in);
  std::memset(&out, 0, sizeof out);
  A_u_char global[8] = {1};
  void* block = global;
  in.pica_basicP = &basic;
  in.effect_ref = reinterpret_cast<PF_ProgPtr>(&in);
  out.global_data = &block;
  Values v;
  v.params[ToIndex(EnableNoise)] = nullptr;
  EXPECT_EQ(UpdateParamsUi(&in, &out, v.params.data()), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(UpdateParamsUi(&in, &out, nullptr), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_TRUE(out.out_flags & PF_OutFlag_REFRESH_UI);
}

}  // namespace
}  // namespace jf
