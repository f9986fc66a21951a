// See instance.h.
#include "headless/instance.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_set>

#include "headless/platform.h"
#include "headless/records.h"

namespace jf::headless {
namespace {

// Effect references are instance addresses, honoured only while the instance lives.
struct LiveInstances {
  std::mutex mutex;
  std::unordered_set<const void*> instances;
};

LiveInstances& TheLiveInstances() {
  static LiveInstances live;
  return live;
}

// Sends the process's standard output elsewhere while it lives. Streams are flushed on both
// sides so no line lands on the wrong side of the switch. The descriptor is the process's, so
// one redirect at a time holds it: two interleaved ones could leave it pointing at /dev/null.
class StdoutRedirect {
 public:
  explicit StdoutRedirect(StdoutRoute route) : m_hold(TheMutex()) {
    std::cout.flush();
    std::fflush(stdout);
    m_saved = platform::RedirectStdout(route == StdoutRoute::Discard, &m_null);
  }
  ~StdoutRedirect() {
    std::cout.flush();
    std::fflush(stdout);
    platform::RestoreStdout(m_saved, m_null);
  }
  StdoutRedirect(const StdoutRedirect&) = delete;
  StdoutRedirect& operator=(const StdoutRedirect&) = delete;

 private:
  static std::mutex& TheMutex() {
    static std::mutex mutex;
    return mutex;
  }

