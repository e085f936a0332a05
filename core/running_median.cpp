// Running median driver: picks the fastest way to compute for the window length. Every path
// gives the bits of the per-window selection: the sliding engines decide each window by a total
// order on the samples' bits, and the windows that order cannot decide (a NaN, or both signed
// zeros around a zero median) are recomputed by the per-window selection.
#include "running_median.h"

#include <algorithm>
#include <cstring>

#include "host_alloc.h"
#include "long_window_medians.h"
#include "select_middle_by_blocks.h"
#include "sliding_engines.h"

namespace {

// Below this many outputs, the per-window path costs less than setting up a sliding engine.
const int64_t kFewestSlidingOutputs = 8;

bool is_short_window(int32_t W) {
  return W <= longest_network_window();
}

// Fewer outputs than the window is long: their windows share most of their samples.
bool is_long_window(const ExtendedSignal &e, int32_t W, int64_t outputs) {
  return outputs < W && !is_short_window(W) && outputs <= kMostLongWindowOutputs &&
         (e.padding == kExtensionArrays || e.n <= kMostLongWindowOutputs);
}

size_t window_bytes(int32_t W) {
  return round_up_storage(static_cast<size_t>(W) * sizeof(double));
}

// The long windows' storage, then a verdict for each output.
size_t long_window_bytes(int64_t outputs) {
  return long_window_storage_bytes(outputs) + round_up_storage(static_cast<size_t>(outputs));
}

// Outputs whose window the key order cannot decide are selected the per-window way.
void select_undecided_windows(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last,
                              const uint8_t *verdict, double *out, double *window) {
  for (int64_t i = first; i < last; ++i) {
    if (verdict[i - first] != kWindowDecided) {
      fill_window(window, e, W, i);
      out[i - first] = select_middle_by_blocks(window, W);
    }
  }
}

void long_window_range(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last, double *out,
                       double *window, char *storage) {
  uint8_t *verdict = reinterpret_cast<uint8_t *>(storage + long_window_storage_bytes(last - first));
  // The window's room serves first as scratch for the samples all windows share.
  long_window_medians(e, W, first, last, out, verdict, window, storage);
  select_undecided_windows(e, W, first, last, verdict, out, window);
}

}  // namespace

// The window for the per-window selections (and the long-window engine's scratch), then the
// engine's storage.
size_t running_median_storage_bytes(const ExtendedSignal &e, int32_t W, int64_t outputs) {
  if (W == 1 || outputs <= 0) return 0;
  if (is_long_window(e, W, outputs)) {
    return std::max(window_bytes(W), long_window_scratch_bytes(e, W, outputs)) +
           long_window_bytes(outputs);
  }
  const size_t engine = is_short_window(W) ? network_storage_bytes(W) : block_sort_storage_bytes(W);
  return window_bytes(W) + engine;
}

void running_median_range(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last,
                          double *out, void *storage) {
  const int64_t count = last - first;
  if (count <= 0) return;
  if (W == 1) {  // every window is its own sample
    std::memcpy(out, e.x + first, static_cast<size_t>(count) * sizeof(double));
    return;
  }
  double *window = static_cast<double *>(storage);
  char *engine_storage = static_cast<char *>(storage) + window_bytes(W);
  if (count < kFewestSlidingOutputs || !floating_point_state_is_default()) {
    select_every_window(e, W, first, last, out, window);
    return;
  }
  // The network's pass over the samples also finds whether any is a NaN or a zero: when none is,
  // its outputs are exact and nothing else need read the samples.
  if (is_short_window(W) && network_medians(e, W, first, last, out, engine_storage)) return;
  if (is_long_window(e, W, count)) {
    long_window_range(e, W, first, last, out, window,
                      static_cast<char *>(storage) +
                          std::max(window_bytes(W), long_window_scratch_bytes(e, W, count)));
    return;
  }
  const bool exact_everywhere = !may_need_selection(e, first, last);
  // Windows holding NaN are recomputed one by one anyway: when nearly all do, the engine's work
  // would only add to that.
  if (!exact_everywhere && windows_holding_nan(e, W, first, last) >= count - count / 10) {
    select_every_window(e, W, first, last, out, window);
    return;
  }
  if (!is_short_window(W)) block_sort_medians(e, W, first, last, out, engine_storage);
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
  const ExtendedSignal e = with_extension_arrays(x, xic, xfc, n, W2);
  void *storage = mxCalloc(running_median_storage_bytes(e, W, n), 1);
  running_median_range(e, W, 0, n, out, storage);
  mxFree(storage);
}
