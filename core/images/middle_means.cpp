#include "core/images/middle_means.h"

#include <cmath>
#include <type_traits>

#include "core/support/unfused_arithmetic.h"

namespace {

template <class T>
int sign_of(T v) {
  return (v > 0) - (v < 0);
}

template <class T>
T mean_of(T a, T b) {
  if constexpr (std::is_floating_point<T>::value) {
    if (std::isfinite(a) && std::isfinite(b) && sign_of(a) == sign_of(b)) return a + (b - a) / 2;
    return (a + b) / 2;
  } else {
    // Of opposite signs the sum cannot overflow; of one sign b - a cannot. Both negative, the
    // mean towards zero is b less half the gap rounded down.
    if constexpr (std::is_signed<T>::value) {
      if ((a < 0) != (b < 0)) return static_cast<T>((a + b) / 2);
      if (a < 0) return static_cast<T>(b - static_cast<T>((b - a) / 2));
    }
    return static_cast<T>(a + static_cast<T>((b - a) / 2));
  }
}

}  // namespace

void mean_with_next_ranks(SampleType type, void *low, int64_t low_ld, const void *high,
                          int64_t high_ld, int64_t rows, int64_t cols) {
  with_element_type(type, [&](auto *element) {
    using T = std::remove_pointer_t<decltype(element)>;
    for (int64_t j = 0; j < cols; ++j) {
      T *a = static_cast<T *>(low) + j * low_ld;
      const T *b = static_cast<const T *>(high) + j * high_ld;
      for (int64_t i = 0; i < rows; ++i) a[i] = mean_of(a[i], b[i]);
    }
  });
}
