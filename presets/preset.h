// Presets: parameter settings kept in JSON, by group path or index, each a constant value,
// keyframes or a seed schedule. Any host of the module can apply one to its parameter store.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "presets/timing.h"
#include "headless/params.h"

namespace jf::presets {

/// A preset as read, not yet resolved against any effect's parameters.
struct Preset {
  nlohmann::ordered_json document;
  std::string source;  // the file name, for messages
};

/// Parses a preset. Throws PresetError: "SOURCE:LINE:COLUMN: ..." for malformed JSON,
/// "SOURCE: ..." for a document that is not a preset.
Preset ParsePreset(const std::string& text, const std::string& source = "preset");
/// Reads and parses a preset file; throws PresetError naming the file.
Preset LoadPreset(const std::string& path);

/// The frame rate the preset gives ("fps"), if any.
std::optional<Rate> PresetRate(const Preset& preset);
/// The frame time a rendered image's preset records ("time"), if any.
std::optional<FrameTime> PresetTime(const Preset& preset);
/// The render settings a rendered image's preset records ("render"): depth and downsampling.
struct RecordedRender {
  std::optional<int> depth;
  std::string downsampleX;  // "N/D", empty when not recorded
  std::string downsampleY;
};
RecordedRender PresetRender(const Preset& preset);

/// A schedule for a number parameter, most often a random seed: every `every` frames (counted
/// from the burst's first frame, else from frame 0), or every `everyMicros` microseconds of the
/// frames' time at `rate` (counted from the burst's first moment, else from time 0), it steps by
/// `step` from `start`, or jumps to low + ScheduleHash(seed, period) mod (high − low + 1).
/// Outside an optional burst window the parameter holds `rest`. A pure function of the frame
/// number and the rate.
struct Schedule {
  enum class Mode { Step, Draw };
  PF_ParamIndex index = 0;
  Mode mode = Mode::Step;
  std::int64_t every = 1;
  std::int64_t everyMicros = 0;  // > 0: the periods are this long in time instead
  double start = 0;
  double step = 0;
  std::uint64_t seed = 0;
  double low = 0;
  double high = 0;
  bool burst = false;
  std::int64_t burstFirst = 0;  // the burst's frames at rate (first > last: none)
  std::int64_t burstLast = 0;
  std::int64_t burstFirstMicros = -1;  // ≥ 0: the burst was given in time, from this moment
  double rest = 0;
  Rate rate;                      // the frame rate a time-based schedule counts frames at
  nlohmann::ordered_json source;  // as the preset wrote it

  double ValueAt(std::int64_t frame) const;
  /// The period frame falls in (before any burst).
  std::int64_t PeriodOf(std::int64_t frame) const;
  /// The first frame after frame whose period is a later one.
  std::int64_t NextPeriodStart(std::int64_t frame) const;
};

/// SplitMix64's output function (Steele, Lea and Flood, "Fast splittable pseudorandom number
/// generators", 2014) applied to (seed << 32) + period: the draws of seed schedules.
std::uint64_t ScheduleHash(std::uint64_t seed, std::uint64_t period);

struct ApplyOptions {
  Rate rate;              // turns keyframes and schedules given in frames into seconds
  std::string matchName;  // the effect's match name; a preset for another effect is refused
};

/// Resolves every setting of the preset against the store and stores values and keyframes.
/// Returns the schedules, which ExpandSchedules turns into keyframes for the frames wanted.
/// Throws PresetError naming the source and the parameter for anything unknown,
/// malformed or out of range; the store may then hold part of the preset.
std::vector<Schedule> ApplyPreset(const Preset& preset, headless::ParamStore& store,
                                  const ApplyOptions& options);

/// Throws PresetError naming the first frame of first to last on which a schedule leaves
/// its parameter's valid range, in time independent of the number of frames.
void CheckSchedules(const std::vector<Schedule>& schedules, const headless::ParamStore& store,
                    std::int64_t first, std::int64_t last);

/// Gives each scheduled parameter hold keyframes on frames first to last (the first frame and
/// every frame where the value changes). Throws PresetError when a schedule leaves the
/// parameter's valid range over those frames.
void ExpandSchedules(const std::vector<Schedule>& schedules, headless::ParamStore& store,
                     const Rate& rate, std::int64_t first, std::int64_t last);

/// What a written preset records besides the parameters.
struct PresetHeader {
  std::string effectName;
  std::string matchName;
  std::optional<Rate> rate;
  std::optional<FrameTime> time;
  nlohmann::ordered_json render;  // null: not written
};

/// Every value parameter of the store by group path (by index where a path is not unique): its
/// value, its keyframes, or its schedule where schedules name it. ApplyPreset reads it back to
/// the same values.
nlohmann::ordered_json WritePreset(const headless::ParamStore& store, const PresetHeader& header,
                                   const std::vector<Schedule>& schedules = {});

/// A parameter's keyframes as a preset writes them.
nlohmann::ordered_json KeyframesToJson(const PF_ParamDef& def,
                                       const std::vector<headless::Keyframe>& keys);

}  // namespace jf::presets
