// See render_command.h.
#include "cli/render_command.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <map>
#include <regex>

#include "cli/errors.h"
#include "presets/looks.h"
#include "cli/matte.h"
#include "cli/output_file.h"
#include "presets/param_args.h"
#include "cli/progress.h"
#include "presets/text.h"

namespace jf::cli {
namespace {

namespace fs = std::filesystem;

// The metadata key of a rendered image's preset.
constexpr const char* kPresetKey = "jitterforge:preset";

void CopyIn(const HostImage& image, headless::World& world) {
  for (int y = 0; y < image.height; ++y) {
    std::memcpy(world.Row(y), image.data.data() + y * image.RowBytes(), image.RowBytes());
  }
}

void CopyOut(const headless::World& world, HostImage& image) {
  for (int y = 0; y < image.height; ++y) {
    std::memcpy(image.data.data() + y * image.RowBytes(), world.Row(y), image.RowBytes());
  }
}

// The one pattern a numbered path may hold: %d or %0Nd, as ffmpeg writes image sequences.
const std::regex& FramePattern() {
  static const std::regex pattern("%(0[0-9]+)?d");
  return pattern;
}

// The preset an image records, read back from its metadata.
Preset PresetFromImage(const std::string& path) {
  const auto texts = ReadTextAttributes(path, {kPresetKey, "ImageDescription"});
  return RecordedPreset(texts[0], texts[1], path);
}

std::map<std::string, std::string> Provenance(const std::string& output,
                                              const nlohmann::ordered_json& preset) {
  std::map<std::string, std::string> metadata;
  metadata["Software"] = std::string("jitterforge ") + JF_VERSION;
  const std::string text = preset.dump();
  metadata[kPresetKey] = text;
  if (OutputFormatName(output) == "tiff") metadata["ImageDescription"] = text;
  return metadata;
}

}  // namespace

Preset RecordedPreset(const std::string& presetText, const std::string& description,
                      const std::string& path) {
  std::string text = presetText;
  // TIFF keeps no attributes of its own; there the preset is the image description.
  if (text.empty() && description.find("\"parameters\"") != std::string::npos) text = description;
  if (text.empty()) {
    throw CliError("'" + path + "' records no preset (it was not written by jitterforge)", 2);
  }
  return ParsePreset(text, path + " (its recorded preset)");
}

PF_RationalScale ParseScale(const std::string& text, const std::string& option) {
  long num = 0;
  long den = 1;
  const auto slash = text.find('/');
  const std::string a = text.substr(0, slash);
  const std::string b = slash == std::string::npos ? "1" : text.substr(slash + 1);
  auto whole = [](const std::string& s, long& out) {
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && p == s.data() + s.size() && !s.empty();
  };
  if (!whole(a, num) || !whole(b, den) || num <= 0 || den <= 0 || num > den || den > 1 << 20) {
    throw CliError(option + " takes a factor N/D with 0 < N <= D, such as 1/2, not " + Quoted(text),
                   2);
  }
  return PF_RationalScale{static_cast<A_long>(num), static_cast<A_u_long>(den)};
}

bool HasFramePattern(const std::string& path) {
  return std::regex_search(path, FramePattern());
}

std::string FramePath(const std::string& pattern, std::int64_t frame) {
  std::smatch match;
  if (!std::regex_search(pattern, match, FramePattern())) return pattern;
  const int width = match[1].matched ? std::stoi(match[1].str()) : 0;
  std::string number = std::to_string(frame);
  if (static_cast<int>(number.size()) < width) number.insert(0, width - number.size(), '0');
  return match.prefix().str() + number + match.suffix().str();
}

Look LoadLook(const LookOptions& options) {
  if ((!options.look.empty()) + (!options.preset.empty()) + (!options.presetFrom.empty()) > 1) {
    throw CliError("give one of --look, --preset and --preset-from", 2);
  }
  Look look;
  if (!options.look.empty())
    look.preset = LoadPreset(FindLook(options.look, LookFolders()).string());
  if (!options.preset.empty()) look.preset = LoadPreset(options.preset);
  if (!options.presetFrom.empty()) look.preset = PresetFromImage(options.presetFrom);
  if (!options.fps.empty()) {
    look.rate = ParseRate(options.fps, "--fps");
  } else if (look.preset) {
    if (auto rate = PresetRate(*look.preset)) look.rate = *rate;
  }
  look.settings = options.settings;
  return look;
}

void ApplyLook(Look& look, Session& session) {
  auto& store = session.Params();
  if (look.preset) {
    ApplyOptions apply;
    apply.rate = look.rate;
    apply.matchName = session.GetModule().GetPipl().matchName;
    look.schedules = ApplyPreset(*look.preset, store, apply);
  }
  // A setting on the command line wins over the preset, schedule and all.
  for (PF_ParamIndex index : ApplySettings(store, look.settings)) {
    look.schedules.erase(std::remove_if(look.schedules.begin(), look.schedules.end(),
                                        [&](const Schedule& s) { return s.index == index; }),
                         look.schedules.end());
  }
}

nlohmann::ordered_json LookPreset(const Look& look, Session& session,
                                  const std::optional<FrameTime>& time,
                                  const nlohmann::ordered_json& render) {
  PresetHeader header;
  header.time = time;
  header.render = render;
  const auto& pipl = session.GetModule().GetPipl();
  header.effectName = pipl.name;
  header.matchName = pipl.matchName;
  header.rate = look.rate;
  return WritePreset(session.Params(), header, look.schedules);
}

// The depth a render runs at: --depth, else the depth the preset records of its render (so a
// recorded render is reproduced), else what the input file calls for, lowered where the output's
// format holds less, with a line that says so.
int RenderDepth(const RenderOptions& options, const RecordedRender& recorded, std::int64_t frame) {
  if (options.depth != 0) return options.depth;
  if (recorded.depth) return *recorded.depth;
  if (options.sample) return 8;
  const std::string input = FramePath(options.input, frame);
  const std::string output = FramePath(options.output, frame);
  const int wanted = ImageFileDepth(input);
  const int deepest = DeepestOutputDepth(output);
  if (wanted <= deepest) return wanted;
  std::cerr << "jitterforge: '" << input << "' calls for " << wanted << " bits; rendering at "
            << deepest << ", the most '" << output << "' holds (--depth chooses)\n";
  return deepest;
}

HostImage RenderFrame(Session& session, const HostImage& image,
                      const headless::RenderSettings& settings) {
  const PF_PixelFormat format = headless::FormatOfDepth(image.depth);
  headless::World input(image.width, image.height, format);
  headless::World output(image.width, image.height, format);
  CopyIn(image, input);
  if (PF_Err err = session.GetInstance().Render(input, output, settings); err != PF_Err_NONE) {
    throw CliError("rendering failed: " + ErrorName(err), 1);
  }
  HostImage result = image;
  CopyOut(output, result);
  return result;
}

void RunRender(const RenderOptions& options) {
  // Everything that can be refused is refused before anything renders or is written.
  LookOptions lookOptions = options.look;
  lookOptions.settings.insert(lookOptions.settings.end(), options.settings.begin(),
                              options.settings.end());
  Look look = LoadLook(lookOptions);
  const RecordedRender recorded = look.preset ? PresetRender(*look.preset) : RecordedRender{};
  const std::optional<FrameTime> recordedTime =
      look.preset ? PresetTime(*look.preset) : std::nullopt;

  if (options.depth != 0 && options.depth != 8 && options.depth != 16 && options.depth != 32) {
    throw CliError("--depth takes 8, 16 or 32", 2);
  }
  headless::RenderSettings settings;
  nlohmann::ordered_json renderRecord;
  // Each factor from its own option, else --downsample, else what the preset records; a message
  // names where the factor came from.
  auto factor = [&](const std::string& own, const char* ownName, const std::string& fromRecord,
                    const char* recordName) -> std::pair<std::string, std::string> {
    if (!own.empty()) return {own, ownName};
    if (!options.downsample.empty()) return {options.downsample, "--downsample"};
    return {fromRecord, look.preset ? look.preset->source + ": \"render\"." + recordName : ""};
  };
  const auto [dsx, dsxName] =
      factor(options.downsampleX, "--downsample-x", recorded.downsampleX, "downsample_x");
  const auto [dsy, dsyName] =
      factor(options.downsampleY, "--downsample-y", recorded.downsampleY, "downsample_y");
  if (!dsx.empty()) {
    settings.downsampleX = ParseScale(dsx, dsxName);
    renderRecord["downsample_x"] = dsx;
  }
  if (!dsy.empty()) {
    settings.downsampleY = ParseScale(dsy, dsyName);
    renderRecord["downsample_y"] = dsy;
  }

  // The frames: a range for a sequence, else one frame at --frame, --time, the recorded time or
  // frame 0.
  const bool sequence = !options.frames.empty();
  if (sequence && (options.time.frame || options.time.seconds)) {
    throw CliError("--frames renders a range: give it without --frame or --time", 2);
  }
  if (options.time.frame && options.time.seconds) {
    throw CliError("give --frame or --time, not both", 2);
  }
  FrameRange range;
  std::optional<FrameTime> single;
  if (sequence) {
    range = ParseFrameRange(options.frames, "--frames");
    // Both ends within the host's time before anything is read, let alone rendered.
    for (const std::int64_t end : {range.first, range.last}) {
      try {
        TimeOfFrame(end, look.rate);
      } catch (const PresetError& e) {
        throw CliError("--frames " + Quoted(options.frames) + ": " + e.what(), 2);
      }
    }
    if (range.last > range.first && !HasFramePattern(options.output)) {
      throw CliError(
          "a sequence's OUTPUT names its frames with %d or %04d, not '" + options.output + "'", 2);
    }
  } else {
    if (HasFramePattern(options.output)) {
      throw CliError("OUTPUT '" + options.output + "' is numbered: give --frames A-B", 2);
    }
    single = options.time.frame     ? TimeOfFrame(*options.time.frame, look.rate)
             : options.time.seconds ? TimeOfSeconds(*options.time.seconds, look.rate)
             : recordedTime         ? *recordedTime
                                    : TimeOfFrame(0, look.rate);
    range.first = range.last = single->frame;
  }
  if (!options.sample && HasFramePattern(options.input) && !sequence) {
    throw CliError("INPUT '" + options.input + "' is numbered: give --frames A-B", 2);
  }
  const MatteChannel matteChannel = ParseMatteChannel(options.matteChannel);
  if (options.matte.empty() && (!options.matteChannel.empty() || options.invertMatte)) {
    throw CliError("--matte-channel and --invert-matte need --matte FILE", 2);
  }
  const int depth = RenderDepth(options, recorded, range.first);
  renderRecord["depth"] = depth;
  CheckOutputFormat(FramePath(options.output, range.first), depth);
  const std::string input = options.sample ? "" : options.input;
  auto inputsOf = [&](std::int64_t f) {
    return std::vector<std::string>{input.empty() ? "" : FramePath(input, f),
                                    options.matte.empty() ? "" : FramePath(options.matte, f)};
  };
  CheckOutputPath(FramePath(options.output, range.first), inputsOf(range.first));
  // Every numbered input and matte must be there before the first frame renders, and no frame
  // may be written over one of them.
  const bool numbered = HasFramePattern(input) || HasFramePattern(options.matte);
  for (std::int64_t f = range.first; numbered && f <= range.last; ++f) {
    for (const std::string* pattern : {&input, &options.matte}) {
      if (!HasFramePattern(*pattern)) continue;
      const std::string path = FramePath(*pattern, f);
      if (!fs::exists(path)) throw CliError("cannot read '" + path + "': no such file", 2);
    }
    if (f != range.first) CheckOutputPath(FramePath(options.output, f), inputsOf(f));
  }
  const HostImage sample = options.sample ? MakeSample(depth) : HostImage{};
  HostImage first =
      options.sample ? sample
                     : ReadImage(FramePath(options.input, range.first), depth, options.maxPixels);

  Session session(options.session);
  ApplyLook(look, session);
  CheckSchedules(look.schedules, session.Params(), range.first, range.last);

  Progress progress(range.last - range.first + 1, options.quiet || !sequence);
  for (std::int64_t f = range.first; f <= range.last; ++f) {
    const FrameTime time = single ? *single : TimeOfFrame(f, look.rate);
    ApplyTime(time, settings);
    // Each frame's schedules become keys of that frame alone, so a long range holds no more
    // keys than a short one.
    ExpandSchedules(look.schedules, session.Params(), look.rate, f, f);
    HostImage image = f == range.first ? std::move(first)
                      : options.sample
                          ? sample
                          : ReadImage(FramePath(options.input, f), depth, options.maxPixels);
    HostImage rendered = RenderFrame(session, image, settings);
    if (!options.matte.empty() || options.mix < 1) {
      std::vector<float> matte;
      if (!options.matte.empty()) {
        matte = ReadMatte(FramePath(options.matte, f), matteChannel, options.invertMatte,
                          image.width, image.height);
      }
      const std::size_t pixels = static_cast<std::size_t>(image.width) * image.height;
      ApplyMatte(image, rendered,
                 options.mix < 1 ? MixCoverage(matte, options.mix, pixels) : matte);
    }
    const std::string output = FramePath(options.output, f);
    WriteImage(output, rendered, Provenance(output, LookPreset(look, session, time, renderRecord)));
    progress.FrameDone();
  }
}

}  // namespace jf::cli
