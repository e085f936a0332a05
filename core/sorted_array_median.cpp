// Small-window engine: the window's keys kept in one sorted array. Each step replaces the key
// that leaves by the one that enters, shifting the keys between them by one place.
#include <algorithm>

#include "sample_key.h"
#include "sliding_engines.h"

size_t sorted_array_storage_bytes(int32_t W) {
  return static_cast<size_t>(W) * sizeof(int64_t);
}

namespace {

// Replaces one slot holding `leaving` by `entering` and restores the order. Equal keys have
// identical bits, so any slot holding `leaving` is the right one.
inline void replace_key(int64_t *sorted, int32_t W, int64_t leaving, int64_t entering) {
  int32_t p = static_cast<int32_t>(std::lower_bound(sorted, sorted + W, leaving) - sorted);
  if (entering > leaving) {
    for (; p + 1 < W && sorted[p + 1] < entering; ++p) sorted[p] = sorted[p + 1];
  } else {
    for (; p > 0 && sorted[p - 1] > entering; --p) sorted[p] = sorted[p - 1];
  }
  sorted[p] = entering;
}

}  // namespace

void sorted_array_medians(const ExtendedSignal &e, int32_t W, double *out, void *storage) {
  int64_t *sorted = static_cast<int64_t *>(storage);
  for (int32_t j = 0; j < W; ++j) sorted[j] = key_of(extended_at(e, j - e.W2));
  std::sort(sorted, sorted + W);
  out[0] = value_of(sorted[e.W2]);
  for (int64_t i = 1; i < e.n; ++i) {
    const int64_t leaving = key_of(extended_at(e, i - 1 - e.W2));
    const int64_t entering = key_of(extended_at(e, i + e.W2));
    if (leaving != entering) replace_key(sorted, W, leaving, entering);
    out[i] = value_of(sorted[e.W2]);
  }
}
