// See sheet_command.h.
#include "cli/sheet_command.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <memory>
#include <thread>
#include <type_traits>

#include "cli/errors.h"
#include "cli/bitmap_font.h"
#include "cli/budget.h"
#include "cli/image_io.h"
#include "cli/output_file.h"
#include "presets/param_args.h"

namespace jf::cli {
namespace {

namespace fs = std::filesystem;

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

// The tile as the 8-bit sheet shows it: white 32768 or 1.0 to 255, rounded, out-of-range clipped.
HostImage ToEightBits(const HostImage& image) {
  if (image.depth == 8) return image;
  HostImage out;
  out.width = image.width;
  out.height = image.height;
  out.data.resize(out.RowBytes() * out.height);
  const std::size_t channels = out.data.size();
  for (std::size_t i = 0; i < channels; ++i) {
    double unit = 0;
    if (image.depth == 16) {
      unit = reinterpret_cast<const std::uint16_t*>(image.data.data())[i] / 32768.0;
    } else {
      unit = reinterpret_cast<const float*>(image.data.data())[i];
    }
    out.data[i] = static_cast<std::uint8_t>(std::clamp(unit, 0.0, 1.0) * 255 + 0.5);
  }
  return out;
}

// The label's lines, one per "\n"-separated part.
std::vector<std::string> LabelLines(const std::string& label) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t nl; (nl = label.find('\n', start)) != std::string::npos; start = nl + 1) {
    lines.push_back(label.substr(start, nl - start));
  }
  lines.push_back(label.substr(start));
  return lines;
}

// The text scale labels are drawn at over tiles this wide.
int LabelScale(int tileWidth) {
  return tileWidth >= 200 ? 2 : 1;
}

// The tiles in a grid, each under its label; all images are of one size.
HostImage Compose(const std::vector<SheetTile>& tiles, const std::vector<HostImage>& images,
                  int columns, const std::string& input, std::uint64_t maxPixels) {
  const int width = images.front().width;
  const int height = images.front().height;
  std::size_t lines = 1;
  for (const auto& tile : tiles) lines = std::max(lines, LabelLines(tile.label).size());
  const int rows = (static_cast<int>(tiles.size()) + columns - 1) / columns;
  const int scale = LabelScale(width);
  const int margin = 4 * scale;
  const int lineHeight = TextHeight(scale) + 2 * scale;
  const int labelHeight = static_cast<int>(lines) * lineHeight - 2 * scale + 2 * margin;
  const long sheetWidth = static_cast<long>(columns) * (width + margin) + margin;
  const long sheetHeight = static_cast<long>(rows) * (height + labelHeight) + margin;
  if (sheetWidth > 30000 || sheetHeight > 30000) {
    throw CliError("the sheet of " + input + " would be over 30000 pixels on a side", 2);
  }
  CheckFrameBudget("the sheet of " + input, sheetWidth, sheetHeight, 8, maxPixels);
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
    const int left = margin + static_cast<int>(i % columns) * (width + margin);
    const int top = static_cast<int>(i / columns) * (height + labelHeight);
    const auto label = LabelLines(tiles[i].label);
    for (std::size_t l = 0; l < label.size(); ++l) {
      DrawText(sheet, left, top + margin + static_cast<int>(l) * lineHeight, label[l], scale, 230,
               230, 230);
    }
    Place(sheet, ToEightBits(images[i]), left, top + labelHeight);
  }
  return sheet;
}

// Renders every tile, the input where a tile has no settings. Each worker has its own session,
// so tiles render side by side; every session gets the look first and each tile's settings on
// top, which name the same parameters in every tile, so a tile never depends on which worker
// rendered the one before it. All settings are tried on one session before anything renders, so
// a bad value is refused as a usage error and not halfway through.
std::vector<HostImage> RenderTiles(const std::vector<SheetTile>& tiles, const HostImage& input,
                                   const headless::RenderSettings& settings,
                                   const std::vector<std::unique_ptr<Session>>& sessions) {
  for (const auto& tile : tiles) ApplySettings(sessions.front()->Params(), tile.settings);
  std::vector<HostImage> images(tiles.size());
  std::vector<std::exception_ptr> failures(sessions.size());
  std::atomic<std::size_t> next{0};
  {
    std::vector<std::jthread> workers;
    for (std::size_t w = 0; w < sessions.size(); ++w) {
      workers.emplace_back([&, w] {
        try {
          for (std::size_t i; (i = next++) < tiles.size();) {
            if (tiles[i].settings.empty()) {
              images[i] = input;
              continue;
            }
            ApplySettings(sessions[w]->Params(), tiles[i].settings);
            images[i] = RenderFrame(*sessions[w], input, settings);
          }
        } catch (...) {
          failures[w] = std::current_exception();
          next = tiles.size();
        }
      });
    }
  }
  for (const auto& failure : failures) {
    if (failure) std::rethrow_exception(failure);
  }
  return images;
}

