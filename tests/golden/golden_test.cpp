// Golden frames: a fixed set of renders through the built module, each reduced to a hash of its
// pixels and compared with the hashes recorded in frames.txt beside this file. Rendered output is
// the product, so any change to these bytes is a change users see; a change that is meant must
// rewrite the table (JF_GOLDEN_UPDATE=1) in the same commit and say why.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/support.h"

namespace jf::e2e {
namespace {

constexpr ParamId kEnables[] = {ParamId::EnableBasicBlocks,     ParamId::EnablePixelSorter,
                                ParamId::EnableElementsScatter, ParamId::EnableBlurBlocks,
                                ParamId::EnableNoise,           ParamId::EnableWarp,
                                ParamId::EnableSplitRgb};
constexpr const char* kStageNames[] = {"basic_blocks", "pixel_sorter", "elements_scatter",
                                       "blur_blocks",  "noise",        "warp",
                                       "split_rgb"};

using Setup = std::function<void(Rig&)>;

void Only(Rig& rig, int stage) {
  for (int i = 0; i < 7; ++i) rig.Enable(kEnables[i], i == stage || stage < 0);
}

// Settings that make each stage do visible work on small frames, with the less common choices
// (popups, flips, random sizes, every shape kind) switched on.
void Showcase(Rig& rig) {
  rig.Set(ParamId::BasicBlocksNumberOfBlocks, 24);
  rig.Set(ParamId::BasicBlocksMaxHorizontalOffset, 40);
  rig.Set(ParamId::BasicBlocksMaxVerticalOffset, 9);
  rig.Set(ParamId::BasicBlocksMinWidth, 12);
  rig.Set(ParamId::BasicBlocksWidthRange, 50);
  rig.Set(ParamId::BasicBlocksMinHeight, 4);
  rig.Set(ParamId::BasicBlocksHeightRange, 12);
  rig.Set(ParamId::BasicBlocksBlendMode, 5);
  rig.Set(ParamId::PixelSorterSortDirection, 30);
  rig.Set(ParamId::PixelSorterMethod, 2);
  rig.Set(ParamId::PixelSorterOutput, 3);
  rig.Set(ParamId::PixelSorterBlockSize, 3);
  rig.Set(ParamId::PixelSorterSecondarySortCriteria, 2);
  for (ParamId id : {ParamId::CircleEnable, ParamId::SquareEnable, ParamId::PlusEnable,
                     ParamId::XEnable, ParamId::XSquareEnable, ParamId::DottedLineEnable}) {
    rig.Enable(id);
  }
  rig.Set(ParamId::CircleNumberOfShapes, 6);
  rig.Set(ParamId::CircleRadius, 9);
  rig.Enable(ParamId::CircleEnableRandomRadius);
  rig.Set(ParamId::SquareNumberOfShapes, 8);
  rig.Set(ParamId::SquareSize, 14);
  rig.Set(ParamId::SquareOpacity, 100);
  rig.Enable(ParamId::PlusEnableRandomSize);
  rig.Enable(ParamId::XSquareOverrideBlendMode);
  rig.Set(ParamId::XSquareBlendMode, 9);
  rig.Enable(ParamId::DottedLineEnableRandomSize);
  rig.Set(ParamId::BlurBlocksNumberOfBlocks, 6);
  rig.Set(ParamId::BlurBlocksRadius, 5);
  rig.Set(ParamId::BlurBlocksMinWidth, 20);
  rig.Set(ParamId::BlurBlocksWidthRange, 30);
  rig.Set(ParamId::BlurBlocksMinHeight, 10);
  rig.Set(ParamId::BlurBlocksHeightRange, 20);
  rig.Set(ParamId::NoiseFrequency, 20);
  rig.Set(ParamId::NoiseAmplitude, 30);
  rig.Set(ParamId::NoiseOctaves, 3);
  rig.Set(ParamId::NoiseTintContribution, 40);
  rig.Set(ParamId::WarpFrequency, 20);
  rig.Set(ParamId::WarpAmplitude, 12);
  rig.Set(ParamId::WarpOffset, 33);
  rig.Set(ParamId::SplitRedHorizontalOffset, 6);
  rig.Set(ParamId::SplitRedFlipVertical, 1);
  rig.Set(ParamId::SplitGreenHorizontalOffset, -6);
  rig.Set(ParamId::SplitGreenInvert, 1);
  rig.Set(ParamId::SplitBlueVerticalOffset, 4);
}

// Animated: a moving warp, a blend that changes on a hold key, and a re-seeded block layout.
void Keyframed(Rig& rig) {
  Only(rig, -1);
  Showcase(rig);
  auto& p = rig.Params();
  using headless::Interpolation;
  p.SetKeyframes(static_cast<PF_ParamIndex>(ParamId::WarpOffset),
                 {{0.0, 0, {}, Interpolation::Linear}, {1.0, 240, {}, Interpolation::Linear}});
  p.SetKeyframes(static_cast<PF_ParamIndex>(ParamId::BasicBlocksPositionSeed),
                 {{0.0, 1, {}, Interpolation::Hold}, {0.5, 7, {}, Interpolation::Hold}});
  p.SetKeyframes(static_cast<PF_ParamIndex>(ParamId::NoiseAmplitude),
                 {{0.2, 10, {}, Interpolation::Linear}, {0.9, 60, {}, Interpolation::Linear}});
}

struct Case {
  std::string name;
  A_long width;
  A_long height;
  Setup setup;
  headless::RenderSettings settings{};
};

std::vector<Case> Cases() {
  std::vector<Case> cases;
  for (int s = 0; s < 7; ++s) {
    cases.push_back(
        {std::string(kStageNames[s]) + "_defaults", 161, 97, [s](Rig& rig) { Only(rig, s); }});
    cases.push_back({std::string(kStageNames[s]) + "_showcase", 97, 61, [s](Rig& rig) {
                       Only(rig, s);
                       Showcase(rig);
                     }});
  }
  cases.push_back({"passthrough", 161, 97, [](Rig& rig) { Only(rig, 7); }});
  cases.push_back({"all_defaults", 161, 97, [](Rig& rig) { Only(rig, -1); }});
  cases.push_back({"all_showcase", 240, 135, [](Rig& rig) {
                     Only(rig, -1);
                     Showcase(rig);
                   }});
  headless::RenderSettings half;
  half.downsampleX = {1, 2};
  half.downsampleY = {1, 3};
  cases.push_back({"all_showcase_downsampled", 121, 45,
                   [](Rig& rig) {
                     Only(rig, -1);
                     Showcase(rig);
                   },
                   half});
  for (A_long frame : {0, 12, 27}) {
    headless::RenderSettings at;
    at.time = frame;
    at.timeStep = 1;
    at.timeScale = 30;
    cases.push_back({"keyframed_frame" + std::to_string(frame), 131, 77, Keyframed, at});
  }
  return cases;
}

// FNV-1a over the pixels row by row (padding excluded), with the size and format first.
std::uint64_t HashPixels(const headless::World& w) {
  std::uint64_t h = 14695981039346656037ull;
  auto mix = [&h](std::uint8_t byte) {
    h ^= byte;
    h *= 1099511628211ull;
  };
  for (std::int64_t v :
       {std::int64_t{w.Width()}, std::int64_t{w.Height()}, std::int64_t{w.Format()}}) {
    for (int i = 0; i < 8; ++i) mix(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  const std::size_t row = static_cast<std::size_t>(w.Width()) * w.BytesPerPixel();
  for (A_long y = 0; y < w.Height(); ++y) {
    const std::uint8_t* p = w.Row(y);
    for (std::size_t i = 0; i < row; ++i) mix(p[i]);
  }
  return h;
}

const std::string kTablePath = std::string(JF_SOURCE_DIR) + "/tests/golden/frames.txt";

std::map<std::string, std::string> ReadTable() {
  std::map<std::string, std::string> table;
  std::ifstream in(kTablePath);
  std::string key;
  std::string hash;
  while (in >> key >> hash) table[key] = hash;
  return table;
}

std::string Hex(std::uint64_t v) {
  std::ostringstream s;
  s << std::hex;
  s.width(16);
  s.fill('0');
  s << v;
  return s.str();
}

TEST(GoldenFrames, EveryRenderMatchesItsRecordedHash) {
  const bool update = std::getenv("JF_GOLDEN_UPDATE") != nullptr;
  const std::map<std::string, std::string> table = ReadTable();
  std::map<std::string, std::string> seen;
  for (const Case& c : Cases()) {
    for (int depth : {8, 16, 32}) {
      const std::string key = c.name + "@" + std::to_string(depth);
      auto input = Pattern(c.width, c.height, depth);
      std::string hashes[2];
      for (int threads : {1, 2}) {
        Rig rig(threads);
        c.setup(rig);
        auto out = Render(rig, *input, nullptr, c.settings);
        EXPECT_EQ(rig.host.Leaks(), "") << key;
        // A case that changes nothing would guard nothing.
        EXPECT_EQ(out->SamePixels(*input), c.name == "passthrough") << key;
        hashes[threads - 1] = Hex(HashPixels(*out));
      }
      EXPECT_EQ(hashes[0], hashes[1]) << key << ": one thread and two differ";
      seen[key] = hashes[0];
      if (update) continue;
      const auto recorded = table.find(key);
      if (recorded == table.end()) {
        ADD_FAILURE() << key << " has no recorded hash (JF_GOLDEN_UPDATE=1 records it)";
      } else {
        EXPECT_EQ(hashes[0], recorded->second) << key;
      }
    }
  }
  if (update) {
    std::ofstream out(kTablePath);
    for (const auto& [key, hash] : seen) out << key << ' ' << hash << '\n';
  } else {
    EXPECT_EQ(seen.size(), table.size()) << "frames.txt lists renders this test no longer makes";
  }
}

}  // namespace
}  // namespace jf::e2e
