// "AEGP World Suite" 2 and 3: worlds made, seen as effect worlds, blurred and disposed of,
// counted and gated like every host operation.
#include <gtest/gtest.h>

#include <cstring>

#include "headless/aegp_world_suite.h"
#include "headless/imaging/imaging.h"
#include "headless/instance.h"
#include "headless/suites.h"
#include "headless/worlds.h"

namespace jf::headless {
namespace {

const AEGP_WorldSuite2& V2() {
  return AegpWorldSuite2Table();
}
const AEGP_WorldSuite3& V3() {
  return AegpWorldSuite3Table();
}

/// A host, current on this thread while the test runs.
struct Current {
  Host host;
  Host::Activation active{host};
  std::int64_t Worlds() { return host.GetAccounting().Live(Accounting::Kind::World); }
};

TEST(AegpWorldSuite, ServedAtVersionsTwoAndThreeOverOneSetOfWorlds) {
  Current c;
  EXPECT_EQ(c.host.Suites().Find(kAEGPWorldSuite, kAEGPWorldSuiteVersion2), &V2());
  EXPECT_EQ(c.host.Suites().Find(kAEGPWorldSuite, kAEGPWorldSuiteVersion3), &V3());

  const struct {
    AEGP_WorldType type;
    PF_PixelFormat format;
  } kTypes[] = {{AEGP_WorldType_8, PF_PixelFormat_ARGB32},
                {AEGP_WorldType_16, PF_PixelFormat_ARGB64},
                {AEGP_WorldType_32, PF_PixelFormat_ARGB128}};
  for (const auto& t : kTypes) {
    // Made through version 2, seen and disposed of through version 3, whose FillOut sits one
    // member later.
    AEGP_WorldH world = nullptr;
    ASSERT_EQ(V2().AEGP_New(0, t.type, 7, 5, &world), A_Err_NONE);
    EXPECT_EQ(c.Worlds(), 1);
    PF_EffectWorld effect{};
    ASSERT_EQ(V3().AEGP_FillOutPFEffectWorld(world, &effect), A_Err_NONE);
    EXPECT_EQ(effect.width, 7);
    EXPECT_EQ(effect.height, 5);
    PF_PixelFormat format = PF_PixelFormat_INVALID;
    EXPECT_EQ(CheckWorld(&effect, &format), PF_Err_NONE);  // the host's operations accept it
    EXPECT_EQ(format, t.format);
    EXPECT_EQ(V3().AEGP_Dispose(world), A_Err_NONE);
    EXPECT_EQ(CheckWorld(&effect, nullptr), PF_Err_BAD_CALLBACK_PARAM);
  }
  EXPECT_EQ(c.host.Leaks(), "");
}

TEST(AegpWorldSuite, BadRequestsAndStrangersAreRefused) {
  Current c;
  AEGP_WorldH world = nullptr;
  EXPECT_EQ(V2().AEGP_New(0, AEGP_WorldType_NONE, 4, 4, &world), A_Err_PARAMETER);
  EXPECT_EQ(V2().AEGP_New(0, AEGP_WorldType_8, 0, 4, &world), A_Err_PARAMETER);
  EXPECT_EQ(V2().AEGP_New(0, AEGP_WorldType_8, 4, 4, nullptr), A_Err_PARAMETER);
  EXPECT_EQ(c.Worlds(), 0);

  int junk = 0;
  PF_EffectWorld effect{};
  EXPECT_EQ(V3().AEGP_FillOutPFEffectWorld(reinterpret_cast<AEGP_WorldH>(&junk), &effect),
            A_Err_PARAMETER);
  ASSERT_EQ(V2().AEGP_New(0, AEGP_WorldType_8, 4, 4, &world), A_Err_NONE);
  {
    Host other;  // another host's world is a stranger too
    Host::Activation active(other);
    EXPECT_EQ(V2().AEGP_Dispose(world), A_Err_PARAMETER);
  }
  EXPECT_EQ(V2().AEGP_Dispose(world), A_Err_NONE);
  EXPECT_EQ(V2().AEGP_Dispose(world), A_Err_PARAMETER);
  EXPECT_EQ(V3().AEGP_GetType(world, nullptr), A_Err_GENERIC);  // unserved, but counted
  EXPECT_EQ(c.host.GetGate().Calls("AEGP_GetType"), 1u);
  EXPECT_EQ(c.host.Leaks(), "");
}

TEST(AegpWorldSuite, FastBlurIsTheHostsBlurOfTheWholeWorld) {
  Current c;
  AEGP_WorldH world = nullptr;
  ASSERT_EQ(V2().AEGP_New(0, AEGP_WorldType_8, 9, 6, &world), A_Err_NONE);
  PF_EffectWorld effect{};
  ASSERT_EQ(V3().AEGP_FillOutPFEffectWorld(world, &effect), A_Err_NONE);
  World expected(9, 6, PF_PixelFormat_ARGB32);
  *expected.At<PF_Pixel8>(4, 3) = PF_Pixel8{255, 255, 0, 90};
  for (A_long y = 0; y < 6; ++y) {
    std::memcpy(reinterpret_cast<char*>(effect.data) + y * effect.rowbytes, expected.Row(y), 36);
  }
  EXPECT_EQ(V2().AEGP_FastBlur(2.0, PF_MF_Alpha_STRAIGHT, PF_Quality_LO, world), A_Err_NONE);
  PF_EffectWorld reference = expected.Effect();
  ASSERT_EQ(FastBlurImpl(PF_PixelFormat_ARGB32, 2.0, reference), PF_Err_NONE);
  for (A_long y = 0; y < 6; ++y) {
    EXPECT_EQ(std::memcmp(reinterpret_cast<char*>(effect.data) + y * effect.rowbytes,
                          expected.Row(y), 36),
              0);
  }
  EXPECT_LT(expected.At<PF_Pixel8>(4, 3)->alpha, 255);                           // it did blur
  EXPECT_EQ(V3().AEGP_FastBlur(2.0, 7, PF_Quality_HI, world), A_Err_PARAMETER);  // mode flags
  EXPECT_EQ(V2().AEGP_Dispose(world), A_Err_NONE);
}

TEST(AegpWorldSuite, EveryServedCallPassesTheGate) {
  Current c;
  Gate& gate = c.host.GetGate();
  AEGP_WorldH world = nullptr;
  gate.FailOperation("AEGP_New", A_Err_ALLOC);
  EXPECT_EQ(V2().AEGP_New(0, AEGP_WorldType_8, 4, 4, &world), A_Err_ALLOC);
  EXPECT_EQ(c.Worlds(), 0);
  gate.ClearFailures();

  ASSERT_EQ(V2().AEGP_New(0, AEGP_WorldType_8, 4, 4, &world), A_Err_NONE);
  PF_EffectWorld effect{};
  gate.FailOperation("AEGP_FillOutPFEffectWorld", 77);
  EXPECT_EQ(V3().AEGP_FillOutPFEffectWorld(world, &effect), 77);
  gate.FailOperation("AEGP_FastBlur", 78);
  EXPECT_EQ(V3().AEGP_FastBlur(1.0, PF_MF_Alpha_STRAIGHT, PF_Quality_HI, world), 78);
  // A failed disposal is reported, and the world is gone all the same.
  gate.FailOperation("AEGP_Dispose", 79);
  EXPECT_EQ(V2().AEGP_Dispose(world), 79);
  EXPECT_EQ(c.Worlds(), 0);
  EXPECT_EQ(c.host.Leaks(), "");
}

}  // namespace
}  // namespace jf::headless