SessionOptions OneThread(SessionOptions options) {
  options.threads = 1;
  return options;
}

// Sessions for the workers, one thread each: as many as --threads (default one per core) but
// no more than there are tiles, the first of them first when given.
std::vector<std::unique_ptr<Session>> Workers(const SessionOptions& options, std::size_t tiles,
                                              std::unique_ptr<Session> first = nullptr) {
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  const std::size_t count = std::clamp<std::size_t>(
      options.threads > 0 ? static_cast<std::size_t>(options.threads) : cores, 1,
      std::max<std::size_t>(tiles, 1));
  std::vector<std::unique_ptr<Session>> sessions;
  if (first) sessions.push_back(std::move(first));
  // One after another: a session's setup routes the process's standard output.
  while (sessions.size() < count) sessions.push_back(std::make_unique<Session>(OneThread(options)));
  return sessions;
}

// The file a tile is written to: PNG where it holds the depth, else OpenEXR.
std::string TileFile(const std::string& folder, const std::string& slug, int depth) {
  return (fs::path(folder) / (slug + (depth == 32 ? ".exr" : ".png"))).string();
}

[[noreturn]] void NotAFolder(const std::string& folder, const std::string& why) {
  throw CliError("--tiles '" + folder + "' " + why, 2);
}

// Writes each tile into folder as TileFile names it, making the folder (and its parents) first.
void WriteTiles(const std::string& folder, const std::vector<SheetTile>& tiles,
                const std::vector<HostImage>& images) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (!fs::is_directory(folder)) NotAFolder(folder, "cannot be made: " + ec.message());
  for (std::size_t i = 0; i < tiles.size(); ++i) {
    WriteImage(TileFile(folder, tiles[i].slug, images[i].depth), images[i]);
  }
}

// One --vary: the parameter and the values it takes, as --set writes them.
struct Vary {
  PF_ParamIndex index = 0;
  std::string leaf;  // the parameter's own name, for labels
  std::vector<std::string> values;
};

[[noreturn]] void BadVary(const std::string& text, const std::string& why) {
  throw CliError("--vary \"" + text + "\": " + why, 2);
}

double VaryNumber(const std::string& text, const std::string& number) {
  char* end = nullptr;
  const double value = std::strtod(number.c_str(), &end);
  if (number.empty() || *end != '\0' || !std::isfinite(value)) {
    BadVary(text, "\"" + number + "\" is not a number (KEY=A..B or KEY=A..B:STEP)");
  }
  return value;
}

// A value as --set takes it and a label shows it: whole numbers in full (seeds are large), the
// rest to six significant digits.
std::string ValueText(double value) {
  char buffer[64];
  if (value == std::floor(value) && std::fabs(value) < 1e15) {
    std::snprintf(buffer, sizeof buffer, "%.0f", value);
  } else {
    std::snprintf(buffer, sizeof buffer, "%.6g", value);
  }
  return buffer;
}

// Parses "KEY=A..B[:STEP]", A > B counting down, against the session's parameters.
Vary ParseVary(const std::string& text, const headless::ParamStore& store,
               const std::vector<std::string>& paths) {
  const auto eq = text.find('=');
  const auto dots = text.find("..", eq == std::string::npos ? 0 : eq);
  if (eq == std::string::npos || dots == std::string::npos) {
    BadVary(text, "give KEY=A..B or KEY=A..B:STEP");
  }
  const auto colon = text.find(':', dots);
  const double first = VaryNumber(text, text.substr(eq + 1, dots - eq - 1));
  const double last = VaryNumber(text, text.substr(dots + 2, colon - std::min(colon, dots + 2)));
  const double step = colon == std::string::npos ? 1 : VaryNumber(text, text.substr(colon + 1));
  if (step <= 0) BadVary(text, "the step must be more than 0");
  // A hair of slack, so 0..1:0.1 ends on 1 despite rounding.
  const double count = std::floor(std::fabs(last - first) / step + 1e-9) + 1;
  if (count > kMaxSheetTiles) {
    BadVary(text, ValueText(count) + " values; a sheet holds at most " +
                      std::to_string(kMaxSheetTiles) + " tiles");
  }
  Vary vary;
  vary.index = ResolveKey(store, paths, text.substr(0, eq));
  vary.leaf = paths[vary.index].substr(paths[vary.index].rfind('/') + 1);
  for (int i = 0; i < static_cast<int>(count); ++i) {
    vary.values.push_back(ValueText(first + (last >= first ? i : -i) * step));
  }
  return vary;
}

