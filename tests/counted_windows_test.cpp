// The counted windows' worst case: the rank set's scans and selections against a sorted list, and
// on signals whose median jumps between two clusters at every window (or at random), each
// window's MAD exact and its work, in the engine's own count of steps, bounded.
#include "core/counted/counted_windows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>
#include <vector>

#include "core/support/storage_layout.h"
#include "test_support.h"

namespace {

TEST(RankSet, ScansAndSelectionsAgreeWithASortedList) {
  const int32_t size = 1 << 20;  // four levels of marks
  std::vector<char> storage(
      bytes_taken_by([&](StorageLayout &s) { carve_rank_set(s, size, true); }));
  StorageLayout layout = carving_layout(storage.data());
  RankSet set = carve_rank_set(layout, size, true);
  clear_rank_set(&set, size);
  std::mt19937 rng(3);
  std::set<int32_t> held;
  // Clusters far apart, so that scans cross long stretches of absent ranks.
  std::uniform_int_distribution<int32_t> cluster(0, 7), offset(0, 300);
  RankCursor cursor = {0, 0};
  int64_t steps = 0;
  for (int trial = 0; trial < 20000; ++trial) {
    const int32_t rank = cluster(rng) * (size / 8) + offset(rng);
    if (held.count(rank)) {
      erase_rank(&set, rank);
      held.erase(rank);
      count_leaving(&cursor, rank);
    } else {
      insert_rank(&set, rank);
      held.insert(rank);
      count_entering(&cursor, rank);
    }
    if (held.empty()) continue;
    const std::vector<int32_t> sorted(held.begin(), held.end());
    const int64_t k = rng() % sorted.size();
    ASSERT_EQ(select_rank(set, k, &steps), sorted[k]);
    ASSERT_EQ(kth_rank(set, &cursor, k), sorted[k]);
    const int32_t probe = rng() % size;
    const auto above = held.lower_bound(probe);
    if (above != held.end()) {
      ASSERT_EQ(next_rank(set, probe), *above);
    }
    if (above != held.begin()) {
      ASSERT_EQ(previous_rank(set, probe), *std::prev(above));
    }
  }
}

// The MAD of a window by brute force: every deviation from the median, sorted.
double brute_force_mad(std::vector<double> window) {
  std::sort(window.begin(), window.end());
  const size_t c = window.size();
  auto middle = [c](const std::vector<double> &v) {
    return c % 2 ? v[c / 2] : mean_of_middles(v[c / 2 - 1], v[c / 2]);
  };
  const double m = middle(window);
  for (double &v : window) v = std::fabs(v - m);
  std::sort(window.begin(), window.end());
  return middle(window);
}

TEST(CountedWindows, MadOfSignalsThatJumpIsExactInBoundedSteps) {
  std::mt19937_64 rng(21);
  std::uniform_real_distribution<double> unit(0, 1);
  for (int64_t W : {1001, 10000, 100001}) {
    const int64_t n = 4 * W + 5000;
    std::vector<std::vector<double>> signals(3, std::vector<double>(n));
    for (int64_t i = 0; i < n; ++i) {
      signals[0][i] = i % 2;                               // two levels, alternating
      signals[1][i] = unit(rng) + (i % 2 ? 1000 : 0);      // small and large, alternating
      signals[2][i] = unit(rng) + (rng() % 2 ? 1000 : 0);  // two clusters, in random order
    }
    const MovingWindows w = {(W - 1) / 2, W / 2, nullptr, 0, 0, false, false, 0, false};
    const MovingStatistic mad = mad_statistic();
    std::vector<char> storage(
        bytes_taken_by([&](StorageLayout &s) { carve_counted_room(s, n, mad); }));
    // A walk across the run would take about W/2 steps a window; the search takes O(log W)
    // reads of O(log W) steps each.
    const double log_w = std::log2(static_cast<double>(W));
    const int64_t bound = static_cast<int64_t>(16 * log_w * log_w);
    for (const std::vector<double> &x : signals) {
      StorageLayout layout = carving_layout(storage.data());
      const CountedRoom room = carve_counted_room(layout, n, mad);
      Counted c;
      start_counted(x.data(), 0, n - 1, w, mad, room, &c);
      double value = 0, median = 0;
      const Outputs out = {mad, nullptr, &value, &median, {}};
      int64_t most = 0;
      for (int64_t i = w.back; i + w.forward < n; ++i) {
        slide_counted(&c, i - w.back, i + w.forward);
        const int64_t before = c.steps;
        finish_counted(&c, w, 0, out, 0);
        if (i > w.back) most = std::max(most, c.steps - before);  // not the first window
        if ((i - w.back) % (n / 40) == 1) {  // the brute force is slow: some windows
          const std::vector<double> window(x.begin() + (i - w.back), x.begin() + i + w.forward + 1);
          ASSERT_EQ(bits_of(value), bits_of(brute_force_mad(window))) << "W " << W << " at " << i;
        }
      }
      EXPECT_LE(most, bound) << "W " << W;
    }
  }
}

}  // namespace
