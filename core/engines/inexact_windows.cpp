// Finds the windows whose result the key order cannot decide and recomputes them the
// per-window way. Counts of NaN, -0.0 and +0.0 are kept as the window slides.
#include "core/engines/inexact_windows.h"

#include <algorithm>
#include <cstring>

#include "core/selection/select_middle_by_blocks.h"
#include "core/support/interruption.h"
#include "core/support/nan_and_zeros.h"

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

SpecialsSeen specials_in_reach(const ExtendedSignal &e, int64_t first, int64_t last) {
  SpecialsSeen seen = no_specials_seen();
  note_span(seen, e, first - e.W2, last + e.W2);
  return seen;
}

// Calls visit(i, counts) for every output i of first ... last-1, with the counts of NaN and
// zeros in its window.
template <class Visit>
void slide_special_counts(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last,
                          Visit visit) {
  SpecialCounts c = {0, 0, 0};
  for (int64_t j = 0; j < W; ++j) count_special(c, extended_at(e, first - e.W2 + j), 1);
  for (int64_t i = first; i < last; ++i) {
    if (i > first) {
      count_special(c, extended_at(e, i - 1 - e.W2), -1);
      count_special(c, extended_at(e, i + e.W2), 1);
    }
    visit(i, c);
  }
}

int64_t windows_holding_nan(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last) {
  int64_t windows = 0;
  slide_special_counts(e, W, first, last,
                       [&](int64_t, const SpecialCounts &c) { windows += c.nan > 0; });
  return windows;
}

void patch_inexact_windows(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last,
                           ZeroSigns zeros, double *out, double *window) {
  slide_special_counts(e, W, first, last, [&](int64_t i, const SpecialCounts &c) {
    double &median = out[i - first];
    if (needs_selection(c, median, zeros) && !stop_requested()) {
      fill_window(window, e, W, i);
      median = select_middle_by_blocks(window, W);
    } else if (zeros == kZerosByCount) {
      median = signed_by_count(median, c);
    }
  });
}

void sign_zeros_by_count(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last,
                         double *out) {
  // The last NaN and the last +0.0 at or before the end of the current window (none: before
  // every window), followed without a branch on the value.
  int64_t nan = first - e.W2 - 1, positive = nan;
  auto note = [&](int64_t t) {
    const double v = extended_at(e, t);
    uint64_t bits;  // +0.0 is the double whose bits are all clear
    std::memcpy(&bits, &v, sizeof bits);
    nan = v != v ? t : nan;
    positive = bits == 0 ? t : positive;
  };
  for (int64_t t = first - e.W2; t < first - e.W2 + W - 1; ++t) note(t);
  for (int64_t i = first; i < last; ++i) {
    note(i - e.W2 + W - 1);
    const int64_t start = i - e.W2;
    double &median = out[i - first];
    median = nan < start ? zero_signed(median, positive < start) : median;
  }
}
