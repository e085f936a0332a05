// Sorts keys in two steps: a counting pass spreads them over buckets (about one per key) by
// where each lies between the smallest and the largest key, then the buckets are put in order.
// Typical signals leave a few keys per bucket, so the sort costs a handful of passes over the
// keys; skewed or clustered keys are spread again within their bucket by their keys' bits, eight
// at a time, so no key takes part in more than eight such rounds, whatever the input.
//
// Ranking goes further without branches: after the counting pass every key stands at most a
// bucket's length from its rank, so where no bucket holds more than kReach+1 keys, each key's
// rank is its place plus the keys after it within kReach places that are smaller, less those
// before it that are larger, found by comparisons whose outcome is added rather than branched
// on. Only buckets fuller than that are sorted first, which leaves them in order for the same
// count.
#include "core/support/keyed_sort.h"

#include <algorithm>
#include <cmath>

#include "core/support/sample_key.h"
#include "core/support/storage_layout.h"

namespace {

const int32_t kLargestInsertionSort = 12;

// How far from its rank the counting pass may leave a key that is ranked by comparisons.
const int32_t kReach = 4;

void insertion_sort(const int64_t *key, int32_t *order, int32_t count) {
  for (int32_t i = 1; i < count; ++i) {
    const int32_t p = order[i];
    int32_t j = i;
    for (; j > 0 && key[order[j - 1]] > key[p]; --j) order[j] = order[j - 1];
    order[j] = p;
  }
}

// A signal of a few levels fills a few buckets with equal keys, which need no sorting.
bool all_equal(const int64_t *key, const int32_t *order, int32_t count) {
  bool equal = true;
  for (int32_t i = 1; i < count; ++i) equal &= key[order[i]] == key[order[0]];
  return equal;
}

int bits_needed(uint64_t v) {
  int bits = 0;
  for (; v != 0; v >>= 1) ++bits;
  return bits;
}

// A crowded bucket is spread again over this many buckets of its own range.
const int kSpreadBits = 8;
const int32_t kSpreadBuckets = int32_t{1} << kSpreadBits;

void sort_bucket(const int64_t *key, int32_t *order, int32_t count);

// Sorts a bucket too full for insertion by the top kSpreadBits bits of each key's offset from
// the bucket's smallest, in place (each position swapped straight to its sub-bucket), then each
// sub-bucket. Every round spreads keys whose offsets need fewer bits by kSpreadBits, so a key
// takes part in eight rounds at most, however the keys cluster.
void spread_bucket(const int64_t *key, int32_t *order, int32_t count) {
  int64_t lowest = key[order[0]], highest = lowest;
  for (int32_t i = 1; i < count; ++i) {
    lowest = std::min(lowest, key[order[i]]);
    highest = std::max(highest, key[order[i]]);
  }
  const uint64_t range = static_cast<uint64_t>(highest) - static_cast<uint64_t>(lowest);
  const int shift = std::max(0, bits_needed(range) - kSpreadBits);
  auto bucket_of = [&](int32_t position) {
    return static_cast<int32_t>(
        (static_cast<uint64_t>(key[position]) - static_cast<uint64_t>(lowest)) >> shift);
  };
  int32_t next[kSpreadBuckets + 1] = {}, end[kSpreadBuckets];
  for (int32_t i = 0; i < count; ++i) ++next[bucket_of(order[i]) + 1];
  for (int32_t b = 0; b < kSpreadBuckets; ++b) {
    next[b + 1] += next[b];
    end[b] = next[b + 1];
  }
  for (int32_t b = 0; b < kSpreadBuckets; ++b) {
    while (next[b] < end[b]) {
      const int32_t to = bucket_of(order[next[b]]);
      if (to == b) {
        ++next[b];
      } else {
        std::swap(order[next[b]], order[next[to]++]);
      }
    }
  }
  for (int32_t b = 0, start = 0; b < kSpreadBuckets; start = end[b++]) {
    if (end[b] - start > 1) sort_bucket(key, order + start, end[b] - start);
  }
}

void sort_bucket(const int64_t *key, int32_t *order, int32_t count) {
  if (all_equal(key, order, count)) return;
  if (count <= kLargestInsertionSort) {
    insertion_sort(key, order, count);
  } else {
    spread_bucket(key, order, count);
  }
}

// Calls spread(bucket_of) with a bucket_of(i) that puts key[i] in one of 2^buckets_log2 buckets,
// monotone in the key.
template <class Spread>
void with_buckets(const int64_t *key, int32_t count, int buckets_log2, Spread spread) {
  int64_t lowest = key[0], highest = key[0];
  for (int32_t i = 1; i < count; ++i) {
    lowest = std::min(lowest, key[i]);
    highest = std::max(highest, key[i]);
  }
  const int32_t last = (int32_t{1} << buckets_log2) - 1;
  // Finite samples are bucketed by value, which spreads typical signals evenly; rounding keeps
  // the mapping monotone, and -0.0 and +0.0 share a bucket, where their keys order them.
  const double low = value_of(lowest), high = value_of(highest);
  const double scale = (last + 1) / (high - low);
  if (std::isfinite(scale) && scale > 0) {
    spread([&](int32_t i) {
      const double offset = (value_of(key[i]) - low) * scale;
      return std::min(static_cast<int32_t>(offset), last);
    });
    return;
  }
  // Otherwise (NaN, infinities, a range too wide for a double, or all keys equal) by key.
  const uint64_t range = static_cast<uint64_t>(highest) - static_cast<uint64_t>(lowest);
  const int shift = std::max(0, bits_needed(range) - buckets_log2);
  spread([&](int32_t i) {
    return static_cast<int32_t>((static_cast<uint64_t>(key[i]) - static_cast<uint64_t>(lowest)) >>
                                shift);
  });
}

// Spreads the positions over bucket_count buckets by bucket_of (monotone in the key), in order of
// position within each. `bucket` holds each position's bucket and `ends` bucket_count+1
// counters, of which ends[b] is left where bucket b ends; returns the most any bucket holds.
template <class BucketOf>
int32_t distribute(int32_t *order, int32_t *bucket, int32_t *ends, int32_t count,
                   int32_t bucket_count, BucketOf bucket_of) {
  std::fill(ends, ends + bucket_count + 1, 0);
  for (int32_t i = 0; i < count; ++i) {
    bucket[i] = bucket_of(i);
    ++ends[bucket[i] + 1];
  }
  int32_t fullest = 0;
  for (int32_t b = 0; b < bucket_count; ++b) {
    fullest = std::max(fullest, ends[b + 1]);
    ends[b + 1] += ends[b];
  }
  for (int32_t i = 0; i < count; ++i) order[ends[bucket[i]]++] = i;
  return fullest;
}

// Sorts every bucket holding more than `most` positions.
void sort_buckets_beyond(const int64_t *key, int32_t *order, const int32_t *ends,
                         int32_t bucket_count, int32_t most) {
  int32_t start = 0;
  for (int32_t b = 0; b < bucket_count; ++b) {
    if (ends[b] - start > most) sort_bucket(key, order + start, ends[b] - start);
    start = ends[b];
  }
}

struct RankingRoom {
  int32_t *order;
  int32_t *bucket;
  int32_t *ends;
  int64_t *placed;  // the keys in the counting pass's order, and kReach guards after
  int32_t *spare;   // room to sort a bucket too full to rank: 3*count+1 integers
};

// The smallest power of two of buckets not below count (most then hold no more than kReach+1),
// within 32-bit counts.
int buckets_log2_for_ranking(int32_t count) {
  return std::min(30, bits_needed(static_cast<uint64_t>(count - 1)));
}

RankingRoom carve_ranking_room(StorageLayout &s, int32_t count) {
  RankingRoom room;
  room.order = take<int32_t>(s, count);
  room.bucket = take<int32_t>(s, count);
  room.ends = take<int32_t>(s, (int64_t{1} << buckets_log2_for_ranking(count)) + 1);
  room.placed = take<int64_t>(s, int64_t{count} + kReach);
  room.spare = take<int32_t>(s, 3 * int64_t{count} + 1);
  return room;
}

// Ranks the keys placed at most kReach places from their rank: each key's rank is its place,
// plus the smaller keys after it, less the larger keys before it. Each pair is compared once,
// when the earlier key is reached, and what it takes from the later key is carried forward.
// The guards after the keys, the highest key there is, are smaller than none.
void rank_nearby(const int64_t *placed, const int32_t *order, int32_t count, uint32_t *rank_of,
                 int64_t *sorted) {
  static_assert(kReach == 4, "four places are carried");
  int32_t owed0 = 0, owed1 = 0, owed2 = 0, owed3 = 0;
  for (int32_t p = 0; p < count; ++p) {
    const int64_t v = placed[p];
    const int32_t c1 = placed[p + 1] < v, c2 = placed[p + 2] < v, c3 = placed[p + 3] < v,
                  c4 = placed[p + 4] < v;
    const int32_t rank = p + owed0 + c1 + c2 + c3 + c4;
    owed0 = owed1 - c1;
    owed1 = owed2 - c2;
    owed2 = owed3 - c3;
    owed3 = -c4;
    rank_of[order[p]] = static_cast<uint32_t>(rank);
    sorted[rank] = v;
  }
}

}  // namespace

