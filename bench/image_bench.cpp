// Times the image rank engines directly on one 2000-by-2000 plane (one thread), beside a plain
// per-window selection (the samples of each window gathered and nth_element'd) and the general
// sliding rank set (one round) on a 500-by-500 crop, and prints one line a case: engine, class,
// window, image, ns an output pixel (best of the rounds).
// Usage: image_bench [rounds [case prefix [widest vectors: 0 plain, 1 SSE2/NEON, 2 AVX2, 3
// AVX-512]]]
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/images/column_histograms.h"
#include "core/images/high_byte_histograms.h"
#include "core/images/nibble_histograms.h"
#include "core/images/ranked_sub_blocks.h"
#include "core/images/sliding_domain_ranks.h"
#include "core/images/small_kernel_ranks.h"
#include "core/support/vector_width.h"

namespace {

constexpr int64_t kSide = 2000;

struct Plane {
  SampleType type;
  std::vector<char> samples, outputs;
  int64_t ld, rows, cols;
};

enum Image { kUniform, kTwoLevel, kRamp };

// Uniform noise over the class's range (doubles and singles over [0, 1)), two levels (0 and the
// top of the range, each half the samples): a rank that jumps between the ends of the range, or
// (16-bit classes) a ramp across the columns, 300 a column with noise, whose rank takes a new
// high byte at every column.
template <class T>
Plane make_plane(SampleType type, int64_t rows, int64_t cols, int32_t m, int32_t n, Image image) {
  Plane p{type, {}, {}, rows + m - 1, rows, cols};
  const int64_t count = p.ld * (cols + n - 1);
  p.samples.resize(count * sizeof(T));
  p.outputs.resize(rows * cols * sizeof(T));
  std::mt19937_64 rng(1);
  T *x = reinterpret_cast<T *>(p.samples.data());
  for (int64_t i = 0; i < count; ++i) {
    const uint64_t r = rng();
    if (image == kTwoLevel) {
      x[i] = static_cast<T>((r & 1) ? (sizeof(T) == 1 ? 255 : 60000) : 0);
    } else if (image == kRamp) {
      x[i] = static_cast<T>((i / p.ld) * 300 + (r & 7));
    } else if (sizeof(T) >= 4) {
      x[i] = static_cast<T>(static_cast<double>(r >> 11) * 0x1p-53);
    } else {
      x[i] = static_cast<T>(r >> 48);
    }
  }
  return p;
}

// A plain per-window selection, as a general engine would do it.
template <class T>
void select_each_window(const ImageBlock *b, const ImageWindow *w, void *) {
  std::vector<T> window(w->count);
  const T *x = static_cast<const T *>(b->samples);
  T *y = static_cast<T *>(b->outputs);
  for (int64_t j = 0; j < b->cols; ++j) {
    for (int64_t i = 0; i < b->rows; ++i) {
      int32_t q = 0;
      for (int32_t c = 0; c < w->cols; ++c) {
        for (int32_t k = 0; k < w->rows; ++k) window[q++] = x[i + k + (j + c) * b->samples_ld];
      }
      std::nth_element(window.begin(), window.begin() + w->rank, window.end());
      y[i + j * b->outputs_ld] = window[w->rank];
    }
  }
}

typedef void (*RankFunction)(const ImageBlock *, const ImageWindow *, void *);

double time_case(const Plane &p, int32_t m, int32_t n, RankFunction f, int64_t work_bytes,
                 int rounds) {
  const ImageWindow w = {m, n, nullptr, m * n, m * n / 2, nullptr};
  const ImageBlock b = {
      p.type, p.samples.data(), p.ld, p.rows, p.cols, const_cast<char *>(p.outputs.data()), p.rows,
      0.0};
  std::vector<char> work(work_bytes);
  double best = 1e300;
  for (int r = 0; r < rounds; ++r) {
    const auto start = std::chrono::steady_clock::now();
    f(&b, &w, work.data());
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    best = std::min(best, took.count());
  }
  return best * 1e9 / (static_cast<double>(p.rows) * p.cols);
}

const char *type_name(SampleType t) {
  switch (t) {
    case kDoubleSamples:
      return "double";
    case kSingleSamples:
      return "single";
    case kUint8Samples:
      return "uint8";
    case kUint16Samples:
      return "uint16";
    default:
      return "other";
  }
}

// Only the cases whose "engine class window" starts with it, where given.
const char *only = "";

template <class T>
void run(SampleType type, int32_t side, const char *engine, Image image, int rounds) {
  const std::string e = engine;
  const std::string name = e + " " + type_name(type) + " " + std::to_string(side);
  if (name.compare(0, std::strlen(only), only) != 0) return;
  const bool selection = e == "selection" || e == "sliding_domain";
  const int64_t rows = selection ? 500 : kSide;
  Plane p = make_plane<T>(type, rows, rows, side, side, image);
  const ImageWindow w = {side, side, nullptr, side * side, side * side / 2, nullptr};
  const ImageBlock b = {type, p.samples.data(), p.ld, p.rows, p.cols, p.outputs.data(), p.rows, 0};
  RankFunction f = select_each_window<T>;
  int64_t work = 0;
  if (e == "small_kernel") {
    if (!small_kernel_serves(&b, &w)) return;
    f = small_kernel_ranks;
    work = small_kernel_work_bytes(&b, &w);
  } else if (e == "column_histogram") {
    if (!column_histogram_serves(&b, &w)) return;
    f = column_histogram_ranks;
    work = column_histogram_work_bytes(&b, &w);
  } else if (e == "high_byte_histogram") {
    if (!high_byte_histogram_serves(&b, &w)) return;
    f = high_byte_histogram_ranks;
    work = high_byte_histogram_work_bytes(&b, &w);
  } else if (e == "nibble_histogram") {
    if (!nibble_histogram_serves(&b, &w)) return;
    f = nibble_histogram_ranks;
    work = nibble_histogram_work_bytes(&b, &w);
  } else if (e == "ranked_sub_blocks") {
    if (!ranked_sub_blocks_serves(&b, &w)) return;
    f = [](const ImageBlock *block, const ImageWindow *window, void *room) {
      ranked_sub_blocks_ranks(block, window, room);
    };
    work = ranked_sub_blocks_work_bytes(&b, &w);
  } else if (e == "sliding_domain") {
    f = sliding_domain_ranks;
    work = static_cast<int64_t>(sliding_domain_ranks_work_bytes(&b, &w));
  }
  const double ns = time_case(p, side, side, f, work, selection ? 1 : rounds);
  std::printf("%s %s %d %s %lld %.3f\n", engine, type_name(type), side,
              image == kTwoLevel ? "two-level"
              : image == kRamp   ? "ramp"
                                 : "uniform",
              static_cast<long long>(rows), ns);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char **argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 3;
  if (argc > 2) only = argv[2];
  if (argc > 3) limit_vector_width(static_cast<VectorWidth>(std::atoi(argv[3])));
  for (int32_t side : {3, 5, 7}) {
    run<uint8_t>(kUint8Samples, side, "small_kernel", kUniform, rounds);
    run<uint16_t>(kUint16Samples, side, "small_kernel", kUniform, rounds);
    run<float>(kSingleSamples, side, "small_kernel", kUniform, rounds);
    run<double>(kDoubleSamples, side, "small_kernel", kUniform, rounds);
    run<double>(kDoubleSamples, side, "selection", kUniform, rounds);
    run<uint8_t>(kUint8Samples, side, "selection", kUniform, rounds);
  }
  run<double>(kDoubleSamples, 3, "small_kernel", kTwoLevel, rounds);
  run<uint8_t>(kUint8Samples, 8, "small_kernel", kUniform, rounds);
  run<double>(kDoubleSamples, 8, "small_kernel", kUniform, rounds);
  run<double>(kDoubleSamples, 8, "selection", kUniform, rounds);
  for (int32_t side : {5, 7, 8, 9, 15, 31, 51}) {
    run<uint8_t>(kUint8Samples, side, "column_histogram", kUniform, rounds);
    run<uint8_t>(kUint8Samples, side, "column_histogram", kTwoLevel, rounds);
  }
  for (int32_t side : {7, 8, 9, 15, 31, 51}) {
    for (Image image : {kUniform, kTwoLevel, kRamp}) {
      if (side != 7 || image != kUniform) {  // the small kernels serve up to 64 samples
        run<uint16_t>(kUint16Samples, side, "small_kernel", image, rounds);
      }
      run<uint16_t>(kUint16Samples, side, "high_byte_histogram", image, rounds);
      run<uint16_t>(kUint16Samples, side, "nibble_histogram", image, rounds);
      if (side >= 9) run<uint16_t>(kUint16Samples, side, "ranked_sub_blocks", image, rounds);
      if (side >= 9) run<uint16_t>(kUint16Samples, side, "sliding_domain", image, 1);
    }
  }
  for (int32_t side : {8, 9, 15, 31, 51}) {
    for (Image image : {kUniform, kTwoLevel, kRamp}) {
      run<double>(kDoubleSamples, side, "ranked_sub_blocks", image, rounds);
      if (side >= 9) run<double>(kDoubleSamples, side, "sliding_domain", image, 1);
    }
  }
  return 0;
}
