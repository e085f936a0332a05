// Moving statistics over windows of any reach: so many samples (or so much time, given the
// samples' times) back and forward of each output, clipped to the signal or padded with a
// constant. Samples that do not count (NaN when omitted, positions outside an unpadded signal)
// leave each window with a count c of its own; a window that counts none, or (NaN included)
// holds a NaN, gives NaN. Otherwise the median is the middle value for odd c and the mean of the
// two middle values for even c; the quantiles and the MAD are those of core/counted/
// window_statistics.h. A median or quantile that is zero is -0.0 when the window's counted zeros
// are all -0.0, +0.0 otherwise.
#ifndef PLORVENT_CORE_COUNTED_MOVING_STATISTICS_H
#define PLORVENT_CORE_COUNTED_MOVING_STATISTICS_H

#include <cstddef>
#include <cstdint>

#include "core/counted/exact_integers.h"
#include "core/counted/window_statistics.h"

// The windows of a signal of n samples. Without times, output i's window is positions
// i-back ... i+forward; with times (ascending, n of them), the positions j whose time lies from
// times[i]-time_back to times[i]+time_forward (that end left out when forward_open).
struct MovingWindows {
  int64_t back;
  int64_t forward;
  const double *times;
  double time_back;
  double time_forward;
  bool forward_open;
  bool padded;  // count windows only: positions outside the signal hold `fill`
  double fill;
  bool omit_nan;
};

// The positions lo ... hi of a signal of n samples that the windows of outputs first ... last-1
// reach, with the outputs themselves (first < last). Given only x[lo ... hi], as a signal of its
// own, moving_statistics computes those outputs alike.
void moving_reach(const MovingWindows &w, int64_t n, int64_t first, int64_t last, int64_t *lo,
                  int64_t *hi);

// Storage for moving_statistics over at most `outputs` outputs whose reach spans at most `span`
// samples.
size_t moving_statistics_storage_bytes(const MovingWindows &w, const MovingStatistic &statistic,
                                       bool exact, int64_t span, int64_t outputs);

// Where the results of outputs first ... last-1 go: result r of output first+j to at[r][j], for
// the statistic's results (statistic_results). The first is always taken, but for an outlier
// test; a result is null where the caller does not take it (and then is not computed). An
// outlier test's flags are 0 or 1, and with exact integers its filled result holds the 64 bits
// of the class, its statistics doubles.
struct StatisticResults {
  double *at[kMostStatisticResults];
};

// Outputs first ... last-1 (0 <= first <= last <= n, n < 2^31) into `results`. Medians of
// windows of an odd length that hold no omitted sample take the fixed-window engines; the other
// windows are counted: the samples a segment of outputs reaches are sorted once into ranks, and
// each window's order statistics are found from the previous window's, a few bit scans a sample
// and O(log W) steps a window at most, whatever the signal (core/counted/counted_windows.h).
// Every window's output has the
// same bits whichever way computes it. With `exact` (null for doubles), x holds ranks into
// exact->keys, all windows are counted, and each output slot receives the 64 bits of the result
// in its integer class (core/counted/exact_integers.h). Obtains nothing: `storage` is the
// caller's, aligned for any type.
void moving_statistics(const double *x, int64_t n, const MovingWindows &w,
                       const MovingStatistic &statistic, const ExactArithmetic *exact,
                       int64_t first, int64_t last, const StatisticResults &results, void *storage);

#endif
