// See suites.h. Each host operation here has the host's exact signature and runs in four
// steps: find the host (the effect reference's, else the thread's current one), pass the gate,
// check the arguments, then do the work (for pixels, through headless/imaging).
#include "headless/suites.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <type_traits>
#include <vector>

#include "headless/aegp_effect_suites.h"
#include "headless/aegp_world_suite.h"
#include "headless/imaging/imaging.h"
#include "headless/instance.h"
#include "headless/iterate.h"
#include "headless/worlds.h"

namespace jf::headless {
namespace {

// ---- Finding the host and passing the gate -------------------------------------------------

// Operations that cannot report an error (void, numbers) are counted only.
void Count(const char* op) {
  CountCall(op);
}

// A null reference is allowed (operations on worlds the effect made through AEGP take none);
// anything else must name a live instance.
PF_Err CheckRef(PF_ProgPtr ref) {
  return ref == nullptr || Instance::FromEffectRef(ref) != nullptr ? PF_Err_NONE
                                                                   : PF_Err_BAD_CALLBACK_PARAM;
}

// ---- SPBasicSuite ------------------------------------------------------------------------------

SPErr AcquireSuite(const char* name, int version, const void** suite) {
  Host* host = Host::Current();
  PF_Err err = Enter(host, "AcquireSuite");
  if (suite == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  *suite = nullptr;
  if (err != PF_Err_NONE) return err;
  if (name == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  const void* table = host->Suites().Find(name, version);
  if (table == nullptr) return kSuiteNotFound;
  host->GetAccounting().SuiteAcquired(name, version);
  *suite = table;
  return kSPNoError;
}

// A release the gate fails still releases: the failure is reported, the accounting stays true.
SPErr ReleaseSuite(const char* name, int version) {
  Host* host = Host::Current();
  PF_Err err = Enter(host, "ReleaseSuite");
  if (host == nullptr) return err;
  if (name == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  if (!host->GetAccounting().SuiteReleased(name, version) && err == PF_Err_NONE) {
    err = kSuiteNotFound;
  }
  return err;
}

SPBoolean IsEqual(const char* a, const char* b) {
  Count("IsEqual");
  return a != nullptr && b != nullptr && std::strcmp(a, b) == 0;
}

SPErr AllocateBlock(size_t size, void** block) {
  Host* host = Host::Current();
  PF_Err err = Enter(host, "AllocateBlock");
  if (block == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  *block = nullptr;
  if (err != PF_Err_NONE) return err;
  *block = host->Blocks().Allocate(size);
  if (*block == nullptr) return PF_Err_OUT_OF_MEMORY;
  host->GetAccounting().Acquired(Accounting::Kind::Block);
  return kSPNoError;
}

SPErr FreeBlock(void* block) {
  Host* host = Host::Current();
  PF_Err err = Enter(host, "FreeBlock");
  if (host == nullptr || block == nullptr) return err;
  if (!host->Blocks().Free(block)) return PF_Err_BAD_CALLBACK_PARAM;
  host->GetAccounting().Released(Accounting::Kind::Block);
  return err;
}

SPErr ReallocateBlock(void* block, size_t size, void** newBlock) {
  Host* host = Host::Current();
  PF_Err err = Enter(host, "ReallocateBlock");
  if (newBlock == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  *newBlock = nullptr;
  if (err != PF_Err_NONE) return err;
  if (block == nullptr) {
    *newBlock = host->Blocks().Allocate(size);
    if (*newBlock == nullptr) return PF_Err_OUT_OF_MEMORY;
    host->GetAccounting().Acquired(Accounting::Kind::Block);
    return kSPNoError;
  }
  bool known = false;
  *newBlock = host->Blocks().Reallocate(block, size, &known);
  if (!known) return PF_Err_BAD_CALLBACK_PARAM;
  return *newBlock == nullptr ? PF_Err_OUT_OF_MEMORY : kSPNoError;
}

SPErr Undefined() {
  Count("Undefined");
  return PF_Err_INVALID_CALLBACK;
}

// ---- PF Handle Suite ---------------------------------------------------------------------------

PF_Handle HostNewHandle(A_HandleSize size) {
  Host* host = Host::Current();
  if (Enter(host, "host_new_handle") != PF_Err_NONE) return nullptr;
  PF_Handle handle = host->Handles().New(size);
  if (handle != nullptr) host->GetAccounting().Acquired(Accounting::Kind::Handle);
  return handle;
}

void* HostLockHandle(PF_Handle handle) {
  Host* host = Host::Current();
  if (Enter(host, "host_lock_handle") != PF_Err_NONE) return nullptr;
  return host->Handles().Lock(handle);
}

void HostUnlockHandle(PF_Handle handle) {
  Host* host = Host::Current();
  Enter(host, "host_unlock_handle");
  if (host != nullptr) host->Handles().Unlock(handle);
}

void HostDisposeHandle(PF_Handle handle) {
  Host* host = Host::Current();
  Enter(host, "host_dispose_handle");
  if (host != nullptr && host->Handles().Dispose(handle)) {
    host->GetAccounting().Released(Accounting::Kind::Handle);
  }
}

A_HandleSize HostGetHandleSize(PF_Handle handle) {
  Host* host = Host::Current();
  Enter(host, "host_get_handle_size");
  return host == nullptr ? 0 : host->Handles().Size(handle);
}

PF_Err HostResizeHandle(A_HandleSize size, PF_Handle* handle) {
  Host* host = Host::Current();
  if (PF_Err err = Enter(host, "host_resize_handle"); err != PF_Err_NONE) return err;
  return host->Handles().Resize(size, handle);
}

// ---- PF ANSI Suite ------------------------------------------------------------------------------

A_char* AnsiStrcpy(A_char* dst, const A_char* src) {
  Count("strcpy");
  if (dst == nullptr || src == nullptr) return dst;
  return std::strcpy(dst, src);
}

// ---- PF World Suite
// ------------------------------------------------------------------------------

PF_Err NewWorldOf(const char* op, PF_ProgPtr ref, A_long width, A_long height,
                  PF_PixelFormat format, PF_EffectWorld* world) {
  Host* host = HostFor(ref);
  if (PF_Err err = Enter(host, op); err != PF_Err_NONE) return err;
  if (PF_Err err = CheckRef(ref); err != PF_Err_NONE) return err;
  if (PF_Err err = host->Worlds().New(width, height, format, world); err != PF_Err_NONE) {
    return err;
  }
  host->GetAccounting().Acquired(Accounting::Kind::World);
  return PF_Err_NONE;
}

// A dispose the gate fails still frees the world: the failure is reported, the accounting
// stays true.
PF_Err DisposeWorldOf(const char* op, PF_ProgPtr ref, PF_EffectWorld* world) {
  Host* host = HostFor(ref);
  PF_Err err = Enter(host, op);
  if (host == nullptr) return err;
  if (PF_Err refErr = CheckRef(ref); refErr != PF_Err_NONE) return refErr;
  PF_Err disposed = host->Worlds().Dispose(world);
  if (disposed == PF_Err_NONE) host->GetAccounting().Released(Accounting::Kind::World);
  return err != PF_Err_NONE ? err : disposed;
}

PF_Err NewWorld2(PF_ProgPtr ref, A_long width, A_long height, PF_Boolean /*clear*/,
                 PF_PixelFormat format, PF_EffectWorld* world) {
  // Cleared whatever the effect asks, so a frame never depends on leftover memory.
  return NewWorldOf("PF_NewWorld", ref, width, height, format, world);
}

PF_Err DisposeWorld2(PF_ProgPtr ref, PF_EffectWorld* world) {
  return DisposeWorldOf("PF_DisposeWorld", ref, world);
}

PF_Err GetPixelFormat(const PF_EffectWorld* world, PF_PixelFormat* format) {
  if (PF_Err err = Enter(Host::Current(), "PF_GetPixelFormat"); err != PF_Err_NONE) return err;
  if (format == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  return CheckWorld(world, format);
}

PF_Err NewWorld1(PF_ProgPtr ref, A_long width, A_long height, PF_NewWorldFlags flags,
                 PF_EffectWorld* world) {
  const PF_PixelFormat format = (flags & PF_NewWorldFlag_DEEP_PIXELS)
                                    ? static_cast<PF_PixelFormat>(PF_PixelFormat_ARGB64)
                                    : static_cast<PF_PixelFormat>(PF_PixelFormat_ARGB32);
  return NewWorldOf("new_world", ref, width, height, format, world);
}

PF_Err DisposeWorld1(PF_ProgPtr ref, PF_EffectWorld* world) {
  return DisposeWorldOf("dispose_world", ref, world);
}

// ---- Pixel operations ------------------------------------------------------------------------

// Both worlds live and of one format.
PF_Err CheckPair(const PF_EffectWorld* src, const PF_EffectWorld* dst, PF_PixelFormat* format) {
  PF_PixelFormat srcFormat = 0;
  if (PF_Err err = CheckWorld(src, &srcFormat); err != PF_Err_NONE) return err;
  if (PF_Err err = CheckWorld(dst, format); err != PF_Err_NONE) return err;
  return srcFormat == *format ? PF_Err_NONE : PF_Err_BAD_CALLBACK_PARAM;
}

PF_Err CopyOf(const char* op, PF_ProgPtr ref, PF_EffectWorld* src, PF_EffectWorld* dst,
              PF_Rect* srcRect, PF_Rect* dstRect) {
  if (PF_Err err = Enter(HostFor(ref), op); err != PF_Err_NONE) return err;
  if (PF_Err err = CheckRef(ref); err != PF_Err_NONE) return err;
  PF_PixelFormat format = 0;
  if (PF_Err err = CheckPair(src, dst, &format); err != PF_Err_NONE) return err;
  return CopyImpl(format, *src, *dst, srcRect, dstRect);
}

PF_Err Copy(PF_ProgPtr ref, PF_EffectWorld* src, PF_EffectWorld* dst, PF_Rect* srcRect,
            PF_Rect* dstRect) {
  return CopyOf("copy", ref, src, dst, srcRect, dstRect);
}

// One to one, so the high-quality copy has nothing to resample.
PF_Err CopyHq(PF_ProgPtr ref, PF_EffectWorld* src, PF_EffectWorld* dst, PF_Rect* srcRect,
              PF_Rect* dstRect) {
  return CopyOf("copy_hq", ref, src, dst, srcRect, dstRect);
}

PF_Err Fill(PF_ProgPtr ref, const PF_Pixel* color, const PF_Rect* rect, PF_EffectWorld* world) {
  if (PF_Err err = Enter(HostFor(ref), "fill"); err != PF_Err_NONE) return err;
  if (PF_Err err = CheckRef(ref); err != PF_Err_NONE) return err;
  PF_PixelFormat format = 0;
  if (PF_Err err = CheckWorld(world, &format); err != PF_Err_NONE) return err;
  return FillImpl(format, color, rect, *world);
}

PF_Err TransformWorld(PF_ProgPtr ref, PF_Quality quality, PF_ModeFlags modeFlags, PF_Field field,
                      const PF_EffectWorld* src, const PF_CompositeMode* mode,
                      const PF_MaskWorld* mask, const PF_FloatMatrix* matrices, A_long numMatrices,
                      PF_Boolean srcToDst, const PF_Rect* destRect, PF_EffectWorld* dst) {
  if (PF_Err err = Enter(HostFor(ref), "transform_world"); err != PF_Err_NONE) return err;
  if (PF_Err err = CheckRef(ref); err != PF_Err_NONE) return err;
  PF_PixelFormat format = 0;
  if (PF_Err err = CheckPair(src, dst, &format); err != PF_Err_NONE) return err;
  if (mode == nullptr || matrices == nullptr || numMatrices < 1) return PF_Err_BAD_CALLBACK_PARAM;
  if (mask != nullptr && CheckWorld(&mask->mask, nullptr) != PF_Err_NONE) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  return TransformWorldImpl(format, quality, modeFlags, field, *src, *mode, mask, matrices,
                            numMatrices, srcToDst != 0, destRect, *dst);
}

PF_Err Convolve(PF_ProgPtr ref, PF_EffectWorld* src, const PF_Rect* area, PF_KernelFlags flags,
                A_long kernelSize, void* aKernel, void* rKernel, void* gKernel, void* bKernel,
                PF_EffectWorld* dst) {
  if (PF_Err err = Enter(HostFor(ref), "convolve"); err != PF_Err_NONE) return err;
  if (PF_Err err = CheckRef(ref); err != PF_Err_NONE) return err;
  PF_PixelFormat format = 0;
  if (PF_Err err = CheckPair(src, dst, &format); err != PF_Err_NONE) return err;
  if (kernelSize < 1) return PF_Err_BAD_CALLBACK_PARAM;
  return ConvolveImpl(format, *src, area, flags, kernelSize, aKernel, rKernel, gKernel, bKernel,
                      *dst);
}

// ---- PF ColorParamSuite ------------------------------------------------------------------------

PF_Err FloatColorFromColorDef(PF_ProgPtr ref, const PF_ParamDef* def, PF_PixelFloat* color) {
  Host* host = HostFor(ref);
  if (PF_Err err = Enter(host, "PF_GetFloatingPointColorFromColorDef"); err != PF_Err_NONE) {
    return err;
  }
  if (def == nullptr || color == nullptr || def->param_type != PF_Param_COLOR) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  // A float division is correctly rounded, so each channel is the float nearest c / 255.
  const PF_Pixel& c = def->u.cd.value;
  color->alpha = static_cast<float>(c.alpha) / 255.0f;
  color->red = static_cast<float>(c.red) / 255.0f;
  color->green = static_cast<float>(c.green) / 255.0f;
  color->blue = static_cast<float>(c.blue) / 255.0f;
  return PF_Err_NONE;
}

// ---- AEGP Utility Suite ------------------------------------------------------------------------

A_Err RegisterWithAEGP(AEGP_GlobalRefcon, const A_char* name, AEGP_PluginID* id) {
  Host* host = Host::Current();
  if (PF_Err err = Enter(host, "AEGP_RegisterWithAEGP"); err != PF_Err_NONE) return err;
  if (name == nullptr || id == nullptr) return A_Err_PARAMETER;
  *id = host->NextPluginId();
  return A_Err_NONE;
}

// ---- Tables
// ---------------------------------------------------------------------------------------

struct Tables {
  SPBasicSuite basic{};
  PF_HandleSuite1 handle{};
  PF_ANSICallbacksSuite1 ansi{};
  PF_WorldSuite1 world1{};
  PF_WorldSuite2 world2{};
  PF_WorldTransformSuite1 transform{};
  PF_FillMatteSuite2 fillMatte{};
  PF_Iterate8Suite1 iterate8{};
  PF_Iterate16Suite1 iterate16{};
  PF_IterateFloatSuite1 iterateFloat{};
  PF_ColorParamSuite1 colorParam{};
  AEGP_UtilitySuite3 utility{};

  Tables() {
    basic = {AcquireSuite, ReleaseSuite,    IsEqual,  AllocateBlock,
             FreeBlock,    ReallocateBlock, Undefined};
    handle = {HostNewHandle,     HostLockHandle,    HostUnlockHandle,
              HostDisposeHandle, HostGetHandleSize, HostResizeHandle};

    ansi.atan = [](A_FpLong x) {
      Count("atan");
      return std::atan(x);
    };
    ansi.atan2 = [](A_FpLong y, A_FpLong x) {
      Count("atan2");
      return std::atan2(y, x);
    };
    ansi.ceil = [](A_FpLong x) {
      Count("ceil");
      return std::ceil(x);
    };
    ansi.cos = [](A_FpLong x) {
      Count("cos");
      return std::cos(x);
    };
    ansi.exp = [](A_FpLong x) {
      Count("exp");
      return std::exp(x);
    };
    ansi.fabs = [](A_FpLong x) {
      Count("fabs");
      return std::fabs(x);
    };
    ansi.floor = [](A_FpLong x) {
      Count("floor");
      return std::floor(x);
    };
    ansi.fmod = [](A_FpLong x, A_FpLong y) {
      Count("fmod");
      return std::fmod(x, y);
    };
    ansi.hypot = [](A_FpLong x, A_FpLong y) {
      Count("hypot");
      return std::hypot(x, y);
    };
    ansi.log = [](A_FpLong x) {
      Count("log");
      return std::log(x);
    };
    ansi.log10 = [](A_FpLong x) {
      Count("log10");
      return std::log10(x);
    };
    ansi.pow = [](A_FpLong x, A_FpLong y) {
      Count("pow");
      return std::pow(x, y);
    };
    ansi.sin = [](A_FpLong x) {
      Count("sin");
      return std::sin(x);
    };
    ansi.sqrt = [](A_FpLong x) {
      Count("sqrt");
      return std::sqrt(x);
    };
    ansi.tan = [](A_FpLong x) {
      Count("tan");
      return std::tan(x);
    };
    ansi.sprintf = AnsiSprintf;
    ansi.strcpy = AnsiStrcpy;
    ansi.asin = [](A_FpLong x) {
      Count("asin");
      return std::asin(x);
    };
    ansi.acos = [](A_FpLong x) {
      Count("acos");
      return std::acos(x);
    };

    world1 = {NewWorld1, DisposeWorld1};
    world2 = {NewWorld2, DisposeWorld2, GetPixelFormat};

    JF_UNSERVED(transform, composite_rect, PF_Err_INVALID_CALLBACK);
    JF_UNSERVED(transform, blend, PF_Err_INVALID_CALLBACK);
    transform.convolve = Convolve;
    transform.copy = Copy;
    transform.copy_hq = CopyHq;
    JF_UNSERVED(transform, transfer_rect, PF_Err_INVALID_CALLBACK);
    transform.transform_world = TransformWorld;

    fillMatte.fill = Fill;
    JF_UNSERVED(fillMatte, fill16, PF_Err_INVALID_CALLBACK);
    JF_UNSERVED(fillMatte, fill_float, PF_Err_INVALID_CALLBACK);
    JF_UNSERVED(fillMatte, premultiply, PF_Err_INVALID_CALLBACK);
    JF_UNSERVED(fillMatte, premultiply_color, PF_Err_INVALID_CALLBACK);
    JF_UNSERVED(fillMatte, premultiply_color16, PF_Err_INVALID_CALLBACK);
    JF_UNSERVED(fillMatte, premultiply_color_float, PF_Err_INVALID_CALLBACK);

    iterate8.iterate = Iterate8;
    iterate8.iterate_origin = IterateOrigin8;
    JF_UNSERVED(iterate8, iterate_lut, PF_Err_INVALID_CALLBACK);
    JF_UNSERVED(iterate8, iterate_origin_non_clip_src, PF_Err_INVALID_CALLBACK);
    iterate8.iterate_generic = IterateGeneric;
    iterate16.iterate = Iterate16;
    iterate16.iterate_origin = IterateOrigin16;
    JF_UNSERVED(iterate16, iterate_origin_non_clip_src, PF_Err_INVALID_CALLBACK);
    iterateFloat.iterate = IterateFloat;
    iterateFloat.iterate_origin = IterateOriginFloat;
    JF_UNSERVED(iterateFloat, iterate_origin_non_clip_src, PF_Err_INVALID_CALLBACK);

    colorParam.PF_GetFloatingPointColorFromColorDef = FloatColorFromColorDef;

    JF_UNSERVED(utility, AEGP_ReportInfo, A_Err_GENERIC);
    JF_UNSERVED(utility, AEGP_GetDriverPluginInitFuncVersion, A_Err_GENERIC);
    JF_UNSERVED(utility, AEGP_GetDriverImplementationVersion, A_Err_GENERIC);
    JF_UNSERVED(utility, AEGP_StartQuietErrors, A_Err_GENERIC);
    JF_UNSERVED(utility, AEGP_EndQuietErrors, A_Err_GENERIC);
    JF_UNSERVED(utility, AEGP_StartUndoGroup, A_Err_GENERIC);
    JF_UNSERVED(utility, AEGP_EndUndoGroup, A_Err_GENERIC);
    utility.AEGP_RegisterWithAEGP = RegisterWithAEGP;
    JF_UNSERVED(utility, AEGP_GetMainHWND, A_Err_GENERIC);
    JF_UNSERVED(utility, AEGP_ShowHideAllFloaters, A_Err_GENERIC);
    JF_UNSERVED(utility, AEGP_PaintPalGetForeColor, A_Err_GENERIC);
    JF_UNSERVED(utility, AEGP_PaintPalGetBackColor, A_Err_GENERIC);
    JF_UNSERVED(utility, AEGP_PaintPalSetForeColor, A_Err_GENERIC);
    JF_UNSERVED(utility, AEGP_PaintPalSetBackColor, A_Err_GENERIC);
    JF_UNSERVED(utility, AEGP_CharPalGetFillColor, A_Err_GENERIC);
    JF_UNSERVED(utility, AEGP_CharPalGetStrokeColor, A_Err_GENERIC);
    JF_UNSERVED(utility, AEGP_CharPalSetFillColor, A_Err_GENERIC);
    JF_UNSERVED(utility, AEGP_CharPalSetStrokeColor, A_Err_GENERIC);
    JF_UNSERVED(utility, AEGP_CharPalIsFillColorUIFrontmost, A_Err_GENERIC);
    JF_UNSERVED(utility, AEGP_ConvertFpLongToHSFRatio, A_Err_GENERIC);
    JF_UNSERVED(utility, AEGP_ConvertHSFRatioToFpLong, A_Err_GENERIC);
    JF_UNSERVED(utility, AEGP_CauseIdleRoutinesToBeCalled, A_Err_GENERIC);
    JF_UNSERVED(utility, AEGP_GetSuppressInteractiveUI, A_Err_GENERIC);
    JF_UNSERVED(utility, AEGP_WriteToOSConsole, A_Err_GENERIC);
    JF_UNSERVED(utility, AEGP_WriteToDebugLog, A_Err_GENERIC);
  }
};

const Tables& TheTables() {
  static const Tables tables;
  return tables;
}

}  // namespace

int AnsiSprintf(A_char* buffer, const A_char* format, ...) {
  Count("sprintf");
  if (buffer == nullptr || format == nullptr) return -1;
  va_list args;
  va_start(args, format);
  int n = std::vsprintf(buffer, format, args);
  va_end(args);
  return n;
}

const SPBasicSuite& BasicSuiteTable() {
  return TheTables().basic;
}
const PF_HandleSuite1& HandleSuiteTable() {
  return TheTables().handle;
}
const PF_ANSICallbacksSuite1& AnsiSuiteTable() {
  return TheTables().ansi;
}
const PF_WorldSuite1& WorldSuite1Table() {
  return TheTables().world1;
}
const PF_WorldSuite2& WorldSuite2Table() {
  return TheTables().world2;
}
const PF_WorldTransformSuite1& WorldTransformSuiteTable() {
  return TheTables().transform;
}
const PF_FillMatteSuite2& FillMatteSuiteTable() {
  return TheTables().fillMatte;
}
const PF_Iterate8Suite1& Iterate8SuiteTable() {
  return TheTables().iterate8;
}
const PF_Iterate16Suite1& Iterate16SuiteTable() {
  return TheTables().iterate16;
}
const PF_IterateFloatSuite1& IterateFloatSuiteTable() {
  return TheTables().iterateFloat;
}

// ---- Registry ----------------------------------------------------------------------------------

void SuiteRegistry::Register(std::string_view name, int version, const void* table) {
  std::lock_guard lock(m_mutex);
  m_tables[{std::string(name), version}] = table;
}

void SuiteRegistry::Remove(std::string_view name, int version) {
  std::lock_guard lock(m_mutex);
  m_tables.erase({std::string(name), version});
}

const void* SuiteRegistry::Find(std::string_view name, int version) const {
  std::lock_guard lock(m_mutex);
  auto it = m_tables.find({std::string(name), version});
  return it == m_tables.end() ? nullptr : it->second;
}

void AddStandardSuites(SuiteRegistry& registry) {
  RegisterAegpEffectSuites(registry);
  RegisterAegpWorldSuite(registry);
  const Tables& t = TheTables();
  registry.Register(kPFWorldSuite, kPFWorldSuiteVersion1, &t.world1);
  registry.Register(kPFWorldSuite, kPFWorldSuiteVersion2, &t.world2);
  registry.Register(kPFHandleSuite, kPFHandleSuiteVersion1, &t.handle);
  registry.Register(kPFANSISuite, kPFANSISuiteVersion1, &t.ansi);
  registry.Register(kPFIterate8Suite, kPFIterate8SuiteVersion1, &t.iterate8);
  registry.Register(kPFIterate16Suite, kPFIterate16SuiteVersion1, &t.iterate16);
  registry.Register(kPFIterateFloatSuite, kPFIterateFloatSuiteVersion1, &t.iterateFloat);
  registry.Register(kPFWorldTransformSuite, kPFWorldTransformSuiteVersion1, &t.transform);
  registry.Register(kPFFillMatteSuite, kPFFillMatteSuiteVersion2, &t.fillMatte);
  registry.Register(kPFColorParamSuite, kPFColorParamSuiteVersion1, &t.colorParam);
  registry.Register(kAEGPUtilitySuite, kAEGPUtilitySuiteVersion3, &t.utility);
}

}  // namespace jf::headless
