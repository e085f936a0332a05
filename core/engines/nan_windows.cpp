// The outputs whose window holds a NaN are those within W2 of a NaN sample. Finding the NaN
// samples once, in order, splits the outputs into runs between them: each run of NaN-free
// windows is one engine call, the rest are set to NaN. The runs' stretches of samples are
// disjoint, so the engines' work adds up to no more than on the whole signal, however the NaN
// fall.
#include "core/engines/nan_windows.h"

#include <algorithm>

#include "core/running_median.h"
#include "core/support/nan_and_zeros.h"

namespace {

// The first position in t ... end-1 of the extended signal holding a NaN, or end.
int64_t next_extended_nan(const ExtendedSignal &e, int64_t t, int64_t end) {
  for (; t < end && t < 0; ++t) {  // before the signal
    const double v = outside_at(e, t);
    if (v != v) return t;
  }
  const int64_t inside_end = std::min(end, e.n);
  if (t < inside_end) {
    t = next_nan(e.x, t, inside_end);
    if (t < inside_end) return t;
  }
  for (t = std::max(t, e.n); t < end; ++t) {  // after it
    const double v = outside_at(e, t);
    if (v != v) return t;
  }
  return end;
}

}  // namespace

void medians_between_nan_windows(const ExtendedSignal &e, int32_t W, int64_t first, int64_t last,
                                 double not_a_number, double *out, void *storage) {
  const int64_t end = last + e.W2;  // one past the last window's last sample
  int64_t i = first;                // outputs before i are done
  for (int64_t t = first - e.W2; i < last;) {
    const int64_t nan = next_extended_nan(e, t, end);
    if (nan == end) break;
    // The windows of outputs nan-W2 ... nan+W2 hold it.
    const int64_t held_from = std::max(i, nan - e.W2), held_to = std::min(last, nan + e.W2 + 1);
    running_median_range(e, W, i, held_from, kZerosByCount, out + (i - first), storage);
    std::fill(out + (held_from - first), out + (held_to - first), not_a_number);
    i = std::max(i, held_to);
    t = nan + 1;
  }
  running_median_range(e, W, i, last, kZerosByCount, out + (i - first), storage);
}
