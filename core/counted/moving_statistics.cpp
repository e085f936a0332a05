// Moving statistics: the fixed-window engines wherever the statistic is the median and a window is
// odd, whole and holds no omitted sample; a counted structure elsewhere.
//
// The counted structure serves a run of outputs a segment at a time. The samples the segment's
// windows reach are sorted once; each window is then a set of ranks (core/counted/rank_set.h)
// whose k-th one is found from where the previous window's was. A padding constant is not in the
// set: its multiplicity (how far the window reaches past the signal) is counted beside it, with
// the window's samples below it, so a window may reach any distance past the signal. Short
// windows keep their samples in a sorted array instead.
#include "core/counted/moving_statistics.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "core/counted/exact_integers.h"
#include "core/counted/rank_set.h"
#include "core/counted/window_times.h"
#include "core/engines/nan_windows.h"
#include "core/running_median.h"
#include "core/support/keyed_sort.h"
#include "core/support/nan_and_zeros.h"
#include "core/support/sample_key.h"
#include "core/support/storage_layout.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

// A segment serves at least this many outputs, and four times its window, so that sorting
// the samples it reaches costs little beside sliding over them.
const int64_t kFewestSegmentOutputs = 1 << 12;

// ---- Windows ----

bool has_times(const MovingWindows &w) {
  return w.times != nullptr;
}

// A NaN padding that is omitted is no padding at all.
MovingWindows normalised(const MovingWindows &w, int64_t n) {
  MovingWindows v = w;
  if (v.padded && v.omit_nan && std::isnan(v.fill)) v.padded = false;
  if (!v.padded) {  // beyond the signal's length, reach changes nothing
    v.back = std::min(v.back, n);
    v.forward = std::min(v.forward, n);
  }
  return v;
}

// The signal's positions lo ... hi a window reaches (lo > hi when none), kept for output i and
// moved forward as i grows: each bound only ever advances.
struct Reach {
  int64_t lo;
  int64_t hi;
};

bool within_forward(const MovingWindows &w, double t, double limit) {
  return w.forward_open ? t < limit : t <= limit;
}

TimeBounds time_bounds(const MovingWindows &w, int64_t i) {
  return window_time_bounds(w.times[i], w.time_back, w.time_forward, w.forward_open);
}

Reach first_reach(const MovingWindows &w, int64_t n, int64_t i) {
  if (!has_times(w)) return {std::max<int64_t>(0, i - w.back), std::min(n - 1, i + w.forward)};
  const TimeBounds b = time_bounds(w, i);
  const double *lo = std::lower_bound(w.times, w.times + n, b.low);
  const double *hi = w.forward_open ? std::lower_bound(w.times, w.times + n, b.high)
                                    : std::upper_bound(w.times, w.times + n, b.high);
  return {lo - w.times, (hi - w.times) - 1};
}

void advance_reach(const MovingWindows &w, int64_t n, int64_t i, Reach *r) {
  if (!has_times(w)) {
    *r = {std::max<int64_t>(0, i - w.back), std::min(n - 1, i + w.forward)};
    return;
  }
  const TimeBounds b = time_bounds(w, i);
  while (r->lo < n && w.times[r->lo] < b.low) ++r->lo;
  while (r->hi + 1 < n && within_forward(w, w.times[r->hi + 1], b.high)) ++r->hi;
}

// Copies of the padding constant in output i's window.
int64_t padding_count(const MovingWindows &w, int64_t n, int64_t i) {
  if (!w.padded) return 0;
  return std::max<int64_t>(0, w.back - i) + std::max<int64_t>(0, i + w.forward - (n - 1));
}

// ---- The counted structure ----

struct CountedRoom {
  int64_t *keys;     // keys of the segment's counted samples
  int32_t *order;    // their positions, sorted by key
  int32_t *scratch;  // the sort's
  int32_t *rank_at;  // each position's rank, -1 for a NaN
  RankSet set;       // the window's ranks
  double *sorted;    // the value of each rank
};