void sort_positions_by_key(const int64_t *key, int32_t *order, int32_t *scratch, int32_t count) {
  // The largest power of two of buckets not above count.
  const int buckets_log2 = bits_needed(static_cast<uint64_t>(count)) - 1;
  const int32_t bucket_count = int32_t{1} << buckets_log2;
  int32_t *bucket = scratch, *ends = scratch + count;
  with_buckets(key, count, buckets_log2, [&](auto bucket_of) {
    distribute(order, bucket, ends, count, bucket_count, bucket_of);
  });
  sort_buckets_beyond(key, order, ends, bucket_count, 1);
}

size_t rank_keys_scratch_bytes(int32_t count) {
  return bytes_taken_by([count](StorageLayout &s) { carve_ranking_room(s, count); });
}

namespace {

// Sorts every bucket that holds more than kReach+1 positions. A bucket that full holds keys that
// the bucketing did not spread (clusters, or a few values far from the rest): spread again over
// buckets of their own range they mostly are. The room's `bucket` and `placed` are free then.
void sort_full_buckets(const int64_t *key, const RankingRoom &room, int32_t bucket_count) {
  int32_t start = 0;
  for (int32_t b = 0; b < bucket_count; ++b) {
    const int32_t size = room.ends[b] - start;
    int32_t *order = room.order + start;
    start = room.ends[b];
    if (size <= kReach + 1 || all_equal(key, order, size)) continue;
    if (size <= kLargestInsertionSort) {
      sort_bucket(key, order, size);
      continue;
    }
    int32_t *sub_order = room.spare;
    for (int32_t i = 0; i < size; ++i) {
      room.placed[i] = key[order[i]];
      room.bucket[i] = order[i];
    }
    sort_positions_by_key(room.placed, sub_order, room.spare + size, size);
    for (int32_t i = 0; i < size; ++i) order[i] = room.bucket[sub_order[i]];
  }
}

}  // namespace

void rank_keys(const int64_t *key, int32_t count, uint32_t *rank_of, int64_t *sorted,
               void *scratch) {
  StorageLayout layout = carving_layout(scratch);
  const RankingRoom room = carve_ranking_room(layout, count);
  const int buckets_log2 = buckets_log2_for_ranking(count);
  const int32_t bucket_count = int32_t{1} << buckets_log2;
  int32_t fullest = 0;
  with_buckets(key, count, buckets_log2, [&](auto bucket_of) {
    fullest = distribute(room.order, room.bucket, room.ends, count, bucket_count, bucket_of);
  });
  if (fullest > kReach + 1) sort_full_buckets(key, room, bucket_count);
  int64_t *placed = room.placed;
  for (int32_t p = 0; p < count; ++p) placed[p] = key[room.order[p]];
  for (int32_t d = 0; d < kReach; ++d) placed[count + d] = INT64_MAX;
  rank_nearby(placed, room.order, count, rank_of, sorted);
}
