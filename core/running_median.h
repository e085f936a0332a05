// Running median over a boundary-extended signal.
//
// The extended signal e[t], t = -W2 ... n+W2-1, is the leading extension, the signal and the
// trailing extension in that order, each in stored (forward) order:
//   e[t] = xic[t+W2] for t < 0,  x[t] for 0 <= t < n,  xfc[t-n] for t >= n.
// Output i is the middle element of the W = 2*W2+1 samples e[i-W2] ... e[i+W2], chosen by
// select_middle (core/selection/select_middle.h), whose fixed order of comparisons and exchanges
// decides the result for windows holding NaN or zeros of both signs.
#ifndef PLORVENT_CORE_RUNNING_MEDIAN_H
#define PLORVENT_CORE_RUNNING_MEDIAN_H

#include <cstddef>
#include <cstdint>

#include "core/support/extended_signal.h"
#include "core/support/nan_and_zeros.h"

// Writes out[0 ... n-1]. Reads exactly xic[0 ... W2-1], x[0 ... n-1] and xfc[0 ... W2-1] when
// n >= 1 and nothing when n <= 0. The caller guarantees W2 >= 0, W = 2*W2+1 and extensions of at
// least W2 elements; nothing is checked here. Scratch storage, when needed (at most one block a
// call), comes from the host's allocator and is released before returning.
void running_median(const double *x, double *out, const double *xic, const double *xfc, int32_t n,
                    int32_t W, int32_t W2);

// The same bits for any extended signal e (window length W = 2*e.W2+1), computed for outputs first
// ... last-1 only (0 <= first <= last <= e.n) into out[0 ... last-first-1], reading only the
// samples of their windows. It obtains nothing: `storage` holds running_median_storage_bytes(e, W,
// outputs) bytes, aligned for any type, for any outputs >= last-first. So it may run on any thread,
// and several calls on disjoint ranges of one signal may run at once with storage of their own.
// With zeros by count (core/support/nan_and_zeros.h), a zero median of a window free of NaN is
// -0.0 when the window's zeros are all -0.0 and +0.0 otherwise, found from counts rather than by
// selecting the window; every other output keeps the selection's bits.
size_t running_median_storage_bytes(const ExtendedSignal &e, int32_t W, int64_t outputs);
void running_median_range(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last,
                          ZeroSigns zeros, double *out, void *storage);

#endif
