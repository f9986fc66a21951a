// Basic Blocks through the headless host: the block layer, its composite, scratch memory.
#include <gtest/gtest.h>

#include <vector>

#include "e2e/support.h"
#include "stages/basic_blocks.h"
#include "support/table_defaults.h"

namespace jf::e2e {
namespace {

// The layout a render makes with every parameter but the block count at its default.
BasicBlocksSettings DefaultSettings(A_long count) {
  BasicBlocksSettings s = BasicBlocksDefaults();
  s.count = count;
  return s;
}

// The block layer painted with a plain loop: later blocks win, nothing outside either image.
template <typename Pixel>
void ExpectBlockLayer(const headless::World& input, const headless::World& output, A_long count) {
  const A_long w = input.Width();
  const A_long h = input.Height();
  std::vector<BlockRecord> blocks(count);
  PlaceBasicBlocks(DefaultSettings(count), 0, 0, w, h, blocks.data());
  std::vector<Pixel> expected(static_cast<std::size_t>(w) * h, Pixel{});
  for (const BlockRecord& b : blocks) {
    for (A_long y = 0; y < b.height; ++y) {
      for (A_long x = 0; x < b.width; ++x) {
        const A_long sx = b.x + x, sy = b.y + y, dx = b.destLeft + x, dy = b.destTop + y;
        if (sx < 0 || sy < 0 || sx >= w || sy >= h || dx < 0 || dy < 0 || dx >= w || dy >= h) {
          continue;
        }
        expected[dy * w + dx] = *input.At<Pixel>(sx, sy);
      }
    }
  }
  int mismatches = 0;
  for (A_long y = 0; y < h; ++y) {
    for (A_long x = 0; x < w; ++x) {
      if (std::memcmp(output.At<Pixel>(x, y), &expected[y * w + x], sizeof(Pixel)) != 0) {
        ++mismatches;
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

TEST(BasicBlocks, CopyModeGivesExactlyTheBlockLayerAtEveryDepth) {
  for (int depth : {8, 16, 32}) {
    Rig rig;
    rig.Set(ParamId::BasicBlocksBlendMode, 1);
    rig.Set(ParamId::BasicBlocksNumberOfBlocks, 12);
    auto input = Pattern(301, 157, depth);  // odd sizes
    auto output = Render(rig, *input);
    if (depth == 8) ExpectBlockLayer<PF_Pixel8>(*input, *output, 12);
    if (depth == 16) ExpectBlockLayer<PF_Pixel16>(*input, *output, 12);
    if (depth == 32) ExpectBlockLayer<PF_PixelFloat>(*input, *output, 12);
    EXPECT_EQ(rig.host.Leaks(), "");
  }
}

TEST(BasicBlocks, InFrontKeepsTheSourceWhereNoBlockLands) {
  Rig rig;
  rig.Set(ParamId::BasicBlocksNumberOfBlocks, 1);
  rig.Set(ParamId::BasicBlocksMinWidth, 4);
  rig.Set(ParamId::BasicBlocksWidthRange, 0);
  rig.Set(ParamId::BasicBlocksMinHeight, 4);
  rig.Set(ParamId::BasicBlocksHeightRange, 0);
  auto input = Pattern(200, 100, 8);
  auto output = Render(rig, *input);
  int changed = 0;
  for (A_long y = 0; y < 100; ++y) {
    for (A_long x = 0; x < 200; ++x) {
      changed += std::memcmp(output->At<PF_Pixel8>(x, y), input->At<PF_Pixel8>(x, y), 4) != 0;
    }
  }
  EXPECT_GT(changed, 0);
  EXPECT_LE(changed, 16);
}

TEST(BasicBlocks, AHundredThousandBlocksOnAFullHdFrame) {
  Rig rig;
  rig.Set(ParamId::BasicBlocksNumberOfBlocks, 100000);
  auto input = Pattern(1920, 1080, 8);
  PF_Err err = PF_Err_NONE;
  auto output = Render(rig, *input, &err);
  EXPECT_EQ(err, PF_Err_NONE);
  EXPECT_FALSE(output->SamePixels(*input));
  EXPECT_TRUE(output->PaddingIntact());
  EXPECT_EQ(rig.host.Leaks(), "");
}

TEST(BasicBlocks, WithoutScratchMemoryTheSourcePassesUnchanged) {
  auto input = Pattern(64, 48, 16);
  ExpectOperationFailures([](Rig&) {}, *input, PF_Err_OUT_OF_MEMORY,
                          {{"host_new_handle", PF_Err_NONE}, {"host_lock_handle", PF_Err_NONE}});
}

TEST(BasicBlocks, HalfResolutionRendersTheReducedLayer) {
  Rig rig;
  auto input = Pattern(160, 90, 8);
  headless::RenderSettings half;
  half.downsampleX = half.downsampleY = PF_RationalScale{1, 2};
  PF_Err err = PF_Err_NONE;
  auto a = Render(rig, *input, &err, half);
  EXPECT_EQ(err, PF_Err_NONE);
  auto b = Render(rig, *input);
  EXPECT_FALSE(a->SamePixels(*b));
}

}  // namespace
}  // namespace jf::e2e
