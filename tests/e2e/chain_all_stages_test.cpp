// All seven stages at once at full HD, and the error contract of the three stages that read
// everything before they iterate (Noise, Warp, Split RGB), through the headless host.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "e2e/support.h"

namespace jf::e2e {
namespace {

void EnableAll(Rig& rig) {
  for (ParamId id : kStageEnables) rig.Enable(id);
}

double Channel(const headless::World& w, A_long x, A_long y, int c) {
  if (w.Format() == PF_PixelFormat_ARGB32) return (&w.At<PF_Pixel8>(x, y)->alpha)[c];
  if (w.Format() == PF_PixelFormat_ARGB64) return (&w.At<PF_Pixel16>(x, y)->alpha)[c];
  return (&w.At<PF_PixelFloat>(x, y)->alpha)[c];
}

class AllStagesAtDepth : public ::testing::TestWithParam<int> {};

// Split RGB runs last, so its default split shows in the final frame whatever the earlier
// stages did: red empty in the first five columns, green in the last five.
TEST_P(AllStagesAtDepth, FullHdRendersWithEveryStage) {
  Rig rig;
  EnableAll(rig);
  auto input = Pattern(1920, 1080, GetParam());
  PF_Err err = -1;
  auto out = Render(rig, *input, &err);
  EXPECT_EQ(err, PF_Err_NONE);
  EXPECT_EQ(rig.host.Leaks(), "");
  EXPECT_TRUE(out->PaddingIntact());
  EXPECT_FALSE(out->SamePixels(*input));
  for (A_long y = 0; y < 1080; y += 7) {
    for (A_long x = 0; x < 5; ++x) {
      ASSERT_EQ(Channel(*out, x, y, 1), 0.0) << x << ", " << y;
      ASSERT_EQ(Channel(*out, 1919 - x, y, 2), 0.0) << 1919 - x << ", " << y;
    }
  }
}

// The frame does not depend on the thread count or the order the host visits pixels in.
TEST_P(AllStagesAtDepth, SameBytesOnOneThreadAndOnSeveralInReverse) {
  auto input = Pattern(320, 180, GetParam());
  Rig one(1);
  EnableAll(one);
  Rig several(3);
  EnableAll(several);
  several.host.SetReverseOrder(true);
  EXPECT_TRUE(Render(one, *input)->SamePixels(*Render(several, *input)));
}

// oneTBB's pool and the standard threads that builds without it use split the work alike.
TEST_P(AllStagesAtDepth, SameBytesOnEitherThreadPool) {
  auto input = Pattern(320, 180, GetParam());
  Rig library;
  library.host.SetThreadCount(3, headless::ThreadPoolKind::Library);
  EnableAll(library);
  Rig standard;
  standard.host.SetThreadCount(3, headless::ThreadPoolKind::StandardThreads);
  EnableAll(standard);
  EXPECT_TRUE(Render(library, *input)->SamePixels(*Render(standard, *input)));
}

INSTANTIATE_TEST_SUITE_P(Depths, AllStagesAtDepth, ::testing::Values(8, 16, 32));

struct ReadingStage {
  ParamId enable;
  int reads;  // parameter reads before the pixel pass
};

class StageErrors : public ::testing::TestWithParam<ReadingStage> {};

// Fails each host call of a render once. A failed read stops nothing: the pixel pass runs, and
// of the stage's reads only the last one's checkout and check-in failures are reported. A
// failed pixel pass is reported. Nothing is left held on any path.
TEST_P(StageErrors, OnlyTheLastReadAndTheIterationAreReported) {
  constexpr PF_Err kErr = PF_Err_OUT_OF_MEMORY;
  auto input = Pattern(8, 6, 8);
  const headless::World clear(8, 6, PF_PixelFormat_ARGB32);
  std::uint64_t total = 0;
  {
    Rig rig;
    rig.EnableOnly({GetParam().enable});
    rig.host.GetGate().ResetCounts();
    Render(rig, *input);
    total = rig.host.GetGate().TotalCalls();
  }
  std::vector<PF_Err> errs;
  std::vector<bool> written;
  for (std::uint64_t n = 1; n <= total; ++n) {
    Rig rig;
    rig.EnableOnly({GetParam().enable});
    rig.host.GetGate().ResetCounts();
    rig.host.GetGate().FailNthCall(n, kErr);
    errs.push_back(PF_Err_NONE);
    written.push_back(!Render(rig, *input, &errs.back())->SamePixels(clear));
    EXPECT_EQ(rig.host.Leaks(), "") << "call " << n;
  }
  // The iteration is the last call whose failure is reported with nothing written; the calls
  // that precede it and still write are the reads' checkouts and check-ins.
  std::size_t iterate = errs.size();
  for (std::size_t i = 0; i < errs.size(); ++i) {
    if (errs[i] == kErr && !written[i]) iterate = i;
  }
  ASSERT_LT(iterate, errs.size());
  std::vector<std::size_t> reads;
  for (std::size_t i = 0; i < iterate; ++i) {
    if (written[i]) reads.push_back(i);
  }
  const std::size_t n = reads.size(), calls = 2 * GetParam().reads;
  ASSERT_GE(n, calls);
  for (std::size_t k = n - calls; k < n - 2; ++k) EXPECT_EQ(errs[reads[k]], PF_Err_NONE) << k;
  EXPECT_EQ(errs[reads[n - 2]], kErr);
  EXPECT_EQ(errs[reads[n - 1]], kErr);
}

INSTANTIATE_TEST_SUITE_P(Stages, StageErrors,
                         ::testing::Values(ReadingStage{ParamId::EnableNoise, 7},
                                           ReadingStage{ParamId::EnableWarp, 3},
                                           ReadingStage{ParamId::EnableSplitRgb, 18}));

}  // namespace
}  // namespace jf::e2e
