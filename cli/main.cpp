// The jitterforge command: the effect from a terminal, a script or a pipeline.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <optional>
#include <nlohmann/json.hpp>

#include "cli/errors.h"
#include "cli/docs_command.h"
#include "cli/image_io.h"
#include "presets/looks.h"
#include "presets/param_args.h"
#include "cli/params_listing.h"
#include "cli/platform.h"
#include "presets/preset.h"
#include "cli/render_command.h"
#include "cli/session.h"
#include "cli/sheet_command.h"
#include "cli/stream_command.h"
#include "presets/suggest.h"

namespace {

using jf::cli::CliError;

void AddSessionOptions(CLI::App& command, jf::cli::SessionOptions& session) {
  command.add_option("--module", session.modulePath,
                     "The effect module to load (default: $JITTERFORGE_MODULE, then the one "
                     "installed with this program)");
  command.add_option("--threads", session.threads, "Threads for rendering (default: one per core)")
      ->check(CLI::Range(1, 256));
}

void AddMixOption(CLI::App& command, double& mix) {
  command
      .add_option("--mix", mix,
                  "Blend the rendered frame over the original: 0 the original, 1 (default) the "
                  "effect alone; with --matte, within the matte")
      ->check(CLI::Range(0.0, 1.0));
}

int About(const jf::cli::SessionOptions& options) {
  jf::cli::Session session(options);
  std::string text;
  if (PF_Err err = session.GetInstance().About(&text); err != PF_Err_NONE) {
    throw CliError("the effect's About failed: " + jf::cli::ErrorName(err), 1);
  }
  // The host shows the text with carriage returns as line breaks.
  std::replace(text.begin(), text.end(), '\r', '\n');
  std::cout << text << (text.empty() || text.back() != '\n' ? "\n" : "");
  return 0;
}

void AddBudgetOption(CLI::App& command, std::uint64_t& maxPixels) {
  command
      .add_option("--max-pixels", maxPixels,
                  "Refuse frames of more pixels than this (default: what this machine's memory "
                  "holds through the whole chain at 8 bits)")
      ->check(CLI::PositiveNumber);
}

void AddLookOptions(CLI::App& command, jf::cli::LookOptions& look) {
  command.add_option("--look", look.look,
                     "Set parameters from a shipped look by name (`jitterforge looks` lists them)");
  command.add_option("--preset", look.preset, "Set parameters from a preset file (JSON)");
  command.add_option("--preset-from", look.presetFrom,
                     "Set parameters (and the frame time) from the preset an image records");
  command
      .add_option("--set", look.settings,
                  "Set a parameter: KEY=VALUE, KEY an index or a group path (repeatable; "
                  "after any preset)")
      // One value per --set, so INPUT and OUTPUT may follow it.
      ->allow_extra_args(false);
  command.add_option("--fps", look.fps,
                     "Frame rate for frame numbers: 24, 30000/1001, 29.97 (default: the "
                     "preset's, else 25)");
}

struct ParamsOptions {
  jf::cli::SessionOptions session;
  jf::cli::LookOptions look;
  jf::cli::TimeOptions time;
  bool json = false;
  bool markdown = false;
};

int Params(const ParamsOptions& options) {
  jf::cli::Look look = jf::cli::LoadLook(options.look);
  if (options.time.frame && options.time.seconds) {
    throw CliError("give --frame or --time, not both", 2);
  }
  const jf::cli::FrameTime time =
      options.time.seconds ? jf::cli::TimeOfSeconds(*options.time.seconds, look.rate)
                           : jf::cli::TimeOfFrame(options.time.frame.value_or(0), look.rate);
  jf::cli::Session session(options.session);
  auto& store = session.Params();
  const auto paths = jf::cli::GroupPaths(store);
  if (options.markdown) {
    // The reference describes the defaults, whatever else the command line says.
    std::cout << jf::cli::ParamsMarkdown(store, paths);
    return 0;
  }
  jf::cli::ApplyLook(look, session);
  // The effect decides what its controls hide; ask it under the values just set.
  if (PF_Err err = session.GetInstance().UpdateParamsUI(); err != PF_Err_NONE) {
    throw CliError("the effect's control update failed: " + jf::cli::ErrorName(err), 1);
  }
  std::vector<bool> hidden(store.Count());
  for (A_long i = 0; i < store.Count(); ++i) hidden[i] = store.Hidden(i);
  if (options.json) {
    // A preset as well as a listing: --preset reads it back to the same values.
    nlohmann::ordered_json out;
    const auto& pipl = session.GetModule().GetPipl();
    out["effect"] = {{"name", pipl.name}, {"match_name", pipl.matchName}};
    out["program"] = std::string("jitterforge ") + JF_VERSION;
    out["fps"] = jf::cli::RateText(look.rate);
    out["parameters"] = nlohmann::ordered_json::array();
    for (A_long i = 1; i < store.Count(); ++i) {
      const PF_ParamDef def = store.Definition(i);
      if (def.param_type == PF_Param_GROUP_END) continue;
      auto param = jf::cli::ParamToJson(store, paths, i);
      param["hidden"] = static_cast<bool>(hidden[i]);
      if (auto keys = store.Keyframes(i); !keys.empty()) {
        param["keyframes"] = jf::cli::KeyframesToJson(def, keys);
      }
      for (const auto& schedule : look.schedules) {
        if (schedule.index == i) param["schedule"] = schedule.source;
      }
      out["parameters"].push_back(param);
    }
    std::cout << out.dump(2) << "\n";
    return 0;
  }
  jf::cli::ListingMoment moment;
  moment.seconds = jf::cli::SecondsOfFrame(time.frame, look.rate);
  if (options.time.seconds) moment.seconds = *options.time.seconds;
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.10g s", moment.seconds);
  moment.label = options.time.seconds
                     ? std::string(seconds) + " (at " + jf::cli::RateText(look.rate) + " fps)"
                     : "frame " + std::to_string(time.frame) + " (" + seconds + " at " +
                           jf::cli::RateText(look.rate) + " fps)";
  moment.hidden = &hidden;
  for (const auto& schedule : look.schedules)
    moment.schedules[schedule.index] = schedule.source.dump();
  // Schedules become hold keys on the frame listed, so their value there shows.
  jf::cli::ExpandSchedules(look.schedules, store, look.rate, time.frame, time.frame);
  std::cout << jf::cli::ParamsListing(store, paths, moment);
  return 0;
}

int Looks() {
  const auto looks = jf::cli::ListLooks(jf::cli::LookFolders());
  std::size_t width = 0;
  for (const auto& look : looks) width = std::max(width, look.name.size());
  for (const auto& look : looks) {
    const std::string depth = std::to_string(look.depth) + "-bit";
    std::cout << look.name << std::string(width - look.name.size() + 2, ' ') << depth
              << std::string(8 - std::min<std::size_t>(depth.size(), 7), ' ') << look.description
              << "\n";
  }
  return 0;
}

// For a command line the parser refused: the first subcommand or option it does not know, with
// the closest known name ("unknown command \"rendr\": did you mean \"render\"?").
std::optional<std::string> UnknownName(const CLI::App& app, int argc, char** argv) {
  if (argc < 2 || argv[1][0] == '-') return std::nullopt;
  std::vector<std::string> commands;
  for (const CLI::App* command : app.get_subcommands({})) commands.push_back(command->get_name());
  const std::string word = argv[1];
  const auto suggest = [](const std::string& hint) { return hint.empty() ? "" : ": " + hint; };
  if (std::find(commands.begin(), commands.end(), word) == commands.end()) {
    return "unknown command \"" + word + "\"" + suggest(jf::cli::DidYouMean(word, commands));
  }
  const CLI::App* command = app.get_subcommand(word);
  std::vector<std::string> options = {"--help"};
  for (const CLI::Option* option : command->get_options()) {
    for (const std::string& name : option->get_lnames()) options.push_back("--" + name);
  }
  for (int i = 2; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg.rfind("--", 0) != 0 || arg.size() == 2) continue;
    arg = arg.substr(0, arg.find('='));
    if (std::find(options.begin(), options.end(), arg) == options.end()) {
      return "unknown option \"" + arg + "\" for " + word +
             suggest(jf::cli::DidYouMean(arg, options));
    }
  }
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Jitterforge: seven glitch stages for images and image sequences.", "jitterforge"};
  app.set_version_flag("--version", std::string("jitterforge ") + JF_VERSION);
  app.require_subcommand(1);
  // The same options on every platform: on Windows too "/name" is a path, not an option.
  app.allow_windows_style_options(false);

