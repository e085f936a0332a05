// The filtering job against a reference built from the per-window selection: each signal padded
// by hand into extension arrays, filtered, and its windows holding NaN set to NaN. Every sample
// type, padding, NaN mode, dimension, piece length and thread count; inputs sized exactly so the
// sanitizer build catches any read past them.
#include "core/jobs/filter_job.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "core/jobs/moving_job.h"
#include "core/running_median.h"
#include "test_support.h"

namespace {

// Runs the job on exact-size copies of x (as doubles, or as T) and returns y as doubles.
template <class T>
std::vector<double> run(const std::vector<double> &x, FilterJob job) {
  const size_t count = x.size(), outputs = sample_count(with_length(job.signals, job.outputs));
  std::unique_ptr<T[]> in(new T[count]), out(new T[outputs]);
  for (size_t i = 0; i < count; ++i) in[i] = static_cast<T>(x[i]);
  job.x = in.get();
  job.y = out.get();
  const FilterPlan plan = plan_filter(job);
  std::vector<char> storage(plan.workers * plan.worker_bytes + 1);
  run_filter(job, plan, storage.data());
  std::vector<double> y(outputs);
  for (size_t i = 0; i < outputs; ++i) y[i] = static_cast<double>(out[i]);
  return y;
}

std::vector<double> reference(const std::vector<double> &x, const FilterJob &job) {
  return per_signal(x, job.signals.length, job.signals.stride, job.signals.outer,
                    [&](const std::vector<double> &signal) {
                      return reference_filter_signal(signal, job.W2, job.padding, job.fill,
                                                     job.include_nan, job.not_a_number);
                    });
}

FilterJob random_job(std::mt19937_64 &rng, SampleType type) {
  FilterJob job{};
  job.type = type;
  job.signals.length = 1 + rng() % 40;
  job.outputs = job.signals.length;
  job.signals.stride = 1 + rng() % 3;
  job.signals.outer = 1 + rng() % 3;
  job.W2 = static_cast<int32_t>(rng() % 30);
  job.padding = static_cast<Padding>(1 + rng() % 4);
  job.fill = type == kDoubleSamples && rng() % 4 == 0 ? kNaN : double(rng() % 5) - 2;
  job.include_nan = rng() % 2;
  job.not_a_number = -kNaN;
  job.block = 1 + rng() % 50;
  job.threads = 1 + rng() % 3;
  return job;
}

std::vector<double> random_samples(std::mt19937_64 &rng, size_t count, bool specials) {
  std::vector<double> x(count);
  for (double &v : x) {
    v = double(rng() % 7) - 3;
    if (specials && rng() % 8 == 0) v = (rng() % 2) ? kNaN : -0.0;
  }
  return x;
}

TEST(FilterJob, EveryTypePaddingModeAndShapeMatchesTheReference) {
  std::mt19937_64 rng(77);
  for (int trial = 0; trial < 600; ++trial) {
    const SampleType type = trial % 3 == 0   ? kSingleSamples
                            : trial % 3 == 1 ? kInt16Samples
                                             : kDoubleSamples;
    const FilterJob job = random_job(rng, type);
    const auto x = random_samples(rng, job.signals.length * job.signals.stride * job.signals.outer,
                                  type != kInt16Samples);
    const std::vector<double> y = type == kSingleSamples  ? run<float>(x, job)
                                  : type == kInt16Samples ? run<int16_t>(x, job)
                                                          : run<double>(x, job);
    std::vector<double> expected = reference(x, job);
    if (type == kSingleSamples) {  // NaN through float and back
      for (double &v : expected) v = static_cast<double>(static_cast<float>(v));
    }
    ASSERT_TRUE(same_bits(y, expected)) << "trial " << trial << " W2=" << job.W2;
    // A range of each signal's outputs: their slice of the whole result.
    FilterJob range = job;
    range.first_output = rng() % job.signals.length;
    range.outputs = 1 + rng() % (job.signals.length - range.first_output);
    const std::vector<double> part = type == kSingleSamples  ? run<float>(x, range)
                                     : type == kInt16Samples ? run<int16_t>(x, range)
                                                             : run<double>(x, range);
    const SignalArray sliced = with_length(job.signals, range.outputs);
    for (int64_t s = 0; s < signal_count(job.signals); ++s) {
      for (int64_t t = 0; t < range.outputs; ++t) {
        const int64_t whole =
            signal_start(job.signals, s) + (range.first_output + t) * job.signals.stride;
        ASSERT_EQ(bits_of(part[signal_start(sliced, s) + t * sliced.stride]), bits_of(y[whole]))
            << "trial " << trial;
      }
    }
  }
}

// Pieces gathered with their padding written out (another class than double) and shorter than
// their windows go to the long-window engine, whose storage grows with the piece and differs from
// what the whole signal's generated padding would take. At every vector width, as the networks'
// reach decides which windows come to that engine.
TEST(FilterJob, GatheredPiecesShorterThanTheirWindowsFitTheirStorage) {
  std::mt19937_64 rng(12);
  at_every_vector_width([&](int width) {
    for (int trial = 0; trial < 40; ++trial) {
      FilterJob job = random_job(rng, kInt16Samples);
      job.W2 = 13 + static_cast<int32_t>(rng() % 30);
      job.signals.length = job.outputs = 1 + rng() % 150;
      job.block = 1 + rng() % 40;
      const auto x =
          random_samples(rng, job.signals.length * job.signals.stride * job.signals.outer, false);
      ASSERT_TRUE(same_bits(run<int16_t>(x, job), reference(x, job)))
          << "width " << width << " trial " << trial << " W2=" << job.W2;
    }
  });
}

// 64-bit integers beyond 2^53 are exact (by their ranks): checked against the same job on
// values shifted down to where doubles are exact.
TEST(FilterJob, SixtyFourBitIntegersAreExactBeyondTwoToThe53) {
  std::mt19937_64 rng(78);
  for (int trial = 0; trial < 100; ++trial) {
    FilterJob job = random_job(rng, kInt64Samples);
    const auto x =
        random_samples(rng, job.signals.length * job.signals.stride * job.signals.outer, false);
    const int64_t shift = int64_t{1} << 60;
    std::unique_ptr<int64_t[]> in(new int64_t[x.size()]), out(new int64_t[x.size()]);
    for (size_t i = 0; i < x.size(); ++i) in[i] = static_cast<int64_t>(x[i]) + shift;
    job.fill = static_cast<double>(shift);  // the padding 2^60, which a double holds exactly
    job.fill_key = shift;
    job.x = in.get();
    job.y = out.get();
    const FilterPlan plan = plan_filter(job);
    ASSERT_TRUE(plan.ranks);
    std::vector<char> storage(plan.workers * plan.worker_bytes + 1);
    run_filter(job, plan, storage.data());
    job.fill = 0;
    const std::vector<double> expected = reference(x, job);
    for (size_t i = 0; i < x.size(); ++i) {
      ASSERT_EQ(out[i] - shift, static_cast<int64_t>(expected[i])) << "trial " << trial;
    }
  }
}

// Enough samples for several threads, and pieces cut for them: the same bits as one thread.
TEST(FilterJob, ThreadsAndPiecesGiveTheSameBits) {
  std::mt19937_64 rng(79);
  const std::vector<double> x = random_samples(rng, 200000, true);
  for (int32_t W2 : {1, 20, 300}) {
    FilterJob job{};
    job.type = kDoubleSamples;
    job.signals.length = 100000;
    job.outputs = job.signals.length;
    job.signals.stride = 1;
    job.signals.outer = 2;
    job.W2 = W2;
    job.padding = kSymmetricPadding;
    job.include_nan = true;
    job.not_a_number = kNaN;
    job.block = 1 << 20;
    job.threads = 1;
    const std::vector<double> one = run<double>(x, job);
    ASSERT_TRUE(same_bits(one, reference(x, job)));
    for (int32_t threads : {2, 3, 4}) {
      job.threads = threads;
      job.block = 777 * threads;
      EXPECT_TRUE(same_bits(run<double>(x, job), one)) << "threads " << threads;
    }
  }
}

}  // namespace

