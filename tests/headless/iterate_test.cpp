// Per-pixel and generic iteration on the host's threads.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <mutex>
#include <set>
#include <vector>

#include "headless/instance.h"
#include "headless/iterate.h"
#include "headless/suites.h"

namespace jf::headless {
namespace {

struct Visits {
  A_long width = 0;
  PF_Point origin{0, 0};  // the source is read at (x + h, y + v)
  const World* src = nullptr;
  const World* dst = nullptr;
  std::vector<std::atomic<int>> count;
  std::atomic<int> wrongPointers{0};
  std::atomic<int> nonTransparentOutside{0};
  std::atomic<int> calls{0};
  int failAtCall = -1;
};

PF_Err Visit(void* refcon, A_long x, A_long y, PF_Pixel8* in, PF_Pixel8* out) {
  auto& v = *static_cast<Visits*>(refcon);
  const int call = v.calls.fetch_add(1);
  if (call == v.failAtCall) return PF_Err_INTERNAL_STRUCT_DAMAGED;
  v.count[static_cast<std::size_t>(y * v.width + x)]++;
  if (out != v.dst->At<PF_Pixel8>(x, y)) v.wrongPointers++;
  const std::int64_t sx = std::int64_t{x} + v.origin.h, sy = std::int64_t{y} + v.origin.v;
  const bool insideSrc = sx >= 0 && sy >= 0 && sx < v.src->Width() && sy < v.src->Height();
  if (insideSrc && in != v.src->At<PF_Pixel8>(static_cast<A_long>(sx), static_cast<A_long>(sy))) {
    v.wrongPointers++;
  }
  if (!insideSrc && (in->alpha | in->red | in->green | in->blue) != 0) v.nonTransparentOutside++;
  in->alpha = 255;  // the effect may write its source pixel; the next call must not see it
  out->red = static_cast<A_u_char>(x + 10 * y);
  return PF_Err_NONE;
}

struct Case {
  int threads;
  bool reverse;
};

class Iterate : public ::testing::TestWithParam<Case> {
 protected:
  Host host;
};

TEST_P(Iterate, CallsTheFunctionOncePerPixelOfTheClippedArea) {
  host.SetThreadCount(GetParam().threads);
  host.SetReverseOrder(GetParam().reverse);
  // No origin, then origins that put the source on each side of some rows and columns, and one
  // whose columns would wrap around in 32 bits.
  const PF_Point origins[] = {{0, 0}, {2, -1}, {-3, 2}, {-100, 0}, {2147483646, -2147483647}};
  for (const PF_Point& origin : origins) {
    SCOPED_TRACE(std::to_string(origin.h) + "," + std::to_string(origin.v));
    World src(5, 4, PF_PixelFormat_ARGB32);  // smaller than dst: the rest reads transparent
    World dst(8, 6, PF_PixelFormat_ARGB32);
    Visits v;
    v.width = 8;
    v.origin = origin;
    v.src = &src;
    v.dst = &dst;
    v.count = std::vector<std::atomic<int>>(48);
    PF_EffectWorld s = src.Effect(), d = dst.Effect();
    const PF_Rect area{1, -3, 50, 5};  // clipped to columns 1..7, rows 0..4
    const bool plain = &origin == &origins[0];
    const PF_Err err = host.Run([&] {
      const PF_Iterate8Suite1& suite = Iterate8SuiteTable();
      return plain ? suite.iterate(nullptr, 0, 0, &s, &area, &v, Visit, &d)
                   : suite.iterate_origin(nullptr, 0, 0, &s, &area, &origin, &v, Visit, &d);
    });
    ASSERT_EQ(err, PF_Err_NONE);
    for (A_long y = 0; y < 6; ++y) {
      for (A_long x = 0; x < 8; ++x) {
        const int expected = (x >= 1 && y < 5) ? 1 : 0;
        EXPECT_EQ(v.count[static_cast<std::size_t>(y * 8 + x)].load(), expected) << x << "," << y;
        EXPECT_EQ(dst.At<PF_Pixel8>(x, y)->red, expected ? x + 10 * y : 0);
      }
    }
    EXPECT_EQ(v.wrongPointers.load(), 0);
    EXPECT_EQ(v.nonTransparentOutside.load(), 0);
    EXPECT_TRUE(dst.PaddingIntact());
  }
  EXPECT_EQ(host.GetGate().Calls("iterate"), 1u);
  EXPECT_EQ(host.GetGate().Calls("iterate_origin"), 4u);
}

TEST_P(Iterate, TheFirstErrorStopsTheIterationAndIsReturned) {
  host.SetThreadCount(GetParam().threads);
  host.SetReverseOrder(GetParam().reverse);
  World dst(64, 64, PF_PixelFormat_ARGB32);
  Visits v;
  v.width = 64;
  v.src = &dst;
  v.dst = &dst;
  v.count = std::vector<std::atomic<int>>(64 * 64);
  v.failAtCall = 10;
  PF_EffectWorld d = dst.Effect();
  EXPECT_EQ(host.Run([&] { return Iterate8(nullptr, 0, 0, nullptr, nullptr, &v, Visit, &d); }),
            PF_Err_INTERNAL_STRUCT_DAMAGED);
  // Rows already running may finish; nothing close to the whole image is visited.
  EXPECT_LT(v.calls.load(), 64 * (10 + GetParam().threads));
}

TEST_P(Iterate, GenericCallsEachIndexOnceWithThreadIndicesOfTheArena) {
  const int threads = GetParam().threads;
  host.SetThreadCount(threads);
  host.SetReverseOrder(GetParam().reverse);
  struct Seen {
    std::mutex mutex;
    std::multiset<A_long> indices;
    std::set<A_long> counts;
    int badThread = 0;
    int limit = 0;
  } seen;
  seen.limit = threads;
  auto fn = [](void* refcon, A_long thread, A_long i, A_long count) -> PF_Err {
    auto& s = *static_cast<Seen*>(refcon);
    std::lock_guard lock(s.mutex);
    s.indices.insert(i);
    s.counts.insert(count);
    if (thread < 0 || thread >= s.limit) s.badThread++;
    return PF_Err_NONE;
  };
  ASSERT_EQ(host.Run([&] {
    return Iterate8SuiteTable().iterate_generic(PF_Iterations_ONCE_PER_PROCESSOR, &seen, fn);
  }),
            PF_Err_NONE);
  EXPECT_EQ(seen.indices.size(), static_cast<std::size_t>(threads));
  EXPECT_EQ(seen.counts, std::set<A_long>{threads});
  for (A_long i = 0; i < threads; ++i) EXPECT_EQ(seen.indices.count(i), 1u);

  seen.indices.clear();
  seen.counts.clear();
  ASSERT_EQ(host.Run([&] { return IterateGeneric(37, &seen, fn); }), PF_Err_NONE);
  EXPECT_EQ(seen.indices.size(), 37u);
  EXPECT_EQ(seen.counts, std::set<A_long>{37});
  for (A_long i = 0; i < 37; ++i) EXPECT_EQ(seen.indices.count(i), 1u);
  EXPECT_EQ(seen.badThread, 0);
}

INSTANTIATE_TEST_SUITE_P(Threads, Iterate,
                         ::testing::Values(Case{1, false}, Case{1, true}, Case{4, false},
                                           Case{4, true}),
                         [](const auto& info) {
                           return std::to_string(info.param.threads) + "Threads" +
                                  (info.param.reverse ? "Reversed" : "");
                         });

TEST(IterateRequests, WrongDepthsAndMissingArgumentsAreRefused) {
  Host host;
  World deep(4, 4, PF_PixelFormat_ARGB64);
  World flat(4, 4, PF_PixelFormat_ARGB32);
  PF_EffectWorld d = deep.Effect(), f = flat.Effect();
  auto ok8 = [](void*, A_long, A_long, PF_Pixel8*, PF_Pixel8*) -> PF_Err { return PF_Err_NONE; };
  auto ok16 = [](void*, A_long, A_long, PF_Pixel16*, PF_Pixel16*) -> PF_Err { return PF_Err_NONE; };
  host.Run([&] {
    EXPECT_EQ(Iterate8(nullptr, 0, 0, nullptr, nullptr, nullptr, ok8, &d),
              PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(Iterate16(nullptr, 0, 0, &f, nullptr, nullptr, ok16, &d), PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(Iterate16(nullptr, 0, 0, nullptr, nullptr, nullptr, nullptr, &d),
              PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(Iterate16(nullptr, 0, 0, nullptr, nullptr, nullptr, ok16, nullptr),
              PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(Iterate16(nullptr, 0, 0, &d, nullptr, nullptr, ok16, &d), PF_Err_NONE);
    EXPECT_EQ(IterateGeneric(-5, nullptr,
                             [](void*, A_long, A_long, A_long) -> PF_Err { return PF_Err_NONE; }),
              PF_Err_BAD_CALLBACK_PARAM);
  });
  // Outside any host nothing runs.
  EXPECT_EQ(Iterate8(nullptr, 0, 0, nullptr, nullptr, nullptr, ok8, &f), PF_Err_BAD_CALLBACK_PARAM);
}

TEST(IterateRequests, AnAbortStopsIterationWithCancel) {
  Host host;
  World w(8, 8, PF_PixelFormat_ARGB128);
  PF_EffectWorld e = w.Effect();
  host.SetAbort(true);
  auto ok = [](void*, A_long, A_long, PF_PixelFloat*, PF_PixelFloat*) -> PF_Err {
    return PF_Err_NONE;
  };
  EXPECT_EQ(
      host.Run([&] { return IterateFloat(nullptr, 0, 0, nullptr, nullptr, nullptr, ok, &e); }),
      PF_Interrupt_CANCEL);
}

}  // namespace
}  // namespace jf::headless
