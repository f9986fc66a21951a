// The host memory behind the handle suite and the basic suite's blocks.
#pragma once

#include <cstddef>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

#include "AE_Effect.h"

namespace jf::headless {

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
