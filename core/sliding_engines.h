// The engines behind running_median. Each computes outputs first ... last-1 of the extended
// signal e (0 <= first < last <= e.n), writing output i to out[i - first]: for every window
// without NaN, its rank-k value (k = W2). Equal doubles have equal bits except -0.0 and +0.0, so
// that is the per-window selection's exact result unless the value is a zero and the window holds
// zeros of both signs; patch_inexact_windows recomputes those windows, and those holding NaN, the
// per-window way.
#ifndef PLORVENT_CORE_SLIDING_ENGINES_H
#define PLORVENT_CORE_SLIDING_ENGINES_H

#include <cstddef>
#include <cstdint>

#include "extended_signal.h"

// Storage sizes are rounded up to this, so that regions carved one after another from one
// allocation stay aligned for any sample or index type.
inline size_t round_up_storage(size_t bytes) {
  return (bytes + 63) & ~size_t{63};
}

// Short windows: a selection network across SIMD lanes, for odd W from 3 to
// longest_network_window() (what the processor's vectors serve faster than the block engine, at
// most kLongestNetworkWindow).
constexpr int32_t kLongestNetworkWindow = 63;
int32_t longest_network_window();
// Returns true when no sample of the windows is a NaN or a zero: then every output is exact and
// nothing needs patching (the check rides on the network's own reading of the samples).
size_t network_storage_bytes(int32_t W);
bool network_medians(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last, double *out,
                     void *storage);

// Long windows: blocks of W samples sorted once, then consumed and rebuilt through linked
// lists in sorted order (delete from the old block, re-insert into the new one).
size_t block_sort_storage_bytes(int32_t W);
void block_sort_medians(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last,
                        double *out, void *storage);

// Every window gathered into `window` (W doubles) and passed to select_middle: exact for any
// window, NaN included.
void per_window_medians(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last,
                        double *out, double *window);

// The same outputs, by the same selection made without a branch per sample (faster).
void select_every_window(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last,
                         double *out, double *window);

// False when the samples that the windows of outputs first ... last-1 hold include no NaN and
// zeros of one sign at most: then the key order decides every window and nothing needs patching.
bool may_need_selection(const ExtendedSignal &e, int64_t first, int64_t last);

// How many of the windows of outputs first ... last-1 hold a NaN.
int64_t windows_holding_nan(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last);

// Recomputes by the per-window selection, in `window` (W doubles), every output whose window
// holds a NaN, or zeros of both signs when its median is a zero.
void patch_inexact_windows(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last,
                           double *out, double *window);

// True when comparisons follow IEEE exactly: subnormals are neither read nor written as zero.
bool floating_point_state_is_default();

#endif
