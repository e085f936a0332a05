// Finds the windows whose result the key order cannot decide and recomputes them the
// per-window way. Counts of NaN, -0.0 and +0.0 are kept as the window slides.
#include "core/engines/inexact_windows.h"

#include <algorithm>
#include <cmath>

#include "core/selection/select_middle_by_blocks.h"
#include "core/support/special_values.h"

namespace {

// Notes the samples at extended positions t ... end-1: those inside the signal read in place.
void note_span(SpecialsSeen &seen, const ExtendedSignal &e, int64_t t, int64_t end) {
  const int64_t inner_begin = std::min(std::max<int64_t>(t, 0), end);
  const int64_t inner_end = std::min(std::max(inner_begin, e.n), end);
  for (int64_t u = t; u < inner_begin; ++u) note_special(seen, outside_at(e, u));
  note_specials(seen, e.x + inner_begin, inner_end - inner_begin);
  for (int64_t u = inner_end; u < end; ++u) note_special(seen, outside_at(e, u));
}

}  // namespace

bool may_need_selection(const ExtendedSignal &e, int64_t first, int64_t last) {
  SpecialsSeen seen = no_specials_seen();
  note_span(seen, e, first - e.W2, last + e.W2);
  return seen.nan || (seen.negative_zero && seen.positive_zero);
}

int64_t windows_holding_nan(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last) {
  int64_t nan = 0, windows = 0;
  for (int64_t j = 0; j < W; ++j) nan += std::isnan(extended_at(e, first - e.W2 + j));
  for (int64_t i = first; i < last; ++i) {
    if (i > first)
      nan += std::isnan(extended_at(e, i + e.W2)) - std::isnan(extended_at(e, i - 1 - e.W2));
    windows += nan > 0;
  }
  return windows;
}

void patch_inexact_windows(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last,
                           double *out, double *window) {
  SpecialCounts c = {0, 0, 0};
  for (int64_t j = 0; j < W; ++j) count_special(c, extended_at(e, first - e.W2 + j), 1);
  for (int64_t i = first; i < last; ++i) {
    if (i > first) {
      count_special(c, extended_at(e, i - 1 - e.W2), -1);
      count_special(c, extended_at(e, i + e.W2), 1);
    }
    if (needs_selection(c, out[i - first])) {
      fill_window(window, e, W, i);
      out[i - first] = select_middle_by_blocks(window, W);
    }
  }
}
