// Helpers shared by the tests and the fuzzers: bit-exact comparison, exact-size copies, arrays
// read back from the host, reproducible samples dense in ties, NaN and zeros of both signs, and
// the slow references the fast paths are checked against (paddings written out a sample at a
// time, the fixed-window filter window by window, moving windows gathered and sorted).
#ifndef PLORVENT_TESTS_TEST_SUPPORT_H
#define PLORVENT_TESTS_TEST_SUPPORT_H

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "core/counted/moving_statistics.h"
#include "core/running_median.h"
#include "core/selection/per_window_medians.h"
#include "core/support/vector_width.h"
#include "mex.h"

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

// Runs check(width) with the vectors limited to each width the processor has in turn, narrowest
// first, then lifts the limit again.
template <class Check>
void at_every_vector_width(Check check) {
  limit_vector_width(kAvx512);
  const VectorWidth widest = usable_vector_width();
  for (int width = kScalar; width <= widest; ++width) {
    limit_vector_width(static_cast<VectorWidth>(width));
    check(width);
  }
  limit_vector_width(kAvx512);
}

// ---- Bits and copies ----

inline uint64_t bits_of(double v) {
  uint64_t b;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

// Whether p[0 ... a.size()-1] holds a's bits.
inline bool same_bits(const std::vector<double> &a, const double *p) {
  for (size_t i = 0; i < a.size(); ++i) {
    if (bits_of(a[i]) != bits_of(p[i])) return false;
  }
  return true;
}

inline bool same_bits(const std::vector<double> &a, const std::vector<double> &b) {
  return a.size() == b.size() && same_bits(a, b.data());
}

// A heap copy of exactly v.size() elements, so that AddressSanitizer reports any read past it.
inline std::unique_ptr<double[]> exact_copy(const std::vector<double> &v) {
  std::unique_ptr<double[]> p(new double[v.size()]);
  std::copy(v.begin(), v.end(), p.get());
  return p;
}

// The elements of a full double array, as the host holds them; empty for any other array.
inline std::vector<double> contents(const mxArray *a) {
  if (!mxIsDouble(a) || mxIsSparse(a)) return {};
  const double *p = mxGetPr(a);
  return std::vector<double>(p, p + mxGetNumberOfElements(a));
}

// ---- Reproducible samples ----

// splitmix64: the same sequence on every machine and every run.
struct Random {
  uint64_t state;
  uint64_t next() {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
};

// Mostly spread values; one in four a small integer (ties); one in eight NaN, a signed zero or an
// infinity.
inline double mixed_sample(Random &random) {
  const uint64_t r = random.next();
  const uint64_t kind = r % 32;
  if (kind == 0) return kNaN;
  if (kind == 1) return -0.0;
  if (kind == 2) return 0.0;
  if (kind == 3) return (r & 64) ? kInf : -kInf;
  if (kind < 12) return static_cast<double>(static_cast<int>((r >> 40) % 7) - 3);
  return static_cast<double>(r >> 11) * 0x1p-53 * 200.0 - 100.0;
}

// Only NaN, zeros of both signs and +-1: windows where the selection order decides the bits.
inline double nan_zero_one_sample(Random &random) {
  const double values[] = {kNaN, -0.0, 0.0, 1.0, -1.0};
  return values[random.next() % 5];
}

inline std::vector<double> samples(Random &random, size_t count, double (*draw)(Random &)) {
  std::vector<double> v(count);
  for (double &d : v) d = draw(random);
  return v;
}

// ---- Slow references ----

// The zero a window's zero median is: -0.0 when the window's zeros are all -0.0, +0.0 otherwise.
inline double zero_by_count(const std::vector<double> &window) {
  bool negative = false, positive = false;
  for (double v : window) {
    negative = negative || (v == 0 && std::signbit(v));
    positive = positive || (v == 0 && !std::signbit(v));
  }
  return negative && !positive ? -0.0 : 0.0;
}

// Sample t of x (not empty) extended by a generated padding, one reflection or wrap at a time.
inline double padded_sample(const std::vector<double> &x, int64_t t, Padding padding, double fill) {
  const int64_t n = static_cast<int64_t>(x.size());
  while (t < 0 || t >= n) {
    if (padding == kReplicatePadding) {
      t = t < 0 ? 0 : n - 1;
    } else if (padding == kPeriodicPadding) {
      t += t < 0 ? n : -n;
    } else if (padding == kSymmetricPadding) {
      t = t < 0 ? -1 - t : 2 * n - 1 - t;
    } else {
      return fill;
    }
  }
  return x[t];
}

// The fixed-window filter of one signal: its padding written out into extension arrays, every
// window selected on its own, and with include_nan every window holding a NaN set to
// not_a_number and every other zero median signed by the window's zeros.
inline std::vector<double> reference_filter_signal(const std::vector<double> &x, int32_t W2,
                                                   Padding padding, double fill, bool include_nan,
                                                   double not_a_number) {
  const int64_t n = static_cast<int64_t>(x.size());
  std::vector<double> xic, xfc, out(x.size());
  if (n == 0) return out;  // no padding to take from an empty signal
  for (int64_t t = -W2; t < 0; ++t) xic.push_back(padded_sample(x, t, padding, fill));
  for (int64_t t = n; t < n + W2; ++t) xfc.push_back(padded_sample(x, t, padding, fill));
  running_median_per_window(x.data(), out.data(), xic.data(), xfc.data(), static_cast<int32_t>(n),
                            2 * W2 + 1, W2);
  for (int64_t i = 0; i < n && include_nan; ++i) {
    std::vector<double> window;
    for (int64_t t = i - W2; t <= i + W2; ++t) window.push_back(padded_sample(x, t, padding, fill));
    if (std::any_of(window.begin(), window.end(), [](double v) { return std::isnan(v); })) {
      out[i] = not_a_number;
    } else if (out[i] == 0) {
      out[i] = zero_by_count(window);
    }
  }
  return out;
}

// Applies `filter` (a signal's samples to its results) to every signal of an array of `outer`
// groups of `length` x `stride` samples: sample t of signal (a, b) is element
// a*length*stride + t*stride + b.
template <class Filter>
std::vector<double> per_signal(const std::vector<double> &x, int64_t length, int64_t stride,
                               int64_t outer, Filter filter) {
  std::vector<double> y(x.size());
  for (int64_t a = 0; a < outer; ++a) {
    for (int64_t b = 0; b < stride; ++b) {
      const int64_t start = a * length * stride + b;
      std::vector<double> signal;
      for (int64_t t = 0; t < length; ++t) signal.push_back(x[start + t * stride]);
      const std::vector<double> results = filter(signal);
      for (int64_t t = 0; t < length; ++t) y[start + t * stride] = results[t];
    }
  }
  return y;
}

inline bool in_moving_window(const MovingWindows &w, int64_t i, int64_t j) {
  if (w.times == nullptr) return j >= i - w.back && j <= i + w.forward;
  // Differences of nearby times are exact, where t + forward may round to t.
  const double d = w.times[j] - w.times[i];
  return d >= -w.time_back && (w.forward_open ? d < w.time_forward : d <= w.time_forward);
}

// Output i of a moving statistic of x: its window's counted samples gathered and sorted, the
// statistic taken from them (the MAD as the median of every deviation from the median, each
// computed and sorted), a zero median or quantile signed by their zeros. With the MAD, *median
// receives the window's median (unless null).
inline double reference_moving_statistic(const std::vector<double> &x, const MovingWindows &w,
                                         const MovingStatistic &s, int64_t i,
                                         double *median = nullptr) {
  const int64_t n = static_cast<int64_t>(x.size());
  std::vector<double> window;
  for (int64_t j = 0; j < n; ++j) {
    if (in_moving_window(w, i, j)) window.push_back(x[j]);
  }
  if (w.padded) {
    const int64_t outside =
        std::max<int64_t>(0, w.back - i) + std::max<int64_t>(0, i + w.forward - (n - 1));
    window.insert(window.end(), outside, w.fill);
  }
  std::vector<double> counted;
  bool nan = false;
  for (double v : window) {
    if (!std::isnan(v)) counted.push_back(v);
    nan = nan || (std::isnan(v) && !w.omit_nan);
  }
  if (median) *median = kNaN;
  if (counted.empty() || nan) return kNaN;
  std::sort(counted.begin(), counted.end());
  auto middle_of = [](const std::vector<double> &v) {
    const size_t c = v.size();
    return c % 2 == 1 ? v[c / 2] : mean_of_middles(v[c / 2 - 1], v[c / 2]);
  };
  auto signed_zero = [&](double v) { return v == 0 ? zero_by_count(counted) : v; };
  const double m = middle_of(counted);
  if (s.kind == kMedianStatistic) return signed_zero(m);
  if (s.kind == kQuantileStatistic) {
    const QuantilePosition q =
        quantile_position(static_cast<int64_t>(counted.size()), s.quantile.p, s.quantile.method);
    return signed_zero(interpolated(counted[q.lower], counted[q.upper], q.weight));
  }
  if (median) *median = signed_zero(m);
  std::vector<double> deviations;
  for (double v : counted) deviations.push_back(std::fabs(v - m));
  std::sort(deviations.begin(), deviations.end());
  return std::isfinite(m) ? middle_of(deviations) : kNaN;
}

// Whether two results are the same: the same bits, or both NaN (of any payload).
inline bool same_result(double a, double b) {
  return bits_of(a) == bits_of(b) || (std::isnan(a) && std::isnan(b));
}

#endif
