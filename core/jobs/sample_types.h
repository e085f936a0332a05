// The classes of samples a job may hold, and their conversion to and from double.
#ifndef PLORVENT_CORE_JOBS_SAMPLE_TYPES_H
#define PLORVENT_CORE_JOBS_SAMPLE_TYPES_H

#include <cmath>
#include <cstdint>
#include <type_traits>

#include "core/support/extended_signal.h"

// How the samples are stored. Every class but 64-bit integers converts to double exactly; so
// do 64-bit integers up to 2^53 in magnitude, and larger ones are filtered by their ranks.
enum SampleType : int32_t {
  kDoubleSamples,
  kSingleSamples,
  kInt8Samples,
  kUint8Samples,
  kInt16Samples,
  kUint16Samples,
  kInt32Samples,
  kUint32Samples,
  kInt64Samples,
  kUint64Samples,
  kLogicalSamples,  // one byte each, 0 or 1
};

template <class T>
void gather_as(const T *column, int64_t stride, int64_t length, Padding padding, double fill,
               int64_t t0, int64_t count, double *out) {
  for (int64_t j = 0; j < count; ++j) {
    const int64_t t = t0 + j;
    const int64_t p = (t >= 0 && t < length) ? t : padding_source(t, length, padding);
    out[j] = p < 0 ? fill : static_cast<double>(column[p * stride]);
  }
}

// A value in class T: integers take the nearest (halves away from zero, as the host rounds a
// mean of two middle values) and NaN, which they cannot hold, gives 0 as the host converts it.
template <class T>
T from_double(double v) {
  if constexpr (std::is_integral<T>::value) {
    return v != v ? T(0) : static_cast<T>(std::round(v));
  } else {
    return static_cast<T>(v);
  }
}

template <class T>
void scatter_as(const double *values, int64_t count, T *column, int64_t stride) {
  for (int64_t j = 0; j < count; ++j) column[j * stride] = from_double<T>(values[j]);
}

// Calls f with the job's element type as a null pointer of that type.
template <class F>
void with_element_type(SampleType type, F f) {
  switch (type) {
    case kDoubleSamples:
      f(static_cast<double *>(nullptr));
      break;
    case kSingleSamples:
      f(static_cast<float *>(nullptr));
      break;
    case kInt8Samples:
      f(static_cast<int8_t *>(nullptr));
      break;
    case kUint8Samples:
      f(static_cast<uint8_t *>(nullptr));
      break;
    case kInt16Samples:
      f(static_cast<int16_t *>(nullptr));
      break;
    case kUint16Samples:
      f(static_cast<uint16_t *>(nullptr));
      break;
    case kInt32Samples:
      f(static_cast<int32_t *>(nullptr));
      break;
    case kUint32Samples:
      f(static_cast<uint32_t *>(nullptr));
      break;
    case kInt64Samples:
      f(static_cast<int64_t *>(nullptr));
      break;
    case kUint64Samples:
      f(static_cast<uint64_t *>(nullptr));
      break;
    case kLogicalSamples:
      f(static_cast<uint8_t *>(nullptr));
      break;
  }
}

#endif
