// See visibility.h. The rules are data: which checkbox shows which rows, in the order the host
// is told about them.
#include "params/visibility.h"

#include <span>
#include <utility>

#include "AE_GeneralPlug.h"
#include "entry/global.h"
#include "entry/suite_handler.h"

namespace jf {
namespace {

using enum ParamId;

// An effect reaches the AEGP calls without being an AEGP plug-in itself, so it passes id 0.
constexpr AEGP_PluginID kNoPluginId = 0;

// The "Method" choice that sorts by convolution; it takes the coefficient, not the thresholds.
constexpr A_long kMethodConvolution = 2;

/// first to last, both included.
struct ParamRange {
  ParamId first;
  ParamId last;
};

/// Inside an enabled stage, what else hides a parameter.
enum class HideWhen { CheckboxOff, PopupIs, PopupIsNot };

struct Dependency {
  ParamId param;
  HideWhen when;
  ParamId control;
  A_long choice = 0;  // popups only
};

/// One Elements Scatter shape.
struct ShapeRule {
  ParamId groupStart;
  ParamId enable;
  ParamRange offRange;  // hidden while the shape is off
  ParamRange onRange;   // its sliders up to its random checkbox, shown while it is on
  ParamId randomEnable;
  ParamRange randomRows;
  ParamRange colorRows;  // the "Color" subgroup start, opacity, colour and override checkbox
  ParamId overrideBlendMode;
  ParamId blendMode;
};

/// A stage with shapes: while it is on, each shape decides for its own rows.
struct ShapeSet {
  std::span<const ShapeRule> shapes;
  ParamId groupBlendMode;  // the stage's own "Blend Mode", shown whenever the stage is on
};

struct StageRule {
  ParamId enable;
  ParamRange dependents;  // hidden while the stage is off
  std::span<const Dependency> dependencies = {};
  const ShapeSet* shapeSet = nullptr;
};

constexpr Dependency kPixelSorterDependencies[] = {
    {PixelSorterMaxSortedBlocks, HideWhen::CheckboxOff, PixelSorterUseMaxSortedBlocks},
    {PixelSorterMinThreshold, HideWhen::PopupIs, PixelSorterMethod, kMethodConvolution},
    {PixelSorterMaxThreshold, HideWhen::PopupIs, PixelSorterMethod, kMethodConvolution},
    {PixelSorterConvolutionCoefficient, HideWhen::PopupIsNot, PixelSorterMethod,
     kMethodConvolution},
};

// The group end rows inside a shape appear in no range a shape that is on touches, so they keep
// the state the stage's last "off" pass gave them.
// clang-format off
constexpr ShapeRule kScatterShapes[] = {
    // group start, enable, off range; on range, random checkbox; random rows, colour rows;
    // override checkbox, blend mode
    {CircleGroupStart, CircleEnable, {CircleNumberOfShapes, CircleColorGroupEnd},
     {CircleNumberOfShapes, CircleEnableRandomRadius}, CircleEnableRandomRadius,
     {CircleRadiusRange, CircleRadiusSeed}, {CircleColorGroupStart, CircleOverrideBlendMode},
     CircleOverrideBlendMode, CircleBlendMode},
    {SquareGroupStart, SquareEnable, {SquareNumberOfShapes, SquareColorGroupEnd},
     {SquareNumberOfShapes, SquareEnableRandomSize}, SquareEnableRandomSize,
     {SquareSizeRange, SquareSizeSeed}, {SquareColorGroupStart, SquareOverrideBlendMode},
     SquareOverrideBlendMode, SquareBlendMode},
    {PlusGroupStart, PlusEnable, {PlusNumberOfShapes, PlusColorGroupEnd},
     {PlusNumberOfShapes, PlusEnableRandomSize}, PlusEnableRandomSize,
     {PlusSizeRange, PlusSizeSeed}, {PlusColorGroupStart, PlusOverrideBlendMode},
     PlusOverrideBlendMode, PlusBlendMode},
    {XGroupStart, XEnable, {XNumberOfShapes, XColorGroupEnd},
     {XNumberOfShapes, XEnableRandomSize}, XEnableRandomSize,
     {XSizeRange, XSizeSeed}, {XColorGroupStart, XOverrideBlendMode},
     XOverrideBlendMode, XBlendMode},
    {XSquareGroupStart, XSquareEnable, {XSquareNumberOfShapes, XSquareColorGroupEnd},
     {XSquareNumberOfShapes, XSquareEnableRandomSize}, XSquareEnableRandomSize,
     {XSquareSizeRange, XSquareSizeSeed}, {XSquareColorGroupStart, XSquareOverrideBlendMode},
     XSquareOverrideBlendMode, XSquareBlendMode},
    {DottedLineGroupStart, DottedLineEnable, {DottedLineNumberOfShapes, DottedLineColorGroupEnd},
     {DottedLineNumberOfShapes, DottedLineEnableRandomSize}, DottedLineEnableRandomSize,
     {DottedLineDotSizeRange, DottedLineSpaceSizeSeed},
     {DottedLineColorGroupStart, DottedLineOverrideBlendMode},
     DottedLineOverrideBlendMode, DottedLineBlendMode},
};
// clang-format on

constexpr ShapeSet kScatterShapeSet = {kScatterShapes, ElementsScatterBlendMode};

// In the order the host is told: the stages' order in the chain.
constexpr StageRule kStageRules[] = {
    {EnableBasicBlocks, {BasicBlocksNumberOfBlocks, BasicBlocksBlendMode}},
    {EnablePixelSorter, {PixelSorterSortDirection, PixelSorterOutput}, kPixelSorterDependencies},
    {EnableElementsScatter, {CircleGroupStart, ElementsScatterBlendMode}, {}, &kScatterShapeSet},
    {EnableBlurBlocks, {BlurBlocksRadius, BlurBlocksBlockSizeGroupEnd}},
    {EnableNoise, {NoiseFrequency, NoiseTintContribution}},
    {EnableWarp, {WarpFrequency, WarpOffset}},
    {EnableSplitRgb, {SplitRedGroupStart, SplitBlueGroupEnd}},
};

// Every range a shape shows lies inside the rows it hides while off.
constexpr bool ShapeRangesNest(const ShapeRule& s) {
  auto inside = [&](ParamRange r) {
    return ToIndex(s.offRange.first) <= ToIndex(r.first) && ToIndex(r.first) <= ToIndex(r.last) &&
           ToIndex(r.last) <= ToIndex(s.offRange.last);
  };
  return ToIndex(s.enable) == ToIndex(s.groupStart) + 1 && inside(s.onRange) &&
         s.onRange.last == s.randomEnable && inside(s.randomRows) && inside(s.colorRows) &&
         s.colorRows.last == s.overrideBlendMode &&
         ToIndex(s.blendMode) == ToIndex(s.overrideBlendMode) + 1;
}
static_assert([] {
  for (const ShapeRule& s : kScatterShapes) {
    if (!ShapeRangesNest(s)) return false;
  }
  return true;
}());

/// The low byte decides, as the host stores a checkbox's state there.
bool On(PF_ParamDef* const params[], ParamId id) {
  return (params[ToIndex(id)]->u.bd.value & 0xFF) != 0;
}

A_long PopupChoice(PF_ParamDef* const params[], ParamId id) {
  return params[ToIndex(id)]->u.pd.value;
}

bool HiddenByDependency(PF_ParamDef* const params[], std::span<const Dependency> dependencies,
                        ParamId id) {
  for (const Dependency& d : dependencies) {
    if (d.param != id) continue;
    switch (d.when) {
      case HideWhen::CheckboxOff:
        if (!On(params, d.control)) return true;
        break;
      case HideWhen::PopupIs:
        if (PopupChoice(params, d.control) == d.choice) return true;
        break;
      case HideWhen::PopupIsNot:
        if (PopupChoice(params, d.control) != d.choice) return true;
        break;
    }
  }
  return false;
}

void Set(std::vector<HiddenChange>& plan, ParamRange range, bool hide) {
  for (A_long i = ToIndex(range.first); i <= ToIndex(range.last); ++i) {
    plan.push_back({static_cast<ParamId>(i), hide});
  }
}

void Set(std::vector<HiddenChange>& plan, ParamId id, bool hide) {
  Set(plan, {id, id}, hide);
}

void PlanShapes(PF_ParamDef* const params[], const ShapeSet& set, std::vector<HiddenChange>& plan) {
  // Every shape's heading and checkbox stay reachable while the stage is on.
  for (const ShapeRule& shape : set.shapes) {
    Set(plan, shape.groupStart, false);
    Set(plan, shape.enable, false);
  }
  Set(plan, set.groupBlendMode, false);

  for (const ShapeRule& shape : set.shapes) {
    if (!On(params, shape.enable)) {
      Set(plan, shape.offRange, true);
      continue;
    }
    Set(plan, shape.onRange, false);
    Set(plan, shape.randomRows, !On(params, shape.randomEnable));
    Set(plan, shape.colorRows, false);
    Set(plan, shape.blendMode, !On(params, shape.overrideBlendMode));
  }
}

/// Gives the stream back when it goes out of scope, unless Dispose() already did.
class ScopedStream {
 public:
  ScopedStream(const AEGP_StreamSuite2* suite, AEGP_StreamRefH stream)
      : m_suite(suite), m_stream(stream) {}
  ~ScopedStream() { Dispose(); }
  ScopedStream(const ScopedStream&) = delete;
  ScopedStream& operator=(const ScopedStream&) = delete;