namespace {

// Signals too long to count their samples in 32-bit ranks are refused before anything is read.
TEST(FilterJob, WindowsLongerThanHugeSignalsAreRefusedUpFront) {
  FilterJob job{};
  job.type = kDoubleSamples;
  job.signals.length = 800000000;  // never read: x is null
  job.outputs = job.signals.length;
  job.signals.stride = 1;
  job.signals.outer = 1;
  job.W2 = (INT32_MAX - 1) / 2;
  job.padding = kReplicatePadding;
  job.block = 1 << 20;
  job.threads = 1;
  EXPECT_TRUE(plan_filter(job).unserved);
  job.W2 = 400000000 - 1;  // window shorter than the signal: served
  EXPECT_FALSE(plan_filter(job).unserved);
}

}  // namespace

namespace {

// A range of outputs of every signal, of any class, along any dimension and on any number of
// threads, for each statistic: the bits the engine gives each signal converted to double,
// rounded into the class (and with the MAD the medians likewise).
TEST(MovingJob, RangesClassesAndThreadsMatchTheEngineOnEachSignal) {
  std::mt19937_64 rng(80);
  for (int trial = 0; trial < 300; ++trial) {
    const bool big = trial % 50 == 0;
    MovingJob job{};
    job.x_type = trial % 3 == 0 ? kInt16Samples : kDoubleSamples;
    job.y_type = job.x_type;
    job.signals = {big ? 70000 : 1 + int64_t(rng() % 40), 1 + int64_t(rng() % 3), 1};
    job.first_output = rng() % job.signals.length;
    job.outputs = 1 + rng() % (job.signals.length - job.first_output);
    job.windows = {int64_t(rng() % 9), int64_t(rng() % 9), nullptr, 0, 0, false, rng() % 2 == 0, -1,
                   rng() % 2 == 0};
    job.block = big ? 5000 : 1 + rng() % 20;
    job.threads = 1 + rng() % 8;
    const MovingStatistic statistics[] = {median_statistic(), quantile_statistic(0.3, 7),
                                          mad_statistic()};
    job.statistic = statistics[trial % 3];
    const bool mad = job.statistic.kind == kMadStatistic;
    const std::vector<double> x =
        random_samples(rng, sample_count(job.signals), job.x_type == kDoubleSamples);
    std::unique_ptr<int16_t[]> x16(new int16_t[x.size()]);
    for (size_t i = 0; i < x.size(); ++i) x16[i] = static_cast<int16_t>(x[i]);
    const SignalArray result = with_length(job.signals, job.outputs);
    std::vector<double> y(sample_count(result)), m(y.size());
    std::unique_ptr<int16_t[]> y16(new int16_t[y.size()]), m16(new int16_t[y.size()]);
    const bool doubles = job.x_type == kDoubleSamples;
    job.x = doubles ? static_cast<const void *>(x.data()) : x16.get();
    job.y[0] = doubles ? static_cast<void *>(y.data()) : y16.get();
    job.y[1] = doubles ? static_cast<void *>(m.data()) : m16.get();
    take_first_results(&job, mad ? 2 : 1);
    const MovingPlan plan = plan_moving(job);
    std::vector<char> storage(plan.workers * plan.worker_bytes + 1);
    run_moving(job, plan, storage.data());
    for (int64_t s = 0; s < signal_count(job.signals); ++s) {
      std::vector<double> signal(job.signals.length), want(job.outputs), medians(job.outputs);
      for (int64_t t = 0; t < job.signals.length; ++t) {
        signal[t] = x[signal_start(job.signals, s) + t * job.signals.stride];
      }
      std::vector<char> room(moving_statistics_storage_bytes(job.windows, job.statistic, false,
                                                             job.signals.length, job.outputs) +
                             1);
      moving_statistics(signal.data(), job.signals.length, job.windows, job.statistic, nullptr,
                        job.first_output, job.first_output + job.outputs,
                        {{want.data(), medians.data()}}, room.data());
      auto in_class = [&](double v) { return doubles ? v : double(from_double<int16_t>(v)); };
      for (int64_t t = 0; t < job.outputs; ++t) {
        const int64_t at = signal_start(result, s) + t * result.stride;
        ASSERT_EQ(bits_of(doubles ? y[at] : double(y16[at])), bits_of(in_class(want[t])))
            << "trial " << trial << " output " << t;
        if (mad) {
          ASSERT_EQ(bits_of(doubles ? m[at] : double(m16[at])), bits_of(in_class(medians[t])));
        }
      }
    }
  }
}

}  // namespace

