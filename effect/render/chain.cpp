// See chain.h.
#include "render/chain.h"

#include "entry/suite_handler.h"
#include "params/param_reader.h"
#include "render/pixel_traits.h"
#include "render/rect.h"
#include "stages/basic_blocks.h"
#include "stages/blur_blocks.h"
#include "stages/elements_scatter.h"
#include "stages/noise.h"
#include "stages/pixel_sorter.h"
#include "stages/split_rgb.h"
#include "stages/warp.h"

namespace jf {

#define JF_STAGE_ROUTINES(name)                                    \
  {                                                                \
    &name<PixelTraits<PF_Pixel8>>, &name<PixelTraits<PF_Pixel16>>, \
        &name<PixelTraits<PF_PixelFloat>>                          \
  }

const StageSlot kStageSlots[kStageCount] = {
    // Basic Blocks works through host operations alone, the same at every depth.
    {ParamId::EnableBasicBlocks, {&RenderBasicBlocks, &RenderBasicBlocks, &RenderBasicBlocks}},
    {ParamId::EnablePixelSorter, JF_STAGE_ROUTINES(RenderPixelSorter)},
    {ParamId::EnableElementsScatter, JF_STAGE_ROUTINES(RenderElementsScatter)},
    {ParamId::EnableBlurBlocks, JF_STAGE_ROUTINES(RenderBlurBlocks)},
    {ParamId::EnableNoise, JF_STAGE_ROUTINES(RenderNoise)},
    {ParamId::EnableWarp, JF_STAGE_ROUTINES(RenderWarp)},
    {ParamId::EnableSplitRgb, JF_STAGE_ROUTINES(RenderSplitRgb)},
};

#undef JF_STAGE_ROUTINES

namespace {

/// Which of a slot's three routines serves a pixel format, in the slots' depth order; -1 for a
/// format no stage handles.
int DepthIndex(PF_PixelFormat format) {
  switch (format) {
    case PixelTraits<PF_Pixel8>::kFormat:
      return 0;
    case PixelTraits<PF_Pixel16>::kFormat:
      return 1;
    case PixelTraits<PF_PixelFloat>::kFormat:
      return 2;
    default:
      return -1;
  }
}

}  // namespace

PF_Err SmartPreRender(PF_InData* in, PF_OutData*, PF_PreRenderExtra* extra) {
  PF_RenderRequest request = extra->input->output_request;
  PF_CheckoutResult result{};
  if (PF_Err err = extra->cb->checkout_layer(in->effect_ref, 0, 0, &request, in->current_time,
                                             in->time_step, in->time_scale, &result);
      err != PF_Err_NONE) {
    return err;
  }
  UnionInto(result.result_rect, extra->output->result_rect);
  UnionInto(result.max_result_rect, extra->output->max_result_rect);
  return PF_Err_NONE;
}

namespace {

// The chain's own host resources: the world suite it acquired and the temporaries it made. A
// stage that throws a suite error still leaves through here, so nothing stays with the effect.
class ChainResources {
 public:
  ChainResources(SPBasicSuite* basic, PF_ProgPtr effectRef)
      : m_basic(basic), m_effectRef(effectRef) {}
  ~ChainResources() {
    DisposeTemporaries();
    ReleaseWorldSuite();
  }
  ChainResources(const ChainResources&) = delete;
  ChainResources& operator=(const ChainResources&) = delete;

  PF_Err AcquireWorldSuite() {
    const void* raw = nullptr;
    PF_Err err = m_basic->AcquireSuite(kPFWorldSuite, kPFWorldSuiteVersion2, &raw);
    if (err != PF_Err_NONE) return err;
    m_held = true;
    m_worldSuite = static_cast<const PF_WorldSuite2*>(raw);
    return m_worldSuite == nullptr ? PF_Err_BAD_CALLBACK_PARAM : PF_Err_NONE;
  }
  const PF_WorldSuite2* WorldSuite() const { return m_worldSuite; }