  jf::cli::RenderOptions render;
  CLI::App* renderCommand = app.add_subcommand(
      "render", "Render an image, or a numbered sequence with --frames, through the effect");
  std::vector<std::string> files;
  renderCommand
      ->add_option("files", files,
                   "INPUT OUTPUT (with --sample, OUTPUT alone); numbered files as "
                   "in_%04d.png")
      ->expected(1, 2);
  renderCommand->add_flag("--sample", render.sample,
                          "Render the built-in test picture instead of an input file");
  renderCommand
      ->add_option("--depth", render.depth,
                   "Bits per channel: 8, 16 or 32 (float) (default: a preset's recorded depth, "
                   "else the input's: 8-bit files 8, 16-bit 16, half and float 32)")
      ->check(CLI::IsMember({8, 16, 32}));
  AddLookOptions(*renderCommand, render.look);
  auto* timeOption =
      renderCommand->add_option("--time", render.time.seconds, "Render at this time in seconds");
  auto* frameOption =
      renderCommand->add_option("--frame", render.time.frame, "Render at this frame (at --fps)");
  timeOption->excludes(frameOption);
  renderCommand
      ->add_option("--frames", render.frames,
                   "Render frames A-B of numbered files (INPUT and OUTPUT with %d or %04d)")
      ->excludes(timeOption)
      ->excludes(frameOption);
  renderCommand->add_option("--matte", render.matte,
                            "Limit the effect to where this image is white (numbered for "
                            "sequences)");
  renderCommand->add_option("--matte-channel", render.matteChannel,
                            "alpha or luma (default: alpha when the matte has one)");
  renderCommand->add_flag("--invert-matte", render.invertMatte, "Limit it to where it is black");
  AddMixOption(*renderCommand, render.mix);
  renderCommand->add_flag("--quiet,-q", render.quiet, "No progress line");
  renderCommand->add_option("--downsample", render.downsample,
                            "Render at reduced resolution N/D (both axes)");
  renderCommand->add_option("--downsample-x", render.downsampleX, "Horizontal factor N/D");
  renderCommand->add_option("--downsample-y", render.downsampleY, "Vertical factor N/D");
  AddBudgetOption(*renderCommand, render.maxPixels);
  AddSessionOptions(*renderCommand, render.session);

