// Long-window engine: blocks of W samples sorted once, then consumed and rebuilt through linked
// lists in sorted order (delete from the old block, re-insert into the new one). The medians:
// outputs first ... last-1 of e (0 <= first < last <= e.n) into out[0 ...], exact for every
// window the key order decides.
#ifndef PLORVENT_CORE_ENGINES_BLOCK_SORT_MEDIANS_H
#define PLORVENT_CORE_ENGINES_BLOCK_SORT_MEDIANS_H

#include <cstddef>
#include <cstdint>

#include "core/support/extended_signal.h"

// Its nodes are numbered in 32 bits, two numbers each and two sentinels after the samples.
const int32_t kLongestBlockSortWindow = INT32_MAX - 2;

size_t block_sort_storage_bytes(int32_t W);
void block_sort_medians(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last,
                        double *out, void *storage);

// Any rank of whole windows: for i = 0 ... count-1, of the W samples x[i ... i+W-1], the one of
// rank k (0-based, k < W) into low[i] and, unless high is null, the one of rank k+1 (k+1 < W) into
// high[i]. Exact for windows free of NaN (-0 ranks below +0); storage as for the medians.
void block_sort_ranks(const double *x, int64_t count, int32_t W, int32_t k, double *low,
                      double *high, void *storage);

// The same with a rank a window, k[i] for output i, NaN ranking above every other sample: the
// ranks k[i] and k[i]+1 into low[i] and high[i] (either NaN where it falls on one). A step costs
// O(1 + |k[i+1] - k[i]|).
void block_sort_ranks_nan_last(const double *x, int64_t count, int32_t W, const int32_t *k,
                               double *low, double *high, void *storage);

#endif
