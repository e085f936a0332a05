// The moving statistics (median, quantiles, MAD) against a brute-force reference that gathers each
// window's counted samples and sorts them, on adversarial signals: ties, zeros of both signs,
// infinities, NaN runs and all-NaN stretches, windows longer than the signal, padded and clipped
// ends, even and odd counts, and sample times with gaps and repeats; every output range on its own.
#include "core/counted/moving_statistics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "test_support.h"

namespace {

std::vector<double> adversarial_signal(std::mt19937 &rng, int64_t n) {
  const double values[] = {0.0, -0.0, 1.0, -1.0, 2.5, kInf, -kInf, 1e308, -1e308, 3.0};
  std::uniform_int_distribution<int> pick(0, 9), kind(0, 5);
  std::normal_distribution<double> normal;
  std::vector<double> x(n);
  for (auto &v : x) v = kind(rng) < 3 ? values[pick(rng)] : normal(rng);
  // NaN runs: single ones, short runs and, now and then, a stretch longer than many windows.
  std::uniform_int_distribution<int64_t> at(0, std::max<int64_t>(0, n - 1));
  const int runs = kind(rng);
  for (int r = 0; r < runs && n > 0; ++r) {
    const int64_t start = at(rng), length = r == 0 ? n / 3 : 1 + kind(rng);
    for (int64_t j = start; j < std::min(n, start + length); ++j) x[j] = kNaN;
  }
  return x;
}

// Ascending times with gaps, and repeats.
std::vector<double> uneven_times(std::mt19937 &rng, int64_t n) {
  std::uniform_int_distribution<int> step(0, 6);
  std::vector<double> t(n);
  double now = -3.5;
  for (auto &v : t) {
    const int s = step(rng);
    now += s == 0 ? 0.0 : s == 6 ? 20.0 : 0.5 * s;
    v = now;
  }
  return t;
}

// The statistics in turn: the median, a quantile of a random probability and method, the MAD.
MovingStatistic statistic_of_trial(std::mt19937 &rng, int trial) {
  if (trial % 3 == 0) return median_statistic();
  if (trial % 3 == 1) return mad_statistic();
  const double probabilities[] = {0, 1, 0.5, 0.25, 0.1, 0.9, 1.0 / 3};
  std::uniform_int_distribution<int> pick(0, 6), method(1, 9);
  std::uniform_real_distribution<double> uniform(0, 1);
  const int which = pick(rng);
  return quantile_statistic(which == 6 ? uniform(rng) : probabilities[which], method(rng));
}

void expect_reference(const std::vector<double> &x, const MovingWindows &w, int64_t first,
                      int64_t last, const MovingStatistic &s = median_statistic()) {
  const int64_t n = static_cast<int64_t>(x.size());
  std::vector<char> storage(moving_statistics_storage_bytes(w, s, false, n, last - first) + 1);
  const auto signal = exact_copy(x);
  std::vector<double> out(last - first), medians(last - first);
  double *medians_out = s.kind == kMadStatistic ? medians.data() : nullptr;
  moving_statistics(signal.get(), n, w, s, nullptr, first, last, {{out.data(), medians_out}},
                    storage.data());
  if (first < last) {  // the same bits from only the samples the windows reach
    int64_t lo = 0, hi = 0;
    moving_reach(w, n, first, last, &lo, &hi);
    const std::vector<double> reached(x.begin() + lo, x.begin() + hi + 1);
    MovingWindows shifted = w;
    if (w.times) shifted.times += lo;
    std::vector<double> from_reach(last - first);
    moving_statistics(exact_copy(reached).get(), hi - lo + 1, shifted, s, nullptr, first - lo,
                      last - lo, {{from_reach.data(), nullptr}}, storage.data());
    ASSERT_TRUE(same_bits(from_reach, out)) << "outputs " << first << " to " << last;
  }
  for (int64_t i = first; i < last; ++i) {
    double median = 0;
    const double want = reference_moving_statistic(x, w, s, i, &median), got = out[i - first];
    ASSERT_TRUE(same_result(want, got) &&
                (s.kind != kMadStatistic || same_result(median, medians[i - first])))
        << "output " << i << " of " << n << ": " << got << ", not " << want << " (statistic "
        << s.kind << " p " << s.quantile.p << " method " << s.quantile.method << ", back " << w.back
        << ", forward " << w.forward << ", padded " << w.padded << ", omit " << w.omit_nan
        << ", times " << (w.times != nullptr) << ")";
  }
}

MovingWindows count_windows(int64_t back, int64_t forward, bool omit_nan) {
  return {back, forward, nullptr, 0, 0, false, false, 0, omit_nan};
}

TEST(MovingStatistics, CountWindowsMatchSortedWindows) {
  std::mt19937 rng(13);
  std::uniform_int_distribution<int64_t> length(0, 90), reach(0, 40), coin(0, 1);
  const double fills[] = {0.0, kNaN, -1.0, kInf};
  for (int trial = 0; trial < 1500; ++trial) {
    const int64_t n = length(rng);
    const std::vector<double> x = adversarial_signal(rng, n);
    MovingWindows w = count_windows(reach(rng), reach(rng), coin(rng));
    if (trial % 7 == 0) w.forward = w.back;  // odd symmetric: the fixed engines' windows
    if (trial % 11 == 0) w.back += 1000;     // far longer than the signal
    w.padded = coin(rng);
    w.fill = fills[trial % 4];
    std::uniform_int_distribution<int64_t> cut(0, n);
    int64_t first = cut(rng), last = cut(rng);
    if (trial % 2 == 0) first = 0, last = n;
    expect_reference(x, w, std::min(first, last), std::max(first, last),
                     statistic_of_trial(rng, trial));
  }
}

TEST(MovingStatistics, LongSignalsCrossSegmentsAndNaNRuns) {
  std::mt19937 rng(7);
  for (int64_t W : {3, 4, 101, 1000, 20001}) {
    std::vector<double> x = adversarial_signal(rng, 50000);
    for (int64_t j = 0; j < 50000; j += 97) x[j] = kNaN;
    for (bool omit : {false, true}) {
      MovingWindows w = count_windows(W / 2, W - 1 - W / 2, omit);
      for (int trial = 0; trial < 3; ++trial) {
        const MovingStatistic s = statistic_of_trial(rng, trial);
        expect_reference(x, w, 0, 400, s);
        expect_reference(x, w, 17000, 17400, s);
        expect_reference(x, w, 49600, 50000, s);
      }
    }
  }
}

// Whole windows too long for the lanes at each width (48, 96 and 128 samples) go to the block
// engine for quantiles and even medians, and are counted for the MAD; a NaN that counts makes its
// windows NaN uncounted, omitted NaN send theirs to the counted windows.
TEST(MovingStatistics, WholeWindowsBeyondTheLanesMatchSortedWindows) {
  std::mt19937 rng(29);
  at_every_vector_width([&](int) {
    for (int64_t W : {50, 97, 130, 1001}) {
      std::vector<double> x = adversarial_signal(rng, 5000);
      if (W == 130) std::fill(x.begin(), x.end(), 0.0), x[2600] = -0.0;  // one -0 among +0
      // NaN of both signs scattered over the first half: every window there holds some.
      for (int64_t j = 0; W == 97 && j < 2500; j += 1 + rng() % 40) x[j] = j % 2 ? kNaN : -kNaN;
      for (bool omit : {false, true}) {
        const MovingWindows w = count_windows(W / 3, W - 1 - W / 3, omit);
        for (int trial = 0; trial < 3; ++trial) {
          const MovingStatistic s = statistic_of_trial(rng, trial);
          expect_reference(x, w, 0, 5000, s);
          expect_reference(x, w, 1234, 3100, s);
        }
      }
    }
  });
}

TEST(MovingStatistics, TimeWindowsWithGapsAndRepeats) {
  std::mt19937 rng(5);
  std::uniform_int_distribution<int64_t> length(1, 80), coin(0, 1);
  std::uniform_real_distribution<double> reach(0, 12);
  for (int trial = 0; trial < 800; ++trial) {
    const int64_t n = length(rng);
    const std::vector<double> x = adversarial_signal(rng, n), t = uneven_times(rng, n);
    MovingWindows w = count_windows(0, 0, coin(rng));
    w.times = t.data();
    w.time_back = trial % 5 == 0 ? 1e9 : std::round(2 * reach(rng)) / 2;
    w.time_forward = std::round(2 * reach(rng)) / 2;
    w.forward_open = coin(rng);
    std::uniform_int_distribution<int64_t> cut(0, n);
    const int64_t first = cut(rng), last = cut(rng);
    expect_reference(x, w, std::min(first, last), std::max(first, last),
                     statistic_of_trial(rng, trial));
  }
}

// Long enough that windows in time are counted in several segments: every output of one call
// over the whole signal has the bits of short calls, each one segment as the calls the reference
// checks above are, around the seams and elsewhere.
TEST(MovingStatistics, TimeWindowsCrossSegments) {
  std::mt19937 rng(31);
  const int64_t n = 140000;
  const std::vector<double> x = adversarial_signal(rng, n), t = uneven_times(rng, n);
  const auto outputs = [&](const MovingWindows &w, const MovingStatistic &s, int64_t first,
                           int64_t last) {
    std::vector<char> storage(moving_statistics_storage_bytes(w, s, false, n, last - first));
    std::vector<double> out(last - first);
    moving_statistics(x.data(), n, w, s, nullptr, first, last, {{out.data(), nullptr}},
                      storage.data());
    return out;
  };
  for (double reach : {4.0, 300.0}) {
    MovingWindows w = count_windows(0, 0, reach == 300.0);
    w.times = t.data();
    w.time_back = w.time_forward = reach;
    for (const MovingStatistic &s : {median_statistic(), mad_statistic()}) {
      const std::vector<double> whole = outputs(w, s, 0, n);
      for (int64_t first : {int64_t{0}, int64_t{65000}, int64_t{100000}, int64_t{130536}}) {
        const std::vector<double> part = outputs(w, s, first, first + 1000);
        ASSERT_TRUE(same_bits(
            part, std::vector<double>(whole.begin() + first, whole.begin() + first + 1000)))
            << "outputs from " << first << ", reach " << reach;
      }
    }
  }
}

// Far from zero a double steps by far more than 1 (by 256 at 1.7e18), so t + forward may round
// back to t: there the windows must hold what they hold near zero. Times u near zero (halves)
// become origin + 2*step*u, and reaches r (halves) 2*step*r + step/8, where a window open at its
// forward end still holds the time 2*step*r ahead, which rounding to nearest would leave out.
TEST(MovingStatistics, TimeWindowsFarFromZeroHoldWhatTheyHoldNearIt) {
  std::mt19937 rng(6);
  std::uniform_int_distribution<int64_t> length(1, 60), coin(0, 1);
  std::uniform_real_distribution<double> reach(0, 8);
  for (const double magnitude : {1e9, 1e15, 1.7e18}) {
    const double step = 2 * (std::nextafter(magnitude, kInf) - magnitude);
    const double origin = std::round(magnitude / step) * step;
    for (int trial = 0; trial < 200; ++trial) {
      const int64_t n = length(rng);
      const std::vector<double> x = adversarial_signal(rng, n), t = uneven_times(rng, n);
      MovingWindows near = count_windows(0, 0, coin(rng));
      near.times = t.data();
      near.time_back = std::round(2 * reach(rng)) / 2;
      near.time_forward = std::round(2 * reach(rng)) / 2;
      std::vector<double> far_times(n);
      for (int64_t j = 0; j < n; ++j) far_times[j] = origin + 2 * step * t[j];
      MovingWindows far = near;
      far.times = far_times.data();
      far.time_back = 2 * step * near.time_back + step / 8;
      far.time_forward = 2 * step * near.time_forward + step / 8;
      far.forward_open = coin(rng);
      const MovingStatistic s = statistic_of_trial(rng, trial);
      std::vector<char> storage(moving_statistics_storage_bytes(near, s, false, n, n) + 1);
      std::vector<double> want(n), got(n);
      moving_statistics(x.data(), n, near, s, nullptr, 0, n, {{want.data(), nullptr}},
                        storage.data());
      moving_statistics(x.data(), n, far, s, nullptr, 0, n, {{got.data(), nullptr}},
                        storage.data());
      for (int64_t i = 0; i < n; ++i) {
        ASSERT_EQ(bits_of(got[i]), bits_of(want[i]))
            << magnitude << " trial " << trial << " at " << i;
      }
    }
  }
}

// Where each method places a quantile among c sorted values, worked out by hand from the nine
// definitions (and checked against GNU Octave's quantile of 10, 20, ... when written): p at 0
// and 1, at half ranks (which method 3 rounds to the even one), and where methods differ.
TEST(MovingStatistics, QuantilePositionsMatchATableWorkedOutByHand) {
  const struct {
    int64_t c;
    double p;
    int32_t method;
    int64_t lower, upper;
    double weight;  // of the upper value, where the two differ
  } table[] = {{4, 0, 1, 0, 0, 0},         {4, 0.125, 1, 0, 0, 0},       {4, 0.25, 1, 0, 0, 0},
               {4, 0.375, 1, 1, 1, 0},     {4, 0.5, 1, 1, 1, 0},         {4, 0.625, 1, 2, 2, 0},
               {4, 0.875, 1, 3, 3, 0},     {4, 1, 1, 3, 3, 0},           {4, 0, 2, 0, 0, 0},
               {4, 0.125, 2, 0, 0, 0},     {4, 0.25, 2, 0, 1, 0.5},      {4, 0.375, 2, 1, 1, 0},
               {4, 0.5, 2, 1, 2, 0.5},     {4, 0.625, 2, 2, 2, 0},       {4, 0.875, 2, 3, 3, 0},
               {4, 1, 2, 3, 3, 0},         {4, 0, 3, 0, 0, 0},           {4, 0.125, 3, 0, 0, 0},
               {4, 0.25, 3, 0, 0, 0},      {4, 0.375, 3, 1, 1, 0},       {4, 0.5, 3, 1, 1, 0},
               {4, 0.625, 3, 1, 1, 0},     {4, 0.875, 3, 3, 3, 0},       {4, 1, 3, 3, 3, 0},
               {4, 0, 4, 0, 0, 0},         {4, 0.25, 4, 0, 0, 0},        {4, 0.375, 4, 0, 1, 0.5},
               {4, 0.5, 4, 1, 1, 0},       {4, 0.625, 4, 1, 2, 0.5},     {4, 0.875, 4, 2, 3, 0.5},
               {4, 1, 4, 3, 3, 0},         {4, 0, 5, 0, 0, 0},           {4, 0.125, 5, 0, 0, 0},
               {4, 0.25, 5, 0, 1, 0.5},    {4, 0.375, 5, 1, 1, 0},       {4, 0.5, 5, 1, 2, 0.5},
               {4, 0.875, 5, 3, 3, 0},     {4, 1, 5, 3, 3, 0},           {4, 0, 6, 0, 0, 0},
               {4, 0.125, 6, 0, 0, 0},     {4, 0.25, 6, 0, 1, 0.25},     {4, 0.375, 6, 0, 1, 0.875},
               {4, 0.5, 6, 1, 2, 0.5},     {4, 0.625, 6, 2, 3, 0.125},   {4, 1, 6, 3, 3, 0},
               {4, 0, 7, 0, 0, 0},         {4, 0.125, 7, 0, 1, 0.375},   {4, 0.25, 7, 0, 1, 0.75},
               {4, 0.375, 7, 1, 2, 0.125}, {4, 0.5, 7, 1, 2, 0.5},       {4, 1, 7, 3, 3, 0},
               {4, 0, 8, 0, 0, 0},         {4, 0.25, 8, 0, 1, 5.0 / 12}, {4, 0.5, 8, 1, 2, 0.5},
               {4, 1, 8, 3, 3, 0},         {4, 0, 9, 0, 0, 0},           {4, 0.25, 9, 0, 1, 0.4375},
               {4, 0.5, 9, 1, 2, 0.5},     {4, 1, 9, 3, 3, 0},           {5, 0.5, 1, 2, 2, 0},
               {5, 0.5, 2, 2, 2, 0},       {5, 0.5, 3, 1, 1, 0},         {5, 0.5, 4, 1, 2, 0.5},
               {5, 0.5, 5, 2, 2, 0},       {5, 0.5, 6, 2, 2, 0},         {5, 0.5, 7, 2, 2, 0},
               {5, 0.5, 8, 2, 2, 0},       {5, 0.5, 9, 2, 2, 0}};
  for (const auto &row : table) {
    const QuantilePosition q = quantile_position(row.c, row.p, row.method);
    EXPECT_EQ(q.lower, row.lower) << "c " << row.c << " p " << row.p << " method " << row.method;
    EXPECT_EQ(q.upper, row.upper) << "c " << row.c << " p " << row.p << " method " << row.method;
    if (row.lower != row.upper) {
      EXPECT_NEAR(q.weight, row.weight, 1e-12) << "c " << row.c << " p " << row.p;
      EXPECT_EQ(q.weight == 0.5, row.weight == 0.5);  // a mean of the two, or a weighting
    }
  }
  for (int32_t method = 1; method <= 9; ++method) {  // one value: itself, whatever p
    for (double p : {0.0, 0.3, 1.0}) {
      const QuantilePosition q = quantile_position(1, p, method);
      EXPECT_TRUE(q.lower == 0 && q.upper == 0) << "p " << p << " method " << method;
    }
  }
}

TEST(MovingStatistics, MeanOfMiddlesCannotOverflow) {
  EXPECT_EQ(mean_of_middles(1e308, 1.7e308), 1.35e308);
  EXPECT_EQ(mean_of_middles(-1.7e308, -1e308), -1.35e308);
  EXPECT_EQ(mean_of_middles(-1.7e308, 1.7e308), 0.0);
  EXPECT_EQ(mean_of_middles(-kInf, 3), -kInf);
  EXPECT_TRUE(std::isnan(mean_of_middles(-kInf, kInf)));
}

// a + w*(b-a) rounded after the product and after the sum, as written (worked out with exact
// fractions): the multiply-add fused into one rounding, as GCC makes it on aarch64 unless told
// not to, gives 1.7009606041221688 and 2.186796430728054.
TEST(MovingStatistics, InterpolationRoundsEachOperation) {
  EXPECT_EQ(interpolated(1.2550690257394217, 1.7505041128313628, 0.9), 1.7009606041221685);
  EXPECT_EQ(interpolated(1.9690406502940996, 2.6948932517406146, 0.3), 2.1867964307280543);
}

}  // namespace
