// See memory.h.
#include "headless/memory.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "headless/buffers.h"

namespace jf::headless {
namespace {

// Handle memory starts as this pattern rather than zeros, as a debugging allocator's would:
// an effect must write what it reads.
constexpr int kFreshMemoryByte = 0xA5;
// Handles beyond this are refused like any allocation that fails.
constexpr A_u_longlong kMaxHandleBytes = 1ull << 32;

// The bytes held for a handle of size: a handle of size 0 still has an address of its own.
std::size_t Stored(A_u_longlong size) {
  return static_cast<std::size_t>(std::max<A_u_longlong>(size, 1));
}

}  // namespace

// The handle is the address of `memory`, the first member, so *handle is the block's address.
struct HandleStore::Block {
  void* memory = nullptr;
  A_u_longlong size = 0;
  int locks = 0;
};

HandleStore::~HandleStore() {
  for (auto& [handle, block] : m_blocks) {
    GiveBuffer(static_cast<std::uint8_t*>(block->memory), Stored(block->size));
    delete block;
  }
}

PF_Handle HandleStore::New(A_u_longlong size) {
  if (size > kMaxHandleBytes) return nullptr;
  auto* block = new (std::nothrow) Block;
  if (block == nullptr) return nullptr;
  block->memory = TakeBuffer(Stored(size)).data;
  if (block->memory == nullptr) {
    delete block;
    return nullptr;
  }
  std::memset(block->memory, kFreshMemoryByte, size);
  block->size = size;
  auto handle = reinterpret_cast<PF_Handle>(&block->memory);
  std::lock_guard lock(m_mutex);
  try {
    m_blocks.emplace(handle, block);
  } catch (const std::bad_alloc&) {
    GiveBuffer(static_cast<std::uint8_t*>(block->memory), Stored(size));
    delete block;
    return nullptr;
  }
  return handle;
}

void* HandleStore::Lock(PF_Handle handle) {
  std::lock_guard lock(m_mutex);
  auto it = m_blocks.find(handle);
  if (it == m_blocks.end()) return nullptr;
  ++it->second->locks;
  return it->second->memory;
}

void HandleStore::Unlock(PF_Handle handle) {
  std::lock_guard lock(m_mutex);
  auto it = m_blocks.find(handle);
  if (it != m_blocks.end() && it->second->locks > 0) --it->second->locks;
}

bool HandleStore::Dispose(PF_Handle handle) {
  Block* block = nullptr;
  {
    std::lock_guard lock(m_mutex);
    auto it = m_blocks.find(handle);
    if (it == m_blocks.end()) return false;
    block = it->second;
    m_blocks.erase(it);
  }
  GiveBuffer(static_cast<std::uint8_t*>(block->memory), Stored(block->size));
  delete block;
  return true;
}

A_u_longlong HandleStore::Size(PF_Handle handle) const {
  std::lock_guard lock(m_mutex);
  auto it = m_blocks.find(handle);
  return it == m_blocks.end() ? 0 : it->second->size;
}

PF_Err HandleStore::Resize(A_u_longlong size, PF_Handle* handle) {
  if (handle == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  std::lock_guard lock(m_mutex);
  auto it = m_blocks.find(*handle);
  if (it == m_blocks.end()) return PF_Err_BAD_CALLBACK_PARAM;
  if (size > kMaxHandleBytes) return PF_Err_OUT_OF_MEMORY;
  Block* block = it->second;
  std::uint8_t* memory = TakeBuffer(Stored(size)).data;
  if (memory == nullptr) return PF_Err_OUT_OF_MEMORY;
  const auto kept = static_cast<std::size_t>(std::min(size, block->size));
  std::memcpy(memory, block->memory, kept);
  std::memset(memory + kept, kFreshMemoryByte, Stored(size) - kept);
  GiveBuffer(static_cast<std::uint8_t*>(block->memory), Stored(block->size));
  block->memory = memory;
  block->size = size;
  return PF_Err_NONE;
}

bool HandleStore::Contains(PF_Handle handle) const {
  std::lock_guard lock(m_mutex);
  return m_blocks.count(handle) != 0;
}

std::size_t HandleStore::Live() const {
  std::lock_guard lock(m_mutex);
  return m_blocks.size();
}

BlockStore::~BlockStore() {
  for (void* block : m_blocks) std::free(block);
}

void* BlockStore::Allocate(std::size_t size) {
  void* block = std::malloc(std::max<std::size_t>(size, 1));
  if (block == nullptr) return nullptr;
  std::lock_guard lock(m_mutex);
  try {
    m_blocks.insert(block);
  } catch (const std::bad_alloc&) {
    std::free(block);
    return nullptr;
  }
  return block;
}

bool BlockStore::Free(void* block) {
  {
    std::lock_guard lock(m_mutex);
    if (m_blocks.erase(block) == 0) return false;
  }
  std::free(block);
  return true;
}

void* BlockStore::Reallocate(void* block, std::size_t size, bool* known) {
  std::lock_guard lock(m_mutex);
  auto it = m_blocks.find(block);
  *known = it != m_blocks.end();
  if (!*known) return nullptr;
  void* moved = std::realloc(block, std::max<std::size_t>(size, 1));
  if (moved == nullptr) return nullptr;
  m_blocks.erase(it);
  m_blocks.insert(moved);
  return moved;
}

std::size_t BlockStore::Live() const {
  std::lock_guard lock(m_mutex);
  return m_blocks.size();
}

}  // namespace jf::headless
