// `jitterforge render`: one image, or a numbered sequence, through the effect; and what the
// commands that render share: the look (preset, settings, frame rate) and one frame's render.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/errors.h"
#include "cli/image_io.h"
#include "presets/preset.h"
#include "cli/session.h"

namespace jf::cli {

/// How the parameters are set: a shipped look, a preset file or the preset an image records,
/// then --set.
struct LookOptions {
  std::string look;                   // --look NAME
  std::string preset;                 // --preset FILE
  std::string presetFrom;             // --preset-from IMAGE
  std::vector<std::string> settings;  // --set KEY=VALUE, after the preset
  std::string fps;                    // --fps; else the preset's; else 25
};

/// A look read and checked before anything is loaded or rendered.
struct Look {
  std::optional<Preset> preset;
  Rate rate;
  std::vector<std::string> settings;
  std::vector<Schedule> schedules;  // filled by ApplyLook
};

/// Reads the preset (file or image metadata) and the frame rate; throws CliError (status 2).
Look LoadLook(const LookOptions& options);
/// Applies the preset and then the settings to the session's parameters; a setting replaces
/// any schedule of its parameter.
void ApplyLook(Look& look, Session& session);
/// The preset that reproduces the session's parameters with this look, recording the frame time
/// and render settings when given: an image's provenance.
nlohmann::ordered_json LookPreset(const Look& look, Session& session,
                                  const std::optional<FrameTime>& time = std::nullopt,
                                  const nlohmann::ordered_json& render = nullptr);

/// The time a frame renders at, from --time or --frame at the look's rate.
struct TimeOptions {
  std::optional<double> seconds;
  std::optional<std::int64_t> frame;
};

struct RenderOptions {
  std::string input;   // a file or a numbered pattern (in_%04d.png); empty with sample
  std::string output;  // a file or a numbered pattern
  bool sample = false;
  int depth = 0;  // 0: as the preset records, else as the input file calls for
  LookOptions look;
  TimeOptions time;
  std::string frames;        // "A-B" for a sequence
  std::string matte;         // a file or a numbered pattern
  std::string matteChannel;  // "alpha", "luma" or empty (alpha when the matte has one)
  bool invertMatte = false;
  double mix = 1;  // how much of the rendered frame is blended over the original, 0 to 1
  bool quiet = false;
  std::string downsample;  // "N/D" for both axes
  std::string downsampleX;
  std::string downsampleY;
  std::uint64_t maxPixels = 0;  // --max-pixels; 0: the machine's default
  SessionOptions session;
  // Kept for callers that set parameters directly; appended to look.settings.
  std::vector<std::string> settings;
};

/// The preset an image at path records: its preset attribute, else a TIFF description holding
/// one. Throws CliError (status 2) naming the image when there is none or it is malformed.
Preset RecordedPreset(const std::string& presetText, const std::string& description,
                      const std::string& path);

/// Parses "N/D" or "N" into a scale with a positive denominator; throws CliError (status 2).
PF_RationalScale ParseScale(const std::string& text, const std::string& option);

/// Whether a path holds a frame-number pattern (%d or %0Nd).
bool HasFramePattern(const std::string& path);
/// The path with its pattern replaced by the frame number; a path without one is unchanged.
std::string FramePath(const std::string& pattern, std::int64_t frame);

/// Renders one frame of image (in the host layout) at settings; throws CliError (status 1).
HostImage RenderFrame(Session& session, const HostImage& image,
                      const headless::RenderSettings& settings);

/// Renders input (or the built-in sample) to output, one image or frames A to B; throws
/// CliError on failure.
void RunRender(const RenderOptions& options);

}  // namespace jf::cli
