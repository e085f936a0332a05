// The sliding place bitsets' kernel (see place_bitsets.h), written in the count vectors of
// count_lanes.h and compiled once for each instruction set by each_instruction_set.h. The
// including file defines the layout first.

#include "core/images/count_segment_kernel.h"

// Place `key` enters (or leaves) sample column `col` at both levels.
PLORVENT_KERNEL_TARGET PLORVENT_INLINE void count_place(const PlaceColumns &h, int64_t col,
                                                        uint32_t key, bool enters) {
  uint8_t *first = h.first + col * kCountLanes;
  uint8_t *second = h.second + (first_bin(key) * h.sample_cols + col) * kCountLanes;
  if (enters) {
    byte_counts_add(first, kByteOnesFrom.row[first_bin(key)]);
    byte_counts_add(second, kByteOnesFrom.row[second_bin(key)]);
  } else {
    byte_counts_sub(first, kByteOnesFrom.row[first_bin(key)]);
    byte_counts_sub(second, kByteOnesFrom.row[second_bin(key)]);
  }
}

// The second level's counts of a place in sample column `col`, asked for ahead of their update.
PLORVENT_KERNEL_TARGET PLORVENT_INLINE void prefetch_place(const PlaceColumns &h, int64_t col,
                                                           uint32_t key) {
  prefetch_counts(h.second + (first_bin(key) * h.sample_cols + col) * kCountLanes);
}

// Sample row `out` leaves each of the strip's sample columns and row `in` enters (either may be
// -1: none).
PLORVENT_KERNEL_TARGET PLORVENT_INLINE void move_down(const PlaceColumns &h, const uint16_t *x,
                                                      int64_t ld, int64_t sample_cols, int64_t out,
                                                      int64_t in) {
  for (int64_t c = 0; c < sample_cols; ++c) {
    const int64_t ahead = c + kPrefetchColumns;
    if (ahead < sample_cols) {
      if (out >= 0) prefetch_place(h, ahead, x[out + ahead * ld]);
      if (in >= 0) prefetch_place(h, ahead, x[in + ahead * ld]);
    }
    if (out >= 0) count_place(h, c, x[out + c * ld], false);
    if (in >= 0) count_place(h, c, x[in + c * ld], true);
  }
}

// Output columns j0 ... j0+cols-1 of every row. The columns' counts are zero before and after;
// `at` numbers the outputs so that a row's are a window's width beyond the last row's.
PLORVENT_KERNEL_TARGET void rank_strip(const ImageBlock *block, const ImageWindow *window,
                                       int64_t j0, int64_t cols, const PlaceColumns &h,
                                       const PlacePositions &p, PlaceWindow &w, int64_t &at) {
  const int32_t m = window->rows, n = window->cols;
  const int64_t ld = block->samples_ld, sample_cols = cols + n - 1;
  const uint16_t *x = static_cast<const uint16_t *>(block->samples) + j0 * ld;
  uint16_t *y = static_cast<uint16_t *>(block->outputs) + j0 * block->outputs_ld;
  for (int64_t r = 0; r < m; ++r) move_down(h, x, ld, sample_cols, -1, r);
  for (int64_t i = 0; i < block->rows; ++i, at += cols + n) {
    if (i > 0) move_down(h, x, ld, sample_cols, i - 1, i + m - 1);
    CountVector first = sum_columns(h.first, 0, n);
    for (int64_t j = 0; j < cols; ++j) {
      if (j > 0) {
        first = counts_sub(counts_add(first, load_byte_counts(h.first + (j + n - 1) * kCountLanes)),
                           load_byte_counts(h.first + (j - 1) * kCountLanes));
      }
      int32_t left = window->rank;
      const int64_t top = take_bin(first, left);
      const uint8_t *second_columns = h.second + top * h.sample_cols * kCountLanes;
      const CountVector second = bring_up_counts(second_columns, w.second + top * kCountLanes,
                                                 w.second_kept_at[top], j, at + j, n);
      const int64_t first_place = (top * kCountLanes + take_bin(second, left)) * kWindowPlaces;
      const uint64_t inside =
          places_in_window(p.row + first_place, p.col + first_place, static_cast<int32_t>(i), m,
                           static_cast<int32_t>(j0 + j), n);
      y[i + j * block->outputs_ld] = static_cast<uint16_t>(first_place + kth_bit(inside, left));
    }
  }
  for (int64_t r = block->rows - 1; r < block->rows + m - 1; ++r) {
    move_down(h, x, ld, sample_cols, r, -1);
  }
}
