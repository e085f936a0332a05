// Whole windows' quantiles, and the medians of even windows (of any window where NaN are omitted),
// by the long-window block engine (core/engines/block_sort_medians.h): it follows the one rank a
// window of W samples reads, or each window's own where NaN are omitted (and gives the next), at
// its cost a sample whatever the rank, and each window is then finished as
// the counted engine finishes it (core/counted/window_outputs.h), so the bits are the same. A
// zero result is signed by the window's zeros, found from the last -0 and +0 before its end.
#ifndef PLORVENT_CORE_COUNTED_BLOCK_RANKED_WINDOWS_H
#define PLORVENT_CORE_COUNTED_BLOCK_RANKED_WINDOWS_H

#include <cstddef>
#include <cstdint>

#include "core/counted/window_outputs.h"

// Whether the engine computes `s` (as the engines compute it) over whole windows of W samples:
// a quantile, or the median of an even window (odd ones go to the fixed-window engines), as
// doubles, for W from 2 on.
bool block_ranked_windows_serve(const MovingStatistic &s, int64_t W, bool exact);

// Whether it computes `s` over whole windows whose NaN are omitted: any median or quantile, as
// doubles, for W from 2 on.
bool block_omitting_windows_serve(const MovingStatistic &s, int64_t W, bool exact);

// The storage block_ranked_statistics needs for at most `outputs` outputs a call.
size_t block_ranked_storage_bytes(int32_t W, int64_t outputs);

// For i = 0 ... count-1, the statistic of the W samples x[i ... i+W-1] into out from 0 on: with
// `omit_nan`, of those that are not NaN (none where all are); without, none of them may be NaN.
// Looks for a Ctrl-C between chunks of outputs; obtains nothing.
void block_ranked_statistics(const double *x, int64_t count, int32_t W, bool omit_nan,
                             const Outputs &out, void *storage);

#endif
