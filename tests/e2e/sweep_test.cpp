// Failure sweeps over whole renders: every host call failed in turn.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "e2e/support.h"

namespace jf::e2e {
namespace {

constexpr PF_Err kInjected = PF_Err_OUT_OF_MEMORY;

// Operations whose failure the effect does not report by design: the host's void operations
// (they have no result to fail with), progress (its result is ignored), releases (the suite
// handler gives suites back whatever the host says). Missing scratch memory is no error either:
// the stages that need it pass the frame through or leave it unwritten.
const std::set<std::string> kMayPassSilently = {"host_unlock_handle", "host_dispose_handle",
                                                "progress",           "ReleaseSuite",
                                                "host_new_handle",    "host_lock_handle"};
// Noise, Warp and Split RGB run their pixel pass whatever their reads returned and report only
// the last read, so an earlier read's failure passes silently.
const std::set<std::string> kReadsMayPassSilently = {"checkout_param", "checkin_param",
                                                     "PF_GetFloatingPointColorFromColorDef"};

void Sweep(Rig& rig, const headless::World& input, int* failures, bool readsReported) {
  auto& gate = rig.host.GetGate();
  gate.ClearFailures();
  gate.ResetCounts();
  PF_Err clean = PF_Err_NONE;
  Render(rig, input, &clean);
  ASSERT_EQ(clean, PF_Err_NONE);
  const std::uint64_t calls = gate.TotalCalls();
  ASSERT_GT(calls, 10u);
  for (std::uint64_t n = 1; n <= calls; ++n) {
    gate.ClearFailures();
    gate.ResetCounts();
    gate.FailNthCall(n, kInjected);
    PF_Err err = PF_Err_NONE;
    Render(rig, input, &err);
    const std::string op = gate.LastInjectedOperation();
    const bool reported = err == kInjected;
    // A suite the effect cannot get ends the command with the suite error.
    const bool suiteError = op == "AcquireSuite" && err == PF_Err_BAD_CALLBACK_PARAM;
    const bool silent =
        err == PF_Err_NONE && (kMayPassSilently.count(op) != 0 ||
                               (!readsReported && kReadsMayPassSilently.count(op) != 0));
    EXPECT_TRUE(reported || suiteError || silent) << "call " << n << " (" << op << ") gave " << err;
    EXPECT_EQ(rig.host.Leaks(), "") << "call " << n << " (" << op << ")";
    if (reported || suiteError) ++*failures;
  }
  gate.ClearFailures();
}

TEST(FailureSweep, ChainOfSeveralStagesReturnsTheErrorAndLeaksNothing) {
  Rig rig(2);
  rig.Enable(ParamId::EnableNoise);
  rig.Enable(ParamId::EnableWarp);
  rig.Enable(ParamId::EnableSplitRgb);
  auto input = Pattern(24, 16, 8);
  int failures = 0;
  Sweep(rig, *input, &failures, false);
  EXPECT_GT(failures, 20);
}

TEST(FailureSweep, BasicBlocksAtEveryDepth) {
  for (int depth : {8, 16, 32}) {
    Rig rig(2);
    rig.Set(ParamId::BasicBlocksNumberOfBlocks, 5);
    auto input = Pattern(40, 30, depth);
    int failures = 0;
    Sweep(rig, *input, &failures, true);
    EXPECT_GT(failures, 10) << depth;
  }
}

}  // namespace
}  // namespace jf::e2e
