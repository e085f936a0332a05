// The extended signal: a signal of n samples seen as one sequence e[t] that goes on past both of
// its ends, either into extension arrays given by the caller or into a padding generated from the
// signal itself. Nothing of it is ever copied whole: each sample is fetched where it lies.
#ifndef PLORVENT_CORE_SUPPORT_EXTENDED_SIGNAL_H
#define PLORVENT_CORE_SUPPORT_EXTENDED_SIGNAL_H

#include <cstddef>
#include <cstdint>
#include <cstring>

// What stands outside the signal.
enum Padding : int32_t {
  kExtensionArrays,   // e[t] = xic[t+W2] for t < 0 and xfc[t-n] for t >= n
  kConstantPadding,   // fill
  kReplicatePadding,  // the edge sample repeated
  kSymmetricPadding,  // mirror images with the edge repeated: period 2n
  kPeriodicPadding,   // the signal wrapped around: period n
};

// Positions are 64-bit: t runs at least from -W2 to n+W2-1, which does not fit 32 bits for the
// largest n and W2. With extension arrays only t in -W2 ... n+W2-1 may be read; a generated
// padding goes on without end.
struct ExtendedSignal {
  const double *x;
  const double *xic;
  const double *xfc;
  int64_t n;
  int64_t W2;
  Padding padding;
  double fill;
};

inline ExtendedSignal with_extension_arrays(const double *x, const double *xic, const double *xfc,
                                            int64_t n, int64_t W2) {
  return {x, xic, xfc, n, W2, kExtensionArrays, 0.0};
}

// The signal's position whose sample a generated padding puts at t (outside 0 ... n-1), or -1
// for the fill constant.
inline int64_t padding_source(int64_t t, int64_t n, Padding padding) {
  switch (padding) {
    case kReplicatePadding:
      return t < 0 ? 0 : n - 1;
    case kPeriodicPadding: {
      const int64_t r = t % n;
      return r < 0 ? r + n : r;
    }
    case kSymmetricPadding: {
      int64_t r = t % (2 * n);
      if (r < 0) r += 2 * n;
      return r < n ? r : 2 * n - 1 - r;
    }
    default:
      return -1;
  }
}

// e[t] for t outside the signal.
inline double outside_at(const ExtendedSignal &e, int64_t t) {
  if (e.padding == kExtensionArrays) return t < 0 ? e.xic[t + e.W2] : e.xfc[t - e.n];
  const int64_t source = padding_source(t, e.n, e.padding);
  return source < 0 ? e.fill : e.x[source];
}

inline double extended_at(const ExtendedSignal &e, int64_t t) {
  if (t >= 0 && t < e.n) return e.x[t];
  return outside_at(e, t);
}

// Copies the W samples of output i's window, e[i-W2] ... e[i+W2], in order: straight from x
// when the window lies inside it.
inline void fill_window(double *window, const ExtendedSignal &e, int64_t W, int64_t i) {
  const int64_t first = i - e.W2;
  if (first >= 0 && first + W <= e.n) {
    std::memcpy(window, e.x + first, static_cast<size_t>(W) * sizeof(double));
    return;
  }
  for (int64_t j = 0; j < W; ++j) window[j] = extended_at(e, first + j);
}

#endif
