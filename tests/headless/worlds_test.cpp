// Worlds: layout, clearing, the registry, and the world suite an effect uses.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "headless/instance.h"
#include "headless/suites.h"
#include "headless/worlds.h"

namespace jf::headless {
namespace {

constexpr PF_PixelFormat kFormats[] = {PF_PixelFormat_ARGB32, PF_PixelFormat_ARGB64,
                                       PF_PixelFormat_ARGB128};

TEST(World, RowsArePaddedPastTheirPixelsAndStartTransparent) {
  for (PF_PixelFormat format : kFormats) {
    for (A_long width : {1, 4, 7, 16}) {
      World w(width, 3, format);
      EXPECT_GT(w.RowBytes(), width * w.BytesPerPixel()) << width;
      EXPECT_EQ(w.RowBytes() % 16, 0);
      EXPECT_EQ(w.Effect().extent_hint.right, width);
      EXPECT_EQ(w.Effect().extent_hint.bottom, 3);
      EXPECT_TRUE(w.Effect().world_flags & PF_WorldFlag_WRITEABLE);
      EXPECT_EQ((w.Effect().world_flags & PF_WorldFlag_DEEP) != 0,
                format != static_cast<PF_PixelFormat>(PF_PixelFormat_ARGB32));
      for (A_long y = 0; y < 3; ++y) {
        for (int i = 0; i < width * w.BytesPerPixel(); ++i) ASSERT_EQ(w.Row(y)[i], 0);
      }
      EXPECT_TRUE(w.PaddingIntact());
    }
  }
}

TEST(World, ClearKeepsThePaddingAndPaddingDamageShows) {
  World w(5, 2, PF_PixelFormat_ARGB32);
  std::memset(w.Row(1), 0x7F, 5 * 4);
  w.Clear();
  EXPECT_EQ(w.At<PF_Pixel8>(4, 1)->red, 0);
  EXPECT_TRUE(w.PaddingIntact());
  w.Row(0)[5 * 4] = 0;  // one byte past the last pixel of row 0
  EXPECT_FALSE(w.PaddingIntact());
}

TEST(World, RefusesSizesAndFormatsNoWorldHas) {
  for (auto [w, h] : {std::pair{0, 1}, std::pair{1, 0}, std::pair{-3, 4}, std::pair{30001, 1},
                      std::pair{1, 30001}}) {
    EXPECT_THROW(World(w, h, PF_PixelFormat_ARGB32), std::invalid_argument) << w << "x" << h;
    std::unique_ptr<World> out;
    EXPECT_EQ(World::Make(w, h, PF_PixelFormat_ARGB32, &out), PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(out, nullptr);
  }
  EXPECT_THROW(World(4, 4, PF_PixelFormat_BGRA32), std::invalid_argument);
  std::unique_ptr<World> out;
  EXPECT_EQ(World::Make(30000, 1, PF_PixelFormat_ARGB128, &out), PF_Err_NONE);
}

TEST(WorldRegistry, KnowsLiveWorldsOnlyAndRecordsThatOverreach) {
  const void* data = nullptr;
  {
    World w(6, 4, PF_PixelFormat_ARGB64);
    data = w.Effect().data;
    PF_PixelFormat format = 0;
    ASSERT_EQ(CheckWorld(&w.Effect(), &format), PF_Err_NONE);
    EXPECT_EQ(format, static_cast<PF_PixelFormat>(PF_PixelFormat_ARGB64));

    PF_EffectWorld part = w.Effect();
    part.width = 3;  // describing less of a world is fine
    EXPECT_EQ(CheckWorld(&part, nullptr), PF_Err_NONE);
    PF_EffectWorld wider = w.Effect();
    wider.width = 7;
    EXPECT_EQ(CheckWorld(&wider, nullptr), PF_Err_BAD_CALLBACK_PARAM);
    PF_EffectWorld packed = w.Effect();
    packed.rowbytes = 6 * 8;
    EXPECT_EQ(CheckWorld(&packed, nullptr), PF_Err_BAD_CALLBACK_PARAM);
    PF_EffectWorld inside = w.Effect();
    inside.data = reinterpret_cast<PF_PixelPtr>(w.Row(1));
    EXPECT_EQ(CheckWorld(&inside, nullptr), PF_Err_BAD_CALLBACK_PARAM);
  }
  EXPECT_FALSE(FindWorld(data).has_value());
  EXPECT_EQ(CheckWorld(nullptr, nullptr), PF_Err_BAD_CALLBACK_PARAM);
}

class WorldSuite : public ::testing::Test {
 protected:
  Host host;
  Host::Activation active{host};
  const PF_WorldSuite2& suite = WorldSuite2Table();
};

TEST_F(WorldSuite, NewWorldsAreClearedInEveryFormatAndCountedUntilDisposed) {
  for (PF_PixelFormat format : kFormats) {
    for (PF_Boolean clear : {0, 1}) {
      PF_EffectWorld w{};
      ASSERT_EQ(suite.PF_NewWorld(nullptr, 9, 5, clear, format, &w), PF_Err_NONE);
      PF_PixelFormat got = 0;
      ASSERT_EQ(suite.PF_GetPixelFormat(&w, &got), PF_Err_NONE);
      EXPECT_EQ(got, format);
      EXPECT_EQ(w.width, 9);
      EXPECT_EQ(w.extent_hint.right, 9);
      const int bytes = 9 * PixelBytes(format);
      for (A_long y = 0; y < 5; ++y) {
        const auto* row = reinterpret_cast<const std::uint8_t*>(w.data) + y * w.rowbytes;
        for (int i = 0; i < bytes; ++i) ASSERT_EQ(row[i], 0);
      }
      EXPECT_EQ(host.Leaks(), "live worlds: 1\n");
      EXPECT_EQ(suite.PF_DisposeWorld(nullptr, &w), PF_Err_NONE);
      EXPECT_EQ(host.Leaks(), "");
    }
  }
}

TEST_F(WorldSuite, BadRequestsGetTheHostsErrorsNotACrash) {
  PF_EffectWorld w{};
  EXPECT_EQ(suite.PF_NewWorld(nullptr, 0, 5, 1, PF_PixelFormat_ARGB32, &w),
            PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(suite.PF_NewWorld(nullptr, 5, 30001, 1, PF_PixelFormat_ARGB32, &w),
            PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(suite.PF_NewWorld(nullptr, 5, 5, 1, PF_PixelFormat_INVALID, &w),
            PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(suite.PF_NewWorld(nullptr, 5, 5, 1, PF_PixelFormat_ARGB32, nullptr),
            PF_Err_BAD_CALLBACK_PARAM);
  int notAnInstance = 0;
  EXPECT_EQ(suite.PF_NewWorld(reinterpret_cast<PF_ProgPtr>(&notAnInstance), 5, 5, 1,
                              PF_PixelFormat_ARGB32, &w),
            PF_Err_BAD_CALLBACK_PARAM);

  ASSERT_EQ(suite.PF_NewWorld(nullptr, 5, 5, 1, PF_PixelFormat_ARGB32, &w), PF_Err_NONE);
  PF_EffectWorld copy = w;
  EXPECT_EQ(suite.PF_DisposeWorld(nullptr, &w), PF_Err_NONE);
  EXPECT_EQ(suite.PF_DisposeWorld(nullptr, &copy), PF_Err_BAD_CALLBACK_PARAM);  // twice
  PF_PixelFormat format = 0;
  EXPECT_EQ(suite.PF_GetPixelFormat(&copy, &format), PF_Err_BAD_CALLBACK_PARAM);  // gone

  World hostOwned(4, 4, PF_PixelFormat_ARGB32);
  PF_EffectWorld record = hostOwned.Effect();
  EXPECT_EQ(suite.PF_DisposeWorld(nullptr, &record), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(host.Leaks(), "");
}

TEST_F(WorldSuite, AnInjectedFailureMakesNoWorldAndAFailedDisposeStillFrees) {
  PF_EffectWorld w{};
  host.GetGate().FailOperation("PF_NewWorld", PF_Err_OUT_OF_MEMORY);
  EXPECT_EQ(suite.PF_NewWorld(nullptr, 5, 5, 1, PF_PixelFormat_ARGB32, &w), PF_Err_OUT_OF_MEMORY);
  EXPECT_EQ(host.Leaks(), "");
  host.GetGate().ClearFailures();
  ASSERT_EQ(suite.PF_NewWorld(nullptr, 5, 5, 1, PF_PixelFormat_ARGB32, &w), PF_Err_NONE);
  host.GetGate().FailOperation("PF_DisposeWorld", PF_Err_OUT_OF_MEMORY);
  EXPECT_EQ(suite.PF_DisposeWorld(nullptr, &w), PF_Err_OUT_OF_MEMORY);
  EXPECT_EQ(host.Leaks(), "");
}

TEST_F(WorldSuite, PixelOperationsRefuseUnknownAndMismatchedWorlds) {
  const PF_WorldTransformSuite1& transform = WorldTransformSuiteTable();
  World a(4, 4, PF_PixelFormat_ARGB32);
  World b(4, 4, PF_PixelFormat_ARGB64);
  PF_EffectWorld ra = a.Effect(), rb = b.Effect();
  EXPECT_EQ(transform.copy(nullptr, &ra, &rb, nullptr, nullptr), PF_Err_BAD_CALLBACK_PARAM);
  PF_EffectWorld stranger = ra;
  std::uint8_t pixels[64] = {};
  stranger.data = reinterpret_cast<PF_PixelPtr>(pixels);
  EXPECT_EQ(transform.copy(nullptr, &stranger, &ra, nullptr, nullptr), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(transform.copy(nullptr, nullptr, &ra, nullptr, nullptr), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(FillMatteSuiteTable().fill(nullptr, nullptr, nullptr, &stranger),
            PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(host.GetGate().Calls("copy"), 3u);
  EXPECT_EQ(host.GetGate().Calls("fill"), 1u);
}

}  // namespace
}  // namespace jf::headless
