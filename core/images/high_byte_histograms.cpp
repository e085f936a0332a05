// Sliding histograms of 16-bit samples: the high byte's by columns, the whole key's by window (see
// high_byte_histograms.h).
#include "core/images/high_byte_histograms.h"

#include <cstring>

#include "core/support/storage_layout.h"

namespace {

constexpr int32_t kSegment = 16;  // bins a segment, and segments a level
// The outputs of a strip's row (fewer when the block is narrower).
constexpr int64_t kStripCols = 1024;
constexpr int32_t kMostRows = 255;
// A kept segment's pass when it holds no window.
constexpr int64_t kNoPass = -1;

// The high-byte counts of the strip's sample columns (their m samples under the window): the
// coarse bin b of column c at coarse[c * kSegment + b], fine bin b of segment s at
// fine[(s * columns + c) * kSegment + b], each segment's columns together.
struct ColumnCounts {
  uint8_t *coarse, *fine;
  int64_t columns;
};

// The window's counts: its coarse high-byte bins for every output, segment s of its fine
// high-byte bins as of the window at column `fine_col[s]` of row pass `fine_pass[s]` (none kept
// on another pass), and its keys' counts by their top 12 bits (`bits12`) and whole (`keys`), for
// every output.
struct WindowCounts {
  uint16_t coarse[kSegment];
  uint16_t fine[kSegment][kSegment];
  int64_t fine_pass[kSegment], fine_col[kSegment];
  uint16_t *bits12;  // 4096
  uint16_t *keys;    // 65536
};

int64_t strip_cols(const ImageBlock *block) {
  return block->cols < kStripCols ? block->cols : kStripCols;
}

void count_sample(const ColumnCounts &h, int64_t c, uint32_t key, uint8_t step) {
  h.coarse[c * kSegment + (key >> 12)] += step;
  h.fine[((key >> 12) * h.columns + c) * kSegment + (key >> 8 & 15)] += step;
}

// Adds to `to` the columns of 16 counts from `add` on and takes away those from `sub` on, `count`
// of each (summed in a local array, that the compiler keeps in vector registers).
void add_columns(uint16_t *to, const uint8_t *add, const uint8_t *sub, int64_t count) {
  uint16_t sum[kSegment];
  for (int32_t b = 0; b < kSegment; ++b) sum[b] = to[b];
  for (int64_t c = 0; c < count; ++c) {
    for (int32_t b = 0; b < kSegment; ++b) {
      sum[b] = static_cast<uint16_t>(sum[b] + add[c * kSegment + b] - sub[c * kSegment + b]);
    }
  }
  for (int32_t b = 0; b < kSegment; ++b) to[b] = sum[b];
}

// Sets `to` to the sum of the n columns of 16 counts from `from` on.
void sum_columns(uint16_t *to, const uint8_t *from, int32_t n) {
  uint16_t sum[kSegment] = {};
  for (int64_t c = 0; c < n; ++c) {
    for (int32_t b = 0; b < kSegment; ++b) {
      sum[b] = static_cast<uint16_t>(sum[b] + from[c * kSegment + b]);
    }
  }
  for (int32_t b = 0; b < kSegment; ++b) to[b] = sum[b];
}

// The bin of a segment that holds rank `left` of its counts, and `left` less the counts below
// it.
inline int32_t pick(const uint16_t *segment, int32_t &left) {
  int32_t bin = 0;
  while (segment[bin] <= left) left -= segment[bin++];
  return bin;
}

// The fine high-byte segment s of the window at column j.
const uint16_t *bring_up_fine(WindowCounts &w, const ColumnCounts &h, int32_t s, int64_t j,
                              int32_t n, int64_t pass) {
  const uint8_t *columns = h.fine + s * h.columns * kSegment;
  const int64_t from = w.fine_col[s];
  if (w.fine_pass[s] != pass || 2 * (j - from) >= n) {
    sum_columns(w.fine[s], columns + j * kSegment, n);
  } else {
    add_columns(w.fine[s], columns + (from + n) * kSegment, columns + from * kSegment, j - from);
  }
  w.fine_pass[s] = pass;
  w.fine_col[s] = j;
  return w.fine[s];
}

// Counts, by `step`, the keys of the m samples from `x` on in the window's whole-key bins.
void count_keys(WindowCounts &w, const uint16_t *x, int32_t m, uint16_t flip, uint16_t step) {
  for (int32_t r = 0; r < m; ++r) {
    const uint32_t key = static_cast<uint16_t>(x[r] ^ flip);
    w.bits12[key >> 4] = static_cast<uint16_t>(w.bits12[key >> 4] + step);
    w.keys[key] = static_cast<uint16_t>(w.keys[key] + step);
  }
}

// One row of outputs of a strip: the output at column j of the window whose samples start at
// x + j * ld. The window's key counts are zero before and after.
void rank_row(const ImageBlock *block, const ImageWindow *window, const uint16_t *x, uint16_t *y,
              int64_t cols, const ColumnCounts &h, WindowCounts &w, int64_t pass) {
  const int32_t m = window->rows, n = window->cols;
  const int64_t ld = block->samples_ld;
  const uint16_t flip = block->type == kInt16Samples ? 0x8000 : 0;
  sum_columns(w.coarse, h.coarse, n);
  for (int64_t c = 0; c < n; ++c) count_keys(w, x + c * ld, m, flip, 1);
  for (int64_t j = 0; j < cols; ++j) {
    if (j > 0) {
      add_columns(w.coarse, h.coarse + (j + n - 1) * kSegment, h.coarse + (j - 1) * kSegment, 1);
      count_keys(w, x + (j - 1) * ld, m, flip, 0xFFFF);
      count_keys(w, x + (j + n - 1) * ld, m, flip, 1);
    }
    int32_t left = window->rank;
    const int32_t coarse = pick(w.coarse, left);
    const uint32_t high = static_cast<uint32_t>(
        coarse * kSegment + pick(bring_up_fine(w, h, coarse, j, n, pass), left));
    const uint32_t bits12 = high << 4 | pick(w.bits12 + high * kSegment, left);
    const uint32_t key = bits12 << 4 | pick(w.keys + bits12 * kSegment, left);
    y[j * block->outputs_ld] = static_cast<uint16_t>(key ^ flip);
  }
  for (int64_t c = cols - 1; c < cols + n - 1; ++c) count_keys(w, x + c * ld, m, flip, 0xFFFF);
}

// Output columns j0 ... j0+cols-1 of every row; the columns' counts are zero before and after.
void rank_strip(const ImageBlock *block, const ImageWindow *window, int64_t j0, int64_t cols,
                const ColumnCounts &h, WindowCounts &w, int64_t &pass) {
  const int32_t m = window->rows;
  const int64_t sample_cols = cols + window->cols - 1, ld = block->samples_ld;
  const uint16_t flip = block->type == kInt16Samples ? 0x8000 : 0;
  const uint16_t *x = static_cast<const uint16_t *>(block->samples) + j0 * ld;
  uint16_t *y = static_cast<uint16_t *>(block->outputs) + j0 * block->outputs_ld;
  for (int64_t c = 0; c < sample_cols; ++c) {
    for (int32_t r = 0; r < m; ++r)
      count_sample(h, c, static_cast<uint16_t>(x[r + c * ld] ^ flip), 1);
  }
  for (int64_t i = 0; i < block->rows; ++i, ++pass) {
    if (i > 0) {
      for (int64_t c = 0; c < sample_cols; ++c) {
        count_sample(h, c, static_cast<uint16_t>(x[i - 1 + c * ld] ^ flip), 0xFF);
        count_sample(h, c, static_cast<uint16_t>(x[i + m - 1 + c * ld] ^ flip), 1);
      }
    }
    rank_row(block, window, x + i, y + i, cols, h, w, pass);
  }
  std::memset(h.coarse, 0, static_cast<size_t>(h.columns * kSegment));
  std::memset(h.fine, 0, static_cast<size_t>(h.columns * kSegment * kSegment));
}

// The work memory: the window's key counts, then the strip's column counts.
void carve_counts(StorageLayout &s, int64_t columns, WindowCounts &w, ColumnCounts &h) {
  w.bits12 = take<uint16_t>(s, 4096);
  w.keys = take<uint16_t>(s, 65536);
  h.columns = columns;
  h.coarse = take<uint8_t>(s, columns * kSegment);
  h.fine = take<uint8_t>(s, columns * kSegment * kSegment);
}

int64_t strip_columns(const ImageBlock *block, const ImageWindow *window) {
  return strip_cols(block) + window->cols - 1;
}

}  // namespace