int64_t segment_outputs(const MovingWindows &w, int64_t n) {
  if (has_times(w)) return n;
  return std::min(n, std::max(kFewestSegmentOutputs, 4 * (w.back + w.forward)));
}

// The most samples one segment reaches, of the `span` samples that `outputs` outputs reach.
int64_t segment_span(const MovingWindows &w, int64_t span, int64_t outputs) {
  if (has_times(w)) return span;
  return std::min(span, std::min(outputs, segment_outputs(w, span)) + w.back + w.forward);
}

CountedRoom carve_counted_room(StorageLayout &s, int64_t span) {
  CountedRoom room;
  room.keys = take<int64_t>(s, span);
  room.order = take<int32_t>(s, span);
  room.scratch = take<int32_t>(s, 2 * span + 1);
  room.rank_at = take<int32_t>(s, span);
  room.set = carve_rank_set(s, span);
  room.sorted = take<double>(s, span);
  return room;
}

// One segment's ranks and the window that slides over them.
struct Counted {
  CountedRoom room;
  int64_t base;  // the signal's position of the segment's first sample
  RankSet set;
  int32_t fill_rank;       // ranks below the padding constant's value
  int64_t below_fill;      // the window's samples below it
  int64_t count;           // counted samples in the window (padding aside)
  SpecialCounts specials;  // its NaN and zeros
  // The places in the window's order that the statistic follows from window to window (by
  // WindowCursor: the middle, and with the MAD the ends of the run of values nearest the
  // median), the first `followed` of them kept up to date.
  RankCursor cursors[kWindowCursors];
  int32_t followed;
  WindowMemory memory;
};

// Sorts the counted samples of x[lo ... hi] into ranks.
void rank_span(const double *x, int64_t lo, int64_t hi, const MovingWindows &w, Counted *c) {
  CountedRoom &room = c->room;
  int32_t counted = 0;
  for (int64_t p = lo; p <= hi; ++p) {
    if (x[p] == x[p]) room.keys[counted++] = key_of(x[p]);
  }
  if (counted > 0) sort_positions_by_key(room.keys, room.order, room.scratch, counted);
  // order[r] indexes keys, which hold the counted samples in position order.
  int32_t next = 0;
  for (int64_t p = lo; p <= hi; ++p) room.rank_at[p - lo] = x[p] == x[p] ? next++ : -1;
  for (int32_t r = 0; r < counted; ++r) room.scratch[room.order[r]] = r;
  for (int64_t p = lo; p <= hi; ++p) {
    int32_t &rank = room.rank_at[p - lo];
    if (rank >= 0) rank = room.scratch[rank];
  }
  for (int32_t r = 0; r < counted; ++r) room.sorted[r] = value_of(room.keys[room.order[r]]);
  c->set = room.set;
  clear_rank_set(&c->set, counted);
  c->base = lo;
  c->fill_rank = 0;
  if (w.padded) {
    c->fill_rank = static_cast<int32_t>(std::lower_bound(room.sorted, room.sorted + counted, w.fill,
                                                         [](double a, double b) { return a < b; }) -
                                        room.sorted);
  }
  c->below_fill = 0;
  c->count = 0;
  c->specials = {0, 0, 0};
  for (RankCursor &cursor : c->cursors) cursor = {0, 0};
  c->memory = fresh_window_memory();
}

void change(Counted *c, int64_t p, int32_t delta) {
  const int32_t rank = c->room.rank_at[p - c->base];
  if (rank < 0) {
    c->specials.nan += delta;
    return;
  }
  count_special(c->specials, c->room.sorted[rank], delta);
  c->count += delta;
  if (rank < c->fill_rank) c->below_fill += delta;
  if (delta > 0) {
    insert_rank(&c->set, rank);
    for (int32_t k = 0; k < c->followed; ++k) count_entering(&c->cursors[k], rank);
  } else {
    erase_rank(&c->set, rank);
    for (int32_t k = 0; k < c->followed; ++k) count_leaving(&c->cursors[k], rank);
  }
}

