// Thin typed calls over the host's operations, and guards that give host resources back on
// every path.
#pragma once

#include <cstddef>

#include "AE_Effect.h"
#include "AE_EffectCB.h"
#include "AE_EffectCBSuites.h"
#include "entry/suite_handler.h"

namespace jf {

/// The host's copy of src's extent onto dst's extent.
PF_Err CopyExtent(PF_InData* in, PF_EffectWorld* src, PF_EffectWorld* dst);

/// A world made through "PF World Suite" that is disposed when the guard goes out of scope,
/// unless Dispose() already did it.
class ScopedWorld {
 public:
  explicit ScopedWorld(SuiteHandler& suites, PF_ProgPtr effectRef)
      : m_suites(suites), m_effectRef(effectRef) {}
  ~ScopedWorld() { Dispose(); }
  ScopedWorld(const ScopedWorld&) = delete;
  ScopedWorld& operator=(const ScopedWorld&) = delete;

  /// Makes a world of the given size and format; cleared to transparent black when asked.
  PF_Err Create(A_long width, A_long height, PF_PixelFormat format, bool clear = true);
  /// Gives the world back; returns the host's code. Does nothing when none was made.
  PF_Err Dispose();
  PF_EffectWorld* World() { return &m_world; }

 private:
  SuiteHandler& m_suites;
  PF_ProgPtr m_effectRef;
  PF_EffectWorld m_world{};
  bool m_created = false;
};

/// Scratch memory from "PF Handle Suite": locked while the guard holds it, unlocked and disposed
/// when it goes out of scope.
class ScopedHandle {
 public:
  explicit ScopedHandle(SuiteHandler& suites) : m_suites(suites) {}
  ~ScopedHandle() { Release(); }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;

  /// Asks for size bytes; false when the host gives no memory.
  bool Allocate(std::size_t size);
  /// Locks the memory and returns its address (null when the host gives none).
  void* Lock();
  void Release();
  /// Unlocks the memory and hands it over to the caller, who now owns it.
  PF_Handle Detach();

 private:
  SuiteHandler& m_suites;
  PF_Handle m_handle = nullptr;
  bool m_locked = false;
};

}  // namespace jf
