// The jitterforge command: the effect from a terminal, a script or a pipeline.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <nlohmann/json.hpp>

#include "cli/image_io.h"
#include "cli/param_args.h"
#include "cli/render_command.h"
#include "cli/session.h"

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

int Params(const jf::cli::SessionOptions& options, const std::vector<std::string>& settings,
           bool json) {
  jf::cli::Session session(options);
  auto& store = session.Params();
  jf::cli::ApplySettings(store, settings);
  // The effect decides what its controls hide; ask it under the values just set.
  if (PF_Err err = session.GetInstance().UpdateParamsUI(); err != PF_Err_NONE) {
    throw CliError("the effect's control update failed: " + jf::cli::ErrorName(err), 1);
  }
  std::vector<bool> hidden(store.Count());
  for (A_long i = 0; i < store.Count(); ++i) hidden[i] = store.Hidden(i);
  const auto paths = jf::cli::GroupPaths(store);
  if (json) {
    nlohmann::ordered_json out;
    const auto& pipl = session.GetModule().GetPipl();
    out["effect"] = {{"name", pipl.name}, {"match_name", pipl.matchName}};
    out["program"] = std::string("jitterforge ") + JF_VERSION;
    out["parameters"] = nlohmann::ordered_json::array();
    for (A_long i = 1; i < store.Count(); ++i) {
      if (store.Definition(i).param_type == PF_Param_GROUP_END) continue;
      auto param = jf::cli::ParamToJson(store, paths, i);
      param["hidden"] = static_cast<bool>(hidden[i]);
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
  CLI::App* renderCommand = app.add_subcommand("render", "Render an image through the effect");
  std::vector<std::string> files;
  renderCommand->add_option("files", files, "INPUT OUTPUT (with --sample, OUTPUT alone)")
      ->expected(1, 2);
  renderCommand->add_flag("--sample", render.sample,
                          "Render the built-in test picture instead of an input file");
  renderCommand->add_option("--depth", render.depth, "Bits per channel: 8, 16 or 32 (float)")
      ->check(CLI::IsMember({8, 16, 32}));
  renderCommand->add_option("--set", render.settings,
                            "Set a parameter: KEY=VALUE, KEY an index or a group path (repeatable)");
  renderCommand->add_option("--downsample", render.downsample,
                            "Render at reduced resolution N/D (both axes)");
  renderCommand->add_option("--downsample-x", render.downsampleX, "Horizontal factor N/D");
  renderCommand->add_option("--downsample-y", render.downsampleY, "Vertical factor N/D");
  AddSessionOptions(*renderCommand, render.session);

  jf::cli::SessionOptions paramsSession;
  std::vector<std::string> paramsSettings;
  bool json = false;
  CLI::App* paramsCommand = app.add_subcommand("params", "List the effect's parameters");
  paramsCommand->add_flag("--json", json, "As JSON");
  paramsCommand->add_option("--set", paramsSettings, "Set a parameter first: KEY=VALUE");
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
    if (*paramsCommand) return Params(paramsSession, paramsSettings, json);
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
