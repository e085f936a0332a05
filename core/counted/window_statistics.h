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

// What the statistics carry from one window to the next: where the MAD's runs started (by
// pair; -1 for none yet, the one in use first), and the quantile's position for the last count
// (neighbouring windows mostly count alike).
struct WindowMemory {
  int64_t run_start[2];
  int32_t run_pair;
  int64_t quantile_count;  // 0: none yet
  QuantilePosition quantile;
};

inline WindowMemory fresh_window_memory() {
  return {{0, -1}, 0, 0, {0, 0, 0}};
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

// The cursors a window keeps for the statistics below: the middle, and two runs of values
// nearest the median (the MAD's), each by its two ends: the run the last window had, and the one
// it had before the run last jumped. A median that alternates between two clusters of values
// moves the run back and forth between two places, each found again from where it was.
enum WindowCursor : int32_t {
  kMiddleCursor,
  kFirstRunCursor,
  kWindowCursors = kFirstRunCursor + 4
};

// The cursor at one end of run `pair` (0 or 1): its start, or (far_end) its far end.
inline WindowCursor run_cursor(int32_t pair, bool far_end) {
  return static_cast<WindowCursor>(kFirstRunCursor + 2 * pair + (far_end ? 1 : 0));
}

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
// all distinct, and the h smallest of them are a run of h consecutive ranks: the one whose start
// a is the first that reaches (the deviation at its far end, a+h-1, exceeds the one at a), or
// the run just before it. The next smallest deviation is next to that run.
//
// Whether a start reaches is monotone in the start, so the first that does is found by a short
// walk from where one of the window's two runs was (the run mostly moves by a rank or two a
// window, or back to where it was before a jump), and otherwise by halving the starts still
// open: O(log c) reads of the window, each of which the window bounds, whatever the signal.
template <class Window, class Arithmetic>
struct MadRuns {
  typedef typename Arithmetic::Deviation Value;
  struct Deviation {
    Value value;
    int64_t order;  // breaks ties
  };

  Window &w;
  const Arithmetic &arithmetic;
  const typename Arithmetic::Value &m;
  int64_t c;
  int64_t h;     // the h-th smallest deviation; for even c also the (h+1)-th
  int64_t last;  // the last start of a run of h
  int64_t lo;    // the first start that reaches lies in lo ... hi (hi = last+1: none does)
  int64_t hi;

  Deviation at(int32_t pair, bool far_end, int64_t k) {
    const double v = w.value(run_cursor(pair, far_end), k);
    return {arithmetic.deviation(arithmetic.read(v), m), k < c / 2 ? -k : c + k};
  }

  static bool below(const Deviation &a, const Deviation &b) {
    return Arithmetic::below(a.value, b.value) ||
           (Arithmetic::same(a.value, b.value) && a.order < b.order);
  }

  bool reaches(int32_t pair, int64_t a) {
    const bool yes = below(at(pair, false, a), at(pair, true, a + h - 1));
    if (yes && a < hi) hi = a;
    if (!yes && a >= lo) lo = a + 1;
    return yes;
  }

  // Walks from start a with cursor pair `pair`, at most `steps` steps: whether it found the first
  // start that reaches (then lo == hi).
  bool walk(int32_t pair, int64_t a, int32_t steps) {
    a = a < lo ? lo : a > hi ? hi : a;
    if (a <= last && !reaches(pair, a)) {
      while (lo < hi && steps-- > 0) reaches(pair, lo);
    } else {
      while (lo < hi && steps-- > 0) reaches(pair, hi - 1);
    }
    return lo == hi;
  }

  // Halves lo ... hi until one start is left.
  void search(int32_t pair) {
    while (lo < hi) reaches(pair, lo + (hi - lo) / 2);
  }

  // The MAD, once lo is the first start that reaches.
  Value mad(int32_t pair) {
    const int64_t a = lo;
    // The h smallest run from a-1 (its near end is the largest) or from a (its far end is).
    Deviation best = {};
    int64_t run = a;
    if (a > 0) best = at(pair, false, a - 1), run = a - 1;
    if (a <= last) {
      const Deviation far_end = at(pair, true, a + h - 1);
      if (a == 0 || below(far_end, best)) best = far_end, run = a;
    }
    if (c % 2 == 1) return best.value;
    // The next smallest deviation lies just outside the best run, on one side or the other.
    Deviation next = {};
    const bool before = run > 0, after = run + h < c;
    if (before) next = at(pair, false, run - 1);
    if (after) {
      const Deviation beyond = at(pair, true, run + h);
      if (!before || below(beyond, next)) next = beyond;
    }
    return arithmetic.mean_of_deviations(best.value, next.value);
  }
};

// Steps a walk from a run's last start may take before the other run is tried, or the starts
// are halved.
const int32_t kMadWalkSteps = 4;

// The MAD of a window; where the median deviates by no number (no MAD), *mad is left as it is.
template <class Window, class Arithmetic>
void window_mad(Window &w, int64_t c, const typename Arithmetic::Value &m, WindowMemory *memory,
                const Arithmetic &arithmetic, typename Arithmetic::Deviation *mad) {
  if (!arithmetic.deviates(m)) return;
  const int64_t h = (c + 1) / 2;
  MadRuns<Window, Arithmetic> runs = {w, arithmetic, m, c, h, c - h, 0, c - h + 1};
  if (c <= 2) {
    // One value, or two: the run is the window.
    const auto first = runs.at(0, false, 0);
    if (c == 1) {
      *mad = first.value;
      return;
    }
    const auto second = runs.at(0, false, 1);
    *mad = runs.below(first, second) ? arithmetic.mean_of_deviations(first.value, second.value)
                                     : arithmetic.mean_of_deviations(second.value, first.value);
    return;
  }
  const int32_t pair = memory->run_pair, other = 1 - pair;
  int32_t found = pair;
  if (!runs.walk(pair, memory->run_start[pair], kMadWalkSteps)) {
    const bool other_found =
        memory->run_start[other] >= 0 && runs.walk(other, memory->run_start[other], kMadWalkSteps);
    // A run found afresh takes the other pair's cursors: this one's is kept for a jump back.
    found = other;
    if (!other_found) runs.search(other);
  }
  memory->run_pair = found;
  memory->run_start[found] = runs.lo;
  *mad = runs.mad(found);
}

#endif
