// The jitterforge command: the effect from a terminal, a script or a pipeline.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <nlohmann/json.hpp>

#include "cli/image_io.h"
#include "cli/param_args.h"
#include "cli/preset.h"
#include "cli/render_command.h"
#include "cli/session.h"
#include "cli/sheet_command.h"
#include "cli/stream_command.h"

namespace {

using jf::cli::CliError;

void AddSessionOptions(CLI::App& command, jf::cli::SessionOptions& session) {
  command.add_option("--module", session.modulePath,
                     "The effect module to load (default: $JITTERFORGE_MODULE, then the one "
                     "installed with this program)");
  command.add_option("--threads", session.threads, "Threads for rendering (default: one per core)")
      ->check(CLI::Range(1, 256));
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

int Params(const jf::cli::SessionOptions& options, const jf::cli::LookOptions& lookOptions,
           bool json) {
  jf::cli::Look look = jf::cli::LoadLook(lookOptions);
  jf::cli::Session session(options);
  auto& store = session.Params();
  jf::cli::ApplyLook(look, session);
  // The effect decides what its controls hide; ask it under the values just set.
  if (PF_Err err = session.GetInstance().UpdateParamsUI(); err != PF_Err_NONE) {
    throw CliError("the effect's control update failed: " + jf::cli::ErrorName(err), 1);
  }
  std::vector<bool> hidden(store.Count());
  for (A_long i = 0; i < store.Count(); ++i) hidden[i] = store.Hidden(i);
  const auto paths = jf::cli::GroupPaths(store);
  if (json) {
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
  } else {
    std::cout << jf::cli::ParamsTable(store, paths, &hidden);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Jitterforge: seven glitch stages for images and image sequences.", "jitterforge"};
  app.set_version_flag("--version", std::string("jitterforge ") + JF_VERSION);
  app.require_subcommand(1);

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
  renderCommand->add_option("--depth", render.depth, "Bits per channel: 8, 16 or 32 (float)")
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
  AddBudgetOption(*streamCommand, stream.maxPixels);
  AddSessionOptions(*streamCommand, stream.session);

  jf::cli::SheetOptions sheet;
  std::vector<std::string> sheetFiles;
  CLI::App* sheetCommand = app.add_subcommand(
      "sheet", "One labelled image: the input, each stage alone, and the whole chain");
  sheetCommand->add_option("files", sheetFiles, "INPUT OUTPUT (with --sample, OUTPUT alone)")
      ->expected(1, 2);
  sheetCommand->add_flag("--sample", sheet.sample, "Use the built-in test picture");
  sheetCommand->add_option("--tiles", sheet.tilesFolder,
                           "Also write each tile as its own PNG into this folder");
  sheetCommand->add_option("--columns", sheet.columns, "Tiles per row (default 3)")
      ->check(CLI::Range(1, 9));
  AddBudgetOption(*sheetCommand, sheet.maxPixels);
  AddSessionOptions(*sheetCommand, sheet.session);

  jf::cli::SessionOptions paramsSession;
  jf::cli::LookOptions paramsLook;
  bool json = false;
  CLI::App* paramsCommand = app.add_subcommand("params", "List the effect's parameters");
  paramsCommand->add_flag("--json", json, "As JSON, which --preset reads back");
  AddLookOptions(*paramsCommand, paramsLook);
  AddSessionOptions(*paramsCommand, paramsSession);

  jf::cli::SessionOptions aboutSession;
  CLI::App* aboutCommand = app.add_subcommand("about", "Show the effect's About text");
  AddSessionOptions(*aboutCommand, aboutSession);

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::cerr << "jitterforge: " << e.what() << " (see jitterforge --help)\n";
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
      // A reader that goes away is reported as a failed write, not a silent death.
      std::signal(SIGPIPE, SIG_IGN);
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
    if (*paramsCommand) return Params(paramsSession, paramsLook, json);
    if (*aboutCommand) return About(aboutSession);
  } catch (const CliError& e) {
    std::cerr << "jitterforge: " << e.what() << "\n";
    return e.status;
  } catch (const std::bad_alloc&) {
    std::cerr << "jitterforge: out of memory\n";
    return 1;
  } catch (const std::exception& e) {
    std::cerr << "jitterforge: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
