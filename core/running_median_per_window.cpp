// The per-window running median: gathers each window afresh from the three input arrays and
// selects its middle element in one scratch window obtained from the host's allocator.
#include "host_alloc.h"
#include "running_median.h"

namespace {

// Element t of the extended signal. Positions are 64-bit: t runs from -W2 to n+W2-1, which does
// not fit 32 bits for the largest n and W2.
inline double extended_at(const double *x, const double *xic, const double *xfc, int64_t n,
                          int64_t W2, int64_t t) {
  if (t < 0) return xic[t + W2];
  if (t < n) return x[t];
  return xfc[t - n];
}

void fill_window(double *window, const double *x, const double *xic, const double *xfc, int32_t n,
                 int32_t W, int32_t W2, int64_t i) {
  const int64_t first = i - W2;
  for (int64_t j = 0; j < W; ++j) window[j] = extended_at(x, xic, xfc, n, W2, first + j);
}

}  // namespace

void running_median_per_window(const double *x, double *out, const double *xic, const double *xfc,
                               int32_t n, int32_t W, int32_t W2) {
  // One scratch window per call; every element is written before it is read.
  double *window = static_cast<double *>(mxCalloc(static_cast<size_t>(W), 8));
  for (int64_t i = 0; i < n; ++i) {
    fill_window(window, x, xic, xfc, n, W, W2, i);
    out[i] = select_middle(window, W);
  }
  mxFree(window);
}
