// See filter.h.
#include "frei0r/filter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "presets/looks.h"
#include "headless/blend_pixels.h"
#include "headless/error_name.h"
#include "headless/raw_frames.h"
#include "presets/timing.h"
#include "frei0r/pixels.h"

namespace jf::frei0r {

double TimeInSeconds(double hostTime, bool milliseconds) {
  if (!std::isfinite(hostTime) || hostTime < 0) return NAN;
  return milliseconds ? hostTime / 1000.0 : hostTime;
}

Filter::Filter(std::shared_ptr<Runtime> runtime, unsigned width, unsigned height)
    : m_runtime(std::move(runtime)),
      m_catalog(Catalog()),
      m_width(static_cast<A_long>(std::min(width, 1u << 30))),
      m_height(static_cast<A_long>(std::min(height, 1u << 30))) {
  // Worlds are refused outside this size, so say so now rather than at every frame.
  if (width < 1 || height < 1 || width > 30000 || height > 30000) {
    throw std::runtime_error("frames of " + std::to_string(width) + "x" + std::to_string(height) +
                             " are outside 1x1 to 30000x30000");
  }
  m_instance = std::make_unique<headless::Instance>(m_runtime->host, m_runtime->module);
  if (std::string error = SetUp(*m_instance); !error.empty()) throw std::runtime_error(error);
  const headless::ParamStore& store = m_instance->Params();
  for (PF_ParamIndex i = 0; i < store.Count(); ++i) m_defaults.push_back(store.Definition(i));
  m_explicit.resize(m_catalog.size());
}

Filter::~Filter() {
  m_instance->GlobalSetdown();
}

void Filter::Complain(const std::string& message) {
  // A host may repeat the call that failed for every frame, or alternate two; one line each is
  // enough.
  if (!m_complaints.insert(message).second) return;
  std::fprintf(stderr, "jitterforge: %s\n", message.c_str());
}

void Filter::RefusePreset(const std::string& why) {
  m_presetFailed = true;
  // A frei0r filter has no way to fail its host's run: a batch would get the clip unchanged
  // and a success. Who would rather have the run fail says so in the environment.
  if (const char* strict = std::getenv("JITTERFORGE_STRICT");
      strict != nullptr && *strict != '\0' && std::strcmp(strict, "0") != 0) {
    std::fprintf(stderr,
                 "jitterforge: %s; JITTERFORGE_STRICT is set, so the process ends (status 2)\n",
                 why.c_str());
    std::fflush(stderr);
    // At once: the host's exit handlers and destructors, run from inside one of its filter
    // calls with its threads and ours at work, could hang or crash on the way out.
    std::_Exit(2);
  }
  Complain(why + "; frames pass through unchanged");
}

void Filter::CalledFromFfmpeg() {
  std::lock_guard lock(m_mutex);
  if (m_toldOfPadding) return;
  m_toldOfPadding = true;
  if (m_width * 4 % 64 == 0) return;
  const std::string w = std::to_string(m_width);
  const std::string h = std::to_string(m_height);
  Complain("ffmpeg hands frei0r filters rows padded to a multiple of 64 bytes, so at a width of " +
           w +
           " (not a multiple of 16) every frame comes out sheared, even with no stage on; pad "
           "the width and crop it back (-vf \"pad=ceil(iw/16)*16:ih,frei0r=jitterforge:...,crop=" +
           w + ":" + h + ":0:0\") or pipe the frames through `jitterforge stream`");
}

void Filter::SetParam(int index, const void* value) {
  std::lock_guard lock(m_mutex);
  if (index < 0 || index >= static_cast<int>(m_catalog.size()) || value == nullptr) {
    Complain("no parameter " + std::to_string(index));
    return;
  }
  const CatalogEntry& entry = m_catalog[index];
  Explicit next{true, 0, {}};
  switch (entry.type) {
    case F0R_PARAM_STRING: {
      const char* text = *static_cast<const char* const*>(value);
      UsePreset(text != nullptr ? text : "");
      return;
    }
    case F0R_PARAM_COLOR:
      next.color = *static_cast<const f0r_param_color_t*>(value);
      if (!std::isfinite(next.color.r) || !std::isfinite(next.color.g) ||
          !std::isfinite(next.color.b)) {
        Complain("\"" + entry.name + "\" takes three numbers 0 to 1; kept as it was");
        return;
      }
      break;
    default:
      next.number = *static_cast<const double*>(value);
      if (!std::isfinite(next.number)) {
        Complain("\"" + entry.name + "\" takes a number; kept as it was");
        return;
      }
      break;
  }
  Explicit& slot = m_explicit[index];
  // Hosts that animate parameters set every one before every frame, mostly to what it was.
  if (slot.set && slot.number == next.number && slot.color.r == next.color.r &&
      slot.color.g == next.color.g && slot.color.b == next.color.b) {
    return;
  }
  slot = next;
  StoreExplicit(static_cast<std::size_t>(index));
}

void Filter::StoreExplicit(std::size_t k) {
  const Explicit& slot = m_explicit[k];
  const PF_ParamIndex index = m_catalog[k].index;
  if (index == kMixIndex) {
    m_mix = std::clamp(slot.number, 0.0, 1.0);
    return;
  }
  const PF_ParamDef& def = m_defaults[index];
  headless::ParamStore& store = m_instance->Params();
  // Setting a value drops the preset's keyframes for it: what the host sets wins.
  if (def.param_type == PF_Param_COLOR) {
    PF_Pixel c = def.u.cd.value;
    c.red = ToChannel(slot.color.r);
    c.green = ToChannel(slot.color.g);
    c.blue = ToChannel(slot.color.b);
    store.SetColor(index, c);
  } else {
    store.SetNumber(index, ToDisplay(ScaleOf(def), slot.number));
  }
}

void Filter::GetParam(int index, void* value) {
  std::lock_guard lock(m_mutex);
  if (index < 0 || index >= static_cast<int>(m_catalog.size()) || value == nullptr) return;
  const CatalogEntry& entry = m_catalog[index];
  const Explicit& slot = m_explicit[index];
  if (entry.type == F0R_PARAM_STRING) {
    *static_cast<const char**>(value) = m_presetPath.c_str();
    return;
  }
  if (entry.index == kMixIndex) {
    *static_cast<double*>(value) = m_mix;
    return;
  }
  const PF_ParamDef def = m_instance->Params().Definition(entry.index);
  if (entry.type == F0R_PARAM_COLOR) {
    const PF_Pixel& c = def.u.cd.value;
    *static_cast<f0r_param_color_t*>(value) =
        slot.set ? slot.color
                 : f0r_param_color_t{FromChannel(c.red), FromChannel(c.green), FromChannel(c.blue)};
    return;
  }
  *static_cast<double*>(value) = slot.set ? slot.number : ToFrei0r(ScaleOf(def), DisplayValue(def));
}

void Filter::UsePreset(const std::string& path) {
  if (path == m_presetPath) return;
  m_presetPath = path;
  m_presetFailed = false;
  m_rate = presets::Rate{};
  m_schedules.clear();
  // Start again from the declared values, so nothing of an earlier preset stays.
  headless::ParamStore& store = m_instance->Params();
  for (const CatalogEntry& entry : m_catalog) {
    if (entry.index <= 0) continue;
    const PF_ParamDef& def = m_defaults[entry.index];
    if (def.param_type == PF_Param_COLOR) {
      store.SetColor(entry.index, def.u.cd.value);
    } else {
      store.SetNumber(entry.index, DisplayValue(def));
    }
  }
  if (!path.empty()) {
    try {
      // The preset parameter takes a shipped look's name as well as a file.
      const presets::Preset preset =
          presets::LoadPreset(presets::PresetOrLook(path, presets::LookFolders(FilterPrefix())));
      m_rate = presets::PresetRate(preset).value_or(presets::Rate{});
      presets::ApplyOptions options;
      options.rate = m_rate;
      options.matchName = m_runtime->module.GetPipl().matchName;
      m_schedules = presets::ApplyPreset(preset, store, options);
    } catch (const std::exception& e) {
      RefusePreset(e.what());
    }
  }
  for (std::size_t k = 0; k < m_explicit.size(); ++k) {
    if (m_explicit[k].set) StoreExplicit(k);
  }
}

bool Filter::SetByHost(PF_ParamIndex index) const {
  for (std::size_t k = 0; k < m_catalog.size(); ++k) {
    if (m_catalog[k].index == index) return m_explicit[k].set;
  }
  return false;
}

void Filter::PassThrough(const std::uint32_t* in, std::uint32_t* out) const {
  if (in != out) {
    std::memmove(out, in, static_cast<std::size_t>(m_width) * m_height * sizeof(std::uint32_t));
  }
}

bool Filter::RenderedInBands(double seconds, const std::uint32_t* in, std::uint32_t* out) {
  const Call last = m_lastCall;
  m_lastCall = Call{seconds, in, out};
  if (m_banded) return true;
  // MLT with a threads property makes instances a fraction of the frame high and hands each one
  // adjacent bands of one frame at one time. The effect moves pixels across the whole frame, so
  // bands rendered as frames of their own would show seams and misplaced blocks.
  if (!std::isfinite(seconds) || seconds != last.seconds || last.in == nullptr) return false;
  const auto bandBytes = static_cast<std::intptr_t>(m_width) * m_height * 4;
  const std::intptr_t inStep =
      reinterpret_cast<std::intptr_t>(in) - reinterpret_cast<std::intptr_t>(last.in);
  const std::intptr_t outStep =
      reinterpret_cast<std::intptr_t>(out) - reinterpret_cast<std::intptr_t>(last.out);
  if (inStep == 0 || inStep != outStep || inStep % bandBytes != 0) return false;
  m_banded = true;
  // The band before this one belongs to the same frame, which the host still holds.
  PassThrough(last.in, last.out);
  Complain(
      "the host renders this filter in horizontal bands (MLT's threads property); the effect "
      "works on whole frames, so frames pass through unchanged: remove threads=N");
  return true;
}

void Filter::Update(double seconds, const std::uint32_t* in, std::uint32_t* out) {
  if (in == nullptr || out == nullptr) return;
  std::lock_guard lock(m_mutex);
  if (RenderedInBands(seconds, in, out) || m_presetFailed) {
    PassThrough(in, out);
    return;
  }
  if (std::isnan(seconds)) {
    seconds = m_lastSeconds;
  } else {
    m_lastSeconds = seconds;
  }
  try {
    Render(seconds, in, out);
  } catch (const std::exception& e) {
    Complain(std::string(e.what()) + "; the frame passes through unchanged");
    PassThrough(in, out);
  }
}

void Filter::Render(double seconds, const std::uint32_t* in, std::uint32_t* out) {
  // The time as the command gives it for the same frame, so keyframes meet frames alike.
  const presets::FrameTime time = presets::TimeOfSeconds(seconds, m_rate);
  headless::RenderSettings settings;
  presets::ApplyTime(time, settings);
  headless::ParamStore& store = m_instance->Params();
  for (const presets::Schedule& schedule : m_schedules) {
    if (!SetByHost(schedule.index)) store.SetNumber(schedule.index, schedule.ValueAt(time.frame));
  }

  // The two worlds serve every frame: the input is filled afresh from the frame and the render
  // clears the output first, so nothing of one frame reaches the next.
  if (!m_input) {
    m_input = std::make_unique<headless::World>(m_width, m_height, PF_PixelFormat_ARGB32);
    m_output = std::make_unique<headless::World>(m_width, m_height, PF_PixelFormat_ARGB32);
  }
  headless::Host& host = m_runtime->host;
  host.Run([&] { FrameToWorld(in, *m_input); });
  if (PF_Err err = m_instance->RenderLent(*m_input, *m_output, settings); err != PF_Err_NONE) {
    throw std::runtime_error("the effect's render failed: " + headless::ErrorName(err));
  }
  if (m_mix < 1) {
    // As the command mixes: the rendered frame over the original in the host's layout, with
    // the same coverage at every pixel.
    m_mixCoverage.assign(static_cast<std::size_t>(m_width), static_cast<float>(m_mix));
    host.Run([&] {
      headless::ForRows(m_height, [&](int begin, int end) {
        for (int y = begin; y < end; ++y) {
          headless::BlendPixels(8, m_input->Row(y), m_output->Row(y), m_mixCoverage.data(),
                                m_mixCoverage.size());
        }
      });
    });
  }
  host.Run([&] { WorldToFrame(*m_output, out); });
}

}  // namespace jf::frei0r
