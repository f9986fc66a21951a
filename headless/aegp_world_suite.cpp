// See aegp_world_suite.h.
#include "headless/aegp_world_suite.h"

#include <memory>
#include <mutex>
#include <new>
#include <unordered_map>

#include "headless/faults.h"
#include "headless/imaging/imaging.h"
#include "headless/instance.h"
#include "headless/suites.h"
#include "headless/worlds.h"

namespace jf::headless {
namespace {

// ---- The worlds behind the handles ------------------------------------------------------------

/// One AEGP world. The handle is the address of `self`, the first member, so it has the
/// pointer-to-pointer shape effects expect of a handle; the host never follows a handle it has
/// not looked up first.
struct AegpWorld {
  void* self = nullptr;
  Host* host = nullptr;
  PF_EffectWorld world{};
};

/// The live AEGP worlds of every host, by handle. Thread-safe.
class AegpWorlds {
 public:
  AEGP_WorldH Add(std::unique_ptr<AegpWorld> record) {
    auto handle = reinterpret_cast<AEGP_WorldH>(&record->self);
    record->self = record.get();
    std::lock_guard lock(m_mutex);
    m_records.emplace(handle, std::move(record));
    return handle;
  }

  /// The world's record when handle is live and belongs to host; a copy, so no lock is held.
  bool Find(Host* host, AEGP_WorldH handle, PF_EffectWorld* world) const {
    std::lock_guard lock(m_mutex);
    auto it = m_records.find(handle);
    if (it == m_records.end() || it->second->host != host) return false;
    *world = it->second->world;
    return true;
  }

  /// Takes the record out; null when handle is unknown or another host's.
  std::unique_ptr<AegpWorld> Remove(Host* host, AEGP_WorldH handle) {
    std::lock_guard lock(m_mutex);
    auto it = m_records.find(handle);
    if (it == m_records.end() || it->second->host != host) return nullptr;
    std::unique_ptr<AegpWorld> record = std::move(it->second);
    m_records.erase(it);
    return record;
  }

