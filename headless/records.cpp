// See records.h.
#include "headless/records.h"

#include "headless/faults.h"
#include "headless/instance.h"
#include "headless/iterate.h"
#include "headless/suites.h"
#include "headless/worlds.h"

namespace jf::headless {
namespace {

// The instance an effect reference names, after the gate of op; null with *err set otherwise.
Instance* EnterInstance(PF_ProgPtr ref, const char* op, PF_Err* err) {
  *err = Enter(HostFor(ref), op);
  Instance* instance = Instance::FromEffectRef(ref);
  if (*err == PF_Err_NONE && instance == nullptr) *err = PF_Err_BAD_CALLBACK_PARAM;
  return *err == PF_Err_NONE ? instance : nullptr;
}

// ---- Interaction callbacks -------------------------------------------------------------------

PF_Err CheckoutParam(PF_ProgPtr ref, PF_ParamIndex index, A_long time, A_long timeStep,
                     A_u_long timeScale, PF_ParamDef* param) {
  PF_Err err = PF_Err_NONE;
  Instance* instance = EnterInstance(ref, "checkout_param", &err);
  if (instance == nullptr) return err;
  err = instance->Params().Checkout(index, time, timeStep, timeScale, param);
  if (err == PF_Err_NONE) instance->GetHost().GetAccounting().Acquired(Accounting::Kind::Param);
  return err;
}

// A check-in the gate fails still checks in: the failure is reported, the accounting stays true.
PF_Err CheckinParam(PF_ProgPtr ref, PF_ParamDef* param) {
  const PF_Err gateErr = Enter(HostFor(ref), "checkin_param");
  Instance* instance = Instance::FromEffectRef(ref);
  if (instance == nullptr || param == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  instance->GetHost().GetAccounting().Released(Accounting::Kind::Param);
  return gateErr;
}

PF_Err AddParam(PF_ProgPtr ref, PF_ParamIndex index, PF_ParamDefPtr def) {
  PF_Err err = PF_Err_NONE;
  Instance* instance = EnterInstance(ref, "add_param", &err);
  if (instance == nullptr) return err;
  // Definitions change only while the effect declares them, never under a render's reads.
  if (instance->CurrentCommand() != PF_Cmd_PARAMS_SETUP) return PF_Err_BAD_CALLBACK_PARAM;
  return instance->Params().Add(index, def);
}

PF_Err Abort(PF_ProgPtr ref) {
  PF_Err err = PF_Err_NONE;
  Instance* instance = EnterInstance(ref, "abort", &err);
  if (instance == nullptr) return err;
  return instance->GetHost().AbortRequested() ? PF_Interrupt_CANCEL : PF_Err_NONE;
}

PF_Err Progress(PF_ProgPtr ref, A_long, A_long) {
  PF_Err err = PF_Err_NONE;
  Instance* instance = EnterInstance(ref, "progress", &err);
  if (instance == nullptr) return err;
  return instance->GetHost().AbortRequested() ? PF_Interrupt_CANCEL : PF_Err_NONE;
}

// ---- Render callbacks -------------------------------------------------------------------------

PF_Err CheckoutLayer(PF_ProgPtr ref, PF_ParamIndex index, A_long checkoutId,
                     const PF_RenderRequest* request, A_long, A_long, A_u_long,
                     PF_CheckoutResult* result) {
  PF_Err err = PF_Err_NONE;
  Instance* instance = EnterInstance(ref, "checkout_layer", &err);
  if (instance == nullptr) return err;
  return instance->CheckoutLayer(index, checkoutId, request, result);
}

PF_Err CheckoutLayerPixels(PF_ProgPtr ref, A_long checkoutId, PF_EffectWorld** pixels) {
  PF_Err err = PF_Err_NONE;
  Instance* instance = EnterInstance(ref, "checkout_layer_pixels", &err);
  if (pixels != nullptr && instance == nullptr) *pixels = nullptr;
  if (instance == nullptr) return err;
  return instance->CheckoutLayerPixels(checkoutId, pixels);
}

PF_Err CheckinLayerPixels(PF_ProgPtr ref, A_long checkoutId) {
  PF_Err err = PF_Err_NONE;
  Instance* instance = EnterInstance(ref, "checkin_layer_pixels", &err);
  if (instance == nullptr) return err;
  return instance->CheckinLayerPixels(checkoutId);
}

PF_Err CheckoutOutput(PF_ProgPtr ref, PF_EffectWorld** output) {
  PF_Err err = PF_Err_NONE;
  Instance* instance = EnterInstance(ref, "checkout_output", &err);
  if (output != nullptr && instance == nullptr) *output = nullptr;
  if (instance == nullptr) return err;
  return instance->CheckoutOutput(output);
}

// ---- Utility callbacks that exist only here -------------------------------------------------

template <typename Pixel, A_long Format>
PF_Err GetPixelData(PF_EffectWorld* world, PF_PixelPtr pixels, Pixel** out) {
  CountCall(Format == static_cast<A_long>(PF_PixelFormat_ARGB32) ? "get_pixel_data8"
                                                                 : "get_pixel_data16");
  if (out == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  *out = nullptr;
  PF_PixelFormat format = 0;
  if (PF_Err err = CheckWorld(world, &format); err != PF_Err_NONE) return err;
  if (format != Format) return PF_Err_BAD_CALLBACK_PARAM;
  *out = reinterpret_cast<Pixel*>(pixels != nullptr ? pixels : world->data);
  return PF_Err_NONE;
}

struct Tables {
  PF_UtilCallbacks utils{};
  PF_InteractCallbacks inter{};
  PF_PreRenderCallbacks preRender{};
  PF_SmartRenderCallbacks smartRender{};

  Tables() {
    inter.checkout_param = CheckoutParam;
    inter.checkin_param = CheckinParam;
    inter.add_param = AddParam;
    inter.abort = Abort;
    inter.progress = Progress;
    JF_UNSERVED(inter, register_ui, PF_Err_INVALID_CALLBACK);
    JF_UNSERVED(inter, checkout_layer_audio, PF_Err_INVALID_CALLBACK);
    JF_UNSERVED(inter, checkin_layer_audio, PF_Err_INVALID_CALLBACK);
    JF_UNSERVED(inter, get_audio_data, PF_Err_INVALID_CALLBACK);

    preRender.checkout_layer = CheckoutLayer;
    smartRender = {CheckoutLayerPixels, CheckinLayerPixels, CheckoutOutput};

    const PF_WorldTransformSuite1& transform = WorldTransformSuiteTable();
    const PF_HandleSuite1& handles = HandleSuiteTable();
    const PF_ANSICallbacksSuite1& ansi = AnsiSuiteTable();
    JF_UNSERVED(utils, begin_sampling, PF_Err_INVALID_CALLBACK);
    JF_UNSERVED(utils, subpixel_sample, PF_Err_INVALID_CALLBACK);
    JF_UNSERVED(utils, area_sample, PF_Err_INVALID_CALLBACK);
    utils.get_batch_func_is_deprecated = nullptr;
    JF_UNSERVED(utils, end_sampling, PF_Err_INVALID_CALLBACK);
    JF_UNSERVED(utils, composite_rect, PF_Err_INVALID_CALLBACK);
    JF_UNSERVED(utils, blend, PF_Err_INVALID_CALLBACK);
    utils.convolve = transform.convolve;
    utils.copy = transform.copy;
    utils.fill = FillMatteSuiteTable().fill;
    JF_UNSERVED(utils, gaussian_kernel, PF_Err_INVALID_CALLBACK);
    utils.iterate = Iterate8;
    JF_UNSERVED(utils, premultiply, PF_Err_INVALID_CALLBACK);
    JF_UNSERVED(utils, premultiply_color, PF_Err_INVALID_CALLBACK);
    utils.new_world = WorldSuite1Table().new_world;
    utils.dispose_world = WorldSuite1Table().dispose_world;
    utils.iterate_origin = IterateOrigin8;
    JF_UNSERVED(utils, iterate_lut, PF_Err_INVALID_CALLBACK);
    JF_UNSERVED(utils, transfer_rect, PF_Err_INVALID_CALLBACK);
    utils.transform_world = transform.transform_world;
    utils.host_new_handle = handles.host_new_handle;
    utils.host_lock_handle = handles.host_lock_handle;
    utils.host_unlock_handle = handles.host_unlock_handle;
    utils.host_dispose_handle = handles.host_dispose_handle;
    JF_UNSERVED(utils, get_callback_addr, PF_Err_INVALID_CALLBACK);
    JF_UNSERVED(utils, app, PF_Err_INVALID_CALLBACK);
    utils.ansi = PF_ANSICallbacks{ansi.atan,    ansi.atan2,  ansi.ceil, ansi.cos,   ansi.exp,
                                  ansi.fabs,    ansi.floor,  ansi.fmod, ansi.hypot, ansi.log,
                                  ansi.log10,   ansi.pow,    ansi.sin,  ansi.sqrt,  ansi.tan,
                                  ansi.sprintf, ansi.strcpy, ansi.asin, ansi.acos,  {0}};
    JF_UNSERVED(utils.colorCB, RGBtoHLS, PF_Err_INVALID_CALLBACK);
    JF_UNSERVED(utils.colorCB, HLStoRGB, PF_Err_INVALID_CALLBACK);
    JF_UNSERVED(utils.colorCB, RGBtoYIQ, PF_Err_INVALID_CALLBACK);
    JF_UNSERVED(utils.colorCB, YIQtoRGB, PF_Err_INVALID_CALLBACK);
    JF_UNSERVED(utils.colorCB, Luminance, PF_Err_INVALID_CALLBACK);
    JF_UNSERVED(utils.colorCB, Hue, PF_Err_INVALID_CALLBACK);
    JF_UNSERVED(utils.colorCB, Lightness, PF_Err_INVALID_CALLBACK);
    JF_UNSERVED(utils.colorCB, Saturation, PF_Err_INVALID_CALLBACK);
    JF_UNSERVED(utils, get_platform_data, PF_Err_INVALID_CALLBACK);
    utils.host_get_handle_size = handles.host_get_handle_size;
    JF_UNSERVED(utils, iterate_origin_non_clip_src, PF_Err_INVALID_CALLBACK);
    utils.iterate_generic = IterateGeneric;
    utils.host_resize_handle = handles.host_resize_handle;
    JF_UNSERVED(utils, subpixel_sample16, PF_Err_INVALID_CALLBACK);
    JF_UNSERVED(utils, area_sample16, PF_Err_INVALID_CALLBACK);
    JF_UNSERVED(utils, fill16, PF_Err_INVALID_CALLBACK);
    JF_UNSERVED(utils, premultiply_color16, PF_Err_INVALID_CALLBACK);
    utils.iterate16 = Iterate16;
    utils.iterate_origin16 = IterateOrigin16;
    JF_UNSERVED(utils, iterate_origin_non_clip_src16, PF_Err_INVALID_CALLBACK);
    utils.get_pixel_data8 = GetPixelData<PF_Pixel8, static_cast<A_long>(PF_PixelFormat_ARGB32)>;
    utils.get_pixel_data16 = GetPixelData<PF_Pixel16, static_cast<A_long>(PF_PixelFormat_ARGB64)>;
  }
};

const Tables& TheTables() {
  static const Tables tables;
  return tables;
}

}  // namespace

const PF_UtilCallbacks& UtilCallbacksTable() {
  return TheTables().utils;
}
const PF_InteractCallbacks& InteractCallbacksTable() {
  return TheTables().inter;
}
const PF_PreRenderCallbacks& PreRenderCallbacksTable() {
  return TheTables().preRender;
}
const PF_SmartRenderCallbacks& SmartRenderCallbacksTable() {
  return TheTables().smartRender;
}

CommandRecords::CommandRecords(const CommandContext& c) : utils(UtilCallbacksTable()) {
  const RenderSettings& s = c.settings;
  in.inter = InteractCallbacksTable();
  in.utils = &utils;
  in.effect_ref = c.effectRef;
  in.quality = s.quality;
  in.version = PF_SpecVersion{PF_PLUG_IN_VERSION, PF_PLUG_IN_SUBVERS};
  in.appl_id = c.applId;
  in.num_params = c.numParams;
  in.current_time = s.time;
  in.time_step = s.timeStep;
  in.local_time_step = s.timeStep;
  in.total_time = s.time + s.timeStep;
  in.time_scale = s.timeScale;
  in.field = s.field;
  in.width = c.width;
  in.height = c.height;
  in.extent_hint = c.extent;
  in.downsample_x = s.downsampleX;
  in.downsample_y = s.downsampleY;
  in.pixel_aspect_ratio = PF_RationalScale{1, 1};
  in.global_data = c.globalData;
  in.pica_basicP = c.basicSuite;

  out.global_data = c.globalData;
  out.num_params = c.numParams;
}

}  // namespace jf::headless
