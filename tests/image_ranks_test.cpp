// The image rank engines and the image job against a sort of each window: random blocks of
// several classes with NaN, infinities, signed zeros and 64-bit extremes, random domains and
// ranks; and the job the same bits for any tile height and thread count.
#include "core/images/image_ranks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "core/jobs/image_job.h"

namespace {

// The total order: NaN last, -0 before +0.
template <class T>
bool before(T a, T b) {
  if constexpr (std::is_floating_point<T>::value) {
    if (std::isnan(a) || std::isnan(b)) return !std::isnan(a) && std::isnan(b);
    if (a == b) return std::signbit(a) && !std::signbit(b);
  }
  return a < b;
}

template <class T>
bool same(T a, T b) {
  if constexpr (std::is_floating_point<T>::value) {
    if (std::isnan(a)) return std::isnan(b);
  }
  return std::memcmp(&a, &b, sizeof a) == 0;
}

template <class T>
std::vector<T> random_samples(std::mt19937 &rng, size_t count) {
  std::vector<T> x(count);
  std::uniform_int_distribution<int> small(-6, 6), kind(0, 9);
  for (T &v : x) {
    v = static_cast<T>(small(rng));
    const int k = kind(rng);
    if constexpr (std::is_floating_point<T>::value) {
      if (k == 0) v = std::numeric_limits<T>::quiet_NaN();
      if (k == 1) v = -std::numeric_limits<T>::infinity();
      if (k == 2) v = T(-0.0);
    } else if constexpr (sizeof(T) == 8) {
      if (k == 0) v = std::numeric_limits<T>::max() - static_cast<T>(small(rng) + 6);
      if (k == 1) v = std::numeric_limits<T>::min() + static_cast<T>(small(rng) + 6);
    }
  }
  return x;
}

template <class T>
void check_engine(SampleType type, uint32_t seed) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> size(1, 9);
  for (int trial = 0; trial < 60; ++trial) {
    ImageWindow w = {};
    w.rows = size(rng);
    w.cols = size(rng);
    std::vector<uint8_t> domain(w.rows * w.cols);
    for (uint8_t &d : domain) d = rng() % 3 != 0;
    domain[rng() % domain.size()] = 1;
    for (uint8_t d : domain) w.count += d;
    w.domain = trial % 4 == 0 ? nullptr : domain.data();
    if (!w.domain) w.count = w.rows * w.cols;
    w.rank = static_cast<int32_t>(rng() % w.count);
    std::vector<double> offsets(domain.size());
    for (double &s : offsets) s = static_cast<double>(static_cast<int>(rng() % 7) - 3);
    w.offsets = trial % 5 == 1 ? offsets.data() : nullptr;
    ImageBlock b = {};
    b.type = type;
    b.rows = size(rng) + 3;
    b.cols = size(rng);
    b.samples_ld = b.rows + w.rows - 1 + trial % 3;
    std::vector<T> x = random_samples<T>(rng, b.samples_ld * (b.cols + w.cols - 1));
    std::vector<T> y(b.rows * b.cols);
    b.samples = x.data();
    b.outputs = y.data();
    b.outputs_ld = b.rows;
    b.nan = std::nan("");
    std::vector<char> work(image_ranks_work_bytes(&b, &w));
    image_ranks(&b, &w, work.data());
    for (int64_t j = 0; j < b.cols; ++j) {
      for (int64_t i = 0; i < b.rows; ++i) {
        std::vector<T> window;
        bool comparable = true;
        for (int32_t c = 0; c < w.cols; ++c) {
          for (int32_t r = 0; r < w.rows; ++r) {
            if (w.domain && !w.domain[r + c * w.rows]) continue;
            T v = x[(i + r) + (j + c) * b.samples_ld];
            // Whole offsets: floating-point sums need no rounding; integer sums are compared
            // only where they stay inside the class (64-bit extremes are left to the Octave
            // tests, which check the rounding and saturation).
            if (w.offsets) {
              const double s = w.offsets[r + c * w.rows];
              const double sum = static_cast<double>(v) + s;
              const bool inside = std::is_floating_point<T>::value ||
                                  (std::fabs(static_cast<double>(v)) < 1e6 &&
                                   sum >= static_cast<double>(std::numeric_limits<T>::min()) &&
                                   sum <= static_cast<double>(std::numeric_limits<T>::max()));
              comparable = comparable && inside;
              v = std::is_floating_point<T>::value ? static_cast<T>(v + static_cast<T>(s))
                                                   : static_cast<T>(inside ? sum : 0);
            }
            window.push_back(v);
          }
        }
        std::sort(window.begin(), window.end(), before<T>);
        if (comparable) {
          ASSERT_TRUE(same(y[i + j * b.rows], window[w.rank]))
              << "trial " << trial << " output (" << i << ", " << j << ")";
        }
      }
    }
  }
}

