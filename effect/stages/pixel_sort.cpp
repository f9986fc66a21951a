// See pixel_sort.h.
#include "stages/pixel_sort.h"

#include <algorithm>
#include <bit>
#include <utility>

namespace jf {
namespace {

/// The bound below which a sample's key goes before a pivot with this key. The partition asks,
/// for pivot keys P1, P2 and a sample's E1, E2 (rising; falling is the same on the complements):
/// P1 > E1, or P1 = E1 and P2 > E2, and any comparison with NaN is false. With NaN's half above
/// every value:
/// - P1, P2 values: key < pivot's key is that test exactly; a NaN E1 or E2 puts the sample's key
///   above, as the test finds it not before.
/// - P1 a value, P2 NaN: only P1 > E1 can hold, which is key < (P1's half, 0), as no half is 0.
/// - P1 NaN: nothing goes before; no key is below 0.
std::uint64_t Bound(std::uint64_t pivot) {
  if ((pivot >> 32) == kRunKeyNaN) return 0;
  if ((pivot & kRunKeyNaN) == kRunKeyNaN) return pivot & ~std::uint64_t{kRunKeyNaN};
  return pivot;
}

/// The partition's test between keys that have an order (no NaN): a goes before b.
bool Before(const RunSample& a, const RunSample& b) {
  return a.key < b.key;
}

/// Lomuto partition of a[lo … hi] around a[hi]; returns the pivot's place. before counts the
/// samples that went before the pivot.
A_long Partition(RunSample* a, A_long lo, A_long hi, A_long& before) {
  const std::uint64_t bound = Bound(a[hi].key);
  A_long i = lo;  // where the next sample that goes before lands
  for (A_long j = lo; j < hi; ++j) {
    if (a[j].key < bound) std::swap(a[i++], a[j]);
  }
  before = i - lo;
  std::swap(a[i], a[hi]);
  return i;
}

/// The quicksort as the band pass writes it, for ranges short enough that its worst case is
/// cheap.
void ShortQuicksort(RunSample* a, A_long lo, A_long hi) {
  while (lo < hi) {
    A_long before = 0;
    const A_long p = Partition(a, lo, hi, before);
    ShortQuicksort(a, lo, p - 1);
    lo = p + 1;
  }
}

/// Ranges this short that the array's partition has no budget left for, or that the tree splits
/// off, are sorted as the band pass writes it: at most 128 · 127 / 2 steps each, which costs less
/// than the tree's partitions of that many samples would, and O(n) in all, as the ranges are
/// disjoint.
constexpr A_long kShortRange = 128;

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

/// A treap of run samples keyed by position: split and join in O(log n) expected steps, and the
/// least and greatest key of a subtree tell whether it holds a sample on either side of a pivot.
class Treap {
 public:
  explicit Treap(RunNode* nodes) : m_n(nodes) {}

  A_long Size(A_long t) const { return t < 0 ? 0 : m_n[t].size; }
  const RunNode& operator[](A_long t) const { return m_n[t]; }

  /// The node alone, as a tree of one.
  A_long Single(A_long t) {
    m_n[t].left = -1;
    m_n[t].right = -1;
    Update(t);
    return t;
  }

  A_long Join(A_long a, A_long b) {
    if (a < 0) return b;
    if (b < 0) return a;
    if (m_n[a].priority > m_n[b].priority) {
      m_n[a].right = Join(m_n[a].right, b);
      Update(a);
      return a;
    }
    m_n[b].left = Join(a, m_n[b].left);
    Update(b);
    return b;
  }

  /// The first k samples of t into first, the others into rest.
  void Split(A_long t, A_long k, A_long& first, A_long& rest) {
    if (t < 0) {
      first = rest = -1;
      return;
    }
    RunNode& n = m_n[t];
    if (k <= Size(n.left)) {
      A_long left = -1;
      Split(n.left, k, first, left);
      m_n[t].left = left;
      Update(t);
      rest = t;
    } else {
      A_long right = -1;
      Split(n.right, k - Size(n.left) - 1, right, rest);
      m_n[t].right = right;
      Update(t);
      first = t;
    }
  }

