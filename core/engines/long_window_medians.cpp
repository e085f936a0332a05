// Windows longer than the run of outputs they serve. The windows of outputs first ... last-1 all
// hold the shared stretch C = e[last-1-W2 ... first+W2]; each holds besides only c-1 samples of
// its own (c = last-first): the end of a left stretch L, the start of a right stretch R. Since
// at most c-1 of a window's samples lie outside C, its median is either one of those or one of
// C's samples of rank r0 = k-(c-1) ... k. So C is reduced once to those candidates (by selection
// over a copy of its keys, or, when the padding is generated and C is longer than the signal, by
// counting how often each of the signal's samples occurs in it), and the windows slide over the
// candidates, L and R only, kept as counts in a Fenwick tree over their sorted order.
//
// Like the other engines, windows are ordered by the samples' keys; the verdict of each window
// tells the caller which ones that order cannot decide.
#include "core/engines/long_window_medians.h"

#include <algorithm>

#include "core/support/sample_key.h"
#include "core/support/special_values.h"
#include "core/support/storage_layout.h"

namespace {

// ---- Fenwick tree over ranks 0 ... size-1 (tree[1 ... size]) ----

void fenwick_add(int64_t *tree, int32_t size, int32_t rank, int64_t delta) {
  for (int32_t i = rank + 1; i <= size; i += i & -i) tree[i] += delta;
}

// The smallest rank whose prefix count exceeds k.
int32_t fenwick_rank(const int64_t *tree, int32_t size, int64_t k) {
  int32_t position = 0;
  int32_t step = 1;
  while (step * 2 <= size) step *= 2;
  for (; step > 0; step /= 2) {
    if (position + step <= size && tree[position + step] <= k) {
      position += step;
      k -= tree[position];
    }
  }
  return position;
}

// Sorts positions 0 ... count-1 by key (equal keys are identical samples, so their order is
// immaterial).
void sort_by_key(const int64_t *key, int32_t *order, int32_t count) {
  for (int32_t i = 0; i < count; ++i) order[i] = i;
  std::sort(order, order + count, [key](int32_t a, int32_t b) { return key[a] < key[b]; });
}

// ---- Storage ----

struct Universe {  // the candidates, then L, then R
  int64_t *key;
  int32_t *order;
  int32_t *rank_of;
  int64_t *tree;
};

int32_t universe_size(int64_t outputs) {
  return static_cast<int32_t>(3 * outputs - 2);
}

Universe carve_universe(StorageLayout &s, int64_t outputs) {
  const int32_t u = universe_size(outputs);
  Universe v;
  v.key = take<int64_t>(s, u);
  v.tree = take<int64_t>(s, int64_t{u} + 1);
  v.order = take<int32_t>(s, u);
  v.rank_of = take<int32_t>(s, u);
  return v;
}

bool counts_shared_stretch(const ExtendedSignal &e, int64_t shared) {
  return e.padding != kExtensionArrays && shared > e.n;
}

// Sources of a generated padding: the signal's samples, then the fill constant.
int64_t source_count(const ExtendedSignal &e) {
  return e.n + (e.padding == kConstantPadding ? 1 : 0);
}

// The scratch for reducing the shared stretch: a copy of its keys to select from, or the count,
// key and sorted order of each source of a generated padding.
struct SharedStretchRoom {
  int64_t *keys;
  int64_t *times;
  int64_t *source_key;
  int32_t *order;
};

SharedStretchRoom carve_shared_stretch_room(StorageLayout &s, const ExtendedSignal &e,
                                            int64_t shared) {
  SharedStretchRoom room = {nullptr, nullptr, nullptr, nullptr};
  if (!counts_shared_stretch(e, shared)) {
    room.keys = take<int64_t>(s, shared);
    return room;
  }
  const int64_t sources = source_count(e);
  room.times = take<int64_t>(s, sources);
  room.source_key = take<int64_t>(s, sources);
  room.order = take<int32_t>(s, sources);
  return room;
}

// ---- The shared stretch reduced to its candidates ----

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

// Adds to times[j] how many positions of [a, b] stand for source j, for a padding that repeats
// with a period (inside the signal too).
void add_periodic_counts(const ExtendedSignal &e, int64_t a, int64_t b, int64_t *times) {
  const int64_t period = e.padding == kSymmetricPadding ? 2 * e.n : e.n;
  const int64_t length = b - a + 1;
  const int64_t phase = ((a % period) + period) % period;
  for (int64_t p = 0; p < period; ++p) {
    // Positions a + d with (phase + d) % period == p, for 0 <= d < length.
    const int64_t d = (p - phase + period) % period;
    const int64_t hits = d < length ? (length - 1 - d) / period + 1 : 0;
    times[padding_source(p, e.n, e.padding)] += hits;
  }
}

// Adds to times[j] how many positions of [a, b] stand for source j.
void add_source_counts(const ExtendedSignal &e, int64_t a, int64_t b, int64_t *times) {
  if (a > b) return;
  if (e.padding == kPeriodicPadding || e.padding == kSymmetricPadding) {
    add_periodic_counts(e, a, b, times);
    return;
  }
  const int64_t inner_a = std::max<int64_t>(a, 0), inner_b = std::min(b, e.n - 1);
  for (int64_t t = inner_a; t <= inner_b; ++t) ++times[t];
  const int64_t left = std::max<int64_t>(0, std::min<int64_t>(b, -1) - a + 1);
  const int64_t right = std::max<int64_t>(0, b - std::max(a, e.n) + 1);
  if (e.padding == kConstantPadding) {
    times[e.n] += left + right;
  } else {  // replicate
    times[0] += left;
    times[e.n - 1] += right;
  }
}

// C's samples of ranks r0 ... r1, by counting how often each source occurs in C.
void candidates_by_counting(const ExtendedSignal &e, int64_t a, int64_t b, int64_t r0, int64_t r1,
                            const SharedStretchRoom &room, int64_t *candidate, SpecialCounts &s) {
  const int64_t sources = source_count(e);
  int64_t *times = room.times;
  int64_t *key = room.source_key;
  int32_t *order = room.order;
  std::fill(times, times + sources, 0);
  add_source_counts(e, a, b, times);
  for (int64_t j = 0; j < sources; ++j) {
    const double v = j < e.n ? e.x[j] : e.fill;
    key[j] = key_of(v);
    count_special(s, v, times[j]);
  }
  sort_by_key(key, order, static_cast<int32_t>(sources));
  int64_t below = 0, next = r0;  // samples of C of lower rank; the next rank wanted
  for (int64_t r = 0; r < sources && next <= r1; ++r) {
    const int32_t j = order[r];
    for (; next <= r1 && next < below + times[j]; ++next) candidate[next - r0] = key[j];
    below += times[j];
  }
}

}  // namespace

