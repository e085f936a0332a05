// Short windows of a count of samples: each window's counted samples kept in a sorted array
// that slides with it, a sample entering and one leaving at each step. For windows of a few
// samples, shifting them costs less than sorting a segment and scanning bits.
#ifndef PLORVENT_CORE_COUNTED_SORTED_WINDOWS_H
#define PLORVENT_CORE_COUNTED_SORTED_WINDOWS_H

#include <cstdint>

#include "core/counted/moving_statistics.h"
#include "core/counted/window_outputs.h"

// Windows of at most this many positions are kept sorted.
const int64_t kLongestSortedWindow = 32;

// Whether the windows w are short enough to be kept sorted (a count of samples, not a time).
inline bool sorted_windows_serve(const MovingWindows &w) {
  return w.times == nullptr && w.back + w.forward < kLongestSortedWindow;
}

// Outputs a ... b-1 (a < b) of the signal x of n samples into `out` from 0 on, for windows that
// sorted_windows_serve.
void sorted_window_statistics(const double *x, int64_t n, const MovingWindows &w, int64_t a,
                              int64_t b, const Outputs &out);

#endif