// A file name part: lower case letters, digits, points and minus signs (so values keep theirs),
// anything else one underscore.
std::string Slug(const std::string& text) {
  std::string slug;
  for (const char c : text) {
    if (std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-') {
      slug += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    } else if (!slug.empty() && slug.back() != '_') {
      slug += '_';
    }
  }
  return slug;
}

// Every combination of the varies, the first changing slowest, each labelled one line per
// vary: "Position Random Seed=3", or the value alone where that is too wide for the tile.
std::vector<SheetTile> VaryTiles(const std::vector<Vary>& varies, int tileWidth) {
  std::size_t count = 1;
  for (const auto& vary : varies) count *= vary.values.size();
  const int scale = LabelScale(tileWidth);
  std::vector<SheetTile> tiles(count);
  for (std::size_t t = 0; t < count; ++t) {
    std::size_t rest = t;
    for (std::size_t v = varies.size(); v-- > 0;) {
      const Vary& vary = varies[v];
      const std::string& value = vary.values[rest % vary.values.size()];
      rest /= vary.values.size();
      std::string line = vary.leaf + "=" + value;
      if (TextWidth(line, scale) > tileWidth) line = value;
      SheetTile& tile = tiles[t];
      tile.label = line + (tile.label.empty() ? "" : "\n" + tile.label);
      tile.slug = Slug(vary.leaf) + "_" + value + (tile.slug.empty() ? "" : "_" + tile.slug);
      tile.settings.insert(tile.settings.begin(), std::to_string(vary.index) + "=" + value);
    }
  }
  return tiles;
}

// The layer as a host hands it over at 1/factor: each pixel the mean of a factor × factor box,
// its colour weighted by alpha so that transparent pixels lend it none.
template <typename T>
void ReduceInto(const HostImage& image, int factor, HostImage& out) {
  constexpr bool kFloat = std::is_floating_point_v<T>;
  using Sum = std::conditional_t<kFloat, double, std::uint64_t>;
  const T* in = reinterpret_cast<const T*>(image.data.data());
  T* o = reinterpret_cast<T*>(out.data.data());
  const Sum area = static_cast<Sum>(factor) * factor;
  // The integer means round half up; a float mean is exact enough as it is.
  auto mean = [](Sum sum, Sum count) {
    return static_cast<T>(kFloat ? sum / count : (sum + count / 2) / count);
  };
  for (int y = 0; y < out.height; ++y) {
    for (int x = 0; x < out.width; ++x, o += 4) {
      Sum alpha = 0;
      Sum weighted[4] = {};
      Sum plain[4] = {};
      for (int dy = 0; dy < factor; ++dy) {
        const T* p = in + (static_cast<std::size_t>(y * factor + dy) * image.width +
                           static_cast<std::size_t>(x) * factor) *
                              4;
        for (int dx = 0; dx < factor; ++dx, p += 4) {
          alpha += static_cast<Sum>(p[0]);
          for (int c = 1; c < 4; ++c) {
            weighted[c] += static_cast<Sum>(p[0]) * static_cast<Sum>(p[c]);
            plain[c] += static_cast<Sum>(p[c]);
          }
        }
      }
      o[0] = mean(alpha, area);
      for (int c = 1; c < 4; ++c)
        o[c] = alpha > 0 ? mean(weighted[c], alpha) : mean(plain[c], area);
    }
  }
}

HostImage Reduce(const HostImage& image, int factor) {
  HostImage out;
  out.width = image.width / factor;
  out.height = image.height / factor;
  out.depth = image.depth;
  out.data.resize(out.RowBytes() * out.height);
  if (image.depth == 8) ReduceInto<std::uint8_t>(image, factor, out);
  if (image.depth == 16) ReduceInto<std::uint16_t>(image, factor, out);
  if (image.depth == 32) ReduceInto<float>(image, factor, out);
  return out;
}

// The depth a file's channels call for: 8 for 8-bit files, 16 for 16-bit, 32 for half, float
// and anything wider. A file that cannot be opened is left to the read to report.
// The input at the depth it calls for, or --depth; the sample at render --sample's size unless
// given another.
HostImage ReadInput(const SheetOptions& options, int sampleWidth = 640, int sampleHeight = 360) {
  if (options.sample)
    return MakeSample(options.depth != 0 ? options.depth : 8, sampleWidth, sampleHeight);
  return ReadImage(options.input,
                   options.depth != 0 ? options.depth : ImageFileDepth(options.input),
                   options.maxPixels);
}

