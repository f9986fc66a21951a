// Large buffers (worlds, scratch images, big handles): kept after use for the next buffer of the
// same size, and mapped so the operating system can back them with huge pages. A frame-sized
// buffer of fresh 4 KB pages faults in page by page on first touch, which costs more than the
// work of most stages; kept buffers fault in once per process, fresh mapped ones a few times.
#pragma once

#include <cstddef>
#include <cstdint>

namespace jf::headless {

struct TakenBuffer {
  std::uint8_t* data = nullptr;  // null when the memory cannot be had
  bool zero = false;             // fresh memory, all bytes zero; else as its last user left it
};

/// A buffer of exactly bytes (at least 1).
TakenBuffer TakeBuffer(std::size_t bytes);

/// Gives back data, taken with the same bytes, for reuse; freed when too much is kept already.
void GiveBuffer(std::uint8_t* data, std::size_t bytes);

/// A buffer owned for one scope, given back when it goes. Its contents start undefined.
class PooledScratch {
 public:
  /// Data() is null when the memory cannot be had.
  explicit PooledScratch(std::size_t bytes);
  ~PooledScratch();
  PooledScratch(const PooledScratch&) = delete;
  PooledScratch& operator=(const PooledScratch&) = delete;

  void* Data() const { return m_data; }
  std::size_t Size() const { return m_bytes; }

 private:
  std::uint8_t* m_data = nullptr;
  std::size_t m_bytes = 0;
};

}  // namespace jf::headless