TEST(ImageRanks, EveryOutputIsItsWindowsRankInTheTotalOrder) {
  check_engine<double>(kDoubleSamples, 1);
  check_engine<float>(kSingleSamples, 2);
  check_engine<uint8_t>(kUint8Samples, 3);
  check_engine<int16_t>(kInt16Samples, 4);
  check_engine<int64_t>(kInt64Samples, 5);
  check_engine<uint64_t>(kUint64Samples, 6);
}

std::vector<double> run_job(const ImageJob &shape, const std::vector<double> &x, int64_t band,
                            int32_t threads) {
  ImageJob job = shape;
  std::vector<double> y(x.size());
  job.x = x.data();
  job.y = y.data();
  job.band = band;
  job.threads = threads;
  const ImagePlan plan = plan_image(job);
  std::vector<char> storage(plan.workers * plan.worker_bytes);
  run_image(job, plan, storage.data());
  return y;
}

TEST(ImageJob, TheSameBitsForAnyTileHeightAndThreads) {
  std::mt19937 rng(7);
  const int64_t rows = 301, cols = 257, planes = 2;
  const std::vector<double> x = random_samples<double>(rng, rows * cols * planes);
  const uint8_t domain[] = {1, 0, 1, 1, 1, 0, 0, 1, 1, 1, 1, 1};
  ImageJob job = {};
  job.x_type = job.y_type = kDoubleSamples;
  job.rows = rows;
  job.cols = cols;
  job.planes = planes;
  job.padding = kSymmetricImagePadding;
  job.nan = std::nan("");
  // A domain, a small kernel and a window of ranked sub-blocks; narrow bands read the tiles
  // inside the image in place, the widest copies them (band 0: as the engine prefers).
  const ImageWindow windows[] = {{3, 4, domain, 9, 4, nullptr},
                                 {3, 3, nullptr, 9, 4, nullptr},
                                 {9, 8, nullptr, 72, 30, nullptr}};
  for (const ImageWindow &window : windows) {
    job.window = window;
    const std::vector<double> one = run_job(job, x, 128, 1);
    for (int64_t band : {0, 1, 7, 500}) {
      for (int32_t threads : {1, 2, 3}) {
        const std::vector<double> other = run_job(job, x, band, threads);
        ASSERT_EQ(0, std::memcmp(one.data(), other.data(), one.size() * sizeof(double)))
            << window.rows << "x" << window.cols << ", " << band << " rows a tile, " << threads
            << " threads";
      }
    }
  }
}

TEST(ImageJob, WorkMemoryGrowsWithTheWindowNotTheImage) {
  ImageJob job = {};
  job.x_type = job.y_type = kUint16Samples;
  job.window = {15, 15, nullptr, 225, 112, nullptr};
  job.band = 128;
  job.threads = 2;
  job.planes = 1;
  job.rows = job.cols = 1000;
  const ImagePlan small = plan_image(job);
  job.rows = job.cols = 100000;
  job.planes = 3;
  const ImagePlan large = plan_image(job);
  EXPECT_EQ(small.worker_bytes, large.worker_bytes);
  EXPECT_LT(large.worker_bytes, size_t{8} << 20);
  // The small kernels' taller tiles likewise.
  job.band = 0;
  job.window = {3, 3, nullptr, 9, 4, nullptr};
  EXPECT_LT(plan_image(job).worker_bytes, size_t{1} << 20);
  // A window of 2^31-1 samples still plans a tile whose ranks fit in 32 bits.
  job.window = {46341, 46340, nullptr, 2147441940, 0, nullptr};
  const ImagePlan huge = plan_image(job);
  EXPECT_LE((huge.tile_rows + 46340) * (huge.tile_cols + 46339), int64_t{2147483647});
}

}  // namespace
