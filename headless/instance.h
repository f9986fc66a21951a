// One effect instance's life in a host: global setup, parameter setup, About, UI update, render
// of a frame, global set-down.
#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "AE_Effect.h"
#include "headless/host.h"
#include "headless/module.h"
#include "headless/params.h"
#include "headless/records.h"
#include "headless/worlds.h"

namespace jf::headless {

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
  /// Renders as Render does, but offers input itself to the effect rather than a copy: for a
  /// caller that fills input afresh for every frame and reads nothing from it afterwards, which
  /// saves a frame-sized copy per frame.
  PF_Err RenderLent(World& input, World& output, const RenderSettings& settings = {});

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
  PF_Err RenderFrom(const World& input, World& output, const RenderSettings& settings);
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

/// The host of an operation: the instance's when ref names a live one, else the host current on
/// this thread (null outside its operations and commands).
Host* HostFor(PF_ProgPtr ref);

}  // namespace jf::headless
