// Running median driver: picks the fastest way to compute for the window length. Every path
// gives the bits of the per-window selection: the sliding engines decide each window by a total
// order on the samples' bits, and the windows that order cannot decide (a NaN, or both signed
// zeros around a zero median) are recomputed by the per-window selection.
#include "core/running_median.h"

#include <algorithm>
#include <cstring>

#include "core/engines/block_sort_medians.h"
#include "core/engines/inexact_windows.h"
#include "core/engines/long_window_medians.h"
#include "core/engines/network_medians.h"
#include "core/selection/per_window_medians.h"
#include "core/selection/select_middle_by_blocks.h"
#include "core/support/floating_point_state.h"
#include "core/support/host_alloc.h"
#include "core/support/interruption.h"
#include "core/support/storage_layout.h"

namespace {

// Below this many outputs, the per-window path costs less than setting up a sliding engine.
const int64_t kFewestSlidingOutputs = 8;

// Outputs of one piece of a whole signal, at the least.
const int64_t kPieceOutputs = int64_t{1} << 20;

bool is_short_window(int32_t W) {
  return W <= longest_network_window();
}

// Fewer outputs than the window is long: their windows share most of their samples.
bool is_long_window(const ExtendedSignal &e, int32_t W, int64_t outputs) {
  return outputs < W && !is_short_window(W) && outputs <= kMostLongWindowOutputs &&
         (e.padding == kExtensionArrays || e.n <= kMostLongWindowOutputs);
}

// Outputs whose window the key order cannot decide are selected the per-window way.
void select_undecided_windows(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last,
                              const uint8_t *verdict, double *out, double *window) {
  for (int64_t i = first; i < last; ++i) {
    if (verdict[i - first] != kWindowDecided && !stop_requested()) {
      fill_window(window, e, W, i);
      out[i - first] = select_middle_by_blocks(window, W);
    }
  }
}

// Every window selected on its own; with zeros by count, their zero medians then signed so.
void select_every_window(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last,
                         ZeroSigns zeros, double *out, double *window) {
  select_every_window(e, W, first, last, out, window);
  if (zeros == kZerosByCount) sign_zeros_by_count(e, W, first, last, out);
}

// The window for the per-window selections, then the engine's storage. For long windows the
// window's room serves first as scratch for the samples all windows share, and a verdict on
// each output follows.
struct DriverRoom {
  double *window;
  char *engine;
  uint8_t *verdict;
};

DriverRoom carve_driver_room(StorageLayout &s, const ExtendedSignal &e, int32_t W,
                             int64_t outputs) {
  DriverRoom room = {nullptr, nullptr, nullptr};
  if (W == 1 || outputs <= 0) return room;
  if (is_long_window(e, W, outputs)) {
    const size_t window = static_cast<size_t>(W) * sizeof(double);
    room.window = reinterpret_cast<double *>(
        take_bytes(s, std::max(window, long_window_scratch_bytes(e, W, outputs))));
    room.engine = take_bytes(s, long_window_storage_bytes(e, W, outputs));
    room.verdict = take<uint8_t>(s, outputs);
    return room;
  }
  room.window = take<double>(s, W);
  room.engine =
      take_bytes(s, is_short_window(W) ? network_storage_bytes(W) : block_sort_storage_bytes(W));
  return room;
}

}  // namespace

// Runs shorter than the window take the long-window engine, whose storage grows with the run:
// the longest of them needs the most.
size_t running_median_storage_bytes(const ExtendedSignal &e, int32_t W, int64_t outputs) {
  auto bytes = [&](int64_t run) {
    return bytes_taken_by([&](StorageLayout &s) { carve_driver_room(s, e, W, run); });
  };
  return std::max(bytes(outputs), bytes(std::min<int64_t>(outputs, W - 1)));
}

void running_median_range(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last,
                          ZeroSigns zeros, double *out, void *storage) {
  const int64_t count = last - first;
  if (count <= 0) return;
  if (W == 1) {  // every window is its own sample
    std::memcpy(out, e.x + first, static_cast<size_t>(count) * sizeof(double));
    return;
  }
  StorageLayout layout = carving_layout(storage);
  const DriverRoom room = carve_driver_room(layout, e, W, count);
  if (count < kFewestSlidingOutputs || !floating_point_state_is_default()) {
    select_every_window(e, W, first, last, zeros, out, room.window);
    return;
  }
  // The network's pass over the samples also finds whether any is a NaN or a zero: when none is,
  // its outputs are exact and nothing else need read the samples.
  if (is_short_window(W) && network_medians(e, W, first, last, out, room.engine)) return;
  if (is_long_window(e, W, count)) {
    long_window_medians(e, W, first, last, zeros, out, room.verdict, room.window, room.engine);
    select_undecided_windows(e, W, first, last, room.verdict, out, room.window);
    return;
  }
  const SpecialsSeen seen = specials_in_reach(e, first, last);
  const bool exact_everywhere = key_order_decides(seen);
  // Windows holding NaN are recomputed one by one anyway: when nearly all do, the engine's work
  // would only add to that. (The longest windows pass the block engine's numbering.)
  if ((seen.nan && windows_holding_nan(e, W, first, last) >= count - count / 10) ||
      W > kLongestBlockSortWindow) {
    select_every_window(e, W, first, last, zeros, out, room.window);
    return;
  }
  if (!is_short_window(W)) block_sort_medians(e, W, first, last, out, room.engine);
  if (exact_everywhere) return;
  if (!seen.nan && zeros == kZerosByCount) {
    sign_zeros_by_count(e, W, first, last, out);
  } else {
    patch_inexact_windows(e, W, first, last, zeros, out, room.window);
  }
}

void running_median(const double *x, double *out, const double *xic, const double *xfc, int32_t n,
                    int32_t W, int32_t W2) {
  // Nothing to compute: and no storage either, which for the longest windows would be gigabytes.
  if (n <= 0) return;
  if (W == 1) {
    std::memcpy(out, x, static_cast<size_t>(n) * sizeof(double));
    return;
  }
  // One allocation for everything the computation needs, which runs in pieces so that an
  // interruption is seen between them; each piece is long beside its window, so starting the
  // engine again costs little.
  const ExtendedSignal e = with_extension_arrays(x, xic, xfc, n, W2);
  const int64_t piece = std::min<int64_t>(n, std::max(kPieceOutputs, 16 * int64_t{W}));
  void *storage = mxCalloc(running_median_storage_bytes(e, W, piece), 1);
  for (int64_t first = 0; first < n && !stop_requested(); first += piece) {
    const int64_t last = std::min<int64_t>(n, first + piece);
    running_median_range(e, W, first, last, kZerosAsSelected, out + first, storage);
  }
  mxFree(storage);
}
