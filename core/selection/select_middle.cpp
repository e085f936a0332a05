// Middle-rank selection: quickselect with a median-of-three pivot and sentinel-stopped scans.
//
// The only comparison of samples is the IEEE ordered `>` (false when either side is NaN, and
// -0.0 and +0.0 are equal). The exact sequence of comparisons and exchanges below decides which
// value comes out of a window that holds NaN or zeros of both signs, so it must not be
// "simplified": a different but equally valid quickselect gives different bits for such windows.
#include "core/selection/select_middle.h"

#include "core/selection/selection_steps.h"

double select_middle(double *window, int32_t W) {
  int32_t low = 0;
  int32_t high = W - 1;
  const int32_t k = (W - 1) / 2;
  while (high > low) {
    if (high == low + 1) {
      order_pair(window, low, high);
      break;
    }
    place_pivot(window, low, high);
    const Cursors c = partition_step_by_step(window, low, low + 1, high);
    exchange(window, low, c.hh);
    narrow_to_rank(k, c.ll, c.hh, low, high);
  }
  return window[k];
}
