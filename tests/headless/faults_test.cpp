// The gate and the accounting, and the suites that go through them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <thread>
#include <vector>

#include "headless/faults.h"
#include "headless/instance.h"
#include "headless/suites.h"

namespace jf::headless {
namespace {

TEST(Gate, CountsEveryCallByOperation) {
  Gate gate;
  gate.Pass("copy");
  gate.Pass("copy");
  gate.Pass("fill");
  EXPECT_EQ(gate.TotalCalls(), 3u);
  EXPECT_EQ(gate.Calls("copy"), 2u);
  EXPECT_EQ(gate.Calls("fill"), 1u);
  EXPECT_EQ(gate.Calls("iterate"), 0u);
  gate.ResetCounts();
  EXPECT_EQ(gate.TotalCalls(), 0u);
  EXPECT_EQ(gate.Calls("copy"), 0u);
}

TEST(Gate, FailsExactlyTheNthCallCountedFromTheReset) {
  Gate gate;
  gate.Pass("a");
  gate.ResetCounts();
  gate.FailNthCall(3, PF_Err_OUT_OF_MEMORY);
  EXPECT_EQ(gate.Pass("a"), PF_Err_NONE);
  EXPECT_EQ(gate.Pass("b"), PF_Err_NONE);
  EXPECT_EQ(gate.Pass("a"), PF_Err_OUT_OF_MEMORY);
  EXPECT_EQ(gate.Pass("a"), PF_Err_NONE);
  EXPECT_EQ(gate.InjectedFailures(), 1u);
}

TEST(Gate, FailsEveryCallOfOneOperationUntilCleared) {
  Gate gate;
  gate.FailOperation("PF_NewWorld", PF_Err_INVALID_INDEX);
  EXPECT_EQ(gate.Pass("PF_NewWorld"), PF_Err_INVALID_INDEX);
  EXPECT_EQ(gate.Pass("PF_NewWorld"), PF_Err_INVALID_INDEX);
  EXPECT_EQ(gate.Pass("PF_DisposeWorld"), PF_Err_NONE);
  gate.ClearFailures();
  EXPECT_EQ(gate.Pass("PF_NewWorld"), PF_Err_NONE);
}

TEST(Gate, CountsCallsFromManyThreads) {
  Gate gate;
  gate.FailNthCall(5000, PF_Err_OUT_OF_MEMORY);
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 1000; ++i) {
        if (gate.Pass(i % 2 ? "odd" : "even") != PF_Err_NONE) ++failures;
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(gate.TotalCalls(), 8000u);
  EXPECT_EQ(gate.Calls("odd"), 4000u);
  EXPECT_EQ(failures.load(), 1);
}

TEST(Accounting, ReportsWhatIsStillHeldAndNeverGoesNegative) {
  Accounting a;
  EXPECT_EQ(a.Leaks(), "");
  a.Acquired(Accounting::Kind::World);
  a.Acquired(Accounting::Kind::Param);
  a.Released(Accounting::Kind::Param);
  a.Released(Accounting::Kind::Param);  // a check-in of nothing is tolerated
  EXPECT_EQ(a.Live(Accounting::Kind::Param), 0);
  a.SuiteAcquired("PF World Suite", 2);
  EXPECT_EQ(a.Leaks(), "live worlds: 1\nsuite \"PF World Suite v2\" held: 1\n");
  a.Released(Accounting::Kind::World);
  EXPECT_TRUE(a.SuiteReleased("PF World Suite", 2));
  EXPECT_EQ(a.Leaks(), "");
  EXPECT_FALSE(a.SuiteReleased("PF World Suite", 2));
  EXPECT_EQ(a.Leaks(), "suite releases without an acquire: 1\n");
}

// ---- Suites -----------------------------------------------------------------------------------

class Suites : public ::testing::Test {
 protected:
  Host host;
  Host::Activation active{host};
  const SPBasicSuite& basic = *host.BasicSuite();
};

TEST_F(Suites, AcquireServesKnownSuitesAndCountsThemHeld) {
  const void* suite = nullptr;
  ASSERT_EQ(basic.AcquireSuite(kPFWorldSuite, kPFWorldSuiteVersion2, &suite), kSPNoError);
  EXPECT_EQ(suite, &WorldSuite2Table());
  EXPECT_EQ(host.GetAccounting().SuitesHeld(kPFWorldSuite, 2), 1);
  EXPECT_NE(host.Leaks(), "");
  EXPECT_EQ(basic.ReleaseSuite(kPFWorldSuite, kPFWorldSuiteVersion2), kSPNoError);
  EXPECT_EQ(host.Leaks(), "");
  EXPECT_EQ(host.GetGate().Calls("AcquireSuite"), 1u);
  EXPECT_EQ(host.GetGate().Calls("ReleaseSuite"), 1u);
}

TEST_F(Suites, EveryNamedSuiteIsServedAtItsVersion) {
  const std::pair<const char*, int> served[] = {
      {"PF World Suite", 1},        {"PF World Suite", 2},           {"PF Handle Suite", 2},
      {"PF ANSI Suite", 1},         {"PF Iterate8 Suite", 1},        {"PF iterate16 Suite", 1},
      {"PF iterateFloat Suite", 1}, {"PF World Transform Suite", 1}, {"PF ColorParamSuite", 1},
      {"AEGP Utility Suite", 7}};
  for (const auto& [name, version] : served) {
    const void* suite = nullptr;
    EXPECT_EQ(basic.AcquireSuite(name, version, &suite), kSPNoError) << name;
    EXPECT_NE(suite, nullptr) << name;
    basic.ReleaseSuite(name, version);
  }
  EXPECT_EQ(host.Leaks(), "");
}

TEST_F(Suites, UnknownNamesAndVersionsAreRefusedWithANullSuite) {
  for (const auto& [name, version] :
       {std::pair{"PF World Suite", 3}, std::pair{"PF Iterate16 Suite", 1},
        std::pair{"No Such Suite", 1}}) {
    const void* suite = &host;
    EXPECT_EQ(basic.AcquireSuite(name, version, &suite), kSuiteNotFound) << name;
    EXPECT_EQ(suite, nullptr) << name;
  }
  EXPECT_EQ(basic.AcquireSuite(nullptr, 1, nullptr), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(host.Leaks(), "");
  EXPECT_EQ(basic.ReleaseSuite("PF ANSI Suite", 1), kSuiteNotFound);
  EXPECT_EQ(host.Leaks(), "suite releases without an acquire: 1\n");
}

TEST_F(Suites, AnInjectedFailureGivesNoSuiteButAFailedReleaseStillReleases) {
  const void* suite = &host;
  host.GetGate().FailOperation("AcquireSuite", PF_Err_OUT_OF_MEMORY);
  EXPECT_EQ(basic.AcquireSuite(kPFANSISuite, 1, &suite), PF_Err_OUT_OF_MEMORY);
  EXPECT_EQ(suite, nullptr);
  host.GetGate().ClearFailures();
  ASSERT_EQ(basic.AcquireSuite(kPFANSISuite, 1, &suite), kSPNoError);
  host.GetGate().FailOperation("ReleaseSuite", PF_Err_OUT_OF_MEMORY);
  EXPECT_EQ(basic.ReleaseSuite(kPFANSISuite, 1), PF_Err_OUT_OF_MEMORY);
  EXPECT_EQ(host.Leaks(), "");
}

TEST_F(Suites, RegisteredSuitesAreServedAndRemovedOnesAreNot) {
  static const int table = 7;
  host.Suites().Register("Test Registered Suite", 4, &table);
  const void* suite = nullptr;
  ASSERT_EQ(basic.AcquireSuite("Test Registered Suite", 4, &suite), kSPNoError);
  EXPECT_EQ(suite, &table);
  basic.ReleaseSuite("Test Registered Suite", 4);
  host.Suites().Remove("Test Registered Suite", 4);
  host.Suites().Remove(kAEGPUtilitySuite, kAEGPUtilitySuiteVersion3);
  EXPECT_EQ(basic.AcquireSuite("Test Registered Suite", 4, &suite), kSuiteNotFound);
  EXPECT_EQ(basic.AcquireSuite(kAEGPUtilitySuite, 7, &suite), kSuiteNotFound);
}

TEST_F(Suites, BlocksAreCountedAndStrangersRefused) {
  void* block = nullptr;
  ASSERT_EQ(basic.AllocateBlock(64, &block), kSPNoError);
  void* bigger = nullptr;
  ASSERT_EQ(basic.ReallocateBlock(block, 4096, &bigger), kSPNoError);
  EXPECT_EQ(host.Leaks(), "live memory blocks: 1\n");
  int local = 0;
  EXPECT_EQ(basic.FreeBlock(&local), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(basic.FreeBlock(bigger), kSPNoError);
  EXPECT_EQ(host.Leaks(), "");
  EXPECT_TRUE(basic.IsEqual("PF ANSI Suite", "PF ANSI Suite"));
  EXPECT_FALSE(basic.IsEqual("PF ANSI Suite", nullptr));
  EXPECT_NE(basic.Undefined(), kSPNoError);
}

TEST_F(Suites, HandlesGiveTheirMemoryAndAreCountedUntilDisposed) {
  const PF_HandleSuite1& h = HandleSuiteTable();
  PF_Handle handle = h.host_new_handle(8);
  ASSERT_NE(handle, nullptr);
  auto* p = static_cast<std::uint8_t*>(h.host_lock_handle(handle));
  ASSERT_EQ(p, *handle);
  std::memcpy(p, "abcdefgh", 8);
  h.host_unlock_handle(handle);
  ASSERT_EQ(h.host_resize_handle(4096, &handle), PF_Err_NONE);
  EXPECT_EQ(h.host_get_handle_size(handle), 4096u);
  EXPECT_EQ(std::memcmp(*handle, "abcdefgh", 8), 0);
  // Past the size a buffer is mapped on its own, and back: the contents travel each way.
  for (A_u_longlong size : {A_u_longlong{3} << 20, A_u_longlong{8}}) {
    ASSERT_EQ(h.host_resize_handle(size, &handle), PF_Err_NONE);
    EXPECT_EQ(std::memcmp(*handle, "abcdefgh", 8), 0);
  }
  EXPECT_EQ(host.Leaks(), "live handles: 1\n");
  h.host_dispose_handle(handle);
  EXPECT_EQ(host.Leaks(), "");

  void* stranger[1] = {nullptr};
  EXPECT_EQ(h.host_lock_handle(reinterpret_cast<PF_Handle>(stranger)), nullptr);
  h.host_dispose_handle(reinterpret_cast<PF_Handle>(stranger));
  h.host_dispose_handle(handle);  // twice
  EXPECT_EQ(host.Leaks(), "");
}

TEST_F(Suites, AFailedHandleOperationAnswersNull) {
  const PF_HandleSuite1& h = HandleSuiteTable();
  host.GetGate().FailOperation("host_new_handle", PF_Err_OUT_OF_MEMORY);
  EXPECT_EQ(h.host_new_handle(8), nullptr);
  host.GetGate().ClearFailures();
  PF_Handle handle = h.host_new_handle(8);
  host.GetGate().FailOperation("host_lock_handle", PF_Err_OUT_OF_MEMORY);
  EXPECT_EQ(h.host_lock_handle(handle), nullptr);
  h.host_dispose_handle(handle);
  EXPECT_EQ(host.Leaks(), "");
}

TEST_F(Suites, ColourChannelsBecomeTheNearestFloatToTheirFractionOf255) {
  const void* suite = nullptr;
  ASSERT_EQ(basic.AcquireSuite(kPFColorParamSuite, 1, &suite), kSPNoError);
  const auto& colors = *static_cast<const PF_ColorParamSuite1*>(suite);
  PF_ParamDef def{};
  def.param_type = PF_Param_COLOR;
  for (int c = 0; c < 256; ++c) {
    def.u.cd.value = PF_Pixel{static_cast<A_u_char>(c), static_cast<A_u_char>(255 - c),
                              static_cast<A_u_char>(c), 0};
    PF_PixelFloat f{};
    ASSERT_EQ(colors.PF_GetFloatingPointColorFromColorDef(nullptr, &def, &f), PF_Err_NONE);
    // Nearest: neither neighbouring float is closer to the exact fraction.
    const long double exact = c / 255.0L;
    const long double here = std::fabs(f.alpha - exact);
    EXPECT_LE(here, std::fabs(std::nextafter(f.alpha, 2.0f) - exact)) << c;
    EXPECT_LE(here, std::fabs(std::nextafter(f.alpha, -1.0f) - exact)) << c;
    EXPECT_EQ(f.alpha, f.green);
    EXPECT_EQ(f.blue, 0.0f);
  }
  def.param_type = PF_Param_CHECKBOX;
  PF_PixelFloat f{};
  EXPECT_EQ(colors.PF_GetFloatingPointColorFromColorDef(nullptr, &def, &f),
            PF_Err_BAD_CALLBACK_PARAM);
  basic.ReleaseSuite(kPFColorParamSuite, 1);
}

TEST_F(Suites, PluginIdsAreHandedOutOncePerRequest) {
  const void* suite = nullptr;
  ASSERT_EQ(basic.AcquireSuite(kAEGPUtilitySuite, kAEGPUtilitySuiteVersion3, &suite), kSPNoError);
  const auto& utility = *static_cast<const AEGP_UtilitySuite3*>(suite);
  AEGP_PluginID first = 0, second = 0;
  EXPECT_EQ(utility.AEGP_RegisterWithAEGP(nullptr, "Fx", &first), A_Err_NONE);
  EXPECT_EQ(utility.AEGP_RegisterWithAEGP(nullptr, "Fx", &second), A_Err_NONE);
  EXPECT_NE(first, second);
  EXPECT_EQ(utility.AEGP_RegisterWithAEGP(nullptr, "Fx", nullptr), A_Err_PARAMETER);
  EXPECT_EQ(utility.AEGP_StartUndoGroup(), A_Err_GENERIC);
  EXPECT_EQ(host.GetGate().Calls("AEGP_StartUndoGroup"), 1u);
  basic.ReleaseSuite(kAEGPUtilitySuite, kAEGPUtilitySuiteVersion3);
}

TEST(SuitesWithoutHost, RefuseRatherThanCrash) {
  const void* suite = &suite;
  EXPECT_NE(BasicSuiteTable().AcquireSuite(kPFANSISuite, 1, &suite), kSPNoError);
  EXPECT_EQ(suite, nullptr);
  EXPECT_EQ(HandleSuiteTable().host_new_handle(8), nullptr);
}

}  // namespace
}  // namespace jf::headless
