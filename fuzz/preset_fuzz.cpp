// Presets and keyframes as any text: parsed, applied to the effect's parameters, schedules
// checked and expanded, and written back. Refusals are PresetError; any other exception, a crash
// or a sanitizer report is a finding.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/effect_rig.h"
#include "presets/errors.h"
#include "presets/preset.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto& rig = jf::fuzz::EffectRig::Get();
  rig.Reset();
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    const jf::presets::Preset preset = jf::presets::ParsePreset(text, "fuzz.json");
    jf::presets::ApplyOptions options;
    options.rate = jf::presets::PresetRate(preset).value_or(jf::presets::Rate{});
    options.matchName = rig.MatchName();
    const auto schedules = jf::presets::ApplyPreset(preset, rig.Params(), options);
    jf::presets::CheckSchedules(schedules, rig.Params(), 0, 2147483647);
    jf::presets::ExpandSchedules(schedules, rig.Params(), options.rate, 0, 30);
    jf::presets::PresetHeader header;
    header.rate = options.rate;
    header.time = jf::presets::PresetTime(preset);
    (void)jf::presets::WritePreset(rig.Params(), header, schedules).dump();
  } catch (const jf::presets::PresetError&) {
  }
  return 0;
}
