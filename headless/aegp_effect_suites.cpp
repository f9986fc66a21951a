// See aegp_effect_suites.h. Each operation finds its host, passes the gate, checks its
// arguments, then acts, like every other host operation.
#include "headless/aegp_effect_suites.h"

#include <memory>
#include <mutex>
#include <unordered_map>

#include "headless/faults.h"
#include "headless/instance.h"
#include "headless/suites.h"

namespace jf::headless {
namespace {

// ---- References and streams ------------------------------------------------------------------

// What a handle stands for. The instance is named by its effect reference, which is honoured
// only while the instance lives, so a handle kept past its instance is refused, never followed.
struct AegpObject {
  enum class Kind { Effect, Stream } kind;
  PF_ProgPtr effectRef;
  PF_ParamIndex index;  // streams only
};

// Handles are the addresses of these objects; the map owns them. Process-wide, since a handle
// names its instance and through it its host.
class AegpObjects {
 public:
  void* Add(AegpObject object) {
    auto owned = std::make_unique<AegpObject>(object);
    void* handle = owned.get();
    std::lock_guard lock(m_mutex);
    m_objects.emplace(handle, std::move(owned));
    return handle;
  }
  /// A copy of what handle stands for, if it is a live handle of that kind.
  bool Find(const void* handle, AegpObject::Kind kind, AegpObject* out) const {
    std::lock_guard lock(m_mutex);
    auto it = m_objects.find(handle);
    if (it == m_objects.end() || it->second->kind != kind) return false;
    *out = *it->second;
    return true;
  }
  bool Remove(const void* handle, AegpObject::Kind kind) {
    std::lock_guard lock(m_mutex);
    auto it = m_objects.find(handle);
    if (it == m_objects.end() || it->second->kind != kind) return false;
    m_objects.erase(it);
    return true;
  }

 private:
  mutable std::mutex m_mutex;
  std::unordered_map<const void*, std::unique_ptr<AegpObject>> m_objects;
};

AegpObjects& TheObjects() {
  static AegpObjects objects;
  return objects;
}

// The host of an operation: the instance's while it lives, else the thread's current host.
Host* HostOf(PF_ProgPtr effectRef) {
  if (Instance* instance = Instance::FromEffectRef(effectRef)) return &instance->GetHost();
  return Host::Current();
}

// The host of an operation on handle, and what handle stands for (found is false when it is no
// live handle of that kind).
Host* HostOfHandle(const void* handle, AegpObject::Kind kind, AegpObject* object, bool* found) {
  *found = handle != nullptr && TheObjects().Find(handle, kind, object);
  return *found ? HostOf(object->effectRef) : Host::Current();
}

// ---- AEGP PF Interface Suite -------------------------------------------------------------------

// Effects pass plug-in id 0, as they are no AEGP plug-ins; the host takes any id.
A_Err GetNewEffectForEffect(AEGP_PluginID /*pluginId*/, PF_ProgPtr effectRef,
                            AEGP_EffectRefH* effectPH) {
  Host* host = HostOf(effectRef);
  A_Err err = Enter(host, "AEGP_GetNewEffectForEffect", A_Err_PARAMETER);
  if (effectPH == nullptr) return A_Err_PARAMETER;
  *effectPH = nullptr;
  if (err != A_Err_NONE) return err;
  if (Instance::FromEffectRef(effectRef) == nullptr) return A_Err_PARAMETER;
  *effectPH =
      static_cast<AEGP_EffectRefH>(TheObjects().Add({AegpObject::Kind::Effect, effectRef, 0}));
  host->GetAccounting().Acquired(Accounting::Kind::EffectRef);
  return A_Err_NONE;
}

// ---- AEGP Stream Suite --------------------------------------------------------------------------

A_Err GetNewEffectStreamByIndex(AEGP_PluginID /*pluginId*/, AEGP_EffectRefH effectH,
                                PF_ParamIndex index, AEGP_StreamRefH* streamPH) {
  AegpObject effect{};
  bool known = false;
  Host* host = HostOfHandle(effectH, AegpObject::Kind::Effect, &effect, &known);
  A_Err err = Enter(host, "AEGP_GetNewEffectStreamByIndex", A_Err_PARAMETER);
  if (streamPH == nullptr) return A_Err_PARAMETER;
  *streamPH = nullptr;
  if (err != A_Err_NONE) return err;
  if (!known) return A_Err_PARAMETER;
  Instance* instance = Instance::FromEffectRef(effect.effectRef);
  if (instance == nullptr || index < 0 || index >= instance->Params().Count()) {
    return A_Err_PARAMETER;
  }
  *streamPH = static_cast<AEGP_StreamRefH>(
      TheObjects().Add({AegpObject::Kind::Stream, effect.effectRef, index}));
  host->GetAccounting().Acquired(Accounting::Kind::Stream);
  return A_Err_NONE;
}

// A dispose the gate fails still releases: the failure is reported, the accounting stays true.
A_Err DisposeStream(AEGP_StreamRefH streamH) {
  AegpObject stream{};
  bool known = false;
  Host* host = HostOfHandle(streamH, AegpObject::Kind::Stream, &stream, &known);
  A_Err err = Enter(host, "AEGP_DisposeStream", A_Err_PARAMETER);
  if (!known || !TheObjects().Remove(streamH, AegpObject::Kind::Stream)) return A_Err_PARAMETER;
  if (host != nullptr) host->GetAccounting().Released(Accounting::Kind::Stream);
  return err;
}

// ---- AEGP Dynamic Stream Suite ------------------------------------------------------------------

// Only the hidden flag is kept; undo does not exist here, so undoable changes nothing.
A_Err SetDynamicStreamFlag(AEGP_StreamRefH streamH, AEGP_DynStreamFlags flag,
                           A_Boolean /*undoable*/, A_Boolean set) {
  AegpObject stream{};
  bool known = false;
  Host* host = HostOfHandle(streamH, AegpObject::Kind::Stream, &stream, &known);
  if (A_Err err = Enter(host, "AEGP_SetDynamicStreamFlag", A_Err_PARAMETER); err != A_Err_NONE)
    return err;
  if (!known || flag != AEGP_DynStreamFlag_HIDDEN) return A_Err_PARAMETER;
  Instance* instance = Instance::FromEffectRef(stream.effectRef);
  if (instance == nullptr) return A_Err_PARAMETER;
  return instance->Params().SetHidden(stream.index, set != 0) == PF_Err_NONE
             ? static_cast<A_Err>(A_Err_NONE)
             : static_cast<A_Err>(A_Err_PARAMETER);
}

// ---- AEGP Effect Suite --------------------------------------------------------------------------

A_Err DisposeEffect(AEGP_EffectRefH effectH) {
  AegpObject effect{};
  bool known = false;
  Host* host = HostOfHandle(effectH, AegpObject::Kind::Effect, &effect, &known);
  A_Err err = Enter(host, "AEGP_DisposeEffect", A_Err_PARAMETER);
  if (!known || !TheObjects().Remove(effectH, AegpObject::Kind::Effect)) return A_Err_PARAMETER;
  if (host != nullptr) host->GetAccounting().Released(Accounting::Kind::EffectRef);
  return err;
}

// ---- Tables -------------------------------------------------------------------------------------

struct Tables {
  AEGP_PFInterfaceSuite1 pfInterface{};
  AEGP_StreamSuite2 stream{};
  AEGP_DynamicStreamSuite2 dynamicStream{};
  AEGP_EffectSuite2 effect{};

