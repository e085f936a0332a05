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

#include "core/running_median.h"
#include "test_support.h"

namespace {

// Runs the job on exact-size copies of x (as doubles, or as T) and returns y as doubles.
template <class T>
std::vector<double> run(const std::vector<double> &x, FilterJob job) {
  const size_t count = x.size();
  std::unique_ptr<T[]> in(new T[count]), out(new T[count]);
  for (size_t i = 0; i < count; ++i) in[i] = static_cast<T>(x[i]);
  job.x = in.get();
  job.y = out.get();
  const FilterPlan plan = plan_filter(job);
  std::vector<char> storage(plan.workers * plan.worker_bytes + 1);
  run_filter(job, plan, storage.data());
  std::vector<double> y(count);
  for (size_t i = 0; i < count; ++i) y[i] = static_cast<double>(out[i]);
  return y;
}

std::vector<double> reference(const std::vector<double> &x, const FilterJob &job) {
  return per_signal(x, job.length, job.stride, job.outer, [&](const std::vector<double> &signal) {
    return reference_filter_signal(signal, job.W2, job.padding, job.fill, job.include_nan,
                                   job.not_a_number);
  });
}

FilterJob random_job(std::mt19937_64 &rng, SampleType type) {
  FilterJob job{};
  job.type = type;
  job.length = 1 + rng() % 40;
  job.stride = 1 + rng() % 3;
  job.outer = 1 + rng() % 3;
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
    const auto x = random_samples(rng, job.length * job.stride * job.outer, type != kInt16Samples);
    const std::vector<double> y = type == kSingleSamples  ? run<float>(x, job)
                                  : type == kInt16Samples ? run<int16_t>(x, job)
                                                          : run<double>(x, job);
    std::vector<double> expected = reference(x, job);
    if (type == kSingleSamples) {  // NaN through float and back
      for (double &v : expected) v = static_cast<double>(static_cast<float>(v));
    }
    ASSERT_TRUE(same_bits(y, expected)) << "trial " << trial << " W2=" << job.W2;
  }
}

// 64-bit integers beyond 2^53 are exact (by their ranks): checked against the same job on
// values shifted down to where doubles are exact.
TEST(FilterJob, SixtyFourBitIntegersAreExactBeyondTwoToThe53) {
  std::mt19937_64 rng(78);
  for (int trial = 0; trial < 100; ++trial) {
    FilterJob job = random_job(rng, kInt64Samples);
    const auto x = random_samples(rng, job.length * job.stride * job.outer, false);
    const int64_t shift = int64_t{1} << 60;
    std::unique_ptr<int64_t[]> in(new int64_t[x.size()]), out(new int64_t[x.size()]);
    for (size_t i = 0; i < x.size(); ++i) in[i] = static_cast<int64_t>(x[i]) + shift;
    job.fill = static_cast<double>(shift);  // the padding 2^60, which a double holds exactly
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
    job.length = 100000;
    job.stride = 1;
    job.outer = 2;
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
  job.length = 800000000;  // never read: x is null
  job.stride = 1;
  job.outer = 1;
  job.W2 = (INT32_MAX - 1) / 2;
  job.padding = kReplicatePadding;
  job.block = 1 << 20;
  job.threads = 1;
  EXPECT_TRUE(plan_filter(job).unserved);
  job.W2 = 400000000 - 1;  // window shorter than the signal: served
  EXPECT_FALSE(plan_filter(job).unserved);
}

}  // namespace
