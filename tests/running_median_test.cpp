// Running median driver: window placement over the extensions, the exact ranges it reads and
// writes (inputs are allocated to their exact sizes so the sanitizer build catches overreads),
// its one scratch allocation per call, and agreement with sorting each window.
#include "core/running_median.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "core/selection/per_window_medians.h"
#include "standin_host.h"
#include "test_support.h"

namespace {

struct DriverRun {
  std::vector<double> out;
  long allocations;  // mxCalloc calls made during the run
};

using Driver = void (*)(const double *, double *, const double *, const double *, int32_t, int32_t,
                        int32_t);

// Runs one driver on exact-size copies, checks that the inputs were left as they were, that
// every output was written and every buffer obtained was released, and returns the outputs.
DriverRun run_one(Driver driver, const std::vector<double> &x, const std::vector<double> &xic,
                  const std::vector<double> &xfc, int32_t W2) {
  auto px = exact_copy(x), pic = exact_copy(xic), pfc = exact_copy(xfc);
  const double kUnwritten = -12345.678;
  std::vector<double> out(x.size(), kUnwritten);
  const long made_before = standin_allocations_made();
  driver(px.get(), out.data(), pic.get(), pfc.get(), static_cast<int32_t>(x.size()), 2 * W2 + 1,
         W2);
  EXPECT_EQ(standin_live_allocations(), 0);
  EXPECT_TRUE(same_bits(x, px.get()));
  EXPECT_TRUE(same_bits(xic, pic.get()));
  EXPECT_TRUE(same_bits(xfc, pfc.get()));
  for (double v : out) EXPECT_NE(v, kUnwritten);
  return {out, standin_allocations_made() - made_before};
}

// Runs the per-window reference and the dispatching driver; both must give the same bits.
DriverRun run_driver(const std::vector<double> &x, const std::vector<double> &xic,
                     const std::vector<double> &xfc, int32_t W2) {
  const DriverRun reference = run_one(running_median_per_window, x, xic, xfc, W2);
  const DriverRun dispatched = run_one(running_median, x, xic, xfc, W2);
  EXPECT_TRUE(same_bits(reference.out, dispatched.out));
  EXPECT_EQ(reference.allocations, 1);
  EXPECT_LE(dispatched.allocations, 1);
  return reference;
}

// The slow, obviously correct answer for NaN-free data: sort each extended window.
std::vector<double> sorted_window_medians(const std::vector<double> &x,
                                          const std::vector<double> &xic,
                                          const std::vector<double> &xfc, int32_t W2) {
  std::vector<double> extended(xic.begin(), xic.begin() + W2);
  extended.insert(extended.end(), x.begin(), x.end());
  extended.insert(extended.end(), xfc.begin(), xfc.begin() + W2);
  std::vector<double> out;
  for (size_t i = 0; i < x.size(); ++i) {
    std::vector<double> window(extended.begin() + i, extended.begin() + i + 2 * W2 + 1);
    std::sort(window.begin(), window.end());
    out.push_back(window[W2]);
  }
  return out;
}

TEST(RunningMedian, TypicalCall) {
  EXPECT_EQ(run_driver({3, 1, 2, 5, 4}, {0}, {0}, 1).out, (std::vector<double>{1, 2, 2, 4, 4}));
}

// xic[1] stands next to x[0] and xfc[0] next to x[n-1]: the middle window (xic[1] x xfc[0])
// holds both -1000s, so it gives 1; read backwards it would hold both 1000s and give 3.
TEST(RunningMedian, ExtensionsAreTakenInForwardOrder) {
  EXPECT_EQ(run_driver({1, 2, 3}, {1000, -1000}, {-1000, 1000}, 2).out,
            (std::vector<double>{2, 1, 2}));
}

TEST(RunningMedian, SignalShorterThanHalfWidth) {
  // Only window: xic[0..2], x[0], xfc[0..2] = 1 2 3 100 4 5 6 -> median 4.
  EXPECT_EQ(run_driver({100}, {1, 2, 3}, {4, 5, 6}, 3).out, (std::vector<double>{4}));
  // Two samples, W2 = 4: every output mixes both extensions.
  EXPECT_EQ(run_driver({0, 0}, {-4, -3, -2, -1}, {1, 2, 3, 4}, 4).out,
            sorted_window_medians({0, 0}, {-4, -3, -2, -1}, {1, 2, 3, 4}, 4));
}

TEST(RunningMedian, EmptySignalStillObtainsAndReleasesItsWindow) {
  const DriverRun r = run_driver({}, {1, 2}, {3, 4}, 2);
  EXPECT_TRUE(r.out.empty());
  EXPECT_EQ(r.allocations, 1);
}

TEST(RunningMedian, HalfWidthZeroCopiesTheSignal) {
  const std::vector<double> x = {3, -0.0, 7, 1e300, -2};
  const DriverRun r = run_driver(x, {}, {}, 0);
  EXPECT_TRUE(same_bits(r.out, x));
  EXPECT_EQ(r.allocations, 1);
}

TEST(RunningMedian, WindowWithNaNGivesTheSelectionsResult) {
  // Window (NaN, 1, 2) in that order leaves NaN in the middle; (1, NaN, 2) gives 1.
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const DriverRun r = run_driver({1, 2}, {nan}, {nan}, 1);
  EXPECT_TRUE(std::isnan(r.out[0]));
  EXPECT_EQ(r.out[1], 2.0);  // window (1, 2, NaN) is left unchanged
}

TEST(RunningMedian, MatchesSortingEachWindow) {
  std::mt19937_64 rng(7);
  for (int trial = 0; trial < 400; ++trial) {
    const int32_t W2 = static_cast<int32_t>(rng() % 20);
    const size_t n = rng() % 60;
    auto draw = [&](size_t count) {
      std::vector<double> v(count);
      for (double &e : v)
        e = (trial % 2) ? double(rng() % 5) : double(int64_t(rng() % 2001) - 1000) / 7;
      return v;
    };
    const std::vector<double> x = draw(n), xic = draw(W2), xfc = draw(W2);
    ASSERT_EQ(run_driver(x, xic, xfc, W2).out, sorted_window_medians(x, xic, xfc, W2))
        << "trial " << trial << " n=" << n << " W2=" << W2;
  }
}

}  // namespace
