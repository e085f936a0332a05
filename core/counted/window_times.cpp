// Exact bounds of windows in time, from the rounding error of a sum (Knuth's two-sum), which a
// double holds exactly whenever the sum is finite.
#include "core/counted/window_times.h"

#include <cmath>
#include <limits>

namespace {

const double kInfinity = std::numeric_limits<double>::infinity();

// The exact value of (a + b) - s, where s is a + b rounded and finite.
double rounding_error(double a, double b, double s) {
  const double b_part = s - a;
  return (a - (s - b_part)) + (b - b_part);
}

// The smallest double at least a + b, and the largest at most a + b. An infinite sum (an
// infinite term, or overflow) bounds every finite time alike either way.
double sum_rounded_up(double a, double b) {
  const double s = a + b;
  if (!std::isfinite(s)) return s;
  return rounding_error(a, b, s) > 0 ? std::nextafter(s, kInfinity) : s;
}

double sum_rounded_down(double a, double b) {
  const double s = a + b;
  if (!std::isfinite(s)) return s;
  return rounding_error(a, b, s) < 0 ? std::nextafter(s, -kInfinity) : s;
}

}  // namespace

TimeBounds window_time_bounds(double t, double back, double forward, bool forward_open) {
  // s >= t - back exactly: s >= the smallest double at least t - back. s < t + forward exactly:
  // s < the smallest double at least t + forward. s <= t + forward: s <= the largest at most it.
  return {sum_rounded_up(t, -back),
          forward_open ? sum_rounded_up(t, forward) : sum_rounded_down(t, forward)};
}
