// Both thread pools: every item once, slots never shared by chunks running at once, parallel
// work asked for from inside a chunk finished, and a chunk's exception passed to the caller.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

#include "headless/thread_pool.h"

namespace jf::headless {
namespace {

class Pools : public ::testing::TestWithParam<ThreadPoolKind> {};

TEST_P(Pools, RunsEveryItemOnceWithSlotsOfItsOwn) {
  auto pool = MakeThreadPool(3, GetParam());
  for (std::int64_t grain : {0, 1, 7}) {
    std::vector<std::atomic<int>> seen(1000);
    std::vector<std::atomic<int>> busy(3);
    std::atomic<int> badSlot{0};
    std::atomic<int> nested{0};
    pool->Execute([&] {
      ParallelFor(0, 1000, grain, [&](std::int64_t begin, std::int64_t end, int slot) {
        if (slot < 0 || slot >= 3 || busy[slot].fetch_add(1) != 0) ++badSlot;
        for (std::int64_t i = begin; i < end; ++i) seen[i]++;
        if (slot >= 0 && slot < 3) busy[slot]--;
        ParallelFor(0, 4, 1, [&](std::int64_t b, std::int64_t e, int) { nested += e - b; });
      });
    });
    for (std::size_t i = 0; i < seen.size(); ++i) ASSERT_EQ(seen[i], 1) << i << " grain " << grain;
    EXPECT_EQ(badSlot, 0);
    EXPECT_GT(nested, 0);
    EXPECT_EQ(nested % 4, 0);
  }
}

TEST_P(Pools, PassesAChunksExceptionToTheCaller) {
  auto pool = MakeThreadPool(2, GetParam());
  EXPECT_THROW(pool->Execute([&] {
    ParallelFor(0, 100, 1, [](std::int64_t begin, std::int64_t, int) {
      if (begin == 42) throw std::runtime_error("chunk 42");
    });
  }),
               std::runtime_error);
  // The pool still works afterwards.
  std::atomic<int> count{0};
  pool->Execute(
      [&] { ParallelFor(0, 10, 1, [&](std::int64_t b, std::int64_t e, int) { count += e - b; }); });
  EXPECT_EQ(count, 10);
}

INSTANTIATE_TEST_SUITE_P(Kinds, Pools,
                         ::testing::Values(ThreadPoolKind::Library,
                                           ThreadPoolKind::StandardThreads),
                         [](const auto& info) {
                           return info.param == ThreadPoolKind::Library ? "Library"
                                                                        : "StandardThreads";
                         });

}  // namespace
}  // namespace jf::headless
