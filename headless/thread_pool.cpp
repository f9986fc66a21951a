// See thread_pool.h. The standard-thread pool lives here; oneTBB's in thread_pool_tbb.cpp.
#include "headless/thread_pool.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace jf::headless {
namespace {

thread_local ThreadPool* t_currentPool = nullptr;
// Set while this thread runs a chunk of a standard-thread pool, with the chunk's slot.
thread_local bool t_inChunk = false;
thread_local int t_slot = 0;

void RunOneByOne(std::int64_t first, std::int64_t last, std::int64_t grain, int slot,
                 const ChunkFn& body) {
  const std::int64_t step = grain > 0 ? grain : last - first;
  for (std::int64_t begin = first; begin < last; begin += std::min(step, last - begin)) {
    body(begin, std::min(begin + step, last), slot);
  }
}

// Workers 1 .. threads - 1 wait for a job; the thread that submits it works as slot 0. One job
// runs at a time, and a chunk that asks for more parallel work runs it itself, so no thread
// ever waits for a job that needs it to make progress.
class StandardThreadPool final : public ThreadPool {
 public:
  explicit StandardThreadPool(int threads) : m_threads(std::max(1, threads)) {
    m_workers.reserve(static_cast<std::size_t>(m_threads - 1));
    for (int slot = 1; slot < m_threads; ++slot)
      m_workers.emplace_back([this, slot] { Work(slot); });
  }

  ~StandardThreadPool() override {
    {
      std::lock_guard lock(m_mutex);
      m_stop = true;
    }
    m_wake.notify_all();
    for (std::thread& worker : m_workers) worker.join();
  }

  int Threads() const override { return m_threads; }

  void Execute(const std::function<void()>& fn) override {
    detail::CurrentPool current(this);
    fn();
  }

  void For(std::int64_t first, std::int64_t last, std::int64_t grain,
           const ChunkFn& body) override {
    if (first >= last) return;
    if (grain <= 0) grain = std::max<std::int64_t>(1, (last - first) / (8 * m_threads));
    if (t_inChunk || m_threads == 1) {
      RunOneByOne(first, last, grain, t_inChunk ? t_slot : 0, body);
      return;
    }
    std::lock_guard oneJob(m_submit);
    Job job(first, last, grain, body);
    {
      std::lock_guard lock(m_mutex);
      m_job = &job;
      ++m_generation;
    }
    m_wake.notify_all();
    RunChunks(job, 0);
    {
      std::unique_lock lock(m_mutex);
      m_job = nullptr;  // late risers find nothing to join
      m_done.wait(lock, [&] { return job.users == 0; });
    }
    if (job.error) std::rethrow_exception(job.error);
  }

 private:
  struct Job {
    Job(std::int64_t f, std::int64_t l, std::int64_t g, const ChunkFn& b)
        : last(l), grain(g), body(b), next(f) {}
    const std::int64_t last;
    const std::int64_t grain;
    const ChunkFn& body;
    std::atomic<std::int64_t> next;
    int users = 0;  // workers inside RunChunks, under m_mutex
    std::mutex errorMutex;
    std::exception_ptr error;
  };

  static void RunChunks(Job& job, int slot) {
    t_inChunk = true;
    t_slot = slot;
    for (;;) {
      const std::int64_t begin = job.next.fetch_add(job.grain);
      if (begin >= job.last) break;
      try {
        job.body(begin, std::min(begin + job.grain, job.last), slot);
      } catch (...) {
        std::lock_guard lock(job.errorMutex);
        if (!job.error) job.error = std::current_exception();
        job.next.store(job.last);
      }
    }
    t_inChunk = false;
  }

  void Work(int slot) {
    std::uint64_t seen = 0;
    std::unique_lock lock(m_mutex);
    for (;;) {
      m_wake.wait(lock, [&] { return m_stop || (m_job != nullptr && m_generation != seen); });
      if (m_stop) return;
      seen = m_generation;
      Job& job = *m_job;
      ++job.users;
      lock.unlock();
      RunChunks(job, slot);
      lock.lock();
      if (--job.users == 0) m_done.notify_all();
    }
  }

  const int m_threads;
  std::vector<std::thread> m_workers;
  std::mutex m_submit;
  std::mutex m_mutex;
  std::condition_variable m_wake;
  std::condition_variable m_done;
  Job* m_job = nullptr;
  std::uint64_t m_generation = 0;
  bool m_stop = false;
};

}  // namespace

namespace detail {

CurrentPool::CurrentPool(ThreadPool* pool) : m_previous(t_currentPool) {
  t_currentPool = pool;
}

CurrentPool::~CurrentPool() {
  t_currentPool = m_previous;
}

ThreadPool* CurrentPool::Get() {
  return t_currentPool;
}

}  // namespace detail

ThreadPoolKind DefaultThreadPoolKind() {
  return detail::HaveLibraryPool() ? ThreadPoolKind::Library : ThreadPoolKind::StandardThreads;
}

std::unique_ptr<ThreadPool> MakeThreadPool(int threads, ThreadPoolKind kind) {
  threads = std::max(1, threads);
  if (kind == ThreadPoolKind::Library) {
    if (auto pool = detail::MakeLibraryPool(threads)) return pool;
  }
  return std::make_unique<StandardThreadPool>(threads);
}

void ParallelFor(std::int64_t first, std::int64_t last, std::int64_t grain, const ChunkFn& body) {
  if (ThreadPool* pool = detail::CurrentPool::Get()) {
    pool->For(first, last, grain, body);
  } else {
    RunOneByOne(first, last, grain, 0, body);
  }
}

}  // namespace jf::headless
