// The run sort against the plain last-position-pivot quicksort it stands in for.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <utility>
#include <vector>

#include "render/pixel_traits.h"
#include "support/adversarial_run.h"
#include "stages/pixel_sorter.h"

namespace jf {
namespace {

/// The quicksort as written: Lomuto partition around the keys at hi, the pixels of O moved
/// with their keys.
template <typename PixelT>
A_long OraclePartition(const SortJob& job, A_long y, A_long lo, A_long hi, A_long step) {
  const PixelT& pivot = *PixelAt<PixelT>(job.keys, hi, y);
  const double p1 = pivot.green;
  const double p2 = pivot.blue;
  A_long i = lo - step;
  for (A_long j = lo; j < hi; j += step) {
    const PixelT& key = *PixelAt<PixelT>(job.keys, j, y);
    const double e1 = key.green;
    const double e2 = key.blue;
    const bool before = job.inverseDirection ? (e1 > p1 || (e1 == p1 && e2 > p2))
                                             : (p1 > e1 || (p1 == e1 && p2 > e2));
    if (before) {
      i += step;
      SwapPixels(*PixelAt<PixelT>(job.sorted, i, y), *PixelAt<PixelT>(job.sorted, j, y));
      SwapPixels(*PixelAt<PixelT>(job.keys, i, y), *PixelAt<PixelT>(job.keys, j, y));
    }
  }
  const A_long p = i + step;
  SwapPixels(*PixelAt<PixelT>(job.sorted, p, y), *PixelAt<PixelT>(job.sorted, hi, y));
  SwapPixels(*PixelAt<PixelT>(job.keys, p, y), *PixelAt<PixelT>(job.keys, hi, y));
  return p;
}

template <typename PixelT>
void OracleSort(const SortJob& job, A_long y, A_long lo, A_long hi, A_long step) {
  while (lo < hi) {
    const A_long p = OraclePartition<PixelT>(job, y, lo, hi, step);
    OracleSort<PixelT>(job, y, lo, p - step, step);
    lo = p + step;
  }
}

/// One row of K and one of O over plain buffers.
template <typename PixelT>
struct Row {
  Row(std::vector<PixelT> keyPixels, std::vector<PixelT> sortedPixels, bool descending)
      : keys(std::move(keyPixels)), sorted(std::move(sortedPixels)) {
    for (auto* world : {&keyWorld, &sortedWorld}) {
      world->width = static_cast<A_long>(keys.size());
      world->height = 1;
      world->rowbytes = static_cast<A_long>(keys.size() * sizeof(PixelT));
    }
    keyWorld.data = reinterpret_cast<PF_PixelPtr>(keys.data());
    sortedWorld.data = reinterpret_cast<PF_PixelPtr>(sorted.data());
    job.keys = &keyWorld;
    job.sorted = &sortedWorld;
    job.inverseDirection = descending;
  }
  Row(const Row&) = delete;
  std::vector<PixelT> keys;
  std::vector<PixelT> sorted;
  PF_EffectWorld keyWorld{};
  PF_EffectWorld sortedWorld{};
  SortJob job;
};

/// Sorts lo … hi both ways and requires the same bytes in K and O; limits are the run sort's
/// array budget and short range (negative: its own choice). Returns how many samples the tree
/// ordered.
template <typename PixelT>
std::size_t ExpectOracleBytes(const std::vector<PixelT>& keys, const std::vector<PixelT>& sorted,
                              bool descending, A_long lo, A_long hi, A_long step,
                              std::pair<int, int> limits, int trial) {
  Row<PixelT> oracle(keys, sorted, descending);
  Row<PixelT> fast(keys, sorted, descending);
  OracleSort<PixelT>(oracle.job, 0, lo, hi, step);
  RunScratch<PixelT> scratch;
  scratch.order.SetLimits(limits.first, limits.second);
  SortRun<PixelT>(fast.job, 0, lo, hi, step, scratch);
  const std::size_t bytes = keys.size() * sizeof(PixelT);
  EXPECT_EQ(0, std::memcmp(oracle.keys.data(), fast.keys.data(), bytes)) << "trial " << trial;
  EXPECT_EQ(0, std::memcmp(oracle.sorted.data(), fast.sorted.data(), bytes)) << "trial " << trial;
  return scratch.order.TreeSamples();
}

/// How a run's primary keys are laid out; secondaries come from a small range, so ties are many.
enum class Layout {
  Random,
  Distinct,
  Ascending,
  Descending,
  AllEqual,
  TwoValued,
  Sawtooth,
  Tail,
  Adversarial,
};
constexpr int kLayouts = 9;

double PrimaryKey(Layout layout, A_long k, A_long n, std::mt19937& rng) {
  auto pick = [&rng](int top) { return static_cast<double>(rng() % (top + 1)); };
  switch (layout) {
    case Layout::Random:
      return pick(4);
    case Layout::Distinct:
      return static_cast<double>((k * 7919) % 251);
    case Layout::Ascending:
      return static_cast<double>(k / 3);
    case Layout::Descending:
      return static_cast<double>((n - k) / 4);
    case Layout::AllEqual:
      return 9.0;
    case Layout::TwoValued:
      return pick(1) * 200.0;
    case Layout::Sawtooth:
      return static_cast<double>(k % 9);
    case Layout::Tail:  // random, then climbing past everything before
      return k < n / 2 ? pick(20) : static_cast<double>(k);
    case Layout::Adversarial:  // both keys are set from the value apart
      return 0.0;
  }
  return 0.0;
}

// Where the run sort hands ranges on (its array budget and short range): its own choice, which
// real runs seldom exhaust; at once and down to single samples, so that every range goes through
// the tree; and after a few partitions, so that ranges reach the tree part sorted.
class SortRunWithLimits : public testing::TestWithParam<std::pair<int, int>> {};

// Over 12 000 runs of every layout, both directions and the strides of block sizes 1 to 6:
// samples equal in both keys carry different pixels, so only the quicksort's own order of ties
// gives the oracle's bytes. Half the runs give tied samples identical pixels, where any sort
// does; the secondary key is sometimes a constant so that whole runs tie.
TEST_P(SortRunWithLimits, GivesTheBytesOfThePlainQuicksortOnEveryLayout) {
  std::mt19937 rng(20240611);
  int compared = 0;
  int adversarialPastTheArray = 0;
  for (int trial = 0; trial < 12000; ++trial) {
    const auto layout = static_cast<Layout>(trial % kLayouts);
    const A_long step = 1 + trial / kLayouts % 6;
    const bool longRun = trial % 97 == 0 || (layout == Layout::Adversarial && trial % 7 == 0);
    const A_long n =
        longRun ? 600 + static_cast<A_long>(rng() % 400) : 1 + static_cast<A_long>(rng() % 90);
    const A_long lo = static_cast<A_long>(rng() % 4);
    const A_long hi = lo + (n - 1) * step;
    const bool identicalTies = trial / 48 % 2 == 1;
    const int secondaryTop = trial % 5 == 0 ? 0 : 2;
    const bool descending = trial / 6 % 2 == 1;
    const std::vector<A_long> adversarial =
        layout == Layout::Adversarial ? AdversarialKeys(n, rng) : std::vector<A_long>{};
    std::vector<PF_Pixel8> keys(hi + 3);
    std::vector<PF_Pixel8> sorted(hi + 3);
    for (A_long x = 0; x < hi + 3; ++x) {
      const A_long k = (x - lo) / step;
      auto p1 = static_cast<A_u_char>(PrimaryKey(layout, k, n, rng));
      auto p2 = static_cast<A_u_char>(rng() % (secondaryTop + 1));
      if (layout == Layout::Adversarial) {  // the value's high and low bytes, falling if need be
        const A_long v = k >= 0 && k < n ? adversarial[k] : 0;
        p1 = static_cast<A_u_char>(descending ? 255 - v / 256 : v / 256);
        p2 = static_cast<A_u_char>(descending ? 255 - v % 256 : v % 256);
      }
      const auto noise = static_cast<A_u_char>(identicalTies ? p1 ^ p2 : rng());
      keys[x] = PF_Pixel8{255, noise, p1, p2};
      sorted[x] = PF_Pixel8{noise, static_cast<A_u_char>(identicalTies ? p2 : x), p1, 1};
    }
    const std::size_t viaTree =
        ExpectOracleBytes(keys, sorted, descending, lo, hi, step, GetParam(), trial);
    if (HasFailure()) return;
    if (layout == Layout::Adversarial && longRun && viaTree > 0) ++adversarialPastTheArray;
    ++compared;
  }
  EXPECT_EQ(compared, 12000);
  // The long adversarial runs with unlike ties are the ones that reach the tree on a budget.
  if (GetParam().first >= 0) {
    EXPECT_GT(adversarialPastTheArray, 50);
  }
}

INSTANTIATE_TEST_SUITE_P(ArrayThenTree, SortRunWithLimits,
                         testing::Values(std::pair{-1, -1}, std::pair{0, 1}, std::pair{2000, 8}));

// Float keys compare in ways integer keys cannot: −0 equals +0 yet differs in its bytes, and a
// NaN is neither before nor after anything, so the keys have no order to take a shortcut by.
TEST_P(SortRunWithLimits, FloatKeysWithSignedZerosAndNaNMatchThePlainQuicksort) {
  const float values[] = {0.0f,
                          -0.0f,
                          0.5f,
                          1.0f,
                          std::numeric_limits<float>::infinity(),
                          std::numeric_limits<float>::quiet_NaN()};
  std::mt19937 rng(77);
  for (int trial = 0; trial < 2000; ++trial) {
    const A_long n = 1 + static_cast<A_long>(rng() % 60);
    const int choices = trial % 2 == 0 ? 5 : 6;  // half the runs without NaN
    std::vector<PF_PixelFloat> keys(n);
    std::vector<PF_PixelFloat> sorted(n);
    for (A_long x = 0; x < n; ++x) {
      const float p1 = values[rng() % choices];
      keys[x] = PF_PixelFloat{1.0f, static_cast<float>(x), p1, values[rng() % 2]};
      sorted[x] = PF_PixelFloat{1.0f, p1, static_cast<float>(x), 0.0f};
    }
    ExpectOracleBytes(keys, sorted, trial % 4 >= 2, 0, n - 1, 1, GetParam(), trial);
    if (HasFailure()) return;
  }
}

}  // namespace
}  // namespace jf
