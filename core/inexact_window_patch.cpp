// Finds the windows whose result the key order cannot decide and recomputes them the
// per-window way. Counts of NaN, -0.0 and +0.0 are kept as the window slides.
#include <cmath>

#include "running_median.h"
#include "sliding_engines.h"

namespace {

struct SpecialCounts {
  int64_t nan;
  int64_t negative_zero;
  int64_t positive_zero;
};

inline void count(SpecialCounts &c, double v, int64_t delta) {
  if (v != v) {
    c.nan += delta;
  } else if (v == 0) {
    (std::signbit(v) ? c.negative_zero : c.positive_zero) += delta;
  }
}

// A NaN has no place in the order, and which zero comes out of a window holding both depends on
// the selection's exchanges; any other median has one bit pattern only.
inline bool needs_selection(const SpecialCounts &c, double median) {
  return c.nan > 0 || (median == 0 && c.negative_zero > 0 && c.positive_zero > 0);
}

}  // namespace

void patch_inexact_windows(const ExtendedSignal &e, int32_t W, double *out, double *window) {
  SpecialCounts c = {0, 0, 0};
  for (int64_t j = 0; j < W; ++j) count(c, extended_at(e, j - e.W2), 1);
  for (int64_t i = 0; i < e.n; ++i) {
    if (i > 0) {
      count(c, extended_at(e, i - 1 - e.W2), -1);
      count(c, extended_at(e, i + e.W2), 1);
    }
    if (needs_selection(c, out[i])) {
      fill_window(window, e, W, i);
      out[i] = select_middle(window, W);
    }
  }
}
