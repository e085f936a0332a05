// What each window of a moving statistic gives, described once: a kind, and the parameters that
// kind alone has (only a quantile carries a probability and a method), and the results it hands
// back for each output. Whoever reads a statistic switches on its kind and reads only that
// kind's parameters.
#ifndef PLORVENT_CORE_COUNTED_STATISTIC_H
#define PLORVENT_CORE_COUNTED_STATISTIC_H

#include <cstdint>

enum StatisticKind : int32_t {
  kMedianStatistic,
  kQuantileStatistic,  // of probability p by method 1 ... 9 (Hyndman and Fan's numbering)
  kMadStatistic,       // the median absolute deviation around the window's median
  kHampelStatistic,    // Hampel's filter: each sample tested against its window's median and MAD
  kOutlierStatistic,   // outliers as isoutlier finds them by a moving median, with a fill
};

// How the outlier test replaces an outlier in its filled result: not at all (no filled result),
// by the window's median, by the bound it crossed, or by a constant.
enum OutlierFill : int32_t { kNoFill, kCenterFill, kClipFill, kConstantFill };

// The outlier tests: a sample is an outlier where it lies more than factor * scale * MAD from its
// window's median (Hampel's nsigma, or isoutlier's threshold factor; the scale takes the MAD to a
// standard deviation). With single samples the host computes the test in single precision, and
// so does the module.
struct OutlierTest {
  double factor;
  double scale;
  OutlierFill fill;
  double fill_value;  // kConstantFill, in the class of the filled result
  int64_t fill_key;   // kConstantFill with 64-bit integers: the value exactly, as a key
  bool single_precision;
};

struct QuantileChoice {
  double p;        // 0 to 1
  int32_t method;  // 1 to 9
};

struct MovingStatistic {
  StatisticKind kind;
  union {
    QuantileChoice quantile;  // kQuantileStatistic only
    OutlierTest outlier;      // kHampelStatistic and kOutlierStatistic only
  };
};

inline MovingStatistic median_statistic() {
  MovingStatistic s{};
  s.kind = kMedianStatistic;
  return s;
}

inline MovingStatistic quantile_statistic(double p, int32_t method) {
  MovingStatistic s{};
  s.kind = kQuantileStatistic;
  s.quantile = {p, method};
  return s;
}

inline MovingStatistic mad_statistic() {
  MovingStatistic s{};
  s.kind = kMadStatistic;
  return s;
}

inline MovingStatistic outlier_statistic(StatisticKind kind, const OutlierTest &test) {
  MovingStatistic s{};
  s.kind = kind;
  s.outlier = test;
  return s;
}

inline bool is_outlier_test(const MovingStatistic &s) {
  return s.kind == kHampelStatistic || s.kind == kOutlierStatistic;
}

// What the engines compute for a statistic: the outlier tests are finished from each window's
// MAD and median.
inline MovingStatistic engine_statistic(const MovingStatistic &s) {
  return is_outlier_test(s) ? mad_statistic() : s;
}

// The most results any statistic gives for an output.
const int32_t kMostStatisticResults = 5;

// The results a statistic gives for each output, in the order its caller receives them: the
// statistic's value, then (for the MAD) the window's median; Hampel's filtered sample, its flag,
// the window's median and its sigma (scale * MAD); the outlier test's filled sample, its flag,
// the lower and upper bounds and the window's median.
inline int32_t statistic_results(const MovingStatistic &s) {
  switch (s.kind) {
    case kMadStatistic:
      return 2;
    case kHampelStatistic:
      return 4;
    case kOutlierStatistic:
      return 5;
    case kMedianStatistic:
    case kQuantileStatistic:
      break;
  }
  return 1;
}

// The quantile methods whose quantile of probability 1/2 is the median for every count are the
// median, which the fixed-window engines may serve.
inline MovingStatistic normalised_statistic(const MovingStatistic &s) {
  if (s.kind != kQuantileStatistic || s.quantile.p != 0.5) return s;
  const int32_t m = s.quantile.method;
  const bool median_position = m == 2 || (m >= 5 && m <= 7) || m == 9;
  return median_position ? median_statistic() : s;
}

#endif