  jf::cli::StreamOptions stream;
  CLI::App* streamCommand = app.add_subcommand(
      "stream",
      "Render raw video frames from standard input to standard output (for ffmpeg pipes)");
  streamCommand->add_option("--size", stream.size, "Frame size WIDTHxHEIGHT")->required();
  streamCommand->add_option("--pix-fmt", stream.pixFmt,
                            "rgba (8-bit), rgba64le (16-bit) or gbrapf32le (float planes)");
  streamCommand->add_option("--start-frame", stream.startFrame,
                            "The frame number of the first frame read (default 0)");
  streamCommand->add_flag("--quiet,-q", stream.quiet, "No progress line");
  AddLookOptions(*streamCommand, stream.look);
  streamCommand->add_option("--matte", stream.matte,
                            "Limit the effect to where this image is white: one still for every "
                            "frame, or numbered by frame (matte_%04d.png)");
  streamCommand->add_option("--matte-channel", stream.matteChannel,
                            "alpha or luma (default: alpha when the matte has one)");
  streamCommand->add_flag("--invert-matte", stream.invertMatte, "Limit it to where it is black");
  AddMixOption(*streamCommand, stream.mix);
  AddBudgetOption(*streamCommand, stream.maxPixels);
  AddSessionOptions(*streamCommand, stream.session);