  AEGP_StreamRefH Get() const { return m_stream; }
  PF_Err Dispose() {
    if (m_stream == nullptr) return PF_Err_NONE;
    return m_suite->AEGP_DisposeStream(std::exchange(m_stream, nullptr));
  }

 private:
  const AEGP_StreamSuite2* m_suite;
  AEGP_StreamRefH m_stream;
};

/// Gives the AEGP effect reference back when it goes out of scope, unless Dispose() already did.
class ScopedAegpEffect {
 public:
  ScopedAegpEffect(SuiteHandler& suites, AEGP_EffectRefH effect)
      : m_suites(suites), m_effect(effect) {}
  ~ScopedAegpEffect() {
    // Reached with a reference only while a suite error unwinds the pass. The Effect Suite is
    // asked for once more, since a reference left behind outlives the command.
    try {
      Dispose();
    } catch (PF_Err) {
      // Without the suite the reference cannot be given back; the suite error ends the command.
    }
  }
  ScopedAegpEffect(const ScopedAegpEffect&) = delete;
  ScopedAegpEffect& operator=(const ScopedAegpEffect&) = delete;

  AEGP_EffectRefH Get() const { return m_effect; }
  /// Throws the suite error when the Effect Suite cannot be had; the reference is then kept for
  /// the destructor's second try.
  PF_Err Dispose() {
    if (m_effect == nullptr) return PF_Err_NONE;
    const AEGP_EffectSuite2* suite = m_suites.EffectSuite();
    return suite->AEGP_DisposeEffect(std::exchange(m_effect, nullptr));
  }

