// Sliding histograms of distinct places, their last level the bits of a segment's places within
// the window (see place_bitsets.h).
#include "core/images/place_bitsets.h"

#include <algorithm>
#include <cstring>

#include "core/images/count_lanes.h"
#include "core/support/bit_scan.h"
#include "core/support/storage_layout.h"
#include "core/support/vector_width.h"

namespace {

// A tile's samples are at most this many rows and columns: its places' coordinates are bytes,
// and 255 marks a place the tile does not hold (no window reaches it).
constexpr int64_t kMostTileSide = 255;
// A strip of outputs shares its columns' updates between up to kPlaceStripCols outputs a row, and
// at least kLeastStripCols; its sample columns are at most kMostSampleCols.
constexpr int64_t kLeastStripCols = 16;
constexpr int64_t kMostSampleCols = 128;
constexpr int32_t kMostRows = 255;  // a column's counts are one byte
// How far ahead a row's update asks for the counts it will touch.
constexpr int64_t kPrefetchColumns = 8;

// The sample columns' counts, each segment's columns together so that a window's n columns of
// it are one run: the first level of sample column c at first[c * 16], segment s of the second
// at second[(s * sample_cols + c) * 16].
struct PlaceColumns {
  uint8_t *first;
  uint8_t *second;
  int64_t sample_cols;
};

// The sample row and column within the tile of each place, by place.
struct PlacePositions {
  uint8_t *row, *col;
};

// The window's second-level counts, each segment as of output `second_kept_at[s]` (counted from
// the start of the call, a row's outputs a window's width beyond the last row's, so that no
// segment kept in another row is less than n behind).
struct PlaceWindow {
  uint16_t *second;
  int64_t *second_kept_at;
};

// A place's bin at the first level (its top nibble of 14 bits) and at the second (the next).
inline int64_t first_bin(uint32_t key) {
  return key >> 10;
}
inline int32_t second_bin(uint32_t key) {
  return static_cast<int32_t>(key >> 6 & 15);
}

#define PLORVENT_KERNEL_FILE "core/images/place_bitset_kernel.h"
#include "core/support/each_instruction_set.h"
#undef PLORVENT_KERNEL_FILE

void rank_strip_at_usable_width(const ImageBlock *block, const ImageWindow *window, int64_t j0,
                                int64_t cols, const PlaceColumns &h, const PlacePositions &p,
                                PlaceWindow &w, int64_t &at) {
  const VectorWidth width = usable_vector_width();
#ifdef PLORVENT_X86_64_LANES
  if (width >= kAvx512) return avx512::rank_strip(block, window, j0, cols, h, p, w, at);
  if (width >= kAvx2) return avx2::rank_strip(block, window, j0, cols, h, p, w, at);
  if (width >= kSse2) return sse2::rank_strip(block, window, j0, cols, h, p, w, at);
#endif
#ifdef PLORVENT_NEON_LANES
  if (width >= kNeon) return neon::rank_strip(block, window, j0, cols, h, p, w, at);
#endif
  (void)width;
  scalar::rank_strip(block, window, j0, cols, h, p, w, at);
}

int64_t strip_cols(const ImageBlock *block, const ImageWindow *window) {
  return std::min({block->cols, kPlaceStripCols, kMostSampleCols - (window->cols - 1)});
}

// The work memory: the window's counts and when each segment was kept, the places' positions,
// then the columns' counts.
void carve_places(StorageLayout &s, int64_t sample_cols, PlaceColumns &h, PlacePositions &p,
                  PlaceWindow &w) {
  w.second = take<uint16_t>(s, kCountLanes * kCountLanes);
  w.second_kept_at = take<int64_t>(s, kCountLanes);
  p.row = take<uint8_t>(s, kMostPlaces);
  p.col = take<uint8_t>(s, kMostPlaces);
  h.sample_cols = sample_cols;
  h.first = take<uint8_t>(s, sample_cols * kCountLanes);
  h.second = take<uint8_t>(s, kCountLanes * sample_cols * kCountLanes);
}

// Where each place of the tile lies; every other place, nowhere a window reaches.
void place_positions(const ImageBlock *tile, const ImageWindow *window, const PlacePositions &p) {
  std::memset(p.row, kMostTileSide, kMostPlaces);
  std::memset(p.col, kMostTileSide, kMostPlaces);
  const uint16_t *x = static_cast<const uint16_t *>(tile->samples);
  const int64_t sample_rows = tile->rows + window->rows - 1;
  const int64_t sample_cols = tile->cols + window->cols - 1;
  for (int64_t c = 0; c < sample_cols; ++c) {
    for (int64_t r = 0; r < sample_rows; ++r) {
      const uint16_t place = x[r + c * tile->samples_ld];
      p.row[place] = static_cast<uint8_t>(r);
      p.col[place] = static_cast<uint8_t>(c);
    }
  }
}

// The outputs of one tile, strip by strip.
void rank_tile(const ImageBlock *tile, const ImageWindow *window, int64_t strip,
               const PlaceColumns &h, const PlacePositions &p, PlaceWindow &w, int64_t &at) {
  place_positions(tile, window, p);
  for (int64_t j0 = 0; j0 < tile->cols; j0 += strip) {
    const int64_t cols = tile->cols - j0 < strip ? tile->cols - j0 : strip;
    rank_strip_at_usable_width(tile, window, j0, cols, h, p, w, at);
  }
}

}  // namespace

