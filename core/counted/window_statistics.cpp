// The arithmetic of the window statistics.
#include "core/counted/window_statistics.h"

#include "core/support/unfused_arithmetic.h"

namespace {

// x rounded to the nearest whole number, halves to the even one (as Octave's roundb), whatever
// rounding mode the processor is in.
double round_half_even(double x) {
  const double whole = std::floor(x), rest = x - whole;
  if (rest > 0.5 || (rest == 0.5 && std::fmod(whole, 2) != 0)) return whole + 1;
  return whole;
}

// The 1-based position t of methods 4 to 9: the quantile lies between sorted values floor(t) and
// floor(t)+1.
double interpolation_point(double p, double m, int32_t method) {
  switch (method) {
    case 4:
      return p * m;
    case 5:
      return p * m + 0.5;
    case 6:
      return p * (m + 1);
    case 7:
      return p * (m - 1) + 1;
    case 8:
      return p * (m + 1.0 / 3) + 1.0 / 3;
    default:
      return p * (m + 0.25) + 0.375;
  }
}

double at_least_one(double v) {
  return v < 1 ? 1 : v;
}

QuantilePosition single(int64_t rank) {
  return {rank, rank, 0};
}

// Finite and on one side of zero, a zero on either side (so that which zero a value is never
// changes which formula is taken).
bool finite_and_of_one_sign(double a, double b) {
  return std::isfinite(a) && std::isfinite(b) && ((a <= 0 && b <= 0) || (a >= 0 && b >= 0));
}

}  // namespace

double mean_of_middles(double a, double b) {
  if (finite_and_of_one_sign(a, b)) return a + (b - a) / 2;
  return (a + b) / 2;
}

double interpolated(double a, double b, double weight) {
  if (weight == 0 || a == b) return a;
  if (weight == 1) return b;
  if (weight == 0.5) return mean_of_middles(a, b);
  if (finite_and_of_one_sign(a, b)) return a + weight * (b - a);
  return (1 - weight) * a + weight * b;
}

QuantilePosition quantile_position(int64_t c, double p, int32_t method) {
  const double m = static_cast<double>(c);
  switch (method) {
    case 1:
      return single(static_cast<int64_t>(at_least_one(std::ceil(p * m))) - 1);
    case 2: {
      const double t = p * m;
      const int64_t lower = static_cast<int64_t>(at_least_one(std::ceil(t))) - 1;
      const double next = std::floor(t + 1);
      const int64_t upper = static_cast<int64_t>(next < m ? next : m) - 1;
      return {lower, upper, 0.5};
    }
    case 3:
      return single(static_cast<int64_t>(round_half_even(at_least_one(p * m))) - 1);
    default: {
      const double t = interpolation_point(p, m, method);
      const double below = at_least_one(std::floor(t) < m - 1 ? std::floor(t) : m - 1);
      const double rest = t - below;
      const double weight = rest > 1 ? 1 : rest < 0 ? 0 : rest;
      const int64_t lower = static_cast<int64_t>(below) - 1;
      if (c == 1 || weight == 0) return single(lower);
      if (weight == 1) return single(lower + 1);
      return {lower, lower + 1, weight};
    }
  }
}
