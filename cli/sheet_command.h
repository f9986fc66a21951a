// `jitterforge sheet`: one labelled image of the input, each stage alone and the whole chain; or
// the user's own look across a range of seeds or values.
#pragma once

#include <string>
#include <vector>

#include "cli/render_command.h"
#include "cli/session.h"

namespace jf::cli {

/// One tile of a sheet: its label and the settings that show it.
struct SheetTile {
  std::string label;
  std::string slug;                   // the file name of the tile alone
  std::vector<std::string> settings;  // empty: the input as it is
};

/// The tiles in order: the input, the seven stages each alone with settings that show it at
/// the size of the built-in sample, then all of them together.
std::vector<SheetTile> SheetTiles();

/// The most tiles a sheet holds; a sheet past it takes too long to be a browser.
constexpr int kMaxSheetTiles = 64;

struct SheetOptions {
  std::string input;  // empty with sample
  std::string output;
  bool sample = false;
  int depth = 0;            // 0: as the input's channels call for (the sample: 8)
  std::string tilesFolder;  // also write each tile, unlabelled, as SLUG.png (.exr at 32) here
  int columns = 0;          // 0: 3, or about square for a sheet of varies
  /// "KEY=A..B" or "KEY=A..B:STEP": a parameter as --set names it and the values it takes. With
  /// any, the sheet shows the look at every combination, each tile rendered at 1/columns of
  /// the input's size as `render --downsample` renders an input already reduced to it.
  std::vector<std::string> varies;
  LookOptions look;             // the look the varies start from
  TimeOptions time;             // the moment the varies are shown at, as render takes it
  std::uint64_t maxPixels = 0;  // --max-pixels; 0: the machine's default
  SessionOptions session;
};

/// Renders the tiles at the input's depth and the sheet of them at 8 bits; throws CliError.
void RunSheet(const SheetOptions& options);

}  // namespace jf::cli
