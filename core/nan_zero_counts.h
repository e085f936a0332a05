// Counts of the samples that the key order cannot place, NaN and the two zeros, as windows slide.
#ifndef PLORVENT_CORE_NAN_ZERO_COUNTS_H
#define PLORVENT_CORE_NAN_ZERO_COUNTS_H

#include <cmath>
#include <cstdint>

struct SpecialCounts {
  int64_t nan;
  int64_t negative_zero;
  int64_t positive_zero;
};

// Counts v `times` times (negative to take it out again).
inline void count_special(SpecialCounts &c, double v, int64_t times) {
  if (v != v) {
    c.nan += times;
  } else if (v == 0) {
    (std::signbit(v) ? c.negative_zero : c.positive_zero) += times;
  }
}

// A NaN has no place in the order, and which zero comes out of a window holding both depends on
// the selection's exchanges; any other median has one bit pattern only.
inline bool holds_both_zeros_around(const SpecialCounts &c, double median) {
  return median == 0 && c.negative_zero > 0 && c.positive_zero > 0;
}

inline bool needs_selection(const SpecialCounts &c, double median) {
  return c.nan > 0 || holds_both_zeros_around(c, median);
}

#endif
