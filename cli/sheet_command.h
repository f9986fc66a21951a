// `jitterforge sheet`: one labelled image of the input, each stage alone and the whole chain.
#pragma once

#include <string>
#include <vector>

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

struct SheetOptions {
  std::string input;  // empty with sample
  std::string output;
  bool sample = false;
  std::string tilesFolder;  // also write each tile, unlabelled, as SLUG.png here
  int columns = 3;
  std::uint64_t maxPixels = 0;  // --max-pixels; 0: the machine's default
  SessionOptions session;
};

/// Renders the sheet (8 bits per channel); throws CliError.
void RunSheet(const SheetOptions& options);

}  // namespace jf::cli
