// Integer keys that order samples totally by their bit patterns: -NaN < -Inf < ... < -0.0 <
// +0.0 < ... < +Inf < +NaN. Wherever two samples compare equal as doubles their keys are equal or
// adjacent, so the rank-k key of a window names the rank-k value; and equal keys mean identical
// bits, so a slot can be found again by its key without confusing -0.0 with +0.0.
#ifndef PLORVENT_CORE_SUPPORT_SAMPLE_KEY_H
#define PLORVENT_CORE_SUPPORT_SAMPLE_KEY_H

#include <cstdint>
#include <cstring>

// The same bits seen as another type of the same size.
template <class To, class From>
inline To same_bits_as(const From &from) {
  static_assert(sizeof(To) == sizeof(From), "types of one size only");
  To to;
  std::memcpy(&to, &from, sizeof to);
  return to;
}

// Negative values have every bit but the sign flipped, which reverses their order.
inline uint64_t flip_negative(uint64_t bits) {
  return bits ^ ((0 - (bits >> 63)) >> 1);
}

inline int64_t key_of(double v) {
  return same_bits_as<int64_t>(flip_negative(same_bits_as<uint64_t>(v)));
}

inline double value_of(int64_t key) {
  return same_bits_as<double>(flip_negative(same_bits_as<uint64_t>(key)));
}

#endif
