// Frame rates and frame times as the host passes them: current_time, time_step and time_scale.
#pragma once

#include <cstdint>
#include <string>

#include "headless/records.h"

namespace jf::presets {

/// Frames per second as an exact fraction num/den, both positive.
struct Rate {
  std::int64_t num = 25;  // ffmpeg's rate for image sequences when none is given
  std::int64_t den = 1;
  bool operator==(const Rate&) const = default;
};

/// Parses "24", "30000/1001" or a decimal such as "29.97" (kept exactly: 2997/100), as ffmpeg
/// takes a rate. Throws PresetError naming option.
Rate ParseRate(const std::string& text, const std::string& option);
/// "24" or "30000/1001".
std::string RateText(const Rate& rate);

/// A frame's time as the host passes it, and the frame number it falls in.
struct FrameTime {
  A_long time = 0;
  A_long timeStep = 1;
  A_u_long timeScale = 25;
  std::int64_t frame = 0;
};

/// Frame n of a clip at rate num/den: time_scale num, time_step den, current_time n × den.
/// Throws PresetError for a negative frame or one past the 32-bit time.
FrameTime TimeOfFrame(std::int64_t frame, const Rate& rate);
/// A time in seconds at rate num/den: on the frame grid when it falls on a frame, else in
/// thousandths of a frame. Throws PresetError for a negative or too large time.
FrameTime TimeOfSeconds(double seconds, const Rate& rate);
/// The seconds a key on frame n stands at, computed as the parameter store reads a frame's
/// time (current_time / time_scale), so a key on a frame is met exactly by that frame.
double SecondsOfFrame(std::int64_t frame, const Rate& rate);

/// Puts the time into render settings.
void ApplyTime(const FrameTime& time, headless::RenderSettings& settings);

/// An inclusive frame range "A-B" or a single frame "A" (A, B ≥ 0, A ≤ B). Throws PresetError.
struct FrameRange {
  std::int64_t first = 0;
  std::int64_t last = 0;
};
FrameRange ParseFrameRange(const std::string& text, const std::string& option);

}  // namespace jf::presets
