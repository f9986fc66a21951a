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

// Every run returns the injected code, the suite error for a suite the effect cannot get, or
// success where the failed operation is silent by design.
template <typename Setup>
int Sweep(Setup setup, const headless::World& input, bool readsReported) {
  int failures = 0;
  SweepEveryCall(setup, input, kInjected, [&](const FailedCall& c) {
    const bool reported = c.err == kInjected;
    const bool suiteError = c.operation == "AcquireSuite" && c.err == PF_Err_BAD_CALLBACK_PARAM;
    const bool silent =
        c.err == PF_Err_NONE && (kMayPassSilently.count(c.operation) != 0 ||
                                 (!readsReported && kReadsMayPassSilently.count(c.operation) != 0));
    EXPECT_TRUE(reported || suiteError || silent)
        << "call " << c.n << " (" << c.operation << ") gave " << c.err;
    if (reported || suiteError) ++failures;
  });
  return failures;
}

TEST(FailureSweep, ChainOfSeveralStagesReturnsTheErrorAndLeaksNothing) {
  auto input = Pattern(24, 16, 8);
  const int failures = Sweep(
      [](Rig& rig) {
        rig.Enable(ParamId::EnableNoise);
        rig.Enable(ParamId::EnableWarp);
        rig.Enable(ParamId::EnableSplitRgb);
      },
      *input, false);
  EXPECT_GT(failures, 20);
}

TEST(FailureSweep, BasicBlocksAtEveryDepth) {
  for (int depth : {8, 16, 32}) {
    auto input = Pattern(40, 30, depth);
    const int failures =
        Sweep([](Rig& rig) { rig.Set(ParamId::BasicBlocksNumberOfBlocks, 5); }, *input, true);
    EXPECT_GT(failures, 10) << depth;
  }
}

}  // namespace
}  // namespace jf::e2e
