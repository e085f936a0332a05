// The classes of samples a job may hold, and their conversion to and from double.
#ifndef PLORVENT_CORE_JOBS_SAMPLE_TYPES_H
#define PLORVENT_CORE_JOBS_SAMPLE_TYPES_H

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <type_traits>

// Every class a job takes: its name here, its element type, and the host's name of the class
// (mx<HOST>_CLASS), so that one list serves the core and the gateway alike. Every class but
// 64-bit integers converts to double exactly; so do 64-bit integers up to 2^53 in magnitude.
// Logical samples are one byte each, 0 or 1.
#define PLORVENT_SAMPLE_TYPES(X)      \
  X(kDoubleSamples, double, DOUBLE)   \
  X(kSingleSamples, float, SINGLE)    \
  X(kInt8Samples, int8_t, INT8)       \
  X(kUint8Samples, uint8_t, UINT8)    \
  X(kInt16Samples, int16_t, INT16)    \
  X(kUint16Samples, uint16_t, UINT16) \
  X(kInt32Samples, int32_t, INT32)    \
  X(kUint32Samples, uint32_t, UINT32) \
  X(kInt64Samples, int64_t, INT64)    \
  X(kUint64Samples, uint64_t, UINT64) \
  X(kLogicalSamples, uint8_t, LOGICAL)

#define PLORVENT_SAMPLE_TYPE_NAME(name, element, host) name,
enum SampleType : int32_t { PLORVENT_SAMPLE_TYPES(PLORVENT_SAMPLE_TYPE_NAME) };
#undef PLORVENT_SAMPLE_TYPE_NAME

// Calls f with the element type of `type` as a null pointer of that type.
template <class F>
void with_element_type(SampleType type, F f) {
  switch (type) {
#define PLORVENT_SAMPLE_TYPE_CASE(name, element, host) \
  case name:                                           \
    f(static_cast<element *>(nullptr));                \
    break;
    PLORVENT_SAMPLE_TYPES(PLORVENT_SAMPLE_TYPE_CASE)
#undef PLORVENT_SAMPLE_TYPE_CASE
  }
}

// The bytes of one sample of the class.
inline size_t sample_bytes(SampleType type) {
  size_t bytes = 0;
  with_element_type(type, [&](auto *element) { bytes = sizeof *element; });
  return bytes;
}

inline bool is_floating_point(SampleType type) {
  return type == kDoubleSamples || type == kSingleSamples;
}

inline bool is_64_bit_integer(SampleType type) {
  return type == kInt64Samples || type == kUint64Samples;
}

// Whether v is a value of class T (NaN only for the floating-point classes).
template <class T>
bool fits_element_type(double v) {
  if constexpr (std::is_integral<T>::value) {
    return v == std::trunc(v) && v >= static_cast<double>(std::numeric_limits<T>::min()) &&
           v < static_cast<double>(std::numeric_limits<T>::max()) + 1.0;
  } else {
    if (v != v || std::isinf(v)) return true;
    return std::fabs(v) <= static_cast<double>(std::numeric_limits<T>::max()) &&
           static_cast<double>(static_cast<T>(v)) == v;
  }
}

inline bool fits_sample_type(SampleType type, double v) {
  bool fits = false;
  with_element_type(type, [&](auto *element) {
    using T = std::remove_pointer_t<decltype(element)>;
    fits = fits_element_type<T>(v);
  });
  return fits && (type != kLogicalSamples || v == 0 || v == 1);
}

// A value in class T: integers take the nearest (halves away from zero, as the host rounds a
// mean of two middle values), saturated at the class's ends as the host converts (a median
// absolute deviation can exceed them: int8's [-128 127] deviate by 127.5), and NaN, which they
// cannot hold, gives 0.
template <class T>
T from_double(double v) {
  if constexpr (std::is_integral<T>::value) {
    using limits = std::numeric_limits<T>;
    if (v != v) return T(0);
    const double nearest = std::round(v);
    if (nearest <= static_cast<double>(limits::min())) return limits::min();
    if (nearest >= static_cast<double>(limits::max())) return limits::max();  // 2^63 for int64
    return static_cast<T>(nearest);
  } else {
    return static_cast<T>(v);
  }
}

#endif