 private:
  SuiteHandler& m_suites;
  AEGP_EffectRefH m_effect;
};

bool ParamsDeclared(const PF_OutData* out) {
  if (out->global_data == nullptr || *out->global_data == nullptr) return false;
  return static_cast<const GlobalData*>(*out->global_data)->paramsDeclared != 0;
}

bool AllParamsPresent(PF_ParamDef* const params[]) {
  if (params == nullptr) return false;
  for (A_long i = 0; i < kParamCount; ++i) {
    if (params[i] == nullptr) return false;
  }
  return true;
}

}  // namespace

std::vector<HiddenChange> PlanParamVisibility(PF_ParamDef* const params[]) {
  std::vector<HiddenChange> plan;
  plan.reserve(kParamCount);
  for (const StageRule& stage : kStageRules) {
    const bool stageOn = On(params, stage.enable);
    if (stageOn && stage.shapeSet != nullptr) {
      PlanShapes(params, *stage.shapeSet, plan);
      continue;
    }
    for (A_long i = ToIndex(stage.dependents.first); i <= ToIndex(stage.dependents.last); ++i) {
      const ParamId id = static_cast<ParamId>(i);
      Set(plan, id, !stageOn || HiddenByDependency(params, stage.dependencies, id));
    }
  }
  return plan;
}

PF_Err SetParamHidden(PF_InData* in, AEGP_EffectRefH effect, ParamId id, bool hide) {
  SuiteHandler suites(in->pica_basicP);
  const AEGP_StreamSuite2* streamSuite = suites.StreamSuite();

  AEGP_StreamRefH streamH = nullptr;
  PF_Err err =
      streamSuite->AEGP_GetNewEffectStreamByIndex(kNoPluginId, effect, ToIndex(id), &streamH);
  ScopedStream stream(streamSuite, streamH);
  if (err == PF_Err_NONE) {
    // Not undoable: the flag follows the values, it is no edit of the user's.
    err = suites.DynamicStreamSuite()->AEGP_SetDynamicStreamFlag(
        stream.Get(), AEGP_DynStreamFlag_HIDDEN, false, static_cast<A_Boolean>(hide));
  }
  const PF_Err disposeErr = stream.Dispose();
  return err != PF_Err_NONE ? err : disposeErr;
}

PF_Err UpdateParamsUi(PF_InData* in, PF_OutData* out, PF_ParamDef* params[]) {
  // Asked for before anything can fail, so that every way out, a suite error included, still
  // has the host redraw the controls.
  out->out_flags |= PF_OutFlag_REFRESH_UI;
  SuiteHandler suites(in->pica_basicP);

  // Premiere offers no AEGP suites, and before the declaration there is nothing to hide.
  if (!ParamsDeclared(out) || in->effect_ref == nullptr || in->appl_id == kPremiereApplId) {
    return PF_Err_NONE;
  }
  // The rules read checkboxes all over the array; a host that passes less is refused rather
  // than read through a null entry.
  if (!AllParamsPresent(params)) return PF_Err_BAD_CALLBACK_PARAM;
  const std::vector<HiddenChange> plan = PlanParamVisibility(params);

  AEGP_EffectRefH effectH = nullptr;
  PF_Err err =
      suites.PFInterfaceSuite()->AEGP_GetNewEffectForEffect(kNoPluginId, in->effect_ref, &effectH);
  ScopedAegpEffect effect(suites, effectH);
  if (err == PF_Err_NONE && effect.Get() == nullptr) return PF_Err_NONE;

  if (err == PF_Err_NONE) {
    for (const HiddenChange& change : plan) {
      // One parameter the host refuses must not keep the others from following the values.
      (void)SetParamHidden(in, effect.Get(), change.id, change.hide);
    }
  }
  const PF_Err disposeErr = effect.Dispose();
  return err != PF_Err_NONE ? err : disposeErr;
}

}  // namespace jf