// The input as messages name it.
std::string InputName(const SheetOptions& options) {
  return options.sample ? "the built-in sample" : "'" + options.input + "'";
}

// The input, each stage alone and the whole chain, at the input's size.
void RunStageSheet(const SheetOptions& options) {
  const HostImage input = ReadInput(options, kSampleWidth, kSampleHeight);
  const auto tiles = SheetTiles();
  const auto sessions = Workers(options.session, tiles.size());
  const auto images = RenderTiles(tiles, input, headless::RenderSettings{}, sessions);
  const int columns =
      std::min<int>(options.columns > 0 ? options.columns : 3, static_cast<int>(tiles.size()));
  const HostImage sheet = Compose(tiles, images, columns, InputName(options), options.maxPixels);
  if (!options.tilesFolder.empty()) WriteTiles(options.tilesFolder, tiles, images);
  WriteImage(options.output, sheet, {{"Software", std::string("jitterforge ") + JF_VERSION}});
}

// The look at every combination of the varies, each tile at 1/columns of the input's size.
void RunVarySheet(const SheetOptions& options) {
  Look look = LoadLook(options.look);
  const HostImage input = ReadInput(options);
  auto probe = std::make_unique<Session>(OneThread(options.session));
  const auto paths = GroupPaths(probe->Params());
  std::vector<Vary> varies;
  std::size_t count = 1;
  for (const auto& text : options.varies) {
    varies.push_back(ParseVary(text, probe->Params(), paths));
    for (std::size_t v = 0; v + 1 < varies.size(); ++v) {
      if (varies[v].index == varies.back().index) {
        BadVary(text, "parameter " + std::to_string(varies[v].index) + " is varied already");
      }
    }
    count *= varies.back().values.size();
    if (count > static_cast<std::size_t>(kMaxSheetTiles)) {
      throw CliError("the --vary options make more than " + std::to_string(kMaxSheetTiles) +
                         " tiles, the most a sheet holds",
                     2);
    }
  }
  const int columns = options.columns > 0
                          ? options.columns
                          : static_cast<int>(std::ceil(std::sqrt(static_cast<double>(count))));
  if (input.width < columns || input.height < columns) {
    throw CliError(InputName(options) + " is too small for tiles of 1/" + std::to_string(columns) +
                       " its size",
                   2);
  }
  const HostImage reduced = Reduce(input, columns);
  const auto tiles = VaryTiles(varies, reduced.width);

  const std::optional<FrameTime> recordedTime =
      look.preset ? PresetTime(*look.preset) : std::nullopt;
  const FrameTime time = options.time.frame     ? TimeOfFrame(*options.time.frame, look.rate)
                         : options.time.seconds ? TimeOfSeconds(*options.time.seconds, look.rate)
                         : recordedTime         ? *recordedTime
                                                : TimeOfFrame(0, look.rate);
  headless::RenderSettings settings;
  settings.downsampleX = settings.downsampleY = {1, static_cast<A_u_long>(columns)};
  ApplyTime(time, settings);
  const auto sessions = Workers(options.session, tiles.size(), std::move(probe));
  for (const auto& session : sessions) {
    Look own = look;
    ApplyLook(own, *session);
    ExpandSchedules(own.schedules, session->Params(), own.rate, time.frame, time.frame);
  }
  const auto images = RenderTiles(tiles, reduced, settings, sessions);
  const HostImage sheet = Compose(tiles, images, std::min(columns, static_cast<int>(tiles.size())),
                                  InputName(options), options.maxPixels);
  if (!options.tilesFolder.empty()) {
    WriteTiles(options.tilesFolder, tiles, images);
    // The reduced input, so `render --downsample 1/COLUMNS` can make any tile again.
    WriteImage(TileFile(options.tilesFolder, "input", reduced.depth), reduced);
  }
  WriteImage(options.output, sheet, {{"Software", std::string("jitterforge ") + JF_VERSION}});
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
  const LookOptions& look = options.look;
  if (options.varies.empty() &&
      (!look.look.empty() || !look.preset.empty() || !look.presetFrom.empty() ||
       !look.settings.empty() || options.time.frame || options.time.seconds)) {
    throw CliError("a sheet shows a look across values: give --vary KEY=A..B with it", 2);
  }
  CheckOutputPath(options.output, {options.input});
  // Checked now, so a render is not wasted on a folder that cannot hold the tiles.
  if (!options.tilesFolder.empty() && fs::exists(options.tilesFolder) &&
      !fs::is_directory(options.tilesFolder)) {
    NotAFolder(options.tilesFolder, "is not a folder");
  }
  if (options.varies.empty()) {
    RunStageSheet(options);
  } else {
    RunVarySheet(options);
  }
}

}  // namespace jf::cli
