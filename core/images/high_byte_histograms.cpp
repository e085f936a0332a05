// Sliding histograms of 16-bit samples' high bytes, low bytes counted from the samples (see
// high_byte_histograms.h).
#include "core/images/high_byte_histograms.h"

#include <cstring>

namespace {

constexpr int32_t kSegment = 16;              // bins a segment, and segments a level
constexpr int32_t kLowBins = kSegment + 256;  // a high byte's low-byte bins: coarse, then fine
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

// The window's counts: its coarse high-byte bins for every output; segment s of its fine
// high-byte bins, and the low-byte bins of high byte h, as of the window at column `*_col` of row
// pass `*_pass` (none kept on another pass).
struct WindowCounts {
  uint16_t coarse[kSegment];
  uint16_t fine[kSegment][kSegment];
  int64_t fine_pass[kSegment], fine_col[kSegment];
  uint16_t *low;  // 256 * kLowBins
  int64_t *low_pass, *low_col;
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

// Whether any of the 16 samples from `x` on has high byte `high` (a loop the compiler vectorizes).
inline bool holds_high_byte(const uint16_t *x, uint32_t high, uint16_t flip) {
  const uint16_t top = static_cast<uint16_t>(high << 8 ^ flip);
  uint16_t any = 0;
  for (int32_t r = 0; r < 16; ++r) any |= static_cast<uint16_t>((x[r] & 0xFF00) == top);
  return any != 0;
}

// Counts, by `step`, the low bytes of the m samples from `x` on whose high byte is `high`,
// `count` of them: with a branch where it is as good as certain (few of them, or all), else
// branch-free.
void count_low_bytes(uint16_t *low, const uint16_t *x, int32_t m, uint32_t high, uint16_t flip,
                     uint16_t step, int32_t count) {
  if (count * 8 <= m || count == m) {
    // Until the last of them, skipping runs of 16 samples that hold none.
    for (int32_t r = 0; count > 0; ++r) {
      if (r % 16 == 0 && r + 16 <= m && !holds_high_byte(x + r, high, flip)) {
        r += 15;
        continue;
      }
      const uint32_t key = static_cast<uint16_t>(x[r] ^ flip);
      if (key >> 8 == high) {
        low[key >> 4 & 15] = static_cast<uint16_t>(low[key >> 4 & 15] + step);
        low[kSegment + (key & 255)] = static_cast<uint16_t>(low[kSegment + (key & 255)] + step);
        --count;
      }
    }
    return;
  }
  for (int32_t r = 0; r < m; ++r) {
    const uint32_t key = static_cast<uint16_t>(x[r] ^ flip);
    const uint16_t add = static_cast<uint16_t>(step & -static_cast<uint16_t>(key >> 8 == high));
    low[key >> 4 & 15] = static_cast<uint16_t>(low[key >> 4 & 15] + add);
    low[kSegment + (key & 255)] = static_cast<uint16_t>(low[kSegment + (key & 255)] + add);
  }
}

// Counts, by `step`, the low bytes of high byte `high` in sample column c (at x) under the
// window, reading its samples only when its counts hold that high byte.
inline void count_column(uint16_t *low, const ColumnCounts &h, int64_t c, const uint16_t *x,
                         int32_t m, uint32_t high, uint16_t flip, uint16_t step) {
  const int32_t count = h.fine[((high >> 4) * h.columns + c) * kSegment + (high & 15)];
  if (count != 0) count_low_bytes(low, x, m, high, flip, step, count);
}

// The low-byte bins of high byte `high` in the window at column j, whose first sample column is
// at `x` (stride ld): only the columns whose counts hold that high byte are read.
const uint16_t *bring_up_low(WindowCounts &w, const ColumnCounts &h, uint32_t high,
                             const uint16_t *x, int64_t ld, int64_t j, int32_t m, int32_t n,
                             uint16_t flip, int64_t pass) {
  uint16_t *low = w.low + high * kLowBins;
  const int64_t from = w.low_col[high];
  if (w.low_pass[high] != pass || 2 * (j - from) >= n) {
    std::memset(low, 0, kLowBins * sizeof *low);
    for (int64_t c = j; c < j + n; ++c) count_column(low, h, c, x + c * ld, m, high, flip, 1);
  } else {
    // The columns' counts are of this row: a column that leaves holds what it held in the window.
    for (int64_t c = from; c < j; ++c) {
      count_column(low, h, c, x + c * ld, m, high, flip, 0xFFFF);
      count_column(low, h, c + n, x + (c + n) * ld, m, high, flip, 1);
    }
  }
  w.low_pass[high] = pass;
  w.low_col[high] = j;
  return low;
}

// One row of outputs of a strip: the output at column j of the window whose samples start at
// x + j * ld.
void rank_row(const ImageBlock *block, const ImageWindow *window, const uint16_t *x, uint16_t *y,
              int64_t cols, const ColumnCounts &h, WindowCounts &w, int64_t pass) {
  const int32_t m = window->rows, n = window->cols;
  const uint16_t flip = block->type == kInt16Samples ? 0x8000 : 0;
  sum_columns(w.coarse, h.coarse, n);
  for (int64_t j = 0; j < cols; ++j) {
    if (j > 0)
      add_columns(w.coarse, h.coarse + (j + n - 1) * kSegment, h.coarse + (j - 1) * kSegment, 1);
    int32_t left = window->rank;
    const int32_t coarse = pick(w.coarse, left);
    const uint32_t high = static_cast<uint32_t>(
        coarse * kSegment + pick(bring_up_fine(w, h, coarse, j, n, pass), left));
    const uint16_t *low = bring_up_low(w, h, high, x, block->samples_ld, j, m, n, flip, pass);
    const int32_t low_coarse = pick(low, left);
    const uint32_t key =
        high << 8 | low_coarse << 4 | pick(low + kSegment + low_coarse * kSegment, left);
    y[j * block->outputs_ld] = static_cast<uint16_t>(key ^ flip);
  }
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

}  // namespace

bool high_byte_histogram_serves(const ImageBlock *block, const ImageWindow *window) {
  const SampleType t = block->type;
  return window->domain == nullptr && window->rows >= 1 && window->cols >= 1 &&
         window->rows <= kMostRows && int64_t{window->rows} * window->cols <= 65535 &&
         (t == kUint16Samples || t == kInt16Samples);
}

int64_t high_byte_histogram_work_bytes(const ImageBlock *block, const ImageWindow *window) {
  const int64_t columns = strip_cols(block) + window->cols - 1;
  return int64_t{sizeof(int64_t)} * (1 + 2 * 256) + 256 * kLowBins * int64_t{sizeof(uint16_t)} +
         columns * kSegment * (1 + kSegment);
}

void high_byte_histogram_ranks(const ImageBlock *block, const ImageWindow *window, void *work) {
  if (block->rows <= 0 || block->cols <= 0) return;
  const int64_t strip = strip_cols(block);
  // The work memory holds 8 bytes more than it needs, to align its 64-bit stamps.
  const unsigned long long address = reinterpret_cast<unsigned long long>(work);
  char *p = static_cast<char *>(work) + (8 - address % 8) % 8;
  WindowCounts w;
  w.low_pass = reinterpret_cast<int64_t *>(p);
  w.low_col = w.low_pass + 256;
  w.low = reinterpret_cast<uint16_t *>(w.low_col + 256);
  ColumnCounts h;
  h.columns = strip + window->cols - 1;
  h.coarse = reinterpret_cast<uint8_t *>(w.low + 256 * kLowBins);
  h.fine = h.coarse + h.columns * kSegment;
  std::memset(h.coarse, 0, static_cast<size_t>(h.columns * kSegment * (1 + kSegment)));
  for (int32_t k = 0; k < 256; ++k) w.low_pass[k] = w.low_col[k] = kNoPass;
  for (int32_t k = 0; k < kSegment; ++k) w.fine_pass[k] = w.fine_col[k] = kNoPass;
  int64_t pass = 0;
  for (int64_t j0 = 0; j0 < block->cols; j0 += strip) {
    const int64_t cols = block->cols - j0 < strip ? block->cols - j0 : strip;
    rank_strip(block, window, j0, cols, h, w, pass);
  }
}
