// oneTBB's task arena as the host's thread pool.
#include <algorithm>

#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>
#include <tbb/task_arena.h>

#include "headless/thread_pool.h"

namespace jf::headless::detail {
namespace {

class LibraryPool final : public ThreadPool {
 public:
  explicit LibraryPool(int threads) : m_threads(threads), m_arena(threads) { m_arena.initialize(); }

  int Threads() const override { return m_threads; }

  void Execute(const std::function<void()>& fn) override {
    m_arena.execute([&] {
      CurrentPool current(this);
      fn();
    });
  }

  void For(std::int64_t first, std::int64_t last, std::int64_t grain,
           const ChunkFn& body) override {
    if (first >= last) return;
    auto run = [&](const tbb::blocked_range<std::int64_t>& range) {
      CurrentPool current(this);
      body(range.begin(), range.end(), std::max(0, tbb::this_task_arena::current_thread_index()));
    };
    m_arena.execute([&] {
      if (grain > 0) {
        tbb::parallel_for(tbb::blocked_range<std::int64_t>(first, last, grain), run,
                          tbb::simple_partitioner());
      } else {
        tbb::parallel_for(tbb::blocked_range<std::int64_t>(first, last), run);
      }
    });
  }

 private:
  const int m_threads;
  tbb::task_arena m_arena;
};

}  // namespace

std::unique_ptr<ThreadPool> MakeLibraryPool(int threads) {
  return std::make_unique<LibraryPool>(threads);
}

bool HaveLibraryPool() {
  return true;
}

}  // namespace jf::headless::detail
