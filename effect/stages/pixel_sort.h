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

/// One sample of a run: its two keys, already negated for a descending sort, and its place in
/// the run's scan order.
struct RunSample {
  double primary = 0.0;
  double secondary = 0.0;
  A_long place = 0;
};

/// Scratch for ordering runs; one per band, reused by its runs.
class RunOrder {
 public:
  /// The run's samples in scan order; fill before Order.
  std::vector<RunSample>& Samples() { return samples_; }

  /// Leaves Samples() in the order the band pass's quicksort gives (ascending by the keys as
  /// stored). same(i, j) says whether the samples at scan places i and j have identical bytes.
  template <typename Same>
  void Order(Same same) {
    if (!PrepareOrdered()) return;  // a closed form, or keys that only the quicksort can order
    if (SortIfInterchangeable(same)) return;
    Quicksort(0, static_cast<A_long>(samples_.size()) - 1);
  }

 private:
  // The cheap cases: true where the order still has to be found, false once it is final.
  bool PrepareOrdered();
  // The quicksort with its shortcuts on samples_[lo … hi].
  void Quicksort(A_long lo, A_long hi);
  // Sorts a copy; keeps it when every tie holds identical samples.
  template <typename Same>
  bool SortIfInterchangeable(Same same) {
    StableSortCopy();
    for (std::size_t k = 1; k < sorted_.size(); ++k) {
      if (!SameKeys(sorted_[k - 1], sorted_[k])) continue;
      if (!same(sorted_[k - 1].place, sorted_[k].place)) return false;
    }
    samples_.swap(sorted_);
    return true;
  }
  void StableSortCopy();
  static bool SameKeys(const RunSample& a, const RunSample& b) {
    return a.primary == b.primary && a.secondary == b.secondary;
  }

  std::vector<RunSample> samples_;
  std::vector<RunSample> sorted_;
  std::vector<RunSample> bound_;  // running minima or maxima of a chain
};

}  // namespace jf
