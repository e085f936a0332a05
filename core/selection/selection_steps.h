// The steps shared by both middle-rank selections (select_middle and select_middle_by_blocks):
// the only comparison of samples is the IEEE ordered `>`, and the exchanges below are the ones
// both make, in the same order, so that both leave the same window behind.
#ifndef PLORVENT_CORE_SELECTION_SELECTION_STEPS_H
#define PLORVENT_CORE_SELECTION_SELECTION_STEPS_H

#include <cstdint>
#include <cstring>

inline void exchange(double *window, int32_t a, int32_t b) {
  const double t = window[a];
  window[a] = window[b];
  window[b] = t;
}

inline void order_pair(double *window, int32_t a, int32_t b) {
  if (window[a] > window[b]) exchange(window, a, b);
}

// The same without a branch (on random samples a branch goes wrong half the time): the bit
// patterns are selected as integers, so no floating-point instruction (which may read
// subnormals as zero) touches the samples moved.
inline void order_pair_without_branch(double *window, int32_t a, int32_t b) {
  const bool above = window[a] > window[b];
  uint64_t first, second;
  std::memcpy(&first, window + a, sizeof first);
  std::memcpy(&second, window + b, sizeof second);
  const uint64_t lower = above ? second : first, upper = above ? first : second;
  std::memcpy(window + a, &lower, sizeof lower);
  std::memcpy(window + b, &upper, sizeof upper);
}

// Puts the median of window[low], window[mid], window[high] at low, the smallest at low+1 and
// the largest at high, so that both partition scans meet a stopper inside the range.
template <void (*OrderPair)(double *, int32_t, int32_t) = order_pair>
inline void place_pivot(double *window, int32_t low, int32_t high) {
  const int32_t mid = low + (high - low) / 2;  // floor((low+high)/2) without overflow
  OrderPair(window, mid, high);
  OrderPair(window, low, high);
  OrderPair(window, mid, low);
  exchange(window, mid, low + 1);
}

// Where a partition's two scans stand.
struct Cursors {
  int32_t ll;
  int32_t hh;
};

// Partitions low ... high around the pivot at low, the scans starting from ll and hh (low+1
// and high at first): they move towards each other, exchanging the samples they stop at, until
// they cross, where it returns them.
inline Cursors partition_step_by_step(double *window, int32_t low, int32_t ll, int32_t hh) {
  for (;;) {
    do ++ll;
    while (window[low] > window[ll]);
    do --hh;
    while (window[hh] > window[low]);
    if (hh < ll) return {ll, hh};
    exchange(window, ll, hh);
  }
}

// After a partition that left the pivot at hh and the scans crossed at ll > hh: the part of
// low ... high that still holds rank k, or an empty one (high < low) when the pivot is it.
inline void narrow_to_rank(int32_t k, int32_t ll, int32_t hh, int32_t &low, int32_t &high) {
  if (hh <= k) low = ll;
  if (hh >= k) high = hh - 1;
}

#endif
