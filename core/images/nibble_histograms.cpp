// Sliding four-level histograms of 16-bit samples (see nibble_histograms.h).
#include "core/images/nibble_histograms.h"

#include <cstring>

namespace {

constexpr int32_t kLevels = 4;
constexpr int32_t kSegment = 16;  // bins a segment: one nibble of the key
// Bins of each level, a sample row's and the window's alike.
constexpr int64_t kLevelBins[kLevels] = {16, 256, 4096, 65536};
// Segments the window keeps below its top level: levels 1, 2 and 3 in turn.
constexpr int64_t kKeptSegments = 16 + 256 + 4096;
constexpr int64_t kFirstSegment[kLevels] = {0, 0, 16, 16 + 256};
// The outputs of a strip (fewer when the block is shorter).
constexpr int64_t kStripRows = 64;
constexpr int64_t kMostSide = 255;

// The rows' counts, level by level: bin b of sample row r at level l is counts[l][r * bins + b].
struct RowCounts {
  uint8_t *counts[kLevels];
};

// The window's histogram: its top level, and for every segment below it, its counts as of the
// window starting at sample row `kept_row` of column pass `kept_pass` (none kept at another).
struct WindowCounts {
  uint16_t top[kSegment];
  uint16_t *segments;  // kKeptSegments * kSegment
  int64_t *kept_pass, *kept_row;
};

int64_t strip_rows(const ImageBlock *block) {
  return block->rows < kStripRows ? block->rows : kStripRows;
}

int64_t bytes_for(int64_t strip, const ImageWindow *window) {
  const int64_t sample_rows = strip + window->rows - 1;
  int64_t row_bins = 0;
  for (int32_t l = 0; l < kLevels; ++l) row_bins += kLevelBins[l];
  return kKeptSegments * (2 * int64_t{sizeof(int64_t)} + kSegment * int64_t{sizeof(uint16_t)}) +
         sample_rows * row_bins + int64_t{sizeof(int64_t)};
}

// Counts key k in sample row r at every level, by `step` (+1 or -1, modulo 256).
inline void count_key(const RowCounts &h, int64_t r, uint32_t k, uint8_t step) {
  h.counts[0][r * 16 + (k >> 12)] += step;
  h.counts[1][r * 256 + (k >> 8)] += step;
  h.counts[2][r * 4096 + (k >> 4)] += step;
  h.counts[3][r * 65536 + k] += step;
}

void count_column(const RowCounts &h, const uint16_t *x, int64_t rows, uint16_t flip,
                  uint8_t step) {
  for (int64_t r = 0; r < rows; ++r) count_key(h, r, static_cast<uint16_t>(x[r] ^ flip), step);
}

void add_rows(uint16_t *to, const uint8_t *add, const uint8_t *sub) {
  for (int32_t b = 0; b < kSegment; ++b) to[b] = static_cast<uint16_t>(to[b] + add[b] - sub[b]);
}

// Segment `s` of level `l` as of the window starting at sample row `top` in column pass `pass`.
uint16_t *bring_up_segment(WindowCounts &w, const RowCounts &h, int32_t l, int64_t s, int64_t top,
                           int32_t m, int64_t pass) {
  const int64_t kept = kFirstSegment[l] + s;
  uint16_t *segment = w.segments + kept * kSegment;
  const int64_t bins = kLevelBins[l];
  const uint8_t *rows = h.counts[l] + s * kSegment;
  const int64_t from = w.kept_row[kept];
  if (w.kept_pass[kept] != pass || 2 * (top - from) >= m) {
    std::memset(segment, 0, kSegment * sizeof *segment);
    for (int64_t r = top; r < top + m; ++r) {
      const uint8_t *row = rows + r * bins;
      for (int32_t b = 0; b < kSegment; ++b)
        segment[b] = static_cast<uint16_t>(segment[b] + row[b]);
    }
  } else {
    for (int64_t r = from; r < top; ++r) add_rows(segment, rows + (r + m) * bins, rows + r * bins);
  }
  w.kept_pass[kept] = pass;
  w.kept_row[kept] = top;
  return segment;
}

// The bin of a segment that holds rank `left` of its counts, and `left` less the counts below
// it; branch-free, as the bin is as good as random from one output to the next.
inline int32_t pick(const uint16_t *segment, int32_t &left) {
  int32_t bin = 0, below = 0, sum = 0;
  for (int32_t b = 0; b < kSegment; ++b) {
    sum += segment[b];
    const int32_t past = sum <= left;
    bin += past;
    below += past * segment[b];
  }
  left -= below;
  return bin;
}

// The key of rank `rank` in the window starting at sample row `top`.
uint32_t key_of_rank(WindowCounts &w, const RowCounts &h, int64_t top, int32_t m, int64_t pass,
                     int32_t rank) {
  int32_t left = rank;
  int64_t s = pick(w.top, left);
  for (int32_t l = 1; l < kLevels; ++l) {
    const uint16_t *segment = bring_up_segment(w, h, l, s, top, m, pass);
    s = s * kSegment + pick(segment, left);
  }
  return static_cast<uint32_t>(s);
}

void sum_top(WindowCounts &w, const RowCounts &h, int32_t m) {
  std::memset(w.top, 0, sizeof w.top);
  for (int64_t r = 0; r < m; ++r) {
    for (int32_t b = 0; b < kSegment; ++b) {
      w.top[b] = static_cast<uint16_t>(w.top[b] + h.counts[0][r * 16 + b]);
    }
  }
}

// Output rows i0 ... i0+rows-1 of every column; the rows' counts are all zero before and after.
void rank_strip(const ImageBlock *block, const ImageWindow *window, int64_t i0, int64_t rows,
                const RowCounts &h, WindowCounts &w, int64_t &pass) {
  const int32_t m = window->rows, n = window->cols;
  const int64_t sample_rows = rows + m - 1, ld = block->samples_ld;
  const uint16_t flip = block->type == kInt16Samples ? 0x8000 : 0;
  const uint16_t *x = static_cast<const uint16_t *>(block->samples) + i0;
  uint16_t *y = static_cast<uint16_t *>(block->outputs) + i0;
  for (int64_t c = 0; c < n; ++c) count_column(h, x + c * ld, sample_rows, flip, 1);
  for (int64_t j = 0; j < block->cols; ++j, ++pass) {
    if (j > 0) {
      count_column(h, x + (j - 1) * ld, sample_rows, flip, 0xFF);
      count_column(h, x + (j + n - 1) * ld, sample_rows, flip, 1);
    }
    sum_top(w, h, m);
    for (int64_t i = 0; i < rows; ++i) {
      if (i > 0) add_rows(w.top, h.counts[0] + (i + m - 1) * 16, h.counts[0] + (i - 1) * 16);
      const uint32_t key = key_of_rank(w, h, i, m, pass, window->rank);
      y[i + j * block->outputs_ld] = static_cast<uint16_t>(key ^ flip);
    }
  }
  const int64_t last = block->cols - 1;
  for (int64_t c = 0; c < n; ++c) count_column(h, x + (last + c) * ld, sample_rows, flip, 0xFF);
}

}  // namespace

