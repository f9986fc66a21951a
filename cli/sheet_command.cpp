// See sheet_command.h.
#include "cli/sheet_command.h"

#include <algorithm>
#include <filesystem>

#include "cli/bitmap_font.h"
#include "cli/budget.h"
#include "cli/image_io.h"
#include "cli/output_file.h"
#include "cli/param_args.h"
#include "cli/render_command.h"

namespace jf::cli {
namespace {

// The sample the gallery is made from, small enough to keep the committed pictures small.
constexpr int kSampleWidth = 240;
constexpr int kSampleHeight = 135;
constexpr std::uint8_t kBackground = 32;

const char* const kEnables[] = {"Basic Blocks/Enable Basic Blocks",
                                "Pixel Sorter/Enable Pixel Sorter",
                                "Elements Scatter/Enable Elements Scatter",
                                "Blur Blocks/Enable Blur Blocks",
                                "Noise/Enable Noise",
                                "Warp/Enable Warp",
                                "Split RGB/Enable Split RGB"};

// Every stage off but the ones named by index into kEnables.
std::vector<std::string> Only(std::initializer_list<int> stages) {
  std::vector<std::string> settings;
  for (int i = 0; i < 7; ++i) {
    const bool on = std::find(stages.begin(), stages.end(), i) != stages.end();
    settings.push_back(std::string(kEnables[i]) + (on ? "=on" : "=off"));
  }
  return settings;
}

// Where a stage's defaults are made for full-size frames, these show it on a small one.
const std::vector<std::string> kShowcase = {
    "Basic Blocks/Number Of Blocks=24",
    "Basic Blocks/Maximum Horizontal Offset=60",
    "Basic Blocks/Block Size/Minimum Width=20",
    "Basic Blocks/Block Size/Width Random Range=80",
    "Basic Blocks/Block Size/Minimum Height=6",
    "Basic Blocks/Block Size/Height Random Range=14",
    // The sample's bars are flat along every line, so intervals of them sort to themselves.
    "Pixel Sorter/Method=Convolution",
    "Elements Scatter/Square/Number of Shapes=14",
    "Elements Scatter/Square/Size=24",
    "Elements Scatter/Square/Color/Opacity=100",
    "Blur Blocks/Number Of Blocks=6",
    "Blur Blocks/Blur Radius=6",
    "Blur Blocks/Block Size/Minimum Width=40",
    "Blur Blocks/Block Size/Width Random Range=40",
    "Blur Blocks/Block Size/Minimum Height=20",
    "Blur Blocks/Block Size/Height Random Range=20",
    "Noise/Frequency=20",
    "Noise/Amplitude=30",
    "Warp/Frequency=20",
    "Warp/Amplitude=12",
    "Split RGB/Red Channel/Horizontal Offset=6",
    "Split RGB/Green Channel/Horizontal Offset=-6",
    "Split RGB/Blue Channel/Vertical Offset=4",
};

// Copies tile over the sheet's background at (left, top), straight alpha over opaque grey.
void Place(HostImage& sheet, const HostImage& tile, int left, int top) {
  for (int y = 0; y < tile.height; ++y) {
    for (int x = 0; x < tile.width; ++x) {
      const std::uint8_t* t = &tile.data[static_cast<std::size_t>(y) * tile.RowBytes() + x * 4];
      std::uint8_t* s =
          &sheet.data[static_cast<std::size_t>(top + y) * sheet.RowBytes() + (left + x) * 4];
      s[0] = 255;
      for (int c = 1; c < 4; ++c) {
        s[c] = static_cast<std::uint8_t>((t[c] * t[0] + kBackground * (255 - t[0]) + 127) / 255);
      }
    }
  }
}

}  // namespace

std::vector<SheetTile> SheetTiles() {
  std::vector<SheetTile> tiles = {{"Input", "input", {}},
                                  {"Basic Blocks", "basic_blocks", Only({0})},
                                  {"Pixel Sorter", "pixel_sorter", Only({1})},
                                  {"Elements Scatter", "elements_scatter", Only({2})},
                                  {"Blur Blocks", "blur_blocks", Only({3})},
                                  {"Noise", "noise", Only({4})},
                                  {"Warp", "warp", Only({5})},
                                  {"Split RGB", "split_rgb", Only({6})},
                                  {"All stages", "all_stages", Only({0, 1, 2, 3, 4, 5, 6})}};
  for (auto& tile : tiles) {
    if (!tile.settings.empty())
      tile.settings.insert(tile.settings.begin(), kShowcase.begin(), kShowcase.end());
  }
  return tiles;
}

void RunSheet(const SheetOptions& options) {
  CheckOutputFormat(options.output, 8);
  CheckOutputPath(options.output, {options.input});
  if (!options.tilesFolder.empty() && !std::filesystem::is_directory(options.tilesFolder)) {
    throw CliError("--tiles '" + options.tilesFolder + "' is not a folder", 2);
  }
  const HostImage input = options.sample ? MakeSample(8, kSampleWidth, kSampleHeight)
                                         : ReadImage(options.input, 8, options.maxPixels);
  Session session(options.session);

  const auto tiles = SheetTiles();
  const int columns = std::max(1, std::min<int>(options.columns, static_cast<int>(tiles.size())));
  const int rows = (static_cast<int>(tiles.size()) + columns - 1) / columns;
  const int scale = input.width >= 200 ? 2 : 1;
  const int margin = 4 * scale;
  const int labelHeight = TextHeight(scale) + 2 * margin;
  const long sheetWidth = static_cast<long>(columns) * (input.width + margin) + margin;
  const long sheetHeight = static_cast<long>(rows) * (input.height + labelHeight) + margin;
  if (sheetWidth > 30000 || sheetHeight > 30000) {
    throw CliError("the sheet of '" + options.input + "' would be over 30000 pixels on a side", 2);
  }
  CheckFrameBudget("the sheet of '" + options.input + "'", sheetWidth, sheetHeight, 8,
                   options.maxPixels);
  if (!options.tilesFolder.empty()) {
    CheckOutputPath((std::filesystem::path(options.tilesFolder) / "input.png").string(),
                    {options.input});
  }
  HostImage sheet;
  sheet.width = static_cast<int>(sheetWidth);
  sheet.height = static_cast<int>(sheetHeight);
  sheet.depth = 8;
  sheet.data.resize(sheet.RowBytes() * sheet.height);
  for (std::size_t i = 0; i < sheet.data.size(); i += 4) {
    sheet.data[i] = 255;
    sheet.data[i + 1] = sheet.data[i + 2] = sheet.data[i + 3] = kBackground;
  }

  for (std::size_t i = 0; i < tiles.size(); ++i) {
    const SheetTile& tile = tiles[i];
    HostImage image = input;
    if (!tile.settings.empty()) {
      ApplySettings(session.Params(), tile.settings);
      image = RenderFrame(session, input, headless::RenderSettings{});
    }
    const int left = margin + static_cast<int>(i % columns) * (input.width + margin);
    const int top = static_cast<int>(i / columns) * (input.height + labelHeight);
    DrawText(sheet, left, top + margin, tile.label, scale, 230, 230, 230);
    Place(sheet, image, left, top + labelHeight);
    if (!options.tilesFolder.empty()) {
      WriteImage((std::filesystem::path(options.tilesFolder) / (tile.slug + ".png")).string(),
                 image);
    }
  }
  WriteImage(options.output, sheet, {{"Software", std::string("jitterforge ") + JF_VERSION}});
}

}  // namespace jf::cli
