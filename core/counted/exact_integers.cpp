// Integer arithmetic of the exact statistics, without any wider integer type: differences of
// keys are taken in uint64 (they fit: both lie in int64), products in two 64-bit halves.
#include "core/counted/exact_integers.h"

#include <cmath>

namespace {

const uint64_t kTopBit = uint64_t{1} << 63;

// a + d, for d no more than the distance from a to some other key (so it fits).
int64_t plus(int64_t a, uint64_t d) {
  return static_cast<int64_t>(static_cast<uint64_t>(a) + d);
}

// b - a, for a <= b.
uint64_t distance(int64_t a, int64_t b) {
  return static_cast<uint64_t>(b) - static_cast<uint64_t>(a);
}

// Whether the key stands for a value of 0 or more.
bool not_negative(int64_t key, bool unsigned_class) {
  return unsigned_class || key >= 0;
}

// 128 bits: high * 2^64 + low.
struct Wide {
  uint64_t high;
  uint64_t low;
};

Wide product(uint64_t a, uint64_t b) {
  const uint64_t a_lo = a & 0xFFFFFFFFu, a_hi = a >> 32, b_lo = b & 0xFFFFFFFFu, b_hi = b >> 32;
  const uint64_t lo_lo = a_lo * b_lo, hi_lo = a_hi * b_lo, lo_hi = a_lo * b_hi;
  const uint64_t cross = (lo_lo >> 32) + (hi_lo & 0xFFFFFFFFu) + (lo_hi & 0xFFFFFFFFu);
  return {a_hi * b_hi + (hi_lo >> 32) + (lo_hi >> 32) + (cross >> 32),
          (cross << 32) | (lo_lo & 0xFFFFFFFFu)};
}

// The whole part of p / 2^shift (53 <= shift; it fits 64 bits as p < 2^117), and how the rest
// compares with one half: -1 below, 0 equal, 1 above.
uint64_t divided(const Wide &p, int shift, int *rest) {
  if (shift >= 128) {
    *rest = -1;  // p < 2^117 <= half
    return 0;
  }
  Wide r, half;
  uint64_t whole;
  if (shift < 64) {
    whole = (p.high << (64 - shift)) | (p.low >> shift);
    r = {0, p.low & ((uint64_t{1} << shift) - 1)};
    half = {0, uint64_t{1} << (shift - 1)};
  } else {
    whole = p.high >> (shift - 64);
    r = {shift == 64 ? 0 : p.high & ((uint64_t{1} << (shift - 64)) - 1), p.low};
    half = shift == 64 ? Wide{0, kTopBit} : Wide{uint64_t{1} << (shift - 65), 0};
  }
  *rest = r.high != half.high ? (r.high < half.high ? -1 : 1)
          : r.low != half.low ? (r.low < half.low ? -1 : 1)
                              : 0;
  return whole;
}

}  // namespace

ExactValue ExactArithmetic::mean(const Value &a, const Value &b) const {
  const uint64_t d = distance(a.key, b.key);
  return {plus(a.key, d / 2), (d & 1) != 0};
}

ExactValue ExactArithmetic::interpolate(const Value &a, const Value &b, double weight) const {
  if (weight == 0) return a;
  if (weight == 1) return b;
  // weight = m * 2^(e - 53) with a 53-bit whole m: (b - a) * weight = (b - a) * m / 2^(53 - e).
  int e = 0;
  const double f = std::frexp(weight, &e);
  const uint64_t m = static_cast<uint64_t>(std::ldexp(f, 53));
  int rest = 0;
  const uint64_t whole = divided(product(distance(a.key, b.key), m), 53 - e, &rest);
  const int64_t key = plus(a.key, whole);
  // A half goes away from zero, which for a negative value is down.
  const bool up = rest > 0 || (rest == 0 && not_negative(key, unsigned_class));
  return {up ? key + 1 : key, false};
}

ExactDeviation ExactArithmetic::deviation(const Value &x, const Value &m) const {
  if (!m.half) {
    const uint64_t d = x.key >= m.key ? distance(m.key, x.key) : distance(x.key, m.key);
    return {d, 0};
  }
  // m = key + 1/2: x lies at least a half away.
  if (x.key > m.key) return {distance(m.key, x.key) - 1, 2};
  return {distance(x.key, m.key), 2};
}

ExactDeviation ExactArithmetic::mean_of_deviations(const Deviation &a, const Deviation &b) const {
  // Deviations are wholes or halves (0 or 2 quarters), so their mean is a whole number of
  // quarters: half the difference of the wholes, and half the quarters.
  const uint64_t d = b.whole - a.whole;  // a <= b
  ExactDeviation mean = {a.whole + d / 2,
                         static_cast<int32_t>(2 * (d & 1)) + (a.quarters + b.quarters) / 2};
  if (mean.quarters >= 4) {
    mean.whole += 1;
    mean.quarters -= 4;
  }
  return mean;
}

uint64_t ExactArithmetic::result(const Value &v) const {
  const int64_t key = v.half && not_negative(v.key, unsigned_class) ? v.key + 1 : v.key;
  return unsigned_class ? static_cast<uint64_t>(key) ^ kTopBit : static_cast<uint64_t>(key);
}

uint64_t ExactArithmetic::result(const Deviation &d) const {
  const uint64_t most = unsigned_class ? ~uint64_t{0} : static_cast<uint64_t>(INT64_MAX);
  const uint64_t whole = d.whole < most && d.quarters >= 2 ? d.whole + 1 : d.whole;
  return whole < most ? whole : most;
}

double ExactArithmetic::nearest(const Value &v) const {
  const double whole = unsigned_class ? static_cast<double>(static_cast<uint64_t>(v.key) ^ kTopBit)
                                      : static_cast<double>(v.key);
  return v.half ? whole + 0.5 : whole;
}

double ExactArithmetic::nearest(const Deviation &d) const {
  return static_cast<double>(d.whole) + 0.25 * d.quarters;
}

int ExactArithmetic::side(const Value &x, const Value &m, double spread) const {
  const Deviation d = deviation(x, m);
  if (d.whole == 0 && d.quarters == 0) return 0;
  const int away = x.key > m.key ? 1 : -1;
  // |x - m| > spread exactly where 2|x - m|, a whole number below 2^66, exceeds floor(2*spread).
  const double twice = 2 * spread;
  if (!(twice < 0x1p66)) return 0;  // beyond every deviation (or NaN: no test)
  if (twice < 0) return away;
  const Wide deviation = {d.whole >> 63, (d.whole << 1) | static_cast<uint64_t>(d.quarters / 2)};
  const double limit = std::floor(twice);
  const double high = std::floor(std::ldexp(limit, -64));
  const Wide bound = {static_cast<uint64_t>(high),
                      static_cast<uint64_t>(limit - std::ldexp(high, 64))};
  const bool beyond =
      deviation.high != bound.high ? deviation.high > bound.high : deviation.low > bound.low;
  return beyond ? away : 0;
}