namespace {

// 64-bit integers beyond 2^53: every statistic exact, against the same job on the values shifted
// down to where doubles are exact (all positive both ways, so a half rounds up alike).
TEST(MovingJob, SixtyFourBitIntegersBeyondDoublesAreExact) {
  std::mt19937_64 rng(81);
  for (int trial = 0; trial < 120; ++trial) {
    MovingJob job{};
    job.x_type = job.y_type = trial % 2 ? kInt64Samples : kUint64Samples;
    job.signals = {1 + int64_t(rng() % 30), 1 + int64_t(rng() % 2), 1};
    job.first_output = 0;
    job.outputs = job.signals.length;
    job.windows = {
        int64_t(rng() % 6), int64_t(rng() % 6), nullptr, 0, 0, false, rng() % 2 == 0, 3, false};
    job.block = 1 + rng() % 10;
    job.threads = 1 + rng() % 4;
    const MovingStatistic statistics[] = {median_statistic(), quantile_statistic(0.37, 7),
                                          quantile_statistic(0.5, 2), mad_statistic()};
    job.statistic = statistics[trial % 4];
    const int64_t count = sample_count(job.signals);
    const uint64_t shift = uint64_t{1} << 60;
    std::vector<uint64_t> big(count), y(count), medians(count);
    std::vector<double> small(count), want(count), want_medians(count);
    for (int64_t i = 0; i < count; ++i) {
      small[i] = double(rng() % 7);
      big[i] = static_cast<uint64_t>(small[i]) + shift;
    }
    job.x = big.data();
    job.y[0] = y.data();
    job.y[1] = medians.data();
    take_first_results(&job, statistic_results(job.statistic));
    job.windows.fill = double(shift);  // 2^60 + 0, which a double holds
    job.fill_key = integer_key_of(job.x_type, job.windows.fill);
    const MovingPlan plan = plan_moving(job);
    ASSERT_TRUE(plan.exact);
    std::vector<char> storage(plan.workers * plan.worker_bytes + 1);
    run_moving(job, plan, storage.data());
    MovingJob reference = job;
    reference.x_type = reference.y_type = kDoubleSamples;
    take_first_results(&reference, job.results);
    reference.x = small.data();
    reference.y[0] = want.data();
    reference.y[1] = want_medians.data();
    reference.windows.fill = 0;
    const MovingPlan reference_plan = plan_moving(reference);
    std::vector<char> room(reference_plan.workers * reference_plan.worker_bytes + 1);
    run_moving(reference, reference_plan, room.data());
    const bool mad = job.statistic.kind == kMadStatistic;
    for (int64_t i = 0; i < count; ++i) {
      const uint64_t offset = mad ? 0 : shift;  // a MAD is a distance
      ASSERT_EQ(y[i], uint64_t(from_double<int64_t>(want[i])) + offset) << "trial " << trial;
      if (mad) {
        ASSERT_EQ(medians[i], uint64_t(from_double<int64_t>(want_medians[i])) + shift);
      }
    }
  }
}

}  // namespace

