// The counted windows: a segment's samples ranked once, each window a set of their ranks.
#include "core/counted/counted_windows.h"

#include <algorithm>

#include "core/support/keyed_sort.h"
#include "core/support/sample_key.h"
#include "core/support/storage_layout.h"

namespace {

// The MAD's runs may jump far from one window to the next: its set keeps the counts that seat a
// cursor afresh.
bool needs_counts(const MovingStatistic &statistic) {
  return statistic.kind == kMadStatistic;
}

// Sorts the counted samples of x[lo ... hi] into ranks.
void rank_span(const double *x, int64_t lo, int64_t hi, const MovingWindows &w, Counted *c) {
  const CountedRoom &room = c->room;
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

// A cursor further than this many ranks from where it is asked to go is seated afresh from the
// set's counts, where the set keeps them, rather than walked.
const int64_t kLongestWalk = 32;

// A counted window, with `padding` copies of the fill among its samples, as the statistics read
// it: the k-th smallest value found by moving one of its cursors.
struct CountedWindow {
  Counted *c;
  const MovingWindows *w;
  int64_t padding;

  RankCursor *cursor(WindowCursor which) { return &c->cursors[which]; }

  // The k-th smallest rank of the set, by cursor `which`.
  int32_t rank_of(WindowCursor which, int64_t k) {
    RankCursor *at = cursor(which);
    const int64_t distance = k > at->below ? k - at->below : at->below - k;
    if (distance > kLongestWalk && c->set.counts) {
      *at = {select_rank(c->set, k, &c->steps), k};
      return at->rank;
    }
    c->steps += distance + 1;
    return kth_rank(c->set, at, k);
  }

  double value(WindowCursor which, int64_t k) {
    if (padding == 0 || k < c->below_fill) return c->room.sorted[rank_of(which, k)];
    if (k < c->below_fill + padding) return w->fill;
    return c->room.sorted[rank_of(which, k - padding)];
  }

  // The (k+1)-th value, just after a value(which, k): without padding the next rank in the set,
  // found without moving the cursor.
  double value_after(WindowCursor which, int64_t k) {
    if (padding == 0) {
      ++c->steps;
      return c->room.sorted[next_rank_after(c->set, cursor(which)->rank)];
    }
    return value(which, k + 1);
  }
};

}  // namespace

CountedRoom carve_counted_room(StorageLayout &s, int64_t span, const MovingStatistic &statistic) {
  CountedRoom room;
  room.keys = take<int64_t>(s, span);
  room.order = take<int32_t>(s, span);
  room.scratch = take<int32_t>(s, 2 * span + 1);
  room.rank_at = take<int32_t>(s, span);
  room.set = carve_rank_set(s, span, needs_counts(statistic));
  room.sorted = take<double>(s, span);
  return room;
}

void start_counted(const double *x, int64_t lo, int64_t hi, const MovingWindows &w,
                   const MovingStatistic &statistic, const CountedRoom &room, Counted *c) {
  c->room = room;
  rank_span(x, lo, hi, w, c);
  c->in_lo = lo;
  c->in_hi = lo - 1;
  c->followed = statistic.kind == kMadStatistic ? kWindowCursors : 1;
  c->steps = 0;
}

void slide_counted(Counted *c, int64_t lo, int64_t hi) {
  for (; c->in_hi < hi; ++c->in_hi) change(c, c->in_hi + 1, 1);
  for (; c->in_lo < lo; ++c->in_lo) {
    if (c->in_lo <= c->in_hi) change(c, c->in_lo, -1);
  }
  if (c->in_hi < c->in_lo) c->in_hi = c->in_lo - 1;
}

void finish_counted(Counted *c, const MovingWindows &w, int64_t padding, const Outputs &out,
                    int64_t i) {
  SpecialCounts specials = c->specials;
  if (padding > 0) count_special(specials, w.fill, padding);
  CountedWindow window = {c, &w, padding};
  finish_window(window, w, specials, c->count + padding, out, i, &c->memory);
}
