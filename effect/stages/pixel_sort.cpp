// See pixel_sort.h.
#include "stages/pixel_sort.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <utility>

namespace jf {
namespace {

/// A float as an unsigned number in the same order; −0 and +0 become one number, as they
/// compare equal.
std::uint32_t OrderedBits(float f) {
  const std::uint32_t bits = std::bit_cast<std::uint32_t>(f == 0.0f ? 0.0f : f);
  return (bits & 0x80000000u) != 0 ? ~bits : bits | 0x80000000u;
}

/// The partition's test: a goes before b.
bool Before(const RunSample& a, const RunSample& b) {
  return a.key < b.key;
}

/// Lomuto partition of a[lo … hi] around a[hi]; returns the pivot's place. before counts the
/// samples that went before the pivot.
A_long Partition(RunSample* a, A_long lo, A_long hi, A_long& before) {
  const std::uint64_t pivot = a[hi].key;
  A_long i = lo - 1;
  for (A_long j = lo; j < hi; ++j) {
    if (a[j].key < pivot) std::swap(a[++i], a[j]);
  }
  before = i + 1 - lo;
  std::swap(a[i + 1], a[hi]);
  return i + 1;
}

bool Ascending(const RunSample* a, A_long lo, A_long hi) {
  for (A_long j = lo; j < hi; ++j) {
    if (a[j + 1].key < a[j].key) return false;
  }
  return true;
}

bool Descending(const RunSample* a, A_long lo, A_long hi) {
  for (A_long j = lo; j < hi; ++j) {
    if (a[j].key < a[j + 1].key) return false;
  }
  return true;
}

/// An ascending range: the partition around its last sample keeps everything before the last
/// group of equal keys in place and turns that group, g0 … gk, into gk g1 … gk−1 g0; the pivot
/// stays first and the rest, all equal, is sorted on its own. An all-equal range of m turns
/// into its last sample followed by the other m − 1 turned one place left, and by induction
/// ends as its last sample followed by the others in scan order. So the group ends as gk g0 …
/// gk−1, and the same holds for every group before it.
void SortAscending(RunSample* a, A_long lo, A_long hi) {
  A_long end = hi;
  while (end >= lo) {
    A_long first = end;
    while (first > lo && a[first - 1].key == a[end].key) --first;
    std::rotate(a + first, a + end, a + end + 1);
    end = first - 1;
  }
}

/// A descending range G1 G2 … Gd (groups of equal keys, G1 the greatest): the last sample is
/// the least, nothing goes before it, so it takes the first place and the first sample g1 of
/// G1 goes to the end. Around g1 everything outside G1 goes before, in scan order; the rest of
/// G1 (q samples) is first queued behind them and turned one place left by each of those r
/// samples, then once more by the pivot's swap, and sorted on its own as an all-equal range
/// (one place right again). So the range ends as: the last sample; the rest, still descending,
/// sorted the same way; g1; G1's other samples turned r mod q places left.
void SortDescending(RunSample* a, A_long lo, A_long hi, std::vector<RunSample>& out) {
  out.assign(a + lo, a + hi + 1);
  const RunSample* seq = out.data();
  A_long s = 0;
  A_long e = hi - lo;
  A_long front = lo;
  A_long back = hi;
  while (s <= e) {
    A_long n1 = 1;
    while (s + n1 <= e && seq[s + n1].key == seq[s].key) ++n1;
    const A_long n = e - s + 1;
    if (n1 == n) {  // one group left: its last sample, then the others in scan order
      a[front] = seq[e];
      std::copy(seq + s, seq + e, a + front + 1);
      return;
    }
    a[front++] = seq[e--];
    const A_long r = n - n1 - 1;
    const A_long q = n1 - 1;
    const A_long block = back - n1 + 1;
    a[block] = seq[s];
    for (A_long k = 0; k < q; ++k) a[block + 1 + k] = seq[s + 1 + (k + r % q) % q];
    back -= n1;
    s += n1;
  }
}

/// A sample whose keys have no order, compared as the partition compares doubles.
struct RawSample {
  double primary;
  double secondary;
  A_long place;
};

void RawQuicksort(RawSample* a, A_long lo, A_long hi) {
  while (lo < hi) {
    const RawSample pivot = a[hi];
    A_long i = lo - 1;
    for (A_long j = lo; j < hi; ++j) {
      const bool before = pivot.primary > a[j].primary ||
                          (pivot.primary == a[j].primary && pivot.secondary > a[j].secondary);
      if (before) std::swap(a[++i], a[j]);
    }
    const A_long p = i + 1;
    std::swap(a[p], a[hi]);
    if (p - lo < hi - p) {
      RawQuicksort(a, lo, p - 1);
      lo = p + 1;
    } else {
      RawQuicksort(a, p + 1, hi);
      hi = p - 1;
    }
  }
}

}  // namespace

void RunOrder::Clear(bool descending) {
  m_descending = descending;
  m_unordered = false;
  m_samples.clear();
  m_raw.clear();
}

void RunOrder::Add(double primary, double secondary) {
  const auto place = static_cast<A_long>(m_samples.size());
  m_raw.push_back(primary);
  m_raw.push_back(secondary);
  const auto p = static_cast<float>(primary);
  const auto s = static_cast<float>(secondary);
  if (std::isnan(p) || std::isnan(s) || static_cast<double>(p) != primary ||
      static_cast<double>(s) != secondary) {
    m_unordered = true;  // a key float cannot hold exactly keeps the quicksort on doubles
  }
  const std::uint64_t key = std::uint64_t{OrderedBits(p)} << 32 | OrderedBits(s);
  m_samples.push_back(RunSample{m_descending ? ~key : key, place});
}

void RunOrder::PlainQuicksort() {
  std::vector<RawSample> raw(m_samples.size());
  // Negation is exact and keeps every comparison, NaN's included: falling order is rising order
  // on the negated keys.
  const double sign = m_descending ? -1.0 : 1.0;
  for (std::size_t k = 0; k < raw.size(); ++k) {
    raw[k] = RawSample{sign * m_raw[2 * k], sign * m_raw[2 * k + 1], static_cast<A_long>(k)};
  }
  if (!raw.empty()) RawQuicksort(raw.data(), 0, static_cast<A_long>(raw.size()) - 1);
  for (std::size_t k = 0; k < raw.size(); ++k) m_samples[k].place = raw[k].place;
}

bool RunOrder::BoundedQuicksort() {
  const auto n = static_cast<std::int64_t>(m_samples.size());
  if (n < 2) return false;
  m_original = m_samples;
  // A quicksort of n samples in a fair order partitions about 1.4 n log2 n samples in all.
  std::int64_t budget = 2 * n;
  for (std::int64_t m = n; m > 1; m /= 2) budget += 3 * n;
  if (Quicksort(0, Last(), &budget)) return false;
  m_samples = m_original;
  return true;
}

void RunOrder::StableSortCopy() {
  m_sorted = m_samples;
  std::stable_sort(m_sorted.begin(), m_sorted.end(), Before);
}

bool RunOrder::Quicksort(A_long lo, A_long hi, std::int64_t* budget) {
  RunSample* a = m_samples.data();
  while (lo < hi) {
    const A_long m = hi - lo + 1;
    if (budget != nullptr && (*budget -= m) < 0) return false;
    if (Ascending(a, lo, hi)) {
      SortAscending(a, lo, hi);
      return true;
    }
    if (Descending(a, lo, hi)) {
      SortDescending(a, lo, hi, m_sorted);
      return true;
    }
    A_long before = 0;
    const A_long p = Partition(a, lo, hi, before);
    if (before == 0) {
      // Nothing went before the pivot: the range x0 … xm−1 is now xm−1 x1 … xm−2 x0, and the
      // next pivot is x0. While each next pivot x(k−1) has nothing before it among xk … xm−2,
      // the chain goes on; after t partitions the first t places hold xm−1 x0 … x(t−2), the
      // samples xt … xm−2 have not moved, and x(t−1) is last.
      m_bound.resize(static_cast<std::size_t>(m));
      RunSample* least = m_bound.data();  // least[k]: a least of x(k) … x(m−2)
      least[m - 2] = a[hi - 1];
      for (A_long k = m - 3; k >= 1; --k) {
        least[k] = Before(a[lo + k], least[k + 1]) ? a[lo + k] : least[k + 1];
      }
      A_long t = 1;
      auto x = [&](A_long k) { return k == 0 ? a[hi] : a[lo + k]; };
      while (t <= m - 2 && !Before(least[t], x(t - 1))) ++t;
      if (t > 1) {
        const RunSample x0 = a[hi];
        const RunSample last = a[lo + t - 1];
        std::copy_backward(a + lo + 1, a + lo + t - 1, a + lo + t);
        a[lo + 1] = x0;
        a[hi] = last;
      }
      lo += t;
      continue;
    }
    if (before == m - 1) {
      // Everything went before the pivot and nothing moved; so too for each next pivot that
      // everything before it goes before.
      m_bound.resize(static_cast<std::size_t>(m));
      RunSample* greatest = m_bound.data();  // greatest[k]: a greatest of a[lo] … a[lo + k]
      greatest[0] = a[lo];
      for (A_long k = 1; k < m; ++k) {
        greatest[k] = Before(greatest[k - 1], a[lo + k]) ? a[lo + k] : greatest[k - 1];
      }
      A_long h = hi - 1;
      while (h > lo && Before(greatest[h - 1 - lo], a[h])) --h;
      hi = h;
      continue;
    }
    // The two sides share no position, so the order they are sorted in cannot change the
    // result; the shorter side first keeps the stack shallow.
    if (p - lo < hi - p) {
      if (!Quicksort(lo, p - 1, budget)) return false;
      lo = p + 1;
    } else {
      if (!Quicksort(p + 1, hi, budget)) return false;
      hi = p - 1;
    }
  }
  return true;
}

}  // namespace jf