size_t long_window_scratch_bytes(const ExtendedSignal &e, int32_t W, int64_t outputs) {
  return bytes_taken_by(
      [&](StorageLayout &s) { carve_shared_stretch_room(s, e, W - outputs + 1); });
}

size_t long_window_storage_bytes(int64_t outputs) {
  return bytes_taken_by([outputs](StorageLayout &s) { carve_universe(s, outputs); });
}

void long_window_medians(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last,
                         double *out, uint8_t *verdict, void *scratch, void *storage) {
  const int64_t c = last - first, k = e.W2;
  const int64_t a = last - 1 - e.W2, b = first + e.W2;  // the shared stretch C
  const int64_t shared = W - c + 1;                     // b - a + 1
  const int64_t r0 = std::max<int64_t>(0, k - (c - 1)), r1 = std::min(shared - 1, k);
  const int32_t m = static_cast<int32_t>(r1 - r0 + 1), u = universe_size(c);
  StorageLayout storage_layout = carving_layout(storage), scratch_layout = carving_layout(scratch);
  Universe v = carve_universe(storage_layout, c);
  const SharedStretchRoom stretch = carve_shared_stretch_room(scratch_layout, e, shared);
  SpecialCounts shared_specials = {0, 0, 0};
  if (counts_shared_stretch(e, shared)) {
    candidates_by_counting(e, a, b, r0, r1, stretch, v.key, shared_specials);
  } else {
    candidates_by_selection(e, a, b, r0, r1, stretch.keys, v.key, shared_specials);
  }
  // L = e[first-W2 ... a-1] and R = e[b+1 ... last-1+W2], c-1 samples each, after the
  // candidates. Output first's window holds all of L and none of R.
  for (int64_t j = 0; j < c - 1; ++j) {
    v.key[m + j] = key_of(extended_at(e, first - e.W2 + j));
    v.key[m + (c - 1) + j] = key_of(extended_at(e, b + 1 + j));
  }
  const int32_t size = m + 2 * static_cast<int32_t>(c - 1);
  sort_by_key(v.key, v.order, size);
  for (int32_t r = 0; r < size; ++r) v.rank_of[v.order[r]] = r;
  std::fill(v.tree, v.tree + u + 1, 0);
  SpecialCounts s = shared_specials;
  for (int32_t j = 0; j < m + c - 1; ++j) {
    fenwick_add(v.tree, size, v.rank_of[j], 1);
    if (j >= m) count_special(s, value_of(v.key[j]), 1);
  }
  for (int64_t i = 0; i < c; ++i) {
    if (i > 0) {  // L's sample i-1 leaves, R's sample i-1 enters
      const int32_t leaving = m + static_cast<int32_t>(i - 1);
      const int32_t entering = leaving + static_cast<int32_t>(c - 1);
      fenwick_add(v.tree, size, v.rank_of[leaving], -1);
      fenwick_add(v.tree, size, v.rank_of[entering], 1);
      count_special(s, value_of(v.key[leaving]), -1);
      count_special(s, value_of(v.key[entering]), 1);
    }
    const double median = value_of(v.key[v.order[fenwick_rank(v.tree, size, k - r0)]]);
    out[i] = median;
    verdict[i] = s.nan > 0                            ? kWindowHoldsNaN
                 : holds_both_zeros_around(s, median) ? kWindowHoldsBothZeros
                                                      : kWindowDecided;
  }
}
