// Middle-rank selection: quickselect with a median-of-three pivot and sentinel-stopped scans.
//
// The only comparison of samples is the IEEE ordered `>` (false when either side is NaN, and
// -0.0 and +0.0 are equal). The exact sequence of comparisons and exchanges below decides which
// value comes out of a window that holds NaN or zeros of both signs, so it must not be
// "simplified": a different but equally valid quickselect gives different bits for such windows.
#include "running_median.h"

namespace {

inline void exchange(double *window, int32_t a, int32_t b) {
  const double t = window[a];
  window[a] = window[b];
  window[b] = t;
}

inline void order_pair(double *window, int32_t a, int32_t b) {
  if (window[a] > window[b]) exchange(window, a, b);
}

// Puts the median of window[low], window[mid], window[high] at low, the smallest at low+1 and
// the largest at high, so that both partition scans meet a stopper inside the range.
void place_pivot(double *window, int32_t low, int32_t high) {
  const int32_t mid = low + (high - low) / 2;  // floor((low+high)/2) without overflow
  order_pair(window, mid, high);
  order_pair(window, low, high);
  order_pair(window, mid, low);
  exchange(window, mid, low + 1);
}

}  // namespace

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
    int32_t ll = low + 1;
    int32_t hh = high;
    for (;;) {
      do ++ll;
      while (window[low] > window[ll]);
      do --hh;
      while (window[hh] > window[low]);
      if (hh < ll) break;
      exchange(window, ll, hh);
    }
    exchange(window, low, hh);
    if (hh <= k) low = ll;
    if (hh >= k) high = hh - 1;
  }
  return window[k];
}
