// Running medians window by window: each window gathered afresh and its middle selected. Exact
// for any window, NaN included; the reference every sliding engine is checked against, and the
// way the windows they cannot decide are computed.
#ifndef PLORVENT_CORE_SELECTION_PER_WINDOW_MEDIANS_H
#define PLORVENT_CORE_SELECTION_PER_WINDOW_MEDIANS_H

#include <cstdint>

#include "core/support/extended_signal.h"

// running_median's contract and bits (core/running_median.h), computed the direct way: every
// window gathered afresh and passed to select_middle, in one scratch window obtained and released
// on every call (n <= 0 too). O(W) per sample; kept as the reference the fast paths are checked
// against.
void running_median_per_window(const double *x, double *out, const double *xic, const double *xfc,
                               int32_t n, int32_t W, int32_t W2);

// Outputs first ... last-1 of e (window length W) into out[0 ...], each window gathered into
// `window` (W doubles) and passed to select_middle.
void per_window_medians(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last,
                        double *out, double *window);

// The same outputs, by the same selection made without a branch per sample (faster). Stops
// early, its outputs unspecified, once stop_requested() says so.
void select_every_window(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last,
                         double *out, double *window);

#endif
