// See docs_command.h.
#include "cli/docs_command.h"

#include <iostream>

#include "cli/app_docs.h"

namespace jf::cli {
namespace {

ManualText Manual() {
  ManualText text;
  text.version = std::string("jitterforge ") + JF_VERSION;
  text.summary = "seven glitch stages for images, image sequences and video frames";
  text.description = {
      "jitterforge runs the Jitterforge effect module (Basic Blocks, Pixel Sorter, Elements "
      "Scatter, Blur Blocks, Noise, Warp, Split RGB, in that order) over images, numbered "
      "sequences and raw video frames, at 8, 16 or 32-bit float per channel. Every random layout "
      "comes from explicit seed parameters: the same parameters give the same frame on every "
      "machine.",
      "Parameters come from a shipped look (`--look`), a preset file (`--preset`), the preset an "
      "image rendered by jitterforge records (`--preset-from`) and single settings (`--set`), in "
      "that order. `jitterforge params` lists every parameter with its key, value, unit and what "
      "it does.",
  };
  text.sections = {
      {"Environment",
       {"JITTERFORGE_MODULE\tThe effect module to load when `--module` is not given."}},
      {"Files",
       {"../lib/jitterforge/Jitterforge.so\tThe effect module, found relative to the program's "
        "own folder, so an installation works wherever it is unpacked.",
        "../share/jitterforge/looks/\tThe shipped looks, ordinary preset files (`--look NAME`).",
        "../lib/frei0r-1/jitterforge.so\tThe frei0r filter for ffmpeg and MLT: `ffmpeg -vf "
        "frei0r=jitterforge:LOOK`."}},
      {"Exit status",
       {"0\tSuccess.", "1\tThe render failed (the effect or the host reported an error).",
        "2\tThe command line, an input, a preset or a path was refused; nothing was written."}},
      {"Examples",
       {"$ jitterforge render --sample sample.png",
        "$ jitterforge render photo.png out.png --look vhs-tracking --frame 12",
        "$ jitterforge render in_%04d.png out_%04d.png --frames 1-240 --fps 24 --preset look.json",
        "$ ffmpeg -i in.mp4 -f rawvideo -pix_fmt rgba - | jitterforge stream --size 1920x1080 "
        "--look vhs-tracking | ffmpeg -f rawvideo -pix_fmt rgba -s 1920x1080 -i - out.mp4",
        "$ jitterforge sheet photo.png seeds.png --look vhs-tracking --vary \"Basic "
        "Blocks/Position Random Seed=1..12\""}},
      {"See also", {"ffmpeg(1), melt(1)"}},
  };
  return text;
}

// The values of options whose definitions say only "TEXT".
CompletionHints Hints() {
  CompletionHints hints;
  hints.files = {"--module", "--preset", "--preset-from", "--matte"};
  hints.folders = {"--tiles"};
  hints.choices = {{"--pix-fmt", {"rgba", "rgba64le", "gbrapf32le"}},
                   {"--matte-channel", {"alpha", "luma"}}};
  hints.listings = {{"--look", "looks"}};
  return hints;
}

}  // namespace

CLI::App* AddDocsCommand(CLI::App& app, DocsOptions& options) {
  CLI::App* command =
      app.add_subcommand("generate-docs", "Write the manual page or a shell completion script");
  command->group("");
  command->add_option("kind", options.kind, "man, bash or zsh")
      ->required()
      ->check(CLI::IsMember({"man", "bash", "zsh"}));
  return command;
}

int RunDocsCommand(const CLI::App& app, const DocsOptions& options) {
  if (options.kind == "man") {
    std::cout << ManPage(app, Manual(), Hints());
  } else if (options.kind == "bash") {
    std::cout << BashCompletion(app, Hints());
  } else {
    std::cout << ZshCompletion(app, Hints());
  }
  return 0;
}

}  // namespace jf::cli
