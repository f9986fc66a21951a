// The host: the gate and accounting, the suites, memory and worlds, the thread pool and the
// options its commands run with; and the one entry every host operation passes.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "AE_Effect.h"
#include "SPBasic.h"
#include "headless/faults.h"
#include "headless/memory.h"
#include "headless/suites.h"
#include "headless/thread_pool.h"
#include "headless/worlds.h"

namespace jf::headless {

/// 'FXTC', the application id of After Effects.
inline constexpr A_long kAfterEffectsApplId = 0x46585443;
/// 'PrMr', the application id of Premiere Pro.
inline constexpr A_long kPremiereApplId = 0x50724D72;

class Instance;

/// What a host provides beyond the module: the gate and accounting every operation goes
/// through, the suites it serves, host memory, the thread pool and the options of its commands.
class Host {
 public:
  Host();
  /// Every instance of the host must be gone first.
  ~Host();
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  Gate& GetGate() { return m_gate; }
  Accounting& GetAccounting() { return m_accounting; }
  SuiteRegistry& Suites() { return m_suites; }

  /// Threads that run iterations and imaging (at least 1), and what runs them; not while a
  /// command runs.
  void SetThreadCount(int threads, ThreadPoolKind kind = DefaultThreadPoolKind());
  int ThreadCount() const { return m_threads; }
  /// Visit rows, pixels and generic indices in reverse order.
  void SetReverseOrder(bool reverse) { m_reverse = reverse; }
  bool ReverseOrder() const { return m_reverse; }
  /// PF_InData::appl_id of later commands (kAfterEffectsApplId unless set).
  void SetApplicationId(A_long id) { m_applId = id; }
  A_long ApplicationId() const { return m_applId; }
  /// While set, the abort callback answers PF_Interrupt_CANCEL and iterations stop with it.
  void SetAbort(bool abort) { m_abort = abort; }
  bool AbortRequested() const { return m_abort; }

  /// What the effects of this host still hold, one item per line ("" when nothing). The global
  /// data handle each instance keeps between commands is not counted.
  std::string Leaks() const;

  /// Runs fn on this host's thread pool, with this host current on the calling thread.
  template <typename Fn>
  auto Run(Fn&& fn) -> decltype(fn()) {
    using Result = decltype(fn());
    if constexpr (std::is_void_v<Result>) {
      m_pool->Execute([&] {
        Activation active(*this);
        fn();
      });
    } else {
      std::optional<Result> result;
      m_pool->Execute([&] {
        Activation active(*this);
        result.emplace(fn());
      });
      return std::move(*result);
    }
  }

  /// The host whose operation or command is running on this thread; null outside them.
  static Host* Current();

  /// Makes host current on this thread while it lives.
  class Activation {
   public:
    explicit Activation(Host& host);
    ~Activation();
    Activation(const Activation&) = delete;
    Activation& operator=(const Activation&) = delete;

   private:
    Host* m_previous;
  };

  // The resources behind the host's operations.
  SPBasicSuite* BasicSuite() { return &m_basic; }
  HandleStore& Handles() { return m_handles; }
  BlockStore& Blocks() { return m_blocks; }
  WorldStore& Worlds() { return m_worlds; }
  ThreadPool& Pool() { return *m_pool; }
  /// Hands out the next general plug-in id.
  A_long NextPluginId() { return m_nextPluginId.fetch_add(1); }

 private:
  friend class Instance;

  Gate m_gate;
  Accounting m_accounting;
  SuiteRegistry m_suites;
  SPBasicSuite m_basic;
  HandleStore m_handles;
  BlockStore m_blocks;
  WorldStore m_worlds;
  std::unique_ptr<ThreadPool> m_pool;
  int m_threads = 1;
  std::atomic<bool> m_reverse{false};
  std::atomic<bool> m_abort{false};
  A_long m_applId = kAfterEffectsApplId;
  std::atomic<A_long> m_nextPluginId{1};
  mutable std::mutex m_instancesMutex;
  std::vector<const Instance*> m_instances;
};

/// The entry of every callback and suite function the host offers: passes host's gate for
/// operation, which counts the call and may fail it on demand. Without a host nothing can be
/// served and the answer is noHost, the caller's code for a bad argument.
PF_Err Enter(Host* host, std::string_view operation, PF_Err noHost = PF_Err_BAD_CALLBACK_PARAM);

}  // namespace jf::headless