// What the windows give, and where. With exact integers the samples are ranks into their keys,
// and each output slot receives the 64 bits of the result in its integer class.
struct Outputs {
  MovingStatistic statistic;
  const ExactArithmetic *exact;
  double *values;   // the statistic of each output
  double *medians;  // with the MAD, each window's median (null where not taken)
};

Outputs outputs_to(const MovingStatistic &s, const ExactArithmetic *exact,
                   const StatisticResults &results) {
  return {s, exact, results.at[0], s.kind == kMadStatistic ? results.at[1] : nullptr};
}

Outputs from(const Outputs &o, int64_t offset) {
  return {o.statistic, o.exact, o.values + offset, o.medians ? o.medians + offset : nullptr};
}

// How a window's results are stored: doubles as they are, a zero median or quantile signed by
// the window's zeros and NaN where a window gives none; exact integers as the 64 bits of their
// class, 0 where a window gives none (as the host converts NaN).
struct DoubleResults {
  DoubleArithmetic arithmetic;

  void value(double *slot, double v, const SpecialCounts &specials) const {
    *slot = signed_by_count(v, specials);
  }
  void deviation(double *slot, double d) const { *slot = d; }
  void none(double *slot) const { *slot = kNaN; }
  double no_deviation() const { return kNaN; }
};

void store_bits(double *slot, uint64_t bits) {
  std::memcpy(slot, &bits, sizeof bits);
}

struct ExactResults {
  ExactArithmetic arithmetic;

  void value(double *slot, const ExactValue &v, const SpecialCounts &) const {
    store_bits(slot, arithmetic.result(v));
  }
  void deviation(double *slot, const ExactDeviation &d) const {
    store_bits(slot, arithmetic.result(d));
  }
  void none(double *slot) const { store_bits(slot, 0); }
  ExactDeviation no_deviation() const { return {0, 0}; }
};

// A counted window, with `padding` copies of the fill among its samples, as the statistics read
// it: the k-th smallest value found by moving one of its cursors.
struct CountedWindow {
  Counted *c;
  const MovingWindows *w;
  int64_t padding;

  RankCursor *cursor(WindowCursor which) { return &c->cursors[which]; }

  double value(WindowCursor which, int64_t k) {
    RankCursor *at = cursor(which);
    if (padding == 0 || k < c->below_fill) return c->room.sorted[kth_rank(c->set, at, k)];
    if (k < c->below_fill + padding) return w->fill;
    return c->room.sorted[kth_rank(c->set, at, k - padding)];
  }

  // The (k+1)-th value, just after a value(which, k): without padding the next rank in the set,
  // found without moving the cursor.
  double value_after(WindowCursor which, int64_t k) {
    if (padding == 0) return c->room.sorted[next_rank_after(c->set, cursor(which)->rank)];
    return value(which, k + 1);
  }
};

// A window's output: none where it holds a NaN that counts, or nothing at all; the statistic
// otherwise. `specials` and `count` take in the padding.
template <class Window, class Results>
void finish_window(Window &window, const MovingWindows &w, const SpecialCounts &specials,
                   int64_t count, const Outputs &o, int64_t i, WindowMemory *memory,
                   const Results &results) {
  const auto &a = results.arithmetic;
  double *median = o.medians ? o.medians + i : nullptr;
  if ((!w.omit_nan && specials.nan > 0) || count == 0) {
    results.none(o.values + i);
    if (median) results.none(median);
    return;
  }
  switch (o.statistic.kind) {
    case kMedianStatistic:
      results.value(o.values + i, window_median(window, count, a), specials);
      break;
    case kQuantileStatistic:
      results.value(o.values + i, window_quantile(window, count, o.statistic.quantile, a, memory),
                    specials);
      break;
    case kMadStatistic: {
      const auto m = window_median(window, count, a);
      auto mad = results.no_deviation();
      window_mad(window, count, m, memory, a, &mad);
      results.deviation(o.values + i, mad);
      if (median) results.value(median, m, specials);
      break;
    }
  }
}

