// Long-window engine: blocks of W samples sorted once, then consumed and rebuilt through linked
// lists in sorted order (delete from the old block, re-insert into the new one). Computes
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

#endif
