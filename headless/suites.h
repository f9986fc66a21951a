// The suites a host serves by name and version, the SPBasicSuite that hands them out, and the
// host memory behind the handle suite and the basic suite's blocks.
#pragma once

#include <cstddef>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "AE_Effect.h"
#include "AE_EffectCB.h"
#include "AE_EffectCBSuites.h"
#include "AE_EffectSuites.h"
#include "AE_GeneralPlug.h"
#include "SPBasic.h"

namespace jf::headless {

/// What AcquireSuite returns for a name and version the host does not serve (the pointer is
/// then null). It is the host's bad-parameter code, the same code an effect reports when it
/// cannot get a suite, so the failure reads the same on both sides.
inline constexpr SPErr kSuiteNotFound = PF_Err_BAD_CALLBACK_PARAM;

/// One host's suite tables by (name, version), over the suites registered for every host.
/// Thread-safe.
class SuiteRegistry {
 public:
  /// Serves table for name and version from now on, replacing an earlier one.
  void Register(std::string_view name, int version, const void* table);
  /// Stops serving name and version, even one registered for every host (tests use it to stand
  /// for a host that lacks a suite).
  void Remove(std::string_view name, int version);
  /// This host's table, else the one registered for every host, else null.
  const void* Find(std::string_view name, int version) const;

 private:
  mutable std::mutex m_mutex;
  std::map<std::pair<std::string, int>, const void*> m_tables;
};

/// Adds a suite that every host serves, from now on. Suites written in their own files
/// register here (directly or through a SuiteRegistrar at namespace scope). Since the host is a
/// static library, the linker keeps a file only if something in it is referenced, so a file that
/// holds nothing but a registrar must also be reachable from the code that uses the host.
void RegisterSuite(std::string_view name, int version, const void* table);

/// Registers a suite when the program starts: `const SuiteRegistrar kMine("Name", 1, &table);`.
struct SuiteRegistrar {
  SuiteRegistrar(std::string_view name, int version, const void* table) {
    RegisterSuite(name, version, table);
  }
};

/// Registers the host's built-in suites in registry.
void AddStandardSuites(SuiteRegistry& registry);

/// The basic suite every host hands to effects in PF_InData::pica_basicP.
const SPBasicSuite& BasicSuiteTable();

/// Tables shared with the utility callbacks, so both routes run the same operations.
const PF_HandleSuite1& HandleSuiteTable();
const PF_ANSICallbacksSuite1& AnsiSuiteTable();
const PF_WorldSuite1& WorldSuite1Table();
const PF_WorldSuite2& WorldSuite2Table();
const PF_WorldTransformSuite1& WorldTransformSuiteTable();
const PF_FillMatteSuite2& FillMatteSuiteTable();
const PF_Iterate8Suite1& Iterate8SuiteTable();
const PF_Iterate16Suite1& Iterate16SuiteTable();
const PF_IterateFloatSuite1& IterateFloatSuiteTable();
/// The variadic sprintf of the ANSI block.
int AnsiSprintf(A_char* buffer, const A_char* format, ...);

/// Host memory handles: a handle is a pointer to the block's address, as effects expect.
/// Unknown handles are refused, never followed. Everything still live is freed with the store.
class HandleStore {
 public:
  ~HandleStore();
  /// Null when the memory cannot be had.
  PF_Handle New(A_u_longlong size);
  /// The block's address, or null for an unknown handle.
  void* Lock(PF_Handle handle);
  void Unlock(PF_Handle handle);
  /// False for an unknown handle.
  bool Dispose(PF_Handle handle);
  /// 0 for an unknown handle.
  A_u_longlong Size(PF_Handle handle) const;
  PF_Err Resize(A_u_longlong size, PF_Handle* handle);
  bool Contains(PF_Handle handle) const;
  std::size_t Live() const;

 private:
  struct Block;
  mutable std::mutex m_mutex;
  std::unordered_map<PF_Handle, Block*> m_blocks;
};

/// Blocks of the basic suite's AllocateBlock, known so that FreeBlock refuses strangers.
class BlockStore {
 public:
  ~BlockStore();
  void* Allocate(std::size_t size);
  bool Free(void* block);
  /// Null (and block untouched) when block is unknown or the memory cannot be had.
  void* Reallocate(void* block, std::size_t size, bool* known);
  std::size_t Live() const;

 private:
  mutable std::mutex m_mutex;
  std::unordered_set<void*> m_blocks;
};

}  // namespace jf::headless
