// select_middle without a branch per sample in its partitions: the same pivots, the same
// exchanges in the same order, so the same result and the same window left behind, bit for bit.
//
// A partition's left scan stops at each position whose sample the pivot is not above, the right
// scan at each one whose sample is not above the pivot, and the t-th exchange swaps the t-th stop
// of each, for as long as the left one lies before the right one. Positions not yet passed by a
// scan still hold their first samples, so the stops of a block of positions can be listed ahead
// without branches (a position is written to the list, and the list grows by the test's 0 or 1)
// and the exchanges then made in order. Blocks are taken from both ends while they cannot overlap;
// what is left between the last exchanged pair is listed whole, and the crossing of the two scans
// is worked out from the two lists and the exchanges already made.
#include "core/selection/select_middle_by_blocks.h"

#include <algorithm>

#include "core/selection/selection_steps.h"

namespace {

// Partitions of fewer samples are made step by step: listing costs more than the few branches.
const int32_t kFewestForLists = 12;
const int32_t kBlock = 64;
// What the block phase can leave between the scans: at each end the rest of a listed block, and
// between them less than a block.
const int32_t kMostLeft = 3 * kBlock;

// The cursors below say where the two scans stand: each will stop at the latest at the other's
// position (whose sample is a stop for it), everything between them is as the partition found
// it, and a scan goes on from the position next to its own.

// Lists, in scan order, the positions from `first` on (step +1 or -1, `count` of them) whose
// sample stops a scan: one not below the pivot going right, one not above it going left.
int32_t list_left_stops(const double *w, double pivot, int32_t first, int32_t count,
                        int32_t *stops) {
  int32_t n = 0;
  for (int32_t j = 0; j < count; ++j) {
    stops[n] = first + j;
    n += !(pivot > w[first + j]);
  }
  return n;
}

int32_t list_right_stops(const double *w, double pivot, int32_t first, int32_t count,
                         int32_t *stops) {
  int32_t n = 0;
  for (int32_t j = 0; j < count; ++j) {
    stops[n] = first - j;
    n += !(w[first - j] > pivot);
  }
  return n;
}

// Exchanges block by block from both ends while the blocks cannot meet, then moves each cursor
// to just before its first stop not yet used: the positions it passes hold samples that stop the
// other scan, since they do not stop its own.
void exchange_by_blocks(double *w, double pivot, Cursors &c) {
  int32_t lefts[kBlock], rights[kBlock];
  int32_t left_count = 0, left_used = 0, right_count = 0, right_used = 0;
  int32_t left_next = c.ll + 1, right_next = c.hh - 1;  // the first positions not yet listed
  for (;;) {
    if (left_used == left_count) {
      if (right_next - left_next + 1 < kBlock) break;
      left_count = list_left_stops(w, pivot, left_next, kBlock, lefts);
      left_used = 0;
      left_next += kBlock;
    }
    if (right_used == right_count) {
      if (right_next - left_next + 1 < kBlock) break;
      right_count = list_right_stops(w, pivot, right_next, kBlock, rights);
      right_used = 0;
      right_next -= kBlock;
    }
    const int32_t pairs = std::min(left_count - left_used, right_count - right_used);
    for (int32_t t = 0; t < pairs; ++t) exchange(w, lefts[left_used + t], rights[right_used + t]);
    left_used += pairs;
    right_used += pairs;
  }
  c.ll = (left_used < left_count ? lefts[left_used] : left_next) - 1;
  c.hh = (right_used < right_count ? rights[right_used] : right_next) + 1;
}

// Lists every stop between the cursors, then makes the remaining exchanges and leaves the
// cursors where the scans cross. A scan stops at its next listed stop, or at the sample that the
// last exchange put in its way (at first the other cursor's), whichever comes first.
void finish_partition(double *w, double pivot, Cursors &c) {
  int32_t lefts[kMostLeft + 1], rights[kMostLeft + 1];
  const int32_t between = c.hh - c.ll - 1;
  const int32_t left_count = list_left_stops(w, pivot, c.ll + 1, between, lefts);
  const int32_t right_count = list_right_stops(w, pivot, c.hh - 1, between, rights);
  lefts[left_count] = c.hh;
  rights[right_count] = c.ll;
  Cursors in_the_way = c;
  for (int32_t t = 0;; ++t) {
    const int32_t ll = std::min(lefts[std::min(t, left_count)], in_the_way.hh);
    const int32_t hh = std::max(rights[std::min(t, right_count)], in_the_way.ll);
    if (hh < ll) {
      c = {ll, hh};
      return;
    }
    exchange(w, ll, hh);
    // A sample exchanged with itself is behind both scans from now on.
    if (ll < hh) in_the_way = {ll, hh};
  }
}

}  // namespace

double select_middle_by_blocks(double *window, int32_t W) {
  int32_t low = 0;
  int32_t high = W - 1;
  const int32_t k = (W - 1) / 2;
  while (high > low) {
    if (high == low + 1) {
      order_pair_without_branch(window, low, high);
      break;
    }
    place_pivot<order_pair_without_branch>(window, low, high);
    const double pivot = window[low];
    Cursors c = {low + 1, high};
    if (high - low < kFewestForLists) {
      c = partition_step_by_step(window, low, c.ll, c.hh);
    } else {
      if (c.hh - c.ll - 1 > kMostLeft) exchange_by_blocks(window, pivot, c);
      finish_partition(window, pivot, c);
    }
    exchange(window, low, c.hh);
    narrow_to_rank(k, c.ll, c.hh, low, high);
  }
  return window[k];
}
