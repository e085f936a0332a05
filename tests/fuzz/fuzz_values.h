// Turning fuzzer bytes into samples: either raw bit patterns or picks from a palette of the
// values that break median filters (NaN of both signs, signed zeros, infinities, subnormals,
// the extremes and ties).
#ifndef PLORVENT_TESTS_FUZZ_VALUES_H
#define PLORVENT_TESTS_FUZZ_VALUES_H

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

struct FuzzBytes {
  const uint8_t *data;
  size_t size;
};

inline uint8_t take_byte(FuzzBytes &in) {
  if (in.size == 0) return 0;
  --in.size;
  return *in.data++;
}

inline double palette_value(uint8_t b) {
  static const double palette[16] = {0.0,
                                     -0.0,
                                     1.0,
                                     -1.0,
                                     std::numeric_limits<double>::quiet_NaN(),
                                     -std::numeric_limits<double>::quiet_NaN(),
                                     std::numeric_limits<double>::infinity(),
                                     -std::numeric_limits<double>::infinity(),
                                     std::numeric_limits<double>::denorm_min(),
                                     -std::numeric_limits<double>::denorm_min(),
                                     DBL_MAX,
                                     -DBL_MAX,
                                     2.0,
                                     0.5,
                                     1.0,
                                     3.0};
  return palette[b & 15];
}

// One sample: from the palette, or, when `raw`, eight bytes taken as a bit pattern.
inline double take_value(FuzzBytes &in, bool raw) {
  if (!raw) return palette_value(take_byte(in));
  uint64_t bits = 0;
  for (int i = 0; i < 8; ++i) bits = (bits << 8) | take_byte(in);
  double v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

#endif
