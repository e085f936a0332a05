// The windows sorted in SIMD lanes against the counted engine, bit for bit, at every vector width:
// every window length the lanes serve, the MAD with its medians, the median and quantiles of all
// nine methods, on samples dense in ties, zeros of both signs, infinities, the largest doubles and
// subnormals whose means and interpolations round to zero.
#include "core/counted/lane_sorted_windows.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "core/support/vector_width.h"
#include "test_support.h"

namespace {

const double kTiny = std::numeric_limits<double>::denorm_min();
const double kMost = std::numeric_limits<double>::max();

double extreme_sample(Random &random) {
  const double values[] = {0.0,    -0.0,  1.0,    -1.0,  2.5,    kInf,      -kInf,     kMost,
                           -kMost, 1e308, -1e308, kTiny, -kTiny, 3 * kTiny, -3 * kTiny};
  const uint64_t r = random.next();
  if (r % 3 == 0) return static_cast<double>(r >> 11) * 0x1p-53 * 20.0 - 10.0;
  return values[(r >> 8) % 15];
}

// Zeros of both signs beside subnormals of both signs and +-1: zero medians, means of middles and
// interpolations that round to a zero of either sign, and zero deviations.
double zero_sample(Random &random) {
  const double values[] = {0.0, -0.0, kTiny, -kTiny, 2 * kTiny, -3 * kTiny, 1.0, -1.0};
  return values[random.next() % 8];
}

// The same without -0.0: a mean or interpolation that rounds to -0.0 must still give +0.0.
double tiny_sample(Random &random) {
  const double values[] = {0.0, kTiny, -kTiny, 2 * kTiny, -3 * kTiny, 3 * kTiny};
  return values[random.next() % 6];
}

double two_level_sample(Random &random) {
  return static_cast<double>(random.next() % 2);
}

double mixed_without_nan(Random &random) {
  const double v = mixed_sample(random);
  return v == v ? v : -2.0;
}

// The counted engine's statistic of the whole windows x[i ... i+W-1]: windows in time over the
// times 0, 1, 2, ..., which only the counted engine serves.
void counted_statistics(const std::vector<double> &x, int32_t W, const MovingStatistic &s,
                        std::vector<double> &values, std::vector<double> &medians) {
  const int64_t n = static_cast<int64_t>(x.size()), count = n - W + 1;
  std::vector<double> times(n);
  for (int64_t i = 0; i < n; ++i) times[i] = static_cast<double>(i);
  const int64_t back = (W - 1) / 2, forward = W - 1 - back;
  const MovingWindows w = {
      0,     0, times.data(), static_cast<double>(back), static_cast<double>(forward), false,
      false, 0, false};
  std::vector<char> storage(moving_statistics_storage_bytes(w, s, false, n, count) + 1);
  values.assign(count, 0);
  medians.assign(count, 0);
  moving_statistics(x.data(), n, w, s, nullptr, back, back + count,
                    {{values.data(), s.kind == kMadStatistic ? medians.data() : nullptr}},
                    storage.data());
}

MovingStatistic statistic_of_trial(std::mt19937 &rng, int trial) {
  if (trial % 3 == 0) return mad_statistic();
  if (trial % 3 == 1) return median_statistic();
  const double probabilities[] = {0, 1, 0.5, 0.25, 0.9, 1.0 / 3};
  std::uniform_int_distribution<int> pick(0, 6), method(1, 9);
  const int which = pick(rng);
  const double p =
      which == 6 ? std::uniform_real_distribution<double>(0, 1)(rng) : probabilities[which];
  return quantile_statistic(p, method(rng));
}

TEST(LaneSortedWindows, MatchTheCountedEngineAtEveryVectorWidth) {
  double (*const draws[])(Random &) = {extreme_sample, zero_sample, tiny_sample, two_level_sample,
                                       mixed_without_nan};
  std::mt19937 rng(3);
  Random random = {11};
  limit_vector_width(kAvx512);
  const VectorWidth widest = usable_vector_width();
  for (int width = kScalar; width <= widest; ++width) {
    limit_vector_width(static_cast<VectorWidth>(width));
    int trial = 0;
    // Every length with a kernel of its own, and the kernel for any length on a few more.
    std::vector<int32_t> lengths = {53, 64, 65, 99, longest_lane_sorted_window()};
    for (int32_t W = 2; W <= 40; ++W) lengths.push_back(W);
    for (int32_t W : lengths) {
      if (W > longest_lane_sorted_window()) continue;
      ASSERT_TRUE(lane_sorted_windows_serve(W));
      // One output, fewer than a vector of lanes squared (one lane), and enough that the lanes'
      // stretches overlap.
      for (int64_t count : {1, 13, 301}) {
        for (auto draw : draws) {
          const MovingStatistic s = statistic_of_trial(rng, trial++);
          const std::vector<double> x = samples(random, count + W - 1, draw);
          std::vector<double> want, want_medians;
          counted_statistics(x, W, s, want, want_medians);
          std::vector<double> got(count), got_medians(count);
          const bool mad = s.kind == kMadStatistic;
          lane_sorted_statistics(exact_copy(x).get(), count, W, lane_statistic(s, W), got.data(),
                                 mad ? got_medians.data() : nullptr);
          ASSERT_TRUE(same_bits(want, got) && (!mad || same_bits(want_medians, got_medians)))
              << "width " << width << " W " << W << " count " << count << " statistic " << s.kind
              << " p " << s.quantile.p << " method " << s.quantile.method;
        }
      }
    }
  }
  limit_vector_width(kAvx512);
}

// A NaN is seen as the lanes read it: the engine says so, at every width, wherever it is.
TEST(LaneSortedWindows, SayWhenASampleIsNaN) {
  Random random = {5};
  limit_vector_width(kAvx512);
  const VectorWidth widest = usable_vector_width();
  for (int width = kScalar; width <= widest; ++width) {
    limit_vector_width(static_cast<VectorWidth>(width));
    for (int32_t W : {3, 8, 40}) {
      std::vector<double> x = samples(random, 200 + W - 1, extreme_sample), out(200), medians(200);
      const LaneStatistic mad = lane_statistic(mad_statistic(), W);
      EXPECT_TRUE(lane_sorted_statistics(x.data(), 200, W, mad, out.data(), medians.data()));
      for (size_t at : {size_t{0}, size_t{77}, x.size() - 1}) {
        std::vector<double> with_nan = x;
        with_nan[at] = kNaN;
        EXPECT_FALSE(lane_sorted_statistics(with_nan.data(), 200, W, mad, out.data(), nullptr))
            << "width " << width << " W " << W << " at " << at;
      }
    }
  }
  limit_vector_width(kAvx512);
}

}  // namespace
