// Running median driver: picks the fastest way to compute for the window length. Every path
// gives the bits of the per-window selection: the sliding engines decide each window by a total
// order on the samples' bits, and the windows that order cannot decide (a NaN, or both signed
// zeros around a zero median) are recomputed by the per-window selection.
#include "running_median.h"

#include <cstring>

#include "host_alloc.h"
#include "sliding_engines.h"

namespace {

// Up to this window length the selection network beats the block lists (measured on x86-64).
const int32_t kLongestNetworkRun = 37;

// Below this many outputs, the per-window path costs less than setting up a sliding engine.
const int32_t kFewestSlidingOutputs = 8;

}  // namespace

void running_median(const double *x, double *out, const double *xic, const double *xfc, int32_t n,
                    int32_t W, int32_t W2) {
  // Nothing to compute: and no storage either, which for the longest windows would be gigabytes.
  if (n <= 0) return;
  if (W == 1) {  // every window is its own sample
    std::memcpy(out, x, static_cast<size_t>(n) * sizeof(double));
    return;
  }
  const ExtendedSignal e = {x, xic, xfc, n, W2};
  const bool exact_everywhere = !may_need_selection(e);
  // Windows holding NaN are recomputed one by one anyway: when nearly all do, the engine's work
  // would only add to that.
  if (n < kFewestSlidingOutputs || !floating_point_state_is_default() ||
      (!exact_everywhere && windows_holding_nan(e, W) >= n - n / 10)) {
    running_median_per_window(x, out, xic, xfc, n, W, W2);
    return;
  }
  const bool short_window = W <= kLongestNetworkRun;
  const size_t engine_bytes = short_window ? network_storage_bytes(W) : block_sort_storage_bytes(W);
  // One allocation: the engine's storage, then the window for the per-window recomputations.
  void *storage = mxCalloc(engine_bytes + static_cast<size_t>(W) * sizeof(double), 1);
  double *window = static_cast<double *>(storage) + engine_bytes / sizeof(double);
  if (short_window) {
    network_medians(e, W, out, storage);
  } else {
    block_sort_medians(e, W, out, storage);
  }
  if (!exact_everywhere) {
    patch_inexact_windows(e, W, out, window);
  }
  mxFree(storage);
}
