// What an image's metadata records, as --preset-from reads it: the preset attribute and a TIFF
// description (the input split at its first NUL), then the recorded time, depth and
// downsampling as the render command takes them.
#include <cstddef>
#include <cstdint>
#include <string>

#include "cli/errors.h"
#include "cli/render_command.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t nul = input.find('\0');
  const std::string attribute = input.substr(0, nul);
  const std::string description = nul == std::string::npos ? "" : input.substr(nul + 1);
  try {
    const jf::presets::Preset preset = jf::cli::RecordedPreset(attribute, description, "fuzz.png");
    const jf::presets::RecordedRender render = jf::presets::PresetRender(preset);
    if (!render.downsampleX.empty()) jf::cli::ParseScale(render.downsampleX, "downsample_x");
    if (!render.downsampleY.empty()) jf::cli::ParseScale(render.downsampleY, "downsample_y");
    const jf::presets::Rate rate = jf::presets::PresetRate(preset).value_or(jf::presets::Rate{});
    if (const auto time = jf::presets::PresetTime(preset))
      jf::presets::TimeOfFrame(time->frame, rate);
  } catch (const jf::cli::CliError&) {
  } catch (const jf::presets::PresetError&) {
  }
  return 0;
}
