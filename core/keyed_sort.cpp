// Sorts (key, index) records. Large blocks go through a least-significant-digit radix sort on
// the keys, which is stable, so records that start in index order end in (key, index) order;
// byte positions on which all keys agree (as the sign and exponent bytes often do) are skipped.
// Small blocks use a comparison sort on (key, index).
#include "keyed_sort.h"

#include <algorithm>
#include <cstring>

namespace {

const int32_t kSmallestRadixSort = 128;
const int kDigits = 8;
const int kBuckets = 256;

// Keys as unsigned numbers in the same order.
inline uint64_t unsigned_key(int64_t key) {
  return static_cast<uint64_t>(key) ^ (uint64_t{1} << 63);
}

inline unsigned digit(int64_t key, int d) {
  return static_cast<unsigned>(unsigned_key(key) >> (8 * d)) & (kBuckets - 1);
}

void radix_sort(KeyedIndex *records, KeyedIndex *scratch, int32_t count) {
  int32_t histogram[kDigits][kBuckets];
  std::memset(histogram, 0, sizeof histogram);
  for (int32_t i = 0; i < count; ++i) {
    for (int d = 0; d < kDigits; ++d) ++histogram[d][digit(records[i].key, d)];
  }
  KeyedIndex *from = records, *to = scratch;
  for (int d = 0; d < kDigits; ++d) {
    int32_t *h = histogram[d];
    if (h[digit(from[0].key, d)] == count) continue;  // every key has this digit
    int32_t offset = 0;
    for (int b = 0; b < kBuckets; ++b) {
      const int32_t size = h[b];
      h[b] = offset;
      offset += size;
    }
    for (int32_t i = 0; i < count; ++i) to[h[digit(from[i].key, d)]++] = from[i];
    std::swap(from, to);
  }
  if (from != records) std::memcpy(records, from, static_cast<size_t>(count) * sizeof *records);
}

}  // namespace

void sort_keyed_indices(KeyedIndex *records, KeyedIndex *scratch, int32_t count) {
  if (count >= kSmallestRadixSort) {
    radix_sort(records, scratch, count);
    return;
  }
  std::sort(records, records + count, [](const KeyedIndex &a, const KeyedIndex &b) {
    return a.key < b.key || (a.key == b.key && a.index < b.index);
  });
}
