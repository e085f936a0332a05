// The per-window running median: gathers each window afresh from the extended signal and
// selects its middle element in one scratch window.
#include "core/selection/per_window_medians.h"

#include "core/selection/select_middle.h"
#include "core/selection/select_middle_by_blocks.h"
#include "core/support/host_alloc.h"
#include "core/support/interruption.h"

void per_window_medians(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last,
                        double *out, double *window) {
  for (int64_t i = first; i < last; ++i) {
    fill_window(window, e, W, i);
    out[i - first] = select_middle(window, W);
  }
}

void select_every_window(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last,
                         double *out, double *window) {
  for (int64_t i = first; i < last && !stop_requested(); ++i) {
    fill_window(window, e, W, i);
    out[i - first] = select_middle_by_blocks(window, W);
  }
}

void running_median_per_window(const double *x, double *out, const double *xic, const double *xfc,
                               int32_t n, int32_t W, int32_t W2) {
  // One scratch window per call; every element is written before it is read.
  double *window = static_cast<double *>(mxCalloc(static_cast<size_t>(W), 8));
  per_window_medians(with_extension_arrays(x, xic, xfc, n, W2), W, 0, n, out, window);
  mxFree(window);
}