 private:
  mutable std::mutex m_mutex;
  std::unordered_map<AEGP_WorldH, std::unique_ptr<AegpWorld>> m_records;
};

AegpWorlds& TheWorlds() {
  static AegpWorlds worlds;
  return worlds;
}

bool FormatOf(AEGP_WorldType type, PF_PixelFormat* format) {
  switch (type) {
    case AEGP_WorldType_8:
      *format = PF_PixelFormat_ARGB32;
      return true;
    case AEGP_WorldType_16:
      *format = PF_PixelFormat_ARGB64;
      return true;
    case AEGP_WorldType_32:
      *format = PF_PixelFormat_ARGB128;
      return true;
    default:
      return false;
  }
}

// ---- The served members -------------------------------------------------------------------------

A_Err New(AEGP_PluginID, AEGP_WorldType type, A_long width, A_long height, AEGP_WorldH* worldPH) {
  Host* host = Host::Current();
  if (A_Err err = Enter(host, "AEGP_New", A_Err_PARAMETER); err != A_Err_NONE) return err;
  PF_PixelFormat format = PF_PixelFormat_INVALID;
  if (worldPH == nullptr || !FormatOf(type, &format)) return A_Err_PARAMETER;
  *worldPH = nullptr;
  std::unique_ptr<AegpWorld> record(new (std::nothrow) AegpWorld());
  if (!record) return A_Err_ALLOC;
  record->host = host;
  if (PF_Err err = host->Worlds().New(width, height, format, &record->world); err != PF_Err_NONE) {
    return err == PF_Err_OUT_OF_MEMORY ? A_Err_ALLOC : A_Err_PARAMETER;
  }
  host->GetAccounting().Acquired(Accounting::Kind::World);
  *worldPH = TheWorlds().Add(std::move(record));
  return A_Err_NONE;
}

// A dispose the gate fails still frees the world: the failure is reported, the accounting stays
// true.
A_Err Dispose(AEGP_WorldH worldH) {
  Host* host = Host::Current();
  const A_Err err = Enter(host, "AEGP_Dispose", A_Err_PARAMETER);
  if (host == nullptr) return err;
  std::unique_ptr<AegpWorld> record = TheWorlds().Remove(host, worldH);
  if (!record) return err != A_Err_NONE ? err : A_Err_PARAMETER;
  if (host->Worlds().Dispose(&record->world) == PF_Err_NONE) {
    host->GetAccounting().Released(Accounting::Kind::World);
  }
  return err;
}

A_Err FillOutPFEffectWorld(AEGP_WorldH worldH, PF_EffectWorld* pf_worldP) {
  Host* host = Host::Current();
  if (A_Err err = Enter(host, "AEGP_FillOutPFEffectWorld", A_Err_PARAMETER); err != A_Err_NONE)
    return err;
  if (pf_worldP == nullptr) return A_Err_PARAMETER;
  PF_EffectWorld world{};
  if (!TheWorlds().Find(host, worldH, &world)) return A_Err_PARAMETER;
  *pf_worldP = world;
  return A_Err_NONE;
}

A_Err FastBlur(A_FpLong radiusF, PF_ModeFlags mode, PF_Quality, AEGP_WorldH worldH) {
  Host* host = Host::Current();
  if (A_Err err = Enter(host, "AEGP_FastBlur", A_Err_PARAMETER); err != A_Err_NONE) return err;
  if (mode != PF_MF_Alpha_STRAIGHT && mode != PF_MF_Alpha_PREMUL) return A_Err_PARAMETER;
  PF_EffectWorld world{};
  if (!TheWorlds().Find(host, worldH, &world)) return A_Err_PARAMETER;
  PF_PixelFormat format = PF_PixelFormat_INVALID;
  if (CheckWorld(&world, &format) != PF_Err_NONE) return A_Err_PARAMETER;
  const PF_Err err = FastBlurImpl(format, radiusF, world);
  return err == PF_Err_OUT_OF_MEMORY ? A_Err_ALLOC : err;
}

// ---- Tables -------------------------------------------------------------------------------------

template <typename Table>
Table MakeTable() {
  Table t{};
  t.AEGP_New = &New;
  t.AEGP_Dispose = &Dispose;
  JF_UNSERVED(t, AEGP_GetType, A_Err_GENERIC);
  JF_UNSERVED(t, AEGP_GetSize, A_Err_GENERIC);
  JF_UNSERVED(t, AEGP_GetRowBytes, A_Err_GENERIC);
  JF_UNSERVED(t, AEGP_GetBaseAddr8, A_Err_GENERIC);
  JF_UNSERVED(t, AEGP_GetBaseAddr16, A_Err_GENERIC);
  if constexpr (requires { t.AEGP_GetBaseAddr32; }) {
    JF_UNSERVED(t, AEGP_GetBaseAddr32, A_Err_GENERIC);
  }
  t.AEGP_FillOutPFEffectWorld = &FillOutPFEffectWorld;
  t.AEGP_FastBlur = &FastBlur;
  JF_UNSERVED(t, AEGP_NewPlatformWorld, A_Err_GENERIC);
  JF_UNSERVED(t, AEGP_DisposePlatformWorld, A_Err_GENERIC);
  JF_UNSERVED(t, AEGP_NewReferenceFromPlatformWorld, A_Err_GENERIC);
  return t;
}

const AEGP_WorldSuite2 kSuite2 = MakeTable<AEGP_WorldSuite2>();
const AEGP_WorldSuite3 kSuite3 = MakeTable<AEGP_WorldSuite3>();

}  // namespace

const AEGP_WorldSuite2& AegpWorldSuite2Table() {
  return kSuite2;
}
const AEGP_WorldSuite3& AegpWorldSuite3Table() {
  return kSuite3;
}

void RegisterAegpWorldSuite(SuiteRegistry& registry) {
  registry.Register(kAEGPWorldSuite, kAEGPWorldSuiteVersion2, &kSuite2);
  registry.Register(kAEGPWorldSuite, kAEGPWorldSuiteVersion3, &kSuite3);
}

}  // namespace jf::headless