  PF_Err NewTemporary(int slot, A_long width, A_long height, PF_PixelFormat format) {
    PF_Err err = m_worldSuite->PF_NewWorld(m_effectRef, width, height, 1, format, &m_temps[slot]);
    m_created[slot] = err == PF_Err_NONE;
    return err;
  }
  PF_EffectWorld* Temporary(int slot) { return &m_temps[slot]; }

  /// Disposes the temporaries in slot order; the first failure is returned.
  PF_Err DisposeTemporaries() {
    PF_Err first = PF_Err_NONE;
    for (int s = 0; s < kStageCount; ++s) {
      if (!m_created[s]) continue;
      m_created[s] = false;
      PF_Err err = m_worldSuite->PF_DisposeWorld(m_effectRef, &m_temps[s]);
      if (first == PF_Err_NONE) first = err;
    }
    return first;
  }

  void ReleaseWorldSuite() {
    if (m_held) m_basic->ReleaseSuite(kPFWorldSuite, kPFWorldSuiteVersion2);
    m_held = false;
  }

 private:
  SPBasicSuite* m_basic;
  PF_ProgPtr m_effectRef;
  const PF_WorldSuite2* m_worldSuite = nullptr;
  bool m_held = false;
  PF_EffectWorld m_temps[kStageCount] = {};
  bool m_created[kStageCount] = {};
};

}  // namespace

PF_Err SmartRender(PF_InData* in, PF_OutData*, PF_SmartRenderExtra* extra) {
  SuiteHandler suites(in->pica_basicP);
  // The world suite is taken straight from the basic suite so that failing to get it is the
  // render's result rather than a thrown suite error.
  ChainResources chain(suites.BasicSuite(), in->effect_ref);
  PF_Err err = chain.AcquireWorldSuite();

  PF_EffectWorld* input = nullptr;
  PF_EffectWorld* output = nullptr;
  if (err == PF_Err_NONE) err = extra->cb->checkout_layer_pixels(in->effect_ref, 0, &input);
  if (err == PF_Err_NONE) err = extra->cb->checkout_output(in->effect_ref, &output);

  PF_PixelFormat format = PF_PixelFormat_INVALID;
  if (err == PF_Err_NONE && output != nullptr) {
    err = chain.WorldSuite()->PF_GetPixelFormat(output, &format);
  }
  if (input == nullptr || output == nullptr) return err;

  // Enable flags, read once, in slot order; the first read error is kept.
  bool enabled[kStageCount];
  for (int s = 0; s < kStageCount; ++s) {
    PF_Err readErr = PF_Err_NONE;
    PF_Err checkinErr = PF_Err_NONE;
    enabled[s] = ReadCheckbox(in, kStageSlots[s].enable, readErr, checkinErr);
    if (err == PF_Err_NONE) err = readErr;
  }

  const A_long width = output->extent_hint.right - output->extent_hint.left;
  const A_long height = output->extent_hint.bottom - output->extent_hint.top;
  const int depth = DepthIndex(format);

  PF_EffectWorld* source = input;
  for (int s = 0; s < kStageCount; ++s) {
    if (!enabled[s]) continue;
    bool laterEnabled = false;
    for (int t = s + 1; t < kStageCount; ++t) laterEnabled = laterEnabled || enabled[t];

    // Each stage but the last writes a fresh cleared temporary; the last writes the output.
    // After an error no world is made and no routine runs, but the output is still passed on.
    PF_EffectWorld* destination = output;
    if (laterEnabled && err == PF_Err_NONE) {
      err = chain.NewTemporary(s, width, height, format);
      if (err == PF_Err_NONE) destination = chain.Temporary(s);
    }
    if (err == PF_Err_NONE && depth >= 0) {
      err = kStageSlots[s].routines[depth](in, source, destination);
    }
    source = destination;
  }

  // With any stage enabled the source is the output itself, so a temporary never reaches it.
  PF_Rect srcRect = input->extent_hint;
  PF_Rect dstRect = output->extent_hint;
  PF_Err copyErr = in->utils->copy(in->effect_ref, source, output, &srcRect, &dstRect);
  if (err == PF_Err_NONE) err = copyErr;

  PF_Err disposeErr = chain.DisposeTemporaries();
  if (err == PF_Err_NONE) err = disposeErr;
  return err;
}

}  // namespace jf
