// Sorting positions by their samples' keys, as the block engine needs it.
#ifndef PLORVENT_CORE_SUPPORT_KEYED_SORT_H
#define PLORVENT_CORE_SUPPORT_KEYED_SORT_H

#include <cstdint>

// Writes to order[0 ... count-1] the positions 0 ... count-1 sorted by key[position] (equal keys
// in any order). `scratch` has room for 2*count+1 integers.
void sort_positions_by_key(const int64_t *key, int32_t *order, int32_t *scratch, int32_t count);

#endif