bool nibble_histogram_serves(const ImageBlock *block, const ImageWindow *window) {
  const SampleType t = block->type;
  return window->domain == nullptr && window->rows >= 1 && window->cols >= 1 &&
         window->rows <= kMostSide && window->cols <= kMostSide &&
         (t == kUint16Samples || t == kInt16Samples);
}

int64_t nibble_histogram_work_bytes(const ImageBlock *block, const ImageWindow *window) {
  return bytes_for(strip_rows(block), window);
}

void nibble_histogram_ranks(const ImageBlock *block, const ImageWindow *window, void *work) {
  if (block->rows <= 0 || block->cols <= 0) return;
  const int64_t strip = strip_rows(block), sample_rows = strip + window->rows - 1;
  // The work memory holds 8 bytes more than it needs, to align its 64-bit stamps.
  const unsigned long long address = reinterpret_cast<unsigned long long>(work);
  char *p = static_cast<char *>(work) + (8 - address % 8) % 8;
  WindowCounts w;
  w.kept_pass = reinterpret_cast<int64_t *>(p);
  w.kept_row = w.kept_pass + kKeptSegments;
  w.segments = reinterpret_cast<uint16_t *>(w.kept_row + kKeptSegments);
  uint8_t *counts = reinterpret_cast<uint8_t *>(w.segments + kKeptSegments * kSegment);
  RowCounts h;
  for (int32_t l = 0; l < kLevels; ++l) {
    h.counts[l] = counts;
    counts += sample_rows * kLevelBins[l];
  }
  std::memset(h.counts[0], 0, static_cast<size_t>(counts - h.counts[0]));
  for (int64_t k = 0; k < kKeptSegments; ++k) w.kept_pass[k] = w.kept_row[k] = -1;
  int64_t pass = 0;
  for (int64_t i0 = 0; i0 < block->rows; i0 += strip) {
    const int64_t rows = block->rows - i0 < strip ? block->rows - i0 : strip;
    rank_strip(block, window, i0, rows, h, w, pass);
  }
}
