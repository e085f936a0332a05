// Both sorts of keys against std::sort, on key sets that fill the buckets
// unevenly: one bucket for all but one key, a few levels, tight clusters far apart, NaN and the
// extreme keys of every sign, and sizes around the powers of two that set the bucket count.
#include "core/support/keyed_sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <random>
#include <vector>

#include "core/support/sample_key.h"

namespace {

using KeyDraw = std::function<int64_t(std::mt19937_64 &, int32_t)>;

int64_t key_of_value(double v) {
  return key_of(v);
}

const std::vector<std::pair<const char *, KeyDraw>> &key_sets() {
  static const std::vector<std::pair<const char *, KeyDraw>> all = {
      {"uniform", [](std::mt19937_64 &r,
                     int32_t) { return key_of_value(std::ldexp(double(r() >> 11), -53)); }},
      {"one outlier",
       [](std::mt19937_64 &r, int32_t i) {
         return key_of_value(i == 3 ? 1e300 : std::ldexp(double(r() >> 11), -53));
       }},
      {"levels", [](std::mt19937_64 &r, int32_t) { return key_of_value(double(r() % 4)); }},
      {"clusters",
       [](std::mt19937_64 &r, int32_t) {
         return key_of_value((r() % 2 ? 1e9 : 0.0) + double(r() % 50) * 1e-12);
       }},
      {"two spread clusters",
       [](std::mt19937_64 &r, int32_t) {
         return key_of_value((r() % 2 ? 1e6 : 0.0) + std::ldexp(double(r() >> 11), -53));
       }},
      {"bits", [](std::mt19937_64 &r, int32_t) { return static_cast<int64_t>(r()); }},
      {"extremes and specials",
       [](std::mt19937_64 &r, int32_t) {
         const int64_t keys[] = {INT64_MIN,
                                 INT64_MAX,
                                 INT64_MIN + 1,
                                 key_of_value(std::numeric_limits<double>::quiet_NaN()),
                                 key_of_value(-std::numeric_limits<double>::infinity()),
                                 key_of_value(-0.0),
                                 key_of_value(0.0),
                                 key_of_value(2.5)};
         return keys[r() % 8];
       }},
  };
  return all;
}

TEST(KeyedSort, RanksAndOrderMatchASortOfTheKeys) {
  std::mt19937_64 rng(77);
  for (const auto &[name, draw] : key_sets()) {
    for (int32_t count : {1, 2, 3, 5, 6, 9, 31, 32, 33, 64, 65, 1000, 4097}) {
      std::vector<int64_t> key(count), sorted(count);
      for (int32_t i = 0; i < count; ++i) key[i] = draw(rng, i);
      std::vector<uint32_t> rank_of(count);
      std::vector<char> scratch(rank_keys_scratch_bytes(count));
      rank_keys(key.data(), count, rank_of.data(), sorted.data(), scratch.data());
      std::vector<int64_t> expected = key;
      std::sort(expected.begin(), expected.end());
      ASSERT_EQ(sorted, expected) << name << ", " << count << " keys";
      std::vector<bool> taken(count);
      for (int32_t i = 0; i < count; ++i) {
        ASSERT_LT(rank_of[i], uint32_t(count)) << name;
        ASSERT_FALSE(taken[rank_of[i]]) << name << ": two keys of rank " << rank_of[i];
        taken[rank_of[i]] = true;
        ASSERT_EQ(sorted[rank_of[i]], key[i]) << name << ", key " << i;
      }
      std::vector<int32_t> order(count), sort_scratch(2 * count + 1);
      sort_positions_by_key(key.data(), order.data(), sort_scratch.data(), count);
      for (int32_t r = 0; r < count; ++r) sorted[r] = key[order[r]];
      std::sort(order.begin(), order.end());
      for (int32_t r = 0; r < count; ++r) ASSERT_EQ(order[r], r) << name << ": not a permutation";
      ASSERT_EQ(sorted, expected) << name << ", " << count << " keys, sorted by position";
    }
  }
}

}  // namespace
