// Runs of keys that send the last-position-pivot quicksort quadratic, for the run sort's tests
// and benchmarks.
#pragma once

#include <random>
#include <utility>
#include <vector>

#include "AE_Effect.h"

namespace jf {

/// Keys that send the quicksort to depth n / 2 with ties of unlike samples on the way: every
/// pivot ties with one sample of its range, chosen at random, which then is the one sample
/// before the next pivot, so no sub-range is ordered and no chain forms. Built by running the
/// partition on unvalued samples (greater than every valued one) and valuing each as the
/// partition first needs it.
inline std::vector<A_long> AdversarialKeys(A_long n, std::mt19937& rng) {
  std::vector<A_long> at(n);  // the sample now at each position
  for (A_long k = 0; k < n; ++k) at[k] = k;
  std::vector<A_long> value(n, -1);
  A_long next = 0;
  A_long lo = 0;
  const A_long hi = n - 1;
  std::vector<A_long> unvalued;
  while (lo < hi) {
    if (value[at[hi]] < 0) value[at[hi]] = ++next;
    const A_long pivot = value[at[hi]];
    unvalued.clear();
    for (A_long j = lo; j < hi; ++j) {
      if (value[at[j]] < 0) unvalued.push_back(at[j]);
    }
    if (!unvalued.empty()) value[unvalued[rng() % unvalued.size()]] = pivot;
    A_long i = lo - 1;
    for (A_long j = lo; j < hi; ++j) {
      if (value[at[j]] >= 0 && value[at[j]] < pivot) std::swap(at[++i], at[j]);
    }
    std::swap(at[i + 1], at[hi]);
    lo = i + 2;
  }
  for (A_long& v : value) {
    if (v < 0) v = ++next;
  }
  return value;
}

}  // namespace jf