bool place_bitset_serves(const ImageWindow *window) {
  return window->domain == nullptr && window->offsets == nullptr && window->rows >= 1 &&
         window->cols >= 1 && window->rows <= kMostRows &&
         window->cols - 1 + kLeastStripCols <= kMostSampleCols &&
         4 * int64_t{window->rows} * window->cols <= kMostPlaces;
}

int64_t place_bitset_work_bytes(const ImageBlock *block, const ImageWindow *window) {
  PlaceColumns h;
  PlacePositions p;
  PlaceWindow w;
  const int64_t sample_cols = strip_cols(block, window) + window->cols - 1;
  return static_cast<int64_t>(
      bytes_taken_by([&](StorageLayout &s) { carve_places(s, sample_cols, h, p, w); }));
}

void place_bitset_ranks(const ImageBlock *block, const ImageWindow *window, void *work) {
  if (block->rows <= 0 || block->cols <= 0) return;
  const int64_t strip = strip_cols(block, window);
  StorageLayout s = carving_layout(work);
  PlaceColumns h;
  PlacePositions p;
  PlaceWindow w;
  carve_places(s, strip + window->cols - 1, h, p, w);
  std::memset(h.first, 0, static_cast<size_t>(h.sample_cols * kCountLanes));
  std::memset(h.second, 0, static_cast<size_t>(kCountLanes * h.sample_cols * kCountLanes));
  std::fill(w.second_kept_at, w.second_kept_at + kCountLanes, INT64_MIN / 2);
  const int64_t tile_rows = kMostTileSide - window->rows + 1;
  const int64_t tile_cols = kMostTileSide - window->cols + 1;
  int64_t at = 0;
  for (int64_t j0 = 0; j0 < block->cols; j0 += tile_cols) {
    for (int64_t i0 = 0; i0 < block->rows; i0 += tile_rows) {
      ImageBlock tile = *block;
      tile.samples = static_cast<const uint16_t *>(block->samples) + i0 + j0 * block->samples_ld;
      tile.outputs = static_cast<uint16_t *>(block->outputs) + i0 + j0 * block->outputs_ld;
      tile.rows = std::min(tile_rows, block->rows - i0);
      tile.cols = std::min(tile_cols, block->cols - j0);
      rank_tile(&tile, window, strip, h, p, w, at);
    }
  }
}
