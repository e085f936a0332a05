// What a moving window gives and where it goes, for every engine that computes windows one by
// one: the statistic of each output and, with the MAD, each window's median too, stored as
// doubles or as the 64 bits of an exact integer class. An engine hands its window (anything
// that answers value(cursor, k), core/counted/window_statistics.h) to finish_window.
#ifndef PLORVENT_CORE_COUNTED_WINDOW_OUTPUTS_H
#define PLORVENT_CORE_COUNTED_WINDOW_OUTPUTS_H

#include <cstdint>
#include <cstring>
#include <limits>

#include "core/counted/exact_integers.h"
#include "core/counted/moving_statistics.h"
#include "core/counted/outlier_outputs.h"
#include "core/counted/window_statistics.h"
#include "core/support/interruption.h"
#include "core/support/nan_and_zeros.h"

// Windows an engine computes between two polls of stop_requested(): at most a few milliseconds
// of work, however the signal makes a window cost.
const int64_t kWindowsBetweenPolls = 1 << 12;

// What the windows give, and where. With exact integers the samples are ranks into their keys,
// and each output slot receives the 64 bits of the result in its integer class.
// An outlier test has its engines compute the MAD, and finishes each window's test from it
// instead of storing the MAD.
struct Outputs {
  MovingStatistic statistic;  // as the engines compute it
  const ExactArithmetic *exact;
  double *values;   // the statistic of each output
  double *medians;  // with the MAD, each window's median (null where not taken)
  OutlierOutputs outliers;
};

// The outputs of `results` for samples x (aligned with them); `scratch` holds 2 * kOutlierChunk
// doubles for an outlier test.
inline Outputs outputs_to(const MovingStatistic &s, const ExactArithmetic *exact,
                          const StatisticResults &results, const double *x, double *scratch) {
  Outputs o = {engine_statistic(s), exact, nullptr, nullptr, {}};
  if (!is_outlier_test(s)) {
    o.values = results.at[0];
    o.medians = s.kind == kMadStatistic ? results.at[1] : nullptr;
    return o;
  }
  o.outliers = {true, s.kind == kHampelStatistic, s.outlier, x, {}, scratch};
  for (int32_t r = 0; r < kMostStatisticResults; ++r) o.outliers.at[r] = results.at[r];
  return o;
}

// The same outputs from `offset` on.
inline Outputs from(const Outputs &o, int64_t offset) {
  return {o.statistic, o.exact, o.values ? o.values + offset : nullptr,
          o.medians ? o.medians + offset : nullptr, shifted(o.outliers, offset)};
}

// How a window's results are stored: doubles as they are, a zero median or quantile signed by
// the window's zeros and NaN where a window gives none; exact integers as the 64 bits of their
// class, 0 where a window gives none (as the host converts NaN).
struct DoubleResults {
  DoubleArithmetic arithmetic;

  void value(double *slot, double v, const SpecialCounts &specials) const {
    *slot = signed_by_count(v, specials);
  }
  void deviation(double *slot, double d) const { *slot = d; }
  void none(double *slot) const { *slot = std::numeric_limits<double>::quiet_NaN(); }
  double no_deviation() const { return std::numeric_limits<double>::quiet_NaN(); }
  void outlier(const Outputs &o, int64_t i, double m, double mad,
               const SpecialCounts &specials) const {
    finish_double_outlier(o.outliers, i, signed_by_count(m, specials), mad);
  }
};

struct ExactResults {
  ExactArithmetic arithmetic;

  static void store_bits(double *slot, uint64_t bits) { std::memcpy(slot, &bits, sizeof bits); }
  void value(double *slot, const ExactValue &v, const SpecialCounts &) const {
    store_bits(slot, arithmetic.result(v));
  }
  void deviation(double *slot, const ExactDeviation &d) const {
    store_bits(slot, arithmetic.result(d));
  }
  void none(double *slot) const { store_bits(slot, 0); }
  ExactDeviation no_deviation() const { return {0, 0}; }
  void outlier(const Outputs &o, int64_t i, const ExactValue &m, const ExactDeviation &mad,
               const SpecialCounts &) const {
    finish_exact_outlier(o.outliers, arithmetic, i, m, mad);
  }
};

// A window's median or quantile, as the statistic `s` asks.
template <class Window, class Arithmetic>
typename Arithmetic::Value window_value(Window &window, int64_t count, const MovingStatistic &s,
                                        const Arithmetic &a, WindowMemory *memory) {
  if (s.kind == kQuantileStatistic) return window_quantile(window, count, s.quantile, a, memory);
  return window_median(window, count, a);
}

// Output i of a window: none where it holds a NaN that counts, or nothing at all; the statistic
// otherwise. `specials` and `count` take in the padding.
template <class Window, class Results>
void finish_window(Window &window, const MovingWindows &w, const SpecialCounts &specials,
                   int64_t count, const Outputs &o, int64_t i, WindowMemory *memory,
                   const Results &results) {
  const auto &a = results.arithmetic;
  double *median = o.medians ? o.medians + i : nullptr;
  if ((!w.omit_nan && specials.nan > 0) || count == 0) {
    if (o.outliers.active) {
      finish_missing_outlier(o.outliers, o.exact, i);
      return;
    }
    results.none(o.values + i);
    if (median) results.none(median);
    return;
  }
  switch (o.statistic.kind) {
    case kHampelStatistic:  // never the engine's statistic
    case kOutlierStatistic:
    case kMedianStatistic:
    case kQuantileStatistic:
      results.value(o.values + i, window_value(window, count, o.statistic, a, memory), specials);
      break;
    case kMadStatistic: {
      const auto m = window_median(window, count, a);
      auto mad = results.no_deviation();
      window_mad(window, count, m, memory, a, &mad);
      if (o.outliers.active) {
        results.outlier(o, i, m, mad, specials);
        break;
      }
      results.deviation(o.values + i, mad);
      if (median) results.value(median, m, specials);
      break;
    }
  }
}

template <class Window>
void finish_window(Window &window, const MovingWindows &w, const SpecialCounts &specials,
                   int64_t count, const Outputs &o, int64_t i, WindowMemory *memory) {
  if (o.exact) {
    finish_window(window, w, specials, count, o, i, memory, ExactResults{*o.exact});
  } else {
    finish_window(window, w, specials, count, o, i, memory, DoubleResults{});
  }
}

#endif