  Tables() {
    JF_UNSERVED(pfInterface, AEGP_GetEffectLayer, A_Err_GENERIC);
    pfInterface.AEGP_GetNewEffectForEffect = GetNewEffectForEffect;
    JF_UNSERVED(pfInterface, AEGP_ConvertEffectToCompTime, A_Err_GENERIC);
    JF_UNSERVED(pfInterface, AEGP_GetEffectCamera, A_Err_GENERIC);
    JF_UNSERVED(pfInterface, AEGP_GetEffectCameraMatrix, A_Err_GENERIC);

    JF_UNSERVED(stream, AEGP_IsStreamLegal, A_Err_GENERIC);
    JF_UNSERVED(stream, AEGP_CanVaryOverTime, A_Err_GENERIC);
    JF_UNSERVED(stream, AEGP_GetValidInterpolations, A_Err_GENERIC);
    JF_UNSERVED(stream, AEGP_GetNewLayerStream, A_Err_GENERIC);
    JF_UNSERVED(stream, AEGP_GetEffectNumParamStreams, A_Err_GENERIC);
    stream.AEGP_GetNewEffectStreamByIndex = GetNewEffectStreamByIndex;
    JF_UNSERVED(stream, AEGP_GetNewMaskStream, A_Err_GENERIC);
    stream.AEGP_DisposeStream = DisposeStream;
    JF_UNSERVED(stream, AEGP_GetStreamName, A_Err_GENERIC);
    JF_UNSERVED(stream, AEGP_GetStreamUnitsText, A_Err_GENERIC);
    JF_UNSERVED(stream, AEGP_GetStreamProperties, A_Err_GENERIC);
    JF_UNSERVED(stream, AEGP_IsStreamTimevarying, A_Err_GENERIC);
    JF_UNSERVED(stream, AEGP_GetStreamType, A_Err_GENERIC);
    JF_UNSERVED(stream, AEGP_GetNewStreamValue, A_Err_GENERIC);
    JF_UNSERVED(stream, AEGP_DisposeStreamValue, A_Err_GENERIC);
    JF_UNSERVED(stream, AEGP_SetStreamValue, A_Err_GENERIC);
    JF_UNSERVED(stream, AEGP_GetLayerStreamValue, A_Err_GENERIC);
    JF_UNSERVED(stream, AEGP_GetExpressionState, A_Err_GENERIC);
    JF_UNSERVED(stream, AEGP_SetExpressionState, A_Err_GENERIC);
    JF_UNSERVED(stream, AEGP_GetExpression, A_Err_GENERIC);
    JF_UNSERVED(stream, AEGP_SetExpression, A_Err_GENERIC);
    JF_UNSERVED(stream, AEGP_DuplicateStreamRef, A_Err_GENERIC);

    JF_UNSERVED(dynamicStream, AEGP_GetNewStreamRefForLayer, A_Err_GENERIC);
    JF_UNSERVED(dynamicStream, AEGP_GetStreamDepth, A_Err_GENERIC);
    JF_UNSERVED(dynamicStream, AEGP_GetStreamGroupingType, A_Err_GENERIC);
    JF_UNSERVED(dynamicStream, AEGP_GetNumStreamsInGroup, A_Err_GENERIC);
    JF_UNSERVED(dynamicStream, AEGP_GetDynamicStreamFlags, A_Err_GENERIC);
    dynamicStream.AEGP_SetDynamicStreamFlag = SetDynamicStreamFlag;
    JF_UNSERVED(dynamicStream, AEGP_GetNewStreamRefByIndex, A_Err_GENERIC);
    JF_UNSERVED(dynamicStream, AEGP_GetNewStreamRefByMatchname, A_Err_GENERIC);
    JF_UNSERVED(dynamicStream, AEGP_DeleteStream, A_Err_GENERIC);
    JF_UNSERVED(dynamicStream, AEGP_ReorderStream, A_Err_GENERIC);
    JF_UNSERVED(dynamicStream, AEGP_DuplicateStream, A_Err_GENERIC);
    JF_UNSERVED(dynamicStream, AEGP_SetStreamName, A_Err_GENERIC);
    JF_UNSERVED(dynamicStream, AEGP_CanAddStream, A_Err_GENERIC);
    JF_UNSERVED(dynamicStream, AEGP_AddStream, A_Err_GENERIC);
    JF_UNSERVED(dynamicStream, AEGP_GetMatchName, A_Err_GENERIC);
    JF_UNSERVED(dynamicStream, AEGP_GetNewParentStreamRef, A_Err_GENERIC);
    JF_UNSERVED(dynamicStream, AEGP_GetStreamIsModified, A_Err_GENERIC);

    JF_UNSERVED(effect, AEGP_GetLayerNumEffects, A_Err_GENERIC);
    JF_UNSERVED(effect, AEGP_GetLayerEffectByIndex, A_Err_GENERIC);
    JF_UNSERVED(effect, AEGP_GetInstalledKeyFromLayerEffect, A_Err_GENERIC);
    JF_UNSERVED(effect, AEGP_GetEffectParamUnionByIndex, A_Err_GENERIC);
    JF_UNSERVED(effect, AEGP_GetEffectFlags, A_Err_GENERIC);
    JF_UNSERVED(effect, AEGP_SetEffectFlags, A_Err_GENERIC);
    JF_UNSERVED(effect, AEGP_ReorderEffect, A_Err_GENERIC);
    JF_UNSERVED(effect, AEGP_EffectCallGeneric, A_Err_GENERIC);
    effect.AEGP_DisposeEffect = DisposeEffect;
    JF_UNSERVED(effect, AEGP_ApplyEffect, A_Err_GENERIC);
    JF_UNSERVED(effect, AEGP_DeleteLayerEffect, A_Err_GENERIC);
    JF_UNSERVED(effect, AEGP_GetNumInstalledEffects, A_Err_GENERIC);
    JF_UNSERVED(effect, AEGP_GetNextInstalledEffect, A_Err_GENERIC);
    JF_UNSERVED(effect, AEGP_GetEffectName, A_Err_GENERIC);
    JF_UNSERVED(effect, AEGP_GetEffectMatchName, A_Err_GENERIC);
    JF_UNSERVED(effect, AEGP_GetEffectCategory, A_Err_GENERIC);
    JF_UNSERVED(effect, AEGP_DuplicateEffect, A_Err_GENERIC);
  }
};

const Tables& TheTables() {
  static const Tables tables;
  return tables;
}

}  // namespace

void RegisterAegpEffectSuites(SuiteRegistry& registry) {
  const Tables& t = TheTables();
  registry.Register(kAEGPPFInterfaceSuite, kAEGPPFInterfaceSuiteVersion1, &t.pfInterface);
  registry.Register(kAEGPStreamSuite, kAEGPStreamSuiteVersion2, &t.stream);
  registry.Register(kAEGPDynamicStreamSuite, kAEGPDynamicStreamSuiteVersion2, &t.dynamicStream);
  registry.Register(kAEGPEffectSuite, kAEGPEffectSuiteVersion2, &t.effect);
}

const AEGP_PFInterfaceSuite1& PFInterfaceSuiteTable() {
  return TheTables().pfInterface;
}
const AEGP_StreamSuite2& StreamSuite2Table() {
  return TheTables().stream;
}
const AEGP_DynamicStreamSuite2& DynamicStreamSuite2Table() {
  return TheTables().dynamicStream;
}
const AEGP_EffectSuite2& EffectSuite2Table() {
  return TheTables().effect;
}

}  // namespace jf::headless
