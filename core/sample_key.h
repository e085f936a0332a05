// Integer keys that order samples totally by their bit patterns: -NaN < -Inf < ... < -0.0 <
// +0.0 < ... < +Inf < +NaN. Wherever two samples compare equal as doubles their keys are equal or
// adjacent, so the rank-k key of a window names the rank-k value; and equal keys mean identical
// bits, so a slot can be found again by its key without confusing -0.0 with +0.0.
#ifndef PLORVENT_CORE_SAMPLE_KEY_H
#define PLORVENT_CORE_SAMPLE_KEY_H

#include <cstdint>
#include <cstring>

inline int64_t key_of(double v) {
  int64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  return bits ^ ((bits >> 63) & INT64_MAX);  // negative values: reverse their order
}

inline double value_of(int64_t key) {
  const int64_t bits = key ^ ((key >> 63) & INT64_MAX);
  double v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

#endif
