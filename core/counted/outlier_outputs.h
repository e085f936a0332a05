// The outlier tests finished window by window, from the window's median and MAD as soon as the
// engine has them: Hampel's filtered sample, flag, median and sigma, and the moving-median test's
// filled sample, flag, bounds and median, each only where the caller takes it. Doubles and
// singles decide as the host computes the same formulas, in the samples' precision; 64-bit
// integers decide exactly, whatever their magnitude.
#ifndef PLORVENT_CORE_COUNTED_OUTLIER_OUTPUTS_H
#define PLORVENT_CORE_COUNTED_OUTLIER_OUTPUTS_H

#include <cmath>
#include <cstdint>
#include <cstring>

#include "core/counted/exact_integers.h"
#include "core/counted/statistic.h"
#include "core/support/unfused_arithmetic.h"

// Where a test's results go, in the order statistic_results gives them (null where not taken),
// and the samples tested, aligned with the outputs. `scratch` holds the MADs and medians of
// kOutlierChunk outputs for engines that hand them out a block at a time.
struct OutlierOutputs {
  bool active;
  bool hampel;
  OutlierTest test;
  const double *samples;
  double *at[kMostStatisticResults];
  double *scratch;
};

const int64_t kOutlierChunk = 1 << 12;

inline OutlierOutputs shifted(const OutlierOutputs &o, int64_t offset) {
  OutlierOutputs s = o;
  if (!o.active) return s;
  s.samples += offset;
  for (double *&at : s.at) {
    if (at) at += offset;
  }
  return s;
}

// One output's results: `filled` may hold the 64 bits of an exact integer rather than a double.
struct OutlierValues {
  double filled;
  bool flag;
  double lower;
  double upper;
  double center;
  double sigma;
};

inline void store_outlier(const OutlierOutputs &o, int64_t i, const OutlierValues &v) {
  double *const *at = o.at;
  if (at[0]) at[0][i] = v.filled;
  if (at[1]) at[1][i] = v.flag ? 1.0 : 0.0;
  if (o.hampel) {
    if (at[2]) at[2][i] = v.center;
    if (at[3]) at[3][i] = v.sigma;
    return;
  }
  if (at[2]) at[2][i] = v.lower;
  if (at[3]) at[3][i] = v.upper;
  if (at[4]) at[4][i] = v.center;
}

// The test of sample x against its window's median m and MAD in precision F, by the formulas
// the host evaluates: sigma = scale * MAD, spread = factor * sigma; Hampel flags |x - m| >
// spread, the moving-median test x < m - spread or x > m + spread. A NaN anywhere flags nothing.
template <class F>
OutlierValues tested_in(const OutlierOutputs &o, double x, double m, double mad) {
  const OutlierTest &t = o.test;
  const F xf = static_cast<F>(x), mf = static_cast<F>(m);
  const F sigma = static_cast<F>(t.scale) * static_cast<F>(mad);
  const F spread = static_cast<F>(t.factor) * sigma;
  OutlierValues v = {xf, false, mf - spread, mf + spread, mf, sigma};
  const bool below = xf<static_cast<F>(v.lower), above = xf> static_cast<F>(v.upper);
  v.flag = o.hampel ? std::abs(xf - mf) > spread : below | above;
  // The replacement is chosen by the call, the same for every output; whether it is taken is
  // chosen by the sample, so it is selected rather than branched to (flags are unpredictable).
  F replacement = xf;
  switch (o.hampel ? kCenterFill : t.fill) {
    case kCenterFill:
      replacement = mf;
      break;
    case kClipFill:
      replacement = below ? static_cast<F>(v.lower) : static_cast<F>(v.upper);
      break;
    case kConstantFill:
      replacement = static_cast<F>(t.fill_value);
      break;
    case kNoFill:
      break;
  }
  v.filled = v.flag ? replacement : xf;
  return v;
}

inline void finish_double_outlier(const OutlierOutputs &o, int64_t i, double m, double mad) {
  const double x = o.samples[i];
  store_outlier(
      o, i,
      o.test.single_precision ? tested_in<float>(o, x, m, mad) : tested_in<double>(o, x, m, mad));
}

// The 64 bits of an integer of the exact class in a result's slot.
inline double bits_as_slot(uint64_t bits) {
  double slot;
  std::memcpy(&slot, &bits, sizeof bits);
  return slot;
}

// A double bound as the class holds it: rounded, halves away from zero, and saturated.
inline uint64_t bound_bits(const ExactArithmetic &a, double v) {
  if (v != v) return 0;
  const double nearest = std::round(v);
  if (a.unsigned_class) {
    if (nearest <= 0) return 0;
    return nearest >= 0x1p64 ? ~uint64_t{0} : static_cast<uint64_t>(nearest);
  }
  if (nearest <= -0x1p63) return uint64_t{1} << 63;
  if (nearest >= 0x1p63) return static_cast<uint64_t>(INT64_MAX);
  return static_cast<uint64_t>(static_cast<int64_t>(nearest));
}

// The test of an exact integer x against the exact median m and MAD of its window. The
// statistics returned are doubles (the median's nearest, and the bounds from it); the decision
// compares the exact x - m with the double spread, so no rounding decides it. A replaced sample
// takes the exact median rounded into the class, or the double bound converted as the host
// converts.
inline void finish_exact_outlier(const OutlierOutputs &o, const ExactArithmetic &a, int64_t i,
                                 const ExactValue &m, const ExactDeviation &mad) {
  const OutlierTest &t = o.test;
  const ExactValue x = a.read(o.samples[i]);
  const double center = a.nearest(m);
  const double sigma = t.scale * a.nearest(mad);
  const double spread = t.factor * sigma;
  OutlierValues v = {bits_as_slot(a.result(x)), false,  center - spread,
                     center + spread,           center, sigma};
  const int side = a.side(x, m, spread);
  v.flag = side != 0;
  if (v.flag) {
    switch (o.hampel ? kCenterFill : t.fill) {
      case kCenterFill:
        v.filled = bits_as_slot(a.result(m));
        break;
      case kClipFill:
        v.filled = bits_as_slot(bound_bits(a, side < 0 ? v.lower : v.upper));
        break;
      case kConstantFill:
        v.filled = bits_as_slot(a.result(ExactValue{t.fill_key, false}));
        break;
      case kNoFill:
        break;
    }
  }
  store_outlier(o, i, v);
}

// A window that gives no median: its sample is tested against NaN, which flags nothing.
inline void finish_missing_outlier(const OutlierOutputs &o, const ExactArithmetic *exact,
                                   int64_t i) {
  const double nan = std::nan("");
  if (!exact) {
    finish_double_outlier(o, i, nan, nan);
    return;
  }
  const OutlierValues v = {
      bits_as_slot(exact->result(exact->read(o.samples[i]))), false, nan, nan, nan, nan};
  store_outlier(o, i, v);
}

#endif
