// A window is free of NaN when the latest NaN at or before its last sample lies before its first
// one. Scanning the samples once gives every output's answer; each run of NaN-free windows is one
// engine call. The runs' stretches of samples are disjoint, so the engines' work adds up to no
// more than on the whole signal, however the NaN fall.
#include "nan_windows.h"

#include <algorithm>
#include <limits>

#include "running_median.h"

size_t nan_windows_storage_bytes(const ExtendedSignal &e, int32_t W, int64_t outputs) {
  // Runs shorter than the window take the long-window engine, whose storage grows with the run.
  const int64_t short_run = std::min<int64_t>(outputs, W - 1);
  return std::max(running_median_storage_bytes(e, W, outputs),
                  running_median_storage_bytes(e, W, short_run));
}

void medians_between_nan_windows(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last,
                                 double not_a_number, double *out, void *storage) {
  int64_t latest_nan = std::numeric_limits<int64_t>::min();
  for (int64_t t = first - e.W2; t < first + e.W2; ++t) {
    const double v = extended_at(e, t);
    if (v != v) latest_nan = t;
  }
  int64_t run = first;  // the first output of the current run of NaN-free windows
  for (int64_t i = first; i < last; ++i) {
    const double entering = extended_at(e, i + e.W2);
    if (entering != entering) latest_nan = i + e.W2;
    if (latest_nan >= i - e.W2) {
      running_median_range(e, W, run, i, out + (run - first), storage);
      out[i - first] = not_a_number;
      run = i + 1;
    }
  }
  running_median_range(e, W, run, last, out + (run - first), storage);
}
