// Sliding two-level histograms of 8-bit samples (see column_histograms.h).
#include "core/images/column_histograms.h"

#include <cstring>

#include "core/images/count_lanes.h"

namespace {

constexpr int32_t kBins = 256;
constexpr int32_t kCoarseBins = kCountLanes;
constexpr int32_t kFineBins = kBins / kCoarseBins;
// The outputs of a strip: its sample rows' histograms stay in the processor's second-level cache.
constexpr int64_t kStripRows = 192;
// A fine segment's row when it holds no window.
constexpr int64_t kNoRow = -1;

// Every histogram is cumulative: coarse bin b counts the samples of coarse bins 0 ... b, and fine
// bin f of a segment the samples of that segment's fine bins 0 ... f. A rank's bin is then the
// count of bins at most the rank, with no sum along the bins and no branch.
struct RowHistograms {
  uint16_t *fine;    // kBins a sample row: kCoarseBins segments of kFineBins
  uint16_t *coarse;  // kCoarseBins a sample row
};

// The window's histogram: every coarse bin, and the fine segments as of the window starting at
// `fine_row[b]`.
struct WindowHistogram {
  uint16_t coarse[kCoarseBins];
  uint16_t fine[kCoarseBins][kFineBins];
  int64_t fine_row[kCoarseBins];
};

// Samples as bins: signed bytes with their sign bit flipped, so that the bins run in their order.
inline int32_t bin_of(uint8_t v, uint8_t flip) {
  return v ^ flip;
}

// One sample of bin `bin` enters (or leaves) the fine counts of sample row `row`.
PLORVENT_INLINE void count_fine(RowHistograms h, int64_t row, int32_t bin, bool enters) {
  uint16_t *fine = h.fine + row * kBins + bin / kFineBins * kFineBins;
  const CountVector one = counts_from(bin % kFineBins);
  const CountVector counts = load_counts(fine);
  store_counts(fine, enters ? counts_add(counts, one) : counts_sub(counts, one));
}

// One sample of bin `in` enters sample row `row`.
PLORVENT_INLINE void add_sample(RowHistograms h, int64_t row, int32_t in) {
  uint16_t *coarse = h.coarse + row * kCoarseBins;
  store_counts(coarse, counts_add(load_counts(coarse), counts_from(in / kFineBins)));
  count_fine(h, row, in, true);
}

// One sample of bin `out` leaves sample row `row` and one of bin `in` enters.
PLORVENT_INLINE void move_sample(RowHistograms h, int64_t row, int32_t out, int32_t in) {
  uint16_t *coarse = h.coarse + row * kCoarseBins;
  const CountVector moved = counts_sub(counts_from(in / kFineBins), counts_from(out / kFineBins));
  store_counts(coarse, counts_add(load_counts(coarse), moved));
  count_fine(h, row, out, false);
  count_fine(h, row, in, true);
}

// The sum of the counts of rows top ... top+m-1, `stride` apart.
PLORVENT_INLINE CountVector sum_rows(const uint16_t *rows, int64_t stride, int64_t top, int32_t m) {
  CountVector sum = load_counts(rows + top * stride);
  for (int64_t r = top + 1; r < top + m; ++r) sum = counts_add(sum, load_counts(rows + r * stride));
  return sum;
}

// Fine segment `coarse` of the window starting at sample row `top`, from where it was kept last:
// at most m rows in and m out, or m rows summed anew.
PLORVENT_INLINE CountVector bring_up_segment(WindowHistogram &w, RowHistograms h, int32_t coarse,
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
void rank_strip(const ImageBlock *block, const ImageWindow *window, int64_t i0, int64_t rows,
                RowHistograms h, WindowHistogram &w) {
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

}  // namespace

bool column_histogram_serves(const ImageBlock *block, const ImageWindow *window) {
  const SampleType t = block->type;
  return window->domain == nullptr && window->rows >= 1 && window->cols >= 1 &&
         int64_t{window->rows} * window->cols <= 65535 &&
         (t == kUint8Samples || t == kInt8Samples || t == kLogicalSamples);
}

int64_t column_histogram_work_bytes(const ImageBlock *, const ImageWindow *window) {
  const int64_t sample_rows = kStripRows + window->rows - 1;
  return sample_rows * (kBins + kCoarseBins) * int64_t{sizeof(uint16_t)};
}

void column_histogram_ranks(const ImageBlock *block, const ImageWindow *window, void *work) {
  const int64_t sample_rows = kStripRows + window->rows - 1;
  uint16_t *counts = static_cast<uint16_t *>(work);
  const RowHistograms h = {counts, counts + sample_rows * kBins};
  WindowHistogram w;
  for (int64_t i0 = 0; i0 < block->rows; i0 += kStripRows) {
    const int64_t rows = block->rows - i0 < kStripRows ? block->rows - i0 : kStripRows;
    rank_strip(block, window, i0, rows, h, w);
  }
}
