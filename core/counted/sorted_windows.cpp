// The short windows, kept sorted.
#include "core/counted/sorted_windows.h"

#include "core/support/nan_and_zeros.h"

namespace {

struct SortedWindow {
  double values[kLongestSortedWindow];  // the counted samples, ascending (zeros of either sign)
  int64_t count;
  SpecialCounts specials;

  double value(WindowCursor, int64_t k) const { return values[k]; }
  double value_after(WindowCursor, int64_t k) const { return values[k + 1]; }
};

// The sample at position t of the window's reach: the signal's, the padding's, or none.
bool sample_at(const double *x, int64_t n, const MovingWindows &w, int64_t t, double *v) {
  if (t >= 0 && t < n) {
    *v = x[t];
    return true;
  }
  *v = w.fill;
  return w.padded;
}

void enter(SortedWindow *s, double v) {
  count_special(s->specials, v, 1);
  if (v != v) return;
  int64_t j = s->count++;
  for (; j > 0 && s->values[j - 1] > v; --j) s->values[j] = s->values[j - 1];
  s->values[j] = v;
}

void leave(SortedWindow *s, double v) {
  count_special(s->specials, v, -1);
  if (v != v) return;
  int64_t j = 0;
  while (!(s->values[j] == v)) ++j;
  for (--s->count; j < s->count; ++j) s->values[j] = s->values[j + 1];
}

}  // namespace

void sorted_window_statistics(const double *x, int64_t n, const MovingWindows &w, int64_t a,
                              int64_t b, const Outputs &out) {
  SortedWindow s;
  s.count = 0;
  s.specials = {0, 0, 0};
  WindowMemory memory = fresh_window_memory();
  double v;
  for (int64_t t = a - w.back; t <= a + w.forward; ++t) {
    if (sample_at(x, n, w, t, &v)) enter(&s, v);
  }
  finish_window(s, w, s.specials, s.count, out, 0, &memory);
  for (int64_t i = a + 1; i < b; ++i) {
    if ((i - a) % kWindowsBetweenPolls == 0 && stop_requested()) return;
    if (sample_at(x, n, w, i - 1 - w.back, &v)) leave(&s, v);
    if (sample_at(x, n, w, i + w.forward, &v)) enter(&s, v);
    finish_window(s, w, s.specials, s.count, out, i - a, &memory);
  }
}
