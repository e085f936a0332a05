// Sorts positions by key in two steps: a counting pass spreads them over buckets (at most one
// per position) by where the key lies between the smallest and the largest key, then each bucket
// is sorted on its own, by insertion when small. Typical signals leave a few positions per
// bucket, so the sort costs a handful of passes over the block; skewed or clustered keys fall
// back to a comparison sort within their bucket, so no input costs more than O(count log count).
#include "core/support/keyed_sort.h"

#include <algorithm>
#include <cmath>

#include "core/support/sample_key.h"

namespace {

const int32_t kLargestInsertionSort = 12;

void insertion_sort(const int64_t *key, int32_t *order, int32_t count) {
  for (int32_t i = 1; i < count; ++i) {
    const int32_t p = order[i];
    int32_t j = i;
    for (; j > 0 && key[order[j - 1]] > key[p]; --j) order[j] = order[j - 1];
    order[j] = p;
  }
}

void sort_bucket(const int64_t *key, int32_t *order, int32_t count) {
  if (count <= kLargestInsertionSort) {
    insertion_sort(key, order, count);
  } else {
    std::sort(order, order + count, [key](int32_t a, int32_t b) { return key[a] < key[b]; });
  }
}

int bits_needed(uint64_t v) {
  int bits = 0;
  for (; v != 0; v >>= 1) ++bits;
  return bits;
}

// Spreads the positions over bucket_count buckets by bucket_of (monotone in the key), then
// sorts each bucket. `scratch` holds each position's bucket, then bucket_count+1 counters.
template <class BucketOf>
void distribute_and_sort(const int64_t *key, int32_t *order, int32_t *scratch, int32_t count,
                         int32_t bucket_count, BucketOf bucket_of) {
  int32_t *bucket = scratch, *buckets = scratch + count;
  std::fill(buckets, buckets + bucket_count + 1, 0);
  for (int32_t i = 0; i < count; ++i) {
    bucket[i] = bucket_of(i);
    ++buckets[bucket[i] + 1];
  }
  for (int32_t b = 0; b < bucket_count; ++b) buckets[b + 1] += buckets[b];
  for (int32_t i = 0; i < count; ++i) order[buckets[bucket[i]]++] = i;
  // buckets[b] now marks the end of bucket b, which starts where bucket b-1 ends.
  int32_t start = 0;
  for (int32_t b = 0; b < bucket_count; ++b) {
    if (buckets[b] - start > 1) sort_bucket(key, order + start, buckets[b] - start);
    start = buckets[b];
  }
}

}  // namespace

void sort_positions_by_key(const int64_t *key, int32_t *order, int32_t *scratch, int32_t count) {
  int64_t lowest = key[0], highest = key[0];
  for (int32_t i = 1; i < count; ++i) {
    lowest = std::min(lowest, key[i]);
    highest = std::max(highest, key[i]);
  }
  // The largest power of two of buckets not above count.
  const int buckets_log2 = bits_needed(static_cast<uint64_t>(count)) - 1;
  const int32_t bucket_count = int32_t{1} << buckets_log2;
  // Finite samples are bucketed by value, which spreads typical signals evenly; rounding keeps
  // the mapping monotone, and -0.0 and +0.0 share a bucket, where their keys order them.
  const double low = value_of(lowest), high = value_of(highest);
  const double scale = bucket_count / (high - low);
  if (std::isfinite(scale) && scale > 0) {
    distribute_and_sort(key, order, scratch, count, bucket_count, [&](int32_t i) {
      const double offset = (value_of(key[i]) - low) * scale;
      return std::min(static_cast<int32_t>(offset), bucket_count - 1);
    });
    return;
  }
  // Otherwise (NaN, infinities, a range too wide for a double, or all keys equal) by key.
  const uint64_t range = static_cast<uint64_t>(highest) - static_cast<uint64_t>(lowest);
  const int shift = std::max(0, bits_needed(range) - buckets_log2);
  distribute_and_sort(key, order, scratch, count, bucket_count, [&](int32_t i) {
    return static_cast<int32_t>((static_cast<uint64_t>(key[i]) - static_cast<uint64_t>(lowest)) >>
                                shift);
  });
}
