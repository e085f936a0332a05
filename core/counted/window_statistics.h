// What a moving window gives besides its median: any quantile of its counted samples, by the nine
// definitions of Hyndman and Fan, and the median absolute deviation around its own median. Each
// is computed from a few of the window's order statistics, which a window type hands out through
// value(cursor, k), the k-th smallest of its counted samples (padding included); the cursors let
// the engine keep one place in the order for each order statistic it follows from window to
// window.
#ifndef PLORVENT_CORE_COUNTED_WINDOW_STATISTICS_H
#define PLORVENT_CORE_COUNTED_WINDOW_STATISTICS_H

#include <cmath>
#include <cstdint>
#include <limits>

#include "core/counted/statistic.h"

// The mean of the two middle values a <= b: a + (b-a)/2 when both are finite and of one sign (a
// zero counting as either; b-a cannot overflow), (a+b)/2 otherwise (a+b cannot overflow;
// infinities give what IEEE arithmetic gives).
double mean_of_middles(double a, double b);

// The value a fraction `weight` (0 to 1) of the way from a to b, a <= b: a itself at 0, b at 1,
// either where they are equal, the mean of the middles at 1/2; otherwise a + weight*(b-a) when
// both are finite and of one sign, (1-weight)*a + weight*b when not, so that it cannot overflow.
double interpolated(double a, double b, double weight);

// Where a quantile lies among c >= 1 sorted values (0-based ranks): `weight` of the way from rank
// `lower` to rank `upper` (the same rank when one value gives it). The positions are those of
// GNU Octave's quantile, computed by the same operations so that the same ranks are taken.
struct QuantilePosition {
  int64_t lower;
  int64_t upper;
  double weight;
};

QuantilePosition quantile_position(int64_t c, double p, int32_t method);

// What the statistics carry from one window to the next: where the MAD's run started, and the
// quantile's position for the last count (neighbouring windows mostly count alike).
struct WindowMemory {
  int64_t run_start;
  int64_t quantile_count;  // 0: none yet
  QuantilePosition quantile;
};

inline WindowMemory fresh_window_memory() {
  return {0, 0, {0, 0, 0}};
}

// How the statistics compute with the values they read: doubles as they are. (Exact integers
// have an arithmetic of their own, core/counted/exact_integers.h.)
struct DoubleArithmetic {
  typedef double Value;
  typedef double Deviation;

  Value read(double v) const { return v; }
  Value mean(double a, double b) const { return mean_of_middles(a, b); }
  Value interpolate(double a, double b, double weight) const { return interpolated(a, b, weight); }
  // An infinite (or NaN) median deviates by NaN from some sample: no MAD.
  bool deviates(double m) const { return std::fabs(m) <= std::numeric_limits<double>::max(); }
  Deviation deviation(double x, double m) const { return std::fabs(x - m); }
  Deviation mean_of_deviations(double a, double b) const { return mean_of_middles(a, b); }
  static bool below(double a, double b) { return a < b; }
  static bool same(double a, double b) { return a == b; }
};

// The cursors a window keeps for the statistics below: the middle, and the two ends of the run
// of values nearest the median.
enum WindowCursor : int32_t { kMiddleCursor, kRunStartCursor, kRunEndCursor, kWindowCursors };

template <class Window, class Arithmetic>
typename Arithmetic::Value window_median(Window &w, int64_t c, const Arithmetic &a) {
  if (c % 2 == 1) return a.read(w.value(kMiddleCursor, c / 2));
  const typename Arithmetic::Value lower = a.read(w.value(kMiddleCursor, c / 2 - 1));
  return a.mean(lower, a.read(w.value_after(kMiddleCursor, c / 2 - 1)));
}

