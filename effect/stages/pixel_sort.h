// The order the band pass leaves a run of samples in, found in O(n log² n) steps on every run.
//
// The band pass sorts each run with a quicksort that takes the last position as pivot and
// partitions Lomuto's way: samples strictly before the pivot move to the front in scan order,
// and every other sample is rotated along behind them. Pixels equal in both keys can differ in
// their bytes, so the order it leaves ties in is part of the frame and has to be reproduced
// exactly. Run as written it is quadratic on runs of equal keys and on ordered runs, which
// images are full of (flat areas, borders, gradients). RunOrder gives the same order in two
// ways, both exact:
// - on an array, the partition itself, with closed forms for ordered, reverse-ordered and
//   all-equal sub-ranges and for chains of pivots that nothing precedes or that precede
//   everything; this is fast on the runs images have, and is given a budget of 4 n log2² n
//   samples partitioned;
// - a range still to sort when the budget runs out is sorted by key in O(n log n) where every
//   group of equal keys in it holds identical samples (any sort gives the bytes then), by the
//   plain quicksort where it is short, and otherwise on a balanced tree of the samples in their
//   current order, where one partition costs O(log n) for each sample of its smaller side, so
//   the recursion costs O(n log² n) whatever the keys (see the .cpp). The tree's steps cost
//   several times the array's, hence the array's generous budget.
#pragma once

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "AE_Effect.h"

namespace jf {

/// A key half that no value has: NaN's. Every other half lies strictly between 0 and it.
inline constexpr std::uint32_t kRunKeyNaN = 0xFFFFFFFFu;

/// One key as half of a sample's key: rising with the value, or falling for a descending sort;
/// NaN above every value. Floats become unsigned numbers in the same order, −0 and +0 one number
/// as they compare equal, and values fall in 0x007FFFFF … 0xFF800000 either way, clear of 0 and
/// of kRunKeyNaN.
inline std::uint32_t RunKeyHalf(float f, bool descending) {
  if (std::isnan(f)) return kRunKeyNaN;
  const std::uint32_t bits = std::bit_cast<std::uint32_t>(f == 0.0f ? 0.0f : f);
  const std::uint32_t ordered = (bits & 0x80000000u) != 0 ? ~bits : bits | 0x80000000u;
  return descending ? ~ordered : ordered;
}

/// A sample of a run: both keys in one, ordered as the partition compares them, and the
/// sample's place in the run's scan order.
struct RunSample {
  std::uint64_t key = 0;
  A_long place = 0;
};

/// A sample in the tree: the samples of a sub-range in their current order, as a treap keyed by
/// position, with the least and greatest key below each node.
struct RunNode {
  std::uint64_t key = 0;
  std::uint64_t least = 0;
  std::uint64_t greatest = 0;
  std::uint32_t priority = 0;
  A_long place = 0;
  A_long size = 1;
  A_long left = -1;
  A_long right = -1;
};

/// Scratch for ordering runs; one per band, reused by its runs.
class RunOrder {
 public:
  /// Starts a run; descending sorts by falling keys.
  void Clear(bool descending);

  /// Appends the next sample in scan order by its primary and secondary keys (channel values,
  /// which a float holds exactly at every depth).
  void Add(float primary, float secondary) {
    if (std::isnan(primary) || std::isnan(secondary)) m_ordered = false;
    const std::uint64_t key = std::uint64_t{RunKeyHalf(primary, m_descending)} << 32 |
                              RunKeyHalf(secondary, m_descending);
    m_samples.push_back(RunSample{key, static_cast<A_long>(m_samples.size())});
  }

  /// Orders the run as the band pass's quicksort does. same(i, j) says whether the samples at
  /// scan places i and j have identical bytes.
  template <typename Same>
  void Order(Same same) {
    ArrayOrder();
    for (const auto& [lo, hi] : m_deep) {
      if (!SortIfInterchangeable(lo, hi, same)) TreeSort(lo, hi);
    }
  }

  /// The scan place of the sample that ends at place k.
  A_long Place(std::size_t k) const { return m_samples[k].place; }

  /// How many samples the last Order sorted on the tree.
  std::size_t TreeSamples() const { return m_treeSamples; }

  /// The array partition's budget (samples partitioned) and the length up to which a sub-range
  /// handed on is sorted on the array rather than on the tree; negative means the sort's own
  /// choice. Lets a test or a benchmark send whole runs through either way.
  void SetLimits(std::int64_t arrayBudget, A_long shortRange) {
    m_arrayBudget = arrayBudget;
    m_shortRange = shortRange;
  }

 private:
  // The partition on the array, leaving the ranges it has no budget for in m_deep.
  void ArrayOrder();
  void Quicksort(A_long lo, A_long hi);
  void TreeSort(A_long lo, A_long hi);
  // Where every group of equal keys holds identical samples, any sort by key gives the bytes
  // the quicksort does; false, with nothing changed, where one does not.
  template <typename Same>
  bool SortIfInterchangeable(A_long lo, A_long hi, Same same) {
    if (!m_ordered) return false;
    m_sorted.assign(m_samples.begin() + lo, m_samples.begin() + hi + 1);
    std::sort(m_sorted.begin(), m_sorted.end(),
              [](const RunSample& a, const RunSample& b) { return a.key < b.key; });
    for (std::size_t k = 1; k < m_sorted.size(); ++k) {
      if (m_sorted[k - 1].key != m_sorted[k].key) continue;
      if (!same(m_sorted[k - 1].place, m_sorted[k].place)) return false;
    }
    std::copy(m_sorted.begin(), m_sorted.end(), m_samples.begin() + lo);
    return true;
  }

  bool m_descending = false;
  bool m_ordered = true;  // no key is NaN: the keys' order is the partition's
  std::int64_t m_arrayBudget = -1;
  std::int64_t m_budget = 0;  // what is left of it in this run
  A_long m_shortRange = -1;
  std::size_t m_treeSamples = 0;
  std::uint32_t m_random = 0x9e3779b9u;
  std::vector<RunSample> m_samples;
  std::vector<RunSample> m_sorted;
  std::vector<RunSample> m_bound;  // running minima or maxima of a chain
  std::vector<RunNode> m_nodes;
  // The tree's partition: the nodes of its smaller side and their positions, and bookkeeping.
  std::vector<A_long> m_found;
  std::vector<A_long> m_places;
  std::vector<A_long> m_pops;
  std::vector<A_long> m_refs;
  std::vector<A_long> m_heads;
  std::vector<A_long> m_stack;  // tree and first place of each range still to sort
  std::vector<std::pair<A_long, A_long>> m_deep;
};

}  // namespace jf