bool high_byte_histogram_serves(const ImageBlock *block, const ImageWindow *window) {
  const SampleType t = block->type;
  return window->domain == nullptr && window->rows >= 1 && window->cols >= 1 &&
         window->rows <= kMostRows && int64_t{window->rows} * window->cols <= 65535 &&
         (t == kUint16Samples || t == kInt16Samples);
}

// A byte more than the counts take, to align their 16-bit counts.
int64_t high_byte_histogram_work_bytes(const ImageBlock *block, const ImageWindow *window) {
  WindowCounts w;
  ColumnCounts h;
  return 1 + static_cast<int64_t>(bytes_taken_by(
                 [&](StorageLayout &s) { carve_counts(s, strip_columns(block, window), w, h); }));
}

void high_byte_histogram_ranks(const ImageBlock *block, const ImageWindow *window, void *work) {
  if (block->rows <= 0 || block->cols <= 0) return;
  const int64_t strip = strip_cols(block);
  const unsigned long long address = reinterpret_cast<unsigned long long>(work);
  StorageLayout s = carving_layout(static_cast<char *>(work) + address % 2);
  WindowCounts w;
  ColumnCounts h;
  carve_counts(s, strip_columns(block, window), w, h);
  std::memset(w.bits12, 0, 4096 * sizeof *w.bits12);
  std::memset(w.keys, 0, 65536 * sizeof *w.keys);
  std::memset(h.coarse, 0, static_cast<size_t>(h.columns * kSegment));
  std::memset(h.fine, 0, static_cast<size_t>(h.columns * kSegment * kSegment));
  for (int32_t k = 0; k < kSegment; ++k) w.fine_pass[k] = w.fine_col[k] = kNoPass;
  int64_t pass = 0;
  for (int64_t j0 = 0; j0 < block->cols; j0 += strip) {
    const int64_t cols = block->cols - j0 < strip ? block->cols - j0 : strip;
    rank_strip(block, window, j0, cols, h, w, pass);
  }
}
