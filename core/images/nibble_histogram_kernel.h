// The sliding four-level histograms' kernel (see nibble_histograms.h), written in the count
// vectors of count_lanes.h and compiled once for each instruction set by each_instruction_set.h.
// The including file defines the histograms' layout first.

// One sample of key `key` enters (or leaves) sample column `col` at every level.
PLORVENT_KERNEL_TARGET PLORVENT_INLINE void count_key(const NibbleColumns &h, int64_t col,
                                                      uint32_t key, bool enters) {
  for (int32_t l = 0; l < kLevels; ++l) {
    uint8_t *counts = h.level[l] + (segment_of(key, l) * h.sample_cols + col) * kCountLanes;
    const uint8_t *ones = kByteOnesFrom.row[bin_of(key, l)];
    if (enters) {
      byte_counts_add(counts, ones);
    } else {
      byte_counts_sub(counts, ones);
    }
  }
}

// The last two levels' counts of a key in sample column `col`, asked for ahead of their update:
// they lie far apart, most of them beyond the processor's second-level cache.
PLORVENT_KERNEL_TARGET PLORVENT_INLINE void prefetch_key(const NibbleColumns &h, int64_t col,
                                                         uint32_t key) {
  for (int32_t l = kLevels - 2; l < kLevels; ++l) {
    prefetch_counts(h.level[l] + (segment_of(key, l) * h.sample_cols + col) * kCountLanes);
  }
}

#include "core/images/count_segment_kernel.h"

// Segment `s` of level `l` of the window whose first column is `left` (output `at`), from where
// it was kept last: at most n columns in and n out, or n columns summed anew. The same steps as
// bring_up_counts, written out here: through that function GCC 12 allocated this kernel's
// registers otherwise, and ramps at 31x31 and 51x51 ran 5-17% slower (measured side by side).
PLORVENT_KERNEL_TARGET PLORVENT_INLINE CountVector bring_up(const NibbleColumns &h, NibbleWindow &w,
                                                            int32_t l, int64_t s, int64_t left,
                                                            int64_t at, int32_t n) {
  const uint8_t *columns = h.level[l] + s * h.sample_cols * kCountLanes;
  uint16_t *kept = w.counts[l] + s * kCountLanes;
  const int64_t passed = at - w.kept_at[l][s];
  CountVector segment;
  if (passed >= n) {
    segment = sum_columns(columns, left, n);
  } else {
    segment = load_counts(kept);
    for (int64_t c = left - passed; c < left; ++c) {
      segment = counts_sub(counts_add(segment, load_byte_counts(columns + (c + n) * kCountLanes)),
                           load_byte_counts(columns + c * kCountLanes));
    }
  }
  store_counts(kept, segment);
  w.kept_at[l][s] = at;
  return segment;
}

// Sample row `out` leaves each of the strip's sample columns and row `in` enters (either may be
// -1: none).
PLORVENT_KERNEL_TARGET PLORVENT_INLINE void move_down(const NibbleColumns &h, const uint16_t *x,
                                                      int64_t ld, int64_t sample_cols, int64_t out,
                                                      int64_t in, uint16_t flip) {
  for (int64_t c = 0; c < sample_cols; ++c) {
    const int64_t ahead = c + kPrefetchColumns;
    if (ahead < sample_cols) {
      if (out >= 0) prefetch_key(h, ahead, x[out + ahead * ld] ^ flip);
      if (in >= 0) prefetch_key(h, ahead, x[in + ahead * ld] ^ flip);
    }
    if (out >= 0) count_key(h, c, x[out + c * ld] ^ flip, false);
    if (in >= 0) count_key(h, c, x[in + c * ld] ^ flip, true);
  }
}

// Output columns j0 ... j0+cols-1 of every row. The columns' counts are zero before and after;
// `at` numbers the outputs so that a row's are a window's width beyond the last row's.
PLORVENT_KERNEL_TARGET void rank_strip(const ImageBlock *block, const ImageWindow *window,
                                       int64_t j0, int64_t cols, const NibbleColumns &h,
                                       NibbleWindow &w, int64_t &at) {
  const int32_t m = window->rows, n = window->cols;
  const uint16_t flip = block->type == kInt16Samples ? 0x8000 : 0;
  const int64_t ld = block->samples_ld, sample_cols = cols + n - 1;
  const uint16_t *x = static_cast<const uint16_t *>(block->samples) + j0 * ld;
  uint16_t *y = static_cast<uint16_t *>(block->outputs) + j0 * block->outputs_ld;
  for (int64_t r = 0; r < m; ++r) move_down(h, x, ld, sample_cols, -1, r, flip);
  for (int64_t i = 0; i < block->rows; ++i, at += cols + n) {
    if (i > 0) move_down(h, x, ld, sample_cols, i - 1, i + m - 1, flip);
    CountVector first = sum_columns(h.level[0], 0, n);
    for (int64_t j = 0; j < cols; ++j) {
      if (j > 0) {
        first =
            counts_sub(counts_add(first, load_byte_counts(h.level[0] + (j + n - 1) * kCountLanes)),
                       load_byte_counts(h.level[0] + (j - 1) * kCountLanes));
      }
      int32_t left = window->rank;
      uint32_t key = static_cast<uint32_t>(take_bin(first, left));
      for (int32_t l = 1; l < kLevels; ++l) {
        const CountVector segment = bring_up(h, w, l, key, j, at + j, n);
        key = key * kCountLanes + static_cast<uint32_t>(take_bin(segment, left));
      }
      y[i + j * block->outputs_ld] = static_cast<uint16_t>(key ^ flip);
    }
  }
  for (int64_t r = block->rows - 1; r < block->rows + m - 1; ++r) {
    move_down(h, x, ld, sample_cols, r, -1, flip);
  }
}