template <class Window>
void finish_window(Window &window, const MovingWindows &w, const SpecialCounts &specials,
                   int64_t count, const Outputs &o, int64_t i, WindowMemory *memory) {
  if (o.exact) {
    finish_window(window, w, specials, count, o, i, memory, ExactResults{*o.exact});
  } else {
    finish_window(window, w, specials, count, o, i, memory, DoubleResults{});
  }
}

// Outputs a ... b-1 (one segment) into their outputs from 0 on.
void counted_segment(const double *x, int64_t n, const MovingWindows &w, int64_t a, int64_t b,
                     const Outputs &out, const CountedRoom &room) {
  Reach reach = first_reach(w, n, a);
  const Reach last = first_reach(w, n, b - 1);
  Counted c;
  c.room = room;
  rank_span(x, reach.lo, last.hi, w, &c);
  c.followed = out.statistic.kind == kMadStatistic ? kWindowCursors : 1;
  int64_t in_lo = reach.lo, in_hi = reach.lo - 1;  // the positions the set holds
  for (int64_t i = a; i < b; ++i) {
    if (i > a) advance_reach(w, n, i, &reach);
    for (; in_hi < reach.hi; ++in_hi) change(&c, in_hi + 1, 1);
    for (; in_lo < reach.lo; ++in_lo) {
      if (in_lo <= in_hi) change(&c, in_lo, -1);
    }
    if (in_hi < in_lo) in_hi = in_lo - 1;
    const int64_t padding = padding_count(w, n, i);
    SpecialCounts specials = c.specials;
    if (padding > 0) count_special(specials, w.fill, padding);
    CountedWindow window = {&c, &w, padding};
    finish_window(window, w, specials, c.count + padding, out, i - a, &c.memory);
  }
}

// ---- Short windows: their counted samples kept sorted in a short array ----

// Windows of at most this many positions are kept sorted: shifting a few samples costs less
// than sorting a segment and scanning bits.
const int64_t kLongestSortedWindow = 32;

struct SortedWindow {
  double values[kLongestSortedWindow];  // the counted samples, ascending (zeros of either sign)
  int64_t count;
  SpecialCounts specials;

  double value(WindowCursor, int64_t k) const { return values[k]; }
  double value_after(WindowCursor, int64_t k) const { return values[k + 1]; }
};

// The sample at position t of the window's reach: the signal's, the padding's, or none.
bool sample_at(const double *x, int64_t n, const MovingWindows &w, int64_t t, double *v) {
  if (t >= 0 && t < n) {
    *v = x[t];
    return true;
  }
  *v = w.fill;
  return w.padded;
}

void enter(SortedWindow *s, double v) {
  count_special(s->specials, v, 1);
  if (v != v) return;
  int64_t j = s->count++;
  for (; j > 0 && s->values[j - 1] > v; --j) s->values[j] = s->values[j - 1];
  s->values[j] = v;
}

void leave(SortedWindow *s, double v) {
  count_special(s->specials, v, -1);
  if (v != v) return;
  int64_t j = 0;
  while (!(s->values[j] == v)) ++j;
  for (--s->count; j < s->count; ++j) s->values[j] = s->values[j + 1];
}

