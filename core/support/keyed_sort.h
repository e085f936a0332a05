// Sorting samples' keys, as the sliding engines need it.
#ifndef PLORVENT_CORE_SUPPORT_KEYED_SORT_H
#define PLORVENT_CORE_SUPPORT_KEYED_SORT_H

#include <cstddef>
#include <cstdint>

// Writes to order[0 ... count-1] the positions 0 ... count-1 sorted by key[position] (equal keys
// in any order). `scratch` has room for 2*count+1 integers.
void sort_positions_by_key(const int64_t *key, int32_t *order, int32_t *scratch, int32_t count);

// Ranks count >= 1 keys: rank_of[i] is the place of key[i] in sorted order (equal keys in any
// order) and sorted[r] is the key of rank r. `scratch` holds
// rank_keys_scratch_bytes(count) bytes, aligned for any type.
size_t rank_keys_scratch_bytes(int32_t count);
void rank_keys(const int64_t *key, int32_t count, uint32_t *rank_of, int64_t *sorted,
               void *scratch);

#endif