namespace {

// A half goes away from zero, as the host rounds integers: down for negative values.
TEST(ExactIntegers, HalvesRoundAwayFromZero) {
  const int64_t big = int64_t{1} << 60;
  const int64_t keys[] = {-big - 3, -big - 2, big + 2, big + 3, INT64_MAX};
  const ExactArithmetic signed_keys = {keys, false};
  auto mean_of = [&](int a, int b) {
    return static_cast<int64_t>(signed_keys.result(signed_keys.mean({keys[a], 0}, {keys[b], 0})));
  };
  EXPECT_EQ(mean_of(0, 1), -big - 3);
  EXPECT_EQ(mean_of(2, 3), big + 3);
  EXPECT_EQ(mean_of(0, 4), (INT64_MAX - big - 3) / 2);                // no overflow on the way
  EXPECT_EQ(mean_of(2, 4), big + 2 + (INT64_MAX - big - 2) / 2 + 1);  // a half, up
  // A quarter of the way from -2^60-3 to 2^60+3 is -2^59-1.5.
  const ExactValue quarter = signed_keys.interpolate({keys[0], 0}, {keys[3], 0}, 0.25);
  EXPECT_EQ(static_cast<int64_t>(signed_keys.result(quarter)), -(big / 2) - 2);
}

}  // namespace