void sorted_window_statistics(const double *x, int64_t n, const MovingWindows &w, int64_t a,
                              int64_t b, const Outputs &out) {
  SortedWindow s;
  s.count = 0;
  s.specials = {0, 0, 0};
  WindowMemory memory = fresh_window_memory();
  double v;
  for (int64_t t = a - w.back; t <= a + w.forward; ++t) {
    if (sample_at(x, n, w, t, &v)) enter(&s, v);
  }
  finish_window(s, w, s.specials, s.count, out, 0, &memory);
  for (int64_t i = a + 1; i < b; ++i) {
    if (sample_at(x, n, w, i - 1 - w.back, &v)) leave(&s, v);
    if (sample_at(x, n, w, i + w.forward, &v)) enter(&s, v);
    finish_window(s, w, s.specials, s.count, out, i - a, &memory);
  }
}

void counted_statistics(const double *x, int64_t n, const MovingWindows &w, int64_t a, int64_t b,
                        const Outputs &out, const CountedRoom &room) {
  if (a >= b) return;
  if (!has_times(w) && w.back + w.forward < kLongestSortedWindow) {
    sorted_window_statistics(x, n, w, a, b, out);
    return;
  }
  const int64_t step = segment_outputs(w, n);
  for (int64_t s = a; s < b; s += step) {
    counted_segment(x, n, w, s, std::min(b, s + step), from(out, s - a), room);
  }
}

// ---- The fixed-window engines ----

// The medians (of doubles) of odd windows of count windows no longer than the signal.
bool fixed_engine_serves(const MovingWindows &w, const MovingStatistic &s, bool exact, int64_t n) {
  const int64_t W = w.back + w.forward + 1;
  return s.kind == kMedianStatistic && !exact && !has_times(w) && W % 2 == 1 && W <= n;
}

// Output i's window is the fixed engine's window centred on i + shift.
struct FixedWindows {
  ExtendedSignal e;
  int32_t W;
  int64_t shift;
  int64_t first;  // the outputs it serves: whole windows (or, padded, centres in the signal)
  int64_t last;
};

FixedWindows fixed_windows(const double *x, int64_t n, const MovingWindows &w) {
  FixedWindows f;
  f.W = static_cast<int32_t>(w.back + w.forward + 1);
  const int64_t W2 = (f.W - 1) / 2;
  f.e = {x, nullptr, nullptr, n, W2, kConstantPadding, w.padded ? w.fill : 0.0};
  f.shift = (w.forward - w.back) / 2;
  f.first = w.padded ? -f.shift : w.back;
  f.last = w.padded ? n - f.shift : n - w.forward;
  return f;
}

// Outputs a ... b-1, all served by the fixed engine when their windows hold no NaN; windows
// that hold one are counted (NaN omitted).
void omitting_medians(const double *x, int64_t n, const MovingWindows &w, const FixedWindows &f,
                      int64_t a, int64_t b, double *out, void *engine, const CountedRoom &room) {
  int64_t i = a;  // outputs before i are done
  for (int64_t t = std::max<int64_t>(0, a - w.back); i < b;) {
    const int64_t nan = next_nan(x, t, std::min(n, b + w.forward));
    if (nan == std::min(n, b + w.forward)) break;
    // Outputs nan-forward ... nan+back hold it.
    const int64_t held_from = std::max(i, nan - w.forward);
    const int64_t held_to = std::min(b, nan + w.back + 1);
    if (held_from > i) {
      running_median_range(f.e, f.W, i + f.shift, held_from + f.shift, kZerosByCount, out + (i - a),
                           engine);
    }
    // NaN close together make one run of counted windows; so do NaN that leave fewer windows
    // between their runs than a window is long (the fixed engine is slow to start).
    int64_t run_end = held_to, scan = nan + 1;
    for (;;) {
      const int64_t reach = std::min(n, run_end + w.forward + 1 + (w.back + w.forward + 1));
      const int64_t more = next_nan(x, scan, reach);
      if (more >= reach) break;
      run_end = std::min(b, more + w.back + 1);
      scan = more + 1;
    }
    counted_statistics(x, n, w, held_from, run_end,
                       {median_statistic(), nullptr, out + (held_from - a), nullptr}, room);
    i = run_end;
    t = scan;
  }
  if (i < b) {
    running_median_range(f.e, f.W, i + f.shift, b + f.shift, kZerosByCount, out + (i - a), engine);
  }
}

