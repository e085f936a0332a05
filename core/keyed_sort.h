// Sorting samples' keys together with their positions, as the block engine needs it.
#ifndef PLORVENT_CORE_KEYED_SORT_H
#define PLORVENT_CORE_KEYED_SORT_H

#include <cstdint>

struct KeyedIndex {
  int64_t key;
  int32_t index;
  int32_t unused;
};

// Sorts records[0 ... count-1] by (key, index); `scratch` holds another `count` records.
void sort_keyed_indices(KeyedIndex *records, KeyedIndex *scratch, int32_t count);

#endif
