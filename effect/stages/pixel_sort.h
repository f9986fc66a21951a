// The order the band pass leaves a run of samples in, found without its quadratic cases.
//
// The band pass sorts each run with a quicksort that takes the last position as pivot and
// partitions Lomuto's way: samples strictly before the pivot move to the front in scan order,
// and every other sample is rotated along behind them. Pixels equal in both keys can differ in
// their bytes, so the order it leaves ties in is part of the frame and has to be reproduced
// exactly. Run as written it is quadratic on runs of equal keys and on ordered runs, which
// images are full of (flat areas, borders, gradients). RunOrder gives the same order:
// - an ordered sub-range, all-equal ones included, ends with each group of equal keys turned
//   one place to the right (its last sample first, the others in scan order after it);
// - a sub-range in reverse order has a closed form built group by group (see the .cpp);
// - a pivot that nothing precedes, or that precedes everything else, starts a chain of
//   partitions whose result is found in one pass;
// - where every group of equal keys holds identical samples, any correct sort gives the bytes.
// Everything else is the partition itself.
#pragma once

#include <cstdint>
#include <vector>

#include "AE_Effect.h"

namespace jf {

/// A sample of a run: both keys in one, ordered as the partition compares them, and the
/// sample's place in the run's scan order.
struct RunSample {
  std::uint64_t key = 0;
  A_long place = 0;
};

/// Scratch for ordering runs; one per band, reused by its runs.
class RunOrder {
 public:
  /// Starts a run; descending sorts by falling keys.
  void Clear(bool descending);

  /// Appends the next sample in scan order by its primary and secondary keys. Keys are channel
  /// values, so each is a float.
  void Add(double primary, double secondary);

  /// Orders the run as the band pass's quicksort does. same(i, j) says whether the samples at
  /// scan places i and j have identical bytes.
  template <typename Same>
  void Order(Same same) {
    if (m_unordered) return PlainQuicksort();
    if (!BoundedQuicksort()) return;  // the common case: done within n log n steps
    if (SortIfInterchangeable(same)) return;
    m_samples = m_original;
    Quicksort(0, Last(), nullptr);
  }

  /// The scan place of the sample that ends at place k.
  A_long Place(std::size_t k) const { return m_samples[k].place; }

 private:
  A_long Last() const { return static_cast<A_long>(m_samples.size()) - 1; }
  void PlainQuicksort();
  // Runs the quicksort within a budget of steps; false when done, true when it ran out and
  // left the samples as they came.
  bool BoundedQuicksort();
  // The quicksort with its shortcuts on m_samples[lo … hi]; false when budget ran out first.
  bool Quicksort(A_long lo, A_long hi, std::int64_t* budget);
  template <typename Same>
  bool SortIfInterchangeable(Same same) {
    StableSortCopy();
    for (std::size_t k = 1; k < m_sorted.size(); ++k) {
      if (m_sorted[k - 1].key != m_sorted[k].key) continue;
      if (!same(m_sorted[k - 1].place, m_sorted[k].place)) return false;
    }
    m_samples.swap(m_sorted);
    return true;
  }
  void StableSortCopy();

  bool m_descending = false;
  bool m_unordered = false;  // a key is NaN or not a float: only the plain quicksort orders it
  std::vector<RunSample> m_samples;
  std::vector<RunSample> m_original;
  std::vector<RunSample> m_sorted;
  std::vector<RunSample> m_bound;  // running minima or maxima of a chain
  std::vector<double> m_raw;       // the keys as given, two per sample, for the plain quicksort
};

}  // namespace jf
