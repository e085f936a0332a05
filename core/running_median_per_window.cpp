// The per-window running median: gathers each window afresh from the three input arrays and
// selects its middle element in one scratch window obtained from the host's allocator.
#include "extended_signal.h"
#include "host_alloc.h"
#include "running_median.h"

void running_median_per_window(const double *x, double *out, const double *xic, const double *xfc,
                               int32_t n, int32_t W, int32_t W2) {
  const ExtendedSignal e = {x, xic, xfc, n, W2};
  // One scratch window per call; every element is written before it is read.
  double *window = static_cast<double *>(mxCalloc(static_cast<size_t>(W), 8));
  for (int64_t i = 0; i < n; ++i) {
    fill_window(window, e, W, i);
    out[i] = select_middle(window, W);
  }
  mxFree(window);
}
