// One instance of the filter: an effect instance in the shared host, the values the frei0r host
// set, the preset, and the render of a frame.
#pragma once

#include "frei0r/frei0r_api.h"

#include <cmath>
#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "presets/preset.h"
#include "frei0r/runtime.h"

namespace jf::frei0r {

/// A frei0r time in seconds: ffmpeg passes milliseconds, other hosts seconds. Not finite or
/// negative (ffmpeg's value for a frame without a timestamp) is unknown: NaN.
double TimeInSeconds(double hostTime, bool milliseconds);

class Filter {
 public:
  /// Makes the effect instance and runs its global and parameter setup; throws
  /// std::runtime_error with one line when it cannot.
  Filter(std::shared_ptr<Runtime> runtime, unsigned width, unsigned height);
  ~Filter();
  Filter(const Filter&) = delete;
  Filter& operator=(const Filter&) = delete;

  /// Sets frei0r parameter index from the host's value (double*, f0r_param_color_t* or char**
  /// by the parameter's type). Values that are not numbers, and unknown indices, are ignored
  /// with a message.
  void SetParam(int index, const void* value);
  /// Writes the value a host would set to get the current one; a string is the filter's own
  /// copy, valid until the preset changes.
  void GetParam(int index, void* value);

  /// Renders in into out at seconds (NaN: the last known time). A frame that cannot be rendered
  /// (a preset that could not be used, a failing render) passes through unchanged.
  void Update(double seconds, const std::uint32_t* in, std::uint32_t* out);

  /// Says, once, what ffmpeg's frei0r filter does to frames whose rows are not a multiple of 64
  /// bytes: it hands them over padded, so they come out sheared whatever the effect does.
  void CalledFromFfmpeg();

 private:
  struct Explicit {
    bool set = false;
    double number = 0;
    f0r_param_color_t color{};
  };

  void UsePreset(const std::string& path);
  void StoreExplicit(std::size_t k);
  bool SetByHost(PF_ParamIndex index) const;
  void Render(double seconds, const std::uint32_t* in, std::uint32_t* out);
  bool RenderedInBands(double seconds, const std::uint32_t* in, std::uint32_t* out);
  void PassThrough(const std::uint32_t* in, std::uint32_t* out) const;
  void Complain(const std::string& message);
  void RefusePreset(const std::string& why);

  std::shared_ptr<Runtime> m_runtime;
  std::unique_ptr<headless::Instance> m_instance;
  const std::vector<CatalogEntry>& m_catalog;
  std::vector<PF_ParamDef> m_defaults;  // by effect index, as declared
  A_long m_width;
  A_long m_height;

  // One update or parameter change at a time: the effect instance runs one command at a time,
  // and hosts may call one instance from several threads.
  std::mutex m_mutex;
  std::vector<Explicit> m_explicit;  // by frei0r index
  std::string m_presetPath;
  bool m_presetFailed = false;
  double m_mix = 1;      // how much of the rendered frame is blended over the original
  presets::Rate m_rate;  // the preset's, else 25 frames per second
  std::vector<presets::Schedule> m_schedules;  // the preset's, evaluated at each frame
  double m_lastSeconds = 0;
  std::set<std::string> m_complaints;  // every line said, so each is said once per instance
  bool m_toldOfPadding = false;

  // The last update, to recognise a host that hands one frame over in horizontal bands.
  struct Call {
    double seconds = NAN;
    const std::uint32_t* in = nullptr;
    std::uint32_t* out = nullptr;
  };
  Call m_lastCall;
  bool m_banded = false;

  // The frame's pixels on their way into the effect and out of it, made at the first render.
  std::unique_ptr<headless::World> m_input;
  std::unique_ptr<headless::World> m_output;
  std::vector<float> m_mixCoverage;  // one row of m_mix, for blending row by row
};

}  // namespace jf::frei0r
