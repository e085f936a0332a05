// Integer keys that order samples totally by their bit patterns: -NaN < -Inf < ... < -0.0 <
// +0.0 < ... < +Inf < +NaN. Wherever two samples compare equal as doubles their keys are equal or
// adjacent, so the rank-k key of a window names the rank-k value; and equal keys mean identical
// bits, so a slot can be found again by its key without confusing -0.0 with +0.0.
#ifndef PLORVENT_CORE_SAMPLE_KEY_H
#define PLORVENT_CORE_SAMPLE_KEY_H

#include <cstdint>
#include <cstring>

// Negative values have every bit but the sign flipped, which reverses their order.
inline uint64_t flip_negative(uint64_t bits) {
  return bits ^ ((0 - (bits >> 63)) >> 1);
}

inline int64_t key_of(double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  bits = flip_negative(bits);
  int64_t key;
  std::memcpy(&key, &bits, sizeof key);
  return key;
}

inline double value_of(int64_t key) {
  uint64_t bits;
  std::memcpy(&bits, &key, sizeof bits);
  bits = flip_negative(bits);
  double v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

#endif
