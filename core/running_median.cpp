// Running median driver: chooses how to compute; every path gives the per-window result's bits.
#include "running_median.h"

void running_median(const double *x, double *out, const double *xic, const double *xfc, int32_t n,
                    int32_t W, int32_t W2) {
  running_median_per_window(x, out, xic, xfc, n, W, W2);
}