  jf::cli::SheetOptions sheet;
  std::vector<std::string> sheetFiles;
  CLI::App* sheetCommand = app.add_subcommand(
      "sheet",
      "One labelled image: the input, each stage alone, and the whole chain; or, with --vary, "
      "a look across seeds or values");
  sheetCommand->add_option("files", sheetFiles, "INPUT OUTPUT (with --sample, OUTPUT alone)")
      ->expected(1, 2);
  sheetCommand->add_flag("--sample", sheet.sample, "Use the built-in test picture");
  sheetCommand
      ->add_option("--depth", sheet.depth,
                   "Bits per channel the tiles render at: 8, 16 or 32 (default: the input's)")
      ->check(CLI::IsMember({8, 16, 32}));
  sheetCommand->add_option(
      "--tiles", sheet.tilesFolder,
      "Also write each tile as its own file into this folder (made when missing)");
  sheetCommand
      ->add_option("--columns", sheet.columns,
                   "Tiles per row (default 3; with --vary about square, each tile 1/COLUMNS of "
                   "the input's size)")
      ->check(CLI::Range(1, 9));
  sheetCommand
      ->add_option("--vary", sheet.varies,
                   "KEY=A..B[:STEP]: a tile for each value of a parameter (KEY as --set takes "
                   "it), rendered as `render --downsample` renders the input reduced to the "
                   "tile's size; several make a tile for every combination, at most 64")
      ->allow_extra_args(false);
  AddLookOptions(*sheetCommand, sheet.look);
  sheetCommand
      ->add_option("--time", sheet.time.seconds,
                   "With --vary, show the look at this time in seconds")
      ->excludes(sheetCommand->add_option("--frame", sheet.time.frame,
                                          "With --vary, show the look at this frame (at --fps)"));
  AddBudgetOption(*sheetCommand, sheet.maxPixels);
  AddSessionOptions(*sheetCommand, sheet.session);

  ParamsOptions params;
  CLI::App* paramsCommand = app.add_subcommand(
      "params", "List the effect's parameters: values, units, keys and what each does");
  auto* jsonFlag =
      paramsCommand->add_flag("--json", params.json, "As JSON, which --preset reads back");
  paramsCommand
      ->add_flag("--markdown", params.markdown,
                 "The parameter reference as Markdown (docs/parameters.md)")
      ->excludes(jsonFlag);
  AddLookOptions(*paramsCommand, params.look);
  auto* paramsTime = paramsCommand->add_option("--time", params.time.seconds,
                                               "List the values at this time in seconds");
  paramsCommand
      ->add_option("--frame", params.time.frame, "List the values at this frame (at --fps)")
      ->excludes(paramsTime);
  AddSessionOptions(*paramsCommand, params.session);

  CLI::App* looksCommand = app.add_subcommand(
      "looks", "List the shipped looks (for --look) with the depth each is made for");

  jf::cli::SessionOptions aboutSession;
  CLI::App* aboutCommand = app.add_subcommand("about", "Show the effect's About text");
  AddSessionOptions(*aboutCommand, aboutSession);

  jf::cli::DocsOptions docs;
  CLI::App* docsCommand = jf::cli::AddDocsCommand(app, docs);

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::cerr << "jitterforge: " << UnknownName(app, argc, argv).value_or(e.what())
              << " (see jitterforge --help)\n";
    return 2;
  }

  try {
    if (*renderCommand) {
      if (render.sample) {
        if (files.size() != 1) throw CliError("render --sample takes OUTPUT alone", 2);
        render.output = files[0];
      } else {
        if (files.size() != 2) throw CliError("render takes INPUT OUTPUT (or --sample OUTPUT)", 2);
        render.input = files[0];
        render.output = files[1];
      }
      jf::cli::RunRender(render);
      return 0;
    }
    if (*streamCommand) {
      jf::cli::platform::PrepareRawStreams();
      jf::cli::RunStream(stream, stdin, stdout);
      return 0;
    }
    if (*sheetCommand) {
      if (sheet.sample) {
        if (sheetFiles.size() != 1) throw CliError("sheet --sample takes OUTPUT alone", 2);
        sheet.output = sheetFiles[0];
      } else {
        if (sheetFiles.size() != 2)
          throw CliError("sheet takes INPUT OUTPUT (or --sample OUTPUT)", 2);
        sheet.input = sheetFiles[0];
        sheet.output = sheetFiles[1];
      }
      jf::cli::RunSheet(sheet);
      return 0;
    }
    if (*paramsCommand) return Params(params);
    if (*aboutCommand) return About(aboutSession);
    if (*looksCommand) return Looks();
    if (*docsCommand) return jf::cli::RunDocsCommand(app, docs);
  } catch (const CliError& e) {
    std::cerr << "jitterforge: " << e.what() << "\n";
    return e.status;
  } catch (const jf::presets::PresetError& e) {
    // A preset, a parameter's name or value, a rate or a time: what the user gave is wrong.
    std::cerr << "jitterforge: " << e.what() << "\n";
    return 2;
  } catch (const std::bad_alloc&) {
    std::cerr << "jitterforge: out of memory\n";
    return 1;
  } catch (const std::exception& e) {
    std::cerr << "jitterforge: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
