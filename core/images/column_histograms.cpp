// Sliding two-level histograms of 8-bit samples (see column_histograms.h).
#include "core/images/column_histograms.h"

#include <cstring>

namespace {

constexpr int32_t kBins = 256;
constexpr int32_t kCoarseBins = 16;
constexpr int32_t kFineBins = kBins / kCoarseBins;
// The outputs of a strip: its sample rows' histograms stay in the processor's second-level cache.
constexpr int64_t kStripRows = 192;
// A fine segment's row when it holds no window.
constexpr int64_t kNoRow = -1;

struct RowHistograms {
  uint16_t *fine;    // kBins a sample row
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

void count_sample(RowHistograms h, int64_t row, int32_t bin, int32_t step) {
  h.fine[row * kBins + bin] = static_cast<uint16_t>(h.fine[row * kBins + bin] + step);
  h.coarse[row * kCoarseBins + bin / kFineBins] =
      static_cast<uint16_t>(h.coarse[row * kCoarseBins + bin / kFineBins] + step);
}

void add_segment(uint16_t *to, const uint16_t *add, const uint16_t *sub) {
  for (int32_t b = 0; b < kFineBins; ++b) to[b] = static_cast<uint16_t>(to[b] + add[b] - sub[b]);
}

// Fine segment `coarse` of the window starting at sample row `top`, from where it was kept last.
void bring_up_segment(WindowHistogram &w, RowHistograms h, int32_t coarse, int64_t top, int32_t m) {
  uint16_t *segment = w.fine[coarse];
  const int64_t from = w.fine_row[coarse];
  if (from == kNoRow || top - from >= m) {
    std::memset(segment, 0, sizeof w.fine[coarse]);
    for (int64_t r = top; r < top + m; ++r) {
      const uint16_t *row = h.fine + r * kBins + coarse * kFineBins;
      for (int32_t b = 0; b < kFineBins; ++b)
        segment[b] = static_cast<uint16_t>(segment[b] + row[b]);
    }
  } else {
    for (int64_t r = from; r < top; ++r) {
      add_segment(segment, h.fine + (r + m) * kBins + coarse * kFineBins,
                  h.fine + r * kBins + coarse * kFineBins);
    }
  }
  w.fine_row[coarse] = top;
}

// The bin of rank `rank` in the window starting at sample row `top`.
int32_t bin_of_rank(WindowHistogram &w, RowHistograms h, int64_t top, int32_t m, int32_t rank) {
  int32_t coarse = 0, below = 0;
  while (below + w.coarse[coarse] <= rank) below += w.coarse[coarse++];
  bring_up_segment(w, h, coarse, top, m);
  int32_t fine = 0;
  while (below + w.fine[coarse][fine] <= rank) below += w.fine[coarse][fine++];
  return coarse * kFineBins + fine;
}

// Output rows i0 ... i0+rows-1 of every column.
void rank_strip(const ImageBlock *block, const ImageWindow *window, int64_t i0, int64_t rows,
                RowHistograms h, WindowHistogram &w) {
  const int32_t m = window->rows, n = window->cols;
  const int64_t sample_rows = rows + m - 1;
  const uint8_t flip = block->type == kInt8Samples ? 0x80 : 0;
  const uint8_t *x = static_cast<const uint8_t *>(block->samples) + i0;
  uint8_t *y = static_cast<uint8_t *>(block->outputs) + i0;
  const int64_t ld = block->samples_ld;
  std::memset(h.fine, 0, sample_rows * kBins * sizeof *h.fine);
  std::memset(h.coarse, 0, sample_rows * kCoarseBins * sizeof *h.coarse);
  for (int64_t c = 0; c < n; ++c) {
    for (int64_t r = 0; r < sample_rows; ++r) count_sample(h, r, bin_of(x[r + c * ld], flip), 1);
  }
  for (int64_t j = 0; j < block->cols; ++j) {
    if (j > 0) {
      const uint8_t *leaving = x + (j - 1) * ld, *entering = x + (j + n - 1) * ld;
      for (int64_t r = 0; r < sample_rows; ++r) {
        count_sample(h, r, bin_of(leaving[r], flip), -1);
        count_sample(h, r, bin_of(entering[r], flip), 1);
      }
    }
    std::memset(w.coarse, 0, sizeof w.coarse);
    for (int64_t r = 0; r < m; ++r) {
      for (int32_t b = 0; b < kCoarseBins; ++b) {
        w.coarse[b] = static_cast<uint16_t>(w.coarse[b] + h.coarse[r * kCoarseBins + b]);
      }
    }
    for (int32_t b = 0; b < kCoarseBins; ++b) w.fine_row[b] = kNoRow;
    for (int64_t i = 0; i < rows; ++i) {
      if (i > 0) {
        add_segment(w.coarse, h.coarse + (i + m - 1) * kCoarseBins,
                    h.coarse + (i - 1) * kCoarseBins);
      }
      const int32_t bin = bin_of_rank(w, h, i, m, window->rank);
      y[i + j * block->outputs_ld] = static_cast<uint8_t>(bin ^ flip);
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
