// See buffers.h.
#include "headless/buffers.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <new>
#include <vector>

#include "headless/platform.h"

namespace jf::headless {
namespace {

#if defined(__SANITIZE_ADDRESS__)
// Under AddressSanitizer every buffer is its own heap block and none is kept, so a read past a
// buffer or of a disposed one is still caught.
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

// From this size a buffer spans at least one huge page and is mapped on its own; smaller ones
// come from the heap.
constexpr std::size_t kMappedBytes = std::size_t{2} << 20;

bool Mapped(std::size_t bytes) {
  return !kSanitized && bytes >= kMappedBytes;
}

void Release(std::uint8_t* data, std::size_t bytes) {
  if (Mapped(bytes)) {
    platform::UnmapPages(data, bytes);
  } else {
    std::free(data);
  }
}

// Buffers given back, kept for the next of the same byte size. A render makes and disposes the
// same few worlds, handles and working lines frame after frame. It keeps as many bytes as were
// ever in use at once (at least kMinBytes), so a render whose frames all need the same buffers
// finds every one of them kept, and the process never holds more than twice what it once needed.
// At most kMaxBuffers, so buffers of changing sizes cannot pile up and the search stays short.
class BufferPool {
 public:
  static constexpr std::size_t kMinBytes = std::size_t{768} << 20;
  static constexpr std::size_t kMaxBuffers = 64;

  TakenBuffer Take(std::size_t bytes) {
    TakenBuffer taken;
    if (!kSanitized) {
      std::lock_guard lock(m_mutex);
      for (auto it = m_buffers.begin(); it != m_buffers.end(); ++it) {
        if (it->bytes != bytes) continue;
        taken.data = it->data;
        m_held -= bytes;
        m_buffers.erase(it);
        break;
      }
    }
    if (taken.data == nullptr) {
      void* fresh = Mapped(bytes) ? platform::MapPages(bytes) : std::calloc(bytes, 1);
      if (fresh == nullptr) return taken;
      taken = TakenBuffer{static_cast<std::uint8_t*>(fresh), true};
    }
    std::lock_guard lock(m_mutex);
    m_inUse += bytes;
    m_mostInUse = std::max(m_mostInUse, m_inUse);
    return taken;
  }

  /// Keeps data for reuse, or frees it when it is not worth keeping; the oldest go first.
  void Give(std::uint8_t* data, std::size_t bytes) {
    std::lock_guard lock(m_mutex);
    m_inUse -= std::min(m_inUse, bytes);
    const std::size_t limit = std::max(kMinBytes, m_mostInUse);
    if (kSanitized || bytes > limit) {
      Release(data, bytes);
      return;
    }
    while ((m_held + bytes > limit || m_buffers.size() >= kMaxBuffers) && !m_buffers.empty()) {
      Release(m_buffers.front().data, m_buffers.front().bytes);
      m_held -= m_buffers.front().bytes;
      m_buffers.erase(m_buffers.begin());
    }
    try {
      m_buffers.push_back(Buffer{data, bytes});
      m_held += bytes;
    } catch (const std::bad_alloc&) {
      Release(data, bytes);
    }
  }

 private:
  struct Buffer {
    std::uint8_t* data;
    std::size_t bytes;
  };
  std::mutex m_mutex;
  std::vector<Buffer> m_buffers;
  std::size_t m_held = 0;       // bytes kept
  std::size_t m_inUse = 0;      // bytes taken and not given back
  std::size_t m_mostInUse = 0;  // the most ever in use at once
};

BufferPool& ThePool() {
  static BufferPool* pool = new BufferPool;  // never destroyed: buffers may outlive statics
  return *pool;
}

}  // namespace

TakenBuffer TakeBuffer(std::size_t bytes) {
  if (bytes == 0) bytes = 1;
  return ThePool().Take(bytes);
}

void GiveBuffer(std::uint8_t* data, std::size_t bytes) {
  if (data == nullptr) return;
  ThePool().Give(data, bytes == 0 ? 1 : bytes);
}

PooledScratch::PooledScratch(std::size_t bytes) : m_bytes(bytes) {
  m_data = TakeBuffer(bytes).data;
}

PooledScratch::~PooledScratch() {
  GiveBuffer(m_data, m_bytes);
}

}  // namespace jf::headless
