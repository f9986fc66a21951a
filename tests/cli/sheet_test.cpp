// The seed browser: a look across values, each tile as `render` makes it at the size shown.
#include <gtest/gtest.h>

#include <OpenImageIO/imageio.h>

#include <algorithm>

#include "cli/image_io.h"
#include "tests/cli/cli_support.h"

namespace jf::cli::testing {
namespace {

class Sheet : public CliTest {
 protected:
  void SetUp() override {
    CliTest::SetUp();
    WriteImage(Path("in.png"), MakeSample(8, 96, 54));
    WriteText(Path("look.json"), R"({"parameters": {
      "Basic Blocks/Enable Basic Blocks": true, "Basic Blocks/Number Of Blocks": 12,
      "Basic Blocks/Maximum Horizontal Offset": {"keyframes": [
        {"frame": 0, "value": 0}, {"frame": 20, "value": 80}]},
      "Basic Blocks/Block Size/Width Random Seed": {"schedule": {"seed": 7, "every": 3}},
      "Noise/Enable Noise": false}})");
  }
};

constexpr const char* kSeed = "Basic Blocks/Position Random Seed";

TEST_F(Sheet, EachTileIsTheRenderOfItsValuesAtTheSizeShown) {
  // An animated look, shown at a moment of it.
  const std::string vary = std::string(" --frame 10 --vary \"") + kSeed + "=1..4\"";
  const Result r = RunCli("sheet " + Path("in.png") + " " + Path("sheet.png") + " --preset " +
                          Path("look.json") + vary + " --tiles " + Path("new/tiles"));
  ASSERT_EQ(r.status, 0) << r.err;
  // Four tiles in two columns, each at half size under one label line.
  const HostImage sheet = ReadImage(Path("sheet.png"), 8);
  EXPECT_EQ(sheet.width, 2 * (48 + 4) + 4);
  EXPECT_EQ(sheet.height, 2 * (27 + 7 + 8) + 4);

  std::vector<std::vector<std::uint8_t>> tiles;
  for (int seed = 1; seed <= 4; ++seed) {
    const std::string tile =
        Path("new/tiles/position_random_seed_" + std::to_string(seed) + ".png");
    const auto pixels = ReadImage(tile, 8).data;
    EXPECT_EQ(std::find(tiles.begin(), tiles.end(), pixels), tiles.end()) << "seed " << seed;
    tiles.push_back(pixels);
    const Result render =
        RunCli("render " + Path("new/tiles/input.png") + " " + Path("render.png") +
               " --frame 10 --downsample 1/2 --preset " + Path("look.json") + " --set \"" + kSeed +
               "=" + std::to_string(seed) + "\"");
    ASSERT_EQ(render.status, 0) << render.err;
    EXPECT_EQ(ReadImage(Path("render.png"), 8).data, pixels) << "seed " << seed;
  }

  // Side by side or one after another, the tiles are the same.
  const Result one = RunCli("sheet " + Path("in.png") + " " + Path("one.png") + " --preset " +
                            Path("look.json") + vary + " --threads 1");
  ASSERT_EQ(one.status, 0) << one.err;
  EXPECT_EQ(ReadImage(Path("one.png"), 8).data, sheet.data);
}

// Tiles render at the depth the input calls for, as render does with that --depth.
TEST_F(Sheet, TilesKeepTheInputsDepth) {
  for (const auto& [depth, extension] : {std::pair{16, ".png"}, std::pair{32, ".exr"}}) {
    const std::string input = Path("deep") + extension;
    WriteImage(input, MakeSample(depth, 96, 54));
    const std::string tiles = Path("tiles" + std::to_string(depth));
    const Result r = RunCli("sheet " + input + " " + Path("sheet.png") + " --preset " +
                            Path("look.json") + " --vary \"" + kSeed + "=1..2\" --tiles " + tiles);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string tile = tiles + "/position_random_seed_2" + extension;
    auto in = OIIO::ImageInput::open(tile);
    ASSERT_TRUE(in) << tile;
    EXPECT_EQ(in->spec().format.size() * 8, depth == 16 ? 16u : 32u);
    const std::string rendered = Path("render") + extension;
    const Result render =
        RunCli("render " + tiles + "/input" + extension + " " + rendered + " --depth " +
               std::to_string(depth) + " --downsample 1/2 --preset " + Path("look.json") +
               " --set \"" + kSeed + "=2\"");
    ASSERT_EQ(render.status, 0) << render.err;
    EXPECT_EQ(ReadImage(rendered, depth).data, ReadImage(tile, depth).data) << depth;
  }
}

TEST_F(Sheet, SeveralVariesMakeTheirProductUnderOneLabelLineEach) {
  const Result r =
      RunCli("sheet " + Path("in.png") + " " + Path("sheet.png") + " --preset " +
             Path("look.json") + " --vary \"" + kSeed +
             "=5..1:2\" --vary \"Basic Blocks/Number Of Blocks=4..8:4\" --tiles " + Path("tiles"));
  ASSERT_EQ(r.status, 0) << r.err;
  // Six tiles (seeds 5, 3, 1 by 4 and 8 blocks) at a third of the size, in three columns.
  const HostImage sheet = ReadImage(Path("sheet.png"), 8);
  EXPECT_EQ(sheet.width, 3 * (32 + 4) + 4);
  EXPECT_EQ(sheet.height, 2 * (18 + 2 * 7 + 2 + 8) + 4);
  for (const char* seed : {"5", "3", "1"}) {
    for (const char* blocks : {"4", "8"}) {
      EXPECT_TRUE(fs::exists(Path(std::string("tiles/position_random_seed_") + seed +
                                  "_number_of_blocks_" + blocks + ".png")));
    }
  }
}

TEST_F(Sheet, RefusesWhatItCannotShowWithOneLineAndNoFile) {
  const std::string seed = std::string(" --vary \"") + kSeed;
  const std::pair<std::string, std::string> cases[] = {
      {seed + "=1-4\"", "give KEY=A..B or KEY=A..B:STEP"},
      {seed + "=1..x\"", "\"x\" is not a number"},
      {seed + "=1..4:0\"", "the step must be more than 0"},
      {" --vary \"Basic Blocks/No Such=1..4\"", "Basic Blocks/No Such"},
      {seed + "=0..3\"", "Position Random Seed"},
      {seed + "=1..65\"", "at most 64 tiles"},
      {seed + "=1..8\" --vary \"Basic Blocks/Number Of Blocks=1..9\"", "more than 64 tiles"},
      {seed + "=1..2\"" + seed + "=3..4\"", "is varied already"},
      {" --preset " + Path("look.json"), "give --vary KEY=A..B with it"},
      {" --frame 3", "give --vary KEY=A..B with it"},
      {seed + "=1..2\" --tiles " + Path("look.json"), "is not a folder"},
  };
  for (const auto& [args, message] : cases) {
    const Result r = RunCli("sheet " + Path("in.png") + " " + Path("sheet.png") + args);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_EQ(Lines(r.err), 1) << r.err;
    EXPECT_NE(r.err.find(message), std::string::npos) << args << ": " << r.err;
    EXPECT_FALSE(fs::exists(Path("sheet.png"))) << args;
  }
}

}  // namespace
}  // namespace jf::cli::testing
