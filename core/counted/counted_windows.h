// Counted windows, of any length and any reach: the samples a segment of outputs reaches are
// sorted once into ranks, and each window is the set of its samples' ranks
// (core/counted/rank_set.h), whose order statistics are found from the previous window's by
// moving cursors. A padding constant is not in the set: its multiplicity (how far the window
// reaches past the signal) is counted beside it, with the window's samples below it, so a
// window may reach any distance past the signal. The caller says which positions each window
// holds; nothing here allocates.
#ifndef PLORVENT_CORE_COUNTED_COUNTED_WINDOWS_H
#define PLORVENT_CORE_COUNTED_COUNTED_WINDOWS_H

#include <cstdint>

#include "core/counted/moving_statistics.h"
#include "core/counted/rank_set.h"
#include "core/counted/window_outputs.h"
#include "core/support/nan_and_zeros.h"

struct StorageLayout;

// Storage for a segment that reaches up to `span` samples.
struct CountedRoom {
  int64_t *keys;     // keys of the segment's counted samples
  int32_t *order;    // their positions, sorted by key
  int32_t *scratch;  // the sort's
  int32_t *rank_at;  // each position's rank, -1 for a NaN
  RankSet set;       // the window's ranks
  double *sorted;    // the value of each rank
};

// For a statistic on segments that reach up to `span` samples.
CountedRoom carve_counted_room(StorageLayout &s, int64_t span, const MovingStatistic &statistic);

// One segment's ranks and the window that slides over them.
struct Counted {
  CountedRoom room;
  int64_t base;  // the signal's position of the segment's first sample
  RankSet set;
  int64_t in_lo, in_hi;    // the positions the window holds (none when in_lo > in_hi)
  int32_t fill_rank;       // ranks below the padding constant's value
  int64_t below_fill;      // the window's samples below it
  int64_t count;           // counted samples in the window (padding aside)
  SpecialCounts specials;  // its NaN and zeros
  // The places in the window's order that the statistic follows from window to window (by
  // WindowCursor: the middle, and with the MAD the ends of its runs), the first `followed` of
  // them kept up to date.
  RankCursor cursors[kWindowCursors];
  int32_t followed;
  WindowMemory memory;
  // The work done so far: ranks a cursor walked past, and the steps of each selection afresh.
  // Tests bound it window by window.
  int64_t steps;
};

// Ranks the counted samples of x[lo ... hi], the positions a segment's windows reach, for windows
// w giving `statistic`; the window holds none of them yet.
void start_counted(const double *x, int64_t lo, int64_t hi, const MovingWindows &w,
                   const MovingStatistic &statistic, const CountedRoom &room, Counted *c);

// Makes the window hold positions lo ... hi of the segment (none when lo > hi); from one window
// to the next, neither bound moves back.
void slide_counted(Counted *c, int64_t lo, int64_t hi);

// Output i of the window as it stands, with `padding` copies of the fill among its samples.
void finish_counted(Counted *c, const MovingWindows &w, int64_t padding, const Outputs &out,
                    int64_t i);

#endif
