// See buffers.h.
#include "headless/buffers.h"

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
// same few worlds, handles and working lines frame after frame. Bounded in bytes and in number,
// so buffers of changing sizes cannot pile up and the search for one stays short.
class BufferPool {
 public:
  static constexpr std::size_t kMaxBytes = std::size_t{768} << 20;
  static constexpr std::size_t kMaxBuffers = 64;

  std::uint8_t* Take(std::size_t bytes) {
    if (kSanitized) return nullptr;
    std::lock_guard lock(m_mutex);
    for (auto it = m_buffers.begin(); it != m_buffers.end(); ++it) {
      if (it->bytes != bytes) continue;
      std::uint8_t* data = it->data;
      m_held -= bytes;
      m_buffers.erase(it);
      return data;
    }
    return nullptr;
  }

  /// Keeps data for reuse, or frees it when it is not worth keeping; the oldest go first.
  void Give(std::uint8_t* data, std::size_t bytes) {
    if (kSanitized || bytes > kMaxBytes) {
      Release(data, bytes);
      return;
    }
    std::lock_guard lock(m_mutex);
    while ((m_held + bytes > kMaxBytes || m_buffers.size() >= kMaxBuffers) && !m_buffers.empty()) {
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
  std::size_t m_held = 0;
};

BufferPool& ThePool() {
  static BufferPool* pool = new BufferPool;  // never destroyed: buffers may outlive statics
  return *pool;
}

}  // namespace

TakenBuffer TakeBuffer(std::size_t bytes) {
  if (bytes == 0) bytes = 1;
  if (std::uint8_t* kept = ThePool().Take(bytes)) return TakenBuffer{kept, false};
  void* fresh = Mapped(bytes) ? platform::MapPages(bytes) : std::calloc(bytes, 1);
  return TakenBuffer{static_cast<std::uint8_t*>(fresh), fresh != nullptr};
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