  /// Appends, in order, the nodes of t whose key is below bound (before) or not (!before) and
  /// their positions, offset by offset; false once more than limit are found. Subtrees with none
  /// are not entered, so k samples cost O(k log n).
  bool Collect(A_long t, A_long offset, bool before, std::uint64_t bound, std::size_t limit,
               std::vector<A_long>& nodes, std::vector<A_long>& places) const {
    if (t < 0) return true;
    const RunNode& n = m_n[t];
    if (before ? n.least >= bound : n.greatest < bound) return true;
    if (!Collect(n.left, offset, before, bound, limit, nodes, places)) return false;
    const A_long here = offset + Size(n.left);
    if ((n.key < bound) == before) {
      if (nodes.size() == limit) return false;
      nodes.push_back(t);
      places.push_back(here);
    }
    return Collect(n.right, here + 1, before, bound, limit, nodes, places);
  }

  /// The nodes of t in order.
  void Nodes(A_long t, std::vector<A_long>& out) const {
    if (t < 0) return;
    Nodes(m_n[t].left, out);
    out.push_back(t);
    Nodes(m_n[t].right, out);
  }

  /// The samples of t in order into out.
  RunSample* Write(A_long t, RunSample* out) const {
    if (t < 0) return out;
    out = Write(m_n[t].left, out);
    *out++ = RunSample{m_n[t].key, m_n[t].place};
    return Write(m_n[t].right, out);
  }

 private:
  void Update(A_long t) {
    RunNode& n = m_n[t];
    n.size = 1;
    n.least = n.key;
    n.greatest = n.key;
    for (const A_long c : {n.left, n.right}) {
      if (c < 0) continue;
      n.size += m_n[c].size;
      n.least = std::min(n.least, m_n[c].least);
      n.greatest = std::max(n.greatest, m_n[c].greatest);
    }
  }

