// Windows longer than the run of outputs they serve. The windows of outputs first ... last-1 all
// hold the shared stretch C = e[last-1-W2 ... first+W2]; each holds besides only c-1 samples of
// its own (c = last-first): the end of a left stretch L, the start of a right stretch R.
//
// Two ways serve them, whichever needs less storage:
// - Candidates: since at most c-1 of a window's samples lie outside C, its median is either one
//   of those or one of C's samples of rank r0 = k-(c-1) ... k. C is reduced once to those
//   candidates by selection over a copy of its keys, and the windows slide over the candidates,
//   L and R only, kept as counts in a Fenwick tree over their sorted order.
// - Sources: with a padding generated from the signal, every position stands for one of the
//   signal's samples or the fill, so each window is a count of each of those sources, and the
//   next window has one source less and one more. The tree counts the sources in sorted order:
//   storage in proportion to the signal however long the windows are.
//
// Like the other engines, windows are ordered by the samples' keys; the verdict of each window
// tells the caller which ones that order cannot decide.
#include "core/engines/long_window_medians.h"

#include <algorithm>

#include "core/support/interruption.h"
#include "core/support/sample_key.h"
#include "core/support/storage_layout.h"

namespace {

// Outputs between two polls of stop_requested().
const int64_t kOutputsBetweenPolls = 1 << 16;

// ---- Fenwick tree of counts over ranks 0 ... size-1 (tree[1 ... size]) ----

void fenwick_add(int32_t *tree, int32_t size, int32_t rank, int32_t delta) {
  for (int64_t i = int64_t{rank} + 1; i <= size; i += i & -i) tree[i] += delta;
}

// Turns tree[1 ... size], holding each rank's count, into the tree of those counts.
void fenwick_build(int32_t *tree, int32_t size) {
  for (int64_t i = 1; i <= size; ++i) {
    const int64_t parent = i + (i & -i);
    if (parent <= size) tree[parent] += tree[i];
  }
}

// The smallest rank whose prefix count exceeds k.
int32_t fenwick_rank(const int32_t *tree, int32_t size, int64_t k) {
  int64_t position = 0;
  int64_t step = 1;
  while (step <= size / 2) step *= 2;
  for (; step > 0; step /= 2) {
    if (position + step <= size && tree[position + step] <= k) {
      position += step;
      k -= tree[position];
    }
  }
  return static_cast<int32_t>(position);
}

// Sorts positions 0 ... count-1 by key (equal keys are identical samples, so their order is
// immaterial), and gives each its rank.
void rank_by_key(const int64_t *key, int32_t *order, int32_t *rank_of, int32_t count) {
  for (int32_t i = 0; i < count; ++i) order[i] = i;
  std::sort(order, order + count, [key](int32_t a, int32_t b) { return key[a] < key[b]; });
  for (int32_t r = 0; r < count; ++r) rank_of[order[r]] = r;
}

// The output of a window whose key-order median is `median`, and the verdict on it.
void decide(double median, const SpecialCounts &s, ZeroSigns zeros, double *out, uint8_t *verdict) {
  const bool by_count = zeros == kZerosByCount && s.nan == 0 && median == 0;
  *out = by_count ? signed_by_count(median, s) : median;
  *verdict = s.nan > 0                                         ? kWindowHoldsNaN
             : !by_count && holds_both_zeros_around(s, median) ? kWindowHoldsBothZeros
                                                               : kWindowDecided;
}

// ---- Candidates ----

struct CandidateRoom {  // the candidates, then L, then R
  int64_t *key;
  int32_t *order;
  int32_t *rank_of;
  int32_t *tree;
  int64_t *shared;  // scratch: the keys of C
};

int32_t universe_size(int64_t outputs) {
  return static_cast<int32_t>(3 * outputs - 2);
}

CandidateRoom carve_candidate_room(StorageLayout &storage, StorageLayout &scratch, int32_t W,
                                   int64_t outputs) {
  const int32_t u = universe_size(outputs);
  CandidateRoom v;
  v.key = take<int64_t>(storage, u);
  v.order = take<int32_t>(storage, u);
  v.rank_of = take<int32_t>(storage, u);
  v.tree = take<int32_t>(storage, int64_t{u} + 1);
  v.shared = take<int64_t>(scratch, W - outputs + 1);
  return v;
}

// C's samples of ranks r0 ... r1, by selection over a copy of their keys.
void candidates_by_selection(const ExtendedSignal &e, int64_t a, int64_t b, int64_t r0, int64_t r1,
                             int64_t *scratch, int64_t *candidate, SpecialCounts &s) {
  const int64_t count = b - a + 1;
  for (int64_t j = 0; j < count; ++j) {
    const double v = extended_at(e, a + j);
    count_special(s, v, 1);
    scratch[j] = key_of(v);
  }
  std::nth_element(scratch, scratch + r0, scratch + count);
  std::nth_element(scratch + r0, scratch + r1, scratch + count);
  std::sort(scratch + r0, scratch + r1 + 1);
  std::copy(scratch + r0, scratch + r1 + 1, candidate);
}

void candidate_medians(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last,
                       ZeroSigns zeros, double *out, uint8_t *verdict, const CandidateRoom &v) {
  const int64_t c = last - first, k = e.W2;
  const int64_t a = last - 1 - e.W2, b = first + e.W2;  // the shared stretch C
  const int64_t shared = W - c + 1;                     // b - a + 1
  const int64_t r0 = std::max<int64_t>(0, k - (c - 1)), r1 = std::min(shared - 1, k);
  const int32_t m = static_cast<int32_t>(r1 - r0 + 1);
  SpecialCounts s = {0, 0, 0};
  candidates_by_selection(e, a, b, r0, r1, v.shared, v.key, s);
  // L = e[first-W2 ... a-1] and R = e[b+1 ... last-1+W2], c-1 samples each, after the
  // candidates. Output first's window holds all of L and none of R.
  for (int64_t j = 0; j < c - 1; ++j) {
    v.key[m + j] = key_of(extended_at(e, first - e.W2 + j));
    v.key[m + (c - 1) + j] = key_of(extended_at(e, b + 1 + j));
  }
  const int32_t size = m + 2 * static_cast<int32_t>(c - 1);
  rank_by_key(v.key, v.order, v.rank_of, size);
  std::fill(v.tree, v.tree + size + 1, 0);
  for (int32_t j = 0; j < m + c - 1; ++j) {
    v.tree[v.rank_of[j] + 1] = 1;
    if (j >= m) count_special(s, value_of(v.key[j]), 1);
  }
  fenwick_build(v.tree, size);
  for (int64_t i = 0; i < c; ++i) {
    if (i > 0) {  // L's sample i-1 leaves, R's sample i-1 enters
      const int32_t leaving = m + static_cast<int32_t>(i - 1);
      const int32_t entering = leaving + static_cast<int32_t>(c - 1);
      fenwick_add(v.tree, size, v.rank_of[leaving], -1);
      fenwick_add(v.tree, size, v.rank_of[entering], 1);
      count_special(s, value_of(v.key[leaving]), -1);
      count_special(s, value_of(v.key[entering]), 1);
    }
    if (i % kOutputsBetweenPolls == 0 && stop_requested()) return;
    const double median = value_of(v.key[v.order[fenwick_rank(v.tree, size, k - r0)]]);
    decide(median, s, zeros, out + i, verdict + i);
  }
}

// ---- Sources ----

// Sources of a generated padding: the signal's samples, then the fill constant.
int64_t source_count(const ExtendedSignal &e) {
  return e.n + (e.padding == kConstantPadding ? 1 : 0);
}

double source_value(const ExtendedSignal &e, int64_t j) {
  return j < e.n ? e.x[j] : e.fill;
}

// The source standing at extended position t.
int64_t source_at(const ExtendedSignal &e, int64_t t) {
  if (t >= 0 && t < e.n) return t;
  const int64_t p = padding_source(t, e.n, e.padding);
  return p < 0 ? e.n : p;
}

// Calls add(j, hits) with how many positions of [a, b] stand for source j, for a padding that
// repeats with a period (inside the signal too).
template <class Add>
void add_periodic_counts(const ExtendedSignal &e, int64_t a, int64_t b, Add add) {
  const int64_t period = e.padding == kSymmetricPadding ? 2 * e.n : e.n;
  const int64_t length = b - a + 1;
  const int64_t phase = ((a % period) + period) % period;
  for (int64_t p = 0; p < period; ++p) {
    // Positions a + d with (phase + d) % period == p, for 0 <= d < length.
    const int64_t d = (p - phase + period) % period;
    const int64_t hits = d < length ? (length - 1 - d) / period + 1 : 0;
    if (hits > 0) add(padding_source(p, e.n, e.padding), hits);
  }
}

// Calls add(j, hits) with how many positions of [a, b] stand for source j.
template <class Add>
void add_source_counts(const ExtendedSignal &e, int64_t a, int64_t b, Add add) {
  if (a > b) return;
  if (e.padding == kPeriodicPadding || e.padding == kSymmetricPadding) {
    add_periodic_counts(e, a, b, add);
    return;
  }
  const int64_t inner_a = std::max<int64_t>(a, 0), inner_b = std::min(b, e.n - 1);
  for (int64_t t = inner_a; t <= inner_b; ++t) add(t, 1);
  const int64_t left = std::max<int64_t>(0, std::min<int64_t>(b, -1) - a + 1);
  const int64_t right = std::max<int64_t>(0, b - std::max(a, e.n) + 1);
  if (e.padding == kConstantPadding) {
    if (left + right > 0) add(e.n, left + right);
  } else {  // replicate
    if (left > 0) add(0, left);
    if (right > 0) add(e.n - 1, right);
  }
}

struct SourceRoom {
  int64_t *key;
  int32_t *order;
  int32_t *rank_of;
  int32_t *tree;
};

SourceRoom carve_source_room(StorageLayout &storage, const ExtendedSignal &e) {
  const int64_t sources = source_count(e);
  SourceRoom v;
  v.key = take<int64_t>(storage, sources);
  v.order = take<int32_t>(storage, sources);
  v.rank_of = take<int32_t>(storage, sources);
  v.tree = take<int32_t>(storage, sources + 1);
  return v;
}

void source_medians(const ExtendedSignal &e, int64_t first, int64_t last, ZeroSigns zeros,
                    double *out, uint8_t *verdict, const SourceRoom &v) {
  const int32_t size = static_cast<int32_t>(source_count(e));
  for (int32_t j = 0; j < size; ++j) v.key[j] = key_of(source_value(e, j));
  rank_by_key(v.key, v.order, v.rank_of, size);
  std::fill(v.tree, v.tree + size + 1, 0);
  SpecialCounts s = {0, 0, 0};
  add_source_counts(e, first - e.W2, first + e.W2, [&](int64_t j, int64_t hits) {
    v.tree[v.rank_of[j] + 1] += static_cast<int32_t>(hits);
    count_special(s, source_value(e, j), hits);
  });
  fenwick_build(v.tree, size);
  for (int64_t i = first; i < last; ++i) {
    if (i > first) {
      const int64_t leaving = source_at(e, i - 1 - e.W2), entering = source_at(e, i + e.W2);
      fenwick_add(v.tree, size, v.rank_of[leaving], -1);
      fenwick_add(v.tree, size, v.rank_of[entering], 1);
      count_special(s, value_of(v.key[leaving]), -1);
      count_special(s, value_of(v.key[entering]), 1);
    }
    if ((i - first) % kOutputsBetweenPolls == 0 && stop_requested()) return;
    const double median = value_of(v.key[v.order[fenwick_rank(v.tree, size, e.W2)]]);
    decide(median, s, zeros, out + (i - first), verdict + (i - first));
  }
}

// ---- Which way ----

size_t candidate_bytes(int32_t W, int64_t outputs) {
  return bytes_taken_by([&](StorageLayout &s) { carve_candidate_room(s, s, W, outputs); });
}

size_t source_bytes(const ExtendedSignal &e) {
  return bytes_taken_by([&](StorageLayout &s) { carve_source_room(s, e); });
}

// Sources where the padding is generated and they take less storage and scratch than the
// candidates. The candidates' grow with the outputs, so longer runs never take the candidates
// where shorter ones take the sources, and the storage of the longest run serves every shorter.
bool counts_sources(const ExtendedSignal &e, int32_t W, int64_t outputs) {
  return e.padding != kExtensionArrays && source_bytes(e) <= candidate_bytes(W, outputs);
}

}  // namespace

size_t long_window_scratch_bytes(const ExtendedSignal &e, int32_t W, int64_t outputs) {
  if (counts_sources(e, W, outputs)) return 0;
  StorageLayout none = measuring_layout();
  return bytes_taken_by([&](StorageLayout &s) { carve_candidate_room(none, s, W, outputs); });
}

size_t long_window_storage_bytes(const ExtendedSignal &e, int32_t W, int64_t outputs) {
  if (counts_sources(e, W, outputs)) return source_bytes(e);
  StorageLayout none = measuring_layout();
  return bytes_taken_by([&](StorageLayout &s) { carve_candidate_room(s, none, W, outputs); });
}

void long_window_medians(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last,
                         ZeroSigns zeros, double *out, uint8_t *verdict, void *scratch,
                         void *storage) {
  StorageLayout storage_layout = carving_layout(storage);
  if (counts_sources(e, W, last - first)) {
    source_medians(e, first, last, zeros, out, verdict, carve_source_room(storage_layout, e));
    return;
  }
  StorageLayout scratch_layout = carving_layout(scratch);
  candidate_medians(e, W, first, last, zeros, out, verdict,
                    carve_candidate_room(storage_layout, scratch_layout, W, last - first));
}
