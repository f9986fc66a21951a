// The threads a host runs iterations and imaging on: oneTBB's where the build has it, else a
// small pool of standard threads. Both split work the same way into independent chunks, so
// what they compute does not depend on which one runs it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace jf::headless {

enum class ThreadPoolKind {
  Library,          ///< oneTBB's task arena (only in builds with oneTBB)
  StandardThreads,  ///< std::thread workers
};

/// A chunk of work: items [begin, end), run on the thread in slot (0 .. threads - 1).
using ChunkFn = std::function<void(std::int64_t begin, std::int64_t end, int slot)>;

class ThreadPool {
 public:
  virtual ~ThreadPool() = default;

  virtual int Threads() const = 0;
  /// Runs fn on the calling thread, or on one joining the pool, with this pool current for
  /// ParallelFor; returns when fn has.
  virtual void Execute(const std::function<void()>& fn) = 0;
  /// Calls body for chunks covering [first, last) once each, spread over the pool's threads;
  /// grain is the chunk size (0: let the pool choose). No two chunks running at once share a
  /// slot. Returns when every chunk is done; the first exception a chunk throws is rethrown.
  virtual void For(std::int64_t first, std::int64_t last, std::int64_t grain,
                   const ChunkFn& body) = 0;
};

/// The kind this build uses unless told otherwise.
ThreadPoolKind DefaultThreadPoolKind();

/// A pool of threads (at least 1) of the kind asked for; a kind the build lacks falls back to
/// StandardThreads.
std::unique_ptr<ThreadPool> MakeThreadPool(int threads,
                                           ThreadPoolKind kind = DefaultThreadPoolKind());

/// For() on the pool this thread is executing for; without one, or from inside a chunk, the
/// chunks run one after another on this thread.
void ParallelFor(std::int64_t first, std::int64_t last, std::int64_t grain, const ChunkFn& body);

namespace detail {

/// Makes pool current for ParallelFor on this thread while it lives.
class CurrentPool {
 public:
  explicit CurrentPool(ThreadPool* pool);
  ~CurrentPool();
  CurrentPool(const CurrentPool&) = delete;
  CurrentPool& operator=(const CurrentPool&) = delete;

  static ThreadPool* Get();

 private:
  ThreadPool* m_previous;
};

std::unique_ptr<ThreadPool> MakeLibraryPool(int threads);  // null without oneTBB
bool HaveLibraryPool();

}  // namespace detail
}  // namespace jf::headless
