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
};

struct QuantileChoice {
  double p;        // 0 to 1
  int32_t method;  // 1 to 9
};

struct MovingStatistic {
  StatisticKind kind;
  union {
    QuantileChoice quantile;  // kQuantileStatistic only
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

// The most results any statistic gives for an output.
const int32_t kMostStatisticResults = 2;

// The results a statistic gives for each output, in the order its caller receives them: the
// statistic's value, then (for the MAD) the window's median.
inline int32_t statistic_results(const MovingStatistic &s) {
  switch (s.kind) {
    case kMadStatistic:
      return 2;
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