template <class Window, class Arithmetic>
typename Arithmetic::Value window_quantile(Window &w, int64_t c, const QuantileChoice &choice,
                                           const Arithmetic &a, WindowMemory *memory) {
  if (memory->quantile_count != c) {
    memory->quantile = quantile_position(c, choice.p, choice.method);
    memory->quantile_count = c;
  }
  const QuantilePosition q = memory->quantile;
  const typename Arithmetic::Value lower = a.read(w.value(kMiddleCursor, q.lower));
  if (q.upper == q.lower) return lower;
  const typename Arithmetic::Value upper = a.read(w.value_after(kMiddleCursor, q.lower));
  return q.weight == 0.5 ? a.mean(lower, upper) : a.interpolate(lower, upper, q.weight);
}

// The median absolute deviation of a window of c >= 1 values around their median m: the median
// of |x - m|. Along the sorted values the deviations fall to the median and rise after it; with
// ties broken by rank (outward from the median, the rising side above the falling one) they are
// all distinct, and the h smallest of them are a run of h consecutive ranks: the one whose
// start a is the first where the deviation at its far end, a+h-1, exceeds the one at a, or the
// run just before it. The next smallest deviation is next to that run. The run moves by a few
// ranks from one window to the next, so it is found from the last window's start (kept in
// `memory`). Where the median deviates by no number (no MAD), *mad is left as it is.
template <class Window, class Arithmetic>
void window_mad(Window &w, int64_t c, const typename Arithmetic::Value &m, WindowMemory *memory,
                const Arithmetic &arithmetic, typename Arithmetic::Deviation *mad) {
  typedef typename Arithmetic::Deviation Value;
  if (!arithmetic.deviates(m)) return;
  struct Deviation {
    Value value;
    int64_t order;  // breaks ties
  };
  // Each cursor's last answer is kept: the search asks for the same ranks again.
  int64_t asked[3] = {-1, -1, -1};
  Value answers[3] = {};
  auto deviation = [&](WindowCursor cursor, int64_t k) {
    if (asked[cursor] != k) {
      answers[cursor] = arithmetic.deviation(arithmetic.read(w.value(cursor, k)), m);
      asked[cursor] = k;
    }
    return Deviation{answers[cursor], k < c / 2 ? -k : c + k};
  };
  auto below = [](const Deviation &a, const Deviation &b) {
    return Arithmetic::below(a.value, b.value) ||
           (Arithmetic::same(a.value, b.value) && a.order < b.order);
  };
  if (c <= 2) {
    const Deviation first = deviation(kMiddleCursor, 0);
    if (c == 1) {
      *mad = first.value;
      return;
    }
    const Deviation second = deviation(kMiddleCursor, 1);
    *mad = below(first, second) ? arithmetic.mean_of_deviations(first.value, second.value)
                                : arithmetic.mean_of_deviations(second.value, first.value);
    return;
  }
  const int64_t h = (c + 1) / 2;  // the h-th smallest deviation; for even c also the (h+1)-th
  auto reached = [&](int64_t a) {
    return below(deviation(kRunStartCursor, a), deviation(kRunEndCursor, a + h - 1));
  };
  const int64_t start = memory->run_start;
  int64_t a = start < 0 ? 0 : (start > c - h + 1 ? c - h + 1 : start);
  while (a <= c - h && !reached(a)) ++a;
  while (a > 0 && reached(a - 1)) --a;
  memory->run_start = a;
  // The h smallest run from a-1 (its near end is the largest) or from a (its far end is).
  Deviation best = {};
  int64_t run = a;
  if (a > 0) best = deviation(kRunStartCursor, a - 1), run = a - 1;
  if (a <= c - h) {
    const Deviation far_end = deviation(kRunEndCursor, a + h - 1);
    if (a == 0 || below(far_end, best)) best = far_end, run = a;
  }
  if (c % 2 == 1) {
    *mad = best.value;
    return;
  }
  // The next smallest deviation lies just outside the best run, on one side or the other.
  Deviation next = {};
  const bool before = run > 0, after = run + h < c;
  if (before) next = deviation(kRunStartCursor, run - 1);
  if (after) {
    const Deviation beyond = deviation(kRunEndCursor, run + h);
    if (!before || below(beyond, next)) next = beyond;
  }
  *mad = arithmetic.mean_of_deviations(best.value, next.value);
}

#endif
