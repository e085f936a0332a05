// The sliding 8-bit histograms' kernel (see column_histograms.h), written in the count vectors
// of count_lanes.h and compiled once for each instruction set by each_instruction_set.h. The
// including file defines the histograms' layout first.

PLORVENT_KERNEL_TARGET PLORVENT_INLINE CountVector ones_from(int32_t bin) {
  return load_counts(kOnesFrom.row[bin]);
}

// One sample of bin `bin` enters (or leaves) the fine counts of sample row `row`.
PLORVENT_KERNEL_TARGET PLORVENT_INLINE void count_fine(RowHistograms h, int64_t row, int32_t bin,
                                                       bool enters) {
  uint16_t *fine = h.fine + row * kBins + bin / kFineBins * kFineBins;
  const CountVector one = ones_from(bin % kFineBins);
  const CountVector counts = load_counts(fine);
  store_counts(fine, enters ? counts_add(counts, one) : counts_sub(counts, one));
}

// One sample of bin `in` enters sample row `row`.
PLORVENT_KERNEL_TARGET PLORVENT_INLINE void add_sample(RowHistograms h, int64_t row, int32_t in) {
  uint16_t *coarse = h.coarse + row * kCoarseBins;
  store_counts(coarse, counts_add(load_counts(coarse), ones_from(in / kFineBins)));
  count_fine(h, row, in, true);
}

// One sample of bin `out` leaves sample row `row` and one of bin `in` enters.
PLORVENT_KERNEL_TARGET PLORVENT_INLINE void move_sample(RowHistograms h, int64_t row, int32_t out,
                                                        int32_t in) {
  uint16_t *coarse = h.coarse + row * kCoarseBins;
  const CountVector moved = counts_sub(ones_from(in / kFineBins), ones_from(out / kFineBins));
  store_counts(coarse, counts_add(load_counts(coarse), moved));
  count_fine(h, row, out, false);
  count_fine(h, row, in, true);
}

// The sum of the counts of rows top ... top+m-1, `stride` apart.
PLORVENT_KERNEL_TARGET PLORVENT_INLINE CountVector sum_rows(const uint16_t *rows, int64_t stride,
                                                            int64_t top, int32_t m) {
  CountVector sum = load_counts(rows + top * stride);
  for (int64_t r = top + 1; r < top + m; ++r) sum = counts_add(sum, load_counts(rows + r * stride));
  return sum;
}

// Fine segment `coarse` of the window starting at sample row `top`, from where it was kept last:
// at most m rows in and m out, or m rows summed anew.
PLORVENT_KERNEL_TARGET PLORVENT_INLINE CountVector bring_up_segment(WindowHistogram &w,
                                                                    RowHistograms h, int32_t coarse,
                                                                    int64_t top, int32_t m) {
  const uint16_t *rows = h.fine + coarse * kFineBins;
  const int64_t from = w.fine_row[coarse];
  CountVector segment;
  if (from == kNoRow || top - from >= m) {
    segment = sum_rows(rows, kBins, top, m);
  } else {
    segment = load_counts(w.fine[coarse]);
    for (int64_t r = from; r < top; ++r) {
      segment = counts_sub(counts_add(segment, load_counts(rows + (r + m) * kBins)),
                           load_counts(rows + r * kBins));
    }
  }
  store_counts(w.fine[coarse], segment);
  w.fine_row[coarse] = top;
  return segment;
}

// Output rows i0 ... i0+rows-1 of every column.
PLORVENT_KERNEL_TARGET void rank_strip(const ImageBlock *block, const ImageWindow *window,
                                       int64_t i0, int64_t rows, RowHistograms h,
                                       WindowHistogram &w) {
  const int32_t m = window->rows, n = window->cols, rank = window->rank;
  const int64_t sample_rows = rows + m - 1;
  const uint8_t flip = block->type == kInt8Samples ? 0x80 : 0;
  const uint8_t *x = static_cast<const uint8_t *>(block->samples) + i0;
  uint8_t *y = static_cast<uint8_t *>(block->outputs) + i0;
  const int64_t ld = block->samples_ld;
  std::memset(h.fine, 0, sample_rows * kBins * sizeof *h.fine);
  std::memset(h.coarse, 0, sample_rows * kCoarseBins * sizeof *h.coarse);
  for (int64_t c = 0; c < n; ++c) {
    for (int64_t r = 0; r < sample_rows; ++r) add_sample(h, r, bin_of(x[r + c * ld], flip));
  }
  for (int64_t j = 0; j < block->cols; ++j) {
    if (j > 0) {
      const uint8_t *leaving = x + (j - 1) * ld, *entering = x + (j + n - 1) * ld;
      for (int64_t r = 0; r < sample_rows; ++r) {
        move_sample(h, r, bin_of(leaving[r], flip), bin_of(entering[r], flip));
      }
    }
    CountVector coarse = sum_rows(h.coarse, kCoarseBins, 0, m);
    for (int32_t b = 0; b < kCoarseBins; ++b) w.fine_row[b] = kNoRow;
    for (int64_t i = 0; i < rows; ++i) {
      if (i > 0) {
        coarse = counts_sub(counts_add(coarse, load_counts(h.coarse + (i + m - 1) * kCoarseBins)),
                            load_counts(h.coarse + (i - 1) * kCoarseBins));
      }
      store_counts(w.coarse, coarse);
      const int32_t bin = counts_at_most(coarse, rank);
      const int32_t below = bin > 0 ? w.coarse[bin - 1] : 0;
      const CountVector segment = bring_up_segment(w, h, bin, i, m);
      const int32_t fine = counts_at_most(segment, rank - below);
      y[i + j * block->outputs_ld] = static_cast<uint8_t>((bin * kFineBins + fine) ^ flip);
    }
  }
}
