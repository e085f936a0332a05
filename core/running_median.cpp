// Running median driver: picks the fastest way to compute for the window length. Every path
// gives the bits of the per-window selection: the sliding engines decide each window by a total
// order on the samples' bits, and the windows that order cannot decide (a NaN, or both signed
// zeros around a zero median) are recomputed by the per-window selection.
#include "running_median.h"

#include <cstring>

#include "host_alloc.h"
#include "sliding_engines.h"

namespace {

// Below this many outputs, the per-window path costs less than setting up a sliding engine.
const int64_t kFewestSlidingOutputs = 8;

bool is_short_window(int32_t W) {
  return W <= longest_network_window();
}

size_t engine_storage_bytes(int32_t W) {
  return is_short_window(W) ? network_storage_bytes(W) : block_sort_storage_bytes(W);
}

}  // namespace

// The engine's storage, then the window for the per-window recomputations.
size_t running_median_storage_bytes(int32_t W) {
  return engine_storage_bytes(W) + round_up_storage(static_cast<size_t>(W) * sizeof(double));
}

void running_median_range(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last,
                          double *out, void *storage) {
  const int64_t count = last - first;
  if (count <= 0) return;
  if (W == 1) {  // every window is its own sample
    std::memcpy(out, e.x + first, static_cast<size_t>(count) * sizeof(double));
    return;
  }
  double *window =
      reinterpret_cast<double *>(static_cast<char *>(storage) + engine_storage_bytes(W));
  const bool sliding = count >= kFewestSlidingOutputs && floating_point_state_is_default();
  // The network's pass over the samples also finds whether any is a NaN or a zero: when none is,
  // its outputs are exact and nothing else need read the samples.
  if (sliding && is_short_window(W) && network_medians(e, W, first, last, out, storage)) return;
  const bool exact_everywhere = !may_need_selection(e, first, last);
  // Windows holding NaN are recomputed one by one anyway: when nearly all do, the engine's work
  // would only add to that.
  if (!sliding ||
      (!exact_everywhere && windows_holding_nan(e, W, first, last) >= count - count / 10)) {
    select_every_window(e, W, first, last, out, window);
    return;
  }
  if (!is_short_window(W)) block_sort_medians(e, W, first, last, out, storage);
  if (!exact_everywhere) patch_inexact_windows(e, W, first, last, out, window);
}

void running_median(const double *x, double *out, const double *xic, const double *xfc, int32_t n,
                    int32_t W, int32_t W2) {
  // Nothing to compute: and no storage either, which for the longest windows would be gigabytes.
  if (n <= 0) return;
  if (W == 1) {
    std::memcpy(out, x, static_cast<size_t>(n) * sizeof(double));
    return;
  }
  // One allocation for everything the computation needs.
  void *storage = mxCalloc(running_median_storage_bytes(W), 1);
  running_median_range(with_extension_arrays(x, xic, xfc, n, W2), W, 0, n, out, storage);
  mxFree(storage);
}
