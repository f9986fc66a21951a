// See timing.h.
#include "presets/timing.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <numeric>

#include "presets/errors.h"
#include "presets/text.h"

namespace jf::presets {
namespace {

constexpr std::int64_t kMaxTime = std::numeric_limits<A_long>::max();

bool Whole(const std::string& s, std::int64_t& out) {
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  return !s.empty() && ec == std::errc() && p == s.data() + s.size();
}

}  // namespace

Rate ParseRate(const std::string& text, const std::string& option) {
  // The abbreviations ffmpeg knows for the common broadcast rates.
  if (text == "ntsc") return {30000, 1001};
  if (text == "pal") return {25, 1};
  if (text == "film") return {24, 1};
  if (text == "ntsc-film") return {24000, 1001};
  Rate rate{0, 1};
  bool ok = false;
  if (const auto slash = text.find('/'); slash != std::string::npos) {
    ok = Whole(text.substr(0, slash), rate.num) && Whole(text.substr(slash + 1), rate.den);
  } else if (const auto dot = text.find('.'); dot != std::string::npos) {
    // Decimals are kept exactly: 29.97 is 2997/100, not a nearby binary fraction.
    const std::string digits = text.substr(0, dot) + text.substr(dot + 1);
    const std::size_t places = text.size() - dot - 1;
    ok = places >= 1 && places <= 6 && Whole(digits, rate.num);
    // Only a rate that passed the check scales its denominator: more places would overflow it.
    for (std::size_t i = 0; ok && i < places; ++i) rate.den *= 10;
  } else {
    ok = Whole(text, rate.num);
  }
  if (!ok || rate.num <= 0 || rate.den <= 0 || rate.num > 1000000 || rate.den > 1000000) {
    throw PresetError(option + " takes a frame rate such as 24, 30000/1001 or 29.97, not " +
                      Quoted(text));
  }
  const std::int64_t g = std::gcd(rate.num, rate.den);
  return Rate{rate.num / g, rate.den / g};
}

std::string RateText(const Rate& rate) {
  return rate.den == 1 ? std::to_string(rate.num)
                       : std::to_string(rate.num) + "/" + std::to_string(rate.den);
}

FrameTime TimeOfFrame(std::int64_t frame, const Rate& rate) {
  if (frame < 0 || frame > kMaxTime / rate.den) {
    throw PresetError("frame " + std::to_string(frame) +
                      " lies outside what the host's 32-bit time " + "carries at " +
                      RateText(rate) + " fps (frames 0 to " + std::to_string(kMaxTime / rate.den) +
                      ")");
  }
  return FrameTime{static_cast<A_long>(frame * rate.den), static_cast<A_long>(rate.den),
                   static_cast<A_u_long>(rate.num), frame};
}

FrameTime TimeOfSeconds(double seconds, const Rate& rate) {
  const double frames = seconds * static_cast<double>(rate.num) / static_cast<double>(rate.den);
  if (!(frames >= 0) || frames > static_cast<double>(kMaxTime / rate.den)) {
    throw PresetError("--time takes seconds from 0 up to the host's 32-bit time, not " +
                      std::to_string(seconds));
  }
  const double nearest = std::round(frames);
  if (std::abs(frames - nearest) < 1e-9)
    return TimeOfFrame(static_cast<std::int64_t>(nearest), rate);
  // Between frames: a time scale a thousand times finer than the frame rate's.
  const std::int64_t scale = rate.num * 1000;
  const std::int64_t step = rate.den * 1000;
  const double ticks = std::round(seconds * static_cast<double>(scale));
  if (ticks > static_cast<double>(kMaxTime) || scale > std::numeric_limits<A_u_long>::max()) {
    throw PresetError("--time " + std::to_string(seconds) +
                      " lies between frames too far out for "
                      "the host's 32-bit time: give a time on a frame");
  }
  const auto time = static_cast<std::int64_t>(ticks);
  return FrameTime{static_cast<A_long>(time), static_cast<A_long>(step),
                   static_cast<A_u_long>(scale), time / step};
}

double SecondsOfFrame(std::int64_t frame, const Rate& rate) {
  return static_cast<double>(frame * rate.den) / static_cast<double>(rate.num);
}

void ApplyTime(const FrameTime& time, headless::RenderSettings& settings) {
  settings.time = time.time;
  settings.timeStep = time.timeStep;
  settings.timeScale = time.timeScale;
}

FrameRange ParseFrameRange(const std::string& text, const std::string& option) {
  FrameRange range;
  const auto dash = text.find('-', 1);
  const bool ok =
      dash == std::string::npos
          ? Whole(text, range.first) && (range.last = range.first, true)
          : Whole(text.substr(0, dash), range.first) && Whole(text.substr(dash + 1), range.last);
  if (!ok || range.first < 0 || range.last < range.first) {
    throw PresetError(option + " takes frames A-B with 0 <= A <= B, or one frame, not " +
                      Quoted(text));
  }
  return range;
}

}  // namespace jf::presets
