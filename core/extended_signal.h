// The extended signal: leading extension, signal and trailing extension seen as one sequence
// e[t], t = -W2 ... n+W2-1, each part fetched from its own array (never copied whole).
#ifndef PLORVENT_CORE_EXTENDED_SIGNAL_H
#define PLORVENT_CORE_EXTENDED_SIGNAL_H

#include <cstdint>

// Positions are 64-bit: t runs from -W2 to n+W2-1, which does not fit 32 bits for the largest
// n and W2.
struct ExtendedSignal {
  const double *x;
  const double *xic;
  const double *xfc;
  int64_t n;
  int64_t W2;
};

inline double extended_at(const ExtendedSignal &e, int64_t t) {
  if (t < 0) return e.xic[t + e.W2];
  if (t < e.n) return e.x[t];
  return e.xfc[t - e.n];
}

// Copies the W samples of output i's window, e[i-W2] ... e[i+W2], in order.
inline void fill_window(double *window, const ExtendedSignal &e, int64_t W, int64_t i) {
  const int64_t first = i - e.W2;
  for (int64_t j = 0; j < W; ++j) window[j] = extended_at(e, first + j);
}

#endif