void fixed_medians(const double *x, int64_t n, const MovingWindows &w, const FixedWindows &f,
                   int64_t a, int64_t b, double *out, void *engine, const CountedRoom &room) {
  if (w.omit_nan) {
    omitting_medians(x, n, w, f, a, b, out, engine, room);
  } else {
    medians_between_nan_windows(f.e, f.W, a + f.shift, b + f.shift, kNaN, out, engine);
  }
}

// The fixed engines' storage, then the counted structure's.
struct MovingRoom {
  char *fixed;
  CountedRoom counted;
};

// For `outputs` outputs whose windows, with the outputs themselves, reach `span` samples: the
// fixed engines serve only where a whole window fits in that span.
MovingRoom carve_moving_room(StorageLayout &s, const MovingWindows &w,
                             const MovingStatistic &statistic, bool exact, int64_t span,
                             int64_t outputs) {
  MovingRoom room;
  size_t fixed_bytes = 0;
  if (fixed_engine_serves(w, statistic, exact, span)) {
    const FixedWindows f = fixed_windows(nullptr, span, w);
    fixed_bytes = running_median_storage_bytes(f.e, f.W, outputs);
  }
  room.fixed = take_bytes(s, fixed_bytes);
  room.counted = carve_counted_room(s, segment_span(w, span, outputs));
  return room;
}

// How many positions the windows of outputs first ... last-1 reach, with the outputs themselves.
Reach reach_of_outputs(const MovingWindows &w, int64_t n, int64_t first, int64_t last) {
  const Reach a = first_reach(w, n, first), b = first_reach(w, n, last - 1);
  return {std::min(a.lo, first), std::max(b.hi, last - 1)};
}

}  // namespace

void moving_reach(const MovingWindows &windows, int64_t n, int64_t first, int64_t last, int64_t *lo,
                  int64_t *hi) {
  const Reach r = reach_of_outputs(normalised(windows, n), n, first, last);
  *lo = r.lo;
  *hi = r.hi;
}

size_t moving_statistics_storage_bytes(const MovingWindows &windows,
                                       const MovingStatistic &statistic, bool exact, int64_t span,
                                       int64_t outputs) {
  const MovingWindows w = normalised(windows, span);
  const MovingStatistic s = normalised_statistic(statistic);
  return bytes_taken_by(
      [&](StorageLayout &layout) { carve_moving_room(layout, w, s, exact, span, outputs); });
}

void moving_statistics(const double *x, int64_t n, const MovingWindows &windows,
                       const MovingStatistic &statistic, const ExactArithmetic *exact,
                       int64_t first, int64_t last, const StatisticResults &results,
                       void *storage) {
  if (first >= last) return;
  const MovingWindows w = normalised(windows, n);
  const MovingStatistic s = normalised_statistic(statistic);
  StorageLayout layout = carving_layout(storage);
  const Reach reach = reach_of_outputs(w, n, first, last);
  const MovingRoom moving =
      carve_moving_room(layout, w, s, exact != nullptr, reach.hi - reach.lo + 1, last - first);
  const Outputs out = outputs_to(s, exact, results);
  if (!fixed_engine_serves(w, s, exact != nullptr, n)) {
    counted_statistics(x, n, w, first, last, out, moving.counted);
    return;
  }
  const FixedWindows f = fixed_windows(x, n, w);
  const int64_t a = std::clamp(f.first, first, last), b = std::clamp(f.last, a, last);
  counted_statistics(x, n, w, first, a, out, moving.counted);
  fixed_medians(x, n, w, f, a, b, out.values + (a - first), moving.fixed, moving.counted);
  counted_statistics(x, n, w, b, last, from(out, b - first), moving.counted);
}
