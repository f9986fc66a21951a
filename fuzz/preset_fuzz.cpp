// Presets and keyframes as any text: parsed, applied to the effect's parameters, schedules
// checked and expanded, and written back. Refusals are CliError; any other exception, a crash
// or a sanitizer report is a finding.
#include <cstddef>
#include <cstdint>
#include <string>

#include "cli/errors.h"
#include "cli/preset.h"
#include "fuzz/effect_rig.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto& rig = jf::fuzz::EffectRig::Get();
  rig.Reset();
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    const jf::cli::Preset preset = jf::cli::ParsePreset(text, "fuzz.json");
    jf::cli::ApplyOptions options;
    options.rate = jf::cli::PresetRate(preset).value_or(jf::cli::Rate{});
    options.matchName = rig.MatchName();
    const auto schedules = jf::cli::ApplyPreset(preset, rig.Params(), options);
    jf::cli::CheckSchedules(schedules, rig.Params(), 0, 2147483647);
    jf::cli::ExpandSchedules(schedules, rig.Params(), options.rate, 0, 30);
    jf::cli::PresetHeader header;
    header.rate = options.rate;
    header.time = jf::cli::PresetTime(preset);
    (void)jf::cli::WritePreset(rig.Params(), header, schedules).dump();
  } catch (const jf::cli::CliError&) {
  }
  return 0;
}
