// The presets library's one error type: what is wrong with a preset, a parameter name or value,
// a frame rate or time, as one line. Whoever reads the preset decides what it costs: the command
// exits with status 2, the frei0r filter reports it and passes frames through.
#pragma once

#include <stdexcept>
#include <string>

namespace jf::presets {

struct PresetError : std::runtime_error {
  explicit PresetError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace jf::presets
