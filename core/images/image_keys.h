// Keys that order an image's samples as core/images/image_block.h says: one signed 64-bit key a
// sample, in the same order as the samples, every NaN the greatest key. A key gives its sample's
// bits back (NaN aside), so an engine may rank keys and write the sample of the wanted one.
#ifndef PLORVENT_CORE_IMAGES_IMAGE_KEYS_H
#define PLORVENT_CORE_IMAGES_IMAGE_KEYS_H

#include <cmath>
#include <cstdint>
#include <limits>
#include <type_traits>

#include "core/jobs/sample_types.h"
#include "core/support/sample_key.h"

const int64_t kNanImageKey = std::numeric_limits<int64_t>::max();
const uint64_t kSignBit = uint64_t{1} << 63;

template <class T>
inline int64_t image_key(T v) {
  if constexpr (std::is_floating_point<T>::value) {
    return v != v ? kNanImageKey : key_of(static_cast<double>(v));  // float to double is exact
  } else if constexpr (std::is_same<T, uint64_t>::value) {
    return static_cast<int64_t>(v ^ kSignBit);
  } else {
    return static_cast<int64_t>(v);
  }
}

template <class T>
inline T image_value(int64_t key, double nan) {
  if constexpr (std::is_floating_point<T>::value) {
    return key == kNanImageKey ? static_cast<T>(nan) : static_cast<T>(value_of(key));
  } else if constexpr (std::is_same<T, uint64_t>::value) {
    return static_cast<uint64_t>(key) ^ kSignBit;
  } else {
    return static_cast<T>(key);
  }
}

// The keys of `rows` by `cols` samples, `ld` apart in x, column by column, `rows` apart.
template <class T>
void key_samples(const T *x, int64_t ld, int64_t rows, int64_t cols, int64_t *keys) {
  for (int64_t c = 0; c < cols; ++c) {
    for (int64_t r = 0; r < rows; ++r) keys[r + c * rows] = image_key(x[r + c * ld]);
  }
}

// A 64-bit integer plus a whole offset, saturated at the class's ends (*clipped says so).
template <class T>
inline T saturated_sum(T v, double whole, bool *clipped) {
  using limits = std::numeric_limits<T>;
  const uint64_t span = ~uint64_t{0};
  // |whole| < 2^64 converts exactly; beyond, it saturates whatever v is.
  const uint64_t step =
      std::fabs(whole) >= 18446744073709551616.0 ? span : static_cast<uint64_t>(std::fabs(whole));
  const uint64_t u = static_cast<uint64_t>(v);
  if (whole >= 0) {
    const uint64_t room = static_cast<uint64_t>(limits::max()) - u;
    *clipped = step > room;
    return *clipped ? limits::max() : static_cast<T>(u + step);
  }
  const uint64_t room = u - static_cast<uint64_t>(limits::min());
  *clipped = step > room;
  return *clipped ? limits::min() : static_cast<T>(u - step);
}

// A sample plus an offset, in the sample's class as the host's arithmetic gives it: floating
// point adds in its own precision (the offset rounded to it first); the integers round the exact
// sum to the nearest (halves away from zero) and saturate, and a NaN offset gives 0.
template <class T>
inline T offset_sample(T v, double s) {
  if constexpr (std::is_floating_point<T>::value) {
    return v + static_cast<T>(s);
  } else if constexpr (sizeof(T) < 8) {
    return from_double<T>(static_cast<double>(v) + s);  // exact before its one rounding
  } else {
    if (s != s) return T(0);
    const double whole = std::trunc(s), fraction = s - whole;  // both exact
    bool clipped = false;
    const T t = saturated_sum(v, whole, &clipped);
    const double size = std::fabs(fraction);
    if (clipped || size < 0.5) return t;
    // t + fraction to the nearest; a half goes away from zero, which t's sign decides.
    int step = fraction > 0 ? 1 : -1;
    if (size == 0.5) step = fraction > 0 ? (t >= 0 ? 1 : 0) : (t > 0 ? 0 : -1);
    return step == 0 ? t : saturated_sum(t, step, &clipped);
  }
}

#endif