  RunNode* m_n;
};

/// The side after the pivot when few samples went before it: places are their positions.
A_long QueueAfterFewBefore(Treap& tree, A_long others, const std::vector<A_long>& places,
                           std::vector<A_long>& pops, std::vector<A_long>& refs,
                           std::vector<A_long>& heads) {
  const A_long q = tree.Size(others);
  if (q == 0) return -1;
  // pops[r]: how many of G had arrived at pop r; the final swap is the last pop. Push r (the
  // sample S[r] again) stands at S[pops[r] + r].
  pops.clear();
  for (std::size_t c = 0; c < places.size(); ++c) {
    const A_long arrived = places[c] - static_cast<A_long>(c);
    if (arrived > 0) pops.push_back(arrived);
  }
  const auto lastPop = static_cast<A_long>(pops.size());
  pops.push_back(q);
  // S[0 … P] as indices into G's scan order.
  refs.resize(static_cast<std::size_t>(lastPop) + 1);
  A_long arrivals = 0;
  A_long r = 0;
  for (A_long s = 0; s <= lastPop; ++s) {
    if (s == pops[r] + r) {
      refs[s] = refs[r];
      ++r;
    } else {
      refs[s] = arrivals++;
    }
  }
  // The queue: G from g(arrivals) on, with pushes r … P of the samples before it in between.
  A_long head = -1;
  A_long tail = -1;
  tree.Split(others, arrivals, head, tail);
  heads.clear();
  tree.Nodes(head, heads);
  A_long queue = -1;
  A_long taken = arrivals;
  for (; r <= lastPop; ++r) {
    A_long piece = -1;
    tree.Split(tail, pops[r] - taken, piece, tail);
    taken = pops[r];
    queue = tree.Join(queue, piece);
    queue = tree.Join(queue, tree.Single(heads[refs[r]]));
  }
  return tree.Join(queue, tail);
}

/// The side after the pivot when few samples did not go before it: nodes and places are those
/// samples; scanned is how many samples the partition scanned.
A_long QueueAfterFewAfter(Treap& tree, A_long scanned, const std::vector<A_long>& nodes,
                          const std::vector<A_long>& places) {
  if (nodes.empty()) return -1;
  // The queue as a list and the index of its front; it is read from the front round to it.
  A_long list = -1;
  std::int64_t front = 0;
  std::int64_t length = 0;
  std::int64_t last = -1;
  for (std::size_t j = 0; j < nodes.size(); ++j) {
    const std::int64_t popped = places[j] - last - 1;
    last = places[j];
    if (length > 0) front = (front + popped) % length;
    A_long before = -1;
    A_long after = -1;
    tree.Split(list, static_cast<A_long>(front), before, after);
    list = tree.Join(tree.Join(before, tree.Single(nodes[j])), after);
    ++length;
    front = (front + 1) % length;
  }
  front = (front + (scanned - 1 - last) + 1) % length;  // the last pops, then the final swap
  A_long before = -1;
  A_long after = -1;
  tree.Split(list, static_cast<A_long>(front), before, after);
  return tree.Join(after, before);
}

}  // namespace

void RunOrder::Clear(bool descending) {
  m_descending = descending;
  m_ordered = true;
  m_samples.clear();
}

void RunOrder::ArrayOrder() {
  m_treeSamples = 0;
  m_deep.clear();
  const auto n = static_cast<A_long>(m_samples.size());
  if (n < 2) return;
  // A quicksort of n samples in a fair order partitions about 1.4 n log2 n samples in all.
  const auto bits = static_cast<std::int64_t>(std::bit_width(static_cast<std::uint32_t>(n)));
  m_budget = m_arrayBudget >= 0 ? m_arrayBudget : 4 * n * bits * bits;
  Quicksort(0, n - 1);
}

void RunOrder::Quicksort(A_long lo, A_long hi) {
  RunSample* a = m_samples.data();
  while (lo < hi) {
    const A_long m = hi - lo + 1;
    if ((m_budget -= m) < 0) {
      m_deep.emplace_back(lo, hi);
      return;
    }
    if (m_ordered && Ascending(a, lo, hi)) {
      SortAscending(a, lo, hi);
      return;
    }
    if (m_ordered && Descending(a, lo, hi)) {
      SortDescending(a, lo, hi, m_sorted);
      return;
    }
    A_long before = 0;
    const A_long p = Partition(a, lo, hi, before);
    if (m_ordered && before == 0) {
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
    if (m_ordered && before == m - 1) {
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
      Quicksort(lo, p - 1);
      lo = p + 1;
    } else {
      Quicksort(p + 1, hi);
      hi = p - 1;
    }
  }
}

// The partition on the tree. Take the range's samples before the pivot, x0 … xm−2, in order; B
// are those that go before the pivot, G the others (g0, g1, … in scan order). Lomuto's loop keeps
// G's samples seen so far as one block behind B's: a sample of G joins the block's end; a sample
// of B, when the block is not empty, swaps with the block's first sample, which so moves to the
// block's end. The final swap sends the block's first sample to the range's end. So B ends in
// scan order in front, the pivot follows, and G ends as a queue would: each sample of G is
// pushed on arrival, each sample of B met with the queue not empty pops the front and pushes it
// again, and the final swap does that once more. Then:
// - Few of B (b samples): the queue's pushes, in time order, are S: G's arrivals, and at each
//   pop the sample that S held at the pop's number. With P + 1 pops in all, the queue ends as
//   S[P + 1 …]: G from some g(i0) on in scan order, with g0 … g(i0−1) pushed again in between,
//   one each, at most b + 1 of them. Finding B, taking it out and splicing those few back costs
//   O(b log n).
// - Few of G (r samples): B stays in scan order, so the tree without G is the left side. The
//   queue of at most r samples is a list with a front: each arrival goes in just before the
//   front, each pop moves the front one on; r insertions at found places cost O(r log r).
// Which side is smaller is found by collecting both with doubling limits, so a partition costs
// O((1 + min(b, r)) log n). A sample is on the smaller side at most log2 n times, as that side
// holds at most half its range, so the recursion costs O(n log² n) in all (expected over the
// treap's random priorities, on which the order found does not depend).
void RunOrder::TreeSort(A_long lo, A_long hi) {
  RunSample* a = m_samples.data();
  const A_long m = hi - lo + 1;
  const A_long shortRange = m_shortRange >= 1 ? m_shortRange : kShortRange;
  if (m <= shortRange) return ShortQuicksort(a, lo, hi);
  m_treeSamples += static_cast<std::size_t>(m);
  m_nodes.resize(static_cast<std::size_t>(m));
  Treap tree(m_nodes.data());
  A_long root = -1;
  for (A_long k = 0; k < m; ++k) {
    m_random ^= m_random << 13;
    m_random ^= m_random >> 17;
    m_random ^= m_random << 5;
    RunNode& node = m_nodes[static_cast<std::size_t>(k)];
    node = RunNode{};
    node.key = a[lo + k].key;
    node.place = a[lo + k].place;
    node.priority = m_random;
    root = tree.Join(root, tree.Single(k));
  }

  bool fewBeforeLast = true;
  m_stack.clear();
  m_stack.push_back(root);
  m_stack.push_back(lo);
  while (!m_stack.empty()) {
    const auto base = static_cast<A_long>(m_stack.back());
    m_stack.pop_back();
    const auto t = static_cast<A_long>(m_stack.back());
    m_stack.pop_back();
    const A_long size = tree.Size(t);
    if (size <= shortRange) {
      tree.Write(t, a + base);
      ShortQuicksort(a, base, base + size - 1);
      continue;
    }
    A_long rest = -1;
    A_long pivot = -1;
    tree.Split(t, size - 1, rest, pivot);
    const std::uint64_t bound = Bound(tree[pivot].key);

    // Find the smaller side, B (before) or G.
    m_found.clear();
    m_places.clear();
    // Nearly ordered runs keep one side small partition after partition, so the side that was
    // smaller last time is searched first.
    bool fewBefore = true;  // so far: none goes before
    if (tree[rest].least < bound && tree[rest].greatest < bound) {
      fewBefore = false;  // all go before
    } else if (tree[rest].least < bound) {
      for (std::size_t limit = 1;; limit *= 2) {
        if (tree.Collect(rest, 0, fewBeforeLast, bound, limit, m_found, m_places)) {
          fewBefore = fewBeforeLast;
          break;
        }
        m_found.clear();
        m_places.clear();
        if (tree.Collect(rest, 0, !fewBeforeLast, bound, limit, m_found, m_places)) {
          fewBefore = !fewBeforeLast;
          break;
        }
        m_found.clear();
        m_places.clear();
      }
      fewBeforeLast = fewBefore;
    }

    // Take the smaller side out; what stays keeps its order.
    const std::size_t found = m_found.size();
    A_long kept = -1;
    A_long consumed = 0;
    for (std::size_t c = 0; c < found; ++c) {
      A_long front = -1;
      A_long back = -1;
      A_long one = -1;
      tree.Split(rest, m_places[c] - consumed, front, back);
      tree.Split(back, 1, one, rest);
      kept = tree.Join(kept, front);
      consumed = m_places[c] + 1;
    }
    kept = tree.Join(kept, rest);

    const A_long before =
        fewBefore ? static_cast<A_long>(found) : size - 1 - static_cast<A_long>(found);
    A_long left = -1;
    A_long right = -1;
    if (fewBefore) {
      for (const A_long node : m_found) left = tree.Join(left, tree.Single(node));
      right = QueueAfterFewBefore(tree, kept, m_places, m_pops, m_refs, m_heads);
    } else {
      left = kept;
      right = QueueAfterFewAfter(tree, size - 1, m_found, m_places);
    }
    a[base + before] = RunSample{tree[pivot].key, tree[pivot].place};
    m_stack.push_back(left);
    m_stack.push_back(base);
    m_stack.push_back(right);
    m_stack.push_back(base + before + 1);
  }
}

}  // namespace jf
