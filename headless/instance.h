// The host (gate, accounting, suites, memory, thread pool, options) and one effect instance's
// life: global setup, parameter setup, About, UI update, render of a frame, global set-down.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "AE_Effect.h"
#include "headless/faults.h"
#include "headless/module.h"
#include "headless/params.h"
#include "headless/records.h"
#include "headless/suites.h"
#include "headless/thread_pool.h"
#include "headless/worlds.h"

namespace jf::headless {

/// 'FXTC', the application id of After Effects.
inline constexpr A_long kAfterEffectsApplId = 0x46585443;
/// 'PrMr', the application id of Premiere Pro.
inline constexpr A_long kPremiereApplId = 0x50724D72;

/// What a host provides beyond the module: the gate and accounting every operation goes
/// through, the suites it serves, host memory, the thread pool and the options of its commands.
class Instance;

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

/// Where the module's standard output goes during a command: left alone, sent to standard
/// error, or thrown away. Standard output is the process's, so while a command runs with a
/// route other than Keep, output of other threads goes the same way.
enum class StdoutRoute { Keep, ToStderr, Discard };

/// A command sent as it stands, for effects' unusual cases.
struct SendOptions {
  RenderSettings settings;
  /// The command's extra record (PF_PreRenderExtra, PF_SmartRenderExtra, ...).
  void* extra = nullptr;
  /// The output world passed to the entry point.
  PF_LayerDef* output = nullptr;
  /// Pass the parameter array (index 0 the input layer, then the current values).
  bool params = true;
  /// Last changes to the records before the entry point is called (e.g. pica_basicP = null).
  std::function<void(PF_InData&, PF_OutData&)> adjust;
  StdoutRoute stdoutRoute = StdoutRoute::Keep;
};

/// One instance of an effect in a host. Every command runs on the host's thread pool with the
/// host current, and returns the module's PF_Err unchanged. One command at a time per instance.
class Instance {
 public:
  Instance(Host& host, const Module& module);
  ~Instance();
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  /// PF_Cmd_GLOBAL_SETUP; keeps the global data the effect installs.
  PF_Err GlobalSetup();
  /// PF_Cmd_PARAMS_SETUP; the definitions start again from the input layer alone. The effect may
  /// print while it declares; ToStderr or Discard keep those lines off standard output. Then,
  /// as the application does, PF_Cmd_UPDATE_PARAMS_UI if the effect's PiPL asks for it
  /// (PF_OutFlag_SEND_UPDATE_PARAMS_UI). Returns the first failing command's result.
  PF_Err ParamsSetup(StdoutRoute route = StdoutRoute::Keep);
  /// PF_Cmd_ABOUT; text receives the effect's message.
  PF_Err About(std::string* text);
  PF_Err FrameSetup(const RenderSettings& settings = {});
  PF_Err UpdateParamsUI(const RenderSettings& settings = {});
  /// Sets a value as a user would (ParamStore::SetNumber, SetColor, which throw ParamError) and,
  /// when the parameter is supervised and the PiPL asks for it, sends PF_Cmd_UPDATE_PARAMS_UI as
  /// the application does; returns that command's result (PF_Err_NONE when none is sent).
  PF_Err SetNumber(PF_ParamIndex index, double value);
  PF_Err SetColor(PF_ParamIndex index, const PF_Pixel& color);
  /// PF_Cmd_GLOBAL_SETDOWN; the global data is the effect's to free, and is forgotten.
  PF_Err GlobalSetdown();

  /// Renders one frame by smart pre-render then smart render: the output is requested whole,
  /// the input is offered over the request's overlap with it (as a copy, so input never
  /// changes), and output starts cleared. PF_Err_BAD_CALLBACK_PARAM without calling the module
  /// when the worlds are not of one format.
  PF_Err Render(const World& input, World& output, const RenderSettings& settings = {});

  /// Sends cmd with records built as for any command, changed by options.
  PF_Err Send(PF_Cmd cmd, const SendOptions& options = {});

  ParamStore& Params() { return m_params; }
  const ParamStore& Params() const { return m_params; }
  /// The out-data record of the last command.
  const PF_OutData& LastOutData() const { return m_lastOut; }
  PF_Handle GlobalData() const { return m_globalData; }
  PF_ProgPtr EffectRef() const { return reinterpret_cast<PF_ProgPtr>(const_cast<Instance*>(this)); }
  /// The number of parameters the effect reported in PF_OutData::num_params at parameter setup
  /// (0 before); compare with Params().Count().
  A_long ReportedParamCount() const { return m_reportedParams; }
  /// The command being sent, or -1 between commands.
  PF_Cmd CurrentCommand() const { return m_command.load(); }
  Host& GetHost() { return m_host; }
  const Module& GetModule() const { return m_module; }

  /// The live instance an effect reference stands for; null for anything else.
  static Instance* FromEffectRef(PF_ProgPtr ref);

  // The host's side of the render callbacks, reached through the effect reference.
  PF_Err CheckoutLayer(PF_ParamIndex index, A_long checkoutId, const PF_RenderRequest* request,
                       PF_CheckoutResult* result);
  PF_Err CheckoutLayerPixels(A_long checkoutId, PF_EffectWorld** pixels);
  PF_Err CheckinLayerPixels(A_long checkoutId);
  PF_Err CheckoutOutput(PF_EffectWorld** output);

 private:
  struct RenderState;
  PF_Err Dispatch(PF_Cmd cmd, const SendOptions& options);

  Host& m_host;
  const Module& m_module;
  ParamStore m_params;
  PF_Handle m_globalData = nullptr;
  PF_OutData m_lastOut{};
  A_long m_reportedParams = 0;
  std::atomic<PF_Cmd> m_command{-1};
  RenderState* m_render = nullptr;
};

}  // namespace jf::headless