  std::lock_guard<std::mutex> m_hold;
  int m_saved = -1;
  int m_null = -1;
};

PF_Rect Intersect(const PF_Rect& a, const PF_Rect& b) {
  PF_Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
  if (r.left >= r.right || r.top >= r.bottom) return PF_Rect{0, 0, 0, 0};
  return r;
}

short BitDepth(PF_PixelFormat format) {
  switch (PixelBytes(format)) {
    case 8:
      return 16;
    case 16:
      return 32;
    default:
      return 8;
  }
}

// The application sends PF_Cmd_UPDATE_PARAMS_UI only to effects that ask for it.
bool AsksForUiUpdates(const Module& module) {
  return (module.GetPipl().outFlags & PF_OutFlag_SEND_UPDATE_PARAMS_UI) != 0;
}

bool Supervised(const ParamStore& params, PF_ParamIndex index) {
  return (params.Definition(index).flags & PF_ParamFlag_SUPERVISE) != 0;
}

}  // namespace

Host* HostFor(PF_ProgPtr ref) {
  if (Instance* instance = Instance::FromEffectRef(ref)) return &instance->GetHost();
  return Host::Current();
}

// ---- Instance ----------------------------------------------------------------------------------

// What the render callbacks hand out during one frame.
struct Instance::RenderState {
  PF_EffectWorld input{};
  PF_EffectWorld output{};
  PF_Rect inputBounds{};
  std::map<A_long, PF_EffectWorld> checkouts;  // node addresses stay put
};

Instance::Instance(Host& host, const Module& module) : m_host(host), m_module(module) {
  {
    std::lock_guard lock(TheLiveInstances().mutex);
    TheLiveInstances().instances.insert(this);
  }
  std::lock_guard lock(m_host.m_instancesMutex);
  m_host.m_instances.push_back(this);
}

Instance::~Instance() {
  {
    std::lock_guard lock(TheLiveInstances().mutex);
    TheLiveInstances().instances.erase(this);
  }
  std::lock_guard lock(m_host.m_instancesMutex);
  auto& all = m_host.m_instances;
  all.erase(std::remove(all.begin(), all.end(), this), all.end());
}

Instance* Instance::FromEffectRef(PF_ProgPtr ref) {
  if (ref == nullptr) return nullptr;
  std::lock_guard lock(TheLiveInstances().mutex);
  const void* key = ref;
  return TheLiveInstances().instances.count(key) != 0 ? reinterpret_cast<Instance*>(ref) : nullptr;
}

PF_Err Instance::Dispatch(PF_Cmd cmd, const SendOptions& options) {
  CommandContext context;
  context.effectRef = EffectRef();
  context.basicSuite = m_host.BasicSuite();
  context.applId = m_host.ApplicationId();
  context.numParams = m_params.Count();
  context.globalData = m_globalData;
  context.settings = options.settings;
  if (m_render != nullptr) {
    context.width = m_render->input.width;
    context.height = m_render->input.height;
    context.extent = m_render->output.extent_hint;
  }
  CommandRecords records(context);

  std::vector<PF_ParamDef> defs;
  std::vector<PF_ParamDef*> params;
  if (options.params) {
    const A_long count = m_params.Count();
    defs.reserve(count);
    // The values as they stand at the command's time, keyframes evaluated.
    const A_u_long scale = options.settings.timeScale == 0 ? 1 : options.settings.timeScale;
    const double seconds = static_cast<double>(options.settings.time) / scale;
    for (A_long i = 0; i < count; ++i) defs.push_back(m_params.DefinitionAt(i, seconds));
    for (PF_ParamDef& def : defs) params.push_back(&def);
  }
  if (options.adjust) options.adjust(records.in, records.out);

  PF_Err err = m_host.Run([&] {
    m_command = cmd;
    std::optional<StdoutRedirect> redirect;
    if (options.stdoutRoute != StdoutRoute::Keep) redirect.emplace(options.stdoutRoute);
    PF_Err result = m_module.EntryPoint()(cmd, &records.in, &records.out,
                                          params.empty() ? nullptr : params.data(), options.output,
                                          options.extra);
    m_command = -1;
    return result;
  });

  m_lastOut = records.out;
  // The effect owns its global data and may install or replace it with any command. A set-down
  // that failed has not freed it, so the host keeps offering it.
  const bool freed = cmd == PF_Cmd_GLOBAL_SETDOWN && err == PF_Err_NONE;
  m_globalData = freed ? nullptr : records.out.global_data;
  return err;
}

PF_Err Instance::Send(PF_Cmd cmd, const SendOptions& options) {
  if (cmd == PF_Cmd_PARAMS_SETUP) m_params.Reset();
  PF_Err err = Dispatch(cmd, options);
  if (cmd == PF_Cmd_PARAMS_SETUP) m_reportedParams = m_lastOut.num_params;
  return err;
}

PF_Err Instance::GlobalSetup() {
  SendOptions options;
  options.params = false;
  return Send(PF_Cmd_GLOBAL_SETUP, options);
}

PF_Err Instance::ParamsSetup(StdoutRoute route) {
  SendOptions options;
  options.stdoutRoute = route;
  if (PF_Err err = Send(PF_Cmd_PARAMS_SETUP, options); err != PF_Err_NONE) return err;
  return AsksForUiUpdates(m_module) ? UpdateParamsUI() : PF_Err_NONE;
}

PF_Err Instance::About(std::string* text) {
  SendOptions options;
  options.params = false;
  PF_Err err = Send(PF_Cmd_ABOUT, options);
  if (text != nullptr) {
    *text = std::string(m_lastOut.return_msg,
                        strnlen(m_lastOut.return_msg, sizeof m_lastOut.return_msg));
  }
  return err;
}

PF_Err Instance::FrameSetup(const RenderSettings& settings) {
  SendOptions options;
  options.settings = settings;
  return Send(PF_Cmd_FRAME_SETUP, options);
}

PF_Err Instance::UpdateParamsUI(const RenderSettings& settings) {
  SendOptions options;
  options.settings = settings;
  return Send(PF_Cmd_UPDATE_PARAMS_UI, options);
}

PF_Err Instance::SetNumber(PF_ParamIndex index, double value) {
  m_params.SetNumber(index, value);
  return Supervised(m_params, index) && AsksForUiUpdates(m_module) ? UpdateParamsUI() : PF_Err_NONE;
}

PF_Err Instance::SetColor(PF_ParamIndex index, const PF_Pixel& color) {
  m_params.SetColor(index, color);
  return Supervised(m_params, index) && AsksForUiUpdates(m_module) ? UpdateParamsUI() : PF_Err_NONE;
}

PF_Err Instance::GlobalSetdown() {
  SendOptions options;
  options.params = false;
  return Send(PF_Cmd_GLOBAL_SETDOWN, options);
}

PF_Err Instance::Render(const World& input, World& output, const RenderSettings& settings) {
  if (input.Format() != output.Format()) return PF_Err_BAD_CALLBACK_PARAM;
  // The effect reads a copy, so the caller's input stays as it was whatever the effect does.
  std::unique_ptr<World> inputCopy;
  if (PF_Err err = World::Make(input.Width(), input.Height(), input.Format(), &inputCopy);
      err != PF_Err_NONE) {
    return err;
  }
  for (A_long y = 0; y < input.Height(); ++y) {
    std::memcpy(inputCopy->Row(y), input.Row(y),
                static_cast<std::size_t>(input.Width()) * input.BytesPerPixel());
  }
  return RenderFrom(*inputCopy, output, settings);
}

PF_Err Instance::RenderLent(World& input, World& output, const RenderSettings& settings) {
  if (input.Format() != output.Format()) return PF_Err_BAD_CALLBACK_PARAM;
  return RenderFrom(input, output, settings);
}

PF_Err Instance::RenderFrom(const World& input, World& output, const RenderSettings& settings) {
  // A stage that leaves pixels unwritten gives the same frame every time.
  m_host.Run([&] { output.Clear(); });

  RenderState state;
  state.input = input.Effect();
  state.output = output.Effect();
  state.inputBounds = PF_Rect{0, 0, input.Width(), input.Height()};
  m_render = &state;
  m_params.SetLayerWorld(&state.input);

  PF_RenderRequest request{};
  request.rect = PF_Rect{0, 0, output.Width(), output.Height()};
  request.field = settings.field;
  request.channel_mask = PF_ChannelMask_ARGB;
  const short bitdepth = BitDepth(output.Format());

  PF_PreRenderInput preInput{request, bitdepth};
  PF_PreRenderOutput preOutput{};
  PF_PreRenderCallbacks preCallbacks = PreRenderCallbacksTable();
  PF_PreRenderExtra preExtra{&preInput, &preOutput, &preCallbacks};
  SendOptions options;
  options.settings = settings;
  // Smart commands get no parameter array: values come through checkout_param alone.
  options.params = false;
  options.extra = &preExtra;
  PF_Err err = Send(PF_Cmd_SMART_PRE_RENDER, options);

  if (err == PF_Err_NONE) {
    PF_SmartRenderInput renderInput{request, bitdepth, preOutput.pre_render_data};
    PF_SmartRenderCallbacks renderCallbacks = SmartRenderCallbacksTable();
    PF_SmartRenderExtra renderExtra{&renderInput, &renderCallbacks};
    options.extra = &renderExtra;
    err = Send(PF_Cmd_SMART_RENDER, options);
  }
  if (preOutput.delete_pre_render_data_func != nullptr && preOutput.pre_render_data != nullptr) {
    preOutput.delete_pre_render_data_func(preOutput.pre_render_data);
  }
  m_params.SetLayerWorld(nullptr);
  m_render = nullptr;
  return err;
}

PF_Err Instance::CheckoutLayer(PF_ParamIndex index, A_long checkoutId,
                               const PF_RenderRequest* request, PF_CheckoutResult* result) {
  if (m_render == nullptr || CurrentCommand() != PF_Cmd_SMART_PRE_RENDER) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  if (index != 0)
    return index > 0 && index < m_params.Count() ? PF_Err_BAD_CALLBACK_PARAM : PF_Err_INVALID_INDEX;
  if (request == nullptr || result == nullptr || checkoutId < 0 ||
      m_render->checkouts.count(checkoutId) != 0) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  *result = PF_CheckoutResult{};
  result->result_rect = Intersect(request->rect, m_render->inputBounds);
  result->max_result_rect = m_render->inputBounds;
  result->par = PF_RationalScale{1, 1};
  result->ref_width = m_render->input.width;
  result->ref_height = m_render->input.height;
  PF_EffectWorld world = m_render->input;
  world.extent_hint = result->result_rect;
  m_render->checkouts.emplace(checkoutId, world);
  return PF_Err_NONE;
}

PF_Err Instance::CheckoutLayerPixels(A_long checkoutId, PF_EffectWorld** pixels) {
  if (pixels == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  *pixels = nullptr;
  if (m_render == nullptr || CurrentCommand() != PF_Cmd_SMART_RENDER) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  auto it = m_render->checkouts.find(checkoutId);
  if (it == m_render->checkouts.end()) return PF_Err_BAD_CALLBACK_PARAM;
  *pixels = &it->second;
  return PF_Err_NONE;
}

PF_Err Instance::CheckinLayerPixels(A_long checkoutId) {
  if (m_render == nullptr || CurrentCommand() != PF_Cmd_SMART_RENDER ||
      m_render->checkouts.count(checkoutId) == 0) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  return PF_Err_NONE;
}

PF_Err Instance::CheckoutOutput(PF_EffectWorld** output) {
  if (output == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  *output = nullptr;
  if (m_render == nullptr || CurrentCommand() != PF_Cmd_SMART_RENDER) {
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  *output = &m_render->output;
  return PF_Err_NONE;
}

}  // namespace jf::headless
